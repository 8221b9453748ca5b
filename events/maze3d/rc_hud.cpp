#include "events/maze3d/rc_hud.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "base/paths.h"
#include "events/maze3d/rc_loader.h"
#include "events/maze3d/rc_raycaster.h"

namespace {

constexpr uint8_t kWhite = 255, kBlack = 0;
constexpr int kFaceX[4] = {12, 172, 333, 494};
constexpr int kPanelX[4] = {89, 249, 410, 571};   // energy bars and items
constexpr int kScoreX[4] = {108, 268, 428, 590};
constexpr int kKeyX[4] = {92, 252, 412, 574};
constexpr int kFaceY = 407, kEnergyY = 406, kScoreY = 425, kItemY = 453, kKeyY = 432;

// Glyphs six rows high, one string per row, '#' set. Digits 0..9 are as wide
// as their advances of 6, 5, 6, 6, 7, 6, 6, 5, 5, 6 less one column of space.
struct Glyph {
  int width;
  const char* rows[6];
};
constexpr Glyph kDigits[10] = {
    {5, {".###.", "#..##", "#.#.#", "##..#", "#...#", ".###."}},
    {4, {".##.", "###.", ".##.", ".##.", ".##.", "####"}},
    {5, {".###.", "#...#", "...#.", "..#..", ".#...", "#####"}},
    {5, {"####.", "....#", ".###.", "....#", "....#", "####."}},
    {6, {"...##.", "..#.#.", ".#..#.", "######", "....#.", "....#."}},
    {5, {"#####", "#....", "####.", "....#", "#...#", ".###."}},
    {5, {".###.", "#....", "####.", "#...#", "#...#", ".###."}},
    {4, {"####", "...#", "..#.", ".#..", ".#..", ".#.."}},
    {4, {".##.", "#..#", ".##.", "#..#", "#..#", ".##."}},
    {5, {".###.", "#...#", "#...#", ".####", "....#", ".###."}},
};
constexpr int kDigitAdvance[10] = {6, 5, 6, 6, 7, 6, 6, 5, 5, 6};
constexpr Glyph kLetterE = {4, {"####", "#...", "###.", "#...", "#...", "####"}};
constexpr Glyph kLetterN = {5, {"#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#"}};
constexpr Glyph kLetterR = {4, {"###.", "#..#", "###.", "#.#.", "#..#", "#..#"}};
constexpr Glyph kLetterG = {4, {".###", "#...", "#.##", "#..#", "#..#", ".###"}};
constexpr Glyph kLetterY = {5, {"#...#", ".#.#.", "..#..", "..#..", "..#..", "..#.."}};

void PutPixel(int x, int y, uint8_t colour) {
  if (x >= 0 && x < kFrameWidth && y >= 0 && y < kFrameHeight) g_mazeFrame[size_t(y) * g_mazePitch + x] = colour;
}

void CopyOpaque(int x, int y, int w, int h, const uint8_t* src) {
  if (!src) return;
  for (int r = 0; r < h; ++r)
    for (int c = 0; c < w; ++c) PutPixel(x + c, y + r, src[r * w + c]);
}

void CopyKeyed(int x, int y, int w, int h, const uint8_t* src) {
  if (!src) return;
  for (int r = 0; r < h; ++r)
    for (int c = 0; c < w; ++c)
      if (src[r * w + c]) PutPixel(x + c, y + r, src[r * w + c]);
}

// White with a black shadow below and to the right.
void DrawGlyph(int x, int y, const Glyph& g) {
  for (int r = 0; r < 6; ++r)
    for (int c = 0; c < g.width; ++c)
      if (g.rows[r][c] == '#') PutPixel(x + c + 1, y + r + 1, kBlack);
  for (int r = 0; r < 6; ++r)
    for (int c = 0; c < g.width; ++c)
      if (g.rows[r][c] == '#') PutPixel(x + c, y + r, kWhite);
}

}  // namespace

MazeHud::MazeHud() {
  for (int p = 0; p < 4; ++p) itemIcon[p] = uint8_t(p);
}

MazeHud::~MazeHud() { FreePictures(); }

namespace {
void Replace(uint8_t*& place, uint8_t* pixels) {
  if (place != pixels) RcFree(place);
  place = pixels;
}
}  // namespace

