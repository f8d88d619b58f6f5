#pragma once
// The recorder's progress on standard error: a bar redrawn in place on a
// terminal, a plain line now and then otherwise.

#include <chrono>

class Progress {
public:
    explicit Progress(bool terminal);
    // frames done of an expected total (the total may grow as the show runs).
    void update(long done, long total, bool force = false);
    void finish(long done);

private:
    bool terminal_;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point last_;
    int lastTenth_ = -1;
};
