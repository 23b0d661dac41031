// Bitmap subtitles: the subtitle thread decodes them into a queue of four,
// with their palettes in AYUV; the display blends the due one into the
// picture (YUV 4:2:0) just before it is scaled into the surface.
#include <algorithm>
#include <cstring>

#include "Src/DAVezi/PlayState.h"

std::uint32_t RgbaToAyuv(std::uint32_t argb)
{
    int a = int(argb >> 24), r = int((argb >> 16) & 0xFF), g = int((argb >> 8) & 0xFF), b = int(argb & 0xFF);
    // BT.601 studio range with 10 fraction bits; right shifts keep the sign
    int y = (263 * r + 517 * g + 101 * b + 16896) >> 10;
    int u = ((-152 * r - 298 * g + 450 * b + 511) >> 10) + 128;
    int v = ((450 * r - 377 * g - 74 * b + 511) >> 10) + 128;
    return std::uint32_t(a) << 24 | std::uint32_t(y & 0xFF) << 16 | std::uint32_t(u & 0xFF) << 8 |
           std::uint32_t(v & 0xFF);
}

void BlendSubtitleRect(std::uint8_t* const dst[3], const int linesize[3], const AVSubtitleRect& rect, int imgW,
                       int imgH)
{
    if (!rect.data[0] || !rect.data[1] || imgW <= 0 || imgH <= 0) return;
    int w = std::clamp(rect.w, 0, imgW), h = std::clamp(rect.h, 0, imgH);
    int x = std::clamp(rect.x, 0, imgW - w), y = std::clamp(rect.y, 0, imgH - h);
    if (w == 0 || h == 0) return;
    const auto* pal = reinterpret_cast<const std::uint32_t*>(rect.data[1]);
    auto entry = [&](int i, int j) { return pal[rect.data[0][std::size_t(j) * std::size_t(rect.linesize[0]) + std::size_t(i)]]; };
    for (int j = 0; j < h; j++) {
        std::uint8_t* row = dst[0] + std::ptrdiff_t(y + j) * linesize[0] + x;
        for (int i = 0; i < w; i++) {
            std::uint32_t e = entry(i, j);
            unsigned a = e >> 24, yp = (e >> 16) & 0xFF;
            row[i] = std::uint8_t((row[i] * (255 - a) + yp * a) / 255);
        }
    }
    // each chroma sample with the rectangle pixels of its 2 x 2 luma block
    for (int cy = y / 2; cy <= (y + h - 1) / 2; cy++) {
        for (int cx = x / 2; cx <= (x + w - 1) / 2; cx++) {
            unsigned n = 0, sumA = 0, sumU = 0, sumV = 0;
            for (int dy = 0; dy < 2; dy++)
                for (int dx = 0; dx < 2; dx++) {
                    int px = 2 * cx + dx, py = 2 * cy + dy;
                    if (px < x || px >= x + w || py < y || py >= y + h) continue;
                    std::uint32_t e = entry(px - x, py - y);
                    n++;
                    sumA += e >> 24;
                    sumU += (e >> 8) & 0xFF;
                    sumV += e & 0xFF;
                }
            if (n == 0) continue;
            unsigned sh = n == 1 ? 0 : (n == 2 ? 1 : 2);
            unsigned A = sumA >> 2;
            std::uint8_t* u = dst[1] + std::ptrdiff_t(cy) * linesize[1] + cx;
            std::uint8_t* v = dst[2] + std::ptrdiff_t(cy) * linesize[2] + cx;
            *u = std::uint8_t(((unsigned(*u) << sh) * (255 - A) + sumU * A) / (255u << sh));
            *v = std::uint8_t(((unsigned(*v) << sh) * (255 - A) + sumV * A) / (255u << sh));
        }
    }
}

void ClearSubtitleQueue(TVideoState& s)
{
    std::lock_guard<std::mutex> g(s.subpq_lock);
    for (auto& slot : s.subpq) ff::avsubtitle_free(&slot.Sub);
    s.subpq.clear();
    s.subpq_cond.notify_all();
}

