#!/usr/bin/env python3
"""Writes a few well-formed frames into DIR/corpus-{both,library,device} so that the fuzzer
starts from real frames. The first byte of each seed picks the mode (see the target's head
comment)."""
import os, struct, sys
def frame(t, rid, payload):
    return b"QRNF" + bytes([1, t, 0, 0]) + struct.pack("<II", rid, len(payload)) + payload
key = bytes(range(1, 33))
def entry(password):  # an account entry: name at 8, password at 104
    return bytes(8) + b"admin".ljust(96, b"\0") + password.ljust(96, b"\0") + bytes(1296 - 200)
seeds = {
    "lib-hello": b"\x00" + frame(0x81, 1, struct.pack("<iH", 0, 3) + key),
    "lib-params": b"\x02" + frame(0x85, 2, struct.pack("<i", 0) + bytes(16) + struct.pack("<I", 200000)),
    "lib-login": b"\x02" + frame(0x82, 3, struct.pack("<i", 0) + bytes(32 + 48) + struct.pack("<iB", 8, 1)),
    "lib-ack": b"\x02" + frame(0x23, 4, struct.pack("<Q", 65536)) + frame(0x24, 4, b"\x01" + struct.pack("<i", 50)),
    "lib-forged": b"\x06" + frame(0x90, 4, bytes(40)),
    "dev-hello": b"\x01" + frame(0x01, 1, struct.pack("<HH", 3, 3) + key) + frame(0x05, 2, struct.pack("<H", 5) + b"admin"),
    "dev-login": b"\x07" + frame(0x05, 2, struct.pack("<H", 5) + b"admin") + frame(0x02, 3, bytes(32)),
    "dev-get": b"\x03" + frame(0x10, 3, struct.pack("<iiI", 81, -1, 772)) + frame(0x14, 4, b""),
    "dev-set": b"\x03" + frame(0x11, 5, struct.pack("<ii", 49, -1) + bytes(128)),
    "dev-user": b"\x03" + frame(0x15, 6, struct.pack("<i", 6) + entry(b"new") + entry(b"")),
    "dev-upgrade": b"\x03" + frame(0x20, 6, struct.pack("<Q", 200)) + frame(0x21, 6, struct.pack("<Q", 0) + b"QFWI" + bytes(196)),
    "dev-forged": b"\x05" + frame(0x10, 3, bytes(28)),
}
for end in ("both", "library", "device"):
    d = os.path.join(sys.argv[1], "corpus-" + end)
    os.makedirs(d, exist_ok=True)
    for name, data in seeds.items():
        with open(os.path.join(d, name), "wb") as f:
            f.write(data)
