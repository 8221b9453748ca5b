// The generated default data set: every file of the manifest exists and loads
// through the game's own readers, frame sizes and palettes match what the
// game's code depends on, the cut-scenes decode to their frame counts, and the
// generator writes the same bytes every time.
#include <gtest/gtest.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "base/paths.h"
#include "graphics/bitmap_font.h"
#include "graphics/bmp.h"
#include "graphics/palette.h"
#include "graphics/sprite.h"
#include "graphics/tile_picture.h"
#include "scene3d/rm.h"
#include "sound/sound.h"
#include "graphics/tile_picture.h"
#include "tools/assetgen/manifest.h"

namespace {

using namespace assetgen;
namespace fs = std::filesystem;

std::string Root(Root r) { return std::string(KEL_GAMEDATA_DIR) + "/" + kRootDirName[int(r)]; }
// The game's way to a file: directory + the relative name as the game spells it.
std::string GamePath(const ManifestEntry& e) { return ResolvePath(JoinPath(Root(e.root), e.path)); }

std::vector<uint8_t> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Decodes every video frame of an AVI clip; -1 when it does not open.
int DecodedFrames(const std::string& path, int* width, int* height, bool* hasSound) {
  AVFormatContext* fmt = nullptr;
  if (avformat_open_input(&fmt, path.c_str(), nullptr, nullptr) < 0) return -1;
  int frames = -1;
  if (avformat_find_stream_info(fmt, nullptr) >= 0) {
    int vs = av_find_best_stream(fmt, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    *hasSound = av_find_best_stream(fmt, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0) >= 0;
    if (vs >= 0) {
      AVCodecParameters* par = fmt->streams[vs]->codecpar;
      const AVCodec* dec = avcodec_find_decoder(par->codec_id);
      AVCodecContext* ctx = avcodec_alloc_context3(dec);
      if (dec && avcodec_parameters_to_context(ctx, par) >= 0 && avcodec_open2(ctx, dec, nullptr) >= 0 &&
          par->codec_id == AV_CODEC_ID_CINEPAK) {
        frames = 0;
        *width = par->width;
        *height = par->height;
        AVPacket* pkt = av_packet_alloc();
        AVFrame* fr = av_frame_alloc();
        auto drain = [&] {
          while (avcodec_receive_frame(ctx, fr) == 0) ++frames;
        };
        while (av_read_frame(fmt, pkt) >= 0) {
          if (pkt->stream_index == vs && avcodec_send_packet(ctx, pkt) >= 0) drain();
          av_packet_unref(pkt);
        }
        avcodec_send_packet(ctx, nullptr);
        drain();
        av_frame_free(&fr);
        av_packet_free(&pkt);
      }
      avcodec_free_context(&ctx);
    }
  }
  avformat_close_input(&fmt);
  return frames;
}

TEST(AssetTree, EveryManifestFileLoadsThroughTheGameReaders) {
  SoundManager sound(nullptr);
  int slot = sound.AllocSlot();
  ASSERT_GE(slot, 0);
  std::set<std::string> fonts = {"menu\\char.mbm", "menu\\font8s.mbm", "Menu\\font8.mbm", "Menu\\font8_2.mbm"};
  for (const ManifestEntry& e : AssetManifest()) {
    SCOPED_TRACE(std::string(kRootDirName[int(e.root)]) + " " + e.path);
    const std::string path = GamePath(e);
    ASSERT_TRUE(FileExists(path)) << "missing";
    switch (e.kind) {
      case Kind::Mbm: {
        Sprite s(path.c_str(), 0, -1);
        ASSERT_EQ(s.GetError(), kSpriteOk);
        ASSERT_EQ(s.FrameCount(), e.frames);
        for (int n = 1; n <= s.FrameCount(); ++n) {
          const BitmapInfoHeader* h = s.GetFrameInfo(n);
          ASSERT_NE(h, nullptr) << "frame " << n;
          std::vector<uint8_t> buf(size_t(h->width) * std::abs(h->height));
          ASSERT_EQ(s.DrawFrameToBuffer(n, buf.data(), h->width, 1), 1) << "frame " << n;
        }
        if (fonts.count(e.path)) {
          BitmapFont font(path.c_str(), 0x20, 0xE0);
          ASSERT_TRUE(font.IsValid());
          EXPECT_EQ(font.GetCharCount(), 0xE0);
          EXPECT_GT(font.GetTextWidth("WWW"), font.GetTextWidth("iii"));
        }
        break;
      }
      case Kind::Bmp8:
      case Kind::Bmp24: {
        std::vector<uint8_t> bytes;
        ASSERT_TRUE(ReadPictureFile(path, &bytes));
        BmpImage img;
        ASSERT_TRUE(DecodeBmp(bytes.data(), bytes.size(), &img));
        EXPECT_EQ(img.bitCount, e.kind == Kind::Bmp8 ? 8 : 24);
        break;
      }
      case Kind::Wav: {
        ASSERT_TRUE(sound.LoadWaveFile(slot, path.c_str(), 0, 1, 0));
        EXPECT_EQ(sound.SampleRate(slot), 22050u);
        EXPECT_GT(sound.SampleCount(slot), 200u) << "at least a click's worth";
        EXPECT_EQ(sound.Channels(slot), 1u);
        sound.Unload(slot);
        break;
      }
      case Kind::Avi: {
        int w = 0, h = 0;
        bool hasSound = false;
        EXPECT_EQ(DecodedFrames(path, &w, &h, &hasSound), e.frames);
        EXPECT_EQ(w, kClipW);
        EXPECT_EQ(h, kClipH);
        EXPECT_TRUE(hasSound);
        break;
      }
      case Kind::Tile: {
        TileMapPicture picture(path.c_str());
        ASSERT_TRUE(picture.IsLoaded()) << picture.GetError();
        EXPECT_GT(picture.GetWidth(), 640);
        EXPECT_GT(picture.GetHeight(), 400);
        break;
      }
      case Kind::Text: {
        std::vector<uint8_t> text = ReadAll(path);
        ASSERT_FALSE(text.empty());
        for (uint8_t c : text) EXPECT_TRUE(c == '\n' || (c >= 0x20 && c < 0x7F)) << int(c);
        break;
      }
      case Kind::MazeData:  // the maze engine's loaders read these in tests/maze3d
      case Kind::EventData:
        EXPECT_FALSE(ReadAll(path).empty());
        break;
      case Kind::Mesh: {
        const std::string folder = fs::path(path).parent_path().string();
        RMFrame* mesh = RMLoadFrameFromFile(path.c_str(), folder.c_str(), nullptr, 1, kRMRenderUnlitFlat, 8, 50.0f);
        ASSERT_NE(mesh, nullptr) << RMLastErrorText();
        mesh->Release();
        break;
      }
    }
  }
  sound.FreeSlot(slot);
}

// Frame sizes the screens and the event position things by.
TEST(AssetTree, FrameSizesMatchWhatTheGameDrawsBy) {
  using namespace throwassets;
  struct Want { ::assetgen::Root root; const char* path; int frame, w, h; };
  std::vector<Want> wants = {
      {Root::Data, kMiscSprite, kMiscBackdrop, kBackdropW, kBackdropH},
      {Root::Data, kMiscSprite, kMiscGround, kGroundStripW, kGroundStripH},
      {Root::Data, kComputerSprite, 1, kComputerW, kComputerH},
      {Root::Data, kComputerSprite, kComputerDropLast, kComputerW, kComputerH},
      {Root::Data, kMeterSprite, kMeterDialFrame, kMeterDialW, kMeterDialH},
      {Root::Data, kMeterSprite, 1, kMeterNeedleW, kMeterNeedleH},
      {Root::Data, kJudgeSprite, kJudgeMeasureFrame, kJudgeW, kJudgeH},
      {Root::Data, kShadowSprite, 1, kShadowW, kShadowH},
      {Root::Data, kGullsSprite, 1, kGullW, kGullH},
      {Root::Data, kDrumsSprite, 1, kDrumW, kDrumH},
      {Root::Data, kCloudsSprite, 1, kCloudW, kCloudH},
      {Root::Data, kPipeSprite, 1, kPipeW, kPipeH},
      {Root::Data, kSignSprite, 1, kSignW, kSignH},
      {Root::Data, kIconSprite, 1, kIconW, kIconH},
      {Root::Video, "video\\loading1.mbm", 1, 532, 404},
      {Root::Program, "menu\\credits.mbm", 1, 640, 480},
      {Root::Program, "Menu\\Events.mbm", 1, 630, 242},
      {Root::Program, "Menu\\Events.mbm", 2, 620, 232},  // a fifth and a half of it is one cell
      {Root::Program, "Menu\\Events.mbm", 3, 539, 200},
      {Root::Program, "Menu\\Events.mbm", kEventsFrames, 100, 100},
      {Root::Program, "Menu\\flags8.mbm", 14, 91, 76},
      {Root::Program, "Menu\\med8new.mbm", 1, 160, 140},
      {Root::Program, "Menu\\med8new.mbm", 19, 87, 68},
      {Root::Program, "Menu\\med8new.mbm", 25, 640, 480},
      {Root::Program, "Menu\\med8new.mbm", 26, 640, 480},
      {Root::Program, "Menu\\shop1.mbm", 1, 208, 178},
      {Root::Program, "Menu\\shop1.mbm", 3, 539, 109},
      {Root::Program, "Menu\\shop1.mbm", 4, 85, 51},
      {Root::Program, "menu\\goochtr8.mbm", 46, 168, 148},
      {Root::Program, "menu\\dialog.mbm", 3, 130, 120},
      {Root::Program, "menu\\dialog.mbm", 5, 512, 45},
  };
  for (int t = 0; t < kCharacters; ++t)
    wants.push_back({Root::Data, kContestantSheet[t], kSheetLayout[t].frameCount, kContestantW, kContestantH});
  {
    // HIPPO RUN's contacts are measured from the runners' and hippos' frame sizes.
    namespace ha = hippoassets;
    for (int r = 0; r < ha::kRows; ++r) {
      wants.push_back({Root::Data, ha::kRunnerSheet[r], 1, ha::kRunnerW, ha::kRunnerH});
      wants.push_back({Root::Data, ha::kWeaponSheet[r], ha::kWeaponPanelFrame, ha::kIconsW, ha::kIconsH});
    }
    wants.push_back({Root::Data, ha::kHippoSprite, 1, ha::kHippoW, ha::kHippoH});
    wants.push_back({Root::Data, ha::kTitleSprite, 1, ha::kTitleW, ha::kTitleH});
  }
  for (const Want& w : wants) {
    SCOPED_TRACE(std::string(w.path) + " frame " + std::to_string(w.frame));
    std::string path = ResolvePath(JoinPath(Root(w.root), w.path));
    Sprite s(path.c_str(), 0, -1);
    const BitmapInfoHeader* h = s.GetFrameInfo(w.frame);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(h->width, w.w);
    EXPECT_EQ(std::abs(h->height), w.h);
  }
  // Pictures.
  struct Pic { ::assetgen::Root root; const char* path; int w, h; };
  for (const Pic& p : {Pic{Root::Program, "menu\\bkgrd.bmp", 640, 480}, Pic{Root::Program, "Menu\\logomain.bmp", 640, 257},
                       Pic{Root::Data, kStatusPicture, kStatusW, kStatusH}, Pic{Root::Data, kPalettePicture, 16, 16}}) {
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(ReadPictureFile(ResolvePath(JoinPath(Root(p.root), p.path)), &bytes)) << p.path;
    BmpImage img;
    ASSERT_TRUE(DecodeBmp(bytes.data(), bytes.size(), &img));
    EXPECT_EQ(img.width, p.w) << p.path;
    EXPECT_EQ(img.height, p.h) << p.path;
  }
}

// COMPUTER THROW shows every contestant sheet and every scenery sprite with
// the palette of comp\palette.bmp, and remaps the status picture keeping only
// entries 0-125 and 255: so those files must already use that palette, and
// the status picture only those entries.
TEST(AssetTree, ThrowPicturesUseTheEventPalette) {
  using namespace throwassets;
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(ReadPictureFile(ResolvePath(JoinPath(Root(Root::Data), kPalettePicture)), &bytes));
  BmpImage pal;
  ASSERT_TRUE(DecodeBmp(bytes.data(), bytes.size(), &pal));
  EXPECT_EQ(pal.palette[0].red + pal.palette[0].green + pal.palette[0].blue, 0) << "entry 0 is black";
  for (int i = 0; i < 256; ++i) EXPECT_EQ(pal.pixels[i], i) << "the swatch shows each entry";

  ASSERT_TRUE(ReadPictureFile(ResolvePath(JoinPath(Root(Root::Data), kStatusPicture)), &bytes));
  BmpImage status;
  ASSERT_TRUE(DecodeBmp(bytes.data(), bytes.size(), &status));
  for (uint8_t v : status.pixels) ASSERT_TRUE(v <= 125 || v == 255) << int(v);
  EXPECT_EQ(0, std::memcmp(status.palette, pal.palette, sizeof pal.palette));

  std::vector<std::string> sprites = {kMiscSprite, kPipeSprite, kGullsSprite, kDrumsSprite, kCloudsSprite,
                                      kComputerSprite, kMeterSprite, kSignSprite, kShadowSprite, kJudgeSprite,
                                      kIconSprite, kIconSpriteLowMemory};
  for (const char* c : kContestantSheet) sprites.push_back(c);
  for (const std::string& name : sprites) {
    SCOPED_TRACE(name);
    std::string path = ResolvePath(JoinPath(Root(Root::Data), name));
    Sprite s(path.c_str(), 0, -1);
    ASSERT_EQ(s.GetError(), kSpriteOk);
    s.LoadFrame(1, 1);
    DDPalette* p = s.GetFramePalette(1);
    ASSERT_NE(p, nullptr);
    for (int i = 0; i < 256; ++i) {
      ASSERT_EQ(p->Entries()[i].red, pal.palette[i].red) << i;
      ASSERT_EQ(p->Entries()[i].green, pal.palette[i].green) << i;
      ASSERT_EQ(p->Entries()[i].blue, pal.palette[i].blue) << i;
    }
  }
}

// Fonts: one frame per character from 0x20; glyphs keep index 1 as their
// background so text draws over any picture.
TEST(AssetTree, FontGlyphsAreKeyedOverTheirBackground) {
  for (const char* name : {"menu\\char.mbm", "menu\\font8s.mbm", "Menu\\font8.mbm", "Menu\\font8_2.mbm"}) {
    SCOPED_TRACE(name);
    std::string path = ResolvePath(JoinPath(Root(Root::Program), name));
    Sprite s(path.c_str(), 0, -1);
    ASSERT_EQ(s.FrameCount(), 0xE0);
    for (int ch : {int('A'), int('g'), int('0'), 0xE9}) {  // 0xE9: a Latin-1 accented letter
      const BitmapInfoHeader* h = s.GetFrameInfo(ch - 0x1F);
      ASSERT_NE(h, nullptr);
      std::vector<uint8_t> buf(size_t(h->width) * std::abs(h->height));
      ASSERT_EQ(s.DrawFrameToBuffer(ch - 0x1F, buf.data(), h->width, 1), 1);
      size_t keyed = 0, ink = 0;
      for (uint8_t v : buf) (v == 1 ? keyed : ink)++;
      EXPECT_GT(ink, 4u) << "character " << ch << " draws something";
      EXPECT_GT(keyed, ink / 2) << "character " << ch << " has a transparent background";
    }
    // The space is all background.
    const BitmapInfoHeader* h = s.GetFrameInfo(1);
    std::vector<uint8_t> buf(size_t(h->width) * std::abs(h->height));
    ASSERT_EQ(s.DrawFrameToBuffer(1, buf.data(), h->width, 1), 1);
    for (uint8_t v : buf) EXPECT_EQ(v, 1);
  }
}

// Every throw character's row names a sheet and 47 sounds, each of them in the
// tree under the folder its flag chooses; the announcer's numbers are shared.
TEST(AssetTree, ThrowSoundRowsAreCompleteAndShareTheAnnouncer) {
  using namespace throwassets;
  for (int t = 0; t < kCharacters; ++t) {
    EXPECT_STREQ(kThrowCharacterFiles[t][0].path, kContestantSheet[t]);
    for (int slot = 0; slot < kSoundSlots; ++slot) {
      const ThrowFile& f = ThrowSoundFile(t, slot);
      ASSERT_NE(f.path, nullptr);
      std::string path = ResolvePath(JoinPath(Root(f.inProgramDir ? Root::Program : Root::Data), f.path));
      EXPECT_TRUE(FileExists(path)) << f.path;
    }
    for (int slot = 11; slot <= 40; ++slot)
      EXPECT_STREQ(ThrowSoundFile(t, slot).path, ThrowSoundFile(0, slot).path);
    EXPECT_STRNE(ThrowSoundFile(t, 42).path, ThrowSoundFile((t + 1) % kCharacters, 42).path)
        << "each character has its own hand-over call";
  }
  std::set<std::string> numbers;
  for (int slot = 11; slot <= 38; ++slot) numbers.insert(ThrowSoundFile(0, slot).path);
  EXPECT_EQ(numbers.size(), 28u) << "numbers 0-19 and tens 20-90 are distinct files";
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(kThrowCharOfCharacter[kCharacterOfThrowChar[i]], i);
  }
  EXPECT_EQ(kThrowCharOfCharacter[0], 3);  // RIZAZ
  EXPECT_EQ(kThrowCharOfCharacter[1], 0);  // RAREZ VUDA
  EXPECT_EQ(kThrowCharOfCharacter[4], 1);  // RADEROZI
}

// The sheets' own frame layout: the special kind-3 finishes fall inside their
// animations, and every throw has its follow frames.
TEST(AssetTree, ContestantSheetLayoutsHoldTheFramesTheEventPlays) {
  using namespace throwassets;
  const int kKind3Sound[3] = {132, 151, 107};  // RAREZ VUDA, RADEROZI, ZOVI
  for (int t = 0; t < kCharacters; ++t) {
    const ThrowSheetLayout& L = kSheetLayout[t];
    EXPECT_EQ(L.standFrame, L.spinLast);
    for (int k = 0; k < 4; ++k) {
      EXPECT_LE(L.throwFirst[k], L.handOverFrame[k]);
      EXPECT_LE(L.handOverFrame[k], L.throwLast[k]);
      EXPECT_LE(L.throwLast[k] + kFollowFrames, L.frameCount);
      if (k > 0) {
        EXPECT_GT(L.throwFirst[k], L.throwLast[k - 1] + kFollowFrames - 1);
      }
    }
    if (t < 3) {
      EXPECT_EQ(L.handOverFrame[3], kKind3Sound[t]);
    }
  }
}

// Every hippo stands whole in its frame (no opaque pixel on the frame's
// edge: the generator once drew the snout out past the right one), and the
// players' looks differ frame by frame, so that each person finds his own.
TEST(AssetTree, HipposStandWholeInTheirFramesAndEachPlayerHasHisOwn) {
  namespace ha = hippoassets;
  Sprite s(ResolvePath(JoinPath(Root(Root::Data), ha::kHippoSprite)).c_str(), 0, -1);
  ASSERT_EQ(s.GetError(), kSpriteOk);
  ASSERT_EQ(s.FrameCount(), ha::kHippoFrames);
  std::vector<std::vector<uint8_t>> pictures(ha::kHippoFrames + 1);
  for (int n = 1; n <= ha::kHippoFrames; ++n) {
    SCOPED_TRACE("frame " + std::to_string(n));
    ASSERT_EQ(s.LoadFrame(n, kFrameHeader), 1);
    const BitmapInfoHeader* h = s.GetFrameInfo(n);
    ASSERT_NE(h, nullptr);
    const int w = h->width, rows = std::abs(h->height);
    ASSERT_EQ(w, ha::kHippoW);
    std::vector<uint8_t>& buf = pictures[n];
    buf.assign(size_t(w) * rows, 0);
    ASSERT_EQ(s.DrawFrameToBuffer(n, buf.data(), w, 1), 1);
    for (int y = 0; y < rows; ++y) {
      EXPECT_EQ(buf[size_t(y) * w], 1) << "left edge, row " << y;
      EXPECT_EQ(buf[size_t(y) * w + w - 1], 1) << "right edge, row " << y;
    }
    for (int x = 0; x < w; ++x) {
      EXPECT_EQ(buf[size_t(x)], 1) << "top edge, column " << x;
      EXPECT_EQ(buf[size_t(rows - 1) * w + x], 1) << "bottom edge, column " << x;
    }
  }
  for (int f = 1; f <= ha::kHippoLookFrames; ++f)
    for (int a = 0; a < ha::kHippoLooks; ++a)
      for (int b = a + 1; b < ha::kHippoLooks; ++b) {
        const auto& pa = pictures[a * ha::kHippoLookFrames + f];
        const auto& pb = pictures[b * ha::kHippoLookFrames + f];
        size_t differ = 0;
        for (size_t i = 0; i < pa.size() && i < pb.size(); ++i) differ += pa[i] != pb[i] ? 1 : 0;
        EXPECT_GT(differ, 60u) << "frame " << f << ": players " << a + 1 << " and " << b + 1 << " look alike";
      }
}

// A frame of a program picture as its 8-bit pixels (width, height out).
std::vector<uint8_t> ProgramFramePixels(const char* file, int n, int* width, int* height) {
  Sprite s(ResolvePath(JoinPath(Root(Root::Program), file)).c_str(), 0, -1);
  if (s.GetError() != kSpriteOk || s.LoadFrame(n, kFrameHeader) != 1 || !s.GetFrameInfo(n)) return {};
  *width = s.GetFrameInfo(n)->width;
  *height = std::abs(s.GetFrameInfo(n)->height);
  std::vector<uint8_t> buf(size_t(*width) * *height);
  if (s.DrawFrameToBuffer(n, buf.data(), *width, 1) != 1) return {};
  return buf;
}

// The panels of the events and the wait box are laid with the dialog's
// tile side by side and one under another: its stripes run on over every
// join. They are 26 apart and fall 12 rows every 13 columns, so the picture
// is the same moved 26 across, or 13 across and 12 down, wrapping round the
// tile's edges as the panels do.
TEST(AssetTree, TheDialogTileRunsOnOverItsJoins) {
  int w = 0, h = 0;
  const std::vector<uint8_t> tile = ProgramFramePixels("menu\\dialog.mbm", 3, &w, &h);
  ASSERT_EQ(tile.size(), 130u * 120u);
  auto at = [&](int x, int y) { return tile[size_t(y % h) * w + size_t(x % w)]; };
  std::set<uint8_t> colours(tile.begin(), tile.end());
  EXPECT_GE(colours.size(), 2u) << "a striped tile";
  int across = 0, down = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      across += at(x, y) != at(x + 26, y);
      down += at(x, y) != at(x + 13, y + 12);
    }
  EXPECT_EQ(across, 0) << "pixels that differ 26 across";
  EXPECT_EQ(down, 0) << "pixels that differ 13 across and 12 down";
}

