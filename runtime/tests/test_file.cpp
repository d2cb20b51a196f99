// File services: the text layouts of the programs' files byte for byte,
// reading back, short and malformed files, failed writes and special files.
// (The EEPROM backup and the equation files are compared byte for byte, the
// colour arrays value for value, where the programs write them.)
#include "rt_file.h"
#include "rt_ui.h"
#include "support_io.h"

#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <algorithm>
#include <unistd.h>
#include <vector>

using testio::fixture;
using testio::readBytes;
using testio::TempDir;
using testio::writeBytes;

namespace {

// One group written as a column in fields of width 10, replacing the file.
template <typename T>
int saveColumn(const std::string &path, const T *data, int type, int n)
{
    return ArrayToFile(path.c_str(), data, type, n, 1, VAL_GROUPS_TOGETHER, VAL_GROUPS_AS_COLUMNS, VAL_CONST_WIDTH, 10,
                       VAL_ASCII, VAL_TRUNCATE);
}

// Reads n values of one group in file order.
template <typename T>
int loadColumn(const std::string &path, T *data, int type, int n)
{
    return FileToArray(path.c_str(), data, type, n, 1, VAL_GROUPS_TOGETHER, VAL_GROUPS_AS_COLUMNS, VAL_ASCII);
}

class FileTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { InitRuntime(0, nullptr); }
    TempDir tmp;
};

// The parameter file's layout (ten characters a line) is compared byte for
// byte where veltra and Veltv61 write it.
TEST_F(FileTest, RewriteReplacesLongerContentAndLeavesNoTemporaryFile)
{
    const std::string out = tmp.path("init.dat");
    ASSERT_TRUE(writeBytes(out, std::string(5000, 'x')));
    const uint16_t one[1] = {7};
    ASSERT_EQ(saveColumn(out, one, VAL_UNSIGNED_SHORT_INTEGER, 1), 0);
    EXPECT_EQ(readBytes(out), "         7\r\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(tmp.path()), {}), 1);
}

TEST_F(FileTest, GroupOrderAndLayoutPlaceEveryValue)
{
    // Two groups of three: {1,2,3} and {4,5,6}.
    const int together[6] = {1, 2, 3, 4, 5, 6};
    const int multiplexed[6] = {1, 4, 2, 5, 3, 6};
    const int wide[2] = {123456, -7};
    const std::string out = tmp.path("a.txt");
    struct Case {
        const int *array;
        int n, order, layout, sep, width;
        const char *text;
    } cases[] = {
        {together, 6, VAL_GROUPS_TOGETHER, VAL_GROUPS_AS_ROWS, VAL_SEP_BY_COMMA, 0, "1,2,3\r\n4,5,6\r\n"},
        {together, 6, VAL_GROUPS_TOGETHER, VAL_GROUPS_AS_COLUMNS, VAL_CONST_WIDTH, 3, "  1  4\r\n  2  5\r\n  3  6\r\n"},
        {multiplexed, 6, VAL_DATA_MULTIPLEXED, VAL_GROUPS_AS_ROWS, VAL_SEP_BY_TAB, 5, "1\t2\t3\r\n4\t5\t6\r\n"},
        {multiplexed, 6, VAL_DATA_MULTIPLEXED, VAL_GROUPS_AS_COLUMNS, VAL_SEP_BY_COMMA, 0, "1,4\r\n2,5\r\n3,6\r\n"},
        // A value wider than its field stays readable: it is set off by a blank.
        {wide, 2, VAL_DATA_MULTIPLEXED, VAL_GROUPS_AS_COLUMNS, VAL_CONST_WIDTH, 4, "123456  -7\r\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        ASSERT_EQ(ArrayToFile(out.c_str(), c.array, VAL_INTEGER, c.n, 2, c.order, c.layout, c.sep, c.width, VAL_ASCII,
                              VAL_TRUNCATE),
                  0);
        EXPECT_EQ(readBytes(out), c.text);
        int back[6] = {};
        ASSERT_EQ(FileToArray(out.c_str(), back, VAL_INTEGER, c.n, 2, c.order, c.layout, VAL_ASCII), c.n);
        EXPECT_EQ(std::memcmp(back, c.array, c.n * sizeof(int)), 0);
    }
}

