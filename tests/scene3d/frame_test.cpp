// Frames: transforms relative to parent and to other frames, the tree's
// rules (moving, refusing cycles, references), and duplicates.
#include <gtest/gtest.h>

#include <cmath>

#include "base/geometry.h"
#include "scene3d/frame.h"
#include "scene3d/mesh.h"

namespace {

void ExpectNear(const RMVector& got, const RMVector& want, float tol = 1e-4f) {
  EXPECT_NEAR(got.x, want.x, tol);
  EXPECT_NEAR(got.y, want.y, tol);
  EXPECT_NEAR(got.z, want.z, tol);
}

RMVector LocalToWorld(RMFrame* f, const RMVector& p) {
  return f->GetWorldTransform().TransformPoint(p);
}

// A track piece is placed by position and one of four facings; a point of
// its own ground plane must land where the quarter-turn rule of the track
// logic puts it, so that the drawn track and the logic's footprints agree.
TEST(SceneFrame, PieceFacingsAgreeWithQuarterTurns) {
  const RMVector forward[4] = {{0, 0, 1}, {-1, 0, 0}, {0, 0, -1}, {1, 0, 0}};
  const Point2f local[] = {{0, 0}, {0, 128}, {-32, 0}, {32, 128}, {-128, 128}, {19.8f, 61.2f}};
  RMFrame* scene = RMFrame::Create(nullptr);
  RMFrame* piece = RMFrame::Create(scene);
  for (int dir = 0; dir < 4; ++dir) {
    ASSERT_EQ(piece->SetPosition(scene, 352, -16, 576), kRMOk);
    ASSERT_EQ(piece->SetOrientation(scene, forward[dir].x, forward[dir].y, forward[dir].z, 0, 1,
                                    0),
              kRMOk);
    for (const Point2f& p : local) {
      Point2f turned = p;
      turned.RotateQuarterTurns(dir);
      SCOPED_TRACE("direction " + std::to_string(dir));
      ExpectNear(LocalToWorld(piece, {p.x, 5, p.y}), {352 + turned.x, -11, 576 + turned.y});
    }
  }
  piece->Release();
  scene->Release();
}

// Position and orientation given relative to frames other than the parent.
TEST(SceneFrame, TransformsRelativeToReferences) {
  struct Case {
    const char* what;
    RMVector parentPos, parentDir;  // parent placed in the scene
    bool refIsScene;                // else relative to the parent
    RMVector childPos, childDir;
    RMVector local;                 // a point of the child
    RMVector world;                 // where it lands
  };
  const Case cases[] = {
      {"child relative to a turned parent", {10, 0, 0}, {1, 0, 0}, false, {0, 0, 5}, {0, 0, 1},
       {0, 0, 0}, {15, 0, 0}},
      {"child placed in world terms under a turned parent", {10, 0, 0}, {1, 0, 0}, true,
       {0, 0, 5}, {0, 0, 1}, {0, 0, 0}, {0, 0, 5}},
      {"child facing -x in world terms", {10, 2, 0}, {0, 0, -1}, true, {1, 2, 3}, {-1, 0, 0},
       {0, 0, 2}, {-1, 2, 3}},
      {"child turned within a turned parent", {0, 0, 0}, {1, 0, 0}, false, {0, 0, 0},
       {1, 0, 0}, {0, 0, 1}, {0, 0, -1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RMFrame* scene = RMFrame::Create(nullptr);
    RMFrame* parent = RMFrame::Create(scene);
    RMFrame* child = RMFrame::Create(parent);
    parent->SetPosition(scene, c.parentPos.x, c.parentPos.y, c.parentPos.z);
    parent->SetOrientation(scene, c.parentDir.x, c.parentDir.y, c.parentDir.z, 0, 1, 0);
    RMFrame* ref = c.refIsScene ? scene : parent;
    ASSERT_EQ(child->SetOrientation(ref, c.childDir.x, c.childDir.y, c.childDir.z, 0, 1, 0), kRMOk);
    ASSERT_EQ(child->SetPosition(ref, c.childPos.x, c.childPos.y, c.childPos.z), kRMOk);
    ExpectNear(LocalToWorld(child, c.local), c.world);
    RMVector back;
    ASSERT_EQ(child->GetPosition(ref, &back), kRMOk);
    ExpectNear(back, c.childPos);
    child->Release();
    parent->Release();
    scene->Release();
  }
}

TEST(SceneFrame, OrientationIsOrthonormalisedAndBadVectorsRefused) {
  RMFrame* f = RMFrame::Create(nullptr);
  // An up vector leaning forwards is straightened; the frame looks along dir.
  ASSERT_EQ(f->SetOrientation(nullptr, 0, 0, 2, 0, 1, 1), kRMOk);
  const RMMatrix& m = f->GetTransform();
  ExpectNear(m.Row(0), {1, 0, 0});
  ExpectNear(m.Row(1), {0, 1, 0});
  ExpectNear(m.Row(2), {0, 0, 1});
  // A camera looking down a slope: z along the direction, y up-ish, x level.
  ASSERT_EQ(f->SetOrientation(nullptr, 0, -1, 1, 0, 1, 0), kRMOk);
  const float h = std::sqrt(0.5f);
  ExpectNear(f->GetTransform().Row(2), {0, -h, h});
  ExpectNear(f->GetTransform().Row(1), {0, h, h});
  ExpectNear(f->GetTransform().Row(0), {1, 0, 0});
  const RMMatrix before = f->GetTransform();
  EXPECT_EQ(f->SetOrientation(nullptr, 0, 0, 0, 0, 1, 0), kRMBadArgument);  // no direction
  EXPECT_EQ(f->SetOrientation(nullptr, 0, 3, 0, 0, 1, 0), kRMBadArgument);  // along up
  EXPECT_EQ(f->SetPosition(nullptr, NAN, 0, 0), kRMBadArgument);
  EXPECT_EQ(f->GetTransform(), before);
  f->Release();
}

TEST(SceneFrame, InverseUndoesATransform) {
  RMMatrix m;
  ASSERT_TRUE(OrientationFromVectors({1, 0.5f, -2}, {0, 1, 0}, &m));
  m.SetTranslation({100, -7, 3.5f});
  for (int c = 0; c < 3; ++c) m.m[0][c] *= 2.0f;  // a scaled axis too
  RMMatrix inv;
  ASSERT_TRUE(Invert(m, &inv));
  const RMVector p(3, -4, 12);
  ExpectNear(inv.TransformPoint(m.TransformPoint(p)), p, 1e-3f);
  RMMatrix singular;
  singular.SetRow(2, {0, 0, 0});
  EXPECT_FALSE(Invert(singular, &inv));
}

TEST(SceneFrame, TreeMovesChildrenAndRefusesCycles) {
  const int live = RMLiveObjectCount();
  RMFrame* scene = RMFrame::Create(nullptr);
  RMFrame* a = RMFrame::Create(scene);
  RMFrame* b = RMFrame::Create(a);
  EXPECT_EQ(a->GetRefCount(), 2u);  // the caller and the scene
  EXPECT_EQ(b->GetParent(), a);

  EXPECT_EQ(b->AddChild(a), kRMFailed);  // a would be its own grandchild
  EXPECT_EQ(a->AddChild(a), kRMFailed);
  EXPECT_EQ(scene->AddChild(b), kRMOk);  // moved, not copied
  EXPECT_EQ(b->GetParent(), scene);
  EXPECT_EQ(a->GetChildCount(), 0);
  EXPECT_EQ(scene->GetChildCount(), 2);
  EXPECT_EQ(b->GetRefCount(), 2u);
  EXPECT_EQ(a->DeleteChild(b), kRMNotFound);

  // Pieces leave and rejoin the scene every frame: the scene's reference
  // comes and goes, the owner's stays.
  EXPECT_EQ(scene->DeleteChild(a), kRMOk);
  EXPECT_EQ(a->GetParent(), nullptr);
  EXPECT_EQ(a->GetRefCount(), 1u);
  EXPECT_EQ(scene->AddChild(a), kRMOk);
  EXPECT_EQ(scene->GetChild(1), a);  // added last

  a->Release();
  b->Release();
  EXPECT_EQ(RMLiveObjectCount(), live + 3);  // the scene still holds both
  scene->Release();
  EXPECT_EQ(RMLiveObjectCount(), live);
}

TEST(SceneFrame, DuplicateSharesVisualsAndCopiesChildren) {
  const int live = RMLiveObjectCount();
  RMMesh* mesh = RMMesh::Create();
  RMFrame* original = RMFrame::Create(nullptr);
  original->AddVisual(mesh);
  original->SetPosition(nullptr, 1, 2, 3);
  RMFrame* child = RMFrame::Create(original);
  child->AddVisual(mesh);
  child->SetPosition(original, 0, 5, 0);

  RMFrame* copy = DuplicateFrame(original);
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->GetParent(), nullptr);
  EXPECT_EQ(copy->GetTransform(), original->GetTransform());
  ASSERT_EQ(copy->GetVisualCount(), 1);
  EXPECT_EQ(copy->GetVisual(0), mesh);
  ASSERT_EQ(copy->GetChildCount(), 1);
  EXPECT_NE(copy->GetChild(0), child);
  EXPECT_EQ(copy->GetChild(0)->GetVisual(0), mesh);
  ExpectNear(LocalToWorld(copy->GetChild(0), {0, 0, 0}), {1, 7, 3});
  EXPECT_EQ(mesh->GetRefCount(), 5u);  // caller, two frames, two copies
  EXPECT_EQ(DuplicateFrame(nullptr), nullptr);

  // Releasing the original leaves the copy whole.
  child->Release();
  original->Release();
  mesh->Release();
  EXPECT_EQ(copy->GetChild(0)->GetVisual(0)->GetRefCount(), 2u);  // the copy and its child
  copy->Release();
  EXPECT_EQ(RMLiveObjectCount(), live);
}

}  // namespace
