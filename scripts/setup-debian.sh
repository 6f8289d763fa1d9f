#!/usr/bin/env bash
# Installs what building, running and testing need, from Debian 12's own packages.
set -euo pipefail

packages=(cmake ninja-build g++ qt6-base-dev qt6-serialport-dev libgtest-dev
          xvfb xauth trayer xdotool x11-apps x11-utils imagemagick python3
          desktop-file-utils libcap-dev libcap2-bin ccache chrony)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
echo "Installing: ${missing[*]}"
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
# chrony is there for the sharing test, which starts chronyd itself without any right over the
# clock; the tests never use a system chronyd. So the package's own service must not start (and
# take the clock) with the install: a policy that refuses every start (101) stands for the
# install's length, unless the system has a policy of its own.
policy=/usr/sbin/policy-rc.d
if [ ! -e "$policy" ]; then
    printf '#!/bin/sh\nexit 101\n' | "${sudo[@]}" tee "$policy" >/dev/null
    "${sudo[@]}" chmod 755 "$policy"
    trap '"${sudo[@]}" rm -f "$policy"' EXIT
fi
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null
