// Fuzz target for the synthesis: the first bytes of the input choose the six
// settings, a tape name and the size of the copying moves, the rest is the
// P-file. The real pipeline
// converts it between two scratch files, and its stream must equal, byte for
// byte, the plain model of the signal kept in the test tree; its length must
// be the sum of the lengths of its parts, counted here from the bits alone;
// and every sample must be silence or a sample of the pulse wave.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <system_error>
#include <vector>

#include "cli/tape_name_encoding.h"
#include "core/conversion_pipeline.h"
#include "core/conversion_settings.h"
#include "core/tape_signal.h"
#include "tests/support/plain_signal.h"
#include "tests/support/stream_capture.h"

namespace {

namespace fs = std::filesystem;

// Bounds that keep one run to a few milliseconds: a gap above MAX_GAP is
// folded back into range, a positive silence count above MAX_BLOCKS too, and
// the P-file is cut so that the stream stays under MAX_STREAM_SAMPLES.
// Negative values and rates of any size are used as they come.
constexpr std::int64_t MAX_GAP = 4000;
constexpr std::int64_t MAX_BLOCKS = 3;
constexpr std::int64_t MAX_STREAM_SAMPLES = std::int64_t{1} << 20;
constexpr std::size_t MAX_NAME = 40;

// Reads the input front to back; past its end every byte reads as 0.
struct input_reader {
    const std::uint8_t* next;
    std::size_t left;

    std::uint8_t byte()
    {
        if (left == 0)
            return 0;
        --left;
        return *next++;
    }
};

// One setting: a selector byte, then as many bytes as it needs. Small
// values, 32-bit values and both ends of the 32-bit range each have a
// selector of their own, so that the fuzzer reaches all of them often.
std::int32_t read_setting(input_reader& in)
{
    switch (in.byte() % 4) {
    case 0: return static_cast<std::int8_t>(in.byte());
    case 1: {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i)
            value = value << 8 | in.byte();
        return static_cast<std::int32_t>(value);
    }
    case 2: return std::numeric_limits<std::int32_t>::min();
    default: return std::numeric_limits<std::int32_t>::max();
    }
}

std::int32_t fold(std::int32_t value, std::int64_t most)
{
    return value > most ? static_cast<std::int32_t>(value % (most + 1)) : value;
}

