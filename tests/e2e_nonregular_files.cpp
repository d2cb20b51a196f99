// Files chosen in a dialog that are not regular files, or whose path is too
// long for the program, are refused with a pop-up and change nothing: Get
// from a FIFO does not hang, Get from an over-long path says why, and Send
// to a device node does not replace it.
#include "e2e.h"

#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

// One program run per case: a click made while the previous command still
// dims the buttons would be ignored.
std::string runCase(const std::string &dir, const std::string &path, const char *button)
{
    std::string out;
    EXPECT_EQ(RunScriptIn("Veltv61", dir, nullptr,
                          "set P SelectFILE 1\nfile " + path + " existing\nclick P " + button + "\nquit 0\n", &out),
              0)
        << out;
    return out;
}

TEST(NonRegularFiles, ParameterFileTransfersRefuseFifosDevicesAndLongPaths)
{
    const std::string dir = MakeTempDir();
    const std::string fifo = dir + "/pipe.dat";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::string out = runCase(dir, fifo, "ButtonGet");
    EXPECT_EQ(Count(out, "POPUP ATTENTION!| The file \\n " + fifo + " \\n is not a regular file"), 1) << out;
    struct stat st {};
    ASSERT_EQ(stat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));

    const std::string longPath = dir + "/" + std::string(270, 'p') + ".dat";
    out = runCase(dir, longPath, "ButtonSend");
    EXPECT_EQ(Count(out, "is too long: a path must be shorter than 260 characters."), 1) << out;
    EXPECT_EQ(access(longPath.c_str(), F_OK), -1);

    const std::string dev = dir + "/null.dat";
    if (mknod(dev.c_str(), S_IFCHR | 0600, makedev(1, 3)) != 0)
        GTEST_SKIP() << "creating a device node needs root";
    out = runCase(dir, dev, "ButtonSend");
    EXPECT_EQ(Count(out, "POPUP ATTENTION!| The file \\n " + dev + " \\n is not a regular file"), 1) << out;
    ASSERT_EQ(stat(dev.c_str(), &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode)) << "the device node was replaced";
}

} // namespace
