#pragma once
// The text form of the .x mesh format, as far as the game's meshes use it.
//
// A file starts with the 16-byte header "xof 0302txt 0032" (versions 0302
// and 0303, floats of 32 or 64 bits). Then come data objects:
//
//   Identifier [name] { members... nested objects... }
//
// Members are numbers, quoted strings and arrays; each member ends with ';'
// and array elements are separated by ','. Comments run from "//" or "#" to
// the end of the line. The reader takes these objects:
//
//   Material name { r; g; b; a;; power; sr; sg; sb;; er; eg; eb;;
//                   [TextureFilename { "picture.bmp"; }] }
//   Frame name { [FrameTransformMatrix { 16 numbers;; }] Mesh... Frame... }
//   Mesh name { nVertices; x; y; z;, ...;; nFaces; n; i, i, i;, ...;;
//               [MeshNormals { nNormals; vectors;; nFaces; faces;; }]
//               [MeshTextureCoords { nCoords; u; v;, ...;; }]
//               [MeshMaterialList { nMaterials; nFaceIndexes; indices;;
//                                   Material {...} or { name }... }] }
//
// and passes over templates, the Header object and every other object. It
// is strict about the things that could hurt: every count must be matched
// by the values that follow (and cannot ask for more than the file could
// hold), every index must be in range, every number finite and within
// sensible bounds, nesting is limited; a file that breaks any of this is
// refused with the line where it went wrong.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct XMaterial {
  std::string name;
  float face[4] = {1, 1, 1, 1};  // red, green, blue, alpha, 0 .. 1
  float power = 0.0f;
  float specular[3] = {0, 0, 0};
  float emissive[3] = {0, 0, 0};
  std::string texture;  // file name, empty for none

  bool operator==(const XMaterial& o) const;
};

struct XMesh {
  std::string name;
  std::vector<std::array<float, 3>> positions;
  // Faces as corner lists (at least 3 corners each, vertex indices).
  std::vector<std::vector<uint32_t>> faces;
  std::vector<std::array<float, 3>> normals;
  std::vector<std::vector<uint32_t>> faceNormals;  // corners index `normals`
  std::vector<std::array<float, 2>> texCoords;     // empty or one per vertex
  std::vector<uint32_t> faceMaterials;             // empty or one per face
  std::vector<XMaterial> materials;

  bool operator==(const XMesh& o) const;
};

struct XFrame {
  std::string name;
  bool hasMatrix = false;
  // Row-major 4 x 4, points as row vectors (translation in elements 12..14).
  std::array<float, 16> matrix = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  std::vector<XMesh> meshes;
  std::vector<XFrame> children;

  bool operator==(const XFrame& o) const;
};

// The file's top level: its meshes and frames (the loader hangs them under
// one new frame).
struct XFile {
  std::vector<XMesh> meshes;
  std::vector<XFrame> frames;

  bool operator==(const XFile& o) const;
};

// Limits of what the reader accepts.
constexpr size_t kXMaxFileBytes = 16u << 20;
constexpr int kXMaxNesting = 32;          // objects inside objects
constexpr uint32_t kXMaxFaceCorners = 64;
constexpr float kXMaxCoordinate = 1.0e6f; // positions and matrix elements
constexpr float kXMaxTexCoord = 4096.0f;

// Parses a whole file. False with a reason ("line 12: face 3 uses vertex 40
// of 24") on anything malformed or out of bounds; *out is then empty.
bool ParseXFile(const uint8_t* data, size_t size, XFile* out, std::string* error);

// Writes the file in the text form the reader takes (and other readers of
// the format too): header, top-level materials not repeated, numbers with
// enough digits to read back the same floats.
std::string WriteXFile(const XFile& file);
