#!/usr/bin/env python3
"""The printer application's web pages in a real browser.

Headless Chromium, driven through chromedriver's WebDriver protocol, opens
every page of a private server (keeping screenshots of a printer's Printing
Defaults and a label printer's Media page), checks their words (labelled
media menus, a receipt printer without "Labels", number boxes of one width,
the TLS pages), calibrates the label printer with its button, changes the
dithering and the Paperang checksum seed through the defaults form, and
checks that they became the printer's defaults and that the next job carries
them: its bytes are the filter's with ImageFilter=0 and the PPD keyed to the
same seed.

Usage: web_settings.py APP FILTER PPD_DIR OUT_DIR
Exit status: 0 passed, 1 failed, 77 skipped (no chromium or chromedriver).
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

SKIP = 77
SEED = "0x12345678"
PAGES = ["/", "/addprinter", "/config", "/network", "/pocket/", "/pocket/media",
         "/pocket/config", "/pocket/jobs", "/pocket/printing", "/label/", "/label/media",
         "/label/calibrate"]
CHROMIUM_ARGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                 "--no-first-run", "--disable-background-networking",
                 "--disable-component-update", "--disable-sync", "--window-size=1100,1600"]


class Failure(Exception):
    pass


def check(condition, what):
    if not condition:
        raise Failure(what)


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_until(done, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if done():
            return True
        time.sleep(0.05)
    return done()


def answers(port):
    try:
        with socket.create_connection(("127.0.0.1", port), timeout=1):
            return True
    except OSError:
        return False


class Process:
    """A child process, stopped by its PID."""

    def __init__(self, args, log, env=None):
        self.log = open(log, "ab")
        self.proc = subprocess.Popen(args, stdout=self.log, stderr=subprocess.STDOUT, env=env)

    def alive(self):
        return self.proc.poll() is None

    def stop(self):
        if self.alive():
            os.kill(self.proc.pid, signal.SIGTERM)
            try:
                self.proc.wait(timeout=10)
            except subprocess.TimeoutExpired:
                os.kill(self.proc.pid, signal.SIGKILL)
                self.proc.wait(timeout=10)
        self.log.close()


class WebDriver:
    """The few WebDriver commands the test needs."""

    ELEMENT = "element-6066-11e4-a52e-4f735466cecf"

    def __init__(self, port, binary, profile):
        self.base = "http://127.0.0.1:%d" % port
        options = {"args": CHROMIUM_ARGS + ["--user-data-dir=" + profile]}
        if binary:
            options["binary"] = binary
        caps = {"capabilities": {"alwaysMatch": {"goog:chromeOptions": options}}}
        self.session = "/session/" + self.call("POST", "/session", caps)["sessionId"]

    def call(self, method, path, body=None):
        data = json.dumps(body if body is not None else {}).encode() if method == "POST" else None
        request = urllib.request.Request(self.base + path, data=data, method=method,
                                         headers={"Content-Type": "application/json"})
        try:
            with urllib.request.urlopen(request, timeout=60) as response:
                return json.load(response)["value"]
        except urllib.error.HTTPError as e:
            raise Failure("WebDriver %s %s: %s" % (method, path, e.read()[:300]))

    def do(self, method, path, body=None):
        return self.call(method, self.session + path, body)

    def open(self, url):
        self.do("POST", "/url", {"url": url})

    def find(self, css):
        found = self.do("POST", "/element", {"using": "css selector", "value": css})
        return "/element/" + found[self.ELEMENT]

    def click(self, css):
        self.do("POST", self.find(css) + "/click")

    def type(self, css, text):
        element = self.find(css)
        self.do("POST", element + "/clear")
        self.do("POST", element + "/value", {"text": text})

    def source(self):
        return self.do("GET", "/source")

    def width(self, css):
        return self.do("GET", self.find(css) + "/rect")["width"]

    def screenshot(self, path):
        with open(path, "wb") as f:
            f.write(base64.b64decode(self.do("GET", "/screenshot")))

    def quit(self):
        self.call("DELETE", self.session)


def gray_page(path):
    """A 384 x 400 page, 8-bit gray at 203 dpi, with gradients."""
    ps = ("0 1 63 { dup 64 div setgray 2.13 mul 0 2.13 142 rectfill } for "
          "0 1 31 { dup 32 div 1 exch sub setgray 0 exch 2.2 mul 10 add 136 2.2 rectfill } for "
          "showpage")
    subprocess.run(["gs", "-q", "-dSAFER", "-sDEVICE=pwgraster", "-r203", "-g384x400",
                    "-dcupsColorSpace=18", "-dcupsBitsPerColor=8", "-o", path, "-c", ps],
                   check=True, timeout=60)


def run_filter(filter_path, ppd, raster, options):
    env = dict(os.environ, PPD=ppd)
    with open(raster, "rb") as f:
        out = subprocess.run([filter_path, "1", "test", "page", "1", options], stdin=f,
                             capture_output=True, env=env, timeout=60)
    check(out.returncode == 0, "filter failed: %s" % out.stderr[-300:])
    return out.stdout


def printer_default(uri, attribute, work):
    test = os.path.join(work, "get.test")
    with open(test, "w") as f:
        f.write('{ OPERATION Get-Printer-Attributes GROUP operation-attributes-tag\n'
                'ATTR charset attributes-charset utf-8\n'
                'ATTR naturalLanguage attributes-natural-language en\n'
                'ATTR uri printer-uri $uri STATUS successful-ok DISPLAY %s }\n' % attribute)
    out = subprocess.run(["ipptool", "-t", uri, test], capture_output=True, text=True, timeout=30)
    for line in out.stdout.splitlines():
        if line.strip().startswith(attribute + " "):
            return line.split("=", 1)[1].strip()
    return None


class Test:
    def __init__(self, app, filter_path, ppd_dir, out_dir, work):
        self.app, self.filter, self.ppd_dir, self.out_dir, self.work = (
            app, filter_path, ppd_dir, out_dir, work)
        self.port = free_port()
        self.env = dict(os.environ, SNAP_COMMON=work)
        self.device = os.path.join(work, "pocket.prn")
        open(self.device, "w").close()
        self.server = Process([app, "server", "-o", "server-port=%d" % self.port,
                               "-o", "listen-hostname=127.0.0.1", "-o", "log-level=debug",
                               "-o", "log-file=" + os.path.join(work, "server.log"),
                               "-o", "file-device-folder=" + work,
                               "-o", "server-options=web-tls"],
                              os.path.join(work, "server.out"), self.env)
        check(wait_until(lambda: answers(self.port), 10), "the server does not answer")
        added = subprocess.run([app, "add", "-d", "pocket", "-m", "paperang_203",
                                "-v", "file://" + self.device], env=self.env, timeout=30)
        check(added.returncode == 0, "cannot add a printer")
        self.label = os.path.join(work, "label.prn")
        open(self.label, "w").close()
        added = subprocess.run([app, "add", "-d", "label", "-m", "tspl_203",
                                "-v", "file://" + self.label], env=self.env, timeout=30)
        check(added.returncode == 0, "cannot add the label printer")

    def url(self, path):
        return "http://127.0.0.1:%d%s" % (self.port, path)

    def every_page_opens(self, browser):
        for path in PAGES:
            browser.open(self.url(path))
            check(self.server.alive(), "the server died on " + path)
        browser.open(self.url("/pocket/printing"))
        browser.screenshot(os.path.join(self.out_dir, "app-printing-defaults.png"))
        page = browser.source()
        for label in ("Dithering", "Floyd–Steinberg", "Threshold (no dithering)",
                      "Checksum seed", "(mm; 0 off)"):
            check(label in page, "no label '%s' on Printing Defaults" % label)
        check(browser.width('input[name="thermal-brightness"]')
              == browser.width('input[name="thermal-threshold"]'),
              "the Brightness box is not as wide as the others")

    def words_are_right(self, browser):
        browser.open(self.url("/pocket/media"))
        check('value="labels"' not in browser.source(), "a receipt printer offers labels")
        browser.open(self.url("/label/media"))
        browser.screenshot(os.path.join(self.out_dir, "app-media.png"))
        page = browser.source()
        for label in ("Media Tracking:", "Media Type:", 'value="labels"'):
            check(label in page, "no '%s' on the label printer's Media page" % label)
        browser.open(self.url("/"))
        check("/tls-new-crt" in browser.source(), "no TLS pages with web-tls")

    def calibrate_button(self, browser):
        browser.open(self.url("/label/"))
        browser.click('a[href$="/label/calibrate"]')
        browser.click('input[type="submit"]')
        check(wait_until(lambda: "Calibrating" in browser.source(), 10), "no calibration")
        with open(self.label, "rb") as f:
            check(f.read() == b"GAPDETECT\r\n", "the label printer got no GAPDETECT")

    def settings_become_defaults(self, browser):
        browser.open(self.url("/pocket/printing"))
        browser.click('select[name="thermal-dither"] option[value="threshold"]')
        browser.type('input[name="thermal-paperang-seed"]', SEED)
        browser.click('input[type="submit"]')
        check(wait_until(lambda: "Changes saved." in browser.source(), 10), "not saved")
        uri = self.url("/ipp/print/pocket").replace("http:", "ipp:")
        check(printer_default(uri, "thermal-dither-default", self.work) == "threshold",
              "dithering default not changed")
        check(printer_default(uri, "thermal-paperang-seed-default", self.work) == SEED,
              "seed default not changed")

    def next_job_uses_them(self):
        page = os.path.join(self.work, "page.pwg")
        gray_page(page)
        subprocess.run([self.app, "submit", "-d", "pocket", page], env=self.env, check=True,
                       timeout=30, stdout=subprocess.DEVNULL)
        ppd = os.path.join(self.work, "keyed.ppd")
        shutil.copy(os.path.join(self.ppd_dir, "papr-203.ppd"), ppd)
        with open(ppd, "a") as f:
            f.write('*thermalPaperangSeed: "%s"\n' % SEED)
        expected = run_filter(self.filter, ppd, page, "ImageFilter=0")
        unchanged = run_filter(self.filter, os.path.join(self.ppd_dir, "papr-203.ppd"), page, "")
        check(expected != unchanged, "the settings change nothing on this page")

        def printed():
            with open(self.device, "rb") as f:
                return f.read()
        check(wait_until(lambda: printed() == expected, 20),
              "job bytes (%d) are not the filter's with the new settings (%d)"
              % (len(printed()), len(expected)))


def main():
    if len(sys.argv) != 5:
        print(__doc__)
        return 1
    app, filter_path, ppd_dir, out_dir = (os.path.abspath(a) for a in sys.argv[1:])
    chromedriver = shutil.which("chromedriver")
    if not chromedriver or not shutil.which("chromium"):
        print("SKIP: chromium or chromedriver is not installed")
        return SKIP
    binary = "/usr/lib/chromium/chromium" if os.path.exists("/usr/lib/chromium/chromium") else None
    os.makedirs(out_dir, exist_ok=True)
    work = tempfile.mkdtemp(prefix="web-settings-")
    test = driver = browser = None
    try:
        test = Test(app, filter_path, ppd_dir, out_dir, work)
        driver_port = free_port()
        driver = Process([chromedriver, "--port=%d" % driver_port],
                         os.path.join(work, "chromedriver.log"))
        check(wait_until(lambda: answers(driver_port), 20), "chromedriver does not answer")
        browser = WebDriver(driver_port, binary, os.path.join(work, "profile"))
        test.every_page_opens(browser)
        test.words_are_right(browser)
        test.calibrate_button(browser)
        test.settings_become_defaults(browser)
        test.next_job_uses_them()
        print("PASS: pages, words, calibration, form, defaults and job bytes")
        return 0
    except (Failure, subprocess.SubprocessError, OSError) as e:
        print("FAIL: %s (work folder %s kept)" % (e, work))
        work = None
        return 1
    finally:
        if browser:
            try:
                browser.quit()
            except (Failure, OSError):
                pass
        if driver:
            driver.stop()
        if test:
            test.server.stop()
        if work:
            shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
