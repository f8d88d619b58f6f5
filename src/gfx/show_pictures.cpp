#include "gfx/show_pictures.h"

#include <string>
#include <vector>

#include "core/data_set.h"
#include "gfx/loading_screen.h"
#include "gfx/textures.h"

namespace {

// The slots loadAllTextures fills, in its order.
constexpr int kLoadOrder[] = {
    kSlotParticle,
    kSlotFirstCard, kSlotFirstCard + 1, kSlotFirstCard + 2,
    kSlotFirstSlide, kSlotFirstSlide + 1, kSlotFirstSlide + 2, kSlotFirstSlide + 3,
    kSlotFirstSlide + 4, kSlotFirstSlide + 5, kSlotFirstSlide + 6,
    kSlotOutroCard1, kSlotOutroCard2, kSlotScrollerBackground,
    kSlotFirstCaption, kSlotFirstCaption + 1, kSlotFirstCaption + 2, kSlotFirstCaption + 3,
    kSlotFirstCaption + 4, kSlotFirstCaption + 5, kSlotFirstCaption + 6,
    kSlotBubble, kSlotChef,
};
constexpr size_t kLoaded = sizeof kLoadOrder / sizeof kLoadOrder[0];
static_assert(kLoaded == kTextureSlots - 1, "every slot but the atlas");

std::vector<PictureFile> loadOrderFiles(bool finer) {
    std::vector<PictureFile> files;
    for (int slot : kLoadOrder) files.push_back(showPictureFile(slot, finer));
    return files;
}

}  // namespace

PictureFile showPictureFile(int slot, bool finer) {
    return PictureFile{dataFilePath(slot), finer && hasFinerFile(slot) ? finerFilePath(slot) : ""};
}

ShowPictures::ShowPictures(bool finer) : PicturePreparer(loadOrderFiles(finer)), finer_(finer) {}

void loadAllTextures(int* table, bool finer, float progressFrom, float progressTo) {
    ShowPictures pictures(finer);
    loadAllTextures(table, pictures, progressFrom, progressTo);
}

void loadAllTextures(int* table, ShowPictures& pictures, float progressFrom, float progressTo) {
    auto upload = [&](size_t i) { table[kLoadOrder[i]] = uploadPicture(pictures.take(i)); };

    drawLoadingScreen(progressFrom);
    // Fourteen parts for twenty-one steps: the progress runs past progressTo
    // on the way, and the last frame shows progressTo again.
    const float step = (progressTo - progressFrom) / 14;
    float progress = progressFrom;
    upload(0);
    for (size_t i = 1; i <= 20; ++i) {
        upload(i);
        progress += step;
        drawLoadingScreen(progress);
    }
    upload(21);
    upload(22);
    progress += step;
    drawLoadingScreen(progress);

    drawLoadingScreen(progressTo);
}
