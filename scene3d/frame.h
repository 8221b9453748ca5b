#pragma once
// Objects of the scene layer and the frame tree.
//
// Every object (frame, mesh, texture, device) is reference counted: whoever
// makes one holds the first reference and gives it back with Release; the
// last Release deletes it. A parent frame holds one reference of each child,
// a frame one of each of its visuals, so a piece of scene lives as long as
// anything still shows or holds it.
//
// A frame has a position and orientation relative to its parent (its
// transform), an ordered list of children and an ordered list of visuals
// (meshes, and textures shown as decals standing at the frame's origin).
// The scene is a frame without a parent; rendering walks it depth first,
// visuals before children, in the order they were added, so the same scene
// always draws in the same order.
#include <cstdint>
#include <string>
#include <vector>

#include "scene3d/math3d.h"

// Results of the layer's calls.
constexpr int kRMOk = 0;
constexpr int kRMBadArgument = 1;  // null, non-finite or out-of-range argument
constexpr int kRMNotFound = 2;     // the child or visual is not there
constexpr int kRMFailed = 3;       // the call cannot be done (e.g. a child made its own ancestor)

class RMObject {
 public:
  RMObject(const RMObject&) = delete;
  RMObject& operator=(const RMObject&) = delete;

  uint32_t AddRef() { return ++refs_; }
  // Drops one reference; at zero the object is deleted. Returns the new count.
  uint32_t Release();
  uint32_t GetRefCount() const { return refs_; }

 protected:
  RMObject();
  virtual ~RMObject();

 private:
  uint32_t refs_ = 1;
};

// How many objects of the layer exist now (tests check that scenes free
// everything they made).
int RMLiveObjectCount();

class RMVisual : public RMObject {
 public:
  enum class Kind { kMesh, kTexture };
  virtual Kind GetKind() const = 0;
};

class RMFrame : public RMObject {
 public:
  // A new frame with an identity transform, added to `parent` when one is
  // given (the parent then holds a reference of its own). The caller holds
  // the first reference.
  static RMFrame* Create(RMFrame* parent);

  // Makes `child` the last child of this frame, taking it from its old
  // parent first; its transform stays relative to its parent. Adding a
  // frame to itself or to one of its own descendants is refused.
  int AddChild(RMFrame* child);
  // Takes a child out (its reference is dropped); kRMNotFound when it is
  // not a child of this frame.
  int DeleteChild(RMFrame* child);
  // The parent, or null. No reference is taken.
  RMFrame* GetParent() const { return parent_; }
  int GetChildCount() const { return static_cast<int>(children_.size()); }
  RMFrame* GetChild(int i) const;

  int AddVisual(RMVisual* visual);
  int DeleteVisual(RMVisual* visual);
  int GetVisualCount() const { return static_cast<int>(visuals_.size()); }
  RMVisual* GetVisual(int i) const;

  // Position and orientation are given relative to `reference` (null: the
  // root of the tree the frame is in, i.e. the world). SetPosition keeps the
  // orientation, SetOrientation the position. The orientation points the
  // frame's z axis along `dir` with its y axis towards `up`.
  int SetPosition(RMFrame* reference, float x, float y, float z);
  int SetOrientation(RMFrame* reference, float dx, float dy, float dz, float ux, float uy,
                     float uz);
  // The frame's origin relative to `reference` (null: the world).
  int GetPosition(RMFrame* reference, RMVector* out) const;

  // The transform relative to the parent.
  const RMMatrix& GetTransform() const { return transform_; }
  int SetTransform(const RMMatrix& m);
  // The transform from this frame into the world (the root of its tree).
  RMMatrix GetWorldTransform() const;

  const std::string& GetName() const { return name_; }
  void SetName(std::string name) { name_ = std::move(name); }

 private:
  RMFrame() = default;
  ~RMFrame() override;
  bool IsAncestorOf(const RMFrame* frame) const;

  RMFrame* parent_ = nullptr;
  std::vector<RMFrame*> children_;
  std::vector<RMVisual*> visuals_;
  RMMatrix transform_;
  std::string name_;
};

// A new frame (no parent) with the same transform, name and visuals (shared,
// each with one more reference), whose children are duplicated the same way.
// Null for a null frame.
RMFrame* DuplicateFrame(RMFrame* frame);
