// The page around the panel's core: it draws each window's list of drawing
// operations on a canvas as the desktop painter does, forwards the pointer in
// client coordinates, runs the core's 5 ms steps as the browser's clock owes
// them, keeps Hardware.dat and the view in local storage, plays the tones the core says sound, runs scenario
// scripts against the live panel and runs the core's exercises in real time. Every caption, hint, name and message is drawn or shown as text, never inserted as
// markup; the debrief is a page of its own in a sandboxed frame.
"use strict";

const STEP_MS = 5;
// After a longer gap (a hidden tab) the missed time is skipped, not caught up.
const MAX_CATCH_UP_MS = 1000;
// The page's tick: the panel's lamps change at 4 Hz at most, so 25 ticks a second show them.
const TICK_MS = 40;
const FORM_COUNT = 2;
const STORAGE_KEY = "qx40.Hardware.dat";
// The fascia, the cover, the mute box and the scale, as JSON.
const VIEW_KEY = "qx40.view";
const GRAY = "#a0a0a4";
const WHITE = "#ffffff";
const CHECK_BOX_SIZE = 13;
const CHECK_BOX_TEXT_GAP = 6;
const SHIFT_BITS = { shift: 0x01, alt: 0x02, ctrl: 0x04, left: 0x08, right: 0x10, middle: 0x20 };
const POINTER = { down: 0, move: 1, up: 2 };

const params = new URLSearchParams(location.search);
// ?manual: the clock does not step the panel; a test steps it through window.qx40.
const manual = params.has("manual");
// ?fresh: start as with no Hardware.dat and the first view, once the user agrees to throw the stored ones away.
const fresh = params.has("fresh");

const measureCanvas = document.createElement("canvas").getContext("2d");
const images = new Map();
let core = null;
let lists = [];
let lastSettings = null;
let lastView = null;

function cssFont(font) {
  const family = font.family.toLowerCase() === "terminal" ? "Liberation Mono" : "Liberation Sans";
  return `${font.bold ? "bold " : ""}${font.size}px "${family}"`;
}

// Width and line height as the desktop's font metrics give them, in whole pixels.
function measureText(family, size, bold, text) {
  measureCanvas.font = cssFont({ family, size, bold });
  const metrics = measureCanvas.measureText(text);
  return {
    width: Math.round(metrics.width),
    ascent: Math.round(metrics.fontBoundingBoxAscent),
    height: Math.round(metrics.fontBoundingBoxAscent) + Math.round(metrics.fontBoundingBoxDescent),
  };
}

function fontMetrics(ctx, font, text) {
  ctx.font = cssFont(font);
  return measureText(font.family, font.size, font.bold, text);
}

// The artwork file, loaded once; a window whose picture arrives late is drawn again.
function image(file, form) {
  let entry = images.get(file);
  if (!entry) {
    entry = { img: new Image(), ready: false, forms: new Set() };
    entry.loaded = new Promise((resolve) => {
      entry.img.onload = () => { entry.ready = true; entry.forms.forEach((f) => dirty.add(f)); resolve(); };
      entry.img.onerror = () => resolve();
    });
    entry.img.src = "assets/" + encodeURIComponent(file);
    images.set(file, entry);
  }
  entry.forms.add(form);
  return entry;
}

const dirty = new Set();

function line(ctx, color, x1, y1, x2, y2) {
  ctx.fillStyle = color;
  ctx.fillRect(Math.min(x1, x2), Math.min(y1, y2), Math.abs(x2 - x1) + 1, Math.abs(y2 - y1) + 1);
}

// A one-pixel outline on the pixels from (x, y) to (x + w, y + h), as QPainter's drawRect.
function outline(ctx, color, x, y, w, h) {
  line(ctx, color, x, y, x + w, y);
  line(ctx, color, x, y + h, x + w, y + h);
  line(ctx, color, x, y, x, y + h);
  line(ctx, color, x + w, y, x + w, y + h);
}

function bevel(ctx, rect, kind) {
  if (!kind) return;
  const light = kind === "raised" ? WHITE : GRAY;
  const dark = kind === "raised" ? GRAY : WHITE;
  const right = rect.x + rect.w - 1, bottom = rect.y + rect.h - 1;
  line(ctx, light, rect.x, rect.y, right, rect.y);
  line(ctx, light, rect.x, rect.y, rect.x, bottom);
  line(ctx, dark, rect.x, bottom, right, bottom);
  line(ctx, dark, right, rect.y, right, bottom);
  rect.x += 1; rect.y += 1; rect.w -= 2; rect.h -= 2;
}

