#!/usr/bin/env python3
"""Opens the reports of the examples in headless Chromium and checks them.

Usage: browser_test.py ZEVAC SOURCE_DIR OUT_DIR

Each example is compiled with zevac in a scratch copy and its report opened
as a file:// URL through chromedriver's WebDriver protocol. The page must
load without a console error or a script exception and load nothing; each
procedure's diagram must hold one group per flow end and per class element
of its rules (counted here from the repository file); clicking a message
must highlight its element, and only that; clicking a flow end must
highlight the listing lines compiled from it. One screenshot per example
goes to OUT_DIR/screens.

Exits 77 (skipped) when Chromium or chromedriver is missing.
"""

import base64
import json
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time
import urllib.error
import urllib.request

CHROMIUM = "/usr/bin/chromium"
CHROMEDRIVER = "/usr/bin/chromedriver"
SKIP = 77
ELEMENT = "element-6066-11e4-a52e-4f735466cecf"  # WebDriver element reference
REQUEST_TIMEOUT = 60  # seconds for one WebDriver request
FLOW_ENDS = {"Start", "End", "CallStatement", "Rule", "TextStatement",
             "ForeachLoop", "WhileLoop"}


# chromedriver listens on this machine: no proxy of the environment may
# stand between.
DIRECT = urllib.request.build_opener(urllib.request.ProxyHandler({}))


class Failure(Exception):
    pass


def check(condition, what):
    if not condition:
        raise Failure(what)


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class WebDriver:
    """A chromedriver process and one browser session, spoken to by HTTP."""

    def __init__(self, profile):
        self.port = free_port()
        self.base = "http://127.0.0.1:%d" % self.port
        self.session = None
        self.process = subprocess.Popen(
            [CHROMEDRIVER, "--port=%d" % self.port],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            start_new_session=True)
        deadline = time.monotonic() + 30
        while True:
            try:
                if self.request("GET", "/status", timeout=2)["ready"]:
                    break
            except (OSError, Failure):
                pass
            check(time.monotonic() < deadline and self.process.poll() is None,
                  "chromedriver did not start")
            time.sleep(0.1)
        args = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                "--no-first-run", "--disable-background-networking",
                "--disable-component-update", "--disable-sync",
                "--user-data-dir=" + profile, "--window-size=1400,1000"]
        caps = {"browserName": "chrome",
                "goog:chromeOptions": {"binary": CHROMIUM, "args": args},
                "goog:loggingPrefs": {"browser": "ALL"}}
        value = self.request("POST", "/session",
                             {"capabilities": {"alwaysMatch": caps}})
        self.session = value["sessionId"]
        self.request("POST", self.path("/timeouts"),
                     {"script": 30000, "pageLoad": 30000, "implicit": 0})

    def path(self, tail):
        return "/session/%s%s" % (self.session, tail)

    def request(self, method, path, body=None, timeout=REQUEST_TIMEOUT):
        data = None if body is None else json.dumps(body).encode()
        req = urllib.request.Request(
            self.base + path, data=data, method=method,
            headers={"Content-Type": "application/json"})
        try:
            with DIRECT.open(req, timeout=timeout) as response:
                return json.loads(response.read() or b"{}").get("value")
        except urllib.error.HTTPError as e:
            detail = e.read().decode(errors="replace")[:500]
            raise Failure("%s %s: HTTP %d %s" % (method, path, e.code, detail))

    def script(self, source, *args):
        return self.request("POST", self.path("/execute/sync"),
                            {"script": source, "args": list(args)})

    def find_all(self, css):
        found = self.request("POST", self.path("/elements"),
                             {"using": "css selector", "value": css})
        return [e[ELEMENT] for e in found]

    def click(self, element):
        # Centred first: at the window's top edge the page's sticky header
        # would take the click.
        self.script("arguments[0].scrollIntoView({block: 'center'})",
                    {ELEMENT: element})
        self.request("POST", self.path("/element/%s/click" % element), {})

    def console(self):
        """The browser log entries since the last call."""
        return self.request("POST", self.path("/se/log"), {"type": "browser"})

    def close(self):
        try:
            if self.session:
                self.request("DELETE", self.path(""), timeout=15)
        except (OSError, Failure):
            pass
        finally:
            # chromedriver leads its own process group: the browser goes too.
            try:
                os.killpg(self.process.pid, signal.SIGTERM)
                self.process.wait(timeout=10)
            except (ProcessLookupError, subprocess.TimeoutExpired):
                try:
                    os.killpg(self.process.pid, signal.SIGKILL)
                except ProcessLookupError:
                    pass
                self.process.wait(timeout=10)


def run(args, cwd, allowed=(0,)):
    done = subprocess.run(args, cwd=cwd, capture_output=True, text=True,
                          timeout=300)
    check(done.returncode in allowed,
          "%s exited %d:\n%s" % (" ".join(args), done.returncode, done.stderr))
    return done


def expectations(repository):
    """From a repository file: per procedure id, its flow ends plus the
    class elements of its rules; the message elements; each flow end's
    label and last command."""
    objects = {o["id"]: o for o in json.load(open(repository))["objects"]}

    def links(o, end):
        return o.get("links", {}).get(end, [])

    groups, flow_ends, messages = {}, {}, []
    for o in objects.values():
        kind = o["class"]
        if kind == "ZEVA::ZEVAprocedure":
            count = 0
            for e in links(o, "ownedElement"):
                name = objects[e]["class"].split("::")[-1]
                if name in FLOW_ENDS:
                    count += 1
                    flow_ends[e] = (o["id"], name, links(objects[e], "label"),
                                    links(objects[e], "lastkom"))
                if name == "Rule":
                    count += len(links(objects[e], "ownedElem"))
            groups[o["id"]] = count
        elif kind == "Utility::CompilerMessages":
            messages.extend(links(o, "element"))
    return groups, flow_ends, messages


