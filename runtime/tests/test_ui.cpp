// Panels, controls, events and attributes of the run-time layer, loaded from a
// panel resource file of the tests' own.
#include "RtTestIds.h"
#include "ctrlvalues.h"
#include "rt_internal.h"
#include "rt_ui.h"
#include "uirindex.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QTableWidget>
#include <QWidget>
#include <ctime>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Event {
    int control;
    int event;
    int d1;
    int d2;
};
std::vector<Event> g_events;

QWidget *widgetOf(int panel, const char *name)
{
    for (QWidget *top : QApplication::topLevelWidgets())
        if (top->isVisible() && top->objectName().toStdString() == PanelName(panel))
            if (auto *w = top->findChild<QWidget *>(name))
                return w;
    return nullptr;
}

class Ui : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_EQ(InitRuntime(0, nullptr), 0);
        RegisterRtTestCallbacks();
    }
    void SetUp() override
    {
        g_events.clear();
        panel = LoadPanel(0, RT_TEST_PANEL_DIR "/RtTest.uir", T);
        ASSERT_GT(panel, 0);
        DisplayPanel(panel);
    }
    void TearDown() override { DiscardPanel(panel); }
    int panel = 0;
};

} // namespace

int CBF_Any(int, int control, int event, void *, int d1, int d2)
{
    g_events.push_back({control, event, d1, d2});
    return 0;
}

// The test panel binds these too; here they only record.
int CBF_ButtonGo(int panel, int control, int event, void *data, int d1, int d2)
{
    return CBF_Any(panel, control, event, data, d1, d2);
}

int CBF_ButtonStop(int panel, int control, int event, void *data, int d1, int d2)
{
    return CBF_Any(panel, control, event, data, d1, d2);
}

int CBF_T(int, int, void *, int, int) { return 0; }

TEST_F(Ui, UserActionsRaiseEventsAndProgrammaticChangesNone)
{
    static_cast<QAbstractButton *>(widgetOf(panel, "Toggle"))->click();
    ASSERT_EQ(g_events.size(), 2u);
    EXPECT_TRUE(g_events[0].event == EVENT_VAL_CHANGED && g_events[1].event == EVENT_COMMIT);
    EXPECT_EQ(IntVal(panel, T_TOGGLE), 1);

    g_events.clear();
    SetCtrlVal(panel, T_TOGGLE, 0);
    SetCtrlVal(panel, T_EDITPOWER, 100);
    SetCtrlVal(panel, T_RINGMODE, 7);
    EXPECT_TRUE(g_events.empty());
}

TEST_F(Ui, ValuesAndAttributesKeepTheirRules)
{
    // Rings hold item values, not indexes.
    EXPECT_EQ(SetCtrlVal(panel, T_RINGMODE, 7), 0);
    EXPECT_EQ(IntVal(panel, T_RINGMODE), 7);
    EXPECT_LT(SetCtrlVal(panel, T_RINGMODE, 5), 0);
    int index = -2;
    GetIndexFromValue(panel, T_RINGMODE, &index, 1);
    EXPECT_EQ(index, 1);

    SetCtrlVal(panel, T_STRINGIP, "192.168.0.10");
    char small[5], buf[256];
    GetCtrlVal(panel, T_STRINGIP, small, sizeof small); // bounded read
    EXPECT_STREQ(small, "192.");

    // A text box appends; ResetTextBox replaces.
    ResetTextBox(panel, T_TEXTLOG, "first\n");
    SetCtrlVal(panel, T_TEXTLOG, "second\n");
    GetTextBoxLine(panel, T_TEXTLOG, 1, buf, sizeof buf);
    EXPECT_STREQ(buf, "second");

    SetCtrlAttribute(panel, T_DISPSTATUS, ATTR_TEXT_BGCOLOR, VAL_TRANSPARENT);
    EXPECT_FALSE(widgetOf(panel, "DispStatus")->autoFillBackground()); // not painted black
    EXPECT_LT(SetCtrlAttribute(panel, T_LEDOUT0, ATTR_MAX_ENTRY_LENGTH, 3), 0);
    EXPECT_EQ(SetCtrlAttribute(panel, 9999, ATTR_DIMMED, 1), UIECtrlNotFound);

    // Z-order: the graph at z 0 lies in front of the one at z 100.
    SetCtrlAttribute(panel, T_GRAPHDATA2, ATTR_ZPLANE_POSITION, 100);
    SetCtrlAttribute(panel, T_GRAPHDATA1, ATTR_ZPLANE_POSITION, 0);
    QWidget *g1 = widgetOf(panel, "GraphData1");
    QWidget *top = g1->parentWidget()->childAt(g1->geometry().center());
    EXPECT_TRUE(top == g1 || g1->isAncestorOf(top));
    SetCtrlAttribute(panel, T_GRAPHDATA1, ATTR_ZPLANE_POSITION, 100);
    SetCtrlAttribute(panel, T_GRAPHDATA2, ATTR_ZPLANE_POSITION, 0);
    top = g1->parentWidget()->childAt(g1->geometry().center());
    EXPECT_EQ(top, widgetOf(panel, "GraphData2"));
}

