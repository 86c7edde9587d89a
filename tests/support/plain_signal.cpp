// The plain model. The k-th bit of a value (k counted from 1 over the whole
// stream, name first) is followed by one extra silence sample exactly when
// floor(k * rate / 100) is greater than floor((k - 1) * rate / 100); a rate
// of 0 or below never adds one and a rate of 100 or above adds one after
// every bit.
#include "tests/support/plain_signal.h"

namespace {

const std::uint8_t wave[13] = {128, 212, 224, 153, 60, 26, 81, 175, 230, 196, 103, 32, 44};

struct plain_model {
    plain_settings settings;
    std::int64_t ones_so_far = 0;
    std::int64_t zeros_so_far = 0;
    std::vector<std::uint8_t> samples;

    static bool extra_after(std::int64_t k, std::int64_t rate)
    {
        if (rate <= 0)
            return false;
        if (rate >= 100)
            return true;
        return (k * rate) / 100 > ((k - 1) * rate) / 100;
    }

    void bit(bool one)
    {
        const std::int64_t gap = one ? settings.gap_before_one : settings.gap_before_zero;
        for (std::int64_t i = 0; i < gap; ++i)
            samples.push_back(128);
        const int pulse_samples = one ? 58 : 26;
        for (int i = 0; i < pulse_samples; ++i)
            samples.push_back(wave[i % 13]);
        const std::int64_t k = one ? ++ones_so_far : ++zeros_so_far;
        if (extra_after(k, one ? settings.extra_rate_one : settings.extra_rate_zero))
            samples.push_back(128);
    }

    void byte(std::uint8_t value)
    {
        for (int b = 7; b >= 0; --b)
            bit(((value >> b) & 1) != 0);
    }

    void silence(std::int64_t blocks)
    {
        for (std::int64_t i = 0; i < blocks * 1000; ++i)
            samples.push_back(128);
    }
};

std::uint8_t code_of(char c)
{
    if (c >= '0' && c <= '9')
        return static_cast<std::uint8_t>(0x1C + (c - '0'));
    if (c >= 'a' && c <= 'z')
        c = static_cast<char>(c - 'a' + 'A');
    return static_cast<std::uint8_t>(0x26 + (c - 'A'));
}

} // namespace

std::vector<std::uint8_t> plain_stream(const plain_settings& settings, const std::string& name,
                                       const std::vector<std::uint8_t>& data)
{
    plain_model model{settings, 0, 0, {}};
    model.silence(settings.intro_blocks);
    for (std::size_t i = 0; i < name.size(); ++i) {
        std::uint8_t code = code_of(name[i]);
        if (i + 1 == name.size())
            code |= 0x80;
        model.byte(code);
    }
    for (const std::uint8_t value : data)
        model.byte(value);
    model.silence(settings.outro_blocks);
    return model.samples;
}

std::vector<std::uint8_t> plain_bytes_stream(const plain_settings& settings, const std::vector<std::uint8_t>& bytes)
{
    plain_model model{settings, 0, 0, {}};
    for (const std::uint8_t value : bytes)
        model.byte(value);
    return model.samples;
}
