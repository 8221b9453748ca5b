#include "base/registry.h"

#include <pwd.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <utility>
#include <vector>

#include "base/atomic_file.h"
#include "base/paths.h"

namespace {

// A settings file is a few kilobytes; anything far beyond that is not ours.
constexpr size_t kMaxFileSize = 1 << 20;
constexpr size_t kMaxValueLength = 4096;

struct Section {
  std::string name;
  std::vector<std::pair<std::string, std::string>> values;
};
using Store = std::vector<Section>;

std::mutex g_mutex;
std::string g_overridePath;

bool SameName(const std::string& a, const char* b) { return ::strcasecmp(a.c_str(), b) == 0; }

std::string Trim(const std::string& s) {
  size_t b = 0;
  size_t e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return s.substr(b, e - b);
}

bool HasControl(const std::string& s) {
  for (unsigned char c : s)
    if (c < 0x20 && c != '\t') return true;
  return false;
}

// Names are written bare, so they must read back as themselves.
bool ValidName(const char* name) {
  if (!name || !*name) return false;
  std::string s(name);
  if (s.size() > 256 || HasControl(s) || Trim(s) != s) return false;
  return s.find_first_of("=[]\t;#") == std::string::npos;
}

bool NeedsQuotes(const std::string& v) {
  if (v.empty()) return false;
  if (v[0] == '"' || v[0] == ' ' || v[0] == '\t' || v.back() == ' ' || v.back() == '\t') return true;
  for (unsigned char c : v)
    if (c < 0x20 || c == 0x7F) return true;
  return false;
}

std::string Quote(const std::string& v) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out = "\"";
  for (unsigned char c : v) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20 || c == 0x7F) {
          out += "\\x";
          out += kHex[c >> 4];
          out += kHex[c & 15];
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string Unquote(const std::string& q) {
  std::string out;
  for (size_t i = 1; i + 1 < q.size(); ++i) {
    char c = q[i];
    if (c != '\\' || i + 2 >= q.size()) {
      out += c;
      continue;
    }
    char e = q[++i];
    switch (e) {
      case 'n': out += '\n'; break;
      case 'r': out += '\r'; break;
      case 't': out += '\t'; break;
      case 'x': {
        int h = i + 2 < q.size() - 1 ? HexDigit(q[i + 1]) : -1;
        int l = h >= 0 ? HexDigit(q[i + 2]) : -1;
        if (h >= 0 && l >= 0) {
          out += static_cast<char>(h * 16 + l);
          i += 2;
        } else {
          out += 'x';
        }
        break;
      }
      default: out += e; break;  // \\ and \" and anything unknown
    }
  }
  return out;
}

std::string DefaultPath() {
  std::string dir;
  if (const char* d = std::getenv("KELVANTHROP_CONFIG_DIR"); d && *d) {
    dir = d;
  } else if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && *x) {
    dir = std::string(x) + "/kelvanthrop";
  } else {
    const char* home = std::getenv("HOME");
    if (!home || !*home) {
      const passwd* pw = ::getpwuid(::getuid());
      home = pw ? pw->pw_dir : ".";
    }
    dir = std::string(home) + "/.config/kelvanthrop";
  }
  return dir + "/settings.ini";
}

std::string PathLocked() { return g_overridePath.empty() ? DefaultPath() : g_overridePath; }

// Reads the store. A missing or damaged file gives what can be understood of
// it: lines that are not a section, a "name=value" inside a section, a
// comment or blank are skipped. *unreadable is set when a file is there but
// could not be read (too large, no permission, a read error).
Store Load(const std::string& path, bool* unreadable = nullptr) {
  Store store;
  std::string text;
  if (unreadable) *unreadable = false;
  if (!ReadWholeFile(path, &text, kMaxFileSize)) {
    struct stat st;
    if (unreadable) *unreadable = ::stat(ResolvePath(path).c_str(), &st) == 0 || errno != ENOENT;
    return store;
  }
  Section* current = nullptr;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t eol = text.find('\n', pos);
    if (eol == std::string::npos) eol = text.size();
    std::string line = text.substr(pos, eol - pos);
    pos = eol + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.find('\0') != std::string::npos) continue;
    line = Trim(line);
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    if (line[0] == '[') {
      current = nullptr;
      if (line.back() != ']') continue;
      std::string name = Trim(line.substr(1, line.size() - 2));
      if (!ValidName(name.c_str())) continue;
      for (Section& s : store)
        if (SameName(s.name, name.c_str())) current = &s;
      if (!current) {
        store.push_back(Section{name, {}});
        current = &store.back();
      }
      continue;
    }
    size_t eq = line.find('=');
    if (!current || eq == std::string::npos) continue;
    std::string name = Trim(line.substr(0, eq));
    std::string value = Trim(line.substr(eq + 1));
    if (!ValidName(name.c_str())) continue;
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = Unquote(value);
    if (value.size() > kMaxValueLength) value.resize(kMaxValueLength);
    bool replaced = false;
    for (auto& v : current->values) {
      if (SameName(v.first, name.c_str())) {
        v.second = value;  // a later line wins
        replaced = true;
      }
    }
    if (!replaced) current->values.emplace_back(name, value);
  }
  return store;
}

