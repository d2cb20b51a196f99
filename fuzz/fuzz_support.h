// Shared by the fuzz targets: the check that stops a run on a broken
// invariant, a reader that takes a fuzz input apart, and scratch files for
// the parsers that read files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// Every target defines this; libFuzzer calls it, and so does the replay
// program of the ordinary builds for each file of the target's corpus.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

// Stops the run (libFuzzer keeps the input as a crash) when cond is false.
#define FUZZ_CHECK(cond)                                                                                               \
    do {                                                                                                               \
        if (!(cond)) {                                                                                                 \
            std::fprintf(stderr, "fuzz check failed: %s (%s:%d)\n", #cond, __FILE__, __LINE__);                        \
            std::fflush(stderr);                                                                                       \
            __builtin_trap();                                                                                          \
        }                                                                                                              \
    } while (0)

namespace fuzz {

// Takes an input apart from the front; past the end every read yields zeros
// or an empty text, so a target never reads beyond the input.
class Input {
public:
    Input(const uint8_t *data, size_t size) : data_(data), size_(size) {}
    bool empty() const { return pos_ >= size_; }
    size_t left() const { return size_ - pos_; }
    uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    uint16_t word()
    {
        const uint16_t hi = byte();
        return static_cast<uint16_t>((hi << 8) | byte());
    }
    // At most n bytes.
    std::string bytes(size_t n)
    {
        n = n < left() ? n : left();
        std::string out(reinterpret_cast<const char *>(data_ + pos_), n);
        pos_ += n;
        return out;
    }
    std::string rest() { return bytes(left()); }

private:
    const uint8_t *data_;
    size_t size_;
    size_t pos_ = 0;
};

// A path for a scratch file of this process, in a private directory under
// $TMPDIR (or /tmp) that is removed when the process ends.
std::string ScratchPath(const char *name);
// Replaces the file with the bytes; false when that failed.
bool WriteBytes(const std::string &path, const std::string &bytes);
// The whole file (empty when it cannot be read).
std::string ReadBytes(const std::string &path);

// An S-record of the type with its address and data, in upper-case hex with
// its checksum, without a line end.
std::string SRecordText(char type, uint32_t address, const std::vector<uint8_t> &data);

} // namespace fuzz
