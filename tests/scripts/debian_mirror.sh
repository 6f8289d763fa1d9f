#!/usr/bin/env bash
# The mirror discovery of scripts/debian-mirror.bash against apt folders of either form, mixed
# with entries it must pass over, and with none at all.
set -uo pipefail
source "$(dirname "$0")/../../scripts/debian-mirror.bash"
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
failures=0

# $1 case name, $2 expected output ("" for none), then files as NAME CONTENT pairs.
check() {
    local name=$1 expected=$2 etc=$root/$1 got status
    shift 2
    mkdir -p "$etc/sources.list.d"
    while [ $# -gt 0 ]; do
        printf '%s\n' "$2" >"$etc/$1"
        shift 2
    done
    got=$(debian_mirror "$etc" bookworm 2>"$etc.err")
    status=$?
    if [ -z "$expected" ]; then
        if [ $status -eq 0 ] || ! grep -q "No Debian archive for bookworm" "$etc.err" ||
            ! grep -q "^Suites: bookworm" "$etc.err"; then
            echo "FAILED $name: status $status, output '$got', said: $(cat "$etc.err")"
            failures=$((failures + 1))
        fi
    elif [ $status -ne 0 ] || [ "$got" != "$expected" ]; then
        echo "FAILED $name: wanted '$expected', got '$got' (status $status)"
        failures=$((failures + 1))
    fi
}

third_party='deb [arch=amd64 signed-by=/k.gpg] https://other.example/apt cloud-sdk main'
check one-line http://ftp.de.debian.org/debian \
    sources.list "# deb cdrom:[Debian GNU/Linux 12 _Bookworm_]/ bookworm main
deb cdrom:[Debian GNU/Linux 12 _Bookworm_]/ bookworm main
deb http://security.debian.org/debian-security bookworm-security main
deb [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://ftp.de.debian.org/debian bookworm main contrib # ours
deb-src http://ftp.de.debian.org/debian bookworm main" \
    sources.list.d/other.list "$third_party"
check one-line-in-parts http://mirror.example/debian \
    sources.list.d/a.list "$third_party" \
    sources.list.d/b.list "deb-src http://mirror.example/debian bookworm non-free main"
check deb822 http://deb.example.org/debian \
    sources.list "# Moved to sources.list.d" \
    sources.list.d/debian.sources "Types: deb
URIs: http://deb.example.org/debian-security
Suites: bookworm-security
Components: main

# disabled for now
Types: deb
URIs: http://old.example/debian
Suites: bookworm
Components: main
Enabled: no

types: deb deb-src
uris: http://deb.example.org/debian
  http://second.example/debian
suites: bookworm bookworm-updates
components: contrib
  main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg"
check none "" \
    sources.list "# deb http://ftp.de.debian.org/debian bookworm main" \
    sources.list.d/other.list "$third_party" \
    sources.list.d/debian.sources.disabled "Types: deb
URIs: http://deb.example.org/debian
Suites: bookworm
Components: main" \
    sources.list.d/other.sources "Types: deb
URIs: http://deb.example.org/debian
Suites: bookworm-security
Components: main"
check empty-folder ""

[ $failures -eq 0 ] || exit 1
echo "PASSED: the mirror is found in either form, and none is said to be missing"
