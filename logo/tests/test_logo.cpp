// Brand logo routine on a test panel whose brand area starts out grey with the
// picture misplaced, so that every change ShowLogo makes is visible.
#include "logo.h"
#include "rt_ui.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFontMetrics>
#include <QImage>
#include <QWidget>

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kStartFrameColor = 0xC0C0C0;
// The brand area of the real main panels (and of the test panel).
constexpr int kFrameLeft = 4, kFrameTop = 4, kFrameRight = 992, kFrameBottom = 64;

struct TextLine {
    int id;
    std::string text;
    int left, top, width, height, pointSize, bg, fg;
};

class LogoTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_EQ(InitRuntime(0, nullptr), 0); }

    void SetUp() override
    {
        // The bitmaps are drawn beside the programs; load them from there.
        const char *bin = std::getenv("VELT_BIN_DIR");
        ASSERT_NE(bin, nullptr);
        ASSERT_TRUE(QDir::setCurrent(QString::fromLocal8Bit(bin)));
        panel = LoadPanel(0, LOGO_TEST_PANEL, 1);
        ASSERT_GT(panel, 0);
        SetLogoSettings(MakeLogoSettings(panel, "VELTRA-Scope V6.1"));
        ASSERT_GT(GetLogoSettings().frameCtrl, 0);
        ASSERT_GT(GetLogoSettings().pictureCtrl, 0);
        firstNewId = ProbeNextId();
    }

    void TearDown() override
    {
        for (int p : {panel, bare})
            if (p > 0)
                DiscardPanel(p);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        SetLogoSettings(LogoSettings{});
    }

    // Identifier the next new control would get (control ids only grow).
    int ProbeNextId()
    {
        const int id = NewCtrl(panel, CTRL_DECORATION, "", 0, 0);
        EXPECT_GT(id, 0);
        DiscardCtrl(panel, id);
        return id + 1;
    }

    // The text lines created since SetUp, in creation order.
    std::vector<TextLine> NewLines()
    {
        std::vector<TextLine> lines;
        const int end = ProbeNextId() - 1;
        for (int id = firstNewId; id < end; ++id) {
            if (CtrlName(panel, id).empty())
                continue;
            int kind = 0;
            GetCtrlAttribute(panel, id, ATTR_CTRL_STYLE, &kind);
            EXPECT_EQ(kind, CTRL_TEXT_MSG);
            TextLine l{};
            l.id = id;
            char buf[256] = "";
            GetCtrlVal(panel, id, buf, sizeof buf);
            l.text = buf;
            GetCtrlAttribute(panel, id, ATTR_LEFT, &l.left);
            GetCtrlAttribute(panel, id, ATTR_TOP, &l.top);
            GetCtrlAttribute(panel, id, ATTR_WIDTH, &l.width);
            GetCtrlAttribute(panel, id, ATTR_HEIGHT, &l.height);
            GetCtrlAttribute(panel, id, ATTR_TEXT_POINT_SIZE, &l.pointSize);
            GetCtrlAttribute(panel, id, ATTR_TEXT_BGCOLOR, &l.bg);
            GetCtrlAttribute(panel, id, ATTR_TEXT_COLOR, &l.fg);
            lines.push_back(l);
        }
        return lines;
    }

    int Attr(int ctrl, int attribute)
    {
        int v = -1;
        EXPECT_EQ(GetCtrlAttribute(panel, ctrl, attribute, &v), 0);
        return v;
    }
    int Frame() { return GetLogoSettings().frameCtrl; }
    int Picture() { return GetLogoSettings().pictureCtrl; }

    // Pixels inside the picture control that differ from the frame colour.
    int MarkedPicturePixels()
    {
        QWidget *pic = nullptr;
        for (QWidget *w : QApplication::allWidgets())
            if (w->objectName() == "LogoPicture")
                pic = w;
        if (!pic)
            return -1;
        const QImage img = pic->window()->grab().toImage();
        const QRect r(pic->mapTo(pic->window(), QPoint(0, 0)), pic->size());
        const QRgb frame = qRgb(0xFF & (Attr(Frame(), ATTR_FRAME_COLOR) >> 16),
                                0xFF & (Attr(Frame(), ATTR_FRAME_COLOR) >> 8), 0xFF & Attr(Frame(), ATTR_FRAME_COLOR));
        int marked = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                if ((img.pixel(x, y) & 0xFFFFFF) != (frame & 0xFFFFFF))
                    ++marked;
        return marked;
    }

    int panel = 0;
    int bare = 0;
    int firstNewId = 0;
};

