#include "sound/sound.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "base/atomic_file.h"
#include "base/debug.h"

SoundManager* g_soundManager = nullptr;

namespace {

// A lost buffer is restored and the play tried again, but not for ever: a
// device that keeps losing its memory leaves the sound silent.
constexpr int kPlayRetries = 3;

constexpr uint32_t kBufferFlags = kAudioBufferCtrl3D | kAudioBufferCtrlFrequency |
                                  kAudioBufferCtrlPan | kAudioBufferCtrlVolume;

uint16_t ReadU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t ReadU32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

AudioFormat FormatOf(const WaveInfo& w) {
  AudioFormat f;
  f.channels = w.channels;
  f.samplesPerSec = w.samplesPerSec;
  f.bitsPerSample = w.bitsPerSample;
  return f;
}

uint8_t SilenceOf(const WaveInfo& w) { return w.bitsPerSample == 8 ? 0x80 : 0x00; }

}  // namespace

// ---------------------------------------------------------------------------
// WAVE parsing

bool SoundManager::ParseWave(const uint8_t* data, size_t size, WaveInfo* info) {
  if (!data || !info || size < 12) return false;
  if (std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(data + 8, "WAVE", 4) != 0) return false;
  uint64_t riffSize = ReadU32(data + 4);
  if (riffSize < 4) return false;
  // A RIFF size beyond the end of the bytes (a file cut short, or written by a
  // streaming tool) is read as far as the bytes go.
  uint64_t end = std::min<uint64_t>(size, 8 + riffSize);

  bool haveFormat = false;
  bool haveData = false;
  uint16_t tag = 0, channels = 0, bits = 0;
  uint32_t rate = 0;
  uint64_t dataOffset = 0, dataSize = 0;
  uint64_t pos = 12;
  while (pos + 8 <= end && !(haveFormat && haveData)) {
    const uint8_t* chunk = data + pos;
    uint64_t chunkSize = ReadU32(chunk + 4);
    uint64_t body = pos + 8;
    uint64_t avail = end - body;
    if (!haveFormat && std::memcmp(chunk, "fmt ", 4) == 0) {
      // The plain PCM header is 16 bytes; longer ones carry extra fields after it.
      if (chunkSize < 16 || avail < 16) return false;
      const uint8_t* f = data + body;
      tag = ReadU16(f);
      channels = ReadU16(f + 2);
      rate = ReadU32(f + 4);
      bits = ReadU16(f + 14);
      haveFormat = true;
    } else if (!haveData && std::memcmp(chunk, "data", 4) == 0) {
      dataOffset = body;
      dataSize = std::min(chunkSize, avail);
      haveData = true;
    }
    pos = body + chunkSize + (chunkSize & 1);
  }
  if (!haveFormat || !haveData) return false;
  if (tag != 1) return false;  // PCM only
  if (channels != 1 && channels != 2) return false;
  if (bits != 8 && bits != 16) return false;
  if (rate < AudioFormat::kMinRate || rate > AudioFormat::kMaxRate) return false;
  uint32_t align = channels * (bits / 8u);
  dataSize -= dataSize % align;
  if (dataSize == 0 || dataSize > 0xFFFFFFF0u) return false;

  info->channels = channels;
  info->bitsPerSample = bits;
  info->samplesPerSec = rate;
  info->dataOffset = static_cast<uint32_t>(dataOffset);
  info->dataSize = static_cast<uint32_t>(dataSize);
  info->formatCode = (bits == 8 ? 1 : 3) + (channels == 2 ? 1 : 0);
  return true;
}

// ---------------------------------------------------------------------------
// Construction, slots, loading

SoundManager::SoundManager(void* window) : window_(window) {
  primaryFormat_.channels = 1;
  primaryFormat_.samplesPerSec = 22050;
  primaryFormat_.bitsPerSample = 8;
  for (const AudioDeviceInfo& d : AudioEnumerateDevices(kSoundMaxDevices)) {
    DeviceEntry& e = devices_[deviceCount_];
    e.id = d.id;
    e.description = d.description.c_str();
    e.module = d.module.c_str();
    if (++deviceCount_ >= kSoundMaxDevices) break;
  }
}

