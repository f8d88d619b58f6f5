#pragma once
// The instruments of the song. Every voice renders one note (or one drum
// hit) straight into the dry bus and, scaled, into the reverb send bus.
// All pitched voices are sums of sine partials (additive) or sine FM with a
// small index, kept well below the Nyquist frequency, so nothing aliases;
// every note starts from zero and ends with a release ramp, so nothing clicks.

#include "dsp.h"

namespace song {

struct Mix {
    LoopBus& dry;
    LoopBus& send;
};

// Where and how a note sounds. start and length are in sample frames.
struct Note {
    long start = 0;
    long length = 0;
    double midi = 60;
    double velocity = 0.8;  // 0..1
    double pan = 0;         // -1 left .. 1 right
    double reverb = 0.2;    // send level
};

void playRhodes(Mix& mix, const Note& note);
void playMarimba(Mix& mix, const Note& note);
void playVibes(Mix& mix, const Note& note);
void playPizzicato(Mix& mix, const Note& note);
void playBass(Mix& mix, const Note& note);

// Drum hits: only start, velocity, pan and reverb of the note are used.
// Each hit draws its noise from the given generator, so no two are identical.
void playRide(Mix& mix, const Note& hit, Rng& rng);
void playBrushTap(Mix& mix, const Note& hit, Rng& rng);
void playBrushSwish(Mix& mix, const Note& hit, Rng& rng);  // uses length
void playHatFoot(Mix& mix, const Note& hit, Rng& rng);
void playKick(Mix& mix, const Note& hit);

}  // namespace song