function background(ctx, op) {
  if (!op.color) return;
  ctx.fillStyle = op.color;
  ctx.fillRect(0, 0, op.w, op.h);
}

// Greedy word wrap within the width, as the desktop's word-wrapped labels.
function wrapLines(ctx, text, width) {
  const lines = [];
  for (const paragraph of text.split(/\r\n|\r|\n/)) {
    let current = "";
    for (const word of paragraph.split(" ")) {
      const trial = current ? current + " " + word : word;
      if (current && ctx.measureText(trial).width > width) {
        lines.push(current);
        current = word;
      } else {
        current = trial;
      }
    }
    lines.push(current);
  }
  return lines;
}

function drawLabel(ctx, op) {
  background(ctx, op);
  const metrics = fontMetrics(ctx, op.font, "");
  ctx.fillStyle = op.fontColor || "#000";
  const lines = op.wrap ? wrapLines(ctx, op.caption, op.w) : [op.caption];
  lines.forEach((text, i) => {
    const width = Math.round(ctx.measureText(text).width);
    const x = op.align === "right" ? op.w - width : op.align === "center" ? Math.floor((op.w - width) / 2) : 0;
    ctx.fillText(text, x, metrics.ascent + i * metrics.height);
  });
}

function drawShape(ctx, op) {
  if (op.brush) {
    ctx.fillStyle = op.brush;
    ctx.fillRect(0, 0, op.w, op.h);
  }
  if (!op.pen) return;
  // QPainter's aliased pen of width p on the rectangle inset by p / 2: p rings.
  const span = (size) => size - 1 - 2 * Math.floor(op.penWidth / 2);
  for (let ring = 0; ring < op.penWidth; ++ring) outline(ctx, op.pen, ring, ring, span(op.w), span(op.h));
}

function drawGroup(ctx, op) {
  background(ctx, op);
  const metrics = fontMetrics(ctx, op.font, op.caption);
  const lineY = Math.floor(metrics.height / 2);
  outline(ctx, GRAY, 0, lineY, op.w - 2, op.h - 2 - lineY);
  outline(ctx, WHITE, 1, lineY + 1, op.w - 2, op.h - 2 - lineY);
  if (!op.caption) return;
  const boxWidth = metrics.width + 2;
  ctx.fillStyle = op.behind;
  ctx.fillRect(8, 0, boxWidth, metrics.height);
  ctx.fillStyle = "#000";
  ctx.fillText(op.caption, 8 + Math.floor((boxWidth - metrics.width) / 2), metrics.ascent);
}

function drawPanel(ctx, op) {
  background(ctx, op);
  const rect = { x: 0, y: 0, w: op.w, h: op.h };
  bevel(ctx, rect, op.outer);
  bevel(ctx, rect, op.inner);
}

function drawSelector(ctx, op, form) {
  const w = op.stretch ? op.w : op.frameWidth, h = op.stretch ? op.h : op.frameHeight;
  ctx.fillStyle = WHITE;
  ctx.fillRect(0, 0, w, h);
  const entry = image(op.file, form);
  if (!entry.ready) return;
  const framesHeld = Math.floor(entry.img.naturalWidth / op.frameWidth);
  if (op.index < 0 || op.index >= framesHeld) return;
  ctx.drawImage(entry.img, op.index * op.frameWidth, 0, op.frameWidth, op.frameHeight, 0, 0, w, h);
}

