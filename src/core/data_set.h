#pragma once
// The data set: every file the show reads from ./data/, what it is, and the
// slot of the texture table that each picture fills. The loader, the
// generators and the web build all take the names from here, so that a new
// file is one new line.
//
// The build reads kDataSet below with a plain pattern (cmake/data_set.cmake):
// keep each entry on a line of its own, written as
//     {key, "file name", DataSource::Maker, "what it is"},
// with no comma inside the key and no quote inside the texts.

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
};

// In key order.
constexpr DataFile kDataSet[] = {
    {kSlotFirstCard + 0, "mij1.jpg", DataSource::Pictures, "first intro card"},
    {kSlotFirstCard + 1, "mij2.jpg", DataSource::Pictures, "second intro card"},
    {kSlotFirstCard + 2, "mij3.jpg", DataSource::Pictures, "third intro card"},
    {kSlotFirstSlide + 0, "mij4.jpg", DataSource::Pictures, "first slide"},
    {kSlotFirstSlide + 1, "mij5.jpg", DataSource::Pictures, "second slide"},
    {kSlotFirstSlide + 2, "mij6.jpg", DataSource::Pictures, "third slide"},
    {kSlotFirstSlide + 3, "mij7.jpg", DataSource::Pictures, "fourth slide"},
    {kSlotFirstSlide + 4, "mij8.jpg", DataSource::Pictures, "fifth slide"},
    {kSlotFirstSlide + 5, "mij9.jpg", DataSource::Pictures, "sixth slide"},
    {kSlotFirstSlide + 6, "mij10.jpg", DataSource::Pictures, "seventh slide"},
    {kSlotOutroCard1, "mij11.jpg", DataSource::Pictures, "first closing card"},
    {kSlotOutroCard2, "mij12.jpg", DataSource::Pictures, "second closing card"},
    {kSlotScrollerBackground, "mij13.jpg", DataSource::Pictures, "the Scroller's background"},
    {kSlotAtlas, "unpack.jpg", DataSource::Pictures, "the atlas: loading panels, buttons, sprites"},
    {kSlotParticle, "particle.png", DataSource::Pictures, "the glow of sparks and trails"},
    {kSlotChef, "chef.png", DataSource::Pictures, "the chef over the slides"},
    {kSlotBubble, "bubble.png", DataSource::Pictures, "the chef's speech bubble"},
    {kSlotFirstCaption + 0, "mij4_txt.png", DataSource::Pictures, "caption of the first slide"},
    {kSlotFirstCaption + 1, "mij5_txt.png", DataSource::Pictures, "caption of the second slide"},
    {kSlotFirstCaption + 2, "mij6_txt.png", DataSource::Pictures, "caption of the third slide"},
    {kSlotFirstCaption + 3, "mij7_txt.png", DataSource::Pictures, "caption of the fourth slide"},
    {kSlotFirstCaption + 4, "mij8_txt.png", DataSource::Pictures, "caption of the fifth slide"},
    {kSlotFirstCaption + 5, "mij9_txt.png", DataSource::Pictures, "caption of the sixth slide"},
    {kSlotFirstCaption + 6, "mij10_txt.png", DataSource::Pictures, "caption of the seventh slide"},
    {kFileIcon, "icon.jpg", DataSource::Pictures, "the window's icon"},
    {kFileFont, "font.ttf", DataSource::Font, "the Scroller's font"},
    {kFileSong, "song.ogg", DataSource::Song, "the music"},
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
