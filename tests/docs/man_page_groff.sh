#!/usr/bin/env bash
# The manual page as groff reads it: not a single warning, at the strictest
# level (-ww), so that man shows every line as it was written.
#
# Usage: man_page_groff.sh PAGE
# Exit status 77 tells CTest that the check was skipped.
set -u
page=$1

if ! command -v groff >/dev/null 2>&1; then
    echo "SKIPPED: groff is not installed (apt-get install groff-base), so $page was not checked"
    exit 77
fi

if ! warnings=$(groff -man -ww -z "$page" 2>&1); then
    echo "groff failed on $page:"
    echo "$warnings"
    exit 1
fi
if [ -n "$warnings" ]; then
    echo "groff warns about $page:"
    echo "$warnings"
    exit 1
fi
echo "groff reads $page without a warning"
