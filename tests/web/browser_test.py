"""The page in Debian's headless chromium, driven with real mouse events over
the DevTools protocol; what it shows is read from the canvas's pixels. Time is
stepped by the test (?manual), not by the clock, so every run is the same.

  browser_test.py panel  PAGE_DIR            key on, Reset, a fire on zone 1, mute, reload; in the browser's
                                              virtual time, the page asleep between the panel's own changes
  browser_test.py render PAGE_DIR RENDER_DIR  each window matches qx40-render's image
  browser_test.py page   PAGE_DIR TOOLS_DIR   html-validate, axe-core, the icon, a 390x844 phone
                                              (the checkers from npm, installed into TOOLS_DIR once)
  browser_test.py exercise PAGE_DIR QX40_SCENARIO  an exercise in real time, silenced by mouse; its event log,
                                              debrief, and its recording replayed to the same verdicts
  browser_test.py sound  PAGE_DIR            the tones after a click, a fire and the mute box; the view
                                              kept over a reload; ?fresh declined and accepted
"""

import base64
import csv
import hashlib
import json
import os
import re
import subprocess
import sys
import tempfile
import time

import devtools

FRONT, HARDWARE = 0, 1
STEPS_PER_100MS = 20
# A pixel differs when a channel differs by more than this; captions may differ
# by anti-aliasing, so a window matches while few pixels differ.
PIXEL_TOLERANCE = 64
MATCH_FRACTION = 0.005
FIRE_OHMS = (450, 560)
LIT_BRIGHTER_BY = 60


