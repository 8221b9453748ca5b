// PNG contact sheets of the generated pictures, for a person to look at: one
// PNG per .mbm (all frames in a grid) and per .bmp.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}
#include <zlib.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "graphics/rle_codec.h"
#include "tools/assetgen/gen.h"
#include "tools/assetgen/jobs.h"

namespace assetgen {

namespace {

uint32_t Get32(const Bytes& b, size_t at) {
  if (at + 4 > b.size()) return 0;
  return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}
uint16_t Get16(const Bytes& b, size_t at) {
  if (at + 2 > b.size()) return 0;
  return uint16_t(b[at] | b[at + 1] << 8);
}

Bytes Unpack(const Bytes& f) {
  if (Get32(f, 0) != 0x00504B43) return f;
  uint32_t blocks = Get32(f, 8), total = Get32(f, 16), table = Get32(f, 24);
  Bytes out(total);
  for (uint32_t i = 0; i < blocks; ++i) {
    uint32_t off = Get32(f, table + 8 * i), len = Get32(f, table + 8 * i + 4);
    uLongf dst = std::min<uLongf>(32768, total - i * 32768);
    if (off + len > f.size() ||
        uncompress(out.data() + size_t(i) * 32768, &dst, f.data() + off, len) != Z_OK)
      return {};
  }
  return out;
}

struct Frame {
  int w = 0, h = 0;
  std::vector<uint32_t> argb;
};

// Raw 8-bit frames of an .mbm, or one 8/24-bit .bmp.
std::vector<Frame> Decode(const Bytes& raw, bool isBmp) {
  std::vector<Frame> frames;
  Bytes b = Unpack(raw);
  auto pixels = [&](size_t hdr, const uint8_t* pal, size_t bits, Frame* fr) {
    int w = int(Get32(b, hdr + 4)), h = int(Get32(b, hdr + 8));
    int bpp = Get16(b, hdr + 14);
    bool flip = h > 0;
    h = std::abs(h);
    if (w <= 0 || h <= 0 || w > 8192 || h > 8192) return false;  // the maze's title frames stand 4800 high
    size_t stride = (size_t(w) * (bpp / 8) + 3) & ~size_t(3);
    if (bits + stride * h > b.size()) return false;
    fr->w = w;
    fr->h = h;
    fr->argb.resize(size_t(w) * h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const uint8_t* s = &b[bits + size_t(flip ? h - 1 - y : y) * stride];
        uint32_t v;
        if (bpp == 8) {
          uint8_t i = s[x];
          v = i == 1 ? 0x00000000u
                     : 0xff000000u | uint32_t(pal[i * 4 + 2]) << 16 | uint32_t(pal[i * 4 + 1]) << 8 | pal[i * 4];
        } else {
          v = 0xff000000u | uint32_t(s[x * 3 + 2]) << 16 | uint32_t(s[x * 3 + 1]) << 8 | s[x * 3];
        }
        fr->argb[size_t(y) * w + x] = v;
      }
    return true;
  };
  if (isBmp) {
    Frame fr;
    if (b.size() > 54 && pixels(14, &b[54], Get32(b, 10), &fr)) frames.push_back(std::move(fr));
    return frames;
  }
  if (b.size() < 18 || b[0] != 'M' || b[1] != 'B') return frames;
  uint16_t count = Get16(b, b.size() - 8);
  bool shared = Get32(b, b.size() - 4) & 1;
  size_t at = 2 + (shared ? 1024 : 0);
  for (int i = 0; i < count; ++i) {
    uint32_t off = Get32(b, at), size = Get32(b, at + 4);
    uint8_t nameLen = at + 9 < b.size() ? b[at + 9] : 0;
    size_t hdr = size_t(off) + nameLen;
    if (hdr + 40 > b.size()) break;
    const uint8_t* pal = shared ? &b[2] : &b[hdr + 40];
    size_t bits = hdr + 40 + (shared ? 0 : 1024);
    Frame fr;
    uint32_t compression = Get32(b, hdr + 16);
    if (compression == 0x54524C45) {  // run-length: drawn with the game's own blitter
      int w = int(Get32(b, hdr + 4)), h = std::abs(int(Get32(b, hdr + 8)));
      uint32_t packed = Get32(b, hdr + 20);
      if (w > 0 && h > 0 && w <= 4096 && h <= 4096 && bits + packed <= b.size()) {
        std::vector<uint8_t> buf(size_t(w) * h, 1);
        BlitTrleClipped(&b[bits], packed, w, h, buf.data(), w, w, h, 0, 0, BlitRect{0, 0, w, h});
        fr.w = w;
        fr.h = h;
        for (uint8_t i : buf)
          fr.argb.push_back(i == 1 ? 0u
                                   : 0xff000000u | uint32_t(pal[i * 4 + 2]) << 16 |
                                         uint32_t(pal[i * 4 + 1]) << 8 | pal[i * 4]);
      }
    } else if (compression != 0 || !pixels(hdr, pal, bits, &fr)) {
      fr = Frame{};
    }
    frames.push_back(std::move(fr));
    at = size_t(off) + size;
  }
  return frames;
}

// Every `step`-th picture of a cut-scene, decoded by FFmpeg.
std::vector<Frame> DecodeClip(const std::string& path, int step) {
  std::vector<Frame> frames;
  AVFormatContext* fmt = nullptr;
  if (avformat_open_input(&fmt, path.c_str(), nullptr, nullptr) < 0) return frames;
  int vs = avformat_find_stream_info(fmt, nullptr) >= 0
               ? av_find_best_stream(fmt, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0)
               : -1;
  if (vs >= 0) {
    const AVCodec* dec = avcodec_find_decoder(fmt->streams[vs]->codecpar->codec_id);
    AVCodecContext* ctx = avcodec_alloc_context3(dec);
    if (dec && avcodec_parameters_to_context(ctx, fmt->streams[vs]->codecpar) >= 0 &&
        avcodec_open2(ctx, dec, nullptr) >= 0) {
      AVPacket* pkt = av_packet_alloc();
      AVFrame* fr = av_frame_alloc();
      int n = 0;
      auto take = [&] {
        while (avcodec_receive_frame(ctx, fr) == 0) {
          if (n++ % step) continue;
          Frame out;
          out.w = fr->width;
          out.h = fr->height;
          out.argb.resize(size_t(out.w) * out.h);
          SwsContext* sws = sws_getContext(fr->width, fr->height, AVPixelFormat(fr->format), out.w, out.h,
                                           AV_PIX_FMT_BGRA, SWS_POINT, nullptr, nullptr, nullptr);
          uint8_t* dst[1] = {reinterpret_cast<uint8_t*>(out.argb.data())};
          int pitch[1] = {out.w * 4};
          if (sws) {
            sws_scale(sws, fr->data, fr->linesize, 0, fr->height, dst, pitch);
            sws_freeContext(sws);
            for (uint32_t& v : out.argb) v |= 0xff000000u;
            frames.push_back(std::move(out));
          }
        }
      };
      while (av_read_frame(fmt, pkt) >= 0) {
        if (pkt->stream_index == vs && avcodec_send_packet(ctx, pkt) >= 0) take();
        av_packet_unref(pkt);
      }
      avcodec_send_packet(ctx, nullptr);
      take();
      av_frame_free(&fr);
      av_packet_free(&pkt);
    }
    avcodec_free_context(&ctx);
  }
  avformat_close_input(&fmt);
  return frames;
}

bool WriteSheet(std::vector<Frame> frames, const std::string& png);

// A tile picture at a quarter of its size: each 4x4 cell shows its tile's
// first pixel (a whole course fits on one sheet).
std::vector<Frame> DecodeTilePicture(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  Bytes b = Unpack(Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()));
  if (b.size() < 40 + 1024 + 8) return {};
  const int w = int(Get32(b, 4)), h = std::abs(int(Get32(b, 8)));
  const uint32_t tiles = Get32(b, 40 + 1024);
  const size_t tileBase = 40 + 1024 + 8, mapBase = tileBase + size_t(tiles) * 16;
  if (w <= 0 || h <= 0 || w % 4 || h % 4 || mapBase + size_t(w / 4) * (h / 4) * 2 > b.size()) return {};
  Frame f;
  f.w = w / 4;
  f.h = h / 4;
  for (int ty = 0; ty < f.h; ++ty)
    for (int tx = 0; tx < f.w; ++tx) {
      const uint32_t t = Get16(b, mapBase + (size_t(ty) * f.w + tx) * 2);
      const uint8_t i = t < tiles ? b[tileBase + size_t(t) * 16] : 0;
      const uint8_t* q = &b[40 + size_t(i) * 4];
      f.argb.push_back(0xFF000000u | uint32_t(q[2]) << 16 | uint32_t(q[1]) << 8 | q[0]);
    }
  return {f};
}

bool Sheet(const std::string& file, bool isBmp, const std::string& png) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return false;
  Bytes raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return WriteSheet(Decode(raw, isBmp), png);
}

