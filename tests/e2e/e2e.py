#!/usr/bin/env python3
"""End-to-end checks of the real program in a real window.

Each scenario starts the game on a virtual X server of its own (xvfb-run -a),
presses keys with xdotool as a player would, takes a screenshot of every
screen it reaches (x11_capture, a PPM of the game's window) and checks them
loosely: not black, the screen's palette in use, the part that should change
changed. The game must end with status 0.

Run by ctest (tests/e2e/CMakeLists.txt); by hand:
  tests/e2e/e2e.py --scenario intro_menu_quit --game build/x/kelvanthrop \
      --capture build/x/tests/e2e/e2e_x11_capture --data build/x/gamedata \
      --work /tmp/e2e
Screenshots and the game's output stay in --work. Exit status 77 means skipped
(no xvfb-run or xdotool).
"""
import argparse
import os
import shutil
import signal
import subprocess
import sys
import time

SKIPPED = 77
HARD_LIMIT_S = 840      # the whole scenario, Xvfb included
SCREEN = "1280x1024x24"


# ---------------------------------------------------------------- pictures

class Shot:
    """A screenshot: width, height and packed RGB bytes."""

    def __init__(self, path):
        with open(path, "rb") as f:
            data = f.read()
        parts, pos = [], 0
        while len(parts) < 4:  # "P6", width, height, maxval
            while data[pos:pos + 1].isspace():
                pos += 1
            end = pos
            while not data[end:end + 1].isspace():
                end += 1
            parts.append(data[pos:end])
            pos = end
        if parts[0] != b"P6":
            raise ValueError("%s is not a PPM picture" % path)
        self.path = path
        self.width, self.height = int(parts[1]), int(parts[2])
        self.rgb = data[pos + 1:pos + 1 + self.width * self.height * 3]

    def samples(self, region=None, step=4):
        """RGB tuples on a grid of every step-th pixel of region (x0, y0, x1, y1
        as fractions of the picture)."""
        x0, y0, x1, y1 = region or (0, 0, 1, 1)
        xs = range(int(x0 * self.width), int(x1 * self.width), step)
        for y in range(int(y0 * self.height), int(y1 * self.height), step):
            row = y * self.width * 3
            for x in xs:
                i = row + x * 3
                yield self.rgb[i], self.rgb[i + 1], self.rgb[i + 2]

    def lit_share(self, region=None):
        """Share of the pixels that are not (nearly) black."""
        n = lit = 0
        for r, g, b in self.samples(region):
            n += 1
            lit += max(r, g, b) > 24
        return lit / n if n else 0.0

    def colours(self, region=None):
        return set(self.samples(region))

    def changed_share(self, other, region=None):
        """Share of the pixels that differ clearly from other's."""
        n = changed = 0
        for a, b in zip(self.samples(region), other.samples(region)):
            n += 1
            changed += abs(a[0] - b[0]) + abs(a[1] - b[1]) + abs(a[2] - b[2]) > 48
        return changed / n if n else 0.0

    def palette_share(self, palette, region=None):
        """Share of the lit pixels whose colour is (close to) one of palette's."""
        cache, n, hits = {}, 0, 0
        for c in self.samples(region):
            if max(c) <= 24:
                continue
            n += 1
            if c not in cache:
                cache[c] = any(abs(c[0] - p[0]) + abs(c[1] - p[1]) + abs(c[2] - p[2]) <= 6
                               for p in palette)
            hits += cache[c]
        return hits / n if n else 0.0


