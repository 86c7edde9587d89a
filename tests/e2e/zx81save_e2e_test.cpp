// zx81save run for real, as a user runs it: in a scratch folder, on real
// files, checking the exit status, both standard streams and every byte of
// the output.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "tests/support/plain_signal.h"
#include "tests/support/program_run.h"
#include "tests/support/random_bytes.h"

namespace {

namespace fs = std::filesystem;
using bytes = std::vector<std::uint8_t>;

const std::string ZX81SAVE = ZX81SAVE_PATH;

bytes repeated(std::uint8_t value, std::size_t count)
{
    return bytes(count, value);
}

class zx81save : public ::testing::Test {
  protected:
    scratch_folder folder;
    fs::path at(const std::string& name) const { return folder.path / name; }

    // Runs zx81save with the given arguments after its invocation name.
    program_result run(const std::vector<std::string>& arguments)
    {
        std::vector<std::string> argv = {ZX81SAVE};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        return run_program(ZX81SAVE, argv, folder.path);
    }

    // A clean conversion: status 0, nothing printed.
    void expect_quiet_success(const program_result& result)
    {
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, "");
    }
};

// ---- 1. The usage text ----------------------------------------------------

const char* const USAGE_AFTER_SECOND_LINE = "\n"
                                            "     This will generate a raw datfile that can is accepted\n"
                                            "     by most wave-editors. The format is currently fixed \n"
                                            "     (mono, 8 bits, 22050 Hz)\n"
                                            " Options: \n"
                                            "   filename.p         // the input P-file (no checking if valid P-file)\n"
                                            "   filename.raw       // the output file with the raw data bytes\n"
                                            "   i=NN               // intro  silence (*1000 samples) [def=22]\n"
                                            "   o=NN               // outtro silence (*1000 samples) [def=22]\n"
                                            "   1=NN               // insert extra sample every Nth/100 '1' [def=76]\n"
                                            "   0=NN               // insert extra sample every Nth/100 '0' [def=76]\n"
                                            "   p=NN               // silence before '1' [def=29 samples]\n"
                                            "   q=NN               // silence before '0' [def=29 samples]\n"
                                            "   -fZXNAME           // use ZXNAME for saved name\n";

TEST_F(zx81save, usage_when_fewer_than_two_paths)
{
    struct usage_case {
        const char* why;
        std::vector<std::string> argv;
    };
    const usage_case cases[] = {
        {"no argument", {"zx81save"}},
        {"only an input path", {"zx81save", "game.p"}},
        {"the invocation name is printed as it is, never as a format", {"./my %s zx81save"}},
    };
    const std::regex second_line(" zx81save [0-9]+\\.[0-9]+\\.[0-9]+ [A-Z][a-z][a-z] [ 0-9][0-9] [0-9]{4} "
                                 "[0-9]{2}:[0-9]{2}:[0-9]{2} \n");
    for (const usage_case& c : cases) {
        SCOPED_TRACE(c.why);
        const program_result result = run_program(ZX81SAVE, c.argv, folder.path);
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.err, "");
        const std::string first_line = " " + c.argv[0] + "  filename.p filename.raw [options] \n";
        ASSERT_EQ(result.out.substr(0, first_line.size()), first_line);
        const std::size_t second_end = result.out.find('\n', first_line.size()) + 1;
        EXPECT_TRUE(std::regex_match(result.out.substr(first_line.size(), second_end - first_line.size()), second_line))
            << result.out;
        EXPECT_EQ(result.out.substr(second_end), USAGE_AFTER_SECOND_LINE);
        EXPECT_TRUE(fs::is_empty(folder.path)) << "the usage run created a file";
    }
}

// ---- 2. The stream --------------------------------------------------------

TEST_F(zx81save, empty_input_gives_silence_name_and_silence)
{
    write_file(at("game.p"), {});
    expect_quiet_success(run({"game.p", "game.raw"}));
    const bytes stream = read_file(at("game.raw"));
    EXPECT_EQ(stream.size(), 46199u);
    EXPECT_EQ(stream, plain_stream(plain_settings{}, "GAME", {}));
}

