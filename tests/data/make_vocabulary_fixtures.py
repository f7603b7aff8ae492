#!/usr/bin/env python3
"""Writes the vocabulary-file fixtures of tests/data, byte for byte from the
documented layout (docs/formats.md), independently of the C++ writer."""

import struct
from pathlib import Path

HERE = Path(__file__).resolve().parent
MAGIC = b"UNICODE"


def utf16_record(text):
    data = text.encode("utf-16-le")
    return struct.pack("<i", len(data)) + data


def single_byte_record(text):
    data = text.encode("cp1252")
    out = struct.pack("<i", len(data))
    for block in range(len(data) // 255 + 1):
        part = data[block * 255:(block + 1) * 255]
        out += bytes([len(part)]) + part + bytes(255 - len(part))
    return out


def body(rows, record):
    out = struct.pack("<ii", len(rows[0]), len(rows))
    for row in rows:
        for word in row:
            out += record(word)
    return out


PROBE_HEADS = [
    ["Nickname", "Probe head"],
    ["coater_top", "Kopf Süd"],
    ["coater_bottom", "PH-2"],
    ["", "€ 東京"],
]

OLD_WORDS = [
    ["Nickname", "English", "Deutsch"],
    ["greeting", "greetings", "Grüße"],
    ["long", "x" * 300, ""],
]


def write(name, data):
    (HERE / name).write_bytes(data)


def main():
    current = MAGIC + struct.pack("<f", 3.99001) + body(PROBE_HEADS, utf16_record)
    write("vocabulary_probeheads.bin", current)
    # Cut inside the last word's text.
    write("vocabulary_truncated.bin", current[:-3])
    # Says a million words, holds three rows.
    lying = bytearray(current)
    lying[15:19] = struct.pack("<i", 1000000)
    write("vocabulary_lying_count.bin", bytes(lying))
    write("vocabulary_headerless.bin", body(OLD_WORDS, single_byte_record))
    write("vocabulary_old_version.bin",
          MAGIC + struct.pack("<f", 3.17) + body(OLD_WORDS, single_byte_record))


if __name__ == "__main__":
    main()