def check_page(driver, name, repository, html, screens):
    groups, flow_ends, message_elements = expectations(repository)
    driver.request("POST", driver.path("/url"), {"url": "file://" + html})
    check(driver.script("return document.readyState") == "complete",
          name + ": the page did not load")
    check(driver.script(
        "return performance.getEntriesByType('resource').length") == 0,
          name + ": the page loaded other files")

    # Every procedure's diagram, with one group per flow end and element.
    drawn = driver.script("""
        var counts = {};
        document.querySelectorAll('section.proc').forEach(function (s) {
          counts[s.id.slice(1)] = s.querySelectorAll(
              'svg g.node.zeva, svg g.cluster.zeva').length;
        });
        return counts;""")
    check({int(k): v for k, v in drawn.items()} == groups,
          "%s: groups drawn per procedure %s, expected %s" %
          (name, drawn, groups))

    # Each message highlights its element and nothing else.
    links = driver.find_all("a.msg")
    check(len(links) == len(message_elements),
          "%s: %d message links for %d messages" %
          (name, len(links), len(message_elements)))
    for link in links:
        driver.click(link)
        state = driver.script("""
            var marked = document.querySelectorAll('.zeva-highlight');
            return {el: arguments[0].dataset.el,
                    marked: Array.prototype.map.call(marked, function (m) {
                      return m.id; })};""", {ELEMENT: link})
        check(state["marked"] == ["z" + state["el"]],
              "%s: the message on #%s highlights %s" %
              (name, state["el"], state["marked"]))

    # Each flow end that has a label highlights its commands' lines.
    clicked = 0
    for fe, (proc, kind, label, last) in sorted(flow_ends.items()):
        if not label:
            continue
        # A frame's own label is what a click reaches; a node is clicked whole.
        target = driver.find_all("#z%d.node, #z%d.cluster > text" % (fe, fe))
        if not target:
            continue
        driver.click(target[0])
        lit = driver.script("""
            return Array.prototype.map.call(
                document.querySelectorAll('.k.zeva-lines'),
                function (k) { return [k.id, k.dataset.src]; });""")
        ids = [k for k, _ in lit]
        check(lit and all(str(fe) in src.split() for _, src in lit),
              "%s: %s #%d highlights %s" % (name, kind, fe, lit))
        check("k%d" % label[0] in ids and (not last or "k%d" % last[0] in ids),
              "%s: %s #%d does not highlight its label and last command" %
              (name, kind, fe))
        marked = driver.script(
            "return Array.prototype.map.call("
            "document.querySelectorAll('.zeva-highlight'), m => m.id)")
        check(marked == ["z%d" % fe], "%s: clicking #%d marks %s" %
              (name, fe, marked))
        clicked += 1
    check(clicked >= 3, "%s: only %d flow ends could be clicked" %
          (name, clicked))

    # A screenshot with a message's element highlighted, when there is one.
    if links:
        driver.click(links[0])
    else:
        driver.script("window.scrollTo(0, 0)")
    time.sleep(0.3)
    png = base64.b64decode(driver.request("GET", driver.path("/screenshot")))
    check(png.startswith(b"\x89PNG"), name + ": the screenshot is no PNG")
    with open(os.path.join(screens, name + ".png"), "wb") as f:
        f.write(png)

    problems = [e for e in driver.console() if e.get("level") == "SEVERE"]
    check(not problems, "%s: console errors: %s" % (name, problems))
    print("%s: %d procedures, %d messages, %d flow ends clicked: ok" %
          (name, len(groups), len(links), clicked))


def main(argv):
    if len(argv) != 4:
        print("usage: browser_test.py ZEVAC SOURCE_DIR OUT_DIR", file=sys.stderr)
        return 2
    zevac, source, out = argv[1:]
    for tool in (CHROMIUM, CHROMEDRIVER):
        if not os.access(tool, os.X_OK):
            print("browser test skipped: %s is not installed" % tool)
            return SKIP
    screens = os.path.join(out, "screens")
    os.makedirs(screens, exist_ok=True)
    scratch = tempfile.mkdtemp(prefix="zevac-browser-")
    driver = None
    try:
        examples = []
        for name, status in (("library", (0,)), ("mistakes", (1,))):
            folder = os.path.join(scratch, name)
            shutil.copytree(os.path.join(source, "examples", name), folder)
            run([zevac, "compile", "model.json", "-o", "compiled.json",
                 "--quiet"], folder, status)
            run([zevac, "report", "compiled.json", "-o", "report.html"], folder)
            examples.append((name, os.path.join(folder, "compiled.json"),
                             os.path.join(folder, "report.html")))
        driver = WebDriver(os.path.join(scratch, "profile"))
        try:
            driver.console()
        except Failure as e:
            raise Failure("chromedriver gives no browser log (%s)" % e)
        for name, repository, html in examples:
            check_page(driver, name, repository, html, screens)
    except Exception as e:  # every failure is one line and status 1
        print("browser test failed: %s: %s" % (type(e).__name__, e),
              file=sys.stderr)
        return 1
    finally:
        if driver:
            driver.close()
        shutil.rmtree(scratch, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
