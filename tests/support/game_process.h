#pragma once
// Driving the real program from a test: starting processes with an
// environment of their own, waiting for them with a time limit, and running
// this test program again inside xvfb-run, where a child test starts the game
// on the virtual X display and drives it with xdotool.
//
// In a test file:
//   TEST(ThingUnderXvfb, Run) {
//     SkipWithoutXvfbAndGame(kChildVar);
//     if (::testing::Test::IsSkipped()) return;
//     const std::string dir = WorkDir("thing-xvfb");
//     RunSelfUnderXvfb(dir, "ThingXvfbChild.Run", {std::string(kChildVar) + "=" + dir}, 120000);
//   }
//   TEST(ThingXvfbChild, Run) {   // skips unless kChildVar is set
//     ...
//     pid_t game = SpawnGameOnDisplay(root, dir, /*exitAtMenu=*/false);
//   }
#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace game_process {

bool Executable(const std::string& path);
// The whole file as text ("" when it cannot be read).
std::string ReadFile(const std::string& path);
// This test program's own path.
std::string SelfPath();
// A fresh folder <build>/test-home/<name>-<pid>.
std::string WorkDir(const std::string& name);

// Starts a program with extra environment entries ("NAME=value"; "NAME="
// alone removes it), its output into `log`.
pid_t Spawn(const std::vector<std::string>& argv, const std::vector<std::string>& env,
            const std::string& log);
// Waits for the end; false (the process killed) when it outlives `ms`.
bool WaitEnd(pid_t pid, int ms, int* status);
// What a shell command prints.
std::string Capture(const std::string& command);

// The parent side: skips the current test when it already runs inside the
// virtual X server, or when xvfb-run, xdotool or the built game is missing.
void SkipWithoutXvfbAndGame(const char* childVar);
// Runs this test program again under xvfb-run (a 1280x1024 screen) with only
// `filter`'s test, `env` added to its environment, and expects that test to
// pass within `timeoutMs`; skips when the virtual X server does not start
// (the child prints "XVFB-UNAVAILABLE" then). The child's output goes to
// <dir>/child.log; `dir` is removed when all went well.
void RunSelfUnderXvfb(const std::string& dir, const std::string& filter,
                      const std::vector<std::string>& env, int timeoutMs);

// An event's run under the virtual X server, as one call of the parent test:
// skips as SkipWithoutXvfbAndGame does, or when the generated data lacks
// <gamedata>/data/<dataFile>; else runs `filter`'s child test in a fresh
// work folder <name> (passed to the child in `childVar`, with `env` added),
// which must end within `timeoutMs`.
void RunEventUnderXvfb(const char* childVar, const std::string& dataFile, const std::string& name,
                       const std::string& filter, std::vector<std::string> env = {}, int timeoutMs = 240000);
// The child test's start: false (the test skipped) unless it runs inside the
// virtual X server that RunEventUnderXvfb started; else its work folder.
bool XvfbChildReady(const char* childVar, std::string* dir);

// The child side: starts the built game on the X display with data root
// `root`, its own settings, data and runtime folders under `dir`, sound off,
// and its output into <dir>/game.log. With `exitAtMenu` the game leaves as
// soon as it reaches the main menu.
pid_t SpawnGameOnDisplay(const std::string& root, const std::string& dir, bool exitAtMenu);