void MazeHud::SetStatus(uint8_t* pixels) { Replace(status_, pixels); }
void MazeHud::SetIconStrip(uint8_t* pixels) { Replace(iconStrip_, pixels); }
void MazeHud::SetPower(uint8_t* pixels) { Replace(power_, pixels); }
void MazeHud::SetFace(int slot, uint8_t* pixels) { Replace(faces_[slot & 3], pixels); }
void MazeHud::SetMapIcon(int slot, uint8_t* pixels) { Replace(mapIcons_[std::clamp(slot, 0, 4)], pixels); }
void MazeHud::SetWeaponIcon(int slot, uint8_t* pixels) { Replace(weaponIcons_[slot & 3], pixels); }

void MazeHud::FreePictures() {
  SetStatus(nullptr);
  SetIconStrip(nullptr);
  SetPower(nullptr);
  for (int i = 0; i < 4; ++i) {
    SetFace(i, nullptr);
    SetWeaponIcon(i, nullptr);
  }
  for (int i = 0; i < 5; ++i) SetMapIcon(i, nullptr);
}

bool MazeHud::LoadPictures(const char* dataDir) {
  RcLoader loader;
  auto path = [&](const char* rel) { return JoinPath(dataDir, rel); };
  uint8_t* status = loader.LoadPicture(path("maze\\status.bmp").c_str(), kHudStatusW, kHudStatusH);
  uint8_t* strip = loader.LoadPicture(path("maze\\actsbar.bmp").c_str(), kHudIconW, 4 * kHudIconH);
  uint8_t* power = loader.LoadPicture(path("maze\\power.bmp").c_str(), kHudFaceW, kHudPowerFrames * kHudFaceH);
  uint8_t* door = loader.LoadPicture(path("maze\\sfmon.bmp").c_str(), kHudMapIconSize, kHudMapIconSize);
  SetStatus(status);
  SetIconStrip(strip);
  SetPower(power);
  SetMapIcon(kHudDoorIcon, door);
  return status && strip && power && door;
}

void MazeHud::AnimateFaces() {
  for (uint8_t& c : faceCounter)
    if (c != 255) c = c >= kHudPowerFrames - 1 ? 0 : uint8_t(c + 1);
}

// ---------------------------------------------------------------- drawing

void MazeHud::DrawHud() {
  DrawFaces();
  DrawBottomBar();
  DrawScores();
  DrawStatus();
}

void MazeHud::DrawBottomBar() {
  if (g_mazeFrame) CopyKeyed(0, kHudTop, kHudStatusW, kHudStatusH, status_);
}

void MazeHud::DrawFace(int slot) {
  slot &= 3;
  const int x = kFaceX[slot], y = kFaceY;
  const uint8_t counter = faceCounter[slot];
  if (counter < kHudPowerFrames && power_) {
    CopyOpaque(x, y, kHudFaceW, kHudFaceH, power_ + size_t(counter) * kHudFaceBytes);
    CopyKeyed(x, y, kHudFaceW, kHudFaceH, faces_[slot]);
  } else {
    CopyOpaque(x, y, kHudFaceW, kHudFaceH, faces_[slot]);
  }
}

void MazeHud::DrawFaces() {
  if (!g_mazeFrame) return;
  for (int p = 0; p < 4; ++p) DrawFace(p);
}

void MazeHud::DrawEnergyBar(int32_t length) {
  const int x = drawX_, y = drawY_;
  for (int r = 0; r < kHudEnergyBarH; ++r)
    for (int c = 0; c < kHudEnergyBarW; ++c) PutPixel(x + c, y + r, kBlack);
  const int n = std::min<int32_t>(length, kHudEnergyBarW);
  if (n > 0) {
    const uint8_t colour = n <= 10 ? 2 : n <= 20 ? 3 : 1;
    for (int r = 0; r < kHudEnergyBarH; ++r)
      for (int c = 0; c < n; ++c) PutPixel(x + c, y + r, colour);
  }
  int lx = x + 10;
  for (const Glyph* g : {&kLetterE, &kLetterN, &kLetterE, &kLetterR, &kLetterG, &kLetterY}) {
    DrawGlyph(lx, y + 1, *g);
    lx += g->width + 2;
  }
}

void MazeHud::DrawNumber(int x, int y, int32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", value);
  for (const char* p = text; *p; ++p) {
    if (*p < '0' || *p > '9') continue;  // a minus sign draws nothing
    const int d = *p - '0';
    DrawGlyph(x, y, kDigits[d]);
    x += kDigitAdvance[d];
  }
}

