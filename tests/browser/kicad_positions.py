#!/usr/bin/python3
"""Where KiCad draws each reference of a demo's sheets, taken from its own
SVG export, for the browser case "positions" to compare the page with:

    kicad_positions.py SVG_FOLDER PROJECT_NAME [PAGE] > tests/browser/kicad_positions/DEMO.txt

SVG_FOLDER holds what `kicad-cli sch export svg --exclude-drawing-sheet`
wrote for the project's root schematic (one file a sheet). Each line of the
output is "SHEET TEXT X Y": the sheet's name ("/" for the root), a text that
reads like a reference, and the centre of the strokes KiCad drew it with,
in millimetres. With PAGE, comptab's page of the same project, only the
texts that name a part of their sheet (its reference, with or without the
unit letter) are kept, which leaves out pin names that read like
references. Only these positions are kept; KiCad's files are not.
"""
import html
import os
import re
import sys

STROKED = re.compile(r'<g class="stroked-text"><desc>(.*?)</desc>(.*?)</g>', re.S)
NUMBER_PAIR = re.compile(r"(-?\d+(?:\.\d+)?)[ ,](-?\d+(?:\.\d+)?)")
REFERENCE = re.compile(r"^[A-Za-z]+[0-9]+[A-Z]{0,2}$")


def positions(svg_text):
    found = set()
    for match in STROKED.finditer(svg_text):
        text = html.unescape(match.group(1))
        if not REFERENCE.match(text):
            continue
        xs, ys = [], []
        for d in re.findall(r'd="([^"]*)"', match.group(2)):
            for x, y in NUMBER_PAIR.findall(d):
                xs.append(float(x))
                ys.append(float(y))
        if xs:
            found.add((text, round((min(xs) + max(xs)) / 2, 2), round((min(ys) + max(ys)) / 2, 2)))
    return sorted(found)


def part_names(page_path):
    """(sheet, name) of every part of a comptab page's drawing."""
    import json
    with open(page_path, encoding="utf-8") as f:
        page = f.read()
    data = json.loads(re.search(r'id="comptab-data">(.*?)</script>', page, re.S).group(1))
    names = set()
    for sheet in data["sch"]["sheets"]:
        name = "/" if sheet["parent"] < 0 else sheet["name"]
        for reference, unit in zip(sheet["refs"], sheet["units"]):
            names.update({(name, reference), (name, reference + unit)})
    return names


def main():
    folder, project = sys.argv[1], sys.argv[2]
    parts = part_names(sys.argv[3]) if len(sys.argv) > 3 else None
    for name in sorted(os.listdir(folder)):
        if not name.endswith(".svg"):
            continue
        stem = name[:-len(".svg")]
        sheet = "/" if stem == project else stem[len(project) + 1:]
        with open(os.path.join(folder, name), encoding="utf-8") as f:
            for text, x, y in positions(f.read()):
                if parts is not None and (sheet, text) not in parts:
                    continue
                print("%s %s %.2f %.2f" % (sheet, text, x, y))


if __name__ == "__main__":
    main()
