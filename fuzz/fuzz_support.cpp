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

std::string SRecordText(char type, uint32_t address, const std::vector<uint8_t> &data)
{
    static const char digits[] = "0123456789ABCDEF";
    const int a = type == '2' || type == '6' || type == '8' ? 3 : type == '3' || type == '7' ? 4 : 2;
    std::vector<uint8_t> bytes;
    for (int i = a - 1; i >= 0; --i)
        bytes.push_back(static_cast<uint8_t>(address >> (8 * i)));
    bytes.insert(bytes.end(), data.begin(), data.end());
    const unsigned count = static_cast<unsigned>(bytes.size()) + 1;
    unsigned sum = count;
    for (uint8_t b : bytes)
        sum += b;
    bytes.push_back(static_cast<uint8_t>(~sum & 0xFF));
    std::string out = {'S', type, digits[count >> 4], digits[count & 15]};
    for (uint8_t b : bytes) {
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

} // namespace fuzz