function drawCheckBox(ctx, op) {
  background(ctx, op);
  const top = Math.floor((op.h - CHECK_BOX_SIZE - 1) / 2);
  ctx.fillStyle = WHITE;
  ctx.fillRect(0, top, CHECK_BOX_SIZE, CHECK_BOX_SIZE);
  outline(ctx, GRAY, 0, top, CHECK_BOX_SIZE - 2, CHECK_BOX_SIZE - 2);
  const inside = { left: 3, top: top + 3, right: CHECK_BOX_SIZE - 4, bottom: top + CHECK_BOX_SIZE - 4 };
  if (op.state === "grayed") {
    ctx.fillStyle = GRAY;
    ctx.fillRect(inside.left, inside.top, inside.right - inside.left + 1, inside.bottom - inside.top + 1);
  }
  if (op.state === "checked") {
    const cx = Math.floor((inside.left + inside.right) / 2), cy = Math.floor((inside.top + inside.bottom) / 2);
    ctx.strokeStyle = "#000";
    ctx.lineWidth = 2;
    ctx.beginPath();
    ctx.moveTo(inside.left, cy);
    ctx.lineTo(cx - 1, inside.bottom);
    ctx.lineTo(inside.right, inside.top);
    ctx.stroke();
  }
  const metrics = fontMetrics(ctx, op.font, op.caption);
  ctx.fillStyle = "#000";
  ctx.fillText(op.caption, CHECK_BOX_SIZE + CHECK_BOX_TEXT_GAP, Math.floor((op.h - metrics.height) / 2) + metrics.ascent);
}

function drawImage(ctx, op, form) {
  const entry = image(op.file, form);
  if (entry.ready) {
    ctx.drawImage(entry.img, 0, 0);
    return;
  }
  ctx.fillStyle = GRAY;
  ctx.fillRect(0, 0, op.w, op.h);
}

const painters = {
  selector: drawSelector, label: drawLabel, shape: drawShape, group: drawGroup,
  panel: drawPanel, checkbox: drawCheckBox, image: drawImage, plain: background, none: () => {},
};

function drawForm(index) {
  const list = JSON.parse(core.UTF8ToString(core._qx40_draw_list(index)));
  lists[index] = list;
  const canvas = document.getElementById("form" + index);
  if (canvas.width !== list.width || canvas.height !== list.height) {
    canvas.width = list.width;
    canvas.height = list.height;
    applyScale();
  }
  document.getElementById("title" + index).textContent = list.caption;
  const ctx = canvas.getContext("2d");
  ctx.fillStyle = list.color || WHITE;
  ctx.fillRect(0, 0, list.width, list.height);
  for (const op of list.ops) {
    ctx.save();
    ctx.beginPath();
    ctx.rect(op.clip[0], op.clip[1], op.clip[2], op.clip[3]);
    ctx.clip();
    ctx.translate(op.x, op.y);
    ctx.textBaseline = "alphabetic";
    painters[op.kind](ctx, op, index);
    ctx.restore();
  }
}

function applyScale() {
  storeViewIfChanged();
  const scale = Number(document.getElementById("scale").value) / 100;
  document.getElementById("scale-value").textContent = Math.round(scale * 100) + " %";
  for (let i = 0; i < FORM_COUNT; ++i) {
    const canvas = document.getElementById("form" + i);
    // The height follows the width, so that a window narrowed to the screen keeps its proportions.
    canvas.style.width = canvas.width * scale + "px";
  }
}

// ---- input ----

function clientPoint(canvas, event) {
  const rect = canvas.getBoundingClientRect();
  return {
    x: Math.floor((event.clientX - rect.left) * canvas.width / rect.width),
    y: Math.floor((event.clientY - rect.top) * canvas.height / rect.height),
  };
}

function shiftState(event) {
  let bits = 0;
  if (event.shiftKey) bits |= SHIFT_BITS.shift;
  if (event.altKey) bits |= SHIFT_BITS.alt;
  if (event.ctrlKey) bits |= SHIFT_BITS.ctrl;
  if (event.buttons & 1) bits |= SHIFT_BITS.left;
  if (event.buttons & 2) bits |= SHIFT_BITS.right;
  if (event.buttons & 4) bits |= SHIFT_BITS.middle;
  return bits;
}

// The hint of the topmost control under the point, shown as the canvas's tooltip.
function hintAt(index, point) {
  const list = lists[index];
  if (!list) return "";
  for (let i = list.ops.length - 1; i >= 0; --i) {
    const op = list.ops[i];
    const [cx, cy, cw, ch] = op.clip;
    if (point.x >= cx && point.y >= cy && point.x < cx + cw && point.y < cy + ch && op.hint) return op.hint;
  }
  return "";
}

