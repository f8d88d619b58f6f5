#pragma once
// The show's frame timer, wipe and sparks, and an empty table of texture
// slots, made for one test and given back, the globals cleared, when it
// ends. The timer reads the seam's clock: make this once the seam is set.

#include <vector>

class ShowObjects {
public:
    ShowObjects();
    ~ShowObjects();
    ShowObjects(const ShowObjects&) = delete;
    ShowObjects& operator=(const ShowObjects&) = delete;

private:
    std::vector<int> table_;
};
