// The live page: draws what the server compiled, follows its events, and
// shows the cell under the pointer with the source records that set it.
'use strict';

const page = {
  state: null,       // the latest /state
  from: 0, to: 0,    // the chainage window shown, metres
  cell: null,        // the cell shown in the inspector
  pinned: false,     // the inspector keeps its cell until the next click
  selected: null,    // index of the selected problem
  cellCache: new Map(),
};

const $ = (id) => document.getElementById(id);

function el(tag, attrs, ...children) {
  const e = document.createElement(tag);
  for (const [k, v] of Object.entries(attrs || {})) {
    if (k === 'class') e.className = v; else if (k.startsWith('on')) e.addEventListener(k.slice(2), v); else e.setAttribute(k, v);
  }
  for (const c of children) if (c !== null && c !== undefined) e.append(c);
  return e;
}

async function fetchText(url) {
  const r = await fetch(url, { cache: 'no-store' });
  if (!r.ok) throw new Error(`${url}: ${r.status}`);
  return r.text();
}

// ---- state ----

function showSummary(s) {
  const m = s.summary;
  $('title').textContent = `${s.route} \u00b7 ${s.train}`;
  $('summary').textContent = `${(m.length_m / 1000).toFixed(1)} km \u00b7 ${m.stations} stations \u00b7 ` +
    `${m.timed_stops} timed stops \u00b7 ${m.tunnels} tunnels \u00b7 ${m.signals} signals \u00b7 ` +
    `${m.slowdowns} slowdowns \u00b7 ${m.warning_boards} warning boards`;
  document.title = `${s.route} \u00b7 ${s.train} \u2014 scenario view`;
}

function where(d) {
  if (!d.file) return '';
  return d.line ? `${d.file}:${d.line}:${d.column}` : d.file;
}

function problemText(d) {
  const what = d.severity === 'error' ? `error ${d.number}` : 'warning';
  const at = d.chainage !== null && d.chainage !== undefined ? ` (${d.chainage} m)` : '';
  return `${where(d)}${where(d) ? ': ' : ''}${what}: ${d.message}${at}`;
}

function showProblems(s) {
  const list = $('problem-list');
  list.replaceChildren();
  const all = [...s.errors, ...s.warnings];
  all.forEach((d, i) => {
    const li = el('li', { class: d.severity + (page.selected === i ? ' selected' : ''), 'data-index': i },
      problemText(d), d.record ? el('span', { class: 'source' }, d.record) : null);
    li.addEventListener('click', () => selectProblem(i));
    list.append(li);
  });
  if (all.length === 0) list.append(el('li', { class: 'none' }, 'none'));
  const banner = $('banner');
  const top = [];
  if (s.failure) top.push(s.failure);
  if (s.errors.length > 0) top.push(problemText(s.errors[0]) + (s.stale ? '\nShowing the last drawing that loaded without an error.' : ''));
  banner.hidden = top.length === 0;
  banner.textContent = top.join('\n');
}

function selectProblem(i) {
  const all = [...page.state.errors, ...page.state.warnings];
  page.selected = i;
  showProblems(page.state);
  const d = all[i];
  if (d && d.chainage !== null && d.chainage !== undefined) {
    const half = Math.max((page.to - page.from) / 2, 1000);
    const len = page.state.summary.length_m;
    const span = Math.min(2 * half, len);
    page.from = Math.max(0, Math.min(d.chainage - span / 2, len - span));
    page.to = page.from + span;
    drawWindow().then(() => showCursor(d.chainage));
    inspect(Math.floor(d.chainage / 50), true);
  }
}

// ---- drawing ----

function profile() { return $('drawing').querySelector('#profile'); }

// Screen x of a chainage and back, through the profile's own scale.
function chainageToClientX(c) {
  const g = profile();
  if (!g) return null;
  const x0 = parseFloat(g.dataset.x0), ppm = parseFloat(g.dataset.pxPerM), from = parseFloat(g.dataset.from || '0');
  const ctm = g.getScreenCTM();
  return ctm.a * (x0 + (c - from) * ppm) + ctm.e;
}

