#include "shell/screen_factory.h"

#include "base/debug.h"
#include "base/player_records.h"
#include "screen/game_screen.h"
#include "screen/game_screen_services.h"

#include <utility>
#include <vector>

namespace {

struct Registry {
  ScreenMaker mainMenu;
  ScreenMaker newGame;
  ScreenMaker shop;
  EndingScreenMaker ending;
  VideoScreenMaker video;
  ScreenMaker events[11];
  ScreenMaker splitMaze;
  std::function<int()> trainingChoice;
  std::vector<std::pair<std::function<void()>, std::function<void()>>> services;
  bool servicesUp = false;
};

Registry& Reg() {
  static Registry reg;
  return reg;
}

constexpr CutSceneRow kCutScenes[kCutSceneRows] = {
    {"video\\rizaz1.avi", 148, 65, 420, 280, 0, "menu\\bkgrd.bmp"},
    {"video\\rizaz2.avi", 150, 66, 420, 280, 0, "menu\\bkgrd.bmp"},
    {"video\\vuda1.avi", 148, 68, 420, 280, 0, "menu\\bkgrd.bmp"},
    {"video\\vuda2.avi", 148, 68, 420, 280, 0, "menu\\bkgrd.bmp"},
    {"video\\buff1.avi", 160, 120, 320, 240, 1, nullptr},
    {"video\\buff2.avi", 160, 120, 320, 240, 1, nullptr},
    {"video\\amazon1.avi", 148, 66, 420, 280, 0, "menu\\bkgrd.bmp"},
    {"video\\amazon2.avi", 148, 66, 420, 280, 0, "menu\\bkgrd.bmp"},
    {"video\\jacko1.avi", 140, 68, 420, 280, 0, "menu\\bkgrd.bmp"},
    {"video\\jacko2.avi", 148, 68, 420, 280, 0, "menu\\bkgrd.bmp"},
    {"video\\alien1.avi", 148, 68, 420, 280, 0, "menu\\bkgrd.bmp"},
    {"video\\alien2.avi", 148, 68, 420, 280, 0, "menu\\bkgrd.bmp"},
    {"video\\upcls1.avi", 160, 120, 320, 240, 1, nullptr},
    {"video\\upcls2.avi", 160, 120, 320, 240, 1, nullptr},
};

// A maker that is missing or fails gives null; the shell decides what then.
GameScreen* Call(const ScreenMaker& make, const char* what) {
  if (!make) {
    DebugPrintf("No %s screen is registered.\n", what);
    return nullptr;
  }
  return make();
}

}  // namespace

void RegisterMainMenuScreen(ScreenMaker make) { Reg().mainMenu = std::move(make); }
void RegisterNewGameScreen(ScreenMaker make) { Reg().newGame = std::move(make); }
void RegisterShopScreen(ScreenMaker make) { Reg().shop = std::move(make); }
void RegisterEndingScreen(EndingScreenMaker make) { Reg().ending = std::move(make); }
void RegisterVideoScreen(VideoScreenMaker make) { Reg().video = std::move(make); }
void RegisterEventScreen(int n, ScreenMaker make) {
  if (n >= 1 && n <= 10) Reg().events[n] = std::move(make);
}
void RegisterSplitMazeScreen(ScreenMaker make) { Reg().splitMaze = std::move(make); }
void RegisterTrainingChoice(std::function<int()> chosenEvent) {
  Reg().trainingChoice = std::move(chosenEvent);
}
void ClearScreenRegistrations() { Reg() = Registry(); }

void RegisterShellService(std::function<void()> create, std::function<void()> destroy) {
  Reg().services.emplace_back(std::move(create), std::move(destroy));
}

void CreateRegisteredServices() {
  if (Reg().servicesUp) return;
  Reg().servicesUp = true;
  for (auto& s : Reg().services)
    if (s.first) s.first();
}

void DestroyRegisteredServices() {
  if (!Reg().servicesUp) return;
  Reg().servicesUp = false;
  for (auto& s : Reg().services)
    if (s.second) s.second();
}

