#!/usr/bin/env bash
# The reference optimisation against the clustering users run today: on the
# 5000-taxon matrix with 8 decimals, `tarvix -o REF -a 0.1 -s 0.001 -f 0`
# (all cores) against `mothur cluster` with nearest neighbour, precision 1000
# and cutoff 0.1005 (Debian's package mothur), as bench/optimise.sh runs it
# with PEERS=1. Paired runs in alternation (RUNS, default 3).
source "$(dirname "$0")/common.sh"
command -v mothur >/dev/null || { echo "needs mothur (apt-get install mothur)" >&2; exit 1; }
M=$(matrix 5000 8 1)
REF="${M%.dst}_ref.txt"
RUNS="${RUNS:-3}"
mkdir -p "$SCRATCH/mothur" && cp "$M" "$SCRATCH/mothur/m.phy"
echo -n "tarvix -o -f 0 (A) / mothur cluster nearest (B):  "
python3 "$BENCH_DIR/paired.py" "$TARVIX -o $REF -a 0.1 -s 0.001 -f 0 $M" \
  "cd $SCRATCH/mothur && mothur '#cluster(phylip=m.phy, method=nearest, precision=1000, cutoff=0.1005)'" "$RUNS"
