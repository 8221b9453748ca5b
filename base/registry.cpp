#include "base/registry.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <set>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "base/atomic_file.h"
#include "base/debug.h"
#include "base/paths.h"

namespace {

// A settings file is a few kilobytes; anything far beyond that is not ours.
constexpr size_t kMaxFileSize = 1 << 20;
constexpr size_t kMaxValueLength = 4096;

std::mutex g_mutex;
std::string g_overridePath;

std::string_view TrimView(std::string_view s) {
  size_t b = 0;
  size_t e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return s.substr(b, e - b);
}

std::string Trim(std::string_view s) { return std::string(TrimView(s)); }

// Names are written bare, so they must read back as themselves.
bool ValidName(std::string_view s) {
  if (s.empty() || s.size() > 256 || TrimView(s).size() != s.size()) return false;
  for (unsigned char c : s)
    if (c < 0x20 && c != '\t') return false;
  return s.find_first_of("=[]\t;#") == std::string_view::npos;
}

bool ValidName(const char* name) { return name && ValidName(std::string_view(name)); }

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

// The store as read: the file's text as it stands (a rewrite puts back what
// it does not understand, in place: comments, unknown sections, damaged
// lines). A section's values are indexed when the section is first looked
// up, by one pass over the text; after that a read is one lookup however
// large the file is. Reading the file makes nothing else: an index of every
// section and every line up front (a file may hold 100,000 unknown
// sections) took longer per byte the larger the file grew.
struct ValueRef {
  std::string value;
  size_t line = 0;  // the line the value comes from (a later line wins)
};
struct SectionIndex {
  bool inFile = false;  // a header of the section is in the file
  size_t lastLine = 0;  // a new value of the section goes after this line
  std::unordered_map<std::string, ValueRef> values;  // by lower-case name
};
struct Doc {
  bool bom = false;          // the file began with a UTF-8 byte-order mark
  bool finalNewline = true;  // the last line ended with a line break
  std::string text;          // the file as read
  size_t start = 0;          // where its first line begins (after the mark)
  std::unordered_map<std::string, SectionIndex> looked;  // sections looked up, by lower-case name
};

// What was read from which file: reads trust it while the file on disk is
// the same one (same inode, size and times), so a file changed by anyone
// else is read again and nothing is parsed twice otherwise.
struct FileStamp {
  bool exists = false;
  dev_t dev = 0;
  ino_t ino = 0;
  off_t size = 0;
  timespec mtime{};
  timespec ctime{};
  bool operator==(const FileStamp& o) const {
    return exists == o.exists && dev == o.dev && ino == o.ino && size == o.size &&
           mtime.tv_sec == o.mtime.tv_sec && mtime.tv_nsec == o.mtime.tv_nsec &&
           ctime.tv_sec == o.ctime.tv_sec && ctime.tv_nsec == o.ctime.tv_nsec;
  }
};
struct Cache {
  bool loaded = false;
  std::string path;
  FileStamp stamp;
  bool unreadable = false;  // a file is there but could not be read
  std::string why;          // ...and why
  Doc doc;
};
Cache g_cache;
std::set<std::string> g_reported;

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

// Each problem with the store reaches the player once a run, with the path
// and the reason, however often the game reads or writes.
void Report(const std::string& text) {
  if (g_reported.insert(text).second) DebugPrintf("%s", text.c_str());
}

FileStamp StampOf(const std::string& resolved) {
  FileStamp f;
  struct stat st;
  if (::stat(resolved.c_str(), &st) != 0) return f;
  f.exists = true;
  f.dev = st.st_dev;
  f.ino = st.st_ino;
  f.size = st.st_size;
  f.mtime = st.st_mtim;
  f.ctime = st.st_ctim;
  return f;
}

// What a line says, trimmed; empty for a line that says nothing: blank, a
// comment, or damaged by a zero byte.
std::string_view Meaning(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  if (line.find('\0') != std::string_view::npos) return {};
  line = TrimView(line);
  if (line.empty() || line[0] == ';' || line[0] == '#') return {};
  return line;
}

// The line that begins at pos, without its '\n' (a '\r' stays).
std::string_view LineAt(const std::string& text, size_t pos) {
  const size_t eol = text.find('\n', pos);
  return std::string_view(text).substr(pos, (eol == std::string::npos ? text.size() : eol) - pos);
}

// Takes the text as the store's. Its sections are found when they are
// looked up (FindSection).
Doc Parse(std::string text) {
  Doc doc;
  doc.text = std::move(text);
  if (doc.text.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    doc.bom = true;
    doc.start = 3;
  }
  doc.finalNewline = doc.text.size() == doc.start || doc.text.back() == '\n';
  return doc;
}

// The lines of the store's text, without their '\n' (a '\r' stays).
std::vector<std::string_view> Lines(const Doc& doc) {
  std::vector<std::string_view> lines;
  for (size_t pos = doc.start; pos < doc.text.size(); pos += lines.back().size() + 1)
    lines.push_back(LineAt(doc.text, pos));
  return lines;
}

// Whether two names are the same but for the case of their letters A-Z.
bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

// The section of that lower-case name, its values indexed from every part of
// it (a later line wins); null when the file has no header of it. The first
// look at a name is one pass over the text: a line that starts with '['
// begins a part of the section when it is the section's header, and ends
// the part before it whatever it is (a damaged header too). Later looks find
// the section indexed.
const SectionIndex* FindSection(Doc& doc, const std::string& lowerName) {
  auto found = doc.looked.find(lowerName);
  if (found != doc.looked.end()) return found->second.inFile ? &found->second : nullptr;
  SectionIndex& section = doc.looked[lowerName];
  // No header can name what is no valid name (and for one that is, a
  // header's name is valid when it is the same but for case).
  if (!ValidName(lowerName)) return nullptr;
  const std::string& text = doc.text;
  bool inside = false;
  size_t number = 0;
  for (size_t pos = doc.start; pos < text.size(); ++number) {
    const std::string_view line = LineAt(text, pos);
    pos += line.size() + 1;
    size_t first = 0;
    while (first < line.size() && (line[first] == ' ' || line[first] == '\t')) ++first;
    const bool bracket = first < line.size() && line[first] == '[';
    if (!bracket && !inside) continue;
    const std::string_view meaning = Meaning(line);
    if (meaning.empty()) continue;
    if (bracket) {
      inside = meaning.size() >= 2 && meaning.back() == ']' &&
               SameName(TrimView(meaning.substr(1, meaning.size() - 2)), lowerName);
      if (inside) {
        section.inFile = true;
        section.lastLine = number;
      }
      continue;
    }
    const size_t eq = meaning.find('=');
    if (eq == std::string_view::npos) continue;
    std::string_view name = TrimView(meaning.substr(0, eq));
    std::string value(TrimView(meaning.substr(eq + 1)));
    if (!ValidName(name)) continue;
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = Unquote(value);
    if (value.size() > kMaxValueLength) value.resize(kMaxValueLength);
    section.values[Lower(name)] = ValueRef{std::move(value), number};
    section.lastLine = number;
  }
  return section.inFile ? &section : nullptr;
}

std::string Serialise(bool bom, const std::vector<std::string_view>& lines, bool finalNewline) {
  size_t total = 3;
  for (std::string_view l : lines) total += l.size() + 1;
  std::string out;
  out.reserve(total);
  if (bom) out += "\xEF\xBB\xBF";
  for (size_t i = 0; i < lines.size(); ++i) {
    out += lines[i];
    if (i + 1 < lines.size() || finalNewline) out += '\n';
  }
  return out;
}

std::string ValueLine(const std::string& name, const std::string& value) {
  return name + "=" + (NeedsQuotes(value) ? Quote(value) : value);
}

// The name as the line spells it (a rewrite keeps the first spelling).
std::string NameOfLine(std::string_view line) {
  return Trim(line.substr(0, line.find('=')));
}

std::string DirOf(const std::string& filePath) {
  const size_t slash = filePath.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : filePath.substr(0, slash);
}

bool IsDirectory(const std::string& dir) {
  struct stat st;
  return ::stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The directory the store lives in.
bool MakeDirs(const std::string& filePath) {
  size_t slash = filePath.rfind('/');
  if (slash == std::string::npos || slash == 0) return true;
  return MakeDirectories(filePath.substr(0, slash));
}

// Brings the cache up to date with the file on disk (read again only when
// the file changed or the path did).
Cache& LoadedLocked() {
  const std::string path = PathLocked();
  const std::string resolved = ResolvePath(path);
  const FileStamp stamp = StampOf(resolved);
  if (g_cache.loaded && g_cache.path == path && g_cache.stamp == stamp) return g_cache;
  g_cache = Cache{};
  g_cache.loaded = true;
  g_cache.path = path;
  g_cache.stamp = stamp;
  std::string text;
  std::string why;
  if (ReadWholeFile(resolved, &text, kMaxFileSize, &why)) {
    g_cache.doc = Parse(std::move(text));
  } else if (errno != ENOENT) {
    g_cache.unreadable = true;
    g_cache.why = why;
    Report("Settings file " + path + " cannot be read (" + why +
           "): the game runs on its defaults and saves no settings into it.");
  }
  return g_cache;
}

const std::string* FindValue(Doc& doc, const char* key, const char* name) {
  const SectionIndex* s = FindSection(doc, Lower(key));
  if (!s) return nullptr;
  auto v = s->values.find(Lower(name));
  return v == s->values.end() ? nullptr : &v->second.value;
}

// Sets the values in the store and saves it, in one atomic file write, only
// when one of them changed. Every other line of the file stays as it was.
bool Write(const char* key, const std::vector<RegValue>& values) {
  if (!ValidName(key)) return false;
  for (const RegValue& v : values)
    if (!ValidName(v.name.c_str()) || v.value.size() > kMaxValueLength) return false;
  std::lock_guard<std::mutex> lock(g_mutex);
  Cache& cache = LoadedLocked();
  // Rewriting a store that is there but could not be read would replace
  // every setting in it with these values.
  if (cache.unreadable) {
    Report("Settings not saved: " + cache.path + " cannot be read (" + cache.why + ").");
    return false;
  }
  // The new file's lines: the old ones where they stand, the changed and
  // added ones kept in `made`.
  const Doc& doc = cache.doc;
  const SectionIndex* section = FindSection(cache.doc, Lower(key));
  std::vector<std::string_view> lines = Lines(doc);
  const size_t oldLines = lines.size();
  std::deque<std::string> made;
  bool finalNewline = doc.finalNewline;
  std::vector<std::string> added;
  bool changed = false;
  for (const RegValue& nv : values) {
    const std::string lowerName = Lower(nv.name);
    const ValueRef* old = nullptr;
    if (section) {
      auto v = section->values.find(lowerName);
      if (v != section->values.end()) old = &v->second;
    }
    if (old) {
      if (old->value == nv.value) continue;
      std::string_view& line = lines[old->line];
      const bool cr = !line.empty() && line.back() == '\r';
      line = made.emplace_back(ValueLine(NameOfLine(line), nv.value) + (cr ? "\r" : ""));
    } else {
      bool again = false;  // the same name twice in one set: the last wins
      for (std::string& a : added) {
        if (Lower(NameOfLine(a)) == lowerName) {
          a = ValueLine(nv.name, nv.value);
          again = true;
        }
      }
      if (!again) added.push_back(ValueLine(nv.name, nv.value));
    }
    changed = true;
  }
  if (!changed) return true;
  if (!added.empty()) {
    if (section) {
      lines.insert(lines.begin() + static_cast<long>(section->lastLine) + 1, added.begin(), added.end());
    } else {
      if (lines.empty() && !doc.bom) lines.push_back("; Kelvanthrop settings, written by the game.");
      if (!lines.empty() && !TrimView(lines.back()).empty()) lines.push_back("");
      lines.push_back(made.emplace_back(std::string("[") + key + "]"));
      lines.insert(lines.end(), added.begin(), added.end());
    }
    if (!section || section->lastLine + 1 == oldLines) finalNewline = true;
  }
  std::string text = Serialise(doc.bom, lines, finalNewline);
  const std::string path = cache.path;
  const std::string resolved = ResolvePath(path);
  // Only the store's own folder is made. A link is written through when
  // the folder it points into is there; a link into a missing folder is
  // the player's to mend, and the game makes nothing outside its folders.
  const std::string target = WriteTargetPath(resolved);
  if (target != resolved && !IsDirectory(DirOf(target))) {
    Report("Settings not saved: " + path + " is a link to " + target +
           ", whose folder does not exist (the game makes no folders outside its own).");
    return false;
  }
  if (!MakeDirs(resolved) || !WriteFileAtomic(resolved, text.data(), text.size())) {
    const int err = errno;
    Report("Settings not saved: cannot write " + path + " (" + FileErrorText(err) + ").");
    return false;
  }
  g_cache.doc = Parse(std::move(text));
  g_cache.stamp = StampOf(ResolvePath(path));
  return true;
}

bool Read(const char* key, const char* name, std::string* out) {
  if (!key || !name) return false;
  std::lock_guard<std::mutex> lock(g_mutex);
  const std::string* v = FindValue(LoadedLocked().doc, key, name);
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
  g_cache = Cache{};
}
