#!/usr/bin/env bash
# Compressed input: `tarvix -l m.dst.gz` (decompressing on a thread of its
# own) against `zcat m.dst.gz | tarvix -l -` and against `tarvix -l` on the
# plain file, on the 5000-taxon matrix of bench/reading.sh compressed with
# gzip's default level. Paired runs in alternation (RUNS, default 5).
source "$(dirname "$0")/common.sh"
M=$(matrix 5000 8 1)
[ "$M.gz" -nt "$M" ] || gzip -c "$M" >"$M.gz"
RUNS="${RUNS:-5}"
cmp -s <("$TARVIX" -l "$M.gz") <("$TARVIX" -l "$M") || { echo "the compressed file lists other labels" >&2; exit 1; }
echo "matrix: $M.gz ($(du -h "$M.gz" | cut -f1), $(du -h "$M" | cut -f1) plain)"
echo -n "tarvix -l m.dst.gz (A) / zcat m.dst.gz | tarvix -l - (B):  "
python3 "$BENCH_DIR/paired.py" "$TARVIX -l $M.gz" "zcat $M.gz | $TARVIX -l -" "$RUNS"
echo -n "tarvix -l m.dst.gz (A) / tarvix -l m.dst (B):              "
python3 "$BENCH_DIR/paired.py" "$TARVIX -l $M.gz" "$TARVIX -l $M" "$RUNS"
