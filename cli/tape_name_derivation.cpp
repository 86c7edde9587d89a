// Name derivation. The name text starts after the path separator that lies
// furthest into the path, where only the first '\', the first ':' and the
// first '/' count, on every platform. So C:\pacman.p, dir/pacman.p and
// ../pacman.p all give pacman; a path of two or more folder levels keeps a
// separator in its name, which the encoding then refuses.
#include "cli/tape_name_derivation.h"

#include <cstring>

#include "core/conversion_settings.h"
#include "core/messages.h"
#include "core/report.h"

void derive_tape_name(const char* input_path)
{
    const char* start = input_path;
    for (const char separator : {'\\', ':', '/'}) {
        const char* found = std::strchr(input_path, separator);
        if (found != nullptr && found + 1 > start)
            start = found + 1;
    }
    std::string& name = conversion_settings.tape_name;
    name = start;
    name = name.substr(0, name.find('.'));
    if (name.empty())
        report(MESSAGE_EMPTY_NAME, "");
}
