#include "video/avi_decoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/imgutils.h>
#include <libavutil/log.h>
#include <libavutil/mem.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "base/atomic_file.h"
#include "base/paths.h"
#include "video/rgb_convert.h"

namespace {

constexpr int kIoBufferSize = 32768;
// Pictures whose time leaps further than this past the last one are taken as
// damaged and shown one period later instead (a clip would otherwise stall).
constexpr int64_t kMaxTimeLeapMs = 10000;
// Packets in a row the decoder may refuse before the clip is given up.
constexpr int kMaxBadPackets = 16;
constexpr size_t kPictureSlack = 64;
// Sound rates a clip may have: anything else is not sound but damage (a
// rate of a few samples a second would be stretched a thousandfold).
constexpr int kMinSoundRate = 4000;
constexpr int kMaxSoundRate = 192000;

std::string AvError(int code) {
  char buf[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, buf, sizeof buf);
  return buf;
}

// The codecs cut-scenes are made with. Clips are untrusted files, and the
// library's many other decoders are no part of what the game plays: a clip
// naming one of them is refused rather than fed to it.
bool AllowedPictureCodec(AVCodecID id) {
  switch (id) {
    case AV_CODEC_ID_CINEPAK:
    case AV_CODEC_ID_RAWVIDEO:
    case AV_CODEC_ID_MSVIDEO1:
    case AV_CODEC_ID_MSRLE:
      return true;
    default:
      return false;
  }
}

bool AllowedSoundCodec(AVCodecID id) {
  switch (id) {
    case AV_CODEC_ID_PCM_U8:
    case AV_CODEC_ID_PCM_S16LE:
    case AV_CODEC_ID_PCM_ALAW:
    case AV_CODEC_ID_PCM_MULAW:
    case AV_CODEC_ID_ADPCM_MS:
    case AV_CODEC_ID_ADPCM_IMA_WAV:
      return true;
    default:
      return false;
  }
}

void QuietLibraries() {
  static bool done = false;
  if (done) return;
  done = true;
  // Damaged clips are reported through our own debug output; the libraries'
  // own complaints would only repeat them on stderr.
  av_log_set_level(AV_LOG_FATAL);
}

}  // namespace

// The clip's bytes come through our own reader (a file opened here or a
// caller's memory), so that no other protocol or file is ever reached.
struct AviDecoder::Input {
  FILE* file = nullptr;
  const uint8_t* data = nullptr;
  size_t size = 0;
  size_t pos = 0;
  AVIOContext* io = nullptr;
  AVFormatContext* fmt = nullptr;

  ~Input() {
    if (fmt) avformat_close_input(&fmt);
    if (io) {
      av_freep(&io->buffer);
      avio_context_free(&io);
    }
    if (file) std::fclose(file);
  }

  static int Read(void* opaque, uint8_t* buf, int n) {
    Input* in = static_cast<Input*>(opaque);
    if (n <= 0) return 0;
    if (in->file) {
      size_t got = std::fread(buf, 1, static_cast<size_t>(n), in->file);
      return got == 0 ? AVERROR_EOF : static_cast<int>(got);
    }
    if (in->pos >= in->size) return AVERROR_EOF;
    size_t take = std::min(static_cast<size_t>(n), in->size - in->pos);
    std::memcpy(buf, in->data + in->pos, take);
    in->pos += take;
    return static_cast<int>(take);
  }

  static int64_t Seek(void* opaque, int64_t offset, int whence) {
    Input* in = static_cast<Input*>(opaque);
    int64_t size;
    if (in->file) {
      long here = std::ftell(in->file);
      if (std::fseek(in->file, 0, SEEK_END) != 0) return -1;
      size = std::ftell(in->file);
      std::fseek(in->file, here, SEEK_SET);
    } else {
      size = static_cast<int64_t>(in->size);
    }
    whence &= ~AVSEEK_FORCE;
    if (whence == AVSEEK_SIZE) return size;
    int64_t base = whence == SEEK_SET ? 0
                   : whence == SEEK_END ? size
                   : whence == SEEK_CUR ? (in->file ? std::ftell(in->file) : static_cast<int64_t>(in->pos))
                                        : -1;
    if (base < 0) return -1;
    int64_t to = base + offset;
    if (to < 0 || to > size) return -1;
    if (in->file) {
      if (std::fseek(in->file, static_cast<long>(to), SEEK_SET) != 0) return -1;
    } else {
      in->pos = static_cast<size_t>(to);
    }
    return to;
  }
};

