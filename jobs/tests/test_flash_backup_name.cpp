// The name and place of the backup made before a firmware update.
#include "loader.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace quillon;

TEST(FlashBackup, NameKeepsTheIdentificationsWordsAndTheUtcTime)
{
    const long long t = 1796624100; // 2026-12-07 06:15:00 UTC
    const std::pair<const char *, const char *> cases[] = {
        {"VELTSIM COLOUR SENSOR V6.1", "VELTSIM-COLOUR-SENSOR-V6.1-20261207T061500Z.dat"},
        {"  a/b\\c  x_y:z\t\r\n", "abc-x_yz-20261207T061500Z.dat"},
        {"../..", "....-20261207T061500Z.dat"},
        {"", "sensor-20261207T061500Z.dat"},
        {"/ * ?", "sensor-20261207T061500Z.dat"},
    };
    for (const auto &[id, name] : cases)
        EXPECT_EQ(FlashBackupName(id, t), name) << id;

    setenv("XDG_DATA_HOME", "/x/data", 1);
    EXPECT_EQ(FlashBackupDir(), "/x/data/veltra/backups");
    unsetenv("XDG_DATA_HOME");
    setenv("HOME", "/home/u", 1);
    EXPECT_EQ(FlashBackupDir(), "/home/u/.local/share/veltra/backups");
}
