#pragma once
// DDSurface: the drawing target and image holder of the whole game. Pixels
// live in memory of our own, 8-bit palettised (code 4), RGB555 (7) or RGB565
// (9). Rows are Pitch() bytes apart, which may be more than the width (debug
// builds always pad, so that code which assumes pitch == width shows up).
// Every blit and fill is cut to the target surface and to its clipper.
// Operations return a 16-bit status code.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "graphics/clipper.h"
#include "graphics/palette.h"
#include "graphics/pixel_format.h"

// Status codes of the surface operations.
constexpr uint16_t kDDOk = 0;
constexpr uint16_t kDDBadArgument = 1;
constexpr uint16_t kDDCreateFailed = 2;
constexpr uint16_t kDDNoSurface = 4;
constexpr uint16_t kDDCallFailed = 5;
constexpr uint16_t kDDNot8Bit = 8;
constexpr uint16_t kDDNoPalette = 9;

// Colour-key kind of SetColorKey/GetColorKey: the source key used by keyed blits.
constexpr uint32_t kColorKeySrcBlt = 8;
// Blit flags of BltStretch / BlitSurfaceRect.
constexpr uint32_t kBltColorFill = 0x400;    // fill the destination with fx->fillColor
constexpr uint32_t kBltKeySrc = 0x8000;      // skip source pixels in the source colour key
constexpr uint32_t kBltDdfx = 0x800;         // apply fx->ddfx
constexpr uint32_t kBltWait = 0x1000000;     // accepted, has no effect
// fx->ddfx bits.
constexpr uint32_t kBltFxMirrorLeftRight = 0x2;
constexpr uint32_t kBltFxMirrorUpDown = 0x4;

// Effects record of BltStretch.
struct DDBltFx {
  uint32_t ddfx = 0;
  uint32_t fillColor = 0;
};

class DDSurface {
 public:
  // Empty: no surface.
  DDSurface();
  // Loads a .bmp picture (8 or 24 bits) with LoadBmp(data, videoMemory, formatCode).
  DDSurface(const char* path, int videoMemory = 0, int formatCode = 0);
  // Calls Create.
  DDSurface(int width, int height, int formatCode, int videoMemory = 0, int for3D = 0);
  ~DDSurface();
  DDSurface(const DDSurface&) = delete;
  DDSurface& operator=(const DDSurface&) = delete;

  // Makes an off-screen surface. 1 when width or height is not positive, 2 when
  // the format cannot be made (codes other than 0, 4, 7, 9) or the size is
  // absurd. Format 0 is the display's format. A made surface treats colour 1 as
  // transparent in keyed blits. Any palette and clipper stay attached.
  uint16_t Create(int width, int height, int formatCode, int videoMemory = 0, int for3D = 0);

  bool HasSurface() const { return !pixels_.empty(); }
  int GetWidth() const { return HasSurface() ? width_ : 0; }
  int GetHeight() const { return HasSurface() ? height_ : 0; }
  int GetPixelFormat() const { return HasSurface() ? formatCode_ : 0; }
  int GetBytesPerPixel() const { return HasSurface() ? bytesPerPixel_ : 0; }
  int GetPitch() const { return HasSurface() ? pitch_ : 0; }
  DDPalette* GetPalette() const { return HasSurface() ? palette_ : nullptr; }
  DDClipper* GetClipper() const { return HasSurface() ? clipper_ : nullptr; }
  uint8_t GetFlags() const { return flags_; }
  void SetFlags(uint8_t flags) { flags_ = flags; }
  bool IsFor3D() const { return for3D_; }

  // Source colour key: pixels whose value lies in low .. high are transparent.
  uint16_t SetColorKey(uint32_t flags, uint32_t low, uint32_t high);
  // 5 when no key of that kind is set.
  uint16_t GetColorKey(uint32_t flags, uint32_t* low, uint32_t* high) const;

  // Attach (or with null detach) a palette / clipper; the surface holds one
  // reference of what it holds. Attaching the held one again changes nothing.
  uint16_t SetPalette(DDPalette* palette);
  uint16_t SetClipper(DDClipper* clipper);

  // Direct pixel access: first byte and pitch in bytes.
  uint16_t Lock(uint8_t** bits, int* pitch);
  uint16_t Unlock();
  bool IsLocked() const { return lockCount_ > 0; }

