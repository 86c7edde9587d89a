// The entry of zx81load. It parses the command line, opens the recording and
// hears it: with --list every program is listed; otherwise the first program
// (or the one named with --name) is loaded as LOAD would, then written to
// OUTPUT.p, compared with --verify's file, or only reported.
#include "load/load_entry.h"

#include <cstdio>
#include <string>

#include "load/command_line.h"
#include "load/messages.h"
#include "load/program_file.h"
#include "load/program_listing.h"
#include "load/recording_reader.h"
#include "load/recording_scan.h"
#include "load/report.h"
#include "load/zx81_characters.h"

#ifndef ZX81TAPE_VERSION
#define ZX81TAPE_VERSION "0"
#endif

namespace {

// Reports why a program that ended did not load.
void report_failure(const char* path, const tape_program& program)
{
    const std::string name = name_text(program.name);
    const unsigned at = static_cast<unsigned>(program.data.size());
    switch (program.outcome) {
    case program_outcome::loaded: break;
    case program_outcome::time_out:
        if (program.length > 0)
            report(MESSAGE_TIME_OUT, path, name.c_str(), program.end_seconds, at, program.length);
        else
            report(MESSAGE_TIME_OUT_BEFORE_LENGTH, path, name.c_str(), program.end_seconds, at);
        break;
    case program_outcome::recording_ended:
        if (program.length > 0)
            report(MESSAGE_ENDS_INSIDE, path, name.c_str(), at, program.length);
        else
            report(MESSAGE_ENDS_BEFORE_LENGTH, path, name.c_str(), at);
        break;
    case program_outcome::impossible_length:
        report(MESSAGE_IMPOSSIBLE_LENGTH, path, program.e_line, name.c_str());
        break;
    }
}

int list_programs(const load_request& request, recording_scan& scan)
{
    tape_decoder decoder = make_tape_decoder({});
    unsigned count = 0;
    bool all_loaded = true;
    while (next_program(scan, decoder)) {
        print_program_listing(++count, decoder.program);
        all_loaded = all_loaded && decoder.program.outcome == program_outcome::loaded;
        begin_next_program(decoder);
    }
    std::fflush(stdout);
    if (scan.failed) {
        report(MESSAGE_UNREADABLE, request.recording_path.c_str(), sf_strerror(scan.input->file));
        return EXIT_FAILED;
    }
    if (count == 0) {
        report(MESSAGE_NO_PROGRAM, request.recording_path.c_str());
        return EXIT_FAILED;
    }
    return all_loaded ? EXIT_LOADED : EXIT_FAILED;
}

// Compares the program with the P-file of --verify and says how they differ.
int verify_program(const load_request& request, const tape_program& program)
{
    const char* path = request.recording_path.c_str();
    const char* file_path = request.verify_path.c_str();
    std::vector<std::uint8_t> file;
    std::string error;
    if (!read_program_file(request.verify_path, file, error)) {
        report(MESSAGE_UNREADABLE, file_path, error.c_str());
        return EXIT_FAILED;
    }
    // A recording without a name: the machine took the program's first
    // bytes, up to one with bit 7 set, as the name.
    const std::vector<std::uint8_t>& name = program.name;
    if (name.size() <= file.size() && std::equal(name.begin(), name.end(), file.begin())) {
        report(MESSAGE_VERIFY_NAMELESS, path, file_path, static_cast<unsigned>(name.size()), name_text(name).c_str());
        return EXIT_FAILED;
    }
    if (program.outcome != program_outcome::loaded) {
        report_failure(path, program);
        return EXIT_FAILED;
    }
    const std::vector<std::uint8_t>& data = program.data;
    for (std::size_t i = 0; i < data.size() && i < file.size(); ++i) {
        if (data[i] != file[i]) {
            report(MESSAGE_VERIFY_BYTE, path, file_path, static_cast<unsigned>(i), data[i], file[i]);
            return EXIT_FAILED;
        }
    }
    if (data.size() != file.size()) {
        report(MESSAGE_VERIFY_LENGTH, path, file_path, static_cast<unsigned>(data.size()),
               static_cast<unsigned>(file.size()));
        return EXIT_FAILED;
    }
    say(MESSAGE_VERIFIED, name_text(name).c_str(), static_cast<unsigned>(data.size()), file_path);
    return EXIT_LOADED;
}

int load_program(const load_request& request, recording_scan& scan)
{
    const char* path = request.recording_path.c_str();
    tape_decoder decoder = make_tape_decoder(request.name_codes);
    if (!next_program(scan, decoder)) {
        if (scan.failed)
            report(MESSAGE_UNREADABLE, path, sf_strerror(scan.input->file));
        else if (!request.name_codes.empty())
            report(MESSAGE_NAME_NOT_FOUND, path, name_text(request.name_codes).c_str());
        else
            report(MESSAGE_NO_PROGRAM, path);
        return EXIT_FAILED;
    }
    const tape_program& program = decoder.program;
    if (!request.verify_path.empty())
        return verify_program(request, program);
    if (program.outcome != program_outcome::loaded) {
        report_failure(path, program);
        return EXIT_FAILED;
    }
    std::string error;
    if (!request.output_path.empty() && !write_program_file(request.output_path, program.data, error)) {
        report(MESSAGE_CANNOT_WRITE, request.output_path.c_str(), error.c_str());
        return EXIT_FAILED;
    }
    say(MESSAGE_LOADED, name_text(program.name).c_str(), static_cast<unsigned>(program.data.size()));
    return EXIT_LOADED;
}

} // namespace

int run_zx81load(int argc, const char* const* argv)
{
    load_request request;
    if (!parse_command_line(argc, argv, request))
        return EXIT_BAD_COMMAND_LINE;
    if (request.help) {
        say("%s", MESSAGE_USAGE);
        return EXIT_LOADED;
    }
    if (request.version) {
        say(MESSAGE_VERSION, ZX81TAPE_VERSION);
        return EXIT_LOADED;
    }
    const char* path = request.recording_path.c_str();
    recording input;
    std::string error;
    if (!open_recording(input, request.recording_path, request.raw_rate, error)) {
        report(MESSAGE_UNREADABLE, path, error.c_str());
        return EXIT_FAILED;
    }
    if (request.channel > input.channels) {
        report(MESSAGE_NO_CHANNEL, path, request.channel, input.channels);
        close_recording(input);
        return EXIT_FAILED;
    }
    input.channel = request.channel;
    recording_scan scan = make_recording_scan(input);
    const int status = request.list ? list_programs(request, scan) : load_program(request, scan);
    close_recording(input);
    return status;
}
