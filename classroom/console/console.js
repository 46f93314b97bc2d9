// The instructor's console: every trainee's panel live, one opened large
// with its event log, hidden faults, messages and exercises sent through the
// class server, and the results as they arrive. The token comes from the
// address's fragment (never sent with a request) or is typed in; every
// action carries it. Names, messages and events are shown as text only.
"use strict";

const RETRY_MS = 2000;
const ZONES = 8;
const OHMS = { open: 7131, short: 0, fire: 500, normal: 4700 };
const SWITCHES = [
  ["Mains supply off / on", "click PSUMainsInput"],
  ["Battery disconnected / connected", "click BatteryConnect"],
  ["Charger fault on / off", "click ChargerFault"],
  ["Auxiliary supply fault on / off", "click AuxiliarySupplyFault"],
  ["Earth fault (low) on / off", "click EarthHoldLow"],
  ["Earth fault (high) on / off", "click EarthHoldHigh"],
  ["Sounder line 1 fault on / off", "click Sounder1FaultInput"],
  ["Sounder line 2 fault on / off", "click Sounder2FaultInput"],
];

const view = { token: "", socket: null, trainees: new Map(), events: [], open: 0, results: new Map() };

function send(message) {
  if (view.socket && view.socket.readyState === WebSocket.OPEN) view.socket.send(JSON.stringify({ ...message, token: view.token }));
}

function status(text) { document.getElementById("status").textContent = text; }

function element(tag, text, className) {
  const made = document.createElement(tag);
  if (text !== undefined) made.textContent = text;
  if (className) made.className = className;
  return made;
}

function zoneList(mask) {
  const zones = [];
  for (let zone = 1; zone <= ZONES; ++zone) if (mask & (1 << (zone - 1))) zones.push(zone);
  return zones.join(", ");
}

// The panel in words: "Fire: zones 1; Fault: zones 2; sounders on".
function stateText(panel) {
  if (!panel || panel.zonesInFire === undefined) return "";
  const parts = [];
  for (const [label, mask] of [["Fire", panel.zonesInFire], ["Fault", panel.zonesInFault],
    ["Disabled", panel.zonesDisabled], ["Test", panel.zonesInTest]]) {
    if (mask) parts.push(`${label}: zone ${zoneList(mask)}`);
  }
  if (panel.sounders) parts.push("sounders on");
  if (panel.buzzer) parts.push("buzzer");
  parts.push(`access level ${panel.access}`);
  return parts.join("; ");
}

function card(id) {
  let box = document.querySelector(`.trainee[data-trainee="${id}"]`);
  if (box) return box;
  box = element("div", undefined, "trainee");
  box.dataset.trainee = id;
  box.tabIndex = 0;
  box.append(element("div", "", "name"), Object.assign(element("img"), { alt: "" }), element("div", "", "exercise"),
    element("div", "", "state"));
  box.addEventListener("click", () => openTrainee(id));
  box.addEventListener("keydown", (event) => { if (event.key === "Enter") openTrainee(id); });
  document.getElementById("trainees").append(box);
  return box;
}

function showTrainee(trainee) {
  view.trainees.set(trainee.id, trainee);
  const box = card(trainee.id);
  box.classList.toggle("offline", !trainee.online);
  box.querySelector(".name").textContent = trainee.name + (trainee.online ? "" : " (left)");
  const img = box.querySelector("img");
  if (trainee.thumb && img.src !== trainee.thumb) img.src = trainee.thumb;
  img.alt = "Front panel of " + trainee.name;
  box.querySelector(".exercise").textContent = (trainee.exercise && trainee.exercise.text) || "";
  box.querySelector(".state").textContent = stateText(trainee.panel);
  box.dataset.updated = String(Date.now());
  if (view.open === trainee.id) showDetail(trainee);
}

function eventRow(event) {
  const row = element("tr");
  for (const text of [event.t + " s", event.category, event.text]) row.append(element("td", String(text)));
  return row;
}

// The opened trainee's front panel, made once there is a picture to show.
function detailPicture(name) {
  let picture = document.getElementById("detail-thumb");
  if (!picture) {
    picture = Object.assign(element("img"), { id: "detail-thumb" });
    document.getElementById("detail-picture").append(picture);
  }
  picture.alt = "Front panel of " + name;
  return picture;
}

function showDetail(trainee) {
  document.getElementById("detail-heading").textContent = trainee.name;
  if (trainee.thumb) detailPicture(trainee.name).src = trainee.thumb;
  document.getElementById("detail-state").textContent = stateText(trainee.panel) + ". " +
    ((trainee.exercise && trainee.exercise.text) || "No exercise.");
  if (trainee.events) {
    const rows = document.getElementById("detail-rows");
    rows.replaceChildren(...trainee.events.map(eventRow));
  }
}

function openTrainee(id) {
  view.open = id;
  document.getElementById("detail").hidden = false;
  document.getElementById("detail-rows").replaceChildren();
  send({ type: "watch", trainee: id });
}

function addEvents(message) {
  if (message.trainee !== view.open) return;
  const rows = document.getElementById("detail-rows");
  rows.append(...message.events.map(eventRow));
  const box = document.getElementById("detail-events");
  box.scrollTop = box.scrollHeight;
}

