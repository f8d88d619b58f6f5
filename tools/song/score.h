#pragma once
// The composition: a swing tune in F major at 120 beats per minute.
//
// Form (72 bars of 4/4, 2 seconds each, 144 seconds):
//   intro (4) | head: A (8) A' (8) B (8) A'' (8) | vibraphone chorus over the
//   same changes (32) | turnaround tag (4) which leads back into the intro.
// The last bar is a C7 that resolves into the first bar's Fmaj7, so the
// piece loops for ever without a seam.

#include "voices.h"

namespace song {

constexpr int kBeatsPerBar = 4;
constexpr long kFramesPerBeat = kRate / 2;  // 120 BPM: exactly 22050 frames
constexpr long kFramesPerBar = kFramesPerBeat * kBeatsPerBar;

// Number of bars in the piece.
int songBars();

// Length of the piece in sample frames: a whole number of bars.
inline long songFrames() { return long(songBars()) * kFramesPerBar; }

// Plays every note of the piece into the mix (whose buses must be
// songFrames() long). Deterministic: all choices come from a fixed seed.
void performSong(Mix& mix);

// Maps a straight position in beats to its swung position: the off-beat
// eighth is delayed to 64% of the beat, the light swing of a café trio.
double swingBeats(double beats);

}  // namespace song
