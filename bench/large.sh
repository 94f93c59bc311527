#!/usr/bin/env bash
# Large matrices within this machine's memory. For N taxa (default 30000:
# 450 million pairs, 10 GB of text with 8 decimals) and for 8 and 3 decimals:
# generates a species-like matrix into a scratch file (bench/generate_matrix
# hashed: no matrix held while writing), then runs, under /usr/bin/time -v,
#   tarvix -l M                                     (the matrix alone)
#   tarvix -o REF -a 0.1 -s 0.001 -f F M            for F = 0, 0.5 and 1
# and prints wall time, peak resident memory, the peak against the matrix
# (8 n^2 bytes) and the bytes per pair beyond `tarvix -l`. On 3 decimals
# with F > 0 the runs of equal distances need the exact sort of all pairs.
# The scratch file is deleted afterwards. Needs about 11 GB of free disk in
# the scratch folder (SCRATCH) and 12 GB of memory.
#
# JACKKNIFE=1 also runs tarvix -j REF -n 20 -a 0.1 -s 0.001 -f 0.5 on 10000
# taxa with 8 decimals; DECIMALS_LIST="8 3" chooses the matrices.
source "$(dirname "$0")/common.sh"
N="${N:-30000}"
compile generate_matrix

free_kb=$(df -Pk "$SCRATCH" | awk 'NR == 2 { print $4 }')
need_kb=$((N * N * 12 / 1024 + 1048576))
[ "$free_kb" -gt "$need_kb" ] || { echo "need $((need_kb / 1048576)) GB free in $SCRATCH" >&2; exit 1; }

timed() {  # timed LABEL COMMAND...: one run under /usr/bin/time -v
  local label="$1"; shift
  /usr/bin/time -v "$@" >/dev/null 2>"$SCRATCH/time.txt" || { cat "$SCRATCH/time.txt" >&2; exit 1; }
  python3 - "$label" "$N" "$SCRATCH/time.txt" "${READ_KB:-0}" <<'PY'
import re, sys
label, n, path, read_kb = sys.argv[1], int(sys.argv[2]), sys.argv[3], int(sys.argv[4])
text = open(path).read()
wall = re.search(r'Elapsed \(wall clock\) time.*: (.*)', text).group(1)
seconds = sum(float(x) * 60 ** k for k, x in enumerate(reversed(wall.split(':'))))
peak_kb = int(re.search(r'Maximum resident set size \(kbytes\): (\d+)', text).group(1))
matrix = 8 * n * n
line = '%-28s %7.1fs  peak %5.2f GB = %.2f x the matrix' % (label, seconds, peak_kb * 1024 / 1e9, peak_kb * 1024 / matrix)
if read_kb:
    line += ', %.1f bytes per pair beyond -l' % ((peak_kb - read_kb) * 1024 / (n * (n - 1) / 2))
print(line)
print(peak_kb, file=open(path + '.peak', 'w'))
PY
}

LARGE=""
trap 'rm -f "$LARGE"' EXIT
for decimals in ${DECIMALS_LIST:-8 3}; do
  prefix="$SCRATCH/large_n${N}_d${decimals}"
  M="$prefix.dst"
  LARGE="$M"
  "$SCRATCH/generate_matrix" "$N" "$decimals" 1 "$prefix" hashed
  sync
  echo "== $N taxa, $decimals decimals ($(du -h "$M" | cut -f1) of text, matrix $((8 * N * N / 1000000)) MB)"
  READ_KB=0 timed "tarvix -l" "$TARVIX" -l "$M"
  READ_KB=$(cat "$SCRATCH/time.txt.peak")
  for f in 0 0.5 1; do
    READ_KB=$READ_KB timed "tarvix -o -f $f" "$TARVIX" -o "${prefix}_ref.txt" -a 0.1 -s 0.001 -f "$f" "$M"
  done
  rm -f "$M"
done

if [ "${JACKKNIFE:-0}" = 1 ]; then
  M=$(matrix 10000 8 1)
  echo "== 10000 taxa, 8 decimals"
  N=10000 READ_KB=0 timed "tarvix -j -n 20 -f 0.5" "$TARVIX" -j "${M%.dst}_ref.txt" -n 20 -a 0.1 -s 0.001 -f 0.5 "$M"
fi
