#pragma once
// GameScreen: the base of every full-screen mode (menus, new game, shop, the
// ending screen, cut-scenes and every event). The shell owns exactly one
// current screen, calls its Run once a frame and deletes it when Run returns
// non-zero. The base supplies the per-frame tick (input poll, message and
// chat overlay, the in-game options menu), the chat and command line, three
// timed message lines, a debug overlay, frame pacing, the loading picture,
// the wait box, the status band and the lock-step input kit of events.
#include <cstdint>
#include <memory>
#include <string>

#include "graphics/text_fit.h"
#include "net/lockstep.h"

class OptionsMenu;
class DDPalette;
struct PaletteEntry;
class DDClipper;
class DDSurface;
class Sprite;
class GameScreen;
struct NetMessage;

// The shell's state numbers.
enum ShellState : int32_t {
  kShellMainMenu = 0,
  kShellNewGame = 1,
  kShellEvent = 2,
  kShellShop = 3,
  kShellCutScene = 4,
  kShellEnding = 5,
  kShellIntro1 = 1001,
  kShellIntro2 = 1002,
  kShellCredits = 1003,
};

extern GameScreen* g_currentScreen;  // the running screen, owned by the shell
extern int32_t g_shellState;
extern int32_t g_gameSpeed;  // 6: each event's own period (see DelayElapsed)
extern int32_t g_debugMode;  // 8 shows the debug overlay, 9 hides it

inline constexpr int kChatLineMax = 32;
inline constexpr int kMessageLines = 3;
inline constexpr int kMessageLifeFrames = 80;
inline constexpr int kMessageTop = 35;  // the first message line, under the chat line
inline constexpr int kDebugLines = 20;
inline constexpr int kStatusRows = 4;
inline constexpr int kStatusLabelSize = 9;

// Where the status band's texts go (screen pixels; the band's picture draws
// a panel per player, its face box and the name line under it), so that none
// leaves its panel whatever its length.
// A player's name, in the name line under the face; `beforeItem`: in an
// event that shows each player's item (its picture and count) in his
// panel from StatusItemX on, the name ends before it.
TextBox StatusNameBox(int player, bool beforeItem = false);
inline constexpr int StatusItemX(int player) { return 90 + 160 * (player & 3); }
// A bar's label, written over the bar of `row`.
TextBox StatusLabelBox(int player, int row);
// The attempts panel right of the face: a label ("Distance") and the three
// attempts' results under it, rows kStatusAttemptStep apart.
TextBox StatusAttemptLabelBox(int player);
TextBox StatusAttemptBox(int player, int attempt);
inline constexpr int kStatusAttemptStep = 10;
// The hint line above the play ("HOLD CTRL TO SKIP THIS THROW", why an
// attempt was a foul): its tiled strip and the text's box in it.
inline constexpr TextBox kHintStrip{110, 4, 420, 24};
inline constexpr TextBox kHintBox{118, 8, 404, 16};

struct GameMessageLine {
  std::string text;
  int32_t shownFrame = 0;
};

class GameScreen {
 public:
  // isEventScreen: 1 for events and the closing ceremony, 0 for the others.
  explicit GameScreen(int isEventScreen);
  GameScreen(const GameScreen&) = delete;
  GameScreen& operator=(const GameScreen&) = delete;

  // Virtual operations, in this order in every screen.
  virtual ~GameScreen();
  // One frame. Base: 0 go on, 2 the options menu is open (an event then only
  // flips and skips its update), 1 the menu closed this frame, -1 leave to
  // the main menu.
  virtual int Run();
  virtual void OnDeactivate() {}
  virtual void OnActivate() {}
  virtual int IsMusicPlaying() { return musicPlaying_; }
  virtual void HandleChatInput();
  virtual const char* GetCommandText();
  virtual void ClearCommandText();
  virtual void AddMessage(const char* text);
  virtual void DrawOverlay();

  // The command line compared with "LOAD GAME 1".."LOAD GAME 5" and
  // "SAVE GAME 1".."SAVE GAME 5". The slot (0..4) is stored when asked for.
  bool IsLoadGameCommand(int* slot = nullptr) const;
  bool IsSaveGameCommand(int* slot = nullptr) const;