bool WriteSheet(std::vector<Frame> frames, const std::string& png) {
  if (frames.empty()) return false;
  // Lay frames out in rows no wider than 1280 pixels.
  const int kMax = 1280, kGap = 4;
  int x = kGap, y = kGap, rowH = 0, width = 0;
  std::vector<std::pair<int, int>> pos;
  for (const Frame& f : frames) {
    if (x + f.w + kGap > kMax && x > kGap) {
      x = kGap;
      y += rowH + kGap;
      rowH = 0;
    }
    pos.push_back({x, y});
    x += f.w + kGap;
    width = std::max(width, x);
    rowH = std::max(rowH, f.h);
  }
  int height = y + rowH + kGap;
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
  cairo_t* cr = cairo_create(s);
  cairo_set_source_rgb(cr, 0.55, 0.55, 0.6);  // transparent pixels show as grey
  cairo_paint(cr);
  cairo_destroy(cr);
  cairo_surface_flush(s);
  unsigned char* data = cairo_image_surface_get_data(s);
  int stride = cairo_image_surface_get_stride(s);
  for (size_t i = 0; i < frames.size(); ++i)
    for (int fy = 0; fy < frames[i].h; ++fy)
      for (int fx = 0; fx < frames[i].w; ++fx) {
        uint32_t v = frames[i].argb[size_t(fy) * frames[i].w + fx];
        if (!(v >> 24)) continue;
        std::memcpy(data + size_t(pos[i].second + fy) * stride + size_t(pos[i].first + fx) * 4, &v, 4);
      }
  bool ok = SavePng(s, png);
  cairo_surface_destroy(s);
  return ok;
}

