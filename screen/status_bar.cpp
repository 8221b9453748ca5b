// The status band under an event's picture: faces, names and up to four
// rows of bars, one column per player.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "base/player_records.h"
#include "graphics/bitmap_font.h"
#include "graphics/display.h"
#include "graphics/surface.h"
#include "screen/face_panel.h"
#include "screen/game_screen.h"
#include "screen/game_screen_services.h"
#include "screen/options_menu.h"

namespace {

constexpr int kBarX[4] = {89, 249, 411, 572};
constexpr int kBarTop = 406;
constexpr int kRowStep = 20;
constexpr int kBarLength = 60;
constexpr int kBarHeight = 10;
// The name line of the band's picture spans y 462..477 under each face box,
// its inside 463..476. The font's cell is 16 rows whose first rows are
// blank: from y 461 its letters stand inside at their own size. (A box of
// the inside's 14 rows would make every name smaller, and the smaller
// drawing drops rows: the middle bar of a B, which then reads as a D.)
constexpr int kNameTop = 461;
constexpr int kNameHeight = 16;
constexpr int kNameWidth = 134;
// Right edges of the four panels of the band's picture.
constexpr int kPanelRight[4] = {155, 317, 474, 637};
// The attempts panel's label and three results stand in the tall box under
// the first bar, 10 pixels apart (the cell's first rows are blank).
constexpr int kAttemptTop = 418;

const PaletteEntry* EntriesOf(DDSurface* s) {
  DDPalette* p = s ? s->GetPalette() : nullptr;
  if (!p && g_primaryDDSurface) p = g_primaryDDSurface->GetPalette();
  return p ? p->Entries() : nullptr;
}

}  // namespace

TextBox StatusNameBox(int player, bool beforeItem) {
  const int i = player & 3;
  const int width = beforeItem ? StatusItemX(i) - 2 - kFaceX[i] : kNameWidth;
  return TextBox{kFaceX[i], kNameTop, width, kNameHeight};
}

TextBox StatusLabelBox(int player, int row) {
  const int i = player & 3;
  return TextBox{kBarX[i] + 2, kBarTop + kRowStep * std::clamp(row, 0, kStatusRows - 1) + 1, kBarLength - 2, 16};
}

TextBox StatusAttemptLabelBox(int player) {
  const int i = player & 3;
  return TextBox{kBarX[i], kAttemptTop, kPanelRight[i] - 3 - kBarX[i], 16};
}

TextBox StatusAttemptBox(int player, int attempt) {
  const int i = player & 3;
  const int x = kBarX[i] + 5;
  return TextBox{x, kAttemptTop + kStatusAttemptStep * (1 + std::clamp(attempt, 0, 2)),
                 kPanelRight[i] - 3 - x, 16};
}

int StatusBarLength(int value, int maximum) {
  if (maximum <= 0) return 0;
  long long v = std::clamp<long long>(value, 0, maximum);
  return static_cast<int>(v * kBarLength / maximum);
}

int StatusBarColourIndex(int value, int maximum) {
  if (maximum <= 0) return 0;
  long long v = std::clamp<long long>(value, 0, maximum);
  long long percent = v * 100 / maximum;
  if (percent < 10) return 0;   // red
  if (percent < 40) return 1;   // yellow
  return 2;                     // green
}

void GameScreen::SetupStatusBars(DDSurface* background, int rows, const int maxima[],
                                 const char* const labels[], int faceFirst, int faceCount) {
  statusRows_ = std::clamp(rows, 0, kStatusRows);
  for (int r = 0; r < kStatusRows; ++r) {
    statusMaxima_[r] = (r < statusRows_ && maxima) ? maxima[r] : 0;
    statusLabels_[r][0] = 0;
    if (r < statusRows_ && labels && labels[r]) {
      std::strncpy(statusLabels_[r], labels[r], kStatusLabelSize);
      statusLabels_[r][kStatusLabelSize] = 0;
    }
  }
  const PaletteEntry* entries = EntriesOf(background);
  UseStatusPalette(entries);
  if (entries) {
    barColours_[0] = std::max(0, FindNearestColour(entries, 0, 256, 255, 0, 0));
    barColours_[1] = std::max(0, FindNearestColour(entries, 0, 256, 255, 255, 0));
    barColours_[2] = std::max(0, FindNearestColour(entries, 0, 256, 0, 255, 0));
  }
  for (int& s : starShown_) s = 0;
  if (g_facePanel) {
    g_facePanel->Prepare(background ? background->GetPalette() : nullptr, faceFirst, faceCount);
  }
}

