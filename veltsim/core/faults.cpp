#include "faults.h"

#include <charconv>

namespace veltsim {

namespace {
struct KindInfo {
  const char* name;
  FaultKind kind;
  const char* valueKey;  // key of the kind's own value, or nullptr
  int defaultValue;
  bool valueRequired;
};
const KindInfo kKinds[] = {
    {"noreply", FaultKind::NoReply, nullptr, 0, false},
    {"short", FaultKind::Short, "bytes", 0, true},
    {"long", FaultKind::Long, "bytes", 0, true},
    {"badecho", FaultKind::BadEcho, "word", -1, false},
    {"alter", FaultKind::Alter, "word", 0, true},
    {"miswrite", FaultKind::Miswrite, "word", 0, true},
    {"delay", FaultKind::Delay, "ms", 0, true},
    {"split", FaultKind::Split, "ms", 50, false},
    {"close", FaultKind::Close, "after", 0, true},
    {"nojump", FaultKind::NoJump, "reset_ms", 3000, false},
    {"noprompt", FaultKind::NoPrompt, nullptr, 0, false},
    {"srecerror", FaultKind::SrecError, "nth", 0, true},
    {"boottext", FaultKind::BootText, "bytes", 0, true},
    {"bootnul", FaultKind::BootNul, nullptr, 0, false},
};

std::optional<int> toInt(std::string_view s) {
  int v = 0;
  int base = 10;
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    s.remove_prefix(2);
    base = 16;
  }
  auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v, base);
  if (ec != std::errc{} || p != s.data() + s.size() || v < 0) return std::nullopt;
  return v;
}
}  // namespace

std::optional<FaultRule> parseFault(std::string_view text, std::string* error) {
  auto fail = [&](std::string why) -> std::optional<FaultRule> {
    if (error) *error = "fault '" + std::string(text) + "': " + why;
    return std::nullopt;
  };
  FaultRule rule;
  rule.text = std::string(text);
  std::string_view rest = text;
  auto nextField = [&]() {
    const size_t colon = rest.find(':');
    std::string_view field = rest.substr(0, colon);
    rest = colon == std::string_view::npos ? std::string_view{} : rest.substr(colon + 1);
    return field;
  };
  const std::string_view name = nextField();
  const KindInfo* info = nullptr;
  for (const auto& k : kKinds)
    if (name == k.name) info = &k;
  if (!info) return fail("unknown kind");
  rule.kind = info->kind;
  rule.value = info->defaultValue;
  bool haveValue = false;
  while (!rest.empty()) {
    const std::string_view field = nextField();
    const size_t eq = field.find('=');
    if (eq == std::string_view::npos) return fail("expected key=value");
    const std::string_view key = field.substr(0, eq), text = field.substr(eq + 1);
    if (key == "order" && text == "all") {
      rule.order.reset();
      continue;
    }
    const auto v = toInt(text);
    if (!v) return fail("bad number '" + std::string(text) + "'");
    if (info->valueKey && key == info->valueKey) {
      rule.value = *v;
      haveValue = true;
    } else if (key == "value" && (rule.kind == FaultKind::Alter || rule.kind == FaultKind::Miswrite) &&
               *v <= 0xFFFF) {
      rule.replacement = *v;
    } else if (key == "order" && *v <= 0xFFFF) {
      rule.order = static_cast<uint16_t>(*v);
    } else if (key == "nth" && *v > 0) {
      rule.nth = *v;
    } else {
      return fail("unknown key '" + std::string(key) + "'");
    }
  }
  if (info->valueRequired && !haveValue) return fail(std::string("needs ") + info->valueKey + "=");
  if (rule.kind == FaultKind::SrecError && rule.value <= 0) return fail("nth must be at least 1");
  return rule;
}

void FaultPlan::countTelegram(uint16_t order) {
  ++perOrder_[order];
  ++total_;
}

bool FaultPlan::matches(const FaultRule& rule, uint16_t order) const {
  if (rule.order && *rule.order != order) return false;
  if (rule.nth == 0) return true;
  if (rule.order) {
    const auto it = perOrder_.find(order);
    return it != perOrder_.end() && it->second == rule.nth;
  }
  return total_ == rule.nth;
}

const FaultRule* FaultPlan::match(FaultKind kind, uint16_t order) const {
  for (const auto& r : rules_)
    if (r.kind == kind && matches(r, order)) return &r;
  return nullptr;
}

const FaultRule* FaultPlan::find(FaultKind kind) const {
  for (const auto& r : rules_)
    if (r.kind == kind) return &r;
  return nullptr;
}

ReplyPlan FaultPlan::planReply(uint16_t order) const {
  ReplyPlan plan;
  for (const auto& r : rules_) {
    if (!matches(r, order)) continue;
    switch (r.kind) {
      case FaultKind::NoReply:
        plan.drop = true;
        break;
      case FaultKind::Short:
        plan.keepBytes = static_cast<size_t>(r.value);
        break;
      case FaultKind::Long:
        plan.extraBytes += static_cast<size_t>(r.value);
        break;
      case FaultKind::BadEcho:
        plan.echoWord = r.value >= 0 ? static_cast<uint16_t>(r.value) : static_cast<uint16_t>(order + 1);
        break;
      case FaultKind::Alter:
        plan.wordChanges.push_back({static_cast<size_t>(r.value), r.replacement});
        break;
      case FaultKind::Delay:
        plan.delay += r.value / 1000.0;
        break;
      case FaultKind::Split:
        plan.splitGap = r.value / 1000.0;
        break;
      default:
        continue;  // not a reply fault
    }
    plan.applied.push_back(r.text);
  }
  return plan;
}

std::vector<ReplyPiece> applyPlan(const ReplyPlan& plan, std::vector<uint8_t> reply) {
  if (plan.drop || reply.empty()) return {};
  if (plan.echoWord && reply.size() >= 4) {
    reply[2] = static_cast<uint8_t>(*plan.echoWord >> 8);
    reply[3] = static_cast<uint8_t>(*plan.echoWord & 0xFF);
  }
  for (const auto& change : plan.wordChanges) {
    const size_t at = 2 * change.word;
    if (at + 1 >= reply.size()) continue;  // the reply has no such word
    const auto old = static_cast<uint16_t>(reply[at] << 8 | reply[at + 1]);
    const auto now =
        change.replacement >= 0 ? static_cast<uint16_t>(change.replacement) : static_cast<uint16_t>(old + 1);
    reply[at] = static_cast<uint8_t>(now >> 8);
    reply[at + 1] = static_cast<uint8_t>(now & 0xFF);
  }
  if (plan.keepBytes && *plan.keepBytes < reply.size()) reply.resize(*plan.keepBytes);
  reply.insert(reply.end(), plan.extraBytes, 0xEE);
  if (reply.empty()) return {};
  if (plan.splitGap < 0 || reply.size() < 2) return {{plan.delay, std::move(reply)}};
  const auto half = reply.begin() + static_cast<long>(reply.size() / 2);
  return {{plan.delay, {reply.begin(), half}}, {plan.delay + plan.splitGap, {half, reply.end()}}};
}

}  // namespace veltsim
