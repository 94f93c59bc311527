#!/usr/bin/env bash
# The reference optimisation on 5000 species-like taxa:
#   tarvix -o REF -a 0.1 -s 0.001 -f F   for F in 0, 0.5, 1
# on tie-free distances (8 decimals) and on distances rounded to 3 decimals
# (heavy ties), each set against `tarvix -l` on the same file (reading alone).
# With PEERS=1 (needs Debian's python3-scipy, python3-sklearn and mothur) the
# same job also runs with scipy and mothur.
source "$(dirname "$0")/common.sh"
N="${N:-5000}"
for decimals in 8 3; do
  M=$(matrix "$N" "$decimals" 1)
  REF="${M%.dst}_ref.txt"
  read_time=$(seconds "$TARVIX" -l "$M")
  echo "== $N taxa, $decimals decimals: tarvix -l ${read_time}s"
  for f in 0 0.5 1; do
    t=$(seconds "$TARVIX" -o "$REF" -a 0.1 -s 0.001 -f "$f" "$M")
    python3 -c "print('tarvix -o -f $f: ${t}s  ratio to -l: %.2f' % ($t / $read_time))"
  done
  if [ "${PEERS:-0}" = 1 ]; then
    for method in single complete; do
      t=$(seconds /usr/bin/python3 "$BENCH_DIR/peer_scipy.py" "$M" "$REF" "$method")
      echo "scipy $method linkage + 101 cuts + adjusted Rand index: ${t}s"
    done
    mkdir -p "$SCRATCH/mothur" && cp "$M" "$SCRATCH/mothur/m.phy"
    for method in nearest furthest; do
      t=$(cd "$SCRATCH/mothur" && seconds mothur "#cluster(phylip=m.phy, method=$method, precision=1000, cutoff=0.1005)")
      echo "mothur cluster $method (precision 1000, cutoff 0.1005): ${t}s"
    done
  fi
done