TEST_F(FileTest, ShortMalformedOrMissingFilesAreReported)
{
    // A short file: the count read, the rest untouched; an empty file reads nothing.
    ASSERT_TRUE(writeBytes(tmp.path("short.dat"), "        11\r\n        22\r\n        33"));
    ASSERT_TRUE(writeBytes(tmp.path("empty.dat"), ""));
    std::vector<uint16_t> a(202, 0xABCD);
    EXPECT_EQ(loadColumn(tmp.path("short.dat"), a.data(), VAL_UNSIGNED_SHORT_INTEGER, 202), 3);
    EXPECT_EQ(loadColumn(tmp.path("empty.dat"), a.data(), VAL_UNSIGNED_SHORT_INTEGER, 202), 0);
    EXPECT_EQ(std::vector<uint16_t>(a.begin(), a.begin() + 4), (std::vector<uint16_t> {11, 22, 33, 0xABCD}));
    EXPECT_EQ(std::count(a.begin() + 3, a.end(), 0xABCD), 199);
    // More values than asked for: the first ones are read, the rest ignored.
    EXPECT_EQ(loadColumn(fixture("param.dat"), a.data(), VAL_UNSIGNED_SHORT_INTEGER, 4), 4);
    EXPECT_EQ(a[0], 500);
    EXPECT_EQ(a[4], 0xABCD);

    struct Case {
        const char *text;
        int type;
    } cases[] = {
        {"1\n2\nthree\n4\n", VAL_UNSIGNED_SHORT_INTEGER},
        {"1\n70000\n", VAL_UNSIGNED_SHORT_INTEGER}, // beyond 16 bits
        {"1\n-1\n", VAL_UNSIGNED_SHORT_INTEGER},
        {"1\n2.5\n", VAL_INTEGER},
        {"1\n2147483648\n", VAL_INTEGER},
        {"1.5\n2x\n", VAL_DOUBLE},
        {"1e999\n", VAL_DOUBLE},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        ASSERT_TRUE(writeBytes(tmp.path("bad.dat"), c.text));
        unsigned char b[64];
        std::memset(b, 0x5A, sizeof b);
        EXPECT_EQ(loadColumn(tmp.path("bad.dat"), b, c.type, 4), kFileNotNumeric);
        EXPECT_EQ(std::count(b, b + sizeof b, 0x5A), 64);
    }
    int v[4] = {9, 9, 9, 9};
    EXPECT_EQ(loadColumn(tmp.path("missing.dat"), v, VAL_INTEGER, 4), kFileError);
    EXPECT_EQ(v[0], 9);
}

// Writes cut short by a file-size limit (as by a full disk) fail, never
// pretend, and leave the file as it was: an append that would fit only in
// part, and a whole-file rewrite, which is written aside and put in place
// only when complete.
TEST_F(FileTest, FailedWritesAreReportedAndLeaveTheFileWhole)
{
    const std::string param = tmp.path("init.dat"), rec = tmp.path("rec.dat");
    const std::vector<uint16_t> all(202, 1234);
    ASSERT_EQ(saveColumn(param, all.data(), VAL_UNSIGNED_SHORT_INTEGER, 202), 0);
    const std::string before = readBytes(param);
    ASSERT_EQ(AppendToFile(rec.c_str(), "ab\0\r\n", 5), 0);
    ASSERT_EQ(AppendToFile(rec.c_str(), "cd\r\n", 4), 0);
    const std::string records("ab\0\r\ncd\r\n", 9);
    EXPECT_EQ(readBytes(rec), records);

    rlimit old {};
    getrlimit(RLIMIT_FSIZE, &old);
    auto *oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 12;
    setrlimit(RLIMIT_FSIZE, &small);
    const int partly = AppendToFile(rec.c_str(), "0123456789", 10); // 3 of 10 bytes would fit
    const std::vector<uint16_t> other(202, 7);
    const int cut = saveColumn(param, other.data(), VAL_UNSIGNED_SHORT_INTEGER, 202);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(partly, kFileError);
    EXPECT_EQ(cut, kFileError);
    EXPECT_EQ(readBytes(param), before);
    EXPECT_EQ(readBytes(rec), records);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(tmp.path()), {}), 2); // nothing left aside

    // Nothing is created in a folder that does not exist, nor below a plain
    // file (not even by root).
    EXPECT_EQ(saveColumn(tmp.path("no/such/dir/init.dat"), all.data(), VAL_UNSIGNED_SHORT_INTEGER, 3), kFileError);
    EXPECT_FALSE(std::filesystem::exists(tmp.path("no")));
    EXPECT_EQ(AppendToFile((rec + "/x.dat").c_str(), "x", 1), kFileError);
    EXPECT_EQ(AppendToFile("", "x", 1), kFileError);

    long size = -1;
    EXPECT_EQ(GetFileInfo(rec.c_str(), &size), 1);
    EXPECT_EQ(size, 9);
    EXPECT_EQ(DeleteFile(rec.c_str()), 0);
    EXPECT_EQ(GetFileInfo(rec.c_str(), &size), 0);
    EXPECT_EQ(DeleteFile(rec.c_str()), kFileError);
}

