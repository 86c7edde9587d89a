// Makes the files of the round-trip tests:
//   test_files program SIZE SEED OUT.p   a P-file of SIZE bytes whose E_LINE
//                                        is 0x4009 + SIZE
//   test_files noise SECONDS SEED OUT    raw unsigned 8-bit white noise at
//                                        22050 Hz, 20 dB below zx81save's pulses
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// The ZX81's system variables from 0x4009 to 0x407C as a small program
// leaves them; E_LINE (offsets 11 and 12) is set for each file. From VERSN
// on: E_PPC 10, D_FILE 0x407D, DF_CC 0x407E, VARS 0x4096 (the first byte
// with bit 7 set is VARS's low byte, offset 7).
constexpr std::uint8_t system_variables[116] = {
    0x00, 0x0A, 0x00, 0x7D, 0x40, 0x7E, 0x40, 0x96, 0x40, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x5D, 0x40, 0x00, 0x02, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x37, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xBC, 0x21, 0x18, 0x40,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
};

constexpr std::uint32_t PROGRAM_START = 0x4009;
constexpr double RAW_RATE = 22050.0;
constexpr int NOISE_SPAN = 10; // +-10 around 128: a tenth of the pulses' 102

// A small linear congruential generator: the same bytes on every platform.
std::uint32_t next_random(std::uint32_t& state)
{
    state = state * 1664525u + 1013904223u;
    return state >> 24;
}

bool write_file(const char* path, const std::vector<std::uint8_t>& bytes)
{
    std::FILE* file = std::fopen(path, "wb");
    if (file == nullptr)
        return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::fputs("usage: test_files program SIZE SEED OUT | noise SECONDS SEED OUT\n", stderr);
        return 2;
    }
    std::uint32_t state = static_cast<std::uint32_t>(std::strtoul(argv[3], nullptr, 10));
    std::vector<std::uint8_t> bytes;
    if (std::strcmp(argv[1], "program") == 0) {
        const std::uint32_t size = static_cast<std::uint32_t>(std::strtoul(argv[2], nullptr, 10));
        for (std::uint32_t i = 0; i < size; ++i)
            bytes.push_back(i < sizeof system_variables ? system_variables[i]
                                                        : static_cast<std::uint8_t>(next_random(state)));
        const std::uint32_t e_line = PROGRAM_START + size;
        if (size > 12) {
            bytes[11] = static_cast<std::uint8_t>(e_line);
            bytes[12] = static_cast<std::uint8_t>(e_line >> 8);
        }
    } else {
        const double seconds = std::strtod(argv[2], nullptr);
        const auto count = static_cast<std::size_t>(seconds * RAW_RATE);
        for (std::size_t i = 0; i < count; ++i)
            bytes.push_back(static_cast<std::uint8_t>(128 - NOISE_SPAN +
                                                      static_cast<int>(next_random(state) % (2 * NOISE_SPAN + 1))));
    }
    return write_file(argv[4], bytes) ? 0 : 1;
}
