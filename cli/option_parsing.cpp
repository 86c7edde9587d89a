// Option parsing. An argument is one of:
//   -fNAME or -FNAME   the name to save on tape (the text after the f)
//   K=NN               a setting, K one of i o 1 0 p q (letters in any case)
// Anything else that begins with '-', or has a '=' second but another key, is
// reported as unknown; any other word is ignored without a message.
#include "cli/option_parsing.h"

#include <cstdint>

#include "cli/ascii_case.h"
#include "core/conversion_settings.h"
#include "core/messages.h"
#include "core/report.h"

namespace {

// The field that a setting's key (upper-cased) writes, or null.
std::int32_t* setting_for_key(char key)
{
    switch (key) {
    case 'I': return &conversion_settings.intro_blocks;
    case 'O': return &conversion_settings.outro_blocks;
    case '1': return &conversion_settings.extra_rate_one;
    case '0': return &conversion_settings.extra_rate_zero;
    case 'P': return &conversion_settings.gap_before_one;
    case 'Q': return &conversion_settings.gap_before_zero;
    default: return nullptr;
    }
}

bool is_blank(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

void apply_option(const char* argument)
{
    if (argument[0] == '\0')
        return;
    if (argument[0] == '-') {
        if (to_upper_ascii(argument[1]) != 'F') {
            report(MESSAGE_UNKNOWN_OPTION, argument);
            return;
        }
        conversion_settings.tape_name = argument + 2;
        if (conversion_settings.tape_name.empty())
            report(MESSAGE_MISSING_NAME, argument);
        return;
    }
    if (argument[1] != '=')
        return;
    std::int32_t* setting = setting_for_key(to_upper_ascii(argument[0]));
    if (setting == nullptr) {
        report(MESSAGE_UNKNOWN_OPTION, argument);
        return;
    }
    *setting = read_setting_value(argument + 2);
}

} // namespace

std::int32_t read_setting_value(const char* text)
{
    while (is_blank(*text))
        ++text;
    const bool negative = *text == '-';
    if (*text == '-' || *text == '+')
        ++text;
    // Unsigned arithmetic wraps modulo 2^32 by definition, whatever the
    // number of digits; the cast back to signed is two's complement.
    std::uint32_t value = 0;
    for (; *text >= '0' && *text <= '9'; ++text)
        value = value * 10u + static_cast<std::uint32_t>(*text - '0');
    if (negative)
        value = 0u - value;
    return static_cast<std::int32_t>(value);
}

void parse_options(int argc, const char* const* argv)
{
    for (int i = 3; i < argc; ++i)
        apply_option(argv[i]);
}
