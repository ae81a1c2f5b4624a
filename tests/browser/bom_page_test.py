#!/usr/bin/python3
"""Browser cases of the interactive page (docs/html.md), each run as its own
CTest test:

    bom_page_test.py COMPTAB SOURCE_DIR CASE

The page is written by the comptab under test into a scratch folder and
opened from file:// in headless Chromium; every check reads the page's DOM.
Exit 0 passes, 1 fails, 77 skips (no Chromium, no Selenium, no KiCad demos).
"""
import csv
import io
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import page_driver  # noqa: E402

DEMOS = "/usr/share/kicad/demos"
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL:", what)


def run_comptab(comptab, suite, work, args):
    env = dict(os.environ, KDXROOT=suite, HOME=work)
    done = subprocess.run([comptab] + args, cwd=work, env=env, capture_output=True)
    if done.returncode not in (0, 2):
        print(done.stdout.decode(errors="replace"), done.stderr.decode(errors="replace"))
        sys.exit(1)
    return done.stdout.decode("utf-8", errors="replace")


def csv_rows(text):
    return list(csv.reader(io.StringIO(text)))


def table_rows(web):
    """The header and the lines the table shows, as lists of cell texts."""
    return web.execute_script("""
        const head = Array.from(document.querySelectorAll('#bomtable thead th')).slice(2).map(th => th.textContent);
        const lines = Array.from(document.querySelectorAll('#bomtable tbody tr.line')).map(
            tr => Array.from(tr.children).slice(2).map(td => td.textContent));
        return [head].concat(lines);""")


def wait_for_page(web):
    for _ in range(50):
        if web.execute_script("return !!window.comptabPage"):
            return
        time.sleep(0.1)
    check(False, "the page's script did not finish")


def open_page(web, path):
    web.get(page_driver.file_url(path))
    wait_for_page(web)


def common_checks(web):
    # Each log is read once: reading it empties it.
    errors = page_driver.page_errors(web)
    check(errors == [], "console errors: %r" % errors)
    requests = page_driver.network_requests(web)
    check(requests == [], "requests left the page: %r" % requests)


def values_folder(source, work):
    folder = os.path.join(work, "values")
    shutil.copytree(os.path.join(source, "tests/inputs/html-values"), folder)
    return folder


def case_table(comptab, source, suite, work, web):
    """The table holds the rows and cells of the CSV for the same options:
    a listing and a folded bill of materials, and a KiCad demo's."""
    folder = values_folder(source, work)
    for rsc, extra in (("list.rsc", []), ("bom.rsc", ["-p:package", "partName"])):
        expected = csv_rows(run_comptab(comptab, suite, folder, ["-p:resource", rsc, "-p:format", "csv"] + extra +
                                        ["board.sht"]))
        run_comptab(comptab, suite, folder, ["-p:resource", rsc, "-p:format", "html", "-output", "page.html",
                                             "-mode", "force"] + extra + ["board.sht"])
        open_page(web, os.path.join(folder, "page.html"))
        check(table_rows(web) == expected, "%s: the page's table differs from the CSV" % rsc)
    # Destinations as tabs, each the table of its destination alone.
    tabs = os.path.join(work, "tabs")
    os.makedirs(tabs)
    shutil.copy(os.path.join(source, "tests/inputs/full.sht"), tabs)
    shutil.copytree(os.path.join(source, "tests/inputs/data"), os.path.join(tabs, "data"))
    shutil.copy(os.path.join(source, "tests/e2e/list-strings-around/list.rsc"), tabs)
    expected = [csv_rows(run_comptab(comptab, suite, tabs, ["-p:resource", "list.rsc", "-p:format", "csv",
                                                            "-p:destination", d, "full.sht"])) for d in ("PRO", "LITE")]
    run_comptab(comptab, suite, tabs, ["-p:resource", "list.rsc", "-p:format", "html", "-p:destination", "PRO",
                                       "-p:destination", "LITE", "-output", "page.html", "full.sht"])
    open_page(web, os.path.join(tabs, "page.html"))
    names = web.execute_script("return Array.from(document.querySelectorAll('#tabs button')).map(b => b.textContent)")
    check(names == ["PRO", "LITE"], "the tabs are %r" % names)
    check(len(expected[0]) > 2 and expected[0] != expected[1], "the two destinations do not make two tables")
    for i in range(2):
        web.execute_script("document.querySelectorAll('#tabs button')[%d].click()" % i)
        check(table_rows(web) == expected[i], "the tab %s differs from its CSV" % names[i:i + 1])
    if os.path.isdir(DEMOS):
        demo = os.path.join(work, "complex_hierarchy")
        shutil.copytree(os.path.join(DEMOS, "complex_hierarchy"), demo)
        shutil.copy(os.path.join(source, "tests/inputs/kicad/bom.rsc"), work)
        args = ["-p:resource", "bom.rsc", "-mode", "package", "complex_hierarchy/complex_hierarchy.kicad_pro"]
        expected = csv_rows(run_comptab(comptab, suite, work, args[:-1] + ["-p:format", "csv", args[-1]]))
        run_comptab(comptab, suite, work, args[:-1] + ["-p:format", "html", "-output", "demo.html", args[-1]])
        open_page(web, os.path.join(work, "demo.html"))
        check(table_rows(web) == expected, "the demo's table differs from its CSV")
    common_checks(web)


