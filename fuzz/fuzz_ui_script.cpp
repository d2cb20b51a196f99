// The UI script reader: any bytes as a script file. Every action has a verb
// and words without blanks, comment or line end, on increasing line numbers
// within the file; the rest of a line after any number of its words (how
// "set" and "waitfor" take their values) starts at the next word and splits
// into the remaining words, and without its last word into all but that.
#include "fuzz_support.h"

#include "rt_scriptlines.h"

#include <algorithm>
#include <sstream>

namespace {

std::vector<std::string> words(const std::string &s)
{
    std::vector<std::string> out;
    std::istringstream in(s);
    std::string w;
    while (in >> w)
        out.push_back(w);
    return out;
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string content(reinterpret_cast<const char *>(data), size);
    const std::vector<rt::ScriptLine> lines = rt::ParseUiScriptText(content);
    const long fileLines = std::count(content.begin(), content.end(), '\n') + 1;
    int previous = 0;
    for (const rt::ScriptLine &l : lines) {
        FUZZ_CHECK(l.line > previous && l.line <= fileLines);
        previous = l.line;
        FUZZ_CHECK(!l.args.empty());
        FUZZ_CHECK(l.text.find('#') == std::string::npos && l.text.find('\n') == std::string::npos);
        FUZZ_CHECK(!l.text.empty() && l.text.back() != ' ' && l.text.back() != '\r');
        FUZZ_CHECK(words(l.text) == l.args);
        for (const std::string &w : l.args)
            FUZZ_CHECK(!w.empty() && std::none_of(w.begin(), w.end(), isBlank));
        for (size_t k = 0; k <= l.args.size(); ++k) {
            const std::string rest = rt::ScriptLineRest(l.text, static_cast<int>(k));
            const std::vector<std::string> after(l.args.begin() + static_cast<long>(k), l.args.end());
            FUZZ_CHECK(words(rest) == after);
            if (k < l.args.size())
                FUZZ_CHECK(rest.compare(0, l.args[k].size(), l.args[k]) == 0);
            // The value before a last word (the time-out of "waitfor").
            const std::string value = rt::ScriptLineValueBeforeLastWord(l.text, static_cast<int>(k));
            const std::vector<std::string> before(after.begin(), after.empty() ? after.end() : after.end() - 1);
            FUZZ_CHECK(words(value) == before);
            FUZZ_CHECK(value.empty() || (!isBlank(value.front()) && !isBlank(value.back())));
        }
    }
    // Parsing the actions' own lines again gives the same actions.
    std::string again;
    for (const rt::ScriptLine &l : lines)
        again += l.text + "\n";
    const std::vector<rt::ScriptLine> reparsed = rt::ParseUiScriptText(again);
    FUZZ_CHECK(reparsed.size() == lines.size());
    for (size_t i = 0; i < lines.size(); ++i)
        FUZZ_CHECK(reparsed[i].args == lines[i].args && reparsed[i].text == lines[i].text);
    return 0;
}
