#!/usr/bin/env bash
# The jackknife spreads its replicates over the cores: times
# `tarvix -j REF -n 100 -a 0.1 -s 0.001 -f 0.5` on 2000 species-like taxa with
# one and with two threads, checks that both print the same report, and sets
# the time per replicate against one `-o` run (same settings) on a matrix of
# the size a replicate keeps, round(2000 x (1 - 1/e)) = 1264 taxa.
#
# DECIMALS (default 4) sets the digits of the generated distances; with 4,
# equal distances are common, as in real data.
source "$(dirname "$0")/common.sh"
DECIMALS="${DECIMALS:-4}"
SETTINGS=(-a 0.1 -s 0.001 -f 0.5)
M=$(matrix 2000 "$DECIMALS" 1)
K=$(matrix 1264 "$DECIMALS" 1)
JACKKNIFE=("$TARVIX" -j "${M%.dst}_ref.txt" -n 100 "${SETTINGS[@]}" "$M")

OMP_NUM_THREADS=1 "${JACKKNIFE[@]}" >"$SCRATCH/jackknife_1.out"
OMP_NUM_THREADS=2 "${JACKKNIFE[@]}" >"$SCRATCH/jackknife_2.out"
cmp -s "$SCRATCH/jackknife_1.out" "$SCRATCH/jackknife_2.out" || { echo "1 and 2 threads print different reports" >&2; exit 1; }

one=$(OMP_NUM_THREADS=1 seconds "${JACKKNIFE[@]}")
two=$(OMP_NUM_THREADS=2 seconds "${JACKKNIFE[@]}")
single=$(OMP_NUM_THREADS=1 seconds "$TARVIX" -o "${K%.dst}_ref.txt" "${SETTINGS[@]}" "$K")
echo "matrix: $M (2000 taxa, $DECIMALS decimals); reports of 1 and 2 threads identical"
echo "tarvix -j, 100 replicates, 1 thread:  ${one}s"
echo "tarvix -j, 100 replicates, 2 threads: ${two}s"
echo "tarvix -o on 1264 taxa, 1 thread:     ${single}s"
python3 -c "print('speed-up 2 threads / 1 thread: %.2f' % ($one / $two))"
# The speed-up again from RUNS (default 5) paired runs, 1 thread (A) against 2
# (B) in alternation: steadier on a machine that others use at times.
printf '%s' "paired, 1 thread (A) / 2 threads (B): "
COMMAND=$(printf '%q ' "${JACKKNIFE[@]}")
python3 "$BENCH_DIR/paired.py" "OMP_NUM_THREADS=1 $COMMAND" "OMP_NUM_THREADS=2 $COMMAND" "${RUNS:-5}"
python3 -c "print('time per replicate / one -o run: %.2f' % ($one / 100 / $single))"
