// Every text that the converter writes to standard error, in one place. Each
// is a printf format with one placeholder for the offending path, argument or
// character; the value is always passed as an argument, never as the format.
#pragma once

// One message a line, as they are printed.
// clang-format off
inline constexpr char MESSAGE_CANT_READ_INPUT[] = " *** error ***   Can't read file %s \n";
inline constexpr char MESSAGE_CANT_OPEN_OUTPUT[] = " *** error ***   Can't open output file %s \n";
inline constexpr char MESSAGE_CANT_WRITE_OUTPUT[] = " *** error ***   Can't write output file %s \n";
inline constexpr char MESSAGE_OUTPUT_IS_INPUT[] = " *** error ***   Output file %s is the input file \n";
inline constexpr char MESSAGE_UNKNOWN_OPTION[] = "unknown option %s\n";
inline constexpr char MESSAGE_MISSING_NAME[] = "missing ZXNAME %s\n";
inline constexpr char MESSAGE_EMPTY_NAME[] = "*** empty filename (use -f option)\n";
inline constexpr char MESSAGE_INVALID_NAME_CHARACTER[] = "*** invalid character [%c] in ZXNAME (use -f option)\n";
// clang-format on
