#!/usr/bin/env bash
# Lays out the FAR Manager 1.x package from the win32 build:
#   <prefix>/Plugins/Velmora/{Velmora.dll, VelmoraEng.lng, VelmoraRus.lng, VelmoraEng.hlf, VelmoraRus.hlf}
# The Russian texts are converted to CP866 by the build. Usage: package-win32.sh [PREFIX] (out/far).
set -euo pipefail
cd "$(dirname "$0")/.."

prefix=${1:-out/far}
if [ ! -f build/win32/CMakeCache.txt ]; then
    cmake --preset win32 >/dev/null
fi
cmake --build --preset win32 -j2 --target Velmora velmora_package_texts >/dev/null
cmake --install build/win32 --prefix "$prefix" --component far_plugin --strip >/dev/null
find "$prefix/Plugins/Velmora" -type f | sort
