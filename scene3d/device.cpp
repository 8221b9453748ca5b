#include "scene3d/device.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>

#include "graphics/pixel_format.h"
#include "graphics/surface.h"
#include "scene3d/clip.h"
#include "scene3d/mesh.h"
#include "scene3d/raster.h"
#include "scene3d/texture.h"

namespace {

std::atomic<uint32_t> g_nextDeviceId{1};

// How far outside the viewport's sides (in pixels) geometry may reach
// before it is clipped: small triangles poking out are only cut by the
// rasteriser, which is cheaper and exact.
constexpr float kGuardPixels = 1024.0f;
// Frames deeper than this below the scene are not drawn (the tree cannot
// hold a cycle, but a damaged or hostile one can be absurdly deep).
constexpr int kMaxFrameDepth = 64;

bool IsPowerOfTwo(int v) { return v > 0 && (v & (v - 1)) == 0; }

uint8_t ToByte(float v) {
  const float scaled = std::floor(v * 255.0f + 0.5f);
  if (!(scaled > 0.0f)) return 0;
  if (scaled >= 255.0f) return 255;
  return static_cast<uint8_t>(scaled);
}

int32_t ToSubpixel(float pixels) {
  return static_cast<int32_t>(std::floor(pixels * float(kSubpixelScale) + 0.5f));
}

}  // namespace

// ---------------------------------------------------------------------------
// Device

RMDevice::RMDevice(DDSurface* surface, const PaletteEntry* palette)
    : surface_(surface), id_(g_nextDeviceId++) {
  std::memcpy(palette_, palette, sizeof palette_);
  SyncWithSurface();
}

RMDevice* RMDevice::Create(DDSurface* surface, std::string* error) {
  auto fail = [error](const char* why) -> RMDevice* {
    if (error) *error = why;
    return nullptr;
  };
  if (!surface || !surface->HasSurface()) return fail("There is no surface.");
  if (surface->GetPixelFormat() != kFormatIndexed8)
    return fail("The surface is not 8-bit palettised.");
  if (!surface->GetPalette()) return fail("The surface has no palette.");
  return new RMDevice(surface, surface->GetPalette()->Entries());
}

int RMDevice::SetBufferCount(int count) {
  if (count < 1 || count > 3) return kRMBadArgument;
  bufferCount_ = count;
  return kRMOk;
}

uint8_t RMDevice::NearestColour(int red, int green, int blue) {
  const uint32_t key = (uint32_t(red & 0xFF) << 16) | (uint32_t(green & 0xFF) << 8) | (blue & 0xFF);
  auto it = nearest_.find(key);
  if (it != nearest_.end()) return it->second;
  const int index = FindNearestColour(palette_, 0, 256, red & 0xFF, green & 0xFF, blue & 0xFF);
  const uint8_t result = static_cast<uint8_t>(index < 0 ? 0 : index);
  nearest_.emplace(key, result);
  return result;
}

bool RMDevice::SyncWithSurface() {
  if (!surface_->HasSurface() || surface_->GetPixelFormat() != kFormatIndexed8) return false;
  if (surface_->GetWidth() != width_ || surface_->GetHeight() != height_) {
    width_ = surface_->GetWidth();
    height_ = surface_->GetHeight();
    depth_.assign(static_cast<size_t>(width_) * height_, 0.0f);
  }
  return true;
}

// ---------------------------------------------------------------------------
// Viewport

struct RMViewport::Pass {
  RasterTarget target;
  ClipPlanes planes;   // the guard band
  float viewKx = 1.0f, viewKy = 1.0f;  // the viewport's own sides
  float scale = 1.0f;  // pixels per unit at distance 1
  float cx = 0.0f, cy = 0.0f;
  RMMatrix view;       // world -> camera
};

RMViewport::RMViewport(RMDevice* device, RMFrame* camera, int x, int y, int width, int height)
    : device_(device), camera_(camera), x_(x), y_(y), width_(width), height_(height) {
  device_->AddRef();
  camera_->AddRef();
}

