#!/usr/bin/env bash
# The Windows Installer package under Wine, in a prefix of its own: an earlier version installed
# first, then this one upgrades it in place; velmora.exe and the Start-menu shortcut are there,
# carry the version resource's version, and the installed program starts and quits with Ctrl+Q
# and 0; the uninstall leaves nothing behind. Nothing else is written.
#
#   installer_e2e.sh MSI WXS VELMORA_EXE
#
# WXS and VELMORA_EXE make the earlier version's package with wixl. Without a DISPLAY the script
# runs itself on a fresh Xvfb display.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
if [[ -z "${DISPLAY:-}" ]]; then
    exec "$root/scripts/with-xvfb.sh" "$0" "$@"
fi

msi=$(realpath "$1")
wxs=$(realpath "$2")
built_exe=$(realpath "$3")

export VELMORA_WINEPREFIX=$root/build/wine-prefix-installer
driver_dir=$(mktemp -d "${TMPDIR:-/tmp}/velmora-installer.XXXXXX")
driver_context=installer
source "$root/scripts/wine-env.sh"
# A run that failed half-way may have left the product installed: start again from a new prefix.
if [[ -d "$WINEPREFIX/drive_c/Program Files/Velmora" ]]; then
    wineserver --kill 2>/dev/null || true
    rm -rf "$WINEPREFIX"
fi
velmora_exe="$WINEPREFIX/drive_c/Program Files/Velmora/velmora.exe"
source "$root/scripts/viewer-driver.sh"
trap 'driver_end_viewer; timeout 15 wineserver --wait 2>/dev/null || true; rm -rf "$driver_dir"' EXIT

# Every file and folder of drive C: outside the system's own folder, which holds the Windows
# Installer's cache.
files_of_drive_c() {
    (cd "$WINEPREFIX/drive_c" && find . -path ./windows -prune -o -print | LC_ALL=C sort)
}

# Every value under Software of the machine's and the user's registry, one line each with its
# hive and key, without the times Wine keeps with the keys. Keys without values are left out:
# the Windows Installer keeps the empty folders of its records. So are the code pages Wine's
# font code notes for the last program that started it: velmora.exe asks for UTF-8, msiexec
# runs in the system's.
registry() {
    wineserver --wait
    local hive
    for hive in system user; do
        awk -v hive="$hive" '/^\[/ { key = $0; sub(/\] [0-9]+$/, "]", key); next }
            /^(#|$)/ { next }
            key == "[Software\\\\Wine\\\\Fonts]" && /^"Codepages"=/ { next }
            key ~ /^\[Software\\\\/ { print hive, key, $0 }' "$WINEPREFIX/$hive.reg"
    done | LC_ALL=C sort
}

# "DisplayName DisplayVersion" of every product in the uninstall list.
installed_products() {
    wineserver --wait
    awk '/^\[/ { listed = $0 ~ /^\[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\/ }
         listed && /^"DisplayName"=/ { gsub(/^"DisplayName"="|"$/, ""); name = $0 }
         listed && /^"DisplayVersion"=/ { gsub(/^"DisplayVersion"="|"$/, ""); print name, $0 }' \
        "$WINEPREFIX/system.reg"
}

msiexec() {
    local code=0
    wine msiexec "$@" /qn || code=$?
    ((code == 0)) || driver_fail "msiexec $* ended with $code"
}

files_of_drive_c >"$driver_dir/files-before"
registry >"$driver_dir/registry-before"

version=$(msiinfo export "$msi" Property | tr -d '\r' |
    awk -F '\t' '$1 == "ProductVersion" { print $2 }')
(cd "$(dirname "$built_exe")" && wixl --arch x64 --define Version=0.0.1 \
    --define VelmoraExe="$(basename "$built_exe")" --output "$driver_dir/earlier.msi" "$wxs")
msiexec /i "$(windows_path "$driver_dir/earlier.msi")"
[[ -f "$velmora_exe" ]] || driver_fail "the earlier version did not install velmora.exe"
msiexec /i "$(windows_path "$msi")"
[[ "$(installed_products)" == "Velmora for Windows $version" ]] ||
    driver_fail "after the upgrade the installed products are: $(installed_products)"

# The program and the shortcut, and no other file.
shortcut_name="Microsoft/Windows/Start Menu/Programs/Velmora for Windows.lnk"
shortcut=$(cd "$WINEPREFIX/drive_c" && ls -d ProgramData/"$shortcut_name" \
    users/*/AppData/Roaming/"$shortcut_name" 2>/dev/null | head -n 1 || true)
[[ -n "$shortcut" ]] || driver_fail "no Start-menu shortcut \"Velmora for Windows\""
files_of_drive_c >"$driver_dir/files-installed"
LC_ALL=C comm -13 "$driver_dir/files-before" "$driver_dir/files-installed" >"$driver_dir/added"
printf '%s\n' "./Program Files/Velmora" "./Program Files/Velmora/velmora.exe" "./$shortcut" |
    LC_ALL=C sort >"$driver_dir/expected-added"
diff "$driver_dir/expected-added" "$driver_dir/added" >&2 ||
    driver_fail "the installed files are not velmora.exe and its shortcut alone"
# The Windows Installer's records of the product are all it adds to the registry: no file
# associations, no settings.
installer_records='\[Software\\\\(Classes\\\\Installer|Microsoft\\\\Windows\\\\CurrentVersion\\\\(Installer|Uninstall))\\\\'
registry >"$driver_dir/registry-installed"
LC_ALL=C comm -13 "$driver_dir/registry-before" "$driver_dir/registry-installed" |
    grep -vE "^(system|user) $installer_records" >"$driver_dir/registry-added" || true
[[ ! -s "$driver_dir/registry-added" ]] ||
    driver_fail "the installation wrote to the registry: $(head -n 3 "$driver_dir/registry-added")"
strings -a "$WINEPREFIX/drive_c/$shortcut" | grep -xF 'C:\Program Files\Velmora\velmora.exe' >/dev/null ||
    driver_fail "the shortcut does not lead to C:\\Program Files\\Velmora\\velmora.exe"
resource_version=$(strings -el "$velmora_exe" | grep -A 1 -x FileVersion | tail -n 1)
[[ "$resource_version" == "$version" ]] ||
    driver_fail "the package's version $version is not the program's $resource_version"

start_viewer "$driver_dir"
press_on_main_window ctrl+q
expect_exit_code 0

msiexec /x "$(windows_path "$msi")"
[[ -z "$(installed_products)" ]] || driver_fail "still installed: $(installed_products)"
files_of_drive_c >"$driver_dir/files-after"
diff "$driver_dir/files-before" "$driver_dir/files-after" >&2 ||
    driver_fail "the uninstall left files behind or removed others"
registry >"$driver_dir/registry-after"
diff "$driver_dir/registry-before" "$driver_dir/registry-after" >&2 ||
    driver_fail "the registry is not as it was before the installation"
echo "PASS (installer: version $version)"
