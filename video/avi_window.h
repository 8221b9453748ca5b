#pragma once
// AviWindow: the window player of cut-scenes, used when DirectDraw
// emulation is configured. It plays the clip into a rectangle of the 16-bit
// one-buffer display (its "window"), stretching the pictures to the
// rectangle's size. Like the window it stands for, it is driven by messages.
#include <cstdint>
#include <memory>
#include <string>

#include "video/clip_playback.h"

class DDSurface;

class AviWindow {
 public:
  // Messages and their results.
  static constexpr int kOpen = 1024;       // wParam: realise-in-background flag, lParam: path; 0
  static constexpr int kClose = 1025;      // stop, then close; 0
  static constexpr int kPlay = 1026;       // 0
  static constexpr int kStopClose = 1027;  // stop, then close (as kClose); 0
  static constexpr int kQueryMode = 1028;  // 1 while playing, 0 stopped or nothing open
  static constexpr int kQueryPalette = 1029;  // the clip's palette: none here, 0

  // A player drawing into `target`, with `path` opened (a clip that does not
  // open leaves the player closed; it reports through the debug output).
  static std::unique_ptr<AviWindow> Create(DDSurface* target, const char* path,
                                           int realiseInBackground);
  ~AviWindow();
  AviWindow(const AviWindow&) = delete;
  AviWindow& operator=(const AviWindow&) = delete;

  intptr_t Send(int message, intptr_t wParam = 0, const char* lParam = nullptr);

  // Places the window; the pictures are stretched to its size.
  void MoveWindow(int x, int y, int width, int height);
  // Stops without closing, and goes on from there (deactivation of the game).
  void Pause();
  void Resume();

  // Draws the pictures due now; ms until the next one, -1 when not playing.
  int Update();

  int IsOpen() const { return open_; }
  int X() const { return x_; }
  int Y() const { return y_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  ClipPlayback& Playback() { return playback_; }

 private:
  explicit AviWindow(DDSurface* target) : target_(target) {}
  void OpenClip(const char* path, int realiseInBackground);
  void Play();
  void Stop();
  void CloseClip();
  void DrawFrame(const uint8_t* bits, int width, int height, int bitCount);

  DDSurface* target_;
  std::unique_ptr<DDSurface> work_;
  ClipPlayback playback_;
  int open_ = 0;
  int x_ = 0;
  int y_ = 0;
  int width_ = 320;
  int height_ = 240;
};
