// Whole-file reads and writes accept a regular file (also through a
// symbolic link) or a path with nothing yet, and refuse FIFOs, device nodes
// and directories at once: a FIFO never blocks, a device node is never
// replaced by a file.
#include "rt_file.h"
#include "rt_ui.h"
#include <vector>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

struct TempDir {
    std::string path;
    TempDir()
    {
        char tmpl[] = "/tmp/rtkinds.XXXXXX";
        path = mkdtemp(tmpl);
    }
    ~TempDir() { std::system(("rm -rf '" + path + "'").c_str()); }
};

TEST(FileKinds, SpecialFilesAreRefusedByEveryWholeFileService)
{
    TempDir d;
    const std::string fifo = d.path + "/fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string dev = d.path + "/null";
    const bool haveDev = mknod(dev.c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0; // needs root
    std::vector<std::string> special = {fifo, d.path};
    if (haveDev)
        special.push_back(dev);

    unsigned short values[3] = {1, 2, 3};
    for (const std::string &p : special) {
        SCOPED_TRACE(p);
        EXPECT_EQ(CheckFileKind(p.c_str()), kFileNotRegular);
        EXPECT_EQ(OpenFile(p.c_str(), VAL_READ_ONLY, VAL_OPEN_AS_IS, VAL_ASCII), kFileNotRegular);
        EXPECT_EQ(OpenFile(p.c_str(), VAL_WRITE_ONLY, VAL_TRUNCATE, VAL_ASCII), kFileNotRegular);
        EXPECT_EQ(FileToArray(p.c_str(), values, VAL_UNSIGNED_SHORT_INTEGER, 3, 1, VAL_GROUPS_TOGETHER,
                              VAL_GROUPS_AS_COLUMNS, VAL_ASCII),
                  kFileNotRegular);
        for (int action : {VAL_TRUNCATE, VAL_APPEND})
            EXPECT_EQ(ArrayToFile(p.c_str(), values, VAL_UNSIGNED_SHORT_INTEGER, 3, 1, VAL_GROUPS_TOGETHER,
                                  VAL_GROUPS_AS_COLUMNS, VAL_CONST_WIDTH, 10, VAL_ASCII, action),
                      kFileNotRegular);
        EXPECT_EQ(WriteWholeFile(p.c_str(), "x", 1), kFileNotRegular);
        EXPECT_EQ(DeleteFile(p.c_str()), kFileNotRegular);
    }
    struct stat st {};
    ASSERT_EQ(stat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    if (haveDev) {
        ASSERT_EQ(stat(dev.c_str(), &st), 0);
        EXPECT_TRUE(S_ISCHR(st.st_mode)) << "the device node was replaced";
    }
}

TEST(FileKinds, RegularFilesLinksAndNewPathsAreAccepted)
{
    TempDir d;
    const std::string file = d.path + "/values.dat";
    const std::string link = d.path + "/link.dat";
    unsigned short values[3] = {7, 8, 9};
    EXPECT_EQ(CheckFileKind(file.c_str()), 0); // nothing there yet
    ASSERT_EQ(ArrayToFile(file.c_str(), values, VAL_UNSIGNED_SHORT_INTEGER, 3, 1, VAL_GROUPS_TOGETHER,
                          VAL_GROUPS_AS_COLUMNS, VAL_CONST_WIDTH, 10, VAL_ASCII, VAL_TRUNCATE),
              0);
    ASSERT_EQ(symlink(file.c_str(), link.c_str()), 0);
    unsigned short back[3] = {};
    EXPECT_EQ(FileToArray(link.c_str(), back, VAL_UNSIGNED_SHORT_INTEGER, 3, 1, VAL_GROUPS_TOGETHER,
                          VAL_GROUPS_AS_COLUMNS, VAL_ASCII),
              3);
    EXPECT_EQ(back[2], 9);
    EXPECT_EQ(WriteWholeFile(link.c_str(), "5\r\n", 3), 0);
}

} // namespace
