"""The page in Debian's headless chromium, driven with real mouse events over
the DevTools protocol; what it shows is read from the canvas's pixels. Time is
stepped by the test (?manual), not by the clock, so every run is the same.

  browser_test.py panel  PAGE_DIR            key on, Reset, a fire on zone 1, mute, reload
  browser_test.py render PAGE_DIR RENDER_DIR  each window matches qx40-render's image
"""

import json
import sys

import devtools

FRONT, HARDWARE = 0, 1
STEPS_PER_100MS = 20
# A pixel differs when a channel differs by more than this; captions may differ
# by anti-aliasing, so a window matches while few pixels differ.
PIXEL_TOLERANCE = 64
MATCH_FRACTION = 0.03
FIRE_OHMS = (450, 560)
LIT_BRIGHTER_BY = 60


class Page:
    def __init__(self, browser, url):
        self.browser = browser
        self.url = url
        self.load_ms = browser.open(url)

    def op(self, form, name):
        ops = self.browser.evaluate("qx40.list(%d).ops.filter(o => o.name === %r)" % (form, name))
        if not ops:
            raise AssertionError("no control %s on window %d" % (name, form))
        return ops[0]

    def origin(self, form):
        rect = self.browser.evaluate("(() => { const r = document.getElementById('form%d').getBoundingClientRect();"
                                     " return [r.left, r.top]; })()" % form)
        return rect

    def at(self, form, name, dx=None, dy=None):
        op = self.op(form, name)
        left, top = self.origin(form)
        return left + op["x"] + (op["w"] // 2 if dx is None else dx), top + op["y"] + (op["h"] // 2 if dy is None else dy)

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
        return self.op(form, name)["caption"]


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
        if ohms(page.browser.evaluate("qx40.list(1).ops.find(o => o.name === 'ZoneResValue1').caption")) >= FIRE_OHMS[0]:
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
    report = page.browser.evaluate(RUN_SCRIPT % json.dumps("\u0000\u00ff<b>bogus</b>"))
    assert "error: unknown command" in report, report
    message = page.browser.evaluate("qx40.loadSettings(new Uint8Array(12)); document.getElementById('message').textContent")
    assert "Nothing was changed" in message, message
    assert page.caption(HARDWARE, "ZoneResValue1") == zone1, "a refused Hardware.dat changed zone 1"


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


def test_render(browser, server):
    page = Page(browser, server.url + "?manual&fresh")
    views = [(FRONT, "front-marvane", None), (HARDWARE, "hardware", None),
             (FRONT, "front-corvella", "SelectCorvellaFascia"), (FRONT, "front-board", "SelectCoverOff")]
    failures = []
    for form, image, click in views:
        if click:
            page.click(form, click)
            page.step(0)
        result = browser.evaluate(COMPARE % (form, image, PIXEL_TOLERANCE))
        fraction = result.get("fraction")
        print("render: %s differs in %.2f %% of its pixels" % (image, 100 * fraction if fraction is not None else -1))
        if fraction is None or fraction > MATCH_FRACTION:
            failures.append("%s: %s" % (image, result))
    assert not failures, "the page's drawing differs from qx40-render's: %s" % failures


def main(argv):
    if len(argv) < 3 or argv[1] not in ("panel", "render"):
        print(__doc__.strip())
        return 2
    with devtools.served(argv[2], {"render": argv[3]} if len(argv) > 3 else None) as (browser, server):
        try:
            (test_panel if argv[1] == "panel" else test_render)(browser, server)
        except AssertionError as failure:
            print("FAIL: %s\npage console:\n%s" % (failure, browser.console()))
            return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
