"""Minimal reader for X11 PCF bitmap fonts (optionally gzip-compressed).

Returns the font's ascent/descent and, for each code point, the advance width,
the left bearing, the ascent above the baseline and the glyph rows as strings
of '#' and '.'. Only what the house-font generator needs.
"""
import gzip
import struct

PCF_PROPERTIES = 1
PCF_ACCELERATORS = 2
PCF_METRICS = 4
PCF_BITMAPS = 8
PCF_BDF_ENCODINGS = 32
PCF_BDF_ACCELERATORS = 256

PCF_BYTE_MASK = 1 << 2
PCF_BIT_MASK = 1 << 3
PCF_COMPRESSED_METRICS = 0x100


class Glyph:
    def __init__(self, advance, left, ascent, rows):
        self.advance = advance  # pen advance in pixels
        self.left = left  # column of rows[*][0] relative to the pen
        self.ascent = ascent  # rows above the baseline
        self.rows = rows  # list of '#'/'.' strings, top row first


class Font:
    def __init__(self, ascent, descent, glyphs, properties):
        self.ascent = ascent
        self.descent = descent
        self.glyphs = glyphs  # code point -> Glyph
        self.properties = properties


class _Reader:
    def __init__(self, data, offset):
        self.data = data
        self.pos = offset
        self.fmt = struct.unpack_from('<i', data, offset)[0]
        self.pos += 4
        self.endian = '>' if self.fmt & PCF_BYTE_MASK else '<'

    def read(self, code):
        value = struct.unpack_from(self.endian + code, self.data, self.pos)
        self.pos += struct.calcsize(self.endian + code)
        return value if len(value) > 1 else value[0]


def _read_metrics(r):
    if r.fmt & PCF_COMPRESSED_METRICS:
        count = r.read('h')
        out = []
        for _ in range(count):
            b = struct.unpack_from('5B', r.data, r.pos)
            r.pos += 5
            out.append(tuple(v - 0x80 for v in b))
        return out
    count = r.read('i')
    out = []
    for _ in range(count):
        lsb, rsb, width, asc, desc, _attr = r.read('hhhhhH')
        out.append((lsb, rsb, width, asc, desc))
    return out


def load(path):
    opener = gzip.open if path.endswith('.gz') else open
    with opener(path, 'rb') as f:
        data = f.read()
    if data[:4] != b'\x01fcp':
        raise ValueError(path + ': not a PCF font')
    count = struct.unpack_from('<i', data, 4)[0]
    tables = {}
    for i in range(count):
        ttype, _fmt, _size, offset = struct.unpack_from('<iiii', data, 8 + 16 * i)
        tables[ttype] = offset

    props = {}
    r = _Reader(data, tables[PCF_PROPERTIES])
    nprops = r.read('i')
    entries = [r.read('iBi') for _ in range(nprops)]
    r.pos += (4 - (nprops & 3)) & 3
    r.read('i')  # string table size
    strings = r.pos
    def cstr(off):
        end = data.index(b'\0', strings + off)
        return data[strings + off:end].decode('latin-1')
    for name_off, is_string, value in entries:
        props[cstr(name_off)] = cstr(value) if is_string else value

    r = _Reader(data, tables.get(PCF_BDF_ACCELERATORS, tables[PCF_ACCELERATORS]))
    r.pos += 8
    font_ascent = r.read('i')
    font_descent = r.read('i')

    metrics = _read_metrics(_Reader(data, tables[PCF_METRICS]))

    r = _Reader(data, tables[PCF_BITMAPS])
    if not r.fmt & PCF_BIT_MASK:
        raise ValueError(path + ': LSB-first bit order is not supported')
    pad = 1 << (r.fmt & 3)
    nglyphs = r.read('i')
    offsets = [r.read('i') for _ in range(nglyphs)]
    r.pos += 16
    bitmap_base = r.pos

    r = _Reader(data, tables[PCF_BDF_ENCODINGS])
    min2, max2, min1, max1, _default = r.read('hhhhh')
    glyphs = {}
    for b1 in range(min1, max1 + 1):
        for b2 in range(min2, max2 + 1):
            index = r.read('H')
            if index == 0xFFFF:
                continue
            code = (b1 << 8) | b2
            lsb, rsb, width, asc, desc = metrics[index]
            cols = rsb - lsb
            stride = ((cols + 7) // 8 + pad - 1) // pad * pad
            rows = []
            base = bitmap_base + offsets[index]
            for y in range(asc + desc):
                row = ''
                for x in range(cols):
                    byte = data[base + y * stride + x // 8]
                    row += '#' if byte & (0x80 >> (x % 8)) else '.'
                rows.append(row)
            glyphs[code] = Glyph(width, lsb, asc, rows)
    return Font(font_ascent, font_descent, glyphs, props)
