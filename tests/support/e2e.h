// What the end-to-end tests share beyond the simulator: looking for texts in
// a program's output, the link a case runs over, the script lines that
// connect through the interface panel, and running a program on a script.
#pragma once

#include "simproc.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

bool Has(const std::string &text, const std::string &what);
// How often `what` stands in `text`.
int Count(const std::string &text, const std::string &what);
// How often an order stands in a list of orders.
int Count(const std::vector<int> &orders, int order);

// The line a case talks to the sensor over.
enum class Link { Pty, Tcp };
inline std::string LinkName(const ::testing::TestParamInfo<Link> &info)
{
    return info.param == Link::Pty ? "Pty" : "Tcp";
}

// Script lines that bring a scope program into contact with the sensor. Over
// the pty (COM1) the program connects at start-up: wait for its version. Over
// TCP open the interface panel, try the simulator's port, wait for the
// version, run `beforeAccept` and accept.
std::string ConnectScript(Link link, const SimProcess &sim, const std::string &version,
                          const std::string &beforeAccept = "");

// Installs `program` into dir, writes the script there and runs it offscreen
// with COM1 at the simulator's pty (or at no device without one); returns
// the exit code, the output in *out.
int RunScriptIn(const std::string &program, const std::string &dir, const SimProcess *sim, const std::string &script,
                std::string *out, double timeoutSeconds = 60);

// Hex digits written in groups ("0055 0001 ..."), without the blanks.
std::string Hex(const std::string &grouped);

// head followed by n times order (an expected order sequence).
std::vector<int> Repeat(std::vector<int> head, int order, int n);
