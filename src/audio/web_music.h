#pragma once
// The music through the web page's Web Audio (browser build only).

#include "core/music_io.h"

MusicIo& webMusicIo();
