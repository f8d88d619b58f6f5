#pragma once
// The data set: every file the show reads from ./data/, what it is, and the
// slot of the texture table that each picture fills. The loader, the
// generators and the web build all take the names from here, so that a new
// file is one new line.
//
// The build reads kDataSet below with a plain pattern (cmake/data_set.cmake):
// keep each entry on a line of its own, written as
//     {key, "file name", DataSource::Maker, "what it is", "the words"},
// or with nullptr for the words, with no comma inside the key and no quote
// inside the texts (a letter beyond ASCII written as a \u escape).
//
// The words are what a picture says, as text, for whoever cannot see it (the
// web page reads them out, the recorder writes them as captions): the lines
// it sets, in reading order, parted by '\n' (an empty line where the picture
// leaves one), two columns of one line parted by '\t'. The picture generator
// draws its lettering from these same strings. A slide's step tab ("STEP 2 /
// 7") goes by the slide's place and is left out, as is the lettering of the
// props (a bottle's label, a clock's numbers).

#include <string>

// The slots of the texture table.
enum TextureSlot {
    kSlotFirstCard = 0,  // 0..2 intro cards
    kSlotFirstSlide = 3,  // 3..9 slides
    kSlotLastSlide = 9,
    kSlotOutroCard1 = 10,
    kSlotOutroCard2 = 11,
    kSlotScrollerBackground = 12,
    kSlotAtlas = 13,
    kSlotParticle = 14,
    kSlotChef = 15,
    kSlotBubble = 16,
    kSlotFirstCaption = 17,  // 17..23 captions of the slides
    kTextureSlots = 24
};

// The files that fill no slot, keyed after the slots.
enum OtherDataFile { kFileIcon = kTextureSlots, kFileFont, kFileSong, kDataFiles };

// What makes a file: the picture generator, the song generator, or the
// build's copy of the font.
enum class DataSource { Pictures, Song, Font };

struct DataFile {
    int key;  // a TextureSlot or an OtherDataFile
    const char* name;
    DataSource source;
    const char* what;
    const char* words;  // nullptr: a picture without words, or no picture
};

