// The lines of a UI script as the script reader takes them apart: one
// action a line, '#' starts a comment, words separated by blanks. Plain C++
// (no Qt), so that the reader is reachable without an application.
#pragma once

#include <string>
#include <vector>

namespace rt {

struct ScriptLine {
    int line = 0;                  // 1-based line number in the file
    std::vector<std::string> args; // the words; args[0] is the verb, never empty
    std::string text;              // the line without comment and trailing blanks and line end
};

// The actions of a script file's text; lines without words are left out.
std::vector<ScriptLine> ParseUiScriptText(const std::string &content);
// The rest of a script line after skipWords words, its inner blanks kept
// (the value written after "set PANEL CTRL"); empty when the line has fewer words.
std::string ScriptLineRest(const std::string &line, int skipWords);
// That rest without its last word (the value of "waitfor ... == VALUE
// TIMEOUT"); empty when the rest is one word or none.
std::string ScriptLineValueBeforeLastWord(const std::string &line, int skipWords);

// A word of an action that stands for a number, read whole: digits with an
// optional '-', nothing before or after them. True and *out when the word is
// a whole number within lo..hi; false for anything else (a word that is no
// number, one too large for its type, one outside lo..hi).
bool ScriptWholeNumber(const std::string &word, long long lo, long long hi, long long *out);
// The same for a decimal number ("0.5", "1e3"); infinity and NaN are none.
bool ScriptDecimalNumber(const std::string &word, double lo, double hi, double *out);

} // namespace rt
