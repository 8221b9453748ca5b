// Fuzz target of the settings store: any file is read without harm, and a
// write of one value changes that value and nothing else the store read from
// the file, and leaves every byte of the file it does not own where it was.
//
// Input: the settings file as it stands on disk.
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "base/debug.h"
#include "base/registry.h"

namespace {

// A private file, on a memory file system when there is one: the store
// flushes each write to disk.
// (Kept on the heap: the clean-up at exit runs after static strings are gone.)
const std::string& StorePath() {
  static const std::string* path = [] {
    std::string dir = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::string tmpl = dir + "/kel_fuzz_settings_XXXXXX";
    if (!::mkdtemp(tmpl.data())) std::abort();
    auto* p = new std::string(tmpl + "/settings.ini");
    std::atexit([] {
      const std::string& file = StorePath();
      ::unlink(file.c_str());
      ::unlink((file + ".tmp").c_str());
      ::rmdir(file.substr(0, file.rfind('/')).c_str());
    });
    return p;
  }();
  return *path;
}

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  SetDebugSink([](const std::string&) {});
  const std::string& path = StorePath();
  RegSetStorePath(path);
  const std::string before(reinterpret_cast<const char*>(data), size);
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(before.data(), static_cast<std::streamsize>(before.size()));
  }
  const char* keys[] = {kRegConfig, kRegHallOfFame, "MODS"};
  const char* names[] = {"VOLUME", "DATAPATH", "Result1", "A", "x"};
  char buf[64];
  std::string seen[3][5];
  bool had[3][5];
  for (int k = 0; k < 3; ++k) {
    for (int n = 0; n < 5; ++n) {
      had[k][n] = RegReadString(keys[k], names[n], buf, sizeof buf);
      if (had[k][n] != RegHasValue(keys[k], names[n])) std::abort();
      seen[k][n] = buf;
      RegReadInt(keys[k], names[n], 0);
    }
  }
  if (!RegWriteString(kRegConfig, "VOLUME", "4")) std::abort();
  if (RegReadInt(kRegConfig, "volume", -1) != 4) std::abort();
  // Everything else reads as before.
  for (int k = 0; k < 3; ++k) {
    for (int n = 0; n < 5; ++n) {
      if (k == 0 && n == 0) continue;
      bool has = RegReadString(keys[k], names[n], buf, sizeof buf);
      if (has != had[k][n] || seen[k][n] != buf) std::abort();
    }
  }
  // The new file holds the old one's lines around the one written; it only
  // grows by the value's line (and a header, a blank and line breaks).
  const std::string after = Slurp(path);
  if (after.size() > before.size() + 80 + before.size() / 4096) std::abort();
  RegSetStorePath("");
  SetDebugSink(nullptr);
  return 0;
}
