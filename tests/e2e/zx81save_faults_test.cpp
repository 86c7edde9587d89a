// zx81save run for real on the inputs that break careless tools: a pipe as
// the output, arguments full of high bytes and printf directives, a name and
// numbers far longer than anyone types, and an input of megabytes. Each case
// checks the exit status, the exact messages and every byte that comes out.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/plain_signal.h"
#include "tests/support/program_run.h"
#include "tests/support/random_bytes.h"

namespace {

namespace fs = std::filesystem;
using bytes = std::vector<std::uint8_t>;

const std::string ZX81SAVE = ZX81SAVE_PATH;

class zx81save_faults : public ::testing::Test {
  protected:
    scratch_folder folder;
    fs::path at(const std::string& name) const { return folder.path / name; }

    std::vector<std::string> command(const std::vector<std::string>& arguments) const
    {
        std::vector<std::string> argv = {ZX81SAVE};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        return argv;
    }

    program_result run(const std::vector<std::string>& arguments)
    {
        return run_program(ZX81SAVE, command(arguments), folder.path);
    }

    // Runs with the output at /dev/stdout, a pipe into this process, and
    // hands each piece that arrives to take_output.
    program_result run_into_pipe(std::vector<std::string> arguments,
                                 const std::function<void(const char*, std::size_t)>& take_output)
    {
        arguments.insert(arguments.begin() + 1, "/dev/stdout");
        return run_program_into_pipe(ZX81SAVE, command(arguments), folder.path, take_output);
    }
};

// ---- 1. A pipe as the output ----------------------------------------------

TEST_F(zx81save_faults, a_stream_through_a_pipe_equals_the_file_output)
{
    // Far more than a pipe holds at once, so the writer waits on the reader
    // many times over.
    const bytes program = random_bytes(5000, 11);
    write_file(at("game.p"), program);
    const program_result to_file = run({"game.p", "game.raw"});
    ASSERT_EQ(to_file.status, 0);

    bytes piped;
    const program_result to_pipe = run_into_pipe(
        {"game.p"}, [&](const char* piece, std::size_t count) { piped.insert(piped.end(), piece, piece + count); });
    EXPECT_EQ(to_pipe.status, 0);
    EXPECT_EQ(to_pipe.err, "");
    const bytes expected = plain_stream(plain_settings{}, "GAME", program);
    EXPECT_EQ(piped.size(), expected.size());
    EXPECT_TRUE(piped == expected) << "the piped stream differs from the plain model";
    EXPECT_TRUE(read_file(at("game.raw")) == piped) << "the piped stream differs from the file output";
}

// ---- 2. Arguments are printed as they are ---------------------------------

TEST_F(zx81save_faults, high_bytes_and_printf_directives_in_arguments_are_printed_as_they_are)
{
    struct printed_case {
        const char* why;
        std::vector<std::string> arguments;
        int status;
        std::string err;
    };
    write_file(at("game.p"), {0x76});
    write_file(at("%n\xff.p"), {0x76});
    const printed_case cases[] = {
        {"unknown options, a dash one and a key one, each with directives and high bytes",
         {"game.p", "out.raw", "-\xff%s%n", "\x80=%n%s"},
         0,
         "unknown option -\xff%s%n\nunknown option \x80=%n%s\n"},
        {"the invalid character of a name is a directive's percent sign",
         {"game.p", "out.raw", "-fA%n"},
         255,
         "*** invalid character [%] in ZXNAME (use -f option)\n"},
        {"the invalid character of a name is the byte 0xFF",
         {"game.p", "out.raw", "-f\xff%s"},
         255,
         "*** invalid character [\xff] in ZXNAME (use -f option)\n"},
        {"a missing input with directives and high bytes in its path",
         {"\xfe%s%n.p", "out.raw", "-fGAME"},
         1,
         " *** error ***   Can't read file \xfe%s%n.p \n"},
        {"an output that cannot be opened",
         {"game.p", "no%s\xa0/%n.raw"},
         1,
         " *** error ***   Can't open output file no%s\xa0/%n.raw \n"},
        {"the input as output under another spelling",
         {"%n\xff.p", "./%n\xff.p", "-fX"},
         1,
         " *** error ***   Output file ./%n\xff.p is the input file \n"},
    };
    for (const printed_case& c : cases) {
        SCOPED_TRACE(c.why);
        const program_result result = run(c.arguments);
        EXPECT_EQ(result.status, c.status);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, c.err);
    }
    EXPECT_EQ(read_file(at("%n\xff.p")), bytes{0x76});
}

