#pragma once
// The game's own sound output: secondary buffers of PCM sound (8 or 16 bits,
// mono or stereo, any rate), each with its own play cursor, mixed together into
// one stereo stream. The real device is fed from SDL's audio callback; the null
// device (headless runs and tests) mixes on the game clock (TimeGetTime), so
// play cursors and the playing status follow the clock exactly.
//
// Units follow what the sound code was written against: volume in hundredths of
// a decibel (0 full, -10000 silent), pan -10000 (left only) to 10000 (right
// only) attenuating the other side the same way, frequency in samples per
// second played (0 restores the buffer's own rate), positions in bytes.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct AudioFormat {
  uint16_t channels = 1;
  uint32_t samplesPerSec = 22050;
  uint16_t bitsPerSample = 8;

  uint32_t BlockAlign() const { return static_cast<uint32_t>(channels) * (bitsPerSample / 8u); }
  bool Valid() const {
    return (channels == 1 || channels == 2) && (bitsPerSample == 8 || bitsPerSample == 16) &&
           samplesPerSec >= kMinRate && samplesPerSec <= kMaxRate;
  }
  static constexpr uint32_t kMinRate = 100;
  static constexpr uint32_t kMaxRate = 200000;
};

enum AudioResult : int {
  kAudioOk = 0,
  kAudioErrInvalid = 1,     // bad argument or state
  kAudioErrBufferLost = 2,  // the buffer's memory was lost; Restore and refill it
  kAudioErrFailed = 3,      // the device could not do it (out of memory, closed)
};

// Buffer creation flags (only stored; the mixer treats every buffer alike).
inline constexpr uint32_t kAudioBufferStatic = 0x2;
inline constexpr uint32_t kAudioBufferCtrl3D = 0x10;
inline constexpr uint32_t kAudioBufferCtrlFrequency = 0x20;
inline constexpr uint32_t kAudioBufferCtrlPan = 0x40;
inline constexpr uint32_t kAudioBufferCtrlVolume = 0x80;
inline constexpr uint32_t kAudioBufferStickyFocus = 0x4000;

// Play flags and status bits.
inline constexpr uint32_t kAudioPlayLooping = 0x1;
inline constexpr uint32_t kAudioStatusPlaying = 0x1;
inline constexpr uint32_t kAudioStatusBufferLost = 0x2;
inline constexpr uint32_t kAudioStatusLooping = 0x4;

// Lock flags.
inline constexpr uint32_t kAudioLockEntireBuffer = 0x2;

inline constexpr int32_t kAudioVolumeMax = 0;
inline constexpr int32_t kAudioVolumeMin = -10000;
inline constexpr int32_t kAudioPanLeft = -10000;
inline constexpr int32_t kAudioPanRight = 10000;

struct AudioCore;
struct AudioVoice;

class AudioBuffer {
 public:
  ~AudioBuffer();
  AudioBuffer(const AudioBuffer&) = delete;
  AudioBuffer& operator=(const AudioBuffer&) = delete;

  // Starts (or keeps) playing from the current position; kAudioPlayLooping
  // wraps at the end instead of stopping there (the cursor then returns to 0).
  AudioResult Play(uint32_t flags);
  // Stops; the position stays where it was.
  AudioResult Stop();
  uint32_t Status() const;
  // Play cursor in bytes (a whole frame); the write cursor is where data may
  // safely be written (a short distance ahead on the real device).
  AudioResult GetCurrentPosition(uint32_t* play, uint32_t* write) const;
  // Moves the play cursor (rounded down to a whole frame); beyond the end is refused.
  AudioResult SetCurrentPosition(uint32_t bytes);

  AudioResult SetVolume(int32_t hundredthsDb);  // -10000..0
  AudioResult SetPan(int32_t pan);              // -10000..10000
  AudioResult SetFrequency(uint32_t hz);        // 0 = own rate, else 100..200000
  int32_t Volume() const;
  int32_t Pan() const;
  uint32_t Frequency() const;

  // Gives the bytes from offset (wrapping at the end) for writing: the first
  // part up to the buffer's end, the second from its start. Nothing reaches the
  // mixer until Unlock. One lock at a time.
  AudioResult Lock(uint32_t offset, uint32_t bytes, void** part1, uint32_t* size1, void** part2,
                   uint32_t* size2, uint32_t flags);
  AudioResult Unlock(void* part1, uint32_t size1, void* part2, uint32_t size2);
  // Gives a lost buffer its memory back (the contents must be written again).
  AudioResult Restore();

  uint32_t Size() const;
  const AudioFormat& Format() const;
  uint32_t Flags() const;

 private:
  friend class AudioDevice;
  AudioBuffer(std::shared_ptr<AudioCore> core, std::unique_ptr<AudioVoice> voice);
  std::shared_ptr<AudioCore> core_;
  std::unique_ptr<AudioVoice> voice_;
  std::vector<uint8_t> staging_;
  uint32_t lockOffset_ = 0;
  bool locked_ = false;
};

struct AudioDeviceInfo {
  std::string id;           // "" for the default device
  std::string description;  // shown to the player
  std::string module;       // driver name
};

enum class AudioBackend { kAuto, kNull, kSdl };

// Simulated loss of buffer memory, for testing the recovery paths.
enum class AudioLossMode {
  kNone,
  kOnce,        // every buffer is lost until restored
  kAlways,      // Play keeps reporting loss even after a successful Restore
  kNoRestore,   // every buffer is lost and Restore fails
};

class AudioDevice {
 public:
  // Opens the device with the given id ("" = default) mixing at the rate of
  // `primary` (the output is always 16-bit stereo). Null when no device opens.
  static std::unique_ptr<AudioDevice> Open(const std::string& id, const AudioFormat& primary);
  ~AudioDevice();
  AudioDevice(const AudioDevice&) = delete;
  AudioDevice& operator=(const AudioDevice&) = delete;

  // A stopped buffer of `bytes` bytes of silence, at position 0, full volume,
  // centred, at its own rate. Null for a bad format or size.
  std::unique_ptr<AudioBuffer> CreateBuffer(const AudioFormat& format, uint32_t bytes,
                                            uint32_t flags);
  // A buffer sharing the source's sound data, with its own cursor and settings
  // (copied from the source), stopped.
  std::unique_ptr<AudioBuffer> DuplicateBuffer(const AudioBuffer& source);

  uint32_t OutputRate() const;
  bool IsNull() const;
  // Null device: mixes everything owed up to the clock's now. Every buffer
  // operation does this first, so callers rarely need it.
  void Update();
  // Null device: keeps a copy of the mixed output (interleaved stereo).
  void SetCapture(bool on);
  std::vector<int16_t> TakeCapture();
  // Frames mixed since the device opened.
  uint64_t FramesMixed() const;
  void SimulateLoss(AudioLossMode mode);

 private:
  AudioDevice() = default;
  std::shared_ptr<AudioCore> core_;
  uint32_t sdlDevice_ = 0;
};

// The devices the player may choose from; entry 0 is always the default device.
// At most `max` entries.
std::vector<AudioDeviceInfo> AudioEnumerateDevices(size_t max);

// Which device kind Open makes. kAuto: the null device when KELVANTHROP_HEADLESS
// is set, else SDL.
void AudioSetBackend(AudioBackend backend);
AudioBackend AudioGetBackend();

// Play cursor granularity of the real device: the callback mixes in steps of at
// most this many milliseconds.
inline constexpr uint32_t kAudioMaxStepMs = 25;
