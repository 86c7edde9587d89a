#!/usr/bin/env bash
# The stream as a real audio tool reads it. SoX is told what the stream is
# (raw, unsigned 8-bit, mono, 22050 Hz) and writes a WAV file; soxi must count
# one sample per byte and the matching duration, and the WAV's data chunk
# must hold the stream's bytes unchanged. A stream that any tool took for a
# different format, or that lost or gained a byte, fails here.
#
# Usage: sox_check.sh ZX81SAVE
# Exit status 77 tells CTest that the check was skipped.
set -u
zx81save=$1

for tool in sox soxi; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "SKIPPED: $tool is not installed (apt-get install sox), so the stream was not checked with SoX"
        exit 77
    fi
done

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch" || exit 1

fail() {
    echo "$*"
    exit 1
}

# Unsigned little-endian integer of WIDTH bytes at OFFSET of a file.
number_at() {
    od -An -v -tu1 -j "$2" -N "$3" "$1" |
        awk '{ for (i = 1; i <= NF; ++i) bytes[n++] = $i }
             END { v = 0; for (i = n - 1; i >= 0; --i) v = v * 256 + bytes[i]; print v }'
}

text_at() {
    dd if="$1" bs=1 skip="$2" count="$3" status=none
}

# Bytes of every kind, 0x0A among them, with the default bits and extra
# samples; the lead-in and lead-out are cut to two blocks so that the file
# stays small but still has them. Under the name ZX the stream has an odd
# length (11399 samples), which a WAV must pad in its data chunk without
# counting the pad.
printf 'PROG\x00\x0a\x0d\x1a\x7f\x80\xff' >prog.p
"$zx81save" prog.p prog.raw i=2 o=2 -fZX || fail "zx81save ended with status $?"
samples=$(stat -c %s prog.raw)
[ $((samples % 2)) -eq 1 ] || fail "the stream has $samples samples; the check wants an odd count"

sox -t raw -r 22050 -e unsigned-integer -b 8 -c 1 prog.raw prog.wav || fail "sox could not read the stream"

counted=$(soxi -s prog.wav)
[ "$counted" = "$samples" ] || fail "soxi counts $counted samples, the stream has $samples bytes"

# soxi prints the duration in seconds to six places.
duration=$(soxi -D prog.wav)
awk -v d="$duration" -v n="$samples" 'BEGIN { e = d - n / 22050; exit !(e < 0.000001 && e > -0.000001) }' ||
    fail "soxi gives $duration s, $samples samples at 22050 Hz last $(awk -v n="$samples" 'BEGIN { printf "%.6f", n / 22050 }') s"

# The RIFF file: "RIFF", its size, "WAVE", then chunks of a four-letter id,
# a 32-bit size and the content, each padded to an even length.
[ "$(text_at prog.wav 0 4)" = RIFF ] && [ "$(text_at prog.wav 8 4)" = WAVE ] || fail "prog.wav is no RIFF WAVE file"
file_size=$(stat -c %s prog.wav)
offset=12
data_offset=""
while [ $((offset + 8)) -le "$file_size" ]; do
    id=$(text_at prog.wav "$offset" 4)
    size=$(number_at prog.wav $((offset + 4)) 4)
    content=$((offset + 8))
    case $id in
    "fmt ")
        # PCM (format 1), one channel, 22050 Hz, 8 bits a sample.
        format=$(number_at prog.wav "$content" 2)
        channels=$(number_at prog.wav $((content + 2)) 2)
        rate=$(number_at prog.wav $((content + 4)) 4)
        bits=$(number_at prog.wav $((content + 14)) 2)
        [ "$format $channels $rate $bits" = "1 1 22050 8" ] ||
            fail "the fmt chunk says format $format, $channels channels, $rate Hz, $bits bits"
        ;;
    data)
        data_offset=$content
        data_size=$size
        ;;
    esac
    offset=$((content + size + size % 2))
done
[ -n "$data_offset" ] || fail "prog.wav has no data chunk"
[ "$data_size" = "$samples" ] || fail "the data chunk holds $data_size bytes, the stream $samples"
tail -c +$((data_offset + 1)) prog.wav | head -c "$data_size" | cmp -s - prog.raw ||
    fail "the WAV's samples differ from the stream's bytes"

echo "SoX reads the stream of $samples samples as unsigned 8-bit mono 22050 Hz, sample for sample"
