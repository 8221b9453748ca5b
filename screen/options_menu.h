#pragma once
// The in-game options overlay every screen owns once it calls
// GameScreen::CreateOptionsMenu: opened with Escape or fire 3, it holds the
// game (but in a network game, where the others play on), changes the sound
// volume and the video and detail options, shows the help texts, and offers
// leaving the game. Its dialog tile also backs the message lines and the
// panels the events draw (TileRect).
#include <functional>
#include <string>
#include <vector>

#include "graphics/text_fit.h"

class DDPalette;
class DDSurface;

class OptionsMenu {
 public:
  enum Item {
    kContinue,
    kVolume,
    kHighDetail,
    kBigViewport,
    kMazeFloor,
    kHighColourVideo,
    kFullScreenVideo,
    kInterlacedVideo,
    kHelp,
    kLeave,
    kItemCount
  };
  enum Page { kPageItems, kPageHelp, kPageConfirmLeave };

  // The overlay for a screen shown through `palette` (its tile and texts are
  // matched to it, the tile to entries first .. first + count - 1; null: the
  // display's palette as it is).
  explicit OptionsMenu(DDPalette* palette, int first = 0, int count = 256);
  ~OptionsMenu();
  OptionsMenu(const OptionsMenu&) = delete;
  OptionsMenu& operator=(const OptionsMenu&) = delete;

  // Opens the overlay on its first item. On an event screen in a network
  // game it does not hold the game.
  void SetVisible(int isEventScreen);
  bool IsVisible() const { return visible_; }
  // One frame while open: reads the menu keys, applies a choice and draws.
  // 2 while open (0 when it does not hold the game), 1 when it closed this
  // frame, -1 when the player leaves the game.
  int Run();

  // Fills a rectangle with whole copies of the dialog tile, cutting the
  // right and bottom remainders (and everything outside the surface).
  void TileRect(DDSurface* surface, int x, int y, int width, int height);
  // The overlay's text font (the menu font).
  int CharHeight() const;
  int TextWidth(const char* text) const;
  void DrawText(DDSurface* surface, int x, int y, const char* text);

  // The item's text as shown, with its current setting.
  std::string ItemText(int item) const;
  int GetSelected() const { return selected_; }
  Page GetPage() const { return page_; }
  // Menu actions, as the keys drive them (tests call them directly).
  void MoveSelection(int delta);
  void ChangeValue(int delta);  // left / right on the selected item
  // Enter / fire 1 on the selected item: returns what Run would return.
  int Choose();
  int Back();  // Escape: returns what Run would return

  // Reads a help text: lines of at most `width` characters, wrapped at
  // spaces; false (nothing appended) when the file cannot be read.
  static bool LoadHelpFile(const std::string& path, int width, std::vector<std::string>* lines);
  // The same with lines at most `width` wide by `measure` (pixels of a font).
  // Only the first 64 KiB of the file are read.
  static bool LoadHelpFile(const std::string& path, int width,
                           const std::function<int(const std::string&)>& measure,
                           std::vector<std::string>* lines);
  // The box of row `row` (0..9) of the help page, and the width a help row
  // is wrapped to.
  static TextBox HelpRowBox(int row);
  static int HelpTextWidth();
  // Under the rows: how to scroll a page longer than the box.
  static TextBox HelpScrollBox();
  static constexpr int kHelpRowsShown = 10;
  // The first 64 KiB of a help file; false when it cannot be read.
  static bool ReadHelpFile(const std::string& path, std::string* text);
  // Wraps a help text (its first 400 lines, 2000 rows at most) into lines:
  // each line of the text is a paragraph, wrapped once at spaces.
  static void WrapHelpText(const std::string& text, int width,
                           const std::function<int(const std::string&)>& measure,
                           std::vector<std::string>* lines);

 private:
  void Draw();
  void LoadHelp();
  void WriteOption(int item);
  int OpenResult() const { return holdsGame_ ? 2 : 0; }

  DDPalette* palette_ = nullptr;
  DDSurface* tile_ = nullptr;  // the dialog tile, matched to the palette
  bool visible_ = false;
  bool holdsGame_ = true;
  int selected_ = 0;
  Page page_ = kPageItems;
  int confirm_ = 0;  // 0 "NO", 1 "YES" on the leave page
  int helpTop_ = 0;
  std::vector<std::string> help_;
};

