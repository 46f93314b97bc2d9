"""Bad input against a running qx40-classroom, one table: each message is
answered with an error of its kind and counted, the connection goes on (a
flood excepted, which is closed), no other client is harmed, and the
instructor's token never reaches a trainee.

  bad_input_test.py QX40_CLASSROOM PAGE_DIR CONSOLE_DIR
"""

import http.client
import json
import os
import sys
import tempfile
import urllib.parse

import websocket  # python3-websocket

from class_server import ClassServer

MESSAGE_LIMIT = 256 * 1024
FLOOD = 600
ZONE_OPEN = "level ZoneAnalogueControl2 7131 ohm"


def cases(token, ann, bea):
    """(what, who sends, message, the error's kind)."""
    return [
        ("oversized", "ann", json.dumps({"type": "state", "pad": "x" * MESSAGE_LIMIT}), "too_large"),
        ("malformed JSON", "ann", '{"type": "state", ', "malformed"),
        ("not an object", "ann", "[1, 2]", "malformed"),
        ("no type", "ann", {"panel": {}}, "malformed"),
        ("unknown type", "ann", {"type": "dance"}, "unknown_type"),
        ("missing token", "ann", {"type": "fault", "trainee": bea, "line": ZONE_OPEN}, "token"),
        ("wrong token", "ann", {"type": "fault", "trainee": bea, "line": ZONE_OPEN, "token": "0" * len(token)}, "token"),
        ("trainee starts an exercise", "ann", {"type": "start", "file": "fire-one-zone.qxs"}, "token"),
        ("another trainee's panel", "ann", {"type": "state", "trainee": bea, "panel": {}}, "not_yours"),
        ("another trainee's log", "ann", {"type": "events", "trainee": bea, "events": []}, "not_yours"),
        ("state before joining", "stranger", {"type": "state", "panel": {}}, "not_joined"),
        ("wrong class code", "stranger", {"type": "join", "name": "Eve", "code": "no"}, "wrong_code"),
        ("a fault that is no input", "instructor", {"type": "fault", "trainee": bea, "line": "set config 1 2", "token": token},
         "bad_field"),
        ("a fault on no trainee", "instructor", {"type": "fault", "trainee": 99, "line": ZONE_OPEN, "token": token},
         "no_trainee"),
    ]


def flood(server, socket):
    """Far faster than any page sends: answered once and closed."""
    socket.ask({"type": "join", "name": "Flo", "code": server.code}, "joined")
    for _ in range(FLOOD):
        try:
            socket.send({"type": "state", "panel": {}})
        except (websocket.WebSocketException, OSError):
            break
    kinds = []
    try:
        while True:
            kinds.append(socket.receive("error", 5)["kind"])
    except (websocket.WebSocketException, OSError, AssertionError, ValueError):
        pass  # closed
    assert "flood" in kinds, "a flood was not refused: %s" % kinds


def check_http(server):
    """Only files of the page and the console are served."""
    address = urllib.parse.urlparse(server.url)
    for path, status in (("/", 200), ("/console/", 200), ("/../../etc/passwd", 404), ("/%2e%2e/etc/passwd", 404),
                         ("/class.json", 200)):
        connection = http.client.HTTPConnection(address.hostname, address.port, timeout=10)
        connection.request("GET", path)
        answer = connection.getresponse()
        assert answer.status == status, "GET %s: %d" % (path, answer.status)
        connection.close()


def main(argv):
    if len(argv) != 4:
        print(__doc__.strip())
        return 2
    folder = tempfile.mkdtemp(prefix="qx40-classroom-")
    server = ClassServer(argv[1], os.path.join(folder, "class.sqlite"), argv[2], argv[3])
    try:
        instructor = server.connect()
        instructor.ask({"type": "hello", "token": server.token}, "class")
        ann, bea = server.connect(), server.connect()
        ids = [s.ask({"type": "join", "name": n, "code": server.code}, "joined")["id"] for s, n in ((ann, "Ann"), (bea, "Bea"))]
        senders = {"ann": ann, "instructor": instructor}
        failures = []
        expected = {}
        table = cases(server.token, *ids)
        for what, who, message, kind in table:
            socket = senders.get(who) or server.connect()
            answer = socket.ask(message, "error")
            if answer["kind"] != kind:
                failures.append("%s: answered %s, not %s" % (what, answer, kind))
            expected[kind] = expected.get(kind, 0) + 1
            # The connection goes on.
            socket.ask({"type": "dance"}, "error")
            expected["unknown_type"] = expected.get("unknown_type", 0) + 1
        flood(server, server.connect())
        expected["flood"] = 1
        # The others are unharmed.
        bea.send({"type": "state", "panel": {"zonesInFault": 0}})
        while instructor.receive("trainee")["id"] != ids[1]:
            pass  # the flood's reports before it
        counted = instructor.ask({"type": "stats", "token": server.token}, "stats")["refused"]
        if counted != expected:
            failures.append("counted %s, expected %s" % (counted, expected))
        check_http(server)
        instructor.send({"type": "say", "trainee": ids[0], "text": "<b>hello</b>", "token": server.token})
        heard = ann.receive("say")
        assert heard["text"] == "<b>hello</b>" and server.token not in json.dumps(heard), heard
        if failures:
            print("FAIL:\n" + "\n".join(failures))
            return 1
        print("bad input: %d cases and a flood refused and counted: %s" % (len(table), counted))
        return 0
    finally:
        server.stop()


if __name__ == "__main__":
    sys.exit(main(sys.argv))
