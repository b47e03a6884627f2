#!/usr/bin/env bash
# Checks the packages scripts/package.sh wrote to out/ as their users meet them:
#   .deb  exactly its files; installed, the copyright file names the licence, the installed velmora
#         renames a demo directory with the installed plug-in and no option, and the man page and
#         completion work; removed, nothing of it is left. Installing needs root (sudo when not root).
#   zip   exactly its layout, the LICENSE in every folder, the Russian texts in CP866, the DLL's
#         version resource, and the zip's velmora.exe loading the zip's Velmora.dll under Wine to
#         rename a directory; the FAR 3 plug-ins of both architectures with their exports, version
#         and UTF-8 texts.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/release/CMakeCache.txt)
deb=$root/out/velmora_${version}_$(dpkg --print-architecture).deb
zip=$root/out/Velmora-${version}-windows.zip
texts=$root/build/release  # the UTF-8 language and help files, version filled in
plug=/usr/lib/far2l/Plugins/Velmora/plug

work=$(mktemp -d)
installed=no
sudo=
[ "$(id -u)" -eq 0 ] || sudo=sudo
apt() { $sudo env DEBIAN_FRONTEND=noninteractive apt-get -qq -o DPkg::Lock::Timeout=600 "$@" >/dev/null; }
cleanup() {
    [ $installed = no ] || apt purge -y velmora || true
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
# Two lists of names, one a line, equal whatever their order; the difference is shown.
same_list() {
    diff -u <(sort <<<"$2") <(sort <<<"$3") >&2 || fail "$1"
}
# A directory of three photos named in three scripts, with their descriptions (CRLF, UTF-8).
make_photos() {
    mkdir -p "$1"
    printf 'photo 1' >"$1/DSC_0001.jpg"
    printf 'photo 2' >"$1/Горы.jpg"
    printf 'photo 3' >"$1/海边.jpg"
    printf 'DSC_0001.jpg Holiday, day one\r\nГоры.jpg Отпуск в горах\r\n海边.jpg 海边的日落 🌅\r\n' >"$1/Descript.ion"
}
# After `IMG_%#.%E` from 1: the files under their new names, and their descriptions with them.
check_renamed() {
    local dir=$1
    same_list "names after the rename in $dir" "$(printf '%s\n' Descript.ion IMG_1.jpg IMG_2.jpg IMG_3.jpg)" \
        "$(ls "$dir")"
    [ "$(cat "$dir/IMG_2.jpg")" = "photo 2" ] || fail "IMG_2.jpg does not hold Горы.jpg's bytes"
    for line in 'IMG_1.jpg Holiday, day one' 'IMG_2.jpg Отпуск в горах' 'IMG_3.jpg 海边的日落 🌅'; do
        grep -qF "$line" "$dir/Descript.ion" || fail "no line '$line' in $dir/Descript.ion"
    done
}

echo "==> $(basename "$deb"): files"
expected_deb="/usr/bin/velmora
$plug/Velmora.far-plug-mb
$plug/VelmoraEng.lng
$plug/VelmoraRus.lng
$plug/VelmoraEng.hlf
$plug/VelmoraRus.hlf
/usr/share/man/man1/velmora.1.gz
/usr/share/bash-completion/completions/velmora
/usr/share/doc/velmora/copyright
/usr/share/doc/velmora/changelog.gz"
same_list "files of the .deb" "$expected_deb" "$(dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sed 's|^\./|/|')"

echo "==> installing it"
if dpkg-query -W -f '${Status}' velmora 2>/dev/null | grep -q ' installed$'; then
    fail "velmora is installed on this machine already; this test installs and removes it"
fi
installed=yes
apt install -y "$deb"
[ "$(/usr/bin/velmora --version)" = "velmora $version" ] || fail "velmora --version is not velmora $version"
grep -qx 'License: BSD-3-Clause' /usr/share/doc/velmora/copyright || fail "the copyright file does not name BSD-3-Clause"
zcat /usr/share/man/man1/velmora.1.gz | grep -q '^\.TH VELMORA "1" .*"velmora '"$version"'"' ||
    fail "the man page does not name version $version"
# Both the page and --help come from one option table: every option of one is in the other.
for option in $(/usr/bin/velmora --help | grep -oE -- '--[a-z0-9-]+' | sort -u); do
    zcat /usr/share/man/man1/velmora.1.gz | grep -qF -- "${option//-/\\-}" || fail "the man page lacks $option"
done

echo "==> bash completion"
complete_words() {
    bash -c 'source /usr/share/bash-completion/bash_completion
             source /usr/share/bash-completion/completions/velmora
             COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
             _velmora velmora "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
             printf "%s\n" "${COMPREPLY[@]}"' completion "$@"
}
same_list "options after --save" "$(printf -- '--save-descriptions\n--save-preset\n')" "$(complete_words velmora --save)"
same_list "values of --without-zero" "$(printf '0\n1\n')" "$(complete_words velmora --without-zero '')"
make_photos "$work/complete"
mkdir "$work/complete/sub"
same_list "directories after -C" "$work/complete/sub" "$(complete_words velmora -C "$work/complete/s")"
# NAMEs are entries of the -C directory, not of the current one.
same_list "names in the -C directory" "DSC_0001.jpg" \
    "$(cd / && complete_words velmora -C "$work/complete" DSC)"

echo "==> the installed velmora renames a demo directory, with the installed plug-in and no option"
make_photos "$work/photos"
export XDG_CONFIG_HOME=$work/config XDG_STATE_HOME=$work/state
# The shell's own glob, in byte order: DSC_0001.jpg, Горы.jpg, 海边.jpg.
(cd "$work/photos" && LC_ALL=C /usr/bin/velmora -n -yd -m 'IMG_%#.%E' -s 1 *.jpg | grep -qF 'rename     Горы.jpg -> IMG_2.jpg') ||
    fail "the dry run does not show the plan"
(cd "$work/photos" && LC_ALL=C /usr/bin/velmora -yd -m 'IMG_%#.%E' -s 1 *.jpg)
check_renamed "$work/photos"
echo "==> and takes it back"
(cd "$work/photos" && /usr/bin/velmora -u >/dev/null)
same_list "names after the undo" "$(printf '%s\n' Descript.ion DSC_0001.jpg Горы.jpg 海边.jpg)" "$(ls "$work/photos")"
grep -qF 'Горы.jpg Отпуск в горах' "$work/photos/Descript.ion" || fail "the undo did not bring the descriptions back"
unset XDG_CONFIG_HOME XDG_STATE_HOME

echo "==> removing it"
apt purge -y velmora
installed=no
! dpkg-query -W velmora >/dev/null 2>&1 || fail "dpkg still knows velmora"
for path in $expected_deb /usr/lib/far2l/Plugins/Velmora /usr/share/doc/velmora; do
    [ ! -e "$path" ] || fail "$path is left after the package was removed"
done

echo "==> $(basename "$zip"): layout"
unzip -q "$zip" -d "$work/zip"
far=$work/zip/Plugins/Velmora
same_list "files of the zip" "Plugins/Velmora/Velmora.dll
Plugins/Velmora/VelmoraEng.lng
Plugins/Velmora/VelmoraRus.lng
Plugins/Velmora/VelmoraEng.hlf
Plugins/Velmora/VelmoraRus.hlf
Plugins/Velmora/Readme.txt
Plugins/Velmora/LICENSE.txt
velmora/velmora.exe
velmora/LICENSE.txt
$(for arch in x86 x64; do
    for file in Velmora.dll VelmoraEng.lng VelmoraRus.lng VelmoraEng.hlf VelmoraRus.hlf Readme.txt LICENSE.txt; do
        echo "far3-$arch/Plugins/Velmora/$file"
    done
done)" "$(cd "$work/zip" && find . -type f | sed 's|^\./||')"
for folder in Plugins/Velmora velmora far3-x86/Plugins/Velmora far3-x64/Plugins/Velmora; do
    cmp -s "$work/zip/$folder/LICENSE.txt" LICENSE || fail "$folder/LICENSE.txt is not the LICENSE"
done
for text in VelmoraEng.lng VelmoraEng.hlf; do
    cmp -s "$far/$text" "$texts/$text" || fail "$text differs from the built one"
done
for text in VelmoraRus.lng VelmoraRus.hlf; do
    iconv -f CP866 -t UTF-8 "$far/$text" | cmp -s - "$texts/$text" || fail "$text is not the built text in CP866"
done
grep -qF "Velmora $version:" "$far/VelmoraEng.hlf" || fail "the help title does not name version $version"
grep -q "Velmora $version" "$far/Readme.txt" || fail "the readme does not name version $version"
sh tests/support/win32/check-version.sh i686-w64-mingw32-windres "$far/Velmora.dll" "$version"

# The FAR 3 plug-ins: each of its architecture, with its four exports under their plain names,
# and the texts in UTF-8 after a mark, as FAR 3 reads them.
for arch in x86 x64; do
    far3=$work/zip/far3-$arch/Plugins/Velmora
    case $arch in
    x86) triple=i686-w64-mingw32 format=pei-i386 ;;
    x64) triple=x86_64-w64-mingw32 format=pei-x86-64 ;;
    esac
    "$triple-objdump" -f "$far3/Velmora.dll" | grep -q "file format $format" || fail "far3-$arch/Velmora.dll is no $format DLL"
    VELMORA_EXPORTS="GetGlobalInfoW GetPluginInfoW OpenW SetStartupInfoW" \
        sh tests/support/win32/check-dll.sh "$triple-objdump" "$far3/Velmora.dll"
    sh tests/support/win32/check-version.sh "$triple-windres" "$far3/Velmora.dll" "$version"
    for text in VelmoraEng.lng VelmoraRus.lng VelmoraEng.hlf VelmoraRus.hlf; do
        printf '\357\273\277' | cat - "$texts/$text" | cmp -s - "$far3/$text" ||
            fail "far3-$arch/$text is not the built text in UTF-8 with a mark"
    done
    grep -q "Velmora $version" "$far3/Readme.txt" || fail "far3-$arch's readme does not name version $version"
