#!/usr/bin/env python3
"""Writes examples/hello.p, a ZX81 program laid out as a 1K ZX81 saves it:

    10 PRINT "HELLO, WORLD"
    20 GOTO 10

A P-file is the machine's memory from 0x4009 (VERSN) up to E_LINE - 1: the
system variables, the program, the display file and the variables. The bytes
below are those of a machine that was switched on, had the two lines typed
in and then ran SAVE "HELLO" as a direct command (not from a program line).

Usage:
    make_hello.py [OUTPUT]      write the file (default: hello.p beside this script)
    make_hello.py --check FILE  rebuild in memory, compare with FILE and check
                                the layout of FILE; exit status 1 on any fault
    make_hello.py --dump [FILE] print an annotated layout of FILE (default: the
                                file as built)

Python 3 standard library only; the output is the same on every run.
"""

import argparse
import fractions
import math
import pathlib
import sys

# ---------------------------------------------------------------------------
# Memory map of the ZX81 (the 1K machine has RAM from 0x4000 to 0x43FF).

SYSVARS_START = 0x4009  # VERSN, the first byte of a P-file
PROGRAM_START = 0x407D  # the first program line, just after the system variables
RAM_END_1K = 0x4400     # one past the last byte of a 1K machine's RAM
PRBUFF = 0x403C         # printer buffer, 32 characters and a NEWLINE
MEMBOT = 0x405D         # calculator memory, six 5-byte numbers

NEWLINE = 0x76          # ends every program line and every display line
NUMBER_MARK = 0x7E      # in a program line: the next 5 bytes are a number's value
VARS_END = 0x80         # ends the variables area

# Keyword codes; a keyword is one byte in a program line.
REM, GOTO, PRINT = 0xEA, 0xEC, 0xF5
SAVE = 0xF8  # only in the edit line of the SAVE command, which is not in the file
KEYWORDS = {REM: "REM", GOTO: "GOTO", PRINT: "PRINT"}

QUOTE = 0x0B

# The machine's character codes for the characters this program uses.
# Space is 0, digits run from 0x1C, letters from 0x26.
CHARACTER_CODES = {" ": 0x00, '"': QUOTE, ",": 0x1A, ".": 0x1B}
CHARACTER_CODES.update({chr(ord("0") + i): 0x1C + i for i in range(10)})
CHARACTER_CODES.update({chr(ord("A") + i): 0x26 + i for i in range(26)})
CHARACTERS = {code: text for text, code in CHARACTER_CODES.items()}
DIGIT_CODES = range(0x1C, 0x26)


def zx_text(text):
    """The machine's codes for text (upper case letters, digits, space and a few signs)."""
    return bytes(CHARACTER_CODES[c] for c in text)


def zx_float(value):
    """The 5-byte floating-point form of a non-negative integer: an exponent
    byte (0x80 + e) and a 32-bit mantissa m, high byte first, for
    value = m / 2**32 * 2**e with 0.5 <= m / 2**32 < 1. The mantissa's top
    bit is always 1 and is not stored: its place holds the sign (0: positive).
    Zero is five zero bytes. The ZX81 stores every number in this form."""
    if not isinstance(value, int) or value < 0:
        raise ValueError("only non-negative integers are needed here")
    if value == 0:
        return bytes(5)
    fraction, exponent = math.frexp(value)
    mantissa = int(fraction * 2**32)
    if fraction * 2**32 != mantissa or exponent > 127:
        raise ValueError(f"{value} has no exact 5-byte form")
    return bytes([0x80 + exponent]) + (mantissa & 0x7FFFFFFF).to_bytes(4, "big")


def decode_float(five):
    """The exact value of a 5-byte number, as a fraction."""
    if five[0] == 0:
        return fractions.Fraction(0)
    mantissa = int.from_bytes(five[1:5], "big")
    negative = mantissa & 0x80000000
    value = fractions.Fraction(mantissa | 0x80000000, 2**32) * fractions.Fraction(2) ** (five[0] - 0x80)
    return -value if negative else value


def number(value):
    """A number as it sits in a program line: its digits as typed, then the
    marker 0x7E and the five bytes of its value, which the listing skips."""
    return zx_text(str(value)) + bytes([NUMBER_MARK]) + zx_float(value)


def quoted(text):
    return bytes([QUOTE]) + zx_text(text) + bytes([QUOTE])