  void SetDebugLine(int index, const char* text);
  const char* GetDebugLine(int index) const;
  void DrawDebugOverlay();

  // Frame pacer on the stopwatch `timer` of g_timers: 1 once the period for
  // the current game speed has passed (the stopwatch restarts), else 0.
  // While the period runs it sleeps to its end, waking early only for a
  // window event (then 0: the main loop handles it and calls again).
  int DelayElapsed(int timer, int periodMs);
  // The same pacer with a fixed period, for screens that the game speed
  // does not change (menus, shop, ceremony). A period of 0 never waits.
  int PeriodElapsed(int timer, int periodMs);

  // The options overlay, its tile matched to entries first .. first +
  // count - 1 of `palette` (a screen that changes its other entries while it
  // runs keeps the overlay to the entries that stay).
  void CreateOptionsMenu(DDPalette* palette, int first = 0, int count = 256);
  void DestroyOptionsMenu();
  OptionsMenu* GetOptionsMenu() const { return optionsMenu_; }
  bool IsMenuOpen() const { return menuOpen_ != 0; }
  bool IsChatOpen() const { return chatOpen_ != 0; }
  int IsEventScreen() const { return isEventScreen_; }
  const std::string& GetChatLine() const { return chatLine_; }
  const GameMessageLine& GetMessageLine(int i) const { return messages_[i]; }
  int32_t GetFrameCounter() const { return frameCounter_; }

  // Loading picture with its progress band. The first call with a path
  // shows the picture (a full path, "video\loadingN.mbm" under the video
  // directory); calls while it is up only set the progress.
  void ShowLoadingScreen(int percent, const char* path);
  void SetLoadingProgress(int percent, int redraw);
  void EndLoadingScreen();
  bool IsLoadingScreenUp() const { return loadingUp_ != 0; }

  // A box of wrapped text over the picture (the lock-step questions). The
  // palette fades only when the box first opens, not on every redraw.
  void ShowWaitBox(const char* text);
  void CloseWaitBox();
  bool IsWaitBoxShown() const { return waitBoxShown_ != 0; }

  // The status band under an event's picture: rows of four bars (one per
  // player) with their maxima and labels, the names and the face panel,
  // whose pictures are matched to entries faceFirst .. faceFirst+faceCount-1
  // of the background's palette.
  void SetupStatusBars(DDSurface* background, int rows, const int maxima[],
                       const char* const labels[], int faceFirst, int faceCount);
  void DrawStatusBars(DDSurface* background, int row, const int values[4],
                      const int* stars);
  // The events that show each player's item from StatusItemX on say so
  // before the band is drawn: the names then end before the item.
  void SetStatusItemsShown(bool shown) { statusItemsShown_ = shown; }
  bool StatusItemsShown() const { return statusItemsShown_; }
  // The band's texts are drawn in the white of these colours (SetupStatusBars
  // takes the background's; a band drawn without it names its own).
  void UseStatusPalette(const PaletteEntry* entries);
  // The names in their boxes, and a text of the band (an item's count) at
  // (x, y), in the band's white.
  void DrawStatusNames(DDSurface* back);
  void DrawStatusText(int x, int y, const std::string& text);
  // The attempts panels of events measured in attempts: the label and each
  // player's three results, fitted to their boxes (white text).
  void DrawAttemptTexts(const std::string& label, const std::string results[4][3]);
  // The hint line above the play; nothing for an empty text.
  void DrawHintLine(const std::string& text);

