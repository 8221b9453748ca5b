#pragma once
// A world ready to render: the fixture level in g_mazeLevel, a sky panorama,
// the floor tables, a frame buffer standing in for the locked back buffer
// (its rows padded, as a debug build's surfaces are), and sprite blocks for
// things. Restores an empty world when it goes.
#include <cstdint>
#include <string>
#include <vector>

#include "events/maze3d/rc_raycaster.h"
#include "events/maze3d/rc_world.h"

class RenderFixture {
 public:
  static constexpr int kPitch = 656;

  RenderFixture();
  ~RenderFixture();
  RenderFixture(const RenderFixture&) = delete;
  RenderFixture& operator=(const RenderFixture&) = delete;

  // A camera as the screens make one: eye 65, horizon offset -10, sky
  // picture and textured floor on.
  static MazeViewRecord View(int32_t x, int32_t y, int heading);
  // Fills the frame with a colour no pass writes (to see what was left).
  void Clear(uint8_t colour = 7);
  // SetCamera, CastColumns, CollectSprites and the single or split render.
  void Render(RayCaster& caster, const MazeViewRecord& view, bool single);
  uint8_t At(int x, int y) const { return frame_[size_t(y) * kPitch + size_t(x)]; }
  // FNV-1a of the 640 x 480 pixels.
  uint64_t Hash() const;
  // Writes the frame as a PNG through the palette of the generated day sky.
  bool WritePng(const std::string& path) const;

  // A sprite block of one pose: eight frames, frame k a block of colour 96 + k
  // (a post 48 texels wide, standing on the floor).
  const uint8_t* postPose() const { return postBlock_; }

 private:
  std::vector<uint8_t> frame_;
  uint8_t* postBlock_ = nullptr;
};