// The new game screen's carousel shows each athlete's face whole: nothing
// of it touches the frame's edge, where the hair would be cut straight.
TEST(AssetTree, CarouselFacesStandWholeInTheirFrames) {
  for (int n = 1; n <= 6; ++n) {
    SCOPED_TRACE("face " + std::to_string(n));
    int w = 0, h = 0;
    const std::vector<uint8_t> face = ProgramFramePixels("Menu\\faces8n.mbm", n, &w, &h);
    ASSERT_EQ(face.size(), size_t(w) * h);
    ASSERT_GT(w, 0);
    int inked = 0, onEdge = 0;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const bool ink = face[size_t(y) * w + x] != 1;
        inked += ink;
        onEdge += ink && (x == 0 || y == 0 || x == w - 1 || y == h - 1);
      }
    EXPECT_GT(inked, w * h / 6) << "a face fills much of its frame";
    EXPECT_EQ(onEdge, 0) << "pixels of the face on the frame's edge";
  }
}

// The shop's six items each show their own pictures in every training
// sheet: the first frames of the six animations all differ.
TEST(AssetTree, ShopItemsHaveTheirOwnPictures) {
  for (const char* name : kFaceSheet) {
    SCOPED_TRACE(name);
    Sprite s(ResolvePath(JoinPath(Root(Root::Program), name)).c_str(), 0, -1);
    ASSERT_EQ(s.FrameCount(), kTrainingSheetFrames);
    std::vector<std::vector<uint8_t>> first;
    for (int f : {1, 16, 31, 46, 62, 77}) {
      ASSERT_EQ(s.LoadFrame(f, kFrameHeader), 1);
      const BitmapInfoHeader* h = s.GetFrameInfo(f);
      ASSERT_NE(h, nullptr);
      EXPECT_EQ(h->width, 168);
      std::vector<uint8_t> buf(size_t(h->width) * std::abs(h->height));
      ASSERT_EQ(s.DrawFrameToBuffer(f, buf.data(), h->width, 1), 1);
      for (const auto& other : first) {
        size_t differ = 0;
        for (size_t i = 0; i < buf.size() && i < other.size(); ++i) differ += buf[i] != other[i] ? 1 : 0;
        EXPECT_GT(differ, buf.size() / 4) << "frame " << f << " looks like an earlier item's";
      }
      first.push_back(std::move(buf));
    }
  }
}

