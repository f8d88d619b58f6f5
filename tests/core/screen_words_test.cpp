// What the screen says, as the page announces it and the recorder captions
// it, from the data set's words.

#include <gtest/gtest.h>

#include "core/data_set.h"
#include "core/screen_words.h"

TEST(ScreenWords, EachPartSaysWhereItIsAndWhatItsPicturesSay) {
    // A slide: its step, its heading and the chef's caption, run together
    // for a listener and a line each for a caption reader.
    EXPECT_EQ(screenWords(kSlotFirstSlide + 1, WordsForm::Spoken),
              "Step 2 of 7: Brown the beef. Stovecraft says: Brown it well. Colour is flavour!");
    EXPECT_EQ(screenWords(kSlotFirstSlide + 4, WordsForm::Caption),
              "Step 5 of 7: Lid on, flame low\nabout 3 hours...\nStovecraft: Lid on, flame low. Now: patience.");
    EXPECT_EQ(screenWords(kSlotFirstCard + 1, WordsForm::Spoken), "Title card 2 of 3: In the kitchen with Stovecraft");
    // A card in two columns says each row as one line; a letter beyond ASCII
    // comes through as UTF-8.
    const std::string thanks = screenWords(kSlotOutroCard1, WordsForm::Caption);
    EXPECT_EQ(thanks.substr(0, thanks.find('\n')), "Merci! Thank you for cooking along.");
    EXPECT_NE(thanks.find("\nEditor: Saucier\n"), std::string::npos);
    EXPECT_EQ(screenWords(kSlotOutroCard2, WordsForm::Spoken).rfind("Closing card 2 of 2: \xC3\x80 bient\xC3\xB4t!", 0), 0u);
    // Every part with a picture of words says something, and no caption line is empty.
    for (int slot : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, int(kSlotAtlas)})
        for (WordsForm form : {WordsForm::Spoken, WordsForm::Caption}) {
            const std::string words = screenWords(slot, form);
            EXPECT_FALSE(words.empty()) << slot;
            EXPECT_EQ(words.find("\n\n"), std::string::npos) << slot;
            EXPECT_EQ(words.find('\t'), std::string::npos) << slot;
            if (form == WordsForm::Spoken) {
                EXPECT_EQ(words.find('\n'), std::string::npos) << slot;
            }
        }
    EXPECT_EQ(screenWords(kSlotChef, WordsForm::Spoken), "");
}

TEST(ScreenWords, PhasesMapToTheirPartsAndChapters) {
    EXPECT_EQ(screenSlot(ScreenPhase::Loading, -1), kSlotAtlas);
    EXPECT_EQ(screenSlot(ScreenPhase::Intro, 2), 2);
    // The frame that ends the slideshow past its last slide still shows the last.
    EXPECT_EQ(screenSlot(ScreenPhase::Slideshow, kSlotLastSlide + 1), kSlotLastSlide);
    EXPECT_EQ(screenSlot(ScreenPhase::Scroller, 12), kSlotScrollerBackground);
    EXPECT_EQ(screenSlot(ScreenPhase::Outro, -1), -1);
    // The loading screen and the three cards are one chapter, the closing cards another.
    EXPECT_EQ(chapterOf(kSlotAtlas), chapterOf(kSlotFirstCard + 2));
    EXPECT_EQ(chapterOf(kSlotOutroCard1), chapterOf(kSlotOutroCard2));
    EXPECT_NE(chapterOf(kSlotFirstSlide), chapterOf(kSlotFirstSlide + 1));
    EXPECT_EQ(chapterTitle(chapterOf(1)), "Title cards");
    EXPECT_EQ(chapterTitle(chapterOf(kSlotFirstSlide + 6)), "Step 7: Serve it proudly");
    EXPECT_EQ(chapterTitle(chapterOf(kSlotScrollerBackground)), "Scroll text");
    EXPECT_EQ(chapterTitle(chapterOf(kSlotOutroCard2)), "Closing cards");
    EXPECT_EQ(chapterOf(kSlotChef), -1);
}