def case_sort_filter(comptab, source, suite, work, web):
    """A header sorts by comptab's own order of values (the run's sort by
    value, rows without a value first), then turned round, then as written;
    the filter keeps the lines with the text in any cell."""
    folder = values_folder(source, work)
    with open(os.path.join(folder, "by_reference.rsc"), "w") as f:
        f.write('separator = ","\nemptyCell = "-"\ntoken = " "\nendOfLineStyle = "lf"\nsortKey = ["reference"]\n'
                'formatTable = [["reference", 0], ["partName", 0], ["value", 0], ["_ZONE", 0]]\n')
    with open(os.path.join(folder, "descending.rsc"), "w") as f:
        f.write(open(os.path.join(folder, "list.rsc")).read() + 'sortDescending = ["value"]\n')
    by_value = csv_rows(run_comptab(comptab, suite, folder, ["-p:resource", "list.rsc", "-p:format", "csv", "board.sht"]))
    descending = csv_rows(run_comptab(comptab, suite, folder, ["-p:resource", "descending.rsc", "-p:format", "csv",
                                                               "board.sht"]))
    by_reference = csv_rows(run_comptab(comptab, suite, folder, ["-p:resource", "by_reference.rsc", "-p:format", "csv",
                                                                 "board.sht"]))
    run_comptab(comptab, suite, folder, ["-p:resource", "by_reference.rsc", "-p:format", "html", "-output", "page.html",
                                         "board.sht"])
    open_page(web, os.path.join(folder, "page.html"))
    check(table_rows(web) == by_reference, "the page does not start in the run's order")
    header = web.find_elements("css selector", "#bomtable thead th")[2 + 2]
    header.click()
    check(table_rows(web) == by_value, "sorting by value differs from the run's: %r" % table_rows(web)[1:])
    web.find_elements("css selector", "#bomtable thead th")[2 + 2].click()
    check(table_rows(web) == descending, "sorting by value turned round differs: %r" % table_rows(web)[1:])
    web.find_elements("css selector", "#bomtable thead th")[2 + 2].click()
    check(table_rows(web) == by_reference, "a third click does not give the run's order back")
    box = web.find_element("id", "filter")
    box.send_keys("p3")
    refs = [row[0] for row in table_rows(web)[1:]]
    check(refs == [row[0] for row in by_reference[1:] if row[1] == "P3"], "filter p3 kept %r" % refs)
    box.clear()
    box.send_keys("4k7")
    check([row[0] for row in table_rows(web)[1:]] == ["R2"], "filter 4k7 kept %r" % table_rows(web)[1:])
    common_checks(web)


