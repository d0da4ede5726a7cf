// The live page: draws what the server compiled, follows its events, and
// shows the cell under the pointer with the source records that set it.
'use strict';

const page = {
  state: null,       // the latest state
  stream: null,      // the number of this page's event stream
  plan: { key: null, xy: null },  // the plan's points, for pointing on it
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

// Runs `f` once the next frame is on the screen: after the frame's
// callbacks, layout and paint.
function afterFrame(f) {
  requestAnimationFrame(() => {
    const channel = new MessageChannel();
    channel.port1.onmessage = () => f();
    channel.port2.postMessage(null);
  });
}

let drawing = 0;
// Naming the stream tells the server this page's window: the next save's
// event then brings its drawing along.
function drawingUrl() {
  const stream = page.stream ? `&stream=${page.stream}` : '';
  return `/drawing?from=${Math.round(page.from)}&to=${Math.round(page.to)}${stream}`;
}

function sameAttributes(a, b) {
  if (a.attributes.length !== b.attributes.length) return false;
  for (const { name, value } of a.attributes) if (b.getAttribute(name) !== value) return false;
  return true;
}

// Makes `now` as `next`, replacing only the parts that differ, down to
// `depth` levels: after a save most of the drawing is as it was, and what
// is left in place costs the browser no new layout or paint.
function patch(now, next, depth) {
  const a = now.childNodes, b = next.childNodes;
  if (depth === 0 || !sameAttributes(now, next) || a.length !== b.length) {
    now.replaceWith(next);
    return;
  }
  const pairs = [];
  for (let i = 0; i < a.length; ++i) if (!a[i].isEqualNode(b[i])) pairs.push([a[i], b[i]]);
  for (const [x, y] of pairs) {
    if (x.nodeType === Node.ELEMENT_NODE && y.nodeType === Node.ELEMENT_NODE && x.tagName === y.tagName) patch(x, y, depth - 1);
    else x.replaceWith(y);
  }
}

// Puts the drawing `svg` (its text) in the page.
function putDrawing(d, svg) {
  const t = document.createElement('template');
  t.innerHTML = svg;
  const next = t.content.querySelector('svg');
  const now = d.querySelector('svg');
  const mark = $('plan-mark');  // the page's own, put back by showCursor
  if (mark) mark.remove();
  if (now && next) patch(now, next, 3); else d.replaceChildren(t.content);
}

// Puts a drawing in; `svg` may already be on its way (fetched with the state).
async function drawWindow(svgPromise) {
  const n = ++drawing;
  const svg = await (svgPromise || fetchText(drawingUrl()));
  if (n !== drawing) return;
  const d = $('drawing');
  putDrawing(d, svg);
  d.classList.toggle('stale', !!(page.state && page.state.stale));
  $('window').textContent = `${(page.from / 1000).toFixed(2)} \u2013 ${(page.to / 1000).toFixed(2)} km`;
  d.dataset.version = page.state ? page.state.version : '';
  if (page.cell !== null) showCursor(page.cell * 50 + 25);
  // When this drawing reached the screen (the clock's ms): what the
  // latency benchmark reads.
  const version = d.dataset.version;
  afterFrame(() => { d.dataset.drawn = `${version}@${Date.now()}`; });
}

// The plan's point of a chainage in the plan group's own coordinates.
function planPoint(c) {
  const g = $('drawing').querySelector('#plan');
  const xy = page.plan.xy;
  if (!g || !g.dataset.zero || !xy || xy.length < 2) return null;
  const [zx, zy] = g.dataset.zero.split(',').map(parseFloat);
  const scale = parseFloat(g.dataset.scale);
  const i = Math.max(0, Math.min(Math.round(c / page.state.plan.step_m), xy.length / 2 - 1));
  return { g, x: zx + xy[2 * i] * scale, y: zy - xy[2 * i + 1] * scale };
}

// The chainage of the plan point nearest the pointer, when near enough.
function planChainage(clientX, clientY) {
  const g = $('drawing').querySelector('#plan');
  const xy = page.plan.xy;
  if (!g || !g.dataset.zero || !xy) return null;
  const ctm = g.getScreenCTM();
  const inv = ctm.inverse();
  const px = inv.a * clientX + inv.c * clientY + inv.e, py = inv.b * clientX + inv.d * clientY + inv.f;
  const [zx, zy] = g.dataset.zero.split(',').map(parseFloat);
  const scale = parseFloat(g.dataset.scale);
  const wx = (px - zx) / scale, wy = (zy - py) / scale;
  const first = Math.floor(page.from / page.state.plan.step_m), last = Math.ceil(page.to / page.state.plan.step_m);
  let best = -1, bestD = Infinity;
  for (let i = Math.max(0, first); i <= Math.min(last, xy.length / 2 - 1); ++i) {
    const dx = xy[2 * i] - wx, dy = xy[2 * i + 1] - wy, d = dx * dx + dy * dy;
    if (d < bestD) { bestD = d; best = i; }
  }
  const near = 12 / scale;  // metres within 12 px
  return best >= 0 && bestD <= near * near ? best * page.state.plan.step_m : null;
}

function showCursor(c) {
  const x = chainageToClientX(c);
  const cursor = $('cursor');
  const area = $('drawing-area').getBoundingClientRect();
  const inWindow = x !== null && c >= page.from && c <= page.to;
  cursor.hidden = !inWindow;
  if (inWindow) {
    cursor.style.left = `${x - area.left}px`;
    const g = profile();
    if (g) cursor.style.top = `${g.getBoundingClientRect().top - area.top}px`;
  }
  let mark = $('plan-mark');
  const p = planPoint(c);
  if (!p) { if (mark) mark.remove(); return; }
  if (!mark || mark.parentNode !== p.g) {
    if (mark) mark.remove();
    mark = document.createElementNS('http://www.w3.org/2000/svg', 'circle');
    mark.id = 'plan-mark';
    mark.setAttribute('r', '6');
    mark.setAttribute('fill', 'none');
    mark.setAttribute('stroke', '#d32f2f');
    mark.setAttribute('stroke-width', '2.5');
    p.g.append(mark);
  }
  mark.setAttribute('cx', p.x);
  mark.setAttribute('cy', p.y);
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

// The chainage under the pointer: on the profile by its axis, on the plan
// by the nearest point of the route.
function pointedChainage(e) {
  const g = profile();
  if (g && e.clientY >= g.getBoundingClientRect().top) return clientXToChainage(e.clientX);
  return planChainage(e.clientX, e.clientY);
}

function setUpInput() {
  const d = $('drawing');
  let drag = null;
  d.addEventListener('wheel', (e) => {
    e.preventDefault();
    zoom(e.deltaY > 0 ? 1.25 : 0.8, pointedChainage(e));
  }, { passive: false });
  d.addEventListener('mousedown', (e) => { drag = { x: e.clientX, moved: false }; });
  window.addEventListener('mouseup', (e) => {
    if (drag && !drag.moved) {
      const c = pointedChainage(e);
      if (c !== null) inspect(Math.floor(c / 50), true);
    }
    drag = null;
    d.classList.remove('dragging');
  });
  d.addEventListener('mousemove', (e) => {
    if (drag && Math.abs(e.clientX - drag.x) > 3) {
      drag.moved = true;
      d.classList.add('dragging');
      // Metres per screen pixel on the profile's axis, so the route
      // follows the pointer.
      const g = profile();
      const perPx = g ? 1 / (g.getScreenCTM().a * parseFloat(g.dataset.pxPerM))
        : (page.to - page.from) / d.getBoundingClientRect().width;
      pan((drag.x - e.clientX) * perPx);
      drag.x = e.clientX;
      return;
    }
    const c = pointedChainage(e);
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

// The plan's points, when the state says they changed.
async function loadPlan() {
  const key = page.state.plan.key;
  if (page.plan.key === key) return;
  const plan = JSON.parse(await fetchText('/plan'));
  page.plan = { key, xy: plan.xy };
}

// Shows a new state: summary, problems, the drawing (`svg`, when it came
// with the state, is of the window `shown`), then what can wait for the
// frame: the plan's points and the inspected cell.
async function apply(s, svg, shown) {
  const oldLength = page.state ? page.state.summary.length_m : 0;
  const whole = page.from === 0 && page.to === oldLength;
  page.state = s;
  if (page.to === 0 || page.to > s.summary.length_m || whole) {
    page.from = 0;
    page.to = s.summary.length_m;
  }
  showSummary(s);
  showProblems(s);
  const same = shown && shown.from === Math.round(page.from) && shown.to === Math.round(page.to);
  await drawWindow(same ? svg : null);
  document.body.dataset.version = s.version;
  await new Promise((resolve) => afterFrame(resolve));
  await loadPlan();
  if (page.cell !== null && page.state === s) showCell(await cellJson(page.cell));
}

async function load() {
  await apply(JSON.parse(await fetchText('/state')), null, null);
}

// An event's data: the state, or the state, "FROM TO" and the drawing of
// that window, a line each (the drawing the rest).
function onScene(data) {
  const first = data.indexOf('\n');
  if (first < 0) return apply(JSON.parse(data), null, null);
  const second = data.indexOf('\n', first + 1);
  const [from, to] = data.slice(first + 1, second).split(' ').map(Number);
  return apply(JSON.parse(data.slice(0, first)), data.slice(second + 1), { from, to });
}

function listen() {
  const events = new EventSource('/events');
  // The first event names the stream, on every connection.
  events.addEventListener('stream', (e) => {
    page.stream = e.data;
    $('live').textContent = 'live';
    $('live').className = 'on';
    load();
  });
  events.onerror = () => { $('live').textContent = 'reconnecting'; $('live').className = 'off'; };
  events.onmessage = (e) => onScene(e.data);
}

setUpInput();
listen();
