#!/usr/bin/env bash
# Puts Quorvane in your application menu and, with --autostart, starts it with your session.
#   install-desktop-entry.sh [--autostart] [FOLDER]
# FOLDER is the installed program's folder (what `cmake --install build --prefix FOLDER` laid
# out); by default the folder this script lies in. The entry runs FOLDER/quorvane by its full
# path. Outside your home it changes one thing: a program that everyone may run is made
# executable by its owner and group only (chmod 750), since once given the right to set the
# clock it would hand that right to every user of the computer. To undo, delete the files it
# names.
set -euo pipefail

usage() {
    echo "usage: $0 [--autostart] [FOLDER]" >&2
    exit 2
}

autostart=false
folder=
for arg in "$@"; do
    case $arg in
        --autostart) autostart=true ;;
        -h | --help) usage ;;
        -*) usage ;;
        *) [ -z "$folder" ] || usage; folder=$arg ;;
    esac
done
[ -n "$folder" ] || folder=$(dirname "$0")
folder=$(cd "$folder" && pwd) || exit 1

program=$folder/quorvane
template=$folder/quorvane.desktop
icons=$folder/icons/hicolor
for needed in "$program" "$template" "$icons"; do
    [ -e "$needed" ] || {
        echo "$needed is missing: FOLDER must be an installed Quorvane folder" \
            "(cmake --install build --prefix FOLDER)" >&2
        exit 1
    }
done
if [ -n "$(find "$program" -maxdepth 0 -perm -o=x)" ]; then
    if [ -O "$program" ] && chmod 750 "$program"; then
        echo "made $program executable by its owner and group only (chmod 750)"
    else
        echo "warning: every user of this computer can run $program; with the right to set" \
            "the clock it would set it for them too. Make it executable by its owner and" \
            "group only: chmod 750 '$program'" >&2
    fi
fi
case $folder in
    *$'\n'* | *$'\t'* | *$'\r'*) echo "a folder whose name holds a line break or tab cannot go in a desktop entry" >&2; exit 1 ;;
esac

# The path as one argument of the entry's Exec line: quoted where it holds a character that
# would split or be read by the launcher, then written with the file's own escapes.
exec_word() {
    local word=${1//%/%%}
    if [[ $word =~ [[:space:]\"\'\\\<\>~\|\&\;\$\*\?\#\(\)\`] ]]; then
        word=${word//\\/\\\\}
        word=${word//\"/\\\"}
        word=${word//\`/\\\`}
        word=${word//\$/\\\$}
        word="\"$word\""
    fi
    printf '%s' "${word//\\/\\\\}"
}

data=${XDG_DATA_HOME:-$HOME/.local/share}
config=${XDG_CONFIG_HOME:-$HOME/.config}
entry=$(mktemp)
trap 'rm -f "$entry"' EXIT
exec_line="Exec=$(exec_word "$program")"
try_line="TryExec=${program//\\/\\\\}"
while IFS= read -r line || [ -n "$line" ]; do
    case $line in
        Exec=*) printf '%s\n' "$exec_line" ;;
        TryExec=*) printf '%s\n' "$try_line" ;;
        *) printf '%s\n' "$line" ;;
    esac
done <"$template" >"$entry"

for png in "$icons"/*/apps/quorvane.png; do
    size=$(basename "$(dirname "$(dirname "$png")")")
    install -D -m 644 "$png" "$data/icons/hicolor/$size/apps/quorvane.png"
done
install -D -m 644 "$entry" "$data/applications/quorvane.desktop"
echo "application menu: $data/applications/quorvane.desktop"
if $autostart; then
    install -D -m 644 "$entry" "$config/autostart/quorvane.desktop"
    echo "started with your session: $config/autostart/quorvane.desktop"
fi

# Menus notice new entries and icons sooner where these tools exist.
if command -v update-desktop-database >/dev/null; then
    update-desktop-database -q "$data/applications" 2>/dev/null || true
fi
if command -v gtk-update-icon-cache >/dev/null && [ -e "$data/icons/hicolor/index.theme" ]; then
    gtk-update-icon-cache -q -t "$data/icons/hicolor" 2>/dev/null || true
fi
