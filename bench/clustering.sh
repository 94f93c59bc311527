#!/usr/bin/env bash
# The clustering series and its memory:
#  - the default run clusters at one threshold, so `tarvix -i 0.1 -f F` minus
#    `tarvix -l` is the cost of one series pass over all pairs up to 0.1;
#  - peak memory of `tarvix -o` on 10000 taxa against the matrix itself
#    (8 n^2 bytes).
source "$(dirname "$0")/common.sh"
for decimals in 8 3; do
  M=$(matrix 5000 "$decimals" 1)
  read_time=$(seconds "$TARVIX" -l "$M")
  echo "== 5000 taxa, $decimals decimals: tarvix -l ${read_time}s"
  for f in 0 0.5 1; do
    t=$(seconds "$TARVIX" -i 0.1 -f "$f" "$M")
    python3 -c "print('tarvix -i 0.1 -f $f: ${t}s  clustering / reading: %.2f' % (($t - $read_time) / $read_time))"
  done
  t=$(seconds "$TARVIX" -i 0.1 -f 0.5 -q "$M")
  python3 -c "print('tarvix -i 0.1 -f 0.5 -q: ${t}s  clustering / reading: %.2f' % (($t - $read_time) / $read_time))"
done
M=$(matrix 10000 8 1)
python3 - "$TARVIX" "${M%.dst}_ref.txt" "$M" <<'PY'
import resource, subprocess, sys
tarvix, ref, m = sys.argv[1:]
subprocess.run([tarvix, '-o', ref, '-a', '0.1', '-s', '0.001', '-f', '0.5', m], stdout=subprocess.DEVNULL, check=True)
peak = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss * 1024
print('10000 taxa, -o -f 0.5: peak memory %.2f x the matrix (8 n^2 bytes)' % (peak / (8 * 10000 ** 2)))
PY
