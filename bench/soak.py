#!/usr/bin/env python3
"""The soak run behind bench/soak.sh: veltrana with its schedule sped up against socialsim
with random faults, while the control API adds news, statuses and friends all along.

Every second it checks that veltrana is still running, that every cache file in the
DataFolder is whole and well formed, and that every marker only moves forward; it samples
the resident set size. At the end it checks that each marker due in the run moved, that the
RSS stayed within 10% of its value after the first minute (half the run for runs under two
minutes), and prints one line of figures. Exit code 0 when every check held."""

import json
import os
import sqlite3
import random
import re
import signal
import subprocess
import sys
import tempfile
import time
import urllib.error
import urllib.request

HOUR_MS = 3600 * 1000

# The cache files and the fields each line has at least (every field closed by "*").
CACHE_FILES = {"bf.txt": 7, "bf1.txt": 4, "vt_s.txt": 7, "rel.txt": 2, "bdate.txt": 2,
               "status.txt": 4}
LINE = re.compile(rb"^[0-9]+\*")

# Markers, each with the schedule period (ms) after which it has to have moved: a timer's
# firings, or the time a cache file was last replaced by the timer's work.
MARKERS = {
    "timer 1 firings": 30 * 60 * 1000,
    "timer 9 firings": 3 * HOUR_MS,
    "timer 10 firings": 3 * HOUR_MS,
    "timer 3 firings": 12 * HOUR_MS,
    "timer 6 firings": 12 * HOUR_MS,
    "timer 8 firings": 12 * HOUR_MS,
    "status.txt replaced": 3 * HOUR_MS,
    "bf1.txt replaced": 30 * 60 * 1000,
    "rel.txt replaced": 12 * HOUR_MS,
    "bf.txt replaced": 12 * HOUR_MS,   # friends are added all along: timer 3 fetches again
    "requests served": 30 * 60 * 1000,
    # The notification poller's markers in the settings store: the wall count and the newest
    # message only grow in this run's world, so neither may ever go back.
    "WallCount": 30 * 60 * 1000,
    "Message": 30 * 60 * 1000,
}

# The REST methods veltrana calls and the picture folder of socialsim.
REST_METHODS = ["facebook.fql.query", "facebook.notifications.get", "facebook.users.setStatus",
                "facebook.photos.upload", "*"]
FAULT_ACTIONS = ["none", "http500", "close", "cut", "error"]
# Error codes that make a call fail without saying that the session is gone.
ERROR_CODES = [1, 2, 4, 17, 100, 606]


def fail(message):
    print("soak: FAILED: " + message, file=sys.stderr)
    sys.exit(1)


class Sim:
    def __init__(self, url, token):
        self.url = url
        self.token = token
        self.errors = 0

    def call(self, method, path, body=None, timeout=5):
        data = None if body is None else json.dumps(body).encode()
        request = urllib.request.Request(self.url + path, data=data, method=method,
                                         headers={"Content-Type": "application/json",
                                                  "X-Socialsim-Token": self.token})
        try:
            with urllib.request.urlopen(request, timeout=timeout) as reply:
                return reply.status, reply.read()
        except urllib.error.HTTPError as error:
            return error.code, error.read()
        except (urllib.error.URLError, OSError):
            self.errors += 1
            return 0, b""

    def control(self, path, body=None):
        return self.call("POST", "/_sim" + path, body or {})[0]

    def get(self, path):
        status, body = self.call("GET", "/_sim" + path)
        if status != 200:
            return None
        try:
            return json.loads(body)
        except ValueError:
            return None


def rss_kb(pid):
    try:
        with open("/proc/%d/status" % pid) as status:
            for line in status:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return None


def check_cache_file(path, fields):
    """None when the file is missing or whole and well formed, else what is wrong."""
    try:
        with open(path, "rb") as f:
            content = f.read()
    except FileNotFoundError:
        return None
    if not content:
        return None
    if not content.endswith(b"\n"):
        return "does not end with a line feed (cut?)"
    for number, line in enumerate(content[:-1].split(b"\n"), 1):
        if not LINE.match(line) or line.count(b"*") < fields or b"\r" in line:
            return "line %d malformed: %r" % (number, line[:120])
    return None