SoundManager::~SoundManager() {
  Enable(0);
  for (int slot = 0; slot < kSoundSlotCount; ++slot) FreeSlot(slot);
}

int SoundManager::AllocSlot() {
  for (int slot = 0; slot < kSoundSlotCount; ++slot) {
    if (copies_[slot] == 0) {
      copies_[slot] = -1;
      return slot;
    }
  }
  return -1;
}

void SoundManager::FreeSlot(int slot) {
  if (!Valid(slot)) return;
  Unload(slot);
  copies_[slot] = 0;
}

bool SoundManager::LoadWaveFile(int slot, const char* path, int streaming, int copies,
                                int focusFlag) {
  if (!Valid(slot)) return false;
  std::unique_ptr<MemBlock> block;
  if (path) {
    auto file = std::make_unique<MappedFileMemBlock>(path);
    if (!file->IsValid())
      DebugPrintf("Sound %s cannot be read (%s).\n", path, FileErrorText(file->GetErrno()).c_str());
    else if (file->GetSize() == 0)
      DebugPrintf("Sound %s is empty.\n", path);
    block = std::move(file);
  }
  return Load(slot, std::move(block), kSoundFile, streaming, copies, focusFlag, path);
}

bool SoundManager::LoadWaveResource(int slot, const char* name, int streaming, int copies,
                                    int focusFlag) {
  if (!Valid(slot)) return false;
  std::unique_ptr<MemBlock> block;
  if (name) block = std::make_unique<ResourceMemBlock>(name);
  return Load(slot, std::move(block), kSoundResource, streaming, copies, focusFlag, name);
}

bool SoundManager::LoadWaveMemory(int slot, const void* data, size_t size, int streaming,
                                  int copies, int focusFlag) {
  if (!Valid(slot)) return false;
  std::unique_ptr<MemBlock> block;
  if (data && size > 0) {
    auto copy = std::make_unique<GlobalMemBlock>(size);
    if (copy->IsValid() && copy->GetData()) {
      std::memcpy(copy->GetData(), data, size);
      block = std::move(copy);
    }
  }
  return Load(slot, std::move(block), kSoundMemory, streaming, copies, focusFlag, nullptr);
}

bool SoundManager::Load(int slot, std::unique_ptr<MemBlock> block, SoundKind kind, int streaming,
                        int copies, int focusFlag, const char* name) {
  Unload(slot);
  streaming_[slot] = streaming ? 1 : 0;
  if (streaming_[slot]) {
    copies_[slot] = 1;
  } else {
    copies_[slot] = copies > 2 ? 3 : (copies < 2 ? 1 : 2);
  }
  kind_[slot] = kind;
  wave_[slot] = std::make_unique<WaveInfo>();
  focusFlag_[slot] = focusFlag;
  nextSection_[slot] = 0;
  fedPosition_[slot] = 0;
  playCounter_[slot] = 0;
  looping_[slot] = 0;
  for (auto& s : sectionSource_[slot]) s = -1;

  if (!block || !block->IsValid() || !block->GetData() || block->GetSize() == 0) {
    Unload(slot);
    return false;
  }
  wave_[slot]->source = std::move(block);
  MemBlock& src = *wave_[slot]->source;
  src.Lock();
  bool ok = ParseWave(src.GetData(), src.GetSize(), wave_[slot].get());
  src.Unlock();
  if (!ok) {
    DebugPrintf("Sound %s is not a usable WAVE file (slot %d).\n", name ? name : "in memory", slot);
    Unload(slot);
    return false;
  }
  CreateSlotBuffers(slot, 1);
  return true;
}

bool SoundManager::IsLoaded(int slot) const { return Valid(slot) && kind_[slot] != kSoundEmpty; }

void SoundManager::Unload(int slot) {
  if (!Valid(slot)) return;
  for (auto& b : buffers_[slot]) b.reset();
  wave_[slot].reset();
  kind_[slot] = kSoundEmpty;
  streaming_[slot] = 0;
  fedPosition_[slot] = 0;
  nextSection_[slot] = 0;
  // An unloaded slot stays reserved by its owner.
  if (copies_[slot] != 0) copies_[slot] = -1;
}

// ---------------------------------------------------------------------------
// Device