TEST_F(Ui, TablesRefuseBadCellsAndReportTheUsersEdits)
{
    int v = 0;
    EXPECT_EQ(SetTableCellVal(panel, T_TABLETEACH, MakePoint(3, 31), 4095), 0); // the last cell
    EXPECT_LT(SetTableCellVal(panel, T_TABLETEACH, MakePoint(4, 1), 1), 0);
    EXPECT_LT(SetTableCellVal(panel, T_TABLETEACH, MakePoint(1, 32), 1), 0);

    // A read-only column refuses edits; the others accept them.
    SetTableColumnAttribute(panel, T_TABLETEACH, 3, ATTR_CELL_MODE, VAL_INDICATOR);
    auto *t = static_cast<QTableWidget *>(widgetOf(panel, "TableTeach"));
    EXPECT_FALSE(t->item(0, 2)->flags() & Qt::ItemIsEditable);
    EXPECT_TRUE(t->item(0, 1)->flags() & Qt::ItemIsEditable);

    // A user's edit raises value-changed with row and column; a non-number is refused.
    t->item(2, 0)->setText("77");
    ASSERT_FALSE(g_events.empty());
    EXPECT_TRUE(g_events[0].event == EVENT_VAL_CHANGED && g_events[0].d1 == 3 && g_events[0].d2 == 1);
    t->item(2, 0)->setText("abc");
    GetTableCellVal(panel, T_TABLETEACH, MakePoint(1, 3), &v);
    EXPECT_EQ(v, 77);
}

