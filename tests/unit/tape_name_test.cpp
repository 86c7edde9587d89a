// The tape name: taken from the input path, checked against the machine's
// letters and digits, and turned into its tape codes.
#include "cli/tape_name_derivation.h"
#include "cli/tape_name_encoding.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/conversion_settings.h"
#include "tests/support/stream_capture.h"

namespace {

using codes = std::vector<std::uint8_t>;

const codes PACMAN = {0x35, 0x26, 0x28, 0x32, 0x26, 0x33};

struct name_case {
    const char* why;
    std::string path;
    bool accepted;
    codes expected; // the codes when accepted
    std::string messages;
};

TEST(tape_name, derived_from_the_path_and_encoded)
{
    const std::string invalid = "*** invalid character [";
    const std::string invalid_end = "] in ZXNAME (use -f option)\n";
    const std::string empty = "*** empty filename (use -f option)\n";
    const name_case cases[] = {
        {"the road of one file", "game.p", true, {0x2C, 0x26, 0x32, 0x2A}, ""},
        {"no extension", "GAME", true, {0x2C, 0x26, 0x32, 0x2A}, ""},
        {"mixed case", "PacMan.P", true, PACMAN, ""},
        {"a drive", "C:pacman.p", true, PACMAN, ""},
        {"a drive and a backslash", "C:\\pacman.p", true, PACMAN, ""},
        {"a DOS folder", "dir\\pacman.p", true, PACMAN, ""},
        {"a Unix folder", "dir/pacman.p", true, PACMAN, ""},
        {"the current folder", "./pacman.p", true, PACMAN, ""},
        {"the folder above", "../pacman.p", true, PACMAN, ""},
        {"digits and letters, every code", "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ.p", true,
         [] {
             codes all;
             for (std::uint8_t c = 0x1C; c <= 0x3F; ++c)
                 all.push_back(c);
             return all;
         }(),
         ""},
        {"only the first of each separator counts", "C:\\games\\pacman.p", false, {}, invalid + "\\" + invalid_end},
        {"two Unix folder levels", "games/sub/pacman.p", false, {}, invalid + "/" + invalid_end},
        {"an absolute path", "/home/me/game.p", false, {}, invalid + "/" + invalid_end},
        {"the cut falls at the first dot of the name text", "C:\\my.dir\\pacman.p", true, {0x32, 0x3E}, ""},
        {"a name text that starts with a dot", "..\\..\\pacman.p", true, {}, empty},
        {"only an extension", ".p", true, {}, empty},
        {"a folder alone", "dir\\", true, {}, empty},
        {"a blank", "pac man.p", false, {}, invalid + " " + invalid_end},
        {"an underscore", "game_1.p", false, {}, invalid + "_" + invalid_end},
        {"a byte above 0x7F is printed unchanged", "g\xe9.p", false, {}, invalid + "\xe9" + invalid_end},
        {"only the first bad character is reported", "a-b+c.p", false, {}, invalid + "-" + invalid_end},
        {"a leading dash", "-fGAME", false, {}, invalid + "-" + invalid_end},
    };
    for (const name_case& c : cases) {
        SCOPED_TRACE(c.why);
        reset_run_state();
        testing::internal::CaptureStderr();
        derive_tape_name(c.path.c_str());
        const bool accepted = encode_tape_name();
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.messages);
        EXPECT_EQ(accepted, c.accepted);
        if (c.accepted) {
            EXPECT_EQ(codes(conversion_settings.tape_name.begin(), conversion_settings.tape_name.end()), c.expected);
        }
    }
}

TEST(tape_name, a_given_name_is_checked_but_never_cut)
{
    struct given_case {
        const char* why;
        std::string name;
        bool accepted;
    };
    const given_case cases[] = {
        {"lower case is upper-cased", "game", true},
        {"a dot is refused, not cut", "GAME.P", false},
        {"0x80 and above are never letters", "\xe1", false},
    };
    for (const given_case& c : cases) {
        SCOPED_TRACE(c.why);
        reset_run_state();
        conversion_settings.tape_name = c.name;
        testing::internal::CaptureStderr();
        EXPECT_EQ(encode_tape_name(), c.accepted);
        const std::string messages = testing::internal::GetCapturedStderr();
        EXPECT_EQ(messages.empty(), c.accepted);
    }
    reset_run_state();
    conversion_settings.tape_name = "game";
    ASSERT_TRUE(encode_tape_name());
    EXPECT_EQ(conversion_settings.tape_name, "\x2C\x26\x32\x2A");
}

TEST(tape_name, a_long_file_name_gives_the_whole_name)
{
    reset_run_state();
    const std::string stem(200, 'z');
    derive_tape_name(("dir/" + stem + ".p").c_str());
    ASSERT_TRUE(encode_tape_name());
    EXPECT_EQ(conversion_settings.tape_name, std::string(200, '\x3F'));
}

} // namespace
