"""A class in Debian's headless chromium, driven over the DevTools protocol:
qx40-classroom on loopback with a fresh database, the instructor's console
and three trainees' pages, each its own browser. Panel time is stepped by the
test (?manual); the reports to the server run on the pages' own clock.

  class_test.py PAGE_DIR QX40_CLASSROOM CONSOLE_DIR [TOOLS_DIR]
      with TOOLS_DIR, the console is also checked by html-validate and axe-core
      (from npm, installed there once), with the class in it and one trainee open
"""

import json
import os
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "web"))

import browser_test  # noqa: E402
import devtools  # noqa: E402
from browser_test import FRONT, STEPS_PER_100MS, Page  # noqa: E402
from class_server import ClassServer, poll  # noqa: E402

TRAINEES = ["Ann", "<b>Bea</b>", "Cat"]
ZONE2_OPEN = "level ZoneAnalogueControl2 7131 ohm"
ZONE2 = 0x02
CONSOLE_LIMIT_S = 1.0
FAULT_LIMIT_STEPS = 120 * 10 * STEPS_PER_100MS
SILENCED = "sounders silenced after the fire"


def report(page):
    return page.browser.evaluate("JSON.parse(core.UTF8ToString(core._qx40_report()))")


def console_trainees(console):
    return {t["name"]: t for t in console.evaluate("classConsole.trainees()")}


def join(browser, server, name):
    page = Page(browser, server.url + "?manual")
    poll(lambda: browser.evaluate("document.getElementById('class-join') !== null"), 10, what="the class offered")
    browser.evaluate("document.getElementById('class-name').value = %s; document.getElementById('class-code').value = %s;"
                     " document.querySelector('#class-join button').click()" % (json.dumps(name), json.dumps(server.code)))
    poll(lambda: browser.evaluate("document.getElementById('class-join').hidden"), 10, what=name + " joining")
    return page


