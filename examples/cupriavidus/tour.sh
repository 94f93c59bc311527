#!/bin/sh
# The README's tour, from fastANI's matrix of 33 Cupriavidus genomes to a
# species threshold, run with the installed tarvix, tarvix-matrix, tarvix-plot
# and tarvix-compare. It writes its files (cupriavidus.dst, species.txt,
# cupriavidus.svg, corrected.out, ani95.out, best.out) into the current folder:
#
#   mkdir cupriavidus-tour && cd cupriavidus-tour && sh PREFIX/share/doc/tarvix/examples/cupriavidus/tour.sh
#
# The commands after "set -e" are those of the README, folder names aside.
data=$(cd "$(dirname "$0")" && pwd)
set -e
# fastANI's matrix (ANI in percent) to a square matrix of distances 1 - ANI/100
tarvix-matrix -o cupriavidus.dst "$data"/fastani_result.matrix
tarvix -l cupriavidus.dst | head -3
# The species column alone (the genus column names one genus and tells nothing)
cut -f 1,2 "$data"/species.tsv > species.txt
# The best threshold against the species names, 0 .. 0.2 in steps of 0.001
tarvix -o species.txt -a 0.2 -s 0.001 cupriavidus.dst
# The whole table as a picture, with an ANI axis, the 95 % ANI line and the 15 names
tarvix -o species.txt -a 0.2 -s 0.001 -v cupriavidus.dst \
  | tarvix-plot -t "33 Cupriavidus genomes (fastANI) against their species names" \
      --ani --mark '0.05:95% ANI' --groups species.txt > cupriavidus.svg
# How stable is the best threshold? 100 replicates, each without 37 % of the genomes
tarvix -j species.txt -a 0.2 -s 0.001 cupriavidus.dst
# The names corrected against the distances (the passes are reported on standard error)
tarvix -e species.txt cupriavidus.dst > corrected.out
# Which names disagree: the clusters at 95 % ANI, at the best threshold, and the corrected names
tarvix -i 0.05 cupriavidus.dst > ani95.out
tarvix-compare ani95.out species.txt
tarvix -i 0.09 cupriavidus.dst > best.out
tarvix-compare best.out species.txt
tarvix-compare corrected.out species.txt
