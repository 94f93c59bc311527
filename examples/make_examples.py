#!/usr/bin/env python3
"""Writes the example data: 30 strains in 6 species of 3 genera, as a distance
matrix in the extended PHYLIP (taxa30.dst), PHYLIP (taxa30.phy) and
tab-separated (taxa30.tab) layouts, and a partition file (taxa30_ref.txt) with
two reference partitions: species and genus.

Distances are within-species 0.00-0.04, within-genus 0.08-0.15, otherwise
0.25-0.45, drawn from a fixed seed so the files never change."""
import random

rng = random.Random(20261206)
genera = ['Alpha', 'Beta', 'Gamma']
strains = []
for s in range(6):
    for k in range(5):
        strains.append(('S%02d_%s%d' % (len(strains) + 1, genera[s // 2][0], s), s, s // 2))
n = len(strains)
d = [[0.0] * n for _ in range(n)]
for i in range(n):
    for j in range(i + 1, n):
        if strains[i][1] == strains[j][1]:
            v = rng.uniform(0.0, 0.04)
        elif strains[i][2] == strains[j][2]:
            v = rng.uniform(0.08, 0.15)
        else:
            v = rng.uniform(0.25, 0.45)
        d[i][j] = d[j][i] = round(v, 4)

fmt = lambda v: '%.4f' % v
with open('taxa30.dst', 'w') as f:
    f.write('%d\n' % n)
    for i, s in enumerate(strains):
        f.write(s[0] + ' ' + ' '.join(fmt(v) for v in d[i]) + '\n')
with open('taxa30.phy', 'w') as f:
    f.write('%d\n' % n)
    for i, s in enumerate(strains):
        f.write('%-10s' % s[0][:10] + ' '.join(fmt(v) for v in d[i]) + '\n')
with open('taxa30.tab', 'w') as f:
    f.write(''.join('\t' + s[0] for s in strains) + '\n')
    for i, s in enumerate(strains):
        f.write(s[0] + ''.join('\t' + fmt(v) for v in d[i]) + '\n')
with open('taxa30_ref.txt', 'w') as f:
    for s in strains:
        f.write('%s\tspecies_%d\t%s\n' % (s[0], s[1] + 1, genera[s[2]]))