GameScreen* MakeMainMenuScreen() { return Call(Reg().mainMenu, "main menu"); }
GameScreen* MakeNewGameScreen() { return Call(Reg().newGame, "new game"); }
GameScreen* MakeShopScreen() { return Call(Reg().shop, "shop"); }
GameScreen* MakeEndingScreen(int afterChampionship) {
  if (!Reg().ending) {
    DebugPrintf("No ending screen is registered.\n");
    return nullptr;
  }
  return Reg().ending(afterChampionship);
}
GameScreen* MakeVideoScreen(const VideoClip& clip) {
  if (!Reg().video) return nullptr;
  return Reg().video(clip);
}
bool HasVideoScreen() { return static_cast<bool>(Reg().video); }
int ChosenTrainingEvent() {
  return Reg().trainingChoice ? Reg().trainingChoice() : g_trainingEvent;
}

bool IsEventAvailable(int n) {
  if (n < 1 || n > 10) return false;
  if (n == 7 && g_playMode == 1) return static_cast<bool>(Reg().splitMaze);
  return static_cast<bool>(Reg().events[n]);
}

int NextAvailableEvent(int after) {
  int n = after < 0 ? 1 : after + 1;
  while (n <= 10 && !IsEventAvailable(n)) ++n;
  return n <= 10 ? n : 11;
}

GameScreen* CreateEventScreen(int n) {
  g_shellState = kShellEvent;
  if (!IsEventAvailable(n)) {
    DebugPrintf("Event %d has no screen yet.\n", n);
    return nullptr;
  }
  const ScreenMaker& make = (n == 7 && g_playMode == 1) ? Reg().splitMaze : Reg().events[n];
  GameScreen* screen = make();
  if (!screen) return nullptr;
  g_currentScreen = screen;
  g_eventIndex = n;
  return screen;
}

const CutSceneRow& GetCutSceneRow(int row) {
  if (row < 0) row = 0;
  if (row >= kCutSceneRows) row = kCutSceneRows - 1;
  return kCutScenes[row];
}

bool ChooseEventIntroClip(int eventIndex, int playMode, VideoClip* clip) {
  if (playMode == 2) return false;
  VideoClip c;
  if (eventIndex == 0) {
    c.path = "video\\chipint.avi";
  } else if (eventIndex >= 1 && eventIndex <= 8) {
    // Events 2-5 show each athlete's first clip, events 6-9 his second.
    int record = eventIndex <= 4 ? eventIndex - 1 : eventIndex - 5;
    int character = g_players[record].character;
    if (character < 0 || character > 6) return false;  // no clip for a bad record
    const CutSceneRow& row = kCutScenes[2 * character + (eventIndex <= 4 ? 0 : 1)];
    c.path = row.path;
    c.x = row.x;
    c.y = row.y;
    c.width = row.width;
    c.height = row.height;
    c.allowFullScreen = row.fullScreen;
    c.background = row.background ? row.background : "";
  } else {
    return false;
  }
  if (clip) *clip = c;
  return true;
}

GameScreen* MakeCutScene(const char* path) {
  VideoClip clip;
  clip.path = ShellVideoPath(path);
  clip.useDrawPlayer = ShellUseDrawPlayer();
  return MakeVideoScreen(clip);
}

void StartEventIntroVideo() {
  VideoClip clip;
  if (ChooseEventIntroClip(g_eventIndex, g_playMode, &clip)) {
    clip.path = ShellVideoPath(clip.path.c_str());
    if (!clip.background.empty()) clip.background = ShellProgramPath(clip.background.c_str());
    clip.useDrawPlayer = ShellUseDrawPlayer();
    GameScreen* screen = MakeVideoScreen(clip);
    if (screen) {
      g_currentScreen = screen;
      return;
    }
  }
  // No cut-scene: black surfaces, and state 4 builds the event next frame.
  ShellClearDisplay();
}