TEST_F(Ui, GraphsKeepABoundedDisplayListWithHandles)
{
    const double xs[] = {0, 100, 200};
    const unsigned short ys[] = {0, 4000, 65535};
    const int a = PlotXY(panel, T_GRAPHDATA1, xs, ys, 3, VAL_DOUBLE, VAL_UNSIGNED_SHORT_INTEGER, VAL_THIN_LINE,
                         VAL_NO_POINT, VAL_SOLID, 1, VAL_RED);
    const int b = PlotArc(panel, T_GRAPHDATA1, 10, 10, 50, 50, 0, 3600, VAL_GREEN, VAL_TRANSPARENT);
    ASSERT_TRUE(a > 0 && b > 0 && a != b);
    int n = 0;
    GetNumGraphPlots(panel, T_GRAPHDATA1, &n);
    EXPECT_EQ(n, 2);
    EXPECT_EQ(DeleteGraphPlot(panel, T_GRAPHDATA1, a, VAL_IMMEDIATE_DRAW), 0);
    EXPECT_LT(DeleteGraphPlot(panel, T_GRAPHDATA1, a, VAL_IMMEDIATE_DRAW), 0);
    DeleteGraphPlot(panel, T_GRAPHDATA1, VAL_ALL_PLOTS, VAL_IMMEDIATE_DRAW);
    GetNumGraphPlots(panel, T_GRAPHDATA1, &n);
    EXPECT_EQ(n, 0);
    EXPECT_LT(SetAxisScalingMode(panel, T_GRAPHDATA2, VAL_XAXIS, VAL_MANUAL, 5, 5), 0);

    // The strip chart keeps one screen of multiplexed points per trace.
    SetCtrlAttribute(panel, T_CHARTRGB, ATTR_POINTS_PER_SCREEN, 101);
    const std::vector<double> rgb(300, 1000.0);
    PlotStripChart(panel, T_CHARTRGB, rgb.data(), 300, 0, 0, VAL_DOUBLE);
    PlotStripChart(panel, T_CHARTRGB, rgb.data(), 300, 0, 0, VAL_DOUBLE);
    GetStripChartPointCount(panel, T_CHARTRGB, &n);
    EXPECT_EQ(n, 101);

    // Many segments still draw quickly.
    std::vector<double> big(50000);
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<double>(i % 4096);
    PlotXY(panel, T_GRAPHDATA1, big.data(), big.data(), 50000, VAL_DOUBLE, VAL_DOUBLE, VAL_THIN_LINE, VAL_NO_POINT,
           VAL_SOLID, 1, VAL_WHITE);
    const std::clock_t c0 = std::clock();
    widgetOf(panel, "GraphData1")->grab();
    EXPECT_LT(static_cast<double>(std::clock() - c0) / CLOCKS_PER_SEC, 1.0);
}
// A curve built segment by segment, painted after every segment, looks
// exactly as the same display list drawn at once; a deleted segment goes;
// the axes follow new plots after a deletion.
TEST_F(Ui, GraphDrawnSegmentBySegmentLooksAsDrawnAtOnce)
{
    QWidget *g = widgetOf(panel, "GraphData1");
    DeleteGraphPlot(panel, T_GRAPHDATA1, VAL_ALL_PLOTS, VAL_IMMEDIATE_DRAW);
    SetAxisScalingMode(panel, T_GRAPHDATA1, VAL_XAXIS, VAL_MANUAL, 0, 50);
    SetAxisScalingMode(panel, T_GRAPHDATA1, VAL_LEFT_YAXIS, VAL_AUTOSCALE, 0, 0);
    const auto redrawn = [&] { // a change of the axis and back redraws everything
        SetAxisScalingMode(panel, T_GRAPHDATA1, VAL_XAXIS, VAL_MANUAL, 0, 51);
        g->grab();
        SetAxisScalingMode(panel, T_GRAPHDATA1, VAL_XAXIS, VAL_MANUAL, 0, 50);
        return g->grab().toImage();
    };
    int fifth = 0;
    for (int i = 0; i < 40; ++i) {
        const unsigned short xs[2] = {static_cast<unsigned short>(i), static_cast<unsigned short>(i + 1)};
        // The values rise beyond the autoscaled range now and then.
        const unsigned short ys[2] = {static_cast<unsigned short>(100 + (i * 37) % 50 + i * 3),
                                      static_cast<unsigned short>(100 + ((i + 1) * 37) % 50 + i * 3)};
        const int h = PlotXY(panel, T_GRAPHDATA1, xs, ys, 2, VAL_UNSIGNED_SHORT_INTEGER, VAL_UNSIGNED_SHORT_INTEGER,
                             VAL_THIN_LINE, VAL_NO_POINT, VAL_SOLID, 1, i < 20 ? VAL_RED : VAL_GREEN);
        if (i == 5)
            fifth = h;
        if (i == 30)
            PlotArc(panel, T_GRAPHDATA1, 10, 150, 20, 180, 0, 3600, VAL_YELLOW, VAL_TRANSPARENT);
        g->grab();
    }
    const QImage step = g->grab().toImage();
    EXPECT_TRUE(step == redrawn());
    DeleteGraphPlot(panel, T_GRAPHDATA1, fifth, VAL_IMMEDIATE_DRAW);
    const QImage without = g->grab().toImage();
    EXPECT_FALSE(without == step);
    EXPECT_TRUE(without == redrawn());
    // The frame is kept across deletions, but an autoscaled axis that moves
    // with the new plots gets its new labels, as in a graph drawn afresh.
    DeleteGraphPlot(panel, T_GRAPHDATA1, VAL_ALL_PLOTS, VAL_IMMEDIATE_DRAW);
    const unsigned short xs[2] = {0, 50}, ys[2] = {2000, 3000};
    PlotXY(panel, T_GRAPHDATA1, xs, ys, 2, VAL_UNSIGNED_SHORT_INTEGER, VAL_UNSIGNED_SHORT_INTEGER, VAL_THIN_LINE,
           VAL_NO_POINT, VAL_SOLID, 1, VAL_RED);
    const QImage moved = g->grab().toImage();
    EXPECT_TRUE(moved == redrawn());
    SetAxisScalingMode(panel, T_GRAPHDATA1, VAL_LEFT_YAXIS, VAL_MANUAL, 0, 4096);
    DeleteGraphPlot(panel, T_GRAPHDATA1, VAL_ALL_PLOTS, VAL_IMMEDIATE_DRAW);
}

