#!/usr/bin/env bash
# tarvix-matrix against its floor: converts an all-against-all fastANI pair
# list of N genomes (N^2 lines, generated here into $SCRATCH) and compares
# the time with a minimal program that reads the same bytes in large blocks
# and parses every number with std::from_chars. Also reports the peak memory
# against the size of the output matrix (N^2 doubles).
#   bench/matrix.sh [N]       N defaults to 10000 (100 million lines, 7 GB)
# tarvix-matrix works on OMP_NUM_THREADS threads (default: all processors).
source "$(dirname "$0")/common.sh"
N="${1:-10000}"
MATRIX="${MATRIX:-$ROOT/build/tarvix-matrix}"
[ -x "$MATRIX" ] || cmake --build "$ROOT/build" -j2 --target tarvix-matrix >/dev/null
compile generate_pairs
compile matrix_floor
PAIRS="$SCRATCH/fastani_${N}.tsv"
[ -f "$PAIRS" ] || "$SCRATCH/generate_pairs" "$N" 1 "$PAIRS"
cat "$PAIRS" > /dev/null  # the same page cache for both
floor=$(seconds "$SCRATCH/matrix_floor" "$PAIRS")
convert=$(seconds "$MATRIX" -o "$SCRATCH/fastani_${N}.dst" "$PAIRS")
# On a shared machine wall times drift: the processor time (user + system)
# of one run each is printed as well.
read -r matrix_cpu peak_kb < <( { /usr/bin/time -f '%U %S %M' "$MATRIX" -o /dev/null "$PAIRS" >/dev/null; } 2>&1 \
                               | tail -1 | awk '{print $1 + $2, $3}')
floor_cpu=$( { /usr/bin/time -f '%U %S' "$SCRATCH/matrix_floor" "$PAIRS" >/dev/null; } 2>&1 | tail -1 | awk '{print $1 + $2}')
echo "pair list: $PAIRS ($(du -h "$PAIRS" | cut -f1), $((N * N)) lines)"
echo "floor (read + from_chars): ${floor}s"
echo "tarvix-matrix:             ${convert}s"
python3 -c "print('ratio tarvix-matrix / floor: %.2f' % ($convert / $floor))"
python3 -c "print('processor time ratio: %.2f (%.2fs / %.2fs)' % ($matrix_cpu / $floor_cpu, $matrix_cpu, $floor_cpu))"
python3 -c "print('peak memory / matrix of doubles: %.2f' % ($peak_kb * 1024 / ($N * $N * 8)))"
# The output of one version against another's: it must not change.
echo "output checksum: $(md5sum < "$SCRATCH/fastani_${N}.dst" | cut -d' ' -f1)"
