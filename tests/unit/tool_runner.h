// Runs RCTOOL48's dispatcher in-process over the simulated Windows.
#pragma once
#include <string>
#include <vector>

#include "sim.h"
#include "tool.h"

struct ToolResult {
    int exit_code;
    std::string output;
};

inline ToolResult run_tool(const std::vector<std::string>& arguments) {
    std::vector<const char*> argv{"RCTOOL48.EXE"};
    for (const auto& a : arguments) argv.push_back(a.c_str());
    argv.push_back(nullptr);
    sim::take_stdout();
    int code = rctool_run(static_cast<int>(argv.size() - 1), argv.data());
    return {code, sim::take_stdout()};
}
