// The browser's OpenGL emulation draws no GL_POLYGON. The show's polygons
// (the transition's wavy disc) are drawn as a fan from their first vertex,
// which is how desktop OpenGL fills a polygon too.
(function() {
  var gl = LibraryManager.library;
  mergeInto(LibraryManager.library, {
    mijotineBegin: gl.glBegin,
    mijotineBegin__deps: gl.glBegin__deps || [],
    glBegin__deps: ['mijotineBegin'],
    glBegin: function(mode) {
      _mijotineBegin(mode == 0x0009 /* GL_POLYGON */ ? 0x0006 /* GL_TRIANGLE_FAN */ : mode);
    },
  });
})();
