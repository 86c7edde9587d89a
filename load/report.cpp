// Writes the fixed messages of messages.h to standard error or output.
#include "load/report.h"

#include <cstdarg>
#include <cstdio>

void report(const char* format, ...)
{
    std::va_list values;
    va_start(values, format);
    std::vfprintf(stderr, format, values);
    va_end(values);
}

void say(const char* format, ...)
{
    std::va_list values;
    va_start(values, format);
    std::vfprintf(stdout, format, values);
    va_end(values);
}