// The code that is written names its files with literals such as
// "menu\\char.mbm": each such name must be in the manifest, so that a screen
// added or changed later cannot open a file the data set lacks. (The events
// still to come add their own files with their own issues.)
TEST(AssetTree, EveryFileTheGameCodeNamesIsInTheManifest) {
  std::set<std::string> known;
  auto norm = [](std::string p) {
    for (char& c : p) c = c == '/' ? '\\' : char(std::tolower(static_cast<unsigned char>(c)));
    return p;
  };
  for (const ManifestEntry& e : AssetManifest()) known.insert(norm(e.path));
  for (int t = 0; t < throwassets::kCharacters; ++t)
    for (const auto& f : throwassets::kThrowCharacterFiles[t]) known.insert(norm(f.path));
  const std::regex name(R"re("((?:[A-Za-z0-9_]+\\\\)+[A-Za-z0-9_]+\.(?:mbm|wav|bmp|avi|txt|bbm|skd|jcd))")re");
  int seen = 0;
  for (const char* dir : {"app", "base", "graphics", "platform", "video", "frontend", "events/computer_throw",
                          "events/figure_skating", "events/doggie_jump", "events/javelin_catch"}) {
    const fs::path root = fs::path(KEL_SOURCE_DIR) / dir;
    if (!fs::exists(root)) continue;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
      const std::string ext = e.path().extension().string();
      if (!e.is_regular_file() || (ext != ".cpp" && ext != ".h")) continue;
      std::ifstream in(e.path());
      std::string line;
      int lineNo = 0;
      while (std::getline(in, line)) {
        ++lineNo;
        // Leave out comments (a // outside a string literal).
        bool quoted = false;
        for (size_t i = 0; i + 1 < line.size(); ++i) {
          if (line[i] == '\\' && quoted) {
            ++i;
          } else if (line[i] == '"') {
            quoted = !quoted;
          } else if (!quoted && line[i] == '/' && line[i + 1] == '/') {
            line.resize(i);
            break;
          }
        }
        for (std::sregex_iterator it(line.begin(), line.end(), name), end; it != end; ++it) {
          std::string literal = (*it)[1].str(), path;
          for (size_t i = 0; i < literal.size(); ++i) {
            path.push_back(literal[i]);
            if (literal[i] == '\\' && i + 1 < literal.size() && literal[i + 1] == '\\') ++i;
          }
          ++seen;
          EXPECT_TRUE(known.count(norm(path))) << path << " named at " << e.path().string() << ":" << lineNo;
        }
      }
    }
  }
  EXPECT_GT(seen, 10) << "the scan finds the names the shell already opens";
}

