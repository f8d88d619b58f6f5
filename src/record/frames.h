#pragma once
// The recorder's clock: the show's frames at their steady 20 ms, 50 a
// second, which is also the video's frame rate.

constexpr unsigned kFrameMs = 20;
constexpr int kFramesPerSecond = 1000 / kFrameMs;
