// The loading picture with its progress band, and the wait box.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "graphics/bitmap_font.h"
#include "graphics/display.h"
#include "graphics/fade.h"
#include "graphics/sprite.h"
#include "graphics/surface.h"
#include "screen/game_screen.h"
#include "screen/game_screen_services.h"

namespace {

constexpr int kPictureX = 64, kPictureY = 15, kPictureW = 532, kPictureH = 404;
constexpr int kBandX = 64, kBandY = 425;
constexpr int kBarX = 72, kBarY = 433, kBarH = 27, kBarFullWidth = 496;
constexpr int kBarColour = 2;
constexpr int kBandFrame = 5;  // the band's frame in the dialog sprite
constexpr int kTileFrame = 3;  // the dialog background tile
constexpr int kTileW = 130, kTileH = 120;
constexpr int kBoxTextX = 50, kBoxTextY = 40, kBoxTextW = 540, kBoxTextH = 400;

// The dialog tile over a rectangle of the back buffer, in 130x120 tiles.
void TileDialog(DDSurface* target, int x, int y, int w, int h) {
  if (!target || !g_dialogSprite) return;
  DDSurface* tile = g_dialogSprite->GetFrameSurface(kTileFrame);
  if (!tile) return;
  int tw = std::min(kTileW, tile->GetWidth());
  int th = std::min(kTileH, tile->GetHeight());
  if (tw <= 0 || th <= 0) return;
  for (int ty = 0; ty < h; ty += th) {
    for (int tx = 0; tx < w; tx += tw) {
      target->Blt(x + tx, y + ty, std::min(tw, w - tx), std::min(th, h - ty), tile, 0, 0);
    }
  }
}

// The display's palette as it stands (to fade it out).
DDPalette* DisplayPalette() { return g_primaryDDSurface ? g_primaryDDSurface->GetPalette() : nullptr; }

// Wraps text at spaces into lines no wider than `width` pixels of the font;
// the text's own line breaks stand.
std::vector<std::string> WrapText(const char* text, int width) {
  std::vector<std::string> lines;
  if (!text) return lines;
  std::string para;
  auto widthOf = [](const std::string& s) {
    return g_menuFont ? g_menuFont->GetTextWidth(s.c_str()) : static_cast<int>(s.size()) * 8;
  };
  auto flush = [&](std::string p) {
    while (!p.empty() && widthOf(p) > width) {
      size_t cut = p.size();
      while (cut > 0 && widthOf(p.substr(0, cut)) > width) {
        size_t sp = p.rfind(' ', cut - 1);
        cut = (sp == std::string::npos || sp == 0) ? cut - 1 : sp;
      }
      if (cut == 0) cut = 1;
      lines.push_back(p.substr(0, cut));
      size_t next = cut;
      while (next < p.size() && p[next] == ' ') ++next;
      p.erase(0, next);
    }
    lines.push_back(p);
  };
  for (const char* c = text; *c; ++c) {
    if (*c == '\n') {
      flush(para);
      para.clear();
    } else {
      para.push_back(*c);
    }
  }
  if (!para.empty()) flush(para);
  return lines;
}

}  // namespace

void GameScreen::ShowLoadingScreen(int percent, const char* path) {
  if (loadingUp_) {
    SetLoadingProgress(percent, 0);
    return;
  }
  DDPalette* shown = DisplayPalette();
  if (shown) FadePalette(shown, 16, 0);
  loadingUp_ = 1;
  boxMark_ = -1;
  if (path) {
    // The picture is the file's first frame; one that cannot be shown is
    // left out, named with the reason.
    loadingPicture_ = LoadSpriteOrNull(path, kSpriteLoadAll, 1);
  }
  // The picture's palette becomes the display's (the band and text are drawn
  // in its colours); the first drawing then fades in on it.
  DDPalette* palette = loadingPicture_ ? loadingPicture_->GetFramePalette(1) : nullptr;
  if (!palette && g_dialogSprite) palette = g_dialogSprite->GetFramePalette(kBandFrame);
  SetLoadingProgress(percent, 1);
  if (palette) FadePalette(palette, 16, 1);
}

