#!/bin/sh
# One round trip or refusal of zx81load, run for real on files in a
# temporary folder: zx81save writes the recording, sox (where a case needs
# it) changes it as a sound card, a cable or a tape would, and zx81load must
# give back the P-file byte for byte, or refuse with the right message.
#   round_trip.sh ZX81SAVE ZX81LOAD TEST_FILES CASE [ARGUMENTS]
# Exit status 0 passed, 1 failed, 77 skipped (sox is missing).
set -u
save=$1 load=$2 files=$3 case=$4
shift 4
SKIPPED=77
work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1

fail() { echo "FAILED: $*"; exit 1; }

need_sox() {
    command -v sox >/dev/null 2>&1 || { echo "SKIPPED: sox is not installed"; exit $SKIPPED; }
}

# make_program NAME SIZE [zx81save settings]: NAME.p and its recording NAME.raw
make_program() {
    name=$1 size=$2
    shift 2
    "$files" program "$size" "$size" "$name.p" || fail "test_files program $size"
    "$save" "$name.p" "$name.raw" "-f$name" "$@" >/dev/null || fail "zx81save $name.p"
}

# to_sound RAW OUT [OPTIONS] [: EFFECTS]: the recording through sox, with
# OPTIONS for the output file and EFFECTS after it
to_sound() {
    raw=$1 out=$2
    shift 2
    options=
    while [ $# -gt 0 ] && [ "$1" != : ]; do
        options="$options $1"
        shift
    done
    [ $# -gt 0 ] && shift
    # shellcheck disable=SC2086 # the options are words
    sox -V1 -t raw -r 22050 -e unsigned -b 8 -c 1 "$raw" $options "$out" "$@" || fail "sox $options $out $*"
}

# expect_load RECORDING NAME [zx81load options]: loads NAME.p back exactly
expect_load() {
    recording=$1 name=$2
    shift 2
    rm -f loaded.p
    "$load" "$@" "$recording" loaded.p >out.txt 2>err.txt
    status=$?
    [ $status -eq 0 ] || fail "status $status, stderr: $(cat err.txt)"
    [ ! -s err.txt ] || fail "stderr: $(cat err.txt)"
    size=$(wc -c <"$name.p" | tr -d ' ')
    [ "$(cat out.txt)" = "$name: $size bytes" ] || fail "stdout: $(cat out.txt)"
    cmp "$name.p" loaded.p || fail "loaded.p differs from $name.p"
}

# expect_refusal PATTERN RECORDING [zx81load options]: status 1, the one
# line on stderr matches the shell PATTERN, and no P-file is left behind
expect_refusal() {
    pattern=$1 recording=$2
    shift 2
    "$load" "$@" "$recording" loaded.p >out.txt 2>err.txt
    status=$?
    [ $status -eq 1 ] || fail "status $status, stderr: $(cat err.txt)"
    [ "$(wc -l <err.txt | tr -d ' ')" = 1 ] || fail "stderr is not one line: $(cat err.txt)"
    case $(cat err.txt) in
    $pattern) ;;
    *) fail "stderr: $(cat err.txt), wanted: $pattern" ;;
    esac
    [ ! -s out.txt ] || fail "stdout: $(cat out.txt)"
    [ "$(ls | grep -c -e '^loaded\.p')" = 0 ] || fail "a P-file was left: $(ls)"
}

# silence SAMPLES: raw silence (0x80) on standard output
silence() {
    head -c "$1" /dev/zero | tr '\000' '\200'
}

case $case in
plain) # zx81save's own stream, as it is
    make_program GAME "$1"
    expect_load GAME.raw GAME
    ;;
example) # the shipped example, its name taken from its file name
    cp "$1" HELLO.p || fail "copy $1"
    "$save" HELLO.p hello.raw >/dev/null || fail "zx81save HELLO.p"
    expect_load hello.raw HELLO --name HELLO
    ;;
sox) # the stream through sox: output options and effects follow
    need_sox
    make_program GAME 2000
    out=$1
    shift
    to_sound GAME.raw "$out" "$@"
    expect_load "$out" GAME
    ;;
noise) # white noise 20 dB below the pulses, over the whole recording
    need_sox
    make_program GAME 2000
    to_sound GAME.raw GAME.wav -b 16
    seconds=$(soxi -D GAME.wav)
    sox -V1 -n -r 22050 -b 16 noise.wav synth "$seconds" whitenoise vol 0.08 || fail "sox noise"
    sox -V1 -m -v 1 GAME.wav -v 1 noise.wav -b 16 noisy.wav || fail "sox mix"
    expect_load noisy.wav GAME
    ;;
gaps) # zx81save's gaps before 1 bits (p) and 0 bits (q)
    make_program GAME 2000 "p=$1" "q=$2"
    expect_load GAME.raw GAME
    ;;
gaps_refused) # gaps the machine cannot read: PATTERN P Q
    make_program GAME 2000 "p=$2" "q=$3"
    expect_refusal "$1" GAME.raw
    ;;
cut) # the recording ends inside the data
    make_program GAME 2000
    head -c 500000 GAME.raw >cut.raw
    expect_refusal "zx81load: cut.raw: the recording ends inside the program GAME at byte * of 2000" cut.raw
    ;;
