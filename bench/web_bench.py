"""The web page's figures in Debian's headless chromium: the size of its files,
the time from navigation to the first drawn panel (a new browser profile,
then once more with the files in its cache), panel-time drift against
wall time while the browser's clock drives it, and the browser's CPU use
while the panel stands idle (all its processes, as a percentage of one core).

  /usr/bin/python3 bench/web_bench.py [PAGE_DIR] [SECONDS]   (default build-web/page, 60)
"""

import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "web"))
import devtools  # noqa: E402

CPU_SECONDS = 30


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


def cpu_seconds(root):
    total = 0
    for pid in process_tree(root):
        try:
            with open("/proc/%d/stat" % pid) as stat:
                fields = stat.read().rsplit(")", 1)[1].split()
        except OSError:
            continue
        total += int(fields[11]) + int(fields[12])
    return total / os.sysconf("SC_CLK_TCK")


def main(argv):
    if len(argv) > 1 and argv[1] in ("--help", "-h"):
        print(__doc__.strip())
        return 0
    page = argv[1] if len(argv) > 1 else "build-web/page"
    seconds = float(argv[2]) if len(argv) > 2 else 60.0
    print("page files: %.2f MB" % (folder_size(page) / 1e6))
    with devtools.served(page) as (browser, server):
        print("navigation to first drawn panel, cold: %.0f ms" % browser.open(server.url + "?fresh"))
        print("navigation to first drawn panel, cached: %.0f ms" % browser.open(server.url + "?fresh"))
        # The page's clock and the panel's, read together; the panel moves in 40 ms ticks.
        start_wall, start_panel = browser.evaluate("[performance.now(), qx40.nowMs()]")
        time.sleep(seconds)
        end_wall, end_panel = browser.evaluate("[performance.now(), qx40.nowMs()]")
        wall, panel = end_wall - start_wall, end_panel - start_panel
        print("drift: %.0f ms panel time in %.0f ms wall time (%+.3f %%)" % (panel, wall, 100 * (panel - wall) / wall))
        before = cpu_seconds(browser.process.pid)
        time.sleep(CPU_SECONDS)
        print("idle CPU over %d s: %.1f %% of one core" % (CPU_SECONDS, 100 * (cpu_seconds(browser.process.pid) - before) / CPU_SECONDS))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