// A data root of the generated game data under <dir>/root whose data folder
// is the test's own (links to the generated files), so that the game's
// screenshots (written to the data directory) land there.
std::string MakeScreenshotRoot(const std::string& dir);
// An 8-bit screenshot: its size and how many different colours it shows
// (in the rows from `firstRow` down, counted from the top).
bool ReadScreenshot(const std::string& path, int* width, int* height, int* colours, int firstRow = 0);
// Starts the built game on the X display (SpawnGameOnDisplay), waits for its
// window, moves the pointer off it and passes over the two intro clips to
// the main menu, seen in a screenshot (WaitForMainMenu). -1 (and a test
// failure with the game's output) when no window or no menu came.
pid_t StartGameToMainMenu(const std::string& root, const std::string& dir, const std::string& log);
// xdotool on the game's window (focused first): its exit status.
int XdoGame(const std::string& args);
// From the main menu: SINGLE EVENT, event n (1..10) in the picker, then the
// new game with an athlete called `name` (the first athlete and country
// taken as offered).
void StartTrainingEvent(int n, const std::string& name);
// The child test's start of an event run from the training picker: its work
// folder, a screenshot root, the game started to the main menu and event n
// chosen for ANNA. False when the test skipped (not inside the virtual X
// server) or failed (no window came).
struct TrainingRun {
  std::string dir, root, log;
  pid_t game = -1;
};
bool StartTrainingRun(const char* childVar, int n, TrainingRun* run);
// A key past the cut-scene before the event, then WaitForEventScreen (60
// tries).
int EnterEventAfterCutScene(const std::string& root);
// EnterEventAfterCutScene for an event whose picture `shown` recognises in a
// screenshot's path: while the last screenshot does not show it, Return
// (closes the message line the screenshot keys open on a screen of the front
// end, or starts the game), Ctrl (takes the athlete and the country, passes
// over a cut-scene or an intro) and a new screenshot, at most `tries` times:
// a loaded machine may have missed a key on the way. The number of the
// screenshot that shows the event, 0 when none did.
int EnterEventUntilShown(const std::string& root, const std::function<bool(const std::string&)>& shown,
                         int tries = 40);
// The game's own screenshot keys (F11 + F12) pressed and released.
void PressScreenshotKeys();
// The number of the last of the game's screenshots <root>/data/sshot<n>.bmp
// (0 when there is none).
int LastScreenshot(const std::string& root);
// Presses the screenshot keys every `intervalMs` until `count` more
// screenshots than `before` are written (a loaded machine may miss a press),
// at most 4 x count times.
void TakeScreenshots(const std::string& root, int before, int count, int intervalMs);
// Takes a screenshot about once a second until one shows an event's status
// band under its picture (the event has loaded; a loaded machine may take a
// while), at most `tries` of them. Returns the number of that screenshot, 0
// when none came.
int WaitForEventScreen(const std::string& root, int tries);
// The pixels of one of the game's 8-bit 640x480 screenshots, top row first
// (empty when it cannot be read).
std::vector<uint8_t> ScreenshotPixels(const std::string& path);
// The colour table of an 8-bit .bmp (a screenshot, or a picture the
// generator writes plain): 256 x (blue, green, red, 0); empty when the file
// is not one.
std::vector<uint8_t> BmpColourTable(const std::string& path);
// Takes a screenshot about once a second, with Escape in between (it passes
// over an intro clip that a loaded machine still shows, and the main menu
// ignores it), until one is drawn in the main menu's palette. Its number; 0
// when none was.
int WaitForMainMenu(const std::string& root, int tries = 40);
// Holds player 1's Up (with two players also player 2's W) for `seconds`,
// then, still holding them, takes `count` screenshots about a second apart:
// one chain of key events, so that the window is focused once (the keys are
// pressed again after each screenshot, which lets go of them). Presses a
// loaded machine missed are made again.
void HoldUpAndTakeScreenshots(const std::string& root, int taken, bool twoPlayers, int seconds, int count);
// The same with any keys held (xdotool names, blank-separated, e.g. "Up
// Right w d") and `gapMs` between the screenshots; since taking one lets go
// of the keys the game saw held, they are pressed again after each, so the
// players keep moving between the pictures. The screenshot keys are held
// long enough for a slow frame to see both.
void HoldKeysAndTakeScreenshots(const std::string& root, int taken, const std::string& keys, int seconds, int count,
                                int gapMs);
// Expects `inEvent` to take each of the screenshots first..first+count-1.
void ExpectScreenshots(const std::string& root, int first, int count,
                       const std::function<bool(const std::string&)>& inEvent);
// A championship saved after event `eventIndex` (slot 1, in <dataHome>/
// kelvanthrop) with two people on one machine, ANNA the ape and BERT the
// kangaroo, against two computer players.
void WriteTwoPlayerSave(const std::string& dataHome, int eventIndex);
// From the main menu: CHAMPIONSHIP, SOLO GAME, and on the new-game screen
// the saved game of WriteTwoPlayerSave taken up; then out of each player's
// shop and past the cut-scene and the event's intro, pressing `keys` in turn
// and taking a screenshot now and then, until `inEvent` takes one (its path)
// for the event's. Its number; 0 when none was. (An event in which player
// 1's fire key already plays leaves Ctrl out: Return passes the cut-scene.)
int EnterSavedChampionshipEvent(const std::string& root, const std::function<bool(const std::string&)>& inEvent,
                                const std::vector<std::string>& keys = {"Up", "Return", "ctrl"});