def bmp_palette(path):
    """The colour table of an 8-bit .bmp picture, as RGB tuples."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:2] != b"BM":
        raise ValueError("%s is not a .bmp picture" % path)
    info = int.from_bytes(data[14:18], "little")
    bits = int.from_bytes(data[28:30], "little")
    used = int.from_bytes(data[46:50], "little") or (1 << bits)
    start = 14 + info
    return [(data[start + 4 * i + 2], data[start + 4 * i + 1], data[start + 4 * i])
            for i in range(min(used, 256))]


def find_data(data_root, *names):
    """The first of names (relative, any case) that exists under the data set."""
    for name in names:
        path = data_root
        for part in name.replace("\\", "/").split("/"):
            try:
                entries = os.listdir(path)
            except OSError:
                path = None
                break
            match = [e for e in entries if e.lower() == part.lower()]
            if not match:
                path = None
                break
            path = os.path.join(path, match[0])
        if path:
            return path
    return None


# ---------------------------------------------------------------- the game

class Failure(Exception):
    pass


class Skip(Exception):
    """The program cannot take this road yet (a screen is not built)."""


def check(condition, what):
    if not condition:
        raise Failure(what)
    print("  ok: " + what, flush=True)


def xdo(*args, timeout=30):
    """Runs xdotool; its output, or None when it failed or hung."""
    try:
        r = subprocess.run(["xdotool"] + [str(a) for a in args], capture_output=True,
                           text=True, timeout=timeout)
    except subprocess.TimeoutExpired:
        return None
    return r.stdout.strip() if r.returncode == 0 else None


CAPTURE = None  # the x11_capture program


def list_windows():
    """(id, width, height, title) of the shown top-level windows."""
    env = dict(os.environ, ASAN_OPTIONS="detect_leaks=0")
    try:
        r = subprocess.run([CAPTURE, "--list"], capture_output=True, text=True, env=env,
                           timeout=60)
    except subprocess.TimeoutExpired:
        return []
    found = []
    for line in r.stdout.splitlines():
        parts = line.split(" ", 3)
        if len(parts) == 4:
            found.append((int(parts[0]), int(parts[1]), int(parts[2]), parts[3]))
    return found


def windows_named(title):
    """Ids of the shown top-level windows called title, oldest first."""
    return [w[0] for w in list_windows() if w[3] == title]


class Game:
    """One running copy of the program with its own output files."""
    count = 0

    def __init__(self, scenario):
        self.s = scenario
        Game.count += 1
        self.log_path = os.path.join(scenario.work, "game%d.log" % Game.count)
        self.log = open(self.log_path, "wb")
        self.proc = subprocess.Popen([scenario.args.game], env=scenario.env,
                                     stdout=self.log, stderr=subprocess.STDOUT,
                                     cwd=scenario.work)
        self.window = None
        print("started copy %d (pid %d)" % (Game.count, self.proc.pid), flush=True)

    def alive(self):
        return self.proc.poll() is None

    def wait_exit(self, seconds):
        try:
            return self.proc.wait(timeout=seconds)
        except subprocess.TimeoutExpired:
            return None

    def output(self):
        self.log.flush()
        with open(self.log_path, "rb") as f:
            return f.read().decode(errors="replace")

    def find_window(self, seconds=120, exclude=()):
        """The game's window: named after the game, of this process, shown."""
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            for w in windows_named("Kelvanthrop"):
                if w in exclude:
                    continue
                pid = xdo("getwindowpid", w)
                if pid and int(pid) != self.proc.pid:
                    continue
                self.window = w
                return w
            if not self.alive():
                raise Failure("the game ended (status %s) before it showed a window:\n%s"
                              % (self.proc.returncode, self.output()[-2000:]))
            time.sleep(0.2)
        try:
            with open("/proc/%d/status" % self.proc.pid) as f:
                state = [l.strip() for l in f if l.startswith("State:")]
        except OSError:
            state = ["gone"]
        raise Failure("no window of the game within %d s (process %s; windows shown: %s)"
                      % (seconds, state[0] if state else "?",
                         list_windows() or "none"))

    def focus(self):
        xdo("windowfocus", "--sync", self.window)
        # The pointer stays off the window: the menus follow the mouse.
        xdo("mousemove", 0, 0)

    def key(self, *names, pause=0.25):
        """Key presses into the game's window, each followed by a pause so
        that the game runs frames in between."""
        self.focus()
        for name in names:
            if xdo("key", "--clearmodifiers", name) is None:
                raise Failure("xdotool could not press " + name)
            time.sleep(pause)

    def hold(self, name, seconds):
        """A key held down for a while (for what the game reads as held)."""
        self.focus()
        xdo("keydown", name)
        time.sleep(seconds)
        xdo("keyup", name)

    def shot(self, name):
        path = os.path.join(self.s.work, name + ".ppm")
        env = dict(os.environ, ASAN_OPTIONS="detect_leaks=0")
        try:
            r = subprocess.run([self.s.args.capture, path, str(self.window)], env=env,
                               capture_output=True, text=True, timeout=60)
        except subprocess.TimeoutExpired:
            raise Failure("screenshot %s: the X server did not answer" % name)
        if r.returncode != 0:
            raise Failure("screenshot %s failed: %s" % (name, r.stderr.strip()))
        return Shot(path)

    def stop(self):
        if self.alive():
            self.proc.send_signal(signal.SIGTERM)
            if self.wait_exit(30) is None:
                self.proc.kill()
                self.proc.wait()
        self.log.close()


class Scenario:
    def __init__(self, args):
        self.args = args
        self.work = os.path.abspath(args.work)
        shutil.rmtree(self.work, ignore_errors=True)
        home = os.path.join(self.work, "home")
        for d in ("config", "data", "run"):
            os.makedirs(os.path.join(home, d), exist_ok=True)
        os.chmod(os.path.join(home, "run"), 0o700)
        env = dict(os.environ)
        for var in ("KELVANTHROP_HEADLESS", "SDL_VIDEODRIVER", "KELVANTHROP_EXIT_AT_MENU"):
            env.pop(var, None)
        env.update({
            "XDG_CONFIG_HOME": os.path.join(home, "config"),
            "XDG_DATA_HOME": os.path.join(home, "data"),
            "XDG_RUNTIME_DIR": os.path.join(home, "run"),
            "KELVANTHROP_DATA_ROOT": os.path.abspath(args.data),
            "SDL_AUDIODRIVER": "dummy",  # no sound card on a test machine
            # The X and D-Bus client libraries keep memory of their own to the
            # end of a windowed run; the game's own leaks are the headless
            # tests' business (they run with leak checks on).
            "ASAN_OPTIONS": "detect_leaks=0:abort_on_error=0",
        })
        self.env = env
        self.games = []

    def start(self):
        g = Game(self)
        self.games.append(g)
        return g

    def data(self, *names):
        return find_data(self.args.data, *names)