pause) # a pause of 6.4 ms (141 samples) in the middle of the data
    make_program GAME 2000
    { head -c 500000 GAME.raw; silence 141; tail -c +500001 GAME.raw; } >pause.raw
    expect_refusal "zx81load: pause.raw: time-out inside the data of GAME at * seconds, at byte * of 2000" \
        pause.raw
    ;;
wrong_name) # LOAD "OTHER" on a recording of GAME
    make_program GAME 300
    expect_refusal "zx81load: GAME.raw: no program named OTHER on the recording" GAME.raw --name other
    ;;
nameless) # zx81save with an empty name writes no name: the machine takes
          # the first data bytes, up to VARS's low byte 0x96, as the name
    "$files" program 300 1 game.p || fail "test_files"
    mkdir dir && cp game.p dir/.p && "$save" dir/.p nameless.raw >/dev/null 2>&1
    "$load" --verify game.p nameless.raw >out.txt 2>err.txt
    status=$?
    [ $status -eq 1 ] || fail "status $status"
    [ "$(cat err.txt)" = "zx81load: nameless.raw: does not match game.p: the recording holds no name, so the machine took the first 8 bytes of the program as the name  [0A] [7D][40][7E][40]-" ] ||
        fail "stderr: $(cat err.txt)"
    ;;
several) # three programs, separated by silence and noise: listed, each loaded by name
    make_program ONE 300
    make_program TWO 13
    make_program THREE 2000 p=20 q=40
    "$files" noise 2 7 noise.raw || fail "test_files noise"
    cat noise.raw ONE.raw noise.raw TWO.raw noise.raw THREE.raw noise.raw >all.raw
    "$load" --list all.raw >list.txt 2>err.txt || fail "--list status $?: $(cat err.txt)"
    grep -c '^program [0-9]*:' list.txt | grep -qx 3 || fail "not three programs: $(cat list.txt)"
    n=1
    for name in ONE TWO THREE; do
        size=$(wc -c <"$name.p" | tr -d ' ')
        grep -qx "program $n: $name" list.txt || fail "no program $n: $name in $(cat list.txt)"
        grep -qx "  length    $size bytes, loads" list.txt || fail "no length $size in $(cat list.txt)"
        expect_load all.raw "$name" --name "$name"
        n=$((n + 1))
    done
    [ "$(grep -c '^  problems  none$' list.txt)" = 3 ] || fail "problems: $(cat list.txt)"
    ;;
errors) # the command line and the files: exact status and one-line messages
    make_program GAME 300
    # expect STATUS STDERR ARGUMENTS...: the run ends with STATUS and STDERR
    expect() {
        want_status=$1 want_error=$2
        shift 2
        "$load" "$@" >out.txt 2>err.txt
        status=$?
        [ $status -eq "$want_status" ] || fail "$*: status $status, stderr: $(cat err.txt)"
        [ "$(cat err.txt)" = "$want_error" ] || fail "$*: stderr: $(cat err.txt)"
    }
    expect 2 "zx81load: no RECORDING given (see zx81load --help)"
    expect 2 "zx81load: unknown option --fast (see zx81load --help)" --fast GAME.raw
    expect 2 "zx81load: option --name needs a value (see zx81load --help)" GAME.raw --name
    expect 2 "zx81load: option --rate: bad number 22k" --rate=22k GAME.raw
    expect 2 "zx81load: option --name: the ZX81 has no character ~ for a name" --name "A~" GAME.raw
    expect 2 "zx81load: too many arguments: c (see zx81load --help)" a b c
    expect 2 "zx81load: --list takes no OUTPUT.p, --verify or --name" --list GAME.raw x.p
    expect 2 "zx81load: --verify takes no OUTPUT.p" --verify GAME.p GAME.raw x.p
    expect 1 "zx81load: missing.wav: cannot read: No such file or directory" missing.wav
    expect 1 "zx81load: GAME.raw: there is no channel 2: the recording has 1" --channel 2 GAME.raw
    expect 1 "zx81load: no/such/dir.p: cannot write: No such file or directory" GAME.raw no/such/dir.p
    { cat GAME.p; printf 'x'; } >longer.p
    expect 1 "zx81load: GAME.raw: does not match longer.p: loaded 300 bytes, the file holds 301" \
        --verify longer.p GAME.raw
    { head -c 200 GAME.p; printf '\377'; tail -c +202 GAME.p; } >changed.p
    original=$(od -An -tx1 -j200 -N1 GAME.p | tr -d ' ' | tr 'a-f' 'A-F')
    expect 1 "zx81load: GAME.raw: does not match changed.p: byte 200 loaded as 0x$original, the file holds 0xFF" \
        --verify changed.p GAME.raw
    head -c 300000 /dev/zero | tr '\000' '\200' >silence.raw
    expect 1 "zx81load: silence.raw: no program found" silence.raw
    expect 0 "" --help
    grep -q '^Usage: zx81load \[options\] RECORDING \[OUTPUT.p\]$' out.txt || fail "--help: $(cat out.txt)"
    expect 0 "" --version
    grep -q '^zx81load [0-9]' out.txt || fail "--version: $(cat out.txt)"
    expect 0 "" -- GAME.raw
    [ "$(cat out.txt)" = "GAME: 300 bytes" ] || fail "check only: $(cat out.txt)"
    [ "$(ls | grep -c zx81load)" = 0 ] || fail "a temporary file was left: $(ls)"
    ;;
*)
    fail "unknown case $case"
    ;;
esac
echo "passed: $case $*"
