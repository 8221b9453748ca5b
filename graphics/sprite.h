#pragma once
// Sprite: a multi-frame picture from an .mbm file (see mbm_format.h).
// Frames are numbered from 1. The file stays open for loading frames on
// demand; a raw frame becomes a DDSurface, a run-length ('TRLE') frame is kept
// compressed and drawn straight into the locked target. Every count, offset and
// size of the file is checked when it is opened: a damaged file leaves a
// sprite of 0 frames with the reason in GetError.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "graphics/bmp.h"
#include "graphics/mbm_format.h"

class DDSurface;
class DDPalette;

// Load flags of the Sprite constructor.
constexpr uint32_t kSpriteLoadAll = 0x20;          // load every frame while opening
constexpr uint32_t kSpriteVideoMemory = 0x08;      // frame surfaces in video memory (no effect here)
constexpr uint32_t kSpriteLoadModeMask = 0x07;     // otherwise: LoadFrame mode given to each frame

// Frame state bits (LoadFrame modes).
constexpr uint32_t kFrameHeader = 1;   // header known, palette available
constexpr uint32_t kFramePacked = 2;   // run-length pixels in memory
constexpr uint32_t kFrameSurface = 4;  // surface made

// The load flags the game uses for its sprites (load everything at open).
extern uint32_t g_spriteLoadFlags;

class Sprite {
 public:
  // Empty sprite: no file, no frame, a shared palette of black entries but
  // entry 255 white.
  Sprite();
  Sprite(const char* path, uint32_t flags, int reserved = -1);
  ~Sprite();
  Sprite(const Sprite&) = delete;
  Sprite& operator=(const Sprite&) = delete;

  // Reads a file (PKC or plain) into this object, freeing what it held.
  // Returns the error code (0 done).
  uint32_t Open(const char* path, uint32_t flags);
  // The same from a file image in memory (fonts rendered at run time, tests).
  uint32_t OpenMemory(std::vector<uint8_t> bytes, uint32_t flags);
  void Free();

  uint32_t GetError() const { return error_; }
  uint16_t FrameCount() const;
  uint32_t GetLoadFlags() const { return loadFlags_; }

  // Bytes of ReadFrameBits' result: header, palette and pixels. 0 for a bad frame.
  uint32_t GetFrameDataSize(int n);
  // The frame's name; empty (and an error) for a bad frame or a read failure.
  std::string GetFrameName(int n);
  // Header, 1024-byte palette (the shared one copied in) and stored pixels.
  // Empty on failure.
  std::vector<uint8_t> ReadFrameBits(int n);

  // Loads the parts of frame n that mode asks for (kFrameHeader | kFramePacked
  // | kFrameSurface). 1 done, 0 failed (error set) or mode 0.
  int LoadFrame(int n, uint32_t mode, uint32_t memoryFlags = 0);

  // The frame's surface, made on demand; null past the count.
  DDSurface* GetFrameSurface(int n, int reserved1 = 0, int reserved2 = 0);
  // The frame's bitmap header (the height may be negative); null past the count.
  const BitmapInfoHeader* GetFrameInfo(int n);
  // The frame's palette; null past the count.
  DDPalette* GetFramePalette(int n);
  // Zero-based: frame i + 1's surface as it stands, or frame 1's past the count.
  DDSurface* GetFrameSurfaceObject(int i);
  void ReleaseFrameSurface(int n);
  // Every pixel of frame n equal to `from` becomes `to`. 1 done, 0 failed.
  int ReplaceColour(int n, uint8_t from, uint8_t to);

  // Draws frame n with its top-left at (x, y), transparent pixels left out,
  // clipped to the target and its clipper. A frame that cannot be loaded draws
  // nothing.
  void DrawFrame(int n, DDSurface* target, int x, int y);
  // Mode 0 as DrawFrame; mode 1 draws the frame's pixels through `table`; mode 2
  // replaces each target pixel under a visible frame pixel by table[target]
  // (a shadow).
  void DrawFrameVariant(int n, DDSurface* target, int x, int y, const uint8_t* table, int mode);
  // Copies frame n into a caller's 8-bit buffer of at least |height| rows of
  // pitch bytes (pitch >= width). A run-length frame is drawn with its
  // transparent pixels skipped, after its rectangle is set to index 1 when
  // fill is nonzero; a raw frame is copied whole. 1 done, 0 failed.
  int DrawFrameToBuffer(int n, uint8_t* buffer, int pitch, int fill);

  // Remaps frames to the nearest colours of entries first .. first + count - 1
  // of `target` (frame 0 = all frames). With keepTransparent, index 1 stays 1
  // and no other colour becomes 1. In raw frames only pixels within the range
  // are remapped; run-length frames are remapped against the whole palette.
  // The frames then carry the target palette. 1 done, 0 failed.
  int MatchPalette(DDPalette* target, int first, int count, int keepTransparent, int frame);
  // The same over frames firstFrame .. lastFrame.
  int MatchPaletteRange(DDPalette* target, int first, int count, int keepTransparent,
                        int firstFrame, int lastFrame);
  // Every pixel of every frame, whatever its value, to the nearest colours of
  // entries first .. first + count - 1 of `target` (index 1 kept with
  // keepTransparent): for a picture drawn on a screen whose other entries
  // belong to someone else and may change under it. 1 done, 0 failed.
  int MatchPaletteWhole(DDPalette* target, int first, int count, int keepTransparent);

 private:
  struct Frame;
  uint32_t OpenSource(std::unique_ptr<mbm::Source> source, uint32_t flags);
  Frame* GetFrame(int n);
  DDPalette* FramePalette(Frame& f);
  bool ReadPixels(const Frame& f, std::vector<uint8_t>* out);
  // Stored raw rows into a new frame surface: palettised rows as indexes,
  // true-colour ones in the surface's format. False (error set) otherwise.
  bool CopyRawRows(const BitmapInfoHeader& h, const std::vector<uint8_t>& pixels, DDSurface* surface);
  void ApplyTable(Frame& f, const uint8_t table[256], bool raw);
  int MatchFrames(DDPalette* target, int first, int count, int keepTransparent, int firstFrame, int lastFrame,
                  bool whole);
  bool BlitVariant(int n, DDSurface* target, int x, int y, const uint8_t* table, int mode);

  std::unique_ptr<mbm::Source> source_;
  mbm::Layout layout_;
  std::vector<Frame> frames_;
  DDPalette* sharedPalette_ = nullptr;  // one reference, made on first use
  uint32_t error_ = 0;
  uint32_t loadFlags_ = 4;
};

// The sprite of a file, or null (and a line on the debug output with the
// path and the reason) when the file is missing, damaged or holds fewer than
// minFrames frames: a missing picture is simply not drawn.
Sprite* LoadSpriteOrNull(const char* path, uint32_t flags, int minFrames = 1);
// A sprite or PKC error code in words, with the code ("cut short (error 1005)").
std::string SpriteErrorText(uint32_t code);