function wireInput(index) {
  const canvas = document.getElementById("form" + index);
  const send = (action, event) => {
    const point = clientPoint(canvas, event);
    core._qx40_pointer(index, action, event.button, shiftState(event), point.x, point.y);
    return point;
  };
  canvas.addEventListener("pointerdown", (event) => {
    canvas.setPointerCapture(event.pointerId);
    send(POINTER.down, event);
    event.preventDefault();
  });
  canvas.addEventListener("pointermove", (event) => {
    const point = send(POINTER.move, event);
    const hint = hintAt(index, point);
    if (canvas.title !== hint) canvas.title = hint;
  });
  canvas.addEventListener("pointerup", (event) => send(POINTER.up, event));
  canvas.addEventListener("contextmenu", (event) => event.preventDefault());
}

// ---- settings ----

function currentSettings() {
  const size = core._qx40_settings_size();
  return new Uint8Array(core.HEAPU8.buffer, core._qx40_settings(), size).slice();
}

function toBase64(bytes) { return btoa(String.fromCharCode(...bytes)); }
function fromBase64(text) { return Uint8Array.from(atob(text), (c) => c.charCodeAt(0)); }

function remember(key, text) {
  try {
    localStorage.setItem(key, text);
  } catch (error) {
    showMessage("The browser keeps no settings for this page: " + error.message);
  }
}

function stored(key) {
  try {
    return localStorage.getItem(key);
  } catch {
    return null;
  }
}

function storeSettingsIfChanged() {
  const bytes = currentSettings();
  if (lastSettings && bytes.every((b, i) => b === lastSettings[i])) return;
  lastSettings = bytes;
  remember(STORAGE_KEY, toBase64(bytes));
}

function storedSettings() {
  try {
    const text = stored(STORAGE_KEY);
    const bytes = text ? fromBase64(text) : null;
    return bytes && bytes.length === core._qx40_settings_size() ? bytes : null;
  } catch {
    return null;
  }
}

// The core's view and the page's scale.
function storeViewIfChanged() {
  if (!core) return;
  const view = JSON.parse(core.UTF8ToString(core._qx40_view()));
  view.scale = Number(document.getElementById("scale").value);
  const text = JSON.stringify(view);
  if (text === lastView) return;
  lastView = text;
  remember(VIEW_KEY, text);
}

function storedView() {
  try {
    const view = JSON.parse(stored(VIEW_KEY));
    return view && typeof view === "object" ? view : {};
  } catch {
    return {};
  }
}

const FRESH_QUESTION = "Start afresh? The settings this browser keeps for the panel (its Hardware.dat, the fascia, " +
  "the cover, the mute box and the scale) will be thrown away.";

// Asked only when there is something to throw away; declined, the stored settings are used.
function throwAwayIfFresh() {
  if (!fresh || (stored(STORAGE_KEY) === null && stored(VIEW_KEY) === null)) return;
  if (!window.confirm(FRESH_QUESTION)) return;
  try {
    localStorage.removeItem(STORAGE_KEY);
    localStorage.removeItem(VIEW_KEY);
  } catch (error) {
    showMessage("The browser keeps no settings for this page: " + error.message);
  }
}

function showMessage(text) { document.getElementById("message").textContent = text; }

// The download link's address lives until the browser has taken the file.
const DOWNLOAD_LINK_LIFE_MS = 60000;

function download(name, data, type) {
  const link = document.createElement("a");
  link.href = URL.createObjectURL(new Blob([data], { type }));
  link.download = name;
  link.click();
  setTimeout(() => URL.revokeObjectURL(link.href), DOWNLOAD_LINK_LIFE_MS);
}

function downloadSettings() { download("Hardware.dat", currentSettings(), "application/octet-stream"); }

// Hands the file's bytes to the core, which refuses anything but a Hardware.dat.
function loadSettings(bytes) {
  const error = withCopy(bytes, (pointer) => core.UTF8ToString(core._qx40_load_settings(pointer, bytes.length)));
  showMessage(error || "Hardware.dat loaded.");
  for (let i = 0; i < FORM_COUNT; ++i) dirty.add(i);
}

// The whole panel as a .qxstate file, which the desktop program and qx40-scenario load too.
function saveState() {
  const error = core.UTF8ToString(core._qx40_save_state());
  if (error) return showMessage(error);
  download("panel.qxstate", core.FS.readFile("panel.qxstate"), "application/octet-stream");
}

// Gives the core a copy of the bytes for the call's length.
function withCopy(bytes, use) {
  const pointer = core._malloc(Math.max(bytes.length, 1));
  core.HEAPU8.set(bytes, pointer);
  try {
    return use(pointer);
  } finally {
    core._free(pointer);
  }
}

