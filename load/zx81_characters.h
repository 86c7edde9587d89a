// The ZX81's own character set as it stands in a program name on tape: the
// text a name shows as, and the codes that a name typed on the command line
// becomes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Bit 7 of a name code: set on the last code of a name, where the name ends.
inline constexpr std::uint8_t NAME_END_FLAG = 0x80;

// The name as text: each code as its character, codes without a printable
// character as [XX] in hex; bit 7 of the last code is the end mark, not part
// of the character.
std::string name_text(const std::vector<std::uint8_t>& codes);

// Turns typed text into name codes with bit 7 set on the last one, as LOAD
// "NAME" compares them. Letters are taken in either case. Returns false, with
// the offending character in bad_character, when the ZX81 has no such
// character.
bool encode_name(const std::string& text, std::vector<std::uint8_t>& codes, std::string& bad_character);
