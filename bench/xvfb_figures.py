#!/usr/bin/env python3
"""The figures of the real program in a real window, measured inside a
virtual X server (scripts/bench runs this under xvfb-run; by hand:
  xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" \\
      python3 bench/xvfb_figures.py build/bench [--quick]).

Prints one JSON object on its last line:
  menu_cpu_pct    processor time of the program idle at the main menu, as a
                  share of one core (user and system time of every thread,
                  from /proc/<pid>/stat), over 20 s
  event_cpu_pct   the same during a training of COMPUTER THROW played by four
                  computer players (KELVANTHROP_COMPUTER_TRAINING=1)
  present         the window presenter benchmark of kel_bench (wall and
                  processor time a frame, share of the 65 ms period; the
                  processor time counts the X server's, whose process id
                  the benchmark gets in KEL_XSERVER_PID)
  window_peak_mb  peak resident memory of one championship of four computer
                  players through the real shell with a real window
                  (the soak test's runner, unpaced)
A figure that could not be measured is null, with the reason in "notes".
"""
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

build = os.path.abspath(sys.argv[1])
quick = "--quick" in sys.argv[2:]
SPAN = 5.0 if quick else 20.0          # seconds each processor-time figure covers
TICK = os.sysconf("SC_CLK_TCK")
game = os.path.join(build, "kelvanthrop")
notes = {}

home = os.path.join(build, "bench-home-x")
for d in ("config", "data", "run"):
    os.makedirs(os.path.join(home, d), exist_ok=True)
os.chmod(os.path.join(home, "run"), 0o700)
env = dict(os.environ)
for var in ("KELVANTHROP_HEADLESS", "SDL_VIDEODRIVER", "KELVANTHROP_EXIT_AT_MENU",
            "KELVANTHROP_COMPUTER_TRAINING"):
    env.pop(var, None)
env.update({
    "XDG_CONFIG_HOME": os.path.join(home, "config"),
    "XDG_DATA_HOME": os.path.join(home, "data"),
    "XDG_RUNTIME_DIR": os.path.join(home, "run"),
    "KELVANTHROP_DATA_ROOT": os.path.join(build, "gamedata"),
    "SDL_AUDIODRIVER": "dummy",
})


def cpu_seconds(pid):
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICK  # utime + stime


def share_of_core(proc, seconds):
    """Processor time of the running process over the next `seconds`, as a
    percentage of one core; None when it ended meanwhile."""
    try:
        c0, t0 = cpu_seconds(proc.pid), time.monotonic()
        time.sleep(seconds)
        c1, t1 = cpu_seconds(proc.pid), time.monotonic()
    except OSError:
        return None
    if proc.poll() is not None:
        return None
    return 100.0 * (c1 - c0) / (t1 - t0)


def wait_for_line(log_path, text, proc, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        with open(log_path, "rb") as f:
            if text.encode() in f.read():
                return True
        if proc.poll() is not None:
            return False
        time.sleep(0.1)
    return False


def xdo(*args):
    try:
        subprocess.run(["xdotool"] + [str(a) for a in args], capture_output=True, timeout=20)
    except (OSError, subprocess.TimeoutExpired):
        pass


def stop(proc):
    if proc.poll() is None:
        proc.terminate()
        try:
            proc.wait(30)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()


def measure_menu():
    """The intro's two clips give way to Escape, as for a player; then the
    menu stands still but for its scrolling background."""
    with tempfile.NamedTemporaryFile(prefix="kel-menu-", suffix=".log", delete=False) as log:
        proc = subprocess.Popen([game], env=env, stdout=log, stderr=subprocess.STDOUT)
    try:
        if not shutil.which("xdotool"):
            # No keys to press: the two clips play to their end.
            time.sleep(30)
            share = share_of_core(proc, SPAN)
            if share is None:
                notes["menu"] = "the game ended at the menu"
            return share
        deadline = time.monotonic() + 30
        window = ""
        while time.monotonic() < deadline and not window and proc.poll() is None:
            r = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Kelvanthrop$"],
                               capture_output=True, text=True)
            window = r.stdout.split()[0] if r.stdout.split() else ""
            time.sleep(0.3)
        if not window:
            notes["menu"] = "the game showed no window"
            return None
        time.sleep(2)
        for _ in range(4):
            xdo("windowfocus", "--sync", window)
            xdo("key", "Escape")
            time.sleep(1.0)
        xdo("mousemove", 0, 0)  # off the window: the menu follows the mouse
        time.sleep(3)
        share = share_of_core(proc, SPAN)
        if share is None:
            notes["menu"] = "the game ended at the menu"
        return share
    finally:
        stop(proc)
        os.unlink(log.name)


