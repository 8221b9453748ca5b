#include "screen/config.h"

#include <errno.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "base/debug.h"
#include "base/paths.h"
#include "base/registry.h"
#include "graphics/sprite.h"
#include "platform/mixer.h"

String g_exePath;
String g_dataPath;
String g_videoPath;
String g_saveGamePath;

int32_t g_ddEmulation = 0;
int32_t g_highColorVideo = 1;
int32_t g_fullScreenVideo = 1;
int32_t g_interlacedVideo = 0;
int32_t g_highDetail = 1;
int32_t g_bigViewport = 1;
int32_t g_mazeFloor = 0;
int32_t g_mazeFloorPending = 0;
int32_t g_volume = kDefaultVolume;
int32_t g_lowMemory = 0;

namespace {
int g_lowMemoryOverride = -1;

std::string WithSlash(std::string dir) {
  if (dir.empty()) return dir;
  char last = dir.back();
  if (last != '/' && last != '\\') dir += '/';
  return dir;
}

std::string ExecutableDir() {
  char buf[4096];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return ".";
  buf[n] = '\0';
  std::string path(buf);
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// A directory value of the store, or the default when it is missing or empty.
String ReadDir(const char* name, const std::string& fallback) {
  char buf[4096];
  if (RegReadString(kRegConfig, name, buf, sizeof buf) && buf[0] != '\0')
    return String(WithSlash(buf).c_str());
  return String(WithSlash(fallback).c_str());
}

// An on/off option: anything but 0 and 1 takes the default.
int32_t ReadFlag(const char* name, int32_t fallback) {
  int v = RegReadInt(kRegConfig, name, fallback);
  return (v == 0 || v == 1) ? v : fallback;
}

uint64_t PhysicalMemory() {
  long pages = ::sysconf(_SC_PHYS_PAGES);
  long size = ::sysconf(_SC_PAGESIZE);
  if (pages <= 0 || size <= 0) return UINT64_MAX;  // unknown: assume plenty
  return static_cast<uint64_t>(pages) * static_cast<uint64_t>(size);
}

int32_t MeasureLowMemory() {
  if (g_lowMemoryOverride == 0 || g_lowMemoryOverride == 1) return g_lowMemoryOverride;
  const char* env = std::getenv("KELVANTHROP_LOW_MEMORY");
  if (env && (std::strcmp(env, "0") == 0 || std::strcmp(env, "1") == 0)) return env[0] - '0';
  return IsLowMemory(PhysicalMemory()) ? 1 : 0;
}
}  // namespace

std::string DefaultDataRoot() {
  const char* root = std::getenv("KELVANTHROP_DATA_ROOT");
  if (root && *root) return root;
  return ExecutableDir() + "/gamedata";
}

std::string DefaultSaveGamePath() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg && *xdg) return std::string(xdg) + "/kelvanthrop/";
  const char* home = std::getenv("HOME");
  if (home && *home) return std::string(home) + "/.local/share/kelvanthrop/";
  return "./saves/";
}

bool IsLowMemory(uint64_t physicalBytes) { return physicalBytes < kLowMemoryBytes; }

void OverrideLowMemory(int value) { g_lowMemoryOverride = value; }

void ResetConfigurationDefaults() {
  std::string root = WithSlash(DefaultDataRoot());
  g_exePath = String((root + "program/").c_str());
  g_dataPath = String((root + "data/").c_str());
  g_videoPath = String((root + "video/").c_str());
  g_saveGamePath = String(DefaultSaveGamePath().c_str());
  g_ddEmulation = 0;
  g_highColorVideo = 1;
  g_fullScreenVideo = 1;
  g_interlacedVideo = 0;
  g_highDetail = 1;
  g_bigViewport = 1;
  g_mazeFloor = 0;
  g_mazeFloorPending = 0;
  g_volume = kDefaultVolume;
  g_lowMemory = MeasureLowMemory();
  g_spriteLoadFlags = 0x28;
}

void LoadConfiguration() {
  ResetConfigurationDefaults();
  std::string root = WithSlash(DefaultDataRoot());
  g_exePath = ReadDir("EXEPATH", root + "program/");
  g_dataPath = ReadDir("DATAPATH", root + "data/");
  g_videoPath = ReadDir("VIDEOPATH", root + "video/");
  g_saveGamePath = ReadDir("SAVEGAMEPATH", DefaultSaveGamePath());

  g_ddEmulation = ReadFlag("DDEMULATION", 0);
  g_highColorVideo = ReadFlag("HIGHCOLORVIDEO", 1);
  g_fullScreenVideo = ReadFlag("FULLSCREENVIDEO", 1);
  g_interlacedVideo = ReadFlag("INTERLACEDVIDEO", 0);
  g_highDetail = ReadFlag("HIGHDETAIL", 1);
  g_bigViewport = ReadFlag("BIGVIEWPORT", 1);
  // A store written while a maze was switching its floor may hold -1: that
  // was never an option, so it reads as the default.
  g_mazeFloor = ReadFlag("MAZEFLOOR", 0);
  g_mazeFloorPending = 0;

  int volume = RegReadInt(kRegConfig, "VOLUME", kDefaultVolume);
  g_volume = (volume >= 0 && volume <= kVolumeSteps) ? volume : kDefaultVolume;

  g_lowMemory = MeasureLowMemory();
  g_spriteLoadFlags = g_ddEmulation ? 0x20 : 0x28;

  if (!MakeDirectories(g_saveGamePath.c_str()))
    DebugPrintf("save-game directory %s not made: %s\n", g_saveGamePath.c_str(),
                std::strerror(errno));
}

bool SaveConfiguration() {
  return RegWriteValues(kRegConfig, {RegIntValue("HIGHCOLORVIDEO", g_highColorVideo),
                                     RegIntValue("FULLSCREENVIDEO", g_fullScreenVideo),
                                     RegIntValue("INTERLACEDVIDEO", g_interlacedVideo),
                                     RegIntValue("HIGHDETAIL", g_highDetail),
                                     RegIntValue("BIGVIEWPORT", g_bigViewport),
                                     RegIntValue("MAZEFLOOR", g_mazeFloor == 1 ? 1 : 0)});
}

void ApplyConfiguredMixerVolumes() {
  MixerSetMasterGain(0, MixerLevelToGain(5, kVolumeSteps));
  MixerSetMasterGain(1, MixerLevelToGain(g_volume, kVolumeSteps));
}

void SetVolumeOption(int volume) {
  if (volume < 0) volume = 0;
  if (volume > kVolumeSteps) volume = kVolumeSteps;
  g_volume = volume;
  ApplyConfiguredMixerVolumes();
  RegWriteInt(kRegConfig, "VOLUME", g_volume);
}