void MazeHud::DrawScores() {
  if (!g_mazeFrame) return;
  for (int p = 0; p < 4; ++p) {
    drawX_ = kPanelX[p];
    drawY_ = kEnergyY;
    DrawEnergyBar(energy[p]);
  }
  for (int p = 0; p < 4; ++p) DrawNumber(kScoreX[p], kScoreY, g_mazePlayers[p].score);
}

void MazeHud::DrawIcon(int icon) {
  const uint8_t* src = nullptr;
  if (icon >= 0 && icon < 4) src = weaponIcons_[icon];
  else if (icon >= 4 && icon < 8 && iconStrip_) src = iconStrip_ + size_t(icon - 4) * kHudIconBytes;
  CopyKeyed(drawX_, drawY_, kHudIconW, kHudIconH, src);
}

void MazeHud::DrawStatus() {
  if (!g_mazeFrame) return;
  for (int p = 0; p < 4; ++p) {
    drawX_ = kPanelX[p];
    drawY_ = kItemY;
    const int icon = itemIcon[p];
    DrawIcon(icon);
    // The count stands on the icon's top row, over its right part.
    if (icon < 4) DrawNumber(kPanelX[p] + 22, kItemY, weaponUnits[p]);
    else if (icon == kHudIconPill) DrawNumber(kPanelX[p] + 22, kItemY, powerPills[p]);
  }
  for (int p = 0; p < 4; ++p)
    if (g_mazePlayers[p].hasKey) {
      drawX_ = kKeyX[p];
      drawY_ = kKeyY;
      DrawIcon(kHudIconKey);
    }
}

void MazeHud::DrawMapIcon(int icon) {
  CopyKeyed(mapX_ - 10, mapY_ - 8, kHudMapIconSize, kHudMapIconSize, mapIcons_[std::clamp(icon, 0, 4)]);
}

void MazeHud::DrawAutomap(const MazeRunnerRecord& runner) {
  if (!g_mazeFrame) return;
  const uint8_t* seen = explored[runner.player == g_mazeViewPlayer1 ? 0 : 1];
  const int left = runner.screenX + 54, top = 8;
  for (int r = 0; r < kMazeCells; ++r)
    for (int c = 0; c < kMazeCells; ++c) {
      const int i = r * kMazeCells + c;
      if (!seen[i]) continue;
      const int x = left + 2 * c, y = top + 2 * r;
      if (g_mazeYWalls[i]) {
        PutPixel(x, y, kWhite);
        PutPixel(x + 1, y, kWhite);
        PutPixel(x + 2, y, kWhite);
      }
      if (g_mazeXWalls[i]) {
        PutPixel(x, y, kWhite);
        PutPixel(x, y + 1, kWhite);
      }
    }
  auto cellSeen = [&](int32_t x, int32_t y) {
    const int r = y >> 5, c = x >> 5;
    return MazeCellInMap(r, c) && seen[r * kMazeCells + c];
  };
  for (int p = 0; p < 4; ++p) {
    const MazeRunnerRecord& other = g_mazeRunners[p];
    if (!(other.flags & kRunnerInPlay) || !cellSeen(other.x, other.y)) continue;
    mapX_ = left + 2 * (other.x >> 5);
    mapY_ = top + 2 * (other.y >> 5);
    DrawMapIcon(p);
  }
  const int door = doorCell;
  if (door != kHudDoorStartCell && door < kMazeMapEntries && seen[door]) {
    mapX_ = left + 2 * (door % kMazeCells);
    mapY_ = top + 2 * (door / kMazeCells + 2);
    DrawMapIcon(kHudDoorIcon);
  }
}

void MazeHud::NoteExplored() {
  auto note = [](uint8_t* map, const MazeRunnerRecord& r) {
    const int row = r.y >> 5, col = r.x >> 5;
    for (int y = std::max(0, row - 5); y <= std::min(kMazeCells - 1, row + 5); ++y)
      for (int x = std::max(0, col - 5); x <= std::min(kMazeCells - 1, col + 4); ++x) map[y * kMazeCells + x] = 1;
  };
  if (g_mazeViewPlayer1 < 4) note(explored[0], g_mazeRunners[g_mazeViewPlayer1]);
  if (g_mazeViewPlayer2 < 4) note(explored[1], g_mazeRunners[g_mazeViewPlayer2]);
}

void MazeHud::ClearColumn() {
  if (!g_mazeFrame) return;
  for (int y = 0; y < kViewRows; ++y)
    for (int x = 318; x <= 321; ++x) PutPixel(x, y, kBlack);
}