def demo_page(comptab, source, suite, work, name="complex_hierarchy"):
    demo = os.path.join(work, name)
    shutil.copytree(os.path.join(DEMOS, name), demo)
    shutil.copy(os.path.join(source, "tests/inputs/html-values/bom.rsc"), work)
    with open(os.path.join(work, "kicad.rsc"), "w") as f:
        f.write('separator = ","\nemptyCell = "-"\ntoken = " "\nendOfLineStyle = "lf"\n'
                'excludeType = ["power", "ground"]\nsortKey = ["reference"]\n'
                'formatTable = [["reference", 0], ["partName", 0], ["Footprint", 0], ["_REFCOUNT", 0]]\n')
    pro = [f for f in os.listdir(demo) if f.endswith(".kicad_pro")][0]
    run_comptab(comptab, suite, work, ["-p:resource", "kicad.rsc", "-p:package", "partName", "-p:format", "html",
                                       "-output", "demo.html", os.path.join(name, pro)])
    return os.path.join(work, "demo.html")


def case_highlight(comptab, source, suite, work, web):
    """Selecting a line marks exactly the parts of its references on the
    sheet it brings into view, on a sheet of comptab's own format and on a
    KiCad demo's hierarchy; clicking a part selects its line; the arrow
    keys move through the lines."""
    folder = values_folder(source, work)
    run_comptab(comptab, suite, folder, ["-p:resource", "bom.rsc", "-p:package", "partName", "-p:format", "html",
                                         "-output", "page.html", "board.sht"])
    open_page(web, os.path.join(folder, "page.html"))
    marked = web.execute_script("""
        const tr = Array.from(document.querySelectorAll('#bomtable tbody tr.line')).find(t => t.children[3].textContent === 'P1');
        tr.click();
        return Array.from(document.querySelectorAll('#view svg g.part.hl')).map(g => g.getAttribute('data-ref')).sort();""")
    check(marked == ["R10", "R14", "R2", "R6"], "the line of P1 marks %r on the sheet" % marked)
    zones = web.execute_script("return Array.from(document.querySelectorAll('#view svg text.frame-text')).map(t => t.textContent)")
    check(zones == ["A", "B", "C", "D", "1", "2"], "the sheet's zone labels are %r" % zones)
    common_checks(web)
    if not os.path.isdir(DEMOS):
        print("skipped: no KiCad demos in " + DEMOS)
        sys.exit(page_driver.SKIP)
    open_page(web, demo_page(comptab, source, suite, work))
    lines = web.execute_script("""
        return Array.from(document.querySelectorAll('#bomtable tbody tr.line')).map(
            tr => [tr.children[2].textContent]);""")
    check(len(lines) > 10, "the demo's table has %d lines" % len(lines))
    for index, (refs_text,) in enumerate(lines):
        refs = set(refs_text.split(" "))
        web.execute_script("document.querySelectorAll('#bomtable tbody tr.line')[%d].click()" % index)
        state = web.execute_script("""
            const svg = document.querySelector('#view svg');
            return [svg ? Number(svg.getAttribute('data-sheet')) : -1,
                    Array.from(svg.querySelectorAll('g.part.hl')).map(g => g.getAttribute('data-ref')),
                    Array.from(svg.querySelectorAll('g.part')).map(g => g.getAttribute('data-ref')),
                    Array.from(document.querySelectorAll('#bomtable tbody tr.selected')).map(tr => tr.dataset.line)];""")
        sheet, marked, on_sheet, selected = state
        expected = sorted(r for r in on_sheet if r in refs)
        check(sorted(marked) == expected, "line %s: marked %r, expected %r" % (refs_text, sorted(marked), expected))
        check(len(expected) > 0, "line %s: the sheet shown holds none of its parts" % refs_text)
        check(selected == [str(index)], "line %s: selected rows %r" % (refs_text, selected))
    # A part clicked selects its line.
    web.execute_script("window.comptabPage.showSheet(0)")
    ref = web.execute_script("""
        const part = document.querySelector('#view svg g.part');
        part.dispatchEvent(new MouseEvent('click', {bubbles: true}));
        return part.getAttribute('data-ref');""")
    chosen = web.execute_script("""
        const tr = document.querySelector('#bomtable tbody tr.selected');
        return tr ? tr.children[2].textContent : null;""")
    check(chosen is not None and ref in chosen.split(" "), "clicking %s selected the line %r" % (ref, chosen))
    # Down and up from the first line.
    web.execute_script("document.querySelectorAll('#bomtable tbody tr.line')[0].click()")
    from selenium.webdriver.common.keys import Keys
    body = web.find_element("tag name", "body")
    body.send_keys(Keys.ARROW_DOWN)
    body.send_keys(Keys.ARROW_DOWN)
    body.send_keys(Keys.ARROW_UP)
    chosen = web.execute_script("return document.querySelector('#bomtable tbody tr.selected').dataset.line")
    check(chosen == "1", "down, down, up from the first line selected line %s" % chosen)
    # The wheel zooms in about the pointer; a drag pans.
    views = web.execute_script("""
        window.comptabPage.showSheet(0);
        const svg = document.querySelector('#view svg');
        const r = svg.getBoundingClientRect();
        const at = {clientX: r.left + r.width / 2, clientY: r.top + r.height / 2, bubbles: true};
        const before = svg.getAttribute('viewBox').split(' ').map(Number);
        svg.dispatchEvent(new WheelEvent('wheel', Object.assign({deltaY: -100, cancelable: true}, at)));
        const zoomed = svg.getAttribute('viewBox').split(' ').map(Number);
        svg.dispatchEvent(new MouseEvent('mousedown', at));
        svg.dispatchEvent(new MouseEvent('mousemove', Object.assign({}, at, {clientX: at.clientX + 50})));
        window.dispatchEvent(new MouseEvent('mouseup', at));
        const panned = svg.getAttribute('viewBox').split(' ').map(Number);
        return [before, zoomed, panned];""")
    before, zoomed, panned = views
    check(zoomed[2] < before[2] and zoomed[3] < before[3], "the wheel did not zoom in: %r" % views)
    check(panned[0] < zoomed[0] and panned[1] == zoomed[1] and panned[2] == zoomed[2], "the drag did not pan: %r" % views)
    # Every sheet instance is in the tree, and each draws.
    sheets = web.execute_script("return document.querySelectorAll('#tree span[data-sheet]').length")
    check(sheets == 3, "the demo's tree has %d sheets, not 3" % sheets)
    for s in range(sheets):
        web.execute_script("window.comptabPage.showSheet(%d)" % s)
        parts = web.execute_script("return document.querySelectorAll('#view svg g.part').length")
        check(parts > 5, "sheet %d draws %d parts" % (s, parts))
    common_checks(web)


