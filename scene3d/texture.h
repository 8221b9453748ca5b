#pragma once
// Images and textures of the scene layer.
//
// An RMImage is an 8-bit picture with a 256-colour palette and a pixel
// buffer of its own that the game draws into. A texture shows an image: on
// the faces of a mesh (textures read from .bmp files) or, as a frame's
// visual, as a decal: a picture standing upright in the scene, facing the
// camera, of a size in world units, with its origin at a chosen pixel (the
// bottom centre for the game's decals) and one colour left out.
//
// Texture pixels are read from the image when the scene is drawn, so what
// the game draws into the image shows in the next render; Changed with the
// palette flag makes the texture read the image's palette again.
//
// Colours reach the display through a shade table (the "mono" ramp model):
// each of the texture's colours at each of its shades is matched once to the
// nearest colour of the device's palette, and the rasteriser writes those
// indices. The layer has no lights, so faces and decals are drawn at their
// full shade.
#include <cstdint>
#include <string>
#include <vector>

#include "graphics/palette.h"
#include "scene3d/frame.h"

class DDSurface;
class RMDevice;

struct RMImage {
  int width = 0;
  int height = 0;
  int depth = 8;       // bits per pixel; always 8
  int pitch = 0;       // bytes from one pixel row to the next
  uint8_t* pixels = nullptr;
  int paletteSize = 256;
  PaletteEntry palette[256] = {};

  // Storage and the holders of the image: the one who made it and each
  // texture made from it (so an image freed before its texture stays valid
  // until the texture goes).
  std::vector<uint8_t> storage;
  int holders = 1;
};

// An image of the surface's size with a copy of its palette (black without
// one) and a pixel buffer of its own, holding a copy of the surface's pixels
// when `copyPixels` is nonzero (else zeros). Null for a null, empty or not
// 8-bit surface.
RMImage* RMImageFromSurface(DDSurface* surface, int copyPixels);
// An image of that size and palette (null palette: black), pixels zero.
// Null for sizes outside 1 .. 4096.
RMImage* RMCreateImage(int width, int height, const PaletteEntry* palette);
// Gives up the maker's hold; the buffers go once no texture shows the image.
void RMFreeImage(RMImage* image);

// The colours a texture is matched with: 0x00RRGGBB.
constexpr uint32_t RMColorRGB(int r, int g, int b) {
  return (uint32_t(r & 0xFF) << 16) | (uint32_t(g & 0xFF) << 8) | uint32_t(b & 0xFF);
}

class RMTexture : public RMVisual {
 public:
  // A texture showing `image`, with the default colours and shades of the
  // layer (RMSetDefaultTextureColors / Shades). Null for a null image.
  static RMTexture* Create(RMImage* image);

  Kind GetKind() const override { return Kind::kTexture; }
  RMImage* GetImage() const { return image_; }

  // The image's pixels (nonzero) or palette (nonzero) have changed.
  int Changed(int pixels, int palette);

  // Shades per colour, 1 .. 256. The colour count (1 .. 256) is kept for
  // the callers; the layer matches all of a texture's colours.
  int SetShades(int shades);
  int GetShades() const { return shades_; }
  int SetColors(int colors);
  int GetColors() const { return colors_; }

  // Decal settings. The size is in world units when scaling is on (the only
  // way the layer draws decals); the origin is the image pixel that stands
  // on the frame's position.
  int SetDecalScale(int on);
  int SetDecalSize(float width, float height);
  int SetDecalOrigin(int x, int y);
  int SetDecalTransparency(int on);
  int SetDecalTransparentColor(uint32_t rgb);
  bool GetDecalScale() const { return decalScale_; }
  float GetDecalWidth() const { return decalWidth_; }
  float GetDecalHeight() const { return decalHeight_; }
  int GetDecalOriginX() const { return originX_; }
  int GetDecalOriginY() const { return originY_; }
  bool GetDecalTransparency() const { return transparent_; }
  uint32_t GetDecalTransparentColor() const { return transparentColour_; }

  // Name under which the texture is cached (empty when it is not).
  const std::string& GetName() const { return name_; }
  void SetCacheName(std::string name) { name_ = std::move(name); }

  // For the renderer: the shade table into the device's palette,
  // GetShades() rows of 256 target indices, made when first asked for and
  // again after the palette changed; a few devices keep a table each.
  const uint8_t* ShadeTable(RMDevice* device);
  // 256 flags: texels of that index are left out (all 0 without
  // transparency).
  const uint8_t* TransparentTable();

 private:
  explicit RMTexture(RMImage* image);
  ~RMTexture() override;

  RMImage* image_;
  std::string name_;
  int shades_ = 1;
  int colors_ = 256;
  bool decalScale_ = true;
  float decalWidth_ = 1.0f;
  float decalHeight_ = 1.0f;
  int originX_ = 0;
  int originY_ = 0;
  bool transparent_ = false;
  uint32_t transparentColour_ = 0;

  uint32_t paletteVersion_ = 1;
  // The shade tables and what each was made for: one per device that drew
  // the texture lately (a texture read from a file is shared by every scene
  // that loads it, and each scene's device has its own palette).
  struct ShadeCache {
    uint32_t device = 0;
    uint32_t version = 0;
    int shades = 0;
    std::vector<uint8_t> table;
  };
  static constexpr size_t kShadeCaches = 4;
  std::vector<ShadeCache> shadeCaches_;
  size_t nextShadeCache_ = 0;  // the one to reuse when all are taken
  uint8_t transparentTable_[256] = {};
  uint32_t transparentVersion_ = 0;
};

// Defaults for textures made from now on: colours 1 .. 256 (256 at start),
// shades 1 .. 256 (1 at start). Values outside are ignored.
void RMSetDefaultTextureColors(int colors);
void RMSetDefaultTextureShades(int shades);

// Textures by name (the file they were read from), so that meshes naming
// the same picture share one texture. A texture leaves the cache when it is
// deleted. Null when none of that name exists.
RMTexture* RMFindCachedTexture(const std::string& name);
void RMCacheTexture(RMTexture* texture, const std::string& name);

// The shade table of `shades` rows for colours `from` in a target palette:
// row s holds, for each colour, the nearest target entry to that colour at
// intensity (s + 1) / shades. `nearest` maps an RGB colour to an index.
template <typename Nearest>
void BuildShadeTable(const PaletteEntry from[256], int shades, Nearest nearest,
                     std::vector<uint8_t>* out) {
  out->resize(static_cast<size_t>(shades) * 256);
  for (int s = 0; s < shades; ++s) {
    for (int i = 0; i < 256; ++i) {
      // Rounded integer scaling: the top shade is the colour itself.
      const int num = s + 1;
      const int r = (from[i].red * num * 2 + shades) / (shades * 2);
      const int g = (from[i].green * num * 2 + shades) / (shades * 2);
      const int b = (from[i].blue * num * 2 + shades) / (shades * 2);
      (*out)[static_cast<size_t>(s) * 256 + i] = static_cast<uint8_t>(nearest(r, g, b));
    }
  }
}