# ---------------------------------------------------------------- steps

def screen_is_up(game, name, seconds=20, palette=None, min_lit=0.05):
    """Waits until the window shows something (and, given a palette, mostly
    that palette's colours); returns the screenshot."""
    deadline = time.monotonic() + seconds
    shot = None
    while time.monotonic() < deadline:
        shot = game.shot(name)
        lit = shot.lit_share()
        if lit >= min_lit and (palette is None or shot.palette_share(palette) >= 0.9):
            return shot
        if not game.alive():
            break
        time.sleep(0.5)
    detail = "lit %.2f" % (shot.lit_share() if shot else 0)
    if shot and palette is not None:
        detail += ", palette %.2f" % shot.palette_share(palette)
    raise Failure("%s: the window never showed it (%s, see %s)" % (
        name, detail, shot.path if shot else "no screenshot"))


def skip_intro(game):
    """The intro plays (moving pictures), and the cut-scenes give way to a
    key; returns the first screenshot after them."""
    first = screen_is_up(game, "01-intro", seconds=60)
    time.sleep(1.0)
    later = game.shot("02-intro-later")
    check(first.lit_share() > 0.05, "the intro shows a picture (lit %.2f)" % first.lit_share())
    check(later.changed_share(first) > 0.01 or later.lit_share() > 0.05,
          "the intro moves on (%.2f of the picture changed)" % later.changed_share(first))
    # Two clips come before the menu; each gives way to a key.
    for _ in range(4):
        game.key("Escape", pause=1.0)


def main_menu(scenario, game, name):
    """The main menu is up: drawn through the palette of its logo picture."""
    if "No main menu screen is registered." in game.output():
        raise Skip("the program has no main menu screen yet")
    pic = scenario.data("program/menu/logomain.bmp")
    check(pic is not None, "the data set has the menu's logo picture")
    shot = screen_is_up(game, name, seconds=40, palette=bmp_palette(pic))
    time.sleep(0.5)
    if "No main menu screen is registered." in game.output():
        raise Skip("the program has no main menu screen yet")
    check(game.alive(), "%s: the game waits in its main menu" % name)
    colours = len(shot.colours())
    check(colours > 8, "%s: a drawn picture, %d colours" % (name, colours))
    check(colours <= 256, "%s: an 8-bit screen (%d colours)" % (name, colours))
    check(shot.palette_share(bmp_palette(pic)) >= 0.9,
          "%s: the menu's palette in use (%.2f of the picture)" % (
              name, shot.palette_share(bmp_palette(pic))))
    check(highlighted_row(shot) == MENU_CHAMPIONSHIP,
          "%s: the first row is highlighted (found %s)" % (name, highlighted_row(shot)))
    return shot


# The main menu's rows, top to bottom; the menu opens on the first.
MENU_CHAMPIONSHIP, MENU_TRAINING, MENU_CONTROLS, MENU_HALL, MENU_CREDITS, MENU_QUIT = range(1, 7)
# Where the menu's rows are drawn (fractions of the window): the panel
# 50..590 x 244..468 of the 640x480 screen.
MENU_PANEL = (50 / 640, 244 / 480, 590 / 640, 468 / 480)


def highlighted_row(shot):
    """The menu row drawn in the highlight font (yellow letters), or None.
    Row r's text stands in the band 247 + 28r .. 275 + 28r of the 480 lines."""
    counts = {}
    for r in range(MENU_CHAMPIONSHIP, MENU_QUIT + 1):
        band = (0.25, (247 + 28 * r) / 480, 0.75, (275 + 28 * r) / 480)
        counts[r] = sum(1 for c in shot.samples(band, step=2)
                        if c[0] > 200 and c[1] > 150 and c[2] < 100)
    row = max(counts, key=counts.get)
    return row if counts[row] > 50 else None


def choose_row(game, row, before=None):
    """From the first row down to row, then Return; the highlight (the
    text region of the rows) moves on the way."""
    for _ in range(row - 1):
        game.key("Down", pause=0.3)
    # A starved game takes the presses some frames later.
    after = wait_for(game, "menu-row-%d" % row, lambda shot: highlighted_row(shot) == row, 30,
                     fail=False)
    check(highlighted_row(after) == row,
          "row %d is highlighted (found %s)" % (row, highlighted_row(after)))
    if before is not None and row > 1:
        check(after.changed_share(before, MENU_PANEL) > 0.002,
              "the menu panel changed (%.3f)" % after.changed_share(before, MENU_PANEL))
    game.key("Return", pause=0.8)


def quit_from_menu(game, menu_shot=None):
    choose_row(game, MENU_QUIT, menu_shot)
    # The credits picture stands for a few seconds before the program ends;
    # a starved sanitized build takes longer to shut down.
    status = game.wait_exit(90)
    check(status is not None, "the game ends after quit from the main menu")
    check(status == 0, "exit status 0 (got %s)" % status)


# ---------------------------------------------------------------- scenarios

