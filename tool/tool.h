// RCTOOL48: one command per run, answered with an exit code.
#pragma once

// argv[0] is the program name; argv[1] the command character.
int rctool_run(int argc, const char* const* argv);
