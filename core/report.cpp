// Reports on standard error and the one way the process ends early.
#include "core/report.h"

#include <cstdio>
#include <cstdlib>

void report(const char* message, const char* text)
{
    std::fprintf(stderr, message, text);
}

void report_character(const char* message, char character)
{
    std::fprintf(stderr, message, character);
}

[[noreturn]] void fail_run(const char* message, const char* text)
{
    report(message, text);
    fail_run_silently();
}

[[noreturn]] void fail_run_silently()
{
    std::fflush(stdout);
    std::fflush(stderr);
    std::exit(1);
}
