#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "base/geometry.h"
#include "base/ptr_list.h"

namespace {

std::vector<intptr_t> Values(const PtrList& l) {
  std::vector<intptr_t> out;
  for (ListPos p = l.GetHeadPosition(); p;) out.push_back(ListValueToInt(PtrList::GetNext(p)));
  std::vector<intptr_t> back;
  for (ListPos p = l.GetTailPosition(); p;) back.insert(back.begin(), ListValueToInt(PtrList::GetPrev(p)));
  EXPECT_EQ(out, back) << "forward and backward walks differ";
  EXPECT_EQ(static_cast<int>(out.size()), l.GetCount());
  return out;
}

TEST(PtrList, HoldsFullPointers) {
  // Values above 32 bits survive: the list holds pointers, not 32-bit words.
  static_assert(sizeof(ListNodeData(nullptr)) == sizeof(void*));
  int a = 1, b = 2;
  PtrList l;
  l.AddTail(&a);
  l.AddTail(&b);
  l.AddTail(ListValueFromInt(static_cast<intptr_t>(0x123456789ALL)));
  EXPECT_EQ(l.GetHead(), &a);
  EXPECT_EQ(ListNodeData(l.GetHeadPosition()->next), &b);
  EXPECT_EQ(ListValueToInt(l.GetTail()), 0x123456789ALL);
  EXPECT_EQ(l.Find(&b), l.GetHeadPosition()->next);
}

TEST(PtrList, InsertRemoveAndFind) {
  PtrList l;
  EXPECT_TRUE(l.IsEmpty());
  EXPECT_EQ(l.RemoveHead(), nullptr);
  EXPECT_EQ(l.RemoveTail(), nullptr);
  ListPos two = l.AddTail(ListValueFromInt(2));
  l.AddHead(ListValueFromInt(1));
  ListPos four = l.AddTail(ListValueFromInt(4));
  l.InsertAfter(two, ListValueFromInt(3));
  l.InsertBefore(l.GetHeadPosition(), ListValueFromInt(0));
  l.InsertAfter(four, ListValueFromInt(5));
  EXPECT_EQ(Values(l), (std::vector<intptr_t>{0, 1, 2, 3, 4, 5}));
  l.RemoveAt(two);
  EXPECT_EQ(Values(l), (std::vector<intptr_t>{0, 1, 3, 4, 5}));
  EXPECT_EQ(ListValueToInt(l.RemoveHead()), 0);
  EXPECT_EQ(ListValueToInt(l.RemoveTail()), 5);
  EXPECT_EQ(Values(l), (std::vector<intptr_t>{1, 3, 4}));
  EXPECT_EQ(l.Find(ListValueFromInt(9)), nullptr);
  ListPos p3 = l.Find(ListValueFromInt(3));
  ASSERT_NE(p3, nullptr);
  EXPECT_EQ(PtrList::GetAt(p3), ListValueFromInt(3));
  EXPECT_EQ(l.Find(ListValueFromInt(3), p3), nullptr);  // search after it
  EXPECT_EQ(l.FindIndex(2), l.GetTailPosition());
  EXPECT_EQ(l.FindIndex(3), nullptr);
  l.RemoveAt(l.GetHeadPosition());
  l.RemoveAt(l.GetTailPosition());
  l.RemoveAt(l.GetHeadPosition());
  EXPECT_TRUE(l.IsEmpty());
  EXPECT_EQ(l.GetHeadPosition(), nullptr);
  EXPECT_EQ(l.GetTailPosition(), nullptr);
  l.AddTail(ListValueFromInt(7));  // usable again after emptying
  EXPECT_EQ(Values(l), (std::vector<intptr_t>{7}));
  l.RemoveAll();
  EXPECT_EQ(l.GetCount(), 0);
}

TEST(PtrList, FindUsesTheCompareFunction) {
  PtrList l([](const void* a, const void* b) {
    return std::strcmp(static_cast<const char*>(a), static_cast<const char*>(b));
  });
  char x[] = "room";
  char y[] = "door";
  l.AddTail(x);
  l.AddTail(y);
  char key[] = "door";
  EXPECT_EQ(l.Find(key), l.GetTailPosition());
  auto* heap = new PtrList;
  heap->AddTail(x);
  PtrListDelete(heap);
  PtrListDelete(nullptr);
}

TEST(Geometry, QuarterTurns) {
  struct Case {
    int n;
    Point2f want;
  } cases[] = {{0, {3, 5}}, {1, {-5, 3}}, {2, {-3, -5}}, {3, {5, -3}},
               {4, {3, 5}}, {-1, {5, -3}}, {7, {5, -3}}};
  for (const Case& c : cases) {
    Point2f p(3, 5);
    p.RotateQuarterTurns(c.n);
    EXPECT_EQ(p, c.want) << c.n;
  }
  // A piece's shape rectangle turned: the corners sorted back.
  Rect4f r(-32, 0, 32, 128);
  r.RotateQuarterTurns(1);
  EXPECT_EQ(r, Rect4f(-128, -32, 0, 32));
  r = Rect4f(-128, 0, 32, 160);
  r.RotateQuarterTurns(2);
  EXPECT_EQ(r, Rect4f(-32, -160, 128, 0));
  r += Point2f(64, 320);
  EXPECT_EQ(r, Rect4f(32, 160, 192, 320));
  Point2f q(1, 2);
  q += Point2f(1, 1);
  q -= Point2f(0, 3);
  EXPECT_EQ(q, Point2f(2, 0));
  Point2f copy(&q);
  EXPECT_EQ(copy, q);
}

TEST(Geometry, ContainsTakesLeftAndTopEdgesOnly) {
  Rect4f r(-32, 0, 32, 128);
  EXPECT_FALSE(r.Contains({32, 50}));
  EXPECT_TRUE(r.Contains({-32, 0}));
  EXPECT_FALSE(r.Contains({0, 128}));
  // Neighbouring footprints: a shared edge belongs to exactly one of them.
  Rect4f row0(64, 320, 128, 448), row1(64, 448, 128, 576);
  EXPECT_FALSE(row0.Contains({96, 448}));
  EXPECT_TRUE(row1.Contains({96, 448}));
  EXPECT_TRUE(row0.Contains({96, 320}));
}

TEST(Geometry, IntersectAndOverlap) {
  struct Case {
    Rect4f a, b, want;
  } cases[] = {
      {{0, 0, 10, 10}, {5, 5, 15, 15}, {5, 5, 10, 10}},
      {{0, 0, 10, 10}, {2, 2, 4, 4}, {2, 2, 4, 4}},
      {{0, 0, 10, 10}, {20, 0, 30, 10}, {0, 0, 0, 0}},
      {{0, 0, 10, 10}, {10, 0, 20, 10}, {0, 0, 0, 0}},  // only an edge in common
      {{-5, -5, -1, -1}, {-3, -3, 3, 3}, {-3, -3, -1, -1}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.a.Intersect(c.b), c.want);
    EXPECT_EQ(c.b.Intersect(c.a), c.want);
    EXPECT_EQ(RectsOverlap(c.a, c.b), !c.want.IsZero());
  }
}

TEST(Geometry, DistancesAndRoots) {
  EXPECT_EQ(DistanceSquared({1, 2}, {4, 6}), 25.0f);
  EXPECT_EQ(SqrtF(25.0f), 5.0f);
  EXPECT_EQ(SqrtF(-4.0f), 0.0f);
}

TEST(Geometry, SegmentsCrossOrTouch) {
  struct Case {
    const char* what;
    Point2f p1, p2, p3, p4;
    bool want;
  } cases[] = {
      {"cross", {0, 0}, {4, 4}, {0, 4}, {4, 0}, true},
      {"apart", {0, 0}, {1, 1}, {3, 0}, {4, -1}, false},
      {"end on the other", {0, 0}, {2, 2}, {2, 2}, {4, 0}, true},
      {"end on the other's middle", {0, 0}, {4, 0}, {2, 0}, {2, 5}, true},
      {"would cross if longer", {0, 0}, {1, 1}, {0, 4}, {1, 3}, false},
      {"parallel", {0, 0}, {4, 0}, {0, 1}, {4, 1}, false},
      {"collinear overlapping", {0, 0}, {4, 0}, {2, 0}, {6, 0}, true},
      {"collinear apart", {0, 0}, {1, 0}, {2, 0}, {3, 0}, false},
      {"huge coordinates", {-3e20f, -3e20f}, {3e20f, 3e20f}, {-3e20f, 3e20f}, {3e20f, -3e20f}, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SegmentsIntersect(c.p1, c.p2, c.p3, c.p4), c.want) << c.what;
    EXPECT_EQ(SegmentsIntersect(c.p3, c.p4, c.p1, c.p2), c.want) << c.what << " swapped";
  }
}

TEST(Geometry, LineIntersection) {
  Point2f out;
  EXPECT_TRUE(LineIntersection({0, 0}, {4, 4}, {0, 4}, {4, 0}, &out));
  EXPECT_EQ(out, Point2f(2, 2));
  EXPECT_TRUE(LineIntersection({0, 1}, {10, 1}, {3, -5}, {3, 5}, &out));
  EXPECT_EQ(out, Point2f(3, 1));
  EXPECT_FALSE(LineIntersection({0, 0}, {4, 0}, {0, 1}, {4, 1}, &out));  // parallel
  EXPECT_EQ(out, Point2f(0, 0));
}

}  // namespace
