#include "fuzz_support.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

namespace fuzz {

namespace {

std::string g_dir;

void removeScratchDir()
{
    if (g_dir.empty())
        return;
    const std::string cmd = "rm -rf '" + g_dir + "'";
    if (std::system(cmd.c_str()) != 0)
        std::fprintf(stderr, "could not remove %s\n", g_dir.c_str());
}

const std::string &scratchDir()
{
    if (g_dir.empty()) {
        const char *tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/velt-fuzz-XXXXXX";
        if (!::mkdtemp(pattern.data())) {
            std::perror("mkdtemp");
            std::abort();
        }
        g_dir = pattern;
        std::atexit(removeScratchDir);
    }
    return g_dir;
}

} // namespace

std::string ScratchPath(const char *name) { return scratchDir() + "/" + name; }

bool WriteBytes(const std::string &path, const std::string &bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}

std::string ReadBytes(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace fuzz
