#include "platform/audio.h"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>

#include "base/clock.h"
#include "base/debug.h"
#include "platform/mixer.h"
#include "platform/mixer_core.h"

namespace {

std::atomic<AudioBackend> g_backend{AudioBackend::kAuto};
constexpr uint32_t kMaxBufferBytes = 0x0FFFFFFF;

AudioBackend ResolveBackend() {
  AudioBackend b = g_backend.load();
  if (b != AudioBackend::kAuto) return b;
  const char* headless = std::getenv("KELVANTHROP_HEADLESS");
  if (headless && *headless && std::strcmp(headless, "0") != 0) return AudioBackend::kNull;
  return AudioBackend::kSdl;
}

uint8_t SilenceByte(const AudioFormat& f) { return f.bitsPerSample == 8 ? 0x80 : 0x00; }

// Largest power-of-two frame count that lasts at most kAudioMaxStepMs.
uint32_t ChunkFramesFor(uint32_t rate) {
  uint32_t n = 64;
  while (static_cast<uint64_t>(n) * 2 * 1000 <= static_cast<uint64_t>(rate) * kAudioMaxStepMs) n *= 2;
  return n;
}

void SdlCallback(void* userdata, Uint8* stream, int len) {
  auto* core = static_cast<AudioCore*>(userdata);
  auto* out = reinterpret_cast<int16_t*>(stream);
  uint32_t frames = len > 0 ? static_cast<uint32_t>(len) / 4 : 0;
  // Mix in short steps, letting the game in between, so that play cursors
  // never jump by more than kAudioMaxStepMs.
  while (frames > 0) {
    uint32_t n = std::min(frames, core->chunkFrames);
    {
      std::lock_guard<std::mutex> lock(core->mutex);
      core->RenderLocked(out, n);
    }
    out += static_cast<size_t>(n) * 2;
    frames -= n;
  }
}

}  // namespace

void AudioSetBackend(AudioBackend backend) { g_backend.store(backend); }
AudioBackend AudioGetBackend() { return g_backend.load(); }

// ---------------------------------------------------------------------------
// AudioBuffer

AudioBuffer::AudioBuffer(std::shared_ptr<AudioCore> core, std::unique_ptr<AudioVoice> voice)
    : core_(std::move(core)), voice_(std::move(voice)) {
  std::lock_guard<std::mutex> lock(core_->mutex);
  core_->CatchUpLocked();
  core_->voices.push_back(voice_.get());
}

AudioBuffer::~AudioBuffer() {
  std::lock_guard<std::mutex> lock(core_->mutex);
  core_->CatchUpLocked();
  auto& v = core_->voices;
  v.erase(std::remove(v.begin(), v.end(), voice_.get()), v.end());
}

AudioResult AudioBuffer::Play(uint32_t flags) {
  std::lock_guard<std::mutex> lock(core_->mutex);
  core_->CatchUpLocked();
  if (voice_->lost || core_->lossMode == AudioLossMode::kAlways) return kAudioErrBufferLost;
  voice_->looping = (flags & kAudioPlayLooping) != 0;
  voice_->playing = true;
  return kAudioOk;
}

AudioResult AudioBuffer::Stop() {
  std::lock_guard<std::mutex> lock(core_->mutex);
  core_->CatchUpLocked();
  voice_->playing = false;
  return kAudioOk;
}

uint32_t AudioBuffer::Status() const {
  std::lock_guard<std::mutex> lock(core_->mutex);
  core_->CatchUpLocked();
  uint32_t s = 0;
  if (voice_->playing) s |= kAudioStatusPlaying | (voice_->looping ? kAudioStatusLooping : 0);
  if (voice_->lost) s |= kAudioStatusBufferLost;
  return s;
}

