#!/usr/bin/env python3
"""Rebuilds module/geo/StatePlaneZones.cpp, the compiled-in table of NAD83 state-plane zones.

The table holds every current EPSG code whose conversion is a 1983 state-plane zone
("SPCS83 ...") on a realisation of NAD83 (NAD83 itself, HARN, NSRS2007, 2011, CORS96,
PA11). It starts with the zones of zones.tsv beside this script, in that file's order and
with their Civil 3D codes; the other codes follow in ascending order, each with the Civil 3D
code of the zones.tsv row that has the same conversion and unit, or none. The name,
projection kind, unit and parameters of each code come from the EPSG definitions in PROJ's
database (proj.db). The parameters are stored as:
  - angles in decimal degrees rounded to ten significant digits (18.83333333), or twelve
    in the zones and units that have no Civil 3D code (-133.666666667);
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
METHOD_KINDS = {9807: "kZoneTransverseMercator", 9802: "kZoneLambertConic",
                9812: "kZoneHotineObliqueMercator"}

# The geodetic CRSs of the NAD83 family whose state-plane codes the table holds.
NAD83_FAMILY = {4269: "NAD83", 4152: "NAD83(HARN)", 4759: "NAD83(NSRS2007)", 6318: "NAD83(2011)",
                6783: "NAD83(CORS96)", 6322: "NAD83(PA11)"}
STATE_PLANE_CONVERSIONS = "SPCS83 %"

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
    "kZoneHotineObliqueMercator": {
        "lat0": 8811, "lon0": 8812, "azimuth": 8813, "rectifiedGridAngle": 8814, "k0": 8815,
        "falseEasting": 8806, "falseNorthing": 8807,
    },
}

ANGLE_DEGREE_UNITS = {9102, 9122}
ANGLE_SEXAGESIMAL_DMS = 9110
SCALE_UNITY = 9201

FIELD_ORDER = ["lat0", "lon0", "k0", "falseEasting", "falseNorthing",
               "stdParallel1", "stdParallel2"]
# The Hotine fields follow the name in each row.
TRAILING_FIELDS = ["azimuth", "rectifiedGridAngle"]


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


# Significant digits of the stored angles: ten for the zones Civil 3D knows (and the other
# codes of their zone and unit, which must project alike), twelve for the zones it does not, so
# that those agree with their EPSG definitions to well under a millimetre.
CIVIL_ANGLE_DIGITS = 10
OTHER_ANGLE_DIGITS = 12


def significant_digits(fraction, digits):
    context = Context(prec=digits, rounding=ROUND_HALF_EVEN)
    return context.divide(Decimal(fraction.numerator), Decimal(fraction.denominator))


def angle_degrees(value, uom, digits):
    if uom == ANGLE_SEXAGESIMAL_DMS:
        return significant_digits(sexagesimal_to_degrees(value), digits)
    if uom in ANGLE_DEGREE_UNITS:
        return significant_digits(Fraction(exact_decimal(value)), digits)
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
    if text is None:
        return "nullptr"
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


def zone_row(db, epsg, civil_code, angle_digits=CIVIL_ANGLE_DIGITS):
    crs = db.execute(
        "SELECT name, deprecated, conversion_auth_name, conversion_code, "
        "coordinate_system_auth_name, coordinate_system_code, geodetic_crs_code "
        "FROM projected_crs WHERE auth_name = 'EPSG' AND code = ?", (str(epsg),)).fetchone()
    if crs is None:
        raise ZoneError(f"EPSG:{epsg} is not a projected CRS in the database")
    name, deprecated, conv_auth, conv_code, cs_auth, cs_code, geodetic = crs
    if deprecated:
        raise ZoneError(f"EPSG:{epsg} is deprecated")
    if int(geodetic) not in NAD83_FAMILY:
        raise ZoneError(f"EPSG:{epsg} is based on EPSG:{geodetic}, not a realisation of NAD83")
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

    fields = {"k0": Decimal(1), "stdParallel1": Decimal(0), "stdParallel2": Decimal(0),
              "azimuth": Decimal(0), "rectifiedGridAngle": Decimal(0)}
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
            fields[field] = angle_degrees(value, uom, angle_digits)

    return {"epsg": epsg, "civilCode": civil_code, "kind": kind, "unit": UNITS[unit][0],
            "name": name, "conversion": (conv_auth, conv_code), **fields}


def state_plane_codes(db):
    """Every current EPSG code of a 1983 state-plane zone on a NAD83 realisation, ascending."""
    family = ",".join(str(code) for code in sorted(NAD83_FAMILY))
    rows = db.execute(
        "SELECT p.code FROM projected_crs p JOIN conversion c "
        "ON c.auth_name = p.conversion_auth_name AND c.code = p.conversion_code "
        f"WHERE p.auth_name = 'EPSG' AND p.deprecated = 0 AND c.name LIKE ? "
        f"AND p.geodetic_crs_auth_name = 'EPSG' AND p.geodetic_crs_code IN ({family})",
        (STATE_PLANE_CONVERSIONS,))
    return sorted(int(code) for (code,) in rows)


def all_rows(db, keys):
    """The stated rows in their order, then every other state-plane code, ascending."""
    stated = [zone_row(db, epsg, civil) for epsg, civil in keys]
    codes = state_plane_codes(db)
    missing = [row["epsg"] for row in stated if row["epsg"] not in codes]
    if missing:
        raise ZoneError(f"EPSG:{missing[0]} is not a current state-plane code")
    civil_by_zone = {}
    for row in stated:
        civil_by_zone.setdefault((row["conversion"], row["unit"]), row["civilCode"])
    stated_codes = {row["epsg"] for row in stated}
    rest = []
    for epsg in codes:
        if epsg in stated_codes:
            continue
        row = zone_row(db, epsg, None)
        row["civilCode"] = civil_by_zone.get((row["conversion"], row["unit"]))
        rest.append(row if row["civilCode"] is not None else zone_row(db, epsg, None, OTHER_ANGLE_DIGITS))
    return stated, rest


def check_unique(rows, key):
    seen = {}
    for row in rows:
        if row[key] is None:
            continue
        if row[key] in seen:
            raise ZoneError(f"duplicate {key} {row[key]!r}: EPSG:{seen[row[key]]} and EPSG:{row['epsg']}")
        seen[row[key]] = row["epsg"]


def write_whole(path, text):
    """Writes `text` to `path` whole or not at all: a temporary file beside it, then a rename."""
    temporary = f"{path}.tmp{os.getpid()}"
    try:
        with open(temporary, "w", encoding="utf-8", newline="\n") as f:
            f.write(text)
        os.replace(temporary, path)
    finally:
        if os.path.exists(temporary):
            os.remove(temporary)


def render_row(row):
    numbers = ", ".join(cpp_double(row[f]) for f in FIELD_ORDER)
    trailing = ""
    if row["kind"] == "kZoneHotineObliqueMercator":
        trailing = ", " + ", ".join(cpp_double(row[f]) for f in TRAILING_FIELDS)
    return [f"    {{{row['epsg']}, {cpp_wide(row['civilCode'])}, {row['kind']}, {numbers},",
            f"     {row['unit']}, {cpp_wide(row['name'])}{trailing}}},"]


def render(stated, rest):
    lines = [
        "// Generated by tools/zonegen/zonegen.py from the EPSG definitions in PROJ's database.",
        "// Do not edit by hand: change tools/zonegen/zones.tsv or the generator and rerun it.",
        '#include "geo/StatePlaneZone.h"',
        "",
        f"static_assert(kCivil3dZoneCount == {len(stated)} && kStatePlaneZoneCount == {len(stated) + len(rest)},",
        '              "the table\'s counts in geo/StatePlaneZone.h are those of the generated rows");',
        "",
        "// Fields: epsg, civilCode, kind, lat0, lon0, k0, falseEasting, falseNorthing,",
        "//         stdParallel1, stdParallel2, unitMetres, name[, azimuth, rectifiedGridAngle].",
        "const std::array<StatePlaneZone, kStatePlaneZoneCount> kStatePlaneZones = {{",
    ]
    for row in stated:
        lines += render_row(row)
    lines.append("    // Every other state-plane code of the NAD83 family, ascending.")
    for row in rest:
        lines += render_row(row)
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
        stated, rest = all_rows(db, read_keys(args.keys))
        for key in ("epsg", "name"):
            check_unique(stated + rest, key)
        check_unique(stated, "civilCode")
    except ZoneError as error:
        print(f"zonegen: {error}", file=sys.stderr)
        return 1
    finally:
        db.close()

    write_whole(args.out, render(stated, rest))
    rows = stated + rest
    kinds = {k: sum(r["kind"] == k for r in rows) for k in METHOD_KINDS.values()}
    units = {u: sum(r["unit"] == u for r in rows) for u, _ in UNITS.values()}
    print(f"zonegen: wrote {len(rows)} zones ({len(stated)} with their own Civil 3D codes) to {args.out}; kinds {kinds}; units {units}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
