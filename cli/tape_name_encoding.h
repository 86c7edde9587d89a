// The tape name in the ZX81's own character codes.
#pragma once

#include <cstdint>

// The only characters a name may hold, after upper-casing, in the order of
// their codes: the machine's character set has the digits at 0x1C to 0x25
// and the letters at 0x26 to 0x3F.
inline constexpr char NAME_ALPHABET[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
inline constexpr std::uint8_t TAPE_CODE_BASE = 0x1C;

// Turns conversion_settings.tape_name in place into tape codes. On the first
// character outside NAME_ALPHABET it reports that character and returns
// false; an empty name passes.
bool encode_tape_name();