function loadState(bytes, name) {
  const error = withCopy(bytes, (state) => withCopy(new TextEncoder().encode(name + "\0"),
    (text) => core.UTF8ToString(core._qx40_load_state(state, bytes.length, text))));
  showMessage(error || `${name} loaded: the panel goes on from that moment.`);
  for (let i = 0; i < FORM_COUNT; ++i) dirty.add(i);
}

const MAX_STATE_FILE = 1 << 20;
function uploadState(event) {
  const file = event.target.files[0];
  event.target.value = "";
  if (!file) return;
  if (file.size > MAX_STATE_FILE) return showMessage(`${file.name} is not a panel state file: it has ${file.size} bytes. Nothing was changed.`);
  file.arrayBuffer().then((buffer) => loadState(new Uint8Array(buffer), file.name));
}

const MAX_SETTINGS_FILE = 1 << 20;
function uploadSettings(event) {
  const file = event.target.files[0];
  event.target.value = "";
  if (!file) return;
  if (file.size > MAX_SETTINGS_FILE) {
    showMessage(`This is not a Hardware.dat: it has ${file.size} bytes. Nothing was changed; choose a file saved by the simulator.`);
    return;
  }
  file.arrayBuffer().then((buffer) => loadSettings(new Uint8Array(buffer)));
}

// ---- scripts ----

const MAX_SCRIPT_BYTES = 1 << 20;

function runScript() {
  const text = document.getElementById("script").value;
  const output = document.getElementById("script-output");
  if (text.length > MAX_SCRIPT_BYTES) {
    output.textContent = `error: the script has ${text.length} characters, more than ${MAX_SCRIPT_BYTES}; nothing was run`;
    return;
  }
  const bytes = new TextEncoder().encode(text);
  const pointer = core._malloc(Math.max(bytes.length, 1));
  core.HEAPU8.set(bytes, pointer);
  output.textContent = core.UTF8ToString(core._qx40_run_script(pointer, bytes.length));
  core._free(pointer);
  // The instructor's messages beside the panel, as text.
  const said = document.getElementById("said");
  said.textContent = core.UTF8ToString(core._qx40_said()).trimEnd();
  said.hidden = said.textContent === "";
  drawDirty();
}

function dropScript(event) {
  event.preventDefault();
  const file = event.dataTransfer.files[0];
  if (!file) return;
  if (file.size > MAX_SCRIPT_BYTES) {
    document.getElementById("script-output").textContent = `error: ${file.name} has ${file.size} bytes, more than ${MAX_SCRIPT_BYTES}; nothing was loaded`;
    return;
  }
  file.text().then((text) => { document.getElementById("script").value = text; });
}

// ---- exercises ----

// A string handed to the core as a NUL-terminated UTF-8 copy; the caller frees it.
function cString(text) {
  const bytes = new TextEncoder().encode(text);
  const pointer = core._malloc(bytes.length + 1);
  core.HEAPU8.set(bytes, pointer);
  core.HEAPU8[pointer + bytes.length] = 0;
  return pointer;
}

let exercise = { state: "none", text: "" };
let exerciseSaid = "";

function buildLibrary() {
  const library = document.getElementById("library");
  JSON.parse(core.UTF8ToString(core._qx40_exercises())).forEach((entry, i) => {
    const label = document.createElement("label");
    const choice = document.createElement("input");
    choice.type = "radio";
    choice.name = "exercise";
    choice.value = entry.file;
    choice.checked = i === 0;
    const title = document.createElement("strong");
    title.textContent = entry.title;
    const teaches = document.createElement("span");
    teaches.className = "teaches";
    teaches.textContent = entry.teaches;
    label.append(choice, " ", title, teaches);
    library.append(label);
  });
}

const ABANDON_QUESTION = "Abandon the exercise? Its debrief will say so, and every checkpoint not yet judged " +
  "will be listed as not reached.";

function running() { return exercise.state === "running" || exercise.state === "paused"; }

function startExercise() {
  const chosen = document.querySelector("#library input:checked");
  if (!chosen) return;
  if (running()) {
    if (!window.confirm(ABANDON_QUESTION)) return;
    core._qx40_abandon_exercise();
  }
  const file = cString(chosen.value);
  const trainee = cString(document.getElementById("trainee").value);
  const error = core.UTF8ToString(core._qx40_start_exercise(file, trainee, Date.now()));
  core._free(file);
  core._free(trainee);
  document.getElementById("debrief").hidden = true;
  document.getElementById("exercise-files").hidden = true;
  for (let i = 0; i < FORM_COUNT; ++i) dirty.add(i);
  showExercise();
  if (error) document.getElementById("exercise-status").textContent = error;
}

