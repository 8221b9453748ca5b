#pragma once
// The generator's parts. Each Generate* function writes its files through the
// Output, which remembers every path for the closing manifest check.
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "tools/assetgen/manifest.h"
#include "tools/assetgen/writers.h"

namespace assetgen {

// The tree being written. The parts of the data set run side by side
// (main.cpp), each writing through an Output of its own that keeps its files
// until the part is done; then they go to disk part by part in the order of
// a run on one thread, so that the tree is the same however the parts were
// scheduled.
class OutputTree {
 public:
  explicit OutputTree(std::string top) : top_(std::move(top)) {}
  const std::string& top() const { return top_; }
  std::string Dir(Root root) const { return top_ + "/" + kRootDirName[int(root)]; }
  size_t Count() const;
  // A file on disk, and the part that wrote it (-1: none).
  int WriterOf(Root root, const std::string& relPath) const;

 private:
  friend class Output;
  std::string top_;
  mutable std::mutex mutex_;
  std::map<std::pair<int, std::string>, int> writer_;
};

// One part's view of the tree, and its files until they go to disk. The
// part's own threads may write through it side by side (distinct files).
class Output {
 public:
  Output(OutputTree& tree, int part, std::vector<bool> sees)
      : tree_(&tree), part_(part), sees_(std::move(sees)) {}
  ~Output();
  Output(const Output&) = delete;
  Output& operator=(const Output&) = delete;
  void Write(Root root, const std::string& relPath, const Bytes& data);
  std::string Dir(Root root) const { return tree_->Dir(root); }
  // Whether the file is written: by this part, or by a part it runs after.
  // Files shared between events are made by the first part that writes them
  // (in the order of a run on one thread); a later part may not see that
  // yet and make one too, which Commit then leaves out. So a part uses Has
  // only to skip a file already there, never to decide anything else.
  bool Has(Root root, const std::string& relPath) const;
  // For files written straight to disk by a library: the final path, made
  // ready (directories created), and the record that it exists. Such a file
  // is this part's alone.
  std::string Prepare(Root root, const std::string& relPath);
  void Adopt(Root root, const std::string& relPath);
  // A folder of the part's own on disk, for files it reads back (a check
  // through the game's loaders): its files reach the tree only when it is
  // done. Removed with the Output.
  std::string Scratch();
  // Puts the part's files on disk, once every earlier part's are: a file
  // written after a Has that found it missing stays as an earlier part made
  // it; any other replaces it.
  void Commit();

 private:
  struct File {
    Root root;
    std::string name;  // DiskName
    Bytes data;
    bool ifMissing;  // written after Has found it missing
    bool onDisk;     // Adopt: already in place
  };
  OutputTree* tree_;
  int part_;
  std::vector<bool> sees_;  // by part index, its own included
  std::vector<File> files_;
  std::map<std::pair<int, std::string>, size_t> index_;  // into files_
  mutable std::set<std::pair<int, std::string>> missing_;  // Has answered no
  std::string scratch_;
  mutable std::mutex mutex_;
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

// PNG contact sheets of the written pictures and cut-scenes (characters,
// menus, the events), one per file, for a person to look at. Every picture
// is read and laid out; with `only` (sheet file names) just those are
// written. 1 when a picture did not read.
int WriteContactSheets(const std::string& gamedata, const std::string& pngDir,
                       const std::vector<std::string>& only = {});
// Writes a laid-out sheet (unless WriteContactSheets was asked for others).
bool SavePng(cairo_surface_t* surface, const std::string& png);
// The 3D MAZE's own files (engine sprites, level maps and textures); the
// number of sheets that failed.
int WriteMazeContactSheets(const std::string& gamedata, const std::string& pngDir);

}  // namespace assetgen