def case_checks(comptab, source, suite, work, web):
    """A checkbox survives a reload; the counts follow; reset clears."""
    folder = values_folder(source, work)
    run_comptab(comptab, suite, folder, ["-p:resource", "bom.rsc", "-p:package", "partName", "-p:format", "html",
                                         "-output", "page.html", "board.sht"])
    open_page(web, os.path.join(folder, "page.html"))
    counts = lambda: web.execute_script(  # noqa: E731
        "const c = document.getElementById('counts'); return [c.dataset.checked, c.dataset.total]")
    check(counts() == ["0", "21"], "counts before: %r" % counts())
    # The line of P0 (four references) as a whole, then one reference of P1.
    line = web.execute_script("""
        const tr = Array.from(document.querySelectorAll('#bomtable tbody tr.line')).find(t => t.children[3].textContent === 'P0');
        tr.querySelector('input').click();
        return tr.dataset.line;""")
    web.execute_script("""
        const tr = Array.from(document.querySelectorAll('#bomtable tbody tr.line')).find(t => t.children[3].textContent === 'P1');
        tr.querySelector('td.toggle').click();""")
    web.execute_script("document.querySelector('#bomtable tbody tr.ref[data-ref=\"R6\"] input').click()")
    check(counts() == ["5", "21"], "counts after checking: %r" % counts())
    web.refresh()
    wait_for_page(web)
    check(counts() == ["5", "21"], "counts after a reload: %r" % counts())
    still = web.execute_script("return document.querySelector('#bomtable tbody tr.line[data-line=\"%s\"] input').checked"
                               % line)
    check(still, "the line's checkbox did not survive the reload")
    web.execute_script("""
        const tr = Array.from(document.querySelectorAll('#bomtable tbody tr.line')).find(t => t.children[3].textContent === 'P1');
        tr.querySelector('td.toggle').click();""")
    ref_on = web.execute_script("return document.querySelector('#bomtable tbody tr.ref[data-ref=\"R6\"] input').checked")
    check(ref_on, "the reference's checkbox did not survive the reload")
    web.find_element("id", "reset").click()
    check(counts() == ["0", "21"], "counts after reset: %r" % counts())
    web.refresh()
    wait_for_page(web)
    check(counts() == ["0", "21"], "counts after reset and reload: %r" % counts())
    common_checks(web)


