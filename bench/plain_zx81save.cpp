// The plain design of the converter, for comparison: the same stream, made
// the way the rules of the signal read, through stdio. Every silence sample
// is one fputc, every copy of the pulse table one fwrite of 13 bytes (6 for
// the tail of a 1), and the extra samples come from the running accumulator
// of each bit value.
//
// Usage: plain_zx81save INPUT OUTPUT [K=NN ...] [-fNAME]
// with K one of i o 1 0 p q as for zx81save and NAME of letters and digits.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

const unsigned char pulse_table[13] = {128, 212, 224, 153, 60, 26, 81, 175, 230, 196, 103, 32, 44};

struct settings {
    long gap_one = 29, gap_zero = 29, rate_one = 76, rate_zero = 76, intro = 22, outro = 22;
    std::string name = "BENCH";
};

settings chosen;
std::int32_t accumulator_one = 0;
std::int32_t accumulator_zero = 0;

bool take_extra(std::int32_t& accumulator, long rate)
{
    if (rate == 0)
        return false;
    const long long old_sum = accumulator;
    long long new_sum = old_sum + rate;
    const bool extra = new_sum / 100 > old_sum / 100;
    if (extra)
        new_sum -= 100 * (old_sum / 100);
    if (new_sum > INT32_MAX)
        new_sum = INT32_MAX;
    if (new_sum < INT32_MIN)
        new_sum = INT32_MIN;
    accumulator = static_cast<std::int32_t>(new_sum);
    return extra;
}

void bit(std::FILE* out, bool one)
{
    for (long i = 0; i < (one ? chosen.gap_one : chosen.gap_zero); ++i)
        std::fputc(128, out);
    for (int i = 0; i < (one ? 4 : 2); ++i)
        std::fwrite(pulse_table, 1, 13, out);
    if (one)
        std::fwrite(pulse_table, 1, 6, out);
    if (one ? take_extra(accumulator_one, chosen.rate_one) : take_extra(accumulator_zero, chosen.rate_zero))
        std::fputc(128, out);
}

void byte(std::FILE* out, unsigned value)
{
    for (int b = 7; b >= 0; --b)
        bit(out, ((value >> b) & 1) != 0);
}

void silence(std::FILE* out, long blocks)
{
    for (long i = 0; i < blocks * 1000; ++i)
        std::fputc(128, out);
}

unsigned char tape_code(char c)
{
    if (c >= '0' && c <= '9')
        return static_cast<unsigned char>(0x1C + (c - '0'));
    if (c >= 'a' && c <= 'z')
        c = static_cast<char>(c - 'a' + 'A');
    return static_cast<unsigned char>(0x26 + (c - 'A'));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fputs("usage: plain_zx81save INPUT OUTPUT [K=NN ...] [-fNAME]\n", stderr);
        return 2;
    }
    for (int i = 3; i < argc; ++i) {
        const std::string option = argv[i];
        if (option.size() > 2 && (option[1] == 'f' || option[1] == 'F') && option[0] == '-') {
            chosen.name = option.substr(2);
            continue;
        }
        if (option.size() < 3 || option[1] != '=')
            continue;
        const long value = std::strtol(option.c_str() + 2, nullptr, 10);
        switch (option[0]) {
        case 'i':
        case 'I': chosen.intro = value; break;
        case 'o':
        case 'O': chosen.outro = value; break;
        case '1': chosen.rate_one = value; break;
        case '0': chosen.rate_zero = value; break;
        case 'p':
        case 'P': chosen.gap_one = value; break;
        case 'q':
        case 'Q': chosen.gap_zero = value; break;
        default: break;
        }
    }
    std::FILE* in = std::fopen(argv[1], "rb");
    std::FILE* out = std::fopen(argv[2], "wb");
    if (in == nullptr || out == nullptr)
        return 1;
    silence(out, chosen.intro);
    for (std::size_t i = 0; i < chosen.name.size(); ++i)
        byte(out, tape_code(chosen.name[i]) | (i + 1 == chosen.name.size() ? 0x80u : 0u));
    int c;
    while ((c = std::fgetc(in)) != EOF)
        byte(out, static_cast<unsigned>(c));
    silence(out, chosen.outro);
    std::fclose(in);
    return std::fclose(out) == 0 ? 0 : 1;
}
