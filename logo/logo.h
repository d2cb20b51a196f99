// The brand area of the scope programs' main panels: a coloured frame, a
// picture with the brand bitmap, and text lines (the program title and the
// brand's company lines) created at run time as new text messages. One table
// of 12 brand entries serves all programs; an index chosen at start-up picks
// the entry.
#pragma once

#include <string>

// Number of entries in the brand table (valid indexes 0 .. kLogoEntries - 1).
constexpr int kLogoEntries = 12;

// What each program tells the logo routines once at start-up.
struct LogoSettings {
    int panel = 0;       // main panel that carries the brand area
    int frameCtrl = 0;   // decoration "LogoFrame" of that panel
    int pictureCtrl = 0; // picture "LogoPicture" of that panel
    // First text line of every entry.
    std::string title = "VELTRA-Scope V6.1";
    // Shift of the picture and of every text line, for a panel whose brand
    // area sits elsewhere.
    int offsetLeft = 0;
    int offsetTop = 0;
    // When set, every text line of entry 5 is drawn with ShowInfoText4
    // (white on the entry's frame colour) instead of its own style.
    bool entry5InStyle4 = false;
};

// Makes the settings for a loaded main panel: looks up "LogoFrame" and
// "LogoPicture" by name and takes the title; the other fields keep their
// defaults. A control that is missing leaves its id negative, and ShowLogo
// then refuses to run.
LogoSettings MakeLogoSettings(int panel, const char *title);

// Installs the settings used by ShowLogo and the ShowInfoText routines.
void SetLogoSettings(const LogoSettings &settings);
const LogoSettings &GetLogoSettings();

// Shows brand entry `index`: frame colour, picture position and bitmap, and
// the entry's text lines in order. With an index outside 0..11 nothing changes
// and UIEIndexOutOfRange is returned. Returns 0 when everything was shown,
// otherwise the first negative run-time code met (a bitmap that cannot be
// loaded still leaves the frame colour and all text lines in place).
int ShowLogo(int index);

// Each creates a new text message on the main panel at (left, top) in the
// application font with the given point size and text, and returns its
// control id (or a negative run-time code). The first argument is not used.
//   1: grey 0x808080 on white      2: black on white
//   3: white on transparent        4: white on 0x0080FF
int ShowInfoText1(int unused, const char *text, int left, int top, int pointSize);
int ShowInfoText2(int unused, const char *text, int left, int top, int pointSize);
int ShowInfoText3(int unused, const char *text, int left, int top, int pointSize);
int ShowInfoText4(int unused, const char *text, int left, int top, int pointSize);
