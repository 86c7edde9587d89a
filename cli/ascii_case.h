// Upper-casing that changes only 'a' to 'z', whatever the locale: option keys
// and name characters are compared as plain ASCII, and every other byte value,
// 0x80 to 0xFF included, stays what it is.
#pragma once

inline char to_upper_ascii(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}
