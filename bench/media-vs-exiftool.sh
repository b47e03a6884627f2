#!/usr/bin/env bash
# A folder off a phone or a camera renamed by the date taken, against exiftool's rename of the same
# files, in one sitting:
#   velmora   velmora -a -y -m '%{taken:YYYYMMDD_hhmmssfff}%{dup}.%E'
#   exiftool  exiftool -d %Y%m%d_%H%M%S%%-c.%%e '-FileName<CreateDate' DIR
# The files: JPEG (60%), HEIC (20%) and MP4 (20%, half of them with `moov` after `mdat`), each of a
# few MB. Real tools make one file of each kind (ffmpeg, heif-enc, exiftool); every file of the
# folder is a copy of one of them with its own date (and, for the JPEGs, bursts of three photos in
# one second told apart by SubSecTimeOriginal), its bulk a hole (sparse: little on disk).
# Each run gets a fresh folder of hard links (not timed). Warm: files in the page cache; cold: the
# cache dropped before each run (root only). hyperfine, RUNS runs each.
#   N=3000 RUNS=3 bench/media-vs-exiftool.sh
# Environment: BENCH_DIR (scratch directory; default /var/tmp/velmora-media-<checkout>),
# VELMORA_BUILD (a release build; default build/release, built here), TOOLS (default
# "velmora exiftool"), MAKE_ONLY (set: make the files, keep them, measure nothing).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

n=${N:-3000}
runs=${RUNS:-3}
tools=${TOOLS:-"velmora exiftool"}
bench=${BENCH_DIR:-/var/tmp/velmora-media-$(basename "$root")}
build=${VELMORA_BUILD:-$root/build/release}

