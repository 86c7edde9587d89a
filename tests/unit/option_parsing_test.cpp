// Option parsing: which argument sets which field, what is reported and what
// is passed over in silence, and how numbers are read.
#include "cli/option_parsing.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <string_view>
#include <vector>

#include "core/conversion_settings.h"
#include "tests/support/stream_capture.h"

namespace {

// Runs parse_options on the two paths and the given options; returns what
// it wrote to standard error.
std::string parse(const std::vector<std::string>& options)
{
    std::vector<const char*> argv = {"zx81save", "in.p", "out.raw"};
    for (const std::string& option : options)
        argv.push_back(option.c_str());
    testing::internal::CaptureStderr();
    parse_options(static_cast<int>(argv.size()), argv.data());
    return testing::internal::GetCapturedStderr();
}

struct settings_view {
    std::int32_t intro, outro, rate_one, rate_zero, gap_one, gap_zero;
    std::string_view name; // views the record's name while compared
    bool operator==(const settings_view&) const = default;
};

settings_view current()
{
    const conversion_settings_record& s = conversion_settings;
    return {s.intro_blocks,   s.outro_blocks,    s.extra_rate_one, s.extra_rate_zero,
            s.gap_before_one, s.gap_before_zero, s.tape_name};
}

void PrintTo(const settings_view& v, std::ostream* out)
{
    *out << "i=" << v.intro << " o=" << v.outro << " 1=" << v.rate_one << " 0=" << v.rate_zero << " p=" << v.gap_one
         << " q=" << v.gap_zero << " name=\"" << v.name << "\"";
}

constexpr settings_view DEFAULTS = {22, 22, 76, 76, 29, 29, ""};

settings_view with(void (*change)(settings_view&))
{
    settings_view v = DEFAULTS;
    change(v);
    return v;
}

struct option_case {
    const char* why;
    std::vector<std::string> options;
    settings_view expected;
    std::string messages;
};

TEST(option_parsing, every_form_sets_its_field_or_reports)
{
    const option_case cases[] = {
        {"nothing after the paths keeps every default", {}, DEFAULTS, ""},
        {"each key writes its own field", {"i=1", "o=2", "1=3", "0=4", "p=5", "q=6"}, {1, 2, 3, 4, 5, 6, ""}, ""},
        {"letter keys count in either case", {"I=3", "O=4", "P=7", "Q=8"}, {3, 4, 76, 76, 7, 8, ""}, ""},
        {"the last occurrence wins", {"i=5", "i=7"}, with([](settings_view& v) { v.intro = 7; }), ""},
        {"the last -f decides", {"-fONE", "-fTWO"}, with([](settings_view& v) { v.name = "TWO"; }), ""},
        {"-F is -f", {"-Fname"}, with([](settings_view& v) { v.name = "name"; }), ""},
        {"a lone -f empties an earlier name and is reported", {"-fONE", "-f"}, DEFAULTS, "missing ZXNAME -f\n"},
        {"a name as the next argument is not taken", {"-f", "GAME"}, DEFAULTS, "missing ZXNAME -f\n"},
        {"-f stores the text as it is, case and dots",
         {"-fgame.P"},
         with([](settings_view& v) { v.name = "game.P"; }),
         ""},
        {"unknown keys and dashes, in argument order",
         {"x=5", "f=GAME", "2=5", "==5", "-x", "-", "--f"},
         DEFAULTS,
         "unknown option x=5\nunknown option f=GAME\nunknown option 2=5\nunknown option ==5\n"
         "unknown option -x\nunknown option -\nunknown option --f\n"},
        {"words without '=' second, a bare '=' and empty arguments pass in silence",
         {"intro=5", "in=5", "GAME", "=5", ""},
         DEFAULTS,
         ""},
        {"arguments are printed byte for byte, never as formats",
         {"-%s%n", "\xff=%d"},
         DEFAULTS,
         "unknown option -%s%n\nunknown option \xff=%d\n"},
        {"0x80 and above are not letters", {"\xc9=5"}, DEFAULTS, "unknown option \xc9=5\n"},
    };
    for (const option_case& c : cases) {
        SCOPED_TRACE(c.why);
        reset_run_state();
        EXPECT_EQ(parse(c.options), c.messages);
        EXPECT_EQ(current(), c.expected);
    }
}

TEST(option_parsing, values_are_read_leniently_and_wrap)
{
    struct value_case {
        const char* why;
        const char* text;
        std::int32_t value;
    };
    const value_case cases[] = {
        {"plain", "12", 12},
        {"trailing text is ignored", "12abc", 12},
        {"a plus sign", "+12", 12},
        {"a minus sign", "-3", -3},
        {"letters only", "abc", 0},
        {"empty", "", 0},
        {"a letter first", "x7", 0},
        {"no hexadecimal", "0x10", 0},
        {"no octal", "010", 10},
        {"leading blanks of every kind", " \t\n\v\f\r42", 42},
        {"a blank after the sign", "- 5", 0},
        {"two signs", "+-5", 0},
        {"2^32 + 29 wraps to 29", "4294967325", 29},
        {"2^31 wraps to the lowest value", "2147483648", INT32_MIN},
        {"-2^31 stays the lowest value", "-2147483648", INT32_MIN},
        {"the highest value", "2147483647", INT32_MAX},
        {"2^32 - 1 reads as -1", "4294967295", -1},
        {"a minus negates modulo 2^32", "-4294967295", 1},
        {"forty digits wrap without any fault", "1234567890123456789012345678901234567890",
         static_cast<std::int32_t>(0xCE3F0AD2u)},
    };
    for (const value_case& c : cases) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(read_setting_value(c.text), c.value);
    }
    reset_run_state();
    parse({"p=4294967325", "0=50", "1=-50"});
    EXPECT_EQ(conversion_settings.gap_before_one, 29);
    EXPECT_EQ(conversion_settings.extra_rate_zero, 50);
    EXPECT_EQ(conversion_settings.extra_rate_one, -50);
}

TEST(option_parsing, paths_are_never_options)
{
    reset_run_state();
    const char* argv[] = {"zx81save", "-fGAME", "i=3", "out.raw"};
    testing::internal::CaptureStderr();
    parse_options(4, argv);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(current(), DEFAULTS);
}

TEST(option_parsing, a_long_name_is_carried_whole)
{
    reset_run_state();
    const std::string name(5000, 'Q');
    parse({"-f" + name});
    EXPECT_EQ(conversion_settings.tape_name, name);
}

} // namespace
