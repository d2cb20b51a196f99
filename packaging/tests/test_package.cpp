// The Debian package as a user gets it (unpacked by the package_prepare
// fixture): layout, control data, desktop entries, lintian, and each program
// run from it with a read-only program directory.
#include "simproc.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <cctype>
#include <fstream>
#include <iostream>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const char *const kPrograms[] = {"Veltv61", "VeltTempCompV61", "VeltCalibV61", "QuillonV20"};
const char *const kExecutables[] = {"Veltv61", "VeltTempCompV61", "VeltCalibV61", "QuillonV20", "veltsim", "veltra"};

fs::path Root()
{
    const char *r = std::getenv("VELT_PACKAGE_ROOT");
    return r ? fs::path(r) : fs::path();
}

std::string Deb()
{
    std::string path = ReadTextFile(Root().string() + ".deb");
    while (!path.empty() && (path.back() == '\n' || path.back() == ' '))
        path.pop_back();
    return path;
}

bool Has(const std::string &text, const std::string &needle) { return text.find(needle) != std::string::npos; }

std::set<std::string> FilesUnder(const fs::path &dir)
{
    std::set<std::string> names;
    for (const auto &e : fs::recursive_directory_iterator(dir))
        names.insert(fs::relative(e.path(), dir).string());
    return names;
}

// A program's desktop entry: veltra-<name in lower case>.desktop.
std::string DesktopEntry(const char *program)
{
    std::string id = program;
    for (char &c : id)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return "veltra-" + id + ".desktop";
}

class Contents : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(fs::is_directory(Root() / "usr")) << "package not unpacked: " << Root(); }
};

TEST_F(Contents, ProgramsWithTheirFilesAndLinksOnThePath)
{
    const fs::path progDir = Root() / "usr/lib/veltra";
    for (const char *exe : kExecutables) {
        const fs::path real = progDir / exe;
        EXPECT_TRUE(fs::is_regular_file(real)) << real;
        EXPECT_EQ(::access(real.c_str(), X_OK), 0) << real;
        const fs::path link = Root() / "usr/bin" / exe;
        ASSERT_TRUE(fs::is_symlink(link)) << link;
        // Relative, so that the links work wherever the tree is unpacked.
        EXPECT_EQ(fs::read_symlink(link), fs::path("../lib/veltra") / exe);
        EXPECT_TRUE(fs::is_regular_file(Root() / "usr/share/man/man1" / (std::string(exe) + ".1.gz"))) << exe;
    }
    // Each program's panels, and a valid desktop entry that starts it from the path.
    for (const char *p : kPrograms) {
        EXPECT_TRUE(fs::is_regular_file(progDir / (std::string(p) + ".uir"))) << p;
        const fs::path entry = Root() / "usr/share/applications" / DesktopEntry(p);
        std::string out;
        EXPECT_EQ(RunProgram("/usr/bin/desktop-file-validate", {entry.string()}, {}, 60, &out), 0) << entry << out;
        EXPECT_EQ(out, "");
        const std::string text = ReadTextFile(entry.string());
        for (const std::string &line : {"\nExec=/usr/bin/" + std::string(p) + "\n", std::string("\nIcon=veltra\n"),
                                        "\nName=" + std::string(p) + "\n"})
            EXPECT_TRUE(Has(text, line)) << line << text;
    }
    // Nothing but the programs' own files in the program directory, the brand bitmaps among them.
    int bitmaps = 0;
    for (const auto &e : fs::directory_iterator(progDir)) {
        const std::string ext = e.path().extension().string();
        EXPECT_TRUE(ext.empty() || ext == ".uir" || ext == ".png") << e.path();
        bitmaps += e.path().filename().string().rfind("brand_", 0) == 0 && ext == ".png";
    }
    EXPECT_GT(bitmaps, 0);
    for (const char *size : {"16x16", "22x22", "24x24", "32x32", "48x48", "64x64", "128x128", "256x256"})
        EXPECT_TRUE(fs::is_regular_file(Root() / "usr/share/icons/hicolor" / size / "apps/veltra.png")) << size;
    for (const char *f : {"icons/hicolor/scalable/apps/veltra.svg", "bash-completion/completions/veltra",
                          "doc/veltra/copyright", "doc/veltra/changelog.gz"})
        EXPECT_TRUE(fs::is_regular_file(Root() / "usr/share" / f)) << f;
    // Only /usr: a package must not install into /opt or anywhere else.
    for (const auto &e : fs::directory_iterator(Root()))
        EXPECT_EQ(e.path().filename(), "usr") << e.path();
}

TEST_F(Contents, ControlDataNamesDependenciesAndDescription)
{
    std::string control;
    ASSERT_EQ(RunProgram("/usr/bin/dpkg-deb", {"-f", Deb()}, {}, 60, &control), 0) << control;
    // The dependencies are computed from the binaries by shlibdeps, plus the run-time plugins.
    for (const char *needle : {"Package: veltra\n", "Architecture: ", "libqt6widgets6", "libqt6serialport6", "libc6",
                               "qt6-qpa-plugins", "Description: set-up, calibration and loader programs"})
        EXPECT_TRUE(Has(control, needle)) << needle << "\n" << control;
}

TEST(Lintian, ReportsNoErrors)
{
    std::string out;
    const int rc = RunProgram("/usr/bin/lintian", {"--fail-on", "error", Deb()}, {}, 100, &out);
    EXPECT_EQ(rc, 0) << out;
    // Warnings may stay; show them in the test's log.
    std::cout << out;
}

