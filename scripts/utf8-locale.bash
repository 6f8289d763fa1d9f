# Sourced by the scripts: one UTF-8 locale whatever the caller has set, or not (a container or
# a cron job has none). Under the C locale Wine cannot turn a name such as "Zeit-Ü時.XML" into
# a file name, and tools print differently. C.UTF-8 is part of every Debian.
export LC_ALL=C.UTF-8 LANG=C.UTF-8
unset LANGUAGE
