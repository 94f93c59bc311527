#!/usr/bin/python3
"""The same job as `tarvix -o REF -a 0.1 -s 0.001 -f F` with scipy: read the
matrix, cluster by single (F = 0) or complete (F = 1) linkage, cut the tree at
the 101 thresholds 0, 0.001, ..., 0.1 and score every cut against the
reference with the adjusted Rand index. Prints the best threshold.

  peer_scipy.py MATRIX.dst REF.txt single|complete"""
import sys

import numpy as np
from scipy.cluster.hierarchy import fcluster, linkage
from scipy.spatial.distance import squareform
from sklearn.metrics import adjusted_rand_score

path, ref_path, method = sys.argv[1:4]
with open(path) as f:
    n = int(f.readline())
    labels = []
    rows = np.empty((n, n))
    for i in range(n):
        fields = f.readline().split()
        labels.append(fields[0])
        rows[i] = np.array(fields[1:], dtype=float)
reference = {}
with open(ref_path) as f:
    for line in f:
        label, group = line.rstrip('\n').split('\t')[:2]
        reference[label] = group
truth = [reference[label] for label in labels]
tree = linkage(squareform(rows, checks=False), method=method)
best = max((adjusted_rand_score(truth, fcluster(tree, t, criterion='distance')), t)
           for t in np.arange(101) * 0.001)
print('best adjusted Rand index %.8f at %.3f' % best)
