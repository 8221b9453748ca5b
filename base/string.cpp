#include "base/string.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

// realloc that never returns null: running out of memory for a text is not
// something the game can carry on from.
char* Realloc(char* p, size_t n) {
  char* q = static_cast<char*>(std::realloc(p, n));
  if (!q) throw std::bad_alloc();
  return q;
}

// White space of the "C" locale, whatever byte comes in (texts hold bytes
// above 0x7F, on which the C library's isspace is undefined).
bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Upper case of a code page 1252 byte.
unsigned char UpperByte(unsigned char c) {
  if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 0x20);
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<unsigned char>(c - 0x20);
  switch (c) {
    case 0x9A: return 0x8A;  // s caron
    case 0x9C: return 0x8C;  // oe
    case 0x9E: return 0x8E;  // z caron
    case 0xFF: return 0x9F;  // y diaeresis
    default: return c;
  }
}

int IndexOf(const char* base, const char* hit) {
  return hit ? static_cast<int>(hit - base) : -1;
}

}  // namespace

String::String() : buffer_(static_cast<char*>(std::calloc(16, 1))), capacity_(16), length_(0), lock_(0) {
  if (!buffer_) throw std::bad_alloc();
}

String::String(const char* text) : String() { *this = text; }

String::String(const String& other) : String() { *this = other.buffer_; }

String::String(char c, int count) : String() {
  if (count < 0) count = 0;
  Reserve(count);
  std::memset(buffer_, c, static_cast<size_t>(count));
  buffer_[count] = '\0';
  length_ = count;
}

String::~String() { std::free(buffer_); }

String& String::operator=(const char* text) {
  if (!text) text = "";
  if (text == buffer_) return *this;
  size_t n = std::strlen(text);
  // The text may point into our own block, which Reserve can move.
  if (text >= buffer_ && text < buffer_ + capacity_) {
    std::memmove(buffer_, text, n + 1);
    length_ = static_cast<int32_t>(n);
    return *this;
  }
  Reserve(static_cast<int>(n));
  std::memcpy(buffer_, text, n + 1);
  length_ = static_cast<int32_t>(n);
  return *this;
}

String& String::operator=(char c) {
  Reserve(1);
  buffer_[0] = c;
  buffer_[1] = '\0';
  length_ = 1;
  return *this;
}

String& String::operator=(const String& other) {
  if (this != &other) *this = other.buffer_;
  return *this;
}

String& String::Assign(const String& other) { return *this = other; }

String& String::operator+=(const char* text) {
  if (!text) return *this;
  size_t n = std::strlen(text);
  if (n == 0) return *this;
  // Appending (part of) ourselves: copy first, Reserve may move the block.
  if (text >= buffer_ && text < buffer_ + capacity_) {
    String copy(text);
    return *this += copy.buffer_;
  }
  Reserve(length_ + static_cast<int>(n));
  std::memcpy(buffer_ + length_, text, n + 1);
  length_ += static_cast<int32_t>(n);
  return *this;
}

String& String::operator+=(const String& other) { return *this += other.buffer_; }

String& String::operator+=(char c) {
  AppendChar(c);
  return *this;
}

String& String::Append(const String& other) { return *this += other.buffer_; }

void String::AppendChar(char c) {
  Reserve(length_ + 1);
  buffer_[length_] = c;
  ++length_;
  buffer_[length_] = '\0';
}

String String::Mid(int start, int count) const {
  if (start < 0) start = 0;
  if (count < 0) count = 0;
  if (start > length_) {
    count = 0;
    start = length_;
  } else if (count > length_ - start) {
    count = length_ - start;
  }
  String out;
  out.Reserve(count);
  std::memcpy(out.buffer_, buffer_ + start, static_cast<size_t>(count));
  out.buffer_[count] = '\0';
  out.length_ = count;
  return out;
}

String String::Left(int count) const { return Mid(0, count); }

void String::TrimRight() {
  int end = length_;
  while (end > 0 && IsSpace(buffer_[end - 1])) --end;
  buffer_[end] = '\0';
  length_ = end;
}

void String::TrimLeft() {
  int skip = 0;
  while (skip < length_ && IsSpace(buffer_[skip])) ++skip;
  if (skip == 0) return;
  std::memmove(buffer_, buffer_ + skip, static_cast<size_t>(length_ - skip + 1));
  length_ -= skip;
}

int String::Find(char c) const {
  if (c == '\0') return -1;
  return IndexOf(buffer_, std::strchr(buffer_, c));
}

int String::ReverseFind(char c) const {
  if (c == '\0') return -1;
  return IndexOf(buffer_, std::strrchr(buffer_, c));
}

int String::Find(const char* text) const {
  if (!text) return -1;
  return IndexOf(buffer_, std::strstr(buffer_, text));
}

int String::FindOneOf(const char* set) const {
  if (!set) return -1;
  return IndexOf(buffer_, std::strpbrk(buffer_, set));
}

int String::Compare(const char* text) const { return std::strcmp(buffer_, text ? text : ""); }

bool String::Equals(const String& other) const { return Compare(other.buffer_) == 0; }

void String::MakeUpper() {
  for (int i = 0; i < length_; ++i)
    buffer_[i] = static_cast<char>(UpperByte(static_cast<unsigned char>(buffer_[i])));
}

char String::CharAt(int index) const {
  if (index < 0 || index > length_) return '\0';
  return buffer_[index];
}

void String::SetAt(int index, char c) {
  if (index < 0 || index >= length_) return;
  buffer_[index] = c;
}

void String::Reserve(int n) {
  if (n < 0) n = 0;
  if (capacity_ >= n + 1) return;
  buffer_ = Realloc(buffer_, static_cast<size_t>(n) + 1);
  capacity_ = n + 1;
}

char* String::GetBuffer(int n) {
  Reserve(n);
  lock_ = -1;
  return buffer_;
}

void String::ReleaseBuffer() {
  lock_ = 0;
  // The writer may have left no zero: the last byte of the block is ours.
  buffer_[capacity_ - 1] = '\0';
  length_ = static_cast<int32_t>(std::strlen(buffer_));
  FreeExtra();
}

void String::FreeExtra() {
  buffer_ = Realloc(buffer_, static_cast<size_t>(length_) + 1);
  capacity_ = length_ + 1;
  lock_ = 0;
}

bool String::LoadString(unsigned id) {
  char* buf = GetBuffer(255);
  int n = LoadStringText(id, buf, 255);
  if (n == 0) buf[0] = '\0';
  ReleaseBuffer();
  return length_ != 0;
}

String StringConcat(const String& a, const char* b) {
  String out(a);
  out += b;
  return out;
}

String StringConcat2(const String& a, const String& b) {
  String out(a);
  out += b;
  return out;
}

String StringConcatCStr(const char* a, const String& b) {
  String out(a);
  out += b;
  return out;
}

String StringConcatChar(const String& a, char c) {
  String out(a);
  out.AppendChar(c);
  return out;
}

String IntToString(int32_t n) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%i", static_cast<int>(n));
  return String(buf);
}

String StringConcatInt(uint32_t n) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%u", static_cast<unsigned>(n));
  return String(buf);
}
