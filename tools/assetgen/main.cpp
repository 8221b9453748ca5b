// assetgen: writes the game's complete default data set (program, data and
// video directories) in the game's own file formats.
//
//   assetgen <gamedata dir>                 write the tree
//   assetgen --contact-sheets <gamedata dir> <png dir>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>

#include "tools/assetgen/gen.h"

namespace assetgen {

void Output::Write(Root root, const std::string& relPath, const Bytes& data) {
  WriteFile(Dir(root), relPath, data);
  written_.insert({int(root), DiskName(relPath)});
}

std::string Output::Prepare(Root root, const std::string& relPath) {
  std::filesystem::path p = std::filesystem::path(Dir(root)) / DiskName(relPath);
  std::filesystem::create_directories(p.parent_path());
  return p.string();
}

void Output::Adopt(Root root, const std::string& relPath) { written_.insert({int(root), DiskName(relPath)}); }

}  // namespace assetgen

int main(int argc, char** argv) {
  using namespace assetgen;
  try {
    if (argc == 4 && std::strcmp(argv[1], "--contact-sheets") == 0)
      return WriteContactSheets(argv[2], argv[3]);
    if (argc != 2) {
      std::fprintf(stderr, "usage: assetgen <gamedata dir> | --contact-sheets <gamedata dir> <png dir>\n");
      return 2;
    }
    Output out(argv[1]);
    GenerateTexts(out);
    GenerateMenus(out);
    GenerateThrow(out);
    GenerateSkating(out);  // before TROUBLED WATERS: it draws the star and icon pictures both use
    GenerateSwim(out);
    GenerateMaze(out);
    GenerateHippo(out);
    GenerateDerby(out);
    GenerateSounds(out);
    GenerateDoggie(out);
    GenerateKickboxing(out);  // after the shared sounds it also names
    GenerateVideos(out);
    GenerateClimbing(out);
    GenerateJavelin(out);  // after FIGURE SKATING's palette and the shared sounds
    int missing = 0;
    for (const ManifestEntry& e : AssetManifest())
      if (!out.Has(e.root, e.path)) {
        std::fprintf(stderr, "assetgen: not written: %s/%s\n", kRootDirName[int(e.root)], e.path.c_str());
        ++missing;
      }
    if (missing) return 1;
    std::printf("assetgen: %zu files\n", out.Count());
    return 0;
  } catch (const std::exception& ex) {
    std::fprintf(stderr, "assetgen: %s\n", ex.what());
    return 1;
  }
}
