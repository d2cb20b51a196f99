// Veltv61's parameter file: any bytes as the file. A file that is accepted
// is taken into the variables as the program does; written out again it
// reads back as the same packet, and the written file is accepted again.
#include "fuzz_support.h"

#include "commands.h"
#include "packet.h"
#include "rt_file.h"

#include <cctype>
#include <cstring>

using namespace com232;

namespace {

// A file the parser must accept: only digits and separators, exactly 202
// numbers, none above 65535 (and no number with more digits than a token holds).
bool plainlyValid(const std::string &text)
{
    int count = 0;
    size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == ' ' || c == '\t' || c == ',' || c == '\r' || c == '\n' || c == '\f' || c == '\v') {
            ++i;
            continue;
        }
        size_t j = i;
        unsigned long v = 0;
        while (j < text.size() && std::isdigit(static_cast<unsigned char>(text[j]))) {
            v = v * 10 + static_cast<unsigned long>(text[j] - '0');
            if (v > 65535 || j - i >= 64)
                return false;
            ++j;
        }
        if (j == i || (j < text.size() && !std::strchr(" \t,\r\n\f\v", text[j])))
            return false;
        ++count;
        i = j;
    }
    return count == kParaWords;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const std::string file = fuzz::ScratchPath("init.dat");
    static const std::string again = fuzz::ScratchPath("again.dat");
    const std::string text(reinterpret_cast<const char *>(data), size);
    FUZZ_CHECK(fuzz::WriteBytes(file, text));

    uint16_t packet[kParaWords];
    for (int i = 0; i < kParaWords; ++i)
        packet[i] = 0xBEEF;
    const bool ok = ReadParameterFile(file.c_str(), packet);
    if (plainlyValid(text))
        FUZZ_CHECK(ok);
    if (!ok) {
        for (int i = 0; i < kParaWords; ++i)
            FUZZ_CHECK(packet[i] == 0xBEEF); // a refused file changes nothing
        return 0;
    }

    // As the program takes it: packet, variables, packet again.
    ResetPacketVars();
    std::memcpy(pp, packet, sizeof pp);
    CopyFileParatoVars();
    FUZZ_CHECK(maxcolno <= 31);
    CopyVarsToPP();
    for (int i = 0; i < kParaWords; ++i) {
        if (i == 6)
            FUZZ_CHECK(pp[i] == (packet[i] > 31 ? 31 : packet[i]));
        else
            FUZZ_CHECK(pp[i] == packet[i]);
    }

    // Written and read again: the same packet.
    FUZZ_CHECK(WriteParameterFile(again.c_str(), pp) == 0);
    uint16_t back[kParaWords] = {};
    FUZZ_CHECK(ReadParameterFile(again.c_str(), back));
    FUZZ_CHECK(std::memcmp(back, pp, sizeof back) == 0);
    // One number a line, right-aligned in ten characters, CR LF.
    FUZZ_CHECK(fuzz::ReadBytes(again).size() == static_cast<size_t>(kParaWords) * 12);
    return 0;
}
