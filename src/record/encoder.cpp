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

#include "audio/recorded_music.h"
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

    // Each sets up its part of the file; empty when it could, else why not.
    std::string openVideo(const char* codecName, const EncoderSettings& settings);
    std::string openSound(const char* codecName);
    std::string openFile(const char* muxer, const std::string& path);

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

bool Encoder::takesPreset(const std::string& name) {
    const Format* f = formatFor(name);
    return f && std::strcmp(f->video, "libx264") == 0;
}

bool Encoder::hasSound() const { return s_ && s_->audio; }

namespace {

// What failed, with FFmpeg's reason where there is one (rc < 0).
std::string failed(const std::string& what, int rc) { return what + (rc < 0 ? ": " + avError(rc) : std::string()); }

// The video encoder's private options for the codec and the settings.
AVDictionary* videoOptions(const std::string& codecName, const EncoderSettings& settings) {
    AVDictionary* options = nullptr;
    if (codecName == "libx264") {
        av_dict_set(&options, "preset", settings.speedPreset.empty() ? "veryfast" : settings.speedPreset.c_str(), 0);
        av_dict_set_int(&options, "crf", settings.quality >= 0 ? settings.quality : 20, 0);
    } else if (codecName == "libvpx-vp9") {
        av_dict_set_int(&options, "crf", settings.quality >= 0 ? settings.quality : 32, 0);
        av_dict_set(&options, "b", "0", 0);
        av_dict_set(&options, "deadline", "realtime", 0);
        av_dict_set(&options, "cpu-used", "8", 0);
        av_dict_set(&options, "row-mt", "1", 0);
    } else if (codecName == "libwebp_anim") {
        av_dict_set_int(&options, "quality", settings.quality >= 0 ? settings.quality : 70, 0);
        av_dict_set(&options, "loop", "0", 0);
    }
    return options;
}

}  // namespace

std::string Encoder::State::openVideo(const char* codecName, const EncoderSettings& settings) {
    const AVCodec* videoCodec = avcodec_find_encoder_by_name(codecName);
    if (!videoCodec) return failed(std::string("this FFmpeg has no ") + codecName + " encoder", 0);
    video = avcodec_alloc_context3(videoCodec);
    video->width = settings.width;
    video->height = settings.height;
    video->time_base = AVRational{1, settings.fps};
    video->framerate = AVRational{settings.fps, 1};
    video->gop_size = settings.fps * 2;
    video->pix_fmt = AV_PIX_FMT_YUV420P;
    video->color_range = AVCOL_RANGE_MPEG;
    video->colorspace = AVCOL_SPC_SMPTE170M;
    video->color_primaries = AVCOL_PRI_SMPTE170M;
    video->color_trc = AVCOL_TRC_SMPTE170M;
    if (out->oformat->flags & AVFMT_GLOBALHEADER) video->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    AVDictionary* options = videoOptions(codecName, settings);
    int rc = avcodec_open2(video, videoCodec, &options);
    av_dict_free(&options);
    if (rc < 0) return failed(std::string("cannot open the ") + codecName + " encoder", rc);
    videoStream = avformat_new_stream(out, nullptr);
    videoStream->time_base = video->time_base;
    videoStream->avg_frame_rate = video->framerate;
    videoStream->r_frame_rate = video->framerate;
    avcodec_parameters_from_context(videoStream->codecpar, video);

    picture = av_frame_alloc();
    picture->format = video->pix_fmt;
    picture->width = width;
    picture->height = height;
    if ((rc = av_frame_get_buffer(picture, 0)) < 0) return failed("out of memory", rc);
    return "";
}