// The sheets to write (file names without the folder); empty: all of them.
std::set<std::string> g_only;

}  // namespace

bool SavePng(cairo_surface_t* surface, const std::string& png) {
  cairo_surface_mark_dirty(surface);
  if (!g_only.empty() && !g_only.count(std::filesystem::path(png).filename().string())) return true;
  return cairo_surface_write_to_png(surface, png.c_str()) == CAIRO_STATUS_SUCCESS;
}

int WriteContactSheets(const std::string& gamedata, const std::string& pngDir, const std::vector<std::string>& only) {
  g_only = std::set<std::string>(only.begin(), only.end());
  std::filesystem::create_directories(pngDir);
  std::vector<ManifestEntry> pictures;
  for (const ManifestEntry& e : AssetManifest())
    if (e.kind == Kind::Mbm || e.kind == Kind::Bmp8 || e.kind == Kind::Bmp24 || e.kind == Kind::Avi ||
        e.kind == Kind::Tile)
      pictures.push_back(e);
  std::atomic<int> written{0}, failed{0};
  ForEach(int(pictures.size()), [&](int i) {
    const ManifestEntry& e = pictures[size_t(i)];
    std::string disk = DiskName(e.path);
    std::string name = std::string(kRootDirName[int(e.root)]) + "_" + disk;
    for (char& c : name)
      if (c == '/' || c == '.') c = '_';
    std::string file = gamedata + "/" + kRootDirName[int(e.root)] + "/" + disk;
    bool ok = e.kind == Kind::Avi    ? WriteSheet(DecodeClip(file, 4), pngDir + "/" + name + ".png")
              : e.kind == Kind::Tile ? WriteSheet(DecodeTilePicture(file), pngDir + "/" + name + ".png")
                                     : Sheet(file, e.kind != Kind::Mbm, pngDir + "/" + name + ".png");
    if (ok) {
      ++written;
    } else {
      std::fprintf(stderr, "contact sheet failed: %s\n", file.c_str());
      ++failed;
    }
  });
  failed += WriteMazeContactSheets(gamedata, pngDir);
  if (g_only.empty())
    std::printf("contact sheets: %d written, %d failed, in %s\n", written.load(), failed.load(), pngDir.c_str());
  else
    std::printf("contact sheets: %d read, %d failed, %zu written to %s\n", written.load(), failed.load(),
                g_only.size(), pngDir.c_str());
  return failed ? 1 : 0;
}

}  // namespace assetgen
