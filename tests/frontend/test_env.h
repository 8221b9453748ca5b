#pragma once
// A private settings store and save-game directory for one test.
#include <filesystem>
#include <unistd.h>
#include <string>

#include "base/registry.h"
#include "screen/config.h"

class ScopedFrontEndDirs {
 public:
  explicit ScopedFrontEndDirs(const std::string& name) {
    // ctest runs tests in parallel processes: each gets a directory of its own.
    dir_ = std::filesystem::path(KEL_BINARY_DIR) / "test-home" / "frontend" /
           (name + "-" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_ / "saves");
    RegSetStorePath((dir_ / "settings.ini").string());
    oldSaves_ = g_saveGamePath.c_str();
    g_saveGamePath = (dir_ / "saves").string().append("/").c_str();
  }
  ~ScopedFrontEndDirs() {
    RegSetStorePath("");
    g_saveGamePath = oldSaves_.c_str();
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  std::filesystem::path dir() const { return dir_; }
  std::filesystem::path saves() const { return dir_ / "saves"; }

 private:
  std::filesystem::path dir_;
  std::string oldSaves_;
};