def program_line(line_number, *parts):
    """A program line: its number high byte first (the only big-endian value
    in memory), the length of the rest low byte first, the body and NEWLINE.
    The length counts the body and the NEWLINE."""
    rest = b"".join(parts) + bytes([NEWLINE])
    return line_number.to_bytes(2, "big") + len(rest).to_bytes(2, "little") + rest


# ---------------------------------------------------------------------------
# The program, display file and variables.

PROGRAM = (
    program_line(10, bytes([PRINT]), quoted("HELLO, WORLD"))
    + program_line(20, bytes([GOTO]), number(10))
)
# What LIST shows for PROGRAM; the check decodes the file and compares.
LISTING = ['10 PRINT "HELLO, WORLD"', "20 GOTO 10"]
LAST_LINE_ENTERED = 20

# The display file as a machine with less than about 3.5K of RAM keeps it
# after CLS: collapsed, each of the 24 lines only as long as its text. It
# starts with a NEWLINE and every empty line is a lone NEWLINE, 25 bytes in
# all. A direct command clears the screen before it runs, so SAVE leaves it
# empty.
DISPLAY_LINES = 24
DISPLAY = bytes([NEWLINE]) * (1 + DISPLAY_LINES)

# No variables: the area is only its end marker.
VARIABLES = bytes([VARS_END])

D_FILE = PROGRAM_START + len(PROGRAM)
VARS = D_FILE + len(DISPLAY)
E_LINE = VARS + len(VARIABLES)

# The edit line while SAVE "HELLO" runs: SAVE, the quoted name, NEWLINE. It
# starts at E_LINE and so is not in the file; it only fixes where the ROM's
# work pointers stood at the moment of saving.
EDIT_LINE = bytes([SAVE]) + quoted("HELLO") + bytes([NEWLINE])

# ---------------------------------------------------------------------------
# The system variables from 0x4009 to 0x407C: name, address, size, value, note.
# Two-byte values are stored low byte first. The address column is checked
# against the running total of the sizes when the file is built.

SYSTEM_VARIABLES = [
    ("VERSN", 0x4009, 1, 0x00,
     "0 marks a ZX81 program (the ZX80 has no such byte)"),
    ("E_PPC", 0x400A, 2, LAST_LINE_ENTERED,
     "current line: the last line typed in, 20"),
    ("D_FILE", 0x400C, 2, D_FILE,
     "start of the display file, just after the program"),
    ("DF_CC", 0x400E, 2, D_FILE + 1,
     "print position: start of the first display line, as CLS leaves it"),
    ("VARS", 0x4010, 2, VARS,
     "start of the variables, just after the display file"),
    ("DEST", 0x4012, 2, 0x0000,
     "variable being assigned; no LET or INPUT has run since switch-on"),
    ("E_LINE", 0x4014, 2, E_LINE,
     "start of the edit line; the file ends just before it"),
    ("CH_ADD", 0x4016, 2, E_LINE + len(EDIT_LINE) - 1,
     "next character to interpret: the NEWLINE ending SAVE \"HELLO\""),
    ("X_PTR", 0x4018, 2, 0x0000,
     "position of a syntax error; none, so 0"),
    ("STKBOT", 0x401A, 2, E_LINE + len(EDIT_LINE),
     "bottom of the calculator stack, just past the edit line"),
    ("STKEND", 0x401C, 2, E_LINE + len(EDIT_LINE),
     "top of the calculator stack: empty once SAVE has taken the name off it"),
    ("BERG", 0x401E, 1, 0x00,
     "calculator's b register"),
    ("MEM", 0x401F, 2, MEMBOT,
     "calculator memory in use: MEMBOT"),
    ("(unused)", 0x4021, 1, 0x00,
     "spare byte"),
    ("DF_SZ", 0x4022, 1, 2,
     "lines in the lower part of the screen: 2"),
    ("S_TOP", 0x4023, 2, 0x0000,
     "number of the top line of the automatic listing: from the start"),
    ("LAST_K", 0x4025, 2, 0xFFFF,
     "last keyboard scan: all ones is no key held"),
    ("DEBOUNCE", 0x4027, 1, 0xFF,
     "keyboard debounce status; rewritten by every keyboard scan"),
    ("MARGIN", 0x4028, 1, 55,
     "blank lines above and below the picture: 55 on a 50 Hz (PAL) machine"),
    ("NXTLIN", 0x4029, 2, D_FILE,
     "next line to run: D_FILE, see the note at NXTLIN_NOTE"),
    ("OLDPPC", 0x402B, 2, 0x0000,
     "line CONT goes to; the program has never run"),
    ("FLAGX", 0x402D, 1, 0x00,
     "interpreter flags; none set outside INPUT and LET"),
    ("STRLEN", 0x402E, 2, 0x0000,
     "length of a string being assigned; none"),
    ("T_ADDR", 0x4030, 2, 0x0000,
     "pointer into the ROM's syntax tables; scratch, set before every use"),
    ("SEED", 0x4032, 2, 0x0000,
     "seed of RND; RAND never ran, and RAM is zero after switch-on"),
    ("FRAMES", 0x4034, 2, 0xF448,
     "counts down once per displayed frame; a plausible reading, 3000 frames "
     "(a minute at 50 Hz) below 0x10000, bit 15 set as outside PAUSE"),
    ("COORDS", 0x4036, 2, 0x0000,
     "x then y of the last point plotted; none"),
    ("PR_CC", 0x4038, 1, 0xBC,
     "printer position, low byte of an address in PRBUFF; 0xBC as the machine "
     "leaves it with the buffer empty"),
    ("S_POSN", 0x4039, 2, 0x1821,
     "print position: column 33 (0x21) then line 24 (0x18), both counted "
     "down, i.e. the top left corner after CLS"),
    ("CDFLAG", 0x403B, 1, 0x40,
     "bit 6: SLOW mode is wanted; bit 7 (display now on) is clear as SAVE "
     "runs in FAST mode and puts SLOW back afterwards"),
    ("PRBUFF", PRBUFF, 33, bytes(32) + bytes([NEWLINE]),
     "printer buffer: 32 spaces and a NEWLINE"),
    ("MEMBOT", MEMBOT, 30, bytes(30),
     "calculator memory, six 5-byte numbers, zero as after switch-on"),
    ("(unused)", 0x407B, 2, 0x0000,
     "two spare bytes"),
]

