#include "scene3d/mesh.h"

#include <cmath>

#include "scene3d/texture.h"

RMMesh* RMMesh::Create() { return new RMMesh(); }

RMMesh::~RMMesh() {
  for (RMMaterial& m : materials_)
    if (m.texture) m.texture->Release();
}

int RMMesh::SetGeometry(std::vector<RMVector> positions, std::vector<RMTexCoord> uv,
                        std::vector<RMTriangle> triangles) {
  if (!uv.empty() && uv.size() != positions.size()) return kRMBadArgument;
  for (const RMVector& p : positions)
    if (!IsFinite(p)) return kRMBadArgument;
  for (const RMTexCoord& t : uv)
    if (!std::isfinite(t.u) || !std::isfinite(t.v)) return kRMBadArgument;
  for (const RMTriangle& t : triangles) {
    for (uint32_t i : t.v)
      if (i >= positions.size()) return kRMBadArgument;
    if (t.material >= materials_.size() && !(materials_.empty() && t.material == 0))
      return kRMBadArgument;
  }
  positions_ = std::move(positions);
  uv_ = std::move(uv);
  triangles_ = std::move(triangles);

  // Bounding sphere: the centre of the box, the farthest vertex from it.
  centre_ = {};
  radius_ = 0.0f;
  if (!positions_.empty()) {
    RMVector lo = positions_[0], hi = positions_[0];
    for (const RMVector& p : positions_) {
      lo = {std::fmin(lo.x, p.x), std::fmin(lo.y, p.y), std::fmin(lo.z, p.z)};
      hi = {std::fmax(hi.x, p.x), std::fmax(hi.y, p.y), std::fmax(hi.z, p.z)};
    }
    centre_ = (lo + hi) * 0.5f;
    for (const RMVector& p : positions_) radius_ = std::fmax(radius_, Length(p - centre_));
    radius_ *= 1.0001f;  // rounding never puts a vertex outside
  }
  return kRMOk;
}

int RMMesh::AddMaterial(const RMMaterial& material) {
  materials_.push_back(material);
  if (material.texture) material.texture->AddRef();
  return static_cast<int>(materials_.size()) - 1;
}

void RMMesh::SetMaterialPower(float power) {
  for (RMMaterial& m : materials_) m.power = power;
}

int RMMesh::SetQuality(int quality) {
  if (quality != kRMRenderUnlitFlat) return kRMBadArgument;
  quality_ = quality;
  return kRMOk;
}
