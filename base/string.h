#pragma once
// String: the game's one growable single-byte text. Every String owns its own
// heap block (no sharing); the block grows to exactly the size asked for and
// only shrinks through FreeExtra / ReleaseBuffer. Texts shown to the player
// come from the program's string table through LoadString.
#include <cstdint>
#include <string>

class String {
 public:
  String();                        // empty text in a fresh zero-filled 16-byte block
  String(const char* text);        // NOLINT: implicit, texts convert freely
  String(const String& other);
  String(char c, int count);       // count copies of c
  ~String();

  String& operator=(const char* text);  // null assigns ""
  String& operator=(char c);
  String& operator=(const String& other);
  String& Assign(const String& other);

  String& operator+=(const char* text);  // null appends nothing
  String& operator+=(const String& other);
  String& operator+=(char c);
  String& Append(const String& other);
  void AppendChar(char c);

  // Negative start or count count as 0; the range is clipped to the text.
  String Mid(int start, int count) const;
  String Left(int count) const;
  void TrimRight();
  void TrimLeft();

  // Index of the first / last match, -1 when there is none.
  int Find(char c) const;
  int ReverseFind(char c) const;
  int Find(const char* text) const;
  int FindOneOf(const char* set) const;

  // Byte-wise, case-sensitive comparison (<0, 0, >0).
  int Compare(const char* text) const;
  bool operator==(const char* text) const { return Compare(text) == 0; }
  bool operator!=(const char* text) const { return Compare(text) != 0; }
  bool operator==(const String& other) const { return Equals(other); }
  bool operator!=(const String& other) const { return !Equals(other); }
  bool Equals(const String& other) const;

  // Upper case by a fixed Western (code page 1252) table, independent of the
  // C library's locale, so that every machine upper-cases typed text alike.
  void MakeUpper();

  int GetLength() const { return length_; }
  int GetCapacity() const { return capacity_; }
  int GetLock() const { return lock_; }
  const char* c_str() const { return buffer_; }
  operator const char*() const { return buffer_; }  // NOLINT: used as a plain text

  // Checked: reads outside 0..length give 0; writes outside 0..length-1 are
  // ignored, so the terminating zero always stands.
  char CharAt(int index) const;
  void SetAt(int index, char c);

  // Makes room for n characters plus the zero (exactly n + 1 bytes when growing).
  void Reserve(int n);
  // Direct writing: reserves n, locks and returns the buffer; ReleaseBuffer
  // takes the text's length from its zero and shrinks the block to fit.
  char* GetBuffer(int n);
  void ReleaseBuffer();
  void FreeExtra();

  // Loads a text of the program's string table. Returns true when the text is
  // not empty; an unknown id leaves the empty string. The module argument is
  // accepted for the callers' sake and ignored (there is one table).
  bool LoadString(unsigned id);
  bool LoadString(const void* /*module*/, unsigned id) { return LoadString(id); }

 private:
  char* buffer_;
  int32_t capacity_;
  int32_t length_;
  int32_t lock_;
};

String StringConcat(const String& a, const char* b);
String StringConcat2(const String& a, const String& b);
String StringConcatCStr(const char* a, const String& b);
String StringConcatChar(const String& a, char c);
// n as "%i".
String IntToString(int32_t n);
// n as "%u" (a conversion, nothing is concatenated).
String StringConcatInt(uint32_t n);

inline String operator+(const String& a, const char* b) { return StringConcat(a, b); }
inline String operator+(const String& a, const String& b) { return StringConcat2(a, b); }
inline String operator+(const char* a, const String& b) { return StringConcatCStr(a, b); }
inline String operator+(const String& a, char c) { return StringConcatChar(a, c); }

// The string table itself. LoadStringText copies at most bufSize - 1
// characters and a zero into buf and returns the count copied (0 for an
// unknown id or a buffer of fewer than 2 bytes). GetStringText returns the
// whole text or null.
int LoadStringText(unsigned id, char* buf, int bufSize);
const char* GetStringText(unsigned id);
// The text of `id`, or `fallback` when the table has none (or an empty one).
std::string GetStringTextOr(unsigned id, const char* fallback);