# NXTLIN_NOTE: after LOAD the machine carries on from the line NXTLIN points
# at, because NXTLIN is loaded with everything else. A SAVE in a program line
# leaves it at the line after the SAVE, so such a program starts itself. This
# file was saved by a direct command instead; NXTLIN points at D_FILE, which
# is where it points after the last line of a program has run, and the 0x76
# there is no line number (line numbers are below 0x4000). So the machine
# stops after LOAD and leaves the program to be listed and run by hand. With
# NXTLIN at 0x407D the program would run at once and fill the screen with
# HELLO, WORLD until it stopped with report 5, which is no clean load.


def system_variables_bytes():
    out = bytearray()
    for name, address, size, value, _note in SYSTEM_VARIABLES:
        if SYSVARS_START + len(out) != address:
            raise AssertionError(f"{name} would sit at {SYSVARS_START + len(out):#06x}, not {address:#06x}")
        out += value if isinstance(value, bytes) else value.to_bytes(size, "little")
        if len(out) != address + size - SYSVARS_START:
            raise AssertionError(f"{name} is not {size} bytes")
    if SYSVARS_START + len(out) != PROGRAM_START:
        raise AssertionError("the system variables do not end at 0x407C")
    return bytes(out)


def build():
    image = system_variables_bytes() + PROGRAM + DISPLAY + VARIABLES
    if SYSVARS_START + len(image) != E_LINE:
        raise AssertionError("E_LINE does not follow the last byte")
    return image


# ---------------------------------------------------------------------------
# The check. Besides comparing the file with a fresh build, it reads the
# file's own bytes by the machine's rules: it walks the lines by their length
# fields, decodes them back to the listing, re-reads every number's value
# against its digits and follows the pointers, without reusing the code that
# built them. A fault in the building code thus shows up twice.

def field_at(offset):
    """The name of the system variable (or area) holding a file offset."""
    address = SYSVARS_START + offset
    for name, start, size, _value, _note in SYSTEM_VARIABLES:
        if start <= address < start + size:
            return name
    if address < D_FILE:
        return "program"
    return "display file" if address < VARS else "variables"


def word(image, address):
    offset = address - SYSVARS_START
    return image[offset] | image[offset + 1] << 8