// JAVELIN CATCH: each .jcd file holds 37 numbers that agree with its sheet
// (every animation's eight runs lie inside the sheet, and no run but the
// walk starts at frame 1, since the event shows the frame before a run), and
// the pictures have the sizes the event places them by.
TEST(AssetTree, JavelinDataFilesAgreeWithTheirSheets) {
  namespace ja = javelinassets;
  for (int c = 0; c < ja::kCharacters; ++c) {
    SCOPED_TRACE(ja::kJcdFile[c]);
    std::vector<uint8_t> text = ReadAll(ResolvePath(JoinPath(Root(Root::Data), ja::kJcdFile[c])));
    std::vector<int> v;
    std::string line;
    for (uint8_t ch : text) {
      if (ch == '\n') {
        v.push_back(std::atoi(line.c_str()));
        line.clear();
      } else if (ch != '\r') {
        line.push_back(char(ch));
      }
    }
    ASSERT_TRUE(line.empty()) << "every line ends";
    ASSERT_EQ(v.size(), size_t(ja::kJcdValues));
    Sprite sheet(ResolvePath(JoinPath(Root(Root::Data), ja::kContestantSprite[c])).c_str(), 0, -1);
    ASSERT_EQ(sheet.GetError(), kSpriteOk);
    for (int a = 0; a < 11; ++a) {
      SCOPED_TRACE("animation " + std::to_string(a));
      EXPECT_GE(v[a], 0);
      EXPECT_LE(v[a], 10);
      const int first = v[11 + a], frames = v[22 + a];
      EXPECT_GE(frames, 1);
      EXPECT_GE(first, a == 0 ? 1 : 2);
      EXPECT_LE(first + 8 * frames - 1, sheet.FrameCount());
    }
    const BitmapInfoHeader* h = sheet.GetFrameInfo(1);
    ASSERT_NE(h, nullptr);
    EXPECT_GT(v[33], 0);
    EXPECT_LT(v[33], h->width);
    EXPECT_GT(v[34], 0);
    EXPECT_LT(v[34], std::abs(h->height));
    EXPECT_GT(v[35], 0) << "the maximum energy divides";
    EXPECT_GT(v[36], 0);
  }
  TileMapPicture field(ResolvePath(JoinPath(Root(Root::Data), ja::kFieldPicture)).c_str());
  ASSERT_TRUE(field.IsLoaded());
  EXPECT_GE(field.GetWidth(), 1476);
  EXPECT_GE(field.GetHeight(), 804);
  struct Want { const char* path; int frame, w, h; };
  std::vector<Want> wants = {{ja::kCannonSprite, 1, ja::kCannonW, ja::kCannonH},
                             {ja::kCannonSprite, ja::kCannonIdleFrame, ja::kCannonW, ja::kCannonH},
                             {ja::kFenceSprite, 1, ja::kFenceW, ja::kFenceH},
                             {ja::kObjectsSprite, ja::kBlastFirst, ja::kBlastW, ja::kBlastH},
                             {ja::kObjectsSprite, ja::kFireFirst, ja::kFireW, ja::kFireH},
                             {ja::kObjectsSprite, ja::kSmokeFirst + ja::kSmokeFrames - 1, ja::kFireW, ja::kFireH},
                             {ja::kObjectsSprite, ja::kShadowFrame, ja::kShadowW, ja::kShadowH},
                             {ja::kAnnouncerSprite, 1, ja::kAnnouncerW, ja::kAnnouncerH}};
  for (const ja::ObjectKind& k : ja::kObjectKinds)
    for (int f = k.firstFrame; f < k.firstFrame + k.frames; ++f) wants.push_back({ja::kObjectsSprite, f, k.w, k.h});
  for (const Want& w : wants) {
    SCOPED_TRACE(std::string(w.path) + " frame " + std::to_string(w.frame));
    Sprite s(ResolvePath(JoinPath(Root(Root::Data), w.path)).c_str(), 0, -1);
    const BitmapInfoHeader* h = s.GetFrameInfo(w.frame);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(h->width, w.w);
    EXPECT_EQ(std::abs(h->height), w.h);
  }
}