def second_copy_refused(s):
    first = s.start()
    win = first.find_window()
    screen_is_up(first, "01-first-copy", seconds=60)
    second = s.start()
    # The second copy shows its message in a window of its own (the system's
    # box, or the game's own window when the desktop has no box) and leaves
    # once it is closed; it never opens a game window.
    # A sanitized copy on a loaded machine takes a while to start.
    deadline = time.monotonic() + 90
    box = None
    while time.monotonic() < deadline and box is None and second.alive():
        others = [w for w in windows_named("Kelvanthrop") if w != win]
        box = others[0] if others else None
        time.sleep(0.2)
    check(box is not None, "the second copy shows a window with its message")
    second.window = box
    # The window is mapped before its first picture is drawn.
    shot = wait_for(second, "02-second-copy-box",
                    lambda shot: shot.lit_share() > 0.2 and len(shot.colours()) >= 2, 30, fail=False)
    check(shot.lit_share() > 0.2, "the message window is drawn (lit %.2f)" % shot.lit_share())
    check(len(shot.colours()) >= 2, "the message window holds more than one colour: its text")
    second.key("Return", pause=0.5)
    status = second.wait_exit(60)
    check(status == 0, "the second copy leaves with status 0 (got %s)" % status)
    check("Another copy of Kelvanthrop is running." in second.output(),
          "the second copy says that another copy runs")
    check(first.alive(), "the first copy runs on")
    # The message window took the focus, and a game out of focus holds its
    # cut-scene; with no window manager to hand the focus back, the player's
    # click on the game's window.
    first.focus()

    # QUIT in the first copy, and a new copy as soon as it quits: while the
    # old one shows its credits picture and shuts down, the new one waits for
    # it and then starts as the only copy. A starved copy takes the QUIT some
    # frames after the key, and a copy started before that finds one that is
    # not leaving: so the new one starts once the lock file says "leaving".
    skip_intro(first)
    menu = main_menu(s, first, "03-main-menu")
    choose_row(first, MENU_QUIT, menu)
    lock = os.path.join(s.env["XDG_RUNTIME_DIR"], "kelvanthrop.lock")
    deadline = time.monotonic() + 60
    leaving = False
    while not leaving and time.monotonic() < deadline and first.alive():
        try:
            with open(lock, "rb") as f:
                leaving = f.read().startswith(b"leaving")
        except OSError:
            pass
        if not leaving:
            time.sleep(0.05)
    check(leaving or not first.alive(), "the first copy says in its lock file that it is leaving")
    third = s.start()
    status = first.wait_exit(90)
    check(status == 0, "the first copy ends after QUIT with status 0 (got %s)" % status)
    # The first copy is gone: its window's id may be handed out again.
    third.find_window(seconds=120)
    screen_is_up(third, "04-copy-after-quit", seconds=60)
    check(third.alive(), "the copy started right after QUIT runs")
    check("Another copy" not in third.output(),
          "the copy started right after QUIT was not refused")
    third.proc.send_signal(signal.SIGTERM)
    status = third.wait_exit(60)
    check(status == 0, "the new copy ends on SIGTERM with status 0 (got %s)" % status)


def intro_menu_quit(s):
    game = s.start()
    game.find_window()
    skip_intro(game)
    menu = main_menu(s, game, "03-main-menu")
    quit_from_menu(game, menu)


def wait_for(game, name, test, seconds, every=0.5, between=None, fail=True):
    """Screenshots until test(shot) holds; between() runs after each miss
    (the keys a player presses meanwhile). Returns the shot; at the deadline
    fails, or with fail=False returns the last shot for the caller's own
    check to tell what it shows."""
    deadline = time.monotonic() + seconds
    shot = None
    while True:
        shot = game.shot(name)
        if test(shot):
            return shot
        if not game.alive():
            raise Failure("%s: the game ended (status %s)" % (name, game.proc.returncode))
        if time.monotonic() >= deadline:
            break
        if between:
            between()
        else:
            time.sleep(every)
    if not fail:
        return shot
    raise Failure("%s: not reached within %d s (see %s)" % (name, seconds, shot.path))