TEST_F(zx81save, one_letter_name_without_extras_is_exactly_2568_samples)
{
    // 1000 silence samples, the code 0xA6 (A with the end flag) as the bits
    // 1 0 1 0 0 1 1 0, and 1000 silence samples.
    const std::uint8_t wave[13] = {128, 212, 224, 153, 60, 26, 81, 175, 230, 196, 103, 32, 44};
    bytes expected(1000, 0x80);
    for (const int bit : {1, 0, 1, 0, 0, 1, 1, 0}) {
        expected.insert(expected.end(), 29, 0x80);
        for (int i = 0; i < (bit ? 58 : 26); ++i)
            expected.push_back(wave[i % 13]);
    }
    expected.insert(expected.end(), 1000, 0x80);
    ASSERT_EQ(expected.size(), 2568u);

    write_file(at("empty.p"), {});
    expect_quiet_success(run({"empty.p", "a.raw", "i=1", "o=1", "p=29", "q=29", "1=0", "0=0", "-fA"}));
    EXPECT_EQ(read_file(at("a.raw")), expected);
}

TEST_F(zx81save, every_input_byte_reaches_the_stream_across_read_blocks)
{
    struct input_case {
        const char* why;
        bytes data;
    };
    const input_case cases[] = {
        {"exactly one block: the last read returns nothing", random_bytes(30000, 1)},
        {"one byte past a block", random_bytes(30001, 2)},
        {"two whole blocks", random_bytes(60000, 3)},
        {"line ends and the DOS end-of-file byte pass unchanged", {0x0A, 0x0D, 0x1A, 0x0D, 0x0A, 0x00, 0xFF}},
    };
    for (const input_case& c : cases) {
        SCOPED_TRACE(c.why);
        write_file(at("prog.p"), c.data);
        expect_quiet_success(run({"prog.p", "prog.raw"}));
        const bytes stream = read_file(at("prog.raw"));
        EXPECT_EQ(stream, plain_stream(plain_settings{}, "PROG", c.data));
        for (const std::uint8_t sample : {std::uint8_t{0x0A}, std::uint8_t{0x0D}})
            EXPECT_EQ(std::count(stream.begin(), stream.end(), sample), 0);
    }
}

TEST_F(zx81save, an_existing_longer_output_is_replaced_whole)
{
    write_file(at("game.p"), {0x00});
    write_file(at("game.raw"), repeated(0x55, 100000));
    expect_quiet_success(run({"game.p", "game.raw"}));
    EXPECT_EQ(read_file(at("game.raw")), plain_stream(plain_settings{}, "GAME", {0x00}));
}

// ---- 3. Options reach the stream -----------------------------------------

TEST_F(zx81save, settings_from_the_command_line_shape_the_stream)
{
    struct settings_case {
        const char* why;
        std::vector<std::string> options;
        plain_settings expected;
    };
    const settings_case cases[] = {
        {"no lead-in or lead-out: the stream is the bits alone", {"i=0", "o=0"}, {29, 29, 76, 76, 0, 0}},
        {"negative silence counts as none", {"i=-3", "O=2"}, {29, 29, 76, 76, 0, 2}},
        {"separate gaps and rates", {"p=10", "q=40", "1=33", "0=150"}, {10, 40, 33, 150, 22, 22}},
        {"no gaps, one rate off", {"P=0", "Q=-5", "1=0", "0=100"}, {0, -5, 0, 100, 22, 22}},
        {"long gaps and a rate of one", {"p=120", "q=1000", "1=1", "0=99"}, {120, 1000, 1, 99, 22, 22}},
    };
    const bytes data = random_bytes(1000, 7);
    write_file(at("prog.p"), data);
    for (const settings_case& c : cases) {
        SCOPED_TRACE(c.why);
        std::vector<std::string> arguments = {"prog.p", "prog.raw"};
        arguments.insert(arguments.end(), c.options.begin(), c.options.end());
        expect_quiet_success(run(arguments));
        EXPECT_EQ(read_file(at("prog.raw")), plain_stream(c.expected, "PROG", data));
    }
    // Without lead-in the first sample is the first bit's: the name starts
    // with P (0x35 = 0 0 1 1 0 1 0 1), a 0 bit, so 29 gap samples then the wave.
    run({"prog.p", "prog.raw", "i=0", "o=0", "p=0", "q=0"});
    const bytes bare = read_file(at("prog.raw"));
    ASSERT_GT(bare.size(), 2u);
    EXPECT_EQ(bare[0], 128);
    EXPECT_EQ(bare[1], 212);
}

