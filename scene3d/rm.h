#pragma once
// The 3D scene layer's calls, as the game makes them: a small retained-mode
// scene of frames, meshes read from text .x files, textures from 8-bit .bmp
// pictures and decals, drawn in software into 8-bit surfaces by viewports of
// a device. Everything is deterministic: the same scene gives the same
// bytes on every machine.
//
// Ownership follows the objects' reference counts (scene3d/frame.h): every
// call that makes an object gives the caller one reference.
#include <cstdint>
#include <string>

#include "scene3d/device.h"
#include "scene3d/frame.h"
#include "scene3d/mesh.h"
#include "scene3d/texture.h"

class DDSurface;

// The layer's root object: it makes frames.
class RMSystem {
 public:
  // A new frame under `parent` (or a scene root when null); the caller holds
  // one reference.
  RMFrame* CreateFrame(RMFrame* parent) { return RMFrame::Create(parent); }
};

// The one root object of the layer.
RMSystem* RMGetD3DRM();

// Colour models of a device. The layer draws into palettised surfaces only,
// with shade tables (the mono or ramp model).
constexpr int kRMColorModelMono = 1;

// A device drawing into `surface` (8-bit with a palette). On failure null,
// and "Failed to create the D3DRM device from surface.\n" followed by the
// reason goes to the debug output. `preferHardware` is accepted and has no
// effect.
RMDevice* RMCreateDevice(DDSurface* surface, int colourModel, int preferHardware);
void RMSetBufferCount(RMDevice* device, int count);
// Ends the frame's drawing on the device (the pixels are already in the
// surface).
void RMUpdateDevice(RMDevice* device);
void RMReleaseDevice(RMDevice* device);

// A viewport, its camera frame (made under the scene) and the scene it
// shows.
struct RMViewportRecord {
  RMViewport* viewport = nullptr;
  RMFrame* camera = nullptr;
  RMFrame* scene = nullptr;
};

// A viewport of the device's surface, rectangle (x, y, width, height), with
// a new camera frame under `scene` and the back clipping plane at 5000.
// Null for a rectangle outside the surface or null arguments (with the
// reason on the debug output).
RMViewportRecord* RMCreateViewport(RMDevice* device, RMFrame* scene, int x, int y, int width,
                                   int height);
RMViewport* RMGetViewportHandle(RMViewportRecord* record);
RMFrame* RMGetCameraHandle(RMViewportRecord* record);
// Clears the viewport and draws `scene` (null: the record's scene).
int RMRender(RMViewportRecord* record, RMFrame* scene);
// Takes the camera out of the scene and frees the record.
void RMReleaseViewport(RMViewportRecord* record);

// Reads a mesh from a text .x file (through the data-file reader) into a
// new frame under `parent` (or none): the file's meshes become the frame's
// visuals, its frames the frame's children. Texture file names in the file
// are 8-bit .bmp pictures in `textureFolder`, cached by name, with
// `textureShades` shades. `perspective` nonzero draws the textures
// perspective-correct; `renderQuality` must be kRMRenderUnlitFlat. Every
// material gets `specularPower` when it exceeds 1.0. A file without a single
// face to draw is refused. On failure null, with
// "RMLoadFrameFromFile failed." and the reason (naming the file) on the
// debug output; RMLastErrorText() holds the reason.
RMFrame* RMLoadFrameFromFile(const char* path, const char* textureFolder, RMFrame* parent,
                             int perspective, int renderQuality, int textureShades,
                             float specularPower);

// The texture of `image` (null for none), with the default colours and shades.
RMTexture* RMCreateTexture(RMImage* image);

// Sets the texture up as a decal (scaled with distance, `width` x `height`
// world units, its origin at the image's bottom centre, and when
// `transparent` is nonzero the colour `colour` (0x00RRGGBB) left out), then
// makes a new frame under `parent` (or none) showing it. Null on failure,
// with "RMCreateDecalFrame failed" and the reason on the debug output.
RMFrame* RMCreateDecalFrame(RMTexture* texture, float width, float height, RMFrame* parent,
                            int transparent, uint32_t colour);

// The reason of the last failed load or creation of this layer.
const std::string& RMLastErrorText();
