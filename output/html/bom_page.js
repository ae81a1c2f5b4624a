// The interactive page of comptab (docs/html.md). Everything is built from
// the JSON in #comptab-data; every text from the design goes into the page
// as text (textContent, attribute values), never as markup.
(function () {
  'use strict';
  const data = JSON.parse(document.getElementById('comptab-data').textContent);
  const SVG = 'http://www.w3.org/2000/svg';
  const ROW_HEIGHT = 24;
  const OVERSCAN = 40;

  // ---- the order of values: comptab's own (table/value_order.cpp and
  // platform/support/name_order.cpp), reimplemented: electrical values by
  // magnitude before every other text, the rest in natural order (digit
  // runs by number, other runs ignoring ASCII case), then by code units.
  const MULTIPLIERS = [['p', -12], ['n', -9], ['u', -6], ['U', -6], ['\u00b5', -6], ['\u03bc', -6], ['m', -3],
    ['k', 3], ['K', 3], ['M', 6], ['G', 9], ['T', 12]];
  const UNITS = ['\u03a9', '\u2126', 'R', 'F', 'H'];
  function electricalValue(text) {
    const m = /^(\d*)(\.(\d*))?/.exec(text);
    let whole = m[1], fraction = m[3] || '';
    const point = m[2] !== undefined;
    if (!whole && !fraction) return null;
    let rest = text.slice(m[0].length).replace(/^ +/, '');
    let exponent = 0;
    const take = (prefix) => { if (rest.startsWith(prefix)) { rest = rest.slice(prefix.length); return true; } return false; };
    const digits = () => { const d = /^\d*/.exec(rest)[0]; rest = rest.slice(d.length); return d; };
    const unit = () => { for (const u of UNITS) if (take(u)) return; };
    let multiplied = false;
    for (const [letter, power] of MULTIPLIERS) {
      if (take(letter)) { exponent = power; multiplied = true; break; }
    }
    if (multiplied) {
      if (!point) fraction = digits();
      unit();
    } else if (take('R')) {
      if (!point) fraction = digits();
    } else {
      unit();
    }
    if (rest.length) return null;
    return Number((whole || '0') + '.' + (fraction || '0') + 'e' + exponent);
  }
  const isDigit = (c) => c >= '0' && c <= '9';
  function runs(text) {
    const out = [];
    let i = 0;
    while (i < text.length) {
      const digits = isDigit(text[i]);
      let j = i + 1;
      while (j < text.length && isDigit(text[j]) === digits) ++j;
      out.push(text.slice(i, j));
      i = j;
    }
    return out;
  }
  function lowerAscii(text) { return text.replace(/[A-Z]/g, (c) => c.toLowerCase()); }
  // A sort splits each text once, not once a comparison.
  let runCache = null;
  function runsOf(text) {
    if (!runCache) return runs(text);
    let r = runCache.get(text);
    if (!r) { r = runs(text); runCache.set(text, r); }
    return r;
  }
  function compareNames(a, b) {
    if (a === b) return 0;
    const ra = runsOf(a), rb = runsOf(b);
    for (let i = 0; i < ra.length && i < rb.length; ++i) {
      const da = isDigit(ra[i][0]), db = isDigit(rb[i][0]);
      let c = 0;
      if (da !== db) {
        c = da ? -1 : 1;
      } else if (da) {
        const na = ra[i].replace(/^0+(?=.)/, ''), nb = rb[i].replace(/^0+(?=.)/, '');
        c = na.length !== nb.length ? (na.length < nb.length ? -1 : 1) : (na < nb ? -1 : na > nb ? 1 : 0);
      } else {
        const la = lowerAscii(ra[i]), lb = lowerAscii(rb[i]);
        c = la < lb ? -1 : la > lb ? 1 : 0;
      }
      if (c !== 0) return c;
    }
    if (ra.length !== rb.length) return ra.length < rb.length ? -1 : 1;
    return a < b ? -1 : 1;
  }
  // A cell that shows the empty-cell text stands for a row without the
  // property, which comes first.
  function compareValues(a, av, b, bv) {
    const aAbsent = a === data.empty, bAbsent = b === data.empty;
    if (aAbsent || bAbsent) return aAbsent === bAbsent ? 0 : (aAbsent ? -1 : 1);
    if (av !== null && bv !== null) {
      if (av < bv) return -1;
      if (bv < av) return 1;
    } else if (av !== null || bv !== null) {
      return av !== null ? -1 : 1;
    }
    return compareNames(a, b);
  }

  // ---- state
  const tables = data.tables;
  let current = 0;          // the table shown
  let order = [];           // its lines, filtered and sorted
  let rows = [];            // what the body shows: [line, reference index or -1]
  const expanded = new Set();
  let sortColumn = -1, sortDirection = 0;
  let filterText = '';
  let selected = -1, hovered = -1;
  let checked = new Set();  // "table|reference" or "table|#line"

  function lines() { return tables.length ? tables[current].rows : []; }
  function cellCount() { return tables.length ? tables[current].head.length : 0; }
  function refsOf(line) { const row = lines()[line]; return row[row.length - 1]; }

  // ---- checkboxes, kept per design and bill of materials
  function loadChecks() {
    try {
      const saved = JSON.parse(window.localStorage.getItem(data.key) || '[]');
      checked = new Set(Array.isArray(saved) ? saved.filter((k) => typeof k === 'string') : []);
    } catch (e) {
      checked = new Set();
    }
  }
  function saveChecks() {
    try { window.localStorage.setItem(data.key, JSON.stringify(Array.from(checked))); } catch (e) { /* no storage: marks last the visit */ }
  }
  function itemKeys(line) {
    const refs = refsOf(line);
    return refs.length ? refs.map((r) => current + '|' + r) : [current + '|#' + line];
  }
  function lineChecked(line) { return itemKeys(line).every((k) => checked.has(k)); }
  function setLine(line, on) {
    for (const k of itemKeys(line)) { if (on) checked.add(k); else checked.delete(k); }
    saveChecks();
  }
  function setRef(line, index, on) {
    const k = current + '|' + refsOf(line)[index];
    if (on) checked.add(k); else checked.delete(k);
    saveChecks();
  }

  // ---- the page's frame
  function element(tag, className, text) {
    const e = document.createElement(tag);
    if (className) e.className = className;
    if (text !== undefined) e.textContent = text;
    return e;
  }
  const bar = element('header'); bar.id = 'bar';
  const title = element('h1', '', data.title); bar.appendChild(title);
  const tabs = element('span'); tabs.id = 'tabs'; bar.appendChild(tabs);
  const filter = element('input'); filter.type = 'search'; filter.id = 'filter'; filter.placeholder = 'Filter';
  bar.appendChild(filter);
  const counts = element('span'); counts.id = 'counts'; bar.appendChild(counts);
  const reset = element('button', '', 'Reset checks'); reset.id = 'reset'; bar.appendChild(reset);
  const split = element('main'); split.id = 'split';
  const bom = element('section'); bom.id = 'bom';
  const scroller = element('div'); scroller.id = 'scroller'; scroller.tabIndex = 0;
  const table = element('table'); table.id = 'bomtable';
  const thead = element('thead'); const tbody = element('tbody');
  table.appendChild(thead); table.appendChild(tbody); scroller.appendChild(table); bom.appendChild(scroller);
  split.appendChild(bom);
  document.body.appendChild(bar); document.body.appendChild(split);

  tables.forEach((t, i) => {
    const b = element('button', '', t.name);
    b.addEventListener('click', () => showTable(i));
    tabs.appendChild(b);
  });
  if (tables.length < 2) tabs.style.display = 'none';

  // ---- the table
  function buildHead() {
    thead.textContent = '';
    const tr = element('tr');
    tr.appendChild(element('th', '', ''));
    tr.appendChild(element('th', '', ''));
    tables[current].head.forEach((h, i) => {
      const th = element('th', i === sortColumn ? (sortDirection > 0 ? 'asc' : 'desc') : '', h);
      th.dataset.column = String(i);
      th.addEventListener('click', () => sortBy(i));
      tr.appendChild(th);
    });
    thead.appendChild(tr);
  }
  let searchTexts = null;
  function searchText(line) {
    if (!searchTexts) searchTexts = new Array(lines().length);
    if (searchTexts[line] === undefined) {
      const row = lines()[line];
      searchTexts[line] = (row.slice(0, row.length - 1).join('\u0001') + '\u0001' + row[row.length - 1].join('\u0001')).toLowerCase();
    }
    return searchTexts[line];
  }
  function makeOrder() {
    const all = lines();
    order = [];
    const words = filterText.toLowerCase().split(/\s+/).filter((w) => w);
    for (let i = 0; i < all.length; ++i) {
      if (words.length && !words.every((w) => searchText(i).includes(w))) continue;
      order.push(i);
    }
    if (sortColumn >= 0 && sortDirection !== 0) {
      const c = sortColumn;
      const values = new Array(all.length);
      for (const i of order) values[i] = electricalValue(all[i][c]);
      runCache = new Map();
      order.sort((a, b) => sortDirection * compareValues(all[a][c], values[a], all[b][c], values[b]) || a - b);
      runCache = null;
    }
    makeRows();
  }
  function makeRows() {
    rows = [];
    for (const line of order) {
      rows.push([line, -1]);
      if (expanded.has(line)) refsOf(line).forEach((r, i) => rows.push([line, i]));
    }
    scroller.firstChild.style.height = '';
    render();
  }
  function sortBy(column) {
    if (sortColumn !== column) { sortColumn = column; sortDirection = 1; }
    else if (sortDirection === 1) sortDirection = -1;
    else { sortColumn = -1; sortDirection = 0; }
    buildHead();
    makeOrder();
  }
  function spacer(height) {
    const tr = element('tr', 'spacer');
    tr.style.height = height + 'px';
    const td = element('td'); td.colSpan = cellCount() + 2; td.style.padding = '0'; td.style.border = 'none';
    tr.appendChild(td);
    return tr;
  }
  function checkbox(on, change) {
    const box = element('input'); box.type = 'checkbox'; box.checked = on;
    box.addEventListener('click', (e) => e.stopPropagation());
    box.addEventListener('change', () => change(box.checked));
    return box;
  }
  function render() {
    const headHeight = thead.offsetHeight || ROW_HEIGHT;
    const first = Math.max(0, Math.floor((scroller.scrollTop - headHeight) / ROW_HEIGHT) - OVERSCAN);
    const visible = Math.ceil(scroller.clientHeight / ROW_HEIGHT) + 2 * OVERSCAN;
    const last = Math.min(rows.length, first + visible);
    const body = document.createDocumentFragment();
    body.appendChild(spacer(first * ROW_HEIGHT));
    for (let r = first; r < last; ++r) {
      const [line, index] = rows[r];
      const row = lines()[line];
      const refs = row[row.length - 1];
      let tr;
      if (index < 0) {
        tr = element('tr', 'line');
        const on = lineChecked(line);
        if (on) tr.classList.add('checked');
        const td = element('td', 'check');
        td.appendChild(checkbox(on, (v) => { setLine(line, v); render(); updateCounts(); }));
        tr.appendChild(td);
        const toggle = element('td', 'toggle', refs.length > 1 ? (expanded.has(line) ? '\u25be' : '\u25b8') : '');
        if (refs.length > 1) toggle.addEventListener('click', (e) => { e.stopPropagation(); toggleLine(line); });
        tr.appendChild(toggle);
        for (let c = 0; c < row.length - 1; ++c) {
          const cell = element('td', '', row[c]);
          cell.title = row[c];
          tr.appendChild(cell);
        }
        if (line === selected) tr.classList.add('selected');
      } else {
        tr = element('tr', 'ref');
        const ref = refs[index];
        const on = checked.has(current + '|' + ref);
        if (on) tr.classList.add('checked');
        const td = element('td', 'check');
        td.appendChild(checkbox(on, (v) => { setRef(line, index, v); render(); updateCounts(); }));
        tr.appendChild(td);
        tr.appendChild(element('td', 'toggle', ''));
        const name = element('td', 'refname', ref);
        name.colSpan = cellCount();
        tr.appendChild(name);
        tr.dataset.ref = ref;
      }
      tr.dataset.line = String(line);
      tr.addEventListener('click', () => select(line, false));
      tr.addEventListener('mouseenter', () => hover(line));
      tr.addEventListener('mouseleave', () => hover(-1));
      body.appendChild(tr);
    }
    body.appendChild(spacer((rows.length - last) * ROW_HEIGHT));
    tbody.textContent = '';
    tbody.appendChild(body);
  }
  function toggleLine(line) {
    if (expanded.has(line)) expanded.delete(line); else expanded.add(line);
    makeRows();
  }
  function updateCounts() {
    let total = 0, on = 0;
    lines().forEach((row, line) => {
      for (const k of itemKeys(line)) { ++total; if (checked.has(k)) ++on; }
    });
    counts.textContent = 'Checked ' + on + ' / ' + total;
    counts.dataset.checked = String(on);
    counts.dataset.total = String(total);
  }
  function showTable(i) {
    current = i;
    expanded.clear();
    selected = -1;
    searchTexts = null;
    sortColumn = -1; sortDirection = 0;
    Array.from(tabs.children).forEach((b, k) => b.classList.toggle('current', k === i));
    buildHead();
    makeOrder();
    updateCounts();
    indexLines();
    highlight();
  }
  scroller.addEventListener('scroll', () => window.requestAnimationFrame(render));
  window.addEventListener('resize', () => render());
  filter.addEventListener('input', () => { filterText = filter.value; makeOrder(); });
  reset.addEventListener('click', () => {
    const prefix = current + '|';
    checked = new Set(Array.from(checked).filter((k) => !k.startsWith(prefix)));
    saveChecks();
    render();
    updateCounts();
  });
  document.addEventListener('keydown', (e) => {
    if (e.target === filter || (e.key !== 'ArrowDown' && e.key !== 'ArrowUp')) return;
    e.preventDefault();
    let at = order.indexOf(selected);
    at = at < 0 ? (e.key === 'ArrowDown' ? 0 : order.length - 1) : at + (e.key === 'ArrowDown' ? 1 : -1);
    if (at < 0 || at >= order.length) return;
    select(order[at], false);
    const r = rows.findIndex((x) => x[0] === order[at] && x[1] < 0);
    const top = r * ROW_HEIGHT, headHeight = thead.offsetHeight || ROW_HEIGHT;
    if (top < scroller.scrollTop) scroller.scrollTop = top;
    else if (top + ROW_HEIGHT + headHeight > scroller.scrollTop + scroller.clientHeight)
      scroller.scrollTop = top + ROW_HEIGHT + headHeight - scroller.clientHeight;
  });

  // ---- the sheets
  const sch = data.sch;
  const places = new Map();  // reference -> [[sheet, part], ...] in sheet order
  let lineOfRef = new Map();
  let shown = -1;
  const view = element('div'); view.id = 'view';
  const tree = element('nav'); tree.id = 'tree';
  const treeItems = [];
  let svg = null;
  const views = [];  // the view box of each sheet as last seen
  const DENSE = 3000;
  let shownParts = new Map();  // reference -> its elements on the sheet shown
  let denseParts = null;       // the parts of a dense sheet shown
  let overlay = null;

  function sheetCount() { return sch ? sch.sheets.length : 0; }
  // The parts of sheet s: [reference, box] each; for KiCad, from its file.
  function partsOf(s) {
    const sheet = sch.sheets[s];
    if (sch.kind === 'kicad') {
      return sch.files[sheet.file].symbols.map((y) => [sheet.refs[y[0]], y[2]]);
    }
    const r = pointScale(s) * 1.5;
    return sheet.parts.map((p) => [p[0], [p[1] - r, p[2] - r, p[1] + r, p[2] + r]]);
  }
  // Sheets of comptab's own formats are in the design's units: marks and
  // texts are sized by the region.
  function pointScale(s) {
    const b = sch.sheets[s].box;
    return Math.max(b[2] - b[0], b[3] - b[1], 1) / 300;
  }
  function nthLabel(first, k) {
    if (/^[0-9]+$/.test(first)) return String(Number(first) + k);
    if (/^[A-Za-z]$/.test(first)) {
      const base = first <= 'Z' ? 65 : 97, at = first.charCodeAt(0) - base + k;
      return (at >= 26 ? String.fromCharCode(base + Math.floor(at / 26) - 1) : '') + String.fromCharCode(base + at % 26);
    }
    return first + k;
  }
  // The zone grid of a sheet of comptab's own formats, its labels along
  // the top and the left edge.
  function drawZones(g, s) {
    const sheet = sch.sheets[s], z = sheet.zone;
    if (!z) return;
    const [x0, y0, x1, y1] = sheet.box, size = pointScale(s) * 2.5;
    // A grid finer than 60 cells a side shows every n-th line and label.
    const every = (span, pitch) => Math.max(1, Math.ceil(span / pitch / 60));
    const ex = every(x1 - x0, z.pitch[0]), ey = every(y1 - y0, z.pitch[1]);
    const firstX = Math.ceil((x0 - z.offset[0]) / z.pitch[0]), firstY = Math.ceil((y0 - z.offset[1]) / z.pitch[1]);
    for (let k = firstX; z.offset[0] + k * z.pitch[0] < x1; ++k) {
      const x = z.offset[0] + k * z.pitch[0];
      if (x > x0 && k % ex === 0) g.appendChild(svgElement('line', { x1: x, y1: y0, x2: x, y2: y1 }, 'zone'));
    }
    for (let k = firstY; z.offset[1] + k * z.pitch[1] < y1; ++k) {
      const y = z.offset[1] + k * z.pitch[1];
      if (y > y0 && k % ey === 0) g.appendChild(svgElement('line', { x1: x0, y1: y, x2: x1, y2: y }, 'zone'));
    }
    for (let k = firstX - 1; z.offset[0] + k * z.pitch[0] < x1; ++k) {
      if (k % ex !== 0) continue;
      const from = Math.max(x0, z.offset[0] + k * z.pitch[0]), to = Math.min(x1, z.offset[0] + (k + 1) * z.pitch[0]);
      if (to > from) g.appendChild(textElement((from + to) / 2, y0 + size, size, 0, 0, 0, nthLabel(z.column, k), 'frame-text'));
    }
    for (let k = firstY - 1; z.offset[1] + k * z.pitch[1] < y1; ++k) {
      if (k % ey !== 0) continue;
      const from = Math.max(y0, z.offset[1] + k * z.pitch[1]), to = Math.min(y1, z.offset[1] + (k + 1) * z.pitch[1]);
      if (to > from) g.appendChild(textElement(x0 + size, (from + to) / 2, size, 0, 0, 0, nthLabel(z.row, k), 'frame-text'));
    }
  }

  function pageSize(s) {
    const sheet = sch.sheets[s];
    if (sch.kind === 'kicad') { const f = sch.files[sheet.file]; return [0, 0, f.w, f.h]; }
    return sheet.box;
  }
  function indexLines() {
    lineOfRef = new Map();
    lines().forEach((row, line) => { for (const r of row[row.length - 1]) if (!lineOfRef.has(r)) lineOfRef.set(r, line); });
  }

  function svgElement(tag, attributes, className) {
    const e = document.createElementNS(SVG, tag);
    for (const k in attributes) e.setAttribute(k, String(attributes[k]));
    if (className) e.setAttribute('class', className);
    return e;
  }
  const LAYERS = ['wire', 'bus', 'junction', 'noconnect', 'label', 'note', 'body', 'pin', 'field', 'sheetblock', 'marker'];
  const ANCHORS = { '-1': 'start', '0': 'middle', '1': 'end' };
  const BASELINES = { '-1': 'hanging', '0': 'central', '1': 'alphabetic' };
  function textElement(x, y, size, angle, horizontal, vertical, text, className) {
    const t = svgElement('text', { x: x, y: y, 'font-size': (size * 1.4).toFixed(3), 'text-anchor': ANCHORS[horizontal],
      'dominant-baseline': BASELINES[vertical] }, className);
    if (angle) t.setAttribute('transform', 'rotate(' + (-angle) + ' ' + x + ' ' + y + ')');
    t.textContent = text;
    return t;
  }
  function arcPath(p) {
    const [x1, y1, x2, y2, x3, y3] = p;
    const d = 2 * (x1 * (y2 - y3) + x2 * (y3 - y1) + x3 * (y1 - y2));
    if (Math.abs(d) < 1e-9) return 'M' + x1 + ' ' + y1 + 'L' + x3 + ' ' + y3;
    const s1 = x1 * x1 + y1 * y1, s2 = x2 * x2 + y2 * y2, s3 = x3 * x3 + y3 * y3;
    const cx = (s1 * (y2 - y3) + s2 * (y3 - y1) + s3 * (y1 - y2)) / d;
    const cy = (s1 * (x3 - x2) + s2 * (x1 - x3) + s3 * (x2 - x1)) / d;
    const r = Math.hypot(x1 - cx, y1 - cy);
    const cross = (x2 - x1) * (y3 - y1) - (y2 - y1) * (x3 - x1);
    const sweep = cross > 0 ? 1 : 0;
    // The middle point lies on the arc: the long way round when it is on
    // the far side of the chord from the centre.
    const side = ((x3 - x1) * (cy - y1) - (y3 - y1) * (cx - x1)) * ((x3 - x1) * (y2 - y1) - (y3 - y1) * (x2 - x1));
    const large = side > 0 ? 1 : 0;
    return 'M' + x1 + ' ' + y1 + 'A' + r + ' ' + r + ' 0 ' + large + ' ' + sweep + ' ' + x3 + ' ' + y3;
  }
  function shapeElement(s, text) {
    const layer = LAYERS[s[1]] || 'note';
    if (s[0] === 't') return textElement(s[7], s[8], s[2], s[3], s[4], s[5], text !== undefined ? text : s[6], layer);
    const filled = s[2] ? ' filled' : '';
    const p = s.slice(3);
    if (s[0] === 'l') {
      const points = [];
      for (let i = 0; i + 1 < p.length; i += 2) points.push(p[i] + ',' + p[i + 1]);
      return svgElement('polyline', { points: points.join(' ') }, layer + filled);
    }
    if (s[0] === 'r') {
      return svgElement('rect', { x: Math.min(p[0], p[2]), y: Math.min(p[1], p[3]), width: Math.abs(p[2] - p[0]),
        height: Math.abs(p[3] - p[1]) }, layer + filled);
    }
    if (s[0] === 'c') return svgElement('circle', { cx: p[0], cy: p[1], r: p[2] }, layer + filled);
    return svgElement('path', { d: arcPath(p) }, layer + filled);
  }
  // The page frame: a border with zones of 50 mm numbered from the top
  // left, as KiCad's default drawing sheet has them.
  function drawFrame(g, box, sheetTitle) {
    const [x0, y0, x1, y1] = box;
    const margin = sch.kind === 'kicad' ? 10 : 0, band = sch.kind === 'kicad' ? 2 : 0;
    const pitch = sch.kind === 'kicad' ? 50 : 0;
    const frame = svgElement('rect', { x: x0 + margin, y: y0 + margin, width: x1 - x0 - 2 * margin, height: y1 - y0 - 2 * margin }, 'frame');
    if (!pitch) frame.setAttribute('style', 'stroke-width:' + (pointScale(shown >= 0 ? shown : 0) * 0.3).toFixed(3));
    g.appendChild(frame);
    if (!pitch) return;
    g.appendChild(svgElement('rect', { x: x0 + margin + band, y: y0 + margin + band,
      width: x1 - x0 - 2 * (margin + band), height: y1 - y0 - 2 * (margin + band) }, 'frame'));
    for (let k = 0; x0 + margin + k * pitch < x1 - margin; ++k) {
      const x = x0 + margin + k * pitch;
      if (k > 0) {
        g.appendChild(svgElement('line', { x1: x, y1: y0 + margin, x2: x, y2: y0 + margin + band }, 'frame'));
        g.appendChild(svgElement('line', { x1: x, y1: y1 - margin, x2: x, y2: y1 - margin - band }, 'frame'));
      }
      const cx = Math.min(x + pitch / 2, (x + x1 - margin) / 2);
      g.appendChild(textElement(cx, y0 + margin + band / 2, 1.3, 0, 0, 0, String(k + 1), 'frame-text'));
      g.appendChild(textElement(cx, y1 - margin - band / 2, 1.3, 0, 0, 0, String(k + 1), 'frame-text'));
    }
    for (let k = 0; y0 + margin + k * pitch < y1 - margin; ++k) {
      const y = y0 + margin + k * pitch;
      if (k > 0) {
        g.appendChild(svgElement('line', { x1: x0 + margin, y1: y, x2: x0 + margin + band, y2: y }, 'frame'));
        g.appendChild(svgElement('line', { x1: x1 - margin, y1: y, x2: x1 - margin - band, y2: y }, 'frame'));
      }
      const cy = Math.min(y + pitch / 2, (y + y1 - margin) / 2);
      const letter = String.fromCharCode(65 + (k % 26));
      g.appendChild(textElement(x0 + margin + band / 2, cy, 1.3, 0, 0, 0, letter, 'frame-text'));
      g.appendChild(textElement(x1 - margin - band / 2, cy, 1.3, 0, 0, 0, letter, 'frame-text'));
    }
    const tb = [x1 - margin - band - 110, y1 - margin - band - 16, x1 - margin - band, y1 - margin - band];
    g.appendChild(svgElement('rect', { x: tb[0], y: tb[1], width: tb[2] - tb[0], height: tb[3] - tb[1] }, 'frame'));
    g.appendChild(textElement(tb[0] + 2, tb[1] + 5, 2, 0, -1, 0, sheetTitle, 'frame-text'));
    g.appendChild(textElement(tb[0] + 2, tb[1] + 11, 1.5, 0, -1, 0, data.title, 'frame-text'));
  }
  function sheetLabel(s) {
    const sheet = sch.sheets[s];
    const name = sheet.parent < 0 ? (data.title || 'root') : sheet.name;
    return sheet.page ? name + ' (' + sheet.page + ')' : name;
  }
  function drawSheet(s) {
    const box = pageSize(s);
    const root = svgElement('svg', { xmlns: SVG, id: 'sheet', 'data-sheet': s, preserveAspectRatio: 'xMidYMid meet' });
    const g = svgElement('g');
    root.appendChild(g);
    drawFrame(g, box, sheetPath(s));
    const sheet = sch.sheets[s];
    if (sch.kind === 'kicad') {
      const file = sch.files[sheet.file];
      for (const shape of file.shapes) g.appendChild(shapeElement(shape));
      file.blocks.forEach((b) => {
        const child = sheet.blocks[b[0]];
        const block = svgElement('g', {}, 'block');
        const [x0, y0, x1, y1] = b[1];
        block.appendChild(svgElement('rect', { x: x0, y: y0, width: x1 - x0, height: y1 - y0 }, 'hit'));
        if (child >= 0) { block.dataset.sheet = String(child); block.addEventListener('click', () => showSheet(child, true)); }
        g.appendChild(block);
      });
      for (const y of file.symbols) {
        g.appendChild(partElement(sheet.refs[y[0]], y[2], y[3], y[1], null, y[4] > 1 ? sheet.units[y[0]] : ''));
      }
    } else {
      drawZones(g, s);
      const k = pointScale(s);
      // A block of a circuit: a box at its place, leading to the sheet
      // inside it, whose id continues the block's ("001.cmp5/...").
      for (const [number, name, x, y] of sheet.blocks) {
        const prefix = sheet.path + number + '/';
        const child = sch.sheets.findIndex((c) => c.parent === s && c.path.startsWith(prefix));
        const block = svgElement('g', {}, 'block');
        block.appendChild(svgElement('rect', { x: x - 6 * k, y: y - 4 * k, width: 12 * k, height: 8 * k,
          'stroke-width': 0.4 * k }, 'sheetblock'));
        block.appendChild(textElement(x, y, 3 * k, 0, 0, 0, name, 'sheetblock'));
        if (child >= 0) { block.dataset.sheet = String(child); block.addEventListener('click', () => showSheet(child, true)); }
        g.appendChild(block);
      }
      if (sheet.parts.length > DENSE) {
        // Thousands of parts on one sheet: their marks as one path, and
        // elements of their own only for the parts marked (highlight()).
        denseParts = sheet.parts;
        g.appendChild(svgElement('path', { d: sheet.parts.map((p) => 'M' + p[1] + ' ' + p[2] + 'h0').join(''),
          'stroke-width': 2 * k }, 'dense'));
        overlay = svgElement('g');
        g.appendChild(overlay);
      } else {
        for (const p of sheet.parts) g.appendChild(pointPart(p, k));
      }
    }
    return root;
  }
  function pointPart(p, k) {
    const shapes = [['c', 10, 0, p[1], p[2], k]];
    const part = partElement(p[0], [p[1] - 1.5 * k, p[2] - 1.5 * k, p[1] + 1.5 * k, p[2] + 1.5 * k], shapes, -1,
      [p[1] + k, p[2] - k]);
    part.querySelector('text').setAttribute('font-size', (4 * k).toFixed(3));
    return part;
  }
  function sheetPath(s) { return sch.sheets[s].path || '/'; }
  function partElement(ref, box, shapes, referenceShape, labelAt, unit) {
    const part = svgElement('g', {}, 'part');
    part.setAttribute('data-ref', ref);
    const pad = 0.5;
    part.appendChild(svgElement('rect', { x: box[0] - pad, y: box[1] - pad, width: box[2] - box[0] + 2 * pad,
      height: box[3] - box[1] + 2 * pad }, 'hit'));
    shapes.forEach((shape, i) => {
      const e = shapeElement(shape, i === referenceShape ? ref + (unit || '') : undefined);
      if (i === referenceShape) e.setAttribute('data-reference', '');
      part.appendChild(e);
    });
    if (labelAt) {
      const t = textElement(labelAt[0], labelAt[1], 2, 0, -1, 1, ref, 'field');
      t.setAttribute('data-reference', '');
      part.appendChild(t);
    }
    const list = shownParts.get(ref);
    if (list) list.push(part); else shownParts.set(ref, [part]);
    return part;
  }
  // One listener for the parts of a sheet rather than one a part: a sheet
  // may hold thousands.
  function pickPart(ref) { if (lineOfRef.has(ref)) select(lineOfRef.get(ref), true); }
  function attachPartEvents(root) {
    root.addEventListener('click', (e) => {
      const part = e.target.closest && e.target.closest('g.part');
      if (part) { pickPart(part.getAttribute('data-ref')); return; }
      if (denseParts) {
        const p = root.createSVGPoint();
        p.x = e.clientX; p.y = e.clientY;
        const at = p.matrixTransform(root.getScreenCTM().inverse());
        let best = null, bestDistance = pointScale(shown) * 3;
        for (const q of denseParts) {
          const d = Math.max(Math.abs(q[1] - at.x), Math.abs(q[2] - at.y));
          if (d < bestDistance) { best = q; bestDistance = d; }
        }
        if (best) pickPart(best[0]);
      }
    });
    root.addEventListener('mouseover', (e) => {
      const part = e.target.closest && e.target.closest('g.part');
      if (part) part.classList.add('hover');
    });
    root.addEventListener('mouseout', (e) => {
      const part = e.target.closest && e.target.closest('g.part');
      if (part) part.classList.remove('hover');
    });
  }

  function setView(s, box) { views[s] = box; if (svg && shown === s) svg.setAttribute('viewBox', box.join(' ')); }
  function showSheet(s, whole) {
    if (s === shown && !whole) return;
    shown = s;
    if (svg) svg.remove();
    shownParts = new Map();
    marked = [];
    denseParts = null;
    svg = drawSheet(s);
    attachPartEvents(svg);
    view.appendChild(svg);
    const b = pageSize(s);
    if (whole || !views[s]) views[s] = [b[0], b[1], b[2] - b[0], b[3] - b[1]];
    svg.setAttribute('viewBox', views[s].join(' '));
    attachPanZoom(svg);
    treeItems.forEach((item, k) => item.classList.toggle('current', k === s));
    highlight();
  }
  function attachPanZoom(root) {
    root.addEventListener('wheel', (e) => {
      e.preventDefault();
      const v = views[shown];
      const rect = root.getBoundingClientRect();
      const scale = Math.max(v[2] / rect.width, v[3] / rect.height);
      const cx = v[0] + v[2] / 2 + (e.clientX - rect.left - rect.width / 2) * scale;
      const cy = v[1] + v[3] / 2 + (e.clientY - rect.top - rect.height / 2) * scale;
      const f = e.deltaY > 0 ? 1.2 : 1 / 1.2;
      setView(shown, [cx - (cx - v[0]) * f, cy - (cy - v[1]) * f, v[2] * f, v[3] * f]);
    }, { passive: false });
    let drag = null;
    root.addEventListener('mousedown', (e) => { drag = [e.clientX, e.clientY, views[shown].slice()]; root.classList.add('dragging'); });
    window.addEventListener('mouseup', () => { drag = null; root.classList.remove('dragging'); });
    root.addEventListener('mousemove', (e) => {
      if (!drag) return;
      const rect = root.getBoundingClientRect();
      const v = drag[2];
      const scale = Math.max(v[2] / rect.width, v[3] / rect.height);
      setView(shown, [v[0] - (e.clientX - drag[0]) * scale, v[1] - (e.clientY - drag[1]) * scale, v[2], v[3]]);
    });
  }
  // Marks the parts of the selected (or pointed at) line on the sheet
  // shown, and counts them on each sheet of the tree.
  let marked = [];
  function highlight() {
    const line = hovered >= 0 ? hovered : selected;
    const refs = new Set(line >= 0 ? refsOf(line) : []);
    for (const part of marked) part.classList.remove('hl');
    marked = [];
    if (denseParts) {
      // A dense sheet has elements only for the parts marked.
      overlay.textContent = '';
      shownParts = new Map();
      const k = pointScale(shown);
      for (const p of denseParts) if (refs.has(p[0])) overlay.appendChild(pointPart(p, k));
    }
    for (const r of refs) for (const part of shownParts.get(r) || []) { part.classList.add('hl'); marked.push(part); }
    const hits = new Array(sheetCount()).fill(0);
    for (const r of refs) for (const [s] of places.get(r) || []) ++hits[s];
    treeItems.forEach((item, s) => {
      let badge = item.querySelector('.hits');
      if (!hits[s]) { if (badge) badge.remove(); return; }
      if (!badge) { badge = element('span', 'hits'); item.appendChild(badge); }
      badge.textContent = String(hits[s]);
    });
  }
  function firstPlace(line) {
    for (const r of refsOf(line)) { const p = places.get(r); if (p && p.length) return p[0]; }
    return null;
  }
  function bringIntoView(line, always) {
    if (!sch) return;
    const place = firstPlace(line);
    if (!place) return;
    const [s, box] = place;
    const onShown = refsOf(line).some((r) => (places.get(r) || []).some((p) => p[0] === shown));
    if (!always && onShown) return;
    if (s !== shown) showSheet(s);
    const page = pageSize(s);
    const w = Math.min(page[2] - page[0], Math.max((page[2] - page[0]) * 0.4, (box[2] - box[0]) * 12));
    const h = w * (page[3] - page[1]) / (page[2] - page[0]);
    setView(s, [(box[0] + box[2]) / 2 - w / 2, (box[1] + box[3]) / 2 - h / 2, w, h]);
  }
  function hover(line) {
    hovered = line;
    if (line >= 0) bringIntoView(line, false);
    highlight();
  }
  // A line chosen in the table, or through one of its parts on the
  // drawing (which is then left as it is).
  function select(line, fromDrawing) {
    selected = line;
    hovered = -1;
    if (!fromDrawing) bringIntoView(line, true);
    if (fromDrawing) {
      const r = rows.findIndex((x) => x[0] === line && x[1] < 0);
      if (r >= 0) scroller.scrollTop = r * ROW_HEIGHT;
    }
    render();
    highlight();
  }

  if (sch && sch.sheets.length) {
    for (let s = 0; s < sch.sheets.length; ++s) {
      for (const [ref, box] of partsOf(s)) {
        if (!places.has(ref)) places.set(ref, []);
        places.get(ref).push([s, box]);
      }
    }
    const lists = new Map();
    const rootList = element('ul');
    sch.sheets.forEach((sheet, s) => {
      const li = element('li');
      const label = element('span', '', sheetLabel(s));
      label.dataset.sheet = String(s);
      label.addEventListener('click', () => showSheet(s, true));
      li.appendChild(label);
      treeItems.push(label);
      const list = sheet.parent >= 0 ? lists.get(sheet.parent) : rootList;
      (list || rootList).appendChild(li);
      const children = element('ul');
      li.appendChild(children);
      lists.set(s, children);
    });
    tree.appendChild(rootList);
    const side = element('section'); side.id = 'sch';
    side.appendChild(tree); side.appendChild(view);
    split.appendChild(side);
  } else {
    split.classList.add('alone');
  }

  loadChecks();
  if (tables.length) showTable(0); else bom.appendChild(element('p', '', 'No table.'));
  if (sheetCount()) showSheet(0, true);
  window.comptabPage = { select: (line) => select(line, false), showSheet: (s) => showSheet(s, true), order: () => order.slice(),
    shownSheet: () => shown };
})();
