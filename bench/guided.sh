#!/usr/bin/env bash
# The guided clustering and the reference correction on 2000 species-like
# taxa: times `tarvix -g SPECIES -b K` for every graph kind K = 0 .. 6 (NNG,
# MST, RNG, GG, RNG_SOIG, SOIG, MSN) and `tarvix -e` with two references: the
# species themselves (one scoring pass, no conflict) and the species with
# every tenth taxon given a name of its own (conflicts, a pass of moves, a
# second scoring pass). Reading the matrix (`tarvix -l`) is the floor of
# every run. The RNG kinds print the n x n graph; all output is discarded.
#
# BASELINE=/path/to/another/tarvix also times that binary, checks that it
# prints the same standard output and standard error, and gives the ratios
# baseline / tarvix.
# DECIMALS (default 4) sets the digits of the generated distances; with 4,
# equal distances are common, as in real data.
source "$(dirname "$0")/common.sh"
DECIMALS="${DECIMALS:-4}"
M=$(matrix 2000 "$DECIMALS" 1)
SPECIES="${M%.dst}_ref.txt"
LONERS="${M%.dst}_loners.txt"
awk -F'\t' 'NR % 10 == 0 { $2 = "lone_" NR } { print $1 "\t" $2 }' "$SPECIES" >"$LONERS"

NAMES=("-l (reading)")
RUNS=("-l $M")
KINDS=(NNG MST RNG GG RNG_SOIG SOIG MSN)
for kind in 0 1 2 3 4 5 6; do
  NAMES+=("-g -b $kind (${KINDS[$kind]})")
  RUNS+=("-g $SPECIES -b $kind $M")
done
NAMES+=("-e species" "-e loners")
RUNS+=("-e $SPECIES $M" "-e $LONERS $M")

echo "matrix: $M (2000 taxa, $DECIMALS decimals); median of 3 runs"
if [ -n "${BASELINE:-}" ]; then
  printf '%-22s %10s %10s %7s\n' run tarvix baseline ratio
else
  printf '%-22s %10s\n' run tarvix
fi
for r in "${!RUNS[@]}"; do
  read -ra args <<<"${RUNS[$r]}"
  now=$(seconds "$TARVIX" "${args[@]}")
  if [ -z "${BASELINE:-}" ]; then
    printf '%-22s %9ss\n' "${NAMES[$r]}" "$now"
    continue
  fi
  "$TARVIX" "${args[@]}" >"$SCRATCH/guided_new.out" 2>"$SCRATCH/guided_new.err" || true
  "$BASELINE" "${args[@]}" >"$SCRATCH/guided_old.out" 2>"$SCRATCH/guided_old.err" || true
  if ! cmp -s "$SCRATCH/guided_new.out" "$SCRATCH/guided_old.out" ||
    ! cmp -s "$SCRATCH/guided_new.err" "$SCRATCH/guided_old.err"; then
    echo "${NAMES[$r]}: tarvix and the baseline print different output" >&2
    exit 1
  fi
  old=$(seconds "$BASELINE" "${args[@]}")
  printf '%-22s %9ss %9ss %7s\n' "${NAMES[$r]}" "$now" "$old" "$(python3 -c "print('%.2f' % ($old / $now))")"
done