def byte(image, address):
    return image[address - SYSVARS_START]


def decode_line_body(body):
    """The text LIST shows for a line body (without its NEWLINE), or raises
    ValueError for a byte this check does not know."""
    text = []
    i = 0
    while i < len(body):
        code = body[i]
        if code == NUMBER_MARK:
            digits = bytearray()
            j = i - 1
            while j >= 0 and (body[j] in DIGIT_CODES or body[j] == CHARACTER_CODES["."]):
                digits.insert(0, body[j])
                j -= 1
            if not digits:
                raise ValueError("a number's value without its digits")
            if i + 6 > len(body):
                raise ValueError("a number's value runs past the line")
            typed = fractions.Fraction("".join(CHARACTERS[d] for d in digits))
            stored = decode_float(body[i + 1:i + 6])
            if typed != stored:
                raise ValueError(f"digits {typed} but the stored value is {stored}")
            i += 6
        elif code in KEYWORDS:
            text.append(KEYWORDS[code] + " ")
            i += 1
        elif code in CHARACTERS:
            text.append(CHARACTERS[code])
            i += 1
        else:
            raise ValueError(f"unknown code {code:#04x}")
    return "".join(text).rstrip()


def parse_program(image, d_file):
    """Walks the lines from 0x407D; returns (listing, faults). The lines must
    end exactly at D_FILE."""
    listing, faults = [], []
    address, previous = PROGRAM_START, 0
    end = SYSVARS_START + len(image)
    while address < d_file:
        if address + 4 > d_file:
            faults.append(f"a line header at {address:#06x} runs past D_FILE")
            return listing, faults
        line_number = byte(image, address) << 8 | byte(image, address + 1)
        length = word(image, address + 2)
        body_start, line_end = address + 4, address + 4 + length
        if not 1 <= line_number <= 9999 or line_number <= previous:
            faults.append(f"line number {line_number} at {address:#06x} is out of range or order")
        if length < 1 or line_end > d_file or line_end > end:
            faults.append(f"line {line_number}: length {length} runs past D_FILE")
            return listing, faults
        body = image[body_start - SYSVARS_START:line_end - 1 - SYSVARS_START]
        if byte(image, line_end - 1) != NEWLINE:
            faults.append(f"line {line_number} does not end in NEWLINE")
        try:
            text = decode_line_body(body)
            listing.append(f"{line_number} {text}")
        except ValueError as error:
            faults.append(f"line {line_number}: {error}")
        previous, address = line_number, line_end
    if address != d_file:
        faults.append(f"the lines end at {address:#06x}, not at D_FILE {d_file:#06x}")
    return listing, faults


def check_layout(image):
    """All faults found in a P-file image; empty when it is sound."""
    faults = []
    if len(image) < PROGRAM_START - SYSVARS_START + len(DISPLAY) + 1:
        return [f"{len(image)} bytes is too short for a P-file"]
    end = SYSVARS_START + len(image)

    e_line = word(image, 0x4014)
    d_file = word(image, 0x400C)
    vars_ = word(image, 0x4010)
    if byte(image, 0x4009) != 0:
        faults.append("VERSN is not 0")
    if e_line != end:
        faults.append(f"E_LINE is {e_line:#06x}, but 0x4009 + length is {end:#06x}")
    if not PROGRAM_START <= d_file < vars_ < end:
        faults.append(f"D_FILE {d_file:#06x} and VARS {vars_:#06x} are out of order")
        return faults

    listing, line_faults = parse_program(image, d_file)
    faults += line_faults
    if listing != LISTING:
        faults.append(f"the program lists as {listing}, not {LISTING}")
    e_ppc = word(image, 0x400A)
    if e_ppc not in [int(line.split()[0]) for line in listing]:
        faults.append(f"E_PPC {e_ppc} is not a line of the program")

    # Display: a NEWLINE, then 24 empty lines each a lone NEWLINE, then VARS.
    display = image[d_file - SYSVARS_START:vars_ - SYSVARS_START]
    if display != DISPLAY:
        faults.append(f"the display file at D_FILE is not 25 NEWLINEs ending at VARS ({display.hex()})")
    if word(image, 0x400E) != d_file + 1:
        faults.append("DF_CC is not the start of the first display line (D_FILE + 1)")
    if word(image, 0x4039) != 0x1821:
        faults.append("S_POSN is not the top left corner of an empty screen")

    # Variables: none, so VARS points at the end marker, the file's last byte.
    if vars_ != end - 1 or byte(image, vars_) != VARS_END:
        faults.append(f"VARS {vars_:#06x} does not point at a final 0x80")

    # The ROM's work pointers sit beyond E_LINE, on a 1K machine's RAM.
    ch_add, x_ptr = word(image, 0x4016), word(image, 0x4018)
    stkbot, stkend = word(image, 0x401A), word(image, 0x401C)
    if not e_line <= ch_add < stkbot:
        faults.append("CH_ADD is not inside the edit line")
    if stkbot != stkend or stkend >= RAM_END_1K:
        faults.append("the calculator stack is not empty and inside 1K of RAM")
    if x_ptr != 0:
        faults.append("X_PTR marks a syntax error")
    if word(image, 0x401F) != MEMBOT:
        faults.append("MEM is not MEMBOT (0x405D)")
    if byte(image, 0x4022) != 2:
        faults.append("DF_SZ is not 2")
    if byte(image, PRBUFF + 32) != NEWLINE:
        faults.append("the printer buffer does not end in NEWLINE")
    if word(image, 0x4029) != d_file:
        faults.append("NXTLIN is not D_FILE, so the program would start itself")
    if byte(image, 0x403B) & 0x40 == 0:
        faults.append("CDFLAG does not ask for SLOW mode")
    return faults