void SoundManager::Enable(int on) {
  on = on ? 1 : 0;
  if (on == enabled_) return;
  if (on) {
    SelectDevice(0);
    const std::string& id = selectedDevice_ < deviceCount_ ? devices_[selectedDevice_].id : "";
    device_ = AudioDevice::Open(id, primaryFormat_);
    if (!device_) return;  // sound stays off
    enabled_ = 1;
    for (int slot = 0; slot < kSoundSlotCount; ++slot) CreateSlotBuffers(slot, 1);
  } else {
    StopAll();
    for (auto& slotBuffers : buffers_)
      for (auto& b : slotBuffers) b.reset();
    device_.reset();
    enabled_ = 0;
  }
}

void SoundManager::SetPrimaryFormat(int channels, int samplesPerSec, int bitsPerSample) {
  primaryFormat_.channels = static_cast<uint16_t>(channels);
  primaryFormat_.samplesPerSec = static_cast<uint32_t>(samplesPerSec);
  primaryFormat_.bitsPerSample = static_cast<uint16_t>(bitsPerSample);
}

String SoundManager::DeviceName(int i) const {
  if (i < 0 || i >= deviceCount_) return String();
  return devices_[i].description;
}

void SoundManager::SelectDevice(int i) {
  if (i >= 0 && i < deviceCount_) selectedDevice_ = i;
}

// ---------------------------------------------------------------------------
// Buffers

const uint8_t* SoundManager::Samples(int slot) const {
  if (!Valid(slot) || !wave_[slot] || !wave_[slot]->source) return nullptr;
  const uint8_t* base = wave_[slot]->source->GetData();
  return base ? base + wave_[slot]->dataOffset : nullptr;
}

void SoundManager::FillStatic(int slot) {
  AudioBuffer* master = buffers_[slot][0].get();
  const uint8_t* samples = Samples(slot);
  if (!master || !samples) return;
  void* p1 = nullptr;
  void* p2 = nullptr;
  uint32_t n1 = 0, n2 = 0;
  if (master->Lock(0, 0, &p1, &n1, &p2, &n2, kAudioLockEntireBuffer) != kAudioOk) return;
  std::memcpy(p1, samples, std::min(n1, wave_[slot]->dataSize));
  master->Unlock(p1, n1, p2, n2);
}

void SoundManager::CreateSlotBuffers(int slot, int fresh) {
  if (!enabled_ || !device_ || !Valid(slot) || kind_[slot] == kSoundEmpty || !wave_[slot]) return;
  WaveInfo& w = *wave_[slot];
  if (!w.source) return;
  w.source->Lock();
  AudioFormat fmt = FormatOf(w);
  uint32_t flags = kBufferFlags | (streaming_[slot] ? 0 : kAudioBufferStatic) |
                   (focusFlag_[slot] ? kAudioBufferStickyFocus : 0);
  if (!buffers_[slot][0]) {
    uint32_t size = streaming_[slot] ? w.BlockAlign() * w.samplesPerSec : w.dataSize;
    buffers_[slot][0] = device_->CreateBuffer(fmt, size, flags);
    if (buffers_[slot][0]) {
      if (!streaming_[slot]) {
        FillStatic(slot);
        // Two duplicates whether 2 or 3 copies were asked for.
        if (copies_[slot] > 1) {
          buffers_[slot][1] = device_->DuplicateBuffer(*buffers_[slot][0]);
          buffers_[slot][2] = device_->DuplicateBuffer(*buffers_[slot][0]);
        }
      } else {
        FeedStream(slot, fresh);
      }
    } else {
      DebugPrintf("Sound: no buffer for slot %d\n", slot);
    }
  } else if (!streaming_[slot]) {
    FillStatic(slot);
  } else {
    FeedStream(slot, fresh);
  }
  w.source->Unlock();
}

void SoundManager::RestoreLost(int slot) {
  if (!Valid(slot) || !enabled_) return;
  bool restored = false;
  for (auto& b : buffers_[slot]) {
    if (!b || !(b->Status() & kAudioStatusBufferLost)) continue;
    if (b->Restore() != kAudioOk) return;
    restored = true;
  }
  if (restored) CreateSlotBuffers(slot, 0);
}

// ---------------------------------------------------------------------------
// Playing

