// Brand logo routine on a test panel whose brand area starts out grey with the
// picture misplaced, so that every change ShowLogo makes is visible.
#include "logo.h"
#include "ctrlvalues.h"
#include "rt_ui.h"

#include <QApplication>
#include <QDir>
#include <QFontMetrics>
#include <QImage>
#include <QWidget>

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>

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
        ASSERT_TRUE(QDir::setCurrent(QString::fromLocal8Bit(std::getenv("VELT_BIN_DIR"))));
        ASSERT_GT(panel = LoadPanel(0, LOGO_TEST_PANEL, 1), 0);
        Use(MakeLogoSettings(panel, "VELTRA-Scope V6.1"));
    }
    void TearDown() override
    {
        DiscardPanel(panel);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
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
            lines.push_back({StrVal(panel, id), Attr(id, ATTR_LEFT), Attr(id, ATTR_TOP), Attr(id, ATTR_WIDTH),
                             Attr(id, ATTR_HEIGHT), Attr(id, ATTR_TEXT_POINT_SIZE), Attr(id, ATTR_TEXT_BGCOLOR),
                             Attr(id, ATTR_TEXT_COLOR)});
        }
        return lines;
    }
    int Attr(int ctrl, int attribute) { return IntAttr(panel, ctrl, attribute); }
    int Frame() { return GetLogoSettings().frameCtrl; }
    int Picture() { return GetLogoSettings().pictureCtrl; }

    // Pixels inside the picture control that differ from the frame colour.
    int MarkedPicturePixels()
    {
        QWidget *pic = nullptr;
        for (QWidget *w : QApplication::allWidgets())
            pic = w->objectName() == "LogoPicture" ? w : pic;
        const QImage img = pic->window()->grab().toImage();
        const QRect r(pic->mapTo(pic->window(), QPoint(0, 0)), pic->size());
        const QRgb frame = 0xFFFFFF & static_cast<QRgb>(Attr(Frame(), ATTR_FRAME_COLOR));
        int marked = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                marked += (img.pixel(x, y) & 0xFFFFFF) != frame;
        return marked;
    }

    int panel = 0, firstNewId = 0;
};

// Bad indexes and a missing text draw nothing; entry 0 shows only the title,
// black on white.
TEST_F(LogoTest, RefusedIndexChangesNothingAndNeutralEntryShowsOnlyTheTitle)
{
    for (int index : {-1, 12, INT_MIN, INT_MAX})
        EXPECT_EQ(ShowLogo(index), UIEIndexOutOfRange) << index;
    EXPECT_LT(ShowInfoText1(0, nullptr, 1, 1, 9), 0);
    EXPECT_TRUE(NewLines().empty());
    EXPECT_EQ(Attr(Frame(), ATTR_FRAME_COLOR), 0xC0C0C0);
    EXPECT_TRUE(Attr(Picture(), ATTR_LEFT) == 100 && Attr(Picture(), ATTR_TOP) == 70);

    ASSERT_EQ(ShowLogo(0), 0);
    const auto lines = NewLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(lines[0].text == "VELTRA-Scope V6.1" && lines[0].bg == 0xFFFFFF && lines[0].fg == 0x000000);
}

// A panel without a brand area is refused; a missing bitmap still leaves the
// frame colour and the lines, and says so.
TEST_F(LogoTest, MissingBrandAreaOrBitmap)
{
    const int bare = LoadPanel(0, LOGO_TEST_PANEL, 2);
    SetLogoSettings(MakeLogoSettings(bare, "X")); // no frame, no picture
    EXPECT_LT(ShowLogo(0), 0);
    DiscardPanel(bare);
    Use(MakeLogoSettings(panel, "X"));
    ASSERT_TRUE(QDir::setCurrent(QDir::tempPath())); // holds no bitmaps
    EXPECT_LT(ShowLogo(5), 0);
    EXPECT_EQ(Attr(Frame(), ATTR_FRAME_COLOR), 0x0080FF);
    EXPECT_EQ(NewLines().size(), 4u);
    EXPECT_EQ(MarkedPicturePixels(), 0);
    // A bitmap shown before does not linger under an entry that has none.
    ASSERT_TRUE(QDir::setCurrent(QString::fromLocal8Bit(std::getenv("VELT_BIN_DIR"))));
    ASSERT_EQ(ShowLogo(5), 0);
    ASSERT_GT(MarkedPicturePixels(), 100);
    ASSERT_EQ(ShowLogo(0), 0);
    EXPECT_EQ(MarkedPicturePixels(), 0);
}

// Every brand entry on the real geometry: frame colour, bitmap shown, lines as
// wide as their text, inside the frame, clear of the picture and of each other.
// The calibration variant draws entry 5 in style 4 (white on 0x0080FF).
TEST_F(LogoTest, EveryEntryFitsTheBrandArea)
{
    for (int n = 0; n < 2 * kLogoEntries; ++n) {
        const int index = n % kLogoEntries;
        const bool calib = n >= kLogoEntries;
        LogoSettings s = MakeLogoSettings(panel, "VELTRA-TEMPCOMP-Scope V6.1"); // the longest title
        s.entry5InStyle4 = calib;
        SCOPED_TRACE(testing::Message() << index << (calib ? " calibration" : ""));
        Use(s);
        ASSERT_EQ(ShowLogo(index), 0);
        const int frame = Attr(Frame(), ATTR_FRAME_COLOR);
        EXPECT_EQ(frame, index == 5 ? 0x0080FF : 0xFFFFFF);
        const int top = Attr(Picture(), ATTR_TOP), right = Attr(Picture(), ATTR_LEFT) + Attr(Picture(), ATTR_WIDTH);
        EXPECT_TRUE(top >= kFrameTop && top + Attr(Picture(), ATTR_HEIGHT) <= kFrameBottom && right > kFrameLeft);
        EXPECT_TRUE(index == 0 || MarkedPicturePixels() > 100);
        const auto lines = NewLines();
        ASSERT_TRUE(!lines.empty() && lines.size() <= 4u);
        EXPECT_EQ(lines[0].text, "VELTRA-TEMPCOMP-Scope V6.1");
        for (size_t i = 0; i < lines.size(); ++i) {
            const TextLine &a = lines[i];
            QFont f(QApplication::font());
            f.setPointSize(a.pointSize);
            EXPECT_GE(a.width, QFontMetrics(f).horizontalAdvance(QString::fromStdString(a.text))) << a.text;
            EXPECT_TRUE(!a.text.empty() && a.left >= right && a.top >= kFrameTop && a.left + a.width <= kFrameRight &&
                        a.top + a.height <= kFrameBottom)
                << a.text;
            // The box blends into the frame; the text stands out from it.
            EXPECT_TRUE((a.bg == frame || a.bg == VAL_TRANSPARENT) && a.fg != frame) << a.text;
            EXPECT_TRUE(!calib || index != 5 || (a.bg == 0x0080FF && a.fg == 0xFFFFFF)) << a.text;
            for (size_t j = i + 1; j < lines.size(); ++j) {
                const TextLine &b = lines[j];
                EXPECT_TRUE(a.left + a.width <= b.left || b.left + b.width <= a.left || a.top + a.height <= b.top ||
                            b.top + b.height <= a.top)
                    << a.text << " overlaps " << b.text;
            }
        }
    }
}

} // namespace