namespace {

// Opens the AVI reader over a file or memory. Null with a reason on failure.
std::unique_ptr<AviDecoder::Input> OpenAvi(const std::string& path, const uint8_t* data,
                                           size_t size, std::string* error) {
  QuietLibraries();
  auto in = std::make_unique<AviDecoder::Input>();
  if (data) {
    in->data = data;
    in->size = size;
  } else {
    // Never fopen() directly: a FIFO put in place of a clip would hold the
    // game in open() for good.
    int fd = OpenRegularFile(ResolvePath(path));
    in->file = fd >= 0 ? ::fdopen(fd, "rb") : nullptr;
    if (!in->file) {
      *error = "cannot open the file (" + FileErrorText(errno) + ")";
      if (fd >= 0) ::close(fd);
      return nullptr;
    }
  }
  uint8_t* buffer = static_cast<uint8_t*>(av_malloc(kIoBufferSize));
  if (!buffer) {
    *error = "out of memory";
    return nullptr;
  }
  in->io = avio_alloc_context(buffer, kIoBufferSize, 0, in.get(), &AviDecoder::Input::Read, nullptr,
                              &AviDecoder::Input::Seek);
  if (!in->io) {
    av_free(buffer);
    *error = "out of memory";
    return nullptr;
  }
  in->fmt = avformat_alloc_context();
  if (!in->fmt) {
    *error = "out of memory";
    return nullptr;
  }
  in->fmt->pb = in->io;
  in->fmt->flags |= AVFMT_FLAG_CUSTOM_IO;
  const AVInputFormat* avi = av_find_input_format("avi");
  if (!avi) {
    *error = "no AVI reader in this FFmpeg";
    return nullptr;
  }
  int r = avformat_open_input(&in->fmt, nullptr, avi, nullptr);
  if (r < 0) {
    in->fmt = nullptr;  // freed by avformat_open_input
    *error = "not a readable AVI file (" + AvError(r) + ")";
    return nullptr;
  }
  return in;
}

void PutLe16(std::vector<uint8_t>& v, size_t at, uint16_t x) {
  v[at] = static_cast<uint8_t>(x);
  v[at + 1] = static_cast<uint8_t>(x >> 8);
}
void PutLe32(std::vector<uint8_t>& v, size_t at, uint32_t x) {
  for (int i = 0; i < 4; ++i) v[at + i] = static_cast<uint8_t>(x >> (8 * i));
}

}  // namespace

AviDecoder::AviDecoder() = default;

AviDecoder::~AviDecoder() { Close(); }

bool AviDecoder::IsOpen() const { return in_ != nullptr && codec_ != nullptr; }

void AviDecoder::Close() {
  if (sws_) sws_freeContext(sws_);
  sws_ = nullptr;
  if (codec_) avcodec_free_context(&codec_);
  if (frame_) av_frame_free(&frame_);
  if (packet_) av_packet_free(&packet_);
  in_.reset();
  videoStream_ = -1;
  width_ = height_ = 0;
  picture_.clear();
  framesDecoded_ = 0;
  lastPtsMs_ = -1;
  draining_ = false;
  ended_ = false;
  badPackets_ = 0;
}

bool AviDecoder::Open(const std::string& path, std::string* error) {
  Close();
  path_ = path;
  memData_ = nullptr;
  memSize_ = 0;
  return OpenInput(error);
}

bool AviDecoder::OpenMemory(const uint8_t* data, size_t size, std::string* error) {
  Close();
  path_.clear();
  memData_ = data;
  memSize_ = size;
  if (!data || size == 0) {
    if (error) *error = "no data";
    return false;
  }
  return OpenInput(error);
}

bool AviDecoder::OpenInput(std::string* error) {
  std::string why;
  in_ = OpenAvi(path_, memData_, memSize_, &why);
  if (in_ && SetupVideo(&why)) return true;
  Close();
  if (error) *error = why;
  lastError_ = why;
  return false;
}