void SoundManager::Play(int slot, int32_t start, int32_t pan, int32_t volume, int32_t frequency,
                        int loop) {
  if (!Valid(slot) || !enabled_ || kind_[slot] == kSoundEmpty || !buffers_[slot][0]) return;
  const WaveInfo& w = *wave_[slot];
  int copies = std::clamp(copies_[slot], 1, kSoundBuffersPerSlot);
  playCounter_[slot] = (playCounter_[slot] + 1) % copies;
  int index = streaming_[slot] ? 0 : playCounter_[slot];
  AudioBuffer* buf = buffers_[slot][index] ? buffers_[slot][index].get() : buffers_[slot][0].get();

  if (!streaming_[slot]) {
    if (start != kSoundContinue && start >= 0) buf->SetCurrentPosition(static_cast<uint32_t>(start));
  } else if (start != kSoundContinue) {
    Stop(slot);
    uint32_t align = w.BlockAlign();
    uint32_t at = start > 0 ? static_cast<uint32_t>(start) : 0;
    at = std::min(at, w.dataSize - align);  // dataSize is a non-zero number of frames
    fedPosition_[slot] = at - at % align;
    nextSection_[slot] = 0;
    looping_[slot] = loop ? 1 : 0;
    FeedStream(slot, 1);
  }

  if (pan != kSoundUnchanged) buf->SetPan(pan);
  if (volume != kSoundUnchanged) buf->SetVolume(volume);
  if (frequency != kSoundUnchanged && frequency >= 0) buf->SetFrequency(static_cast<uint32_t>(frequency));

  // A stream always loops its buffer; FeedStream finds its end.
  uint32_t flags = (streaming_[slot] || loop) ? kAudioPlayLooping : 0;
  for (int attempt = 0;; ++attempt) {
    AudioResult r = buf->Play(flags);
    if (r != kAudioErrBufferLost) return;
    if (attempt >= kPlayRetries) {
      DebugPrintf("Sound: slot %d keeps losing its buffer; not played\n", slot);
      return;
    }
    for (auto& b : buffers_[slot]) {
      if (b && b->Restore() != kAudioOk) return;
    }
    CreateSlotBuffers(slot, 0);
  }
}

void SoundManager::Stop(int slot) {
  if (!Valid(slot)) return;
  for (auto& b : buffers_[slot])
    if (b) b->Stop();
}

void SoundManager::StopAll() {
  for (int slot = 0; slot < kSoundSlotCount; ++slot) Stop(slot);
}

bool SoundManager::IsPlaying(int slot) const {
  if (!Valid(slot)) return false;
  for (const auto& b : buffers_[slot])
    if (b && (b->Status() & kAudioStatusPlaying)) return true;
  return false;
}

// ---------------------------------------------------------------------------
// Streaming

