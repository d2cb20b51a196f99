// What the unit tests on Veltv61's own panels share: the run-time started,
// the callbacks registered and every panel of Veltv61.uir loaded once, and
// what a call printed (the run-time prints every pop-up as "POPUP title|text").
#pragma once

#include "Veltv61Ids.h"
#include "Veltv61Program.h"
#include "ctrlvalues.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

inline void LoadVeltv61Panels()
{
    ASSERT_EQ(InitRuntime(0, nullptr), 0);
    RegisterVeltv61Callbacks();
    const char *bin = std::getenv("VELT_BIN_DIR");
    const std::string file = std::string(bin ? bin : ".") + "/Veltv61.uir";
    for (auto [handle, id] : {std::pair {&panel, P},
                              {&recpanel, RECP},
                              {&srcpanel, SRCP},
                              {&graphpanel, GRAPHP},
                              {&teachpanel, TEACHP},
                              {&interfacepanel, INTERFACEP},
                              {&grouppanel, PGROUP}})
        ASSERT_GT(*handle = LoadPanel(0, file.c_str(), id), 0) << file;
}

template <typename F>
std::string Popups(F f)
{
    testing::internal::CaptureStdout();
    f();
    return testing::internal::GetCapturedStdout();
}