// The child test's start of a championship of two people on one machine:
// its work folder, a screenshot root, the save of WriteTwoPlayerSave after
// event `eventIndex`, and the game started and seen at the main menu. False
// when the test skipped (not inside the virtual X server) or failed.
bool StartChampionshipRun(const char* childVar, int eventIndex, TrainingRun* run);
// An event's parent test in one of two modes ("training" or "two-players"):
// RunEventUnderXvfb in the work folder <prefix>-<mode>, with `modeVar` set
// to the mode for the child test.
void RunEventModeUnderXvfb(const char* childVar, const char* modeVar, const std::string& dataFile,
                           const std::string& prefix, const std::string& filter, const std::string& mode);
// Whether the child test runs in the "two-players" mode (`modeVar` says so).
bool TwoPlayerMode(const char* modeVar);
// The child test's start of an event reached one of two ways: by one player
// from the training picker (event `pickerN`), or with two players as the
// event after `saveAfter` of the championship of WriteTwoPlayerSave. Its
// work folder, a screenshot root, the game seen at the main menu, and the
// event entered until `shown` takes a screenshot: that screenshot's number;
// 0 when the test skipped (not inside the virtual X server) or failed.
int StartEventRun(const char* childVar, bool twoPlayers, int pickerN, int saveAfter,
                  const std::function<bool(const std::string&)>& shown, TrainingRun* run);
// The end of such a run: `shown` expected in the `count` screenshots after
// `taken`, the game ended, those screenshots checked (more than 40 colours)
// and kept as <copyPrefix>-<n>.bmp, and every file of the event loaded.
// The game's output.
std::string FinishEventRun(const TrainingRun& run, int taken, int count,
                           const std::function<bool(const std::string&)>& shown, const std::string& copyPrefix);
// The path of the game's screenshot number n under `root`.
std::string ScreenshotPath(const std::string& root, int n);
// Whether a screenshot's colour table holds entries first..last of an 8-bit
// picture's (the event's palette picture, a sheet written plain).
bool SharesColours(const std::string& shot, const std::string& picture, int first, int last);
// The share (0..1) of the pixels in columns x0..x1-1 of rows 0..rows-1 that
// differ between two screenshots' pixels (ScreenshotPixels); 0 when either
// is empty.
double ChangedShare(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b, int x0, int x1, int rows = 400);
// How many pixels in columns x0..x1-1 of rows 0..399 show colours
// first..last (a range of the palette only one athlete's sheet uses).
int PixelsInRange(const std::vector<uint8_t>& px, int x0, int x1, int first, int last);
// Two views side by side: the black divider over columns first..last in
// rows 0..399, and both views lit (columns 160 and 480 not black in most
// rows).
bool TwoViewsShown(const std::vector<uint8_t>& px, int first, int last);
// Ends the game (SIGTERM) and expects it to end; then checks the game's own
// screenshots <root>/data/sshot<first>.. (count of them): 640x480 with more than
// minColours colours (not a black or loading picture), each copied to
// <build dir>/<copyPrefix>-<n>.bmp for a person to look at. Returns how many
// there were.
int EndGameAndCheckScreenshots(pid_t game, const std::string& root, const std::string& log, int count,
                               int minColours, const std::string& copyPrefix, int first = 1);
// The check of EndGameAndCheckScreenshots alone, on screenshots
// first..first+count-1 of a game that may still run; their number.
int CheckAndKeepScreenshots(const std::string& root, int count, int minColours, const std::string& copyPrefix,
                            int first);
// Takes a screenshot about once a second until `shown` takes the newest
// (its path), at most `tries` of them: its number, 0 when none was.
int WaitForScreenshot(const std::string& root, const std::function<bool(const std::string&)>& shown, int tries);

}  // namespace game_process
