// Fuzz target for the front end: the input, split at its zero bytes, is the
// argument list after the invocation name, and the steps that a run takes
// before it opens any file (options, name derivation, name encoding) run on
// it in-process. What must hold for every argument list: no crash, no
// undefined behaviour, no leak; a name that encodes holds only the machine's
// codes for digits and letters; a name that does not encode has been
// reported with exactly one invalid character, and that character is one a
// name cannot hold.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "cli/ascii_case.h"
#include "cli/option_parsing.h"
#include "cli/tape_name_derivation.h"
#include "cli/tape_name_encoding.h"
#include "core/conversion_settings.h"
#include "core/messages.h"

namespace {

// The argument list as the host would pass it: argv[0] is the program, the
// pieces of the input follow, a trailing zero byte ends the last piece.
std::vector<std::string> split_arguments(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::string> arguments = {"zx81save", ""};
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            arguments.emplace_back();
        else
            arguments.back().push_back(static_cast<char>(data[i]));
    }
    if (size > 0 && data[size - 1] == 0)
        arguments.pop_back();
    return arguments;
}

// Whatever a step writes to standard error. The messages go through the
// stderr stream, so pointing that stream at a memory buffer catches them
// while the sanitizers and the fuzzer, which write to descriptor 2 itself,
// still reach the terminal.
struct error_capture {
    char* text = nullptr;
    std::size_t size = 0;
    std::FILE* saved = nullptr;
};

void start_capture(error_capture& capture)
{
    std::FILE* memory = open_memstream(&capture.text, &capture.size);
    if (memory == nullptr)
        std::abort();
    capture.saved = stderr;
    stderr = memory;
}

std::string finish_capture(error_capture& capture)
{
    std::fclose(stderr);
    stderr = capture.saved;
    std::string text(capture.text, capture.size);
    std::free(capture.text);
    capture.text = nullptr;
    return text;
}

bool is_tape_code(char code)
{
    const auto value = static_cast<std::uint8_t>(code);
    return value >= 0x1C && value <= 0x3F;
}

bool can_be_in_name(char c)
{
    const char upper = to_upper_ascii(c);
    return upper != '\0' && std::strchr(NAME_ALPHABET, upper) != nullptr;
}

// Checks the result of the encoding step against what it wrote to stderr.
void check_encoding(bool encoded, const std::string& messages)
{
    if (encoded) {
        if (!messages.empty())
            std::abort();
        for (const char code : conversion_settings.tape_name)
            if (!is_tape_code(code))
                std::abort();
        return;
    }
    // " ... [c] ..." with c one byte: the fixed text around the one %c.
    const std::string format = MESSAGE_INVALID_NAME_CHARACTER;
    const std::size_t mark = format.find("%c");
    const std::size_t expected_size = format.size() - 1;
    if (messages.size() != expected_size || messages.compare(0, mark, format, 0, mark) != 0 ||
        messages.compare(mark + 1, std::string::npos, format, mark + 2, std::string::npos) != 0)
        std::abort();
    if (can_be_in_name(messages[mark]))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    conversion_settings = conversion_settings_record{};
    const std::vector<std::string> arguments = split_arguments(data, size);
    std::vector<const char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(argument.c_str());
    argv.push_back(nullptr);
    const int argc = static_cast<int>(arguments.size());

    // With fewer than two paths the program only prints its usage text.
    if (argc <= 2)
        return 0;

    error_capture capture;
    start_capture(capture);
    parse_options(argc, argv.data());
    if (conversion_settings.tape_name.empty())
        derive_tape_name(argv[1]);
    finish_capture(capture);

    start_capture(capture);
    const bool encoded = encode_tape_name();
    check_encoding(encoded, finish_capture(capture));
    return 0;
}
