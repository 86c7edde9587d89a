// The command line of zx81load: zx81load [options] RECORDING [OUTPUT.p].
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What the command line asks for.
struct load_request {
    std::string recording_path;           // the recording to hear
    std::string output_path;              // the P-file to write; empty: write none
    std::string verify_path;              // the P-file to compare with; empty: none
    bool name_given = false;              // --name was given (an empty one is LOAD "")
    std::string name;                     // --name as typed
    std::vector<std::uint8_t> name_codes; // --name as ZX81 codes, bit 7 on the last
    bool list = false;                    // --list
    bool help = false;                    // --help: print the usage and stop
    bool version = false;                 // --version: print the version and stop
    std::int64_t raw_rate = 22050;        // --rate: samples per second of a raw recording
    int channel = 0;                      // --channel: 1 onward, 0 mixes all channels
};

// Reads the arguments after the program's name into request. Returns false
// after reporting the first problem; that is a bad command line.
bool parse_command_line(int argc, const char* const* argv, load_request& request);
