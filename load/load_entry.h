// zx81load's entry: the command line, then one of checking, writing,
// verifying or listing, and the exit status (0, 1 or 2).
#pragma once

inline constexpr int EXIT_LOADED = 0;
inline constexpr int EXIT_FAILED = 1;
inline constexpr int EXIT_BAD_COMMAND_LINE = 2;

// Runs zx81load with the process's arguments; returns the exit status.
int run_zx81load(int argc, const char* const* argv);
