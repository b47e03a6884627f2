#!/usr/bin/env bash
# Builds the two packages with CPack and writes them to out/:
#   out/velmora_<version>_<arch>.deb         native Release build (preset release, build/release):
#                                            velmora, the far2l plug-in, man page, bash completion
#   out/Velmora-<version>-windows.zip        Windows builds: Plugins/Velmora/ for FAR 1.7x and
#                                            velmora/velmora.exe (preset win32, build/win32), and
#                                            far3-x86/Plugins/Velmora/ and far3-x64/Plugins/Velmora/
#                                            for 32- and 64-bit FAR 3 (presets far3-x86, far3-x64),
#                                            each folder with the licence as LICENSE.txt
# and runs lintian on the .deb (errors fail), then lists the paths of both.
# scripts/test-packages.sh installs and checks them.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh --package

# out/ holds the packages of this version only.
mkdir -p out
rm -f out/velmora_*.deb out/Velmora-*.zip

# Makes one package in its build directory and moves it to out/ under its expected name; further
# arguments go to cpack.
package() {
    local build=$1 generator=$2 name=$3
    shift 3
    rm -f "$build/$name" "out/$name"
    (cd "$build" && cpack -G "$generator" "$@" >/dev/null)
    mv "$build/$name" "out/$name"
    echo "out/$name"
}

cmake --preset release >/dev/null
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/release/CMakeCache.txt)
cmake --build --preset release -j2 >/dev/null
deb=velmora_${version}_$(dpkg --print-architecture).deb
package build/release DEB "$deb"
lintian --fail-on error --info "out/$deb"

for preset in far3-x86 far3-x64; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j2 --target Velmora >/dev/null
done
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j2 --target Velmora velmora velmora_package_texts >/dev/null
# One zip from three build trees: each gives its components (CPack's "build directory; project;
# component; directory" quadruples).
root=$(pwd)
projects="$root/build/win32;Velmora;far_plugin;/;$root/build/win32;Velmora;host;/"
for preset in far3-x86 far3-x64; do
    projects="$projects;$root/build/$preset;Velmora;far3_plugin;/"
done
zip=Velmora-${version}-windows.zip
package build/win32 ZIP "$zip" -D "CPACK_INSTALL_CMAKE_PROJECTS=$projects"

echo "made:"
for name in "$deb" "$zip"; do
    echo "  $(pwd)/out/$name"
done