TEST_F(zx81save, bad_options_are_reported_in_order_and_the_run_goes_on)
{
    write_file(at("game.p"), {0x12, 0x34});
    const program_result result = run({"game.p", "game.raw", "x=5", "-f", "-q", "intro=5", "2=1", "%s%n"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "unknown option x=5\nmissing ZXNAME -f\nunknown option -q\nunknown option 2=1\n");
    EXPECT_EQ(read_file(at("game.raw")), plain_stream(plain_settings{}, "GAME", {0x12, 0x34}));
}

TEST_F(zx81save, a_name_of_thousands_of_characters_goes_to_tape_whole)
{
    std::string name;
    for (int i = 0; i < 3000; ++i)
        name.push_back("ZX81"[i % 4]);
    write_file(at("game.p"), {0x76});
    expect_quiet_success(run({"game.p", "game.raw", "-f" + name}));
    EXPECT_EQ(read_file(at("game.raw")), plain_stream(plain_settings{}, name, {0x76}));
}

// ---- 4. The tape name -----------------------------------------------------

TEST_F(zx81save, names_from_paths_and_from_the_option)
{
    struct name_case {
        const char* why;
        std::vector<std::string> arguments;
        std::string name;
    };
    const std::string long_stem(200, 'L');
    const name_case cases[] = {
        {"derived from the file name", {"game.p", "out.raw"}, "GAME"},
        {"given in lower case", {"game.p", "out.raw", "-fgame"}, "GAME"},
        {"a lone -f falls back to the path", {"game.p", "out.raw", "-f"}, "GAME"},
        {"a file name of 200 characters", {long_stem + ".p", "out.raw"}, long_stem},
    };
    write_file(at("game.p"), {0xAA});
    write_file(at(long_stem + ".p"), {0xAA});
    for (const name_case& c : cases) {
        SCOPED_TRACE(c.why);
        const program_result result = run(c.arguments);
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(read_file(at("out.raw")), plain_stream(plain_settings{}, c.name, {0xAA}));
    }
}

TEST_F(zx81save, an_empty_derived_name_is_reported_and_the_stream_has_no_name)
{
    write_file(at(".p"), {0x00, 0xFF});
    const program_result result = run({".p", "out.raw"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "*** empty filename (use -f option)\n");
    EXPECT_EQ(read_file(at("out.raw")), plain_stream(plain_settings{}, "", {0x00, 0xFF}));
}

TEST_F(zx81save, a_rejected_name_ends_the_run_before_any_file_is_opened)
{
    struct rejected_case {
        const char* why;
        std::vector<std::string> arguments;
        std::string message;
    };
    const rejected_case cases[] = {
        {"a dot in a given name", {"game.p", "keep.raw", "-fGAME.P"}, "[.]"},
        {"an input path that looks like an option", {"-fGAME", "keep.raw", "out.raw"}, "[-]"},
        {"a missing input is not even looked for", {"no such.p", "keep.raw"}, "[ ]"},
        {"two folder levels", {"games/sub/game.p", "keep.raw"}, "[/]"},
        {"a byte above 0x7F", {"\xe9t\xe9.p", "keep.raw"}, "[\xe9]"},
    };
    const bytes kept = {1, 2, 3, 4, 5};
    for (const rejected_case& c : cases) {
        SCOPED_TRACE(c.why);
        write_file(at("keep.raw"), kept);
        const program_result result = run(c.arguments);
        EXPECT_EQ(result.status, 255);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, "*** invalid character " + c.message + " in ZXNAME (use -f option)\n");
        EXPECT_EQ(read_file(at("keep.raw")), kept);
        EXPECT_FALSE(fs::exists(at("out.raw")));
    }
}

TEST_F(zx81save, the_shipped_example_goes_to_tape_as_HELLO)
{
    // The quick start's own command, run from the top of the source tree.
    const fs::path source = SOURCE_DIR;
    const program_result result =
        run_program(ZX81SAVE, {ZX81SAVE, "examples/hello.p", at("hello.raw").string()}, source);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(read_file(at("hello.raw")),
              plain_stream(plain_settings{}, "HELLO", read_file(source / "examples/hello.p")));
}

// ---- 5. Faults ------------------------------------------------------------

TEST_F(zx81save, files_that_cannot_be_used_end_the_run_with_status_1)
{
    struct fault_case {
        const char* why;
        std::vector<std::string> arguments;
        std::string message;
    };
    fs::create_directory(at("folder"));
    write_file(at("game.p"), {0x01, 0x02});
    const fault_case cases[] = {
        {"a missing input", {"missing.p", "keep.raw"}, " *** error ***   Can't read file missing.p \n"},
        {"an empty input path", {"", "keep.raw", "-fGAME"}, " *** error ***   Can't read file  \n"},
        {"an input that is a folder", {"folder", "keep.raw"}, " *** error ***   Can't read file folder \n"},
        {"an input that opens but fails to read",
         {"/proc/self/mem", "keep.raw", "-fMEM"},
         " *** error ***   Can't read file /proc/self/mem \n"},
        {"an output in a folder that does not exist",
         {"game.p", "nowhere/out.raw"},
         " *** error ***   Can't open output file nowhere/out.raw \n"},
        {"an output that is a folder", {"game.p", "folder"}, " *** error ***   Can't open output file folder \n"},
    };
    const bytes kept = {9, 8, 7};
    for (const fault_case& c : cases) {
        SCOPED_TRACE(c.why);
        write_file(at("keep.raw"), kept);
        const program_result result = run(c.arguments);
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, c.message);
        EXPECT_EQ(read_file(at("keep.raw")), kept);
    }
    EXPECT_FALSE(fs::exists(at("nowhere")));
    EXPECT_TRUE(fs::is_directory(at("folder")));
}

