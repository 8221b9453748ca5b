// Cut-scenes: AVI files with Cinepak video and PCM sound, 320x240 at 10
// frames a second, written through libavformat/libavcodec. Each is a few
// seconds of the characters with a jingle and a spoken line.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
}

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>

#include "tools/assetgen/audio.h"
#include "tools/assetgen/draw.h"
#include "tools/assetgen/gen.h"
#include "tools/assetgen/jobs.h"
#include "tools/assetgen/scenes.h"

namespace assetgen {

namespace {

void Check(int r, const char* what) {
  if (r < 0) {
    char buf[128];
    av_strerror(r, buf, sizeof buf);
    throw std::runtime_error(std::string(what) + ": " + buf);
  }
}

class AviWriter {
 public:
  explicit AviWriter(const std::string& path) {
    Check(avformat_alloc_output_context2(&fmt_, nullptr, "avi", path.c_str()), "avi muxer");
    fmt_->flags |= AVFMT_FLAG_BITEXACT;
    // Video.
    const AVCodec* vc = avcodec_find_encoder_by_name("cinepak");
    if (!vc) throw std::runtime_error("no Cinepak encoder in this FFmpeg");
    vs_ = avformat_new_stream(fmt_, nullptr);
    venc_ = avcodec_alloc_context3(vc);
    venc_->width = kClipW;
    venc_->height = kClipH;
    venc_->pix_fmt = AV_PIX_FMT_RGB24;
    venc_->time_base = AVRational{1, kClipFps};
    venc_->framerate = AVRational{kClipFps, 1};
    venc_->gop_size = 1;  // every frame a key frame, so a picture's packet can be shown again
    venc_->flags |= AV_CODEC_FLAG_BITEXACT;
    venc_->thread_count = 1;
    // Fewer refinement passes: the clips are flat cartoons and must encode fast.
    av_opt_set_int(venc_->priv_data, "max_extra_cb_iterations", 0, 0);
    av_opt_set_int(venc_->priv_data, "max_strips", 3, 0);
    av_opt_set_int(venc_->priv_data, "min_strips", 3, 0);
    if (fmt_->oformat->flags & AVFMT_GLOBALHEADER) venc_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    Check(avcodec_open2(venc_, vc, nullptr), "open Cinepak");
    Check(avcodec_parameters_from_context(vs_->codecpar, venc_), "video parameters");
    vs_->time_base = venc_->time_base;
    // Sound.
    const AVCodec* ac = avcodec_find_encoder(AV_CODEC_ID_PCM_S16LE);
    as_ = avformat_new_stream(fmt_, nullptr);
    aenc_ = avcodec_alloc_context3(ac);
    aenc_->sample_fmt = AV_SAMPLE_FMT_S16;
    aenc_->sample_rate = kRate;
    av_channel_layout_default(&aenc_->ch_layout, 1);
    aenc_->time_base = AVRational{1, kRate};
    aenc_->flags |= AV_CODEC_FLAG_BITEXACT;
    Check(avcodec_open2(aenc_, ac, nullptr), "open PCM");
    Check(avcodec_parameters_from_context(as_->codecpar, aenc_), "audio parameters");
    as_->time_base = aenc_->time_base;
    Check(avio_open(&fmt_->pb, path.c_str(), AVIO_FLAG_WRITE), "open file");
    Check(avformat_write_header(fmt_, nullptr), "write header");
    frame_ = av_frame_alloc();
    frame_->format = AV_PIX_FMT_RGB24;
    frame_->width = kClipW;
    frame_->height = kClipH;
    Check(av_frame_get_buffer(frame_, 0), "frame buffer");
    pkt_ = av_packet_alloc();
  }

  ~AviWriter() {
    av_packet_free(&pkt_);
    av_frame_free(&frame_);
    avcodec_free_context(&venc_);
    avcodec_free_context(&aenc_);
    if (fmt_) {
      if (fmt_->pb) avio_closep(&fmt_->pb);
      avformat_free_context(fmt_);
    }
  }