function abandonExercise() {
  if (!running() || !window.confirm(ABANDON_QUESTION)) return;
  core._qx40_abandon_exercise();
  showExercise();
}

function pauseExercise() {
  core._qx40_pause_exercise();
  showExercise();
}

// How far the exercise is, its messages, and once it has ended its debrief and files.
function showExercise() {
  const status = JSON.parse(core.UTF8ToString(core._qx40_exercise_status()));
  const ended = status.state === "ended" && exercise.state !== "ended";
  exercise = status;
  if (status.state === "none") return;
  document.getElementById("exercise-status").textContent = status.text;
  document.getElementById("pause-exercise").disabled = !running();
  document.getElementById("abandon-exercise").disabled = !running();
  document.getElementById("pause-exercise").textContent = status.state === "paused" ? "Resume" : "Pause";
  const said = core.UTF8ToString(core._qx40_exercise_said()).trimEnd();
  if (said !== exerciseSaid) {
    exerciseSaid = said;
    const box = document.getElementById("said");
    box.textContent = said;
    box.hidden = said === "";
  }
  if (!ended) return;
  const frame = document.getElementById("debrief");
  frame.srcdoc = core.UTF8ToString(core._qx40_debrief());
  frame.hidden = false;
  document.getElementById("exercise-files").hidden = false;
  document.getElementById("download-recording-settings").hidden = !status.settings;
}

function downloadDebrief() { download(exercise.debrief, core.UTF8ToString(core._qx40_debrief()), "text/html"); }
function downloadRecording() { download(exercise.recording, core.FS.readFile(exercise.recording), "text/plain"); }
function downloadRecordingSettings() {
  download(exercise.settings.split("/").pop(), core.FS.readFile(exercise.settings), "application/octet-stream");
}

function wireExercises() {
  buildLibrary();
  const wire = (id, handler) => document.getElementById(id).addEventListener("click", handler);
  wire("start-exercise", startExercise);
  wire("pause-exercise", pauseExercise);
  wire("abandon-exercise", abandonExercise);
  wire("download-debrief", downloadDebrief);
  wire("download-recording", downloadRecording);
  wire("download-recording-settings", downloadRecordingSettings);
}

// ---- sound ----

// The desktop's tones: the buzzer a 3 kHz square wave, the sounders a sine
// alternating 800 Hz and 1 kHz, mixed when both sound.
const TONES = {
  buzzer: { bit: 1, type: "square", hz: 3000, level: 0.2 },
  sounder: { bit: 2, type: "sine", hz: 800, level: 0.3 },
};
const SOUNDER_HZ = [800, 1000];
const SOUNDER_TONE_S = 0.25;
// The sounder's changes of pitch are scheduled this far ahead, beyond the ticks of a slowed background tab.
const PITCH_AHEAD_S = 2;

// Made at the user's first gesture, as browsers allow sound only after one.
let audio = null;

function startAudio() {
  if (audio) return;
  const context = new AudioContext();
  audio = { context, voices: {}, pitchAt: 0, pitch: 0 };
  for (const [name, tone] of Object.entries(TONES)) {
    const oscillator = new OscillatorNode(context, { type: tone.type, frequency: tone.hz });
    const gain = new GainNode(context, { gain: 0 });
    oscillator.connect(gain).connect(context.destination);
    oscillator.start();
    audio.voices[name] = { oscillator, gain, playing: false };
  }
  audio.resumed = context.resume();
  playTones();
}

function schedulePitch(frequency, now) {
  audio.pitchAt = Math.max(audio.pitchAt, now);
  while (audio.pitchAt < now + PITCH_AHEAD_S) {
    frequency.setValueAtTime(SOUNDER_HZ[audio.pitch], audio.pitchAt);
    audio.pitch = (audio.pitch + 1) % SOUNDER_HZ.length;
    audio.pitchAt += SOUNDER_TONE_S;
  }
}

