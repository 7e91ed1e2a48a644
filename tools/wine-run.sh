#!/bin/sh
# Runs a Windows program under Wine quietly: no debug output, no Mono or Gecko
# prompts, no desktop entries, no crash dialog that would hang a test.
# The caller chooses the prefix; without one, a private prefix under the
# user's cache is made on first use.
: "${WINEPREFIX:=${XDG_CACHE_HOME:-$HOME/.cache}/tactimer/wineprefix}"
export WINEPREFIX
mkdir -p "$WINEPREFIX"
export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d;winedbg.exe=d"
exec wine "$@"
