#!/usr/bin/env python3
"""End to end: tarvix on the example data, tarvix-plot on its verbose tables,
rsvg-convert (Debian's librsvg2-bin) renders the pictures, and the rendered
pixels are checked:

  - the picture has the size the SVG declares, is not blank, shows the three
    index colours and text;
  - in every panel of a threshold chart, the dashed best-threshold lines stand
    at the thresholds that tarvix's own best-threshold table (the same run
    without -v) reports for that panel's columns;
  - in every lane of the jackknife chart, the median line stands at the
    median of the best thresholds that the verbose table lists.

Positions are read from the picture: the x position of a threshold comes from
the tick labels of the axis, the panels and lanes from their rectangles.

  render_test.py --tarvix PATH --plot PATH --examples DIR

Exits 77 (skipped) when rsvg-convert is not installed.
"""
import argparse
import os
import shutil
import statistics
import struct
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET
import zlib

SVG = '{http://www.w3.org/2000/svg}'
INDEX_COLOURS = {'blue': (0x1f, 0x77, 0xb4), 'red': (0xd6, 0x27, 0x28), 'green': (0x2c, 0xa0, 0x2c)}


class Image:
    """A decoded 8-bit RGB or RGBA PNG."""

    def __init__(self, path):
        with open(path, 'rb') as f:
            data = f.read()
        if data[:8] != b'\x89PNG\r\n\x1a\n':
            raise ValueError('%s is no PNG file' % path)
        pos, idat = 8, b''
        while pos < len(data):
            length, kind = struct.unpack('>I4s', data[pos:pos + 8])
            body = data[pos + 8:pos + 8 + length]
            if kind == b'IHDR':
                self.width, self.height, depth, colour, _, _, interlace = struct.unpack('>IIBBBBB', body)
                if depth != 8 or colour not in (2, 6) or interlace:
                    raise ValueError('unexpected PNG layout: depth %d colour %d' % (depth, colour))
                self.channels = 4 if colour == 6 else 3
            elif kind == b'IDAT':
                idat += body
            pos += 12 + length
        self.rows = self._unfilter(zlib.decompress(idat))

    def _unfilter(self, raw):
        n, stride = self.channels, self.width * self.channels
        rows, previous, pos = [], bytearray(stride), 0
        for _ in range(self.height):
            kind, line = raw[pos], bytearray(raw[pos + 1:pos + 1 + stride])
            pos += 1 + stride
            if kind == 1:
                for i in range(n, stride):
                    line[i] = (line[i] + line[i - n]) & 255
            elif kind == 2:
                for i in range(stride):
                    line[i] = (line[i] + previous[i]) & 255
            elif kind == 3:
                for i in range(stride):
                    left = line[i - n] if i >= n else 0
                    line[i] = (line[i] + ((left + previous[i]) >> 1)) & 255
            elif kind == 4:
                for i in range(stride):
                    a = line[i - n] if i >= n else 0
                    b = previous[i]
                    c = previous[i - n] if i >= n else 0
                    p = a + b - c
                    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                    line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
            rows.append(line)
            previous = line
        return rows

    def pixel(self, x, y):
        """RGB over a white background."""
        row, i = self.rows[y], x * self.channels
        r, g, b = row[i], row[i + 1], row[i + 2]
        if self.channels == 4:
            alpha = row[i + 3]
            r, g, b = ((v * alpha + 255 * (255 - alpha)) // 255 for v in (r, g, b))
        return r, g, b


def saturated(rgb):
    return max(rgb) - min(rgb) > 60


def dark(rgb):
    return max(rgb) < 90


def near(rgb, colour, distance=40):
    return all(abs(a - b) <= distance for a, b in zip(rgb, colour))


def run(command, stdin=None):
    result = subprocess.run(command, input=stdin, stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=240)
    if result.returncode != 0:
        raise AssertionError('%s exited with %d: %s' % (' '.join(command), result.returncode,
                                                        result.stderr.decode(errors='replace')))
    return result.stdout


class Picture:
    """A tarvix-plot SVG and its rendering."""

    def __init__(self, svg_path, png_path):
        run(['rsvg-convert', '--format', 'png', '--output', png_path, svg_path])
        self.root = ET.parse(svg_path).getroot()
        self.image = Image(png_path)
        ticks = {}
        for text in self.elements('text', 'x-tick'):
            ticks[float(text.text)] = float(text.get('x'))
        if len(ticks) < 2:
            raise AssertionError('fewer than two threshold ticks')
        (v0, x0), (v1, x1) = sorted(ticks.items())[0], sorted(ticks.items())[-1]
        self.x_of = lambda value: x0 + (value - v0) * (x1 - x0) / (v1 - v0)

    def elements(self, tag, css_class):
        return [e for e in self.root.iter(SVG + tag) if e.get('class') == css_class]

    def rectangles(self, css_class):
        return [tuple(float(r.get(k)) for k in ('x', 'y', 'width', 'height')) for r in self.elements('rect', css_class)]

    def vertical_lines(self, box, kind, share):
        """Centres of the runs of pixel columns inside box in which at least
        `share` of the pixels are of the kind."""
        x, y, w, h = box
        top, bottom = int(y) + 2, int(y + h) - 2
        columns = [c for c in range(int(x) + 1, int(x + w) - 1)
                   if sum(kind(self.image.pixel(c, r)) for r in range(top, bottom)) >= share * (bottom - top)]
        runs = []
        for c in columns:
            if runs and c == runs[-1][-1] + 1:
                runs[-1].append(c)
            else:
                runs.append([c])
        # A pixel column c covers c .. c + 1 of the picture.
        return [sum(r) / len(r) + 0.5 for r in runs]


def assert_positions(found, expected, what, tolerance=2.5):
    unmatched = [e for e in expected if not any(abs(f - e) <= tolerance for f in found)]
    stray = [f for f in found if not any(abs(f - e) <= tolerance for e in expected)]
    if unmatched or stray:
        raise AssertionError('%s: expected lines at x = %s, found %s' % (
            what, ', '.join('%.1f' % e for e in expected), ', '.join('%.1f' % f for f in found)))


def assert_not_blank(picture, what):
    svg_size = (float(picture.root.get('width')), float(picture.root.get('height')))
    image = picture.image
    if (image.width, image.height) != tuple(round(v) for v in svg_size):
        raise AssertionError('%s: rendered %dx%d, the SVG says %gx%g' % ((what, image.width, image.height) + svg_size))
    inked = sum(1 for y in range(0, image.height, 2) for x in range(0, image.width, 2)
                if image.pixel(x, y) != (255, 255, 255))
    if inked < 0.02 * (image.width // 2) * (image.height // 2):
        raise AssertionError('%s: the picture is nearly blank (%d inked samples)' % (what, inked))
    title_ink = sum(1 for y in range(10, 40) for x in range(20, 300) if dark(image.pixel(x, y)))
    if title_ink < 100:
        raise AssertionError('%s: no title text rendered' % what)


def assert_index_colours(picture, what):
    image = picture.image
    for name, colour in INDEX_COLOURS.items():
        seen = sum(1 for y in range(0, image.height, 2) for x in range(0, image.width, 2)
                   if near(image.pixel(x, y), colour))
        if seen < 50:
            raise AssertionError('%s: hardly any %s (%d samples)' % (what, name, seen))


def best_table(text):
    """Block number -> thresholds of tarvix's best-threshold table."""
    blocks = {}
    for line in text.decode().splitlines():
        if not line.strip():
            continue
        label, _value, threshold = line.split('\t')
        blocks.setdefault(int(label.rsplit('_', 1)[1]), []).append(float(threshold))
    return blocks


def check_threshold_chart(args, work, name, options):
    dst = os.path.join(args.examples, 'taxa30.dst')
    verbose = run([args.tarvix] + options + ['-v', dst])
    best = best_table(run([args.tarvix] + options + [dst]))
    svg = os.path.join(work, name + '.svg')
    # The plot reads its input from standard input here ...
    with open(svg, 'wb') as f:
        f.write(run([args.plot], stdin=verbose))
    picture = Picture(svg, os.path.join(work, name + '.png'))
    assert_not_blank(picture, name)
    panels = picture.rectangles('plot-area')
    if len(panels) != len(best):
        raise AssertionError('%s: %d panels for %d blocks' % (name, len(panels), len(best)))
    for block, box in enumerate(panels):
        expected = sorted(set(picture.x_of(t) for t in best[block]))
        found = picture.vertical_lines(box, saturated, 0.5)
        assert_positions(found, expected, '%s, panel %d' % (name, block + 1))
    print('ok   %s: %d panels, best thresholds where tarvix puts them' % (name, len(panels)))
    return picture


def check_jackknife_chart(args, work):
    dst = os.path.join(args.examples, 'taxa30.dst')
    ref = os.path.join(args.examples, 'taxa30_ref.txt')
    table = os.path.join(work, 'jackknife.txt')
    with open(table, 'wb') as f:
        f.write(run([args.tarvix, '-j', ref, '-n', '10', '-a', '0.3', '-s', '0.01', '-v', dst]))
    # ... and from a named file with an output prefix here.
    run([args.plot, '-o', os.path.join(work, 'jackknife'), table])
    picture = Picture(os.path.join(work, 'jackknife-1.svg'), os.path.join(work, 'jackknife-1.png'))
    assert_not_blank(picture, 'jackknife')
    assert_index_colours(picture, 'jackknife')
    with open(table) as f:
        lines = [line.split('\t') for line in f.read().splitlines() if line.strip()]
    header, rows = lines[0], lines[1:]
    lanes = picture.rectangles('lane')
    # Pairs (best value, threshold) after the No._Clusters pair; one lane each.
    thresholds = [[float(row[i + 1]) for row in rows] for i in range(3, len(header), 2)]
    if len(lanes) != len(thresholds):
        raise AssertionError('jackknife: %d lanes for %d index columns' % (len(lanes), len(thresholds)))
    for number, (box, column) in enumerate(zip(lanes, thresholds), 1):
        found = picture.vertical_lines(box, dark, 0.7)
        assert_positions(found, [picture.x_of(statistics.median(column))], 'jackknife, lane %d' % number)
    print('ok   jackknife: %d lanes, medians where the table puts them' % len(lanes))


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
            lambda: assert_index_colours(check_threshold_chart(
                args, work, 'optimisation', ['-o', ref, '-a', '0.5', '-s', '0.02']), 'optimisation'),
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