// JAVELIN CATCH matches its objects picture to the event palette before the
// contestants' colours are copied into their bands: so the falling objects,
// the blast, the fire and the smoke must keep to the field's entries (2..118,
// and black and white), never the text green nor a band that a contestant
// takes over. The smoke is plain grey in every frame.
TEST(AssetTree, JavelinObjectsKeepToTheFieldColoursAndTheSmokeIsGrey) {
  namespace ja = javelinassets;
  Sprite s(ResolvePath(JoinPath(Root(Root::Data), ja::kObjectsSprite)).c_str(), 0, -1);
  ASSERT_EQ(s.GetError(), kSpriteOk);
  ASSERT_EQ(s.FrameCount(), ja::kObjectsFrames);
  for (int n = 1; n <= ja::kObjectsFrames; ++n) {
    SCOPED_TRACE("frame " + std::to_string(n));
    ASSERT_EQ(s.LoadFrame(n, kFrameHeader), 1);
    const BitmapInfoHeader* h = s.GetFrameInfo(n);
    ASSERT_NE(h, nullptr);
    const int w = h->width, rows = std::abs(h->height);
    std::vector<uint8_t> buf(size_t(w) * rows);
    ASSERT_EQ(s.DrawFrameToBuffer(n, buf.data(), w, 1), 1);
    const PaletteEntry* pal = s.GetFramePalette(n)->Entries();
    const bool smoke = n >= ja::kSmokeFirst && n < ja::kSmokeFirst + ja::kSmokeFrames;
    int shown = 0;
    for (uint8_t v : buf) {
      if (v == 1) continue;
      ++shown;
      ASSERT_TRUE(v == 0 || v == 255 || (v >= ja::kFieldFirst && v <= ja::kFieldFirst + ja::kFieldCount - 2))
          << "entry " << int(v);
      if (smoke)
        ASSERT_TRUE(ja::IsSmokeGrey(pal[v].red, pal[v].green, pal[v].blue))
            << "entry " << int(v) << " (" << int(pal[v].red) << ", " << int(pal[v].green) << ", "
            << int(pal[v].blue) << ")";
    }
    EXPECT_GT(shown, 0) << "an empty frame";
  }
}