bool AviDecoder::SetupVideo(std::string* error) {
  AVFormatContext* fmt = in_->fmt;
  int index = av_find_best_stream(fmt, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  if (index < 0) {
    *error = "no picture stream";
    return false;
  }
  AVStream* st = fmt->streams[index];
  const AVCodecParameters* par = st->codecpar;
  if (par->width <= 0 || par->height <= 0 || par->width > kMaxClipWidth ||
      par->height > kMaxClipHeight) {
    *error = "picture size " + std::to_string(par->width) + "x" + std::to_string(par->height) +
             " is not usable";
    return false;
  }
  const AVCodec* dec = AllowedPictureCodec(par->codec_id) ? avcodec_find_decoder(par->codec_id)
                                                           : nullptr;
  if (!dec) {
    *error = std::string("pictures in a format the game does not play (") +
             avcodec_get_name(par->codec_id) + ")";
    return false;
  }
  codec_ = avcodec_alloc_context3(dec);
  if (!codec_ || avcodec_parameters_to_context(codec_, par) < 0) {
    *error = "cannot set up the decoder";
    return false;
  }
  // One thread: everything of a cut-scene happens on the main thread.
  codec_->thread_count = 1;
  int r = avcodec_open2(codec_, dec, nullptr);
  if (r < 0) {
    *error = "cannot open the decoder (" + AvError(r) + ")";
    return false;
  }
  frame_ = av_frame_alloc();
  packet_ = av_packet_alloc();
  if (!frame_ || !packet_) {
    *error = "out of memory";
    return false;
  }
  // Other streams are not read for pictures.
  for (unsigned i = 0; i < fmt->nb_streams; ++i)
    if (static_cast<int>(i) != index) fmt->streams[i]->discard = AVDISCARD_ALL;
  videoStream_ = index;
  width_ = par->width;
  height_ = par->height;
  nativeBits_ = (par->bits_per_coded_sample == 16 || par->bits_per_coded_sample == 15) ? 16 : 24;
  AVRational rate = st->avg_frame_rate.num > 0 && st->avg_frame_rate.den > 0 ? st->avg_frame_rate
                                                                             : st->r_frame_rate;
  periodMs_ = 100;
  if (rate.num > 0 && rate.den > 0) {
    int64_t p = av_rescale(1000, rate.den, rate.num);
    periodMs_ = static_cast<int>(std::clamp<int64_t>(p, 1, 10000));
  }
  declaredFrames_ = std::max<int64_t>(st->nb_frames, 0);
  SetOutputBits(outputBits_);
  return true;
}

void AviDecoder::SetOutputBits(int bits) {
  outputBits_ = bits == 24 ? 24 : 16;
  if (width_ <= 0) return;
  stride_ = DibStride(width_, outputBits_);
  // Room after the last row: the converter's wide stores may run a few
  // bytes past a row's end.
  picture_.assign(stride_ * static_cast<size_t>(height_) + kPictureSlack, 0);
}

bool AviDecoder::ConvertFrame() {
  if (frame_->width <= 0 || frame_->height <= 0 || frame_->width > kMaxClipWidth ||
      frame_->height > kMaxClipHeight || frame_->format < 0) {
    lastError_ = "a picture has an unusable size or format";
    return false;
  }
  AVPixelFormat outFormat = outputBits_ == 24 ? AV_PIX_FMT_BGR24 : AV_PIX_FMT_RGB555LE;
  sws_ = sws_getCachedContext(sws_, frame_->width, frame_->height,
                              static_cast<AVPixelFormat>(frame_->format), width_, height_,
                              outFormat, SWS_POINT, nullptr, nullptr, nullptr);
  if (!sws_) {
    lastError_ = "cannot convert the pictures' format";
    return false;
  }
  // Scaled top-down into the last stored row first: a stored picture is
  // bottom-up, as the players expect.
  const int stride = static_cast<int>(stride_);
  uint8_t* dst[4] = {picture_.data() + stride_ * static_cast<size_t>(height_ - 1), nullptr, nullptr,
                     nullptr};
  int dstStride[4] = {-stride, 0, 0, 0};
  int r = sws_scale(sws_, frame_->data, frame_->linesize, 0, frame_->height, dst, dstStride);
  if (r <= 0) {
    lastError_ = "cannot convert a picture";
    return false;
  }
  return true;
}

AviDecoder::Result AviDecoder::Next(int64_t* ptsMs) {
  if (!IsOpen() || ended_) return kEnd;
  AVFormatContext* fmt = in_->fmt;
  for (;;) {
    int r = avcodec_receive_frame(codec_, frame_);
    if (r == 0) {
      badPackets_ = 0;
      bool ok = ConvertFrame();
      int64_t ts = frame_->best_effort_timestamp;
      av_frame_unref(frame_);
      if (!ok) {
        ended_ = true;
        return kError;
      }
      int64_t ms = lastPtsMs_ < 0 ? 0 : lastPtsMs_ + periodMs_;
      if (ts != AV_NOPTS_VALUE) {
        AVStream* st = fmt->streams[videoStream_];
        int64_t start = st->start_time != AV_NOPTS_VALUE ? st->start_time : 0;
        int64_t t = av_rescale_q(ts - start, st->time_base, AVRational{1, 1000});
        if (t >= 0) ms = t;
      }
      if (lastPtsMs_ >= 0) {
        if (ms < lastPtsMs_) ms = lastPtsMs_;
        if (ms > lastPtsMs_ + kMaxTimeLeapMs) ms = lastPtsMs_ + periodMs_;
      } else if (ms > kMaxTimeLeapMs) {
        ms = 0;
      }
      lastPtsMs_ = ms;
      ++framesDecoded_;
      if (ptsMs) *ptsMs = ms;
      return kFrame;
    }
    if (r == AVERROR_EOF || (draining_ && r == AVERROR(EAGAIN))) {
      ended_ = true;
      return kEnd;
    }
    if (r != AVERROR(EAGAIN)) {
      lastError_ = "the decoder failed (" + AvError(r) + ")";
      ended_ = true;
      return kError;
    }
    r = av_read_frame(fmt, packet_);
    if (r < 0) {
      // The end of the file (or of what can be read of it): what the
      // decoder still holds comes out, then the clip ends.
      draining_ = true;
      avcodec_send_packet(codec_, nullptr);
      continue;
    }
    if (packet_->stream_index != videoStream_) {
      av_packet_unref(packet_);
      continue;
    }
    r = avcodec_send_packet(codec_, packet_);
    av_packet_unref(packet_);
    if (r < 0 && r != AVERROR(EAGAIN) && ++badPackets_ > kMaxBadPackets) {
      lastError_ = "too many damaged pictures (" + AvError(r) + ")";
      ended_ = true;
      return kError;
    }
  }
}

bool AviDecoder::DecodeSound(ClipSound* out, std::string* error) {
  *out = ClipSound{};
  std::string why;
  std::unique_ptr<Input> in = OpenAvi(path_, memData_, memSize_, &why);
  if (!in) {
    if (error) *error = why;
    return false;
  }
  AVFormatContext* fmt = in->fmt;
  int index = av_find_best_stream(fmt, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
  if (index < 0) {
    if (error) *error = "no sound stream";
    return false;
  }
  for (unsigned i = 0; i < fmt->nb_streams; ++i)
    if (static_cast<int>(i) != index) fmt->streams[i]->discard = AVDISCARD_ALL;
  const AVCodecParameters* par = fmt->streams[index]->codecpar;
  const AVCodec* dec =
      AllowedSoundCodec(par->codec_id) ? avcodec_find_decoder(par->codec_id) : nullptr;
  if (!dec || par->ch_layout.nb_channels <= 0 || par->ch_layout.nb_channels > 64 ||
      par->sample_rate < kMinSoundRate || par->sample_rate > kMaxSoundRate) {
    if (error) *error = "the sound stream cannot be decoded";
    return false;
  }

  // Everything below is freed on every way out.
  struct Holder {
    AVCodecContext* codec = nullptr;
    SwrContext* swr = nullptr;
    AVFrame* frame = nullptr;
    AVPacket* packet = nullptr;
    AVChannelLayout outLayout{};
    ~Holder() {
      av_channel_layout_uninit(&outLayout);
      if (swr) swr_free(&swr);
      if (codec) avcodec_free_context(&codec);
      if (frame) av_frame_free(&frame);
      if (packet) av_packet_free(&packet);
    }
  } h;
  h.codec = avcodec_alloc_context3(dec);
  if (!h.codec || avcodec_parameters_to_context(h.codec, par) < 0) {
    if (error) *error = "cannot set up the sound decoder";
    return false;
  }
  h.codec->thread_count = 1;
  if (avcodec_open2(h.codec, dec, nullptr) < 0) {
    if (error) *error = "cannot open the sound decoder";
    return false;
  }
  const int channels = std::min(par->ch_layout.nb_channels, 2);
  const int rate = (par->sample_rate >= 8000 && par->sample_rate <= 48000) ? par->sample_rate : 22050;
  av_channel_layout_default(&h.outLayout, channels);
  h.frame = av_frame_alloc();
  h.packet = av_packet_alloc();
  if (!h.frame || !h.packet) {
    if (error) *error = "out of memory";
    return false;
  }

  const size_t maxSamples = static_cast<size_t>(kMaxClipSoundSeconds) * rate * channels;
  std::vector<int16_t> pcm;
  AVChannelLayout inLayout{};
  int inRate = 0;
  int inFormat = -1;
  bool full = false;

  // Converts one decoded frame (or, with null, what the converter still holds).
  auto convert = [&](const AVFrame* f) -> bool {
    if (f) {
      if (!h.swr || f->sample_rate != inRate || f->format != inFormat ||
          av_channel_layout_compare(&f->ch_layout, &inLayout) != 0) {
        if (f->sample_rate < kMinSoundRate || f->sample_rate > kMaxSoundRate ||
            f->ch_layout.nb_channels <= 0 || f->ch_layout.nb_channels > 64)
          return false;
        if (h.swr) swr_free(&h.swr);
        av_channel_layout_uninit(&inLayout);
        if (av_channel_layout_copy(&inLayout, &f->ch_layout) < 0) return false;
        inRate = f->sample_rate;
        inFormat = f->format;
        if (swr_alloc_set_opts2(&h.swr, &h.outLayout, AV_SAMPLE_FMT_S16, rate, &inLayout,
                                static_cast<AVSampleFormat>(inFormat), inRate, 0, nullptr) < 0 ||
            swr_init(h.swr) < 0) {
          // A converter that did not set up must never be used (the library
          // aborts on one), not even to flush.
          if (h.swr) swr_free(&h.swr);
          inRate = 0;
          return false;
        }
      }
    } else if (!h.swr || !swr_is_initialized(h.swr)) {
      return true;
    }
    int inSamples = f ? f->nb_samples : 0;
    int room = swr_get_out_samples(h.swr, inSamples);
    if (room < 0) return false;
    room += 16;
    // Never more than the track may still take (the rest stays unconverted).
    const size_t left = (maxSamples - std::min(maxSamples, pcm.size())) / channels + 16;
    room = static_cast<int>(std::min<size_t>(static_cast<size_t>(room), left));
    size_t at = pcm.size();
    pcm.resize(at + static_cast<size_t>(room) * channels);
    uint8_t* outPlanes[1] = {reinterpret_cast<uint8_t*>(pcm.data() + at)};
    int got = swr_convert(h.swr, outPlanes, room, f ? const_cast<const uint8_t**>(f->extended_data) : nullptr,
                          inSamples);
    if (got < 0) {
      pcm.resize(at);
      return false;
    }
    pcm.resize(at + static_cast<size_t>(got) * channels);
    if (pcm.size() >= maxSamples) {
      pcm.resize(maxSamples);
      full = true;
    }
    return true;
  };

  bool draining = false;
  int badPackets = 0;
  while (!full) {
    int r = avcodec_receive_frame(h.codec, h.frame);
    if (r == 0) {
      bool ok = convert(h.frame);
      av_frame_unref(h.frame);
      if (!ok) break;
      continue;
    }
    if (r == AVERROR_EOF || r != AVERROR(EAGAIN) || draining) break;
    r = av_read_frame(fmt, h.packet);
    if (r < 0) {
      draining = true;
      avcodec_send_packet(h.codec, nullptr);
      continue;
    }
    if (h.packet->stream_index == index) {
      r = avcodec_send_packet(h.codec, h.packet);
      if (r < 0 && r != AVERROR(EAGAIN) && ++badPackets > kMaxBadPackets) {
        av_packet_unref(h.packet);
        break;
      }
    }
    av_packet_unref(h.packet);
  }
  if (!full) convert(nullptr);
  av_channel_layout_uninit(&inLayout);
  if (pcm.empty()) {
    if (error) *error = "the sound stream holds no sound";
    return false;
  }

  const uint32_t dataBytes = static_cast<uint32_t>(pcm.size() * 2);
  out->wave.assign(44 + dataBytes, 0);
  std::vector<uint8_t>& w = out->wave;
  std::memcpy(&w[0], "RIFF", 4);
  PutLe32(w, 4, 36 + dataBytes);
  std::memcpy(&w[8], "WAVEfmt ", 8);
  PutLe32(w, 16, 16);
  PutLe16(w, 20, 1);
  PutLe16(w, 22, static_cast<uint16_t>(channels));
  PutLe32(w, 24, static_cast<uint32_t>(rate));
  PutLe32(w, 28, static_cast<uint32_t>(rate * channels * 2));
  PutLe16(w, 32, static_cast<uint16_t>(channels * 2));
  PutLe16(w, 34, 16);
  std::memcpy(&w[36], "data", 4);
  PutLe32(w, 40, dataBytes);
  std::memcpy(&w[44], pcm.data(), dataBytes);
  out->channels = channels;
  out->samplesPerSec = rate;
  out->dataBytes = dataBytes;
  return true;
}
