#!/usr/bin/env python3
"""One-off generator of the house bitmap fonts' text form.

Reads proportional sans-serif PCF fonts from Debian's xfonts-75dpi and
xfonts-100dpi, places every printable ASCII and Latin-1 glyph in a cell of
the house font's height with the baseline where the house metrics want it,
and squeezes the few glyphs that would reach into the internal-leading rows
or below the em (accented capitals, some descenders) until they fit. The
output, platform/text/fonts/*.txt, is the reviewed source of the fonts: edit
those files by hand, do not rerun this script over reviewed work.

usage: generate.py [output-dir]
"""
import os
import sys

import pcf

X11 = '/usr/share/fonts/X11'

# name, source, em height (the LOGFONT height), cell rows, internal leading,
# rows above the baseline inside the em, weight.
FONTS = [
    ('sans_h9_regular', '75dpi/helvR08', 9, 12, 3, 8, 400),
    ('sans_h9_bold', '75dpi/helvB08', 9, 12, 3, 8, 700),
    ('sans_h11_regular', '100dpi/helvR08', 11, 13, 2, 9, 400),
    ('sans_h11_bold', '100dpi/helvB08', 11, 13, 2, 9, 700),
    ('sans_h16_regular', '75dpi/helvR14', 16, 20, 4, 13, 400),
    ('sans_h16_bold', '75dpi/helvB14', 16, 20, 4, 13, 700),
]

CODES = list(range(0x20, 0x7F)) + list(range(0xA0, 0x100))


def removable_row(rows, lo, hi):
    """Index in [lo, hi) of the row whose loss hurts least, or None.

    A blank row between inked rows goes first (the gap under an accent),
    then a row equal to its lower neighbour (a straight stretch of a stem),
    taking the one nearest the middle of the range."""
    def blank(i):
        return '#' not in rows[i]
    inked = [i for i in range(len(rows)) if not blank(i)]
    if not inked:
        return None
    first, last = inked[0], inked[-1]
    mid = (lo + hi) / 2
    gaps = [i for i in range(max(lo, first + 1), min(hi, last)) if blank(i)]
    if gaps:
        return min(gaps, key=lambda i: abs(i - mid))
    dups = [i for i in range(lo, hi - 1) if not blank(i) and rows[i] == rows[i + 1]]
    if dups:
        return min(dups, key=lambda i: abs(i - mid))
    return None


def fit_glyph(glyph, ascent, descent):
    """Rows of the glyph cropped to the em: `ascent` rows above the baseline
    and `descent` below; returns (rows, top) with top = rows above baseline."""
    rows = list(glyph.rows)
    top = glyph.ascent
    while top > ascent:
        i = removable_row(rows, 0, top)
        if i is None:
            raise SystemExit('cannot fit glyph above the baseline')
        del rows[i]
        top -= 1
    while len(rows) - top > descent:
        i = removable_row(rows, top, len(rows))
        if i is None:
            # No stretch to shorten (a comma's tail): fold the two lowest
            # rows into one so that no ink is lost.
            merged = ''.join('#' if '#' in pair else '.' for pair in zip(rows[-2], rows[-1]))
            rows[-2:] = [merged]
            continue
        del rows[i]
    return rows, top


def cell_rows(glyph, height, leading, ascent, descent):
    rows, top = fit_glyph(glyph, ascent, descent)
    left = min(0, glyph.left)
    right = max(glyph.advance, glyph.left + (len(rows[0]) if rows else 0))
    width = right - left
    baseline = leading + ascent
    out = ['.' * width for _ in range(height)]
    for y, row in enumerate(rows):
        cy = baseline - top + y
        line = list(out[cy])
        for x, c in enumerate(row):
            if c == '#':
                line[glyph.left - left + x] = '#'
        out[cy] = ''.join(line)
    return out


def missing_glyph(height, leading, ascent, cap):
    """A hollow box of cap height, drawn for code units the font lacks."""
    width = max(4, cap - 1)
    out = ['.' * (width + 1) for _ in range(height)]
    base = leading + ascent
    for y in range(base - cap, base):
        if y in (base - cap, base - 1):
            out[y] = '#' * width + '.'
        else:
            out[y] = '#' + '.' * (width - 2) + '#.'
    return out


def label(code):
    c = chr(code)
    if code == 0x20 or code == 0xA0 or code == 0xAD:
        return ''
    return ' ' + c


def main():
    outdir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(__file__), '..', '..', 'platform', 'text', 'fonts')
    os.makedirs(outdir, exist_ok=True)
    for name, source, em, height, leading, ascent, weight in FONTS:
        font = pcf.load(os.path.join(X11, source + '-ISO8859-1.pcf.gz'))
        descent = em - ascent
        cap = font.glyphs[ord('H')].ascent
        lines = [
            '# House bitmap font, "Microsoft Sans Serif" at height -%d, weight %d.' % (em, weight),
            '# Converted from %s (Debian xfonts-%s), then reviewed by hand.' % (
                os.path.basename(source), source.split('/')[0]),
            '# One glyph = a "char" line (code point, advance width in pixels) and',
            '# %d rows of that width, top row first; "#" is a lit pixel.' % height,
            'em %d' % em,
            'height %d' % height,
            'internal-leading %d' % leading,
            'ascent %d' % (leading + ascent),
            'weight %d' % weight,
            '',
        ]
        glyphs = [('missing', missing_glyph(height, leading, ascent, cap))]
        for code in CODES:
            g = font.glyphs.get(code)
            if g is None:
                continue
            glyphs.append(('U+%04X%s' % (code, label(code)),
                           cell_rows(g, height, leading, ascent, descent)))
        for key, rows in glyphs:
            lines.append('char %s width %d' % (key, len(rows[0])))
            lines.extend(rows)
            lines.append('')
        with open(os.path.join(outdir, name + '.txt'), 'w', encoding='utf-8') as f:
            f.write('\n'.join(lines))
        print(name, len(glyphs), 'glyphs')


if __name__ == '__main__':
    main()
