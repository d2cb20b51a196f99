// The record file's bytes, the recording-time split, the frame axis steps,
// and the record and graph panels on the program's own panels: layouts by
// mode, the time displays, the seven curves and the signal selector.
#include "graph_panel.h"
#include "record_format.h"
#include "recorder.h"

#include "panels.h"
#include "packet.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <tuple>

namespace {

using namespace std::string_literals;

TEST(RecordFormat, HeaderIsNineNamesEachWithTabAndNulThenCrLf)
{
    const std::string h = RecordHeader();
    EXPECT_EQ(h.size(), 55u);
    EXPECT_EQ(h, "DATE\t\0TIME\t\0RED\t\0GREEN\t\0BLUE\t\0X s\t\0Y i\t\0INT M\t\0TEMP\t\0\r\n"s);
}

TEST(RecordFormat, LineHasTwelveByteStampsThenTabSeparatedDecimals)
{
    const uint16_t v[kRecordValues] = {0, 4095, 65535, 1365, 1366, 2730, 31};
    EXPECT_EQ(RecordLine("12-06-2026", "23:59:07", v),
              "12-06-2026\0\0\t23:59:07\0\0\0\0\t0\t4095\t65535\t1365\t1366\t2730\t31\r\n"s);
    // A stamp longer than its field is cut to 12 bytes; a missing one is all NUL.
    const std::string cut = RecordLine("0123456789ABCDEF", nullptr, v);
    EXPECT_EQ(cut.substr(0, 26), "0123456789AB\t\0\0\0\0\0\0\0\0\0\0\0\0\t"s);
}

TEST(RecordFormat, RecordTimeSplitsTheProductIn64Bits)
{
    for (auto [interval, count, d, h, m, s] : {std::tuple {1, 0, 0, 0, 0, 0},
                                               {1, 59, 0, 0, 0, 59},
                                               {61, 61, 0, 1, 2, 1},
                                               {3600, 24, 1, 0, 0, 0},
                                               {65535, 65535, 49708, 18, 3, 45}}) {
        const RecordTime t = SplitRecordTime(static_cast<uint16_t>(interval), static_cast<uint16_t>(count));
        EXPECT_EQ(std::tuple(t.days, t.hours, t.minutes, t.seconds), std::tuple(int64_t {d}, h, m, s))
            << interval << " x " << count;
    }
}

TEST(RecordFormat, FrameAxisGrowsInStepsOfOneTwoFiveFromOne)
{
    for (auto [frame, max] : {std::pair {0u, 1.0},
                              {1u, 1.0},
                              {2u, 2.0},
                              {3u, 5.0},
                              {10u, 10.0},
                              {11u, 20.0},
                              {21u, 50.0},
                              {1000u, 1000.0},
                              {1001u, 2000.0},
                              {65535u, 100000.0}})
        EXPECT_EQ(GraphFrameAxisMax(frame), max) << frame;
}

int Plots(int c)
{
    int n = -1;
    GetNumGraphPlots(graphpanel, c, &n);
    return n;
}

const int kGraphs[] = {GRAPHP_PANELGRAPHGRAPHR,   GRAPHP_PANELGRAPHGRAPHG, GRAPHP_PANELGRAPHGRAPHB,
                       GRAPHP_PANELGRAPHGRAPHX,   GRAPHP_PANELGRAPHGRAPHY, GRAPHP_PANELGRAPHGRAPHINT,
                       GRAPHP_PANELGRAPHGRAPHTEMP};

class RecorderPanels : public ::testing::Test {
protected:
    static void SetUpTestSuite() { LoadVeltv61Panels(); }
    static void Frame(uint16_t r, uint16_t temp)
    {
        dataR = r;
        dataG = static_cast<uint16_t>(r + 1);
        dataB = dataX = dataY = dataINT = 7;
        dataTemp = temp;
    }
};

TEST_F(RecorderPanels, LayoutFollowsTheModeAndTheTimeDisplaysShowIntervalTimesCount)
{
    for (int mode : {1, 0, 5}) {
        SetCtrlVal(recpanel, RECP_EDITSELECTDATAREC, mode);
        InitRecordPanel();
        const int timed = mode == 1 ? 0 : 1; // an unknown mode leaves the timed layout
        for (int c : {RECP_EDITINTERVAL, RECP_EDITRECVAL, RECP_RECORDTIMEBOX, RECP_DISPRECORDTIMEDAYS,
                      RECP_DISPREMAINING, RECP_BUTTONSTARTRECORD, RECP_BUTTONSTOPRECORD})
            EXPECT_EQ(IntAttr(recpanel, c, ATTR_VISIBLE), timed) << mode;
        for (int c : {RECP_BUTTONSTARTPOLLING, RECP_BUTTONSTOPPOLLING, RECP_BUTTONMANUALRECORD})
            EXPECT_EQ(IntAttr(recpanel, c, ATTR_VISIBLE), 1 - timed) << mode;
        for (int c : {RECP_DISPRECFILE, RECP_DISPRECORDEDVALUES, RECP_BUTTONCLOSERECORDER})
            EXPECT_EQ(IntAttr(recpanel, c, ATTR_VISIBLE), 1) << mode;
    }
    SetCtrlVal(recpanel, RECP_EDITINTERVAL, 65535);
    SetCtrlVal(recpanel, RECP_EDITRECVAL, 65535);
    SetCtrlVal(recpanel, RECP_DISPRECORDEDVALUES, 9);
    CalcRecTime();
    EXPECT_EQ(IntVal(recpanel, RECP_DISPRECORDTIMEDAYS), 49708); // the split itself is the case above
    EXPECT_EQ(std::pair(IntVal(recpanel, RECP_DISPRECORDEDVALUES), IntVal(recpanel, RECP_DISPREMAINING)),
              std::pair(0, 65535));
    EXPECT_EQ(std::pair(zeitint, anzwerte), std::pair(uint16_t {65535}, uint16_t {65535}));
}

TEST_F(RecorderPanels, EveryPointAddsOneSegmentToEachGraphAndTheFrameAxisFollows)
{
    Frame(100, 30);
    InitPanelGraph();
    for (int g : kGraphs)
        EXPECT_EQ(Plots(g), 0);
    // The first point joins itself; the second draws from x = 0 to x = 1.
    Frame(200, 31);
    SetPanelGraphData();
    EXPECT_EQ(std::tuple(bufcnt[0], bufcnt[1], bufr[0], bufr[1]), std::tuple(0, 0, 200, 200));
    Frame(300, 32);
    SetPanelGraphData();
    EXPECT_EQ(std::tuple(bufcnt[0], bufcnt[1], bufr[0], bufr[1], bufg[1], buftemp[0]),
              std::tuple(0, 1, 200, 300, 301, 31));
    EXPECT_EQ(std::tuple(IntVal(graphpanel, GRAPHP_DISPR), IntVal(graphpanel, GRAPHP_DISPG),
                         IntVal(graphpanel, GRAPHP_DISPTEMP)),
              std::tuple(300, 301, 32));
    for (int g : kGraphs)
        EXPECT_EQ(Plots(g), 2);

    double lo = -1, hi = -1;
    int mode = -1;
    GetAxisScalingMode(graphpanel, GRAPHP_PANELGRAPHGRAPHTEMP, VAL_XAXIS, &mode, &lo, &hi);
    EXPECT_EQ(std::tuple(mode, lo, hi), std::tuple(int {VAL_MANUAL}, 0.0, 1.0)); // two frames fill the width
    for (int i = 2; i < 12; ++i)
        SetPanelGraphData();
    GetAxisScalingMode(graphpanel, GRAPHP_PANELGRAPHGRAPHB, VAL_XAXIS, &mode, &lo, &hi);
    EXPECT_EQ(hi, 20.0); // frame 11 is shown
    EXPECT_EQ(graphcnt, 12);

    // A reset clears every graph, the hidden ones too, and the axis.
    InitPanelGraph();
    for (int g : kGraphs)
        EXPECT_EQ(Plots(g), 0);
    GetAxisScalingMode(graphpanel, GRAPHP_PANELGRAPHGRAPHR, VAL_XAXIS, &mode, &lo, &hi);
    EXPECT_EQ(std::tuple(graphcnt, hi), std::tuple(0, 1.0));
}

TEST_F(RecorderPanels, OnlyTheSelectedSignalsGraphIsShown)
{
    for (auto [signal, shown] : {std::pair {4, 4}, {6, 6}, {0, 0}}) {
        SetCtrlVal(graphpanel, GRAPHP_EDITSIGNAL, signal);
        SetGraphVisible();
        for (int k = 0; k < 7; ++k)
            EXPECT_EQ(IntAttr(graphpanel, kGraphs[k], ATTR_VISIBLE), k == shown ? 1 : 0) << signal << " " << k;
    }
}

} // namespace