function clientXToChainage(x) {
  const g = profile();
  if (!g) return null;
  const x0 = parseFloat(g.dataset.x0), ppm = parseFloat(g.dataset.pxPerM), from = parseFloat(g.dataset.from || '0');
  const ctm = g.getScreenCTM();
  const svgX = (x - ctm.e) / ctm.a;
  const c = from + (svgX - x0) / ppm;
  return c >= page.from && c <= page.to ? c : null;
}

let drawing = 0;
async function drawWindow() {
  const n = ++drawing;
  const svg = await fetchText(`/drawing?from=${Math.round(page.from)}&to=${Math.round(page.to)}`);
  if (n !== drawing) return;
  const d = $('drawing');
  d.innerHTML = svg;
  d.classList.toggle('stale', !!(page.state && page.state.stale));
  $('window').textContent = `${(page.from / 1000).toFixed(2)} \u2013 ${(page.to / 1000).toFixed(2)} km`;
  d.dataset.version = page.state ? page.state.version : '';
  if (page.cell !== null) showCursor(page.cell * 50 + 25);
}

function showCursor(c) {
  const x = chainageToClientX(c);
  const cursor = $('cursor');
  if (x === null) { cursor.hidden = true; return; }
  const area = $('drawing-area').getBoundingClientRect();
  cursor.style.left = `${x - area.left}px`;
  cursor.hidden = false;
}

function zoom(factor, around) {
  const len = page.state.summary.length_m;
  const c = around === null || around === undefined ? (page.from + page.to) / 2 : around;
  const span = Math.min(len, Math.max(500, (page.to - page.from) * factor));
  const t = (c - page.from) / Math.max(page.to - page.from, 1);
  page.from = Math.max(0, Math.min(c - t * span, len - span));
  page.to = page.from + span;
  scheduleDraw();
}

function pan(metres) {
  const len = page.state.summary.length_m;
  const span = page.to - page.from;
  page.from = Math.max(0, Math.min(page.from + metres, len - span));
  page.to = page.from + span;
  scheduleDraw();
}

let pending = null;
function scheduleDraw() {
  if (pending) return;
  pending = requestAnimationFrame(() => { pending = null; drawWindow(); });
}

function wholeRoute() {
  page.from = 0;
  page.to = page.state ? page.state.summary.length_m : 0;
  drawWindow();
}

// ---- inspector ----

async function cellJson(k) {
  const key = `${page.state.version}:${k}`;
  if (!page.cellCache.has(key)) {
    const r = await fetch(`/cell/${k}`, { cache: 'no-store' });
    page.cellCache.set(key, r.ok ? await r.json() : null);
  }
  return page.cellCache.get(key);
}

function copy(text) {
  const done = () => {
    let n = $('copied');
    if (!n) { n = el('div', { id: 'copied' }); document.body.append(n); }
    n.textContent = `copied ${text}`;
    clearTimeout(copy.timer);
    copy.timer = setTimeout(() => n.remove(), 1500);
  };
  document.body.dataset.copied = text;
  if (navigator.clipboard) navigator.clipboard.writeText(text).then(done, done); else done();
}