std::string Serialise(const Store& store) {
  std::string out = "; Kelvanthrop settings, written by the game.\n";
  for (const Section& s : store) {
    out += "\n[" + s.name + "]\n";
    for (const auto& v : s.values)
      out += v.first + "=" + (NeedsQuotes(v.second) ? Quote(v.second) : v.second) + "\n";
  }
  return out;
}

// The directory the store lives in.
bool MakeDirs(const std::string& filePath) {
  size_t slash = filePath.rfind('/');
  if (slash == std::string::npos || slash == 0) return true;
  return MakeDirectories(filePath.substr(0, slash));
}

const std::string* FindValue(const Store& store, const char* key, const char* name) {
  for (const Section& s : store) {
    if (!SameName(s.name, key)) continue;
    for (const auto& v : s.values)
      if (SameName(v.first, name)) return &v.second;
  }
  return nullptr;
}

// Sets the values in the store and saves it, in one atomic file write, only
// when one of them changed.
bool Write(const char* key, const std::vector<RegValue>& values) {
  if (!ValidName(key)) return false;
  for (const RegValue& v : values)
    if (!ValidName(v.name.c_str()) || v.value.size() > kMaxValueLength) return false;
  std::lock_guard<std::mutex> lock(g_mutex);
  std::string path = PathLocked();
  bool unreadable = false;
  Store store = Load(path, &unreadable);
  // Rewriting a store that is there but could not be read would replace
  // every setting in it with these values.
  if (unreadable) return false;
  Section* section = nullptr;
  for (Section& s : store)
    if (SameName(s.name, key)) section = &s;
  if (!section) {
    store.push_back(Section{key, {}});
    section = &store.back();
  }
  bool changed = false;
  for (const RegValue& nv : values) {
    bool found = false;
    for (auto& v : section->values) {
      if (!SameName(v.first, nv.name.c_str())) continue;
      if (v.second != nv.value) {
        v.second = nv.value;
        changed = true;
      }
      found = true;
    }
    if (!found) {
      section->values.emplace_back(nv.name, nv.value);
      changed = true;
    }
  }
  if (!changed) return true;
  std::string text = Serialise(store);
  return MakeDirs(path) && WriteFileAtomic(path, text.data(), text.size());
}

bool Read(const char* key, const char* name, std::string* out) {
  if (!key || !name) return false;
  std::lock_guard<std::mutex> lock(g_mutex);
  Store store = Load(PathLocked());
  const std::string* v = FindValue(store, key, name);
  if (!v) return false;
  *out = *v;
  return true;
}

}  // namespace

bool RegReadString(const char* key, const char* name, char* buf, size_t bufSize) {
  if (buf && bufSize > 0) buf[0] = '\0';
  std::string value;
  if (!Read(key, name, &value)) return false;
  if (!buf || bufSize == 0) return true;
  size_t n = value.size() < bufSize - 1 ? value.size() : bufSize - 1;
  std::memcpy(buf, value.data(), n);
  buf[n] = '\0';
  return true;
}

int RegReadInt(const char* key, const char* name, int defaultValue) {
  std::string value;
  if (!Read(key, name, &value)) return defaultValue;
  value = Trim(value);
  if (value.empty()) return defaultValue;
  errno = 0;
  char* end = nullptr;
  long long v = std::strtoll(value.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || v < INT_MIN || v > INT_MAX) return defaultValue;
  return static_cast<int>(v);
}

bool RegWriteString(const char* key, const char* name, const char* value) {
  if (!name) return false;
  return Write(key, {RegValue{name, value ? value : ""}});
}

bool RegWriteInt(const char* key, const char* name, int value) {
  if (!name) return false;
  return Write(key, {RegValue{name, std::to_string(value)}});
}

bool RegWriteValues(const char* key, const std::vector<RegValue>& values) {
  return Write(key, values);
}

RegValue RegIntValue(const char* name, int value) { return RegValue{name, std::to_string(value)}; }

bool RegHasValue(const char* key, const char* name) {
  std::string value;
  return Read(key, name, &value);
}

std::string RegStorePath() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return PathLocked();
}

void RegSetStorePath(const std::string& path) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_overridePath = path;
}