need=()
command -v hyperfine >/dev/null || need+=(hyperfine)
command -v exiftool >/dev/null || need+=(libimage-exiftool-perl)
command -v ffmpeg >/dev/null || need+=(ffmpeg)
command -v heif-enc >/dev/null || need+=(libheif-examples)
if [ ${#need[@]} -gt 0 ]; then
    sudo=$([ "$(id -u)" -eq 0 ] || echo sudo)
    $sudo apt-get install -y "${need[@]}" >/dev/null
fi
if [ -z "${VELMORA_BUILD:-}" ]; then
    cmake --preset release >/dev/null
    cmake --build --preset release -j2 --target velmora Velmora >/dev/null
fi

rm -rf "$bench"
mkdir -p "$bench/seed" "$bench/media" "$bench/state"
seed=$bench/seed
# One of each kind, made by the tools a phone's files are checked against.
ffmpeg -loglevel error -f lavfi -i testsrc=size=640x480 -frames:v 1 "$seed/frame.png"
ffmpeg -loglevel error -i "$seed/frame.png" "$seed/seed.jpg"
heif-enc -q 50 -o "$seed/seed.heic" "$seed/frame.png" >/dev/null
exiftool -q -overwrite_original -DateTimeOriginal='2024:07:01 12:00:00' -SubSecTimeOriginal=000 \
    -CreateDate='2024:07:01 12:00:00' -Make=Apple -Model='iPhone 15' "$seed/seed.jpg" "$seed/seed.heic"
ffmpeg -loglevel error -f lavfi -i testsrc=size=320x240:rate=10 -t 1 -c:v mpeg4 \
    -metadata creation_time=2024-07-01T12:00:00Z -movflags +faststart "$seed/start.mp4"
ffmpeg -loglevel error -f lavfi -i testsrc=size=320x240:rate=10 -t 1 -c:v mpeg4 \
    -metadata creation_time=2024-07-01T12:00:00Z "$seed/end.mp4"

python3 - "$seed" "$bench/media" "$n" <<'EOF'
import os, struct, sys, datetime
seed, out, n = sys.argv[1], sys.argv[2], int(sys.argv[3])
MB = 1024 * 1024
base = datetime.datetime(2024, 7, 1, 12, 0, 0)
exif_date = b"2024:07:01 12:00:00"
mp4_epoch = datetime.datetime(1904, 1, 1)
mp4_base = struct.pack(">I", int((base - mp4_epoch).total_seconds()))

def read(name):
    with open(os.path.join(seed, name), "rb") as f:
        return f.read()

def write(name, head, hole, tail=b""):
    # The bulk as a hole: the tools read past it or not, as they would read image data.
    with open(os.path.join(out, name), "wb") as f:
        f.write(head)
        f.seek(hole, 1)
        f.write(tail)
        f.truncate()

def free_box(size):
    return struct.pack(">I", size) + b"free"

jpeg, heic, start, end = read("seed.jpg"), read("seed.heic"), read("start.mp4"), read("end.mp4")
moov = end.rfind(b"moov") - 4
for i in range(n):
    kind = i % 10
    size = (2 + i % 4) * MB
    if kind < 6:
        # Bursts: three photos a second, told apart by their milliseconds.
        when = base + datetime.timedelta(seconds=i // 3)
        sub = b"%03d" % (100 * (i % 3))
        data = jpeg.replace(exif_date, when.strftime("%Y:%m:%d %H:%M:%S").encode())
        data = data.replace(b"000\0", sub + b"\0", 1)
        write("IMG_%05d.JPG" % i, data, size - len(data))
    elif kind < 8:
        when = base + datetime.timedelta(seconds=i)
        data = heic.replace(exif_date, when.strftime("%Y:%m:%d %H:%M:%S").encode())
        hole = size - len(data)
        write("IMG_%05d.HEIC" % i, data + free_box(hole), hole - 8)
    else:
        when = base + datetime.timedelta(seconds=i)
        stamp = struct.pack(">I", int((when - mp4_epoch).total_seconds()))
        if kind == 8:
            data = start.replace(mp4_base, stamp)
            hole = size - len(data)
            write("VID_%05d.MP4" % i, data + free_box(hole), hole - 8)
        else:
            data = end.replace(mp4_base, stamp)
            hole = size - len(data)
            # moov after the bulk, as many cameras write it.
            write("VID_%05d.MP4" % i, data[:moov] + free_box(hole), hole - 8, data[moov:])
EOF
echo "$n files: $(du -sh --apparent-size "$bench/media" | cut -f1) apparent, $(du -sh "$bench/media" | cut -f1) on disk"
if [ -n "${MAKE_ONLY:-}" ]; then
    echo "the files are in $bench/media"
    exit 0
fi

export XDG_STATE_HOME=$bench/state
declare -A command=(
    [velmora]="$build/velmora -C $bench/work -a -y -m '%{taken:YYYYMMDD_hhmmssfff}%{dup}.%E'"
    [exiftool]="exiftool -q -d %Y%m%d_%H%M%S%%-c.%%e '-FileName<CreateDate' $bench/work"
)
fresh="rm -rf $bench/work && cp -al $bench/media $bench/work"
cold="$fresh && sync && echo 3 > /proc/sys/vm/drop_caches"
caches=(warm)
if [ "$(id -u)" -eq 0 ] && (echo 3 >/proc/sys/vm/drop_caches) 2>/dev/null; then
    caches+=(cold)
else
    echo "cold cache: not measured (dropping the page cache needs root)"
fi

# One check first: each tool names every file by its date.
for tool in $tools; do
    eval "$fresh"
    eval "${command[$tool]}" >/dev/null 2>&1 || true
    echo "$tool: $(ls "$bench/work" | grep -c '^2024070') of $n named by date, e.g. $(ls "$bench/work" | sort | sed -n 2p)"
done

for cache in "${caches[@]}"; do
    prepare=$fresh
    [ "$cache" = warm ] || prepare=$cold
    args=()
    for tool in $tools; do
        args+=(-n "$tool $cache" "${command[$tool]}")
    done
    hyperfine -i -w $([ "$cache" = warm ] && echo 1 || echo 0) -r "$runs" --prepare "$prepare" \
        --export-markdown "$bench/$cache.md" "${args[@]}" | grep -vE '^\s*$'
    cat "$bench/$cache.md"
done
rm -rf "$bench/work" "$bench/media"
