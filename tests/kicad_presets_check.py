#!/usr/bin/env python3
"""Runs each shipped KiCad preset (examples/kicad-bom.rsc,
examples/kicad-project-bom.rsc) on every project of Debian's kicad-demos and
on the KiCad XML net lists under tests/inputs/kicadxml, and holds each BOM to
what a KiCad user expects of one:

- no power or ground symbol (a reference that starts with '#');
- no part marked "exclude from BOM";
- every part marked "do not populate" on a line of its own, marked DNP;
- one line per value, footprint and DNP mark, each reference on one line,
  the quantity the number of references;
- status 0 or 2 (a warning), never a note on a name no part has.

What the parts are marked with is read from the KiCad files here, with a
small S-expression reader and the XML module, not through comptab.

    kicad_presets_check.py COMPTAB SOURCE_ROOT
Exits 77 (skipped) when kicad-demos is not installed.
"""
import csv
import glob
import os
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

DEMOS = "/usr/share/kicad/demos"
PRESETS = ["examples/kicad-bom.rsc", "examples/kicad-project-bom.rsc"]


def sexpr(text):
    """The S-expression as nested lists of atoms (strings unquoted)."""
    tokens = re.findall(r'\(|\)|"(?:[^"\\]|\\.)*"|[^\s()"]+', text)
    stack = [[]]
    for token in tokens:
        if token == "(":
            stack.append([])
        elif token == ")":
            done = stack.pop()
            stack[-1].append(done)
        else:
            stack[-1].append(token[1:-1].replace('\\"', '"') if token.startswith('"') else token)
    return stack[0]


def child(node, name):
    return [c for c in node if isinstance(c, list) and c and c[0] == name]


def flag(node, name, default):
    found = child(node, name)
    return found[0][1] == "yes" if found and len(found[0]) > 1 else default


def schematic_marks(path, marks):
    """reference -> (in_bom, dnp) for the placed symbols of one sheet file."""
    with open(path, encoding="utf-8") as f:
        root = sexpr(f.read())
    for top in root:
        for symbol in child(top, "symbol"):
            if not child(symbol, "lib_id"):
                continue
            in_bom = flag(symbol, "in_bom", True) and not flag(symbol, "exclude_from_bom", False)
            dnp = flag(symbol, "dnp", False)
            refs = [p[2] for p in child(symbol, "property") if len(p) > 2 and p[1] == "Reference"]
            for instances in child(symbol, "instances"):
                for project in child(instances, "project"):
                    for ipath in child(project, "path"):
                        refs += [r[1] for r in child(ipath, "reference")]
            for ref in refs:
                if "?" not in ref:
                    marks[ref] = (in_bom, dnp)


def project_marks(project_dir):
    marks = {}
    for sch in glob.glob(os.path.join(project_dir, "**", "*.kicad_sch"), recursive=True):
        schematic_marks(sch, marks)
    return marks


def xml_marks(path):
    marks = {}
    for comp in ET.parse(path).getroot().iter("comp"):
        names = {p.get("name") for p in comp.iter("property")}
        marks[comp.get("ref")] = ("exclude_from_bom" not in names, "dnp" in names)
    return marks


def references(cell):
    """The references of a cell, ranges ("R1-R4") written out."""
    refs = []
    for word in cell.split():
        match = re.fullmatch(r"([^\d\s-]*)(\d+)-\1(\d+)", word)
        if match:
            refs += [f"{match[1]}{n}" for n in range(int(match[2]), int(match[3]) + 1)]
        else:
            refs.append(word)
    return refs


def check_bom(label, csv_text, marks, failures):
    rows = list(csv.reader(csv_text.splitlines()))
    if not rows:
        failures.append(f"{label}: no output")
        return
    header, lines = rows[0], rows[1:]
    col = {name: i for i, name in enumerate(header)}
    for needed in ("Qty", "Value", "Footprint", "References", "DNP"):
        if needed not in col:
            failures.append(f"{label}: no column {needed} in {header}")
            return
    seen_refs = set()
    seen_keys = set()
    for line in lines:
        refs = references(line[col["References"]])
        key = (line[col["Value"]], line[col["Footprint"]], line[col["DNP"]])
        if key in seen_keys:
            failures.append(f"{label}: a second line for {key}")
        seen_keys.add(key)
        if line[col["Qty"]] != str(len(refs)):
            failures.append(f"{label}: quantity {line[col['Qty']]} for {len(refs)} references {refs}")
        if line[col["DNP"]] not in ("YES", "NO"):
            failures.append(f"{label}: DNP mark {line[col['DNP']]!r} on {refs}")
        for ref in refs:
            if ref in seen_refs:
                failures.append(f"{label}: {ref} on two lines")
            seen_refs.add(ref)
            if ref.startswith("#"):
                failures.append(f"{label}: power or ground symbol {ref} listed")
            in_bom, dnp = marks.get(ref, (True, False))
            if not in_bom:
                failures.append(f"{label}: {ref} is excluded from the BOM but listed")
            if dnp != (line[col["DNP"]] == "YES"):
                failures.append(f"{label}: {ref} DNP {dnp} on a line marked {line[col['DNP']]}")
    for ref, (in_bom, _) in marks.items():
        if in_bom and not ref.startswith("#") and ref not in seen_refs:
            failures.append(f"{label}: {ref} is missing")


def run(comptab, preset, target, env):
    result = subprocess.run([comptab, "-p:resource", preset, target], capture_output=True, text=True, env=env)
    return result.returncode, result.stdout, result.stderr


def main():
    comptab, source = sys.argv[1], sys.argv[2]
    if not os.path.isdir(DEMOS):
        print("skipped: kicad-demos is not installed")
        return 77
    env = dict(os.environ, KDXROOT=os.path.join(source, "suite"))
    failures = []
    targets = []
    with tempfile.TemporaryDirectory() as work:
        shutil.copytree(DEMOS, os.path.join(work, "demos"), symlinks=True)
        for pro in sorted(glob.glob(os.path.join(work, "demos", "**", "*.kicad_pro"), recursive=True)):
            # A project of a board alone (microwave) has no schematic to list.
            if not os.path.exists(pro[: -len(".kicad_pro")] + ".kicad_sch"):
                continue
            targets.append((pro, project_marks(os.path.dirname(pro))))
        for xml in sorted(glob.glob(os.path.join(source, "tests", "inputs", "kicadxml", "*.xml"))):
            copy = os.path.join(work, os.path.basename(xml))
            shutil.copy(xml, copy)
            targets.append((copy, xml_marks(copy)))
        for preset in PRESETS:
            for target, marks in targets:
                label = f"{preset} on {os.path.relpath(target, work)}"
                status, out, err = run(comptab, os.path.join(source, preset), target, env)
                if status not in (0, 2) or "no component has" in err:
                    failures.append(f"{label}: status {status}: {err.strip()}")
                    continue
                check_bom(label, out, marks, failures)
    for failure in failures:
        print(failure)
    print(f"{len(targets)} designs, {len(PRESETS)} presets: {len(failures)} faults")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