def case_hostile(comptab, source, suite, work, web):
    """Values made to break out of the page show as the text they are."""
    folder = values_folder(source, work)
    run_comptab(comptab, suite, folder, ["-p:resource", "list.rsc", "-p:format", "html", "-output", "page.html",
                                         "board.sht"])
    open_page(web, os.path.join(folder, "page.html"))
    hostile = ["</script><script>window.pwned=1</script>", "\"><img src=x onerror=\"window.pwned=2\">",
               "line\u2028break\u2029end", "<!-- & -->", "'; window.pwned=3; '"]
    shown = {row[0]: row[2] for row in table_rows(web)[1:]}
    for i, value in enumerate(hostile):
        check(shown.get("H%d" % (i + 1)) == value, "H%d shows %r, not %r" % (i + 1, shown.get("H%d" % (i + 1)), value))
    check(web.execute_script("return window.pwned === undefined"), "a value ran as script")
    check(web.execute_script("return document.querySelectorAll('img, iframe, object, embed, link').length") == 0,
          "a value became an element")
    check(web.execute_script("return document.querySelectorAll('script').length") == 2, "a value added a script")
    with open(os.path.join(folder, "page.html"), encoding="utf-8") as f:
        page = f.read()
    check(page.count("</script>") == 2, "the page holds a stray </script>")
    check("\u2028" not in page and "\u2029" not in page, "the page holds a raw line or paragraph separator")
    common_checks(web)


def case_positions(comptab, source, suite, work, web):
    """Each drawn reference of a few demos lies where KiCad's own SVG export
    draws it (tests/browser/kicad_positions/, made by kicad_positions.py),
    within the difference of the two fonts' widths; and every reference
    KiCad draws, the page draws too."""
    if not os.path.isdir(DEMOS):
        print("skipped: no KiCad demos in " + DEMOS)
        sys.exit(page_driver.SKIP)
    tolerance = 1.0  # mm
    folder = os.path.join(source, "tests/browser/kicad_positions")
    for name in sorted(os.listdir(folder)):
        demo = name[:-len(".txt")]
        expected = {}
        with open(os.path.join(folder, name)) as f:
            for line in f:
                sheet, text, x, y = line.split()
                expected.setdefault((sheet, text), []).append((float(x), float(y)))
        open_page(web, demo_page(comptab, source, suite, os.path.join(work, demo) if os.makedirs(
            os.path.join(work, demo)) is None else work, demo))
        drawn = web.execute_script("""
            const out = [];
            const labels = Array.from(document.querySelectorAll('#tree span[data-sheet]'));
            labels.forEach((label, s) => {
              window.comptabPage.showSheet(s);
              const svg = document.querySelector('#view svg');
              const sheetName = s === 0 ? '/' : label.textContent.replace(/ \\(.*$/, '');
              for (const g of svg.querySelectorAll('g.part')) out.push([sheetName, g.getAttribute('data-ref'), null, null]);
              for (const t of svg.querySelectorAll('text[data-reference]')) {
                const b = t.getBBox();
                let p = svg.createSVGPoint();
                p.x = b.x + b.width / 2; p.y = b.y + b.height / 2;
                const m = t.transform.baseVal.consolidate();
                if (m) p = p.matrixTransform(m.matrix);
                out.push([sheetName, t.textContent, p.x, p.y]);
              }
            });
            return out;""")
        seen = set()
        worst = 0.0
        # The parts of each sheet, by reference without the unit letter.
        parts = {(sheet, text) for sheet, text, x, _ in drawn if x is None}
        drawn = [d for d in drawn if d[2] is not None]
        for sheet, text, x, y in drawn:
            places = expected.get((sheet, text))
            if not places:
                continue
            seen.add((sheet, text))
            distance = min(max(abs(x - ex), abs(y - ey)) for ex, ey in places)
            worst = max(worst, distance)
            check(distance <= tolerance, "%s %s %s: drawn at %.2f %.2f, KiCad draws it at %r" % (
                demo, sheet, text, x, y, places))
        drawn_keys = {(sheet, text) for sheet, text, _, _ in drawn}
        # KiCad's texts that read like references may be pin names or values;
        # one that names a part of its sheet (with or without a unit letter)
        # must be drawn.
        def names_part(key):
            sheet, text = key
            return (sheet, text) in parts or (sheet, text.rstrip("ABCDEFGHIJKLMNOPQRSTUVWXYZ")) in parts
        missing = sorted(k for k in expected if names_part(k) and k not in drawn_keys)
        check(not missing, "%s: references KiCad draws that the page does not: %r" % (demo, missing[:10]))
        print("%s: %d references compared, the farthest %.2f mm from KiCad's" % (demo, len(seen), worst))
        check(len(seen) > 20, "%s: only %d references compared" % (demo, len(seen)))
    common_checks(web)


