#!/usr/bin/env bash
# The installed folder carries a valid desktop entry and icons of every size; the install script
# puts the entry in a user's menu and autostart folder, running the program by its full path,
# quoted where the folder's name needs it. No X server needed; HOME is a temporary folder.
set -uo pipefail
source "$(dirname "$0")/common.bash"

command -v desktop-file-validate >/dev/null ||
    skip "desktop-file-validate is not installed (Debian package desktop-file-utils)"
[ -x "$bin/quorvane" ] || skip "$bin/quorvane is not built"
work=$(mktemp -d)
folder="$work/GPS clock's folder"
cmake --install "$(dirname "$bin")" --prefix "$folder" >/dev/null || fail "cmake --install failed"

# Width and height from a PNG's header.
png_size() {
    local b
    read -ra b <<<"$(od -An -tu1 -j16 -N8 "$1")"
    echo "$(((b[2] << 8) + b[3]))x$(((b[6] << 8) + b[7]))"
}
check_icons() {  # hicolor folder
    local size
    for size in 16 24 32 48 64 128 256; do
        [ "$(png_size "$1/${size}x${size}/apps/quorvane.png")" = "${size}x${size}" ] ||
            fail "no ${size} px icon in $1"
    done
}

for file in quorvane quorvane.desktop install-desktop-entry.sh GPS_GREEN.ico; do
    [ -e "$folder/$file" ] || fail "the installed folder has no $file"
done
check_icons "$folder/icons/hicolor"
[ "$(stat -c %a "$folder/quorvane")" = 750 ] || fail "the program is not installed 0750"
desktop-file-validate "$folder/quorvane.desktop" || fail "the installed entry does not validate"

home=$work/home
env -u XDG_DATA_HOME -u XDG_CONFIG_HOME HOME="$home" \
    bash "$folder/install-desktop-entry.sh" --autostart || fail "the install script failed"
menu=$home/.local/share/applications/quorvane.desktop
auto=$home/.config/autostart/quorvane.desktop
for entry in "$menu" "$auto"; do
    desktop-file-validate "$entry" || fail "$entry does not validate"
done
grep -qxF "Exec=\"$folder/quorvane\"" "$menu" || fail "Exec is not the quoted full path: $(grep ^Exec "$menu")"
grep -qxF "TryExec=$folder/quorvane" "$menu" || fail "TryExec is not the full path: $(grep ^TryExec "$menu")"
cmp -s "$menu" "$auto" || fail "the autostart entry differs from the menu's"
check_icons "$home/.local/share/icons/hicolor"

# Without the option, from elsewhere, naming a plain folder: the menu only, no quotes needed.
# A copy everyone may run is made 0750 where the script's user owns it, else only warned about.
mv "$folder" "$work/plain"
other=$work/other
chmod 755 "$work/plain/quorvane"
(cd / && env -u XDG_DATA_HOME -u XDG_CONFIG_HOME HOME="$other" \
    bash "$work/plain/install-desktop-entry.sh" "$work/plain") >/dev/null ||
    fail "the install script failed for a folder given by name"
[ "$(stat -c %a "$work/plain/quorvane")" = 750 ] || fail "the script left its own copy 0755"
if [ "$(id -u)" -eq 0 ]; then
    chmod 755 "$work/plain/quorvane" && chown nobody "$work/plain/quorvane"
    HOME="$other" bash "$work/plain/install-desktop-entry.sh" "$work/plain" 2>&1 >/dev/null |
        grep -qF "chmod 750 '$work/plain/quorvane'" || fail "no warning about a copy all may run"
fi
grep -qxF "Exec=$work/plain/quorvane" "$other/.local/share/applications/quorvane.desktop" ||
    fail "Exec is not the plain full path"
[ ! -e "$other/.config/autostart" ] || fail "an autostart entry was made without --autostart"

# A folder that holds no installed program is refused, and nothing is written.
if HOME="$work/none" bash "$work/plain/install-desktop-entry.sh" "$work" 2>/dev/null; then
    fail "a folder without the program was accepted"
fi
[ ! -e "$work/none" ] || fail "a refused install wrote files"
echo "desktop entry: installed folder and both user entries validate, icons 16 to 256 px"
