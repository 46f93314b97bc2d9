"""Load on qx40-classroom over loopback, run by hand (see bench/README.md):
TRAINEES simulated trainees each report a changed panel (state and a small
picture) RATE times a second for SECONDS; one instructor's connection times
each report from its sending to its arrival. Prints the delay's p50, p95 and
maximum, and the server's CPU (share of one core) and peak memory.

  classroom_bench.py QX40_CLASSROOM PAGE_DIR [TRAINEES RATE SECONDS]     (default 30 5 60)
"""

import base64
import json
import os
import statistics
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "classroom"))
from class_server import ClassServer  # noqa: E402

THUMB_BYTES = 7500  # the page's 200-pixel-wide JPEG of the front panel, as a data: URL
CLOCK_TICKS = os.sysconf("SC_CLK_TCK")


def cpu_seconds(pid):
    fields = open("/proc/%d/stat" % pid).read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / CLOCK_TICKS


def peak_memory_kb(pid):
    for line in open("/proc/%d/status" % pid):
        if line.startswith("VmHWM:"):
            return int(line.split()[1])
    return 0


def trainee(server, index, rate, seconds, start):
    socket = server.connect()
    socket.ask({"type": "join", "name": "Trainee %d" % index, "code": server.code}, "joined")
    thumb = "data:image/jpeg;base64," + base64.b64encode(os.urandom(THUMB_BYTES * 3 // 4)).decode()
    period = 1 / rate
    due = start + index * period / 30
    end = start + seconds
    beat = 0
    while due < end:
        time.sleep(max(0, due - time.monotonic()))
        beat += 1
        socket.send({"type": "state", "panel": {"lamps": ["PowerLED"], "zonesInFire": beat & 0xff, "zonesInFault": 0,
                                                  "zonesDisabled": 0, "zonesInTest": 0, "sounders": False,
                                                  "buzzer": False, "access": 1},
                     "exercise": {"state": "running", "text": "Exercise %d" % beat}, "thumb": thumb,
                     "sent": time.time() * 1000})
        due += period
    socket.close()


def main(argv):
    if len(argv) not in (3, 6):
        print(__doc__.strip())
        return 2
    count, rate, seconds = (int(argv[3]), float(argv[4]), float(argv[5])) if len(argv) == 6 else (30, 5.0, 60.0)
    folder = tempfile.mkdtemp(prefix="qx40-classroom-bench-")
    server = ClassServer(argv[1], os.path.join(folder, "class.sqlite"), argv[2])
    instructor = server.connect()
    instructor.ask({"type": "hello", "token": server.token}, "class")
    delays = []
    done = threading.Event()

    def listen():
        while not done.is_set():
            try:
                message = instructor.receive("trainee", 2)
            except Exception:  # the deadline passed with nothing sent
                continue
            if "sent" in message:
                delays.append(time.time() * 1000 - message["sent"])

    threading.Thread(target=listen, daemon=True).start()
    cpu_before = cpu_seconds(server.process.pid)
    start = time.monotonic()
    threads = [threading.Thread(target=trainee, args=(server, i, rate, seconds, start + 1)) for i in range(count)]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    wall = time.monotonic() - start
    cpu = cpu_seconds(server.process.pid) - cpu_before
    memory = peak_memory_kb(server.process.pid)
    done.set()
    server.stop()
    delays.sort()
    p95 = delays[int(len(delays) * 0.95)]
    print("%d trainees at %g Hz for %g s: %d reports received of %d sent" % (count, rate, seconds, len(delays),
                                                                             int(count * rate * seconds)))
    print("delay p50 %.1f ms, p95 %.1f ms, max %.1f ms" % (statistics.median(delays), p95, delays[-1]))
    print("server CPU %.1f %% of one core, peak memory %.1f MB" % (100 * cpu / wall, memory / 1024))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
