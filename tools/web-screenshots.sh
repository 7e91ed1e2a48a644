#!/usr/bin/env bash
# Takes the README's pictures of the page (docs/web-*.png) in Debian's
# Chromium: at desktop width, with a MIDI file of Debian's openttd-openmsx
# open, and on a 360-pixel phone.
# Usage: tools/web-screenshots.sh
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh
bash tools/install-web-tests.sh
bash tools/web.sh >/dev/null
node tests/web/screenshots.mjs "$PWD/dist/tactimer.html" \
    /usr/share/games/openttd/baseset/openmsx/midnight_snow_run.mid "$PWD/docs"
ls -l docs/web-*.png