void GameScreen::SetLoadingProgress(int percent, int redraw) {
  if (!loadingUp_) return;
  loadingPercent_ = std::clamp(percent, 0, 100);
  DrawLoadingFrame(redraw);
}

void GameScreen::DrawLoadingFrame(int redraw) {
  DDSurface* back = ShellBackSurface();
  if (!back) return;
  if (redraw) {
    TileDialog(back, 0, 0, 640, 480);
    if (loadingPicture_) loadingPicture_->DrawFrame(1, back, kPictureX, kPictureY);
  }
  if (g_dialogSprite) g_dialogSprite->DrawFrame(kBandFrame, back, kBandX, kBandY);
  int width = loadingPercent_ * kBarFullWidth / 100;
  if (width > 0) back->FillRect(kBarX, kBarY, width, kBarH, kBarColour);
  if (g_menuFont) {
    g_menuFont->SetFlags(kFontAlignCentre);
    g_menuFont->DrawText(back, 320, 438, loadingText_.c_str());
    g_menuFont->SetFlags(0);
  }
  // The screen shows the back buffer's picture, which stays for the next step.
  DDSurface* primary = ShellPrimarySurface();
  if (primary && primary != back) primary->Blt(0, 0, 640, 480, back, 0, 0);
}

void GameScreen::EndLoadingScreen() {
  delete loadingPicture_;
  loadingPicture_ = nullptr;
  if (!loadingUp_) return;
  loadingUp_ = 0;
  ShellClearDisplay();
}

void GameScreen::ShowWaitBox(const char* text) {
  DDSurface* back = ShellBackSurface();
  DDSurface* primary = ShellPrimarySurface();
  bool opening = !waitBoxShown_;
  if (opening) {
    // Once, when the box opens: clippers saved and detached, the palette
    // kept, and the picture faded out. Later calls only redraw the text.
    waitBoxShown_ = 1;
    boxMark_ = -1;
    if (back) {
      savedBackClipper_ = back->GetClipper();
      if (savedBackClipper_) savedBackClipper_->AddRef();
      back->SetClipper(nullptr);
    }
    if (primary && primary != back) {
      savedPrimaryClipper_ = primary->GetClipper();
      if (savedPrimaryClipper_) savedPrimaryClipper_->AddRef();
      primary->SetClipper(nullptr);
    }
    DDPalette* shown = DisplayPalette();
    if (shown) {
      PaletteEntry entries[256];
      shown->GetEntries(0, 256, entries);
      std::memcpy(savedPalette_, entries, sizeof entries);
      FadePalette(shown, 16, 0);
    }
  }
  if (back) {
    TileDialog(back, 0, 0, 640, 480);
    if (g_menuFont) {
      g_menuFont->SetFlags(0);
      int lineH = g_menuFont->GetHeight() + 2;
      int y = kBoxTextY;
      for (const std::string& line : WrapText(text, kBoxTextW)) {
        if (y + lineH > kBoxTextY + kBoxTextH) break;
        g_menuFont->DrawText(back, kBoxTextX, y, line.c_str());
        y += lineH;
      }
    }
    if (primary && primary != back) primary->Blt(0, 0, 640, 480, back, 0, 0);
  }
  if (opening) {
    DDPalette* dialog = g_dialogSprite ? g_dialogSprite->GetFramePalette(kTileFrame) : nullptr;
    if (dialog) FadePalette(dialog, 16, 1);
  }
}

void GameScreen::CloseWaitBox() {
  if (!waitBoxShown_) return;
  waitBoxShown_ = 0;
  DDSurface* back = ShellBackSurface();
  DDSurface* primary = ShellPrimarySurface();
  if (back) back->SetClipper(savedBackClipper_);
  if (primary && primary != back) primary->SetClipper(savedPrimaryClipper_);
  if (savedBackClipper_) savedBackClipper_->Release();
  if (savedPrimaryClipper_) savedPrimaryClipper_->Release();
  savedBackClipper_ = nullptr;
  savedPrimaryClipper_ = nullptr;
  // The screen's own palette comes back; its next frame redraws the picture.
  DDPalette* shown = DisplayPalette();
  if (shown) shown->SetEntries(0, 256, reinterpret_cast<const PaletteEntry*>(savedPalette_));
}
