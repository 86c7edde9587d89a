// Every text that zx81load writes, in one place. Each is a printf format whose
// placeholders take the recording's path, a name or a number; a value is
// always passed as an argument, never as the format. Errors are one line that
// starts "zx81load: " and names the file it is about.
#pragma once

// Problems with the recording (exit status 1).
inline constexpr char MESSAGE_UNREADABLE[] = "zx81load: %s: cannot read: %s\n";
inline constexpr char MESSAGE_NO_CHANNEL[] = "zx81load: %s: there is no channel %d: the recording has %d\n";
inline constexpr char MESSAGE_NO_PROGRAM[] = "zx81load: %s: no program found\n";
inline constexpr char MESSAGE_NAME_NOT_FOUND[] = "zx81load: %s: no program named %s on the recording\n";
inline constexpr char MESSAGE_ENDS_INSIDE[] =
    "zx81load: %s: the recording ends inside the program %s at byte %u of %u\n";
inline constexpr char MESSAGE_ENDS_BEFORE_LENGTH[] =
    "zx81load: %s: the recording ends inside the program %s at byte %u, before its length is known\n";
inline constexpr char MESSAGE_TIME_OUT[] =
    "zx81load: %s: time-out inside the data of %s at %.3f seconds, at byte %u of %u\n";
inline constexpr char MESSAGE_TIME_OUT_BEFORE_LENGTH[] =
    "zx81load: %s: time-out inside the data of %s at %.3f seconds, at byte %u, before its length is known\n";
inline constexpr char MESSAGE_IMPOSSIBLE_LENGTH[] =
    "zx81load: %s: E_LINE 0x%04X of %s gives an impossible length (a program has at least 13 bytes)\n";

// Problems with the other files (exit status 1).
inline constexpr char MESSAGE_CANNOT_WRITE[] = "zx81load: %s: cannot write: %s\n";
inline constexpr char MESSAGE_VERIFY_NAMELESS[] =
    "zx81load: %s: does not match %s: the recording holds no name, so the machine took the first %u "
    "bytes of the program as the name %s\n";
inline constexpr char MESSAGE_VERIFY_LENGTH[] = "zx81load: %s: does not match %s: loaded %u bytes, the file holds %u\n";
inline constexpr char MESSAGE_VERIFY_BYTE[] =
    "zx81load: %s: does not match %s: byte %u loaded as 0x%02X, the file holds 0x%02X\n";

// A bad command line (exit status 2).
inline constexpr char MESSAGE_UNKNOWN_OPTION[] = "zx81load: unknown option %s (see zx81load --help)\n";
inline constexpr char MESSAGE_MISSING_VALUE[] = "zx81load: option %s needs a value (see zx81load --help)\n";
inline constexpr char MESSAGE_BAD_NUMBER[] = "zx81load: option %s: bad number %s\n";
inline constexpr char MESSAGE_BAD_NAME[] = "zx81load: option --name: the ZX81 has no character %s for a name\n";
inline constexpr char MESSAGE_NO_RECORDING[] = "zx81load: no RECORDING given (see zx81load --help)\n";
inline constexpr char MESSAGE_TOO_MANY_ARGUMENTS[] = "zx81load: too many arguments: %s (see zx81load --help)\n";
inline constexpr char MESSAGE_LIST_CONFLICT[] = "zx81load: --list takes no OUTPUT.p, --verify or --name\n";
inline constexpr char MESSAGE_VERIFY_CONFLICT[] = "zx81load: --verify takes no OUTPUT.p\n";

// Standard output.
inline constexpr char MESSAGE_LOADED[] = "%s: %u bytes\n";
inline constexpr char MESSAGE_VERIFIED[] = "%s: %u bytes, the same as %s\n";
inline constexpr char MESSAGE_VERSION[] = "zx81load %s\n";
inline constexpr char MESSAGE_USAGE[] =
    "Usage: zx81load [options] RECORDING [OUTPUT.p]\n"
    "Hear a ZX81 tape recording the way the ZX81's LOAD does and write the program\n"
    "it would load. Without OUTPUT.p it only checks that the program loads.\n"
    "\n"
    "  --name NAME      load the program called NAME (like LOAD \"NAME\"),\n"
    "                   not the first one (like LOAD \"\")\n"
    "  --list           list every program on the recording with its signal figures\n"
    "  --verify FILE.p  load and compare with FILE.p instead of writing\n"
    "  --rate HZ        sample rate of a raw recording (default 22050)\n"
    "  --channel N      use channel N (from 1) instead of mixing all channels\n"
    "  --help           show this text\n"
    "  --version        show the version\n"
    "\n"
    "RECORDING is any file libsndfile reads by its header (WAV, AIFF, FLAC, ...);\n"
    "anything else is read as raw unsigned 8-bit mono samples.\n"
    "Exit status: 0 loaded, 1 the recording does not load (or a file failed),\n"
    "2 bad command line.\n";

// The listing of --list, per program.
inline constexpr char LIST_PROGRAM[] = "program %u: %s\n";
inline constexpr char LIST_LENGTH[] = "  length    %u bytes, %s\n";
inline constexpr char LIST_LENGTH_UNKNOWN[] = "  length    not known, %s\n";
inline constexpr char LIST_SECONDS[] = "  seconds   %.3f to %.3f\n";
inline constexpr char LIST_BITS[] = "  %d bits    %llu, %.3f ms mean, %llu to %llu polls (window %llu to %llu)\n";
inline constexpr char LIST_NO_BITS[] = "  %d bits    none\n";
inline constexpr char LIST_PULSES[] = "  pulses    %.0f Hz\n";
inline constexpr char LIST_PROBLEMS[] = "  problems  %s\n";
inline constexpr char LIST_LOADS[] = "loads";
inline constexpr char LIST_FAILS[] = "does not load";
inline constexpr char LIST_NO_PROBLEM[] = "none";
// Problems, joined with "; " on the problems line.
inline constexpr char PROBLEM_TIME_OUT[] = "time-out inside the data at %.3f seconds, at byte %u";
inline constexpr char PROBLEM_ENDED[] = "the recording ends inside the data at byte %u";
inline constexpr char PROBLEM_IMPOSSIBLE[] = "E_LINE 0x%04X gives an impossible length";
inline constexpr char PROBLEM_SHORT_BURSTS[] = "%llu short bursts ignored";
inline constexpr char PROBLEM_WRAPPED[] = "%llu bursts longer than 276 polls";
inline constexpr char PROBLEM_NEAR_EDGE[] = "%llu bits within %llu polls of the edge of their window";