function passedCount(checkpoints) {
  return `${checkpoints.filter((c) => c.reached !== false && c.passed).length} of ${checkpoints.length} passed`;
}

function showResult(result) {
  view.results.set(result.id, result);
  const row = element("tr");
  row.dataset.result = result.id;
  const checkpoints = Array.isArray(result.checkpoints) ? result.checkpoints : [];
  const list = element("td");
  list.append(element("div", passedCount(checkpoints)));
  for (const point of checkpoints) {
    const verdict = point.reached === false ? "not reached" : point.passed ? "passed" : "failed";
    const line = element("div", `${point.requirement || point.text}: ${verdict} at ${(point.at_ms / 1000).toFixed(1)} s`);
    line.className = point.passed ? "passed" : "failed";
    line.dataset.verdict = verdict;
    list.append(line);
  }
  const open = element("button", "Show");
  open.type = "button";
  open.addEventListener("click", () => send({ type: "debrief", result: result.id }));
  const debrief = element("td");
  debrief.append(open);
  row.append(element("td", result.trainee), element("td", result.title || result.exercise),
    element("td", new Date(result.started).toLocaleString()), element("td", (result.duration_ms / 1000).toFixed(1) + " s"),
    list, debrief);
  document.getElementById("result-rows").append(row);
}

function showLibrary(library) {
  const select = document.getElementById("exercise");
  select.replaceChildren(...library.map((entry) => new Option(entry.title || entry.file, entry.file)));
}

function showClass(message) {
  document.getElementById("class-code").textContent = message.code;
  showLibrary(message.library);
  // A server started again knows the class afresh.
  view.trainees.clear();
  document.getElementById("trainees").replaceChildren();
  message.trainees.forEach(showTrainee);
  document.getElementById("result-rows").replaceChildren();
  message.results.forEach(showResult);
  status("Connected.");
}

function download(name, text, type) {
  const link = element("a");
  link.href = URL.createObjectURL(new Blob([text], { type }));
  link.download = name;
  link.click();
  setTimeout(() => URL.revokeObjectURL(link.href), 60000);
}

const HANDLERS = {
  class: showClass,
  trainee: (message) => {
    const known = view.trainees.get(message.id);
    if (known && !message.events) message.events = undefined;
    showTrainee(message);
    if (message.events) showDetail(message);
  },
  events: addEvents,
  library: (message) => showLibrary(message.library),
  result: (message) => {
    showResult(message);
    status(`${message.trainee} finished ${message.title || message.exercise}.`);
  },
  debrief: (message) => {
    const frame = document.getElementById("debrief");
    frame.srcdoc = message.html;
    frame.hidden = false;
  },
  csv: (message) => download("class-results.csv", message.text, "text/csv"),
  error: (message) => status(message.message),
  ok: () => {},
  stats: () => {},
};

function connect() {
  const socket = new WebSocket((location.protocol === "https:" ? "wss://" : "ws://") + location.host + "/ws");
  view.socket = socket;
  socket.addEventListener("open", () => send({ type: "hello" }));
  socket.addEventListener("message", (event) => {
    const message = JSON.parse(event.data);
    const handler = HANDLERS[message.type];
    if (handler) handler(message);
  });
  socket.addEventListener("close", () => {
    status("The class server cannot be reached; trying again…");
    setTimeout(connect, RETRY_MS);
  });
}

function faultChoices() {
  const select = document.getElementById("fault");
  for (let zone = 1; zone <= ZONES; ++zone) {
    for (const [band, ohms] of Object.entries(OHMS)) {
      select.append(new Option(`Zone ${zone} line ${band} (${ohms} Ω)`, `level ZoneAnalogueControl${zone} ${ohms} ohm`));
    }
  }
  for (const [label, line] of SWITCHES) select.append(new Option(label, line));
}

function wire() {
  const on = (id, handler) => document.getElementById(id).addEventListener("click", handler);
  on("start-class", () => send({ type: "start", file: document.getElementById("exercise").value }));
  on("start-one", () => send({ type: "start", trainee: view.open, file: document.getElementById("exercise").value }));
  on("set-fault", () => send({ type: "fault", trainee: view.open, line: document.getElementById("fault").value }));
  on("send-say-class", () => send({ type: "say", text: document.getElementById("say-class").value }));
  on("send-say-one", () => send({ type: "say", trainee: view.open, text: document.getElementById("say-one").value }));
  on("close-detail", () => { view.open = 0; document.getElementById("detail").hidden = true; });
  on("export-csv", () => send({ type: "csv" }));
  faultChoices();
}

function start() {
  wire();
  view.token = decodeURIComponent(location.hash.slice(1));
  if (view.token) {
    connect();
    return;
  }
  const form = document.getElementById("token-form");
  form.hidden = false;
  form.addEventListener("submit", (event) => {
    event.preventDefault();
    view.token = document.getElementById("token").value.trim();
    form.hidden = true;
    connect();
  });
}

// For tests: the console's view of the class, read only.
window.classConsole = { trainees: () => [...view.trainees.values()], results: () => [...view.results.values()] };
start();