TEST_F(zx81save, a_missing_input_creates_no_output)
{
    const program_result result = run({"missing.p", "new.raw"});
    EXPECT_EQ(result.status, 1);
    EXPECT_FALSE(fs::exists(at("new.raw")));
}

TEST_F(zx81save, a_failed_write_is_reported)
{
    // The full device takes the open but refuses every write.
    write_file(at("game.p"), random_bytes(100, 4));
    const program_result result = run({"game.p", "/dev/full"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, " *** error ***   Can't write output file /dev/full \n");
}

TEST_F(zx81save, the_input_file_is_never_taken_as_output)
{
    const bytes program = random_bytes(500, 5);
    write_file(at("x.p"), program);
    fs::create_symlink("x.p", at("link.p"));
    fs::create_hard_link(at("x.p"), at("hard.p"));
    struct same_case {
        const char* why;
        std::string output;
    };
    const same_case cases[] = {
        {"spelt the same", "x.p"},
        {"spelt differently", "./x.p"},
        {"through a symbolic link", "link.p"},
        {"through a hard link", "hard.p"},
    };
    for (const same_case& c : cases) {
        SCOPED_TRACE(c.why);
        const program_result result = run({"x.p", c.output});
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.err, " *** error ***   Output file " + c.output + " is the input file \n");
        EXPECT_EQ(read_file(at("x.p")), program);
    }
}

} // namespace
