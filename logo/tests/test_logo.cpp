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

// The brand area of the real main panels (and of the test panel).
constexpr int kFrameLeft = 4, kFrameTop = 4, kFrameRight = 992, kFrameBottom = 64;

struct TextLine {
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
        Use(MakeLogoSettings(panel, "VELTRA-Scope V6.1"));
    }

    void TearDown() override
    {
        for (int p : {panel, bare})
            if (p > 0)
                DiscardPanel(p);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        SetLogoSettings(LogoSettings{});
    }

    // Installs settings; only text lines created after this count as new.
    void Use(const LogoSettings &s)
    {
        SetLogoSettings(s);
        firstNewId = ProbeNextId();
    }

    // Identifier the next new control would get (control ids only grow).
    int ProbeNextId()
    {
        const int id = NewCtrl(panel, CTRL_DECORATION, "", 0, 0);
        EXPECT_GT(id, 0);
        DiscardCtrl(panel, id);
        return id + 1;
    }

    // The text lines created since the last Use(), in creation order.
    std::vector<TextLine> NewLines()
    {
        std::vector<TextLine> lines;
        for (int id = firstNewId, end = ProbeNextId() - 1; id < end; ++id) {
            if (CtrlName(panel, id).empty())
                continue;
            EXPECT_EQ(Attr(id, ATTR_CTRL_STYLE), CTRL_TEXT_MSG);
            char buf[256] = "";
            GetCtrlVal(panel, id, buf, sizeof buf);
            lines.push_back({buf, Attr(id, ATTR_LEFT), Attr(id, ATTR_TOP), Attr(id, ATTR_WIDTH),
                             Attr(id, ATTR_HEIGHT), Attr(id, ATTR_TEXT_POINT_SIZE), Attr(id, ATTR_TEXT_BGCOLOR),
                             Attr(id, ATTR_TEXT_COLOR)});
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
        const QRgb frame = 0xFFFFFF & static_cast<QRgb>(Attr(Frame(), ATTR_FRAME_COLOR));
        int marked = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                marked += (img.pixel(x, y) & 0xFFFFFF) != frame;
        return marked;
    }

    int panel = 0, bare = 0, firstNewId = 0;
};

TEST_F(LogoTest, IndexOutsideTheTableChangesNothing)
{
    for (int index : {-1, 12, INT_MIN, INT_MAX})
        EXPECT_EQ(ShowLogo(index), UIEIndexOutOfRange) << index;
    EXPECT_TRUE(NewLines().empty());
    EXPECT_EQ(Attr(Frame(), ATTR_FRAME_COLOR), 0xC0C0C0);
    EXPECT_EQ(Attr(Picture(), ATTR_LEFT), 100);
    EXPECT_EQ(Attr(Picture(), ATTR_TOP), 70);
}

TEST_F(LogoTest, NeutralEntryShowsOnlyTheTitleOnWhiteAndOffsetsMoveIt)
{
    ASSERT_EQ(ShowLogo(0), 0);
    auto lines = NewLines();
    ASSERT_EQ(lines.size(), 1u);
    const TextLine t = lines[0];
    EXPECT_EQ(t.text, "VELTRA-Scope V6.1");
    EXPECT_EQ(t.bg, 0xFFFFFF);
    EXPECT_EQ(t.fg, 0x000000);
    // The line is as wide as its text, not the size of the empty label it started as.
    QFont f(QApplication::font());
    f.setPointSize(t.pointSize);
    EXPECT_GE(t.width, QFontMetrics(f).horizontalAdvance("VELTRA-Scope V6.1"));
    EXPECT_EQ(Attr(Frame(), ATTR_FRAME_COLOR), 0xFFFFFF);
    EXPECT_EQ(MarkedPicturePixels(), 0);
    const int picLeft = Attr(Picture(), ATTR_LEFT), picTop = Attr(Picture(), ATTR_TOP);

    LogoSettings s = GetLogoSettings();
    s.offsetLeft = 3;
    s.offsetTop = -2;
    Use(s);
    ASSERT_EQ(ShowLogo(0), 0);
    EXPECT_EQ(Attr(Picture(), ATTR_LEFT), picLeft + 3);
    EXPECT_EQ(Attr(Picture(), ATTR_TOP), picTop - 2);
    lines = NewLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].left, t.left + 3);
    EXPECT_EQ(lines[0].top, t.top - 2);
}

