# Sourced by the scripts. debian_mirror ETC SUITE prints the address of the first Debian archive
# that the apt sources under ETC (normally /etc/apt) name for SUITE's main component, in either
# form apt reads: one-line entries in ETC/sources.list and ETC/sources.list.d/*.list, and deb822
# stanzas in ETC/sources.list.d/*.sources. Where there is none it says so, and how to add one,
# on standard error and returns 1: a guessed address could fetch from a mirror nobody chose.
debian_mirror() {
    local etc=${1:?usage: debian_mirror ETC SUITE} suite=${2:?usage: debian_mirror ETC SUITE}
    local files=() file
    [ -f "$etc/sources.list" ] && files+=("$etc/sources.list")
    # apt reads these in the order of their names and ignores other endings.
    for file in "$etc"/sources.list.d/*; do
        case $file in *.list | *.sources) [ -f "$file" ] && files+=("$file") ;; esac
    done
    local mirror=
    if [ ${#files[@]} -gt 0 ]; then
        mirror=$(awk -v suite="$suite" '
            function consider(uris, suites, components,   u, s, c, i, j, k) {
                if (found != "") return
                nu = split(uris, u, " "); ns = split(suites, s, " "); nc = split(components, c, " ")
                for (j = 1; j <= ns; j++) if (s[j] == suite)
                    for (k = 1; k <= nc; k++) if (c[k] == "main")
                        for (i = 1; i <= nu; i++) if (u[i] !~ /^cdrom:/) { found = u[i]; return }
            }
            function endStanza() {
                if (enabled != "no" && types ~ /(^| )deb(-src)?( |$)/)
                    consider(uris, suites, components)
                types = uris = suites = components = field = ""; enabled = ""
            }
            FNR == 1 { if (deb822) endStanza(); deb822 = FILENAME ~ /\.sources$/ }
            /^[[:space:]]*#/ { next }
            !deb822 {
                line = $0
                sub(/#.*/, "", line)
                # Options in brackets may hold spaces: [arch=amd64 signed-by=...].
                gsub(/\[[^]]*\]/, "", line)
                n = split(line, w, " ")
                if (n >= 4 && (w[1] == "deb" || w[1] == "deb-src")) {
                    comps = ""
                    for (i = 4; i <= n; i++) comps = comps " " w[i]
                    consider(w[2], w[3], comps)
                }
                next
            }
            /^[[:space:]]*$/ { endStanza(); next }
            /^[[:space:]]/ { value = $0; sub(/^[[:space:]]+/, "", value); append(value); next }
            {
                field = tolower($0); sub(/:.*/, "", field)
                value = $0; sub(/^[^:]*:[[:space:]]*/, "", value)
                append(value)
            }
            function append(value) {
                if (field == "types") types = types " " value
                else if (field == "uris") uris = uris " " value
                else if (field == "suites") suites = suites " " value
                else if (field == "components") components = components " " value
                else if (field == "enabled") enabled = tolower(value)
            }
            END { if (deb822) endStanza(); print found }
        ' "${files[@]}")
    fi
    if [ -z "$mirror" ]; then
        cat >&2 <<EOF
No Debian archive for $suite is configured in $etc (sources.list, sources.list.d/*.list or
sources.list.d/*.sources), so there is no mirror to fetch Debian's sources from. Add one, for
example as $etc/sources.list.d/debian.sources holding these lines, with the address of the
Debian mirror you use (see https://www.debian.org/mirror/list):

Types: deb
URIs: <address of the mirror>
Suites: $suite
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
        return 1
    fi
    echo "$mirror"
}