AudioResult AudioBuffer::GetCurrentPosition(uint32_t* play, uint32_t* write) const {
  std::lock_guard<std::mutex> lock(core_->mutex);
  core_->CatchUpLocked();
  const AudioVoice& v = *voice_;
  uint32_t align = v.format.BlockAlign();
  uint32_t frame = static_cast<uint32_t>(v.pos >> 32);
  uint32_t size = v.frames * align;
  uint32_t p = frame * align;
  if (play) *play = p;
  if (write) {
    // The real device has already mixed up to one step ahead.
    uint32_t ahead = 0;
    if (!core_->isNull && v.playing) {
      uint64_t step = (static_cast<uint64_t>(v.Rate()) << 32) / core_->rate;
      ahead = static_cast<uint32_t>(((step * core_->chunkFrames) >> 32) * align);
    }
    *write = size ? static_cast<uint32_t>((static_cast<uint64_t>(p) + ahead) % size) : 0;
  }
  return kAudioOk;
}

AudioResult AudioBuffer::SetCurrentPosition(uint32_t bytes) {
  std::lock_guard<std::mutex> lock(core_->mutex);
  core_->CatchUpLocked();
  AudioVoice& v = *voice_;
  uint32_t frame = bytes / v.format.BlockAlign();
  if (frame >= v.frames && bytes != 0) return kAudioErrInvalid;
  v.pos = static_cast<uint64_t>(frame) << 32;
  return kAudioOk;
}

AudioResult AudioBuffer::SetVolume(int32_t hundredthsDb) {
  if (hundredthsDb > kAudioVolumeMax || hundredthsDb < kAudioVolumeMin) return kAudioErrInvalid;
  std::lock_guard<std::mutex> lock(core_->mutex);
  core_->CatchUpLocked();
  voice_->volume = hundredthsDb;
  voice_->UpdateGains();
  return kAudioOk;
}

AudioResult AudioBuffer::SetPan(int32_t pan) {
  if (pan < kAudioPanLeft || pan > kAudioPanRight) return kAudioErrInvalid;
  std::lock_guard<std::mutex> lock(core_->mutex);
  core_->CatchUpLocked();
  voice_->pan = pan;
  voice_->UpdateGains();
  return kAudioOk;
}

AudioResult AudioBuffer::SetFrequency(uint32_t hz) {
  if (hz != 0 && (hz < AudioFormat::kMinRate || hz > AudioFormat::kMaxRate)) return kAudioErrInvalid;
  std::lock_guard<std::mutex> lock(core_->mutex);
  core_->CatchUpLocked();
  voice_->frequency = hz;
  return kAudioOk;
}

int32_t AudioBuffer::Volume() const {
  std::lock_guard<std::mutex> lock(core_->mutex);
  return voice_->volume;
}

int32_t AudioBuffer::Pan() const {
  std::lock_guard<std::mutex> lock(core_->mutex);
  return voice_->pan;
}

uint32_t AudioBuffer::Frequency() const {
  std::lock_guard<std::mutex> lock(core_->mutex);
  return voice_->Rate();
}

AudioResult AudioBuffer::Lock(uint32_t offset, uint32_t bytes, void** part1, uint32_t* size1,
                              void** part2, uint32_t* size2, uint32_t flags) {
  if (!part1 || !size1) return kAudioErrInvalid;
  *part1 = nullptr;
  *size1 = 0;
  if (part2) *part2 = nullptr;
  if (size2) *size2 = 0;
  std::lock_guard<std::mutex> lock(core_->mutex);
  core_->CatchUpLocked();
  if (locked_) return kAudioErrInvalid;
  if (voice_->lost) return kAudioErrBufferLost;
  const std::vector<uint8_t>& data = *voice_->data;
  uint32_t size = static_cast<uint32_t>(data.size());
  if (flags & kAudioLockEntireBuffer) {
    offset = 0;
    bytes = size;
  }
  if (offset >= size || bytes == 0 || bytes > size) return kAudioErrInvalid;
  uint32_t first = std::min(bytes, size - offset);
  uint32_t second = bytes - first;
  if (second > 0 && (!part2 || !size2)) return kAudioErrInvalid;
  staging_.resize(bytes);
  std::memcpy(staging_.data(), data.data() + offset, first);
  if (second) std::memcpy(staging_.data() + first, data.data(), second);
  locked_ = true;
  lockOffset_ = offset;
  *part1 = staging_.data();
  *size1 = first;
  if (second) {
    *part2 = staging_.data() + first;
    *size2 = second;
  }
  return kAudioOk;
}

