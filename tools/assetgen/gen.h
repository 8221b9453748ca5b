#pragma once
// The generator's parts. Each Generate* function writes its files through the
// Output, which remembers every path for the closing manifest check.
#include <set>
#include <string>

#include "tools/assetgen/manifest.h"
#include "tools/assetgen/writers.h"

namespace assetgen {

class Output {
 public:
  explicit Output(std::string top) : top_(std::move(top)) {}
  void Write(Root root, const std::string& relPath, const Bytes& data);
  std::string Dir(Root root) const { return top_ + "/" + kRootDirName[int(root)]; }
  bool Has(Root root, const std::string& relPath) const {
    return written_.count({int(root), DiskName(relPath)}) != 0;
  }
  size_t Count() const { return written_.size(); }
  // For files written straight to disk by a library: the final path, made
  // ready (directories created), and the record that it exists.
  std::string Prepare(Root root, const std::string& relPath);
  void Adopt(Root root, const std::string& relPath);

 private:
  std::string top_;
  std::set<std::pair<int, std::string>> written_;
};

// The UI palette: menus, fonts, the dialog, faces, loading pictures.
const Palette& UiPalette();

void GenerateMenus(Output& out);
void GenerateThrow(Output& out);
void GenerateSwim(Output& out);
void GenerateHippo(Output& out);
void GenerateSkating(Output& out);
void GenerateDoggie(Output& out);  // after GenerateSounds: it shares the announcer
void GenerateClimbing(Output& out);
void GenerateKickboxing(Output& out);
void GenerateSounds(Output& out);
void GenerateVideos(Output& out);
void GenerateTexts(Output& out);
void GenerateMaze(Output& out);
void GenerateDerby(Output& out);
// JAVELIN CATCH draws in FIGURE SKATING's event palette: its pictures give
// their colours to that palette (called by GenerateSkating), and are
// written by GenerateJavelin, which comes after it.
void AddJavelinColours(ColourHistogram* hist);
void GenerateJavelin(Output& out);

// PNG contact sheets of the written .mbm files (characters, menus, the event).
int WriteContactSheets(const std::string& gamedata, const std::string& pngDir);
// The 3D MAZE's own files (engine sprites, level maps and textures); the
// number of sheets that failed.
int WriteMazeContactSheets(const std::string& gamedata, const std::string& pngDir);

}  // namespace assetgen
