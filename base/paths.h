#pragma once
// Every file the game opens goes through ResolvePath: backslashes become
// slashes and each component is matched case-insensitively against the
// directory, because the game's own names mix "Menu\" and "menu\".
#include <string>

// The path as it exists on disk, or the normalised path (slashes) when no
// matching file exists.
std::string ResolvePath(const std::string& path);
// True when the resolved path names an existing regular file.
bool FileExists(const std::string& path);
// Directory + name, inserting one separator where needed.
std::string JoinPath(const std::string& dir, const std::string& name);
// Makes a directory and every missing parent of it ("mkdir -p"); true when
// it exists afterwards. Slashes only: the path is taken as written.
bool MakeDirectories(const std::string& dir);
