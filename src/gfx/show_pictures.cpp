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

std::vector<PictureFile> loadOrderFiles(float scale) {
    std::vector<PictureFile> files;
    for (int slot : kLoadOrder) files.push_back(showPictureFile(slot, scale));
    return files;
}

// The plain file's texels on a unit of the 800 x 600 space where the show
// draws the picture at its largest.
float plainTexelsPerUnit(int slot) {
    // The spark: 64 texels over an ambient glow's 30 units (a spark's 24 at most).
    if (slot == kSlotParticle) return 64.0f / 30.0f;
    // The chef, the bubble and the captions: 512 texels over 200 units,
    // breathing to 1.05 times that.
    if (slot == kSlotChef || slot == kSlotBubble || (slot >= kSlotFirstCaption && slot < kSlotFirstCaption + 7))
        return 512.0f / (200.0f * 1.05f);
    // The full-screen pictures (800 pixels over 800 units) and the atlas (a texel a unit).
    return 1.0f;
}

}  // namespace

bool readsFinerFile(int slot, float scale) { return hasFinerFile(slot) && plainTexelsPerUnit(slot) < scale; }

PictureFile showPictureFile(int slot, float scale) {
    return PictureFile{dataFilePath(slot), readsFinerFile(slot, scale) ? finerFilePath(slot) : ""};
}

ShowPictures::ShowPictures(float scale) : PicturePreparer(loadOrderFiles(scale)), scale_(scale) {}

void loadAllTextures(int* table, float scale, float progressFrom, float progressTo) {
    ShowPictures pictures(scale);
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
