#pragma once
// The settings store that stands in for the system registry: one
// human-readable INI-style file with a section per key ("CONFIG",
// "HALLOFFAME"). Value names compare case-insensitively; numbers are stored
// as decimal text; a write that changes the store replaces the file
// atomically (temporary file, flush, rename) so a crash never leaves a broken
// file, and a write that changes nothing leaves the file alone.
//
// The file is read once (again only when it changes on disk) and a section's
// values are indexed the first time the section is looked up, so reads cost
// one lookup and reading a file costs time in proportion to its size. A
// rewrite changes only the lines of the values written: comments, unknown
// sections and lines it does not understand stay where they were, a UTF-8
// byte-order mark stays, and a symbolic link keeps pointing at the file it
// names, which is the one replaced (a link into a folder that does not exist
// is not written through: the game makes only its own folder). A file that
// cannot be read (too large, not a regular file, no permission) is never
// replaced; that and every failed write are reported once a run on the debug
// output, with the path and the reason.
//
// The file lives in $KELVANTHROP_CONFIG_DIR, else $XDG_CONFIG_HOME/kelvanthrop,
// else ~/.config/kelvanthrop, as "settings.ini".
#include <cstddef>
#include <string>
#include <vector>

inline constexpr const char* kRegConfig = "CONFIG";
inline constexpr const char* kRegHallOfFame = "HALLOFFAME";

// Reads a string into buf (bufSize bytes including the zero; the value is cut
// to fit). Returns false, leaving buf empty, when the value does not exist.
bool RegReadString(const char* key, const char* name, char* buf, size_t bufSize);
// Reads a number; returns defaultValue when the value is missing or not a number.
int RegReadInt(const char* key, const char* name, int defaultValue);
// Writes a value and saves the store. Returns false when the file could not be written.
bool RegWriteString(const char* key, const char* name, const char* value);
bool RegWriteInt(const char* key, const char* name, int value);
// Writes several values of one key with a single save of the store (none
// when every value is already stored). False when a name or value is not
// valid (nothing is written then) or the file could not be written.
struct RegValue {
  std::string name;
  std::string value;
};
bool RegWriteValues(const char* key, const std::vector<RegValue>& values);
RegValue RegIntValue(const char* name, int value);
// True when the value exists.
bool RegHasValue(const char* key, const char* name);

// The store's file path, and a way for tests to point it elsewhere ("" = default).
std::string RegStorePath();
void RegSetStorePath(const std::string& path);