def settled(game, name, shot, region=None, seconds=30, gap=1.0):
    """From shot on, screenshots gap seconds apart until two in a row agree in
    region: a starved game takes a row of keys over several frames, and the
    picture after the first of them is not yet the one after the last."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        time.sleep(gap)
        later = game.shot(name)
        if later.changed_share(shot, region) == 0:
            return later
        shot = later
    return shot


def throw_once(game):
    """A human throw: Shift (fire 2) tapped for power and run-up, then Ctrl
    (fire 1) held to aim and let go to throw."""
    game.focus()
    for _ in range(14):
        xdo("key", "shift")
        time.sleep(0.06)
    xdo("keydown", "ctrl")
    time.sleep(0.5)
    xdo("keyup", "ctrl")
    time.sleep(1.0)


def open_training_picker(s):
    """Starts the game and goes past the intro and the main menu's SINGLE
    EVENT to the picker, which opens on the first event, COMPUTER THROW.
    Returns the game, the menu's palette and the picker's screenshot."""
    game = s.start()
    game.find_window()
    skip_intro(game)
    menu = main_menu(s, game, "03-main-menu")
    menu_palette = bmp_palette(s.data("program/menu/logomain.bmp"))
    choose_row(game, MENU_TRAINING, menu)
    # The chosen row flashes and the picker's palette fades in first: a
    # loaded machine takes a while.
    picker = wait_for(game, "04-training-picker",
                      lambda shot: shot.changed_share(menu, MENU_PANEL) > 0.2, 60)
    time.sleep(0.5)
    picker = game.shot("04-training-picker")
    check(picker.changed_share(menu, MENU_PANEL) > 0.2,
          "the training picker replaces the menu rows (%.2f of the panel changed)"
          % picker.changed_share(menu, MENU_PANEL))
    return game, menu_palette, picker


def training_throw(s):
    game, menu_palette, picker = open_training_picker(s)
    game.key("Return", pause=1.5)

    # The new-game screen: a name typed and taken with Return, then the
    # athlete, the country and the start confirmed with the fire key.
    newgame = wait_for(game, "05-new-game",
                       lambda shot: shot.changed_share(picker) > 0.3 and shot.lit_share() > 0.05, 60)
    check(len(newgame.colours()) <= 256, "05-new-game: an 8-bit screen")
    time.sleep(1.0)
    game.focus()
    xdo("type", "--delay", 120, "ANNA")
    named = wait_for(game, "06-name-typed", lambda shot: shot.changed_share(newgame) > 0.001, 30,
                     fail=False)
    check(named.changed_share(newgame) > 0.001,
          "the typed name shows (%.3f of the picture changed)" % named.changed_share(newgame))
    throw_palette = bmp_palette(s.data("data/comp/palette.bmp"))
    in_event = lambda shot: shot.palette_share(throw_palette) >= 0.9 and shot.lit_share() > 0.2
    game.key("Return", pause=1.5)
    start = wait_for(game, "07-computer-throw", in_event, 60,
                     between=lambda: game.key("ctrl", pause=1.5))
    check(True, "COMPUTER THROW is up in the event's palette")
    check(len(start.colours()) <= 256, "07-computer-throw: an 8-bit screen")

    # The person throws first: the result shows in the status band beside
    # the first face, on the attempts' lines (a distance or a foul).
    first_panel = (0.146, 0.895, 0.245, 0.97)
    thrown = wait_for(game, "08-first-throw",
                      lambda shot: in_event(shot) and shot.changed_share(start, first_panel) > 0.01,
                      90, between=lambda: throw_once(game))
    check(True, "the first throw is on the board (%.3f of the first panel changed)"
          % thrown.changed_share(start, first_panel))

    # The rest at the fastest game speed (the typed code of the command
    # line), throwing whenever it is the person's turn, until the shop.
    open_command_line(game)
    xdo("type", "--delay", 80, "TEMPO BLAZES")
    game.key("Return", pause=0.5)
    state = {"off": 0, "shot": None}

    def shop_is_up(shot):
        # Three shots in a row off the event's palette and not dark: the
        # fades between contestants are over long before.
        off = shot.lit_share() > 0.2 and shot.palette_share(throw_palette) < 0.6
        state["off"] = state["off"] + 1 if off else 0
        state["shot"] = shot
        return state["off"] >= 3

    def throw_on_own_turn():
        # Throw only while the event is on the screen: once it is over the
        # keys would move the shop on.
        if state["shot"] is not None and in_event(state["shot"]):
            throw_once(game)
        else:
            time.sleep(0.7)
    shop = wait_for(game, "09-shop", shop_is_up, 240, between=throw_on_own_turn)
    check(len(shop.colours()) <= 256, "09-shop: an 8-bit screen (%d colours)" % len(shop.colours()))

    # Training has no shopping: past the medals and the standings, and back
    # to the menu.
    wait_for(game, "10-back-in-menu",
             lambda shot: shot.palette_share(menu_palette) >= 0.9 and
             highlighted_row(shot) == MENU_CHAMPIONSHIP, 60,
             between=lambda: game.key("Return", pause=2.0))
    time.sleep(1.0)
    menu_again = main_menu(s, game, "11-main-menu-again")
    quit_from_menu(game, menu_again)


SCENARIOS = {
    "second_copy_refused": second_copy_refused,
    "intro_menu_quit": intro_menu_quit,
    "training_throw": training_throw,
}


# ---------------------------------------------------------------- PLATFORM KICKBOXING

def kick_palette(s):
    return bmp_palette(s.data("data/boxing/palette.bmp"))


def in_kickboxing(s):
    pal = kick_palette(s)
    return lambda shot: shot.palette_share(pal) >= 0.85 and shot.lit_share() > 0.2


def fight_kickboxing(s, game, name, two_players):
    """The fight is up: the people walk their fighters to the middle and hit
    out; the screenshots show the platform in the event's palette, moving,
    and, with two players, the two views side by side."""
    in_event = in_kickboxing(s)
    start = wait_for(game, name + "-title", in_event, 90, every=1.0)
    check(len(start.colours()) <= 256, "%s: an 8-bit screen" % name)
    # The status band at the bottom: faces, bars and item icons; with two
    # players the black divider between the views, three pixels wide at x 319.
    band = (0, 400 / 480, 1, 1)
    divider = (319.5 / 640, 0.02, 321.5 / 640, 380 / 480)

    def divider_dark(shot):
        dark = sum(1 for c in shot.samples(divider, step=1) if max(c) <= 24)
        return dark, sum(1 for _ in shot.samples(divider, step=1))

    def fight_shown(shot):
        dark, total = divider_dark(shot)
        return (in_event(shot) and len(shot.colours()) > 40 and shot.changed_share(start) > 0.01 and
                shot.lit_share(band) > 0.3 and (not two_players or (total and dark / total > 0.95)))

    # Any key of a player passes over the title (a starved machine may show
    # the fight already); then the fighters walk towards the middle.
    game.focus()
    xdo("key", "ctrl")
    time.sleep(1.5)
    xdo("keydown", "Right")
    if two_players:
        xdo("keydown", "s")  # the second player's down: towards the middle from his corner
    time.sleep(2.5)
    xdo("keyup", "Right")
    if two_players:
        xdo("keyup", "s")

    def hit_out():  # the first player's punches, kicks and specials
        xdo("keydown", "ctrl")
        time.sleep(0.4)
        xdo("keyup", "ctrl")
        time.sleep(0.15)
    # Looks between the blows until one shows the fight. Not long: fighters
    # knocked off the platform end it, and once both people of the machine
    # are down the event is over (a starved machine gets there sooner, as
    # its keys and looks come late).
    fight = wait_for(game, name + "-fight", fight_shown, 30, between=hit_out, fail=False)
    check(in_event(fight), "%s: the fight in the event's palette (%.2f)" % (
        name, fight.palette_share(kick_palette(s))))
    colours = len(fight.colours())
    check(colours > 40, "%s: the arena, the pillars and the fighters, %d colours" % (name, colours))
    check(fight.changed_share(start) > 0.01,
          "%s: the fight moved on from its first picture (%.3f changed)" % (name, fight.changed_share(start)))
    check(fight.lit_share(band) > 0.3, "%s: the status band is drawn (%.2f lit)" % (name, fight.lit_share(band)))
    if two_players:
        dark, total = divider_dark(fight)
        check(total and dark / total > 0.95, "%s: two views with the divider between them (%d of %d dark)" % (
            name, dark, total))
    return fight


def new_game_names(game, names):
    """The new-game screen for each person in turn: the name typed and taken
    with Return, the athlete and the country with the fire key (Control)."""
    for name in names:
        time.sleep(1.5)
        game.focus()
        xdo("type", "--delay", 120, name)
        time.sleep(0.5)
        game.key("Return", pause=1.0)
        game.key("ctrl", pause=3.0)  # the athlete, then his cry
        game.key("ctrl", pause=1.0)  # the country


def open_command_line(game):
    """F12 held until the command line shows along the top of the picture.
    A starved game can take the press, the typed code and Return in one
    frame, and opening the line throws away what was typed before it: so the
    code is typed only once the line is seen open."""
    band = (0.05, 0.025, 0.95, 0.05)
    before = game.shot("command-line-before")
    for _ in range(3):
        game.hold("F12", 0.4)
        deadline = time.monotonic() + 8
        while time.monotonic() < deadline:
            if game.shot("command-line").changed_share(before, band) > 0.3:
                return
            time.sleep(0.3)


def end_event_by_code(game):
    """The hidden code that ends the running event, typed on the command line."""
    open_command_line(game)
    xdo("type", "--delay", 80, "JUMP AHEAD")
    game.key("Return", pause=1.0)


def training_kickboxing(s):
    game, menu_palette, picker = open_training_picker(s)
    # The picker is two rows of five: event 8 is the third of the second row.
    game.key("Down", "Right", "Right", pause=0.4)
    moved = wait_for(game, "05-picker-on-kickboxing", lambda shot: shot.changed_share(picker) > 0.001, 30,
                     fail=False)
    check(moved.changed_share(picker) > 0.001, "the picker moved to PLATFORM KICKBOXING")
    game.key("Return", pause=1.5)
    newgame = wait_for(game, "06-new-game",
                       lambda shot: shot.changed_share(moved) > 0.3 and shot.lit_share() > 0.05, 60)
    new_game_names(game, ["ANNA"])
    wait_for(game, "07-loading", lambda shot: in_kickboxing(s)(shot), 60,
             between=lambda: game.key("ctrl", pause=1.5))
    fight_kickboxing(s, game, "08-kickboxing", False)
    end_event_by_code(game)
    wait_for(game, "10-back-in-menu",
             lambda shot: shot.palette_share(menu_palette) >= 0.9 and
             highlighted_row(shot) == MENU_CHAMPIONSHIP, 90,
             between=lambda: game.key("Up", "Return", pause=2.0))
    time.sleep(1.0)
    quit_from_menu(game, main_menu(s, game, "11-main-menu-again"))


def championship_kickboxing(s):
    """Two people on one machine through a championship to event 8: every
    event before it is ended by the hidden code, the shops and cut-scenes are
    passed with Up and Return."""
    game = s.start()
    game.find_window()
    skip_intro(game)
    menu = main_menu(s, game, "03-main-menu")
    choose_row(game, MENU_CHAMPIONSHIP, menu)
    game.key("Down", "Return", pause=1.0)  # MULTIPLAYER GAME
    game.key("Down", "Return", pause=1.5)  # past the network, TWO PLAYERS LOCAL
    new_game_names(game, ["ANNA", "BERT"])
    game.key("ctrl", pause=1.5)  # the start
    # The events before it, known by their palettes; one not known here is
    # ended all the same once a few looks have not shown a change of screen.
    event_palettes = [bmp_palette(p) for p in (s.data(name) for name in (
        "data/comp/palette.bmp", "data/climb/statnew2.bmp", "data/dog/palette.bmp",
        "data/hippo/palette.bmp", "data/swim/statnew2.bmp", "data/skate/palette.bmp")) if p]
    in_kick = in_kickboxing(s)
    # Seven events with their shops and cut-scenes: six minutes on a loaded
    # machine with a sanitized build, and more on two cores.
    deadline = time.monotonic() + 660
    unknown = 0
    n = 0
    while True:
        n += 1
        shot = game.shot("04-road-%02d" % n)
        if in_kick(shot):
            break
        if time.monotonic() > deadline or not game.alive():
            raise Failure("PLATFORM KICKBOXING never came (see %s)" % shot.path)
        in_other_event = any(shot.palette_share(p) >= 0.85 for p in event_palettes) and shot.lit_share() > 0.2
        if in_other_event or unknown >= 8:
            end_event_by_code(game)
            unknown = 0
        else:
            unknown += 1
            game.key("Up", "Return", pause=1.5)
        time.sleep(1.0)
    fight_kickboxing(s, game, "05-kickboxing", True)
    game.stop()


SCENARIOS["training_kickboxing"] = training_kickboxing
SCENARIOS["championship_kickboxing"] = championship_kickboxing


# ---------------------------------------------------------------- texts in their boxes

def text_pixels(shot, frame, box):
    """The white letters of the menu fonts inside a panel (frame) of the
    screen: how many stand in the text's box and how many outside it.
    Rectangles are (x0, y0, x1, y1) in the game's 640x480 pixels; the box is
    taken one pixel larger for the window's scaling."""
    sx, sy = shot.width / 640.0, shot.height / 480.0
    bx0, by0, bx1, by1 = box[0] - 1, box[1] - 1, box[2] + 1, box[3] + 1
    inside = outside = 0
    for y in range(int(frame[1] * sy), int(frame[3] * sy)):
        gy = y / sy
        row = y * shot.width * 3
        for x in range(int(frame[0] * sx), int(frame[2] * sx)):
            i = row + x * 3
            if shot.rgb[i] > 225 and shot.rgb[i + 1] > 225 and shot.rgb[i + 2] > 225:
                gx = x / sx
                if bx0 <= gx < bx1 and by0 <= gy < by1:
                    inside += 1
                else:
                    outside += 1
    return inside, outside


