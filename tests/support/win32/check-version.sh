#!/bin/sh
# Checks the version resource of a Windows module, decompiled by windres: the numeric file
# version and the FileVersion and ProductVersion texts are the project's version, ProductName is
# Velmora, LegalCopyright names the licence, and FileDescription is there.
# Usage: check-version.sh WINDRES MODULE VERSION (VERSION as major.minor.patch)
set -eu
windres=$1
module=$2
version=$3

rc=$("$windres" -i "$module" -O rc | tr -d '\r')
status=0
want() {
    if ! printf '%s\n' "$rc" | grep -qF -- "$1"; then
        echo "FAIL: $(basename "$module"): no $1 in its version resource" >&2
        status=1
    fi
}
numbers=$(echo "$version" | tr '.' ',' | sed 's/,/, /g')
want "FILEVERSION $numbers, 0"
want "VALUE \"FileVersion\", \"$version\""
want "VALUE \"ProductVersion\", \"$version\""
want 'VALUE "ProductName", "Velmora"'
want 'VALUE "FileDescription", "'
want 'VALUE "LegalCopyright", "Copyright (c) 2026 The Velmora developers. BSD 3-Clause License."'
[ $status -eq 0 ] && echo "$(basename "$module"): version resource $version"
exit $status
