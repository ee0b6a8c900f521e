#!/usr/bin/env python3
"""Converts an X window dump (xwd, 24/32 bits per pixel, TrueColor) to PNG and,
with --expect RRGGBB ..., checks that each colour covers some of the picture.
Usage: xwd2png.py IN.xwd OUT.png [--expect RRGGBB ...]"""
import struct
import sys
import zlib


def read_xwd(path):
    data = open(path, 'rb').read()
    fields = struct.unpack('>25I', data[:100])
    header_size, _version, _fmt, _depth, width, height, _xoff, byte_order, _unit, _bit_order, _pad, bpp, \
        bytes_per_line, _visual, red_mask, green_mask, blue_mask, _bits_rgb, _entries, ncolors = fields[:20]
    if bpp not in (24, 32):
        raise SystemExit('unsupported xwd: %d bits per pixel' % bpp)
    offset = header_size + ncolors * 12
    step = bpp // 8
    order = '<' if byte_order == 0 else '>'

    def shift(mask):
        s = 0
        while mask and not (mask >> s) & 1:
            s += 1
        return s

    rs, gs, bs = shift(red_mask), shift(green_mask), shift(blue_mask)
    rows = []
    for y in range(height):
        line = data[offset + y * bytes_per_line: offset + y * bytes_per_line + width * step]
        row = bytearray()
        for x in range(width):
            chunk = line[x * step:(x + 1) * step]
            v = struct.unpack(order + 'I', chunk if step == 4 else (chunk + b'\0' if order == '<' else b'\0' + chunk))[0]
            row += bytes(((v & red_mask) >> rs, (v & green_mask) >> gs, (v & blue_mask) >> bs))
        rows.append(bytes(row))
    return width, height, rows


def write_png(path, width, height, rows):
    def chunk(kind, body):
        return struct.pack('>I', len(body)) + kind + body + struct.pack('>I', zlib.crc32(kind + body) & 0xFFFFFFFF)
    raw = b''.join(b'\0' + r for r in rows)
    png = b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', width, height, 8, 2, 0, 0, 0))
    png += chunk(b'IDAT', zlib.compress(raw, 6)) + chunk(b'IEND', b'')
    open(path, 'wb').write(png)


def main():
    if len(sys.argv) < 3:
        raise SystemExit(__doc__)
    width, height, rows = read_xwd(sys.argv[1])
    write_png(sys.argv[2], width, height, rows)
    print('%s: %dx%d' % (sys.argv[2], width, height))
    status = 0
    if '--expect' in sys.argv:
        wanted = sys.argv[sys.argv.index('--expect') + 1:]
        counts = {}
        for r in rows:
            for i in range(0, len(r), 3):
                key = r[i:i + 3]
                counts[key] = counts.get(key, 0) + 1
        for hexcolour in wanted:
            n = counts.get(bytes.fromhex(hexcolour), 0)
            print('colour %s: %d pixels' % (hexcolour, n))
            if n == 0:
                status = 1
    sys.exit(status)


if __name__ == '__main__':
    main()
