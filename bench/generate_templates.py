#!/usr/bin/python3
"""Writes large, realistic templates for the core benchmark.

Every size comes in both byte orders. The entries cycle through every TYPE, carry captions and
tooltips of the length real device descriptions have, and are indented like the shipped examples,
so the parser meets the same mix of markup, text and white space as in real use.

    generate_templates.py OUTDIR [--sizes 1000,10000,...] [--force]

A file that is newer than this script is kept, so repeated benchmark runs do not rewrite
hundreds of megabytes.
"""

import argparse
import os
import random
import sys

SIZES = (1_000, 10_000, 100_000, 1_000_000)

# (name stem, caption, unit, TYPE, MIN, MAX); BOOL rows carry their two choice texts instead.
KINDS = (
    ("SafetyFunction", "Safety function active", "", "BOOL", "Disabled", "Enabled"),
    ("Channels", "Number of evaluated input channels", "", "BYTE", "1", "4"),
    ("FilterLevel", "Input filter level", "", "UBYTE", "0", "15"),
    ("BrakeDelay", "Brake delay", "ms", "INT", "-1000", "1000"),
    ("WatchdogTime", "Watchdog time of the safety communication", "ms", "UINT", "10", "65535"),
    ("MaxSpeed", "Maximum safe speed", "rpm", "LONG", "0", "100000"),
    ("SerialMask", "Serial number mask", "", "ULONG", "0", "2147483647"),
    ("SpeedTolerance", "Speed tolerance between the channels", "rpm", "FLOAT", "0", "500"),
    ("Position", "Safe position limit", "increments", "DOUBLE", "-2000000", "2000000"),
    ("OperatingHours", "Operating hours counter limit", "h", "UDOUBLE", "0", "2147483647"),
    ("Label", "Axis label", "", "STRING", "", ""),
    ("RestartMode", "Restart after a safe stop", "", "BOOL", "Manual", "Automatic"),
)

TOOLTIPS = (
    "Switches the safe torque off function on or off; when off, the drive only stops "
    "under normal control.",
    "How many input channels the device evaluates for the safety decision (1 to 4).",
    "Filter level of the digital inputs; higher values filter more &amp; react later.",
    "Delay between the stop command and the engagement of the holding brake, in ms.",
    "Watchdog time of the safety communication; a telegram that arrives later than this "
    "trips the safe state.",
    "Highest speed the drive may reach while the safety monitoring is active.",
    "Mask applied to the serial number; set by the manufacturer, do not change.",
    "Tolerance of the speed comparison between the two channels &lt;= MAX.",
    "Limit of the safely limited position, in encoder increments from the reference mark.",
    "Service limit of the operating hours counter; after it the device asks for a check.",
    "Free text naming the axis on the operator panel; not part of the CRC.",
    "Whether the drive restarts by itself after a safe stop or waits for an acknowledgement.",
)

HEADER = """<?xml version="1.0" encoding="UTF-8"?>
<!-- Generated benchmark template: {n} parameters, {order}. -->
<IPAR_TEMPLATE>
  <CRC>
    <VENDOR>NORVEXA</VENDOR>
    <DEVICE>Benchmark drive BD-{n}</DEVICE>
    <VERSION>3.{n}</VERSION>
{endian}    <DEFAULT>1</DEFAULT>
  </CRC>
  <PARAMETER>
"""

FOOTER = """  </PARAMETER>
</IPAR_TEMPLATE>
"""

ENTRY = """    <{name}>
      <CAPTION>{caption}</CAPTION>
      <DEFAULT>{default}</DEFAULT>
      <TYPE>{type}</TYPE>
      <MIN>{min}</MIN>
      <MAX>{max}</MAX>
      <ENABLE>{enable}</ENABLE>
      <TOOLTIP>{tooltip}</TOOLTIP>
    </{name}>
"""


def default_text(rng, kind):
    """A default that the value encoding accepts, in the notations templates actually use."""
    _, _, _, type_, lo, hi = kind
    if type_ == "BOOL":
        return rng.choice((lo, hi))
    if type_ == "STRING":
        return "Axis %d" % rng.randint(1, 64)
    value = rng.randint(int(lo), int(hi))
    style = rng.random()
    if style < 0.1:
        return "$%08X" % value if value >= 0 else str(value)
    if style < 0.15 and value >= 0:
        return "0x%X" % value
    return str(value)


def entry_text(rng, i):
    kind = KINDS[i % len(KINDS)]
    stem, caption, unit, type_, lo, hi = kind
    caption = "%s %d" % (caption, i // len(KINDS) + 1)
    if unit:
        caption += " in " + unit
    return ENTRY.format(
        name="%s_%07d" % (stem, i),
        caption=caption,
        default=default_text(rng, kind),
        type=type_,
        min=lo,
        max=hi,
        enable="No" if i % 7 == 3 else "Yes",
        tooltip=TOOLTIPS[i % len(TOOLTIPS)],
    )


def write_template(path, n, big_endian):
    rng = random.Random(n * 2 + big_endian)
    endian = "    <ENDIAN>BigEndian</ENDIAN>\n" if big_endian else ""
    order = "big-endian" if big_endian else "least significant byte first"
    tmp = path + ".part"
    with open(tmp, "w", encoding="utf-8", newline="\n") as out:
        out.write(HEADER.format(n=n, order=order, endian=endian))
        chunk = []
        for i in range(n):
            chunk.append(entry_text(rng, i))
            if len(chunk) == 4096:
                out.write("".join(chunk))
                chunk.clear()
        out.write("".join(chunk))
        out.write(FOOTER)
    os.replace(tmp, path)


def file_name(n, big_endian):
    return "template_%d_%s.xml" % (n, "be" if big_endian else "le")


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("outdir")
    parser.add_argument("--sizes", default=",".join(str(n) for n in SIZES))
    parser.add_argument("--force", action="store_true", help="rewrite files that exist")
    args = parser.parse_args(argv)
    sizes = [int(s) for s in args.sizes.split(",") if s]
    os.makedirs(args.outdir, exist_ok=True)
    script_time = os.path.getmtime(__file__)
    for n in sizes:
        for big_endian in (True, False):
            path = os.path.join(args.outdir, file_name(n, big_endian))
            if not args.force and os.path.exists(path) and os.path.getmtime(path) > script_time:
                continue
            print("writing %s" % path, file=sys.stderr, flush=True)
            write_template(path, n, big_endian)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
