#!/usr/bin/env bash
# Writes a program's manual page, compressed, from its own --help and --version output (help2man), so the
# page and the program cannot drift apart:   make-man-page.sh PROGRAM INCLUDE.h2m OUT.1.gz
# INCLUDE.h2m adds the NAME line and the sections the help text has no room for. The date is the one of
# SOURCE_DATE_EPOCH when it is set, and gzip stores no time stamp, so the same program gives the same bytes.
set -euo pipefail
program=$1 include=$2 out=$3
help2man --no-info --no-discard-stderr --include="$include" "$program" |
    # The help text's command list is a section of its own, not a part of the options.
    sed -e 's/^\.SS "Commands:"$/.SH COMMANDS/' -e 's/^\.SS "Arguments:"$/.SH ARGUMENTS/' |
    gzip -9n >"$out.tmp"
mv "$out.tmp" "$out"
