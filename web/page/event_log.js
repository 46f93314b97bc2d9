// The panel's event log beside the exercises, as the desktop's event log
// window: newest last, a category filter, and the rows shown exported as CSV
// by the core, the same file the desktop writes. Events are shown as text.
"use strict";

const EVENT_CATEGORIES = ["fire", "fault", "disablement", "test", "output", "operator", "configuration", "hardware"];

const eventLog = { shown: 0, rows: [], listeners: [] };

function eventLogCategory() { return document.getElementById("event-category").value; }

function eventRowShown(row) {
  const category = eventLogCategory();
  return category === "" || row.dataset.category === category;
}

// The events the core logged since the last look; each listener (the class) hears them too.
function readNewEvents() {
  const added = JSON.parse(core.UTF8ToString(core._qx40_events(eventLog.shown)));
  eventLog.shown += added.length;
  return added;
}

function showNewEvents() {
  const added = readNewEvents();
  if (added.length === 0) return;
  const body = document.getElementById("event-rows");
  for (const event of added) {
    const row = document.createElement("tr");
    row.dataset.category = event.category;
    for (const text of [event.t + " s", event.category, event.text]) {
      const cell = document.createElement("td");
      cell.textContent = text;
      row.append(cell);
    }
    row.hidden = !eventRowShown(row);
    body.append(row);
  }
  eventLog.listeners.forEach((listener) => listener(added));
  const box = document.getElementById("event-box");
  box.scrollTop = box.scrollHeight;
}

function filterEvents() {
  for (const row of document.getElementById("event-rows").rows) row.hidden = !eventRowShown(row);
}

function exportEvents() {
  const category = cString(eventLogCategory());
  const csv = core.UTF8ToString(core._qx40_events_csv(category));
  core._free(category);
  download("events.csv", csv, "text/csv");
}

function wireEventLog() {
  const select = document.getElementById("event-category");
  for (const name of EVENT_CATEGORIES) select.append(new Option(name, name));
  select.addEventListener("change", filterEvents);
  document.getElementById("export-events").addEventListener("click", exportEvents);
  // Read on the page's wake-ups, which come when the panel changes, not by a timer of its own that
  // would wake the browser more often; only when the core logged something since.
  wakeListeners.push(() => {
    if (core._qx40_event_count() !== eventLog.shown) showNewEvents();
  });
}

window.qx40Ready.then(wireEventLog);
