#include "base/ptr_list.h"

PtrList::~PtrList() { RemoveAll(); }

void* PtrList::GetHead() const { return head_ ? head_->data : nullptr; }
void* PtrList::GetTail() const { return tail_ ? tail_->data : nullptr; }

ListPos PtrList::AddHead(void* value) { return InsertBefore(head_, value); }
ListPos PtrList::AddTail(void* value) { return InsertAfter(tail_, value); }

ListPos PtrList::InsertBefore(ListPos pos, void* value) {
  if (!pos) pos = head_;
  ListNode* n = new ListNode{pos, pos ? pos->prev : nullptr, value};
  if (!pos) {  // empty list
    head_ = tail_ = n;
  } else {
    if (pos->prev) pos->prev->next = n;
    else head_ = n;
    pos->prev = n;
  }
  ++count_;
  return n;
}

ListPos PtrList::InsertAfter(ListPos pos, void* value) {
  if (!pos) pos = tail_;
  ListNode* n = new ListNode{pos ? pos->next : nullptr, pos, value};
  if (!pos) {
    head_ = tail_ = n;
  } else {
    if (pos->next) pos->next->prev = n;
    else tail_ = n;
    pos->next = n;
  }
  ++count_;
  return n;
}

void* PtrList::RemoveHead() {
  if (!head_) return nullptr;
  void* v = head_->data;
  RemoveAt(head_);
  return v;
}

void* PtrList::RemoveTail() {
  if (!tail_) return nullptr;
  void* v = tail_->data;
  RemoveAt(tail_);
  return v;
}

void PtrList::RemoveAt(ListPos pos) {
  if (!pos) return;
  if (pos->prev) pos->prev->next = pos->next;
  else head_ = pos->next;
  if (pos->next) pos->next->prev = pos->prev;
  else tail_ = pos->prev;
  delete pos;
  --count_;
}

void PtrList::RemoveAll() {
  ListNode* n = head_;
  while (n) {
    ListNode* next = n->next;
    delete n;
    n = next;
  }
  head_ = tail_ = nullptr;
  count_ = 0;
}

void* PtrList::GetNext(ListPos& pos) {
  ListNode* n = pos;
  pos = n->next;
  return n->data;
}

void* PtrList::GetPrev(ListPos& pos) {
  ListNode* n = pos;
  pos = n->prev;
  return n->data;
}

ListPos PtrList::Find(const void* value, ListPos startAfter) const {
  for (ListNode* n = startAfter ? startAfter->next : head_; n; n = n->next) {
    bool equal = compare_ ? compare_(n->data, value) == 0 : n->data == value;
    if (equal) return n;
  }
  return nullptr;
}

ListPos PtrList::FindIndex(int index) const {
  if (index < 0 || index >= count_) return nullptr;
  ListNode* n = head_;
  while (index-- > 0) n = n->next;
  return n;
}

void PtrListDelete(PtrList* list) { delete list; }