class Page:
    def __init__(self, browser, url):
        self.browser = browser
        self.url = url
        self.load_ms = browser.open(url)

    def op(self, form, name):
        """The control's bounds in client coordinates, from the clip its drawing begins with."""
        bounds = self.browser.evaluate("qx40.list(%d).ops.find(o => o.op === 'clip' && o.name === %r)?.bounds ?? null"
                                       % (form, name))
        if not bounds:
            raise AssertionError("no control %s on window %d" % (name, form))
        return dict(zip("xywh", bounds))

    def origin(self, form):
        """Where the window's canvas lies in the page, and how large it is drawn."""
        return self.browser.evaluate("(() => { const c = document.getElementById('form%d'), r = c.getBoundingClientRect();"
                                     " return [r.left, r.top, r.width / c.width]; })()" % form)

    def at(self, form, name, dx=None, dy=None):
        op = self.op(form, name)
        left, top, scale = self.origin(form)
        return (left + (op["x"] + (op["w"] // 2 if dx is None else dx)) * scale,
                top + (op["y"] + (op["h"] // 2 if dy is None else dy)) * scale)

    def press(self, form, name, dx=None, dy=None):
        x, y = self.at(form, name, dx, dy)
        self.browser.mouse("mouseMoved", x, y)
        self.browser.mouse("mousePressed", x, y, buttons=1)
        return x, y

    def release(self, x, y):
        self.browser.mouse("mouseReleased", x, y)

    def click(self, form, name, dx=None, dy=None):
        self.release(*self.press(form, name, dx, dy))

    def step(self, steps):
        """Panel time; the page draws what changed at once."""
        self.browser.evaluate("qx40.step(%d)" % steps)

    def brightness(self, form, name):
        op = self.op(form, name)
        cx, cy = op["x"] + op["w"] // 2, op["y"] + op["h"] // 2
        data = self.browser.evaluate("[...document.getElementById('form%d').getContext('2d')"
                                     ".getImageData(%d, %d, 3, 3).data]" % (form, cx - 1, cy - 1))
        return sum(v for i, v in enumerate(data) if i % 4 != 3) / 9

    def caption(self, form, name):
        return self.browser.evaluate(CAPTION % (form, json.dumps(name)))


# The text a control's drawing shows: its first text before the next control's clip.
CAPTION = ("(() => { const ops = qx40.list(%d).ops, i = ops.findIndex(o => o.op === 'clip' && o.name === %s);"
           " const t = ops.slice(i + 1).find(o => o.op === 'text' || o.op === 'clip'); return t && t.text; })()")


def ohms(caption):
    if caption.endswith("R"):
        return int(caption[:-1])
    whole, _, hundredths = caption.partition("K")
    return int(whole) * 1000 + int(hundredths or 0) * 10


def drag_zone1_to_fire(page):
    """Drags along zone 1's bar until its reading shows a fire's resistance."""
    box = page.op(HARDWARE, "ZoneAnalogueControl1")
    x, y = page.press(HARDWARE, "ZoneAnalogueControl1", dx=1)
    for dx in range(1, box["w"]):
        page.browser.mouse("mouseMoved", x + dx, y, buttons=1)
        if ohms(page.caption(HARDWARE, "ZoneResValue1")) >= FIRE_OHMS[0]:
            page.release(x + dx, y)
            return ohms(page.caption(HARDWARE, "ZoneResValue1"))
    raise AssertionError("zone 1's reading never reached %d ohm" % FIRE_OHMS[0])


def led_samples(page, name, count=30, steps=10):
    """Zone LED brightness every 50 ms of panel time."""
    samples = []
    for _ in range(count):
        page.step(steps)
        samples.append(page.brightness(FRONT, name))
    return samples


RUN_SCRIPT = ("document.getElementById('script').value = %s; document.getElementById('run-script').click();"
              " document.getElementById('script-output').textContent")


def check_bad_input(page, zone1):
    """A script runs against the live panel; a bad line or a bad Hardware.dat is refused and changes nothing."""
    report = page.browser.evaluate(RUN_SCRIPT % json.dumps("print ZoneResValue1\nexpect ZoneResValue1 \"%s\"\n" % zone1))
    assert 'ZoneResValue1 = "%s"' % zone1 in report and "1 passed, 0 failed" in report, report
    report = page.browser.evaluate(RUN_SCRIPT % json.dumps('say "<b>Reset</b> the panel"\n'))
    said = page.browser.evaluate("document.getElementById('said').textContent")
    assert said == "<b>Reset</b> the panel", "the message is not shown beside the panel as text: %r" % said
    report = page.browser.evaluate(RUN_SCRIPT % json.dumps("\u0000\u00ff<b>bogus</b>"))
    assert "error: unknown command" in report, report
    message = page.browser.evaluate("qx40.loadSettings(new Uint8Array(12)); document.getElementById('message').textContent")
    assert "Nothing was changed" in message, message
    assert page.caption(HARDWARE, "ZoneResValue1") == zone1, "a refused Hardware.dat changed zone 1"


# Each time a window is drawn: the wall time, the wall time the panel has been stepped to, and its panel time.
WATCH_DRAWS = """(() => {
  window.wakes = 0;
  window.draws = [];
  const wake = tick, draw = drawForm;
  window.tick = (afterInput) => { ++wakes; return wake(afterInput); };
  window.drawForm = (index, area) => { draws.push([performance.now(), owedFrom, qx40.nowMs()]); return draw(index, area); };
})()"""
# The panel times at which a window's picture changes, stepped one step at a time.
CHANGES = """(() => {
  qx40.step(0);
  const times = [];
  for (let i = 0; i < %d; ++i) {
    core._qx40_step(1);
    let changed = false;
    for (let form = 0; form < FORM_COUNT; ++form) changed = core.HEAP32[core._qx40_take_dirty(form) / 4 + 2] > 0 || changed;
    if (changed) times.push(qx40.nowMs());
  }
  return times;
})()"""
CLOCKS = "[performance.now(), owedFrom, qx40.nowMs()]"
# The clocks as the core takes the pointer's input.
WATCH_INPUT = """(() => {
  const pointer = core._qx40_pointer;
  core._qx40_pointer = (...args) => { window.inputAt = %s; return pointer(...args); };
})()""" % CLOCKS
IDLE_MS = 40000
SHOWN_WITHIN_MS = 100
WAKE_MS = 90
STEP_MS = 5


def run_virtual_time(browser, ms):
    """Runs the page's clock and timers ms further, at once, in the browser's virtual time."""
    seen = len(browser.events)
    browser.call("Emulation.setVirtualTimePolicy", session=True, policy="advance", budget=ms)
    while not any(e.get("method") == "Emulation.virtualTimeBudgetExpired" for e in browser.events[seen:]):
        browser.events.append(json.loads(browser.socket.recv()))


def check_sleep(browser, server):
    """A fresh panel left alone sleeps between its own changes, each drawn within 100 ms of its panel time,
    and input after a long sleep lands at the panel time of its moment."""
    Page(browser, server.url + "?manual&fresh")
    changes = browser.evaluate(CHANGES % (IDLE_MS // STEP_MS))
    page = Page(browser, server.url + "?fresh")
    browser.evaluate(WATCH_DRAWS)
    run_virtual_time(browser, IDLE_MS)
    draws, wakes = browser.evaluate("draws"), browser.evaluate("wakes")
    changes = [c for c in changes if c <= draws[-1][2]]
    for change in changes:
        wall, owed_from, panel = next(d for d in draws if d[2] >= change)
        late = wall - (owed_from - (panel - change))
        assert late < SHOWN_WITHIN_MS, "the change at panel time %d ms was drawn %.0f ms late" % (change, late)
    assert wakes < IDLE_MS / WAKE_MS / 2, "the page woke %d times in %d ms while the panel stood" % (wakes, IDLE_MS)
    # Asleep for longer than the page used to sleep, the panel is brought up to the pointer's moment.
    while browser.evaluate("performance.now() - owedFrom") < 2 * WAKE_MS:
        run_virtual_time(browser, STEP_MS)
    before = browser.evaluate(CLOCKS)
    browser.evaluate(WATCH_INPUT)
    browser.mouse("mouseMoved", *page.at(FRONT, "Keyswitch"))
    now, owed_from, panel = browser.evaluate("inputAt")
    assert now - owed_from < STEP_MS and panel - before[2] == owed_from - before[1], \
        "input at %.0f ms ran the panel to %d ms, stepped to %.0f ms (before %s)" % (now, panel, owed_from, before)
    return "%d wake-ups in %d s, %d changes drawn on time" % (wakes, IDLE_MS // 1000, len(changes))


def test_panel(browser, server):
    page = Page(browser, server.url + "?manual")
    led = "Zone1FireLED"
    page.step(STEPS_PER_100MS)
    dark = page.brightness(FRONT, led)
    page.click(FRONT, "Keyswitch", 2, 2)
    x, y = page.press(FRONT, "ResetButton")
    page.step(STEPS_PER_100MS)
    page.release(x, y)
    page.step(STEPS_PER_100MS)
    reading = drag_zone1_to_fire(page)
    assert FIRE_OHMS[0] <= reading <= FIRE_OHMS[1], "zone 1 reads %d ohm" % reading
    page.step(15 * STEPS_PER_100MS)
    lit = [b > dark + LIT_BRIGHTER_BY for b in led_samples(page, led)]
    assert any(lit) and not all(lit), "zone 1 Fire LED does not flash: %s (dark %d)" % (lit, dark)
    x, y = page.press(FRONT, "BuzzerMuteButton")
    page.step(STEPS_PER_100MS)
    page.release(x, y)
    page.step(5 * STEPS_PER_100MS)
    lit = [b > dark + LIT_BRIGHTER_BY for b in led_samples(page, led)]
    assert all(lit), "zone 1 Fire LED not steady after Buzzer mute: %s" % lit
    before = page.caption(HARDWARE, "ZoneResValue1")
    page = Page(browser, server.url + "?manual")
    after = page.caption(HARDWARE, "ZoneResValue1")
    assert after == before, "zone 1 after reload reads %s, before %s" % (after, before)
    check_bad_input(page, after)
    print("panel: zone 1 at %s flashes, steady after mute, restored after reload; first drawn %.0f ms after load"
          % (before, page.load_ms))
    print("idle: " + check_sleep(browser, server))


COMPARE = """(async () => {
  await qx40.whole();
  const canvas = document.getElementById('form%d');
  const img = new Image();
  img.src = 'render/%s.png?' + Math.random();
  await img.decode();
  if (img.width !== canvas.width || img.height !== canvas.height)
    return {size: [img.width, img.height, canvas.width, canvas.height]};
  const other = document.createElement('canvas');
  other.width = img.width; other.height = img.height;
  const octx = other.getContext('2d');
  octx.drawImage(img, 0, 0);
  const a = canvas.getContext('2d').getImageData(0, 0, img.width, img.height).data;
  const b = octx.getImageData(0, 0, img.width, img.height).data;
  let differ = 0;
  for (let i = 0; i < a.length; i += 4) {
    const d = Math.max(Math.abs(a[i] - b[i]), Math.abs(a[i + 1] - b[i + 1]), Math.abs(a[i + 2] - b[i + 2]));
    if (d > %d) ++differ;
  }
  return {fraction: differ / (a.length / 4)};
})()"""


def render_failure(browser, form, image, label):
    """Why the window's drawing is not qx40-render's image, or None."""
    result = browser.evaluate(COMPARE % (form, image, PIXEL_TOLERANCE))
    fraction = result.get("fraction")
    print("render: %s differs in %.2f %% of its pixels" % (label, 100 * fraction if fraction is not None else -1))
    return None if fraction is not None and fraction <= MATCH_FRACTION else "%s: %s" % (label, result)


def test_render(browser, server):
    page = Page(browser, server.url + "?manual&fresh")
    views = [(FRONT, "front-marvane", None), (HARDWARE, "hardware", None),
             (FRONT, "front-corvella", "SelectCorvellaFascia"), (FRONT, "front-board", "SelectCoverOff")]
    failures = []
    for form, image, click in views:
        if click:
            page.click(form, click)
            page.step(0)
        failures.append(render_failure(browser, form, image, image))
    # A browser without ImageDecoder decodes the artwork from a Blob of each picture.
    browser.call("Page.addScriptToEvaluateOnNewDocument", session=True, source="delete window.ImageDecoder")
    Page(browser, server.url + "?manual&fresh")
    failures.append(render_failure(browser, FRONT, "front-marvane", "front-marvane, pictures from Blobs"))
    failures = [failure for failure in failures if failure]
    assert not failures, "the page's drawing differs from qx40-render's: %s" % failures


# The page's checkers, as test tools from npm.
NPM_TOOLS = ["html-validate@10", "axe-core@4.10"]
PHONE = {"width": 390, "height": 844, "deviceScaleFactor": 3, "mobile": True}

PHONE_LAYOUT = """(() => {
  const box = (id) => document.getElementById(id).getBoundingClientRect();
  const front = box('form0'), hardware = box('form1');
  const [kx, ky, kw, kh] = qx40.list(0).ops.find(o => o.op === 'clip' && o.name === 'Keyswitch').bounds;
  const scale = front.width / document.getElementById('form0').width;
  const x = front.left + (kx + kw / 2) * scale, y = front.top + (ky + kh / 2) * scale;
  scrollTo(0, y - innerHeight / 2);
  const top = document.getElementById('form0').getBoundingClientRect().top - front.top;
  return {viewport: innerWidth, page: document.documentElement.scrollWidth,
          front: [front.left, front.right], hardware: [hardware.left, hardware.right],
          stacked: hardware.top >= front.bottom,
          keyswitch: document.elementFromPoint(x, y + top) === document.getElementById('form0')};
})()"""


def page_tools(folder):
    """html-validate and axe-core, installed from npm into the folder the first time."""
    validator = os.path.join(folder, "node_modules", ".bin", "html-validate")
    axe = os.path.join(folder, "node_modules", "axe-core", "axe.min.js")
    if not (os.path.exists(validator) and os.path.exists(axe)):
        subprocess.run(["npm", "install", "--no-audit", "--no-fund", "--prefix", folder, *NPM_TOOLS],
                       check=True, stdout=subprocess.DEVNULL)
    config = os.path.join(folder, "htmlvalidate.json")
    with open(config, "w", encoding="utf-8") as out:
        json.dump({"extends": ["html-validate:recommended"]}, out)
    return validator, config, axe


def test_page(browser, server, page_dir, tools_dir):
    validator, config, axe = page_tools(tools_dir)
    failures = []
    checked = subprocess.run([validator, "--config", config, os.path.join(page_dir, "index.html")],
                             capture_output=True, text=True)
    if checked.returncode != 0:
        failures.append("html-validate:\n" + checked.stdout + checked.stderr)
    Page(browser, server.url + "?manual&fresh")
    icon = browser.evaluate("(async () => { const link = document.querySelector('link[rel~=icon]');"
                            " if (!link) return 'no icon link, so the browser asks for favicon.ico';"
                            " const r = await fetch(link.href); return r.status + ' ' + r.headers.get('content-type'); })()")
    if not icon.startswith("200 image/"):
        failures.append("the page's icon: " + icon)
    with open(axe, encoding="utf-8") as source:
        browser.evaluate(source.read())
    violations = browser.evaluate("axe.run(document, {resultTypes: ['violations']}).then(r => r.violations"
                                  ".map(v => v.id + ' (' + v.impact + '): ' + v.nodes.map(n => n.target.join(' ')).join(', ')))")
    failures += ["axe-core: " + v for v in violations]
    browser.call("Emulation.setDeviceMetricsOverride", session=True, **PHONE)
    Page(browser, server.url + "?manual&fresh")
    layout = browser.evaluate(PHONE_LAYOUT)
    # A page wider than the phone makes the browser lay it out wider and zoom out: the viewport grows too.
    viewport = PHONE["width"]
    if max(layout["page"], layout["viewport"]) > viewport:
        failures.append("on a %d px phone the page is %d px wide" % (viewport, max(layout["page"], layout["viewport"])))
    for name in ("front", "hardware"):
        left, right = layout[name]
        if left < 0 or right > viewport:
            failures.append("on a %d px phone the %s window spans %.0f to %.0f px" % (viewport, name, left, right))
    if not layout["stacked"]:
        failures.append("on a phone the hardware window is not below the front panel")
    if not layout["keyswitch"]:
        failures.append("on a phone the keyswitch cannot be reached: something else lies over it")
    print("page: html-validate %s, %d axe-core violations, icon %s, phone %s"
          % ("clean" if checked.returncode == 0 else "failed", len(violations), icon, json.dumps(layout)))
    assert not failures, "\n".join(failures)


EXERCISE = "fire-one-zone.qxs"
SILENCE_CHECKPOINT = "sounders silenced after the fire"
SILENCE_AFTER_S = 8
# The fire is seen within a step of 100 ms and the key and button take 200 ms more.
SILENCE_SLACK_S = 0.5
EXERCISE_LIMIT_STEPS = 5 * 60 * 10 * STEPS_PER_100MS
CHUNK_STEPS = 50 * STEPS_PER_100MS
STATUS = "document.getElementById('exercise-status').textContent"
CHECKPOINT_ROW = re.compile(r'<tr class="[^"]*"><td class="n">([^<]*)</td><td>([^<]*)</td><td>([^<]*)</td><td>([^<]*)</td></tr>')


def checkpoints(debrief):
    """(time, checkpoint, verdict, measured) of each row of the debrief's checkpoint table."""
    table = debrief.split(">Checkpoints</h", 1)[1].split("</table>", 1)[0]
    return CHECKPOINT_ROW.findall(table)


def step_until(page, condition, limit_steps, chunk):
    for _ in range(0, limit_steps, chunk):
        if page.browser.evaluate(condition):
            return
        page.step(chunk)
    raise AssertionError("after %d steps still not %s; the exercise shows %r"
                         % (limit_steps, condition, page.browser.evaluate(STATUS)))


def start_exercise(page, file, trainee):
    page.browser.evaluate("document.querySelector('#library input[value=%s]').click();"
                          " document.getElementById('trainee').value = %s;"
                          " document.getElementById('start-exercise').click()" % (json.dumps(file), json.dumps(trainee)))


def click_button(page, form, name):
    x, y = page.press(form, name)
    page.step(STEPS_PER_100MS)
    page.release(x, y)


def run_and_silence(page):
    """Starts the exercise, silences SILENCE_AFTER_S after the sounders sound and runs it to its end."""
    start_exercise(page, EXERCISE, "<i>Ann</i>")
    # The second checkpoint judged: the sounders sound.
    step_until(page, STATUS + ".includes(', 2 of ')", EXERCISE_LIMIT_STEPS, STEPS_PER_100MS)
    page.step(SILENCE_AFTER_S * 10 * STEPS_PER_100MS)
    page.click(FRONT, "Keyswitch", 2, 2)
    page.step(STEPS_PER_100MS)
    click_button(page, FRONT, "SoundersStartStopButton")
    step_until(page, "(document.getElementById('debrief')?.srcdoc ?? '') !== ''", EXERCISE_LIMIT_STEPS, CHUNK_STEPS)


def check_pause_and_abandon(page):
    """Pause stops the exercise's clock; Abandon asks first and ends it with a debrief saying so."""
    start_exercise(page, EXERCISE, "")
    page.step(10 * STEPS_PER_100MS)
    page.browser.evaluate("document.getElementById('pause-exercise').click()")
    paused = page.browser.evaluate(STATUS)
    page.step(30 * STEPS_PER_100MS)
    assert "(paused)" in paused and page.browser.evaluate(STATUS) == paused, "pause: %r" % paused
    page.browser.evaluate("document.getElementById('pause-exercise').click()")
    page.browser.accept_dialogs = False
    page.browser.evaluate("document.getElementById('abandon-exercise').click()")
    assert "(ended)" not in page.browser.evaluate(STATUS), "abandoned although the question was declined"
    page.browser.accept_dialogs = True
    page.browser.evaluate("document.getElementById('abandon-exercise').click()")
    debrief = page.browser.evaluate("document.getElementById('debrief').srcdoc")
    assert len(page.browser.dialogs) == 2 and "Abandoned at" in debrief, "abandon: %s" % page.browser.dialogs


def check_state_round_trip(page, scenario_tool):
    """The page's panel state, saved by its button, runs on in qx40-scenario from where it was; a spoilt
    one loaded back is refused and changes nothing."""
    zone1 = page.caption(HARDWARE, "ZoneResValue1")
    with tempfile.TemporaryDirectory(prefix="qx40-state-") as folder:
        saved = page.browser.download("document.getElementById('save-state').click()", folder)
        script = os.path.join(folder, "check.qxs")
        with open(script, "w", encoding="utf-8") as file:
            file.write('expect ZoneResValue1 "%s"\nwait 1s\nexpect ZoneResValue1 "%s"\n' % (zone1, zone1))
        run = subprocess.run([os.path.abspath(scenario_tool), "--start-from", saved, script],
                             capture_output=True, text=True, cwd=folder)
        assert run.returncode == 0 and "2 passed, 0 failed" in run.stdout, run.stdout + run.stderr
        with open(saved, "rb") as file:
            spoilt = list(file.read()[:-9])
    message = page.browser.evaluate("qx40.loadState(new Uint8Array(%s), 'spoilt.qxstate');"
                                    " document.getElementById('message').textContent" % json.dumps(spoilt))
    assert message.startswith("spoilt.qxstate is truncated") and "unchanged" in message, message
    assert page.caption(HARDWARE, "ZoneResValue1") == zone1, "a refused state changed zone 1"


EVENTS_SHOWN = "[...document.querySelectorAll('#event-rows tr')].filter(r => !r.hidden).map(r => r.textContent)"
EVENT_LOG_LIMIT_S = 5


def check_event_log(browser, folder):
    """The event log panel filtered to the operator's actions, and its CSV export of the rows shown."""
    browser.evaluate("const c = document.getElementById('event-category'); c.value = 'operator';"
                     " c.dispatchEvent(new Event('change'))")
    deadline = time.monotonic() + EVENT_LOG_LIMIT_S
    while not any("Key: " in row for row in browser.evaluate(EVENTS_SHOWN)):
        assert time.monotonic() < deadline, "no key press in the event log panel: %s" % browser.evaluate(EVENTS_SHOWN)
    shown = browser.evaluate(EVENTS_SHOWN)
    with open(browser.download("document.getElementById('export-events').click()", folder), encoding="utf-8") as file:
        rows = list(csv.reader(file))
    assert rows[0] == ["source", "panel_time_s", "wall_clock", "category", "event"], rows[0]
    assert all(row[3] == "operator" for row in rows[1:]) and len(rows) - 1 >= len(shown), rows
    assert [row[4] for row in rows[1:len(shown) + 1]] == [text.split("operator", 1)[1] for text in shown], (rows, shown)


def test_exercise(browser, server, scenario_tool):
    page = Page(browser, server.url + "?manual&fresh")
    library = browser.evaluate("[...document.querySelectorAll('#library label')].map(l => l.textContent)")
    assert any("fire in one zone" in entry and "answering a fire alarm" in entry for entry in library), library
    run_and_silence(page)
    debrief = browser.evaluate("document.getElementById('debrief').srcdoc")
    said = browser.evaluate("document.getElementById('said').textContent")
    assert "&lt;i&gt;Ann&lt;/i&gt;" in debrief, "the trainee's name is not in the debrief as text"
    assert "reset the panel" in said, "the exercise's message is not beside the panel: %r" % said
    assert browser.evaluate("document.getElementById('debrief').getAttribute('sandbox')") == "", "debrief not sandboxed"
    # The debrief's frame keeps the page's policy, which allows its stylesheet by its hash alone.
    style = re.search(r"<style>(.*?)</style>", debrief, re.S).group(1)
    digest = "'sha256-%s'" % base64.b64encode(hashlib.sha256(style.encode()).digest()).decode()
    policy = browser.evaluate("document.querySelector('meta[http-equiv=Content-Security-Policy]').content")
    assert digest in policy, "the page's policy does not allow the debrief's stylesheet %s: %s" % (digest, policy)
    seen = checkpoints(debrief)
    silence = [row for row in seen if row[1].lower().startswith(SILENCE_CHECKPOINT)]
    assert silence and silence[0][2] == "passed", "the silence checkpoint: %s" % seen
    measured = float(silence[0][3].split(" s ")[0])
    assert SILENCE_AFTER_S <= measured <= SILENCE_AFTER_S + SILENCE_SLACK_S, "silenced after %s" % silence[0][3]
    with tempfile.TemporaryDirectory(prefix="qx40-exercise-") as folder:
        click = "document.getElementById('%s').click()"
        saved = browser.download(click % "download-debrief", folder)
        with open(saved, encoding="utf-8") as file:
            assert file.read() == debrief, "the downloaded debrief differs from the one shown"
        recording = browser.download(click % "download-recording", folder)
        settings = browser.download(click % "download-recording-settings", folder)
        replayed = os.path.join(folder, "replay.html")
        run = subprocess.run([os.path.abspath(scenario_tool), "--settings", settings, "--report", replayed, recording],
                             capture_output=True, text=True, cwd=folder)
        assert run.returncode in (0, 1) and os.path.exists(replayed), run.stdout + run.stderr
        with open(replayed, encoding="utf-8") as file:
            again = checkpoints(file.read())
        check_event_log(browser, folder)
    assert again == seen, "the replay judged otherwise:\n%s\n%s" % (seen, again)
    check_pause_and_abandon(page)
    check_state_round_trip(page, scenario_tool)
    print("exercise: %d checkpoints, silenced after %s, the replay agrees: %s" % (len(seen), silence[0][3], seen))


AUDIO = "qx40.audioState()"
SOUNDER_LIMIT_STEPS = 30 * 10 * STEPS_PER_100MS
# Smaller than drawn at first, so that both windows stay within the browser's window.
SCALE = 80
VIEW = ("({fascia: qx40.view().fascia, muted: qx40.view().muted, scale: document.getElementById('scale').value,"
        " zone1: " + CAPTION % (HARDWARE, json.dumps("ZoneResValue1")) + "})")


def gesture(page):
    """A click on the page's heading: a user's gesture that touches no control."""
    x, y = page.browser.evaluate("(() => { const r = document.querySelector('h1').getBoundingClientRect();"
                                 " return [r.left + r.width / 2, r.top + r.height / 2]; })()")
    page.browser.mouse("mousePressed", x, y, buttons=1)
    page.browser.mouse("mouseReleased", x, y)


def tones_after(page, steps):
    page.step(steps)
    return page.browser.evaluate(AUDIO)["tones"]


def check_fresh(browser, server, chosen):
    """?fresh asks first: declined, the stored view and Hardware.dat stay; accepted, they go."""
    for accept, expected in ((False, chosen), (True, None)):
        browser.accept_dialogs = accept
        asked = len(browser.dialogs)
        Page(browser, server.url + "?manual&fresh")
        view = browser.evaluate(VIEW)
        assert len(browser.dialogs) == asked + 1, "?fresh did not ask before throwing the settings away"
        if expected:
            assert view == expected, "?fresh declined, yet the page shows %s, not %s" % (view, expected)
        else:
            assert view["fascia"] == "marvane" and view["scale"] == "100" and view["zone1"] != chosen["zone1"], \
                "?fresh accepted, yet the page kept %s" % view
    browser.accept_dialogs = True


def test_sound(browser, server):
    page = Page(browser, server.url + "?manual")
    assert browser.evaluate(AUDIO)["context"] == "none", "sound started before the user's first gesture"
    gesture(page)
    state = browser.evaluate(AUDIO)
    assert state["context"] == "running" and state["tones"] == [], "after the first click: %s" % state
    drag_zone1_to_fire(page)
    step_until(page, AUDIO + ".then(s => s.tones.includes('sounder'))", SOUNDER_LIMIT_STEPS, STEPS_PER_100MS)
    page.click(HARDWARE, "SoundMute")
    assert tones_after(page, STEPS_PER_100MS) == [], "the mute box does not silence the tones"
    page.click(FRONT, "SelectCorvellaFascia")
    browser.evaluate("const s = document.getElementById('scale'); s.value = %d; s.dispatchEvent(new Event('input'))" % SCALE)
    page.step(1)
    chosen = browser.evaluate(VIEW)
    page = Page(browser, server.url + "?manual")
    restored = browser.evaluate(VIEW)
    assert restored == chosen, "after a reload the page shows %s, not %s" % (restored, chosen)
    # The panel goes into fire again from its Hardware.dat; the remembered mute keeps it silent.
    gesture(page)
    assert tones_after(page, SOUNDER_LIMIT_STEPS) == [], "the remembered mute box does not silence the fire"
    page.click(HARDWARE, "SoundMute")
    assert "sounder" in tones_after(page, STEPS_PER_100MS), "unmuted, the fire's sounders are not heard"
    state = browser.evaluate(AUDIO)
    check_fresh(browser, server, browser.evaluate(VIEW))
    print("sound: %s; view after reload %s" % (state, restored))


def main(argv):
    if len(argv) < 3 or argv[1] not in ("panel", "render", "page", "exercise", "sound"):
        print(__doc__.strip())
        return 2
    mounts = {"render": argv[3]} if len(argv) > 3 and argv[1] == "render" else None
    with devtools.served(argv[2], mounts) as (browser, server):
        try:
            if argv[1] == "page":
                test_page(browser, server, argv[2], argv[3])
            elif argv[1] == "exercise":
                test_exercise(browser, server, argv[3])
            elif argv[1] == "sound":
                test_sound(browser, server)
            else:
                (test_panel if argv[1] == "panel" else test_render)(browser, server)
        except AssertionError as failure:
            print("FAIL: %s\npage console:\n%s" % (failure, browser.console()))
            return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