def check_text_in_box(shot, what, frame, box, least):
    inside, outside = text_pixels(shot, frame, box)
    check(inside >= least, "%s: the text is shown (%d letter pixels)" % (what, inside))
    check(outside == 0, "%s: no letter outside its box (%d pixels outside, see %s)"
          % (what, outside, shot.path))


# The training picker's text panel and the box of its title and description;
# the options overlay's box and the rows of its help page.
PICKER_PANEL, PICKER_TEXT = (50, 270, 589, 470), (66, 312, 573, 460)
# (the rows and, under them, the line that tells how to scroll).
OVERLAY_BOX, HELP_ROWS = (120, 90, 520, 390), (136, 106, 504, 370)


def texts_in_their_boxes(s):
    """The training picker's descriptions and the help overlay of COMPUTER
    THROW, as a newcomer reads them: every letter inside its box."""
    game, menu_palette, picker = open_training_picker(s)
    check_text_in_box(picker, "COMPUTER THROW's description", PICKER_PANEL, PICKER_TEXT, 400)
    game.key("Right", "Right", "Right", pause=0.4)
    doggie = wait_for(game, "05-picker-doggie", lambda shot: shot.changed_share(picker) > 0.001, 30,
                      fail=False)
    check(doggie.changed_share(picker) > 0.001, "the picker moved to NICE DOGGIE JUMP")
    doggie = settled(game, "05-picker-doggie", doggie, tuple(
        v / (640, 480)[i % 2] for i, v in enumerate(PICKER_PANEL)))
    check_text_in_box(doggie, "NICE DOGGIE JUMP's description", PICKER_PANEL, PICKER_TEXT, 400)
    game.key("Left", "Left", "Left", pause=0.4)

    game.key("Return", pause=1.5)
    wait_for(game, "06-new-game",
             lambda shot: shot.changed_share(picker) > 0.3 and shot.lit_share() > 0.05, 60)
    new_game_names(game, ["ANNA"])
    throw_palette = bmp_palette(s.data("data/comp/palette.bmp"))
    in_event = lambda shot: shot.palette_share(throw_palette) >= 0.9 and shot.lit_share() > 0.2
    event = wait_for(game, "07-computer-throw", in_event, 60,
                     between=lambda: game.key("ctrl", pause=1.5))
    # The overlay (Escape), its HELP item (the ninth) and the event's page.
    game.key("Escape", pause=1.0)
    game.key(*(["Down"] * 8), pause=0.3)
    game.key("Return", pause=1.0)
    overlay = (120 / 640, 90 / 480, 520 / 640, 390 / 480)
    help_page = wait_for(game, "08-help", lambda shot: shot.changed_share(event, overlay) > 0.2, 30,
                         fail=False)
    check(help_page.changed_share(event, overlay) > 0.2,
          "the help page is up over the event")
    help_page = settled(game, "08-help", help_page, overlay)
    check_text_in_box(help_page, "the help page", OVERLAY_BOX, HELP_ROWS, 800)
    game.key("Escape", "Escape", pause=0.5)
    game.stop()