void SoundManager::FeedStream(int slot, int restart) {
  if (!Valid(slot) || !enabled_ || !streaming_[slot] || !buffers_[slot][0] || !wave_[slot]) return;
  AudioBuffer& b = *buffers_[slot][0];
  const WaveInfo& w = *wave_[slot];
  const uint32_t size = b.Size();
  const uint32_t section = size / kSoundStreamSections;
  if (section == 0) return;

  constexpr uint64_t kNoEnd = ~uint64_t{0};
  int lockSection;
  bool advance = true;  // false when the same section is silenced again
  if (restart) {
    b.SetCurrentPosition(0);
    lockSection = 0;
    nextSection_[slot] = 1;
    streamPlayed_[slot] = 0;
    streamWritten_[slot] = 0;
    lastCursor_[slot] = 0;
    streamEnd_[slot] = (!looping_[slot] && fedPosition_[slot] >= w.dataSize) ? 0 : kNoEnd;
  } else {
    uint32_t cursor = 0;
    b.GetCurrentPosition(&cursor, nullptr);
    streamPlayed_[slot] += (cursor + size - lastCursor_[slot]) % size;
    lastCursor_[slot] = cursor;
    // The end is told by the bytes played, not by the cursor's section alone:
    // a feed that runs a whole buffer ahead also finds the cursor in the
    // section it fills next, while the last data is still far off.
    if (!looping_[slot] && streamEnd_[slot] != kNoEnd && streamPlayed_[slot] >= streamEnd_[slot]) {
      if (IsPlaying(slot)) Stop(slot);
      return;
    }
    int playing = static_cast<int>(std::min<uint32_t>(cursor / section, kSoundStreamSections - 1));
    bool allFed = fedPosition_[slot] >= w.dataSize;
    if (nextSection_[slot] == playing) return;  // caught up with the cursor
    if (!looping_[slot] && allFed) {
      lockSection = nextSection_[slot];  // silence after the end
      advance = false;
    } else if (nextSection_[slot] == kSoundStreamSections - 1) {
      lockSection = kSoundStreamSections - 1;
      nextSection_[slot] = 0;
    } else {
      lockSection = nextSection_[slot];
      nextSection_[slot] += 1;
    }
  }

  uint32_t offset = static_cast<uint32_t>(lockSection) * section;
  uint32_t bytes = lockSection == kSoundStreamSections - 1 ? size - offset : section;
  void* p1 = nullptr;
  void* p2 = nullptr;
  uint32_t n1 = 0, n2 = 0;
  if (b.Lock(offset, bytes, &p1, &n1, &p2, &n2, 0) != kAudioOk) return;

  uint8_t* dst = static_cast<uint8_t*>(p1);
  const uint8_t* samples = Samples(slot);
  uint32_t& fed = fedPosition_[slot];
  sectionSource_[slot][lockSection] = (samples && (looping_[slot] || fed < w.dataSize)) ? fed : -1;
  uint32_t done = 0;
  while (done < n1) {
    if (!samples) {
      std::memset(dst, SilenceOf(w), n1);
      break;
    }
    if (fed >= w.dataSize) {
      if (!looping_[slot]) {
        // The rest is silence (the 8-bit midpoint for 8-bit sound, not zero,
        // which would click).
        std::memset(dst + done, SilenceOf(w), n1 - done);
        fed = w.dataSize;
        break;
      }
      fed = 0;
    }
    uint32_t take = std::min(n1 - done, w.dataSize - fed);
    std::memcpy(dst + done, samples + fed, take);
    done += take;
    fed += take;
    if (fed >= w.dataSize && looping_[slot]) fed = 0;
  }
  if (advance) {
    if (!looping_[slot] && fed >= w.dataSize && streamEnd_[slot] == kNoEnd)
      streamEnd_[slot] = streamWritten_[slot] + done;
    streamWritten_[slot] += n1;
  }
  b.Unlock(p1, n1, p2, n2);
}

void SoundManager::FeedAllStreams() {
  for (int slot = 0; slot < kSoundSlotCount; ++slot) FeedStream(slot, 0);
}

// ---------------------------------------------------------------------------
// Getters and setters

uint32_t SoundManager::GetPosition(int slot) const {
  if (!Valid(slot) || !buffers_[slot][0] || !wave_[slot]) return 0;
  uint32_t cursor = 0;
  buffers_[slot][0]->GetCurrentPosition(&cursor, nullptr);
  if (!streaming_[slot]) return cursor;
  const WaveInfo& w = *wave_[slot];
  uint32_t section = buffers_[slot][0]->Size() / kSoundStreamSections;
  if (section == 0) return 0;
  int s = static_cast<int>(std::min<uint32_t>(cursor / section, kSoundStreamSections - 1));
  int64_t src = sectionSource_[slot][s];
  if (src < 0) return w.dataSize;
  uint64_t at = static_cast<uint64_t>(src) + (cursor - static_cast<uint32_t>(s) * section);
  if (looping_[slot]) return static_cast<uint32_t>(at % w.dataSize);
  return static_cast<uint32_t>(std::min<uint64_t>(at, w.dataSize));
}

void SoundManager::SetPosition(int slot, uint32_t bytes) {
  if (!Valid(slot) || !enabled_ || !buffers_[slot][0] || !wave_[slot]) return;
  if (!streaming_[slot]) {
    buffers_[slot][0]->SetCurrentPosition(bytes);
    return;
  }
  const WaveInfo& w = *wave_[slot];
  uint32_t align = w.BlockAlign();
  uint32_t at = std::min(bytes, w.dataSize - align);
  fedPosition_[slot] = at - at % align;
  FeedStream(slot, 1);
}

