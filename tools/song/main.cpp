// mksong: composes, plays and masters the show's music and writes it as an
// Ogg Vorbis file that loops without a seam.
//
//   mksong <out.ogg>

#include <chrono>
#include <cmath>
#include <cstdio>

#include "song/encode.h"
#include "song/master.h"
#include "song/score.h"

using namespace song;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: mksong <out.ogg>\n");
        return 2;
    }
    auto began = std::chrono::steady_clock::now();
    // Find out now, not after the whole piece is played, if the file cannot be written.
    if (std::FILE* probe = std::fopen(argv[1], "wb")) {
        std::fclose(probe);
    } else {
        std::fprintf(stderr, "mksong: cannot write %s\n", argv[1]);
        return 1;
    }

    const long frames = songFrames();
    LoopBus dry(frames), send(frames);
    Mix mix{dry, send};
    performSong(mix);
    addReverb(dry, send, 0.9);
    removeDc(dry);

    const double ceiling = std::pow(10.0, -2.0 / 20.0);  // room for the codec's overshoot
    normalize(dry, -16.0, ceiling);
    double lufs = integratedLoudness(dry);
    double top = peak(dry);

    if (!writeOggVorbis(argv[1], dry, 0.45f)) return 1;

    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    std::printf("mksong: %s: %d bars, %.1f s, %.1f LUFS, peak %.2f dBFS, made in %.1f s\n", argv[1],
                songBars(), double(frames) / kRate, lufs, 20.0 * std::log10(top), seconds);
    return 0;
}
