"""The web page's figures in Debian's headless chromium: the size of its files,
the time from navigation to the first drawn panel (a new browser profile, once
the browser has started, then once more with the files in its cache), panel-time
drift against wall time while the browser's clock drives it, and the CPU use while the
panel stands idle, of the page's renderer (with the browser's blank first tab,
about 0.01 %) and of all the browser's processes (as a percentage of one core), from 10 s after the loads. Load and CPU are
measured in RUNS new browsers and given as min / median / max.

A new headless chromium takes both cores of a small machine for about a second
as it starts, whatever the page; a cold load is timed once that has passed, as a
user's browser is already running. The load asked for at once, with the browser's
start beside it, is given too.

  /usr/bin/python3 bench/web_bench.py [PAGE_DIR] [SECONDS]   (default build-web/page, 60; 0 leaves the drift out)

Cold loads spread from one new browser to the next, more than most changes gain; to
compare two builds of the page, their cold loads alone, in turn, LOADS each (default
10), a new browser each, once it has started, 12 s apart so that the last one has gone:

  /usr/bin/python3 bench/web_bench.py --beside OTHER_PAGE_DIR PAGE_DIR [LOADS]
"""

import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "web"))
import devtools  # noqa: E402

CPU_SECONDS = 30
# After its loads the browser goes on for some seconds (compiling the core's hot code, collecting
# garbage); the idle CPU is measured once that has settled.
SETTLE_SECONDS = 10
# Started: a quarter of a second in which the browser used under a hundredth of a core's second.
STARTED_WINDOW_SECONDS = 0.25
STARTED_CPU_SECONDS = 0.01
STARTED_LIMIT_SECONDS = 20
RUNS = 3


def folder_size(folder):
    return sum(os.path.getsize(os.path.join(d, f)) for d, _, files in os.walk(folder) for f in files)


def process_tree(root):
    children = {}
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open("/proc/%s/stat" % pid) as stat:
                parent = int(stat.read().rsplit(")", 1)[1].split()[1])
        except OSError:
            continue
        children.setdefault(parent, []).append(int(pid))
    tree, todo = [], [root]
    while todo:
        pid = todo.pop()
        tree.append(pid)
        todo.extend(children.get(pid, []))
    return tree


def is_page_renderer(pid):
    """A renderer of web pages. Headless chromium also runs its own interface (an address bar's
    pop-up) in a renderer of its own, flagged --top-chrome-webui; that one, at 0.3 to 0.5 % of
    a core whatever the page, is counted with the browser's processes, not with the page's."""
    try:
        with open("/proc/%d/cmdline" % pid, "rb") as cmdline:
            line = cmdline.read()
    except OSError:
        return False
    return b"--type=renderer" in line and b"--top-chrome-webui" not in line


def cpu_seconds(root, renderer_only=False):
    total = 0
    for pid in process_tree(root):
        if renderer_only and not is_page_renderer(pid):
            continue
        try:
            with open("/proc/%d/stat" % pid) as stat:
                fields = stat.read().rsplit(")", 1)[1].split()
        except OSError:
            continue
        total += int(fields[11]) + int(fields[12])
    return total / os.sysconf("SC_CLK_TCK")


def spread(values, unit):
    ordered = sorted(values)
    shown = ["%.0f" % v if v >= 10 else "%.2f" % v for v in (ordered[0], ordered[len(ordered) // 2], ordered[-1])]
    return "%s / %s / %s %s (min / median / max of %d)" % (*shown, unit, len(ordered))


# The page steps the panel when it wakes (or input comes), so between wake-ups the panel
# is behind by the steps the page owes it; the panel's time is read with them, counted
# from the page's clock at the panel's last step, so that the drift is not that lag.
CLOCKS = "[performance.now(), qx40.nowMs() + (performance.now() - owedFrom)]"


def started(browser):
    """Once the browser's processes have used under STARTED_CPU_SECONDS in a STARTED_WINDOW_SECONDS window."""
    root = browser.process.pid
    before = cpu_seconds(root)
    for _ in range(int(STARTED_LIMIT_SECONDS / STARTED_WINDOW_SECONDS)):
        time.sleep(STARTED_WINDOW_SECONDS)
        now = cpu_seconds(root)
        if now - before < STARTED_CPU_SECONDS:
            return
        before = now
    raise devtools.PageError("the browser was still busy %d s after it started" % STARTED_LIMIT_SECONDS)


def idle_run(page, seconds):
    """Two new browsers: a load as the first starts; the second's loads once started, the drift over
    seconds (if any) and its idle CPU."""
    figures = {"starting": cold_load(page, wait=False)}
    with devtools.served(page) as (browser, server):
        started(browser)
        figures["cold"] = browser.open(server.url + "?fresh")
        figures["cached"] = browser.open(server.url + "?fresh")
        time.sleep(SETTLE_SECONDS)
        if seconds:
            # The page's clock and the panel's, read together.
            start_wall, start_panel = browser.evaluate(CLOCKS)
            time.sleep(seconds)
            end_wall, end_panel = browser.evaluate(CLOCKS)
            figures["drift"] = (end_wall - start_wall, end_panel - start_panel)
        root = browser.process.pid
        before = cpu_seconds(root), cpu_seconds(root, renderer_only=True)
        time.sleep(CPU_SECONDS)
        figures["browser"] = 100 * (cpu_seconds(root) - before[0]) / CPU_SECONDS
        figures["renderer"] = 100 * (cpu_seconds(root, renderer_only=True) - before[1]) / CPU_SECONDS
    return figures


BESIDE_GAP_SECONDS = 12


def cold_load(page, wait=True):
    with devtools.served(page) as (browser, server):
        if wait:
            started(browser)
        return browser.open(server.url + "?fresh")


def beside(pages, loads):
    """Cold loads of the pages in turn, the order swapped each round so neither always goes first."""
    times = {page: [] for page in pages}
    for load in range(loads):
        for page in pages if load % 2 == 0 else pages[::-1]:
            times[page].append(cold_load(page))
            time.sleep(BESIDE_GAP_SECONDS)
    for page in pages:
        print("%s, cold: %s" % (page, spread(times[page], "ms")))
    return 0


def main(argv):
    if len(argv) > 1 and argv[1] in ("--help", "-h"):
        print(__doc__.strip())
        return 0
    if len(argv) > 3 and argv[1] == "--beside":
        return beside(argv[2:4], int(argv[4]) if len(argv) > 4 else 10)
    page = argv[1] if len(argv) > 1 else "build-web/page"
    seconds = float(argv[2]) if len(argv) > 2 else 60.0
    print("page files: %.2f MB" % (folder_size(page) / 1e6))
    runs = [idle_run(page, seconds if run == 0 else 0) for run in range(RUNS)]
    print("navigation to first drawn panel, cold: " + spread([r["cold"] for r in runs], "ms"))
    print("navigation to first drawn panel, cached: " + spread([r["cached"] for r in runs], "ms"))
    print("navigation to first drawn panel, cold, as the browser starts: "
          + spread([r["starting"] for r in runs], "ms"))
    if seconds:
        wall, panel = runs[0]["drift"]
        print("drift: %.0f ms panel time in %.0f ms wall time (%+.3f %%)" % (panel, wall, 100 * (panel - wall) / wall))
    print("idle CPU over %d s, the page's renderer: %s"
          % (CPU_SECONDS, spread([r["renderer"] for r in runs], "% of one core")))
    print("idle CPU over %d s, all the browser's processes: %s"
          % (CPU_SECONDS, spread([r["browser"] for r in runs], "% of one core")))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
