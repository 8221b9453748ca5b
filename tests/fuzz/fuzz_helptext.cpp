// Fuzz target of the help text: any bytes wrap into a bounded number of rows,
// each within the width unless it is a single character wider than it, with
// no control character left and no text invented; the placeholders of the
// key names are all replaced.
//
// Input: byte 0 picks the width, the rest is the text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "input/control_names.h"
#include "screen/options_menu.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const int width = 1 + data[0];
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  // A proportional font: characters of 1 to 8 pixels, some of none.
  auto advance = [](unsigned char c) { return static_cast<int>(c % 9); };
  auto measure = [&](const std::string& t) {
    int w = 0;
    for (unsigned char c : t) w += advance(c);
    return w;
  };
  std::vector<std::string> rows;
  OptionsMenu::WrapHelpText(text, width, measure, &rows);
  if (rows.size() > 2000) std::abort();
  size_t printable = 0;
  for (unsigned char c : text) printable += c >= 32;
  size_t kept = 0;
  for (const std::string& r : rows) {
    if (measure(r) > width && r.size() > 1) std::abort();
    for (unsigned char c : r) {
      if (c < 32) std::abort();
      kept += c != ' ';
    }
  }
  if (kept > printable) std::abort();
  // The key names put in for the placeholders: none is left behind, and the
  // text grows by no more than the longest name for each.
  const std::string expanded = ExpandControlNames(text, 1 + (data[0] & 1));
  if (expanded.size() > text.size() * 8 + 1) std::abort();
  for (const char* p : {"{ACTION 1}", "{ACTION 2}", "{DIRECTIONS}", "{UP}"})
    if (expanded.find(p) != std::string::npos) std::abort();
  return 0;
}
