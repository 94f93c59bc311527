#!/usr/bin/env bash
# Reading is the floor of every run: times `tarvix -l` on a 5000 x 5000
# extended PHYLIP matrix (8 decimals, about 275 MB) against a minimal
# program that reads the file into memory and parses every number with
# std::from_chars on one core, and `tarvix -l` on two threads against
# itself on one. Each pair of commands runs in alternation (RUNS times,
# default 5); the ratios are medians of the run-by-run ratios.
source "$(dirname "$0")/common.sh"
compile parse_floor
M=$(matrix 5000 8 1)
RUNS="${RUNS:-5}"
echo "matrix: $M ($(du -h "$M" | cut -f1))"
echo -n "tarvix -l on 1 thread (A) / floor, read + from_chars (B):  "
python3 "$BENCH_DIR/paired.py" "OMP_NUM_THREADS=1 $TARVIX -l $M" "$SCRATCH/parse_floor $M" "$RUNS"
echo -n "tarvix -l on 2 threads (A) / floor (B):                      "
python3 "$BENCH_DIR/paired.py" "OMP_NUM_THREADS=2 $TARVIX -l $M" "$SCRATCH/parse_floor $M" "$RUNS"
echo -n "tarvix -l on 2 threads (A) / on 1 thread (B):                "
python3 "$BENCH_DIR/paired.py" "OMP_NUM_THREADS=2 $TARVIX -l $M" "OMP_NUM_THREADS=1 $TARVIX -l $M" "$RUNS"