// Each voice sounds while the core says its tone plays.
function playTones() {
  if (!audio) return;
  const bits = core._qx40_tones();
  const now = audio.context.currentTime;
  schedulePitch(audio.voices.sounder.oscillator.frequency, now);
  for (const [name, tone] of Object.entries(TONES)) {
    const voice = audio.voices[name];
    const on = (bits & tone.bit) !== 0;
    if (on === voice.playing) continue;
    voice.playing = on;
    voice.gain.gain.setValueAtTime(on ? tone.level : 0, now);
  }
}

// Once the context has answered the gesture's resume.
async function audioState() {
  if (!audio) return { context: "none", tones: [] };
  await audio.resumed;
  const names = Object.keys(TONES);
  return {
    context: audio.context.state,
    tones: names.filter((name) => audio.voices[name].playing),
    levels: Object.fromEntries(names.map((name) => [name, audio.voices[name].gain.gain.value])),
  };
}

// ---- time ----

let owedFrom = 0;

function runOwedSteps(now) {
  if (manual) return;
  let owed = now - owedFrom;
  if (owed > MAX_CATCH_UP_MS) {
    owedFrom = now;
    owed = 0;
  }
  const steps = Math.floor(owed / STEP_MS);
  owedFrom += steps * STEP_MS;
  if (steps > 0) core._qx40_step(steps);
}

function drawDirty() {
  for (let i = 0; i < FORM_COUNT; ++i) {
    if (core._qx40_take_dirty(i)) dirty.add(i);
  }
  for (const index of dirty) drawForm(index);
  dirty.clear();
  playTones();
  storeSettingsIfChanged();
  storeViewIfChanged();
}

function tick() {
  runOwedSteps(performance.now());
  drawDirty();
  showExercise();
}

// ---- start ----

async function start() {
  const faces = [{ family: "MS Sans Serif", size: 12 }, { family: "MS Sans Serif", size: 12, bold: true },
    { family: "Terminal", size: 12 }];
  await Promise.all(faces.map((face) => document.fonts.load(cssFont(face))));
  core = await createPanel({ measureText });
  throwAwayIfFresh();
  const saved = storedSettings();
  if (saved) core.FS.writeFile("Hardware.dat", saved);
  const view = storedView();
  core._qx40_start(view.muted ? 1 : 0, view.fascia === "corvella" ? 1 : 0, view.coverOff ? 1 : 0);
  // The range control keeps a stored scale within its bounds.
  if (Number.isFinite(view.scale)) document.getElementById("scale").value = view.scale;
  for (let i = 0; i < FORM_COUNT; ++i) {
    wireInput(i);
    lists[i] = JSON.parse(core.UTF8ToString(core._qx40_draw_list(i)));
  }
  // The first picture waits for its artwork, so that it is whole.
  await artworkArrived();
  for (let i = 0; i < FORM_COUNT; ++i) drawForm(i);
  document.getElementById("loading").remove();
  document.getElementById("scale").addEventListener("input", applyScale);
  document.getElementById("download").addEventListener("click", downloadSettings);
  document.getElementById("upload").addEventListener("change", uploadSettings);
  document.getElementById("load-state").addEventListener("change", uploadState);
  document.getElementById("save-state").addEventListener("click", saveState);
  document.getElementById("run-script").addEventListener("click", runScript);
  document.getElementById("script").addEventListener("dragover", (event) => event.preventDefault());
  document.getElementById("script").addEventListener("drop", dropScript);
  wireExercises();
  for (const kind of ["pointerdown", "keydown"]) addEventListener(kind, startAudio, { capture: true });
  owedFrom = performance.now();
  setInterval(tick, TICK_MS);
}

// Once every picture the windows show now has arrived.
function artworkArrived() {
  return Promise.all(lists.flatMap((list, i) => list.ops.filter((op) => op.file).map((op) => image(op.file, i).loaded)));
}

// What a test or a course page may drive: the stepper (with ?manual) and the drawing lists; what sounds, read only.
window.qx40 = {
  step: (steps) => { core._qx40_step(steps); drawDirty(); showExercise(); },
  // Resolves once the windows are drawn whole: a fascia shown for the first time loads its picture.
  whole: async () => { await artworkArrived(); drawDirty(); },
  nowMs: () => core._qx40_now_ms(),
  list: (index) => JSON.parse(core.UTF8ToString(core._qx40_draw_list(index))),
  loadSettings,
  loadState,
  audioState,
};
window.qx40Ready = start().then(() => performance.now());