// A name of up to MAX_NAME letters and digits in either case; empty is
// allowed, and gives a stream without a name.
std::string read_name(input_reader& in)
{
    const char characters[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    const std::size_t length = in.byte() % (MAX_NAME + 1);
    std::string name;
    for (std::size_t i = 0; i < length; ++i)
        name.push_back(characters[in.byte() % (sizeof characters - 1)]);
    return name;
}

// The extra samples that count bits of one value earn at a rate per hundred.
std::int64_t extra_samples(std::int64_t count, std::int64_t rate)
{
    if (rate <= 0)
        return 0;
    if (rate >= 100)
        return count;
    return count * rate / 100;
}

// The length of the stream from the number of 1 and 0 bits it carries.
std::int64_t stream_length(const plain_settings& s, std::int64_t ones, std::int64_t zeros)
{
    return 1000 * (std::max<std::int64_t>(s.intro_blocks, 0) + std::max<std::int64_t>(s.outro_blocks, 0)) +
           ones * (std::max<std::int64_t>(s.gap_before_one, 0) + ONE_PULSE_SAMPLES) +
           zeros * (std::max<std::int64_t>(s.gap_before_zero, 0) + ZERO_PULSE_SAMPLES) +
           extra_samples(ones, s.extra_rate_one) + extra_samples(zeros, s.extra_rate_zero);
}

std::int64_t count_one_bits(const std::vector<std::uint8_t>& bytes)
{
    std::int64_t ones = 0;
    for (const std::uint8_t value : bytes)
        ones += __builtin_popcount(value);
    return ones;
}

bool is_signal_sample(std::uint8_t sample)
{
    return sample == SILENCE_LEVEL ||
           std::find(pulse_table, pulse_table + PULSE_TABLE_SIZE, sample) != pulse_table + PULSE_TABLE_SIZE;
}

// The scratch folder of this process, made on first use.
const fs::path& scratch_folder_path()
{
    static const fs::path folder = [] {
        std::string pattern = (fs::temp_directory_path() / "zx81tape-fuzz-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr)
            std::abort();
        std::atexit([] {
            std::error_code ignored;
            fs::remove_all(scratch_folder_path(), ignored);
        });
        return fs::path(pattern);
    }();
    return folder;
}

void write_whole_file(const fs::path& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        std::abort();
}

std::vector<std::uint8_t> read_whole_file(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(in.tellg()));
    in.seekg(0);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!in)
        std::abort();
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    input_reader in{data, size};
    plain_settings settings;
    settings.gap_before_one = fold(read_setting(in), MAX_GAP);
    settings.gap_before_zero = fold(read_setting(in), MAX_GAP);
    settings.extra_rate_one = read_setting(in);
    settings.extra_rate_zero = read_setting(in);
    settings.intro_blocks = fold(read_setting(in), MAX_BLOCKS);
    settings.outro_blocks = fold(read_setting(in), MAX_BLOCKS);
    const std::string name = read_name(in);
    // Either move size the processor offers: the 32-byte moves where it has
    // them, and the 16-byte moves that every x86-64 has.
    static const bool processor_moves = wide_moves;
    wide_moves = processor_moves && (in.byte() & 1) != 0;

    const std::int64_t widest_bit =
        std::max<std::int64_t>({settings.gap_before_one, settings.gap_before_zero, 0}) + ONE_PULSE_SAMPLES + 1;
    const std::size_t most_bytes = static_cast<std::size_t>(
        std::max<std::int64_t>(MAX_STREAM_SAMPLES / (8 * widest_bit) - static_cast<std::int64_t>(name.size()), 0));
    const std::vector<std::uint8_t> program(in.next, in.next + std::min(in.left, most_bytes));

    reset_run_state();
    conversion_settings.gap_before_one = static_cast<std::int32_t>(settings.gap_before_one);
    conversion_settings.gap_before_zero = static_cast<std::int32_t>(settings.gap_before_zero);
    conversion_settings.extra_rate_one = static_cast<std::int32_t>(settings.extra_rate_one);
    conversion_settings.extra_rate_zero = static_cast<std::int32_t>(settings.extra_rate_zero);
    conversion_settings.intro_blocks = static_cast<std::int32_t>(settings.intro_blocks);
    conversion_settings.outro_blocks = static_cast<std::int32_t>(settings.outro_blocks);
    conversion_settings.tape_name = name;
    if (!encode_tape_name())
        std::abort();
    // The codes as they go to tape, taken before the pipeline runs: the
    // last one carries the end flag.
    std::vector<std::uint8_t> carried(conversion_settings.tape_name.begin(), conversion_settings.tape_name.end());
    if (!carried.empty())
        carried.back() |= NAME_END_FLAG;
    carried.insert(carried.end(), program.begin(), program.end());

    const fs::path input_path = scratch_folder_path() / "in.p";
    const fs::path output_path = scratch_folder_path() / "out.raw";
    write_whole_file(input_path, program);
    convert_file(input_path.c_str(), output_path.c_str());
    const std::vector<std::uint8_t> stream = read_whole_file(output_path);

    if (stream != plain_stream(settings, name, program))
        std::abort();

    const std::int64_t ones = count_one_bits(carried);
    const std::int64_t zeros = 8 * static_cast<std::int64_t>(carried.size()) - ones;
    if (static_cast<std::int64_t>(stream.size()) != stream_length(settings, ones, zeros))
        std::abort();
    if (!std::all_of(stream.begin(), stream.end(), is_signal_sample))
        std::abort();
    return 0;
}