SCENARIOS["texts_in_their_boxes"] = texts_in_their_boxes


# ---------------------------------------------------------------- the new game by Enter

# The name field's rows of the first player's box on the new-game screen
# (over them his athlete's face, flag and white bars) and the name's box
# in it (NewGameNameBox(0)).
NEW_GAME_BOX, NEW_GAME_NAME = (44, 166, 176, 202), (53, 173, 167, 193)


def new_game_with_enter(s):
    """A newcomer reads "PRESS ENTER TO START THE GAME" and does so: Enter
    takes the name, the athlete, the country and the start (the keypad's
    Enter one of them), and the name of ten wide letters stays in its box."""
    game, menu_palette, picker = open_training_picker(s)
    game.key("Return", pause=1.5)
    newgame = wait_for(game, "05-new-game",
                       lambda shot: shot.changed_share(picker) > 0.3 and shot.lit_share() > 0.05, 60)
    time.sleep(1.0)
    game.focus()
    xdo("type", "--delay", 120, "WWWWWWWWWW")
    named = wait_for(game, "06-name-typed",
                     lambda shot: text_pixels(shot, NEW_GAME_BOX, NEW_GAME_NAME)[0] > 150, 30, fail=False)
    check_text_in_box(named, "the name of ten W in its box", NEW_GAME_BOX, NEW_GAME_NAME, 150)
    game.key("Return", pause=1.0)   # the name
    game.key("Return", pause=3.0)   # the athlete, then his cry
    game.key("KP_Enter", pause=1.0)  # the country, by the keypad's Enter
    ready = game.shot("07-ready")
    check_text_in_box(ready, "the name taken, in its box", NEW_GAME_BOX, NEW_GAME_NAME, 150)
    throw_palette = bmp_palette(s.data("data/comp/palette.bmp"))
    in_event = lambda shot: shot.palette_share(throw_palette) >= 0.9 and shot.lit_share() > 0.2
    # "PRESS ENTER TO START THE GAME": Enter only, never the fire key.
    wait_for(game, "08-computer-throw", in_event, 60, between=lambda: game.key("Return", pause=2.0))
    check(True, "Enter started the game: COMPUTER THROW is up")
    game.stop()