// The calibration variant draws entry 5 in style 4; other entries keep their styles.
TEST_F(LogoTest, CalibrationVariantDrawsEntryFiveInStyleFour)
{
    LogoSettings s = MakeLogoSettings(panel, "VELTRA-CALIB-Scope V6.1");
    s.entry5InStyle4 = true;
    for (int index : {5, 4}) {
        Use(s);
        ASSERT_EQ(ShowLogo(index), 0);
        const auto lines = NewLines();
        ASSERT_EQ(lines.size(), 4u);
        EXPECT_EQ(lines[0].text, "VELTRA-CALIB-Scope V6.1");
        for (const TextLine &l : lines) {
            EXPECT_EQ(l.bg, index == 5 ? 0x0080FF : 0xFFFFFF) << l.text;
            EXPECT_TRUE(l.fg == (index == 5 ? 0xFFFFFF : 0x808080) || (index == 4 && l.fg == 0)) << l.text;
        }
    }
}

// Every brand entry on the real geometry: frame colour, bitmap loads, lines
// lie inside the frame, clear of the picture and of each other, and are readable.
TEST_F(LogoTest, EveryEntryFitsTheBrandArea)
{
    for (int index = 0; index < kLogoEntries; ++index) {
        SCOPED_TRACE(index);
        Use(MakeLogoSettings(panel, "VELTRA-TEMPCOMP-Scope V6.1")); // the longest title
        ASSERT_EQ(ShowLogo(index), 0);
        const int frame = Attr(Frame(), ATTR_FRAME_COLOR);
        EXPECT_EQ(frame, index == 5 ? 0x0080FF : 0xFFFFFF);
        const int top = Attr(Picture(), ATTR_TOP), left = Attr(Picture(), ATTR_LEFT);
        EXPECT_TRUE(top >= kFrameTop && top + Attr(Picture(), ATTR_HEIGHT) <= kFrameBottom && left >= kFrameLeft);
        if (index > 0)
            EXPECT_GT(MarkedPicturePixels(), 100);

        const auto lines = NewLines();
        ASSERT_GE(lines.size(), 1u);
        ASSERT_LE(lines.size(), 4u);
        EXPECT_EQ(lines[0].text, "VELTRA-TEMPCOMP-Scope V6.1");
        for (size_t i = 0; i < lines.size(); ++i) {
            const TextLine &a = lines[i];
            SCOPED_TRACE(a.text);
            EXPECT_FALSE(a.text.empty());
            EXPECT_GE(a.left, left + Attr(Picture(), ATTR_WIDTH));
            EXPECT_TRUE(a.top >= kFrameTop && a.left + a.width <= kFrameRight && a.top + a.height <= kFrameBottom);
            EXPECT_EQ(a.bg == VAL_TRANSPARENT ? frame : a.bg, frame); // the box blends into the frame
            EXPECT_NE(a.fg, frame);
            for (size_t j = i + 1; j < lines.size(); ++j) {
                const TextLine &b = lines[j];
                EXPECT_TRUE(a.left + a.width <= b.left || b.left + b.width <= a.left ||
                            a.top + a.height <= b.top || b.top + b.height <= a.top)
                    << a.text << " overlaps " << b.text;
            }
        }
    }
}

TEST_F(LogoTest, MissingBitmapStillShowsFrameAndLinesAndSaysSo)
{
    // Neither the working directory nor the test's own directory holds bitmaps.
    ASSERT_TRUE(QDir::setCurrent(QDir::tempPath()));
    EXPECT_LT(ShowLogo(5), 0);
    EXPECT_EQ(Attr(Frame(), ATTR_FRAME_COLOR), 0x0080FF);
    EXPECT_EQ(NewLines().size(), 4u);
    EXPECT_EQ(MarkedPicturePixels(), 0);
}

TEST_F(LogoTest, BadSettingsOrTextCreateNothing)
{
    bare = LoadPanel(0, LOGO_TEST_PANEL, 2);
    ASSERT_GT(bare, 0);
    SetLogoSettings(MakeLogoSettings(bare, "X")); // no frame, no picture
    EXPECT_LT(ShowLogo(0), 0);
    Use(MakeLogoSettings(panel, "X"));
    EXPECT_LT(ShowInfoText1(0, nullptr, 1, 1, 9), 0); // a missing text makes no control
    EXPECT_TRUE(NewLines().empty());
}

} // namespace
