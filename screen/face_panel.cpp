#include "screen/face_panel.h"

#include "base/player_records.h"
#include "graphics/sprite.h"
#include "graphics/surface.h"
#include "screen/game_screen_services.h"

namespace {

constexpr const char* kFaceFiles[6] = {"menu\\facepan0.mbm", "menu\\facepan1.mbm",
                                       "menu\\facepan2.mbm", "menu\\facepan3.mbm",
                                       "menu\\facepan4.mbm", "menu\\facepan5.mbm"};

int ClampMood(int m) { return m < 0 ? 0 : (m >= kFaceMoods ? kFaceMoods - 1 : m); }

}  // namespace

const char* FacePanel::FaceFile(int character) {
  if (character < 0 || character > 5) character = 0;
  return kFaceFiles[character];
}

const char* FacePanel::StarFile() { return "menu\\star.mbm"; }

FacePanel::FacePanel() = default;

FacePanel::~FacePanel() { FreePictures(); }

void FacePanel::FreePictures() {
  for (Sprite*& s : faces_) {
    delete s;
    s = nullptr;
  }
  delete star_;
  star_ = nullptr;
}

void FacePanel::SetMode(MoodCallback callback) {
  callback_ = callback;
  for (int i = 0; i < 4; ++i) {
    mood_[i] = 0;
    frame_[i] = 1;
    starOn_[i] = false;
    starFrame_[i] = 0;
  }
}

void FacePanel::Prepare(DDPalette* palette, int first, int count) {
  FreePictures();
  for (int i = 0; i < 4; ++i) {
    std::string path = ShellProgramPath(FaceFile(g_players[i].character));
    Sprite* s = new Sprite(path.c_str(), 0x20, -1);
    if (s->FrameCount() < kFaceMoods * kFaceFramesPerMood) {
      delete s;  // a missing or short picture: that face is not drawn
      s = nullptr;
    } else if (palette) {
      // Every pixel into the band's entries: a pixel left on an entry the
      // event changes as it runs (a jumper's colours) would change with it.
      s->MatchPaletteWhole(palette, first, count, 1);
    }
    faces_[i] = s;
  }
  std::string starPath = ShellProgramPath(StarFile());
  star_ = new Sprite(starPath.c_str(), 0x20, -1);
  if (star_->FrameCount() < 1) {
    delete star_;
    star_ = nullptr;
  } else if (palette) {
    star_->MatchPaletteWhole(palette, first, count, 1);
  }
}

void FacePanel::Step() {
  for (int i = 0; i < 4; ++i) {
    int start = mood_[i] * kFaceFramesPerMood + 1;
    if (frame_[i] < start + kFaceFramesPerMood - 1) {
      ++frame_[i];
      continue;
    }
    int mood = callback_ ? ClampMood(callback_(i)) : 0;
    if (mood != mood_[i]) {
      mood_[i] = mood;
      frame_[i] = mood * kFaceFramesPerMood + 1;
    }
  }
  for (int i = 0; i < 4; ++i) {
    if (starOn_[i]) starFrame_[i] = (starFrame_[i] + 1) % kStarFrames;
  }
}

void FacePanel::Draw(DDSurface* target, int y, const int stars[4]) {
  for (int i = 0; i < 4; ++i) {
    bool on = stars && stars[i] != 0;
    if (on && !starOn_[i]) starFrame_[i] = 0;  // a new star starts its animation
    starOn_[i] = on;
  }
  if (target) {
    for (int i = 0; i < 4; ++i) {
      if (faces_[i]) faces_[i]->DrawFrame(frame_[i], target, kFaceX[i], y + 2);
      if (starOn_[i] && star_) {
        int n = star_->FrameCount();
        star_->DrawFrame(1 + starFrame_[i] % (n > 0 ? n : 1), target, kFaceX[i] + kFaceWidth - 18, y + 2);
      }
    }
  }
  Step();
}
