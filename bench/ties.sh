#!/usr/bin/env bash
# Equal distances in continuous data. 5000 taxa with 8 decimals whose species
# sizes have a long tail (bench/generate_matrix.cpp long-tail: most species
# of 1 to 10 strains, one in 80 of 50 to 90); the generator reports the pairs
# up to 0.1 and the runs of equal distances among them, a few hundred runs of
# 2 or 3 pairs, some inside big species where they share taxa.
#   tarvix -o REF -a 0.1 -s 0.001 -f F   for F = 0.5 and 1
# against `tarvix -l` on the same file, run in pairs (-l, -o, -l, -o, ...) so
# that a busy machine slows both alike; prints the medians, the median of the
# pair-by-pair ratios and the peak memory. RUNS sets the pairs (default 7).
source "$(dirname "$0")/common.sh"
N="${N:-5000}"
compile generate_matrix
M="$SCRATCH/long_tail_n${N}_d8_s1.dst"
[ -f "$M" ] || "$SCRATCH/generate_matrix" "$N" 8 1 "${M%.dst}" long-tail
REF="${M%.dst}_ref.txt"
echo "== $N taxa, 8 decimals, long-tailed species sizes ($(du -h "$M" | cut -f1))"
python3 - "$TARVIX" "$M" "$REF" "${RUNS:-7}" <<'PY'
import resource, statistics, subprocess, sys, time
tarvix, m, ref, runs = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])

def run(args):
    before = time.perf_counter()
    subprocess.run([tarvix] + args + [m], stdout=subprocess.DEVNULL, check=True)
    return time.perf_counter() - before

def peak(args):  # peak resident memory of one run, from a fresh child
    code = ('import resource, subprocess, sys\n'
            'subprocess.run(sys.argv[1:], stdout=subprocess.DEVNULL, check=True)\n'
            'print(resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)')
    out = subprocess.run([sys.executable, '-c', code, tarvix] + args + [m], capture_output=True, text=True, check=True)
    return int(out.stdout) / 1024

for f in ('0.5', '1'):
    args = ['-o', ref, '-a', '0.1', '-s', '0.001', '-f', f]
    read, opt = [], []
    for _ in range(runs):
        read.append(run(['-l']))
        opt.append(run(args))
    ratios = [o / r for o, r in zip(opt, read)]
    print('tarvix -o -f %s: %.2fs, tarvix -l: %.2fs (medians of %d pairs); ratio -o / -l: median %.2f (%.2f .. %.2f); '
          'peak %.0f MB' % (f, statistics.median(opt), statistics.median(read), runs, statistics.median(ratios),
                            min(ratios), max(ratios), peak(args)))
PY