  // Compresses one picture; the packet can be written any number of times.
  std::vector<uint8_t> Compress(const Canvas& c) {
    c.Flush();
    Check(av_frame_make_writable(frame_), "frame writable");
    for (int y = 0; y < kClipH; ++y) {
      uint8_t* row = frame_->data[0] + size_t(y) * frame_->linesize[0];
      for (int x = 0; x < kClipW; ++x) {
        Rgb p{};
        c.Pixel(x, y, &p);
        row[x * 3] = p.r;
        row[x * 3 + 1] = p.g;
        row[x * 3 + 2] = p.b;
      }
    }
    frame_->pts = compressed_++;
    Check(avcodec_send_frame(venc_, frame_), "encode");
    std::vector<uint8_t> data;
    for (;;) {
      int r = avcodec_receive_packet(venc_, pkt_);
      if (r == AVERROR(EAGAIN) || r == AVERROR_EOF) break;
      Check(r, "encode packet");
      data.assign(pkt_->data, pkt_->data + pkt_->size);
      av_packet_unref(pkt_);
    }
    if (data.empty()) throw std::runtime_error("Cinepak gave no packet for a picture");
    return data;
  }

  void WriteFrame(const std::vector<uint8_t>& data) {
    AVPacket* p = av_packet_alloc();
    Check(av_new_packet(p, int(data.size())), "packet");
    std::memcpy(p->data, data.data(), data.size());
    p->flags |= AV_PKT_FLAG_KEY;
    p->pts = p->dts = videoPts_++;
    p->duration = 1;
    av_packet_rescale_ts(p, venc_->time_base, vs_->time_base);
    p->stream_index = vs_->index;
    Check(av_interleaved_write_frame(fmt_, p), "write picture");
    av_packet_free(&p);
  }

  void AddSound(const Samples& s) {
    std::vector<int16_t> pcm = ToPcm(s);
    const int chunk = kRate / kClipFps;
    for (size_t at = 0; at < pcm.size(); at += chunk) {
      int n = int(std::min<size_t>(chunk, pcm.size() - at));
      AVFrame* f = av_frame_alloc();
      f->format = AV_SAMPLE_FMT_S16;
      f->sample_rate = kRate;
      av_channel_layout_default(&f->ch_layout, 1);
      f->nb_samples = n;
      Check(av_frame_get_buffer(f, 0), "sound buffer");
      std::memcpy(f->data[0], pcm.data() + at, size_t(n) * 2);
      f->pts = int64_t(at);
      Encode(aenc_, as_, f);
      av_frame_free(&f);
    }
  }

  void Finish() {
    Encode(aenc_, as_, nullptr);
    Check(av_write_trailer(fmt_), "write trailer");
  }

 private:
  void Encode(AVCodecContext* enc, AVStream* st, AVFrame* f) {
    Check(avcodec_send_frame(enc, f), "encode");
    for (;;) {
      int r = avcodec_receive_packet(enc, pkt_);
      if (r == AVERROR(EAGAIN) || r == AVERROR_EOF) return;
      Check(r, "encode packet");
      av_packet_rescale_ts(pkt_, enc->time_base, st->time_base);
      pkt_->stream_index = st->index;
      Check(av_interleaved_write_frame(fmt_, pkt_), "write packet");
    }
  }