AudioResult AudioBuffer::Unlock(void* part1, uint32_t size1, void* part2, uint32_t size2) {
  std::lock_guard<std::mutex> lock(core_->mutex);
  core_->CatchUpLocked();
  if (!locked_ || part1 != staging_.data()) return kAudioErrInvalid;
  locked_ = false;
  std::vector<uint8_t>& data = *voice_->data;
  uint32_t size = static_cast<uint32_t>(data.size());
  uint32_t lockedFirst = std::min<uint32_t>(static_cast<uint32_t>(staging_.size()), size - lockOffset_);
  uint32_t lockedSecond = static_cast<uint32_t>(staging_.size()) - lockedFirst;
  uint32_t n1 = std::min(size1, lockedFirst);
  std::memcpy(data.data() + lockOffset_, staging_.data(), n1);
  if (part2 && part2 == staging_.data() + lockedFirst) {
    uint32_t n2 = std::min(size2, lockedSecond);
    std::memcpy(data.data(), staging_.data() + lockedFirst, n2);
  }
  return kAudioOk;
}

AudioResult AudioBuffer::Restore() {
  std::lock_guard<std::mutex> lock(core_->mutex);
  core_->CatchUpLocked();
  if (!voice_->lost) return kAudioOk;
  if (core_->lossMode == AudioLossMode::kNoRestore) return kAudioErrFailed;
  voice_->lost = false;
  std::fill(voice_->data->begin(), voice_->data->end(), SilenceByte(voice_->format));
  return kAudioOk;
}

uint32_t AudioBuffer::Size() const { return static_cast<uint32_t>(voice_->data->size()); }
const AudioFormat& AudioBuffer::Format() const { return voice_->format; }
uint32_t AudioBuffer::Flags() const { return voice_->flags; }

// ---------------------------------------------------------------------------
// AudioDevice

std::unique_ptr<AudioDevice> AudioDevice::Open(const std::string& id, const AudioFormat& primary) {
  uint32_t rate = primary.samplesPerSec;
  if (rate < 8000 || rate > 192000) rate = 22050;
  std::unique_ptr<AudioDevice> dev(new AudioDevice());
  dev->core_ = std::make_shared<AudioCore>();
  AudioCore& core = *dev->core_;
  core.rate = rate;
  core.chunkFrames = ChunkFramesFor(rate);
  if (ResolveBackend() == AudioBackend::kNull) {
    core.isNull = true;
    core.lastMs = TimeGetTime();
    return dev;
  }
  core.isNull = false;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    DebugPrintf("Sound: no audio subsystem: %s\n", SDL_GetError());
    return nullptr;
  }
  SDL_AudioSpec want{};
  SDL_AudioSpec have{};
  want.freq = static_cast<int>(rate);
  want.format = AUDIO_S16SYS;
  want.channels = 2;
  want.samples = static_cast<Uint16>(core.chunkFrames);
  want.callback = SdlCallback;
  want.userdata = dev->core_.get();
  SDL_AudioDeviceID sdl = SDL_OpenAudioDevice(id.empty() ? nullptr : id.c_str(), 0, &want, &have, 0);
  if (sdl == 0) {
    DebugPrintf("Sound: the audio device does not open: %s\n", SDL_GetError());
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return nullptr;
  }
  dev->sdlDevice_ = sdl;
  SDL_PauseAudioDevice(sdl, 0);
  return dev;
}

