// Tests of the byte level of LOAD on sequences of machine events made up
// here: dropping before the first time-out, names, E_LINE, failures.
#include "load/tape_decoder.h"

#include <gtest/gtest.h>

#include <vector>

#include "load/zx81_characters.h"

namespace {

// Events of a made-up recording, one bit every 4 ms.
struct tape {
    std::vector<machine_event> events;
    double seconds = 0.0;

    void time_out()
    {
        machine_event e;
        e.kind = machine_event_kind::time_out;
        e.start_seconds = e.end_seconds = seconds += 0.006;
        events.push_back(e);
    }
    void byte(std::uint8_t value)
    {
        for (int i = 7; i >= 0; --i) {
            machine_event e;
            e.value = (value >> i) & 1;
            e.polls = e.value ? 185 : 90;
            e.start_seconds = seconds;
            e.end_seconds = seconds += 0.004;
            events.push_back(e);
        }
    }
    void bytes(const std::vector<std::uint8_t>& values)
    {
        for (const std::uint8_t v : values)
            byte(v);
    }
};

// A program of length bytes whose E_LINE says so.
std::vector<std::uint8_t> program(std::uint32_t length)
{
    std::vector<std::uint8_t> data(length, 0x76);
    const std::uint32_t e_line = PROGRAM_START + length;
    data[E_LINE_LOW_OFFSET] = static_cast<std::uint8_t>(e_line);
    data[E_LINE_HIGH_OFFSET] = static_cast<std::uint8_t>(e_line >> 8);
    return data;
}

std::vector<std::uint8_t> codes(const char* text)
{
    std::vector<std::uint8_t> c;
    std::string bad;
    EXPECT_TRUE(encode_name(text, c, bad));
    return c;
}

// Runs the events through a decoder; returns the programs that ended.
std::vector<tape_program> decode(const tape& t, const std::vector<std::uint8_t>& wanted = {})
{
    tape_decoder decoder = make_tape_decoder(wanted);
    std::vector<tape_program> ended;
    for (const machine_event& e : t.events) {
        if (decode_event(decoder, e)) {
            ended.push_back(decoder.program);
            begin_next_program(decoder);
        }
    }
    if (finish_decoding(decoder, t.seconds))
        ended.push_back(decoder.program);
    return ended;
}

TEST(tape_decoder, loads_exactly_e_line_minus_0x4009_bytes)
{
    for (const std::uint32_t length : {13u, 14u, 116u, 300u}) {
        SCOPED_TRACE(length);
        tape t;
        t.time_out();
        t.bytes(codes("GAME"));
        const auto data = program(length);
        t.bytes(data);
        t.bytes({1, 2, 3}); // after E_LINE: ignored
        const auto ended = decode(t);
        ASSERT_EQ(ended.size(), 1u);
        EXPECT_EQ(ended[0].outcome, program_outcome::loaded);
        EXPECT_EQ(ended[0].name, codes("GAME"));
        EXPECT_EQ(ended[0].data, data);
        EXPECT_EQ(ended[0].figures.one.count + ended[0].figures.zero.count, 8u * (4 + length));
    }
}

TEST(tape_decoder, drops_bytes_before_the_first_time_out)
{
    tape t;
    t.bytes({0x80, 0x12}); // would end a name at once, but LOAD has not yet seen a time-out
    t.time_out();
    t.bytes(codes("A"));
    t.bytes(program(20));
    const auto ended = decode(t);
    ASSERT_EQ(ended.size(), 1u);
    EXPECT_EQ(ended[0].name, codes("A"));
}

TEST(tape_decoder, a_time_out_in_the_name_starts_it_over)
{
    tape t;
    t.time_out();
    t.bytes({0x26, 0x27}); // "AB" without an end
    t.time_out();
    t.bytes(codes("CD"));
    t.bytes(program(20));
    const auto ended = decode(t);
    ASSERT_EQ(ended.size(), 1u);
    EXPECT_EQ(ended[0].name, codes("CD"));
}

TEST(tape_decoder, a_wanted_name_skips_other_programs)
{
    tape t;
    t.time_out();
    t.bytes(codes("GAMES")); // "GAME" is a prefix: differs at the E, which lacks bit 7
    t.bytes(program(30));
    t.time_out();
    t.bytes(codes("GAM"));
    t.bytes(program(30));
    t.time_out();
    t.bytes(codes("GAME"));
    t.bytes(program(40));
    const auto ended = decode(t, codes("GAME"));
    ASSERT_EQ(ended.size(), 1u);
    EXPECT_EQ(ended[0].data.size(), 40u);
    EXPECT_TRUE(decode(t, codes("OTHER")).empty());
    EXPECT_EQ(decode(t).size(), 3u); // LOAD "" takes the first, and then each in turn
}

TEST(tape_decoder, failures_inside_the_data)
{
    {
        SCOPED_TRACE("a time-out inside the data");
        tape t;
        t.time_out();
        t.bytes(codes("A"));
        const auto data = program(50);
        t.bytes(std::vector<std::uint8_t>(data.begin(), data.begin() + 20));
        t.time_out();
        const auto ended = decode(t);
        ASSERT_EQ(ended.size(), 1u);
        EXPECT_EQ(ended[0].outcome, program_outcome::time_out);
        EXPECT_EQ(ended[0].data.size(), 20u);
        EXPECT_EQ(ended[0].length, 50u);
        EXPECT_DOUBLE_EQ(ended[0].end_seconds, t.seconds);
    }
    {
        SCOPED_TRACE("the recording ends inside the data, before E_LINE");
        tape t;
        t.time_out();
        t.bytes(codes("A"));
        t.bytes({1, 2, 3});
        const auto ended = decode(t);
        ASSERT_EQ(ended.size(), 1u);
        EXPECT_EQ(ended[0].outcome, program_outcome::recording_ended);
        EXPECT_EQ(ended[0].length, 0u);
    }
    {
        SCOPED_TRACE("E_LINE below 0x4009 + 13");
        tape t;
        t.time_out();
        t.bytes(codes("A"));
        auto data = program(13);
        data[E_LINE_LOW_OFFSET] = 0x15; // 0x4015: 12 bytes
        t.bytes(data);
        const auto ended = decode(t);
        ASSERT_EQ(ended.size(), 1u);
        EXPECT_EQ(ended[0].outcome, program_outcome::impossible_length);
        EXPECT_EQ(ended[0].e_line, 0x4015u);
    }
}

// Without a name on the recording the first data bytes, up to one with bit
// 7 set, are the name, and E_LINE is read from the wrong bytes.
TEST(tape_decoder, a_nameless_recording_takes_data_as_the_name)
{
    tape t;
    t.time_out();
    auto data = program(40);
    data[3] = 0x9C;
    t.bytes(data);
    const auto ended = decode(t);
    ASSERT_EQ(ended.size(), 1u);
    EXPECT_EQ(ended[0].name, std::vector<std::uint8_t>(data.begin(), data.begin() + 4));
}

TEST(zx81_characters, names_as_text_and_back)
{
    EXPECT_EQ(name_text(codes("Game 2.")), "GAME 2.");
    EXPECT_EQ(codes("AB"), (std::vector<std::uint8_t>{0x26, 0xA7}));
    EXPECT_EQ(name_text({0x01, 0x40, 0x8C}), "[01][40]\xC2\xA3"); // graphic, no character, pound
    std::vector<std::uint8_t> c;
    std::string bad;
    EXPECT_FALSE(encode_name("A~", c, bad));
    EXPECT_EQ(bad, "~");
}

} // namespace
