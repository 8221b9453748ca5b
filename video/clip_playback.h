#pragma once
// The running of one clip, shared by both cut-scene players: its decoder,
// its sound in a streaming slot of the sound manager, and the clip's clock.
// There is no player thread: the screen calls Update from the main thread
// (several times within each of its ticks), which shows every picture that
// has come due by the sound's play position, or by the game clock when the
// clip has no sound (or its sound has ended or is off).
#include <cstdint>
#include <functional>
#include <string>

#include "video/avi_decoder.h"

class ClipPlayback {
 public:
  // Draws a decoded picture (bottom-up, the decoder's output bits).
  using DrawFn = std::function<void(const uint8_t* bits, int width, int height, int bitCount)>;

  ClipPlayback() = default;
  ~ClipPlayback();
  ClipPlayback(const ClipPlayback&) = delete;
  ClipPlayback& operator=(const ClipPlayback&) = delete;

  // Opens the clip and loads its sound into a streaming slot of
  // g_soundManager (when there is one). False with the reason on failure;
  // the reason also goes to the debug output.
  bool Open(const std::string& path, std::string* error);
  bool OpenMemory(const uint8_t* data, size_t size, std::string* error);
  // Frees the decoder and the sound slot.
  void Close();
  bool IsOpen() const { return decoder_.IsOpen(); }

  // 16 or 24: the pictures handed to the draw function.
  void SetOutputBits(int bits) { decoder_.SetOutputBits(bits); }

  // Starts, or goes on from where Pause left it (picture and sound). False
  // when nothing is open or the clip is over.
  bool Start();
  // Stops the clock and the sound; the position stays.
  void Pause();
  bool IsRunning() const { return running_; }
  // True once the last picture and the sound have played out.
  bool IsFinished() const { return finished_; }

  // Shows the pictures due by now through `draw` (late ones more than two
  // periods behind are decoded but not drawn), feeds the sound and ends
  // the clip when all has played. Returns the ms until the next picture is
  // due (at least 1), or -1 when the clip is not running.
  int Update(const DrawFn& draw);

  // The clip's position in ms.
  int64_t PositionMs();

  AviDecoder& Decoder() { return decoder_; }
  int SoundSlot() const { return soundSlot_; }
  int64_t SoundLengthMs() const { return soundMs_; }
  uint32_t SoundBytes() const { return soundBytes_; }
  int FramesShown() const { return framesShown_; }
  int FramesSkipped() const { return framesSkipped_; }
  int64_t LastFrameMs() const { return lastFrameMs_; }

 private:
  bool AfterOpen(bool ok, const std::string& what, std::string* error);
  void LoadSound();
  bool SoundPlaying() const;
  int64_t SoundPositionMs() const;
  int64_t ClockOrSoundMs();

  AviDecoder decoder_;
  int soundSlot_ = -1;
  int soundChannels_ = 0;
  int soundRate_ = 0;
  int64_t soundMs_ = 0;
  uint32_t soundBytes_ = 0;
  bool running_ = false;
  bool finished_ = false;
  bool soundStarted_ = false;
  // The clock: the clip's position was anchorMs_ at anchorClock_.
  int64_t anchorMs_ = 0;
  uint32_t anchorClock_ = 0;
  int64_t pausedMs_ = 0;
  int64_t lastPositionMs_ = 0;
  // The decoded picture waiting for its time.
  bool pending_ = false;
  int64_t pendingMs_ = 0;
  bool videoEnded_ = false;
  int64_t videoEndMs_ = 0;
  int framesShown_ = 0;
  int framesSkipped_ = 0;
  int64_t lastFrameMs_ = -1;
  std::string name_;
};