def case_circuit(comptab, source, suite, work, web):
    """A circuit's sheets form the tree of its blocks; a block leads to the
    sheet inside it; a line brings the nested sheet of its part into view."""
    generator = os.environ.get("E2E_GEN")
    if not generator:
        print("skipped: no design generator (E2E_GEN)")
        sys.exit(page_driver.SKIP)
    subprocess.run([generator, "circuit", "12", "5", "3", work], check=True, capture_output=True)
    shutil.copy(os.path.join(source, "tests/inputs/html-values/list.rsc"), work)
    run_comptab(comptab, suite, work, ["-p:resource", "list.rsc", "-p:format", "html", "-output", "page.html",
                                       "design.cir"])
    open_page(web, os.path.join(work, "page.html"))
    tree = web.execute_script("""
        return Array.from(document.querySelectorAll('#tree span[data-sheet]')).map(
            span => [span.textContent, span.closest('ul').closest('li') ?
                     span.closest('ul').closest('li').firstChild.dataset.sheet : null]);""")
    check(len(tree) == 15, "the tree has %d sheets" % len(tree))
    check(sum(1 for _, parent in tree if parent is None) == 1, "the tree has more than one top: %r" % tree)
    child = web.execute_script("""
        window.comptabPage.showSheet(0);
        const block = document.querySelector('#view svg g.block[data-sheet]');
        block.dispatchEvent(new MouseEvent('click', {bubbles: true}));
        return [Number(block.dataset.sheet), Number(document.querySelector('#view svg').getAttribute('data-sheet'))];""")
    check(child[0] == child[1] and child[0] > 0, "a block of the top sheet led to %r" % child)
    check(tree[child[0]][1] == "0", "the block's sheet is not a child of the top sheet in the tree")
    # The last line's part lies on a nested sheet; selecting it shows it.
    shown = web.execute_script("""
        const rows = document.querySelectorAll('#bomtable tbody tr.line');
        const tr = rows[rows.length - 1];
        tr.click();
        const svg = document.querySelector('#view svg');
        return [tr.children[2].textContent, Number(svg.getAttribute('data-sheet')),
                Array.from(svg.querySelectorAll('g.part.hl')).map(g => g.getAttribute('data-ref'))];""")
    check(shown[1] > 0 and shown[2] == [shown[0]], "the last line %s shows sheet %d marking %r" % tuple(shown))
    common_checks(web)


CASES = {"circuit": case_circuit, "positions": case_positions, "table": case_table, "sort-filter": case_sort_filter, "highlight": case_highlight, "checks": case_checks,
         "hostile": case_hostile}


def main():
    comptab, source, case = sys.argv[1], sys.argv[2], sys.argv[3]
    suite = os.path.join(source, "suite")
    work = tempfile.mkdtemp(prefix="comptab-browser-")
    web = page_driver.open_browser()
    try:
        CASES[case](os.path.abspath(comptab), source, suite, work, web)
    finally:
        page_driver.close_browser(web)
        shutil.rmtree(work, ignore_errors=True)
    if failures:
        print("%d check(s) failed" % len(failures))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
