#pragma once
// Writes the recording with FFmpeg's libraries: H.264 and AAC in MP4 by
// default, VP9 and Opus in WebM, or an animated WebP without sound, chosen by
// the output's name; constant 50 frames a second. Also writes PNG stills.

#include <cstdint>
#include <string>
#include <vector>

struct EncoderSettings {
    int width = 800;
    int height = 600;
    int fps = 50;
    int quality = -1;          // constant-quality level; -1 for the format's default
    std::string speedPreset;   // x264 preset; empty for the default
};

class Encoder {
public:
    Encoder();
    ~Encoder();
    Encoder(const Encoder&) = delete;
    Encoder& operator=(const Encoder&) = delete;

    // Whether a name's extension is one the recorder writes.
    static bool knownFormat(const std::string& name, std::string* description = nullptr);
    // Whether the format's video encoder takes --preset (x264's speed presets).
    static bool takesPreset(const std::string& name);
    // Opens `path` for writing, in the format that `name` calls for (the
    // recording goes to a temporary path first). False with a reason if not.
    bool open(const std::string& path, const std::string& name, const EncoderSettings& settings, std::string& error);
    bool hasSound() const;
    // One frame as read back from OpenGL: RGBA rows from the bottom up.
    bool addFrame(const uint8_t* rgba, std::string& error);
    // Interleaved stereo floats at 44100 Hz.
    bool addSound(const float* samples, int count, std::string& error);
    // Whether the format holds chapters (all but WebP).
    bool takesChapters() const;
    // Drains the encoders and writes the file's index, with the chapters
    // (their start, end and title) where the format holds them.
    struct Chapter {
        long startMs, endMs;
        std::string title;
    };
    bool finish(std::string& error, const std::vector<Chapter>& chapters = {});
    // Closes and forgets whatever was open (after a failure).
    void abandon();

    // Seconds spent in colour conversion and in encoding so far.
    double convertSeconds = 0;
    double encodeSeconds = 0;

private:
    struct State;
    State* s_;
};

// Writes RGBA rows from the bottom up as an RGB PNG file.
bool writePng(const std::string& path, const uint8_t* rgba, int width, int height, std::string& error);
