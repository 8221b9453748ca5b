#pragma once
// Where the shell's screens come from. The shell sits below the front
// end, the cut-scene player and the events, so it cannot name their classes:
// each of those libraries offers a registration call that puts its
// constructors into this table, and the program's entry calls them before
// ShellStartup. Tests install scripted screens the same way.
//
// An event without a registered screen does not exist yet: a championship
// passes over it (no one scores) and the training picker shows it as not
// available (IsEventAvailable).
#include <functional>
#include <string>

class GameScreen;

// A cut-scene as the shell asks for it: the clip's full path, the rectangle
// used when it is not shown full screen, whether full screen is allowed, the
// full path of a background picture ("" for none) and the player to use.
struct VideoClip {
  std::string path;
  int x = 160;
  int y = 120;
  int width = 320;
  int height = 240;
  int allowFullScreen = 1;
  std::string background;
  int useDrawPlayer = 1;
};

using ScreenMaker = std::function<GameScreen*()>;
using EndingScreenMaker = std::function<GameScreen*(int afterChampionship)>;
using VideoScreenMaker = std::function<GameScreen*(const VideoClip& clip)>;

void RegisterMainMenuScreen(ScreenMaker make);
void RegisterNewGameScreen(ScreenMaker make);
void RegisterShopScreen(ScreenMaker make);
// EndingScreen(0) is the hall of fame from the menu, (1) the closing ceremony.
void RegisterEndingScreen(EndingScreenMaker make);
void RegisterVideoScreen(VideoScreenMaker make);
// Event n (1..10). For event 7 this is the single-view maze.
void RegisterEventScreen(int n, ScreenMaker make);
// Event 7's split-screen maze, chosen when two players share the machine.
void RegisterSplitMazeScreen(ScreenMaker make);
// Forgets every registration (tests).
void ClearScreenRegistrations();

// Services of the libraries above the shell that live from start-up to
// shut-down (the hall-of-fame table of the front end): made in ShellStartup
// after the start-up fonts and sounds, destroyed in ShellShutdown after the
// sound manager. Registered in order; destroyed in the same order.
void RegisterShellService(std::function<void()> create, std::function<void()> destroy);
void CreateRegisteredServices();
void DestroyRegisteredServices();

// The main menu's chosen training event, read in state 0 when the menu
// returns a new game. The front end installs it with its main menu.
void RegisterTrainingChoice(std::function<int()> chosenEvent);

// Makers of the shell: null when nothing is registered (the screen cannot
// be built) or when the maker itself fails.
GameScreen* MakeMainMenuScreen();
GameScreen* MakeNewGameScreen();
GameScreen* MakeShopScreen();
GameScreen* MakeEndingScreen(int afterChampionship);
GameScreen* MakeVideoScreen(const VideoClip& clip);
// The training event the menu chose (below 1: a championship); without a
// registered choice, g_trainingEvent as the menu left it.
int ChosenTrainingEvent();
bool HasVideoScreen();

// True when event n has a screen (for event 7 in the current play mode).
bool IsEventAvailable(int n);
// The first available event after `after`, or 11 when none is left.
int NextAvailableEvent(int after);

// Sets g_shellState to 2, builds event n's screen (the split maze for 7
// when g_playMode is 1), makes it g_currentScreen and sets g_eventIndex = n.
// Returns the screen, or null when the event has no screen (nothing is
// changed but the state).
GameScreen* CreateEventScreen(int n);

// One row of the cut-scene table: clip under the video directory, its
// rectangle, the full-screen flag and a background picture under the
// program directory (null for none).
struct CutSceneRow {
  const char* path;
  int x, y, width, height;
  int fullScreen;
  const char* background;
};
inline constexpr int kCutSceneRows = 14;
const CutSceneRow& GetCutSceneRow(int row);

// The cut-scene that comes before event eventIndex + 1 in a game of
// playMode: false when none is shown (network games, before event 10).
// Paths in *clip are relative ("video\...", "menu\...").
bool ChooseEventIntroClip(int eventIndex, int playMode, VideoClip* clip);
// Builds that cut-scene as the current screen; without one both surfaces are
// cleared and no screen is made (state 4 then builds the event next frame).
void StartEventIntroVideo();
// A cut-scene screen of VIDEOPATH + path (a relative "video\..." name) at
// the standard rectangle, or null.
GameScreen* MakeCutScene(const char* path);
