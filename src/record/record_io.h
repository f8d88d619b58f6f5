#pragma once
// The recorder's side of the show's seam: a clock that moves 20 ms with each
// presented frame and never sleeps, the viewer's actions taken from a tour,
// and every presented frame handed on to be kept.

#include <deque>
#include <functional>

#include "core/io.h"
#include "record/frames.h"
#include "record/tour.h"

class RecordIo : public ShowIo {
public:
    // frame(index, repeat): the frame just drawn is the picture of video frame
    // `index`; with repeat, the picture before it stays on screen for that frame.
    std::function<void(long index, bool repeat)> onFrame;

    explicit RecordIo(const Tour& tour, unsigned closeAfterMs = 60000);

    Uint32 getTicks() override { return ticks_; }
    void delay(Uint32 ms) override { ticks_ += ms; }
    int pollEvent(SDL_Event* event) override;
    Uint8 getMouseState(int* x, int* y) override;
    void swapBuffers() override;

    long frames() const { return frames_; }
    // The tour's still actions due by a show time, each once.
    template <class F>
    void takeStills(Uint32 ms, F&& take) {
        while (nextStill_ < tour_.actions.size()) {
            const TourAction& a = tour_.actions[nextStill_];
            if (a.kind == TourAction::Still) {
                if (a.timeMs > ms) return;
                take(a.name);
            }
            ++nextStill_;
        }
    }

    // The tour's still actions not taken yet.
    std::vector<const TourAction*> stillsLeft() const {
        std::vector<const TourAction*> left;
        for (size_t i = nextStill_; i < tour_.actions.size(); ++i)
            if (tour_.actions[i].kind == TourAction::Still) left.push_back(&tour_.actions[i]);
        return left;
    }

private:
    void advance();
    const Tour& tour_;
    Uint32 ticks_ = 0;
    long frames_ = 0;
    size_t next_ = 0;
    size_t nextStill_ = 0;
    Uint32 advancedAt_ = ~0u;
    Uint32 closeAt_;
    bool closeSent_ = false;
    int x_ = 400, y_ = 400;
    Uint8 buttons_ = 0;
    // a glide in progress
    bool gliding_ = false;
    int fromX_ = 0, fromY_ = 0, toX_ = 0, toY_ = 0;
    Uint32 glideStart_ = 0, glideMs_ = 0;
    std::deque<SDL_Event> queue_;
};