def measure_event():
    with tempfile.NamedTemporaryFile(prefix="kel-event-", suffix=".log", delete=False) as log:
        e = dict(env, KELVANTHROP_COMPUTER_TRAINING="1")
        proc = subprocess.Popen([game], env=e, stdout=log, stderr=subprocess.STDOUT)
    try:
        if not wait_for_line(log.name, "computer training of event 1 starts", proc, 60):
            notes["event"] = "the computer training did not start"
            return None
        time.sleep(4)  # the loading picture and the fade in
        share = share_of_core(proc, SPAN)
        if share is None:
            notes["event"] = "the event was over before %g s" % SPAN
        return share
    finally:
        stop(proc)
        os.unlink(log.name)


def x_server_pid():
    """The process id of the X server of our display (xvfb-run's Xvfb), or
    None."""
    display = os.environ.get("DISPLAY", "")
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open("/proc/%s/cmdline" % entry, "rb") as f:
                argv = f.read().split(b"\0")
        except OSError:
            continue
        if argv and os.path.basename(argv[0]).startswith(b"Xvfb") and display.encode() in argv:
            return int(entry)
    return None


def measure_present():
    out = os.path.join(build, "bench-window-present.json")
    server = x_server_pid()
    if server is None:
        notes["present"] = "the X server's process was not found"
        return None
    e = dict(env, KEL_XSERVER_PID=str(server))
    cmd = [os.path.join(build, "bench", "kel_bench"), "--benchmark_filter=BM_WindowPresent",
           "--benchmark_out=" + out, "--benchmark_out_format=json"]
    if not quick:
        cmd += ["--benchmark_repetitions=3", "--benchmark_report_aggregates_only=true"]
    r = subprocess.run(cmd, env=e, capture_output=True, text=True)
    try:
        with open(out) as f:
            runs = json.load(f).get("benchmarks", [])
    except (OSError, ValueError):
        runs = []
    for b in runs:
        if b.get("error_occurred"):
            notes["present"] = b.get("error_message", "error")
            return None
        if b.get("run_type") == "aggregate" and b.get("aggregate_name") != "median":
            continue
        if not b.get("server_counted"):
            notes["present"] = "the X server's processor time could not be read"
            return None
        return {k: b[k] for k in ("wall_ms", "cpu_ms", "server_cpu_ms", "period_pct_wall", "period_pct_cpu")
                if k in b}
    notes["present"] = "no result (status %d)" % r.returncode
    return None


def measure_window_peak():
    runner = os.path.join(build, "tests", "test_soak")
    if not os.path.exists(runner):
        notes["window_peak"] = "no championship runner (tests/soak) built"
        return None
    e = dict(env, KEL_SOAK_RUNS="1")
    with tempfile.TemporaryFile() as err:
        p = subprocess.Popen([runner, "--gtest_filter=Soak.Championships"], env=e,
                             stdout=subprocess.DEVNULL, stderr=err)
        _, status, usage = os.wait4(p.pid, 0)
    if os.waitstatus_to_exitcode(status) != 0:
        notes["window_peak"] = "the championship run failed"
        return None
    return usage.ru_maxrss / 1024.0


if not os.environ.get("DISPLAY"):
    print(json.dumps({"error": "no X display"}))
    sys.exit(0)
result = {
    "menu_cpu_pct": measure_menu(),
    "event_cpu_pct": measure_event(),
    "present": measure_present(),
    "window_peak_mb": measure_window_peak(),
    "span_s": SPAN,
}
result["notes"] = notes
print(json.dumps(result))
