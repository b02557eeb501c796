#!/usr/bin/python3
"""Bluetooth LE printers through a fake BlueZ (tools/sim/ble/thermal-ble-sim).

One private server and one fake BlueZ on a private system bus; the rows of
SCENARIOS run against them in turn. Exit 77 when dbus-daemon or
python3-dbusmock is missing.

usage: ble_printing.py APP SIM BLE_SIM BACKEND WORKDIR
"""

import http.cookiejar
import os
import re
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time
import urllib.parse
import urllib.request

APP, SIM, BLE_SIM, BACKEND, WORK_ROOT = sys.argv[1:6]


class Failure(Exception):
    pass


def check(condition, what):
    if not condition:
        raise Failure(what)


def wait_until(done, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if done():
            return True
        time.sleep(0.1)
    return done()


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def read(path):
    try:
        with open(path, "rb") as f:
            return f.read()
    except OSError:
        return b""


def receipt(path):
    """A 58 x 100 mm receipt page: 8-bit gray PWG raster at 203 dpi."""
    ps = ("/Helvetica findfont 14 scalefont setfont "
          "0 1 20 { dup 12 mul 20 add 260 exch sub 10 exch moveto (Item  12.50  thermal) show pop } for "
          "0 1 31 { dup 32 div setgray 4 mul 10 add 10 4 20 rectfill } for showpage")
    subprocess.run(["gs", "-q", "-dSAFER", "-sDEVICE=pwgraster", "-r203", "-g464x799",
                    "-dcupsColorSpace=18", "-dcupsBitsPerColor=8", "-o", path, "-c", ps],
                   check=True, timeout=60)


# Printers of the fake: name, address, GATT kind, options of thermal-ble-sim.
PRINTERS = [
    ("GB02", "AA:BB:CC:00:00:01", "cat", "language=%s,xoff_every=4000"),
    ("POS-58 BLE", "AA:BB:CC:00:00:02", "uart", ""),
    ("Paperang P2", "AA:BB:CC:00:00:03", "paperang", "mtu=185"),
    ("MTP-II", "AA:BB:CC:00:00:04", "ff00", "paper_out_after=0"),
    ("RPP02N", "AA:BB:CC:00:00:05", "ff00", "drop_after=3000"),
    ("Printer", "AA:BB:CC:00:00:06", "uart", "hide_uuids=1,language=none"),
    ("Speaker", "AA:BB:CC:00:00:07", "unknown", "hide_uuids=1,language=none"),
    ("GB03", "AA:BB:CC:00:00:08", "cat", "language=escpos,xoff_every=2000"),
    ("PT-210", "AA:BB:CC:00:00:09", "uart", "mtu=185"),
    ("PT-211", "AA:BB:CC:00:00:0A", "uart", "drop_after=3000"),
    ("B21-C2B", "AA:BB:CC:00:00:0B", "niimbot", ""),
    ("Mr.in_M02", "AA:BB:CC:00:00:0C", "phomemo", "paper_out_after=0"),
] + [("POS-%d" % i, "AA:BB:CC:00:01:%02d" % i, "ff00", "mtu=100") for i in range(5)]


class Bench:
    def __init__(self, work):
        self.work = work
        self.fake = self.server = None
        self.submitters = []
        try:
            self.start(work)
        except BaseException:
            self.stop()
            raise

    def start(self, work):
        self.out = os.path.join(work, "ble")
        self.page = os.path.join(work, "receipt.pwg")
        receipt(self.page)
        args = [BLE_SIM, "--bus-dir", os.path.join(work, "bus"), "--out", self.out, "--sim", SIM]
        # The cat printer is simulated once the simulator speaks its language.
        usage = subprocess.run([SIM, "--help"], capture_output=True, text=True).stdout
        cat = "cat" if "|cat" in usage else "none"
        for name, address, kind, extra in PRINTERS:
            extra = extra % cat if "%s" in extra else extra
            args += ["--printer", ",".join(filter(None, [name, address, kind, extra]))]
        self.fake = subprocess.Popen(args, stdout=subprocess.PIPE, text=True,
                                     stderr=open(os.path.join(work, "ble-sim.err"), "w"))
        line = self.fake.stdout.readline().strip()
        check(line.startswith("DBUS_SYSTEM_BUS_ADDRESS="), "the fake BlueZ did not start")
        self.env = dict(os.environ, SNAP_COMMON=work, DBUS_SYSTEM_BUS_ADDRESS=line.split("=", 1)[1])
        self.port = free_port()
        self.server = self.start_server(self.env, "server", self.port)
        self.added = set()

    def start_server(self, env, name, port=None):
        port = port or free_port()
        log = os.path.join(self.work, name + ".log")
        proc = subprocess.Popen([APP, "server", "-o", "server-port=%d" % port,
                                 "-o", "listen-hostname=127.0.0.1", "-o", "log-level=debug",
                                 "-o", "log-file=" + log, "-o", "file-device-folder=" + self.work],
                                stdout=subprocess.DEVNULL, stderr=subprocess.STDOUT, env=env)
        if not wait_until(lambda: "Bluetooth LE printers" in read(log).decode(errors="replace"), 60):
            os.kill(proc.pid, signal.SIGKILL)
            proc.wait()
            raise Failure("the server logged nothing about Bluetooth LE")
        return proc, log

    def app(self, *args, timeout=60):
        out = subprocess.run([APP, *args], env=self.env, capture_output=True, text=True,
                             timeout=timeout)
        return out.returncode, out.stdout + out.stderr

    def add(self, name, driver, uri):
        rc, out = self.app("add", "-d", name, "-m", driver, "-v", uri)
        check(rc == 0, "cannot add %s: %s" % (name, out))

    def submit(self, name):
        rc, out = self.app("submit", "-d", name, self.page)
        check(rc == 0, "submit to %s failed: %s" % (name, out))

    def submit_waiting(self, name):
        """Submits a job the printer holds: the page streams as it prints."""
        proc = subprocess.Popen([APP, "submit", "-d", name, self.page], env=self.env,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.submitters.append(proc)

    def job_states(self, name):
        rows = [line.split() for line in self.app("jobs", "-d", name)[1].splitlines()]
        return [row[1] for row in rows if len(row) > 1]

    def wait_jobs(self, name, count, seconds=90):
        ended = ("completed", "aborted", "canceled")
        check(wait_until(lambda: len([s for s in self.job_states(name) if s in ended]) >= count,
                         seconds), "%s: jobs did not end: %s" % (name, self.job_states(name)))
        return self.job_states(name)

    def dir(self, address):
        return os.path.join(self.out, address.replace(":", "_"))

    def file_bytes(self, driver):
        """What the driver makes for the page over a file device."""
        name = "file_" + driver
        path = os.path.join(self.work, name + ".prn")
        if name not in self.added:
            open(path, "wb").close()
            self.add(name, driver, "file://" + path)
            self.added.add(name)
            self.submit(name)
            self.wait_jobs(name, 1)
        return read(path)

    def log(self):
        # The server starts a new log at 1 MiB and keeps the last one as ".O".
        return (read(self.server[1] + ".O") + read(self.server[1])).decode(errors="replace")

    def stop(self):
        for proc in self.submitters:
            try:
                proc.wait(timeout=30)
            except subprocess.TimeoutExpired:
                os.kill(proc.pid, signal.SIGKILL)
                proc.wait()
        for proc in (self.server and self.server[0], self.fake):
            if proc and proc.poll() is None:
                os.kill(proc.pid, signal.SIGTERM)
                try:
                    proc.wait(timeout=15)
                except subprocess.TimeoutExpired:
                    os.kill(proc.pid, signal.SIGKILL)
                    proc.wait()


def drivers(bench):
    return bench.app("drivers")[1]


def paperang_packet(wire, at):
    """A Paperang packet (A5 01 LEN(2) ... CRC(4) 5A): its size, or 0."""
    return wire[at + 2] + 256 * wire[at + 3] + 9 if at + 4 <= len(wire) and wire[at] == 0xA5 else 0


def niimbot_packet(wire, at):
    """A NIIMBOT packet (55 55 CMD LEN ... CHK AA AA): its size, or 0."""
    return wire[at + 3] + 7 if at + 4 <= len(wire) and wire[at:at + 2] == b"\x55\x55" else 0


def writes_hold_whole_packets(wire, writes, payload, packet=paperang_packet):
    """A write ends where a packet ends, unless the packet is longer than one
    write."""
    ends, at = set(), 0
    while packet(wire, at):
        size = packet(wire, at)
        ends.update(range(at + payload, at + size, payload))  # a long packet's own cuts
        at += size
        ends.add(at)
    check(at == len(wire), "the bytes are not whole packets")
    at = 0
    for size in writes:
        at += size
        check(at in ends, "a write ends at byte %d inside a packet" % at)


CAT_QUERY = [bytes.fromhex("5178a30001000000ff")]  # a cat printer's status query
ESCPOS_QUERIES = [bytes([0x10, 0x04, n]) for n in range(1, 5)]  # DLE EOT n
# NIIMBOT's heartbeat, progress query and print end (asked again after a page), model id query
NIIMBOT_QUERIES = [bytes.fromhex("5555" + c + "0101" + c + "aaaa") for c in ("dc", "a3", "f3")] + [
    bytes.fromhex("555540010849aaaa")]


def without(data, queries):
    for query in queries:
        data = data.replace(query, b"")
    return data


def prints_same_bytes(bench, address, driver, received, whole_packets=None, queries=()):
    """The printer receives exactly what the driver makes over a file device."""
    if driver not in drivers(bench):
        return "skipped: no driver " + driver
    name = "ble_" + address[-2:]
    bench.add(name, driver, "ble://" + address.replace(":", "-"))
    bench.submit(name)
    check(bench.wait_jobs(name, 1) == ["completed"], "%s: job not completed" % name)
    # Status queries aside: the link asks between pages, a file is not asked.
    expected = without(bench.file_bytes(driver), queries)
    got = without(read(os.path.join(bench.dir(address), received)), queries)
    check(len(expected) > 1000 and got == expected,
          "%s: %d bytes received, %d made over a file device" % (name, len(got), len(expected)))
    writes = [int(n) for n in read(os.path.join(bench.dir(address), "writes.txt")).split()]
    # Against sending every dot line of the 384-dot head on its own.
    extra = dict(kv.split("=") for p in PRINTERS if p[1] == address for kv in p[3].split(",") if kv)
    payload = int(extra.get("mtu", 23)) - 3
    if whole_packets:
        writes_hold_whole_packets(read(os.path.join(bench.dir(address), "wire.bin")), writes,
                                  payload, whole_packets)
    lines = 799
    return "%d bytes in %d writes (largest %d); every line alone: %d bytes in %d writes" % (
        sum(writes), len(writes), max(writes), lines * 48, lines * -(-48 // payload))


def device_path(address):
    return "/org/bluez/hci0/dev_" + address.replace(":", "_")


def sim_call(bench, address, method):
    """One of the fake printer's org.thermal.SimPrinter methods."""
    subprocess.run(["gdbus", "call", "--system", "--dest", "org.bluez", "--object-path",
                    device_path(address), "--method", "org.thermal.SimPrinter." + method],
                   env=bench.env, check=True, capture_output=True, timeout=10)


def start_streaming(bench, name, address):
    """Submits the page; its job id and the printer's earlier byte count once
    the job's bytes flow."""
    wire = os.path.join(bench.dir(address), "wire.bin")
    before = len(read(wire))
    bench.submit_waiting(name)
    check(wait_until(lambda: len(read(wire)) > before + 2000, 30), name + ": no bytes arrived")
    rows = [line.split() for line in bench.app("jobs", "-d", name)[1].splitlines()]
    printing = [row[0] for row in rows if len(row) > 1 and row[1] == "processing"]
    check(printing, "%s: the job ended before the test could act: %s" % (name, rows))
    return printing[0], before


def paper_out_holds_job(bench, address="AA:BB:CC:00:00:04", driver="escpos_58", name="ble_paper"):
    bench.add(name, driver, "ble://" + address.replace(":", "-"))
    bench.submit_waiting(name)
    check(wait_until(lambda: "media-empty" in bench.app("status", "-d", name)[1], 30),
          "paper out did not show media-empty: " + bench.app("status", "-d", name)[1])
    check(not [s for s in bench.job_states(name) if s == "completed"], "printed without paper")
    sim_call(bench, address, "LoadPaper")
    check(bench.wait_jobs(name, 1) == ["completed"], "the job did not print after loading paper")
    check(os.path.exists(os.path.join(bench.dir(address), "page-0001.png")),
          "no page printed")
    return "held, then printed"


def drop_ends_job(bench):
    name = "ble_drop"
    bench.add(name, "escpos_58", "ble://AA-BB-CC-00-00-05")
    bench.submit_waiting(name)
    check(bench.wait_jobs(name, 1) == ["aborted"], "the job did not stop when the link dropped")
    check("dropped the link" in bench.log(), "no clear message for the dropped link")
    check("offline" in bench.app("status", "-d", name)[1], "the printer is not shown offline")
    bench.submit_waiting(name)
    time.sleep(2)  # the job waits for the printer; nothing is timed here
    sim_call(bench, "AA:BB:CC:00:00:05", "Back")
    states = bench.wait_jobs(name, 2)
    check(states.count("completed") == 1, "the next job did not print after reconnect: %s" % states)
    check("offline" not in bench.app("status", "-d", name)[1], "still offline")
    return "ended with a message; next job printed"


CAT_STOP = "[byte 0x51, 0x78, 0xae, 0x01, 0x01, 0x00, 0x10, 0x70, 0xff]"  # a cat printer's "stop"


def foreign_signals_ignored(bench):
    """Another bus client (not BlueZ) says the link dropped and the printer
    said stop: the job goes on and the printer gets every byte."""
    if "cat_203" not in drivers(bench):
        return "skipped: no driver cat_203"
    name, address = "ble_spoofed", "AA:BB:CC:00:00:01"
    bench.add(name, "cat_203", "ble://AA-BB-CC-00-00-01")
    expected = without(bench.file_bytes("cat_203"), CAT_QUERY)
    _, before = start_streaming(bench, name, address)
    for path, interface, props in (
            (device_path(address), "org.bluez.Device1", "{'Connected': <false>}"),
            (device_path(address) + "/service0010/char0013", "org.bluez.GattCharacteristic1",
             "{'Value': <%s>}" % CAT_STOP)):
        subprocess.run(["gdbus", "emit", "--system", "--object-path", path, "--signal",
                        "org.freedesktop.DBus.Properties.PropertiesChanged", interface, props,
                        "@as []"], env=bench.env, check=True, capture_output=True, timeout=10)
    # A stop taken for true would hold the job for 30 s.
    check(bench.wait_jobs(name, 1, 20) == ["completed"], "the job did not complete")
    got = without(read(os.path.join(bench.dir(address), "wire.bin"))[before:], CAT_QUERY)
    check(got == expected, "%d bytes received, %d made" % (len(got), len(expected)))
    return "job completed with all %d bytes" % len(got)


def cancel_within_seconds(bench):
    """Cancel while the printer said stop and never go on, and while BlueZ
    does not answer; SIGTERM to the backend while the printer said stop."""
    name, address = "ble_cancel", "AA:BB:CC:00:00:08"
    bench.add(name, "escpos_58", "ble://AA-BB-CC-00-00-08")
    bluez = int(read(os.path.join(bench.work, "bus", "bluez.pid")))

    def cancel(job):
        start = time.monotonic()
        bench.app("cancel", "-d", name, "-j", job)
        ended = lambda: [r for r in bench.app("jobs", "-d", name)[1].splitlines()
                         if r.split()[:2] == [job, "canceled"]]
        check(wait_until(ended, 40), "job %s was not cancelled" % job)
        return time.monotonic() - start

    job, _ = start_streaming(bench, name, address)
    sim_call(bench, address, "SayStop")
    time.sleep(0.5)  # the link is waiting for "go on"
    took = [cancel(job)]
    job, _ = start_streaming(bench, name, address)
    os.kill(bluez, signal.SIGSTOP)
    try:
        took.append(cancel(job))
    finally:
        os.kill(bluez, signal.SIGCONT)
    stream = bench.file_bytes("escpos_58")
    proc = subprocess.Popen([BACKEND, "3", "user", "title", "1", ""], stdin=subprocess.PIPE,
                            stderr=subprocess.PIPE, env=dict(bench.env, DEVICE_URI="ble://AA-BB-CC-00-00-08"))
    wire = os.path.join(bench.dir(address), "wire.bin")
    before = len(read(wire))
    proc.stdin.write(stream[:4000])
    proc.stdin.flush()
    check(wait_until(lambda: len(read(wire)) > before + 2000, 20), "the backend sent nothing")
    sim_call(bench, address, "SayStop")
    proc.stdin.write(stream[4000:])
    proc.stdin.flush()
    time.sleep(0.5)
    start = time.monotonic()
    os.kill(proc.pid, signal.SIGTERM)
    _, err = proc.communicate(timeout=40)
    took.append(time.monotonic() - start)
    check(proc.returncode == 0 and b"Job stopped" in err, "backend: exit %d" % proc.returncode)
    check(max(took) < 8, "cancel took %s s" % ["%.1f" % t for t in took])
    return "printer said stop %.1f s, BlueZ silent %.1f s, backend %.1f s" % tuple(took)


def five_at_once(bench):
    names = ["ble_five_%d" % i for i in range(5)]
    for i, name in enumerate(names):
        bench.add(name, "escpos_58", "ble://AA-BB-CC-00-01-%02d" % i)
    for name in names:
        bench.submit_waiting(name)
    expected = bench.file_bytes("escpos_58")
    for i, name in enumerate(names):
        check(bench.wait_jobs(name, 1) == ["completed"], name + " did not complete")
        got = read(os.path.join(bench.dir("AA:BB:CC:00:01:%02d" % i), "stream.bin"))
        check(got == expected, "%s received %d bytes, not its own job's %d" % (name, len(got), len(expected)))
    return "five printers, five whole jobs"


def discovery(bench):
    rc, out = bench.app("devices", "-o", "verbose", timeout=60)
    check(rc == 0, "devices failed: " + out)
    for address, driver in (("AA:BB:CC:00:00:01", "cat_203"), ("AA:BB:CC:00:00:02", "escpos_58"),
                            ("AA:BB:CC:00:00:03", "paperang_203"), ("AA:BB:CC:00:00:04", "escpos_58"),
                            ("AA:BB:CC:00:00:0B", "niimbot_b21_203"),
                            ("AA:BB:CC:00:00:0C", "phomemo_m02")):
        check(("ble://" + address.replace(":", "-")) in out and ("%s, driver %s" % (address, driver)) in out,
              "devices does not list %s with %s:\n%s" % (address, driver, out))
    check("AA:BB:CC:00:00:07" not in out and "AA:BB:CC:00:00:06" not in out,
          "devices lists what is not a printer")
    # The web page "Add Printer" lists it; the form with "Auto-Detect Driver" adds it.
    web = urllib.request.build_opener(urllib.request.HTTPCookieProcessor(http.cookiejar.CookieJar()))
    url = "http://127.0.0.1:%d/addprinter" % bench.port
    page = web.open(url, timeout=60).read().decode()
    option = re.search(r'<option value="(ble://AA-BB-CC-00-00-02\|[^"]*)">POS-58 BLE', page)
    check(option, "the web page does not offer the printer")
    session = re.search(r'name="session" value="([^"]*)"', page).group(1)
    form = urllib.parse.urlencode({"session": session, "printer_name": "web_ble", "hostname": "",
                                   "device_uri": option.group(1), "driver_name": "auto"})
    web.open(url, form.encode(), timeout=60).read()
    check(wait_until(lambda: "[Printer web_ble] Driver supports raw printing of "
                             "'application/vnd.thermal-escpos'" in bench.log(), 10),
          "the web form did not add it with its driver")
    bench.submit("web_ble")
    check(bench.wait_jobs("web_ble", 1) == ["completed"], "the printer the web form added failed")
    # On the command line: a name that says nothing, a GATT service that does,
    # and one that names no printer.
    bench.add("auto_gatt", "auto", "ble://AA-BB-CC-00-00-06")
    check('Driver "escpos_58" found for ble://AA-BB-CC-00-00-06' in bench.log(),
          "the GATT service did not choose the driver")
    rc, out = bench.app("add", "-d", "auto_none", "-m", "auto", "-v", "ble://AA-BB-CC-00-00-07")
    check(rc == 1 and "Could not tell which language the printer at ble://AA-BB-CC-00-00-07 "
          "speaks; choose its driver." in out, "auto for an unknown service: %d %s" % (rc, out))
    return "listed with their drivers; added from the web page and with auto"


def without_bluez(bench):
    # A server of its own: one control socket takes one server.
    state = os.path.join(bench.work, "nobluez")
    os.makedirs(state, exist_ok=True)
    env = dict(bench.env, SNAP_COMMON=state,
               DBUS_SYSTEM_BUS_ADDRESS="unix:path=" + os.path.join(bench.work, "none"))
    proc, log = bench.start_server(env, "nobluez")
    try:
        text = read(log).decode(errors="replace")
        check("Bluetooth LE printers are unavailable: there is no D-Bus system bus" in text,
              "no reason given: " + text[-500:])
        check(proc.poll() is None, "the server stopped")
    finally:
        os.kill(proc.pid, signal.SIGTERM)
        proc.wait(timeout=15)
    return "server up, reason logged"


def cups_backend(bench):
    """The CUPS backend lists, prints, and exits as CUPS expects."""
    def run(uri, *args, stdin=None):
        env = dict(bench.env, DEVICE_URI=uri) if uri else bench.env
        return subprocess.run([BACKEND, *args], env=env, capture_output=True, text=True,
                              timeout=60, stdin=stdin)
    listed = run(None)
    check(listed.returncode == 0 and 'direct ble://AA-BB-CC-00-00-02 "POS-58 BLE"' in listed.stdout,
          "lpinfo would not list the printers: " + listed.stdout + listed.stderr)
    job = os.path.join(bench.work, "receipt.escpos")
    with open(job, "wb") as f:
        f.write(bench.file_bytes("escpos_58"))
    rows = [  # device URI, expected exit code, words of the message
        ("ble://AA-BB-CC-00-00-09", 0, ""),
        ("ble://AA-BB-CC-00-00-0A", 1, "dropped the link"),
        ("ble://AA-BB-CC-00-00-99", 6, "can't be reached"),
        ("ble://printer", 4, "is not a Bluetooth LE printer"),
    ]
    for uri, code, words in rows:
        out = run(uri, "1", "user", "title", "1", "", job)
        check(out.returncode == code and words in out.stderr,
              "%s: exit %d (%d expected): %s" % (uri, out.returncode, code, out.stderr[-300:]))
    check(read(os.path.join(bench.dir("AA:BB:CC:00:00:09"), "stream.bin")) == read(job),
          "the backend's printer did not receive the job's bytes")
    proc = subprocess.Popen([BACKEND, "2", "user", "title", "1", ""], stdin=subprocess.PIPE,
                            stderr=subprocess.PIPE, text=False,
                            env=dict(bench.env, DEVICE_URI="ble://AA-BB-CC-00-00-09"))
    proc.stdin.write(read(job)[:4000])
    proc.stdin.flush()
    check(wait_until(lambda: len(read(os.path.join(bench.dir("AA:BB:CC:00:00:09"), "wire.bin")))
                     > len(read(job)), 20), "the cancelled job never started")
    os.kill(proc.pid, signal.SIGTERM)
    _, err = proc.communicate(timeout=30)
    check(proc.returncode == 0 and b"Job stopped" in err, "cancel: exit %d" % proc.returncode)
    return "lists, prints, exits 1/6/4 on errors, 0 on cancel"


SCENARIOS = [
    ("cat printer prints the driver's bytes",
     lambda b: prints_same_bytes(b, "AA:BB:CC:00:00:01", "cat_203", "wire.bin", queries=CAT_QUERY)),
    ("ESC/POS printer prints the driver's bytes",
     lambda b: prints_same_bytes(b, "AA:BB:CC:00:00:02", "escpos_58", "wire.bin", queries=ESCPOS_QUERIES)),
    ("a printer that says stop and go on gets every byte",
     lambda b: prints_same_bytes(b, "AA:BB:CC:00:00:08", "escpos_58", "wire.bin", queries=ESCPOS_QUERIES)),
    ("Paperang printer prints the driver's bytes",
     lambda b: prints_same_bytes(b, "AA:BB:CC:00:00:03", "paperang_203", "stream.bin",
                                 paperang_packet)),
    ("NIIMBOT printer prints the driver's bytes, a packet per write",
     lambda b: prints_same_bytes(b, "AA:BB:CC:00:00:0B", "niimbot_b21_203", "wire.bin",
                                 niimbot_packet, NIIMBOT_QUERIES)),
    ("paper out holds the job until paper is loaded", paper_out_holds_job),
    ("Phomemo answering on ff03: paper out holds the job",
     lambda b: paper_out_holds_job(b, "AA:BB:CC:00:00:0C", "phomemo_m02", "ble_phomemo")),
    ("a dropped link ends the job; the next prints", drop_ends_job),
    ("signals from another bus client neither end nor stall a job", foreign_signals_ignored),
    ("a cancel ends a job within seconds", cancel_within_seconds),
    ("five printers print at once", five_at_once),
    ("discovery lists the printers", discovery),
    ("without BlueZ the server starts and says why", without_bluez),
    ("the CUPS backend", cups_backend),
]


def main():
    if not shutil.which("dbus-daemon") or subprocess.run(
            [sys.executable, "-c", "import dbusmock"], capture_output=True).returncode != 0:
        print("dbus-daemon or python3-dbusmock missing")
        return 77
    os.makedirs(WORK_ROOT, exist_ok=True)
    work = tempfile.mkdtemp(prefix="ble-", dir=WORK_ROOT)
    bench = Bench(work)
    failed = 0
    try:
        only = os.environ.get("BLE_ONLY")
        for title, run in SCENARIOS:
            if only and not re.search(only, title):
                continue
            try:
                print("ok   %s: %s" % (title, run(bench)), flush=True)
            except (Failure, subprocess.SubprocessError) as e:
                failed += 1
                print("FAIL %s: %s" % (title, e), flush=True)
    finally:
        bench.stop()
    if failed:
        print("state kept in " + work)
    else:
        shutil.rmtree(work, ignore_errors=True)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
