#pragma once
// Turns a parsed .x file into frames and meshes of the scene layer.
#include <functional>
#include <string>

#include "scene3d/frame.h"
#include "scene3d/xfile.h"

class RMTexture;

struct XBuildOptions {
  bool perspective = true;
  int quality = 1;             // kRMRenderUnlitFlat
  float specularPower = 0.0f;  // given to every material when above 1.0
  // The texture of a file name (a new reference), or null with a reason.
  std::function<RMTexture*(const std::string& name, std::string* error)> textures;
};

// A new frame holding the file's top-level meshes as visuals and its frames
// as children (with their transforms and meshes). Faces of more than three
// corners become fans of triangles. Null with the reason on failure: a
// texture that cannot be had, textured faces without texture coordinates.
RMFrame* BuildFrameFromX(const XFile& file, const XBuildOptions& options, std::string* error);
