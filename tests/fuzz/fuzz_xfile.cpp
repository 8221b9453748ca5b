// Fuzz target of the .x mesh reader and of what follows it: whatever the
// bytes, the reader either refuses them or gives a file that writes back
// to the same file, and the meshes it gives are built into frames and drawn
// (with a stand-in texture) without a read or write outside a buffer.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "graphics/pixel_format.h"
#include "graphics/surface.h"
#include "scene3d/rm.h"
#include "scene3d/xfile.h"
#include "scene3d/xload.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  XFile file;
  std::string error;
  if (!ParseXFile(data, size, &file, &error)) return 0;

  const std::string text = WriteXFile(file);
  XFile again;
  if (!ParseXFile(reinterpret_cast<const uint8_t*>(text.data()), text.size(), &again, &error) ||
      !(again == file))
    std::abort();  // the writer and the reader disagree

  PaletteEntry palette[256];
  for (int i = 0; i < 256; ++i) palette[i] = {uint8_t(i), uint8_t(255 - i), uint8_t(i * 7), 0};
  RMImage* image = RMCreateImage(8, 8, palette);
  for (int i = 0; i < 64; ++i) image->pixels[(i / 8) * image->pitch + i % 8] = uint8_t(i * 37);
  RMTexture* texture = RMCreateTexture(image);
  RMFreeImage(image);

  XBuildOptions options;
  options.textures = [texture](const std::string&, std::string*) {
    texture->AddRef();
    return texture;
  };
  RMFrame* mesh = BuildFrameFromX(file, options, &error);
  if (mesh) {
    DDPalette* ddPalette = new DDPalette(0x44, palette);
    DDSurface surface(64, 48, kFormatIndexed8);
    surface.SetPalette(ddPalette);
    RMDevice* device = RMCreateDevice(&surface, kRMColorModelMono, 0);
    RMFrame* scene = RMGetD3DRM()->CreateFrame(nullptr);
    scene->AddChild(mesh);
    RMFrame* decal = RMCreateDecalFrame(texture, 3.0f, 3.0f, scene, 1, 0x00FF00);
    RMViewportRecord* view = RMCreateViewport(device, scene, 2, 3, 60, 40);
    RMFrame* camera = RMGetCameraHandle(view);
    // Two views of the same meshes: from a distance, and from inside them.
    camera->SetPosition(scene, 3.0f, 4.0f, -10.0f);
    camera->SetOrientation(scene, -0.3f, -0.4f, 1.0f, 0.0f, 1.0f, 0.0f);
    RMRender(view, nullptr);
    camera->SetPosition(scene, 0.1f, 0.2f, 0.3f);
    RMRender(view, nullptr);
    RMReleaseViewport(view);
    decal->Release();
    scene->Release();
    mesh->Release();
    RMReleaseDevice(device);
    ddPalette->Release();
  }
  texture->Release();
  return 0;
}
