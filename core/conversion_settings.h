// The one settings record of a run: the six numbers that shape the tape
// signal and the program name that goes on tape ahead of the data. The
// command line writes it before the conversion starts; from then on the
// synthesis and the pipeline only read it (but for the end flag that the
// pipeline sets on the last character of the name).
#pragma once

#include <cstdint>
#include <string>

struct conversion_settings_record {
    std::int32_t gap_before_one = 29;  // silence samples before the pulses of a 1 bit; 0 or less: none
    std::int32_t gap_before_zero = 29; // silence samples before the pulses of a 0 bit; 0 or less: none
    std::int32_t extra_rate_one = 76;  // extra silence samples per hundred 1 bits; 0 or less: never
    std::int32_t extra_rate_zero = 76; // extra silence samples per hundred 0 bits; 0 or less: never
    std::int32_t intro_blocks = 22;    // blocks of 1000 silence samples before the signal
    std::int32_t outro_blocks = 22;    // blocks of 1000 silence samples after the signal
    // The name saved on tape: text from -f or from the input path, later the
    // machine's tape codes in the same bytes. Held as a string so that a name
    // of any length is carried whole; empty means no name.
    std::string tape_name;
};

// The process-wide instance; it starts at the defaults above.
extern conversion_settings_record conversion_settings;
