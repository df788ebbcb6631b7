#!/usr/bin/env bash
# Checks a manual page: groff and man render it without a warning, and
# lexgrog finds the name that man's index will list it under.
#   tests/check-manpage.sh PAGE
set -euo pipefail
page=$1
name=$(basename "$page")
name=${name%.*}

warnings=$(groff -ww -man -z "$page" 2>&1)
if [ -n "$warnings" ]; then
  echo "groff warns about $page:"
  echo "$warnings"
  exit 1
fi
warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
if [ -n "$warnings" ]; then
  echo "man warns about $page:"
  echo "$warnings"
  exit 1
fi
index=$(lexgrog "$page")
if [[ $index != *"\"$name - "* ]]; then
  echo "lexgrog does not find the name $name: $index"
  exit 1
fi
