"""A small DevTools protocol client for Debian's chromium, and a loopback web
server for the page: enough to load the page, send it real mouse events and
read its canvas, with the system browser only."""

import contextlib
import functools
import http.server
import json
import os
import shutil
import subprocess
import tempfile
import threading

import websocket  # python3-websocket

CHROMIUM_FLAGS = [
    "--headless=new", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
    "--disable-background-networking", "--disable-component-update", "--disable-sync",
    "--remote-debugging-port=0", "--window-size=1800,1000",
]


class Quiet(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map, ".wasm": "application/wasm",
                      ".js": "text/javascript"}

    def log_message(self, *args):
        pass


class Server:
    """Serves a folder on 127.0.0.1 at a free port, in a thread; each of the
    mounts ({"render": folder}) under its own name."""

    def __init__(self, folder, mounts=None):
        mounts = mounts or {}

        class Mounted(Quiet):
            def translate_path(self, path):
                top, _, rest = path.lstrip("/").partition("/")
                if top in mounts:
                    return os.path.join(mounts[top], os.path.basename(rest.split("?")[0]))
                return super().translate_path(path)

        handler = functools.partial(Mounted, directory=folder)
        self.httpd = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
        self.url = "http://127.0.0.1:%d/" % self.httpd.server_address[1]
        threading.Thread(target=self.httpd.serve_forever, daemon=True).start()

    def close(self):
        self.httpd.shutdown()
        self.httpd.server_close()


class PageError(Exception):
    pass


class Browser:
    """Headless chromium with one page, driven over its DevTools socket."""

    def __init__(self, chromium="chromium"):
        self.profile = tempfile.mkdtemp(prefix="qx40-chromium-")
        self.process = subprocess.Popen([chromium, *CHROMIUM_FLAGS, "--user-data-dir=" + self.profile, "about:blank"],
                                        stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        endpoint = self._endpoint()
        self.socket = websocket.create_connection(endpoint, timeout=60, suppress_origin=True)
        self.next_id = 0
        self.events = []
        # How the page's confirm() and alert() are answered; each message is kept in dialogs.
        self.accept_dialogs = True
        self.dialogs = []
        target = self.call("Target.createTarget", url="about:blank")["targetId"]
        self.session = self.call("Target.attachToTarget", targetId=target, flatten=True)["sessionId"]
        for domain in ("Page", "Runtime"):
            self.call(domain + ".enable", session=True)

    def _endpoint(self):
        for line in self.process.stderr:
            if line.startswith("DevTools listening on "):
                threading.Thread(target=self.process.stderr.read, daemon=True).start()
                return line.split(" on ", 1)[1].strip()
        raise PageError("chromium did not start: no DevTools endpoint on its error output")

    def call(self, method, session=False, **params):
        self.next_id += 1
        ident = self.next_id
        message = {"id": ident, "method": method, "params": params}
        if session:
            message["sessionId"] = self.session
        self.socket.send(json.dumps(message))
        while True:
            reply = json.loads(self.socket.recv())
            if reply.get("id") == ident:
                if "error" in reply:
                    raise PageError("%s: %s" % (method, reply["error"]))
                return reply.get("result", {})
            self.events.append(reply)
            if reply.get("method") == "Page.javascriptDialogOpening":
                self._answer(reply["params"]["message"])

    def _answer(self, message):
        """A dialog blocks the page's script until answered, so it is answered here, not awaited."""
        self.dialogs.append(message)
        self.next_id += 1
        self.socket.send(json.dumps({"id": self.next_id, "method": "Page.handleJavaScriptDialog", "sessionId": self.session,
                                     "params": {"accept": self.accept_dialogs}}))

    def evaluate(self, expression):
        """The expression's value; a promise is awaited. A script error raises."""
        result = self.call("Runtime.evaluate", session=True, expression=expression, awaitPromise=True,
                           returnByValue=True)
        if "exceptionDetails" in result:
            raise PageError("%s: %s" % (expression[:80], json.dumps(result["exceptionDetails"])[:600]))
        return result["result"].get("value")

    def console(self):
        """What the page wrote to its console and the errors it threw, as text."""
        lines = []
        for event in self.events:
            params = event.get("params", {})
            if event.get("method") == "Runtime.consoleAPICalled":
                lines.append(" ".join(str(a.get("value", a.get("description", ""))) for a in params["args"]))
            if event.get("method") == "Runtime.exceptionThrown":
                lines.append(json.dumps(params["exceptionDetails"])[:600])
        return "\n".join(lines)

    def open(self, url):
        """Loads the page and waits until its panel is first drawn; gives the load time in ms."""
        self.call("Page.navigate", session=True, url=url)
        self.evaluate("new Promise(r => document.readyState === 'complete' ? r() : addEventListener('load', r))")
        try:
            return self.evaluate("window.qx40Ready")
        except PageError as error:
            raise PageError("%s\npage console:\n%s" % (error, self.console()))

    def download(self, expression, folder):
        """Saves what the expression makes the page download into the folder; gives the file's path."""
        self.call("Browser.setDownloadBehavior", behavior="allow", downloadPath=folder, eventsEnabled=True)
        seen = len(self.events)
        self.evaluate(expression)
        name = None
        while True:
            for event in self.events[seen:]:
                params = event.get("params", {})
                if event.get("method") == "Browser.downloadWillBegin":
                    name = params["suggestedFilename"]
                if event.get("method") == "Browser.downloadProgress" and params["state"] != "inProgress":
                    if params["state"] != "completed" or name is None:
                        raise PageError("the download of %s did not complete: %s" % (name, params["state"]))
                    return os.path.join(folder, name)
            seen = len(self.events)
            self.events.append(json.loads(self.socket.recv()))

    def mouse(self, kind, x, y, button="left", buttons=0):
        self.call("Input.dispatchMouseEvent", session=True, type=kind, x=x, y=y, button=button, buttons=buttons,
                  clickCount=1 if kind != "mouseMoved" else 0)

    def close(self):
        try:
            self.socket.close()
        finally:
            self.process.terminate()
            self.process.wait()
            shutil.rmtree(self.profile, ignore_errors=True)


def find_chromium():
    return os.environ.get("QX40_CHROMIUM") or shutil.which("chromium")


@contextlib.contextmanager
def served(folder, mounts=None):
    """The page's folder on a loopback server and a headless browser to open it in."""
    server = Server(folder, mounts)
    browser = Browser(find_chromium())
    try:
        yield browser, server
    finally:
        browser.close()
        server.close()
