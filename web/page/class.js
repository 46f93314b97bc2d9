// The trainee's side of a class: served by qx40-classroom, the page offers
// to join with a name and the class code, then reports the panel to the
// instructor over one WebSocket (its state and a small picture of the front
// panel when they change, its event log as it grows, each exercise's result
// when it ends) and takes the instructor's hidden faults, messages and
// exercises. The panel itself stays in this page; a hidden fault is set
// through the core's scenario commands, as if wired that way, and shown
// nowhere as the instructor's. Served elsewhere, the page has no class.
"use strict";

const CLASS_REPORT_MS = 200;
const THUMB_WIDTH = 200;
const THUMB_QUALITY = 0.7;
// A reconnection after the server went away, not a flood of them.
const CLASS_RETRY_MS = 2000;

const lesson = { socket: null, id: 0, name: "", code: "", lastState: "", lastThumb: "", sentResult: "", library: [] };

function classSend(message) {
  if (lesson.socket && lesson.socket.readyState === WebSocket.OPEN) lesson.socket.send(JSON.stringify(message));
}

function classStatus(text) { document.getElementById("class-status").textContent = text; }

// The front panel's canvas, small, as the console shows it.
function frontThumb() {
  const canvas = document.getElementById("form0");
  const small = document.createElement("canvas");
  small.width = THUMB_WIDTH;
  small.height = Math.round(canvas.height * THUMB_WIDTH / Math.max(canvas.width, 1));
  small.getContext("2d").drawImage(canvas, 0, 0, small.width, small.height);
  return small.toDataURL("image/jpeg", THUMB_QUALITY);
}

function reportPanel() {
  const panel = JSON.parse(core.UTF8ToString(core._qx40_report()));
  const status = JSON.parse(core.UTF8ToString(core._qx40_exercise_status()));
  const state = JSON.stringify({ panel, exercise: { state: status.state, text: status.text } });
  const thumb = frontThumb();
  if (state !== lesson.lastState || thumb !== lesson.lastThumb) {
    const message = { type: "state", panel, exercise: { state: status.state, text: status.text }, sent: Date.now() };
    if (thumb !== lesson.lastThumb) message.thumb = thumb;
    classSend(message);
    lesson.lastState = state;
    lesson.lastThumb = thumb;
  }
  if (status.state === "ended") sendResult(status);
}

// Once per ended exercise: its checkpoints, its debrief and its recording.
function sendResult(status) {
  const result = core.UTF8ToString(core._qx40_exercise_result());
  if (!result || result === lesson.sentResult) return;
  lesson.sentResult = result;
  const recording = new TextDecoder().decode(core.FS.readFile(status.recording));
  classSend({ type: "result", result: JSON.parse(result), debrief: core.UTF8ToString(core._qx40_debrief()), recording });
}

function classSay(text) {
  const box = document.getElementById("said");
  box.textContent = text;
  box.hidden = false;
}

function classExercise(file) {
  const choice = [...document.querySelectorAll("#library input")].find((input) => input.value === file);
  if (!choice) return;
  choice.checked = true;
  document.getElementById("trainee").value = lesson.name;
  atNow(startExercise);
}

// At the moment it arrives, as the trainee's own input.
function applyFault(line) {
  const pointer = cString(line);
  const reply = atNow(() => {
    for (let i = 0; i < FORM_COUNT; ++i) dirty.add(i);
    return core.UTF8ToString(core._qx40_input(pointer));
  });
  core._free(pointer);
  // The instructor hears whether the line was taken; the trainee sees only the panel.
  if (reply !== "ok") console.warn("a hidden input was refused: " + reply);
}

const CLASS_HANDLERS = {
  joined: (message) => {
    lesson.id = message.id;
    document.getElementById("class-join").hidden = true;
    classStatus("In the class as " + lesson.name + ".");
    lesson.lastState = lesson.lastThumb = "";
    // What the page has shown so far; what follows comes through the log's listener.
    classSend({ type: "events", events: JSON.parse(core.UTF8ToString(core._qx40_events(0))).slice(0, eventLog.shown) });
  },
  fault: (message) => applyFault(message.line),
  say: (message) => classSay(message.text),
  exercise: (message) => classExercise(message.file),
  error: (message) => classStatus(message.message),
  ok: () => {},
};

function connectClass() {
  const socket = new WebSocket((location.protocol === "https:" ? "wss://" : "ws://") + location.host + "/ws");
  lesson.socket = socket;
  socket.addEventListener("open", () => {
    socket.send(JSON.stringify({ type: "join", name: lesson.name, code: lesson.code, library: lesson.library }));
  });
  socket.addEventListener("message", (event) => {
    const message = JSON.parse(event.data);
    const handler = CLASS_HANDLERS[message.type];
    if (handler) handler(message);
  });
  socket.addEventListener("close", () => {
    if (lesson.socket !== socket) return;
    classStatus("The class server cannot be reached; trying again…");
    setTimeout(connectClass, CLASS_RETRY_MS);
  });
}

function joinClass(event) {
  event.preventDefault();
  lesson.name = document.getElementById("class-name").value.trim();
  lesson.code = document.getElementById("class-code").value.trim();
  if (!lesson.name || !lesson.code) {
    classStatus("Enter your name and the class code.");
    return;
  }
  connectClass();
}

function labelled(id, text, input) {
  const label = document.createElement("label");
  label.htmlFor = id;
  label.textContent = text;
  input.id = id;
  return [label, " ", input, " "];
}

function showJoinForm() {
  const form = document.createElement("form");
  form.id = "class-join";
  const name = Object.assign(document.createElement("input"), { type: "text", maxLength: 80, autocomplete: "name" });
  const code = Object.assign(document.createElement("input"), { type: "text", maxLength: 20, inputMode: "numeric" });
  const join = Object.assign(document.createElement("button"), { type: "submit", textContent: "Join the class" });
  form.append(...labelled("class-name", "Your name", name), ...labelled("class-code", "Class code", code), join);
  form.addEventListener("submit", joinClass);
  const status = Object.assign(document.createElement("p"), { id: "class-status" });
  status.setAttribute("role", "status");
  document.querySelector("header").after(form, status);
  lesson.library = JSON.parse(core.UTF8ToString(core._qx40_exercises())).map((e) => ({ file: e.file, title: e.title }));
  eventLog.listeners.push((events) => { if (lesson.id) classSend({ type: "events", events }); });
  setInterval(() => { if (lesson.id) reportPanel(); }, CLASS_REPORT_MS);
}

// Only a class server answers class.json.
async function offerClass() {
  try {
    const answer = await fetch("class.json", { cache: "no-store" });
    if (answer.ok && (await answer.json()).class === true) showJoinForm();
  } catch {
    // No class here.
  }
}

window.qx40Ready.then(offerClass);