std::string Encoder::State::openSound(const char* codecName) {
    const AVCodec* audioCodec = avcodec_find_encoder_by_name(codecName);
    if (!audioCodec) return failed(std::string("this FFmpeg has no ") + codecName + " encoder", 0);
    audio = avcodec_alloc_context3(audioCodec);
    const bool opus = std::string(codecName) == "libopus";
    const int rate = opus ? 48000 : kSoundRate;
    audio->sample_rate = rate;
    audio->sample_fmt = audioCodec->sample_fmts ? audioCodec->sample_fmts[0] : AV_SAMPLE_FMT_FLTP;
    av_channel_layout_default(&audio->ch_layout, 2);
    audio->bit_rate = opus ? 160000 : 192000;
    audio->time_base = AVRational{1, rate};
    if (out->oformat->flags & AVFMT_GLOBALHEADER) audio->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    int rc = avcodec_open2(audio, audioCodec, nullptr);
    if (rc < 0) return failed(std::string("cannot open the ") + codecName + " encoder", rc);
    audioStream = avformat_new_stream(out, nullptr);
    audioStream->time_base = audio->time_base;
    avcodec_parameters_from_context(audioStream->codecpar, audio);

    // The mix comes as interleaved stereo floats at the show's rate.
    AVChannelLayout stereo;
    av_channel_layout_default(&stereo, 2);
    rc = swr_alloc_set_opts2(&swr, &audio->ch_layout, audio->sample_fmt, rate, &stereo, AV_SAMPLE_FMT_FLT, kSoundRate,
                             0, nullptr);
    if (rc < 0 || swr_init(swr) < 0) return failed("cannot set up the sound conversion", rc);
    fifo = av_audio_fifo_alloc(audio->sample_fmt, 2, 4096);
    sound = av_frame_alloc();
    sound->format = audio->sample_fmt;
    av_channel_layout_copy(&sound->ch_layout, &audio->ch_layout);
    sound->sample_rate = rate;
    sound->nb_samples = audio->frame_size > 0 ? audio->frame_size : 1024;
    if ((rc = av_frame_get_buffer(sound, 0)) < 0) return failed("out of memory", rc);
    return "";
}

std::string Encoder::State::openFile(const char* muxer, const std::string& path) {
    packet = av_packet_alloc();
    if (!(out->oformat->flags & AVFMT_NOFILE)) {
        const int rc = avio_open(&out->pb, path.c_str(), AVIO_FLAG_WRITE);
        if (rc < 0) return failed("cannot write " + path, rc);
    }
    AVDictionary* muxOptions = nullptr;
    if (std::string(muxer) == "mp4" || std::string(muxer) == "mov")
        av_dict_set(&muxOptions, "movflags", "+faststart", 0);
    const int rc = avformat_write_header(out, &muxOptions);
    av_dict_free(&muxOptions);
    if (rc < 0) return failed("cannot write the header of " + path, rc);
    headerWritten = true;
    return "";
}

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
    const int rc = avformat_alloc_output_context2(&s.out, nullptr, format->muxer, path.c_str());
    std::string why = rc < 0 || !s.out ? failed("cannot set up the " + std::string(format->muxer) + " format", rc)
                                       : s.openVideo(format->video, settings);
    if (why.empty() && format->audio) why = s.openSound(format->audio);
    if (why.empty()) why = s.openFile(format->muxer, path);
    if (why.empty()) return true;
    error = why;
    abandon();
    return false;
}

bool Encoder::addFrame(const uint8_t* rgba, std::string& error) {
    State& s = *s_;
    auto t = Clock::now();
    int rc = av_frame_make_writable(s.picture);
    if (rc < 0) {
        error = "out of memory";
        return false;
    }
    const AVFrame& p = *s.picture;
    rgbaToYuv420(rgba, s.width, s.height,
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

bool Encoder::takesChapters() const {
    return s_ && s_->out && std::string(s_->out->oformat->name) != "webp";
}

bool Encoder::finish(std::string& error, const std::vector<Chapter>& chapters) {
    State& s = *s_;
    int rc = 0;
    // The chapters go into the index the trailer writes; the frames and the
    // sound are untouched by them.
    if (takesChapters() && !chapters.empty()) {
        s.out->chapters = static_cast<AVChapter**>(av_calloc(chapters.size(), sizeof(AVChapter*)));
        if (!s.out->chapters) {
            error = "out of memory";
            return false;
        }
        for (const Chapter& c : chapters) {
            AVChapter* chapter = static_cast<AVChapter*>(av_mallocz(sizeof(AVChapter)));
            if (!chapter) {
                error = "out of memory";
                return false;
            }
            chapter->id = s.out->nb_chapters + 1;
            chapter->time_base = AVRational{1, 1000};
            chapter->start = c.startMs;
            chapter->end = c.endMs;
            av_dict_set(&chapter->metadata, "title", c.title.c_str(), 0);
            s.out->chapters[s.out->nb_chapters++] = chapter;
        }
    }
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

bool writePng(const std::string& path, const uint8_t* rgba, int width, int height, std::string& error) {
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
                const uint8_t* src = rgba + static_cast<size_t>(height - 1 - y) * static_cast<size_t>(width) * 4;
                uint8_t* dst = frame->data[0] + static_cast<size_t>(y) * static_cast<size_t>(frame->linesize[0]);
                for (int x = 0; x < width; ++x) {
                    dst[3 * x] = src[4 * x];
                    dst[3 * x + 1] = src[4 * x + 1];
                    dst[3 * x + 2] = src[4 * x + 2];
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
