// The brand table: what each of the 12 brand entries shows in the brand area
// of a main panel, and how its bitmap is drawn. Shared by the logo routines
// and by the bitmap generator, so that file names and marks never drift.
//
// The brand area on the main panels is the frame at (4, 4) of 988 x 60 pixels
// with the picture (260 x 54) at its left end; the title starts at left 280,
// the company lines form a column at left 745.
//
// All company names, towns, telephone numbers and web addresses are invented
// (the +00 country code and the .example domain do not exist).
#pragma once

namespace brands {

enum TextStyle { Grey = 1, Black = 2, WhiteClear = 3, WhiteOnBlue = 4 };

struct Line {
    const char *text; // nullptr: the program's title
    int left;
    int top;
    int pointSize;
    int style; // 1..3, see TextStyle
};

// How the generator draws an entry's bitmap: an abstract mark followed by a
// short name.
enum MarkShape { Rings = 0, Petals, Bars, Diamond };

struct Entry {
    int frameColor;
    int pictureTop;
    int pictureLeft;
    const char *bitmap; // file name beside the program, nullptr for none
    int numLines;
    Line lines[4];
    // Bitmap design (unused where bitmap is nullptr).
    const char *markName;
    int markColor;
    int markShape;
    int markTextColor;
};

constexpr int kWhite = 0xFFFFFF;
constexpr int kBlueFrame = 0x0080FF;

// Column of the company lines: three rows that fit the 60-pixel frame.
constexpr int kColLeft = 745;
constexpr int kRow1 = 7, kRow2 = 25, kRow3 = 42;

constexpr Entry kTable[12] = {
    // 0: neutral entry, title only.
    {kWhite, 5, 10, nullptr, 1, {{nullptr, 280, 20, 22, Black}}, nullptr, 0, 0, 0},
    {kWhite,
     5,
     10,
     "brand_01.png",
     4,
     {{nullptr, 280, 16, 20, Black},
      {"Brimvale Sensor Works", kColLeft, kRow1, 10, Black},
      {"12 Larkmoor Road, Brimvale", kColLeft, kRow2, 9, Grey},
      {"Tel. +00 555 0101-0", kColLeft, kRow3, 9, Grey}},
     "Brimvale",
     0x2A6FB0,
     Rings,
     0x1F3550},
    {kWhite,
     5,
     10,
     "brand_02.png",
     4,
     {{nullptr, 280, 16, 20, Black},
      {"Quorrand Colour Systems", kColLeft, kRow1, 10, Black},
      {"Oskarsholm", kColLeft, kRow2, 9, Grey},
      {"www.quorrand.example", kColLeft, kRow3, 9, Grey}},
     "QUORRAND",
     0xC0392B,
     Petals,
     0x404040},
    {kWhite,
     6,
     10,
     "brand_03.png",
     3,
     {{nullptr, 280, 16, 20, Black},
      {"Vantrell Automation", kColLeft, 12, 10, Black},
      {"Tel. +00 555 0303", kColLeft, 32, 9, Grey}},
     "vantrell",
     0x2E8B57,
     Bars,
     0x2E8B57},
    {kWhite,
     5,
     10,
     "brand_04.png",
     4,
     {{nullptr, 280, 16, 20, Grey},
      {"Hesperin Messtechnik", kColLeft, kRow1, 10, Black},
      {"Tarvenich", kColLeft, kRow2, 9, Grey},
      {"Tel. +00 555 0404-12", kColLeft, kRow3, 9, Grey}},
     "Hesperin",
     0x7D3C98,
     Diamond,
     0x4A235A},
    // 5: the blue entry; white text straight on the frame colour.
    {kBlueFrame,
     5,
     10,
     "brand_05.png",
     4,
     {{nullptr, 280, 16, 20, WhiteClear},
      {"Ostrevin Industrial Optics", kColLeft, kRow1, 10, WhiteClear},
      {"Fennmoor", kColLeft, kRow2, 9, WhiteClear},
      {"www.ostrevin-optics.example", kColLeft, kRow3, 9, WhiteClear}},
     "OSTREVIN",
     0xFFFFFF,
     Rings,
     0xFFFFFF},
    {kWhite,
     5,
     10,
     "brand_06.png",
     4,
     {{nullptr, 280, 16, 20, Black},
      {"Marrowick Instruments", kColLeft, kRow1, 10, Black},
      {"Calverdale", kColLeft, kRow2, 9, Grey},
      {"www.marrowick.example", kColLeft, kRow3, 9, Grey}},
     "Marrowick",
     0xD35400,
     Petals,
     0x6E2C00},
    {kWhite,
     5,
     12,
     "brand_07.png",
     4,
     {{nullptr, 280, 16, 20, Black},
      {"Sundrel Optronics", kColLeft, kRow1, 10, Black},
      {"Pellhaven", kColLeft, kRow2, 9, Grey},
      {"Tel. +00 555 0707", kColLeft, kRow3, 9, Grey}},
     "SUNDREL",
     0xE1A100,
     Rings,
     0x5D4600},
    {kWhite,
     5,
     10,
     "brand_08.png",
     3,
     {{nullptr, 280, 16, 20, Black},
      {"Zarnett Vision", kColLeft, 12, 10, Black},
      {"www.zarnett-vision.example", kColLeft, 32, 9, Grey}},
     "zarnett",
     0x117A65,
     Diamond,
     0x0B5345},
    {kWhite,
     6,
     10,
     "brand_09.png",
     4,
     {{nullptr, 280, 16, 20, Black},
      {"Pellwith Controls", kColLeft, kRow1, 10, Black},
      {"Ostbrack", kColLeft, kRow2, 9, Grey},
      {"Tel. +00 555 0909-0", kColLeft, kRow3, 9, Grey}},
     "Pellwith",
     0x34495E,
     Bars,
     0x34495E},
    {kWhite,
     5,
     10,
     "brand_10.png",
     4,
     {{nullptr, 280, 16, 20, Grey},
      {"Ildrun Sensorik", kColLeft, kRow1, 10, Black},
      {"Varnholm", kColLeft, kRow2, 9, Grey},
      {"www.ildrun-sensorik.example", kColLeft, kRow3, 9, Grey}},
     "ILDRUN",
     0xA93226,
     Diamond,
     0x641E16},
    {kWhite,
     5,
     10,
     "brand_11.png",
     2,
     {{nullptr, 280, 16, 20, Black}, {"Corvanel Measurement", kColLeft, 20, 11, Black}},
     "Corvanel",
     0x1F618D,
     Petals,
     0x1B2631},
};

} // namespace brands
