#pragma once
// A mesh: vertices with texture coordinates, triangles, and the materials
// the triangles use. A material is a flat colour or a texture (which then
// covers the triangle; its colour is not used). Triangles are one-sided:
// only the side from which the corners run clockwise is drawn.
#include <cstdint>
#include <vector>

#include "scene3d/frame.h"
#include "scene3d/math3d.h"

class RMTexture;

// Render qualities: how the faces of a mesh are filled. The layer has no
// lights, so the one quality it offers draws every face unlit and flat (in
// its colour or texture at full shade), in solid fill.
constexpr int kRMRenderUnlitFlat = 1;

struct RMMaterial {
  float red = 1.0f, green = 1.0f, blue = 1.0f, alpha = 1.0f;  // 0 .. 1
  float power = 0.0f;                                         // specular power
  float specular[3] = {0, 0, 0};
  float emissive[3] = {0, 0, 0};
  RMTexture* texture = nullptr;  // the mesh holds a reference
};

struct RMTexCoord {
  float u = 0.0f;
  float v = 0.0f;
};

struct RMTriangle {
  uint32_t v[3] = {0, 0, 0};  // vertex indices, clockwise seen from the front
  uint32_t material = 0;
};

class RMMesh : public RMVisual {
 public:
  static RMMesh* Create();
  Kind GetKind() const override { return Kind::kMesh; }

  // Replaces the geometry. `uv` is empty or one per vertex. Refused (nothing
  // changes) when an index or a material number is out of range (materials
  // must be added first), a value is not finite, or `uv` has another count.
  int SetGeometry(std::vector<RMVector> positions, std::vector<RMTexCoord> uv,
                  std::vector<RMTriangle> triangles);
  // Adds a material (the mesh takes a reference of its texture); returns its
  // number.
  int AddMaterial(const RMMaterial& material);
  // Sets the specular power of every material.
  void SetMaterialPower(float power);

  int SetQuality(int quality);  // kRMRenderUnlitFlat
  int GetQuality() const { return quality_; }
  // Perspective-correct texturing (on), or texture coordinates interpolated
  // straight across the screen.
  void SetPerspective(bool on) { perspective_ = on; }
  bool GetPerspective() const { return perspective_; }

  const std::vector<RMVector>& Positions() const { return positions_; }
  const std::vector<RMTexCoord>& TexCoords() const { return uv_; }
  const std::vector<RMTriangle>& Triangles() const { return triangles_; }
  const std::vector<RMMaterial>& Materials() const { return materials_; }
  // A sphere holding every vertex (for skipping meshes out of view).
  const RMVector& BoundCentre() const { return centre_; }
  float BoundRadius() const { return radius_; }

 private:
  RMMesh() = default;
  ~RMMesh() override;

  std::vector<RMVector> positions_;
  std::vector<RMTexCoord> uv_;
  std::vector<RMTriangle> triangles_;
  std::vector<RMMaterial> materials_;
  int quality_ = kRMRenderUnlitFlat;
  bool perspective_ = true;
  RMVector centre_;
  float radius_ = 0.0f;
};
