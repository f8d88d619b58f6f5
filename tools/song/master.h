#pragma once
// Mastering of the finished loop: reverb, DC removal, loudness and peak
// control. Every stage treats the buffers as a circle (sample N-1 is followed
// by sample 0), so the loop point stays seamless.

#include <vector>

#include "dsp.h"

namespace song {

// Adds a stereo room reverb of the send bus into the dry bus.
void addReverb(LoopBus& dry, const LoopBus& send, double wet);

// Subtracts each channel's mean.
void removeDc(LoopBus& bus);

// Integrated loudness (EBU R128, LUFS) of the bus played once.
double integratedLoudness(const LoopBus& bus);

// Scales the bus to the target loudness, then holds every sample below the
// ceiling (linear) with a smooth look-ahead gain. Returns the gain applied.
double normalize(LoopBus& bus, double targetLufs, double ceiling);

// Largest absolute sample value of the bus.
double peak(const LoopBus& bus);

}  // namespace song
