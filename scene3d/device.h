#pragma once
// The device draws scenes into an 8-bit surface (the back buffer, or a
// smaller surface that the game stretches onto it) with a depth buffer of
// its own; its viewports are rectangles of that surface, each seen through
// a camera frame.
//
// Colours are matched to the surface's palette as it stands when the device
// is made: the renderer writes palette indices, so a later fade of the
// palette changes how the picture looks, never which indices are written.
//
// Projection: a viewport of width w and height h shows, at distance 1 in
// front of its camera, `field` units either side of its centre along its
// longer side (pixels are square). Only what lies between the front (1.0)
// and back (100.0, or 5000 for RMCreateViewport's viewports) planes is drawn.
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "graphics/palette.h"
#include "scene3d/frame.h"
#include "scene3d/math3d.h"
#include "scene3d/raster.h"

class DDSurface;
class RMMesh;
class RMTexture;

class RMDevice : public RMObject {
 public:
  // A device on an 8-bit surface that has storage and a palette; null with
  // the reason in *error otherwise.
  static RMDevice* Create(DDSurface* surface, std::string* error);

  DDSurface* GetSurface() const { return surface_; }
  int GetWidth() const { return width_; }
  int GetHeight() const { return height_; }
  int SetBufferCount(int count);
  int GetBufferCount() const { return bufferCount_; }
  // Called once a frame after the views were rendered; counts frames.
  void Update() { ++updates_; }
  uint64_t GetUpdateCount() const { return updates_; }

  // Unique among all devices ever made (textures key their shade tables on it).
  uint32_t GetId() const { return id_; }
  const PaletteEntry* GetPalette() const { return palette_; }
  // The nearest palette entry to a colour (the lowest index of equals).
  uint8_t NearestColour(int red, int green, int blue);

  // The depth buffer: 1 / z of the nearest thing drawn per pixel, 0 where
  // nothing is. Sized like the surface.
  float* DepthRow(int y) { return depth_.data() + static_cast<size_t>(y) * width_; }
  // Makes the depth buffer match the surface again after its size changed;
  // false when the surface has no usable storage any more.
  bool SyncWithSurface();

 private:
  RMDevice(DDSurface* surface, const PaletteEntry* palette);

  DDSurface* surface_;
  int width_ = 0;
  int height_ = 0;
  int bufferCount_ = 1;
  uint64_t updates_ = 0;
  uint32_t id_;
  PaletteEntry palette_[256];
  std::unordered_map<uint32_t, uint8_t> nearest_;
  std::vector<float> depth_;
};

// What the last render of a viewport did (tests and benchmarks read it).
struct RMRenderStats {
  int meshesDrawn = 0;
  int meshesCulled = 0;        // whole mesh outside the view
  int triangles = 0;           // faces looked at
  int backFaces = 0;           // turned away from the camera
  int trianglesRejected = 0;   // wholly outside a clipping plane, or not finite
  int trianglesClipped = 0;    // cut by a plane and drawn in part
  int trianglesDrawn = 0;      // rasterised (whole or in part)
  int decalsDrawn = 0;
  int decalsCulled = 0;
  int64_t pixelsWritten = 0;
};

class RMViewport : public RMObject {
 public:
  // A viewport of the device's surface (the rectangle must lie inside it)
  // seen from `camera`. Null for a bad rectangle or null arguments.
  static RMViewport* Create(RMDevice* device, RMFrame* camera, int x, int y, int width,
                            int height);

  int SetField(float field);  // > 0
  float GetField() const { return field_; }
  int SetFront(float front);  // > 0 and below the back plane
  float GetFront() const { return front_; }
  int SetBack(float back);    // beyond the front plane
  float GetBack() const { return back_; }
  int GetX() const { return x_; }
  int GetY() const { return y_; }
  int GetWidth() const { return width_; }
  int GetHeight() const { return height_; }
  RMFrame* GetCamera() const { return camera_; }
  RMDevice* GetDevice() const { return device_; }

  // Fills the viewport with the palette's nearest colour to black and
  // empties its depth buffer.
  int Clear();
  // Draws every visual of `scene` and its descendants as the camera sees them.
  int Render(RMFrame* scene);
  const RMRenderStats& GetLastStats() const { return stats_; }

  // Where a world point appears: viewport pixel x, y and its distance z in
  // front of the camera. False when it lies outside the front and back
  // planes (the output is then not set).
  bool ProjectWorldPoint(const RMVector& world, RMVector* screen) const;

 private:
  RMViewport(RMDevice* device, RMFrame* camera, int x, int y, int width, int height);
  ~RMViewport() override;
  struct Pass;
  void DrawFrameTree(Pass& pass, RMFrame* frame, const RMMatrix& parentWorld, int depth);
  void DrawMesh(Pass& pass, RMMesh* mesh, const RMMatrix& toCamera);
  void DrawDecal(Pass& pass, RMTexture* texture, const RMMatrix& toCamera);

  RMDevice* device_;
  RMFrame* camera_;
  int x_, y_, width_, height_;
  float field_ = 0.5f;
  float front_ = 1.0f;
  float back_ = 100.0f;
  RMRenderStats stats_;
  // Scratch of DrawMesh, kept to spare allocations: a mesh's vertices as the
  // camera sees them, and how each of its materials is filled.
  std::vector<RMVector> cameraSpace_;
  struct Fill {
    uint8_t colour = 0;
    RasterTexture texture;
    bool textured = false;
  };
  std::vector<Fill> fills_;
};
