#include "scene3d/frame.h"

#include <algorithm>
#include <atomic>

namespace {
std::atomic<int> g_liveObjects{0};

// Takes `item` out of a list; false when it is not there. The caller
// then drops the list's reference.
template <typename T>
bool TakeOut(std::vector<T*>& list, T* item) {
  auto it = std::find(list.begin(), list.end(), item);
  if (!item || it == list.end()) return false;
  list.erase(it);
  return true;
}
}  // namespace

RMObject::RMObject() { ++g_liveObjects; }
RMObject::~RMObject() { --g_liveObjects; }

uint32_t RMObject::Release() {
  const uint32_t left = --refs_;
  if (left == 0) delete this;
  return left;
}

int RMLiveObjectCount() { return g_liveObjects.load(); }

RMFrame* RMFrame::Create(RMFrame* parent) {
  RMFrame* frame = new RMFrame();
  if (parent) parent->AddChild(frame);
  return frame;
}

RMFrame::~RMFrame() {
  for (RMFrame* child : children_) {
    child->parent_ = nullptr;
    child->Release();
  }
  for (RMVisual* visual : visuals_) visual->Release();
}

bool RMFrame::IsAncestorOf(const RMFrame* frame) const {
  for (const RMFrame* f = frame; f; f = f->parent_)
    if (f == this) return true;
  return false;
}

int RMFrame::AddChild(RMFrame* child) {
  if (!child) return kRMBadArgument;
  if (child->IsAncestorOf(this)) return kRMFailed;  // itself or one of its ancestors
  if (child->parent_ == this) return kRMOk;
  child->AddRef();
  if (child->parent_) child->parent_->DeleteChild(child);
  child->parent_ = this;
  children_.push_back(child);
  return kRMOk;
}

int RMFrame::DeleteChild(RMFrame* child) {
  if (!TakeOut(children_, child)) return kRMNotFound;
  child->parent_ = nullptr;
  child->Release();
  return kRMOk;
}

RMFrame* RMFrame::GetChild(int i) const {
  return i >= 0 && i < GetChildCount() ? children_[static_cast<size_t>(i)] : nullptr;
}

int RMFrame::AddVisual(RMVisual* visual) {
  if (!visual) return kRMBadArgument;
  visual->AddRef();
  visuals_.push_back(visual);
  return kRMOk;
}

int RMFrame::DeleteVisual(RMVisual* visual) {
  if (!TakeOut(visuals_, visual)) return kRMNotFound;
  visual->Release();
  return kRMOk;
}

RMVisual* RMFrame::GetVisual(int i) const {
  return i >= 0 && i < GetVisualCount() ? visuals_[static_cast<size_t>(i)] : nullptr;
}

RMMatrix RMFrame::GetWorldTransform() const {
  RMMatrix world = transform_;
  for (const RMFrame* p = parent_; p; p = p->parent_) world = Multiply(world, p->transform_);
  return world;
}

int RMFrame::SetTransform(const RMMatrix& m) {
  if (!m.IsFinite()) return kRMBadArgument;
  transform_ = m;
  return kRMOk;
}

int RMFrame::SetPosition(RMFrame* reference, float x, float y, float z) {
  const RMVector p(x, y, z);
  if (!IsFinite(p)) return kRMBadArgument;
  if (reference == parent_) {  // the usual case, exact
    transform_.SetTranslation(p);
    return kRMOk;
  }
  const RMVector world = reference ? reference->GetWorldTransform().TransformPoint(p) : p;
  RMVector local = world;
  if (parent_) {
    RMMatrix toParent;
    if (!Invert(parent_->GetWorldTransform(), &toParent)) return kRMFailed;
    local = toParent.TransformPoint(world);
  }
  if (!IsFinite(local)) return kRMFailed;
  transform_.SetTranslation(local);
  return kRMOk;
}

int RMFrame::SetOrientation(RMFrame* reference, float dx, float dy, float dz, float ux, float uy,
                            float uz) {
  RMMatrix rotation;
  if (!OrientationFromVectors({dx, dy, dz}, {ux, uy, uz}, &rotation)) return kRMBadArgument;
  if (reference != parent_) {
    // The rotation as the reference sees it, carried into the parent's axes.
    RMMatrix refWorld = reference ? reference->GetWorldTransform() : RMMatrix::Identity();
    refWorld.SetTranslation({0, 0, 0});
    RMMatrix parentWorld = parent_ ? parent_->GetWorldTransform() : RMMatrix::Identity();
    parentWorld.SetTranslation({0, 0, 0});
    RMMatrix toParent;
    if (!Invert(parentWorld, &toParent)) return kRMFailed;
    rotation = Multiply(Multiply(rotation, refWorld), toParent);
    if (!rotation.IsFinite()) return kRMFailed;
  }
  for (int r = 0; r < 3; ++r) transform_.SetRow(r, rotation.Row(r));
  return kRMOk;
}

int RMFrame::GetPosition(RMFrame* reference, RMVector* out) const {
  if (!out) return kRMBadArgument;
  RMVector world = GetWorldTransform().Translation();
  if (reference) {
    RMMatrix fromWorld;
    if (!Invert(reference->GetWorldTransform(), &fromWorld)) return kRMFailed;
    world = fromWorld.TransformPoint(world);
  }
  *out = world;
  return kRMOk;
}

RMFrame* DuplicateFrame(RMFrame* frame) {
  if (!frame) return nullptr;
  RMFrame* copy = RMFrame::Create(nullptr);
  copy->SetTransform(frame->GetTransform());
  copy->SetName(frame->GetName());
  for (int i = 0; i < frame->GetVisualCount(); ++i) copy->AddVisual(frame->GetVisual(i));
  for (int i = 0; i < frame->GetChildCount(); ++i) {
    RMFrame* child = DuplicateFrame(frame->GetChild(i));
    copy->AddChild(child);
    child->Release();  // the copy holds it
  }
  return copy;
}