// In key order.
constexpr DataFile kDataSet[] = {
    {kSlotFirstCard + 0, "mij1.jpg", DataSource::Pictures, "first intro card", "Mijotine!\nthe slow-cooking magazine for your screen\nISSUE 1"},
    {kSlotFirstCard + 1, "mij2.jpg", DataSource::Pictures, "second intro card", "In the kitchen with\nStovecraft"},
    {kSlotFirstCard + 2, "mij3.jpg", DataSource::Pictures, "third intro card", "ON TODAY'S STOVE\nBoeuf\nBourguignon\nbeef, bacon, a bottle of red,\nonions, carrots, mushrooms,\nherbs and time.\n\nSeven steps.\nOne slow pot.\nuse the arrow keys to turn the pages"},
    {kSlotFirstSlide + 0, "mij4.jpg", DataSource::Pictures, "first slide", "The line-up"},
    {kSlotFirstSlide + 1, "mij5.jpg", DataSource::Pictures, "second slide", "Brown the beef"},
    {kSlotFirstSlide + 2, "mij6.jpg", DataSource::Pictures, "third slide", "Bacon, onions, carrots"},
    {kSlotFirstSlide + 3, "mij7.jpg", DataSource::Pictures, "fourth slide", "Deglaze with wine"},
    {kSlotFirstSlide + 4, "mij8.jpg", DataSource::Pictures, "fifth slide", "Lid on, flame low\nabout 3 hours..."},
    {kSlotFirstSlide + 5, "mij9.jpg", DataSource::Pictures, "sixth slide", "Mushrooms in butter"},
    {kSlotFirstSlide + 6, "mij10.jpg", DataSource::Pictures, "seventh slide", "Serve it proudly\nBon app\u00e9tit !"},
    {kSlotOutroCard1, "mij11.jpg", DataSource::Pictures, "first closing card", "Merci!\nThank you for cooking along.\nPresenter\tStovecraft\nEditor\tSaucier\nPictures\tPepperpot\nMusic\tKettle\nProgram\tWhisk"},
    {kSlotOutroCard2, "mij12.jpg", DataSource::Pictures, "second closing card", "\u00c0 bient\u00f4t!\nIssue 2 is already simmering.\nSEE YOU IN ISSUE 2"},
    {kSlotScrollerBackground, "mij13.jpg", DataSource::Pictures, "the Scroller's background", nullptr},
    {kSlotAtlas, "unpack.jpg", DataSource::Pictures, "the atlas: loading panels, buttons, sprites", "Mijotine!\nis warming up...\nISSUE 1  -  STOVECRAFT"},
    {kSlotParticle, "particle.png", DataSource::Pictures, "the glow of sparks and trails", nullptr},
    {kSlotChef, "chef.png", DataSource::Pictures, "the chef over the slides", nullptr},
    {kSlotBubble, "bubble.png", DataSource::Pictures, "the chef's speech bubble", nullptr},
    {kSlotFirstCaption + 0, "mij4_txt.png", DataSource::Pictures, "caption of the first slide", "Meet the cast:\nbeef, wine\n& friends!"},
    {kSlotFirstCaption + 1, "mij5_txt.png", DataSource::Pictures, "caption of the second slide", "Brown it well.\nColour\nis flavour!"},
    {kSlotFirstCaption + 2, "mij6_txt.png", DataSource::Pictures, "caption of the third slide", "Bacon first.\nAlways\nbacon first."},
    {kSlotFirstCaption + 3, "mij7_txt.png", DataSource::Pictures, "caption of the fourth slide", "A splash for\nthe pot...\na sip for me!"},
    {kSlotFirstCaption + 4, "mij8_txt.png", DataSource::Pictures, "caption of the fifth slide", "Lid on,\nflame low.\nNow: patience."},
    {kSlotFirstCaption + 5, "mij9_txt.png", DataSource::Pictures, "caption of the sixth slide", "Butter makes\neverything\nbetter."},
    {kSlotFirstCaption + 6, "mij10_txt.png", DataSource::Pictures, "caption of the seventh slide", "Bon app\u00e9tit!\nWorth every\nhour."},
    {kFileIcon, "icon.jpg", DataSource::Pictures, "the window's icon", nullptr},
    {kFileFont, "font.ttf", DataSource::Font, "the Scroller's font", nullptr},
    {kFileSong, "song.ogg", DataSource::Song, "the music", nullptr},
};

constexpr bool dataSetInKeyOrder() {
    int i = 0;
    for (const DataFile& file : kDataSet)
        if (file.key != i++) return false;
    return i == kDataFiles;
}
static_assert(dataSetInKeyOrder(), "one entry for every key, in key order");

// The file's name in data/, and the path the show opens it by.
constexpr const char* dataFileName(int key) { return kDataSet[key].name; }
inline std::string dataFilePath(int key) { return std::string("./data/") + dataFileName(key); }

// The finer data set: every picture that fills a slot is also drawn at twice
// its resolution (1600 x 1200 for the full-screen ones, 1024 x 1024 for the
// atlas and the overlays, 128 x 128 for the spark), the same picture drawn
// finer, under its name with "@2x" before the extension: "mij1@2x.jpg". The
// show reads each where it draws the picture too large for the plain one.
constexpr int kFinerScale = 2;
constexpr bool hasFinerFile(int key) { return key >= 0 && key < kTextureSlots; }
inline std::string finerFileName(int key) {
    const std::string name = dataFileName(key);
    const size_t dot = name.rfind('.');
    return name.substr(0, dot) + "@2x" + name.substr(dot);
}
inline std::string finerFilePath(int key) { return std::string("./data/") + finerFileName(key); }
