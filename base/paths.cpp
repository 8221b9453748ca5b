#include "base/paths.h"

#include <dirent.h>
#include <errno.h>
#include <strings.h>
#include <sys/stat.h>

namespace {
bool Exists(const std::string& p) {
  struct stat st;
  return ::stat(p.c_str(), &st) == 0;
}

// Finds an entry of dir whose name equals name ignoring ASCII case.
bool FindCaseInsensitive(const std::string& dir, const std::string& name, std::string* found) {
  DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
  if (!d) return false;
  bool ok = false;
  while (dirent* e = ::readdir(d)) {
    if (::strcasecmp(e->d_name, name.c_str()) == 0) {
      *found = e->d_name;
      ok = true;
      break;
    }
  }
  ::closedir(d);
  return ok;
}
}  // namespace

std::string ResolvePath(const std::string& path) {
  std::string norm = path;
  for (char& c : norm)
    if (c == '\\') c = '/';
  if (norm.empty() || Exists(norm)) return norm;

  // Walk the components, fixing the case of each one that does not exist as written.
  std::string out;
  size_t pos = 0;
  if (norm[0] == '/') {
    out = "/";
    pos = 1;
  }
  while (pos <= norm.size()) {
    size_t next = norm.find('/', pos);
    if (next == std::string::npos) next = norm.size();
    std::string comp = norm.substr(pos, next - pos);
    pos = next + 1;
    if (comp.empty()) continue;
    std::string candidate = out.empty() ? comp : (out.back() == '/' ? out + comp : out + "/" + comp);
    if (!Exists(candidate) && comp != "." && comp != "..") {
      std::string found;
      std::string dir = out.empty() ? "." : out;
      if (FindCaseInsensitive(dir, comp, &found)) {
        candidate = out.empty() ? found : (out.back() == '/' ? out + found : out + "/" + found);
      } else {
        // Nothing matches: keep the rest as written.
        std::string rest = next < norm.size() ? norm.substr(next) : std::string();
        return candidate + rest;
      }
    }
    out = candidate;
  }
  return out;
}

bool FileExists(const std::string& path) {
  struct stat st;
  return ::stat(ResolvePath(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string JoinPath(const std::string& dir, const std::string& name) {
  if (dir.empty()) return name;
  char last = dir.back();
  if (last == '/' || last == '\\') return dir + name;
  return dir + "/" + name;
}

bool MakeDirectories(const std::string& dir) {
  for (size_t i = 1; i <= dir.size(); ++i) {
    if (i == dir.size() || dir[i] == '/') {
      const std::string part = dir.substr(0, i);
      if (::mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) return false;
    }
  }
  return true;
}
