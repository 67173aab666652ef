#!/usr/bin/env python3
"""Rebuilds module/geo/StatePlaneZones.cpp, the compiled-in table of NAD83 state-plane zones.

The zone keys (EPSG code and Civil 3D code, in table order) come from zones.tsv beside
this script; the name, projection kind, unit and parameters of each zone come from the
EPSG definitions in PROJ's database (proj.db). The parameters are stored as:
  - angles in decimal degrees rounded to ten significant digits (18.83333333);
  - scale factors exactly as published (0.999966667);
  - false origins converted to metres from the zone's unit and rounded to six decimals
    (1640416.6667 ftUS -> 500000.00001);
  - the unit as one of three lengths in metres (1, 0.304800609601219, 0.3048).

Usage: zonegen.py [--db /usr/share/proj/proj.db] [--out module/geo/StatePlaneZones.cpp]
The output is deterministic; running it twice gives the same file.
"""

import argparse
import os
import sqlite3
import sys
from decimal import Decimal, Context, ROUND_HALF_EVEN
from fractions import Fraction

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))

# EPSG method codes -> the table's projection kinds.
METHOD_KINDS = {9807: "kZoneTransverseMercator", 9802: "kZoneLambertConic"}

# EPSG length units -> (constant name in the table, length in metres as stored).
UNITS = {
    9001: ("kUnitMetre", Decimal("1")),
    9002: ("kUnitInternationalFoot", Decimal("0.3048")),
    9003: ("kUnitUsSurveyFoot", Decimal("0.304800609601219")),
}

# EPSG parameter codes of the two methods, by the table field they fill.
PARAMETERS = {
    "kZoneTransverseMercator": {
        "lat0": 8801, "lon0": 8802, "k0": 8805, "falseEasting": 8806, "falseNorthing": 8807,
    },
    "kZoneLambertConic": {
        "lat0": 8821, "lon0": 8822, "stdParallel1": 8823, "stdParallel2": 8824,
        "falseEasting": 8826, "falseNorthing": 8827,
    },
}

ANGLE_DEGREE_UNITS = {9102, 9122}
ANGLE_SEXAGESIMAL_DMS = 9110
SCALE_UNITY = 9201

FIELD_ORDER = ["lat0", "lon0", "k0", "falseEasting", "falseNorthing",
               "stdParallel1", "stdParallel2"]


class ZoneError(Exception):
    pass


def read_keys(path):
    keys = []
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.rstrip("\n")
            if not line or line.startswith("#"):
                continue
            fields = line.split("\t")
            if len(fields) != 2:
                raise ZoneError(f"{path}:{number}: expected 2 tab-separated fields, got {len(fields)}")
            keys.append((int(fields[0]), fields[1]))
    return keys


def exact_decimal(value):
    """The decimal the database's double was written from (shortest round-trip form)."""
    return Decimal(repr(float(value)))


def sexagesimal_to_degrees(value):
    """EPSG's packed DDD.MMSSsss angle as an exact fraction of degrees."""
    text = exact_decimal(value)
    sign = -1 if text < 0 else 1
    text = abs(text)
    degrees = int(text)
    rest = (text - degrees) * 100
    minutes = int(rest)
    seconds = (rest - minutes) * 100
    if minutes >= 60 or seconds >= 60:
        raise ZoneError(f"bad sexagesimal angle {value!r}")
    return sign * (Fraction(degrees) + Fraction(minutes, 60) + Fraction(seconds) / 3600)


def ten_significant_digits(fraction):
    context = Context(prec=10, rounding=ROUND_HALF_EVEN)
    return context.divide(Decimal(fraction.numerator), Decimal(fraction.denominator))


def angle_degrees(value, uom):
    if uom == ANGLE_SEXAGESIMAL_DMS:
        return ten_significant_digits(sexagesimal_to_degrees(value))
    if uom in ANGLE_DEGREE_UNITS:
        return ten_significant_digits(Fraction(exact_decimal(value)))
    raise ZoneError(f"unexpected angle unit EPSG:{uom}")


def length_metres(value, uom):
    if uom not in UNITS:
        raise ZoneError(f"unexpected length unit EPSG:{uom}")
    metres = exact_decimal(value) * UNITS[uom][1]
    return metres.quantize(Decimal("0.000001"), rounding=ROUND_HALF_EVEN)


def cpp_double(value):
    """A C++ double literal with no exponent and no redundant trailing zeros."""
    text = format(Decimal(value).normalize(), "f")
    if "." in text:
        text = text.rstrip("0").rstrip(".")
    if text in ("-0", ""):
        text = "0"
    return text + ".0" if "." not in text else text


def cpp_wide(text):
    if any(c in text for c in '"\\') or not text.isascii():
        raise ZoneError(f"text needs escaping: {text!r}")
    return f'L"{text}"'


def conversion_parameters(db, conversion):
    auth, code = conversion
    row = db.execute("SELECT * FROM conversion WHERE auth_name = ? AND code = ?", (auth, code)).fetchone()
    if row is None:
        raise ZoneError(f"conversion {auth}:{code} not found")
    columns = [d[0] for d in db.execute("SELECT * FROM conversion LIMIT 0").description]
    record = dict(zip(columns, row))
    params = {}
    for i in range(1, 8):
        code = record[f"param{i}_code"]
        if code is not None:
            params[int(code)] = (record[f"param{i}_value"], int(record[f"param{i}_uom_code"]))
    return int(record["method_code"]), params