def check(path):
    try:
        committed = pathlib.Path(path).read_bytes()
    except OSError as error:
        print(f"{path}: {error}", file=sys.stderr)
        return 1
    faults = []
    built = build()
    if committed != built:
        if len(committed) != len(built):
            faults.append(f"{len(committed)} bytes, but the generator makes {len(built)}")
        for offset, (a, b) in enumerate(zip(committed, built)):
            if a != b:
                faults.append(f"offset {offset} ({field_at(offset)}) is {a:#04x}, "
                              f"the generator makes {b:#04x}")
                break
    faults += check_layout(committed)
    for fault in faults:
        print(f"{path}: {fault}", file=sys.stderr)
    if faults:
        return 1
    print(f"{path}: {len(committed)} bytes, E_LINE {word(committed, 0x4014):#06x}, layout sound")
    return 0


def dump(image):
    """An annotated layout, the source of the tables in README.md."""
    for name, address, size, _value, _note in SYSTEM_VARIABLES:
        raw = image[address - SYSVARS_START:address - SYSVARS_START + size]
        shown = raw.hex(" ") if size <= 4 else f"{raw[:4].hex(' ')} ... {raw[-1]:02x}"
        print(f"{address - SYSVARS_START:4d}  {address:#06x}  {name:9s} {shown}")
    d_file, vars_ = word(image, 0x400C), word(image, 0x4010)
    address = PROGRAM_START
    while address < d_file:
        length = word(image, address + 2)
        raw = image[address - SYSVARS_START:address + 4 + length - SYSVARS_START]
        print(f"{address - SYSVARS_START:4d}  {address:#06x}  line      {raw.hex(' ')}")
        address += 4 + length
    print(f"{d_file - SYSVARS_START:4d}  {d_file:#06x}  display   {(vars_ - d_file)} x 76")
    print(f"{vars_ - SYSVARS_START:4d}  {vars_:#06x}  variables {image[vars_ - SYSVARS_START:].hex(' ')}")
    print(f"{len(image):4d}  {SYSVARS_START + len(image):#06x}  E_LINE    (not in the file)")


def main():
    parser = argparse.ArgumentParser(description="Write or check examples/hello.p.")
    parser.add_argument("output", nargs="?", default=str(pathlib.Path(__file__).with_name("hello.p")))
    mode = parser.add_mutually_exclusive_group()
    mode.add_argument("--check", metavar="FILE", help="compare FILE with the generator and check its layout")
    mode.add_argument("--dump", metavar="FILE", nargs="?", const="", help="print the layout of FILE")
    arguments = parser.parse_args()
    if arguments.check is not None:
        return check(arguments.check)
    if arguments.dump is not None:
        dump(pathlib.Path(arguments.dump).read_bytes() if arguments.dump else build())
        return 0
    pathlib.Path(arguments.output).write_bytes(build())
    return 0


if __name__ == "__main__":
    sys.exit(main())
