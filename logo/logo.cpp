// Brand logo routine and its text routines.
#include "logo.h"

#include "brands.h"
#include "rt_ui.h"

namespace {

LogoSettings g_settings;

static_assert(sizeof(brands::kTable) / sizeof(brands::kTable[0]) == kLogoEntries);

// Every entry has one to four lines in a known style, the first one being the title.
constexpr bool TableIsWellFormed()
{
    for (const brands::Entry &e : brands::kTable) {
        if (e.numLines < 1 || e.numLines > 4 || e.lines[0].text != nullptr)
            return false;
        for (int i = 0; i < e.numLines; ++i)
            if (e.lines[i].style < 1 || e.lines[i].style > 3 || (i > 0 && e.lines[i].text == nullptr))
                return false;
    }
    return true;
}
static_assert(TableIsWellFormed());

constexpr int kTextGrey = 0x808080;
constexpr int kTextBlack = 0x000000;
constexpr int kTextWhite = 0xFFFFFF;
constexpr int kBgWhite = 0xFFFFFF;
constexpr int kBgStyle4 = 0x0080FF;

// Creates one text line: a new text message with the application font, the
// given colours, point size and text. The run-time sizes a text message made
// at run time to its text whenever its font, size or text changes. On any
// failure the half-made control is removed again so that no stray control stays.
int MakeInfoText(const char *text, int left, int top, int pointSize, int bgColor, int textColor)
{
    const int panel = g_settings.panel;
    if (!text)
        return UIEValueInvalid;
    const int id = NewCtrl(panel, CTRL_TEXT_MSG, "", top, left);
    if (id < 0)
        return id;

    int r = SetCtrlAttribute(panel, id, ATTR_TEXT_FONT, VAL_APPLICATION_FONT);
    if (r >= 0)
        r = SetCtrlAttribute(panel, id, ATTR_TEXT_BGCOLOR, bgColor);
    if (r >= 0)
        r = SetCtrlAttribute(panel, id, ATTR_TEXT_COLOR, textColor);
    if (r >= 0)
        r = SetCtrlAttribute(panel, id, ATTR_TEXT_POINT_SIZE, pointSize);
    if (r >= 0)
        r = SetCtrlVal(panel, id, text);
    if (r < 0) {
        DiscardCtrl(panel, id);
        return r;
    }
    return id;
}

using InfoTextFn = int (*)(int, const char *, int, int, int);

InfoTextFn StyleRoutine(int style)
{
    switch (style) {
    case 1: return ShowInfoText1;
    case 2: return ShowInfoText2;
    case 3: return ShowInfoText3;
    case 4: return ShowInfoText4;
    default: return nullptr;
    }
}

} // namespace

LogoSettings MakeLogoSettings(int panel, const char *title)
{
    LogoSettings s;
    s.panel = panel;
    s.frameCtrl = CtrlIdFromName(panel, "LogoFrame");
    s.pictureCtrl = CtrlIdFromName(panel, "LogoPicture");
    if (title)
        s.title = title;
    return s;
}

void SetLogoSettings(const LogoSettings &settings) { g_settings = settings; }

const LogoSettings &GetLogoSettings() { return g_settings; }

int ShowLogo(int index)
{
    if (index < 0 || index >= kLogoEntries)
        return UIEIndexOutOfRange;
    const LogoSettings &s = g_settings;
    if (s.panel <= 0 || s.frameCtrl <= 0 || s.pictureCtrl <= 0)
        return UIEHandleInvalid;
    const brands::Entry &e = brands::kTable[index];

    int result = 0;
    const auto note = [&result](int r) {
        if (r < 0 && result == 0)
            result = r;
    };
    note(SetCtrlAttribute(s.panel, s.frameCtrl, ATTR_FRAME_COLOR, e.frameColor));
    note(SetCtrlAttribute(s.panel, s.pictureCtrl, ATTR_TOP, e.pictureTop + s.offsetTop));
    note(SetCtrlAttribute(s.panel, s.pictureCtrl, ATTR_LEFT, e.pictureLeft + s.offsetLeft));
    // An entry without a bitmap leaves the picture empty, whatever it showed before.
    note(DisplayImageFile(s.panel, s.pictureCtrl, e.bitmap ? e.bitmap : ""));

    const bool allStyle4 = index == 5 && s.entry5InStyle4;
    for (int i = 0; i < e.numLines; ++i) {
        const brands::Line &line = e.lines[i];
        const InfoTextFn show = StyleRoutine(allStyle4 ? 4 : line.style);
        if (!show) {
            note(UIEValueInvalid);
            continue;
        }
        const char *text = line.text ? line.text : s.title.c_str();
        note(show(0, text, line.left + s.offsetLeft, line.top + s.offsetTop, line.pointSize));
    }
    return result;
}

int ShowInfoText1(int, const char *text, int left, int top, int pointSize)
{
    return MakeInfoText(text, left, top, pointSize, kBgWhite, kTextGrey);
}

int ShowInfoText2(int, const char *text, int left, int top, int pointSize)
{
    return MakeInfoText(text, left, top, pointSize, kBgWhite, kTextBlack);
}

int ShowInfoText3(int, const char *text, int left, int top, int pointSize)
{
    return MakeInfoText(text, left, top, pointSize, VAL_TRANSPARENT, kTextWhite);
}

int ShowInfoText4(int, const char *text, int left, int top, int pointSize)
{
    return MakeInfoText(text, left, top, pointSize, kBgStyle4, kTextWhite);
}
