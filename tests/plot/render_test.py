#!/usr/bin/env python3
"""End to end: tarvix on the example data, tarvix-plot on its verbose tables,
and rsvg-convert (Debian's librsvg2-bin) renders every picture:

  - the renderer takes the picture without a complaint and draws it at the
    size the SVG declares;
  - in every panel of a threshold chart, the dashed best-threshold lines stand
    at the thresholds that tarvix's own best-threshold table (the same run
    without -v) reports for that panel's columns;
  - in every lane of the jackknife chart, the median line and the ends of the
    interval stand at the median and the 95% bounds of the best thresholds
    that tarvix's own statistics table (the same run without -v) reports.

Positions are read from the SVG; the x position of a threshold comes from the
tick labels of the axis.

  render_test.py --tarvix PATH --plot PATH --examples DIR

Exits 77 (skipped) when rsvg-convert is not installed.
"""
import argparse
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

SVG = '{http://www.w3.org/2000/svg}'


def run(command, stdin=None):
    result = subprocess.run(command, input=stdin, stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=240)
    if result.returncode != 0 or result.stderr:
        raise AssertionError('%s exited with %d: %s' % (' '.join(command), result.returncode,
                                                        result.stderr.decode(errors='replace')))
    return result.stdout


class Picture:
    """A tarvix-plot SVG, rendered once to check that it renders."""

    def __init__(self, svg_path):
        png_path = svg_path[:-4] + '.png'
        run(['rsvg-convert', '--format', 'png', '--output', png_path, svg_path])
        self.root = ET.parse(svg_path).getroot()
        with open(png_path, 'rb') as f:
            header = f.read(24)
        size = struct.unpack('>II', header[16:24])
        declared = tuple(round(float(self.root.get(k))) for k in ('width', 'height'))
        if header[:8] != b'\x89PNG\r\n\x1a\n' or size != declared:
            raise AssertionError('%s: rendered %s, the SVG declares %s' % (svg_path, size, declared))
        ticks = sorted((float(t.text), float(t.get('x'))) for t in self.elements('text', 'x-tick'))
        (v0, x0), (v1, x1) = ticks[0], ticks[-1]
        self.x_of = lambda value: x0 + (value - v0) * (x1 - x0) / (v1 - v0)

    def elements(self, tag, css_class):
        return [e for e in self.root.iter(SVG + tag) if e.get('class') == css_class]


def assert_positions(found, expected, what):
    """Coordinates carry two decimals; the tolerance allows for that."""
    if len(found) != len(expected) or any(abs(f - e) > 0.02 for f, e in zip(sorted(found), sorted(expected))):
        raise AssertionError('%s: expected x = %s, found %s' % (what, sorted(expected), sorted(found)))


def check_threshold_chart(args, work, name, options):
    dst = os.path.join(args.examples, 'taxa30.dst')
    verbose = run([args.tarvix] + options + ['-v', dst])
    best = {}  # block number -> thresholds of tarvix's best-threshold table
    for line in filter(str.strip, run([args.tarvix] + options + [dst]).decode().splitlines()):
        label, _value, threshold = line.split('\t')
        best.setdefault(int(label.rsplit('_', 1)[1]), []).append(float(threshold))
    svg = os.path.join(work, name + '.svg')
    # The plot reads its input from standard input here ...
    with open(svg, 'wb') as f:
        f.write(run([args.plot], stdin=verbose))
    picture = Picture(svg)
    panels = [float(r.get('y')) for r in picture.elements('rect', 'plot-area')]
    if len(panels) != len(best):
        raise AssertionError('%s: %d panels for %d blocks' % (name, len(panels), len(best)))
    lines = picture.elements('line', 'best-threshold')
    for block, top in enumerate(panels):
        found = [float(l.get('x1')) for l in lines if float(l.get('y2')) == top]
        assert_positions(found, [picture.x_of(t) for t in best[block]], '%s, panel %d' % (name, block + 1))
    print('ok   %s: %d panels, best thresholds where tarvix puts them' % (name, len(panels)))


def check_jackknife_chart(args, work):
    command = [args.tarvix, '-j', os.path.join(args.examples, 'taxa30_ref.txt'), '-n', '10', '-a', '0.3', '-s',
               '0.01']
    dst = os.path.join(args.examples, 'taxa30.dst')
    table = os.path.join(work, 'jackknife.txt')
    with open(table, 'wb') as f:
        f.write(run(command + ['-v', dst]))
    # Rows in pairs per index after the header: best values, then thresholds.
    header, *statistics = [line.split('\t') for line in run(command + [dst]).decode().splitlines() if line.strip()]
    column = {name.strip(): i for i, name in enumerate(header)}
    thresholds = statistics[1::2]
    # ... and from a named file with an output prefix here.
    run([args.plot, '-o', os.path.join(work, 'jackknife'), table])
    picture = Picture(os.path.join(work, 'jackknife-1.svg'))
    medians = [float(l.get('x1')) for l in picture.elements('line', 'median')]
    intervals = [(float(l.get('x1')), float(l.get('x2'))) for l in picture.elements('line', 'interval')]
    if len(medians) != len(thresholds) or len(intervals) != len(thresholds):
        raise AssertionError('jackknife: %d medians and %d intervals for %d index columns' % (
            len(medians), len(intervals), len(thresholds)))
    for lane, row in enumerate(thresholds):
        expected = [float(row[column[k]]) for k in ('Median', 'Lw._Bnd._2', 'Up._Bnd._2')]
        assert_positions([medians[lane]] + list(intervals[lane]), [picture.x_of(t) for t in expected],
                         'jackknife, lane %d' % (lane + 1))
    print('ok   jackknife: %d lanes, medians and intervals where tarvix puts them' % len(medians))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--tarvix', required=True)
    parser.add_argument('--plot', required=True)
    parser.add_argument('--examples', required=True)
    args = parser.parse_args()
    if shutil.which('rsvg-convert') is None:
        print('skipped: rsvg-convert is not installed (Debian package librsvg2-bin)')
        return 77
    ref = os.path.join(args.examples, 'taxa30_ref.txt')
    failures = 0
    with tempfile.TemporaryDirectory(prefix='tarvix-plot-render-') as work:
        checks = [
            lambda: check_threshold_chart(args, work, 'optimisation', ['-o', ref, '-a', '0.5', '-s', '0.02']),
            lambda: check_threshold_chart(args, work, 'criterion', ['-h', '-a', '0.5', '-s', '0.02']),
            lambda: check_jackknife_chart(args, work),
        ]
        for check in checks:
            try:
                check()
            except AssertionError as e:
                print('FAIL %s' % e)
                failures += 1
    print('%d passed, %d failed' % (len(checks) - failures, failures))
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
