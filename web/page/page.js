// The page around the panel's core: it executes each window's drawing
// operations on a canvas as the desktop does with QPainter, only for the area
// that changed, and knows nothing of the controls; it forwards the pointer in
// client coordinates, runs the core's 5 ms steps as the browser's clock owes
// them, keeps Hardware.dat and the view in local storage, plays the tones the core says sound, runs scenario
// scripts against the live panel and runs the core's exercises in real time. Every caption, hint, name and message is drawn or shown as text, never inserted as
// markup; the debrief is a page of its own in a sandboxed frame.
"use strict";

// After a longer gap (a hidden tab) the missed time is skipped, not caught up.
const MAX_CATCH_UP_MS = 1000;
// The page sleeps until the panel next changes by itself, as the core foresees, then runs the steps the
// clock owes and draws what changed; input runs the owed steps and draws at once. It sleeps at least
// this long, so that a change shows within 100 ms (this wait and the browser's next frame), and sleeps
// only this long while an exercise runs, whose script acts at its own moments.
const WAKE_MS = 90;
// At most this long, so that a timer that fires late still falls within MAX_CATCH_UP_MS.
const MAX_SLEEP_MS = 800;
const FORM_COUNT = 2;
const STORAGE_KEY = "qx40.Hardware.dat";
// The fascia, the cover, the mute box and the scale, as JSON.
const VIEW_KEY = "qx40.view";
// What the core reports as changed since the page last asked.
const CHANGED = { settings: 1, view: 2 };
// An area beyond any window: the whole of it.
const WHOLE = [0, 0, 0x3fffffff, 0x3fffffff];
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
let stepMs = 0;
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

// A file the core does not hold is a rejection, as a picture that does not decode. An ImageDecoder takes
// the bytes as they are; a Blob of each picture cost the page's thread 1 to 5 ms.
async function decoded(file) {
  const data = core.FS.readFile("assets/" + file);
  if (!("ImageDecoder" in window)) return createImageBitmap(new Blob([data]));
  const decoder = new ImageDecoder({ data, type: file.endsWith(".png") ? "image/png" : "image/jpeg" });
  const { image } = await decoder.decode().finally(() => decoder.close());
  try {
    return await createImageBitmap(image);
  } finally {
    image.close();
  }
}

// The artwork file, from the core's file system, decoded once, off the page's thread, so that the first
// drawing need not decode it; a window whose picture is decoded late is drawn again, one that does not
// decode is left undrawn.
function image(file, form) {
  let entry = images.get(file);
  if (!entry) {
    entry = { img: null, ready: false, forms: new Set() };
    entry.loaded = decoded(file).then((bitmap) => {
      entry.img = bitmap;
      entry.ready = true;
      entry.forms.forEach((f) => dirty.add(f));
    }, () => {});
    images.set(file, entry);
  }
  entry.forms.add(form);
  return entry;
}

// The windows to draw whole at the next tick.
const dirty = new Set();

// A one-pixel line on the pixels from (x1, y1) to (x2, y2), both ends included.
function straightLine(ctx, color, x1, y1, x2, y2) {
  ctx.fillStyle = color;
  ctx.fillRect(Math.min(x1, x2), Math.min(y1, y2), Math.abs(x2 - x1) + 1, Math.abs(y2 - y1) + 1);
}

// A one-pixel outline on the pixels from (x, y) to (x + w, y + h), as QPainter's drawRect.
function outline(ctx, color, x, y, w, h) {
  straightLine(ctx, color, x, y, x + w, y);
  straightLine(ctx, color, x, y + h, x + w, y + h);
  straightLine(ctx, color, x, y, x, y + h);
  straightLine(ctx, color, x + w, y, x + w, y + h);
}

// Greedy word wrap within the width, as QPainter wraps: at spaces, and after a slash or a hyphen.
function wrapLines(ctx, text, width) {
  const lines = [];
  for (const paragraph of text.split(/\r\n|\r|\n/)) {
    let current = "";
    for (const piece of paragraph.match(/[^ /-]*[/-]+| *[^ /-]+ */g) || [""]) {
      const trial = current + piece;
      if (current.trim() && ctx.measureText(trial.trimEnd()).width > width) {
        lines.push(current.trimEnd());
        current = piece.trimStart();
      } else {
        current = trial;
      }
    }
    lines.push(current.trimEnd());
  }
  return lines;
}

