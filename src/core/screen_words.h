#pragma once
// What the screen says, as text: the words of the picture that holds it (the
// data set's table), said the way a listener or a caption reader takes them
// in. The web page reads them out as each part of the show appears; the
// recorder writes them as the video's captions and names its chapters by them.
//
// A part of the show is keyed by the table slot of the picture that fills the
// screen: the atlas for the loading screen, a title card, a slide, the
// Scroller's background or a closing card.

#include <string>

enum class ScreenPhase { Loading, Intro, Slideshow, Scroller, Outro };

// The slot whose words the screen shows in a phase, given the phase's own
// slot (the card, the slide); -1 where it says nothing.
int screenSlot(ScreenPhase phase, int slot);

enum class WordsForm {
    Spoken,   // one run of sentences, with where it is in the show ("Step 2 of 7: ...")
    Caption,  // what the screen says, a line for each thing on it
};
// The words of a part of the show; empty for none.
std::string screenWords(int slot, WordsForm form);

// The chapter a part belongs to: the loading screen and the three title cards
// make one, each slide one, the Scroller one, the two closing cards one.
// -1 for none.
int chapterOf(int slot);
// Its title: "Title cards", "Step 2: Brown the beef", "Scroll text", "Closing cards".
std::string chapterTitle(int chapter);
