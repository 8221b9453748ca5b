#include "video/clip_playback.h"

#include <algorithm>

#include "base/clock.h"
#include "base/debug.h"
#include "sound/sound.h"

namespace {

// A sound whose play position has not moved for this long is taken as
// stuck; the clip then runs on the game clock.
constexpr int64_t kSoundStallMs = 500;
// How long the clip may wait past its end for its sound to say it stopped.
constexpr int64_t kEndGraceMs = 1000;
constexpr int kMaxPicturesPerUpdate = 64;

}  // namespace

ClipPlayback::~ClipPlayback() { Close(); }

bool ClipPlayback::Open(const std::string& path, std::string* error) {
  Close();
  std::string why;
  bool ok = decoder_.Open(path, &why);
  return AfterOpen(ok, path, error ? error : &why);
}

bool ClipPlayback::OpenMemory(const uint8_t* data, size_t size, std::string* error) {
  Close();
  std::string why;
  bool ok = decoder_.OpenMemory(data, size, &why);
  return AfterOpen(ok, "(memory)", error ? error : &why);
}

bool ClipPlayback::AfterOpen(bool ok, const std::string& what, std::string* error) {
  name_ = what;
  if (!ok) {
    DebugPrintf("Cut-scene %s cannot be played: %s\n", what.c_str(),
                decoder_.LastError().c_str());
    if (error) *error = decoder_.LastError();
    return false;
  }
  LoadSound();
  return true;
}

void ClipPlayback::LoadSound() {
  ClipSound sound;
  std::string why;
  if (!decoder_.DecodeSound(&sound, &why)) return;  // a silent clip
  soundMs_ = sound.LengthMs();
  soundBytes_ = sound.dataBytes;
  soundChannels_ = sound.channels;
  soundRate_ = sound.samplesPerSec;
  if (!g_soundManager) return;
  soundSlot_ = g_soundManager->AllocSlot();
  if (soundSlot_ < 0) return;
  if (!g_soundManager->LoadWaveMemory(soundSlot_, sound.wave.data(), sound.wave.size(), 1, 1, 0)) {
    DebugPrintf("Cut-scene %s: its sound cannot be loaded\n", name_.c_str());
    g_soundManager->FreeSlot(soundSlot_);
    soundSlot_ = -1;
  }
}

void ClipPlayback::Close() {
  Pause();
  if (soundSlot_ >= 0 && g_soundManager) g_soundManager->FreeSlot(soundSlot_);
  soundSlot_ = -1;
  decoder_.Close();
  soundMs_ = 0;
  soundBytes_ = 0;
  soundChannels_ = soundRate_ = 0;
  running_ = finished_ = soundStarted_ = false;
  anchorMs_ = pausedMs_ = 0;
  pending_ = videoEnded_ = false;
  pendingMs_ = videoEndMs_ = 0;
  framesShown_ = framesSkipped_ = 0;
  lastFrameMs_ = -1;
}

bool ClipPlayback::SoundPlaying() const {
  return soundStarted_ && soundSlot_ >= 0 && g_soundManager && g_soundManager->IsPlaying(soundSlot_);
}

int64_t ClipPlayback::SoundPositionMs() const {
  if (soundChannels_ <= 0 || soundRate_ <= 0 || !g_soundManager) return 0;
  int64_t frames = g_soundManager->GetPosition(soundSlot_) / (uint32_t(soundChannels_) * 2u);
  return frames * 1000 / soundRate_;
}

bool ClipPlayback::Start() {
  if (!IsOpen() || finished_) return false;
  if (running_) return true;
  anchorMs_ = pausedMs_;
  lastPositionMs_ = pausedMs_;
  anchorClock_ = TimeGetTime();
  soundStarted_ = false;
  if (soundSlot_ >= 0 && g_soundManager && g_soundManager->IsEnabled() && pausedMs_ < soundMs_) {
    int64_t frames = pausedMs_ * soundRate_ / 1000;
    int32_t start = static_cast<int32_t>(frames * soundChannels_ * 2);
    g_soundManager->Play(soundSlot_, start, kSoundUnchanged, kSoundUnchanged, kSoundUnchanged, 0);
    soundStarted_ = g_soundManager->IsPlaying(soundSlot_);
  }
  running_ = true;
  return true;
}

