// The ZX81 character set for names. Codes 0x00 to 0x3F are the machine's
// characters; 0x01 to 0x0A are block graphics, which have no text form here,
// and 0x0C is the pound sign. Codes 0x40 and above are not characters.
#include "load/zx81_characters.h"

#include <cstdio>

namespace {

// The character of each code from 0x00 to 0x3F; 0 where there is none.
constexpr char characters[64] = {
    ' ', 0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   '"', 0,   '$', ':', '?', '(', ')', '>', '<', '=', '+',
    '-', '*', '/', ';', ',', '.', '0', '1', '2', '3', '4', '5', '6', '7', '8', '9', 'A', 'B', 'C', 'D', 'E', 'F',
    'G', 'H', 'I', 'J', 'K', 'L', 'M', 'N', 'O', 'P', 'Q', 'R', 'S', 'T', 'U', 'V', 'W', 'X', 'Y', 'Z',
};

constexpr std::uint8_t POUND_CODE = 0x0C;
constexpr char POUND_TEXT[] = "\xC2\xA3"; // the pound sign in UTF-8

} // namespace

std::string name_text(const std::vector<std::uint8_t>& codes)
{
    std::string text;
    for (std::size_t i = 0; i < codes.size(); ++i) {
        std::uint8_t code = codes[i];
        if (i + 1 == codes.size())
            code = static_cast<std::uint8_t>(code & ~NAME_END_FLAG);
        if (code < 64 && characters[code] != 0) {
            text += characters[code];
        } else if (code == POUND_CODE) {
            text += POUND_TEXT;
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "[%02X]", code);
            text += hex;
        }
    }
    return text;
}

bool encode_name(const std::string& text, std::vector<std::uint8_t>& codes, std::string& bad_character)
{
    codes.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        if (text.compare(i, 2, POUND_TEXT) == 0) {
            codes.push_back(POUND_CODE);
            ++i;
            continue;
        }
        std::uint8_t code = 0;
        while (code < 64 && (characters[code] == 0 || characters[code] != c))
            ++code;
        if (code == 64) {
            bad_character.assign(1, text[i]);
            return false;
        }
        codes.push_back(code);
    }
    if (!codes.empty())
        codes.back() = static_cast<std::uint8_t>(codes.back() | NAME_END_FLAG);
    return true;
}