  // Opaque copy of the source rectangle (srcX, srcY, width, height) to
  // (dstX, dstY), cut to this surface, its clipper and the source. 1 for a
  // null source or negative size, 5 when the formats differ.
  uint16_t Blt(int dstX, int dstY, int width, int height, DDSurface* src, int srcX, int srcY);
  // The same, skipping source pixels in the source's colour key (5 without one).
  uint16_t BltKeyed(int dstX, int dstY, int width, int height, DDSurface* src, int srcX,
                    int srcY);
  // Stretched copy of (srcX, srcY, srcW, srcH) into (dstX, dstY, dstW, dstH)
  // with nearest sampling, clipped; flags kBltKeySrc, kBltColorFill (fx
  // needed, src may be null) and kBltDdfx mirroring.
  uint16_t BltStretch(int dstX, int dstY, int dstW, int dstH, DDSurface* src, int srcX, int srcY,
                      int srcW, int srcH, uint32_t flags, const DDBltFx* fx);
  // Fills a rectangle with a colour value (an index for 8-bit), clipped.
  uint16_t FillRect(int x, int y, int width, int height, uint32_t colour);

  // Loads a .bmp picture from memory: 8-bit pictures with their palette
  // (formatCode 0 or 4); 24-bit pictures into 8 bits by nearest colour of the
  // palette already attached to this surface, or else the display palette (9
  // when there is none); or either into 16 bits (formatCode 7 or 9). 1 for a
  // malformed or unsupported file. `videoMemory` is accepted and ignored.
  uint16_t LoadBmp(const uint8_t* data, size_t size, int videoMemory = 0, int formatCode = 0);
  // Writes an 8-bit palettised surface as a .bmp file (8 not 8-bit, 9 without
  // palette, 5 write failure). Written to a temporary name, then renamed.
  uint16_t SaveBmp(const char* path) const;

  // Surfaces are never lost here: these succeed and do nothing.
  uint16_t Restore();
  uint16_t BackupPixels();
  bool IsInVideoMemory() const { return false; }
  bool IsLost() const { return false; }

  // Rewrite an 8-bit surface's pixels to another palette by nearest colour and
  // attach that palette (8 not 8-bit, 9 without own palette, 1 null palette).
  uint16_t RemapToPalette(DDPalette* palette);
  // The same, matching only entries first .. first + count - 1.
  uint16_t RemapToPaletteRange(DDPalette* palette, int first, int count);
  // Every pixel p becomes table[p]; the palette stays.
  uint16_t RemapWithTable(const uint8_t table[256]);
  // Matching only entries whose usable flag is nonzero, then the palette is
  // attached. `keepKey` nonzero keeps colour 1 (transparent) as it is.
  uint16_t RemapWithTable(DDPalette* palette, int keepKey, const uint8_t usable[256]);

  // Pixel row y (no bounds check beyond debug asserts); for drawing code.
  uint8_t* Row(int y) { return pixels_.data() + static_cast<size_t>(y) * pitch_; }
  const uint8_t* Row(int y) const { return pixels_.data() + static_cast<size_t>(y) * pitch_; }

  // The rectangle a blit onto this surface is cut to: the surface, narrowed
  // by the clipper when there is one. Returns false when it is empty.
  bool GetClipBounds(int* left, int* top, int* right, int* bottom) const;

  // Display support: exchanges the pixel storage (and size/format) of two
  // surfaces, leaving palettes, clippers and keys in place.
  void SwapStorage(DDSurface& other);
  // Display support: gives the surface storage of that size and format with no
  // colour key (display surfaces), or none when width is 0.
  uint16_t AllocateDisplayStorage(int width, int height, int formatCode);

 private:
  uint16_t Allocate(int width, int height, int formatCode);
  uint16_t BlitCommon(int dstX, int dstY, int width, int height, DDSurface* src, int srcX,
                      int srcY, bool keyed);
  void Changed();  // shows the primary surface again after a write

  std::vector<uint8_t> pixels_;
  DDPalette* palette_ = nullptr;
  DDClipper* clipper_ = nullptr;
  int width_ = 0;
  int height_ = 0;
  int pitch_ = 0;
  int bytesPerPixel_ = 0;
  int formatCode_ = 0;
  uint8_t flags_ = 0;
  bool hasKey_ = false;
  uint32_t keyLow_ = 0;
  uint32_t keyHigh_ = 0;
  bool for3D_ = false;
  int lockCount_ = 0;
};

// Loads a .bmp picture file (plain or PKC-compressed) into a new surface, or
// null when it cannot be used; a refused file is named in the debug output
// with the reason, so a damaged picture is never dropped in silence.
DDSurface* LoadPictureOrNull(const char* path, int formatCode = 0);

// Stretched copy of a source rectangle onto a destination (flags as
// DDSurface::BltStretch: 0x8000 uses the source colour key).
uint16_t BlitSurfaceRect(DDSurface* dest, int x, int y, int width, int height, DDSurface* src,
                         int srcX, int srcY, int srcWidth, int srcHeight, uint32_t flags,
                         const DDBltFx* fx);
