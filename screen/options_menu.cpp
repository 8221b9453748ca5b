#include "screen/options_menu.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "base/atomic_file.h"
#include "base/paths.h"
#include "base/player_records.h"
#include "base/string.h"
#include "graphics/bitmap_font.h"
#include "graphics/display.h"
#include "graphics/sprite.h"
#include "graphics/surface.h"
#include "graphics/text_fit.h"
#include "input/control_names.h"
#include "input/input.h"
#include "screen/config.h"
#include "screen/game_screen.h"
#include "screen/game_screen_services.h"

namespace {

constexpr int kTileFrame = 3;   // the dialog sprite's background tile
constexpr int kBoxX = 120;
constexpr int kBoxY = 90;
constexpr int kBoxW = 400;
constexpr int kBoxH = 300;
constexpr int kRowHeight = 24;
constexpr int kHelpTextWidth = kBoxW - 32;  // pixels a help line holds
constexpr int kHelpRows = 10;
// Bounds of a help file: what is read of it, its lines and the rows they wrap to.
constexpr size_t kMaxHelpBytes = 64 * 1024;
constexpr int kMaxHelpLines = 400;
constexpr size_t kMaxHelpRows = 2000;

const char* OnOff(int v) { return v ? "ON" : "OFF"; }

}  // namespace

OptionsMenu::OptionsMenu(DDPalette* palette, int first, int count) : palette_(palette) {
  if (palette_) palette_->AddRef();
  // The dialog tile, copied and matched to the screen's palette so that the
  // overlay shows in this screen's colours.
  DDSurface* frame = g_dialogSprite ? g_dialogSprite->GetFrameSurface(kTileFrame) : nullptr;
  if (frame && frame->HasSurface() && frame->GetPixelFormat() == 4) {
    tile_ = new DDSurface(frame->GetWidth(), frame->GetHeight(), 4);
    if (tile_->HasSurface()) {
      if (frame->GetPalette()) tile_->SetPalette(frame->GetPalette());
      tile_->Blt(0, 0, frame->GetWidth(), frame->GetHeight(), frame, 0, 0);
      if (palette_ && frame->GetPalette()) tile_->RemapToPaletteRange(palette_, first, count);
    } else {
      delete tile_;
      tile_ = nullptr;
    }
  }
}

OptionsMenu::~OptionsMenu() {
  delete tile_;
  if (palette_) palette_->Release();
}

void OptionsMenu::SetVisible(int isEventScreen) {
  visible_ = true;
  holdsGame_ = !(isEventScreen && g_playMode == 2);
  selected_ = 0;
  page_ = kPageItems;
  confirm_ = 0;
  helpTop_ = 0;
}

int OptionsMenu::Run() {
  if (!visible_) return 1;
  int r = OpenResult();
  if (IsEscapeActive(0)) {
    r = Back();
  } else if (IsFire1Active(0) || IsEnterActive(0)) {
    r = Choose();
  } else if (IsUpActive(0)) {
    MoveSelection(-1);
  } else if (IsDownActive(0)) {
    MoveSelection(1);
  } else if (IsLeftActive(0)) {
    ChangeValue(-1);
  } else if (IsRightActive(0)) {
    ChangeValue(1);
  }
  if (visible_) Draw();
  return r;
}

void OptionsMenu::MoveSelection(int delta) {
  if (page_ == kPageHelp) {
    int maxTop = std::max(0, static_cast<int>(help_.size()) - kHelpRows);
    helpTop_ = std::clamp(helpTop_ + delta, 0, maxTop);
    return;
  }
  if (page_ == kPageConfirmLeave) {
    confirm_ = confirm_ ? 0 : 1;
    return;
  }
  selected_ = ((selected_ + delta) % kItemCount + kItemCount) % kItemCount;
  ShellPlayNaviSound();
}

void OptionsMenu::ChangeValue(int delta) {
  if (page_ == kPageConfirmLeave) {
    confirm_ = confirm_ ? 0 : 1;
    return;
  }
  if (page_ != kPageItems) return;
  switch (selected_) {
    case kVolume:
      SetVolumeOption(std::clamp(g_volume + delta, 0, kVolumeSteps));
      break;
    case kHighDetail:
    case kBigViewport:
    case kMazeFloor:
    case kHighColourVideo:
    case kFullScreenVideo:
    case kInterlacedVideo:
      WriteOption(selected_);
      break;
    default:
      return;
  }
  ShellPlayNaviSound();
}

