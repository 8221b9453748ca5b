#include "base/string_table.h"

#include <cstring>

#include "base/string.h"

extern const unsigned char kStringTableText[];
extern const size_t kStringTableSize;

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool Unescape(const std::string& in, std::string* out) {
  out->clear();
  for (size_t i = 0; i < in.size(); ++i) {
    char c = in[i];
    if (c != '\\') {
      *out += c;
      continue;
    }
    if (++i >= in.size()) return false;
    switch (in[i]) {
      case 'n': *out += '\n'; break;
      case 't': *out += '\t'; break;
      case 'r': *out += '\r'; break;
      case '\\': *out += '\\'; break;
      case '"': *out += '"'; break;
      case '\'': *out += '\''; break;
      case 'x': {
        int h = i + 1 < in.size() ? HexValue(in[i + 1]) : -1;
        int l = i + 2 < in.size() ? HexValue(in[i + 2]) : -1;
        if (h < 0 || l < 0 || (h == 0 && l == 0)) return false;
        *out += static_cast<char>(h * 16 + l);
        i += 2;
        break;
      }
      default: return false;
    }
  }
  return true;
}

}  // namespace

StringTable ParseStringTable(const char* text, size_t size, std::string* errors) {
  StringTable table;
  size_t pos = 0;
  int lineNo = 0;
  auto report = [&](const char* what) {
    if (errors) *errors += "line " + std::to_string(lineNo) + ": " + what + "\n";
  };
  while (pos < size) {
    ++lineNo;
    const char* start = text + pos;
    const char* nl = static_cast<const char*>(std::memchr(start, '\n', size - pos));
    size_t len = nl ? static_cast<size_t>(nl - start) : size - pos;
    pos += len + 1;
    std::string line(start, len);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    size_t tab = line.find('\t');
    if (tab == std::string::npos || tab == 0) {
      report("no id and tab");
      continue;
    }
    unsigned id = 0;
    bool ok = tab <= 6;
    for (size_t i = 0; ok && i < tab; ++i) {
      if (line[i] < '0' || line[i] > '9') ok = false;
      else id = id * 10 + static_cast<unsigned>(line[i] - '0');
    }
    std::string value;
    if (!ok) {
      report("bad id");
      continue;
    }
    if (!Unescape(line.substr(tab + 1), &value)) {
      report("bad escape");
      continue;
    }
    if (!table.emplace(id, value).second) report("repeated id");
  }
  return table;
}

const StringTable& ProgramStringTable() {
  // Never destroyed: texts may still be asked for while the program exits.
  static const StringTable* table = new StringTable(
      ParseStringTable(reinterpret_cast<const char*>(kStringTableText), kStringTableSize, nullptr));
  return *table;
}

const char* GetStringText(unsigned id) {
  const StringTable& t = ProgramStringTable();
  auto it = t.find(id);
  return it == t.end() ? nullptr : it->second.c_str();
}

std::string GetStringTextOr(unsigned id, const char* fallback) {
  const char* t = GetStringText(id);
  return (t && *t) ? t : (fallback ? fallback : "");
}

int LoadStringText(unsigned id, char* buf, int bufSize) {
  if (!buf || bufSize <= 0) return 0;
  buf[0] = '\0';
  const char* text = GetStringText(id);
  if (!text || bufSize < 2) return 0;
  size_t n = std::strlen(text);
  if (n > static_cast<size_t>(bufSize - 1)) n = static_cast<size_t>(bufSize - 1);
  std::memcpy(buf, text, n);
  buf[n] = '\0';
  return static_cast<int>(n);
}