function showCell(c) {
  const box = $('inspector');
  if (!c) { box.replaceChildren(el('h2', {}, 'Cell'), el('p', { class: 'hint' }, 'outside the grid')); return; }
  const words = el('ul', {});
  for (const w of c.words) words.append(el('li', { 'data-member': w.member }, w.words));
  // The records that set it, each once with the members it set.
  const records = new Map();
  for (const [member, o] of Object.entries(c.why || {})) {
    const key = o.file ? `${o.file}:${o.line}` : o.origin;
    if (!records.has(key)) records.set(key, { o, members: [] });
    records.get(key).members.push(member);
  }
  const recs = el('div', { id: 'records' });
  for (const [key, { o, members }] of records) {
    if (o.file) {
      recs.append(el('div', { class: 'record', title: 'click to copy ' + key, 'data-where': key, onclick: () => copy(key) },
        el('span', { class: 'where' }, key), ' ', el('span', { class: 'members' }, `(${members.join(', ')})`), '\n', o.record));
    } else {
      recs.append(el('div', { class: 'record origin' }, `${o.words} (${members.join(', ')})`));
    }
  }
  box.replaceChildren(
    el('h2', {}, `Cell ${c.cell} \u00b7 from ${c.from_m} m`),
    el('div', { class: 'kind' }, c.kind),
    words,
    el('h2', {}, 'Set by'),
    records.size ? recs : el('p', { class: 'hint' }, page.state.compiled_files ? 'compiled files: no sources' : 'nothing: as a fresh grid'));
  box.dataset.cell = c.cell;
}

async function inspect(k, pin) {
  if (page.pinned && !pin) return;
  if (pin !== undefined) page.pinned = pin;
  page.cell = k;
  showCursor(k * 50 + 25);
  const c = await cellJson(k);
  if (page.cell === k) showCell(c);
}

// ---- input ----

function setUpInput() {
  const d = $('drawing');
  let drag = null;
  d.addEventListener('wheel', (e) => {
    e.preventDefault();
    zoom(e.deltaY > 0 ? 1.25 : 0.8, clientXToChainage(e.clientX));
  }, { passive: false });
  d.addEventListener('mousedown', (e) => { drag = { x: e.clientX, moved: false }; });
  window.addEventListener('mouseup', (e) => {
    if (drag && !drag.moved) {
      const c = clientXToChainage(e.clientX);
      if (c !== null) inspect(Math.floor(c / 50), true);
    }
    drag = null;
    d.classList.remove('dragging');
  });
  d.addEventListener('mousemove', (e) => {
    if (drag && Math.abs(e.clientX - drag.x) > 3) {
      drag.moved = true;
      d.classList.add('dragging');
      const perPx = (page.to - page.from) / d.getBoundingClientRect().width;
      pan((drag.x - e.clientX) * perPx);
      drag.x = e.clientX;
      return;
    }
    const c = clientXToChainage(e.clientX);
    if (c !== null) inspect(Math.floor(c / 50));
  });
  d.addEventListener('keydown', (e) => {
    const span = page.to - page.from;
    if (e.key === 'ArrowLeft') pan(-span / 10);
    else if (e.key === 'ArrowRight') pan(span / 10);
    else if (e.key === '+' || e.key === '=') zoom(0.8);
    else if (e.key === '-') zoom(1.25);
    else if (e.key === 'Home') wholeRoute();
    else if (e.key === 'Escape') page.pinned = false;
    else return;
    e.preventDefault();
  });
  $('whole').addEventListener('click', wholeRoute);
}

// ---- live ----

async function load() {
  const s = JSON.parse(await fetchText('/state'));
  const first = page.state === null;
  const oldLength = page.state ? page.state.summary.length_m : 0;
  page.state = s;
  if (first || page.to === 0 || page.to > s.summary.length_m || (page.from === 0 && page.to === oldLength)) {
    page.from = 0;
    page.to = s.summary.length_m;
  }
  showSummary(s);
  showProblems(s);
  await drawWindow();
  if (page.cell !== null) {
    const c = await cellJson(page.cell);
    showCell(c);
  }
  document.body.dataset.version = s.version;
}

function listen() {
  const events = new EventSource('/events');
  events.onopen = () => { $('live').textContent = 'live'; $('live').className = 'on'; load(); };
  events.onerror = () => { $('live').textContent = 'reconnecting'; $('live').className = 'off'; };
  events.onmessage = () => load();
}

setUpInput();
load().then(listen);
