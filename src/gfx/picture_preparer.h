#pragma once
// Pictures decoded and rescaled on a second thread, in a given order, so that
// the work runs beside whatever the program does before it uploads them.

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "gfx/picture.h"

// Starts on the pictures at once; take() prepares the next ones itself while
// the one it needs is not ready. On the way out, waits for the picture the
// thread is on.
class PicturePreparer {
public:
    explicit PicturePreparer(std::vector<PictureFile> files);
    explicit PicturePreparer(const std::vector<std::string>& paths);
    ~PicturePreparer();
    PicturePreparer(const PicturePreparer&) = delete;
    PicturePreparer& operator=(const PicturePreparer&) = delete;
    // The i-th picture, once it is ready; each taken once.
    PreparedPicture take(size_t i);
    // Prepares the next picture nobody has started on, here and now; false
    // when none is left. For a program with no second thread, which has time
    // to spare before the pictures are needed.
    bool prepareNext();

private:
    struct State;
    std::unique_ptr<State> state_;
};
