# Shared by scripts/demo, scripts/e2e-tests and scripts/lib/wine-run (the GUI tests): a private
# Wine prefix and a private X display.
# Source it; it defines functions only.

# wine_prefix DIR: use DIR (created on first use) as the Wine prefix, with no Mono/Gecko prompts and
# no debug chatter.
wine_prefix() {
    export WINEPREFIX="$1"
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    export WINEARCH=win64
    local stamp="$WINEPREFIX/.tesmara-settings-3"
    [ -f "$stamp" ] && return 0
    echo "wine: preparing prefix $WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || true
    # Debian's Wine does not pick up its own Marlett (the glyphs of the frame buttons) from its data
    # folder; the prefix's font folder is always read. Its Tahoma stays out: its bold face would
    # not fall back to the CJK font in the window captions.
    if [ -f /usr/share/wine/fonts/marlett.ttf ] && [ -d "$WINEPREFIX/drive_c/windows/Fonts" ]; then
        cp -f /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
    fi
    # Wine draws the window frames itself (a private display has no window manager), and the
    # dialog fonts fall back to a CJK font for the Chinese texts.
    local reg link
    reg=$(mktemp --suffix=.reg)
    link='hex(7):77,71,79,2d,6d,69,63,72,6f,68,65,69,2e,74,74,63,2c,57,65,6e,51,75,61,6e,59,69,20,4d,69,63,72,6f,20,48,65,69,00,00'
    {
        printf 'Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\n"Managed"="N"\n\n'
        printf '[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontLink\\SystemLink]\n'
        for face in "Tahoma" "MS Shell Dlg" "MS Shell Dlg 2" "Microsoft Sans Serif" "MS Sans Serif" \
            "Arial" "Liberation Sans" "DejaVu Sans"; do
            printf '"%s"=%s\n' "$face" "$link"
        done
    } >"$reg"
    wine regedit /S "$(winepath -w "$reg" 2>/dev/null)" >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
    rm -f "$reg"
    touch "$stamp"
}

# start_xvfb: starts a private Xvfb on a free display number and exports DISPLAY; XVFB_PID holds
# its process id. XVFB_SCREEN sets the screen (default 1280x1024x24).
start_xvfb() {
    local fifo display
    fifo=$(mktemp -u)
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 "${XVFB_SCREEN:-1280x1024x24}" -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
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
