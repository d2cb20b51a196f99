// The loader's watcher of the boot firmware's text: any bytes, cut into reads
// of sizes the input chooses. The watcher notes a text exactly when the
// whole stream (NULs dropped) holds it, returns each read's text without
// NULs, and its window stays bounded.
#include "fuzz_support.h"

#include "loaderdata.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::Input in(data, size);
    quillon::BootTextWatcher w;
    std::string stream; // everything so far, without NULs
    const char *const texts[3] = {quillon::kBootPrompt, quillon::kBootSuccess, quillon::kBootError};
    // A read size of up to 2 * capacity, so that one read can exceed the window.
    while (!in.empty()) {
        const size_t n = ((size_t(in.byte()) << 8) | in.byte()) % (2 * quillon::BootTextWatcher::kCapacity + 1);
        const std::string chunk = in.bytes(n);
        std::string text;
        for (char c : chunk)
            if (c != '\0')
                text += c;
        const std::string shown = w.add(chunk.data(), static_cast<int>(chunk.size()));
        FUZZ_CHECK(shown == text);
        stream += text;
        FUZZ_CHECK(w.size() <= quillon::BootTextWatcher::kCapacity);
        const bool seen[3] = {w.promptSeen(), w.successSeen(), w.errorSeen()};
        for (int t = 0; t < 3; ++t)
            FUZZ_CHECK(seen[t] == (stream.find(texts[t]) != std::string::npos));
        if (in.byte() == 0xFF) { // now and then a new update starts
            w.clear();
            stream.clear();
            FUZZ_CHECK(w.size() == 0 && !w.promptSeen() && !w.successSeen() && !w.errorSeen());
        }
    }
    // A zero or negative count adds nothing.
    FUZZ_CHECK(w.add("x", 0).empty() && w.add("x", -5).empty());
    return 0;
}