// cmake --install under a prefix of its own, as /opt/veltra is: everything a
// program loads beside it in PREFIX/bin, and desktop entries that name the
// executables and the icon by their installed paths.
TEST(Install, UnderAPrefixOfItsOwn)
{
    const char *cmake = std::getenv("VELT_CMAKE");
    const char *build = std::getenv("VELT_BUILD_DIR");
    ASSERT_TRUE(cmake && build);
    const fs::path prefix = fs::path(MakeTempDir()) / "veltra";
    std::string out;
    ASSERT_EQ(RunProgram(cmake, {"--install", build, "--prefix", prefix.string()}, {}, 120, &out), 0) << out;

    const fs::path bin = prefix / "bin";
    for (const char *exe : kExecutables) {
        EXPECT_EQ(::access((bin / exe).c_str(), X_OK), 0) << exe;
        EXPECT_TRUE(fs::is_regular_file(prefix / "share/man/man1" / (std::string(exe) + ".1.gz"))) << exe;
    }
    const fs::path icon = prefix / "share/icons/hicolor/scalable/apps/veltra.svg";
    EXPECT_TRUE(fs::is_regular_file(icon) && fs::is_regular_file(bin / "brand_01.png"));
    for (const char *p : kPrograms) {
        EXPECT_TRUE(fs::is_regular_file(bin / (std::string(p) + ".uir"))) << p;
        const fs::path entry = prefix / "share/applications" / DesktopEntry(p);
        const std::string text = ReadTextFile(entry.string());
        EXPECT_TRUE(Has(text, "\nExec=" + (bin / p).string() + "\n") && Has(text, "\nIcon=" + icon.string() + "\n"))
            << text;
        EXPECT_EQ(RunProgram("/usr/bin/desktop-file-validate", {entry.string()}, {}, 60, &out), 0) << out;
    }
    EXPECT_FALSE(fs::exists(prefix / "lib"));

    // The installed main program finds its panels and bitmaps beside it.
    const fs::path shot = prefix.parent_path() / "main.png";
    const fs::path script = prefix.parent_path() / "start.txt";
    WriteTextFile(script.string(), "screenshot P " + shot.string() + "\nquit 0\n");
    EXPECT_EQ(RunProgram((bin / "Veltv61").string(), {"--ui-script", script.string()},
                         {"VELTRA_COM1=" + (prefix / "no-such-tty").string(), "QT_QPA_PLATFORM=offscreen"}, 60, &out),
              0)
        << out;
    EXPECT_TRUE(fs::is_regular_file(shot)) << out;
    std::error_code ec;
    fs::remove_all(prefix.parent_path(), ec);
}

class ProgramRun : public ::testing::TestWithParam<const char *> {};

// Started through its link on the path, offscreen, by a user who may not
// write the program directory: it shows its main panel, saves a picture of it
// and quits with 0; what it writes goes to the per-user directory.
TEST_P(ProgramRun, FromTheUnpackedPackage)
{
    const std::string name = GetParam();
    ASSERT_TRUE(fs::is_directory(Root() / "usr/lib/veltra"));
    // A copy of the unpacked tree of its own, so that cases running at once
    // do not share it; read-only for everybody.
    const fs::path work = MakeTempDir();
    ASSERT_FALSE(work.empty());
    const fs::path root = work / "root";
    fs::copy(Root(), root, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
    const fs::path home = work / "home";
    fs::create_directories(home);
    const fs::path shot = home / "main.png";
    const fs::path script = home / "start.txt";
    WriteTextFile(script.string(), "screenshot " + std::string(name == "QuillonV20" ? "MAINP" : "P") + " " +
                                       shot.string() + "\nquit 0\n");

    const bool asRoot = ::geteuid() == 0;
    std::vector<std::string> args;
    std::string exe = (root / "usr/bin" / name).string();
    if (asRoot) {
        // Root may write anywhere: run as nobody, whose only writable place is
        // its home here.
        for (const fs::path &p : {home, script})
            ASSERT_EQ(::chown(p.c_str(), 65534, 65534), 0) << p;
        ASSERT_EQ(::chmod(work.c_str(), 0755), 0);
        args = {"--reuid=65534", "--regid=65534", "--clear-groups", exe};
        exe = "/usr/bin/setpriv";
    }
    fs::permissions(root / "usr/lib/veltra", fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    const std::set<std::string> before = FilesUnder(root);
    args.insert(args.end(), {"--ui-script", script.string()});

    std::string out;
    const int rc =
        RunProgram(exe, args,
                   {"HOME=" + home.string(), "XDG_DATA_HOME=" + (home / "data").string(),
                    "XDG_CONFIG_HOME=" + (home / "config").string(), "XDG_CACHE_HOME=" + (home / "cache").string(),
                    "VELTRA_COM1=" + (home / "no-such-tty").string(), "QT_QPA_PLATFORM=offscreen"},
                   60, &out);
    EXPECT_EQ(rc, 0) << out;
    EXPECT_GT(fs::exists(shot) ? fs::file_size(shot) : 0, 1000u) << out;
    // The program directory is as it was unpacked.
    EXPECT_EQ(FilesUnder(root), before);
    EXPECT_TRUE(fs::is_directory(home / "data/veltra")) << out;

    fs::permissions(root / "usr/lib/veltra", fs::perms::owner_write, fs::perm_options::add);
    std::error_code ec;
    fs::remove_all(work, ec);
}

INSTANTIATE_TEST_SUITE_P(Programs, ProgramRun, ::testing::ValuesIn(kPrograms),
                         [](const ::testing::TestParamInfo<const char *> &i) { return std::string(i.param); });

} // namespace
