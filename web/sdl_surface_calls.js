// The browser's SDL 1.2 layer keeps a picture's pixels in two places: its
// canvas and the program's memory. Three small guards around its own calls
// make the show's desktop habits hold here:
// - a picture loaded while OpenGL is on has its pixels in memory already and
//   no canvas any more, so locking and unlocking it just count the lock;
// - a blit draws on the target's canvas only, so the target's pixels are
//   brought back into memory at once (the show blits glyphs into the
//   surfaces it turns into textures without locking them).
(function() {
  var sdl = LibraryManager.library;
  mergeInto(LibraryManager.library, {
    mijotineLockSurface: sdl.SDL_LockSurface,
    mijotineLockSurface__deps: sdl.SDL_LockSurface__deps || [],
    mijotineUnlockSurface: sdl.SDL_UnlockSurface,
    mijotineUnlockSurface__deps: sdl.SDL_UnlockSurface__deps || [],
    mijotineUpperBlit: sdl.SDL_UpperBlit,
    mijotineUpperBlit__deps: sdl.SDL_UpperBlit__deps || [],

    SDL_LockSurface__deps: ['mijotineLockSurface'],
    SDL_LockSurface: function(surf) {
      var surfData = SDL.surfaces[surf];
      if (surfData && !surfData.ctx) {
        surfData.locked++;
        return 0;
      }
      return _mijotineLockSurface(surf);
    },

    SDL_UnlockSurface__deps: ['mijotineUnlockSurface'],
    SDL_UnlockSurface: function(surf) {
      var surfData = SDL.surfaces[surf];
      if (surfData && !surfData.ctx) {
        if (surfData.locked) surfData.locked--;
        return;
      }
      _mijotineUnlockSurface(surf);
    },

    SDL_UpperBlit__deps: ['mijotineUpperBlit', 'mijotineLockSurface'],
    SDL_UpperBlit: function(src, srcrect, dst, dstrect) {
      var result = _mijotineUpperBlit(src, srcrect, dst, dstrect);
      var surfData = SDL.surfaces[dst];
      if (dst != SDL.screen && surfData && surfData.ctx && !surfData.locked) {
        _mijotineLockSurface(dst);
        surfData.locked--;
      }
      return result;
    },
  });
})();
