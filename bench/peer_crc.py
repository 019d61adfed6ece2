#!/usr/bin/python3
"""The iParameter CRC of a template's defaults, the way a user would script it with lxml.

    peer_crc.py TEMPLATE

Prints the CRC in decimal. This is the yardstick nx-ipar is compared with, so it stays the plain
script: parse the whole file, walk the entries, encode each DEFAULT by its TYPE, run the table
CRC over the bytes. It follows each entry's own TYPE and value, so it differs from nx-ipar only
for templates that give two entries the same name.
"""

import re
import sys

from lxml import etree

WIDTHS = {
    "BOOL": 1, "BYTE": 1, "UBYTE": 1, "INT": 2, "UINT": 2, "LONG": 4, "ULONG": 4, "FLOAT": 4,
    "DOUBLE": 8, "UDOUBLE": 8,
}

INTEGER = re.compile(r" *([+-]?)(?:([0-9]+)|(?:\$|0[xX]|[xX])([0-9A-Fa-f]+))")


def make_table():
    table = []
    for n in range(256):
        c = n
        for _ in range(8):
            c = (c >> 1) ^ 0xEDB88320 if c & 1 else c >> 1
        table.append(c)
    return table


TABLE = make_table()


def to_int(text):
    """Integer text as the program reads it: decimal in 32-bit range, or 32-bit hexadecimal."""
    m = INTEGER.fullmatch(text)
    if m is None:
        raise ValueError("''%s'' ist kein gültiger Integer-Wert" % text)
    sign, dec, hexa = m.groups()
    if dec is not None:
        v = -int(dec) if sign == "-" else int(dec)
        if not -2**31 <= v < 2**31:
            raise ValueError("''%s'' ist kein gültiger Integer-Wert" % text)
        return v
    v = int(hexa, 16)
    if v > 0xFFFFFFFF:
        raise ValueError("''%s'' ist kein gültiger Integer-Wert" % text)
    if sign == "-":
        v = -v
    v &= 0xFFFFFFFF
    return v - 2**32 if v >= 2**31 else v


def text(element, name):
    value = element.findtext(name)
    return value if value is not None else ""


def main(argv):
    if len(argv) != 1:
        print("usage: peer_crc.py TEMPLATE", file=sys.stderr)
        return 2
    root = etree.parse(argv[0]).getroot()
    big_endian = text(root, "CRC/ENDIAN") == "BigEndian"
    order = "big" if big_endian else "little"
    parameters = root.find("PARAMETER")
    data = bytearray()
    for entry in parameters if parameters is not None else ():
        type_ = text(entry, "TYPE")
        width = WIDTHS.get(type_)
        if width is None:
            continue
        value = text(entry, "DEFAULT")
        if type_ == "BOOL":
            bit = 1 if value == text(entry, "MAX") else 0
            if value == text(entry, "MIN"):
                bit = 0
            data.append(bit)
        else:
            v = to_int(value) & ((1 << 8 * width) - 1)
            data += v.to_bytes(width, order)
    crc = 0xFFFFFFFF
    for byte in data:
        crc = (crc >> 8) ^ TABLE[(crc ^ byte) & 0xFF]
    if not big_endian:
        crc = int.from_bytes(crc.to_bytes(4, "little"), "big")
    print(crc)
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main(sys.argv[1:]))
    except (ValueError, OSError, etree.XMLSyntaxError) as e:
        print(e, file=sys.stderr)
        sys.exit(2)
