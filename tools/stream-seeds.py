#!/usr/bin/env python3
"""Writes deterministic byte streams, a fuzz corpus's seeds of a kind, for
tools/render-streams.sh: text, well-formed commands of every family, images
whose data is random bytes (so it holds requests and macro commands by
chance), and random bursts.

    tools/stream-seeds.py OUT_DIR [COUNT]
"""
import os
import random
import sys


def word(n):
    return bytes([n & 0xFF, (n >> 8) & 0xFF])


COMMANDS = [
    b"\x1b@", b"\x1ba\x01", b"\x1ba\x02", b"\x1b!\x38", b"\x1b!\x01", b"\x1bE\x01", b"\x1b-\x02", b"\x1bM\x01",
    b"\x1d!\x11", b"\x1dB\x01", b"\x1b \x04", b"\x1b3\x40", b"\x1b2", b"\x1bd\x02", b"\x1bJ\x30", b"\x1dL\x20\x00",
    b"\x1dW\x00\x02", b"\x1bt\x10", b"\x1bR\x02", b"\x1dV\x00", b"\x1dVA\x10", b"\x1bi", b"\x1dh\x40", b"\x1dw\x02",
    b"\x1dH\x02", b"\x1dk\x04CODE39\x00", b"\x1dkI\x0a{BABC123456", b"\x1d(k\x04\x001A2\x00",
    b"\x1d(k\x07\x001P0HELLO", b"\x1d(k\x03\x001Q0", b"\x1d(k\x08\x000P0PDF417", b"\x1d(k\x03\x000Q0",
    b"\x1b{\x01", b"\x1b{\x00", b"\x1bV\x01", b"\x1bV\x00", b"\x1b$\x40\x00", b"\x1bD\x04\x08\x00", b"\t",
    b"\x1bB\x02\x01", b"\x07", b"\x1bp\x00\x19\xfa", b"\x1c&", b"\x1c.", b"\x1bL", b"\x1bT\x01", b"\x0c",
    b"\x1bW\x00\x00\x00\x00\x00\x02\x00\x01", b"\x1bS", b"\x10\x04\x01", b"\x1c\x05\x01", b"\x1dr\x01",
    b"\x1dI\x01", b"\x1d(L\x02\x0000", b"\x05\x15", b"\x05\x17", b"\x1bg\x01", b"\x1bg\x02",
    b"\x1b\x1fmM\x00", b"\x1b\x1frM\x00", b"\x1b\x1fbS\x00", b"\x1b\x1feS\x00", b"\x1c\x71\x00", b"\x1cp\x01\x00",
    b"\x1b\x1b", b"\x1d\x1b@", b"\x10\x1b", b"\n", b"\r\n",
]


def image(rng):
    kind = rng.randrange(3)
    if kind == 0:  # raster
        x, y = rng.randrange(1, 12), rng.randrange(1, 24)
        return b"\x1dv0" + bytes([rng.randrange(4)]) + word(x) + word(y) + rng.randbytes(x * y)
    if kind == 1:  # column
        n = rng.randrange(1, 40)
        m = rng.choice([0, 1, 0x20, 0x21])
        return b"\x1b*" + bytes([m]) + word(n) + rng.randbytes(n * (3 if m >= 0x20 else 1))
    x, y = rng.randrange(1, 4), rng.randrange(1, 4)  # NV bit image, then printed
    return b"\x1cq\x01" + word(x) + word(y) + rng.randbytes(x * y * 8) + b"\x1cp\x01\x00"


def stream(rng):
    out = bytearray()
    for _ in range(rng.randrange(5, 60)):
        pick = rng.random()
        if pick < 0.35:
            out += rng.choice(COMMANDS)
        elif pick < 0.6:
            out += bytes(rng.choice(b"ABCDEFGHIJ klmnopqrst 0123456789\xe4\xa1") for _ in range(rng.randrange(1, 30)))
        elif pick < 0.8:
            out += b"\n"
        elif pick < 0.95:
            out += image(rng)
        else:
            out += rng.randbytes(rng.randrange(1, 12))
    return bytes(out)


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    folder = sys.argv[1]
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 200
    os.makedirs(folder, exist_ok=True)
    rng = random.Random(28)
    for i in range(count):
        with open(os.path.join(folder, "seed-%03d.bin" % i), "wb") as f:
            f.write(stream(rng))


if __name__ == "__main__":
    main()