void SubtitleThreadProc(TVideoState* sp)
{
    TVideoState& s = *sp;
    std::int64_t serial = s.Serial;
    for (;;) {
        TQueueItem it;
        if (s.subtitleq.Get(it, true) < 0) break;
        if (it.Kind == TQueueItemKind::Flush) {
            ff::avcodec_flush_buffers(s.subtitle_dec);
            serial = s.Serial;
            continue;
        }
        if (it.Kind != TQueueItemKind::Packet) continue;
        {
            std::unique_lock<std::mutex> g(s.subpq_lock);
            s.subpq_cond.wait(g, [&] { return s.subpq.size() < TVideoState::SubQueueSize || s.subtitleq.Aborted(); });
        }
        if (s.subtitleq.Aborted()) {
            ff::av_packet_free(&it.Pkt);
            break;
        }
        TSubtitleSlot slot;
        slot.Serial = serial;
        slot.PTS = it.Pkt->pts != AV_NOPTS_VALUE ? double(it.Pkt->pts) * av_q2d(s.subtitle_st->time_base) : 0.0;
        int got = 0;
        int r = ff::avcodec_decode_subtitle2(s.subtitle_dec, &slot.Sub, &got, it.Pkt);
        ff::av_packet_free(&it.Pkt);
        if (r < 0 || !got) continue;
        if (slot.Sub.format != 0) {   // text subtitles are not drawn
            ff::avsubtitle_free(&slot.Sub);
            continue;
        }
        for (unsigned i = 0; i < slot.Sub.num_rects; i++) {
            AVSubtitleRect* rect = slot.Sub.rects[i];
            auto* pal = reinterpret_cast<std::uint32_t*>(rect->data[1]);
            for (int c = 0; pal && c < rect->nb_colors; c++) pal[c] = RgbaToAyuv(pal[c]);
        }
        {
            std::lock_guard<std::mutex> g(s.subpq_lock);
            s.subpq.push_back(slot);
        }
        s.Redisplay = true;   // shows at once also on a paused picture
    }
}

void RetireSubtitles(TVideoState& s, double pts)
{
    std::lock_guard<std::mutex> g(s.subpq_lock);
    auto drop = [&] {
        ff::avsubtitle_free(&s.subpq.front().Sub);
        s.subpq.pop_front();
        s.subpq_cond.notify_all();
    };
    while (!s.subpq.empty() && s.subpq.front().Serial != s.Serial) drop();
    while (!s.subpq.empty()) {
        const TSubtitleSlot& first = s.subpq.front();
        bool over = pts > first.PTS + first.Sub.end_display_time / 1000.0;
        bool next = s.subpq.size() > 1 && pts > s.subpq[1].PTS + s.subpq[1].Sub.start_display_time / 1000.0;
        if (!over && !next) break;
        drop();
    }
}

AVFrame* FrameWithSubtitles(TVideoState& s, const AVFrame* frame, double pts)
{
    std::lock_guard<std::mutex> g(s.subpq_lock);
    if (s.subpq.empty()) return nullptr;
    const TSubtitleSlot& sub = s.subpq.front();
    if (sub.Serial != s.Serial || sub.Sub.num_rects == 0 || pts < sub.PTS + sub.Sub.start_display_time / 1000.0 ||
        pts > sub.PTS + sub.Sub.end_display_time / 1000.0)
        return nullptr;
    // a YUV 4:2:0 copy of the picture to draw on
    AVFrame* out = ff::av_frame_alloc();
    if (!out) return nullptr;
    bool ok;
    if (frame->format == AV_PIX_FMT_YUV420P || frame->format == AV_PIX_FMT_YUVJ420P) {
        ok = ff::av_frame_ref(out, frame) >= 0 && ff::av_frame_make_writable(out) >= 0;
    } else {
        out->format = AV_PIX_FMT_YUV420P;
        out->width = frame->width;
        out->height = frame->height;
        out->sample_aspect_ratio = frame->sample_aspect_ratio;
        SwsContext* sws = ff::sws_getContext(frame->width, frame->height, AVPixelFormat(frame->format), frame->width,
                                             frame->height, AV_PIX_FMT_YUV420P, SWS_BICUBIC, nullptr, nullptr, nullptr);
        ok = sws && ff::av_frame_get_buffer(out, 0) >= 0;
        if (ok) ff::sws_scale(sws, frame->data, frame->linesize, 0, frame->height, out->data, out->linesize);
        if (sws) ff::sws_freeContext(sws);
    }
    if (!ok) {
        ff::av_frame_free(&out);
        return nullptr;
    }
    for (unsigned i = 0; i < sub.Sub.num_rects; i++)
        BlendSubtitleRect(out->data, out->linesize, *sub.Sub.rects[i], out->width, out->height);
    return out;
}
