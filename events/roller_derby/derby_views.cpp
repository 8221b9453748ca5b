// The drawing side of ROLLER DERBY: the device and its one or two views,
// the 3D render of each, and the overlay round and over them (status band,
// laps and places, items, clock and record, the announcer, the track map).
// It reads the race's state and never changes it; only the cameras and the
// objects' place in the scene, which belong to the picture, move here.
#include <algorithm>
#include <cmath>
#include <string>

#include "base/player_records.h"
#include "events/roller_derby/derby_event.h"
#include "events/roller_derby/derby_skater.h"
#include "graphics/bitmap_font.h"
#include "graphics/palette.h"
#include "graphics/sprite.h"
#include "graphics/surface.h"
#include "graphics/transition.h"
#include "scene3d/rm.h"
#include "screen/game_screen_services.h"
#include "screen/options_menu.h"

namespace da = derbyassets;

namespace derby {

void RollerDerbyEvent::ReleaseViews() {
  for (RMViewportRecord*& v : viewports_) {
    RMReleaseViewport(v);
    v = nullptr;
  }
  RMReleaseDevice(device_);
  device_ = nullptr;
}

void RollerDerbyEvent::SetViewMode(int highDetail, int bigViewport) {
  highDetail_ = highDetail;
  bigViewport_ = bigViewport;
  ReleaseViews();
  DDSurface* target = highDetail ? ShellBackSurface() : lowDetailSurface_;
  if (!target || !target->HasSurface() || !scene_) return;
  device_ = RMCreateDevice(target, kRMColorModelMono, 0);
  if (!device_) return;
  RMSetBufferCount(device_, highDetail ? 2 : 1);
  const int w = highDetail ? 640 : 320, h = highDetail ? 400 : 200;
  layout_ = LayOutViews(w, h, g_playMode == 1, bigViewport != 0);
  for (int v = 0; v < layout_.views; ++v) {
    const ViewRect& r = layout_.view[v];
    viewports_[v] = RMCreateViewport(device_, scene_, r.x, r.y, r.width, r.height);
  }
  if (layout_.views == 1 && viewports_[0]) RMGetViewportHandle(viewports_[0])->SetField(0.7f);
}

void RollerDerbyEvent::DrawView(int view, int cameraEntry, int follow) {
  RMViewportRecord* vp = viewports_[view];
  DerbyObject* camera = world_.objects[cameraEntry];
  const DerbyObject* skater = follow >= 0 && follow < kObjectSlots ? world_.objects[follow] : nullptr;
  if (!vp || !camera || !skater) return;
  SetVisiblePieces(skater->pieceIndex < kPieces ? skater->pieceIndex
                                                : static_cast<const DerbySkater*>(skater)->SensePiece());
  for (int k = kFirstSkaterSlot; k < kObjectSlots; ++k)
    if (DerbyObject* o = world_.objects[k]) o->Place(world_.objects, cameraEntry);
  RMFrame* eye = RMGetCameraHandle(vp);
  eye->SetPosition(scene_, camera->x, camera->y + camera->height, camera->z);
  eye->SetOrientation(scene_, skater->x - camera->x, 0.0f, skater->z - camera->z, 0.0f, 1.0f, 0.0f);
  RMRender(vp, nullptr);
}

void RollerDerbyEvent::DrawFrame() {
  DDSurface* back = ShellBackSurface();
  if (!back) return;
  DDSurface* target = highDetail_ ? back : lowDetailSurface_;
  if (!bigViewport_) {
    back->FillRect(415, 15, 190, 100, 0);
    back->FillRect(445, 355, 180, 40, 0);
    if (target)
      for (int b = 0; b < layout_.borders; ++b) {
        const ViewRect& r = layout_.border[b];
        target->FillRect(r.x, r.y, r.width, r.height, 0);
      }
  }
  if (!device_) back->FillRect(0, 0, 640, 400, 0);
  // The cameras follow the local players' skaters.
  const int first = std::clamp(static_cast<int>(g_localPlayers[0]), 0, 3) + kFirstSkaterSlot;
  const int second = (g_localPlayers[1] >= 0 && g_localPlayers[1] < 4 ? g_localPlayers[1] : 1) + kFirstSkaterSlot;
  if (world_.objects[0]) world_.objects[0]->Place(world_.objects, first);
  if (world_.objects[1]) world_.objects[1]->Place(world_.objects, second);
  if (device_) {
    DrawView(0, 0, first);
    if (layout_.views > 1) DrawView(1, 1, second);
    RMUpdateDevice(device_);
    if (!highDetail_ && lowDetailSurface_) back->BltStretch(0, 0, 640, 400, lowDetailSurface_, 0, 0, 320, 200, 0, nullptr);
  }
  // The bar between two views, as in every split event: with the big
  // viewports nothing else parts them.
  if (layout_.views > 1) back->FillRect(kViewBarX, 0, kViewBarWidth, 400, 0);
  DrawOverlay2D();
}

void RollerDerbyEvent::DrawOverlay2D() {
  DDSurface* back = ShellBackSurface();
  int energy[4], stars[4], distance[4];
  for (int p = 0; p < 4; ++p) {
    const DerbySkater* s = world_.Skater(p);
    energy[p] = g_players[p].energy;
    stars[p] = s ? s->boost - 1 : 0;
    distance[p] = kPieces * 4 * kRaceLaps - (s ? s->progress : 0);
  }
  if (statusPicture_) {
    DrawStatusBars(statusPicture_, 0, energy, stars);
    DrawStatusBars(statusPicture_, 1, distance, nullptr);
  }

  BitmapFont* font = g_screenText;
  static const int kColumn[4] = {89, 249, 411, 572};
  for (int p = 0; p < 4; ++p) {
    const DerbySkater* s = world_.Skater(p);
    if (!s) continue;
    if (font) {
      font->SetFlags(kFontAlignCentre);
      if (s->laps < kRaceLaps)
        font->DrawText(back, kColumn[p] + 30, 446, (lapLabel_ + std::to_string(s->laps + 1)).c_str());
      else if (g_players[p].place >= 0 && g_players[p].place < 4 && blink_)
        font->DrawText(back, kColumn[p] + 30, 446, placeNames_[g_players[p].place].c_str());
      font->SetFlags(0);
    }
    const int ix = 90 + 160 * p;
    std::string count;
    if (s->item == 1) {
      Sprite* w = world_.weaponSprites[p];
      if (w) w->DrawFrame(w->FrameCount(), back, ix, 456);
      count = std::to_string(g_players[p].weaponUnits);
    } else if (s->item == 2) {
      if (iconsSprite_) iconsSprite_->DrawFrame(da::kIconPill, back, ix, 456);
      count = std::to_string(g_players[p].powerPills);
    } else if (iconsSprite_) {
      iconsSprite_->DrawFrame(da::kIconAttack, back, ix, 456);
    }
    DrawStatusText(115 + 160 * p, 456, count);
  }

  if (clockFrames_ <= 1) return;
  if (OptionsMenu* menu = GetOptionsMenu())
    menu->TileRect(back, 445, 355, 180, 40);
  else
    back->FillRect(445, 355, 180, 40, 0);
  BitmapFont* clock = recordFont_ ? recordFont_ : g_screenText;
  if (!clock) return;
  clock->SetFlags(0);
  clock->DrawText(back, 450, 355, recordLabel_.c_str());
  clock->SetFlags(kFontAlignRight);
  clock->DrawText(back, 620, 355, recordText_.c_str());
  clock->SetFlags(0);
  clock->DrawText(back, 450, 375, timeLabel_.c_str());
  clock->SetFlags(kFontAlignRight);
  clock->DrawText(back, 620, 375, ClockText(clockSeconds_).c_str());
  clock->SetFlags(0);
}

void RollerDerbyEvent::DrawIntro() {
  if ((raceState_ != kIntroIn && raceState_ != kIntroOut) || !introSurface_ || !introTransition_) return;
  introSurface_->FillRect(0, 0, da::kIntroSize, da::kIntroSize, 1);
  if (introAnimation_) introAnimation_->DrawFrame(introShownFrame_, introSurface_, 0, 0);
  introTransition_->Step(static_cast<unsigned>(std::clamp(static_cast<int>(introShownLevel_), 0, 64)));
}

void RollerDerbyEvent::DrawTrackMap() {
  DDSurface* back = ShellBackSurface();
  if (!back) return;
  if (OptionsMenu* menu = GetOptionsMenu()) menu->TileRect(back, 435, 15, 190, 100);
  if (iconsSprite_) iconsSprite_->DrawFrame(da::kIconMap, back, 452, 10);
  if (!smallFaces_) return;
  for (int p = 0; p < 4; ++p) {
    const DerbySkater* s = world_.Skater(p);
    if (!s || g_players[p].place >= 0) continue;
    const MapPoint m = MapFacePosition(s->x, s->z);
    smallFaces_->DrawFrame(std::clamp(static_cast<int>(s->character), 0, 5) + 1, back, m.x, m.y);
  }
}

}  // namespace derby
