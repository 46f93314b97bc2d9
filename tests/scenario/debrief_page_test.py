"""The debrief of a ten-minute exercise as a trainee gets it: printed to A4
by Debian's chromium on at most two pages, valid HTML to html-validate and
free of axe-core's accessibility violations.

Usage: debrief_page_test.py QX40_SCENARIO SCRATCH_DIR TOOLS_DIR
The npm tools are installed once into TOOLS_DIR and reused."""

import base64
import json
import os
import re
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "web"))
import devtools  # noqa: E402

MAX_PAGES = 2
NPM_TOOLS = ["html-validate@8", "axe-core@4"]

TEN_MINUTES = """\
# Exercise: a fire in one zone, then a zone fault.
#
# Teaches: answering a fire alarm, resetting the panel and reading a fault.
click Keyswitch at 2 2
wait 200ms
press ResetButton
wait 100ms
release ResetButton
wait 30s
level ZoneAnalogueControl3 500 ohm
wait-until var zonesInFire 0x04 within 10s
mark fire
wait 40s
press BuzzerMuteButton
wait 100ms
release BuzzerMuteButton
wait 20s
press SoundersStartStopButton
wait 100ms
release SoundersStartStopButton
measure "sounders silenced after the fire" SounderOutput1 0 within 2min since fire
wait 2min
level ZoneAnalogueControl3 4700 ohm
press ResetButton
wait 100ms
release ResetButton
wait-until var zonesInFire 0 within 10s
wait 30s
level ZoneAnalogueControl5 100 ohm
wait-until FaultLED 1 within 30s
press BuzzerMuteButton
wait 100ms
release BuzzerMuteButton
wait 2min
level ZoneAnalogueControl5 4700 ohm
press ResetButton
wait 100ms
release ResetButton
wait 2min
expect FaultLED 0
wait 1min
expect SounderOutput1 0
"""


def npm_tools(folder):
    bin_dir = os.path.join(folder, "node_modules", ".bin")
    if not os.path.exists(os.path.join(bin_dir, "html-validate")):
        subprocess.run(["npm", "install", "--no-audit", "--no-fund", "--prefix", folder, *NPM_TOOLS], check=True,
                       stdout=subprocess.DEVNULL)
    return bin_dir


def write_debrief(scenario, scratch):
    script = os.path.join(scratch, "ten-minutes.qxs")
    with open(script, "w") as out:
        out.write(TEN_MINUTES)
    report = os.path.join(scratch, "debrief.html")
    run = subprocess.run([scenario, "--report", report, script], capture_output=True, text=True, cwd=scratch)
    if not os.path.exists(report):
        sys.exit("no debrief written: %s%s" % (run.stdout, run.stderr))
    return report


def validate(bin_dir, report, scratch):
    config = os.path.join(scratch, "htmlvalidate.json")
    with open(config, "w") as out:
        json.dump({"extends": ["html-validate:recommended"]}, out)
    run = subprocess.run([os.path.join(bin_dir, "html-validate"), "--config", config, report], capture_output=True,
                         text=True)
    return [] if run.returncode == 0 else [run.stdout + run.stderr]


def page_count(pdf):
    # Each page is one "/Type /Page" object; the tree's root is "/Type /Pages".
    return len(re.findall(rb"/Type\s*/Page(?![a-zA-Z])", pdf))


def print_and_check(report, axe_script):
    browser = devtools.Browser(devtools.find_chromium())
    try:
        browser.call("Page.navigate", session=True, url="file://" + report)
        browser.evaluate("new Promise(r => document.readyState === 'complete' ? r() : addEventListener('load', r))")
        with open(axe_script) as source:
            browser.evaluate(source.read())
        violations = browser.evaluate(
            "axe.run(document).then(r => r.violations.map(v => v.id + ': ' + v.help + ' ' + "
            "v.nodes.map(n => n.target.join(' ')).slice(0, 3).join(', ')))")
        pdf = browser.call("Page.printToPDF", session=True, paperWidth=8.27, paperHeight=11.69,
                           preferCSSPageSize=True)
        return violations, page_count(base64.b64decode(pdf["data"]))
    finally:
        browser.close()


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    scenario, scratch, tools = (os.path.abspath(a) for a in sys.argv[1:])
    os.makedirs(scratch, exist_ok=True)
    os.makedirs(tools, exist_ok=True)
    report = write_debrief(scenario, scratch)
    bin_dir = npm_tools(tools)
    problems = ["html-validate: " + p for p in validate(bin_dir, report, scratch)]
    violations, pages = print_and_check(report, os.path.join(tools, "node_modules", "axe-core", "axe.min.js"))
    problems += ["axe-core: " + v for v in violations]
    if pages > MAX_PAGES:
        problems.append("printed on %d A4 pages, more than %d" % (pages, MAX_PAGES))
    print("debrief: %d bytes, %d A4 page(s), %d validator problem(s), %d axe-core violation(s)"
          % (os.path.getsize(report), pages, len(problems) - len(violations) - (pages > MAX_PAGES), len(violations)))
    if problems:
        sys.exit("\n".join(problems))


if __name__ == "__main__":
    main()