done

echo "==> the zip's velmora.exe loads the zip's Velmora.dll under Wine"
# Names Wine's ANSI and OEM pages hold alike: this checks loading, not encodings.
mkdir -p "$work/wine"
printf 'a' >"$work/wine/DSC_0001.jpg"
printf 'b' >"$work/wine/DSC_0002.jpg"
printf 'DSC_0001.jpg first\r\nDSC_0002.jpg second\r\n' >"$work/wine/Descript.ion"
export VELMORA_WINEPREFIX=$root/build/win32/wineprefix
key="Software\\VelmoraTest\\package-$$"
(cd "$work/wine" && sh "$root/cmake/wine-run.sh" "$work/zip/velmora/velmora.exe" --yes --mask 'IMG_%#.%E' \
    --start 1 --save-descriptions 1 --root-key "$key\\Plugins" DSC_0001.jpg DSC_0002.jpg) ||
    fail "velmora.exe from the zip failed"
sh cmake/wine-run.sh reg delete "HKCU\\$key" /f >/dev/null 2>&1 || true
same_list "names after the rename under Wine" "$(printf '%s\n' Descript.ion IMG_1.jpg IMG_2.jpg)" "$(ls "$work/wine")"
grep -qF 'IMG_2.jpg second' "$work/wine/Descript.ion" || fail "the description did not follow IMG_2.jpg"

echo "==> packages: all checks passed"
