#include "scene3d/rm.h"

#include <cmath>
#include <functional>

#include "base/debug.h"
#include "base/paths.h"
#include "base/pkc.h"
#include "graphics/bmp.h"
#include "graphics/surface.h"
#include "scene3d/xfile.h"
#include "scene3d/xload.h"

namespace {

std::string g_lastError;

void SetError(std::string text) { g_lastError = std::move(text); }

// A texture file name from a mesh must stay inside the texture folder.
bool IsSafeRelativeName(const std::string& name) {
  if (name.empty() || name[0] == '/' || name[0] == '\\') return false;
  if (name.size() >= 2 && name[1] == ':') return false;  // a drive letter
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find_first_of("/\\", start);
    if (end == std::string::npos) end = name.size();
    if (name.compare(start, end - start, "..") == 0) return false;
    start = end + 1;
  }
  return true;
}

bool IsPowerOfTwo(int v) { return v > 0 && (v & (v - 1)) == 0; }

// Whether a frame of the file, or the file's top level, holds a mesh with
// at least one face: a file with nothing to draw is no mesh at all (a piece
// of the track that would leave a hole where it should stand).
bool HoldsFaces(const std::vector<XMesh>& meshes, const std::vector<XFrame>& frames) {
  for (const XMesh& m : meshes)
    if (!m.faces.empty()) return true;
  for (const XFrame& f : frames)
    if (HoldsFaces(f.meshes, f.children)) return true;
  return false;
}

// The texture of an 8-bit picture file, from the cache when it was read
// before. Null with the reason in *error.
RMTexture* LoadTexture(const std::string& folder, const std::string& name, int shades,
                       std::string* error) {
  if (!IsSafeRelativeName(name)) {
    *error = "texture name '" + name + "' leaves the texture folder";
    return nullptr;
  }
  const std::string path = ResolvePath(JoinPath(folder, name));
  if (RMTexture* cached = RMFindCachedTexture(path)) {
    cached->AddRef();
    cached->SetShades(shades);
    return cached;
  }
  std::vector<uint8_t> bytes;
  BmpImage bmp;
  if (!ReadPictureFile(path, &bytes, 16u << 20)) {
    *error = "texture " + path + " cannot be read";
    return nullptr;
  }
  if (!DecodeBmp(bytes.data(), bytes.size(), &bmp) || !bmp.palettised) {
    *error = "texture " + path + " is not an 8-bit picture";
    return nullptr;
  }
  if (!IsPowerOfTwo(bmp.width) || !IsPowerOfTwo(bmp.height) || bmp.width > 1024 ||
      bmp.height > 1024) {
    *error = "texture " + path + " is " + std::to_string(bmp.width) + "x" +
             std::to_string(bmp.height) + "; mesh textures are powers of two up to 1024";
    return nullptr;
  }
  PaletteEntry palette[256];
  RgbQuadsToPaletteEntries(bmp.palette, palette, 256);
  RMImage* image = RMCreateImage(bmp.width, bmp.height, palette);
  for (int y = 0; y < bmp.height; ++y)
    std::copy_n(bmp.pixels.data() + static_cast<size_t>(y) * bmp.width, bmp.width,
                image->pixels + static_cast<size_t>(y) * image->pitch);
  RMTexture* texture = RMTexture::Create(image);
  RMFreeImage(image);  // the texture holds it
  texture->SetShades(shades);
  RMCacheTexture(texture, path);
  return texture;
}

}  // namespace

const std::string& RMLastErrorText() { return g_lastError; }

RMSystem* RMGetD3DRM() {
  static RMSystem system;
  return &system;
}

RMDevice* RMCreateDevice(DDSurface* surface, int colourModel, int preferHardware) {
  (void)preferHardware;  // there is one driver: this software renderer
  std::string why;
  RMDevice* device = nullptr;
  if (colourModel != kRMColorModelMono)
    why = "Only the mono colour model is offered.";
  else
    device = RMDevice::Create(surface, &why);
  if (!device) {
    SetError(why);
    DebugPrintf("Failed to create the D3DRM device from surface.\n%s", why.c_str());
  }
  return device;
}

void RMSetBufferCount(RMDevice* device, int count) {
  if (device) device->SetBufferCount(count);
}

void RMUpdateDevice(RMDevice* device) {
  if (device) device->Update();
}

