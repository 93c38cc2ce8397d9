# Shared by scripts/demo and scripts/gui-tests: a private Wine prefix and a private X display.
# Source it; it defines functions only.

# wine_prefix DIR: use DIR (created on first use) as the Wine prefix, with no Mono/Gecko prompts and
# no debug chatter.
wine_prefix() {
    export WINEPREFIX="$1"
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    export WINEARCH=win64
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "wine: creating prefix $WINEPREFIX"
        mkdir -p "$WINEPREFIX"
        wineboot -i >/dev/null 2>&1 || true
        # Wine draws the window frames itself: there is no window manager on a private display.
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f \
            >/dev/null 2>&1 || true
        wineserver -w >/dev/null 2>&1 || true
    fi
}

# start_xvfb: starts a private Xvfb on a free display number and exports DISPLAY; XVFB_PID holds
# its process id.
start_xvfb() {
    local fifo display
    fifo=$(mktemp -u)
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
    XVFB_PID=$!
    read -r -t 20 display <"$fifo" || true
    rm -f "$fifo"
    if [ -z "${display:-}" ]; then
        echo "Xvfb did not start" >&2
        return 1
    fi
    export DISPLAY=":$display"
}

stop_xvfb() {
    if [ -n "${XVFB_PID:-}" ]; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
        XVFB_PID=
    fi
}
