// The .x reader and writer: the hand-written crate in the layout other tools
// write, generated track pieces read back as written, a table of damaged
// files each refused with the place and the reason, and the loader that
// turns a file into frames with cached textures.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

#include "base/debug.h"
#include "graphics/bmp.h"
#include "scene3d/rm.h"
#include "scene3d/xfile.h"
#include "tests/support/scene_fixtures.h"

namespace {

std::string ReadText(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

bool Parse(const std::string& text, XFile* out, std::string* error) {
  return ParseXFile(reinterpret_cast<const uint8_t*>(text.data()), text.size(), out, error);
}

const std::string kCubePath = std::string(KEL_SOURCE_DIR) + "/tests/fixtures/scene3d/cube.x";

TEST(SceneXFile, ReadsTheHandWrittenCrate) {
  XFile file;
  std::string error;
  ASSERT_TRUE(Parse(ReadText(kCubePath), &file, &error)) << error;
  EXPECT_TRUE(file.meshes.empty());
  ASSERT_EQ(file.frames.size(), 1u);
  const XFrame& frame = file.frames[0];
  EXPECT_EQ(frame.name, "Crate");
  EXPECT_TRUE(frame.hasMatrix);
  EXPECT_EQ(frame.matrix[13], 1.0f);  // lifted one unit
  ASSERT_EQ(frame.meshes.size(), 1u);
  const XMesh& mesh = frame.meshes[0];
  EXPECT_EQ(mesh.positions.size(), 24u);
  ASSERT_EQ(mesh.faces.size(), 6u);
  EXPECT_EQ(mesh.faces[5], (std::vector<uint32_t>{20, 21, 22, 23}));
  EXPECT_EQ(mesh.normals.size(), 6u);
  EXPECT_EQ(mesh.texCoords.size(), 24u);
  EXPECT_EQ(mesh.faceMaterials, (std::vector<uint32_t>{0, 0, 1, 0, 0, 0}));
  ASSERT_EQ(mesh.materials.size(), 2u);
  EXPECT_EQ(mesh.materials[0].name, "CrateMaterial");  // by reference
  EXPECT_EQ(mesh.materials[0].texture, "crate.bmp");
  EXPECT_EQ(mesh.materials[0].power, 8.0f);
  EXPECT_FLOAT_EQ(mesh.materials[1].face[0], 0.8f);   // inline, flat red
  EXPECT_TRUE(mesh.materials[1].texture.empty());
}

TEST(SceneXFile, WrittenFilesReadBackTheSame) {
  XFile crate;
  std::string error;
  ASSERT_TRUE(Parse(ReadText(kCubePath), &crate, &error)) << error;
  const XFile pieces[] = {
      crate,
      MakeTrackPieceX(StraightLeftWall(), StraightRightWall(), -16, "floor.bmp", "wall.bmp"),
      MakeTrackPieceX(TurnInnerWall(true), TurnOuterWall(true), 16, "floor.bmp", "wall.bmp"),
  };
  for (const XFile& original : pieces) {
    XFile back;
    const std::string text = WriteXFile(original);
    ASSERT_TRUE(Parse(text, &back, &error)) << error << "\n" << text;
    EXPECT_TRUE(back == original);
  }
}

// Each damaged file differs from a good one in one place.
TEST(SceneXFile, DamagedFilesAreRefusedWithTheReason) {
  const std::string good =
      "xof 0302txt 0032\n"
      "Mesh Tri {\n"
      " 3;\n"
      " 0;0;0;, 1;0;0;, 0;1;0;;\n"
      " 1;\n"
      " 3;0,1,2;;\n"
      " MeshTextureCoords { 3; 0;0;, 1;0;, 0;1;; }\n"
      " MeshMaterialList { 1; 1; 0;; Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; } }\n"
      "}\n";
  XFile file;
  std::string error;
  ASSERT_TRUE(Parse(good, &file, &error)) << error;

  struct Case {
    const char* what;
    std::string from, to;  // replaced in the good file ("" = whole file)
    const char* reason;
  };
  std::string deep = "xof 0302txt 0032\n";
  for (int i = 0; i < 40; ++i) deep += "Frame F {\n";
  const Case cases[] = {
      {"binary form", "0302txt", "0302bin", "not the text form"},
      {"unknown version", "0302txt", "0402txt", "unknown .x version"},
      {"not a .x file at all", "xof ", "xyz ", "not a .x file"},
      {"more vertices counted than given", " 3;\n 0;0;0;", " 4;\n 0;0;0;", "line 4: fewer vertices than counted"},
      {"fewer vertices counted than given", " 3;\n 0;0;0;", " 2;\n 0;0;0;", "line 4: more vertices than counted"},
      {"a count larger than the file", " 3;\n 0;0;0;", " 99999999;\n 0;0;0;", "line 3: impossible count of vertices"},
      {"a negative count", " 1;\n 3;0,1,2", " -1;\n 3;0,1,2", "impossible count of faces"},
      {"face using a missing vertex", "3;0,1,2;;", "3;0,1,7;;", "line 6: vertex 7 out of range (3)"},
      {"face with two corners", "3;0,1,2;;", "2;0,1;;", "face 0 has 2 corners"},
      {"fewer texture coordinates", "MeshTextureCoords { 3; 0;0;, 1;0;, 0;1;; }",
       "MeshTextureCoords { 2; 0;0;, 1;0;; }", "texture coordinates do not match the vertices"},
      {"texture coordinate far out", "0;1;; }", "0;1e9;; }", "value out of range"},
      {"material number out of range", "1; 1; 0;;", "1; 1; 4;;", "material 4 out of range (1)"},
      {"fewer materials than counted", "1; 1; 0;;", "2; 1; 0;;", "fewer materials than counted"},
      {"material list for too few faces", "1; 1; 0;;", "1; 2; 0, 0;;", "face materials do not match the faces"},
      {"unknown material named", "Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; }", "{ Chrome }", "no material named 'Chrome'"},
      {"a value not a number", "1;0;0;, 0;1;0;;", "1;0;0;, 0;nan;0;;", "line 4: expected a number"},
      {"an infinite value", "1;0;0;, 0;1;0;;", "1;0;0;, 0;1e99;0;;", "value out of range"},
      {"a malformed number", "1;0;0;, 0;1;0;;", "1;0;0;, 0;1.2.3;0;;", "bad number '1.2.3'"},
      {"more faces than counted", "3;0,1,2;;", "3;0,1,2;, 3;0,1,2;;", "line 6: more faces than counted"},
      {"file cut short", "MeshMaterialList", "", "the file ends inside"},
      {"unterminated string", "Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; }",
       "Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; TextureFilename { \"a.bmp; } }", "expected a texture file name"},
      {"texture path with a control character", "Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; }",
       "Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; TextureFilename { \"a\x01.bmp\"; } }", "bad texture file name"},
      {"a second texture name after an empty one", "Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; }",
       "Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; TextureFileName { \"\"; } TextureFileName { \"a.bmp\"; } }",
       "two texture names"},
      {"nesting without end", "", deep, "nested too deep"},
      {"a projective frame transform", "", "xof 0302txt 0032\nFrame F { FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,1, 0,0,0,1;; } }\n",
       "not affine"},
      {"a frame transform of 15 values", "", "xof 0302txt 0032\nFrame F { FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,1;; } }\n",
       "line 2: fewer transform values than counted"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string text = good;
    if (c.from.empty()) {
      text = c.to;
    } else {
      const size_t at = text.find(c.from);
      ASSERT_NE(at, std::string::npos);
      text = c.to.empty() ? text.substr(0, at) : text.replace(at, c.from.size(), c.to);
    }
    error.clear();
    XFile out;
    out.meshes.resize(1);
    EXPECT_FALSE(Parse(text, &out, &error));
    EXPECT_NE(error.find(c.reason), std::string::npos) << "reason given: " << error;
    EXPECT_TRUE(out == XFile());
  }
}

// Exporters name an empty texture for a material without a picture.
TEST(SceneXFile, AnEmptyTextureNameIsAMaterialWithoutATexture) {
  const std::string text =
      "xof 0302txt 0032\n"
      "Mesh Tri {\n"
      " 3; 0;0;0;, 1;0;0;, 0;1;0;;\n"
      " 1; 3;0,1,2;;\n"
      " MeshMaterialList { 1; 1; 0;;\n"
      "  Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; TextureFileName { \"\"; } }\n"
      " }\n"
      "}\n";
  XFile file;
  std::string error;
  ASSERT_TRUE(Parse(text, &file, &error)) << error;
  ASSERT_EQ(file.meshes.size(), 1u);
  ASSERT_EQ(file.meshes[0].materials.size(), 1u);
  EXPECT_TRUE(file.meshes[0].materials[0].texture.empty());
}

class SceneLoad : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() /
              ("kel-scene-load-" + std::to_string(::getpid()));
    ASSERT_TRUE(WriteSceneFixtures(folder_.string()));
    live_ = RMLiveObjectCount();
    oldSink_ = SetDebugSink([this](const std::string& line) { debug_.push_back(line); });
  }
  void TearDown() override {
    SetDebugSink(oldSink_);
    EXPECT_EQ(RMLiveObjectCount(), live_);
    std::filesystem::remove_all(folder_);
  }
  std::string Path(const char* name) const { return (folder_ / name).string(); }
  RMFrame* Load(const std::string& path) {
    return RMLoadFrameFromFile(path.c_str(), folder_.string().c_str(), nullptr, 1,
                               kRMRenderUnlitFlat, 8, 50.0f);
  }
  void Write(const char* name, const std::string& text) {
    std::ofstream(Path(name), std::ios::binary) << text;
  }

  std::filesystem::path folder_;
  int live_ = 0;
  DebugSink oldSink_;
  std::vector<std::string> debug_;
};

TEST_F(SceneLoad, BuildsFramesMeshesAndSharedTextures) {
  RMFrame* scene = RMFrame::Create(nullptr);
  RMFrame* crate = RMLoadFrameFromFile(Path("cube.x").c_str(), folder_.string().c_str(), scene, 1,
                                       kRMRenderUnlitFlat, 8, 50.0f);
  ASSERT_NE(crate, nullptr) << RMLastErrorText();
  EXPECT_EQ(crate->GetParent(), scene);
  ASSERT_EQ(crate->GetChildCount(), 1);
  RMFrame* inner = crate->GetChild(0);
  EXPECT_EQ(inner->GetName(), "Crate");
  EXPECT_EQ(inner->GetTransform().Translation(), RMVector(0, 1, 0));
  ASSERT_EQ(inner->GetVisualCount(), 1);
  auto* mesh = static_cast<RMMesh*>(inner->GetVisual(0));
  ASSERT_EQ(mesh->GetKind(), RMVisual::Kind::kMesh);
  EXPECT_EQ(mesh->Triangles().size(), 12u);  // six quads as fans
  ASSERT_EQ(mesh->Materials().size(), 2u);
  EXPECT_EQ(mesh->Materials()[0].power, 50.0f);  // the loader's power wins over the file's
  RMTexture* texture = mesh->Materials()[0].texture;
  ASSERT_NE(texture, nullptr);
  EXPECT_EQ(texture->GetShades(), 8);
  EXPECT_EQ(texture->GetImage()->width, 32);
  EXPECT_EQ(mesh->Materials()[1].texture, nullptr);

  // A second crate shares the picture; it stays cached while used.
  RMFrame* second = Load(Path("cube.x"));
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(static_cast<RMMesh*>(second->GetChild(0)->GetVisual(0))->Materials()[0].texture, texture);
  EXPECT_EQ(RMFindCachedTexture(texture->GetName()), texture);
  const std::string cacheName = texture->GetName();
  second->Release();
  crate->Release();
  scene->Release();
  EXPECT_EQ(RMFindCachedTexture(cacheName), nullptr);  // gone with its last mesh
}

TEST_F(SceneLoad, RefusesWhatItCannotShowNamingTheFile) {
  const std::string crate = ReadText(Path("cube.x"));
  auto withTexture = [&](const std::string& name) {
    std::string text = crate;
    text.replace(text.find("crate.bmp"), 9, name);
    return text;
  };
  Write("empty.bmp", "");
  struct Case {
    const char* file;
    std::string text;
    const char* reason;
  };
  const Case cases[] = {
      {"missing.x", "", "cannot be read"},
      {"notex.x", withTexture("nothere.bmp"), "nothere.bmp cannot be read"},
      {"escape.x", withTexture("../crate.bmp"), "leaves the texture folder"},
      {"absolute.x", withTexture("/etc/passwd"), "leaves the texture folder"},
      {"empty_bmp.x", withTexture("empty.bmp"), "is not an 8-bit picture"},
      {"wall_odd.x", withTexture("wall.bmp"), ""},  // 32 x 16 is fine: powers of two
      {"untextured.x", withTexture(""), ""},         // an empty name: a material without a picture
      {"broken.x", "xof 0302txt 0032\nMesh { 3; 0;0;0;;", "line 2: impossible count of vertices"},
      // Well-formed files with nothing to draw: no mesh, frames without
      // one, a mesh of no faces.
      {"hollow.x", "xof 0302txt 0032\n", "holds no mesh"},
      {"frames.x",
       "xof 0302txt 0032\nFrame Piece { FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;; }"
       " Frame Inner { } }\n",
       "holds no mesh"},
      {"faceless.x", "xof 0302txt 0032\nFrame Piece { Mesh Floor { 3; 0;0;0;, 1;0;0;, 0;0;1;;; 0;; } }\n",
       "holds no mesh"},
      {"nested.x", "xof 0302txt 0032\nFrame A { Frame B { Mesh { 3; 0;0;0;, 1;0;0;, 0;0;1;;; 1; 3; 0,1,2;;; } } }\n",
       ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    if (!c.text.empty()) Write(c.file, c.text);
    debug_.clear();
    RMFrame* f = Load(Path(c.file));
    if (std::string(c.reason).empty()) {
      ASSERT_NE(f, nullptr) << RMLastErrorText();
      f->Release();
      continue;
    }
    EXPECT_EQ(f, nullptr);
    EXPECT_NE(RMLastErrorText().find(c.file), std::string::npos) << RMLastErrorText();
    EXPECT_NE(RMLastErrorText().find(c.reason), std::string::npos) << RMLastErrorText();
    ASSERT_GE(debug_.size(), 2u);
    EXPECT_EQ(debug_[0], "Message:RMLoadFrameFromFile failed.");
  }
  // Textures that are not powers of two would not repeat across faces.
  std::vector<uint8_t> odd = MakeCrateBmp();
  BmpImage img;
  ASSERT_TRUE(DecodeBmp(odd.data(), odd.size(), &img));
  PaletteEntry pal[256];
  RgbQuadsToPaletteEntries(img.palette, pal, 256);
  const std::vector<uint8_t> narrow = EncodeBmp8(img.pixels.data(), 24, 32, 32, pal);
  std::ofstream(Path("narrow.bmp"), std::ios::binary)
      .write(reinterpret_cast<const char*>(narrow.data()), std::streamsize(narrow.size()));
  Write("narrow.x", withTexture("narrow.bmp"));
  EXPECT_EQ(Load(Path("narrow.x")), nullptr);
  EXPECT_NE(RMLastErrorText().find("is 24x32"), std::string::npos) << RMLastErrorText();
  EXPECT_EQ(RMLoadFrameFromFile(Path("cube.x").c_str(), folder_.string().c_str(), nullptr, 1, 7, 8,
                                0.0f),
            nullptr);  // a render quality the layer does not offer
}

}  // namespace
