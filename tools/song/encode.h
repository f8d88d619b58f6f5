#pragma once
// Ogg Vorbis output of the finished loop.

#include <string>

#include "dsp.h"

namespace song {

// Writes the bus as a stereo 44.1 kHz Ogg Vorbis file at the given VBR
// quality. The stream ends on exactly the bus's last frame (the final
// granule position says so), so a player that loops by seeking to the start
// plays no gap. The stream's serial number is fixed, so the same samples
// always give the same bytes. Returns false (with a message) on failure.
bool writeOggVorbis(const std::string& path, const LoopBus& bus, float quality);

}  // namespace song