// Whole-file services accept a regular file (also through a symbolic link)
// or a path with nothing yet, and refuse FIFOs, device nodes and directories
// at once: a FIFO never blocks, a device node is never replaced by a file.
TEST_F(FileTest, SpecialFilesAreRefusedByEveryWholeFileService)
{
    const std::string fifo = tmp.path("fifo"), dev = tmp.path("null");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const bool haveDev = mknod(dev.c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0; // needs root
    std::vector<std::string> special = {fifo, tmp.path()};
    if (haveDev)
        special.push_back(dev);
    unsigned short values[3] = {1, 2, 3};
    for (const std::string &p : special) {
        SCOPED_TRACE(p);
        EXPECT_EQ(CheckFileKind(p.c_str()), kFileNotRegular);
        EXPECT_EQ(OpenFile(p.c_str(), VAL_READ_ONLY, VAL_OPEN_AS_IS, VAL_ASCII), kFileNotRegular);
        EXPECT_EQ(OpenFile(p.c_str(), VAL_WRITE_ONLY, VAL_TRUNCATE, VAL_ASCII), kFileNotRegular);
        EXPECT_EQ(loadColumn(p, values, VAL_UNSIGNED_SHORT_INTEGER, 3), kFileNotRegular);
        for (int action : {VAL_TRUNCATE, VAL_APPEND})
            EXPECT_EQ(ArrayToFile(p.c_str(), values, VAL_UNSIGNED_SHORT_INTEGER, 3, 1, VAL_GROUPS_TOGETHER,
                                  VAL_GROUPS_AS_COLUMNS, VAL_CONST_WIDTH, 10, VAL_ASCII, action),
                      kFileNotRegular);
        EXPECT_EQ(WriteWholeFile(p.c_str(), "x", 1), kFileNotRegular);
        EXPECT_EQ(AppendToFile(p.c_str(), "x", 1), kFileNotRegular);
        EXPECT_EQ(DeleteFile(p.c_str()), kFileNotRegular);
    }
    struct stat st {};
    EXPECT_TRUE(stat(fifo.c_str(), &st) == 0 && S_ISFIFO(st.st_mode));
    EXPECT_TRUE(!haveDev || (stat(dev.c_str(), &st) == 0 && S_ISCHR(st.st_mode))) << "the device node was replaced";

    const std::string file = tmp.path("values.dat"), link = tmp.path("link.dat");
    EXPECT_EQ(CheckFileKind(file.c_str()), 0); // nothing there yet
    ASSERT_EQ(saveColumn(file, values, VAL_UNSIGNED_SHORT_INTEGER, 3), 0);
    ASSERT_EQ(symlink(file.c_str(), link.c_str()), 0);
    unsigned short back[3] = {};
    EXPECT_EQ(loadColumn(link, back, VAL_UNSIGNED_SHORT_INTEGER, 3), 3);
    EXPECT_EQ(back[2], 3);
    EXPECT_EQ(WriteWholeFile(link.c_str(), "5\r\n", 3), 0);
}

} // namespace