// Font of a text line as the run-time reports it.
std::string FontOf(int panel, int id)
{
    char family[256] = "";
    GetCtrlAttribute(panel, id, ATTR_TEXT_FONT, family);
    return family;
}

TEST_F(LogoTest, IndexOutsideTheTableChangesNothing)
{
    for (int index : {-1, 12, 100, INT_MIN, INT_MAX}) {
        EXPECT_EQ(ShowLogo(index), UIEIndexOutOfRange) << index;
    }
    EXPECT_TRUE(NewLines().empty());
    EXPECT_EQ(Attr(Frame(), ATTR_FRAME_COLOR), kStartFrameColor);
    EXPECT_EQ(Attr(Picture(), ATTR_LEFT), 100);
    EXPECT_EQ(Attr(Picture(), ATTR_TOP), 70);
}

TEST_F(LogoTest, NeutralEntryShowsOnlyTheTitleOnWhite)
{
    ASSERT_EQ(ShowLogo(0), 0);
    const auto lines = NewLines();
    ASSERT_EQ(lines.size(), 1u);
    const TextLine &t = lines[0];
    EXPECT_EQ(t.text, "VELTRA-Scope V6.1");
    EXPECT_EQ(t.left, 280);
    EXPECT_EQ(t.top, 20);
    EXPECT_EQ(t.pointSize, 22);
    EXPECT_EQ(t.bg, 0xFFFFFF);
    EXPECT_EQ(t.fg, 0x000000);
    EXPECT_EQ(FontOf(panel, t.id), QApplication::font().family().toStdString());
    // The line is as wide as its text, not the size of the empty label it started as.
    QFont f(QApplication::font());
    f.setPointSize(22);
    EXPECT_GE(t.width, QFontMetrics(f).horizontalAdvance("VELTRA-Scope V6.1"));
    EXPECT_GE(t.height, QFontMetrics(f).ascent());

    EXPECT_EQ(Attr(Frame(), ATTR_FRAME_COLOR), 0xFFFFFF);
    EXPECT_EQ(Attr(Picture(), ATTR_TOP), 5);
    EXPECT_EQ(Attr(Picture(), ATTR_LEFT), 10);
    EXPECT_EQ(MarkedPicturePixels(), 0);
}

TEST_F(LogoTest, BlueEntryShowsBitmapAndWhiteLinesOnItsFrame)
{
    ASSERT_EQ(ShowLogo(5), 0);
    EXPECT_EQ(Attr(Frame(), ATTR_FRAME_COLOR), 0x0080FF);
    EXPECT_GT(MarkedPicturePixels(), 100);
    const auto lines = NewLines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].text, "VELTRA-Scope V6.1");
    for (const TextLine &l : lines) {
        EXPECT_EQ(l.bg, VAL_TRANSPARENT) << l.text;
        EXPECT_EQ(l.fg, 0xFFFFFF) << l.text;
    }
}

TEST_F(LogoTest, CalibrationVariantDrawsEntryFiveInStyleFour)
{
    LogoSettings s = MakeLogoSettings(panel, "VELTRA-CALIB-Scope V6.1");
    s.entry5InStyle4 = true;
    SetLogoSettings(s);
    ASSERT_EQ(ShowLogo(5), 0);
    auto lines = NewLines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].text, "VELTRA-CALIB-Scope V6.1");
    for (const TextLine &l : lines) {
        EXPECT_EQ(l.bg, 0x0080FF) << l.text;
        EXPECT_EQ(l.fg, 0xFFFFFF) << l.text;
    }

    // Other entries keep their own styles under the same settings.
    firstNewId = ProbeNextId();
    ASSERT_EQ(ShowLogo(4), 0);
    lines = NewLines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].text, "VELTRA-CALIB-Scope V6.1");
    for (const TextLine &l : lines) {
        EXPECT_EQ(l.bg, 0xFFFFFF) << l.text;
        EXPECT_TRUE(l.fg == 0x808080 || l.fg == 0x000000) << l.text;
    }
}