void OptionsMenu::WriteOption(int item) {
  switch (item) {
    case kHighDetail:
      g_highDetail = !g_highDetail;
      break;
    case kBigViewport:
      g_bigViewport = !g_bigViewport;
      break;
    case kMazeFloor:
      g_mazeFloor = !g_mazeFloor;
      g_mazeFloorPending = 1;
      break;
    case kHighColourVideo:
      g_highColorVideo = !g_highColorVideo;
      break;
    case kFullScreenVideo:
      g_fullScreenVideo = !g_fullScreenVideo;
      break;
    case kInterlacedVideo:
      g_interlacedVideo = !g_interlacedVideo;
      break;
    default:
      break;
  }
}

int OptionsMenu::Choose() {
  switch (page_) {
    case kPageHelp:
      page_ = kPageItems;
      return OpenResult();
    case kPageConfirmLeave:
      if (confirm_) {
        visible_ = false;
        return -1;
      }
      page_ = kPageItems;
      return OpenResult();
    case kPageItems:
      break;
  }
  switch (selected_) {
    case kContinue:
      visible_ = false;
      return 1;
    case kHelp:
      LoadHelp();
      page_ = kPageHelp;
      helpTop_ = 0;
      return OpenResult();
    case kLeave:
      page_ = kPageConfirmLeave;
      confirm_ = 0;
      return OpenResult();
    default:
      ChangeValue(1);
      return OpenResult();
  }
}

int OptionsMenu::Back() {
  if (page_ != kPageItems) {
    page_ = kPageItems;
    return OpenResult();
  }
  visible_ = false;
  return 1;
}

std::string OptionsMenu::ItemText(int item) const {
  char buf[64];
  switch (item) {
    case kContinue:
      return "CONTINUE";
    case kVolume:
      std::snprintf(buf, sizeof buf, "VOLUME: %d", static_cast<int>(g_volume));
      return buf;
    case kHighDetail:
      return std::string("HIGH DETAIL: ") + OnOff(g_highDetail);
    case kBigViewport:
      return std::string("BIG VIEW: ") + OnOff(g_bigViewport);
    case kMazeFloor:
      return std::string("MAZE FLOOR: ") + (g_mazeFloor ? "FLAT" : "TEXTURED");
    case kHighColourVideo:
      return std::string("HIGH COLOUR VIDEO: ") + OnOff(g_highColorVideo);
    case kFullScreenVideo:
      return std::string("FULL SCREEN VIDEO: ") + OnOff(g_fullScreenVideo);
    case kInterlacedVideo:
      return std::string("INTERLACED VIDEO: ") + OnOff(g_interlacedVideo);
    case kHelp:
      return "HELP";
    case kLeave:
      return "LEAVE GAME";
    default:
      return "";
  }
}

bool OptionsMenu::LoadHelpFile(const std::string& path, int width, std::vector<std::string>* lines) {
  if (width < 8) width = 8;
  return LoadHelpFile(path, width, [](const std::string& t) { return static_cast<int>(t.size()); },
                      lines);
}

bool OptionsMenu::ReadHelpFile(const std::string& path, std::string* text) {
  if (!text) return false;
  int fd = OpenRegularFile(ResolvePath(path));
  if (fd < 0) return false;
  // A help text is a few kilobytes; whatever lies past the bound is not help
  // and is never read.
  text->assign(kMaxHelpBytes, '\0');
  size_t got = 0;
  while (got < text->size()) {
    ssize_t r = ::read(fd, &(*text)[got], text->size() - got);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) break;
    got += static_cast<size_t>(r);
  }
  ::close(fd);
  text->resize(got);
  return true;
}

bool OptionsMenu::LoadHelpFile(const std::string& path, int width,
                               const std::function<int(const std::string&)>& measure,
                               std::vector<std::string>* lines) {
  if (!lines || !measure) return false;
  std::string text;
  if (!ReadHelpFile(path, &text)) return false;
  WrapHelpText(text, width, measure, lines);
  return true;
}

void OptionsMenu::WrapHelpText(const std::string& text, int width,
                               const std::function<int(const std::string&)>& measure,
                               std::vector<std::string>* lines) {
  if (!lines || !measure) return;
  // Each line of a help file is a paragraph, wrapped here once to the
  // overlay's width; a blank line stays a blank row.
  const TextMeasure byView = [&measure](std::string_view t) { return measure(std::string(t)); };
  const size_t rowLimit = lines->size() + kMaxHelpRows;
  size_t pos = 0;
  std::string line;
  for (int count = 0; count < kMaxHelpLines && pos < text.size() && lines->size() < rowLimit; ++count) {
    size_t eol = text.find('\n', pos);
    if (eol == std::string::npos) eol = text.size();
    line.clear();
    for (size_t i = pos; i < eol; ++i) {
      unsigned char u = static_cast<unsigned char>(text[i]);
      if (u == '\r') continue;
      line.push_back((u == '\t' || u < 32) ? ' ' : static_cast<char>(u));
    }
    pos = eol + 1;
    WrapLine(line, width, byView, lines, rowLimit);
  }
}

