#!/usr/bin/env bash
# Reading is the floor of every run: times `tarvix -l` on a 5000 x 5000
# extended PHYLIP matrix against a minimal program that reads the file into
# memory and parses every number with std::from_chars.
source "$(dirname "$0")/common.sh"
compile parse_floor
M=$(matrix 5000 8 1)
floor=$(seconds "$SCRATCH/parse_floor" "$M")
labels=$(seconds "$TARVIX" -l "$M")
echo "matrix: $M ($(du -h "$M" | cut -f1))"
echo "floor (read + from_chars): ${floor}s"
echo "tarvix -l:                 ${labels}s"
python3 -c "print('ratio tarvix -l / floor: %.2f' % ($labels / $floor))"
