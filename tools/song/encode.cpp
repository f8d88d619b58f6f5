#include "encode.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cstdio>

namespace song {
namespace {

bool writePage(std::FILE* f, const ogg_page& page) {
    return std::fwrite(page.header, 1, size_t(page.header_len), f) == size_t(page.header_len) &&
           std::fwrite(page.body, 1, size_t(page.body_len), f) == size_t(page.body_len);
}

}  // namespace

bool writeOggVorbis(const std::string& path, const LoopBus& bus, float quality) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        std::fprintf(stderr, "mksong: cannot write %s\n", path.c_str());
        return false;
    }
    vorbis_info vi;
    vorbis_info_init(&vi);
    if (vorbis_encode_init_vbr(&vi, 2, kRate, quality) != 0) {
        std::fprintf(stderr, "mksong: the Vorbis encoder refused its settings\n");
        vorbis_info_clear(&vi);
        std::fclose(f);
        return false;
    }
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    vorbis_comment_add_tag(&vc, "TITLE", "Mijotine, a kitchen swing");
    vorbis_comment_add_tag(&vc, "COMMENT", "Seamless loop, 72 bars at 120 BPM");

    vorbis_dsp_state vd;
    vorbis_block vb;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, 0x4D696A6F);  // fixed serial number: identical output on every run

    bool ok = true;
    ogg_packet header, comments, codebooks;
    vorbis_analysis_headerout(&vd, &vc, &header, &comments, &codebooks);
    ogg_stream_packetin(&os, &header);
    ogg_stream_packetin(&os, &comments);
    ogg_stream_packetin(&os, &codebooks);
    ogg_page page;
    while (ogg_stream_flush(&os, &page) != 0) ok = ok && writePage(f, page);

    const long chunk = 1024;
    long at = 0;
    bool eos = false;
    while (!eos) {
        if (at < bus.frames()) {
            long m = std::min(chunk, bus.frames() - at);
            float** in = vorbis_analysis_buffer(&vd, int(m));
            std::copy(bus.left.begin() + at, bus.left.begin() + at + m, in[0]);
            std::copy(bus.right.begin() + at, bus.right.begin() + at + m, in[1]);
            vorbis_analysis_wrote(&vd, int(m));
            at += m;
        } else {
            vorbis_analysis_wrote(&vd, 0);  // end of stream
        }
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&vd, &packet)) {
                ogg_stream_packetin(&os, &packet);
                while (ogg_stream_pageout(&os, &page) != 0) {
                    ok = ok && writePage(f, page);
                    if (ogg_page_eos(&page)) eos = true;
                }
            }
        }
    }

    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    if (std::fclose(f) != 0) ok = false;
    if (!ok) std::fprintf(stderr, "mksong: writing %s failed\n", path.c_str());
    return ok;
}

}  // namespace song
