#pragma once
// The four players' faces and stars in the status band of the events. Each
// face picture holds six moods of 15 frames (mood m plays frames m*15+1 ..
// m*15+15); once a mood's frames have run, the panel asks the event's mood
// callback every frame: a different mood restarts the animation at that
// mood's first frame, the same mood holds the last frame.
#include <cstdint>

class DDPalette;
class DDSurface;
class Sprite;

inline constexpr int kFaceMoods = 6;
inline constexpr int kFaceFramesPerMood = 15;
inline constexpr int kFaceWidth = 70;
inline constexpr int kFaceHeight = 56;
inline constexpr int kStarFrames = 8;

// x of each player's column in the status band (faces, names, bars).
inline constexpr int kStatusBandTop = 400;
inline constexpr int kFaceX[4] = {11, 173, 330, 493};

class FacePanel {
 public:
  using MoodCallback = int (*)(int player);

  FacePanel();
  ~FacePanel();
  FacePanel(const FacePanel&) = delete;
  FacePanel& operator=(const FacePanel&) = delete;

  // Installs the event's mood callback (null: every face holds mood 0) and
  // starts every face at mood 0.
  void SetMode(MoodCallback callback);
  // Loads the players' face pictures (by each record's character) and the
  // star, every pixel matched to entries first .. first + count - 1 of
  // `palette`.
  void Prepare(DDPalette* palette, int first, int count);
  // Advances every face by one frame and draws the faces and the stars of
  // the players whose star flag is set, at the band's top `y`.
  void Draw(DDSurface* target, int y, const int stars[4]);
  // Advances the animation without drawing (also called by Draw).
  void Step();

  int GetMood(int player) const { return (player >= 0 && player < 4) ? mood_[player] : 0; }
  // The frame (1-based) of the player's face picture shown now.
  int GetFrame(int player) const { return (player >= 0 && player < 4) ? frame_[player] : 0; }

  // Face picture file of a character (0..5), under the program directory.
  static const char* FaceFile(int character);
  static const char* StarFile();

 private:
  void FreePictures();

  MoodCallback callback_ = nullptr;
  int32_t mood_[4] = {};
  int32_t frame_[4] = {1, 1, 1, 1};
  int32_t starFrame_[4] = {};
  bool starOn_[4] = {};
  Sprite* faces_[4] = {};
  Sprite* star_ = nullptr;
};
