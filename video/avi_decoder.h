#pragma once
// Reads a cut-scene clip (an AVI file) with libavformat/libavcodec: its
// pictures one at a time, converted to the device-independent pictures the
// players draw from (RGB555 or 24-bit, rows padded to 4 bytes, bottom-up),
// and its whole sound track at once as a 16-bit PCM WAVE for a streaming
// sound slot.
//
// Clips are untrusted files: only the AVI reader and the few codecs that
// cut-scenes are made with are used, sizes and times are bounded, decoding
// runs on the calling thread only, and every failure is reported as a
// result with a reason, never a crash.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The largest picture a clip may have (the display is 640x480).
inline constexpr int kMaxClipWidth = 1024;
inline constexpr int kMaxClipHeight = 768;
// The most sound taken from one clip (longer tracks are cut).
inline constexpr int kMaxClipSoundSeconds = 600;

struct ClipSound {
  std::vector<uint8_t> wave;  // a RIFF WAVE: 16-bit PCM
  int channels = 0;
  int samplesPerSec = 0;
  uint32_t dataBytes = 0;  // bytes of samples in `wave`
  int64_t LengthMs() const {
    return (channels > 0 && samplesPerSec > 0)
               ? int64_t{dataBytes} * 1000 / (int64_t{channels} * 2 * samplesPerSec)
               : 0;
  }
};

class AviDecoder {
 public:
  enum Result { kFrame, kEnd, kError };

  AviDecoder();
  ~AviDecoder();
  AviDecoder(const AviDecoder&) = delete;
  AviDecoder& operator=(const AviDecoder&) = delete;

  // Opens a clip file (or one held in memory, which must outlive the
  // decoder). False, with the reason in *error, when it is not an AVI with a
  // decodable picture stream of a sensible size.
  bool Open(const std::string& path, std::string* error);
  bool OpenMemory(const uint8_t* data, size_t size, std::string* error);
  void Close();
  bool IsOpen() const;

  int Width() const { return width_; }
  int Height() const { return height_; }
  // The bit count the clip's pictures declare (24 for most codecs).
  int NativeBits() const { return nativeBits_; }
  // Time of one picture in ms, from the stream's rate (at least 1).
  int FramePeriodMs() const { return periodMs_; }
  // The number of pictures the file announces (0 when it does not say).
  int64_t DeclaredFrames() const { return declaredFrames_; }

  // 16 (RGB555) or 24 (blue-green-red) pictures; before or between frames.
  void SetOutputBits(int bits);
  int OutputBits() const { return outputBits_; }

  // Decodes the next picture into Bits() with its time in *ptsMs. Times
  // never go backwards and never leap far ahead. kEnd when no picture is
  // left; kError when the clip cannot go on (the reason in LastError()).
  Result Next(int64_t* ptsMs);
  const uint8_t* Bits() const { return picture_.data(); }
  size_t Stride() const { return stride_; }
  int FramesDecoded() const { return framesDecoded_; }
  const std::string& LastError() const { return lastError_; }

  // Decodes the first sound stream from the start of the clip into a WAVE
  // (16-bit, 1 or 2 channels, 8000..48000 samples a second). False when the
  // clip has no sound that can be decoded.
  bool DecodeSound(ClipSound* out, std::string* error);

  struct Input;  // the opened file or memory with its reader state

 private:
  bool OpenInput(std::string* error);
  bool SetupVideo(std::string* error);
  bool ConvertFrame();

  std::string path_;
  const uint8_t* memData_ = nullptr;
  size_t memSize_ = 0;
  std::unique_ptr<Input> in_;
  struct AVCodecContext* codec_ = nullptr;
  struct AVFrame* frame_ = nullptr;
  struct AVPacket* packet_ = nullptr;
  struct SwsContext* sws_ = nullptr;
  int videoStream_ = -1;
  int width_ = 0;
  int height_ = 0;
  int nativeBits_ = 24;
  int periodMs_ = 100;
  int64_t declaredFrames_ = 0;
  int outputBits_ = 16;
  size_t stride_ = 0;
  std::vector<uint8_t> picture_;
  int framesDecoded_ = 0;
  int64_t lastPtsMs_ = -1;
  bool draining_ = false;
  bool ended_ = false;
  int badPackets_ = 0;
  std::string lastError_;
};
