#include "scene3d/track_piece.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

struct MeshBuilder {
  XMesh mesh;
  void Quad(const std::array<std::array<float, 3>, 4>& p, const std::array<std::array<float, 2>, 4>& uv,
            uint32_t material) {
    const uint32_t base = static_cast<uint32_t>(mesh.positions.size());
    for (int k = 0; k < 4; ++k) {
      mesh.positions.push_back(p[k]);
      mesh.texCoords.push_back(uv[k]);
    }
    mesh.faces.push_back({base, base + 1, base + 2, base + 3});
    mesh.faceMaterials.push_back(material);
  }
};

XMaterial Material(const std::string& name, float r, float g, float b, const std::string& tex) {
  XMaterial m;
  m.name = name;
  m.face[0] = r;
  m.face[1] = g;
  m.face[2] = b;
  m.texture = tex;
  return m;
}

}  // namespace

XFile BuildTrackPieceX(const std::vector<RMVector>& leftWall, const std::vector<RMVector>& rightWall,
                       const TrackPieceLook& look) {
  MeshBuilder b;
  b.mesh.name = "Piece";
  b.mesh.materials = {Material("Floor", 1, 1, 1, look.floorPicture), Material("Wall", 1, 1, 1, look.wallPicture),
                      Material("WallTop", 0.55f, 0.55f, 0.6f, "")};
  const size_t n = std::min(leftWall.size(), rightWall.size());
  auto at = [](const RMVector& p, float lift) { return std::array<float, 3>{p.x, p.y + lift, p.z}; };
  // Outward unit direction of a wall at point i (away from the track).
  auto outward = [&](const std::vector<RMVector>& w, size_t i, bool left) {
    const RMVector& a = w[i == 0 ? 0 : i - 1];
    const RMVector& c = w[i + 1 < w.size() ? i + 1 : i];
    float dx = c.x - a.x, dz = c.z - a.z;
    const float len = std::sqrt(dx * dx + dz * dz);
    dx /= len;
    dz /= len;
    return left ? std::array<float, 2>{-dz, dx} : std::array<float, 2>{dz, -dx};
  };
  const float top = look.wallHeight;
  float along = 0.0f;
  for (size_t i = 0; i + 1 < n; ++i) {
    const RMVector &l0 = leftWall[i], &l1 = leftWall[i + 1], &r0 = rightWall[i], &r1 = rightWall[i + 1];
    const float mx0 = (l0.x + r0.x) / 2, mz0 = (l0.z + r0.z) / 2;
    const float mx1 = (l1.x + r1.x) / 2, mz1 = (l1.z + r1.z) / 2;
    const float step = std::sqrt((mx1 - mx0) * (mx1 - mx0) + (mz1 - mz0) * (mz1 - mz0));
    const float v0 = along / look.floorRepeat, v1 = (along + step) / look.floorRepeat;
    b.Quad({at(l0, 0), at(l1, 0), at(r1, 0), at(r0, 0)}, {{{0, v0}, {0, v1}, {1, v1}, {1, v0}}}, 0);
    const float w0 = along / 32.0f, w1 = (along + step) / 32.0f;
    b.Quad({at(l0, 0), at(l0, top), at(l1, top), at(l1, 0)}, {{{w0, 1}, {w0, 0}, {w1, 0}, {w1, 1}}}, 1);
    b.Quad({at(r1, 0), at(r1, top), at(r0, top), at(r0, 0)}, {{{w1, 1}, {w1, 0}, {w0, 0}, {w0, 1}}}, 1);
    // Tops, a little wider than nothing so the walls look solid from above.
    const auto ol0 = outward(leftWall, i, true), ol1 = outward(leftWall, i + 1, true);
    const auto or0 = outward(rightWall, i, false), or1 = outward(rightWall, i + 1, false);
    auto off = [&](const RMVector& p, const std::array<float, 2>& d) {
      return RMVector(p.x + d[0] * look.topWidth, p.y, p.z + d[1] * look.topWidth);
    };
    b.Quad({at(off(l0, ol0), top), at(off(l1, ol1), top), at(l1, top), at(l0, top)}, {}, 2);
    b.Quad({at(r0, top), at(r1, top), at(off(r1, or1), top), at(off(r0, or0), top)}, {}, 2);
    along += step;
  }
  XFile file;
  file.meshes.push_back(std::move(b.mesh));
  return file;
}
