# Sourced by the scripts that run Windows programs: a private Wine prefix under build/, made
# once, quiet, and without the add-on installers a fresh prefix would otherwise offer. Nor does
# Wine copy Start-menu shortcuts into the desktop's menus outside the prefix.
velmora_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
velmora_shared_prefix=$velmora_root/build/wine-prefix
# VELMORA_WINE_DPI=144 gives a prefix of its own whose screen has that many dots per inch; the
# shared prefix stays at 96, which the other tests expect.
if [[ -n "${VELMORA_WINE_DPI:-}" ]]; then
    export WINEPREFIX=${VELMORA_WINEPREFIX:-$velmora_root/build/wine-prefix-dpi$VELMORA_WINE_DPI}
else
    export WINEPREFIX=${VELMORA_WINEPREFIX:-$velmora_shared_prefix}
fi
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEARCH=win64
# Wine reads Linux file names and arguments in the locale's character set, and the tests write
# theirs in UTF-8. To Wine this locale is a Western one: code page 1252, as on a Western Windows.
export LC_ALL=C.UTF-8

velmora_wine_prefix_ready() {
    mkdir -p "$(dirname "$WINEPREFIX")"
    # Several tests may start at once; only the first makes the prefix.
    (
        flock 9
        if [[ ! -f "$WINEPREFIX/.velmora-ready" && "$WINEPREFIX" != "$velmora_shared_prefix" &&
            -f "$velmora_shared_prefix/.velmora-ready" ]]; then
            # A copy of the shared prefix takes seconds where wineboot takes half a minute. Its
            # server saves the registry when it ends.
            WINEPREFIX=$velmora_shared_prefix wineserver --wait || true
            rm -rf "$WINEPREFIX"
            cp -a "$velmora_shared_prefix" "$WINEPREFIX"
        fi
        if [[ ! -f "$WINEPREFIX/.velmora-ready" ]]; then
            wineboot --init >/dev/null 2>&1 || true
            wineserver --wait || true
            touch "$WINEPREFIX/.velmora-ready"
        fi
        if [[ ! -f "$WINEPREFIX/.velmora-wine-fonts" && -d /usr/share/wine/fonts ]]; then
            # Debian's fonts-wine holds Wine's own fonts, the raster System font among them, but
            # a new prefix does not get them: without them every font, the window's default
            # included, falls back to a TrueType font that Windows would not show.
            mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
            cp -n /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
            wineserver --wait || true
            touch "$WINEPREFIX/.velmora-wine-fonts"
        fi
        if [[ ! -f "$WINEPREFIX/.velmora-unmanaged" ]]; then
            # Wine waits two seconds for a window manager to release every managed window it
            # closes, and Xvfb runs none: the in-process shell tests, which open and close
            # dozens of windows, and the repaint benchmark, which times the Open dialog's end,
            # get unmanaged ones. velmora.exe itself stays managed.
            for program in velmora_shell_tests.exe velmora_repaint_bench.exe; do
                wine reg add "HKCU\\Software\\Wine\\AppDefaults\\$program\\X11 Driver" \
                    /v Managed /d N /f >/dev/null 2>&1 || true
            done
            wineserver --wait || true
            touch "$WINEPREFIX/.velmora-unmanaged"
        fi
        if [[ -n "${VELMORA_WINE_DPI:-}" && ! -f "$WINEPREFIX/.velmora-dpi-$VELMORA_WINE_DPI" ]]; then
            wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD \
                /d "$VELMORA_WINE_DPI" /f >/dev/null 2>&1 || true
            wineserver --wait || true
            touch "$WINEPREFIX/.velmora-dpi-$VELMORA_WINE_DPI"
        fi
    ) 9>"$(dirname "$WINEPREFIX")/.wine-prefix.lock"
}
