#!/usr/bin/env bash
# Holds the source tree to its layers (src/LAYERS): every #include "..." in src/ must name a file
# of its own folder or of a folder on a lower layer, and only platform/ and far/ may ask which
# system they are built for. Prints each breach as file:line with the rule, and fails.
set -euo pipefail
cd "$(dirname "$0")/.."

git ls-files -- 'src/*.cpp' 'src/*.hpp' 'src/*.inc' | sort | xargs awk '
BEGIN {
    while ((getline line < "src/LAYERS") > 0) {
        if (line ~ /^#/ || line ~ /^[ \t]*$/) continue
        ++level
        n = split(line, folders, /[ \t]+/)
        for (i = 1; i <= n; ++i) if (folders[i] != "") { layer[folders[i]] = level; names[level] = line }
    }
    bad = 0
}
function folderOf(path,    f) { f = path; sub(/\/[^\/]*$/, "", f); return f }
FNR == 1 {
    file = FILENAME
    from = folderOf(substr(file, 5))
    if (!(from in layer)) {
        printf "%s: folder %s/ is on no layer: add it to src/LAYERS, above every folder it includes\n", file, from
        bad = 1
    }
}
/^[ \t]*#[ \t]*include[ \t]*"/ {
    target = $0
    sub(/^[^"]*"/, "", target); sub(/".*$/, "", target)
    to = (index(target, "/") ? folderOf(target) : from)
    if (to == from || !(from in layer)) next
    if (!(to in layer)) {
        printf "%s:%d: includes \"%s\", whose folder %s/ is on no layer of src/LAYERS\n", file, FNR, target, to
        bad = 1
    } else if (layer[to] >= layer[from]) {
        printf "%s:%d: includes \"%s\": %s/ is %s %s/ in src/LAYERS.\n", file, FNR, target, to,
               (layer[to] == layer[from] ? "beside" : "above"), from
        printf "    A folder builds only on the folders below it. Move what both need down to a lower layer,\n"
        printf "    or have the lower folder declare a port (an interface) that the upper one implements.\n"
        bad = 1
    }
}
/^[ \t]*#[ \t]*(if|elif|ifdef|ifndef)/ && /_WIN32|_WIN64|__linux__|__APPLE__|__unix__|_MSC_VER|__MINGW/ {
    if (from !~ /^(platform|far)(\/|$)/) {
        printf "%s:%d: asks which system it is built for (%s).\n", file, FNR, $0
        printf "    Differences between systems live in platform/ (or in far/ for host records): declare one\n"
        printf "    task-level function there and implement it in platform/posix/ and platform/win32/.\n"
        bad = 1
    }
}
END {
    if (bad) exit 1
    print "layers: every include goes down (src/LAYERS)"
}'