  // The lock-step kit (see net/lockstep.h): every event's constructor ends
  // with WaitForPlayers; each frame it exchanges the input of all players
  // (ExchangeInput), then sends its own for the next one (ReadLocalInput).
  int WaitForPlayers();
  int ReadLocalInput();
  int ExchangeInput();
  int BroadcastEventEnd();
  // The end-event code in a network game: the event ends at a coming
  // exchange (which returns 1), after the frames whose input is already out.
  // False when there is nobody to keep in step with: end it at once.
  bool RequestEventEnd() { return lockStep_->RequestEnd(); }
  // Machines hear of a player leaving the session at different frames; the
  // computer takes his part over in the frame whose exchanged output records
  // first say so, the same frame on every machine. Each machine writes the
  // players it knows to have left into byte `offset` of its record (a bit a
  // player). Returns `persons` (a bit a player) without those who left.
  uint8_t AgreeOnLeavers(int offset, uint8_t persons);
  int HandleSystemMessage(const NetMessage& msg);
  void SetSyncCheck(int32_t value) { lockStep_->SetSyncCheck(value); }
  void PutOutByte(int offset, uint8_t value) { lockStep_->PutOutByte(offset, value); }
  void PutOutWord(int offset, uint16_t value) { lockStep_->PutOutWord(offset, value); }
  void PutOutDword(int offset, uint32_t value) { lockStep_->PutOutDword(offset, value); }
  uint8_t GetPlayerByte(int player, int offset) const {
    return lockStep_->GetPlayerByte(player, offset);
  }
  uint16_t GetPlayerWord(int player, int offset) const {
    return lockStep_->GetPlayerWord(player, offset);
  }
  uint32_t GetPlayerDword(int player, int offset) const {
    return lockStep_->GetPlayerDword(player, offset);
  }
  bool AnyPlayerByteIs(int offset, uint8_t value) const {
    return lockStep_->AnyPlayerByteIs(offset, value);
  }
  bool AllPlayersByteAre(int offset, uint8_t value) const {
    return lockStep_->AllPlayersByteAre(offset, value);
  }
  int32_t GetSyncPoint() const { return lockStep_->syncPoint(); }
  int32_t GetSyncCheck() const { return lockStep_->syncCheck(); }
  // The own and the second local player's input state of this frame.
  const uint8_t* GetOwnInputState() const { return lockStep_->ownState(); }
  const uint8_t* GetSecondInputState() const { return lockStep_->secondState(); }
  LockStep& GetLockStep() { return *lockStep_; }

 protected:
  int32_t isEventScreen_;
  int32_t musicPlaying_ = 1;

  // Loading screen, wait box and status band.
  int32_t waitBoxShown_ = 0;
  uint8_t savedPalette_[256 * 4] = {};
  DDPalette* fadePalette_ = nullptr;
  DDClipper* savedBackClipper_ = nullptr;
  DDClipper* savedPrimaryClipper_ = nullptr;
  int32_t boxMark_ = 0;
  Sprite* loadingPicture_ = nullptr;
  int32_t loadingUp_ = 0;
  int32_t loadingPercent_ = 0;
  int32_t statusRows_ = 0;
  int32_t statusMaxima_[kStatusRows] = {};
  char statusLabels_[kStatusRows][kStatusLabelSize + 1] = {};
  int32_t barColours_[3] = {0, 0, 0};  // red, yellow, green
  int32_t statusInk_ = 255;            // the band's white
  bool statusItemsShown_ = false;
  int32_t starShown_[4] = {};

  OptionsMenu* optionsMenu_ = nullptr;
  int32_t menuOpen_ = 0;

  GameMessageLine messages_[kMessageLines];
  // Where the message lines begin, one under the other: under the chat
  // line, or lower on a screen whose title stands at the top.
  int32_t messageTop_ = kMessageTop;
  int32_t nextMessage_ = 0;
  int32_t frameCounter_ = 0;
  std::string commandText_;
  std::string chatLine_;
  int32_t chatOpen_ = 0;
  std::string debugLines_[kDebugLines];
  std::string loadingText_;
  std::string loadCommands_[5];
  std::string saveCommands_[5];

  std::unique_ptr<LockStepUi> lockStepUi_;
  std::unique_ptr<LockStep> lockStep_;

 private:
  friend class ScreenLockStepUi;
  void InitLockStep();
  void DrawLoadingFrame(int redraw);
};

// The game-speed table of DelayElapsed: the period in ms for a caller's
// period at the current speed, or 0 when frames are not paced.
int GameSpeedPeriod(int gameSpeed, int callerPeriodMs);

// A status bar's length (0..60) and colour (0 red under 10 %, 1 yellow
// under 40 %, 2 green) for a value of a row's maximum; values are clamped
// to 0..maximum, and a row without a maximum (0 or less) has no bar.
int StatusBarLength(int value, int maximum);
int StatusBarColourIndex(int value, int maximum);
