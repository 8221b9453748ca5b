#include "scene3d/texture.h"

#include <cmath>
#include <cstring>
#include <map>

#include "graphics/pixel_format.h"
#include "graphics/surface.h"
#include "scene3d/device.h"

namespace {

int g_defaultColors = 256;
int g_defaultShades = 1;

// The name cache holds no references: a texture is found while it lives.
std::map<std::string, RMTexture*>& Cache() {
  static auto* cache = new std::map<std::string, RMTexture*>();
  return *cache;
}

constexpr int kMaxImageSide = 4096;

}  // namespace

void RMSetDefaultTextureColors(int colors) {
  if (colors >= 1 && colors <= 256) g_defaultColors = colors;
}

void RMSetDefaultTextureShades(int shades) {
  if (shades >= 1 && shades <= 256) g_defaultShades = shades;
}

RMTexture* RMFindCachedTexture(const std::string& name) {
  auto it = Cache().find(name);
  return it == Cache().end() ? nullptr : it->second;
}

void RMCacheTexture(RMTexture* texture, const std::string& name) {
  if (!texture || name.empty() || RMFindCachedTexture(name)) return;
  texture->SetCacheName(name);
  Cache()[name] = texture;
}

RMImage* RMCreateImage(int width, int height, const PaletteEntry* palette) {
  if (width < 1 || height < 1 || width > kMaxImageSide || height > kMaxImageSide) return nullptr;
  auto* image = new RMImage();
  image->width = width;
  image->height = height;
  image->pitch = (width + 3) & ~3;
  image->storage.assign(static_cast<size_t>(image->pitch) * height, 0);
  image->pixels = image->storage.data();
  if (palette) std::memcpy(image->palette, palette, sizeof image->palette);
  return image;
}

RMImage* RMImageFromSurface(DDSurface* surface, int copyPixels) {
  if (!surface || !surface->HasSurface() || surface->GetPixelFormat() != kFormatIndexed8)
    return nullptr;
  DDPalette* palette = surface->GetPalette();
  RMImage* image = RMCreateImage(surface->GetWidth(), surface->GetHeight(),
                                 palette ? palette->Entries() : nullptr);
  if (image && copyPixels) {
    for (int y = 0; y < image->height; ++y)
      std::memcpy(image->pixels + static_cast<size_t>(y) * image->pitch, surface->Row(y),
                  static_cast<size_t>(image->width));
  }
  return image;
}

namespace {
void DropImage(RMImage* image) {
  if (image && --image->holders == 0) delete image;
}
}  // namespace

void RMFreeImage(RMImage* image) { DropImage(image); }

RMTexture* RMTexture::Create(RMImage* image) {
  if (!image) return nullptr;
  return new RMTexture(image);
}

RMTexture::RMTexture(RMImage* image)
    : image_(image), shades_(g_defaultShades), colors_(g_defaultColors) {
  ++image_->holders;
}

RMTexture::~RMTexture() {
  if (!name_.empty()) {
    auto it = Cache().find(name_);
    if (it != Cache().end() && it->second == this) Cache().erase(it);
  }
  DropImage(image_);
}

int RMTexture::Changed(int pixels, int palette) {
  (void)pixels;  // pixels are read from the image at every render
  if (palette) ++paletteVersion_;
  return kRMOk;
}

int RMTexture::SetShades(int shades) {
  if (shades < 1 || shades > 256) return kRMBadArgument;
  shades_ = shades;
  return kRMOk;
}

int RMTexture::SetColors(int colors) {
  if (colors < 1 || colors > 256) return kRMBadArgument;
  colors_ = colors;
  return kRMOk;
}

int RMTexture::SetDecalScale(int on) {
  decalScale_ = on != 0;
  return kRMOk;
}

int RMTexture::SetDecalSize(float width, float height) {
  if (!(width > 0.0f) || !(height > 0.0f) || !std::isfinite(width) || !std::isfinite(height))
    return kRMBadArgument;
  decalWidth_ = width;
  decalHeight_ = height;
  return kRMOk;
}

int RMTexture::SetDecalOrigin(int x, int y) {
  originX_ = x;
  originY_ = y;
  return kRMOk;
}

int RMTexture::SetDecalTransparency(int on) {
  transparent_ = on != 0;
  ++paletteVersion_;
  return kRMOk;
}

int RMTexture::SetDecalTransparentColor(uint32_t rgb) {
  transparentColour_ = rgb & 0xFFFFFFu;
  ++paletteVersion_;
  return kRMOk;
}

const uint8_t* RMTexture::ShadeTable(RMDevice* device) {
  ShadeCache* cache = nullptr;
  for (ShadeCache& c : shadeCaches_)
    if (c.device == device->GetId()) cache = &c;
  if (!cache) {
    if (shadeCaches_.size() < kShadeCaches) {
      shadeCaches_.emplace_back();
      cache = &shadeCaches_.back();
    } else {
      cache = &shadeCaches_[nextShadeCache_];
      nextShadeCache_ = (nextShadeCache_ + 1) % kShadeCaches;
    }
    cache->device = device->GetId();
    cache->table.clear();
  }
  if (cache->version != paletteVersion_ || cache->shades != shades_ || cache->table.empty()) {
    BuildShadeTable(
        image_->palette, shades_,
        [device](int r, int g, int b) { return device->NearestColour(r, g, b); }, &cache->table);
    cache->version = paletteVersion_;
    cache->shades = shades_;
  }
  return cache->table.data();
}

const uint8_t* RMTexture::TransparentTable() {
  if (transparentVersion_ != paletteVersion_) {
    for (int i = 0; i < 256; ++i) {
      const PaletteEntry& e = image_->palette[i];
      transparentTable_[i] =
          transparent_ && RMColorRGB(e.red, e.green, e.blue) == transparentColour_ ? 1 : 0;
    }
    transparentVersion_ = paletteVersion_;
  }
  return transparentTable_;
}
