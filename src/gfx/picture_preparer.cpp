#include "gfx/picture_preparer.h"

#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#ifdef __GLIBC__
#include <malloc.h>
#include <sys/mman.h>
#endif

namespace {

// A software renderer keeps every uploaded picture in memory it allocates from
// the heap and clears. Fresh memory comes in a 4 kB page at a time, and on a
// virtual machine each of those faults costs about 10 us: more than the upload
// itself, some 6 ms for a 2 MB picture. So before the pictures come, the heap
// is grown by what they will take and the kernel is asked to back that stretch
// with 2 MB pages; the renderer's blocks are then cut from it and come in 512
// times fewer faults. Blocks of up to 32 MB are cut from the heap rather than
// mapped on their own, and the heap keeps what is freed: the show frees its
// pictures only at its end. Every thread takes from that one heap, the
// picture thread too, which would otherwise fault in a fresh heap of its own.
// Where huge pages are not to be had, the pages simply come in as before.
void growHeapForPictures() {
#if defined(__GLIBC__) && defined(MADV_HUGEPAGE)
    static bool grown = false;
    if (grown) return;
    grown = true;
    constexpr size_t kBlock = size_t(16) << 20, kBlocks = 5, kHuge = size_t(2) << 20;
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
    mallopt(M_ARENA_MAX, 1);
    void* blocks[kBlocks] = {};
    for (void*& block : blocks) {
        block = std::malloc(kBlock);
        if (!block) break;
        const uintptr_t at = reinterpret_cast<uintptr_t>(block);
        const uintptr_t from = (at + kHuge - 1) & ~(kHuge - 1), to = (at + kBlock) & ~(kHuge - 1);
        if (to > from) madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
    }
    for (void* block : blocks) std::free(block);
#endif
}

}  // namespace

// The pictures are claimed one at a time, lowest first, by the second thread
// and by take(), which prepares pictures itself rather than wait idle: the
// main thread has nothing else to do while the picture it needs is not ready.
struct PicturePreparer::State {
    enum Stage : unsigned char { Waiting, Claimed, Ready };
    explicit State(std::vector<PictureFile> files) : order(std::move(files)) {}

    const std::vector<PictureFile> order;
    std::vector<PreparedPicture> prepared = std::vector<PreparedPicture>(order.size());
    std::vector<Stage> stage = std::vector<Stage>(order.size(), Waiting);
    size_t nextUnclaimed = 0;
    bool stopping = false;
    std::mutex mutex;
    std::condition_variable readyChanged;
    std::thread thread;

    // Claims the lowest picture nobody has, prepares and stores it; false when
    // none is left. Called with the lock held, and holds it again on return.
    bool prepareOne(std::unique_lock<std::mutex>& lock) {
        if (nextUnclaimed >= order.size()) return false;
        const size_t i = nextUnclaimed++;
        stage[i] = Claimed;
        lock.unlock();
        PreparedPicture picture = preparePicture(order[i]);
        lock.lock();
        prepared[i] = std::move(picture);
        stage[i] = Ready;
        readyChanged.notify_all();
        return true;
    }

    void work() {
        std::unique_lock<std::mutex> lock(mutex);
        while (!stopping && prepareOne(lock)) {
        }
    }
};

namespace {

std::vector<PictureFile> plainFiles(const std::vector<std::string>& paths) {
    std::vector<PictureFile> files;
    for (const std::string& path : paths) files.push_back(PictureFile{path, ""});
    return files;
}

}  // namespace

PicturePreparer::PicturePreparer(const std::vector<std::string>& paths) : PicturePreparer(plainFiles(paths)) {}

PicturePreparer::PicturePreparer(std::vector<PictureFile> files) : state_(new State(std::move(files))) {
    growHeapForPictures();
#ifndef __EMSCRIPTEN__
    State* state = state_.get();
    try {
        state->thread = std::thread([state] { state->work(); });
    } catch (const std::system_error&) {
        // No second thread to be had: take() prepares every picture itself.
    }
#endif
}

PicturePreparer::~PicturePreparer() {
    // Also on the way out by an exception from the loading screen's frame
    // seam (a recorder that is stopped): the thread ends after its picture.
    {
        std::lock_guard<std::mutex> lock(state_->mutex);
        state_->stopping = true;
    }
    if (state_->thread.joinable()) state_->thread.join();
}

PreparedPicture PicturePreparer::take(size_t i) {
    std::unique_lock<std::mutex> lock(state_->mutex);
    while (state_->stage[i] != State::Ready)
        if (!state_->prepareOne(lock)) state_->readyChanged.wait(lock);
    return std::move(state_->prepared[i]);
}

bool PicturePreparer::prepareNext() {
    std::unique_lock<std::mutex> lock(state_->mutex);
    return state_->prepareOne(lock);
}
