# Sourced by the run and test scripts: a private Wine prefix on a private X
# display, inside a Wine virtual desktop that draws captions and menu bars as
# Windows does. Needs the packages that tools/install-deps.sh installs.
#
#   headless_wine_start   Xvfb and wineserver now, in a new temporary folder;
#                         the prefix is made in the background (seconds)
#   headless_wine_ready   waits for the prefix, gives it Windows' fonts and
#                         opens the desktop
#   headless_wine_stop    ends the wineserver, its programs and Xvfb, and
#                         removes the folder: trap it on EXIT

headless_wine_start() {
    local dir
    dir=$(mktemp -d)
    HEADLESS_WINE_DIR=$dir
    export WINEPREFIX=$dir/wineprefix
    # Wine links the prefix's user folders into HOME; keep them in the folder.
    export HOME=$dir/home
    export LANG=ja_JP.UTF-8
    mkdir -p "$WINEPREFIX" "$HOME"
    HEADLESS_WINE_LOG=$dir/wine.log

    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$dir/display" \
        >"$dir/xvfb.log" 2>&1 &
    HEADLESS_XVFB_PID=$!
    headless_wait_until "Xvfb did not start" test -s "$dir/display"
    export DISPLAY=:$(cat "$dir/display")

    # One wineserver for the whole run spares every program its start-up. It
    # and the services that wineboot starts must not inherit the caller's
    # output pipes (CTest would wait for them to close): they write to a log.
    WINEDEBUG=-all wineserver -p >"$HEADLESS_WINE_LOG" 2>&1 </dev/null
    tools/wine-run.sh wineboot -i >>"$HEADLESS_WINE_LOG" 2>&1 </dev/null &
    HEADLESS_WINEBOOT_PID=$!
}

headless_wine_ready() {
    wait "$HEADLESS_WINEBOOT_PID"
    headless_wine_fonts
    tools/wine-run.sh reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Tactimer /f \
        >>"$HEADLESS_WINE_LOG" 2>&1 </dev/null
    tools/wine-run.sh reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Tactimer /d 1024x768 /f \
        >>"$HEADLESS_WINE_LOG" 2>&1 </dev/null
    # Keeps the desktop open between programs: a desktop that is closing
    # makes the next program wait many seconds for a new one.
    tools/wine-run.sh explorer /desktop=Tactimer,1024x768 >>"$HEADLESS_WINE_LOG" 2>&1 </dev/null &
    # A program started before the desktop is up races it and waits as long.
    headless_wait_until "Wine's virtual desktop did not open" headless_desktop_is_open
}

# Fonts as on Japanese Windows. Wine 8 does not put its own Marlett and
# Tahoma into a new prefix, so caption buttons would draw as letters. The
# dialog font, "MS Shell Dlg", stands for "MS UI Gothic" under a Japanese
# locale; IPA Gothic, drawn to the metrics of the Japanese Windows Gothic
# faces, replaces it, so that dialogs keep their size in pixels.
headless_wine_fonts() {
    cp /usr/share/wine/fonts/marlett.ttf /usr/share/wine/fonts/tahoma*.ttf \
        "$WINEPREFIX/drive_c/windows/Fonts/"
    tools/wine-run.sh reg add 'HKCU\Software\Wine\Fonts\Replacements' \
        /v 'MS UI Gothic' /d IPAGothic /f >>"$HEADLESS_WINE_LOG" 2>&1 </dev/null
}

headless_desktop_is_open() {
    xwininfo -root -tree 2>/dev/null | grep -q '"Tactimer - Wine desktop"'
}

# Runs the command every 20 ms until it succeeds, for 120 s at most: on a
# machine that has just installed Wine, its first desktop has been seen to
# take more than 30 s.
headless_wait_until() {
    local failure=$1 tries=0
    shift
    until "$@"; do
        tries=$((tries + 1))
        if [ "$tries" -gt 6000 ]; then
            echo "$failure" >&2
            return 1
        fi
        sleep 0.02
    done
}

headless_wine_stop() {
    [ -n "${HEADLESS_WINE_DIR:-}" ] || return 0
    wineserver -k 2>/dev/null || true
    if [ -n "${HEADLESS_XVFB_PID:-}" ]; then
        kill "$HEADLESS_XVFB_PID" 2>/dev/null || true
        wait "$HEADLESS_XVFB_PID" 2>/dev/null || true
    fi
    rm -rf "$HEADLESS_WINE_DIR"
}