void RMReleaseDevice(RMDevice* device) {
  if (device) device->Release();
}

RMViewportRecord* RMCreateViewport(RMDevice* device, RMFrame* scene, int x, int y, int width,
                                   int height) {
  if (!device || !scene) {
    SetError("RMCreateViewport needs a device and a scene");
    DebugPrintf("%s", g_lastError.c_str());
    return nullptr;
  }
  RMFrame* camera = RMFrame::Create(scene);
  RMViewport* viewport = RMViewport::Create(device, camera, x, y, width, height);
  if (!viewport) {
    scene->DeleteChild(camera);
    camera->Release();
    SetError("RMCreateViewport: the rectangle (" + std::to_string(x) + ", " + std::to_string(y) +
             ", " + std::to_string(width) + ", " + std::to_string(height) +
             ") does not lie inside the device's surface");
    DebugPrintf("%s", g_lastError.c_str());
    return nullptr;
  }
  viewport->SetBack(5000.0f);
  scene->AddRef();
  return new RMViewportRecord{viewport, camera, scene};
}

RMViewport* RMGetViewportHandle(RMViewportRecord* record) {
  return record ? record->viewport : nullptr;
}

RMFrame* RMGetCameraHandle(RMViewportRecord* record) { return record ? record->camera : nullptr; }

int RMRender(RMViewportRecord* record, RMFrame* scene) {
  if (!record) return kRMBadArgument;
  return record->viewport->Render(scene ? scene : record->scene);
}

void RMReleaseViewport(RMViewportRecord* record) {
  if (!record) return;
  if (RMFrame* parent = record->camera->GetParent()) parent->DeleteChild(record->camera);
  record->camera->Release();
  record->viewport->Release();
  record->scene->Release();
  delete record;
}

RMFrame* RMLoadFrameFromFile(const char* path, const char* textureFolder, RMFrame* parent,
                             int perspective, int renderQuality, int textureShades,
                             float specularPower) {
  const std::string name = path ? path : "(no file)";
  auto fail = [&](const std::string& why) -> RMFrame* {
    SetError(name + ": " + why);
    DebugPrintf("RMLoadFrameFromFile failed.");
    DebugPrintf("%s", g_lastError.c_str());
    return nullptr;
  };
  if (renderQuality != kRMRenderUnlitFlat) return fail("render quality not offered");
  if (textureShades < 1 || textureShades > 256) return fail("bad texture shade count");
  std::vector<uint8_t> bytes;
  if (PkcReadWhole(path, kXMaxFileBytes, &bytes) != PkcWhole::kOk) return fail("cannot be read");
  XFile file;
  std::string why;
  if (!ParseXFile(bytes.data(), bytes.size(), &file, &why)) return fail(why);
  if (!HoldsFaces(file.meshes, file.frames)) return fail("holds no mesh with a face to draw");

  XBuildOptions options;
  options.perspective = perspective != 0;
  options.quality = renderQuality;
  options.specularPower = specularPower;
  const std::string folder = textureFolder ? textureFolder : "";
  options.textures = [&](const std::string& textureName, std::string* error) {
    return LoadTexture(folder, textureName, textureShades, error);
  };
  RMFrame* frame = BuildFrameFromX(file, options, &why);
  if (!frame) return fail(why);
  if (parent) parent->AddChild(frame);
  return frame;
}

RMTexture* RMCreateTexture(RMImage* image) { return RMTexture::Create(image); }

RMFrame* RMCreateDecalFrame(RMTexture* texture, float width, float height, RMFrame* parent,
                            int transparent, uint32_t colour) {
  auto fail = [](const char* why) -> RMFrame* {
    SetError(why);
    DebugPrintf("RMCreateDecalFrame failed");
    DebugPrintf("%s", why);
    return nullptr;
  };
  if (!texture) return fail("there is no texture");
  if (texture->SetDecalSize(width, height) != kRMOk) return fail("bad decal size");
  texture->SetDecalScale(1);
  texture->SetDecalOrigin(texture->GetImage()->width / 2, texture->GetImage()->height);
  if (transparent) {
    texture->SetDecalTransparency(1);
    texture->SetDecalTransparentColor(colour);
  }
  RMFrame* frame = RMFrame::Create(parent);
  frame->AddVisual(texture);
  return frame;
}