RMViewport::~RMViewport() {
  camera_->Release();
  device_->Release();
}

RMViewport* RMViewport::Create(RMDevice* device, RMFrame* camera, int x, int y, int width,
                               int height) {
  if (!device || !camera || width <= 0 || height <= 0 || x < 0 || y < 0) return nullptr;
  if (int64_t(x) + width > device->GetWidth() || int64_t(y) + height > device->GetHeight())
    return nullptr;
  return new RMViewport(device, camera, x, y, width, height);
}

int RMViewport::SetField(float field) {
  if (!(field > 0.0f) || !std::isfinite(field)) return kRMBadArgument;
  field_ = field;
  return kRMOk;
}

int RMViewport::SetFront(float front) {
  if (!(front > 0.0f) || !(front < back_)) return kRMBadArgument;
  front_ = front;
  return kRMOk;
}

int RMViewport::SetBack(float back) {
  if (!(back > front_) || !std::isfinite(back)) return kRMBadArgument;
  back_ = back;
  return kRMOk;
}

int RMViewport::Clear() {
  if (!device_->SyncWithSurface()) return kRMFailed;
  if (x_ + width_ > device_->GetWidth() || y_ + height_ > device_->GetHeight()) return kRMFailed;
  DDSurface* surface = device_->GetSurface();
  const uint8_t black = device_->NearestColour(0, 0, 0);
  for (int y = y_; y < y_ + height_; ++y) {
    std::memset(surface->Row(y) + x_, black, static_cast<size_t>(width_));
    std::fill_n(device_->DepthRow(y) + x_, width_, 0.0f);
  }
  return kRMOk;
}

bool RMViewport::ProjectWorldPoint(const RMVector& world, RMVector* screen) const {
  RMMatrix view;
  if (!Invert(camera_->GetWorldTransform(), &view)) return false;
  const RMVector p = view.TransformPoint(world);
  if (!(p.z >= front_ && p.z <= back_)) return false;
  const float scale = std::max(width_, height_) * 0.5f / field_;
  const float invz = 1.0f / p.z;
  *screen = {x_ + width_ * 0.5f + p.x * scale * invz, y_ + height_ * 0.5f - p.y * scale * invz,
             p.z};
  return true;
}

int RMViewport::Render(RMFrame* scene) {
  stats_ = RMRenderStats();
  const int cleared = Clear();
  if (cleared != kRMOk) return cleared;
  if (!scene) return kRMBadArgument;
  Pass pass;
  if (!Invert(camera_->GetWorldTransform(), &pass.view)) return kRMFailed;
  DDSurface* surface = device_->GetSurface();
  pass.target.pixels = surface->Row(0);
  pass.target.pitch = surface->GetPitch();
  pass.target.depth = device_->DepthRow(0);
  pass.target.depthPitch = device_->GetWidth();
  pass.target.left = x_;
  pass.target.top = y_;
  pass.target.right = x_ + width_;
  pass.target.bottom = y_ + height_;
  pass.scale = std::max(width_, height_) * 0.5f / field_;
  pass.cx = x_ + width_ * 0.5f;
  pass.cy = y_ + height_ * 0.5f;
  pass.viewKx = width_ * 0.5f / pass.scale;
  pass.viewKy = height_ * 0.5f / pass.scale;
  pass.planes.front = front_;
  pass.planes.back = back_;
  pass.planes.kx = (width_ * 0.5f + kGuardPixels) / pass.scale;
  pass.planes.ky = (height_ * 0.5f + kGuardPixels) / pass.scale;
  const RMFrame* parent = scene->GetParent();
  DrawFrameTree(pass, scene, parent ? parent->GetWorldTransform() : RMMatrix::Identity(), 0);
  return kRMOk;
}

