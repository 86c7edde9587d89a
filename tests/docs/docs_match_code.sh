#!/usr/bin/env bash
# The manual page and the README against the code: the page carries the
# project's version, names every message the converter prints word for word
# under DIAGNOSTICS, and both give each setting the default that the settings
# record starts with. A message or a default changed in the code and not in
# the documents fails here.
#
# Usage: docs_match_code.sh SOURCE_DIR VERSION
set -u
source_dir=$1
version=$2
page=$source_dir/docs/zx81save.1
readme=$source_dir/README.md
messages=$source_dir/core/messages.h
settings=$source_dir/core/conversion_settings.h
faults=0

fault() {
    echo "$*"
    faults=$((faults + 1))
}

grep -q "^\.TH ZX81SAVE 1 .*\"zx81tape $version\"" "$page" ||
    fault "$page: the .TH line does not name zx81tape $version"

# The page as text: dashes, backslashes and font changes unescaped.
plain_page=$(sed -e 's/\\-/-/g' -e 's/\\e/\\/g' -e 's/\\f[BIRP]//g' "$page")
diagnostics=$(awk '/^\.SH / { inside = ($0 == ".SH DIAGNOSTICS") } inside' <<<"$plain_page")

trim() {
    local text=$1
    text=${text#"${text%%[! ]*}"}
    printf '%s' "${text%"${text##*[! ]}"}"
}

# Each message is a printf format with at most one placeholder; the text on
# either side of it must stand on one line of the DIAGNOSTICS section.
message_count=0
while IFS= read -r format; do
    message_count=$((message_count + 1))
    format=${format//\\n/}
    before=$(trim "${format%%%[sc]*}")
    after=""
    [[ $format == *%[sc]* ]] && after=$(trim "${format#*%[sc]}")
    lines=$(grep -F -- "$before" <<<"$diagnostics")
    if [ -z "$lines" ] || { [ -n "$after" ] && ! grep -qF -- "$after" <<<"$lines"; }; then
        fault "$page: DIAGNOSTICS lacks the message \"$format\""
    fi
done < <(sed -n 's/^inline constexpr char MESSAGE_[A-Z_]*\[\] = "\(.*\)";$/\1/p' "$messages")
[ "$message_count" -ge 8 ] || fault "$messages: only $message_count messages found; has its layout changed?"

# The option that sets each field of the settings record.
declare -A key_of=(
    [intro_blocks]=i [outro_blocks]=o [gap_before_one]=p
    [gap_before_zero]=q [extra_rate_one]=1 [extra_rate_zero]=0
)
default_count=0
while read -r field value; do
    key=${key_of[$field]:-}
    if [ -z "$key" ]; then
        fault "$settings: no option is known for the field $field"
        continue
    fi
    default_count=$((default_count + 1))
    documented=$(awk -v item=".BI $key= NN" '
        /^\.SH / { options = ($0 == ".SH OPTIONS") }
        options && $0 == item { inside = 1; next }
        inside && /^\.(TP|PP|SH)/ { exit }
        inside && match($0, /Default: -?[0-9]+/) { print substr($0, RSTART + 9, RLENGTH - 9); exit }
    ' "$page")
    [ "$documented" = "$value" ] ||
        fault "$page: $key=NN has the default '${documented}', the code $value"
    grep -qF -- "| \`$key=NN\` | $value |" "$readme" ||
        fault "$readme: the options table does not give $key=NN the default $value"
done < <(sed -n 's/^ *std::int32_t \([a-z_]*\) = \(-\{0,1\}[0-9]*\);.*/\1 \2/p' "$settings")
[ "$default_count" -eq 6 ] || fault "$settings: $default_count settings found, 6 expected"

if [ "$faults" -gt 0 ]; then
    echo "$faults difference(s) between the documents and the code"
    exit 1
fi
echo "the manual page and the README match the code: $message_count messages, $default_count defaults"
