#include "device.h"

#include <algorithm>

namespace veltsim {

namespace {
constexpr uint8_t kXon = 0x11, kXoff = 0x13;
constexpr int kApplicationBaud = 19200, kBootBaud = 115200;
}  // namespace

Device::Device(Sensor& sensor, DeviceSettings settings)
    : sensor_(sensor), settings_(std::move(settings)), faults_(settings_.faults), boot_([&] {
        BootSettings b = settings_.boot;
        if (faults_.find(FaultKind::NoPrompt)) b.prompt = false;
        if (const FaultRule* r = faults_.find(FaultKind::SrecError)) b.errorAtRecord = r->value;
        if (const FaultRule* r = faults_.find(FaultKind::BootText))
          b.noiseBytes = static_cast<size_t>(r->value);
        if (faults_.find(FaultKind::BootNul)) b.nulBytes = true;
        return b;
      }()) {}

int Device::addChannel(ChannelKind kind, std::string name) {
  Channel c;
  c.kind = kind;
  c.name = std::move(name);
  channels_.push_back(std::move(c));
  return static_cast<int>(channels_.size()) - 1;
}

Json Device::line(double now, int channel) const {
  Json j;
  j.num("t", now);
  if (channel >= 0) j.str("ch", channels_[channel].name);
  return j;
}

void Device::connected(int channel, double now) {
  Channel& c = channels_[channel];
  c.pending.clear();
  c.telegrams = 0;
  c.queueEnd = now;
  c.xoff = false;
  out_.log.push_back(line(now, channel).str("event", "connected").text());
}

void Device::disconnected(int channel, double now) {
  channels_[channel].pending.clear();
  out_.log.push_back(line(now, channel).str("event", "disconnected").text());
}

void Device::emit(int channel, double at, Bytes bytes, Emission::Kind kind) {
  Channel& c = channels_[channel];
  c.queueEnd = std::max(c.queueEnd, at);
  out_.emissions.push_back({kind, channel, c.queueEnd, std::move(bytes)});
}

size_t Device::acceptLimit(int channel) const {
  // After XOFF the sender's queued bytes stay queued until XON.
  if (boot_.active() && channel == bootChannel_) return channels_[channel].xoff ? 0 : boot_.freeSpace();
  return 4096;
}

int Device::baud(int channel) const {
  return bootMode() && channel == bootChannel_ ? kBootBaud : kApplicationBaud;
}

void Device::receive(int channel, std::span<const uint8_t> bytes, double now) {
  if (bytes.empty()) return;
  Channel& c = channels_[channel];
  if (bootMode()) {
    const std::string text(bytes.begin(), bytes.end());
    if (channel != bootChannel_ || !boot_.active()) {
      out_.log.push_back(line(now, channel)
                             .str("dir", "rx")
                             .str("mode", "boot")
                             .str("text", text)
                             .str("note", "ignored: boot firmware not listening here")
                             .text());
      return;
    }
    out_.log.push_back(line(now, channel).str("dir", "rx").str("mode", "boot").str("text", text).text());
    bootEvents(boot_.receive(text, now), now);
    updateFlowControl(now);
    return;
  }

  if (!c.pending.empty() && now - c.lastRx > settings_.frameGap) {
    out_.log.push_back(line(now, channel)
                           .str("event", "dropped")
                           .str("hex", toHex(c.pending))
                           .str("note", "partial telegram followed by silence")
                           .text());
    c.pending.clear();
  }
  c.lastRx = now;
  c.pending.insert(c.pending.end(), bytes.begin(), bytes.end());

  while (!bootMode()) {
    // Resynchronise on the sync word 0x0055 with which every telegram starts.
    size_t skip = 0;
    while (skip < c.pending.size() &&
           !(c.pending[skip] == 0x00 && (skip + 1 == c.pending.size() || c.pending[skip + 1] == 0x55)))
      ++skip;
    if (skip > 0) {
      out_.log.push_back(line(now, channel)
                             .str("event", "dropped")
                             .str("hex", toHex(std::span(c.pending).first(skip)))
                             .str("note", "no sync word")
                             .text());
      c.pending.erase(c.pending.begin(), c.pending.begin() + static_cast<long>(skip));
    }
    if (c.pending.size() < kTelegramBytes) return;
    std::array<uint8_t, kTelegramBytes> telegram;
    std::copy_n(c.pending.begin(), kTelegramBytes, telegram.begin());
    c.pending.erase(c.pending.begin(), c.pending.begin() + kTelegramBytes);
    handleTelegram(channel, telegram, now);
  }
  if (!channels_[channel].pending.empty()) {
    out_.log.push_back(line(now, channel)
                           .str("event", "dropped")
                           .str("hex", toHex(channels_[channel].pending))
                           .str("note", "bytes after the jump order")
                           .text());
    channels_[channel].pending.clear();
  }
}

void Device::handleTelegram(int channel, std::span<const uint8_t, kTelegramBytes> telegram, double now) {
  Channel& c = channels_[channel];
  const uint16_t order = wordAt(telegram, 1);
  faults_.countTelegram(order);
  ++c.telegrams;
  out_.log.push_back(
      line(now, channel).str("dir", "rx").num("order", order).str("hex", toHex(telegram)).text());

  // A request word taken wrongly: the sensor acts on (and stores) the altered telegram.
  std::array<uint8_t, kTelegramBytes> taken;
  std::copy(telegram.begin(), telegram.end(), taken.begin());
  if (const FaultRule* r = faults_.match(FaultKind::Miswrite, order);
      r && r->value >= 2 && r->value < static_cast<int>(kTelegramBytes / 2)) {
    const size_t at = 2 * static_cast<size_t>(r->value);
    const uint16_t word = r->replacement >= 0
                              ? static_cast<uint16_t>(r->replacement)
                              : static_cast<uint16_t>(wordAt(telegram, static_cast<size_t>(r->value)) + 1);
    taken[at] = static_cast<uint8_t>(word >> 8);
    taken[at + 1] = static_cast<uint8_t>(word & 0xFF);
    out_.log.push_back(
        line(now, channel).str("event", "fault").str("fault", r->text).num("order", order).text());
  }
  Sensor::Result result = sensor_.handle(taken, now);
  // A bad memory cell: the echo of an EEPROM block write tells what came over
  // the line; only what was stored is wrong.
  if (order == EepromWrite && result.reply.size() >= 34)
    std::copy(telegram.begin() + 2, telegram.begin() + 34, result.reply.begin() + 2);
  if (!result.known)
    out_.log.push_back(line(now, channel).str("event", "unknown-order").num("order", order).text());
  if (!result.note.empty())
    out_.log.push_back(
        line(now, channel).str("event", "note").num("order", order).str("note", result.note).text());
  if (result.eepromWritten) out_.saveState = true;

  if (result.enterBoot) {
    if (const FaultRule* r = faults_.match(FaultKind::NoJump, order)) {
      out_.log.push_back(
          line(now, channel).str("event", "fault").str("fault", r->text).num("order", order).text());
      bootChannel_ = channel;
      bootPendingAt_ = now + r->value / 1000.0;  // the user resets the sensor
      return;
    }
  }

  const ReplyPlan plan = faults_.planReply(order);
  if (!result.reply.empty())
    for (const auto& text : plan.applied)
      out_.log.push_back(
          line(now, channel).str("event", "fault").str("fault", text).num("order", order).text());
  double replyEnd = now;
  for (ReplyPiece& piece : applyPlan(plan, result.reply)) {
    out_.log.push_back(line(now, channel)
                           .str("dir", "tx")
                           .num("order", order)
                           .num("at", now + piece.delay)
                           .str("hex", toHex(piece.bytes))
                           .text());
    replyEnd = now + piece.delay;
    emit(channel, replyEnd, std::move(piece.bytes));
  }

  if (result.enterBoot) {
    bootChannel_ = channel;
    bootPendingAt_ = replyEnd;
  }
  if (c.kind == ChannelKind::Tcp)
    if (const FaultRule* r = faults_.find(FaultKind::Close); r && c.telegrams == r->value) {
      out_.log.push_back(
          line(now, channel).str("event", "fault").str("fault", r->text).num("order", order).text());
      emit(channel, replyEnd, {}, Emission::Close);
    }
}

void Device::enterBoot(int channel, double now) {
  bootPendingAt_.reset();
  bootChannel_ = channel;
  boot_.enter(now);
  out_.log.push_back(line(now, channel).str("event", "mode").str("mode", "boot").text());
}

void Device::bootEvents(const std::vector<BootEvent>& events, double now) {
  for (const BootEvent& e : events) {
    switch (e.kind) {
      case BootEvent::Text:
        out_.log.push_back(
            line(now, bootChannel_).str("dir", "tx").str("mode", "boot").str("text", e.text).text());
        emit(bootChannel_, now, Bytes(e.text.begin(), e.text.end()));
        break;
      case BootEvent::Record:
        out_.log.push_back(line(now, bootChannel_)
                               .str("event", "record")
                               .str("type", std::string("S") + e.record.type)
                               .num("address", static_cast<long long>(e.record.address))
                               .num("length", static_cast<long long>(e.record.data.size()))
                               .boolean("ok", true)
                               .str("text", e.text)
                               .text());
        break;
      case BootEvent::Failed:
        out_.log.push_back(line(now, bootChannel_)
                               .str("event", "record")
                               .boolean("ok", false)
                               .str("error", e.problem)
                               .str("text", e.text)
                               .text());
        break;
      case BootEvent::Started:
      case BootEvent::TimedOut:
        break;
    }
    if (e.kind == BootEvent::Started || e.kind == BootEvent::Failed || e.kind == BootEvent::TimedOut) {
      if (e.kind == BootEvent::Started) {
        if (boot_.header()) sensor_.setVersionText(*boot_.header());
        out_.firmware = boot_.image();
      }
      sensor_.restart();
      const char* why = e.kind == BootEvent::Started  ? "started"
                        : e.kind == BootEvent::Failed ? "error"
                                                      : "timeout";
      out_.log.push_back(
          line(now, bootChannel_).str("event", "mode").str("mode", "application").str("reason", why).text());
    }
  }
}

void Device::updateFlowControl(double now) {
  if (bootChannel_ < 0) return;
  Channel& c = channels_[bootChannel_];
  if (c.kind != ChannelKind::Serial) return;
  const size_t size = boot_.settings().bufferSize;
  const bool active = boot_.active();
  if (active && !c.xoff && boot_.buffered() * 4 >= size * 3) {
    c.xoff = true;
    emit(bootChannel_, now, {kXoff});
    out_.log.push_back(line(now, bootChannel_)
                           .str("event", "xoff")
                           .num("buffered", static_cast<long long>(boot_.buffered()))
                           .text());
  } else if (c.xoff && (!active || boot_.buffered() * 4 <= size || boot_.needsInput())) {
    c.xoff = false;
    emit(bootChannel_, now, {kXon});
    out_.log.push_back(line(now, bootChannel_)
                           .str("event", "xon")
                           .num("buffered", static_cast<long long>(boot_.buffered()))
                           .text());
  }
}

void Device::tick(double now) {
  if (bootPendingAt_ && now >= *bootPendingAt_) enterBoot(bootChannel_, *bootPendingAt_);
  if (boot_.active()) {
    bootEvents(boot_.tick(now), now);
    updateFlowControl(now);
  }
}

std::optional<double> Device::nextDeadline() const {
  if (bootPendingAt_) return bootPendingAt_;
  return boot_.nextDeadline();
}

Outbox Device::take() {
  Outbox out = std::move(out_);
  out_ = Outbox{};
  return out;
}

}  // namespace veltsim
