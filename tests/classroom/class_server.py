"""qx40-classroom started for a test: on loopback at a port of the system's
choosing, with its own database; what it printed at start (the addresses,
the class code, the instructor's token) read back; stopped or killed."""

import json
import os
import re
import subprocess
import time

import websocket  # python3-websocket

START_LIMIT_S = 30


class ClassServer:
    def __init__(self, program, database, page, console=None):
        command = [program, "--listen", "127.0.0.1:0", "--database", database, "--page", page]
        if console:
            command += ["--console", console]
        self.process = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        printed = ""
        deadline = time.monotonic() + START_LIMIT_S
        while "Results:" not in printed:
            line = self.process.stdout.readline()
            if not line or time.monotonic() > deadline:
                raise AssertionError("qx40-classroom did not start: %s%s" % (printed, self.process.stderr.read()))
            printed += line
        self.url = re.search(r"Trainees: (\S+)", printed).group(1)
        self.code = re.search(r"class code (\S+)", printed).group(1)
        self.console = re.search(r"Console:  (\S+)", printed).group(1)
        self.token = self.console.split("#", 1)[1]
        self.ws_url = self.url.replace("http://", "ws://") + "ws"

    def connect(self):
        return Socket(self.ws_url)

    def kill(self):
        """As a crash would end it: no chance to close anything."""
        self.process.kill()
        self.process.wait()

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            self.process.wait()


class Socket:
    """One WebSocket to the server, with JSON messages."""

    def __init__(self, url):
        self.ws = websocket.create_connection(url, timeout=10, suppress_origin=True)

    def send(self, message):
        self.ws.send(message if isinstance(message, str) else json.dumps(message))

    def receive(self, wanted=None, limit_s=10):
        """The next message (of type wanted, skipping others) within the limit."""
        deadline = time.monotonic() + limit_s
        while time.monotonic() < deadline:
            self.ws.settimeout(max(deadline - time.monotonic(), 0.01))
            message = json.loads(self.ws.recv())
            if wanted is None or message.get("type") == wanted:
                return message
        raise AssertionError("no %s message within %s s" % (wanted or "", limit_s))

    def ask(self, message, wanted=None):
        self.send(message)
        return self.receive(wanted)

    def close(self):
        self.ws.close()


def poll(condition, limit_s, interval_s=0.02, what="the condition"):
    """Polls until the condition holds; its value, or a failure at the deadline."""
    deadline = time.monotonic() + limit_s
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError("%s did not hold within %s s" % (what, limit_s))
        time.sleep(interval_s)