def poller_markers(settings):
    """WallCount and Message as the poller stored them (0 while missing), read without
    taking the store's write lock."""
    found = {"WallCount": 0, "Message": 0}
    try:
        db = sqlite3.connect("file:%s?mode=ro" % settings, uri=True, timeout=1)
        try:
            rows = db.execute("SELECT name, data FROM vals WHERE key = ? COLLATE NOCASE",
                              ("SOFTWARE\\Corvanta\\Facebook",)).fetchall()
        finally:
            db.close()
    except sqlite3.Error:
        return found
    for name, data in rows:
        for marker in found:
            if name.lower() == marker.lower() and len(data) == 4:
                found[marker] = int.from_bytes(data, "little")
    return found


def main():
    minutes = float(sys.argv[1]) if len(sys.argv) > 1 else 10.0
    build = os.environ.get("BUILD_DIR", "build")
    duration = int(minutes * 60)
    divisor = int(os.environ.get("SOAK_DIVISOR", "600" if minutes >= 5 else "1800"))
    max_delay_ms = int(os.environ.get("SOAK_MAX_DELAY_MS", "80000"))
    fault_rate = float(os.environ.get("SOAK_FAULT_RATE", "0.15"))
    seed = int(os.environ.get("SOAK_SEED", str(int(time.time()))))
    rng = random.Random(seed)
    print("soak: seed %d (SOAK_SEED=%d repeats the run's world)" % (seed, seed), flush=True)
    baseline_at = 60 if duration >= 120 else duration // 2

    veltrana = os.path.join(build, "app", "veltrana")
    socialsim = os.path.join(build, "simulator", "socialsim")
    seeder = os.path.join(build, "tests", "app", "veltrana_seed_session")
    for program in (veltrana, socialsim, seeder):
        if not os.access(program, os.X_OK):
            fail("%s is missing; build it: cmake --build %s" % (program, build))

    work = tempfile.mkdtemp(prefix="veltrana-soak.")
    data_folder = os.path.join(work, "pf", "Veltrana")
    runtime = os.path.join(work, "runtime")
    for folder in (data_folder, os.path.join(work, "config"), os.path.join(work, "home"),
                   os.path.join(work, "home", "Documents")):
        os.makedirs(folder, exist_ok=True)
    os.makedirs(runtime, mode=0o700, exist_ok=True)
    # The companion browser is never needed: a stand-in that says it is ready.
    browser = os.path.join(data_folder, "orbisview")
    with open(browser, "w") as f:
        f.write('#!/bin/sh\nexec 3<>"$VELTRANA_RUNTIME_DIR/event.IE_READY" && printf x >&3\n')
    os.chmod(browser, 0o755)

    processes = []

    def stop_all():
        for process in reversed(processes):
            if process.poll() is None:
                process.send_signal(signal.SIGTERM)
                try:
                    process.wait(10)
                except subprocess.TimeoutExpired:
                    process.kill()

    sim_out = open(os.path.join(work, "socialsim.out"), "w+")
    sim_process = subprocess.Popen(
        [socialsim, "--port", "0", "--friends", "150", "--session-lifetime", "0",
         "--seed", str(seed % 100000)], stdout=sim_out, stderr=subprocess.STDOUT)
    processes.append(sim_process)
    try:
        url = token = None
        for _ in range(100):
            # The token line comes first, then the address line.
            sim_out.seek(0)
            for line in sim_out.read().splitlines():
                if line.startswith("control token: "):
                    token = line.split(": ", 1)[1].strip()
                elif line.startswith("socialsim listening on "):
                    url = line.split("socialsim listening on ", 1)[1].strip()
            if url or sim_process.poll() is not None:
                break
            time.sleep(0.1)
        if not url or not token:
            fail("socialsim did not start")
        sim = Sim(url, token)

        env = dict(os.environ)
        env.update({
            "HOME": os.path.join(work, "home"), "XDG_CONFIG_HOME": os.path.join(work, "config"),
            "XDG_DOCUMENTS_DIR": os.path.join(work, "home", "Documents"),
            "VELTRANA_RUNTIME_DIR": os.path.join(runtime, "veltrana"),
            "VELTRANA_PROGRAM_FILES": os.path.join(work, "pf"),
            "VELTRANA_REST_URL": url + "/restserver.php", "VELTRANA_MOBILE_URL": url,
            "VELTRANA_LOGIN_URL": url + "/login.php?auth_token=", "VELTRANA_AD_URL": url,
            "VELTRANA_SITE_URL": url, "VELTRANA_NO_CONNMGR": "1", "VELTRANA_TRACE": "1",
            "VELTRANA_MESSAGEBOX": "log",
            "QT_QPA_PLATFORM": os.environ.get("SOAK_QPA", "offscreen"),
        })
        env.pop("VELTRANA_MESSAGEBOX_ANSWERS", None)
        settings = os.path.join(work, "config", "Veltrana", "registry.db")
        os.makedirs(os.path.dirname(settings), exist_ok=True)
        if subprocess.run([seeder, url, settings, os.path.join(work, "home", "Documents")],
                          env=dict(env, SOCIALSIM_CONTROL_TOKEN=token),
                          stdout=subprocess.DEVNULL).returncode != 0:
            fail("no session could be stored")

        # A user who has chosen best friends: timer 1 refreshes their statuses.
        friends = [f for f in (sim.get("/friends") or {}).get("friends", [])]
        with open(os.path.join(data_folder, "bf1.txt"), "w") as best:
            for f in friends[:12]:
                name = re.sub(r"[*\r\n]", " ", f["name"])  # as the cache lines keep it
                best.write("%d*%s***#1\n" % (f["uid"], name))

        log_path = os.path.join(work, "veltrana.out")
        log = open(log_path, "wb")
        err = open(os.path.join(work, "veltrana.err"), "wb")
        program = subprocess.Popen([veltrana, "--test-timer-divisor=%d" % divisor], env=env,
                                   stdout=log, stderr=err)
        processes.append(program)

        def output():
            with open(log_path, "rb") as f:
                return f.read()

        started = time.time()
        while b"main window shown\n" not in output():
            if program.poll() is not None:
                fail("veltrana ended during start-up with %d" % program.returncode)
            if time.time() - started > 120:
                fail("veltrana did not show its main window within 120 s")
            time.sleep(0.2)

        # Faults begin once the start-up synchronisation is done: at start a failure ends the
        # program, as it should.
        chaos = sim.control("/chaos", {"rate": fault_rate, "seed": seed,
                                       "max_delay_ms": max_delay_ms,
                                       "actions": FAULT_ACTIONS}) == 200
        friends = [f["uid"] for f in friends]
        values = {name: [] for name in MARKERS}
        seq = 0
        served = 0
        faults = 0
        news = 0
        checks = 0
        baseline_rss = None
        max_rss = 0
        end = time.time() + duration
        second = 0
        while time.time() < end:
            tick = time.time()
            second += 1
            if program.poll() is not None:
                fail("veltrana ended after %d s with %d (see %s)" % (second, program.returncode,
                                                                   work))
            for name, fields in CACHE_FILES.items():
                problem = check_cache_file(os.path.join(data_folder, name), fields)
                if problem:
                    fail("%s %s after %d s" % (name, problem, second))
            checks += 1

            out = output()
            now = {}
            for timer in (1, 3, 6, 8, 9, 10):
                now["timer %d firings" % timer] = out.count(b"timer %d fired\n" % timer)
            for name in ("status.txt", "bf1.txt", "rel.txt", "bf.txt"):
                try:
                    now[name + " replaced"] = os.stat(os.path.join(data_folder, name)).st_mtime_ns
                except FileNotFoundError:
                    now[name + " replaced"] = 0
            listed = sim.get("/requests?after=%d" % seq)
            if listed is not None:
                for entry in listed.get("requests", []):
                    seq = max(seq, int(entry.get("seq", seq)))
                    served += 1
            now["requests served"] = served
            now.update(poller_markers(settings))
            for name, value in now.items():
                if values[name] and value < values[name][-1][1]:
                    fail("%s went back from %d to %d" % (name, values[name][-1][1], value))
                values[name].append((second, value))

            rss = rss_kb(program.pid)
            if rss:
                if second >= baseline_at and baseline_rss is None:
                    baseline_rss = rss
                if baseline_rss is not None:
                    max_rss = max(max_rss, rss)

            # The world changes all along: news, statuses, friends, relationships.
            if friends:
                uid = rng.choice(friends)
                choice = rng.randrange(8)
                if choice == 0:
                    code = sim.control("/status", {"uid": uid, "message": "soak %d" % second,
                                                   "time": int(time.time())})
                elif choice == 1:
                    code = sim.control("/wall_count", {"add": 1 + second % 3})
                elif choice == 2:
                    code = sim.control("/messages", {"unread": second % 7,
                                                     "most_recent": int(time.time())})
                elif choice == 3:
                    code = sim.control("/friend_requests", {"name": "Soak Request %d" % second})
                elif choice == 4:
                    code = sim.control("/group_invites", {"name": "Soak Group %d" % second})
                elif choice == 5:
                    code = sim.control("/event_invites", {"name": "Soak Event %d" % second})
                elif choice == 6:
                    code = sim.control("/friends/add", {})
                else:
                    code = sim.control("/relationship", {
                        "uid": uid, "relationship_status":
                        rng.choice(["Single", "Married", "Engaged", "It's Complicated"])})
                news += code == 200
            # The poller's markers are checked at the end, so each stretch of the run has a
            # cause to move them: a wall post and a newer message every few seconds, beside
            # the random world (which alone leaves a half minute without either now and then).
            if second % 4 == 0:
                news += sim.control("/wall_count", {"add": 1}) == 200
                news += sim.control("/messages", {"unread": 1 + second % 5,
                                                  "most_recent": int(time.time())}) == 200
            if not chaos and rng.random() < fault_rate:
                action = rng.choice(FAULT_ACTIONS)
                # One delay in four goes past the time-outs; each of those holds a run (and
                # timer 1 the whole window) until its time-out.
                long_delay = action == "none" and rng.random() < 0.25
                rule = {"match": rng.choice(REST_METHODS), "count": rng.randint(1, 3),
                        "delay_ms": rng.randint(16000, max(16000, max_delay_ms)) if long_delay
                        else rng.randint(0, 2000), "action": action}
                if action == "error":
                    rule["error_code"] = rng.choice(ERROR_CODES)
                faults += sim.control("/faults", rule) == 200
            time.sleep(max(0.0, 1.0 - (time.time() - tick)))

        if program.poll() is not None:
            fail("veltrana ended at the end with %d" % program.returncode)
        window = second - baseline_at
        for name, period_ms in MARKERS.items():
            after = [v for s, v in values[name] if s >= baseline_at]
            if not after:
                continue
            # Due: at least two periods of the marker fit into the part after the baseline.
            if 2 * period_ms / divisor / 1000.0 <= window and after[-1] <= after[0]:
                fail("%s did not move after the first %d s (stayed %d)" % (name, baseline_at,
                                                                           after[0]))
        for name in ("WallCount", "Message"):
            if not values[name] or values[name][-1][1] <= 0:
                fail("the notification marker %s never moved" % name)
        growth = (max_rss - baseline_rss) * 100.0 / baseline_rss if baseline_rss else 0.0
        if baseline_rss and max_rss > baseline_rss * 1.10:
            fail("RSS grew from %d kB to %d kB (+%.1f%%)" % (baseline_rss, max_rss, growth))
        skipped = output().count(b"has not ended; timer")
        firings = sum(values["timer %d firings" % t][-1][1] for t in (1, 3, 6, 8, 9, 10))
        print("soak: %.1f min, schedule x%d (%.1f h), %s faults (%s), requests %d, "
              "timer firings %d (timer 1: %d), skipped runs %d, news %d, cache checks %d x %d "
              "files bad 0, RSS %d kB at %d s, max %d kB (%+.1f%%), veltrana running, seed %d"
              % (minutes, divisor, duration * divisor / 3600.0,
                 "chaos" if chaos else "injected", "rate %.2f" % fault_rate if chaos
                 else "%d rules" % faults, served, firings,
                 values["timer 1 firings"][-1][1], skipped, news, checks, len(CACHE_FILES),
                 baseline_rss or 0, baseline_at, max_rss, growth, seed))
    finally:
        stop_all()
    if os.environ.get("SOAK_KEEP") != "1":
        subprocess.run(["rm", "-rf", work])
    else:
        print("soak: files kept in " + work)
    return 0


if __name__ == "__main__":
    sys.exit(main())