  AVFormatContext* fmt_ = nullptr;
  AVStream* vs_ = nullptr;
  AVStream* as_ = nullptr;
  AVCodecContext* venc_ = nullptr;
  AVCodecContext* aenc_ = nullptr;
  AVFrame* frame_ = nullptr;
  AVPacket* pkt_ = nullptr;
  int64_t videoPts_ = 0;
  int64_t compressed_ = 0;
};

using DrawFn = std::function<void(cairo_t*, double t, int frame)>;

// A clip of `frames` frames showing `pictures` distinct pictures, each held for an
// equal share of the frames (Cinepak is slow: pictures are compressed once).
void Clip(Output& out, const std::string& rel, int frames, int pictures, const DrawFn& draw,
          const Samples& sound) {
  std::string path = out.Prepare(Root::Video, rel);
  std::string tmp = path + ".tmp.avi";
  {
    AviWriter w(tmp);
    std::vector<std::vector<uint8_t>> packets;
    Canvas c(kClipW, kClipH);
    for (int i = 0; i < pictures; ++i) {
      Clear(c.cr());
      draw(c.cr(), double(i) / pictures, i);
      packets.push_back(w.Compress(c));
    }
    // Sound first in the file, then pictures, interleaved by the muxer.
    Samples s = sound;
    s.resize(size_t(frames) * kRate / kClipFps, 0.0f);
    w.AddSound(s);
    for (int f = 0; f < frames; ++f) w.WriteFrame(packets[size_t(f) * pictures / frames]);
    w.Finish();
  }
  std::filesystem::rename(tmp, path);
  out.Adopt(Root::Video, rel);
}

Samples Jingle(int ch, const std::string& line) {
  static const char* const kTunes[7] = {
      "C5/8 E5/8 G5/4", "A4/8 C5/8 E5/4", "G4/8 Bb4/8 D5/4", "E5/8 D5/8 A4/4",
      "C5/16 E5/16 G5/16 C6/16 G5/4", "F4/8 B4/8 E5/4", "G4/8 G4/8 G4/4"};
  Samples s = Melody(kTunes[ch], 120, ch == 5 ? 2 : 0, 0.3);
  MixInto(s, Speak(line, ch), 0.6);
  return s;
}

void CharacterClip(Output& out, const std::string& rel, int ch, int variant, const std::string& line) {
  Clip(out, rel, kCutSceneClipFrames, 6,
       [&](cairo_t* cr, double t, int) {
         DrawEventScene(cr, 1 + (ch + variant * 3) % 10, kClipW, kClipH, t);
         cairo_rectangle(cr, 0, 0, kClipW, kClipH);
         cairo_set_source_rgba(cr, 0, 0, 0, 0.35);
         cairo_fill(cr);
         Pose p;
         if (variant == 0) {  // a victory dance
           double s = std::sin(t * 6 * M_PI);
           p.cheer = s > 0;
           p.arm[0] = 1.6 + s;
           p.arm[1] = -1.6 + s;
           p.leg[0] = 0.3 * s;
           p.leg[1] = -0.3 * s;
           p.bounce = std::fabs(s) * 8;
           p.turn = t * 2 * M_PI;
         } else {  // a taunt to the camera
           p.mouth = (int(t * 12) % 2) ? 0.9 : 0.3;
           p.arm[0] = 2.2;
           p.elbow[0] = 1.6;
           p.arm[1] = -0.3;
           p.lean = 0.1 * std::sin(t * 4 * M_PI);
         }
         double grow = std::min(1.0, t * 3);
         DrawCharacter(cr, ch == 6 ? kJudgeBuild : ch, p, kClipW / 2.0, kClipH - 14, 90 + 100 * grow);
         Text(cr, ch < 6 ? kCharacterName[ch] : "THE JUDGE", kClipW / 2.0, 30, 24, {250, 200, 40}, 1, true);
       },
       Jingle(ch, line));
}

}  // namespace

void GenerateVideos(Output& out) {
  // Intro: the logo drops in, then the six athletes run past.
  {
    Samples s = Melody("C4/8 E4/8 G4/8 C5/8 E5/8 G5/8 C6/2 R/4 G5/8 C6/2", 132, 0);
    MixInto(s, Drums("x...o...x.x.o...", 132, 2, 0.35), 0);
    Clip(out, kFixedClips[0], kFixedClipFrames[0], 16,
         [](cairo_t* cr, double t, int) {
           DrawBeach(cr, kClipW, kClipH);
           double y = std::min(1.0, t * 2.5);
           DrawLogo(cr, kClipW / 2.0, -30 + y * 100, 30);
           for (int c = 0; c < 6; ++c) {
             Pose p;
             double s = std::sin((t * 8 + c) * M_PI);
             p.leg[0] = 0.5 * s;
             p.leg[1] = -0.5 * s;
             p.arm[0] = -0.6 * s;
             p.arm[1] = 0.6 * s;
             p.elbow[0] = p.elbow[1] = 1.0;
             p.turn = 0.5;
             p.lean = 0.2;
             double x = -60 - c * 70 + t * 820;
             DrawCharacter(cr, c, p, x, kClipH - 12, 80);
           }
         },
         s);
  }
  {
    Samples s = Melody("G4/8 C5/8 E5/8 G5/4 E5/8 G5/2", 120, 2);
    MixInto(s, Speak("Welcome to Kelvanthrop!", 6), 1.2);
    Clip(out, kFixedClips[1], kFixedClipFrames[1], 8,
         [](cairo_t* cr, double t, int) {
           DrawBeach(cr, kClipW, kClipH);
           DrawLogo(cr, kClipW / 2.0, 60, 30);
           for (int c = 0; c < 6; ++c) {
             Pose p;
             p.cheer = std::fmod(t * 4 + c * 0.3, 1.0) > 0.5;
             p.bounce = p.cheer ? 6 : 0;
             DrawCharacter(cr, c, p, 30 + c * 52, kClipH - 10, 100);
           }
         },
         s);
  }
  {
    Samples s = Melody("C5/4 G4/4 A4/4 E4/4 F4/4 C4/4 F4/4 G4/4", 100, 2);
    Clip(out, kFixedClips[2], kFixedClipFrames[2], 16,
         [](cairo_t* cr, double t, int) {
           cairo_rectangle(cr, 0, 0, kClipW, kClipH);
           SetRgb(cr, {20, 24, 60});
           cairo_fill(cr);
           static const char* const kLines[] = {"KELVANTHROP", "", "A game of ten comic events", "",
                                                "Pictures drawn by code", "Sounds made by code",
                                                "Voices by a speech synthesiser", "", "Thanks for playing!"};
           for (int i = 0; i < 9; ++i)
             Text(cr, kLines[i], kClipW / 2.0, kClipH + 20 + i * 24 - t * 380, i == 0 ? 24 : 14,
                  i == 0 ? Rgb{250, 200, 40} : Rgb{255, 255, 255}, 1, true);
           Pose p;
           p.cheer = true;
           DrawCharacter(cr, int(t * 6) % 6, p, 40, kClipH - 8, 70);
         },
         s);
  }
  {
    Samples s = Melody("E4/8 G4/8 C5/4 E5/8 C5/8 G4/4", 120, 0);
    MixInto(s, Speak("Computer throw!", 6), 0.9);
    Clip(out, kFixedClips[3], kFixedClipFrames[3], 8,
         [](cairo_t* cr, double t, int) {
           DrawEventScene(cr, 1, kClipW, kClipH, t);
           Text(cr, "COMPUTER THROW", kClipW / 2.0, 34, 26, {250, 200, 40}, 1, true);
         },
         s);
  }
  static const char* const kLines[7][2] = {
      {"Nobody beats Rizaz!", "I could do this all day. After a nap."},
      {"Ook ook! Champion ape!", "Bananas for the winner!"},
      {"Look at these muscles!", "Too easy for Zaru."},
      {"The jungle is with me!", "Razirazo never gives up."},
      {"Boing boing, here I come!", "Nice try, mate!"},
      {"Zovi likes your planet.", "Resistance is useless."},
      {"Next event, please!", "Keep it clean out there."}};
  ForEach(14, [&](int row) {  // each clip on a thread of its own
    int ch = row / 2;  // rows 12 and 13 belong to no athlete: the judge speaks them
    CharacterClip(out, kCutSceneClips[row], ch, row % 2, kLines[ch][row % 2]);
  });
}

}  // namespace assetgen
