// Shared helpers of the VeltTempCompV61 end-to-end tests: the simulator's
// version text, the time-out pop-up, running the program on a script,
// connecting over either line, and reading telegrams from the simulator's log.
#pragma once

#include "simproc.h"

#include <gtest/gtest.h>

#include <cmath>
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

enum class Link { Pty, Tcp };

inline std::string LinkName(const ::testing::TestParamInfo<Link> &info)
{
    return info.param == Link::Pty ? "Pty" : "Tcp";
}

inline bool has(const std::string &out, const std::string &what) { return out.find(what) != std::string::npos; }

inline int count(const std::string &out, const std::string &what)
{
    int n = 0;
    for (size_t p = out.find(what); p != std::string::npos; p = out.find(what, p + 1))
        ++n;
    return n;
}

// Over the pseudo-terminal (COM1) the program is connected at start-up; over
// TCP the script connects through the interface panel.
inline std::string Connect(Link link, const SimProcess &sim)
{
    if (link == Link::Pty)
        return "waitfor P DispStatus == " + kVersion + " 10\n";
    return "click P ButtonConnect\n"
           "set INTERFACEP EditCommunicationProtocol 1\n"
           "set INTERFACEP StringIpAdress 127.0.0.1\n"
           "set INTERFACEP StringPortNumber " +
           std::to_string(sim.tcpPort) +
           "\n"
           "click INTERFACEP ButtonTryToConnect\n"
           "waitfor INTERFACEP DispConnectionStatus == " +
           kVersion +
           " 10\n"
           "click INTERFACEP ButtonAccept\n";
}

// Red constant 1000 (reference 1000: every factor 1024), green the line
// 500 + t (reference 500), blue 0.1 t^2 + 1000 (reference 2000).
inline const std::string kCoefficients = "set P EditRT 1000\n"
                                         "set P EditRefR 1000\n"
                                         "set P EditGX1 1\n"
                                         "set P EditGT 500\n"
                                         "set P EditRefG 500\n"
                                         "set P EditBX2 0.1\n"
                                         "set P EditBT 1000\n"
                                         "set P EditRefB 2000\n";

inline uint16_t RedFactor(int) { return 1024; }
inline uint16_t GreenFactor(int t) { return static_cast<uint16_t>(512000.0 / (500 + t)); }
inline uint16_t BlueFactor(int t) { return static_cast<uint16_t>(2048000.0 / (0.1 * (t * t) + 1000.0)); }
inline uint16_t RootEntry(int i) { return static_cast<uint16_t>(1000.0 * std::pow(16.0 * i, 1.0 / 3.0)); }

// sim is passed for its pty: COM1 names it, or nothing when the run is over TCP.
inline int RunTempComp(const SimProcess *sim, const std::string &script, std::string *out,
                       const std::string &dir = MakeTempDir())
{
    const std::string exe = InstallCopy("VeltTempCompV61", dir);
    const std::string path = WriteTextFile(dir + "/script.txt", script);
    const std::string com1 = sim && !sim->ptyLink.empty() ? sim->ptyLink : std::string("/nonexistent/tty");
    return RunProgram(exe, {"--ui-script", path}, {"QT_QPA_PLATFORM=offscreen", "VELTRA_COM1=" + com1}, 60, out);
}

// The given field ("hex" or "t") of every telegram the sensor received with this order, in order.
inline std::vector<std::string> Received(const SimProcess &sim, int order, const std::string &field)
{
    std::vector<std::string> out;
    const std::string key = "\"dir\":\"rx\",\"order\":" + std::to_string(order) + ",", at = "\"" + field + "\":";
    for (const std::string &l : sim.logLines())
        if (l.find(key) != std::string::npos && l.find(at) != std::string::npos) {
            const size_t p = l.find(at) + at.size() + (field == "hex" ? 1 : 0);
            out.push_back(l.substr(p, field == "hex" ? 72 : l.find_first_of(",}", p) - p));
        }
    return out;
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
