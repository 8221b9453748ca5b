#include "video/clip_writer.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

#include <cmath>
#include <cstring>
#include <memory>

namespace {

struct Writer {
  AVFormatContext* fmt = nullptr;
  AVCodecContext* venc = nullptr;
  AVCodecContext* aenc = nullptr;
  AVStream* vs = nullptr;
  AVStream* as = nullptr;
  AVFrame* frame = nullptr;
  AVPacket* pkt = nullptr;
  std::string error;

  ~Writer() {
    av_packet_free(&pkt);
    av_frame_free(&frame);
    avcodec_free_context(&venc);
    avcodec_free_context(&aenc);
    if (fmt) {
      if (fmt->pb) avio_closep(&fmt->pb);
      avformat_free_context(fmt);
    }
  }

  bool Fail(const char* what, int r) {
    char buf[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(r, buf, sizeof buf);
    error = std::string(what) + ": " + buf;
    return false;
  }

  bool Drain(AVCodecContext* enc, AVStream* st, AVFrame* f) {
    int r = avcodec_send_frame(enc, f);
    if (r < 0) return Fail("encode", r);
    for (;;) {
      r = avcodec_receive_packet(enc, pkt);
      if (r == AVERROR(EAGAIN) || r == AVERROR_EOF) return true;
      if (r < 0) return Fail("encode packet", r);
      av_packet_rescale_ts(pkt, enc->time_base, st->time_base);
      pkt->stream_index = st->index;
      r = av_interleaved_write_frame(fmt, pkt);
      if (r < 0) return Fail("write packet", r);
    }
  }
};

void DefaultPicture(const ClipRecipe& s, int i, std::vector<uint8_t>* rgb) {
  for (int y = 0; y < s.height; ++y) {
    for (int x = 0; x < s.width; ++x) {
      uint8_t* p = &(*rgb)[(static_cast<size_t>(y) * s.width + x) * 3];
      int band = ((x + i * 4) / 8) % 4;
      p[0] = band == 0 || band == 3 ? 230 : 20;
      p[1] = band == 1 || band == 3 ? 230 : 20;
      p[2] = band == 2 || band == 3 ? 230 : 20;
    }
  }
}

}  // namespace

bool WriteClip(const std::string& path, const ClipRecipe& recipe, std::string* error) {
  Writer w;
  auto fail = [&](const char* what, int r) {
    w.Fail(what, r);
    if (error) *error = w.error;
    return false;
  };
  int r = avformat_alloc_output_context2(&w.fmt, nullptr, "avi", path.c_str());
  if (r < 0 || !w.fmt) return fail("avi muxer", r);
  w.fmt->flags |= AVFMT_FLAG_BITEXACT;

  const AVCodec* vc = recipe.cinepak ? avcodec_find_encoder_by_name("cinepak")
                                   : avcodec_find_encoder(AV_CODEC_ID_RAWVIDEO);
  if (!vc) return fail("no picture encoder", AVERROR_ENCODER_NOT_FOUND);
  w.vs = avformat_new_stream(w.fmt, nullptr);
  w.venc = avcodec_alloc_context3(vc);
  if (!w.vs || !w.venc) return fail("video stream", AVERROR(ENOMEM));
  w.venc->width = recipe.width;
  w.venc->height = recipe.height;
  w.venc->pix_fmt = recipe.cinepak ? AV_PIX_FMT_RGB24 : AV_PIX_FMT_BGR24;
  w.venc->time_base = AVRational{1, recipe.fps};
  w.venc->framerate = AVRational{recipe.fps, 1};
  w.venc->gop_size = 1;
  w.venc->flags |= AV_CODEC_FLAG_BITEXACT;
  w.venc->thread_count = 1;
  if (recipe.cinepak) {
    av_opt_set_int(w.venc->priv_data, "max_extra_cb_iterations", 0, 0);
    av_opt_set_int(w.venc->priv_data, "max_strips", 1, 0);
    av_opt_set_int(w.venc->priv_data, "min_strips", 1, 0);
  }
  r = avcodec_open2(w.venc, vc, nullptr);
  if (r < 0) return fail("open picture encoder", r);
  avcodec_parameters_from_context(w.vs->codecpar, w.venc);
  w.vs->time_base = w.venc->time_base;

  if (recipe.soundSamples > 0) {
    const AVCodec* ac = avcodec_find_encoder(AV_CODEC_ID_PCM_S16LE);
    w.as = avformat_new_stream(w.fmt, nullptr);
    w.aenc = avcodec_alloc_context3(ac);
    if (!w.as || !w.aenc) return fail("sound stream", AVERROR(ENOMEM));
    w.aenc->sample_fmt = AV_SAMPLE_FMT_S16;
    w.aenc->sample_rate = recipe.sampleRate;
    av_channel_layout_default(&w.aenc->ch_layout, recipe.channels);
    w.aenc->time_base = AVRational{1, recipe.sampleRate};
    w.aenc->flags |= AV_CODEC_FLAG_BITEXACT;
    r = avcodec_open2(w.aenc, ac, nullptr);
    if (r < 0) return fail("open sound encoder", r);
    avcodec_parameters_from_context(w.as->codecpar, w.aenc);
    w.as->time_base = w.aenc->time_base;
  }
  r = avio_open(&w.fmt->pb, path.c_str(), AVIO_FLAG_WRITE);
  if (r < 0) return fail("open file", r);
  r = avformat_write_header(w.fmt, nullptr);
  if (r < 0) return fail("write header", r);
  w.pkt = av_packet_alloc();
  w.frame = av_frame_alloc();
  if (!w.pkt || !w.frame) return fail("frames", AVERROR(ENOMEM));

  // Sound first: the muxer interleaves it with the pictures.
  if (recipe.soundSamples > 0) {
    const int chunk = std::max(1, recipe.sampleRate / recipe.fps);
    for (int at = 0; at < recipe.soundSamples; at += chunk) {
      int n = std::min(chunk, recipe.soundSamples - at);
      AVFrame* f = av_frame_alloc();
      f->format = AV_SAMPLE_FMT_S16;
      f->sample_rate = recipe.sampleRate;
      av_channel_layout_default(&f->ch_layout, recipe.channels);
      f->nb_samples = n;
      if (av_frame_get_buffer(f, 0) < 0) {
        av_frame_free(&f);
        return fail("sound buffer", AVERROR(ENOMEM));
      }
      auto* s = reinterpret_cast<int16_t*>(f->data[0]);
      for (int i = 0; i < n; ++i) {
        int16_t v = static_cast<int16_t>(8000 * std::sin(2 * M_PI * 440.0 * (at + i) / recipe.sampleRate));
        for (int c = 0; c < recipe.channels; ++c) s[i * recipe.channels + c] = v;
      }
      f->pts = at;
      bool ok = w.Drain(w.aenc, w.as, f);
      av_frame_free(&f);
      if (!ok) {
        if (error) *error = w.error;
        return false;
      }
    }
  }

  w.frame->format = w.venc->pix_fmt;
  w.frame->width = recipe.width;
  w.frame->height = recipe.height;
  if (av_frame_get_buffer(w.frame, 0) < 0) return fail("picture buffer", AVERROR(ENOMEM));
  std::vector<uint8_t> rgb(static_cast<size_t>(recipe.width) * recipe.height * 3);
  for (int i = 0; i < recipe.frames; ++i) {
    if (recipe.picture) {
      recipe.picture(i, &rgb);
    } else {
      DefaultPicture(recipe, i, &rgb);
    }
    av_frame_make_writable(w.frame);
    for (int y = 0; y < recipe.height; ++y) {
      uint8_t* row = w.frame->data[0] + static_cast<size_t>(y) * w.frame->linesize[0];
      const uint8_t* src = &rgb[static_cast<size_t>(y) * recipe.width * 3];
      for (int x = 0; x < recipe.width; ++x) {
        // Raw AVI pictures are blue-green-red.
        row[x * 3] = recipe.cinepak ? src[x * 3] : src[x * 3 + 2];
        row[x * 3 + 1] = src[x * 3 + 1];
        row[x * 3 + 2] = recipe.cinepak ? src[x * 3 + 2] : src[x * 3];
      }
    }
    w.frame->pts = i;
    if (!w.Drain(w.venc, w.vs, w.frame)) {
      if (error) *error = w.error;
      return false;
    }
  }
  if (!w.Drain(w.venc, w.vs, nullptr) || (w.aenc && !w.Drain(w.aenc, w.as, nullptr))) {
    if (error) *error = w.error;
    return false;
  }
  r = av_write_trailer(w.fmt);
  if (r < 0) return fail("write trailer", r);
  return true;
}