void GameScreen::DrawStatusBars(DDSurface* background, int row, const int values[4],
                                const int* stars) {
  DDSurface* back = ShellBackSurface();
  if (!back || row < 0 || row >= statusRows_) return;
  if (row == 0) {
    if (background && background->HasSurface()) {
      int srcY = background->GetHeight() >= 480 ? kStatusBandTop : 0;
      back->Blt(0, kStatusBandTop, 640, 80, background, 0, srcY);
    }
    if (g_facePanel) g_facePanel->Draw(back, kStatusBandTop, stars);
    DrawStatusNames(back);
  }
  if (g_screenText) g_screenText->SetInkIndex(statusInk_);
  int y = kBarTop + kRowStep * row;
  int maximum = statusMaxima_[row];
  for (int i = 0; i < kMaxPlayers; ++i) {
    int value = values ? values[i] : 0;
    if (maximum <= 0) {
      // A row without a maximum shows its numbers.
      if (g_screenText) {
        char text[16];
        std::snprintf(text, sizeof text, "%d", value);
        g_screenText->SetFlags(0);
        g_screenText->DrawText(back, kBarX[i], y, text);
      }
      continue;
    }
    int length = StatusBarLength(value, maximum);
    if (length > 0) {
      back->FillRect(kBarX[i], y, length, kBarHeight,
                     barColours_[StatusBarColourIndex(value, maximum)]);
    }
    if (statusLabels_[row][0] && g_screenText) {
      DrawTextInBox(g_screenText, back, StatusLabelBox(i, row), statusLabels_[row], 0, false);
    }
  }
  if (g_screenText) g_screenText->SetInkIndex(-1);
}

void GameScreen::UseStatusPalette(const PaletteEntry* entries) {
  // The band's texts in the band's own white: the fonts' glyph colours are
  // entries of the menus' palette, which an event's palette may hold
  // anything in (black, in some).
  statusInk_ = entries ? std::max(0, FindNearestColour(entries, 2, 254, 255, 255, 255)) : 255;
}

void GameScreen::DrawStatusNames(DDSurface* back) {
  BitmapFont* font = g_screenText;
  if (!back || !font) return;
  font->SetFlags(0);
  font->SetInkIndex(statusInk_);
  for (int i = 0; i < kMaxPlayers; ++i) {
    char name[sizeof g_players[i].name + 1] = {};
    std::memcpy(name, g_players[i].name, sizeof g_players[i].name);
    DrawTextInBox(font, back, StatusNameBox(i, statusItemsShown_), name, 0, false);
  }
  font->SetInkIndex(-1);
}

void GameScreen::DrawStatusText(int x, int y, const std::string& text) {
  DDSurface* back = ShellBackSurface();
  BitmapFont* font = g_screenText;
  if (!back || !font || text.empty()) return;
  font->SetFlags(0);
  font->SetInkIndex(statusInk_);
  font->DrawText(back, x, y, text.c_str());
  font->SetInkIndex(-1);
}

void GameScreen::DrawAttemptTexts(const std::string& label, const std::string results[4][3]) {
  DDSurface* back = ShellBackSurface();
  BitmapFont* font = g_screenText;
  if (!back || !font) return;
  font->SetInkIndex(statusInk_);
  for (int i = 0; i < kMaxPlayers; ++i) {
    DrawTextInBox(font, back, StatusAttemptLabelBox(i), label, 0, false);
    if (!results) continue;
    for (int k = 0; k < 3; ++k) DrawTextInBox(font, back, StatusAttemptBox(i, k), results[i][k], 0, false);
  }
  font->SetInkIndex(-1);
}

void GameScreen::DrawHintLine(const std::string& text) {
  DDSurface* back = ShellBackSurface();
  if (!back || text.empty()) return;
  if (OptionsMenu* menu = GetOptionsMenu()) {
    menu->TileRect(back, kHintStrip.x, kHintStrip.y, kHintStrip.width, kHintStrip.height);
  } else {
    back->FillRect(kHintStrip.x, kHintStrip.y, kHintStrip.width, kHintStrip.height, 0);
  }
  if (BitmapFont* font = g_screenText) {
    font->SetInkIndex(255);
    DrawTextInBox(font, back, kHintBox, text, kFontAlignCentre, false);
    font->SetInkIndex(-1);
  }
}
