#!/usr/bin/env python3
"""Prints or fixes the header of a WAV clip: sets the fact chunk's sample count of a compressed clip."""
import struct
import sys

FORMATS = {1: "PCM", 2: "MS ADPCM", 7: "mu-law"}


def chunks(data):
    """Yields (id, offset of body, size) for every chunk inside the RIFF/WAVE container."""
    if data[:4] != b"RIFF" or data[8:12] != b"WAVE":
        raise SystemExit("not a RIFF/WAVE file")
    pos = 12
    while pos + 8 <= len(data):
        cid, size = struct.unpack_from("<4sI", data, pos)
        yield cid, pos + 8, size
        pos += 8 + size + (size & 1)


def describe(name):
    data = open(name, "rb").read()
    info = {}
    for cid, off, size in chunks(data):
        if cid == b"fmt ":
            tag, ch, rate, _bps, align, bits = struct.unpack_from("<HHIIHH", data, off)
            info.update(tag=tag, ch=ch, rate=rate, align=align, bits=bits)
        elif cid == b"fact":
            info["fact"] = struct.unpack_from("<I", data, off)[0]
        elif cid == b"data":
            info["data"] = size
    riff = struct.unpack_from("<I", data, 4)[0]
    ok_riff = riff + 8 == len(data)
    if info["tag"] == 1:
        samples = info["data"] // info["align"]
    else:
        samples = info.get("fact", -1)
    print(f"{name}: {FORMATS.get(info['tag'], info['tag'])}, {info['ch']} ch, {info['rate']} Hz, "
          f"{info['bits']} bit, block {info['align']}, data {info['data']} bytes, {samples} samples"
          + ("" if ok_riff else "  (RIFF size wrong)"))


def set_fact(name, count):
    data = bytearray(open(name, "rb").read())
    for cid, off, size in chunks(data):
        if cid == b"fact":
            struct.pack_into("<I", data, off, count)
            open(name, "wb").write(data)
            return
    raise SystemExit(f"{name}: no fact chunk")


if __name__ == "__main__":
    args = sys.argv[1:]
    if args and args[0] == "--check":
        for n in args[1:]:
            describe(n)
    elif len(args) == 2:
        set_fact(args[0], int(args[1]))
    else:
        raise SystemExit("usage: fix-wav.py FILE SAMPLES | fix-wav.py --check FILE...")
