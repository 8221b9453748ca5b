#include "base/number_lines.h"

namespace {

bool IsBlank(uint8_t c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

}  // namespace

bool ParseNumberLine(const uint8_t* p, size_t n, bool restOfLineIgnored, int32_t* value) {
  size_t i = 0;
  while (i < n && IsBlank(p[i])) ++i;
  if (i == n) {
    *value = 0;
    return true;
  }
  bool negative = false;
  if (p[i] == '+' || p[i] == '-') negative = p[i++] == '-';
  int64_t v = 0;
  size_t digits = 0;
  while (i < n && p[i] >= '0' && p[i] <= '9') {
    if (++digits > 9) return false;
    v = v * 10 + (p[i++] - '0');
  }
  if (digits == 0) return false;
  if (!restOfLineIgnored) {
    while (i < n && IsBlank(p[i])) ++i;
    if (i != n) return false;
  }
  *value = static_cast<int32_t>(negative ? -v : v);
  return true;
}

int ReadNumberLines(const uint8_t* data, size_t size, int32_t* values, int most, const NumberLineRules& rules,
                    NumberLinesError* error, int* badLine) {
  *error = NumberLinesError::kNone;
  *badLine = 0;
  int count = 0;
  size_t start = 0;
  while (start < size && (count < most || rules.onlyBlankLinesAfter)) {
    size_t end = start;
    while (end < size && data[end] != '\n') ++end;
    if (count == most) {
      for (size_t i = start; i < end; ++i)
        if (!IsBlank(data[i])) {
          *error = NumberLinesError::kTextAfterLast;
          *badLine = count + 1;
          return count;
        }
    } else if (!ParseNumberLine(data + start, end - start, rules.restOfLineIgnored, &values[count])) {
      *error = NumberLinesError::kNotNumber;
      *badLine = count + 1;
      return count;
    } else {
      ++count;
    }
    start = end + 1;
  }
  return count;
}

int ReadLeadingNumberLines(const uint8_t* data, size_t size, int32_t* values, int most, size_t lineChars) {
  int count = 0;
  size_t start = 0;
  while (start < size && count < most) {
    size_t end = start;
    while (end < size && data[end] != '\n') ++end;
    size_t n = end - start;
    if (n > 0 && data[start + n - 1] == '\r') --n;
    n = n < lineChars ? n : lineChars;
    const uint8_t* p = data + start;
    size_t i = 0;
    while (i < n && (IsBlank(p[i]) || p[i] == '\n')) ++i;
    bool negative = false;
    if (i < n && (p[i] == '+' || p[i] == '-')) negative = p[i++] == '-';
    // Digits past the ninth are not read: no value overflows.
    int64_t v = 0;
    for (int digits = 0; i < n && p[i] >= '0' && p[i] <= '9' && digits < 9; ++digits) v = v * 10 + (p[i++] - '0');
    values[count++] = static_cast<int32_t>(negative ? -v : v);
    start = end + 1;
  }
  return count;
}