AudioDevice::~AudioDevice() {
  if (sdlDevice_) {
    SDL_CloseAudioDevice(sdlDevice_);  // the callback has ended when this returns
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
  // Buffers that outlive the device keep the core alive but no longer advance.
  std::lock_guard<std::mutex> lock(core_->mutex);
  core_->CatchUpLocked();
  core_->isNull = false;
}

std::unique_ptr<AudioBuffer> AudioDevice::CreateBuffer(const AudioFormat& format, uint32_t bytes,
                                                       uint32_t flags) {
  if (!format.Valid()) return nullptr;
  uint32_t align = format.BlockAlign();
  if (bytes < align || bytes > kMaxBufferBytes) return nullptr;
  bytes -= bytes % align;
  auto voice = std::make_unique<AudioVoice>();
  try {
    voice->data = std::make_shared<std::vector<uint8_t>>(bytes, SilenceByte(format));
  } catch (const std::bad_alloc&) {
    DebugPrintf("Sound: no memory for a buffer of %u bytes\n", bytes);
    return nullptr;
  }
  voice->format = format;
  voice->frames = bytes / align;
  voice->flags = flags;
  voice->UpdateGains();
  return std::unique_ptr<AudioBuffer>(new AudioBuffer(core_, std::move(voice)));
}

std::unique_ptr<AudioBuffer> AudioDevice::DuplicateBuffer(const AudioBuffer& source) {
  if (source.core_ != core_) return nullptr;
  auto voice = std::make_unique<AudioVoice>();
  {
    std::lock_guard<std::mutex> lock(core_->mutex);
    const AudioVoice& s = *source.voice_;
    voice->data = s.data;
    voice->format = s.format;
    voice->frames = s.frames;
    voice->flags = s.flags;
    voice->volume = s.volume;
    voice->pan = s.pan;
    voice->frequency = s.frequency;
    voice->lost = s.lost;
  }
  voice->UpdateGains();
  return std::unique_ptr<AudioBuffer>(new AudioBuffer(core_, std::move(voice)));
}

uint32_t AudioDevice::OutputRate() const { return core_->rate; }
bool AudioDevice::IsNull() const { return sdlDevice_ == 0; }

void AudioDevice::Update() {
  std::lock_guard<std::mutex> lock(core_->mutex);
  core_->CatchUpLocked();
}

void AudioDevice::SetCapture(bool on) {
  std::lock_guard<std::mutex> lock(core_->mutex);
  core_->CatchUpLocked();
  core_->capture = on;
}

std::vector<int16_t> AudioDevice::TakeCapture() {
  std::lock_guard<std::mutex> lock(core_->mutex);
  core_->CatchUpLocked();
  std::vector<int16_t> out;
  out.swap(core_->captured);
  return out;
}

uint64_t AudioDevice::FramesMixed() const {
  std::lock_guard<std::mutex> lock(core_->mutex);
  core_->CatchUpLocked();
  return core_->framesMixed;
}

void AudioDevice::SimulateLoss(AudioLossMode mode) {
  std::lock_guard<std::mutex> lock(core_->mutex);
  core_->CatchUpLocked();
  core_->lossMode = mode;
  if (mode == AudioLossMode::kNone) return;
  for (AudioVoice* v : core_->voices) {
    v->lost = true;
    v->playing = false;
  }
}

std::vector<AudioDeviceInfo> AudioEnumerateDevices(size_t max) {
  std::vector<AudioDeviceInfo> out;
  if (max == 0) return out;
  out.push_back({"", "Default sound device", ""});
  if (ResolveBackend() == AudioBackend::kNull) return out;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return out;
  const char* driver = SDL_GetCurrentAudioDriver();
  int n = SDL_GetNumAudioDevices(0);
  for (int i = 0; i < n && out.size() < max; ++i) {
    const char* name = SDL_GetAudioDeviceName(i, 0);
    if (!name) continue;
    out.push_back({name, name, driver ? driver : ""});
  }
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  return out;
}