void ClipPlayback::Pause() {
  if (!running_) return;
  pausedMs_ = PositionMs();
  running_ = false;
  if (soundSlot_ >= 0 && g_soundManager) g_soundManager->Stop(soundSlot_);
  soundStarted_ = false;
}

int64_t ClipPlayback::PositionMs() {
  if (!running_) return pausedMs_;
  int64_t at = ClockOrSoundMs();
  // Never backwards (the sound may fall behind the clock it was read from).
  lastPositionMs_ = std::max(lastPositionMs_, at);
  return lastPositionMs_;
}

int64_t ClipPlayback::ClockOrSoundMs() {
  uint32_t now = TimeGetTime();
  int64_t byClock = anchorMs_ + static_cast<int64_t>(static_cast<uint32_t>(now - anchorClock_));
  if (SoundPlaying()) {
    int64_t bySound = SoundPositionMs();
    if (bySound > anchorMs_) {
      // The sound moved on: it is the clip's clock.
      anchorMs_ = bySound;
      anchorClock_ = now;
      return bySound;
    }
    if (byClock - anchorMs_ < kSoundStallMs) return anchorMs_;
  }
  return byClock;
}

int ClipPlayback::Update(const DrawFn& draw) {
  if (!running_) return -1;
  if (soundStarted_ && soundSlot_ >= 0 && g_soundManager) g_soundManager->FeedStream(soundSlot_, 0);
  const int64_t now = PositionMs();
  const int period = decoder_.FramePeriodMs();
  for (int decoded = 0;; ++decoded) {
    // However far behind (or however many pictures a damaged clip puts at
    // one time), one call decodes a bounded number: the screen ticks on.
    if (decoded >= kMaxPicturesPerUpdate) return 1;
    if (!pending_ && !videoEnded_) {
      int64_t ms = 0;
      AviDecoder::Result r = decoder_.Next(&ms);
      if (r == AviDecoder::kFrame) {
        pending_ = true;
        pendingMs_ = ms;
      } else if (r == AviDecoder::kError) {
        // A clip that cannot be decoded ends where it stands.
        DebugPrintf("Cut-scene %s stops at picture %d: %s\n", name_.c_str(),
                    decoder_.FramesDecoded(), decoder_.LastError().c_str());
        Pause();
        finished_ = true;
        return -1;
      } else {
        videoEnded_ = true;
        videoEndMs_ = lastFrameMs_ < 0 ? 0 : lastFrameMs_ + period;
      }
    }
    if (pending_) {
      if (pendingMs_ > now) return static_cast<int>(std::clamp<int64_t>(pendingMs_ - now, 1, 1000));
      pending_ = false;
      lastFrameMs_ = pendingMs_;
      // Far behind (a slow machine): decode on without drawing to catch up.
      if (framesShown_ > 0 && now >= pendingMs_ + 2 * period) {
        ++framesSkipped_;
        continue;
      }
      if (draw) {
        draw(decoder_.Bits(), decoder_.Width(), decoder_.Height(), decoder_.OutputBits());
      }
      ++framesShown_;
      continue;
    }
    int64_t end = std::max(videoEndMs_, soundSlot_ >= 0 ? soundMs_ : int64_t{0});
    bool soundOn = SoundPlaying();
    if ((now >= end && !soundOn) || now >= end + kEndGraceMs) {
      Pause();
      finished_ = true;
      return -1;
    }
    return static_cast<int>(std::clamp<int64_t>(end - now, 1, 100));
  }
}
