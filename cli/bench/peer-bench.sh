#!/usr/bin/env bash
# Peer benchmark: glimvane-convert next to the tools a user could reach for,
# on the same generated Chinese text (UTF-8), each reading a file on its
# standard input and writing to /dev/null (OUTPUT=file: to a file):
#
#   glimvane-convert            the forward conversion
#   python3 str.translate       the same 714 pairs
#   sed y///                    the same 714 pairs, in a UTF-8 locale
#   opencc -c s2t.json          Debian's simplified-to-traditional converter
#                               (another conversion, the tool people know)
#   cat                         the floor: reading and writing alone
#
# The pairs for Python and sed come from the library's own table; on a 10 MB
# sample of the same text the outputs of glimvane-convert, Python and sed
# must be identical. Prints each throughput and its ratios to cat and to
# Python.
#
#   cli/bench/peer-bench.sh                 100 MB, fast tools best of 5
#   SIZE_MB=20 REPEAT=3 cli/bench/peer-bench.sh
#   OUTPUT=file cli/bench/peer-bench.sh     every tool writes a file
#   BUILD=build/other cli/bench/peer-bench.sh
set -euo pipefail
cd "$(dirname "$0")/../.."

size_mb=${SIZE_MB:-100}
repeat=${REPEAT:-5}
output=${OUTPUT:-null}
build=${BUILD:-build/native}
tool=$build/cli/glimvane-convert
data=$build/cli/glimvane_bench_data

if [ ! -x "$tool" ] || [ ! -x "$data" ]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$build" -j 2 --target glimvane-convert glimvane_bench_data >/dev/null
fi
for peer in python3 sed opencc cat; do
  command -v "$peer" >/dev/null || { echo "peer-bench: $peer is missing (scripts/install-deps.sh installs it)" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/glimvane-peer-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

bytes=$((size_mb * 1000 * 1000))
"$data" text "$bytes" >"$work/input.txt"
"$data" text 10000000 >"$work/sample.txt"
"$data" pairs >"$work/pairs.tsv"
bytes=$(stat -c %s "$work/input.txt")

# sed's y command takes the sources and the targets as two strings of equal
# length in characters.
python3 - "$work/pairs.tsv" "$work/table.sed" <<'EOF'
import sys
pairs = [line.rstrip("\n").split("\t") for line in open(sys.argv[1], encoding="utf-8")]
with open(sys.argv[2], "w", encoding="utf-8") as out:
    out.write("y/" + "".join(s for s, _ in pairs) + "/" + "".join(t for _, t in pairs) + "/\n")
EOF
cat >"$work/translate.py" <<'EOF'
import sys
table = {}
for line in open(sys.argv[1], encoding="utf-8"):
    source, target = line.rstrip("\n").split("\t")
    table[ord(source)] = ord(target)
text = sys.stdin.buffer.read().decode("utf-8", "surrogateescape")
sys.stdout.buffer.write(text.translate(table).encode("utf-8", "surrogateescape"))
EOF

# Runs a command `runs` times, stdin from the input, stdout to /dev/null or
# a file; prints the fastest wall time in seconds.
best_seconds() {
  local runs=$1 out=/dev/null
  [ "$output" = file ] && out=$work/$2
  shift 2
  local best="" start end elapsed
  for _ in $(seq "$runs"); do
    sync
    start=$(date +%s%N)
    "$@" <"$work/input.txt" >"$out"
    end=$(date +%s%N)
    elapsed=$((end - start))
    if [ -z "$best" ] || [ "$elapsed" -lt "$best" ]; then best=$elapsed; fi
  done
  awk -v ns="$best" 'BEGIN { printf "%.4f", ns / 1e9 }'
}

# Warm the page cache so that every tool reads from memory.
cat "$work/input.txt" >/dev/null

echo "input: $bytes bytes of generated Chinese text (UTF-8), output to $([ "$output" = file ] && echo files || echo /dev/null)"
echo "cat and glimvane-convert: best of $repeat runs; the others: one run"
echo "peers: $(python3 --version 2>&1), $(sed --version | head -n 1), opencc $(opencc --version 2>&1 | sed -n "s/^Version: //p")"
declare -A seconds
seconds[cat]=$(best_seconds "$repeat" cat.out cat)
seconds[glimvane-convert]=$(best_seconds "$repeat" glimvane.out "$tool")
seconds[python-translate]=$(best_seconds 1 python.out python3 "$work/translate.py" "$work/pairs.tsv")
seconds[sed-y]=$(best_seconds 1 sed.out env LC_ALL=C.UTF-8 sed -f "$work/table.sed")
seconds[opencc-s2t]=$(best_seconds 1 opencc.out opencc -c s2t.json)

# The same bytes from the three that convert the same pairs.
"$tool" <"$work/sample.txt" >"$work/glimvane.out"
python3 "$work/translate.py" "$work/pairs.tsv" <"$work/sample.txt" >"$work/python.out"
LC_ALL=C.UTF-8 sed -f "$work/table.sed" <"$work/sample.txt" >"$work/sed.out"
same="yes"
cmp -s "$work/glimvane.out" "$work/python.out" || same="NO: glimvane-convert and Python differ"
cmp -s "$work/glimvane.out" "$work/sed.out" || same="NO: glimvane-convert and sed differ"
cmp -s "$work/sample.txt" "$work/glimvane.out" && same="NO: glimvane-convert changed nothing"

echo
printf '%-18s %10s %12s %10s %12s\n' tool seconds "MB/s" "vs cat" "vs python"
for name in cat glimvane-convert python-translate sed-y opencc-s2t; do
  awk -v name="$name" -v s="${seconds[$name]}" -v bytes="$bytes" \
      -v cat="${seconds[cat]}" -v py="${seconds[python-translate]}" 'BEGIN {
    printf "%-18s %10.3f %12.1f %10.3f %11.1fx\n", name, s, bytes / s / 1e6, cat / s, py / s
  }'
done
echo
echo "same output from glimvane-convert, Python and sed (10 MB sample): $same"
awk -v s="${seconds[glimvane-convert]}" -v py="${seconds[python-translate]}" -v bytes="$bytes" 'BEGIN {
  rate = bytes / s / 1e9; ratio = py / s
  printf "glimvane-convert: %.2f GB/s (target 1), %.0f times Python (target 50): %s\n",
    rate, ratio, (rate >= 1 && ratio >= 50) ? "met" : "NOT met"
}'
[ "$same" = "yes" ]
