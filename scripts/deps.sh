#!/usr/bin/env bash
# Installs what a fresh Debian machine lacks for building and testing Velmora: the native build,
# the tests, the terminal UI, the Windows cross builds (mingw-w64 i686 and x86_64) with 32- and
# 64-bit Wine to run them in the ru_RU.UTF-8 locale (generated here), clang for the fuzzers,
# exiftool (the tests check the date-taken reader against it) and exiv2 (the benchmark's yardstick),
# and the packaging tools. Installs only what dpkg does not already report; quiet and idempotent.
# `deps.sh --native` installs only what the native build and the demo need; `deps.sh --package`
# what scripts/package.sh needs.
set -euo pipefail

export DEBIAN_FRONTEND=noninteractive

packages=(
    cmake ninja-build
    googletest libgtest-dev libbenchmark-dev
    libncurses-dev tmux
    g++-mingw-w64-i686 g++-mingw-w64-x86-64
    wine wine32:i386 wine64
    locales
    clang libclang-rt-14-dev
    libimage-exiftool-perl exiv2
    ffmpeg libheif-examples webp
)
# CPack's .deb: dpkg-shlibdeps (dpkg-dev) and file; the man page; checks of both packages.
packaging=(dpkg-dev file lintian unzip bash-completion)
packages+=("${packaging[@]}")
native=(cmake ninja-build googletest libgtest-dev libncurses-dev)
case "${1:-}" in
--native) packages=("${native[@]}") ;;
--package) packages=("${native[@]}" g++-mingw-w64-i686 g++-mingw-w64-x86-64 "${packaging[@]}") ;;
esac

if [ "$(id -u)" -ne 0 ]; then
    sudo=sudo
else
    sudo=
fi

# Wine takes its code pages from the Unix locale: the Windows tests run in ru_RU.UTF-8 (ANSI 1251,
# OEM 866), which must have been generated.
make_locale() {
    if printf '%s\n' "${packages[@]}" | grep -qx wine &&
        ! locale -a 2>/dev/null | grep -qiE '^ru_RU\.utf-?8$'; then
        echo "deps: generating the ru_RU.UTF-8 locale"
        $sudo localedef -i ru_RU -f UTF-8 ru_RU.UTF-8
    fi
}

missing=()
for package in "${packages[@]}"; do
    if ! dpkg -s "$package" >/dev/null 2>&1; then
        missing+=("$package")
    fi
done
if [ ${#missing[@]} -eq 0 ]; then
    make_locale
    echo "deps: everything is installed"
    exit 0
fi

# wine32 is an i386 package: the architecture must be known before the package lists are read.
if printf '%s\n' "${missing[@]}" | grep -q ':i386$' &&
    ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
fi

# Another installer (unattended upgrades on a fresh machine, a second build) may hold the package
# locks. apt waits for them (DPkg::Lock::Timeout) and says so in its output (-q keeps that line), which is watched
# here so that the wait is said at once and a long pause is not taken for a hang; an apt too old to
# wait fails with "Could not get lock", and is asked again until the same time is up.
lock_wait=${VELMORA_APT_LOCK_WAIT:-600}
apt_get() {
    local log deadline=$((SECONDS + lock_wait)) status
    log=$(mktemp)
    while :; do
        status=0
        $sudo apt-get -o DPkg::Lock::Timeout="$lock_wait" "$@" 2>&1 | {
            said=
            while IFS= read -r line; do
                printf '%s\n' "$line" >>"$log"
                case $line in
                *"Waiting for cache lock"* | *"Could not get lock"* | *"Unable to acquire the dpkg frontend lock"*)
                    if [ -z "$said" ]; then
                        echo "deps: waiting for the package lock (another installer is running; up to ${lock_wait}s)"
                        said=1
                    fi
                    ;;
                esac
            done
        } || status=$?
        if [ "$status" -eq 0 ]; then
            rm -f "$log"
            return 0
        fi
        if grep -qiE 'could not get lock|unable to acquire the dpkg frontend lock' "$log" &&
            [ $SECONDS -lt $deadline ]; then
            : >"$log"
            sleep 5
            continue
        fi
        cat "$log" >&2
        rm -f "$log"
        return 1
    done
}

echo "deps: installing ${missing[*]}"
apt_get update -q
apt_get install -y -q "${missing[@]}"
make_locale
echo "deps: done"
