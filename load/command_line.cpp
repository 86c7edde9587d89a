// Parsing of zx81load's command line in the usual Unix style: options and the
// one or two paths in any order, "--opt VALUE" or "--opt=VALUE", and "--" to
// end the options. Every problem is reported once and makes it a bad command
// line.
#include "load/command_line.h"

#include <cstring>

#include "load/messages.h"
#include "load/report.h"
#include "load/zx81_characters.h"

namespace {

// The highest number accepted for --rate and --channel.
constexpr std::int64_t LARGEST_NUMBER = 100000000;

// Reads a whole positive decimal number from 1 to LARGEST_NUMBER.
bool read_number(const char* option, const std::string& text, std::int64_t& number)
{
    number = 0;
    bool ok = !text.empty();
    for (const char c : text) {
        if (c < '0' || c > '9' || number > LARGEST_NUMBER) {
            ok = false;
            break;
        }
        number = number * 10 + (c - '0');
    }
    if (!ok || number < 1 || number > LARGEST_NUMBER) {
        report(MESSAGE_BAD_NUMBER, option, text.c_str());
        return false;
    }
    return true;
}

// The options that take a value.
enum class valued_option { none, name, verify, rate, channel };

valued_option option_with_value(const std::string& key)
{
    if (key == "--name")
        return valued_option::name;
    if (key == "--verify")
        return valued_option::verify;
    if (key == "--rate")
        return valued_option::rate;
    if (key == "--channel")
        return valued_option::channel;
    return valued_option::none;
}

bool apply_value(valued_option option, const char* key, const std::string& value, load_request& request)
{
    std::int64_t number = 0;
    switch (option) {
    case valued_option::name: {
        std::string bad;
        request.name_given = true;
        request.name = value;
        if (!encode_name(value, request.name_codes, bad)) {
            report(MESSAGE_BAD_NAME, bad.c_str());
            return false;
        }
        return true;
    }
    case valued_option::verify: request.verify_path = value; return true;
    case valued_option::rate:
        if (!read_number(key, value, number))
            return false;
        request.raw_rate = number;
        return true;
    case valued_option::channel:
        if (!read_number(key, value, number))
            return false;
        request.channel = static_cast<int>(number);
        return true;
    case valued_option::none: break;
    }
    return false;
}

// Applies one argument that starts with '-'; i moves past a separate value.
bool apply_option(int argc, const char* const* argv, int& i, load_request& request)
{
    const std::string argument = argv[i];
    if (argument == "--help" || argument == "-h") {
        request.help = true;
        return true;
    }
    if (argument == "--version" || argument == "-V") {
        request.version = true;
        return true;
    }
    if (argument == "--list") {
        request.list = true;
        return true;
    }
    const std::size_t equals = argument.find('=');
    const std::string key = argument.substr(0, equals);
    const valued_option option = option_with_value(key);
    if (option == valued_option::none) {
        report(MESSAGE_UNKNOWN_OPTION, argument.c_str());
        return false;
    }
    if (equals != std::string::npos)
        return apply_value(option, key.c_str(), argument.substr(equals + 1), request);
    if (i + 1 >= argc) {
        report(MESSAGE_MISSING_VALUE, key.c_str());
        return false;
    }
    ++i;
    return apply_value(option, key.c_str(), argv[i], request);
}

// Checks that the options and paths make one clear job.
bool check_request(const load_request& request, const std::vector<std::string>& paths)
{
    if (request.help || request.version)
        return true;
    if (paths.empty()) {
        report(MESSAGE_NO_RECORDING);
        return false;
    }
    if (paths.size() > 2) {
        report(MESSAGE_TOO_MANY_ARGUMENTS, paths[2].c_str());
        return false;
    }
    if (request.list && (paths.size() > 1 || !request.verify_path.empty() || request.name_given)) {
        report(MESSAGE_LIST_CONFLICT);
        return false;
    }
    if (!request.verify_path.empty() && paths.size() > 1) {
        report(MESSAGE_VERIFY_CONFLICT);
        return false;
    }
    return true;
}

} // namespace

bool parse_command_line(int argc, const char* const* argv, load_request& request)
{
    std::vector<std::string> paths;
    bool options_ended = false;
    for (int i = 1; i < argc; ++i) {
        const char* argument = argv[i];
        if (!options_ended && std::strcmp(argument, "--") == 0) {
            options_ended = true;
        } else if (!options_ended && argument[0] == '-' && argument[1] != '\0') {
            if (!apply_option(argc, argv, i, request))
                return false;
        } else {
            paths.emplace_back(argument);
        }
    }
    if (!check_request(request, paths))
        return false;
    if (!paths.empty())
        request.recording_path = paths[0];
    if (paths.size() > 1)
        request.output_path = paths[1];
    return true;
}
