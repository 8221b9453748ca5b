#include "events/kickboxing/kick_scene.h"

#include <algorithm>
#include <cmath>

#include "base/geometry.h"
#include "base/random.h"
#include "events/kickboxing/kick_actors.h"
#include "events/kickboxing/kick_fighter.h"
#include "events/kickboxing/kickboxing_data.h"
#include "graphics/sprite.h"
#include "graphics/surface.h"
#include "sound/sound.h"

namespace ka = kickassets;

namespace kick {

namespace {

// The background: tile numbers by scene row and column of 100 x 100 tiles,
// -1 where the platform covers the scene.
constexpr int kTileRows = 8, kTileColumns = 17;
constexpr int8_t kTileMap[kTileRows][kTileColumns] = {
    {0, 0, 0, 0, 0, 0, 0, 2, 4, 0, 0, 0, 0, 0, 0, 0, 0},
    {1, 1, 1, 1, 1, 1, 1, 3, 5, 1, 1, 1, 1, 1, 1, 1, 1},
    {6, 7, 8, 9, 10, 11, 6, 7, 8, 9, 10, 11, 6, 7, 8, 9, 10},
    {12, 12, 12, 12, 12, 12, 12, -1, -1, 12, 12, 12, 12, 12, 12, 12, 12},
    {13, 13, 13, 13, 13, 13, -1, -1, -1, -1, 13, 13, 13, 13, 13, 13, 13},
    {14, 14, 14, 14, 14, 14, -1, -1, -1, -1, 14, 14, 14, 14, 14, 14, 14},
    {15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15},
    {16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16},
};
// Decorations: misc frame and scene position, in drawing order.
struct Decoration {
  int frame, x, y;
};
constexpr Decoration kDecorations[6] = {{14, 220, 480}, {19, 1210, 320}, {16, 900, 670},
                                        {18, 420, 220}, {15, 1100, 300}, {17, 400, 300}};

float DepthKey(const KickboxingActor* a) { return static_cast<float>(a->screenY) + a->z; }

}  // namespace

KickboxingScene::KickboxingScene() {
  for (int32_t& s : pillarSlots) s = -1;
}

KickboxingScene::~KickboxingScene() { DeleteActors(); }

void KickboxingScene::DeleteActors() {
  for (int i = 0; i < kActorSlots; ++i) {
    KickboxingActor* a = actors[i];
    delete a;  // clears its slot
    actors[i] = nullptr;
  }
  backList.RemoveAll();
  middleList.RemoveAll();
  frontList.RemoveAll();
}

void KickboxingScene::MakePillars() {
  for (int cell = 0; cell < kCells; ++cell) {
    delete actors[cell];
    new KickboxingPillar(this, cell);  // takes its slot
  }
}

void KickboxingScene::MakeFighters() {
  for (int i = 0; i < 4; ++i) {
    delete actors[kFighterSlot + i];
    new KickboxingFighter(this, i);
  }
}

KickboxingPillar* KickboxingScene::Pillar(int cell) const {
  if (cell < 0 || cell >= kCells) return nullptr;
  return static_cast<KickboxingPillar*>(actors[cell]);
}

KickboxingFighter* KickboxingScene::Fighter(int player) const {
  if (player < 0 || player > 3) return nullptr;
  return static_cast<KickboxingFighter*>(actors[kFighterSlot + player]);
}

int KickboxingScene::FighterCount() const {
  int n = 0;
  for (int i = 0; i < 4; ++i) n += Fighter(i) ? 1 : 0;
  return n;
}

// ---------------------------------------------------------------------------
// Ground, collision and slots

float KickboxingScene::GroundHeightAt(float x, float y) const {
  if (!OnPlatform(x, y)) return kBottom;
  const KickboxingPillar* p = Pillar(GridIndex(y) * kGrid + GridIndex(x));
  return p ? p->z : 0.0f;
}

int KickboxingScene::Collide(int slot, int mask) const {
  if (slot < 0 || slot >= kActorSlots || !actors[slot]) return -1;
  const KickboxingActor* a = actors[slot];
  if (!(a->x >= 0 && a->x < kPlatformSize && a->y >= 0 && a->y < kPlatformSize)) return -1;
  const Rect4f square(a->x - a->radius, a->y - a->radius, a->x + a->radius, a->y + a->radius);
  if (mask & 1) {
    if (a->z < 0) return -1;
    for (int32_t cell : pillarSlots) {
      const KickboxingPillar* p = Pillar(cell);
      if (!p) continue;
      const Rect4f ps(p->x - p->radius, p->y - p->radius, p->x + p->radius, p->y + p->radius);
      if (!RectsOverlap(square, ps)) continue;
      if ((a->kind == kKindFighter && p->z - a->z > 12) || (a->kind == kKindWeapon && a->z < p->z)) return cell;
    }
  }
  if (mask & 2) {
    for (int i = 0; i < 4; ++i) {
      const KickboxingFighter* f = Fighter(i);
      if (!f || f == a) continue;
      const Rect4f fs(f->x - f->radius, f->y - f->radius, f->x + f->radius, f->y + f->radius);
      if (RectsOverlap(square, fs)) return kFighterSlot + i;
    }
  }
  return -1;
}

int KickboxingScene::FindFreeActorSlot() const {
  for (int s = kEffectSlotFirst; s < kActorSlots; ++s)
    if (!actors[s]) return s;
  return -1;
}

void KickboxingScene::CyclePillars() {
  for (int32_t& cell : pillarSlots) {
    const KickboxingPillar* p = Pillar(cell);
    if (p && p->state == kPillarDown) cell = -1;
  }
  for (int32_t& cell : pillarSlots) {
    if (cell < 0) {
      if (RandomInt(100) != 0) continue;
      uint8_t states[kCells];
      for (int c = 0; c < kCells; ++c) states[c] = Pillar(c) ? Pillar(c)->state : uint8_t(kPillarDown);
      // A crowded platform may have no cell to offer: the slot tries again
      // next frame rather than drawing for ever.
      int chosen = -1;
      for (int draw = 0; draw < kCellDrawsPerFrame && chosen < 0; ++draw) {
        const int column = RandomInt(8) + 1;
        const int row = RandomInt(8) + 1;
        if (CellMayRise(row * kGrid + column, states)) chosen = row * kGrid + column;
      }
      if (chosen < 0) continue;
      cell = chosen;
      float fx[4], fy[4];
      for (int i = 0; i < 4; ++i) {
        const KickboxingFighter* f = Fighter(i);
        fx[i] = f ? f->x : -1e9f;
        fy[i] = f ? f->y : -1e9f;
      }
      if (PillarRisesUnder(cell, fx, fy)) Pillar(cell)->state = kPillarRising;
    } else if (KickboxingPillar* p = Pillar(cell); p && p->state == kPillarStanding) {
      if (RandomInt(100) == 0) p->state = kPillarSinking;
    }
  }
}

void KickboxingScene::UpdateActors() {
  for (int i = 0; i < kActorSlots; ++i)
    if (KickboxingActor* a = actors[i]) a->Update();
}

void KickboxingScene::SpawnHitSparks(float x, float y, float z) {
  for (int k = 0; k < 2; ++k) {
    const int s = FindFreeActorSlot();
    if (s < 0) return;
    auto* spark = new KickboxingHitSpark(this, s);
    spark->x = x;
    spark->y = y;
    spark->z = z;
    spark->frame = RandomInt(ka::kMiscSparkFrames) + ka::kMiscSparkFirst;
    spark->vx = static_cast<float>(k == 0 ? -2.0 - RandomUnit() * 3.0 : RandomUnit() * 3.0 + 2.0);
    spark->vy = spark->vx;
    spark->vz = static_cast<float>(RandomUnit() * 6.0 - 1.0);
    spark->Project();
  }
}

// ---------------------------------------------------------------------------
// Sounds

void KickboxingScene::Play(int slot) const {
  if (g_soundManager && slot >= 0 && g_soundManager->IsLoaded(slot)) g_soundManager->Play(slot, 0, 999999, 999999, 999999, 0);
}

bool KickboxingScene::IsPlaying(int slot) const {
  return g_soundManager && slot >= 0 && g_soundManager->IsPlaying(slot);
}

void KickboxingScene::PlayIfFightersQuiet(int slot, int32_t frames) {
  if (!VoicesQuiet()) return;
  voicesQuietFrame = playFrame + std::max(frames, 0);
  if (!lowMemory) Play(slot);
}

void KickboxingScene::BooFall() {
  crowdQuietFrame = std::max(crowdQuietFrame, playFrame + crowdFrames);
  PlayEvent(kSndCrowd);
}

// ---------------------------------------------------------------------------
// Drawing: reads the state, never changes it

void KickboxingScene::InsertByDepth(PtrList& list, int slot, float key, ListPos before) const {
  for (ListPos pos = list.GetHeadPosition(); pos; pos = pos->next) {
    const KickboxingActor* other = actors[ListValueToInt(PtrList::GetAt(pos))];
    if (pos == before || (other && DepthKey(other) >= key)) {
      list.InsertBefore(pos, ListValueFromInt(slot));
      return;
    }
  }
  list.AddTail(ListValueFromInt(slot));
}

void KickboxingScene::BuildDrawLists() {
  backList.RemoveAll();
  middleList.RemoveAll();
  frontList.RemoveAll();
  for (int slot = kFighterSlot; slot < kActorSlots; ++slot) {
    const KickboxingActor* a = actors[slot];
    if (!a) continue;
    const int column = static_cast<int>(std::floor(double(a->x) / kCellSize));
    const int row = static_cast<int>(std::floor(double(a->y) / kCellSize));
    PtrList& list = (column < 0 || row > 9) ? backList : ((column > 9 || row < 0) ? frontList : middleList);
    InsertByDepth(list, slot, DepthKey(a), nullptr);
  }
  // A raised pillar goes before the fighter who stands on it, whatever the
  // depth of the point under the fighter's centre says.
  for (int cell = 0; cell < kCells; ++cell) {
    const KickboxingPillar* p = Pillar(cell);
    if (!p || p->z == 0) continue;
    ListPos standing = nullptr;
    for (ListPos pos = middleList.GetHeadPosition(); pos && !standing; pos = pos->next) {
      const int s = static_cast<int>(ListValueToInt(PtrList::GetAt(pos)));
      const KickboxingActor* a = actors[s];
      if (a && a->kind == kKindFighter && static_cast<const KickboxingFighter*>(a)->standingCell == cell) standing = pos;
    }
    InsertByDepth(middleList, cell, DepthKey(p), standing);
  }
}

void KickboxingScene::DrawBackground(int cameraX, int cameraY) const {
  if (!target) return;
  if (tiles) {
    const int firstColumn = cameraX / ka::kTileSize, firstRow = cameraY / ka::kTileSize;
    const int ox = cameraX % ka::kTileSize, oy = cameraY % ka::kTileSize;
    for (int j = 0; j <= 4; ++j)
      for (int i = 0; i <= 7; ++i) {
        const int row = firstRow + j, column = firstColumn + i;
        if (row < 0 || row >= kTileRows || column < 0 || column >= kTileColumns) continue;
        const int tile = kTileMap[row][column];
        if (tile < 0) continue;
        DDSurface* s = tiles->GetFrameSurface(tile + 1);
        if (s) target->Blt(i * ka::kTileSize - ox, j * ka::kTileSize - oy, ka::kTileSize, ka::kTileSize, s, 0, 0);
      }
  }
  if (!misc) return;
  for (const Decoration& d : kDecorations) {
    DDSurface* s = misc->GetFrameSurface(d.frame);
    if (s) target->BltKeyed(d.x - cameraX, d.y - cameraY, s->GetWidth(), s->GetHeight(), s, 0, 0);
  }
}

void KickboxingScene::DrawScene(int cameraX, int cameraY) const {
  if (!target) return;
  DrawBackground(cameraX, cameraY);
  auto drawList = [&](const PtrList& list) {
    for (ListPos pos = list.GetHeadPosition(); pos; pos = pos->next)
      if (const KickboxingActor* a = actors[ListValueToInt(PtrList::GetAt(pos))]) a->Draw(cameraX, cameraY);
  };
  drawList(backList);
  static const auto order = [] {
    struct Order {
      int cells[kCells];
    } o{};
    BackToFrontCells(o.cells);
    return o;
  }();
  for (int cell : order.cells)
    if (const KickboxingPillar* p = Pillar(cell)) p->DrawPart(cameraX, cameraY, 0);
  drawList(middleList);
  drawList(frontList);
}

}  // namespace kick