def zone_row(db, epsg, civil_code):
    crs = db.execute(
        "SELECT name, deprecated, conversion_auth_name, conversion_code, "
        "coordinate_system_auth_name, coordinate_system_code, geodetic_crs_code "
        "FROM projected_crs WHERE auth_name = 'EPSG' AND code = ?", (str(epsg),)).fetchone()
    if crs is None:
        raise ZoneError(f"EPSG:{epsg} is not a projected CRS in the database")
    name, deprecated, conv_auth, conv_code, cs_auth, cs_code, geodetic = crs
    if deprecated:
        raise ZoneError(f"EPSG:{epsg} is deprecated")
    if str(geodetic) != "4269":
        raise ZoneError(f"EPSG:{epsg} is based on EPSG:{geodetic}, not NAD83 (EPSG:4269)")
    axis_units = {int(u) for (u,) in db.execute(
        "SELECT uom_code FROM axis WHERE coordinate_system_auth_name = ? AND coordinate_system_code = ?",
        (cs_auth, cs_code))}
    if len(axis_units) != 1:
        raise ZoneError(f"EPSG:{epsg} axes use units {sorted(axis_units)}")
    unit = axis_units.pop()
    if unit not in UNITS:
        raise ZoneError(f"EPSG:{epsg} uses unit EPSG:{unit}")

    method, params = conversion_parameters(db, (conv_auth, conv_code))
    if method not in METHOD_KINDS:
        raise ZoneError(f"EPSG:{epsg} uses method EPSG:{method}")
    kind = METHOD_KINDS[method]

    fields = {"k0": Decimal(1), "stdParallel1": Decimal(0), "stdParallel2": Decimal(0)}
    for field, code in PARAMETERS[kind].items():
        if code not in params:
            raise ZoneError(f"EPSG:{epsg} lacks parameter EPSG:{code}")
        value, uom = params[code]
        if field == "k0":
            if uom != SCALE_UNITY:
                raise ZoneError(f"EPSG:{epsg} scale factor in unit EPSG:{uom}")
            fields[field] = exact_decimal(value)
        elif field.startswith("false"):
            fields[field] = length_metres(value, uom)
        else:
            fields[field] = angle_degrees(value, uom)

    return {"epsg": epsg, "civilCode": civil_code, "kind": kind, "unit": UNITS[unit][0],
            "name": name, **fields}


def check_unique(rows, key):
    seen = {}
    for row in rows:
        if row[key] in seen:
            raise ZoneError(f"duplicate {key} {row[key]!r}: EPSG:{seen[row[key]]} and EPSG:{row['epsg']}")
        seen[row[key]] = row["epsg"]


def render(rows):
    lines = [
        "// Generated by tools/zonegen/zonegen.py from the EPSG definitions in PROJ's database.",
        "// Do not edit by hand: change tools/zonegen/zones.tsv or the generator and rerun it.",
        '#include "geo/StatePlaneZone.h"',
        "",
        "// Fields: epsg, civilCode, kind, lat0, lon0, k0, falseEasting, falseNorthing,",
        "//         stdParallel1, stdParallel2, unitMetres, name.",
        "const std::array<StatePlaneZone, kStatePlaneZoneCount> kStatePlaneZones = {{",
    ]
    for row in rows:
        numbers = ", ".join(cpp_double(row[f]) for f in FIELD_ORDER)
        lines.append(f"    {{{row['epsg']}, {cpp_wide(row['civilCode'])}, {row['kind']}, {numbers},")
        lines.append(f"     {row['unit']}, {cpp_wide(row['name'])}}},")
    lines.append("}};")
    lines.append("")
    return "\n".join(lines)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--db", default="/usr/share/proj/proj.db")
    parser.add_argument("--keys", default=os.path.join(HERE, "zones.tsv"))
    parser.add_argument("--out", default=os.path.join(ROOT, "module", "geo", "StatePlaneZones.cpp"))
    args = parser.parse_args()

    db = sqlite3.connect(f"file:{args.db}?mode=ro", uri=True)
    try:
        rows = [zone_row(db, epsg, civil) for epsg, civil in read_keys(args.keys)]
    except ZoneError as error:
        print(f"zonegen: {error}", file=sys.stderr)
        return 1
    finally:
        db.close()
    try:
        for key in ("epsg", "civilCode", "name"):
            check_unique(rows, key)
    except ZoneError as error:
        print(f"zonegen: {error}", file=sys.stderr)
        return 1

    with open(args.out, "w", encoding="utf-8", newline="\n") as f:
        f.write(render(rows))
    kinds = {k: sum(r["kind"] == k for r in rows) for k in METHOD_KINDS.values()}
    units = {u: sum(r["unit"] == u for r in rows) for u, _ in UNITS.values()}
    print(f"zonegen: wrote {len(rows)} zones to {args.out}; kinds {kinds}; units {units}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
