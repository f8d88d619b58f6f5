#include "record/progress.h"

#include <cstdio>

#include "record/frames.h"

namespace {
double secondsBetween(std::chrono::steady_clock::time_point a, std::chrono::steady_clock::time_point b) {
    return std::chrono::duration<double>(b - a).count();
}
void clock(char* out, size_t size, double seconds) {
    const long s = static_cast<long>(seconds + 0.5);
    std::snprintf(out, size, "%ld:%02ld", s / 60, s % 60);
}
}  // namespace

Progress::Progress(bool terminal)
    : terminal_(terminal), start_(std::chrono::steady_clock::now()), last_(start_) {}

void Progress::update(long done, long total, bool force) {
    const auto now = std::chrono::steady_clock::now();
    if (total < done) total = done;
    const double elapsed = secondsBetween(start_, now);
    const double shown = done / static_cast<double>(kFramesPerSecond);
    const double speed = elapsed > 0 ? shown / elapsed : 0;
    char left[48] = "-:--";
    if (speed > 0) clock(left, sizeof left, (total - done) / static_cast<double>(kFramesPerSecond) / speed);
    char length[48], whole[48];
    clock(length, sizeof length, shown);
    clock(whole, sizeof whole, total / static_cast<double>(kFramesPerSecond));
    const int percent = total > 0 ? static_cast<int>(100.0 * done / total) : 0;
    if (terminal_) {
        if (!force && secondsBetween(last_, now) < 0.2) return;
        last_ = now;
        const int width = 30;
        const int filled = total > 0 ? static_cast<int>(width * static_cast<double>(done) / total) : 0;
        char bar[width + 1];
        for (int i = 0; i < width; ++i) bar[i] = i < filled ? '#' : '.';
        bar[width] = '\0';
        std::fprintf(stderr, "\r[%s] %3d%%  frame %ld/%ld  %s of %s  %.2fx real time  %s left \x1b[K", bar, percent,
                     done, total, length, whole, speed, left);
    } else {
        const int tenth = percent / 10;
        if (!force && tenth == lastTenth_) return;
        lastTenth_ = tenth;
        std::fprintf(stderr, "%3d%%  frame %ld/%ld  %s of %s  %.2fx real time  %s left\n", percent, done, total,
                     length, whole, speed, left);
    }
    std::fflush(stderr);
}

void Progress::finish(long done) {
    update(done, done, true);
    if (terminal_) std::fputc('\n', stderr);
}
