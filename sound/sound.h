#pragma once
// The sound manager: the program's one front end to the sound device. 100
// numbered slots of one WAVE sound each (from a file, a program resource or a
// caller's memory), played through up to three buffers per slot so that a sound
// can overlap itself, and streaming slots that play long sounds through a
// one-second buffer refilled a sixth at a time. Sound can be switched off and
// on as a whole (when the game loses and regains the focus); loaded sounds
// survive that and get new buffers.
//
// Nothing reports an error: a sound that does not load leaves its slot empty,
// operations on empty slots, bad ids or while sound is off do nothing, and
// getters answer 0.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "base/mem_block.h"
#include "base/string.h"
#include "platform/audio.h"

enum SoundKind : int32_t {
  kSoundEmpty = 0,
  kSoundFile = 1,
  kSoundResource = 3,
  kSoundMemory = 4,
};

// The parsed format of a slot's WAVE and where its samples lie.
struct WaveInfo {
  uint16_t channels = 0;
  uint16_t bitsPerSample = 0;
  uint32_t samplesPerSec = 0;
  uint32_t dataOffset = 0;  // start of the samples within the source block
  uint32_t dataSize = 0;    // bytes of samples, a whole number of frames, never 0
  int32_t formatCode = 0;   // 1 mono 8-bit, 2 stereo 8-bit, 3 mono 16-bit, 4 stereo 16-bit
  std::unique_ptr<MemBlock> source;

  uint32_t BlockAlign() const { return static_cast<uint32_t>(channels) * (bitsPerSample / 8u); }
};

inline constexpr int kSoundSlotCount = 100;
inline constexpr int kSoundBuffersPerSlot = 3;
inline constexpr int kSoundStreamSections = 6;
inline constexpr int kSoundMaxDevices = 8;
// Pass for pan, volume or frequency to leave that setting as it is.
inline constexpr int32_t kSoundUnchanged = 999999;
// Start position that plays on from where the buffer stands.
inline constexpr int32_t kSoundContinue = -1;

class SoundManager {
 public:
  // Sound stays off until Enable(1). `window` is the game window (kept for the
  // device; the mixer itself needs none).
  explicit SoundManager(void* window);
  ~SoundManager();
  SoundManager(const SoundManager&) = delete;
  SoundManager& operator=(const SoundManager&) = delete;

  // Reserves the first free slot; -1 when all 100 are taken.
  int AllocSlot();
  // Unloads the slot and gives its reservation back.
  void FreeSlot(int slot);

  // Load a WAVE into the slot (replacing what it held). streaming 1 plays it
  // through a one-second buffer fed by FeedStream; a static slot gets 1 to 3
  // buffers (copies 2 makes 3 buffers but Play cycles over 2). True when the
  // sound loaded; on failure the slot is left empty.
  bool LoadWaveFile(int slot, const char* path, int streaming, int copies, int focusFlag);
  bool LoadWaveResource(int slot, const char* name, int streaming, int copies, int focusFlag);
  // The bytes are copied: the caller may free them at once.
  bool LoadWaveMemory(int slot, const void* data, size_t size, int streaming, int copies,
                      int focusFlag);
  bool IsLoaded(int slot) const;
  // Releases the slot's buffers and sound; the reservation stays.
  void Unload(int slot);

  // Switches sound on (opens the device, gives every loaded slot its buffers)
  // or off (stops everything, closes the device; loaded sounds stay).
  void Enable(int on);
  bool IsEnabled() const { return enabled_ != 0; }

  // Plays the slot on its next buffer in turn. start: byte position, or -1 to
  // continue; pan, volume, frequency: kSoundUnchanged leaves them.
  void Play(int slot, int32_t start, int32_t pan, int32_t volume, int32_t frequency, int loop);
  void Stop(int slot);
  void StopAll();
  bool IsPlaying(int slot) const;

  // Refills the streaming slots; call once a frame (at least every sixth of a
  // second of sound).
  void FeedStream(int slot, int restart);
  void FeedAllStreams();

  void SetPrimaryFormat(int channels, int samplesPerSec, int bitsPerSample);

