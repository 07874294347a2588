// The window page's script: the reflections as sticks, the window slider and
// the rule switch, the shells table, the scan's curve and the command line.
// kestran gives each row the bits of the smallest float window at which the
// row is close to a neighbour ("cut"), and the bits of the smallest window
// that joins it to the next row in one overlap group ("link"); the page
// compares the bits of the window's float value with them, nothing else.
'use strict';

(function() {
const data = JSON.parse(document.getElementById('kestran-data').textContent);
const rowCount = data.h.length;
const NEVER = 0xffffffff;
const KEPT = 0, REMOVED = 1, SHARED = 2;
const statusNames = ['kept', 'removed', 'shared'];
const colours = ['#1f5fa8', '#d1495b', '#e08a00'];

// ---- floats and their bits -------------------------------------------

const floatView = new Float32Array(1);
const bitsView = new Uint32Array(floatView.buffer);
function bitsOf(value) {
  floatView[0] = value;
  return bitsView[0];
}
function floatOf(bits) {
  bitsView[0] = bits;
  return floatView[0];
}

// A decimal text as an exact fraction: digits x 10^exponent; null when it
// is not a plain number of 0 or more.
function decimalOf(text) {
  const match = /^\+?(\d*)(?:\.(\d*))?(?:[eEdD]([+-]?\d+))?$/.exec(text.trim());
  if (!match || (match[1] + (match[2] || '')).length === 0) {
    return null;
  }
  const fraction = match[2] || '';
  return {digits: BigInt(match[1] + fraction), exponent: Number(match[3] || '0') - fraction.length};
}

// The sign of (digits x 10^exponent) - (mantissa x 2^power), exactly.
function compareExact(decimal, mantissa, power) {
  let left = decimal.digits;
  let right = BigInt(mantissa);
  if (decimal.exponent >= 0) {
    left *= 10n ** BigInt(decimal.exponent);
  } else {
    right *= 10n ** BigInt(-decimal.exponent);
  }
  if (power >= 0) {
    right *= 2n ** BigInt(power);
  } else {
    left *= 2n ** BigInt(-power);
  }
  return left < right ? -1 : left > right ? 1 : 0;
}

// The float of these bits as mantissa x 2^power (finite, 0 or more).
function partsOf(bits) {
  const biased = bits >>> 23;
  const fraction = bits & 0x7fffff;
  return biased === 0 ? {mantissa: fraction, power: -149} : {mantissa: fraction | 0x800000, power: biased - 150};
}

// True when the decimal rounds to the float of `bits` (to nearest, ties
// to even), as kestran reads a number.
function roundsTo(decimal, bits) {
  const {mantissa, power} = partsOf(bits);
  const even = mantissa % 2 === 0;
  const above = compareExact(decimal, 2 * mantissa + 1, power - 1);
  if (above > 0 || (above === 0 && !even)) {
    return false;
  }
  if (bits === 0) {
    return true;
  }
  // Below: half-way to the float under this one.
  const binadeFoot = mantissa === 0x800000 && power > -149;
  const below = binadeFoot ? compareExact(decimal, 4 * mantissa - 1, power - 2) :
                             compareExact(decimal, 2 * mantissa - 1, power - 1);
  return below > 0 || (below === 0 && even);
}

// The bits of the float a text stands for, read as kestran reads it;
// null for a text that is no window (below 0, not a number, too large).
function windowBitsOf(text) {
  const decimal = decimalOf(String(text));
  if (decimal === null) {
    return null;
  }
  const guess = bitsOf(Math.fround(Number(String(text).trim().replace(/[dD]/, 'e'))));
  for (const bits of [guess, guess - 1, guess + 1]) {
    if (bits >= 0 && bits < 0x7f800000 && roundsTo(decimal, bits)) {
      return bits;
    }
  }
  return null;
}

// The shortest text that reads back as the float of `bits`.
function windowText(bits) {
  const value = floatOf(bits);
  for (let precision = 1; precision <= 9; ++precision) {
    const text = String(Number(value.toPrecision(precision)));
    if (windowBitsOf(text) === bits) {
      return text;
    }
  }
  return String(value);
}

// ---- the rows ------------------------------------------------------

const cut = Uint32Array.from(data.cut);
const link = Uint32Array.from(data.link);
const removedInInput = Uint8Array.from(data.removedInInput);
const twoTheta = Float64Array.from(data.twoTheta, (value) => (value === null ? NaN : value));
const intensity = Float64Array.from(data.amplitude, (value) => (value === null ? NaN : value * value));
const dSpacing = Float64Array.from(
    twoTheta, (angle) => data.wavelength > 0 ? data.wavelength / (2 * Math.sin((angle * Math.PI) / 360)) : NaN);
const rowOfFileRow = new Int32Array(data.read + 1).fill(-1);
data.fileRow.forEach((fileRow, row) => {
  if (fileRow >= 1 && fileRow <= data.read) {
    rowOfFileRow[fileRow] = row;
  }
});
// Thresholds of the rows whose status a window can change, ascending.
const changes = Uint32Array.from(cut.filter((bits, row) => bits !== NEVER && !removedInInput[row])).sort();
const changeable = changes.length;
const alwaysKept = (() => {
  let count = 0;
  for (let row = 0; row < rowCount; ++row) {
    count += !removedInInput[row] && cut[row] === NEVER ? 1 : 0;
  }
  return count;
})();

const state = {
  bits: 0,
  rule: data.rule,
  log: false,
  axis: 'twoTheta',
  status: new Uint8Array(rowCount),
  counts: null,
  view: null,
  redrawMilliseconds: 0,
};

function computeStatus() {
  const share = state.rule === 'share';
  const window = state.bits;
  const counts = {read: data.read, kept: 0, removed: 0, shared: 0};
  for (let row = 0; row < rowCount; ++row) {
    let status = KEPT;
    if (removedInInput[row]) {
      status = REMOVED;
    } else if (window >= cut[row]) {
      status = share ? SHARED : REMOVED;
    }
    state.status[row] = status;
    counts[statusNames[status]] += 1;
  }
  // Rows not shown (beyond the resolution limit, 0 0 0) are removed.
  counts.removed = data.read - counts.kept - counts.shared;
  state.counts = counts;
}

// Overlap groups: runs of rows each joined to the next. Calls visit(first,
// last) for each run of two rows or more.
function forEachGroup(visit) {
  let first = -1;
  for (let row = 0; row < rowCount; ++row) {
    const joined = row + 1 < rowCount && state.bits >= link[row];
    if (joined && first < 0) {
      first = row;
    } else if (!joined && first >= 0) {
      visit(first, row);
      first = -1;
    }
  }
}

// ---- the slider: decimal steps a user can type ---------------------

const scanTop = data.scanTop;
const step = (() => {
  const raw = scanTop / 1000;
  const power = Math.floor(Math.log10(raw));
  const leading = raw / 10 ** power;
  const factor = leading <= 1 ? 1 : leading <= 2 ? 2 : leading <= 5 ? 5 : 10;
  return {factor, power};
})();
const positions = Math.ceil(scanTop / (step.factor * 10 ** step.power) - 1e-9);

// The text of slider position p: p x factor x 10^power, written exactly.
function positionText(position) {
  const digits = String(position * step.factor);
  if (step.power >= 0) {
    return digits + '0'.repeat(step.power);
  }
  const padded = digits.padStart(1 - step.power, '0');
  const point = padded.length + step.power;
  return (padded.slice(0, point) + '.' + padded.slice(point)).replace(/\.?0+$/, '') || '0';
}

// ---- drawing -------------------------------------------------------

const plot = document.getElementById('plot');
const curve = document.getElementById('curve');
const margin = {
  left: 60,
  right: 16,
  top: 28,
  bottom: 40
};

function coordinate(row) {
  return state.axis === 'd' ? dSpacing[row] : twoTheta[row];
}

function fullView() {
  let low = Infinity, high = -Infinity;
  for (let row = 0; row < rowCount; ++row) {
    const value = coordinate(row);
    if (Number.isFinite(value)) {
      low = Math.min(low, value);
      high = Math.max(high, value);
    }
  }
  if (!(high > low)) {
    low = Number.isFinite(low) ? low - 1 : 0;
    high = low + 2;
  }
  const pad = (high - low) * 0.01;
  return {low: low - pad, high: high + pad};
}

function sizeCanvas(canvas) {
  const ratio = window.devicePixelRatio || 1;
  const width = Math.max(1, Math.round(canvas.clientWidth * ratio));
  const height = Math.max(1, Math.round(canvas.clientHeight * ratio));
  if (canvas.width !== width || canvas.height !== height) {
    canvas.width = width;
    canvas.height = height;
  }
  const context = canvas.getContext('2d');
  context.setTransform(ratio, 0, 0, ratio, 0, 0);
  return {context, width: canvas.clientWidth, height: canvas.clientHeight};
}

// x on the picture of a coordinate: 2theta grows to the right, d to the left.
function xMap(width) {
  const {low, high} = state.view;
  const span = width - margin.left - margin.right;
  const reversed = state.axis === 'd';
  return (value) => margin.left + span * (reversed ? high - value : value - low) / (high - low);
}

const strongest = intensity.reduce((top, value) => (Number.isFinite(value) ? Math.max(top, value) : top), 0) || 1;

function yMap(height) {
  const base = height - margin.bottom;
  const span = base - margin.top - 14;
  if (!state.log) {
    return (value) => base - span * Math.max(0, value) / strongest;
  }
  const foot = Math.log10(strongest) - 4;
  return (value) => base - span * Math.max(0, Math.log10(Math.max(value, 1e-300)) - foot) / 4;
}

function niceStep(span) {
  const raw = span / 8;
  const power = 10 ** Math.floor(Math.log10(raw));
  const leading = raw / power;
  return (leading <= 1 ? 1 : leading <= 2 ? 2 : leading <= 5 ? 5 : 10) * power;
}

function drawAxes(context, width, height, x) {
  const base = height - margin.bottom;
  context.strokeStyle = '#444';
  context.fillStyle = '#222';
  context.lineWidth = 1;
  context.beginPath();
  context.moveTo(margin.left, margin.top);
  context.lineTo(margin.left, base);
  context.lineTo(width - margin.right, base);
  context.stroke();
  context.font = '12px sans-serif';
  context.textAlign = 'center';
  const {low, high} = state.view;
  const tick = niceStep(high - low);
  const decimals = Math.max(0, -Math.floor(Math.log10(tick)));
  for (let value = Math.ceil(low / tick) * tick; value <= high; value += tick) {
    const position = x(value);
    context.beginPath();
    context.moveTo(position, base);
    context.lineTo(position, base + 5);
    context.stroke();
    context.fillText(value.toFixed(decimals), position, base + 18);
  }
  context.fillText(
      state.axis === 'd' ? 'd (\u00c5)' : '2\u03b8 (degrees)', (margin.left + width - margin.right) / 2, base + 34);
  context.save();
  context.translate(16, (margin.top + base) / 2);
  context.rotate(-Math.PI / 2);
  context.fillText(state.log ? 'intensity (log)' : 'intensity', 0, 0);
  context.restore();
}

// Sticks in one device pixel column share it: of each status only the
// highest is drawn, kept in front of shared in front of removed, which
// looks the same as drawing every one and keeps a redraw short.
function drawSticks(context, x, y, base, width) {
  const ratio = window.devicePixelRatio || 1;
  const columns = Math.ceil(width * ratio) + 1;
  const tops = [KEPT, REMOVED, SHARED].map(() => new Float64Array(columns).fill(Infinity));
  const lowest = margin.left, highest = width - margin.right;
  for (let row = 0; row < rowCount; ++row) {
    const position = x(coordinate(row));
    if (position >= lowest && position <= highest) {
      const column = Math.floor(position * ratio);
      const top = tops[state.status[row]];
      top[column] = Math.min(top[column], y(intensity[row]));
    }
  }
  for (const status of [REMOVED, SHARED, KEPT]) {
    context.strokeStyle = colours[status];
    context.beginPath();
    const top = tops[status];
    for (let column = 0; column < columns; ++column) {
      if (top[column] < base) {
        context.moveTo((column + 0.5) / ratio, base);
        context.lineTo((column + 0.5) / ratio, top[column]);
      }
    }
    context.stroke();
  }
}

// The groups' brackets, one device pixel column at a time: a line over
// the columns a group spans and a tick at each end.
function drawBrackets(context, x, width) {
  const ratio = window.devicePixelRatio || 1;
  const columns = Math.ceil(width * ratio) + 2;
  const depth = new Int32Array(columns + 1);
  const ends = new Uint8Array(columns);
  const first = Math.floor(margin.left * ratio), last = Math.floor((width - margin.right) * ratio);
  forEachGroup((from, to) => {
    let left = Infinity, right = -Infinity;
    for (let row = from; row <= to; ++row) {
      const position = x(coordinate(row));
      if (Number.isFinite(position)) {
        left = Math.min(left, position);
        right = Math.max(right, position);
      }
    }
    const leftColumn = Math.max(first, Math.floor(left * ratio)),
          rightColumn = Math.min(last, Math.floor(right * ratio));
    if (leftColumn <= rightColumn) {
      depth[leftColumn] += 1;
      depth[rightColumn + 1] -= 1;
      ends[leftColumn] = ends[rightColumn] = 1;
    }
  });
  const top = margin.top - 8;
  context.strokeStyle = state.rule === 'share' ? colours[SHARED] : colours[REMOVED];
  context.beginPath();
  let covered = 0, runStart = -1;
  for (let column = 0; column < columns; ++column) {
    covered += depth[column];
    if (covered > 0 && runStart < 0) {
      runStart = column;
    } else if (covered <= 0 && runStart >= 0) {
      context.moveTo(runStart / ratio, top);
      context.lineTo(column / ratio, top);
      runStart = -1;
    }
    if (ends[column]) {
      context.moveTo((column + 0.5) / ratio, top);
      context.lineTo((column + 0.5) / ratio, top + 6);
    }
  }
  context.stroke();
}

function drawPlot() {
  const {context, width, height} = sizeCanvas(plot);
  context.clearRect(0, 0, width, height);
  const x = xMap(width), y = yMap(height);
  drawAxes(context, width, height, x);
  context.lineWidth = 1;
  drawSticks(context, x, y, height - margin.bottom, width);
  drawBrackets(context, x, width);
}

// The scan: kept fraction against the window over the slider's range, a
// step at each threshold, exactly; the window shown marked.
function drawCurve() {
  const {context, width, height} = sizeCanvas(curve);
  const box = {left: 44, right: width - 10, top: 10, bottom: height - 28};
  context.clearRect(0, 0, width, height);
  const x = (window) => box.left + (box.right - box.left) * Math.min(window, scanTop) / scanTop;
  const y = (fraction) => box.bottom - (box.bottom - box.top) * fraction;
  context.strokeStyle = '#444';
  context.fillStyle = '#222';
  context.font = '11px sans-serif';
  context.beginPath();
  context.moveTo(box.left, box.top);
  context.lineTo(box.left, box.bottom);
  context.lineTo(box.right, box.bottom);
  context.stroke();
  context.textAlign = 'right';
  for (const fraction of [0, 0.5, 1]) {
    context.fillText((fraction * 100).toFixed(0) + '%', box.left - 4, y(fraction) + 4);
  }
  context.textAlign = 'center';
  context.fillText('0', box.left, box.bottom + 14);
  context.fillText(String(scanTop), box.right, box.bottom + 14);
  context.fillText((data.byWidth ? 'DELTA' : 'D') + ' (window)', (box.left + box.right) / 2, box.bottom + 24);
  // The steps of the kept count, one pixel column at a time.
  const read = Math.max(data.read, 1);
  const keptAt = (window) => alwaysKept + changeable - upperBound(bitsOf(Math.fround(window)));
  context.strokeStyle = colours[KEPT];
  context.beginPath();
  context.moveTo(box.left, y(keptAt(0) / read));
  for (let column = box.left; column < box.right; ++column) {
    const before = keptAt((scanTop * (column - box.left)) / (box.right - box.left));
    const after = keptAt((scanTop * (column + 1 - box.left)) / (box.right - box.left));
    context.lineTo(column, y(before / read));
    context.lineTo(column + 1, y(after / read));
  }
  context.stroke();
  const shown = floatOf(state.bits);
  context.strokeStyle = '#222';
  context.setLineDash([4, 3]);
  context.beginPath();
  context.moveTo(x(shown), box.top);
  context.lineTo(x(shown), box.bottom);
  context.stroke();
  context.setLineDash([]);
  context.fillStyle = colours[KEPT];
  context.beginPath();
  context.arc(x(shown), y(state.counts.kept / read), 4, 0, 2 * Math.PI);
  context.fill();
}

// ---- the shells table, as --stats gives it ---------------------------

// A percentage with one decimal, exact ties to even as the console writes them.
function percentText(part, rows) {
  if (rows === 0) {
    return '-';
  }
  const percent = (100 * part) / rows;
  const quarters = percent * 4;
  if (Number.isInteger(quarters) && quarters % 2 === 1) {
    const tenths = Math.floor(percent * 10);
    return ((tenths % 2 === 0 ? tenths : tenths + 1) / 10).toFixed(1);
  }
  return percent.toFixed(1);
}

function shellCounts() {
  const shellCount = data.shellRanges.length;
  const shells = Array.from({length: shellCount}, () => ({rows: 0, kept: 0, shared: 0}));
  const noAngle = {rows: 0, kept: 0, shared: 0};
  for (let row = 0; row < rowCount; ++row) {
    const shell = data.shell[row] >= 0 ? shells[data.shell[row]] : noAngle;
    shell.rows += 1;
    shell.kept += state.status[row] === KEPT ? 1 : 0;
    shell.shared += state.status[row] === SHARED ? 1 : 0;
  }
  return {shells, noAngle};
}

function cellRow(cells, heading) {
  const line = document.createElement('tr');
  cells.forEach((text, index) => {
    const cell = document.createElement(heading ? 'th' : 'td');
    cell.textContent = text;
    if (index === 1 && !heading) {
      cell.className = 'range';
    }
    line.appendChild(cell);
  });
  return line;
}

function drawShells() {
  const share = state.rule === 'share';
  const {shells, noAngle} = shellCounts();
  const table = document.getElementById('shells');
  const lines = [cellRow(
      ['shell', data.shellHeading, 'hkl', 'kept', '% kept'].concat(share ? ['shared', '% shared'] : []), true)];
  const numbers = (counts) => [String(counts.rows), String(counts.kept), percentText(counts.kept, counts.rows)].concat(
      share ? [String(counts.shared), percentText(counts.shared, counts.rows)] : []);
  shells.forEach(
      (counts, shell) => lines.push(cellRow([String(shell + 1), data.shellRanges[shell]].concat(numbers(counts)))));
  lines.push(cellRow(['', 'no real angle', String(noAngle.rows), String(noAngle.kept), '']));
  if (data.limited) {
    lines.push(cellRow(['', 'beyond the limit', String(data.beyondLimit), '0', '']));
  }
  const all = {
    rows: shells.reduce((sum, counts) => sum + counts.rows, noAngle.rows + data.beyondLimit),
    kept: state.counts.kept,
    shared: state.counts.shared
  };
  lines.push(cellRow(['all', ''].concat(numbers(all))));
  table.replaceChildren(...lines);
  state.shells = shells.map(
      (counts, shell) =>
          ({range: data.shellRanges[shell], rows: counts.rows, kept: counts.kept, shared: counts.shared}));
  document.getElementById('shellTitle').textContent =
      'Resolution shells, ' + windowPhrase() + (share ? '; kept alone, and shared in overlap groups' : '');
}

// ---- texts ---------------------------------------------------------

function windowPhrase() {
  const text = windowText(state.bits);
  return data.byWidth ? 'DELTA = ' + text : 'D = ' + text + ' degrees 2theta';
}

function shellWord(text) {
  return /^[A-Za-z0-9_@%+=:,./-]+$/.test(text) ? text : '\'' + text.replace(/'/g, '\'\\\'\'') + '\'';
}

function commandLine() {
  const words = ['kestran'].concat(data.input.map(shellWord), [data.byWidth ? '--delta' : '--window', windowText(state.bits)]);
  if (state.rule === 'share') {
    words.push('--overlaps=share');
  }
  return words.concat(data.options.map(shellWord), [shellWord(data.entry)]).join(' ');
}

function drawTexts() {
  const counts = state.counts;
  let groups = 0;
  forEachGroup(() => {
    groups += 1;
  });
  document.getElementById('counts').innerHTML = '';
  const pieces = [
    ['read', counts.read, ''], ['kept', counts.kept, 'kept'], ['shared', counts.shared, 'shared'],
    ['removed', counts.removed, 'removed'], ['overlap groups', groups, '']
  ];
  for (const [name, value, style] of pieces) {
    const piece = document.createElement('span');
    piece.className = style;
    piece.textContent = name + ' ' + value;
    document.getElementById('counts').appendChild(piece);
  }
  document.getElementById('command').textContent = commandLine();
  const text = document.getElementById('windowText');
  if (document.activeElement !== text) {
    text.value = windowText(state.bits);
    text.classList.remove('bad');
  }
  const slider = document.getElementById('slider');
  slider.value = String(Math.round(floatOf(state.bits) / (step.factor * 10 ** step.power)));
}

function redraw() {
  const start = performance.now();
  computeStatus();
  drawPlot();
  drawShells();
  drawTexts();
  drawCurve();
  state.redrawMilliseconds = performance.now() - start;
}

// ---- the interface for tests and scripts ----------------------------

function setWindowBits(bits) {
  state.bits = bits;
  redraw();
  return windowText(bits);
}

// A number is taken as a float (Math.fround); a text is read exactly as
// kestran reads it. Returns the window's shortest text.
function setWindow(value) {
  const bits = typeof value === 'number' ? (value >= 0 && value < Infinity ? bitsOf(Math.fround(value)) : null) :
                                           windowBitsOf(value);
  if (bits === null) {
    throw new RangeError('a window is a number of 0 or more, not ' + value);
  }
  return setWindowBits(bits);
}

function setRule(rule) {
  if (rule !== 'drop' && rule !== 'share') {
    throw new RangeError('the rule is drop or share, not ' + rule);
  }
  state.rule = rule;
  document.getElementById(rule === 'share' ? 'ruleShare' : 'ruleDrop').checked = true;
  redraw();
}

function statusOf(fileRow) {
  if (!Number.isInteger(fileRow) || fileRow < 1 || fileRow > data.read) {
    return undefined;
  }
  const row = rowOfFileRow[fileRow];
  return row < 0 ? 'removed' : statusNames[state.status[row]];
}

// The windows at which a row's status changes, ascending, as texts.
function thresholds() {
  const distinct = [];
  for (let index = 0; index < changeable; ++index) {
    if (index === 0 || changes[index] !== changes[index - 1]) {
      distinct.push(windowText(changes[index]));
    }
  }
  return distinct;
}

window.kestranPage = {
  setWindow,
  setRule,
  counts: () => Object.assign({}, state.counts),
  statusOf,
  window: () => windowText(state.bits),
  thresholds,
  shells: () => state.shells.map((shell) => Object.assign({}, shell)),
  commandLine,
  redrawMilliseconds: () => state.redrawMilliseconds,
};

// ---- controls --------------------------------------------------------

function upperBound(bits) {
  let low = 0, high = changeable;
  while (low < high) {
    const middle = (low + high) >>> 1;
    if (changes[middle] <= bits) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  return low;
}

function wireControls() {
  const slider = document.getElementById('slider');
  slider.max = String(positions);
  slider.addEventListener('input', () => setWindow(positionText(Number(slider.value))));
  const text = document.getElementById('windowText');
  text.addEventListener('input', () => {
    const bits = windowBitsOf(text.value);
    text.classList.toggle('bad', bits === null);
    document.getElementById('message').textContent = bits === null ? 'a window is a number of 0 or more' : '';
    if (bits !== null) {
      setWindowBits(bits);
    }
  });
  text.addEventListener('change', () => drawTexts());
  document.getElementById('nextChange').addEventListener('click', () => {
    const next = upperBound(state.bits);
    if (next < changeable) {
      setWindowBits(changes[next]);
    }
  });
  document.getElementById('previousChange').addEventListener('click', () => {
    const here = upperBound(state.bits);
    if (here > 0) {
      setWindowBits(changes[here - 1] - 1);
    }
  });
  for (const input of document.querySelectorAll('input[name=rule]')) {
    input.addEventListener('change', () => setRule(input.value));
  }
  for (const input of document.querySelectorAll('input[name=scale]')) {
    input.addEventListener('change', () => {
      state.log = input.value === 'log';
      drawPlot();
    });
  }
  for (const input of document.querySelectorAll('input[name=axis]')) {
    input.addEventListener('change', () => {
      state.axis = input.value;
      state.view = fullView();
      sortForHover();
      drawPlot();
    });
  }
  document.getElementById('resetZoom').addEventListener('click', () => {
    state.view = fullView();
    drawPlot();
  });
  document.getElementById('copy').addEventListener('click', () => {
    const command = commandLine();
    if (navigator.clipboard) {
      navigator.clipboard.writeText(command).catch(() => {});
    }
    window.getSelection().selectAllChildren(document.getElementById('command'));
  });
  wirePlot();
  window.addEventListener('resize', () => {
    drawPlot();
    drawCurve();
  });
}

// ---- zoom, pan and hover ----------------------------------------------

let hoverOrder = new Int32Array(0);

function sortForHover() {
  const order = [];
  for (let row = 0; row < rowCount; ++row) {
    if (Number.isFinite(coordinate(row))) {
      order.push(row);
    }
  }
  order.sort((one, other) => coordinate(one) - coordinate(other));
  hoverOrder = Int32Array.from(order);
}

function nearestRow(value) {
  let low = 0, high = hoverOrder.length;
  while (low < high) {
    const middle = (low + high) >>> 1;
    if (coordinate(hoverOrder[middle]) < value) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  const candidates = [low - 1, low].filter((index) => index >= 0 && index < hoverOrder.length);
  let best = -1;
  for (const index of candidates) {
    const row = hoverOrder[index];
    if (best < 0 || Math.abs(coordinate(row) - value) < Math.abs(coordinate(best) - value)) {
      best = row;
    }
  }
  return best;
}

function valueAt(offsetX) {
  const {low, high} = state.view;
  const span = plot.clientWidth - margin.left - margin.right;
  const fraction = (offsetX - margin.left) / span;
  return state.axis === 'd' ? high - fraction * (high - low) : low + fraction * (high - low);
}

function describe(row) {
  const lines = [
    data.h[row] + ' ' + data.k[row] + ' ' + data.l[row] + '   (row ' + data.fileRow[row] + ' of the file)',
    '2theta    ' + (Number.isFinite(twoTheta[row]) ? twoTheta[row].toFixed(4) : 'none')
  ];
  if (Number.isFinite(dSpacing[row])) {
    lines.push('d         ' + dSpacing[row].toFixed(4));
  }
  if (data.width) {
    lines.push('width     ' + data.width[row]);
  }
  lines.push('F^2       ' + (Number.isFinite(intensity[row]) ? intensity[row].toPrecision(6) : 'none'));
  lines.push('status    ' + (removedInInput[row] ? 'removed in the input' : statusNames[state.status[row]]));
  if (!removedInInput[row]) {
    lines.push(
        'close from ' +
        (cut[row] === NEVER ? 'no window' : (data.byWidth ? 'DELTA = ' : 'D = ') + windowText(cut[row])));
  }
  return lines.join('\n');
}

function wirePlot() {
  const tip = document.getElementById('tip');
  let dragFrom = null;
  plot.addEventListener('wheel', (event) => {
    event.preventDefault();
    const at = valueAt(event.offsetX);
    const factor = event.deltaY < 0 ? 0.8 : 1.25;
    const {low, high} = state.view;
    state.view = {low: at - (at - low) * factor, high: at + (high - at) * factor};
    drawPlot();
  }, {passive: false});
  plot.addEventListener('mousedown', (event) => {
    dragFrom = {x: event.offsetX, view: state.view};
  });
  window.addEventListener('mouseup', () => {
    dragFrom = null;
  });
  plot.addEventListener('dblclick', () => {
    state.view = fullView();
    drawPlot();
  });
  plot.addEventListener('mousemove', (event) => {
    if (dragFrom) {
      const span = plot.clientWidth - margin.left - margin.right;
      const shift = ((event.offsetX - dragFrom.x) / span) * (dragFrom.view.high - dragFrom.view.low);
      const sign = state.axis === 'd' ? 1 : -1;
      state.view = {low: dragFrom.view.low + sign * shift, high: dragFrom.view.high + sign * shift};
      drawPlot();
      tip.style.display = 'none';
      return;
    }
    const row = nearestRow(valueAt(event.offsetX));
    const x = xMap(plot.clientWidth);
    if (row < 0 || Math.abs(x(coordinate(row)) - event.offsetX) > 6) {
      tip.style.display = 'none';
      return;
    }
    tip.textContent = describe(row);
    tip.style.left = event.clientX + 14 + 'px';
    tip.style.top = event.clientY + 14 + 'px';
    tip.style.display = 'block';
  });
  plot.addEventListener('mouseleave', () => {
    tip.style.display = 'none';
  });
}

// ---- start -----------------------------------------------------------

document.title = 'KESTRAN window: ' + data.name;
document.getElementById('title').textContent = 'KESTRAN: ' + data.name + ' (' + data.flavour + '), ' + data.read +
    ' reflections read; window ' + (data.byWidth ? 'DELTA x FWHM' : 'D in degrees 2theta');
document.getElementById('windowName').textContent = data.byWidth ? 'DELTA' : 'D (degrees 2\u03b8)';
if (!(data.wavelength > 0)) {
  document.getElementById('axisSwitch').style.display = 'none';
}
document.getElementById(data.rule === 'share' ? 'ruleShare' : 'ruleDrop').checked = true;
state.view = fullView();
sortForHover();
wireControls();
state.bits = data.ownBits;
redraw();
})();
