#include "record/encoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "record/sound.h"
#include "record/yuv.h"

namespace {

std::string avError(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = "";
    av_strerror(code, text, sizeof text);
    return text;
}

std::string extensionOf(const std::string& name) {
    const size_t slash = name.find_last_of('/');
    const size_t dot = name.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
    std::string ext = name.substr(dot + 1);
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

struct Format {
    const char* ext;
    const char* muxer;
    const char* video;
    const char* audio;  // null: no sound
    const char* description;
};
const Format kFormats[] = {
    {"mp4", "mp4", "libx264", "aac", "H.264 and AAC in MP4"},
    {"m4v", "mp4", "libx264", "aac", "H.264 and AAC in MP4"},
    {"mov", "mov", "libx264", "aac", "H.264 and AAC in QuickTime"},
    {"mkv", "matroska", "libx264", "aac", "H.264 and AAC in Matroska"},
    {"webm", "webm", "libvpx-vp9", "libopus", "VP9 and Opus in WebM"},
    {"webp", "webp", "libwebp_anim", nullptr, "animated WebP, no sound"},
};

const Format* formatFor(const std::string& name) {
    const std::string ext = extensionOf(name);
    for (const Format& f : kFormats)
        if (ext == f.ext) return &f;
    return nullptr;
}

using Clock = std::chrono::steady_clock;
double since(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

}  // namespace

struct Encoder::State {
    AVFormatContext* out = nullptr;
    AVCodecContext* video = nullptr;
    AVCodecContext* audio = nullptr;
    AVStream* videoStream = nullptr;
    AVStream* audioStream = nullptr;
    SwrContext* swr = nullptr;
    AVFrame* picture = nullptr;
    AVFrame* sound = nullptr;
    AVAudioFifo* fifo = nullptr;
    AVPacket* packet = nullptr;
    int64_t videoPts = 0;
    int64_t audioPts = 0;
    int width = 0, height = 0;
    bool headerWritten = false;

    ~State() {
        if (out && out->pb && !(out->oformat->flags & AVFMT_NOFILE)) avio_closep(&out->pb);
        avformat_free_context(out);
        avcodec_free_context(&video);
        avcodec_free_context(&audio);
        swr_free(&swr);
        av_frame_free(&picture);
        av_frame_free(&sound);
        if (fifo) av_audio_fifo_free(fifo);
        av_packet_free(&packet);
    }

    // Sends a frame (null drains) and writes every packet that comes out.
    int encode(AVCodecContext* codec, AVStream* stream, AVFrame* frame) {
        int rc = avcodec_send_frame(codec, frame);
        if (rc < 0) return rc;
        for (;;) {
            rc = avcodec_receive_packet(codec, packet);
            if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) return 0;
            if (rc < 0) return rc;
            av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
            packet->stream_index = stream->index;
            rc = av_interleaved_write_frame(out, packet);
            if (rc < 0) return rc;
        }
    }

    // Encodes whole codec frames from the FIFO; with `all`, the rest too.
    int drainSound(bool all) {
        const int size = audio->frame_size > 0 ? audio->frame_size : 1024;
        while (av_audio_fifo_size(fifo) >= size || (all && av_audio_fifo_size(fifo) > 0)) {
            int n = std::min(size, av_audio_fifo_size(fifo));
            int rc = av_frame_make_writable(sound);
            if (rc < 0) return rc;
            const bool smallLast = audio->codec->capabilities & AV_CODEC_CAP_SMALL_LAST_FRAME;
            const bool variable = audio->codec->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE;
            if (n < size && !smallLast && !variable) {
                // Pad the last frame with silence.
                av_samples_set_silence(sound->data, 0, size, audio->ch_layout.nb_channels, audio->sample_fmt);
                av_audio_fifo_read(fifo, reinterpret_cast<void**>(sound->data), n);
                sound->nb_samples = size;
            } else {
                av_audio_fifo_read(fifo, reinterpret_cast<void**>(sound->data), n);
                sound->nb_samples = n;
            }
            sound->pts = audioPts;
            audioPts += sound->nb_samples;
            rc = encode(audio, audioStream, sound);
            sound->nb_samples = size;
            if (rc < 0) return rc;
        }
        return 0;
    }
};

Encoder::Encoder() : s_(nullptr) {}
Encoder::~Encoder() { abandon(); }

void Encoder::abandon() {
    delete s_;
    s_ = nullptr;
}

bool Encoder::knownFormat(const std::string& name, std::string* description) {
    const Format* f = formatFor(name);
    if (f && description) *description = f->description;
    return f != nullptr;
}

bool Encoder::hasSound() const { return s_ && s_->audio; }

bool Encoder::open(const std::string& path, const std::string& name, const EncoderSettings& settings,
                   std::string& error) {
    abandon();
    const Format* format = formatFor(name);
    if (!format) {
        error = "unknown output format for " + name + " (use .mp4, .mov, .mkv, .webm or .webp)";
        return false;
    }
    s_ = new State;
    State& s = *s_;
    s.width = settings.width;
    s.height = settings.height;
    auto fail = [&](const std::string& what, int rc) {
        error = what + (rc < 0 ? ": " + avError(rc) : std::string());
        abandon();
        return false;
    };

    int rc = avformat_alloc_output_context2(&s.out, nullptr, format->muxer, path.c_str());
    if (rc < 0 || !s.out) return fail("cannot set up the " + std::string(format->muxer) + " format", rc);

    // ---- video
    const AVCodec* videoCodec = avcodec_find_encoder_by_name(format->video);
    if (!videoCodec) return fail(std::string("this FFmpeg has no ") + format->video + " encoder", 0);
    s.video = avcodec_alloc_context3(videoCodec);
    s.video->width = settings.width;
    s.video->height = settings.height;
    s.video->time_base = AVRational{1, settings.fps};
    s.video->framerate = AVRational{settings.fps, 1};
    s.video->gop_size = settings.fps * 2;
    s.video->pix_fmt = AV_PIX_FMT_YUV420P;
    s.video->color_range = AVCOL_RANGE_MPEG;
    s.video->colorspace = AVCOL_SPC_SMPTE170M;
    s.video->color_primaries = AVCOL_PRI_SMPTE170M;
    s.video->color_trc = AVCOL_TRC_SMPTE170M;
    if (s.out->oformat->flags & AVFMT_GLOBALHEADER) s.video->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    AVDictionary* videoOptions = nullptr;
    const std::string codecName = format->video;
    if (codecName == "libx264") {
        av_dict_set(&videoOptions, "preset", settings.speedPreset.empty() ? "veryfast" : settings.speedPreset.c_str(), 0);
        av_dict_set_int(&videoOptions, "crf", settings.quality >= 0 ? settings.quality : 20, 0);
    } else if (codecName == "libvpx-vp9") {
        av_dict_set_int(&videoOptions, "crf", settings.quality >= 0 ? settings.quality : 32, 0);
        av_dict_set(&videoOptions, "b", "0", 0);
        av_dict_set(&videoOptions, "deadline", "realtime", 0);
        av_dict_set(&videoOptions, "cpu-used", "8", 0);
        av_dict_set(&videoOptions, "row-mt", "1", 0);
    } else if (codecName == "libwebp_anim") {
        av_dict_set_int(&videoOptions, "quality", settings.quality >= 0 ? settings.quality : 70, 0);
        av_dict_set(&videoOptions, "loop", "0", 0);
    }
    rc = avcodec_open2(s.video, videoCodec, &videoOptions);
    av_dict_free(&videoOptions);
    if (rc < 0) return fail(std::string("cannot open the ") + format->video + " encoder", rc);
    s.videoStream = avformat_new_stream(s.out, nullptr);
    s.videoStream->time_base = s.video->time_base;
    s.videoStream->avg_frame_rate = s.video->framerate;
    s.videoStream->r_frame_rate = s.video->framerate;
    avcodec_parameters_from_context(s.videoStream->codecpar, s.video);

    s.picture = av_frame_alloc();
    s.picture->format = s.video->pix_fmt;
    s.picture->width = s.width;
    s.picture->height = s.height;
    if ((rc = av_frame_get_buffer(s.picture, 0)) < 0) return fail("out of memory", rc);
    // ---- sound
    if (format->audio) {
        const AVCodec* audioCodec = avcodec_find_encoder_by_name(format->audio);
        if (!audioCodec) return fail(std::string("this FFmpeg has no ") + format->audio + " encoder", 0);
        s.audio = avcodec_alloc_context3(audioCodec);
        const int rate = std::string(format->audio) == "libopus" ? 48000 : kSoundRate;
        s.audio->sample_rate = rate;
        s.audio->sample_fmt = audioCodec->sample_fmts ? audioCodec->sample_fmts[0] : AV_SAMPLE_FMT_FLTP;
        av_channel_layout_default(&s.audio->ch_layout, 2);
        s.audio->bit_rate = std::string(format->audio) == "libopus" ? 160000 : 192000;
        s.audio->time_base = AVRational{1, rate};
        if (s.out->oformat->flags & AVFMT_GLOBALHEADER) s.audio->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        rc = avcodec_open2(s.audio, audioCodec, nullptr);
        if (rc < 0) return fail(std::string("cannot open the ") + format->audio + " encoder", rc);
        s.audioStream = avformat_new_stream(s.out, nullptr);
        s.audioStream->time_base = s.audio->time_base;
        avcodec_parameters_from_context(s.audioStream->codecpar, s.audio);

        AVChannelLayout stereo;
        av_channel_layout_default(&stereo, 2);
        rc = swr_alloc_set_opts2(&s.swr, &s.audio->ch_layout, s.audio->sample_fmt, rate, &stereo, AV_SAMPLE_FMT_FLT,
                                 kSoundRate, 0, nullptr);
        if (rc < 0 || swr_init(s.swr) < 0) return fail("cannot set up the sound conversion", rc);
        s.fifo = av_audio_fifo_alloc(s.audio->sample_fmt, 2, 4096);
        s.sound = av_frame_alloc();
        s.sound->format = s.audio->sample_fmt;
        av_channel_layout_copy(&s.sound->ch_layout, &s.audio->ch_layout);
        s.sound->sample_rate = rate;
        s.sound->nb_samples = s.audio->frame_size > 0 ? s.audio->frame_size : 1024;
        if ((rc = av_frame_get_buffer(s.sound, 0)) < 0) return fail("out of memory", rc);
    }

    s.packet = av_packet_alloc();
    if (!(s.out->oformat->flags & AVFMT_NOFILE)) {
        rc = avio_open(&s.out->pb, path.c_str(), AVIO_FLAG_WRITE);
        if (rc < 0) return fail("cannot write " + path, rc);
    }
    AVDictionary* muxOptions = nullptr;
    if (std::string(format->muxer) == "mp4" || std::string(format->muxer) == "mov")
        av_dict_set(&muxOptions, "movflags", "+faststart", 0);
    rc = avformat_write_header(s.out, &muxOptions);
    av_dict_free(&muxOptions);
    if (rc < 0) return fail("cannot write the header of " + path, rc);
    s.headerWritten = true;
    return true;
}

bool Encoder::addFrame(const uint8_t* bgra, std::string& error) {
    State& s = *s_;
    auto t = Clock::now();
    int rc = av_frame_make_writable(s.picture);
    if (rc < 0) {
        error = "out of memory";
        return false;
    }
    const AVFrame& p = *s.picture;
    bgraToYuv420(bgra, s.width, s.height,
                 YuvPlanes{p.data[0], p.data[1], p.data[2], p.linesize[0], p.linesize[1], p.linesize[2]});
    convertSeconds += since(t);
    t = Clock::now();
    s.picture->pts = s.videoPts++;
    rc = s.encode(s.video, s.videoStream, s.picture);
    encodeSeconds += since(t);
    if (rc < 0) {
        error = "cannot encode a frame: " + avError(rc);
        return false;
    }
    return true;
}

bool Encoder::addSound(const float* samples, int count, std::string& error) {
    State& s = *s_;
    if (!s.audio || count <= 0) return true;
    auto t = Clock::now();
    const int room = swr_get_out_samples(s.swr, count);
    std::vector<uint8_t*> planes(2, nullptr);
    int rc = av_samples_alloc(planes.data(), nullptr, 2, room, s.audio->sample_fmt, 0);
    if (rc < 0) {
        error = "out of memory";
        return false;
    }
    const uint8_t* in[1] = {reinterpret_cast<const uint8_t*>(samples)};
    const int got = swr_convert(s.swr, planes.data(), room, in, count);
    if (got > 0) av_audio_fifo_write(s.fifo, reinterpret_cast<void**>(planes.data()), got);
    av_freep(&planes[0]);
    rc = got < 0 ? got : s.drainSound(false);
    encodeSeconds += since(t);
    if (rc < 0) {
        error = "cannot encode the sound: " + avError(rc);
        return false;
    }
    return true;
}

bool Encoder::finish(std::string& error) {
    State& s = *s_;
    int rc = 0;
    if (s.audio) {
        // What the resampler still holds, then the rest of the FIFO.
        const int room = swr_get_out_samples(s.swr, 0) + 64;
        std::vector<uint8_t*> planes(2, nullptr);
        if (av_samples_alloc(planes.data(), nullptr, 2, room, s.audio->sample_fmt, 0) >= 0) {
            const int got = swr_convert(s.swr, planes.data(), room, nullptr, 0);
            if (got > 0) av_audio_fifo_write(s.fifo, reinterpret_cast<void**>(planes.data()), got);
            av_freep(&planes[0]);
        }
        if ((rc = s.drainSound(true)) >= 0) rc = s.encode(s.audio, s.audioStream, nullptr);
    }
    if (rc >= 0) rc = s.encode(s.video, s.videoStream, nullptr);
    if (rc >= 0) rc = av_write_trailer(s.out);
    if (rc >= 0 && s.out->pb) rc = avio_closep(&s.out->pb);
    if (rc < 0) {
        error = "cannot finish the file: " + avError(rc);
        return false;
    }
    return true;
}

bool writePng(const std::string& path, const uint8_t* bgra, int width, int height, std::string& error) {
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_PNG);
    if (!codec) {
        error = "this FFmpeg has no PNG encoder";
        return false;
    }
    AVCodecContext* ctx = avcodec_alloc_context3(codec);
    ctx->width = width;
    ctx->height = height;
    ctx->pix_fmt = AV_PIX_FMT_RGB24;
    ctx->time_base = AVRational{1, 50};
    AVFrame* frame = av_frame_alloc();
    AVPacket* packet = av_packet_alloc();
    bool ok = false;
    if (avcodec_open2(ctx, codec, nullptr) >= 0) {
        frame->format = AV_PIX_FMT_RGB24;
        frame->width = width;
        frame->height = height;
        if (av_frame_get_buffer(frame, 0) >= 0) {
            for (int y = 0; y < height; ++y) {
                const uint8_t* src = bgra + static_cast<size_t>(height - 1 - y) * static_cast<size_t>(width) * 4;
                uint8_t* dst = frame->data[0] + static_cast<size_t>(y) * static_cast<size_t>(frame->linesize[0]);
                for (int x = 0; x < width; ++x) {
                    dst[3 * x] = src[4 * x + 2];
                    dst[3 * x + 1] = src[4 * x + 1];
                    dst[3 * x + 2] = src[4 * x];
                }
            }
            if (avcodec_send_frame(ctx, frame) >= 0 && avcodec_send_frame(ctx, nullptr) >= 0 &&
                avcodec_receive_packet(ctx, packet) >= 0) {
                const std::string part = path + ".part";
                FILE* f = std::fopen(part.c_str(), "wb");
                if (f) {
                    ok = std::fwrite(packet->data, 1, static_cast<size_t>(packet->size), f) ==
                         static_cast<size_t>(packet->size);
                    ok = std::fclose(f) == 0 && ok;
                    ok = ok && std::rename(part.c_str(), path.c_str()) == 0;
                    if (!ok) std::remove(part.c_str());
                }
                if (!ok) error = "cannot write " + path + ": " + std::strerror(errno);
            } else {
                error = "cannot encode " + path;
            }
        }
    } else {
        error = "cannot open the PNG encoder";
    }
    av_packet_free(&packet);
    av_frame_free(&frame);
    avcodec_free_context(&ctx);
    return ok;
}
