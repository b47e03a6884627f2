#!/usr/bin/env bash
# Builds the renamer and runs it on a demo directory made here: twelve photos with descriptions in
# English, Russian, Chinese and emoji become IMG_01.jpg .. IMG_12.jpg and keep their descriptions.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh --native
cmake --preset default >/dev/null
cmake --build --preset default -j2 --target velmora Velmora >/dev/null

demo=$(pwd)/build/demo
rm -rf "$demo"
mkdir -p "$demo/photos" "$demo/config"
names=()
: > "$demo/photos/Descript.ion"
texts=("Holiday photo number" "Отпуск в горах, снимок" "旅行の写真" "Море 🌊, кадр")
for i in $(seq 1 12); do
    name=$(printf 'DSC_%04d.jpg' $((i * 7)))
    printf 'photo %d\n' "$i" > "$demo/photos/$name"
    printf '%s %s %d\r\n' "$name" "${texts[$((i % 4))]}" "$i" >> "$demo/photos/Descript.ion"
    names+=("$name")
done

export XDG_CONFIG_HOME="$demo/config" XDG_STATE_HOME="$demo/state"
echo "Before:"
(cd "$demo/photos" && ls)
echo
echo "The plan (velmora -n):"
./build/default/velmora -C "$demo/photos" -n --yes --mask 'IMG_%#.%E' --start 1 --save-descriptions 1 "${names[@]}"
./build/default/velmora -C "$demo/photos" --yes \
    --mask 'IMG_%#.%E' --start 1 --save-descriptions 1 "${names[@]}"
echo
echo "After:"
(cd "$demo/photos" && ls)
echo
echo "Descript.ion (UTF-8 with a byte-order mark, as far2l reads it):"
sed '1s/^\xEF\xBB\xBF//' "$demo/photos/Descript.ion" | tr -d '\r'
echo
echo "Take it back with: XDG_STATE_HOME=$demo/state ./build/default/velmora -C $demo/photos --undo"
