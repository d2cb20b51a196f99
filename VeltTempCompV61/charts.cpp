#include "charts.h"

#include "VeltTempCompV61Ids.h" // generated from VeltTempCompV61.uir: panel and control identifiers
#include "VeltTempCompV61Program.h"
#include "commands.h"
#include "tempcomp_tables.h"

#include "rt_ui.h"

#include <algorithm>
#include <cstdint>

namespace {

const int kCoefficientCtrls[kChannels * kCoefficients] = {
    P_EDITRX4, P_EDITRX3, P_EDITRX2, P_EDITRX1, P_EDITRT,  P_EDITGX4, P_EDITGX3, P_EDITGX2,
    P_EDITGX1, P_EDITGT,  P_EDITBX4, P_EDITBX3, P_EDITBX2, P_EDITBX1, P_EDITBT,
};
const int kCurveCharts[] = {P_CHARTCURVER, P_CHARTCURVEG, P_CHARTCURVEB, P_CHARTCURVERGB};
const int kFactorCharts[] = {P_CHARTCFR, P_CHARTCFG, P_CHARTCFB, P_CHARTCFRGB};
constexpr int kPointsPerScreen = 101;
constexpr double kAxisMargin = 50.0;

// One chart: a fresh trace set over the given y range (range widened by the margin).
void plot(int chart, const void *values, int count, int dataType, const DisplayRange &range)
{
    SetCtrlAttribute(panel, chart, ATTR_POINTS_PER_SCREEN, kPointsPerScreen);
    SetAxisScalingMode(panel, chart, VAL_LEFT_YAXIS, VAL_MANUAL, static_cast<double>(range.min) - kAxisMargin,
                       static_cast<double>(range.max) + kAxisMargin);
    ClearStripChart(panel, chart);
    PlotStripChart(panel, chart, values, count, 0, 0, dataType);
}

// Shows chart `shown` of the four and hides the other three.
void showOnly(const int (&charts)[4], int shown)
{
    for (int chart : charts)
        SetCtrlAttribute(panel, chart, ATTR_VISIBLE, chart == shown);
}

// The value displays at the temperature index of the selector, which is
// kept within 0 ... 99.
void showValuesAt()
{
    int t = 0;
    GetCtrlVal(panel, P_EDITTEMP, &t);
    const int clamped = std::clamp(t, 0, kTempPoints - 1);
    if (clamped != t)
        SetCtrlVal(panel, P_EDITTEMP, clamped);
    SetCtrlVal(panel, P_DISPVALR, dataRot[clamped]);
    SetCtrlVal(panel, P_DISPVALG, dataGruen[clamped]);
    SetCtrlVal(panel, P_DISPVALB, dataBlau[clamped]);
}

} // namespace

void CalcCurves()
{
    for (int i = 0; i < kChannels * kCoefficients; ++i)
        GetCtrlVal(panel, kCoefficientCtrls[i], kCoefficientVars[i]);
    TabulateCurves();

    const DisplayRange r = RangeOf(dataRot, kTempPoints), g = RangeOf(dataGruen, kTempPoints),
                       b = RangeOf(dataBlau, kTempPoints);
    plot(P_CHARTCURVER, dataRot, kTempPoints, VAL_DOUBLE, r);
    plot(P_CHARTCURVEG, dataGruen, kTempPoints, VAL_DOUBLE, g);
    plot(P_CHARTCURVEB, dataBlau, kTempPoints, VAL_DOUBLE, b);
    plot(P_CHARTCURVERGB, dataRGB, 3 * kTempPoints, VAL_DOUBLE, Combine(r, g, b));
}

void CalcCfCurves()
{
    unsigned short refR = 0, refG = 0, refB = 0;
    GetCtrlVal(panel, P_EDITREFR, &refR);
    GetCtrlVal(panel, P_EDITREFG, &refG);
    GetCtrlVal(panel, P_EDITREFB, &refB);
    CalcFactorTables(refR, refG, refB);

    const DisplayRange r = RangeOf(dataCfRot, kTempPoints), g = RangeOf(dataCfGruen, kTempPoints),
                       b = RangeOf(dataCfBlau, kTempPoints);
    plot(P_CHARTCFR, dataCfRot, kTempPoints, VAL_UNSIGNED_SHORT_INTEGER, r);
    plot(P_CHARTCFG, dataCfGruen, kTempPoints, VAL_UNSIGNED_SHORT_INTEGER, g);
    plot(P_CHARTCFB, dataCfBlau, kTempPoints, VAL_UNSIGNED_SHORT_INTEGER, b);
    plot(P_CHARTCFRGB, dataCfRGB, 3 * kTempPoints, VAL_UNSIGNED_SHORT_INTEGER, Combine(r, g, b));
}

void Calc3rdRoot() { CalcRootTable(data3rdRoot); }

// The calculations change the tables an upload sends: not while a job runs.
int CBF_ButtonCalcCurves(int, int, int event, void *, int, int)
{
    if (event == EVENT_COMMIT && !tempcomp::jobRunning) {
        showOnly(kCurveCharts, P_CHARTCURVERGB);
        CalcCurves();
        showValuesAt();
    }
    return 0;
}

int CBF_ButtonShowRed(int, int, int event, void *, int, int)
{
    if (event == EVENT_COMMIT)
        showOnly(kCurveCharts, P_CHARTCURVER);
    return 0;
}

int CBF_ButtonShowGreen(int, int, int event, void *, int, int)
{
    if (event == EVENT_COMMIT)
        showOnly(kCurveCharts, P_CHARTCURVEG);
    return 0;
}

int CBF_ButtonShowBlue(int, int, int event, void *, int, int)
{
    if (event == EVENT_COMMIT)
        showOnly(kCurveCharts, P_CHARTCURVEB);
    return 0;
}

int CBF_ButtonCalcCalib(int, int, int event, void *, int, int)
{
    if (event == EVENT_COMMIT && !tempcomp::jobRunning) {
        showOnly(kFactorCharts, P_CHARTCFRGB);
        CalcCfCurves();
    }
    return 0;
}

int CBF_ButtonShowCfRed(int, int, int event, void *, int, int)
{
    if (event == EVENT_COMMIT)
        showOnly(kFactorCharts, P_CHARTCFR);
    return 0;
}

int CBF_ButtonShowCfGreen(int, int, int event, void *, int, int)
{
    if (event == EVENT_COMMIT)
        showOnly(kFactorCharts, P_CHARTCFG);
    return 0;
}

int CBF_ButtonShowCfBlue(int, int, int event, void *, int, int)
{
    if (event == EVENT_COMMIT)
        showOnly(kFactorCharts, P_CHARTCFB);
    return 0;
}

int CBF_EditTemp(int, int, int event, void *, int, int)
{
    if (event == EVENT_COMMIT)
        showValuesAt();
    return 0;
}