void RMViewport::DrawFrameTree(Pass& pass, RMFrame* frame, const RMMatrix& parentWorld,
                               int depth) {
  if (depth > kMaxFrameDepth) return;
  const RMMatrix world = Multiply(frame->GetTransform(), parentWorld);
  const RMMatrix toCamera = Multiply(world, pass.view);
  for (int i = 0; i < frame->GetVisualCount(); ++i) {
    RMVisual* visual = frame->GetVisual(i);
    if (visual->GetKind() == RMVisual::Kind::kMesh)
      DrawMesh(pass, static_cast<RMMesh*>(visual), toCamera);
    else
      DrawDecal(pass, static_cast<RMTexture*>(visual), toCamera);
  }
  for (int i = 0; i < frame->GetChildCount(); ++i)
    DrawFrameTree(pass, frame->GetChild(i), world, depth + 1);
}

void RMViewport::DrawMesh(Pass& pass, RMMesh* mesh, const RMMatrix& toCamera) {
  // Whole mesh out of view: its bounding sphere lies beyond a plane of the
  // viewport (the side planes pass through the camera, so the sphere's
  // distance from one is its value over the plane normal's length).
  const RMVector c = toCamera.TransformPoint(mesh->BoundCentre());
  const float r = mesh->BoundRadius() * toCamera.MaxScale();
  const float sideX = std::sqrt(1.0f + pass.viewKx * pass.viewKx);
  const float sideY = std::sqrt(1.0f + pass.viewKy * pass.viewKy);
  if (!IsFinite(c) || !std::isfinite(r) || c.z + r < front_ || c.z - r > back_ ||
      pass.viewKx * c.z - c.x < -r * sideX || c.x + pass.viewKx * c.z < -r * sideX ||
      pass.viewKy * c.z - c.y < -r * sideY || c.y + pass.viewKy * c.z < -r * sideY) {
    ++stats_.meshesCulled;
    return;
  }
  ++stats_.meshesDrawn;

  const auto& positions = mesh->Positions();
  cameraSpace_.resize(positions.size());
  for (size_t i = 0; i < positions.size(); ++i)
    cameraSpace_[i] = toCamera.TransformPoint(positions[i]);
  const auto& uv = mesh->TexCoords();
  const auto& materials = mesh->Materials();
  const bool perspective = mesh->GetPerspective();

  // Per material: the flat colour, or the texture and its full shade. A
  // mesh without materials is white.
  fills_.assign(std::max<size_t>(materials.size(), 1), Fill());
  Fill* fill = fills_.data();
  if (materials.empty()) {
    fill[0].colour = device_->NearestColour(255, 255, 255);
  } else {
    for (size_t m = 0; m < materials.size(); ++m) {
      const RMMaterial& mat = materials[m];
      fill[m].colour = device_->NearestColour(ToByte(mat.red), ToByte(mat.green), ToByte(mat.blue));
      RMTexture* tex = mat.texture;
      if (tex && !uv.empty() && IsPowerOfTwo(tex->GetImage()->width) &&
          IsPowerOfTwo(tex->GetImage()->height)) {
        const RMImage* image = tex->GetImage();
        fill[m].textured = true;
        fill[m].texture.texels = image->pixels;
        fill[m].texture.pitch = image->pitch;
        fill[m].texture.width = image->width;
        fill[m].texture.height = image->height;
        fill[m].texture.shade = tex->ShadeTable(device_) + (tex->GetShades() - 1) * 256;
      }
    }
  }

  for (const RMTriangle& tri : mesh->Triangles()) {
    ++stats_.triangles;
    const Fill& f = fill[materials.empty() ? 0 : tri.material];
    ClipVertex corners[3];
    uint32_t orCode = 0, andCode = ~0u;
    bool finite = true;
    for (int k = 0; k < 3; ++k) {
      const RMVector& p = cameraSpace_[tri.v[k]];
      finite = finite && IsFinite(p);
      corners[k].x = p.x;
      corners[k].y = p.y;
      corners[k].z = p.z;
      if (f.textured) {
        corners[k].u = uv[tri.v[k]].u * float(f.texture.width);
        corners[k].v = uv[tri.v[k]].v * float(f.texture.height);
      }
      const uint32_t code = ClipOutcode(corners[k], pass.planes);
      orCode |= code;
      andCode &= code;
    }
    if (!finite) {
      ++stats_.trianglesRejected;
      continue;
    }
    // Seen from behind: the corners run anticlockwise from the camera.
    const double e1x = double(corners[1].x) - corners[0].x, e1y = double(corners[1].y) - corners[0].y,
                 e1z = double(corners[1].z) - corners[0].z;
    const double e2x = double(corners[2].x) - corners[0].x, e2y = double(corners[2].y) - corners[0].y,
                 e2z = double(corners[2].z) - corners[0].z;
    const double nx = e1y * e2z - e1z * e2y, ny = e1z * e2x - e1x * e2z, nz = e1x * e2y - e1y * e2x;
    if (nx * corners[0].x + ny * corners[0].y + nz * corners[0].z >= 0.0) {
      ++stats_.backFaces;
      continue;
    }
    if (andCode) {
      ++stats_.trianglesRejected;
      continue;
    }
    ClipVertex polygon[kMaxClipVertices];
    int count = 3;
    const ClipVertex* corner = corners;
    if (orCode) {
      count = ClipPolygon(corners, 3, pass.planes, orCode, polygon);
      corner = polygon;
      if (count < 3) {
        ++stats_.trianglesRejected;
        continue;
      }
      ++stats_.trianglesClipped;
    }
    RasterVertex screen[kMaxClipVertices];
    for (int k = 0; k < count; ++k) {
      const ClipVertex& p = corner[k];
      const float invz = 1.0f / p.z;
      screen[k].x = ToSubpixel(pass.cx + p.x * pass.scale * invz);
      screen[k].y = ToSubpixel(pass.cy - p.y * pass.scale * invz);
      screen[k].invz = invz;
      screen[k].s = perspective ? p.u * invz : p.u;
      screen[k].t = perspective ? p.v * invz : p.v;
    }
    ++stats_.trianglesDrawn;
    for (int k = 1; k + 1 < count; ++k) {
      stats_.pixelsWritten +=
          f.textured
              ? RasterTexturedTriangle(pass.target, screen[0], screen[k], screen[k + 1], f.texture,
                                       perspective)
              : RasterFlatTriangle(pass.target, screen[0], screen[k], screen[k + 1], f.colour);
    }
  }
}

