// Shared helpers of the VeltTempCompV61 end-to-end tests: the simulator's
// version text, the time-out pop-up, running the program on a script,
// connecting over either line, and reading telegrams from the simulator's log.
#pragma once

#include "e2e.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace tempcompe2e {

inline const std::string kVersion = "E2E TEMPCOMP V6.1";
inline const std::string kTimeoutPopup =
    "POPUP " + kVersion +
    "| ATTENTION! \\n \\n TIMEOUT \\n NO SERIAL CONNECTION TO SENSOR.                           \\n The version of the "
    "sensor is displayed as the name of this dialog box.\n";

inline std::string Connect(Link link, const SimProcess &sim) { return ConnectScript(link, sim, kVersion); }

// Red constant 1000 (reference 1000: every factor 1024), green the line
// 500 + t (reference 500), blue 0.1 t^2 + 1000 (reference 2000).
inline const std::string kCoefficients = "set P EditRT 1000\nset P EditRefR 1000\n"
                                         "set P EditGX1 1\nset P EditGT 500\nset P EditRefG 500\n"
                                         "set P EditBX2 0.1\nset P EditBT 1000\nset P EditRefB 2000\n";

// sim is passed for its pty: COM1 names it, or nothing when the run is over TCP.
inline int RunTempComp(const SimProcess *sim, const std::string &script, std::string *out,
                       const std::string &dir = MakeTempDir())
{
    return RunScriptIn("VeltTempCompV61", dir, sim, script, out);
}

// The given field ("hex" or "t") of every telegram the sensor received with this order, in order.
inline std::vector<std::string> Received(const SimProcess &sim, int order, const std::string &field)
{
    return sim.telegrams("rx", order, field);
}

// Words of a telegram given as hex.
inline std::vector<uint16_t> Words(const std::string &hex)
{
    std::vector<uint16_t> w;
    for (size_t k = 0; k + 4 <= hex.size(); k += 4)
        w.push_back(static_cast<uint16_t>(std::stoul(hex.substr(k, 4), nullptr, 16)));
    return w;
}

// A telegram: sync, order, word 2 and the payload; everything after it zero.
inline std::vector<uint16_t> Telegram(uint16_t order, uint16_t arg, const std::vector<uint16_t> &payload = {})
{
    std::vector<uint16_t> w = {0x55, order, arg};
    w.insert(w.end(), payload.begin(), payload.end());
    w.resize(18, 0);
    return w;
}

inline std::vector<int> UploadOrders()
{
    std::vector<int> o = {43};
    o.insert(o.end(), 32, 50);
    for (int c : {40, 41, 42})
        o.insert(o.end(), 10, c);
    o.push_back(7);
    for (int r : {44, 45, 46, 51, 51})
        o.push_back(r);
    return o;
}

} // namespace tempcompe2e
