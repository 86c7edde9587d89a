// The options after the two paths: six numeric settings and the -f name.
#pragma once

#include <cstdint>

// Applies argv[3] onward to conversion_settings, left to right; reports an
// unknown option or an empty -f name on standard error and goes on.
void parse_options(int argc, const char* const* argv);

// Reads the number of a setting leniently: leading blanks, one optional sign,
// decimal digits up to the first other character. No digits read as 0; a
// number beyond 32 bits wraps modulo 2^32.
std::int32_t read_setting_value(const char* text);