std::map<std::string, std::vector<uint8_t>> Tree(const std::string& dir) {
  std::map<std::string, std::vector<uint8_t>> files;
  for (const auto& e : fs::recursive_directory_iterator(dir))
    if (e.is_regular_file()) files[fs::relative(e.path(), dir).string()] = ReadAll(e.path().string());
  return files;
}

int RunCommand(const std::string& command) {
  int r = std::system(command.c_str());
  return WIFEXITED(r) ? WEXITSTATUS(r) : -1;
}

TEST(AssetTree, GeneratorWritesTheSameBytesEveryRun) {
  const std::string again = std::string(KEL_BINARY_DIR) + "/gamedata-again";
  fs::remove_all(again);
  ASSERT_EQ(RunCommand("ASAN_OPTIONS=detect_leaks=0 '" + std::string(KEL_ASSETGEN) + "' '" + again + "' >/dev/null"), 0);
  auto first = Tree(KEL_GAMEDATA_DIR);
  auto second = Tree(again);
  ASSERT_EQ(first.size(), second.size());
  EXPECT_GE(first.size(), AssetManifest().size());
  for (const auto& [name, bytes] : first) {
    auto it = second.find(name);
    ASSERT_NE(it, second.end()) << name;
    EXPECT_TRUE(it->second == bytes) << name << " differs between runs";
  }
  fs::remove_all(again);
}

// Contact sheets of the pictures, for a person to look at (the
// contact-sheets target writes them all): every picture is read and laid
// out, and the named sheets written.
TEST(AssetTree, WritesContactSheets) {
  const std::string dir = std::string(KEL_BINARY_DIR) + "/contact-sheets-test";
  fs::remove_all(dir);
  const std::vector<std::string> sheets = {
      "data_comp_rizaz_mbm.png",        "data_comp_monkey_mbm.png",   "program_menu_logomain_bmp.png",
      "program_menu_events_mbm.png",    "program_menu_faces8n_mbm.png", "video_video_intro1_avi.png",
      "data_hippo_back_bbm.png"};
  std::string names;
  for (const std::string& s : sheets) names += " '" + s + "'";
  ASSERT_EQ(RunCommand("ASAN_OPTIONS=detect_leaks=0 '" + std::string(KEL_ASSETGEN) + "' --contact-sheets '" +
                std::string(KEL_GAMEDATA_DIR) + "' '" + dir + "'" + names + " >/dev/null"),
            0);
  for (const std::string& png : sheets) EXPECT_GT(fs::file_size(dir + "/" + png), 1000u) << png;
  fs::remove_all(dir);
}

}  // namespace