def check_hidden_fault(console, pages):
    """Zone 2 open on the second trainee's panel only; the console shows it within a second of the panel."""
    bea = pages[1]
    ids = {name: t["id"] for name, t in console_trainees(console).items()}
    console.evaluate("send({type: 'fault', trainee: %d, line: %s})" % (ids[TRAINEES[1]], json.dumps(ZONE2_OPEN)))
    for _ in range(0, FAULT_LIMIT_STEPS, STEPS_PER_100MS):
        shows = report(bea)
        if shows["zonesInFault"] & ZONE2 and "Zone2FaultLED" in shows["lamps"]:
            break
        bea.step(STEPS_PER_100MS)
    shown = time.monotonic()
    assert report(bea)["zonesInFault"] & ZONE2 and "Zone2FaultLED" in report(bea)["lamps"], report(bea)
    poll(lambda: "Fault: zone 2" in console.evaluate(
        "document.querySelector('.trainee[data-trainee=\"%d\"] .state').textContent" % ids[TRAINEES[1]]),
        CONSOLE_LIMIT_S, what="the console showing zone 2's fault")
    delay = time.monotonic() - shown
    for other in (pages[0], pages[2]):
        other.step(FAULT_LIMIT_STEPS // 10)
        assert not report(other)["zonesInFault"] and "Zone2FaultLED" not in report(other)["lamps"], report(other)
    # The trainee's page shows the fault on the panel only, not the instructor's line.
    assert "ZoneAnalogueControl2" not in bea.browser.evaluate("document.body.innerText")
    return delay


def check_class_exercise(console, pages):
    console.evaluate("document.getElementById('exercise').value = %s; document.getElementById('start-class').click()"
                     % json.dumps(browser_test.EXERCISE))
    for page in pages:
        poll(lambda: "fire-one-zone" in page.browser.evaluate(browser_test.STATUS), 10, what="the exercise starting")
        page.step(10 * STEPS_PER_100MS)
        assert "0:01" in page.browser.evaluate(browser_test.STATUS), page.browser.evaluate(browser_test.STATUS)
    poll(lambda: all("fire-one-zone" in t["exercise"].get("text", "") for t in console_trainees(console).values()),
         2, what="every trainee's exercise on the console")


def silence_and_finish(page):
    """As the page's own exercise test: the sounders silenced by mouse 8 s after they sound."""
    browser_test.step_until(page, browser_test.STATUS + ".includes(', 2 of ')", browser_test.EXERCISE_LIMIT_STEPS,
                            STEPS_PER_100MS)
    page.step(browser_test.SILENCE_AFTER_S * 10 * STEPS_PER_100MS)
    page.click(FRONT, "Keyswitch", 2, 2)
    page.step(STEPS_PER_100MS)
    browser_test.click_button(page, FRONT, "SoundersStartStopButton")
    browser_test.step_until(page, "(document.getElementById('debrief')?.srcdoc ?? '') !== ''",
                            browser_test.EXERCISE_LIMIT_STEPS, browser_test.CHUNK_STEPS)


def silenced_passed(results, name):
    for result in results:
        for point in result["checkpoints"]:
            if result["trainee"] == name and point["requirement"] == SILENCED and point["passed"]:
                return True
    return False


def check_debrief_reaches_console(console, ann):
    silence_and_finish(ann)
    poll(lambda: silenced_passed(console.evaluate("classConsole.results()"), TRAINEES[0]), 5,
         what="Ann's result with the silence checkpoint passed on the console")
    row = console.evaluate("document.querySelector('#result-rows tr').textContent")
    assert TRAINEES[0] in row and "passed" in row, row
    console.evaluate("document.querySelector('#result-rows button').click()")
    poll(lambda: "<html" in console.evaluate("document.getElementById('debrief').srcdoc"), 5, what="the debrief shown")


def check_console_markup(console, console_dir, tools_dir):
    validator, config, axe = browser_test.page_tools(tools_dir)
    checked = subprocess.run([validator, "--config", config, os.path.join(console_dir, "index.html")],
                             capture_output=True, text=True)
    assert checked.returncode == 0, "html-validate:\n" + checked.stdout + checked.stderr
    console.evaluate("document.querySelector('.trainee').click()")
    poll(lambda: console.evaluate("document.getElementById('detail-thumb') !== null"), 5, what="a trainee opened")
    with open(axe, encoding="utf-8") as source:
        console.evaluate(source.read())
    violations = console.evaluate("axe.run(document, {resultTypes: ['violations']}).then(r => r.violations"
                                  ".map(v => v.id + ': ' + v.nodes.map(n => n.target.join(' ')).join(', ')))")
    assert not violations, "axe-core on the console: %s" % violations


def check_survives_kill(server, program, database, page_dir, console_dir):
    server.kill()
    again = ClassServer(program, database, page_dir, console_dir)
    try:
        socket = again.connect()
        snapshot = socket.ask({"type": "hello", "token": again.token}, "class")
        assert silenced_passed(snapshot["results"], TRAINEES[0]), snapshot["results"]
        csv = socket.ask({"type": "csv", "token": again.token}, "csv")["text"]
        assert "Ann,fire-one-zone.qxs" in csv and SILENCED + "," in csv, csv
        socket.close()
    finally:
        again.stop()


def test_class(page_dir, program, console_dir, tools_dir):
    folder = tempfile.mkdtemp(prefix="qx40-class-")
    database = os.path.join(folder, "class.sqlite")
    server = ClassServer(program, database, page_dir, console_dir)
    browsers = [devtools.Browser(devtools.find_chromium()) for _ in range(len(TRAINEES) + 1)]
    try:
        console = browsers[0]
        console.call("Page.navigate", session=True, url=server.console)
        poll(lambda: console.evaluate("document.getElementById('status')?.textContent") == "Connected.", 10,
             what="the console connecting")
        pages = [join(browser, server, name) for browser, name in zip(browsers[1:], TRAINEES)]
        poll(lambda: len(console_trainees(console)) == len(TRAINEES), 5, what="three trainees on the console")
        names = console.evaluate("[...document.querySelectorAll('.trainee .name')].map(n => n.innerHTML)")
        assert "&lt;b&gt;Bea&lt;/b&gt;" in names, names
        if tools_dir:
            check_console_markup(console, console_dir, tools_dir)
        delay = check_hidden_fault(console, pages)
        check_class_exercise(console, pages)
        check_debrief_reaches_console(console, pages[0])
        check_survives_kill(server, program, database, page_dir, console_dir)
        print("class: zone 2's fault on the console %.0f ms after the panel showed it" % (delay * 1000))
    except (AssertionError, devtools.PageError) as failure:
        print("FAIL: %s\nconsole:\n%s" % (failure, "\n---\n".join(b.console() for b in browsers)))
        return 1
    finally:
        for browser in browsers:
            browser.close()
        server.stop()
    return 0


def main(argv):
    if len(argv) not in (4, 5):
        print(__doc__.strip())
        return 2
    return test_class(argv[1], argv[2], argv[3], argv[4] if len(argv) == 5 else None)


if __name__ == "__main__":
    sys.exit(main(sys.argv))
