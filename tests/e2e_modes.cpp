// Veltv61 against the simulator: a new calculation mode goes to the sensor's
// RAM at once, whatever target was selected, and renames the displays.
#include "e2e.h"

#include <QImage>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

const std::string kVersion = "E2E MODES V6.1";

TEST(ModesE2E, CalculationModeGoesToRamAndRenamesTheDisplays)
{
    SimProcess sim({"--version-text", kVersion}, false, true);
    ASSERT_TRUE(sim.ok());
    const std::string dir = MakeTempDir();
    const std::string shotXY = dir + "/calc0.png", shotSI = dir + "/calc1.png";
    const std::string script = "waitfor P DispStatus == " + kVersion +
                               " 10\n"
                               "screenshot P " +
                               shotXY +
                               "\n"
                               "set P SelectEEPROM 1\n"
                               "set P Calcmode 1\n"
                               "print P SelectRAM\n"
                               "print P SelectEEPROM\n"
                               "print P SelectFILE\n"
                               "printattr P DispX label\n"
                               "printattr P DispY label\n"
                               "printattr P DispINT label\n"
                               "printattr RECP DispINT label\n"
                               "printattr P Calcmode dimmed\n"
                               "printattr P ButtonSend dimmed\n"
                               "screenshot P " +
                               shotSI +
                               "\n"
                               "quit 0\n";
    std::string out;
    const int code =
        RunProgram(InstallCopy("Veltv61", dir), {"--ui-script", WriteTextFile(dir + "/script.txt", script)},
                   {"QT_QPA_PLATFORM=offscreen", "VELTRA_COM1=" + sim.ptyLink}, 60, &out);
    ASSERT_EQ(code, 0) << out;

    // The whole parameter set went to RAM and nothing was saved to EEPROM.
    const std::vector<int> orders = sim.receivedOrders();
    EXPECT_EQ(Count(orders, 1), 1);
    EXPECT_EQ(Count(orders, 2), 31);
    EXPECT_EQ(Count(orders, 6), 0);
    // The parameter telegram carries the new mode (calcmode, the eleventh word after sync and order).
    std::string paraHex;
    for (const std::string &line : sim.logLines())
        if (Has(line, "\"dir\":\"rx\",\"order\":1,"))
            paraHex = line.substr(line.find("\"hex\":\"") + 7, 72);
    ASSERT_EQ(paraHex.size(), 72u) << paraHex;
    EXPECT_EQ(paraHex.substr(4 + 4 * 11, 4), "0001") << paraHex;
    // RAM is the target now; the buttons are usable again.
    EXPECT_TRUE(Has(out, "P.SelectRAM=1\n")) << out;
    EXPECT_TRUE(Has(out, "P.SelectEEPROM=0\n")) << out;
    EXPECT_TRUE(Has(out, "P.SelectFILE=0\n")) << out;
    EXPECT_TRUE(Has(out, "P.Calcmode.dimmed=0\n")) << out;
    EXPECT_TRUE(Has(out, "P.ButtonSend.dimmed=0\n")) << out;
    EXPECT_FALSE(Has(out, "POPUP")) << out;
    for (const char *line : {"P.DispX.label=s\n", "P.DispY.label=i\n", "P.DispINT.label=M\n", "RECP.DispINT.label=M\n"})
        EXPECT_TRUE(Has(out, line)) << out;

    // What the user sees changed with the mode, and nothing else about the panel.
    const QImage xy(QString::fromStdString(shotXY)), si(QString::fromStdString(shotSI));
    ASSERT_FALSE(xy.isNull());
    ASSERT_FALSE(si.isNull());
    EXPECT_EQ(xy.size(), si.size());
    EXPECT_NE(xy, si);
}

} // namespace
