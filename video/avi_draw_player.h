#pragma once
// AviDrawPlayer: plays a clip and draws every picture itself into the
// display's primary surface, at scale 1 or 2 (with optional scan lines), on
// an 8-bit display through the split palette or on a 16-bit display.
//
// Everything happens on the main thread: Update, called by the cut-scene
// screen, draws the pictures that are due. No other thread touches the
// surface, and no global pointer leads to the player.
#include <cstdint>
#include <string>

#include "video/clip_playback.h"
#include "video/rgb_convert.h"

class DDSurface;

class AviDrawPlayer {
 public:
  AviDrawPlayer() = default;
  ~AviDrawPlayer();
  AviDrawPlayer(const AviDrawPlayer&) = delete;
  AviDrawPlayer& operator=(const AviDrawPlayer&) = delete;

  // Opens the clip for drawing into `target` (null: pictures are decoded
  // but drawn nowhere). 0 done, else 1 (the reason went to the debug
  // output). Resets scale 2, scan lines 1, position 0, 0, no background.
  int Open(const char* path, DDSurface* target);
  // Not owned; painted over 0, 0, 640x480 before the first picture.
  void SetBackground(DDSurface* surface) { background_ = surface; }
  void SetScale(int scale) { scale_ = scale == 1 ? 1 : 2; }
  void SetPosition(int x, int y) {
    x_ = x < 0 ? 0 : x;
    y_ = y < 0 ? 0 : y;
  }
  void SetScanLines(int flag) { scanLines_ = flag ? 1 : 0; }

  // Starts or resumes from where Stop left it; the colour table and, on an
  // 8-bit display, the split palette are set up first. 0 done (playing),
  // 1 when nothing is open or the clip is over.
  int Play(int flags);
  // Stops; the position stays.
  void Stop();
  // Stops and frees the clip; on an 8-bit display whose palette the player
  // made, clears the display and takes the palette off again.
  void Close();
  int IsPlaying() const { return playing_; }

  // Draws the pictures due now. Returns the ms until the next one, or -1
  // when not playing (a clip that has played out clears the playing flag).
  int Update();

  // Inspection.
  ClipPlayback& Playback() { return playback_; }
  DDSurface* Target() const { return target_; }
  int Scale() const { return scale_; }
  int ScanLines() const { return scanLines_; }
  int X() const { return x_; }
  int Y() const { return y_; }
  int PaletteShared() const { return paletteShared_; }
  int BackgroundPainted() const { return backgroundPainted_; }
  // The picture depth asked of the decoder (16 or 24), 0 before Play.
  int SourceBits() const { return sourceBits_; }

  // Converts one bottom-up picture into the target as the player draws it.
  void DrawFrame(const uint8_t* bits, int width, int height, int bitCount);

 private:
  void DrawBegin();
  void DrawEnd();

  ClipPlayback playback_;
  DDSurface* target_ = nullptr;
  DDSurface* background_ = nullptr;
  int scanLines_ = 1;
  int scale_ = 2;
  int x_ = 0;
  int y_ = 0;
  int paletteShared_ = 0;
  int playing_ = 0;
  int backgroundPainted_ = 0;
  int begun_ = 0;
  int sourceBits_ = 0;
  // The palette the player made and attached itself (8-bit display without one).
  bool ownPalette_ = false;
};

// A 24-bit (or 8-bit) .bmp picture as a new 8-bit surface for the split
// palette (the 1x checkerboard conversion). Null when the file cannot be
// read or is not a usable picture. Read through the common picture reader,
// so that row padding, the pixel offset, the depth and top-down pictures
// are all honoured.
DDSurface* LoadBmpAs8Bit(const char* path);
