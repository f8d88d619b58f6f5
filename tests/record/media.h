#pragma once
// Reading a recording back with libavformat: its streams, every video frame
// as RGB and the sound as stereo floats at 44100 Hz.

#include <cstdint>
#include <string>
#include <vector>

struct Media {
    bool ok = false;
    std::string error;
    std::string videoCodec, audioCodec;
    int width = 0, height = 0;
    int rateNum = 0, rateDen = 1;  // the video's frame rate
    double duration = 0;           // of the container, seconds
    long frameCount = 0;                       // decoded video frames
    std::vector<std::vector<uint8_t>> frames;  // RGB24, top row first (when kept)
    std::vector<float> sound;                  // interleaved stereo, 44100 Hz
    struct Chapter {
        double start, end;  // seconds
        std::string title;
    };
    std::vector<Chapter> chapters;  // as ffprobe -show_chapters lists them
};

// Reads the whole file; keepFrames false keeps only a hash per frame in
// `frameHashes`.
Media readMedia(const std::string& path, bool keepFrames, std::vector<uint64_t>* frameHashes = nullptr);

// Root mean square of the sound between two times, seconds.
double soundLevel(const Media& m, double from, double to);
