#!/usr/bin/env bash
# Frame figures of the drawing at scale, side by side for several builds in
# one run, so that the noise of a shared machine falls on all of them alike:
#   bench/frames.sh FRAMES BINARY... 
# Makes the test worlds with kolvar-make-world (next to the first binary)
# under $TMPDIR, runs each binary with --frames FRAMES on the default world
# and on each test world under Xvfb, and prints one row per world and binary:
# first frame (s), mean, median and 95th-percentile frame time (ms), CPU per frame
# over all threads (ms), peak memory (MB). Run it from the repository root.
set -euo pipefail
frames=$1
shift
binaries=("$@")
bindir=$(dirname "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# name, cubes, models; "plain" is the 10k world's ground alone, the base of its ratio.
worlds=("plain 0 0" "cubes1k 1000 0" "cubes10k+cars100 10000 100" "cubes100k 100000 0")
# QUICK=1 leaves out the 100,000-cube world (the old drawing takes minutes on it).
[ -z "${QUICK:-}" ] || unset 'worlds[3]'
# WORLDS="plain dense100k" runs only the worlds named (default among them).

# dense100k: 100,000 cubes packed side to side in a field 360 wide and 400
# deep that starts 5 units in front of the viewer, two layers high (over the
# eye) in its first 150 rows: the first rows hide nearly all the rest.
dense() { # dir
    "$bindir/kolvar-make-world" "$1" 0 0 "$PWD/maps" 800 >/dev/null
    awk 'BEGIN { n = 0; side = 1.5; columns = 240; rows = 266
             for (layer = 0; layer < 2 && n < 100000; ++layer)
                 for (r = 0; r < rows && n < 100000; ++r)
                     for (c = 0; c < columns && n < 100000; ++c)
                         printf "    <object key=\"cube%d\" blueprintKey=\"cube\"><pos x=\"%g\" y=\"%g\" z=\"%g\"/></object>\n", n++, -180 + side * c, 0.5 + side * layer, 30 - side * r }' \
        >"$1/cubes.xml"
    # The generated map ends in its closing tags: the cubes go before them.
    { grep -v -e '</objects>' -e '</map>' "$1/maps/basicMap.xml"
      cat "$1/cubes.xml"
      printf '  </objects>\n</map>\n'; } >"$1/map.xml"
    mv "$1/map.xml" "$1/maps/basicMap.xml"
}
dense "$work/dense100k"
# objects16k and object1: one model of 16,000 objects and the same faces as
# one object, from the benchmark build's kolvar-bench-models.
models=()
if [ -x "$bindir/bench/kolvar-bench-models" ]; then
    "$bindir/bench/kolvar-bench-models" "$work"
    models=("objects16k 0 0" "object1 0 0")
fi
for w in "${worlds[@]}"; do
    set -- $w
    # The same 440-unit ground under the 10k world and its empty twin.
    ground=""
    [ "$1" = plain ] || [ "$1" = "cubes10k+cars100" ] && ground=440
    "$bindir/kolvar-make-world" "$work/$1" "$2" "$3" "$PWD/maps" $ground >/dev/null
done
row() { # name dir binary
    (cd "$2" && LIBGL_ALWAYS_SOFTWARE=1 xvfb-run -a -s "-screen 0 1600x900x24" \
        /usr/bin/time -f "rss %M" "$3" --frames "$frames" 2>&1) |
        awk -v w="$1" -v b="$3" '
            /Eerste beeld na/ { first = $4 }
            /Beeldtijd over/ { gsub(",", ""); mean = $6; median = $9; p95 = $13 }
            /CPU per beeld/ { cpu = $6 }
            /^rss/ { rss = $2 / 1024 }
            END { printf "%-22s %-45s %8s %8s %8s %8s %8s %8.0f\n", w, b, first, mean, median, p95, cpu, rss }'
}
printf "%-22s %-45s %8s %8s %8s %8s %8s %8s\n" world binary first_s mean_ms median p95 cpu_ms peak_MB
for w in default "${worlds[@]}" "dense100k 0 0" "${models[@]}"; do
    set -- $w
    [ -z "${WORLDS:-}" ] || [[ " $WORLDS " == *" $1 "* ]] || continue
    dir=$work/$1
    [ "$1" = default ] && dir=$PWD
    for bin in "${binaries[@]}"; do row "$1" "$dir" "$bin"; done
done
