#!/usr/bin/env bash
# Hostile sizes for interlocks-check: a configuration with one 20 MB logic of a small function
# (a few hundred different lines repeated), one whose 20 MB of lines are all different, and one
# with 64 logics whose diagrams outgrow the node table. Prints, for each, the wall time, the CPU
# time and the peak memory (/usr/bin/time -v) of the plain check and of --analyse, what the
# analysis said of the models, and then the figures against their goals: --analyse answers or
# says "не определено" within 1 s of CPU more than the plain check, in at most twice its memory.
#
#   [HOSTILE_DIR=folder] bench/hostile_sizes.sh [build/bin/interlocks-check] [megabytes]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
check=${1:-$root/build/bin/interlocks-check}
megabytes=${2:-20}
# HOSTILE_DIR: keep the generated configurations there (for a profiler) instead of a
# temporary folder.
if [ -n "${HOSTILE_DIR:-}" ]; then
    dir=$HOSTILE_DIR
    mkdir -p "$dir"
else
    dir=$(mktemp -d)
    trap 'rm -rf "$dir"' EXIT
fi

python3 - "$dir" "$megabytes" <<'PY'
import sys
dir, megabytes = sys.argv[1], int(sys.argv[2])
def head(out):
    out.write(b"@\r\nF=" + b"0" * 256 + b"\r\n#Server_Channel=0\r\n#Server_RTU=1\r\n")
    for k in range(8):
        out.write(b"#TS%d=%s\r\n" % (k, b"0" * 32))
# Block 1's ON logic: lines of M assignments about 100 characters long, then V1 from M1.
with open(dir + "/long.blk", "wb") as out:
    head(out)
    out.write(b"##1 - Q1\r\n#On->Off\r\nIF (S1)\r\nV1=AND(S14)\r\nEND\r\n#Off->On\r\nIF (~S1)\r\n")
    written, i = 0, 0
    while written < megabytes << 20:
        line = "M%d=AND(" % (i % 16 + 1)
        ts = i % 200 + 2
        while len(line) < 88:
            line += "S%d," % ts
            ts += 1
        line += "~S1)\r\n"
        written += len(line)
        out.write(line.encode())
        i += 1
    out.write(b"V1=AND(M1,S14)\r\nEND\r\n@\r\n")
# The same function, but no two lines alike: each line reads its own choice of TS.
import random
random.seed(24)
with open(dir + "/different.blk", "wb") as out:
    head(out)
    out.write(b"##1 - Q1\r\n#On->Off\r\nIF (S1)\r\nV1=AND(S14)\r\nEND\r\n#Off->On\r\nIF (~S1)\r\n")
    written, i = 0, 0
    while written < megabytes << 20:
        chosen = random.sample(range(2, 257), 17)
        line = "M%d=AND(%s,~S1)\r\n" % (i % 16 + 1, ",".join("S%d" % t for t in chosen))
        written += len(line)
        out.write(line.encode())
        i += 1
    out.write(b"V1=AND(M1,S14)\r\nEND\r\n@\r\n")
# ANDs of ORs that pair TS i with TS i + 90: no variable order keeps them small.
with open(dir + "/outgrowing.blk", "wb") as out:
    head(out)
    for n in range(1, 33):
        out.write(b"##%d - B%d\r\n" % (n, n))
        for side in ("#On->Off\r\nIF (S", "#Off->On\r\nIF (~S"):
            out.write(("%s%d)\r\n" % (side, 200 + n)).encode())
            for k in range(16):
                terms = []
                for j in range(0, 6, 2):
                    a = 1 + (k * 6 + j + n) % 90
                    terms += ["S%d" % a, "S%d" % (a + 90)]
                out.write(("M%d=OR(%s)\r\n" % (k + 1, ",".join(terms))).encode())
            out.write(("V%d=AND(%s)\r\nEND\r\n" % (n, ",".join("M%d" % k for k in range(1, 17)))).encode())
    out.write(b"@\r\n")
PY

run() {  # label, file, options...; sets cpu, kb and undetermined
    local label=$1 file=$2
    shift 2
    /usr/bin/time -v "$check" "$@" "$file" > "$dir/out" 2> "$dir/time" || true
    local wall cpu_user cpu_sys
    wall=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$dir/time")
    cpu_user=$(sed -n 's/.*User time (seconds): //p' "$dir/time")
    cpu_sys=$(sed -n 's/.*System time (seconds): //p' "$dir/time")
    kb=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$dir/time")
    cpu=$(echo "$cpu_user + $cpu_sys" | bc)
    # Models (their problem "undetermined") and answers ("не определено") not found in time.
    undetermined=$(grep -c -e 'undetermined' -e 'не определено' "$dir/out" || true)
    printf '%-16s %-10s wall %8s  cpu %5.2f s  peak %7d KB' "$label" "${*:-plain}" "$wall" "$cpu" "$kb"
    if [ $# -gt 0 ]; then
        printf '  undetermined: %d' "$undetermined"
    fi
    printf '\n'
}

echo "hostile sizes, load: $(cut -d' ' -f1-3 /proc/loadavg)"
summary=()
for name in long different outgrowing; do
    run "$name.blk" "$dir/$name.blk"
    plain_cpu=$cpu plain_kb=$kb
    run "$name.blk" "$dir/$name.blk" --analyse
    own=$(echo "$cpu - $plain_cpu" | bc)
    ratio=$(echo "scale=2; $kb / $plain_kb" | bc)
    extra=$(( (kb - plain_kb) / 1024 ))
    # Memory: at most twice the plain check, or at most the node table and its caches above it
    # (bounded whatever the input, and more than twice a configuration of a few megabytes).
    verdict=ok
    if [ "$(echo "$own > 1" | bc)" = 1 ]; then verdict=MISSED; fi
    if [ "$(echo "$ratio > 2" | bc)" = 1 ] && [ "$extra" -gt 16 ]; then verdict=MISSED; fi
    summary+=("$(printf '%-16s the analysis'"'"'s own CPU %5.2f s (goal <= 1 s), memory %4s x the plain check, +%d MB (goal <= 2 x, or <= +16 MB), %d undetermined: %s' \
        "$name.blk" "$own" "$ratio" "$extra" "$undetermined" "$verdict")")
done
printf '%s\n' "${summary[@]}"
echo "load at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
