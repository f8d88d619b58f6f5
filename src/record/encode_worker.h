#pragma once
// Encodes on a thread of its own, so that the show draws the next frame
// while the last one is converted and compressed. A few frames may wait;
// beyond that the show waits for the encoder.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "record/encoder.h"

class EncodeWorker {
public:
    explicit EncodeWorker(Encoder& encoder, size_t depth = 3);
    ~EncodeWorker();
    EncodeWorker(const EncodeWorker&) = delete;
    EncodeWorker& operator=(const EncodeWorker&) = delete;

    // Queues a frame (RGBA rows from the bottom up) and its sound; false with
    // the reason once the encoder has failed.
    bool add(const std::vector<uint8_t>& picture, const std::vector<float>& sound, std::string& error);
    // Waits until everything queued is encoded; false with the reason if it failed.
    bool drain(std::string& error);
    // Seconds the show waited for room in the queue.
    double waitSeconds = 0;

private:
    struct Job {
        std::vector<uint8_t> picture;
        std::vector<float> sound;
    };
    void run();
    Encoder& encoder_;
    size_t depth_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Job> queue_;
    std::vector<Job> spare_;
    bool busy_ = false;
    bool quit_ = false;
    std::string error_;
    std::thread thread_;
};