void RMViewport::DrawDecal(Pass& pass, RMTexture* texture, const RMMatrix& toCamera) {
  const RMVector c = toCamera.Translation();
  const RMImage* image = texture->GetImage();
  if (!IsFinite(c) || !(c.z >= front_ && c.z <= back_)) {
    ++stats_.decalsCulled;
    return;
  }
  const float perUnit = pass.scale / c.z;
  const float w = texture->GetDecalScale() ? texture->GetDecalWidth() * perUnit
                                           : texture->GetDecalWidth();
  const float h = texture->GetDecalScale() ? texture->GetDecalHeight() * perUnit
                                           : texture->GetDecalHeight();
  const float sx = pass.cx + c.x * perUnit;
  const float sy = pass.cy - c.y * perUnit;
  RasterRect rect;
  rect.left = sx - float(texture->GetDecalOriginX()) * w / float(image->width);
  rect.top = sy - float(texture->GetDecalOriginY()) * h / float(image->height);
  rect.right = rect.left + w;
  rect.bottom = rect.top + h;
  RasterTexture tex;
  tex.texels = image->pixels;
  tex.pitch = image->pitch;
  tex.width = image->width;
  tex.height = image->height;
  tex.shade = texture->ShadeTable(device_) + (texture->GetShades() - 1) * 256;
  tex.transparent = texture->GetDecalTransparency() ? texture->TransparentTable() : nullptr;
  ++stats_.decalsDrawn;
  stats_.pixelsWritten += RasterDecal(pass.target, rect, 1.0f / c.z, tex);
}
