#include "media.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <cmath>

namespace {
uint64_t fnv(const uint8_t* p, size_t n, uint64_t h = 1469598103934665603ull) {
    for (size_t i = 0; i < n; ++i) h = (h ^ p[i]) * 1099511628211ull;
    return h;
}
}  // namespace

Media readMedia(const std::string& path, bool keepFrames, std::vector<uint64_t>* frameHashes) {
    Media m;
    AVFormatContext* in = nullptr;
    if (avformat_open_input(&in, path.c_str(), nullptr, nullptr) < 0) {
        m.error = "cannot open " + path;
        return m;
    }
    avformat_find_stream_info(in, nullptr);
    m.duration = in->duration > 0 ? in->duration / static_cast<double>(AV_TIME_BASE) : 0;
    for (unsigned i = 0; i < in->nb_chapters; ++i) {
        const AVChapter* c = in->chapters[i];
        const AVDictionaryEntry* title = av_dict_get(c->metadata, "title", nullptr, 0);
        m.chapters.push_back({c->start * av_q2d(c->time_base), c->end * av_q2d(c->time_base), title ? title->value : ""});
    }
    AVCodecContext* dec[2] = {nullptr, nullptr};  // video, sound
    int index[2] = {-1, -1};
    for (unsigned i = 0; i < in->nb_streams; ++i) {
        const AVCodecParameters* par = in->streams[i]->codecpar;
        const int k = par->codec_type == AVMEDIA_TYPE_VIDEO ? 0 : par->codec_type == AVMEDIA_TYPE_AUDIO ? 1 : -1;
        if (k < 0 || index[k] >= 0) continue;
        const AVCodec* codec = avcodec_find_decoder(par->codec_id);
        if (!codec) continue;
        index[k] = static_cast<int>(i);
        dec[k] = avcodec_alloc_context3(codec);
        avcodec_parameters_to_context(dec[k], par);
        avcodec_open2(dec[k], codec, nullptr);
        (k == 0 ? m.videoCodec : m.audioCodec) = codec->name;
        if (k == 0) {
            m.width = par->width;
            m.height = par->height;
            m.rateNum = in->streams[i]->avg_frame_rate.num;
            m.rateDen = in->streams[i]->avg_frame_rate.den;
        }
    }
    SwsContext* sws = nullptr;
    SwrContext* swr = nullptr;
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    std::vector<uint8_t> rgb(static_cast<size_t>(m.width) * static_cast<size_t>(m.height) * 3);
    auto take = [&](int k) {
        while (avcodec_receive_frame(dec[k], frame) >= 0) {
            if (k == 0) {
                if (!sws)
                    sws = sws_getContext(frame->width, frame->height, static_cast<AVPixelFormat>(frame->format),
                                         m.width, m.height, AV_PIX_FMT_RGB24, SWS_BILINEAR, nullptr, nullptr, nullptr);
                uint8_t* dst[1] = {rgb.data()};
                const int dstStride[1] = {m.width * 3};
                sws_scale(sws, frame->data, frame->linesize, 0, frame->height, dst, dstStride);
                if (keepFrames) m.frames.push_back(rgb);
                if (frameHashes) frameHashes->push_back(fnv(rgb.data(), rgb.size()));
                ++m.frameCount;
            } else {
                if (!swr) {
                    AVChannelLayout stereo;
                    av_channel_layout_default(&stereo, 2);
                    swr_alloc_set_opts2(&swr, &stereo, AV_SAMPLE_FMT_FLT, 44100, &frame->ch_layout,
                                        static_cast<AVSampleFormat>(frame->format), frame->sample_rate, 0, nullptr);
                    swr_init(swr);
                }
                const int room = swr_get_out_samples(swr, frame->nb_samples);
                std::vector<float> out(static_cast<size_t>(room) * 2);
                uint8_t* dst[1] = {reinterpret_cast<uint8_t*>(out.data())};
                const int got = swr_convert(swr, dst, room, const_cast<const uint8_t**>(frame->extended_data),
                                            frame->nb_samples);
                if (got > 0) m.sound.insert(m.sound.end(), out.begin(), out.begin() + 2 * got);
            }
        }
    };
    while (av_read_frame(in, packet) >= 0) {
        for (int k = 0; k < 2; ++k)
            if (packet->stream_index == index[k] && dec[k]) {
                avcodec_send_packet(dec[k], packet);
                take(k);
            }
        av_packet_unref(packet);
    }
    for (int k = 0; k < 2; ++k)
        if (dec[k]) {
            avcodec_send_packet(dec[k], nullptr);
            take(k);
        }
    m.ok = index[0] >= 0;
    if (!m.ok) m.error = "no video stream in " + path;
    sws_freeContext(sws);
    swr_free(&swr);
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&dec[0]);
    avcodec_free_context(&dec[1]);
    avformat_close_input(&in);
    return m;
}

double soundLevel(const Media& m, double from, double to) {
    const size_t a = static_cast<size_t>(from * 44100) * 2;
    const size_t b = std::min(m.sound.size(), static_cast<size_t>(to * 44100) * 2);
    if (b <= a) return 0;
    double sum = 0;
    for (size_t i = a; i < b; ++i) sum += static_cast<double>(m.sound[i]) * m.sound[i];
    return std::sqrt(sum / static_cast<double>(b - a));
}
