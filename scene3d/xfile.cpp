#include "scene3d/xfile.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string_view>

bool XMaterial::operator==(const XMaterial& o) const {
  return name == o.name && std::memcmp(face, o.face, sizeof face) == 0 && power == o.power &&
         std::memcmp(specular, o.specular, sizeof specular) == 0 &&
         std::memcmp(emissive, o.emissive, sizeof emissive) == 0 && texture == o.texture;
}

bool XMesh::operator==(const XMesh& o) const {
  return name == o.name && positions == o.positions && faces == o.faces && normals == o.normals &&
         faceNormals == o.faceNormals && texCoords == o.texCoords &&
         faceMaterials == o.faceMaterials && materials == o.materials;
}

bool XFrame::operator==(const XFrame& o) const {
  return name == o.name && hasMatrix == o.hasMatrix && matrix == o.matrix &&
         meshes == o.meshes && children == o.children;
}

bool XFile::operator==(const XFile& o) const { return meshes == o.meshes && frames == o.frames; }

namespace {

enum class Tok { kEnd, kName, kNumber, kString, kGuid, kOpen, kClose, kSeparator, kOther };

struct Token {
  Tok kind = Tok::kEnd;
  std::string_view text;
  int line = 1;
};

bool IsNameStart(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
bool IsNameChar(char c) { return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

class Lexer {
 public:
  Lexer(const char* begin, const char* end) : p_(begin), end_(end) {}

  const Token& Peek() {
    if (!peeked_) {
      next_ = Scan();
      peeked_ = true;
    }
    return next_;
  }
  Token Next() {
    Peek();
    peeked_ = false;
    return next_;
  }
  // Bytes not yet read (bounds what a count may ask for).
  size_t Remaining() const { return static_cast<size_t>(end_ - p_); }
  int Line() { return Peek().line; }

 private:
  Token Scan() {
    for (;;) {
      while (p_ < end_ && (*p_ == ' ' || *p_ == '\t' || *p_ == '\r' || *p_ == '\n')) {
        if (*p_ == '\n') ++line_;
        ++p_;
      }
      if (p_ < end_ && (*p_ == '#' || (*p_ == '/' && p_ + 1 < end_ && p_[1] == '/'))) {
        while (p_ < end_ && *p_ != '\n') ++p_;
        continue;
      }
      break;
    }
    Token t;
    t.line = line_;
    if (p_ >= end_) return t;
    const char* start = p_;
    const char c = *p_;
    auto finish = [&](Tok kind, const char* stop) {
      t.kind = kind;
      t.text = std::string_view(start, static_cast<size_t>(stop - start));
      p_ = stop;
      return t;
    };
    if (c == '{') return finish(Tok::kOpen, p_ + 1);
    if (c == '}') return finish(Tok::kClose, p_ + 1);
    if (c == ';' || c == ',') return finish(Tok::kSeparator, p_ + 1);
    if (c == '"' || c == '<') {
      const char close = c == '"' ? '"' : '>';
      const char* q = p_ + 1;
      while (q < end_ && *q != close && *q != '\n') ++q;
      if (q >= end_ || *q != close) return finish(Tok::kOther, p_ + 1);  // unterminated
      t = finish(c == '"' ? Tok::kString : Tok::kGuid, q + 1);
      t.text = t.text.substr(1, t.text.size() - 2);
      return t;
    }
    if (IsDigit(c) || ((c == '-' || c == '+' || c == '.') && p_ + 1 < end_ &&
                       (IsDigit(p_[1]) || (p_[1] == '.' && p_ + 2 < end_ && IsDigit(p_[2]))))) {
      const char* q = p_ + 1;
      while (q < end_ && (IsDigit(*q) || *q == '.' || *q == 'e' || *q == 'E' ||
                          ((*q == '-' || *q == '+') && (q[-1] == 'e' || q[-1] == 'E'))))
        ++q;
      return finish(Tok::kNumber, q);
    }
    if (IsNameStart(c)) {
      const char* q = p_ + 1;
      while (q < end_ && IsNameChar(*q)) ++q;
      return finish(Tok::kName, q);
    }
    return finish(Tok::kOther, p_ + 1);
  }

  const char* p_;
  const char* end_;
  int line_ = 1;
  Token next_;
  bool peeked_ = false;
};

class Parser {
 public:
  Parser(const char* begin, const char* end) : lex_(begin, end) {}

  bool ParseFile(XFile* out) {
    while (ok_ && lex_.Peek().kind != Tok::kEnd) {
      const Token t = lex_.Next();
      if (t.kind == Tok::kSeparator) continue;  // stray separators between objects
      if (t.kind != Tok::kName) return Fail(t.line, "expected an object");
      if (t.text == "template") {
        OptionalName();
        if (Expect(Tok::kOpen, "'{'")) SkipBlock(0);
      } else if (t.text == "Material") {
        XMaterial m;
        m.name = OptionalName();
        if (Expect(Tok::kOpen, "'{'") && ParseMaterial(&m)) namedMaterials_.push_back(m);
      } else if (t.text == "Mesh") {
        out->meshes.emplace_back();
        ParseMesh(&out->meshes.back());
      } else if (t.text == "Frame") {
        out->frames.emplace_back();
        ParseFrame(&out->frames.back(), 1);
      } else {
        OptionalName();
        if (Expect(Tok::kOpen, "'{'")) SkipBlock(0);
      }
    }
    return ok_;
  }

  const std::string& Error() const { return error_; }

 private:
  bool Fail(int line, const std::string& what) {
    if (ok_) {
      char prefix[32];
      std::snprintf(prefix, sizeof prefix, "line %d: ", line);
      error_ = prefix + what;
    }
    ok_ = false;
    return false;
  }

  bool Expect(Tok kind, const char* what) {
    if (!ok_) return false;
    const Token t = lex_.Next();
    if (t.kind != kind) return Fail(t.line, std::string("expected ") + what);
    return true;
  }

  // An object's name (and GUID) before its '{', if any.
  std::string OptionalName() {
    std::string name;
    if (lex_.Peek().kind == Tok::kName) name = std::string(lex_.Next().text);
    if (lex_.Peek().kind == Tok::kGuid) lex_.Next();
    return name;
  }

  // Skips to the '}' that closes a block whose '{' was just read.
  void SkipBlock(int depth) {
    int open = 1;
    while (ok_ && open > 0) {
      const Token t = lex_.Next();
      if (t.kind == Tok::kEnd) {
        Fail(t.line, "the file ends inside an object");
      } else if (t.kind == Tok::kOpen) {
        if (depth + ++open > kXMaxNesting) Fail(t.line, "objects nested too deep");
      } else if (t.kind == Tok::kClose) {
        --open;
      }
    }
  }

  struct Separators {
    int semicolons = 0;
    bool comma = false;
  };
  Separators SkipSeparators() {
    Separators seen;
    while (lex_.Peek().kind == Tok::kSeparator) {
      if (lex_.Next().text == ",") seen.comma = true;
      else ++seen.semicolons;
    }
    return seen;
  }

  // Between the elements of an array stands ',' (after an element's own
  // closing ';'); the array itself ends with ';'. These tell a count that
  // does not match its values right where it goes wrong. `scalar` arrays
  // hold one number an element, which has no ';' of its own.
  bool NextElement(uint32_t index, bool scalar, const char* what) {
    if (index == 0) return true;
    const int line = lex_.Line();
    const Separators s = SkipSeparators();
    if (!s.comma && s.semicolons >= (scalar ? 1 : 2))
      return Fail(line, std::string("fewer ") + what + " than counted");
    return true;
  }
  bool EndOfArray(uint32_t count, const char* what) {
    if (count == 0) return true;
    const int line = lex_.Line();
    if (SkipSeparators().comma) return Fail(line, std::string("more ") + what + " than counted");
    return true;
  }

  bool ReadNumber(double* value) {
    if (!ok_) return false;
    SkipSeparators();
    const Token t = lex_.Next();
    if (t.kind != Tok::kNumber) {
      if (t.kind == Tok::kEnd) return Fail(t.line, "the file ends inside an object");
      return Fail(t.line, "expected a number");
    }
    std::string_view s = t.text;
    if (!s.empty() && s[0] == '+') s.remove_prefix(1);
    const auto r = std::from_chars(s.data(), s.data() + s.size(), *value);
    if (r.ec != std::errc() || r.ptr != s.data() + s.size() || !std::isfinite(*value))
      return Fail(t.line, "bad number '" + std::string(t.text) + "'");
    return true;
  }

  bool ReadFloat(float* value, float limit) {
    double v = 0;
    const int line = lex_.Line();
    if (!ReadNumber(&v)) return false;
    if (!(std::fabs(v) <= limit)) return Fail(line, "value out of range");
    *value = static_cast<float>(v);
    return true;
  }

  // A count of elements of `valuesEach` numbers each: it cannot ask for more
  // than the rest of the file could hold (two bytes a number at least).
  bool ReadCount(uint32_t* count, size_t valuesEach, const char* what) {
    double v = 0;
    const int line = lex_.Line();
    if (!ReadNumber(&v)) return false;
    if (v < 0 || v != std::floor(v) || v > double(lex_.Remaining()) / (2.0 * valuesEach))
      return Fail(line, std::string("impossible count of ") + what);
    *count = static_cast<uint32_t>(v);
    return true;
  }

  bool ReadIndex(uint32_t* index, uint32_t limit, const char* what) {
    double v = 0;
    const int line = lex_.Line();
    if (!ReadNumber(&v)) return false;
    if (v < 0 || v != std::floor(v) || v >= double(limit)) {
      char buf[96];
      std::snprintf(buf, sizeof buf, "%s %.0f out of range (%u)", what, v, limit);
      return Fail(line, buf);
    }
    *index = static_cast<uint32_t>(v);
    return true;
  }

  bool ReadColour(float* c, int n) {
    for (int i = 0; i < n; ++i)
      if (!ReadFloat(&c[i], kXMaxCoordinate)) return false;
    return true;
  }

  // An array of vectors of N numbers each (its count already read).
  template <size_t N>
  bool ReadVectors(std::vector<std::array<float, N>>* out, float limit, const char* what) {
    const uint32_t n = static_cast<uint32_t>(out->size());
    for (uint32_t i = 0; i < n; ++i) {
      if (!NextElement(i, false, what)) return false;
      for (float& c : (*out)[i])
        if (!ReadFloat(&c, limit)) return false;
    }
    return EndOfArray(n, what);
  }

  // The body of a Material after its '{'.
  bool ParseMaterial(XMaterial* m) {
    if (!ReadColour(m->face, 4) || !ReadFloat(&m->power, kXMaxCoordinate) ||
        !ReadColour(m->specular, 3) || !ReadColour(m->emissive, 3))
      return false;
    bool named = false;  // a texture name was read (perhaps an empty one)
    for (;;) {
      SkipSeparators();
      const Token t = lex_.Next();
      if (t.kind == Tok::kClose) return ok_;
      if (t.kind != Tok::kName)
        return Fail(t.line, t.kind == Tok::kEnd ? "the file ends inside a material"
                                                : "unexpected value in a material");
      OptionalName();
      if (!Expect(Tok::kOpen, "'{'")) return false;
      if (t.text == "TextureFilename" || t.text == "TextureFileName") {
        if (named) return Fail(t.line, "two texture names in a material");
        named = true;
        SkipSeparators();
        const Token s = lex_.Next();
        if (s.kind != Tok::kString) return Fail(s.line, "expected a texture file name");
        // Exporters write an empty name for a material without a picture.
        if (s.text.size() > 255) return Fail(s.line, "bad texture file name");
        for (char c : s.text)
          if (static_cast<unsigned char>(c) < 32) return Fail(s.line, "bad texture file name");
        m->texture = std::string(s.text);
        SkipSeparators();
        if (!Expect(Tok::kClose, "'}'")) return false;
      } else {
        SkipBlock(kXMaxNesting / 2);
      }
      if (!ok_) return false;
    }
  }

  void ParseMesh(XMesh* mesh) {
    mesh->name = OptionalName();
    if (!Expect(Tok::kOpen, "'{'")) return;
    uint32_t nv = 0, nf = 0;
    if (!ReadCount(&nv, 3, "vertices")) return;
    mesh->positions.resize(nv);
    if (!ReadVectors(&mesh->positions, kXMaxCoordinate, "vertices")) return;
    if (!ReadCount(&nf, 4, "faces")) return;
    mesh->faces.resize(nf);
    for (uint32_t f = 0; f < nf; ++f) {
      if (!NextElement(f, false, "faces")) return;
      uint32_t corners = 0;
      const int line = lex_.Line();
      if (!ReadCount(&corners, 1, "corners")) return;
      if (corners < 3 || corners > kXMaxFaceCorners) {
        Fail(line, "face " + std::to_string(f) + " has " + std::to_string(corners) + " corners");
        return;
      }
      mesh->faces[f].resize(corners);
      for (uint32_t& i : mesh->faces[f])
        if (!ReadIndex(&i, nv, "vertex")) return;
    }
    if (!EndOfArray(nf, "faces")) return;
    bool haveNormals = false, haveCoords = false, haveMaterials = false;
    for (;;) {
      SkipSeparators();
      const Token t = lex_.Next();
      if (t.kind == Tok::kClose) return;
      if (t.kind == Tok::kOpen) {  // a reference to another object: not used by meshes
        SkipBlock(0);
      } else if (t.kind != Tok::kName) {
        Fail(t.line, t.kind == Tok::kEnd ? "the file ends inside a mesh"
                                         : "more values in the mesh than its counts say");
      } else {
        OptionalName();
        if (!Expect(Tok::kOpen, "'{'")) return;
        if (t.text == "MeshNormals") {
          if (haveNormals) Fail(t.line, "two normal lists");
          haveNormals = true;
          ParseNormals(mesh);
        } else if (t.text == "MeshTextureCoords") {
          if (haveCoords) Fail(t.line, "two texture coordinate lists");
          haveCoords = true;
          ParseTexCoords(mesh);
        } else if (t.text == "MeshMaterialList") {
          if (haveMaterials) Fail(t.line, "two material lists");
          haveMaterials = true;
          ParseMaterialList(mesh);
        } else {
          SkipBlock(1);
        }
      }
      if (!ok_) return;
    }
  }

  void ParseNormals(XMesh* mesh) {
    uint32_t nn = 0, nf = 0;
    if (!ReadCount(&nn, 3, "normals")) return;
    mesh->normals.resize(nn);
    if (!ReadVectors(&mesh->normals, kXMaxCoordinate, "normals")) return;
    const int line = lex_.Line();
    if (!ReadCount(&nf, 4, "normal faces")) return;
    if (nf != mesh->faces.size()) {
      Fail(line, "normal faces do not match the faces");
      return;
    }
    mesh->faceNormals.resize(nf);
    for (uint32_t f = 0; f < nf; ++f) {
      if (!NextElement(f, false, "normal faces")) return;
      uint32_t corners = 0;
      const int cl = lex_.Line();
      if (!ReadCount(&corners, 1, "corners")) return;
      if (corners != mesh->faces[f].size()) {
        Fail(cl, "normal face " + std::to_string(f) + " has another corner count");
        return;
      }
      mesh->faceNormals[f].resize(corners);
      for (uint32_t& i : mesh->faceNormals[f])
        if (!ReadIndex(&i, nn, "normal")) return;
    }
    if (!EndOfArray(nf, "normal faces")) return;
    SkipSeparators();
    Expect(Tok::kClose, "'}' after the normals");
  }

  void ParseTexCoords(XMesh* mesh) {
    uint32_t n = 0;
    const int line = lex_.Line();
    if (!ReadCount(&n, 2, "texture coordinates")) return;
    if (n != mesh->positions.size()) {
      Fail(line, "texture coordinates do not match the vertices");
      return;
    }
    mesh->texCoords.resize(n);
    if (!ReadVectors(&mesh->texCoords, kXMaxTexCoord, "texture coordinates")) return;
    SkipSeparators();
    Expect(Tok::kClose, "'}' after the texture coordinates");
  }

  void ParseMaterialList(XMesh* mesh) {
    uint32_t nm = 0, ni = 0;
    if (!ReadCount(&nm, 1, "materials")) return;
    const int line = lex_.Line();
    if (!ReadCount(&ni, 1, "face materials")) return;
    if (ni != mesh->faces.size()) {
      Fail(line, "face materials do not match the faces");
      return;
    }
    mesh->faceMaterials.resize(ni);
    for (uint32_t f = 0; f < ni; ++f)
      if (!NextElement(f, true, "face materials") ||
          !ReadIndex(&mesh->faceMaterials[f], nm, "material"))
        return;
    if (!EndOfArray(ni, "face materials")) return;
    for (;;) {
      SkipSeparators();
      const Token t = lex_.Next();
      if (t.kind == Tok::kClose) break;
      if (t.kind == Tok::kOpen) {  // { name } refers to a material defined before
        SkipSeparators();
        const Token ref = lex_.Next();
        if (ref.kind != Tok::kName) {
          Fail(ref.line, "expected a material name");
          return;
        }
        if (lex_.Peek().kind == Tok::kGuid) lex_.Next();
        const XMaterial* found = nullptr;
        for (const XMaterial& m : namedMaterials_)
          if (m.name == ref.text) found = &m;
        if (!found) {
          Fail(ref.line, "no material named '" + std::string(ref.text) + "'");
          return;
        }
        mesh->materials.push_back(*found);
        if (!Expect(Tok::kClose, "'}'")) return;
      } else if (t.kind == Tok::kName && t.text == "Material") {
        XMaterial m;
        m.name = OptionalName();
        if (!Expect(Tok::kOpen, "'{'") || !ParseMaterial(&m)) return;
        mesh->materials.push_back(m);
      } else {
        Fail(t.line, "expected a material");
        return;
      }
      if (mesh->materials.size() > nm) {
        Fail(t.line, "more materials than counted");
        return;
      }
    }
    if (mesh->materials.size() != nm) Fail(lex_.Line(), "fewer materials than counted");
  }

  void ParseFrame(XFrame* frame, int depth) {
    if (depth > kXMaxNesting) {
      Fail(lex_.Line(), "frames nested too deep");
      return;
    }
    frame->name = OptionalName();
    if (!Expect(Tok::kOpen, "'{'")) return;
    for (;;) {
      SkipSeparators();
      const Token t = lex_.Next();
      if (t.kind == Tok::kClose) return;
      if (t.kind == Tok::kOpen) {
        SkipBlock(depth);
      } else if (t.kind != Tok::kName) {
        Fail(t.line, t.kind == Tok::kEnd ? "the file ends inside a frame" : "unexpected value in a frame");
      } else if (t.text == "Mesh") {
        frame->meshes.emplace_back();
        ParseMesh(&frame->meshes.back());
      } else if (t.text == "Frame") {
        frame->children.emplace_back();
        ParseFrame(&frame->children.back(), depth + 1);
      } else if (t.text == "FrameTransformMatrix") {
        OptionalName();
        if (!Expect(Tok::kOpen, "'{'")) return;
        if (frame->hasMatrix) Fail(t.line, "two transforms in a frame");
        frame->hasMatrix = true;
        for (uint32_t i = 0; i < 16; ++i)
          if (!NextElement(i, true, "transform values") ||
              !ReadFloat(&frame->matrix[i], kXMaxCoordinate))
            return;
        if (!EndOfArray(16, "transform values")) return;
        const auto& m = frame->matrix;
        if (std::fabs(m[3]) > 1e-6f || std::fabs(m[7]) > 1e-6f || std::fabs(m[11]) > 1e-6f ||
            std::fabs(m[15] - 1.0f) > 1e-6f)
          Fail(t.line, "the frame's transform is not affine");
        SkipSeparators();
        Expect(Tok::kClose, "'}' after the transform");
      } else {
        OptionalName();
        if (Expect(Tok::kOpen, "'{'")) SkipBlock(depth);
      }
      if (!ok_) return;
    }
  }

  Lexer lex_;
  bool ok_ = true;
  std::string error_;
  std::vector<XMaterial> namedMaterials_;
};

bool CheckHeader(const uint8_t* data, size_t size, std::string* error) {
  auto fail = [error](const char* why) {
    if (error) *error = why;
    return false;
  };
  if (size < 16 || std::memcmp(data, "xof ", 4) != 0) return fail("not a .x file");
  const std::string_view version(reinterpret_cast<const char*>(data) + 4, 4);
  if (version != "0302" && version != "0303") return fail("unknown .x version");
  if (std::memcmp(data + 8, "txt ", 4) != 0) return fail("not the text form of a .x file");
  const std::string_view floats(reinterpret_cast<const char*>(data) + 12, 4);
  if (floats != "0032" && floats != "0064") return fail("bad float size in the header");
  return true;
}

// Shortest text that reads back as the same float.
std::string Num(float v) {
  char buf[32];
  for (int digits = 6; digits <= 9; ++digits) {
    std::snprintf(buf, sizeof buf, "%.*g", digits, double(v));
    if (std::strtof(buf, nullptr) == v) break;
  }
  return buf;
}

void WriteIndent(std::string& s, int depth) { s.append(static_cast<size_t>(depth), ' '); }

void WriteMaterial(std::string& s, const XMaterial& m, int depth) {
  WriteIndent(s, depth);
  s += "Material";
  if (!m.name.empty()) s += " " + m.name;
  s += " {\n";
  WriteIndent(s, depth + 1);
  s += Num(m.face[0]) + ";" + Num(m.face[1]) + ";" + Num(m.face[2]) + ";" + Num(m.face[3]) + ";;\n";
  WriteIndent(s, depth + 1);
  s += Num(m.power) + ";\n";
  WriteIndent(s, depth + 1);
  s += Num(m.specular[0]) + ";" + Num(m.specular[1]) + ";" + Num(m.specular[2]) + ";;\n";
  WriteIndent(s, depth + 1);
  s += Num(m.emissive[0]) + ";" + Num(m.emissive[1]) + ";" + Num(m.emissive[2]) + ";;\n";
  if (!m.texture.empty()) {
    WriteIndent(s, depth + 1);
    s += "TextureFilename { \"" + m.texture + "\"; }\n";
  }
  WriteIndent(s, depth);
  s += "}\n";
}

template <typename T, size_t N>
void WriteVectors(std::string& s, const std::vector<std::array<T, N>>& v, int depth) {
  WriteIndent(s, depth);
  s += std::to_string(v.size()) + ";\n";
  for (size_t i = 0; i < v.size(); ++i) {
    WriteIndent(s, depth);
    for (float c : v[i]) s += Num(c) + ";";
    s += i + 1 < v.size() ? ",\n" : ";\n";
  }
}

void WriteFaces(std::string& s, const std::vector<std::vector<uint32_t>>& faces, int depth) {
  WriteIndent(s, depth);
  s += std::to_string(faces.size()) + ";\n";
  for (size_t f = 0; f < faces.size(); ++f) {
    WriteIndent(s, depth);
    s += std::to_string(faces[f].size()) + ";";
    for (size_t k = 0; k < faces[f].size(); ++k)
      s += std::to_string(faces[f][k]) + (k + 1 < faces[f].size() ? "," : ";");
    s += f + 1 < faces.size() ? ",\n" : ";\n";
  }
}

void WriteMesh(std::string& s, const XMesh& mesh, int depth) {
  WriteIndent(s, depth);
  s += "Mesh";
  if (!mesh.name.empty()) s += " " + mesh.name;
  s += " {\n";
  WriteVectors(s, mesh.positions, depth + 1);
  WriteFaces(s, mesh.faces, depth + 1);
  if (!mesh.normals.empty() || !mesh.faceNormals.empty()) {
    WriteIndent(s, depth + 1);
    s += "MeshNormals {\n";
    WriteVectors(s, mesh.normals, depth + 2);
    WriteFaces(s, mesh.faceNormals, depth + 2);
    WriteIndent(s, depth + 1);
    s += "}\n";
  }
  if (!mesh.texCoords.empty()) {
    WriteIndent(s, depth + 1);
    s += "MeshTextureCoords {\n";
    WriteVectors(s, mesh.texCoords, depth + 2);
    WriteIndent(s, depth + 1);
    s += "}\n";
  }
  if (!mesh.materials.empty()) {
    WriteIndent(s, depth + 1);
    s += "MeshMaterialList {\n";
    WriteIndent(s, depth + 2);
    s += std::to_string(mesh.materials.size()) + ";\n";
    WriteIndent(s, depth + 2);
    s += std::to_string(mesh.faces.size()) + ";\n";
    WriteIndent(s, depth + 2);
    for (size_t f = 0; f < mesh.faces.size(); ++f) {
      const uint32_t m = f < mesh.faceMaterials.size() ? mesh.faceMaterials[f] : 0;
      s += std::to_string(m) + (f + 1 < mesh.faces.size() ? "," : ";;");
    }
    s += mesh.faces.empty() ? ";\n" : "\n";
    for (const XMaterial& m : mesh.materials) WriteMaterial(s, m, depth + 2);
    WriteIndent(s, depth + 1);
    s += "}\n";
  }
  WriteIndent(s, depth);
  s += "}\n";
}

void WriteFrame(std::string& s, const XFrame& frame, int depth) {
  WriteIndent(s, depth);
  s += "Frame";
  if (!frame.name.empty()) s += " " + frame.name;
  s += " {\n";
  if (frame.hasMatrix) {
    WriteIndent(s, depth + 1);
    s += "FrameTransformMatrix {\n";
    WriteIndent(s, depth + 2);
    for (size_t i = 0; i < 16; ++i) s += Num(frame.matrix[i]) + (i < 15 ? "," : ";;\n");
    WriteIndent(s, depth + 1);
    s += "}\n";
  }
  for (const XMesh& m : frame.meshes) WriteMesh(s, m, depth + 1);
  for (const XFrame& c : frame.children) WriteFrame(s, c, depth + 1);
  WriteIndent(s, depth);
  s += "}\n";
}

}  // namespace

bool ParseXFile(const uint8_t* data, size_t size, XFile* out, std::string* error) {
  *out = XFile();
  if (!data) size = 0;
  if (size > kXMaxFileBytes) {
    if (error) *error = "file too large";
    return false;
  }
  if (!CheckHeader(data, size, error)) return false;
  const char* text = reinterpret_cast<const char*>(data);
  Parser parser(text + 16, text + size);
  if (!parser.ParseFile(out)) {
    if (error) *error = parser.Error();
    *out = XFile();
    return false;
  }
  return true;
}

std::string WriteXFile(const XFile& file) {
  std::string s = "xof 0303txt 0032\n";
  for (const XMesh& m : file.meshes) WriteMesh(s, m, 0);
  for (const XFrame& f : file.frames) WriteFrame(s, f, 0);
  return s;
}
