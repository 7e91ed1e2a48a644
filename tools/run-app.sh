#!/usr/bin/env bash
# Installs what is missing, builds tactimer.exe and runs it under Wine.
# With a display it opens there. Without one it runs on a private Xvfb in
# Wine's virtual desktop: once the start-up results show, it saves a
# screenshot of the window, closes the program, and prints the screenshot's
# path and the exit code.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target tactimer window_probe
exe=build/windows/app/tactimer.exe
probe=build/windows/tools/window_probe.exe

if [ -n "${DISPLAY:-}" ]; then
    export LANG=ja_JP.UTF-8
    status=0
    tools/wine-run.sh "$exe" || status=$?
    echo "exit code: $status"
    exit 0
fi

source tools/headless-wine.sh
trap headless_wine_stop EXIT
headless_wine_start
headless_wine_ready

tools/wine-run.sh "$exe" &
app=$!
read -r x y width height < <(tools/wine-run.sh "$probe" wait-results | tr -d '\r')
mkdir -p build/screenshots
shot=$PWD/build/screenshots/tactimer-$(date +%Y%m%d-%H%M%S).png
import -window root -crop "${width}x${height}+${x}+${y}" +repage "$shot"
tools/wine-run.sh "$probe" close
status=0
wait "$app" || status=$?
echo "screenshot: $shot"
echo "exit code: $status"