  // Play position of the master buffer in bytes; for a streaming slot the
  // position within the sample data. SetPosition on a stream feeds from there.
  uint32_t GetPosition(int slot) const;
  void SetPosition(int slot, uint32_t bytes);
  int32_t GetPan(int slot) const;
  void SetPan(int slot, int32_t pan);
  int32_t GetVolume(int slot) const;
  void SetVolume(int slot, int32_t volume);
  uint32_t GetFrequency(int slot) const;
  void SetFrequency(int slot, uint32_t frequency);
  // Restores lost buffers of the slot and fills them again.
  void RestoreLost(int slot);

  // The sample bytes (file and memory slots only), else null.
  const uint8_t* SampleData(int slot) const;
  uint32_t SampleRate(int slot) const;
  uint32_t BitsPerSample(int slot) const;
  uint32_t Channels(int slot) const;
  uint32_t DataSize(int slot) const;
  uint32_t SampleCount(int slot) const;
  int SampleFormat(int slot) const;
  int BytesPerSample(int slot) const;
  // Sample `index` (negative counts as 0, taken modulo the sample count) as a
  // 16-bit stereo pair: low half left, high half right; 8-bit values become
  // (v - 128) x 256; a mono sample fills both halves. 0 for an empty slot.
  uint32_t PeekSample(int slot, int32_t index) const;

  String DeviceName(int i) const;
  int DeviceCount() const { return deviceCount_; }
  void SelectDevice(int i);

  // Reads a RIFF WAVE held in memory: "fmt " of at least 16 bytes with PCM,
  // 1 or 2 channels, 8 or 16 bits, and a non-empty "data" chunk (cut to the
  // bytes present and to whole frames). Never reads outside [data, data+size).
  static bool ParseWave(const uint8_t* data, size_t size, WaveInfo* info);

  // Inspection for tests and tools.
  int Copies(int slot) const;  // 0 free, -1 reserved and empty, 1..3
  int BufferCount(int slot) const;
  AudioBuffer* Buffer(int slot, int index) const;
  AudioDevice* Device() const { return device_.get(); }

 private:
  bool Load(int slot, std::unique_ptr<MemBlock> block, SoundKind kind, int streaming, int copies,
            int focusFlag, const char* name);  // name: the file or resource, for messages
  void CreateSlotBuffers(int slot, int fresh);
  void FillStatic(int slot);
  const uint8_t* Samples(int slot) const;  // any kind
  static bool Valid(int slot) { return slot >= 0 && slot < kSoundSlotCount; }

  struct DeviceEntry {
    String description;
    String module;
    std::string id;
  };

  std::unique_ptr<AudioDevice> device_;
  std::unique_ptr<AudioBuffer> buffers_[kSoundSlotCount][kSoundBuffersPerSlot];
  int32_t copies_[kSoundSlotCount] = {};
  int32_t playCounter_[kSoundSlotCount] = {};
  int32_t kind_[kSoundSlotCount] = {};
  std::unique_ptr<WaveInfo> wave_[kSoundSlotCount];
  int32_t enabled_ = 0;
  int32_t streaming_[kSoundSlotCount] = {};
  uint32_t fedPosition_[kSoundSlotCount] = {};
  uint8_t nextSection_[kSoundSlotCount] = {};
  int32_t looping_[kSoundSlotCount] = {};
  int32_t focusFlag_[kSoundSlotCount] = {};
  // Streaming: the data offset each section's first byte came from (-1 silence),
  // so that the position within the data can be told from the play cursor.
  int64_t sectionSource_[kSoundSlotCount][kSoundStreamSections] = {};
  // Streaming: bytes played and written since the last restart, counted on
  // through the buffer's laps, and where the data ended in that count (none
  // while data remains), so a stream stops when its last data has played.
  uint64_t streamPlayed_[kSoundSlotCount] = {};
  uint64_t streamWritten_[kSoundSlotCount] = {};
  uint64_t streamEnd_[kSoundSlotCount] = {};
  uint32_t lastCursor_[kSoundSlotCount] = {};
  AudioFormat primaryFormat_;
  void* window_ = nullptr;
  DeviceEntry devices_[kSoundMaxDevices];
  int32_t deviceCount_ = 0;
  int32_t selectedDevice_ = 0;
};

// The one sound manager, made by the shell at start-up.
extern SoundManager* g_soundManager;