TEST(UiLoad, MissingMalformedOrUnboundFilesFail)
{
    ASSERT_EQ(InitRuntime(0, nullptr), 0);
    const auto load = [](const char *text) {
        const std::string path = testing::TempDir() + "/test.uir";
        QFile f(QString::fromStdString(path));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly) && f.write(text) > 0);
        f.close();
        return LoadPanel(0, path.c_str(), 1);
    };
    EXPECT_LT(load("<ui><widget class=\"QWidget\"><widget class=\"QTabWidget\" name=\"panels\">"), 0);
    EXPECT_LT(LoadPanel(0, RT_TEST_PANEL_DIR "/RtTest.uir", 7), 0); // no such panel

    // A callback name that the program does not define makes loading fail.
    EXPECT_EQ(load("<ui version=\"4.0\"><widget class=\"QWidget\" name=\"Form\">"
                   "<widget class=\"QTabWidget\" name=\"panels\"><widget class=\"QWidget\" name=\"P\">"
                   "<widget class=\"QPushButton\" name=\"ButtonX\">"
                   "<property name=\"callback\" stdset=\"0\"><string>CBF_NotDefined</string></property>"
                   "</widget></widget></widget></widget></ui>"),
              UIECallbackNotFound);
}

// A program's panels come from one reading of their file; a panel loaded a
// second time is complete and independent of the first, its controls under
// the generated identifiers; a file changed on disk is read again.
TEST(UiLoad, EachResourceFileIsReadOnceForAllItsPanels)
{
    ASSERT_EQ(InitRuntime(0, nullptr), 0);
    RegisterRtTestCallbacks();
    const QString path = QString::fromStdString(testing::TempDir() + "/ReadOnce.uir");
    QFile::remove(path);
    ASSERT_TRUE(QFile::copy(RT_TEST_PANEL_DIR "/RtTest.uir", path));
    const QByteArray file = path.toLocal8Bit();

    const int reads = rt::resourceFileReads();
    const int first = LoadPanel(0, file.constData(), T), second = LoadPanel(0, file.constData(), SECOND);
    const int again = LoadPanel(0, file.constData(), T);
    ASSERT_TRUE(first > 0 && second > 0 && again > 0);
    EXPECT_EQ(rt::resourceFileReads() - reads, 1);
    EXPECT_EQ(PanelName(second), "SECOND");

    const UirIndex index = ReadUirIndex(file.toStdString());
    ASSERT_FALSE(index.panels.empty());
    for (const auto &c : index.panels[0].controls)
        EXPECT_TRUE(CtrlName(first, c.id) == c.name && CtrlName(again, c.id) == c.name) << c.name;
    EXPECT_EQ(CtrlIdFromName(again, "Logo"), T_LOGO); // a generated identifier, inside a decoration
    SetCtrlVal(first, T_STRINGIP, "10.0.0.1");
    SetCtrlVal(again, T_STRINGIP, "10.0.0.2");
    EXPECT_EQ(StrVal(first, T_STRINGIP) + " " + StrVal(again, T_STRINGIP), "10.0.0.1 10.0.0.2");

    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::Append) && f.write("\n<!-- changed -->\n") > 0);
    f.close();
    const int changed = LoadPanel(0, file.constData(), SECOND);
    EXPECT_GT(changed, 0);
    EXPECT_EQ(rt::resourceFileReads() - reads, 2);
    for (int p : {first, second, again, changed})
        DiscardPanel(p);
}

TEST(UiLoop, ProcessSystemEventsSleepsInsteadOfSpinning)
{
    ASSERT_EQ(InitRuntime(0, nullptr), 0);
    const std::clock_t c0 = std::clock();
    const double t0 = Timer();
    int rounds = 0;
    while (Timer() - t0 < 0.3) {
        ProcessSystemEvents();
        ++rounds;
    }
    const double cpu = static_cast<double>(std::clock() - c0) / CLOCKS_PER_SEC;
    EXPECT_LT(cpu, 0.1);
    EXPECT_LT(rounds, 300); // about one round per guard interval, not millions
}