// A clip replaces the last: the context is restored to before it and saved again.
function clipTo(ctx, op) {
  ctx.restore();
  ctx.save();
  ctx.beginPath();
  ctx.rect(...op.r);
  ctx.clip();
}

function fill(ctx, op) {
  ctx.fillStyle = op.color;
  ctx.fillRect(...op.r);
}

// QPainter's aliased pen of width p on the rectangle inset by p / 2: p rings.
function frame(ctx, op) {
  const [x, y, w, h] = op.r;
  const inset = 1 + 2 * Math.floor(op.width / 2);
  for (let ring = 0; ring < op.width; ++ring) outline(ctx, op.color, x + ring, y + ring, w - inset, h - inset);
}

function line(ctx, op) {
  const [x1, y1] = op.r, [x2, y2] = op.to;
  if (op.width === 1 && (x1 === x2 || y1 === y2)) return straightLine(ctx, op.color, x1, y1, x2, y2);
  ctx.strokeStyle = op.color;
  ctx.lineWidth = op.width;
  ctx.beginPath();
  ctx.moveTo(x1, y1);
  ctx.lineTo(x2, y2);
  ctx.stroke();
}

// Only the part of the source the file holds, to the matching part of the target.
function picture(ctx, op, form) {
  const entry = image(op.file, form);
  if (!entry.ready) return;
  const [sx, sy, sw, sh] = op.source, [x, y, w, h] = op.r;
  const left = Math.max(sx, 0), top = Math.max(sy, 0);
  const right = Math.min(sx + sw, entry.img.width), bottom = Math.min(sy + sh, entry.img.height);
  if (right <= left || bottom <= top) return;
  const kx = w / sw, ky = h / sh;
  ctx.drawImage(entry.img, left, top, right - left, bottom - top,
    x + (left - sx) * kx, y + (top - sy) * ky, (right - left) * kx, (bottom - top) * ky);
}

// Aligned as QPainter aligns, to the fraction of a pixel; wrapped lines a pixel further apart than the
// font's rounded height, as QPainter rounds their fractional height up.
// Centred text sits this much further left, where the desktop's glyphs fall (measured against qx40-render).
const CENTRED_TEXT_SHIFT = -0.25;
function text(ctx, op) {
  const [x, y, w, h] = op.r;
  const metrics = fontMetrics(ctx, op.font, "");
  const lineStep = metrics.height + 1;
  ctx.fillStyle = op.color || "#000";
  const lines = op.wrap ? wrapLines(ctx, op.text, w) : [op.text];
  const top = op.middle ? y + Math.floor((h - lines.length * metrics.height) / 2) : y;
  lines.forEach((shown, i) => {
    const width = ctx.measureText(shown).width;
    const centred = x + (w - width) / 2 + CENTRED_TEXT_SHIFT;
    const left = op.align === "right" ? x + w - width : op.align === "center" ? centred : x;
    ctx.fillText(shown, left, top + metrics.ascent + i * lineStep);
  });
}

const EXECUTE = { clip: clipTo, fill, frame, line, image: picture, text };

// Whether the area takes in the whole of the window the list draws.
function covers([x, y, w, h], list) { return x <= 0 && y <= 0 && x + w >= list.width && y + h >= list.height; }

function drawList(index, area) {
  return JSON.parse(core.UTF8ToString(core._qx40_draw_list(index, ...area)));
}

