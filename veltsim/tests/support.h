// Helpers shared by the veltsim tests.
#pragma once
#include <initializer_list>
#include <string>
#include <vector>

#include "bytes.h"
#include "device.h"
#include "sensor.h"

namespace veltsim::test {

// A 36-byte request: sync, order, then the given payload words, the rest zero.
Bytes telegram(uint16_t order, std::initializer_list<uint16_t> payload = {});
// Bytes written as hex pairs, blanks ignored: "00 55 00 07".
Bytes hex(const std::string& text);
// Reply bytes read as big-endian words.
std::vector<uint16_t> words(const Bytes& bytes);
// A sensor looking at one target at a fixed temperature.
Sensor makeSensor(double r = 0.9, double g = 0.9, double b = 0.9, double temperature = 25, uint32_t seed = 1);
// Sends one telegram and returns the reply.
Bytes ask(Sensor& sensor, const Bytes& request, double now = 0);
// All data bytes a Device sent, concatenated, and the emissions for inspection.
Bytes sentBytes(const Outbox& out);

}  // namespace veltsim::test