SCENARIOS["new_game_with_enter"] = new_game_with_enter


def inside(args):
    global CAPTURE
    CAPTURE = args.capture
    s = Scenario(args)
    try:
        SCENARIOS[args.scenario](s)
        print("PASSED: " + args.scenario)
        return 0
    except Skip as e:
        print("SKIPPED: %s" % e)
        return SKIPPED
    except Failure as e:
        print("FAILED: %s" % e)
        for g in s.games:
            print("---- output of copy pid %d:\n%s" % (g.proc.pid, g.output()[-3000:]))
        return 1
    finally:
        for g in s.games:
            g.stop()


def outside(args, argv):
    missing = [t for t in ("xvfb-run", "xdotool", "timeout") if not shutil.which(t)]
    if missing:
        print("SKIPPED: %s not installed (scripts/deps.sh installs them)" % ", ".join(missing))
        return SKIPPED
    for path in (args.game, args.capture):
        if not os.access(path, os.X_OK):
            print("FAILED: %s is not built" % path)
            return 1
    cmd = ["timeout", "-k", "10", str(HARD_LIMIT_S),
           # -a finds a free display from -n on; scenarios that start
           # together start their search at different numbers.
           "xvfb-run", "-a", "-n", str(100 + os.getpid() % 400),
           "-s", "-screen 0 %s -nolisten tcp" % SCREEN,
           sys.executable, os.path.abspath(__file__), "--inside"] + argv
    r = subprocess.run(cmd)
    if r.returncode == 124:
        print("FAILED: %s ran past its hard limit of %d s" % (args.scenario, HARD_LIMIT_S))
        return 1
    return r.returncode


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--scenario", required=True, choices=sorted(SCENARIOS))
    p.add_argument("--game", required=True)
    p.add_argument("--capture", required=True)
    p.add_argument("--data", required=True)
    p.add_argument("--work", required=True)
    p.add_argument("--inside", action="store_true")
    argv = [a for a in sys.argv[1:] if a != "--inside"]
    args = p.parse_args()
    for name in ("game", "capture", "data", "work"):
        setattr(args, name, os.path.abspath(getattr(args, name)))
    return inside(args) if args.inside else outside(args, argv)


if __name__ == "__main__":
    sys.exit(main())
