// Name encoding: each character, upper-cased, becomes TAPE_CODE_BASE plus its
// position in NAME_ALPHABET, so '0' is 0x1C, 'A' 0x26 and 'Z' 0x3F. No code
// is zero and none has bit 7 set, which leaves bit 7 free for the end flag.
#include "cli/tape_name_encoding.h"

#include <cstring>

#include "cli/ascii_case.h"
#include "core/conversion_settings.h"
#include "core/messages.h"
#include "core/report.h"

bool encode_tape_name()
{
    for (char& c : conversion_settings.tape_name) {
        const char upper = to_upper_ascii(c);
        const char* found = upper == '\0' ? nullptr : std::strchr(NAME_ALPHABET, upper);
        if (found == nullptr) {
            report_character(MESSAGE_INVALID_NAME_CHARACTER, c);
            return false;
        }
        c = static_cast<char>(TAPE_CODE_BASE + (found - NAME_ALPHABET));
    }
    return true;
}
