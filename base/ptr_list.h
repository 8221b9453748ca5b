#pragma once
// PtrList: doubly linked list of pointer-sized values (pointers to rooms,
// actors, or small integers stored through ListValueFromInt). Positions are
// node pointers: null means "none" and ends an iteration.
#include <cstdint>

struct ListNode {
  ListNode* next;
  ListNode* prev;
  void* data;
};
using ListPos = ListNode*;

class PtrList {
 public:
  // Optional value comparison for Find: returns 0 when the two are equal.
  using CompareFn = int (*)(const void* a, const void* b);

  PtrList() = default;
  explicit PtrList(CompareFn compare) : compare_(compare) {}
  ~PtrList();
  PtrList(const PtrList&) = delete;
  PtrList& operator=(const PtrList&) = delete;

  int GetCount() const { return count_; }
  bool IsEmpty() const { return count_ == 0; }

  // Head / tail values; null on an empty list.
  void* GetHead() const;
  void* GetTail() const;

  ListPos AddHead(void* value);
  ListPos AddTail(void* value);
  // Both return the removed value, null on an empty list.
  void* RemoveHead();
  void* RemoveTail();
  // Removes the node at pos (null is ignored).
  void RemoveAt(ListPos pos);
  void RemoveAll();

  // A null position inserts at the head (InsertBefore) or tail (InsertAfter).
  ListPos InsertBefore(ListPos pos, void* value);
  ListPos InsertAfter(ListPos pos, void* value);

  ListPos GetHeadPosition() const { return head_; }
  ListPos GetTailPosition() const { return tail_; }
  // Return the value at pos and step pos to the next / previous node (null at
  // the end). pos must not be null.
  static void* GetNext(ListPos& pos);
  static void* GetPrev(ListPos& pos);
  static void* GetAt(ListPos pos) { return pos ? pos->data : nullptr; }
  static void SetAt(ListPos pos, void* value) {
    if (pos) pos->data = value;
  }

  // First node holding value, searching after startAfter (from the head when
  // null). Uses the compare function when one was given, else identity.
  ListPos Find(const void* value, ListPos startAfter = nullptr) const;
  // Node at a zero-based index, null when out of range.
  ListPos FindIndex(int index) const;

  void SetCompare(CompareFn compare) { compare_ = compare; }

 private:
  ListNode* head_ = nullptr;
  ListNode* tail_ = nullptr;
  int count_ = 0;
  CompareFn compare_ = nullptr;
};

// Deletes a list made with new (null is ignored).
void PtrListDelete(PtrList* list);
// The value field of a node (null position gives null).
inline void* ListNodeData(ListPos pos) { return pos ? pos->data : nullptr; }

// Small integers travel through the list as pointer-sized values.
inline void* ListValueFromInt(intptr_t v) { return reinterpret_cast<void*>(v); }
inline intptr_t ListValueToInt(const void* p) { return reinterpret_cast<intptr_t>(p); }
