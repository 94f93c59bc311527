#!/usr/bin/env bash
# The exact sort of the pair list on 5000 species-like taxa with distances
# rounded to 3 decimals, where runs of equal distances hold hundreds of pairs
# and the order of equal distances decides the clustering for F > 0:
#   tarvix -o REF -a 0.1 -s 0.001 -f 0.5 [-q] M   against   tarvix -l M
# run in rounds (-l, -o, -o -q, -l, ...) so that a busy machine slows all
# alike; prints the medians and the median of the round-by-round ratios.
# RUNS sets the rounds (default 5). Then the sort alone (bench/exact_sort.cpp):
# the exact heap sort of the same records against std::sort, with one thread
# and with two (the heap's build is shared out).
source "$(dirname "$0")/common.sh"
N="${N:-5000}"
M=$(matrix "$N" 3 1)
REF="${M%.dst}_ref.txt"
echo "== $N taxa, 3 decimals ($(du -h "$M" | cut -f1))"
python3 - "$TARVIX" "$M" "$REF" "${RUNS:-5}" <<'PY'
import statistics, subprocess, sys, time
tarvix, m, ref, runs = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])

def run(args):
    before = time.perf_counter()
    subprocess.run([tarvix] + args + [m], stdout=subprocess.DEVNULL, check=True)
    return time.perf_counter() - before

jobs = {'-o -f 0.5': ['-o', ref, '-a', '0.1', '-s', '0.001', '-f', '0.5'],
        '-o -f 0.5 -q': ['-o', ref, '-a', '0.1', '-s', '0.001', '-f', '0.5', '-q']}
read, times = [], {name: [] for name in jobs}
for _ in range(runs):
    read.append(run(['-l']))
    for name, args in jobs.items():
        times[name].append(run(args))
print('tarvix -l: %.2fs (median of %d)' % (statistics.median(read), runs))
for name, t in times.items():
    ratios = [o / r for o, r in zip(t, read)]
    print('tarvix %s: %.2fs; ratio to -l: median %.2f (%.2f .. %.2f)' %
          (name, statistics.median(t), statistics.median(ratios), min(ratios), max(ratios)))
PY
[ "$SCRATCH/exact_sort" -nt "$BENCH_DIR/exact_sort.cpp" ] && [ "$SCRATCH/exact_sort" -nt "$ROOT/src/phylo/heap_sort.hpp" ] ||
  g++ -O3 -std=c++20 -fopenmp -I"$ROOT/src" -o "$SCRATCH/exact_sort" "$BENCH_DIR/exact_sort.cpp"
for threads in 1 2; do
  echo -n "$threads thread(s): "
  OMP_NUM_THREADS=$threads "$SCRATCH/exact_sort" "$N" 3 "${RUNS:-5}"
done
