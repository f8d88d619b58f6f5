#include "record/encode_worker.h"

#include <chrono>

EncodeWorker::EncodeWorker(Encoder& encoder, size_t depth)
    : encoder_(encoder), depth_(depth), thread_(&EncodeWorker::run, this) {}

EncodeWorker::~EncodeWorker() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        quit_ = true;
        queue_.clear();
    }
    changed_.notify_all();
    thread_.join();
}

bool EncodeWorker::add(const std::vector<uint8_t>& picture, const std::vector<float>& sound, std::string& error) {
    const auto start = std::chrono::steady_clock::now();
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return queue_.size() < depth_ || !error_.empty(); });
    waitSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!error_.empty()) {
        error = error_;
        return false;
    }
    Job job;
    if (!spare_.empty()) {
        job = std::move(spare_.back());
        spare_.pop_back();
    }
    job.picture.assign(picture.begin(), picture.end());
    job.sound.assign(sound.begin(), sound.end());
    queue_.push_back(std::move(job));
    changed_.notify_all();
    return true;
}

bool EncodeWorker::drain(std::string& error) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return (queue_.empty() && !busy_) || !error_.empty(); });
    if (!error_.empty()) {
        error = error_;
        return false;
    }
    return true;
}

void EncodeWorker::run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [&] { return quit_ || !queue_.empty(); });
        if (quit_) return;
        Job job = std::move(queue_.front());
        queue_.pop_front();
        busy_ = true;
        lock.unlock();
        std::string why;
        bool ok = encoder_.addFrame(job.picture.data(), why);
        if (ok && !job.sound.empty()) ok = encoder_.addSound(job.sound.data(), static_cast<int>(job.sound.size() / 2), why);
        lock.lock();
        busy_ = false;
        if (!ok && error_.empty()) error_ = why;
        spare_.push_back(std::move(job));
        changed_.notify_all();
        if (!error_.empty()) {
            queue_.clear();
        }
    }
}