// The area's operations; a window whose size changed is drawn whole.
function drawForm(index, area) {
  let list = drawList(index, area);
  const canvas = document.getElementById("form" + index);
  if (canvas.width !== list.width || canvas.height !== list.height) {
    canvas.width = list.width;
    canvas.height = list.height;
    applyScale();
    if (!covers(area, list)) list = drawList(index, WHOLE);
  }
  const title = document.getElementById("title" + index);
  if (title.textContent !== list.caption) title.textContent = list.caption;
  const ctx = canvas.getContext("2d");
  // Stretched artwork as the desktop draws it at its own size: nearest pixel.
  ctx.imageSmoothingEnabled = false;
  ctx.save();
  for (const op of list.ops) EXECUTE[op.op](ctx, op, index);
  ctx.restore();
}

function applyScale() {
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

// The hint of the control under the point, as the desktop shows it, as the canvas's tooltip.
function hintAt(index, point) { return core.UTF8ToString(core._qx40_hint_at(index, point.x, point.y)); }

function wireInput(index) {
  const canvas = document.getElementById("form" + index);
  // The panel is brought up to the moment of the input, which then shows at once.
  const send = (action, event) => {
    const point = clientPoint(canvas, event);
    atNow(() => core._qx40_pointer(index, action, event.button, shiftState(event), point.x, point.y));
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

// Kept only when the core says that the settings or the view changed.
function storeChanges() {
  const changes = core._qx40_changes();
  if (changes & CHANGED.settings) remember(STORAGE_KEY, toBase64(currentSettings()));
  if (changes & CHANGED.view) storeViewIfChanged();
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
  file.arrayBuffer().then((buffer) => atNow(() => loadState(new Uint8Array(buffer), file.name)));
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
  file.arrayBuffer().then((buffer) => atNow(() => loadSettings(new Uint8Array(buffer))));
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
  output.textContent = withCopy(bytes, (pointer) => core.UTF8ToString(core._qx40_run_script(pointer, bytes.length)));
  // The instructor's messages beside the panel, as text.
  const said = document.getElementById("said");
  said.textContent = core.UTF8ToString(core._qx40_said()).trimEnd();
  said.hidden = said.textContent === "";
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
  document.getElementById("debrief")?.setAttribute("hidden", "");
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

// The debrief's sandboxed frame, made when first wanted: a frame in the page as it loads is a second
// document to make before the panel is drawn.
function debriefFrame() {
  let frame = document.getElementById("debrief");
  if (frame) return frame;
  frame = document.createElement("iframe");
  frame.id = "debrief";
  frame.title = "Debrief of the exercise";
  frame.sandbox = "";
  document.getElementById("training").append(frame);
  return frame;
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
  const frame = debriefFrame();
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
  wire("start-exercise", () => atNow(startExercise));
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
  const steps = Math.floor(owed / stepMs);
  owedFrom += steps * stepMs;
  if (steps > 0) core._qx40_step(steps);
}

// Draws what changed; a window that did not is not looked at further, so most wake-ups make no garbage.
function drawDirty() {
  for (let i = 0; i < FORM_COUNT; ++i) {
    const at = core._qx40_take_dirty(i) / 4;
    if (dirty.has(i)) drawForm(i, WHOLE);
    else if (core.HEAP32[at + 2] > 0) drawForm(i, Array.from(core.HEAP32.subarray(at, at + 4)));
  }
  dirty.clear();
  playTones();
  storeChanges();
}

// Called each wake-up, after the panel has been drawn: the event log reads what the core logged.
const wakeListeners = [];
let wakeTimer = 0;

// Input is applied at its moment: the panel is first brought up to now, then what changed is drawn at once.
function atNow(apply) {
  runOwedSteps(performance.now());
  const result = apply();
  tick(true);
  return result;
}

// How long the panel stands before it changes by itself, within WAKE_MS and MAX_SLEEP_MS. Input comes in
// runs (a drag, a pointer crossing the panel), so the core foresees only once the page wakes after it.
function sleepMs(afterInput) {
  if (afterInput || running()) return WAKE_MS;
  return Math.max(WAKE_MS, stepMs * core._qx40_steps_until_change(MAX_SLEEP_MS / stepMs));
}

// Steps the panel as the clock owes, draws what changed, and sleeps until the next wake-up, which
// input may bring forward. It wakes when whole steps are owed, so no part of a step waits a wake-up more.
function tick(afterInput = false) {
  clearTimeout(wakeTimer);
  const now = performance.now();
  try {
    runOwedSteps(now);
    drawDirty();
    if (running()) showExercise();
    wakeListeners.forEach((listener) => listener());
  } finally {
    // Whole milliseconds, rounded up: a timer a fraction early would leave the last step for the next wake-up.
    wakeTimer = setTimeout(tick, manual ? WAKE_MS : Math.ceil(sleepMs(afterInput) - (performance.now() - owedFrom)));
  }
}

// ---- start ----

// The core's code as compile.js compiled it while the page was read.
function instantiateWasm(imports, receive) {
  window.panelCode.then((code) => WebAssembly.instantiate(code, imports).then((instance) => receive(instance, code)))
    .catch((error) => showMessage("The panel's code could not be loaded: " + error.message));
  return {};
}

async function start() {
  const faces = [{ family: "MS Sans Serif", size: 12 }, { family: "MS Sans Serif", size: 12, bold: true },
    { family: "Terminal", size: 12 }];
  // The fonts arrive while the core loads: it measures nothing until it starts.
  [core] = await Promise.all([createPanel({ measureText, instantiateWasm }),
    ...faces.map((face) => document.fonts.load(cssFont(face)))]);
  stepMs = core._qx40_step_ms();
  throwAwayIfFresh();
  const saved = storedSettings();
  if (saved) core.FS.writeFile("Hardware.dat", saved);
  const view = storedView();
  core._qx40_start(view.muted ? 1 : 0, view.fascia === "corvella" ? 1 : 0, view.coverOff ? 1 : 0);
  // The range control keeps a stored scale within its bounds.
  if (Number.isFinite(view.scale)) document.getElementById("scale").value = view.scale;
  for (let i = 0; i < FORM_COUNT; ++i) wireInput(i);
  // The windows are first drawn while their artwork arrives, which readies the fonts, the drawing
  // and the core's code; they are shown once drawn again with the artwork, whole.
  const artwork = artworkArrived();
  await nextTask();
  drawDirty();
  await artwork;
  drawDirty();
  document.getElementById("windows").hidden = false;
  document.getElementById("loading").remove();
  document.getElementById("scale").addEventListener("input", () => { applyScale(); storeViewIfChanged(); });
  document.getElementById("download").addEventListener("click", downloadSettings);
  document.getElementById("upload").addEventListener("change", uploadSettings);
  document.getElementById("load-state").addEventListener("change", uploadState);
  document.getElementById("save-state").addEventListener("click", saveState);
  document.getElementById("run-script").addEventListener("click", () => atNow(runScript));
  document.getElementById("script").addEventListener("dragover", (event) => event.preventDefault());
  document.getElementById("script").addEventListener("drop", dropScript);
  wireExercises();
  for (const kind of ["pointerdown", "keydown"]) addEventListener(kind, startAudio, { capture: true });
  owedFrom = performance.now();
  wakeTimer = setTimeout(tick, WAKE_MS);
}

// The artwork's requests go out once the running task ends.
function nextTask() { return new Promise((resolve) => setTimeout(resolve)); }

// Once every picture the windows show now has arrived.
function artworkArrived() {
  const files = (i) => drawList(i, WHOLE).ops.filter((op) => op.file).map((op) => image(op.file, i).loaded);
  return Promise.all([...Array(FORM_COUNT).keys()].flatMap(files));
}

// What a test or a course page may drive: the stepper (with ?manual) and the drawing lists; the view and what sounds, read only.
window.qx40 = {
  step: (steps) => { core._qx40_step(steps); drawDirty(); showExercise(); },
  // Resolves once the windows are drawn whole: a fascia shown for the first time loads its picture.
  whole: async () => { await artworkArrived(); drawDirty(); },
  nowMs: () => core._qx40_now_ms(),
  list: (index) => drawList(index, WHOLE),
  view: () => JSON.parse(core.UTF8ToString(core._qx40_view())),
  loadSettings,
  loadState,
  audioState,
};
window.qx40Ready = start().then(() => performance.now());
