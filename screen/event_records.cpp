#include "screen/event_records.h"

#include <cstdio>
#include <cstring>

#include "base/registry.h"

namespace {

enum class Unit { Hundredths, Seconds, Points };

Unit UnitOf(int n) {
  switch (n) {
    case 1:
    case 4:
      return Unit::Hundredths;
    case 2:
    case 3:
    case 5:
    case 10:
      return Unit::Seconds;
    default:
      return Unit::Points;
  }
}

}  // namespace

const char* FormatEventResult(int n, int value, char* buf, int bufSize) {
  if (!buf || bufSize <= 0) return "";
  switch (UnitOf(n)) {
    case Unit::Hundredths: {
      long long v = value;
      const char* sign = v < 0 ? "-" : "";
      if (v < 0) v = -v;
      std::snprintf(buf, bufSize, "%s%lld.%02lld m", sign, v / 100, v % 100);
      break;
    }
    case Unit::Seconds: {
      long long v = value < 0 ? 0 : value;
      std::snprintf(buf, bufSize, "%lld : %s%lld", v / 60, v % 60 < 10 ? "0" : "", v % 60);
      break;
    }
    case Unit::Points:
      std::snprintf(buf, bufSize, "%d POINTS", value);
      break;
  }
  return buf;
}

const char* GetEventRecordText(int n) {
  static char text[48];
  char name[16];
  std::snprintf(name, sizeof name, "Rec%d", n);
  // A missing value is no record at all: reading it as 0 would show a
  // record nobody set and, for the timed events, one nobody could beat. It
  // says so in a word: a lone dash in the small fonts is a speck.
  if (n < 1 || n > 10 || !RegHasValue(kRegHallOfFame, name)) {
    std::snprintf(text, sizeof text, "%s", kNoRecordText);
    return text;
  }
  return FormatEventResult(n, RegReadInt(kRegHallOfFame, name, 0), text, sizeof text);
}

const char* GetEventRecordHolder(int n) {
  static char holder[16];
  holder[0] = 0;
  if (n < 1 || n > 10) return holder;
  char name[24];
  std::snprintf(name, sizeof name, "REC%dNAME", n);
  if (!RegReadString(kRegHallOfFame, name, holder, sizeof holder)) holder[0] = 0;
  return holder;
}