// Every brand entry on the real geometry: bitmap loads, lines lie inside the
// frame, clear of the picture and of each other, and are readable.
TEST_F(LogoTest, EveryEntryFitsTheBrandArea)
{
    SetLogoSettings(MakeLogoSettings(panel, "VELTRA-TEMPCOMP-Scope V6.1")); // the longest title
    for (int index = 0; index < kLogoEntries; ++index) {
        SCOPED_TRACE(index);
        firstNewId = ProbeNextId();
        ASSERT_EQ(ShowLogo(index), 0);
        const int frame = Attr(Frame(), ATTR_FRAME_COLOR);
        EXPECT_EQ(frame, index == 5 ? 0x0080FF : 0xFFFFFF);
        const int top = Attr(Picture(), ATTR_TOP), left = Attr(Picture(), ATTR_LEFT);
        EXPECT_GE(top, kFrameTop);
        EXPECT_LE(top + Attr(Picture(), ATTR_HEIGHT), kFrameBottom);
        EXPECT_GE(left, kFrameLeft);
        const int picRight = left + Attr(Picture(), ATTR_WIDTH);
        if (index > 0) {
            EXPECT_GT(MarkedPicturePixels(), 100);
        }

        const auto lines = NewLines();
        ASSERT_GE(lines.size(), 1u);
        ASSERT_LE(lines.size(), 4u);
        EXPECT_EQ(lines[0].text, "VELTRA-TEMPCOMP-Scope V6.1");
        for (size_t i = 0; i < lines.size(); ++i) {
            const TextLine &a = lines[i];
            SCOPED_TRACE(a.text);
            EXPECT_FALSE(a.text.empty());
            EXPECT_GE(a.left, picRight);
            EXPECT_GE(a.top, kFrameTop);
            EXPECT_LE(a.left + a.width, kFrameRight);
            EXPECT_LE(a.top + a.height, kFrameBottom);
            const int shownBg = a.bg == VAL_TRANSPARENT ? frame : a.bg;
            EXPECT_NE(shownBg, a.fg);
            EXPECT_EQ(shownBg, frame); // the line's box blends into the frame
            for (size_t j = i + 1; j < lines.size(); ++j) {
                const TextLine &b = lines[j];
                const bool apart = a.left + a.width <= b.left || b.left + b.width <= a.left ||
                                   a.top + a.height <= b.top || b.top + b.height <= a.top;
                EXPECT_TRUE(apart) << a.text << " overlaps " << b.text;
            }
        }
    }
}

TEST_F(LogoTest, MissingBitmapStillShowsFrameAndLinesAndSaysSo)
{
    // Neither the working directory nor the test's own directory holds bitmaps.
    ASSERT_TRUE(QDir::setCurrent(QDir::tempPath()));
    ASSERT_FALSE(QDir(QCoreApplication::applicationDirPath()).exists("brand_05.png"));
    EXPECT_LT(ShowLogo(5), 0);
    EXPECT_EQ(Attr(Frame(), ATTR_FRAME_COLOR), 0x0080FF);
    EXPECT_EQ(NewLines().size(), 4u);
    EXPECT_EQ(MarkedPicturePixels(), 0);
}

TEST_F(LogoTest, BadSettingsOrTextCreateNothing)
{
    bare = LoadPanel(0, LOGO_TEST_PANEL, 2);
    ASSERT_GT(bare, 0);
    const LogoSettings s = MakeLogoSettings(bare, "X");
    EXPECT_LT(s.frameCtrl, 0);
    EXPECT_LT(s.pictureCtrl, 0);
    SetLogoSettings(s);
    EXPECT_LT(ShowLogo(0), 0);
    SetLogoSettings(LogoSettings{});
    EXPECT_LT(ShowLogo(0), 0);
    EXPECT_LT(ShowInfoText2(0, "x", 1, 1, 10), 0);
    // A missing text makes no control at all.
    SetLogoSettings(MakeLogoSettings(panel, "X"));
    EXPECT_LT(ShowInfoText1(0, nullptr, 1, 1, 9), 0);
    EXPECT_TRUE(NewLines().empty());
}

TEST_F(LogoTest, OffsetsMoveThePictureAndEveryLine)
{
    LogoSettings s = GetLogoSettings();
    s.offsetLeft = 3;
    s.offsetTop = -2;
    SetLogoSettings(s);
    ASSERT_EQ(ShowLogo(0), 0);
    EXPECT_EQ(Attr(Picture(), ATTR_LEFT), 13);
    EXPECT_EQ(Attr(Picture(), ATTR_TOP), 3);
    const auto lines = NewLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].left, 283);
    EXPECT_EQ(lines[0].top, 18);
}

} // namespace
