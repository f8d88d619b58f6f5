#include "record/record_io.h"

#include <cmath>

#include "core/events.h"

namespace {

// Eases in and out: a hand that starts and stops gently.
double ease(double t) { return t * t * (3 - 2 * t); }

}  // namespace

RecordIo::RecordIo(const Tour& tour, unsigned closeAfterMs)
    : tour_(tour), closeAt_(tour.endMs() + closeAfterMs) {}

void RecordIo::advance() {
    if (advancedAt_ == ticks_) return;
    advancedAt_ = ticks_;
    auto moveTo = [&](int x, int y) {
        if (x == x_ && y == y_) return;
        queue_.push_back(makeMotionEvent(x, y, x - x_, y - y_, buttons_));
        x_ = x;
        y_ = y;
    };
    if (gliding_) {
        const double t = glideMs_ ? std::min(1.0, static_cast<double>(ticks_ - glideStart_) / glideMs_) : 1.0;
        const double k = ease(t);
        moveTo(static_cast<int>(std::lround(fromX_ + (toX_ - fromX_) * k)),
               static_cast<int>(std::lround(fromY_ + (toY_ - fromY_) * k)));
        if (t >= 1) gliding_ = false;
    }
    while (next_ < tour_.actions.size() && tour_.actions[next_].timeMs <= ticks_) {
        const TourAction& a = tour_.actions[next_++];
        switch (a.kind) {
            case TourAction::KeyDown:
                queue_.push_back(makeKeyEvent(true, a.key));
                break;
            case TourAction::KeyUp:
                queue_.push_back(makeKeyEvent(false, a.key));
                break;
            case TourAction::Move:
                gliding_ = false;
                moveTo(a.x, a.y);
                break;
            case TourAction::Glide:
                gliding_ = true;
                fromX_ = x_;
                fromY_ = y_;
                toX_ = a.x;
                toY_ = a.y;
                glideStart_ = a.timeMs;
                glideMs_ = a.durationMs;
                break;
            case TourAction::ButtonDown:
                buttons_ |= SDL_BUTTON(a.button);
                queue_.push_back(makeButtonEvent(true, static_cast<Uint8>(a.button), x_, y_));
                break;
            case TourAction::ButtonUp:
                buttons_ &= static_cast<Uint8>(~SDL_BUTTON(a.button));
                queue_.push_back(makeButtonEvent(false, static_cast<Uint8>(a.button), x_, y_));
                break;
            case TourAction::Quit:
                queue_.push_back(makeQuitEvent());
                break;
            case TourAction::Still:
                break;
        }
    }
    if (!closeSent_ && ticks_ >= closeAt_) {
        // The tour is over and the show still waits for its viewer (or the
        // tour's own quit came where the show does not listen: loading).
        closeSent_ = true;
        queue_.push_back(makeQuitEvent());
    }
}

int RecordIo::pollEvent(SDL_Event* event) {
    advance();
    if (queue_.empty()) return 0;
    if (event) *event = queue_.front();
    queue_.pop_front();
    return 1;
}

Uint8 RecordIo::getMouseState(int* x, int* y) {
    if (x) *x = x_;
    if (y) *y = y_;
    return buttons_;
}

void RecordIo::swapBuffers() {
    // The frame appears now; if the show's clock ran ahead of the frames, the
    // picture before stayed on screen until now.
    while (static_cast<Uint32>(frames_) * kFrameMs < ticks_) {
        if (onFrame) onFrame(frames_, true);
        ++frames_;
    }
    if (onFrame) onFrame(frames_, false);
    ++frames_;
    ticks_ = static_cast<Uint32>(frames_) * kFrameMs;
}