void OptionsMenu::LoadHelp() {
  help_.clear();
  auto measure = [this](const std::string& t) { return TextWidth(t.c_str()); };
  // The keys are named as this machine's players have them now: both of
  // them when two share the keyboard.
  const int players = g_playMode == 1 ? 2 : 1;
  std::string text;
  if (g_shellState == kShellEvent && g_eventIndex >= 1 && g_eventIndex <= 10) {
    char name[40];
    std::snprintf(name, sizeof name, "menu\\txt\\help%d.txt", static_cast<int>(g_eventIndex));
    if (ReadHelpFile(ShellProgramPath(name), &text)) {
      WrapHelpText(ExpandControlNames(text, players), kHelpTextWidth, measure, &help_);
      help_.push_back("");
    }
  }
  if (ReadHelpFile(ShellProgramPath("menu\\txt\\genHelp.txt"), &text))
    WrapHelpText(ExpandControlNames(text, players), kHelpTextWidth, measure, &help_);
  if (help_.empty()) help_.push_back("NO HELP AVAILABLE");
}

TextBox OptionsMenu::HelpRowBox(int row) {
  return TextBox{kBoxX + 16, kBoxY + 16 + kRowHeight * std::clamp(row, 0, kHelpRows - 1), kHelpTextWidth,
                 kRowHeight};
}

int OptionsMenu::HelpTextWidth() { return kHelpTextWidth; }

TextBox OptionsMenu::HelpScrollBox() {
  return TextBox{kBoxX + 16, kBoxY + 16 + kRowHeight * kHelpRows + 4, kHelpTextWidth, kRowHeight};
}

void OptionsMenu::TileRect(DDSurface* surface, int x, int y, int width, int height) {
  if (!surface || !surface->HasSurface() || width <= 0 || height <= 0) return;
  if (!tile_) {
    surface->FillRect(x, y, width, height, 0);
    return;
  }
  int tw = tile_->GetWidth();
  int th = tile_->GetHeight();
  if (tw <= 0 || th <= 0) return;
  for (int ty = 0; ty < height; ty += th) {
    int h = std::min(th, height - ty);
    for (int tx = 0; tx < width; tx += tw) {
      int w = std::min(tw, width - tx);
      surface->Blt(x + tx, y + ty, w, h, tile_, 0, 0);
    }
  }
}

int OptionsMenu::CharHeight() const { return g_menuFont ? g_menuFont->GetHeight() : 8; }

int OptionsMenu::TextWidth(const char* text) const {
  if (!text) return 0;
  return g_menuFont ? g_menuFont->GetTextWidth(text) : static_cast<int>(std::strlen(text)) * 8;
}

void OptionsMenu::DrawText(DDSurface* surface, int x, int y, const char* text) {
  if (!g_menuFont || !surface || !text) return;
  g_menuFont->SetFlags(0);
  g_menuFont->DrawText(surface, x, y, text);
}

void OptionsMenu::Draw() {
  DDSurface* back = ShellBackSurface();
  if (!back) return;
  TileRect(back, kBoxX, kBoxY, kBoxW, kBoxH);
  int x = kBoxX + 30;
  int y = kBoxY + 16;
  if (page_ == kPageHelp) {
    int end = std::min(static_cast<int>(help_.size()), helpTop_ + kHelpRows);
    for (int i = helpTop_; i < end; ++i)
      if (g_menuFont) DrawTextInBox(g_menuFont, back, HelpRowBox(i - helpTop_), help_[i], 0, false);
    // A page longer than the box says how to see the rest.
    if (g_menuFont && static_cast<int>(help_.size()) > kHelpRows) {
      const char* text = GetStringText(10605);
      DrawTextInBox(g_menuFont, back, HelpScrollBox(),
                    ExpandControlNames(text ? text : "{UP} and {DOWN} scroll the page"), kFontAlignCentre,
                    false);
    }
    return;
  }
  if (page_ == kPageConfirmLeave) {
    DrawText(back, x, y + 60, "LEAVE THE GAME?");
    DrawText(back, x + 30, y + 110, confirm_ ? "> YES" : "  YES");
    DrawText(back, x + 150, y + 110, confirm_ ? "  NO" : "> NO");
    return;
  }
  for (int i = 0; i < kItemCount; ++i, y += kRowHeight + 3) {
    std::string text = (i == selected_ ? "> " : "  ") + ItemText(i);
    DrawText(back, x, y, text.c_str());
  }
}
