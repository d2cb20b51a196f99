// Faults on request (option --fault). A rule is "KIND[:key=value]...":
//   noreply                no reply
//   short:bytes=K          only the first K bytes of the reply
//   long:bytes=K           K extra bytes (0xEE) after the reply
//   badecho[:word=W]       reply word 1 (the echoed order) replaced by W (default: order+1)
//   alter:word=W[:value=V] reply word W (0-based) replaced by V (default: the word + 1),
//                          e.g. one entry of a 200- or 256-byte table reply
//   miswrite:word=W[:value=V] request word W (0-based) replaced by V (default: the
//                          word + 1) before the sensor acts on it: a write order
//                          stores a wrong word
//   delay:ms=M             reply M ms late
//   split[:ms=M]           reply in two halves, M ms apart (default 50)
//   close:after=N          close a TCP connection after its N-th telegram (replied first)
//   nojump[:reset_ms=M]    no answer to the jump order 187; the boot firmware starts
//                          M ms later (default 3000) as if the sensor had been reset
//   noprompt               boot firmware sends no prompt
//   srecerror:nth=N        "Error # 02" at the N-th S-record
//   boottext:bytes=N       the boot firmware sends N bytes of other text before
//                          and after each of its messages
//   bootnul                the boot firmware sends NUL bytes around its messages
//                          (and inside the other text of boottext)
// The reply faults take the filters order=N (only that order; default any) and
// nth=K (only the K-th telegram of that order, or of all telegrams without order=;
// default every one). Several --fault options may be given; they all apply.
#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace veltsim {

enum class FaultKind {
  NoReply,
  Short,
  Long,
  BadEcho,
  Alter,
  Miswrite,
  Delay,
  Split,
  Close,
  NoJump,
  NoPrompt,
  SrecError,
  BootText,
  BootNul
};

struct FaultRule {
  FaultKind kind = FaultKind::NoReply;
  std::optional<uint16_t> order;  // filter: only this order
  int nth = 0;                    // filter: only the nth telegram (0: every)
  int value = 0;                  // bytes, word, ms, after or record number, by kind
  int replacement = -1;           // alter, miswrite: the new word (< 0: the old word + 1)
  std::string text;               // the text it was parsed from, for the log
};

std::optional<FaultRule> parseFault(std::string_view text, std::string* error);

// What the reply faults do to one reply.
struct ReplyPlan {
  bool drop = false;
  std::optional<size_t> keepBytes;
  size_t extraBytes = 0;
  std::optional<uint16_t> echoWord;
  struct WordChange {
    size_t word;
    int replacement;  // < 0: the old word + 1
  };
  std::vector<WordChange> wordChanges;
  double delay = 0;                  // seconds
  double splitGap = -1;              // seconds between the halves; < 0: not split
  std::vector<std::string> applied;  // specs of the rules that matched
};

class FaultPlan {
 public:
  explicit FaultPlan(std::vector<FaultRule> rules = {}) : rules_(std::move(rules)) {}

  // Counts a received telegram; call once per telegram before planning its reply.
  void countTelegram(uint16_t order);
  ReplyPlan planReply(uint16_t order) const;
  // The first rule of `kind` that matches the telegram just counted, if any.
  const FaultRule* match(FaultKind kind, uint16_t order) const;
  // The first rule of `kind` regardless of filters (boot and connection faults).
  const FaultRule* find(FaultKind kind) const;

 private:
  bool matches(const FaultRule& rule, uint16_t order) const;
  std::vector<FaultRule> rules_;
  std::map<uint16_t, int> perOrder_;
  int total_ = 0;
};

// Applies a plan to reply bytes: the pieces to send, each with its delay in seconds.
struct ReplyPiece {
  double delay = 0;
  std::vector<uint8_t> bytes;
};
std::vector<ReplyPiece> applyPlan(const ReplyPlan& plan, std::vector<uint8_t> reply);

}  // namespace veltsim
