#!/bin/sh
# Checks the PE tables of the Windows build with objdump -p: the plug-in DLL exports exactly the
# three entry points under their plain (undecorated) names (or those VELMORA_EXPORTS lists, sorted,
# for the FAR 3 plug-in), and the DLL and the executables import nothing but system DLLs, so FAR
# loads the plug-in with no runtime DLL beside it.
# Usage: check-dll.sh OBJDUMP Velmora.dll [OTHER.exe...]
set -eu
objdump=$1
dll=$2
shift 2
status=0

exports=$("$objdump" -p "$dll" |
    awk '/^\[Ordinal\/Name Pointer\] Table/ { inside = 1; next }
         inside && /^[ \t]*\[ *[0-9]+\]/ { sub(/^[ \t]*\[ *[0-9]+\] */, ""); print; next }
         inside { inside = 0 }' | sort | tr '\n' ' ')
echo "exports of $(basename "$dll"): $exports"
expected="${VELMORA_EXPORTS:-GetPluginInfo OpenPlugin SetStartupInfo}"
if [ "$exports" != "$expected " ]; then
    echo "FAIL: expected exactly $expected" >&2
    status=1
fi

for binary in "$dll" "$@"; do
    imports=$("$objdump" -p "$binary" | sed -n 's/^[ \t]*DLL Name: *//p' | sort -u | tr '\n' ' ')
    echo "imports of $(basename "$binary"): $imports"
    for name in $imports; do
        case $(echo "$name" | tr 'A-Z' 'a-z') in
        kernel32.dll | advapi32.dll | user32.dll | shell32.dll | msvcrt.dll | api-ms-win-crt-*.dll) ;;
        *)
            echo "FAIL: $(basename "$binary") imports $name, which is no system DLL" >&2
            status=1
            ;;
        esac
    done
done
exit $status