TEST_F(zx81save_faults, paths_with_high_bytes_and_directives_are_used_as_they_are)
{
    write_file(at("%s\xc3\xa9.p"), {0x12, 0x34});
    const program_result result = run({"%s\xc3\xa9.p", "%n\xff.raw", "-fOK"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(read_file(at("%n\xff.raw")), plain_stream(plain_settings{}, "OK", {0x12, 0x34}));
}

// ---- 3. Lengths far beyond the usual --------------------------------------

TEST_F(zx81save_faults, a_name_of_100000_characters_goes_to_tape_whole)
{
    std::string name;
    for (int i = 0; i < 100000; ++i)
        name.push_back("ZX81abc"[i % 7]);
    write_file(at("game.p"), {0x76});
    // No silence or gaps, so the 800 000 bits of the name are all there is.
    const std::vector<std::string> arguments = {"game.p", "-f" + name, "i=0", "o=0", "p=0", "q=0"};
    bytes piped;
    const program_result result = run_into_pipe(
        arguments, [&](const char* piece, std::size_t count) { piped.insert(piped.end(), piece, piece + count); });
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    const bytes expected = plain_stream({0, 0, 76, 76, 0, 0}, name, {0x76});
    EXPECT_EQ(piped.size(), expected.size());
    EXPECT_TRUE(piped == expected) << "the stream of the long name differs from the plain model";
}

TEST_F(zx81save_faults, values_of_40_digits_wrap_modulo_2_to_the_32)
{
    // 10^39 is a multiple of 2^32, so a leading 1 of 40 digits wraps away;
    // the last two values wrap to numbers worked out by hand from their
    // digits. A parser that saturated or stopped at 10 digits would give
    // other settings, or a run that never ends.
    const std::vector<std::string> options = {
        "i=0000000000000000000000000000000000000002",  // leading zeros: 2
        "o=1000000000000000000000000000000000000001",  // 1
        "p=1000000000000000000000000000000000000005",  // 5
        "q=-1000000000000000000000000000000000000003", // -3: no gap
        "1=9876543210987654321098765432109876543210",  // 1371963114: an extra after every 1
        "0=1234567890123456789012345678901234567890",  // -834729262: never an extra
    };
    const bytes program = random_bytes(300, 12);
    write_file(at("game.p"), program);
    std::vector<std::string> arguments = {"game.p", "game.raw"};
    arguments.insert(arguments.end(), options.begin(), options.end());
    const program_result result = run(arguments);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(read_file(at("game.raw")), plain_stream({5, -3, 1371963114, -834729262, 2, 1}, "GAME", program));
}

TEST_F(zx81save_faults, an_input_of_2_mib_streams_whole_and_exact)
{
    // A 100-byte block of random bytes with four 1 bits each repeated to
    // 2 MiB. Every block adds 400 bits of each value, a whole number of
    // hundreds, so the extra samples fall the same way in each block: the
    // stream is the plain model's stream of the name and one block, then the
    // samples of the second block, over and over, then the lead-out.
    bytes block(100);
    std::mt19937 generator(13);
    for (std::uint8_t& value : block) {
        int bits[8] = {1, 1, 1, 1, 0, 0, 0, 0};
        std::shuffle(bits, bits + 8, generator);
        for (const int bit : bits)
            value = static_cast<std::uint8_t>(value << 1 | bit);
    }
    const std::size_t block_count = (2u << 20) / block.size();
    bytes program;
    for (std::size_t i = 0; i < block_count; ++i)
        program.insert(program.end(), block.begin(), block.end());
    write_file(at("big.p"), program);

    const plain_settings settings{0, 0, 76, 33, 1, 0};
    const bytes first = plain_stream(settings, "BIG", block);
    bytes two_blocks = block;
    two_blocks.insert(two_blocks.end(), block.begin(), block.end());
    const bytes second = plain_stream(settings, "BIG", two_blocks);
    const bytes repeat(second.begin() + static_cast<std::ptrdiff_t>(first.size()), second.end());
    const std::size_t expected_size = first.size() + (block_count - 1) * repeat.size();

    // The stream is checked as it arrives, so none of it is held.
    std::size_t received = 0;
    std::size_t first_mismatch = SIZE_MAX;
    const auto expected_at = [&](std::size_t offset) {
        return offset < first.size() ? first[offset] : repeat[(offset - first.size()) % repeat.size()];
    };
    const program_result result =
        run_into_pipe({"big.p", "p=0", "q=0", "0=33", "i=1", "o=0"}, [&](const char* piece, std::size_t count) {
            for (std::size_t i = 0; i < count && first_mismatch == SIZE_MAX; ++i)
                if (received + i >= expected_size || static_cast<std::uint8_t>(piece[i]) != expected_at(received + i))
                    first_mismatch = received + i;
            received += count;
        });
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(received, expected_size);
    EXPECT_EQ(first_mismatch, SIZE_MAX) << "first wrong sample at " << first_mismatch;
}

} // namespace
