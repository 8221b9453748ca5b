#include "scene3d/xload.h"

#include <algorithm>

#include "scene3d/mesh.h"
#include "scene3d/texture.h"

namespace {

float Unit(float v) { return std::clamp(v, 0.0f, 1.0f); }

// Null with *error set on failure.
RMMesh* BuildMesh(const XMesh& x, const XBuildOptions& options, std::string* error) {
  RMMesh* mesh = RMMesh::Create();
  mesh->SetPerspective(options.perspective);
  mesh->SetQuality(options.quality);
  bool textured = false;
  for (const XMaterial& xm : x.materials) {
    RMMaterial m;
    m.red = Unit(xm.face[0]);
    m.green = Unit(xm.face[1]);
    m.blue = Unit(xm.face[2]);
    m.alpha = Unit(xm.face[3]);
    m.power = xm.power;
    std::copy(xm.specular, xm.specular + 3, m.specular);
    std::copy(xm.emissive, xm.emissive + 3, m.emissive);
    if (!xm.texture.empty()) {
      if (!options.textures) {
        *error = "no textures can be read here";
        mesh->Release();
        return nullptr;
      }
      m.texture = options.textures(xm.texture, error);
      if (!m.texture) {
        mesh->Release();
        return nullptr;
      }
      textured = true;
    }
    mesh->AddMaterial(m);
    if (m.texture) m.texture->Release();  // the mesh holds it
  }
  if (options.specularPower > 1.0f) mesh->SetMaterialPower(options.specularPower);
  if (textured && x.texCoords.empty()) {
    *error = "mesh '" + x.name + "' has textures but no texture coordinates";
    mesh->Release();
    return nullptr;
  }

  std::vector<RMVector> positions;
  positions.reserve(x.positions.size());
  for (const auto& p : x.positions) positions.push_back({p[0], p[1], p[2]});
  std::vector<RMTexCoord> uv;
  uv.reserve(x.texCoords.size());
  for (const auto& t : x.texCoords) uv.push_back({t[0], t[1]});
  std::vector<RMTriangle> triangles;
  for (size_t f = 0; f < x.faces.size(); ++f) {
    const auto& face = x.faces[f];
    const uint32_t material = f < x.faceMaterials.size() ? x.faceMaterials[f] : 0;
    for (size_t k = 1; k + 1 < face.size(); ++k)
      triangles.push_back(RMTriangle{{face[0], face[k], face[k + 1]}, material});
  }
  if (mesh->SetGeometry(std::move(positions), std::move(uv), std::move(triangles)) != kRMOk) {
    *error = "mesh '" + x.name + "' does not hold together";
    mesh->Release();
    return nullptr;
  }
  return mesh;
}

bool AddMeshes(RMFrame* frame, const std::vector<XMesh>& meshes, const XBuildOptions& options,
               std::string* error) {
  for (const XMesh& x : meshes) {
    RMMesh* mesh = BuildMesh(x, options, error);
    if (!mesh) return false;
    frame->AddVisual(mesh);
    mesh->Release();  // the frame holds it
  }
  return true;
}

bool AddFrame(RMFrame* parent, const XFrame& x, const XBuildOptions& options, std::string* error) {
  RMFrame* frame = RMFrame::Create(parent);
  frame->Release();  // the parent holds it
  frame->SetName(x.name);
  if (x.hasMatrix) {
    RMMatrix m;
    for (int r = 0; r < 4; ++r)
      for (int c = 0; c < 3; ++c) m.m[r][c] = x.matrix[static_cast<size_t>(r * 4 + c)];
    frame->SetTransform(m);
  }
  if (!AddMeshes(frame, x.meshes, options, error)) return false;
  for (const XFrame& child : x.children)
    if (!AddFrame(frame, child, options, error)) return false;
  return true;
}

}  // namespace

RMFrame* BuildFrameFromX(const XFile& file, const XBuildOptions& options, std::string* error) {
  RMFrame* root = RMFrame::Create(nullptr);
  bool ok = AddMeshes(root, file.meshes, options, error);
  for (size_t i = 0; ok && i < file.frames.size(); ++i)
    ok = AddFrame(root, file.frames[i], options, error);
  if (!ok) {
    root->Release();
    return nullptr;
  }
  return root;
}