int32_t SoundManager::GetPan(int slot) const {
  return Valid(slot) && buffers_[slot][0] ? buffers_[slot][0]->Pan() : 0;
}
void SoundManager::SetPan(int slot, int32_t pan) {
  if (Valid(slot) && buffers_[slot][0]) buffers_[slot][0]->SetPan(pan);
}
int32_t SoundManager::GetVolume(int slot) const {
  return Valid(slot) && buffers_[slot][0] ? buffers_[slot][0]->Volume() : 0;
}
void SoundManager::SetVolume(int slot, int32_t volume) {
  if (Valid(slot) && buffers_[slot][0]) buffers_[slot][0]->SetVolume(volume);
}
uint32_t SoundManager::GetFrequency(int slot) const {
  return Valid(slot) && buffers_[slot][0] ? buffers_[slot][0]->Frequency() : 0;
}
void SoundManager::SetFrequency(int slot, uint32_t frequency) {
  if (Valid(slot) && buffers_[slot][0]) buffers_[slot][0]->SetFrequency(frequency);
}

const uint8_t* SoundManager::SampleData(int slot) const {
  if (!Valid(slot) || (kind_[slot] != kSoundFile && kind_[slot] != kSoundMemory)) return nullptr;
  return Samples(slot);
}

uint32_t SoundManager::SampleRate(int slot) const {
  return IsLoaded(slot) && wave_[slot] ? wave_[slot]->samplesPerSec : 0;
}
uint32_t SoundManager::BitsPerSample(int slot) const {
  return IsLoaded(slot) && wave_[slot] ? wave_[slot]->bitsPerSample : 0;
}
uint32_t SoundManager::Channels(int slot) const {
  return IsLoaded(slot) && wave_[slot] ? wave_[slot]->channels : 0;
}
uint32_t SoundManager::DataSize(int slot) const {
  return IsLoaded(slot) && wave_[slot] ? wave_[slot]->dataSize : 0;
}
uint32_t SoundManager::SampleCount(int slot) const {
  if (!IsLoaded(slot) || !wave_[slot]) return 0;
  uint32_t align = wave_[slot]->BlockAlign();
  return align ? wave_[slot]->dataSize / align : 0;
}
int SoundManager::SampleFormat(int slot) const {
  return IsLoaded(slot) && wave_[slot] ? wave_[slot]->formatCode : 0;
}
int SoundManager::BytesPerSample(int slot) const {
  switch (SampleFormat(slot)) {
    case 1: return 1;
    case 2:
    case 3: return 2;
    case 4: return 4;
    default: return 0;
  }
}

uint32_t SoundManager::PeekSample(int slot, int32_t index) const {
  const uint8_t* data = SampleData(slot);
  uint32_t count = SampleCount(slot);
  if (!data || count == 0) return 0;
  uint32_t i = index < 0 ? 0 : static_cast<uint32_t>(index) % count;
  uint16_t left = 0, right = 0;
  switch (wave_[slot]->formatCode) {
    case 1:
      left = right = static_cast<uint16_t>((data[i] - 128) * 256);
      break;
    case 2:
      left = static_cast<uint16_t>((data[2 * i] - 128) * 256);
      right = static_cast<uint16_t>((data[2 * i + 1] - 128) * 256);
      break;
    case 3:
      left = right = ReadU16(data + 2 * i);
      break;
    case 4:
      left = ReadU16(data + 4 * i);
      right = ReadU16(data + 4 * i + 2);
      break;
    default:
      return 0;
  }
  return static_cast<uint32_t>(left) | (static_cast<uint32_t>(right) << 16);
}

// ---------------------------------------------------------------------------
// Inspection

int SoundManager::Copies(int slot) const { return Valid(slot) ? copies_[slot] : 0; }

int SoundManager::BufferCount(int slot) const {
  if (!Valid(slot)) return 0;
  int n = 0;
  for (const auto& b : buffers_[slot])
    if (b) ++n;
  return n;
}

AudioBuffer* SoundManager::Buffer(int slot, int index) const {
  if (!Valid(slot) || index < 0 || index >= kSoundBuffersPerSlot) return nullptr;
  return buffers_[slot][index].get();
}
