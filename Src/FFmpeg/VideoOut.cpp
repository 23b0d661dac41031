// The run's video encoding path: the custom hook and frame hooks on decoded
// pictures, the filter graph (crop, scale, deinterlace, the user's filters,
// the encoder's formats), the video sync method's drops and duplicates, and
// the video statistics file.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>

#include "Src/FFUtils.h"
#include "Src/FFmpeg.h"
#include "Src/FFmpeg/EngineUtil.h"
#include "Src/FFmpeg/Run.h"
#include "Src/FFmpegLogger.h"

using namespace ffengine;
namespace fs = std::filesystem;

// Right after decoding: the owner's custom hook and the frame-hook chain may
// change the picture.
void TCustomFFmpeg::PrepareVideoFrame(TAVInputStream* ist, AVFrame* f)
{
    FHookFrameNumber++;
    // a custom hook whose owner has no handler costs nothing: no copy, no conversion
    // (a bound custom hook takes precedence over the frame hooks)
    const bool custom = OnCustomHook && (!CustomHookWanted || CustomHookWanted());
    const bool vhook = !OnCustomHook && Fusing_vhook && FrameHookProcess;
    if (!custom && !vhook)
        return;
    // the custom hook reads the picture first and makes the frame writable
    // only when a changed picture goes back into it
    if (custom) {
        CallCustomHook(f, ist->pts);
        return;
    }
    if (ff::av_frame_make_writable(f) < 0) {
        Log(llError, "hook buf malloc error.");
        return;
    }
    FrameHookProcess(this, f, ist->pts);
}

void TCustomFFmpeg::CallCustomHook(AVFrame* f, int64_t APts)
{
    auto stop = [this] {
        OnCustomHook = nullptr;
        Fusing_vhook = false;
    };
    if (!FHookContext)
        FHookContext = std::make_unique<TRGBConvertContext>();
    TRGBConvertContext& c = *FHookContext;
    if (!PictureToBitmap(c, f) || !c.Bitmap) {
        Log(llError, "Cannot initialize the toRGB conversion context");
        stop();
        return;
    }
    bool update = true, stopHook = false;
    try {
        OnCustomHook(this, c.Bitmap.get(), FHookFrameNumber, APts, update, stopHook);
    } catch (const std::exception& e) {
        Log(llError, std::string("Error occurs OnCustomHook: ") + e.what());
        update = false;
    }
    if (update) {
        TBGRBitmap& b = *c.Bitmap;
        // decided before the frame may get new buffers
        const bool direct = c.RGBPictureRef.data[0] == f->data[0];
        if (ff::av_frame_make_writable(f) < 0) {
            Log(llError, "hook buf malloc error.");
        } else if (direct) {
            const int rowBytes = std::min(f->linesize[0], b.Width * 3);
            for (int y = 0; y < f->height && y < b.Height; y++)
                std::memcpy(f->data[0] + (size_t)y * f->linesize[0], b.ScanLine(y), rowBytes);
        } else {
            // straight from the bitmap's rows back into the frame's format
            const uint8_t* src[4] = {b.ScanLine(0), nullptr, nullptr, nullptr};
            const int srcStride[4] = {b.RowSize(), 0, 0, 0};
            c.fromRGB_convert_ctx = ff::sws_getCachedContext(c.fromRGB_convert_ctx, f->width, f->height, c.RGBPixFmt,
                                                             f->width, f->height, AVPixelFormat(f->format),
                                                             SWS_BICUBIC, nullptr, nullptr, nullptr);
            if (!c.fromRGB_convert_ctx) {
                Log(llError, "Cannot initialize the fromRGB conversion context");
                stopHook = true;
            } else {
                ff::sws_scale(c.fromRGB_convert_ctx, src, srcStride, 0, std::min(f->height, b.Height), f->data,
                              f->linesize);
            }
        }
    }
    if (stopHook)
        stop();
}

int TCustomFFmpeg::ConfigureFilters(TAVInputStream* ist, TAVOutputStream* ost, int w, int h, int fmt,
                                    AVRational sar)
{
    AVCodecContext* enc = ost->enc;
    if (ost->graph)
        ff::avfilter_graph_free(&ost->graph);
    ost->src = ost->sink = nullptr;
    ost->graph = ff::avfilter_graph_alloc();
    if (!ost->graph)
        return -1;
    // the filters that work in slices take as many threads as the encoder
    ost->graph->nb_threads = enc->thread_count;
    AVRational tb = ist->st->time_base;
    AVRational fr = ist->st->avg_frame_rate.num ? ist->st->avg_frame_rate : ist->st->r_frame_rate;
    std::string args = Format("video_size=%dx%d:pix_fmt=%d:time_base=%d/%d:pixel_aspect=%d/%d", w, h, fmt, tb.num,
                           tb.den, sar.num, sar.den ? sar.den : 1);
    if (fr.num > 0 && fr.den > 0)
        args += Format(":frame_rate=%d/%d", fr.num, fr.den);
    if (ff::avfilter_graph_create_filter(&ost->src, ff::avfilter_get_by_name("buffer"), "src", args.c_str(),
                                         nullptr, ost->graph) < 0)
        return -1;
    if (ff::avfilter_graph_create_filter(&ost->sink, ff::avfilter_get_by_name("buffersink"), "out", nullptr,
                                         nullptr, ost->graph) < 0)
        return -1;

    // the crop and scale the run needs, the user's chain, and the encoder's formats
    std::string chain;
    auto add = [&](const std::string& f) {
        if (!chain.empty())
            chain += ",";
        chain += f;
    };
    if (Fdo_deinterlace)
        add("yadif");
    int cw = w - ost->leftBand - ost->rightBand;
    int ch = h - ost->topBand - ost->bottomBand;
    if (ost->leftBand || ost->rightBand || ost->topBand || ost->bottomBand)
        add(Format("crop=%d:%d:%d:%d", cw, ch, ost->leftBand, ost->topBand));
    int ow = enc->width > 0 ? enc->width : cw;
    int oh = enc->height > 0 ? enc->height : ch;
    if (ow != cw || oh != ch)
        add(Format("scale=%d:%d:flags=0x%X", ow, oh, Fsws_flags));
    if (!Fvfilters.empty())
        add(Fvfilters);
    if (ost->graph_rebuilt && enc->width > 0 && enc->height > 0)
        add(Format("scale=%d:%d:flags=0x%X", enc->width, enc->height, Fsws_flags));
    std::string fmts;
    if (ost->setup->codec && ost->setup->codec->pix_fmts) {
        if (enc->pix_fmt != AV_PIX_FMT_NONE)
            fmts = ff::av_get_pix_fmt_name(enc->pix_fmt);
        else
            for (const AVPixelFormat* p = ost->setup->codec->pix_fmts; *p != AV_PIX_FMT_NONE; p++) {
                if (!fmts.empty())
                    fmts += "|";
                fmts += ff::av_get_pix_fmt_name(*p);
            }
    } else if (enc->pix_fmt != AV_PIX_FMT_NONE) {
        fmts = ff::av_get_pix_fmt_name(enc->pix_fmt);
    }
    if (!fmts.empty())
        add("format=pix_fmts=" + fmts);
    if (chain.empty())
        chain = "null";
    ost->graph->scale_sws_opts = ff::av_strdup(Format("flags=0x%X", Fsws_flags).c_str());

    AVFilterInOut* outputs = ff::avfilter_inout_alloc();
    AVFilterInOut* inputs = ff::avfilter_inout_alloc();
    if (!outputs || !inputs) {
        ff::avfilter_inout_free(&outputs);
        ff::avfilter_inout_free(&inputs);
        return -1;
    }
    outputs->name = ff::av_strdup("in");
    outputs->filter_ctx = ost->src;
    outputs->pad_idx = 0;
    outputs->next = nullptr;
    inputs->name = ff::av_strdup("out");
    inputs->filter_ctx = ost->sink;
    inputs->pad_idx = 0;
    inputs->next = nullptr;
    int r = ff::avfilter_graph_parse_ptr(ost->graph, chain.c_str(), &inputs, &outputs, nullptr);
    ff::avfilter_inout_free(&outputs);
    ff::avfilter_inout_free(&inputs);
    if (r < 0) {
        FLastErrMsg = Format("%s: %s", chain.c_str(), ErrText(r).c_str());
        return -1;
    }
    r = ff::avfilter_graph_config(ost->graph, nullptr);
    if (r < 0) {
        FLastErrMsg = ErrText(r);
        return -1;
    }
    ost->graph_w = w;
    ost->graph_h = h;
    ost->graph_fmt = fmt;
    ost->graph_ist = ist;
    return 0;
}

void TCustomFFmpeg::DoVideoOut(TRunState& R, TAVOutputStream* ost, TAVInputStream* ist, AVFrame* decoded)
{
    if (decoded && ist != ost->graph_ist) {
        // the next input of a join: its own time base and size, the encoder's output;
        // what the previous input's graph still holds is encoded first
        DrainFilterGraph(R, ost);
        ost->graph_rebuilt = true;
        if (ConfigureFilters(ist, ost, decoded->width, decoded->height, decoded->format,
                             decoded->sample_aspect_ratio) < 0)
            throw FFmpegException("Error opening filters: " + FLastErrMsg);
    } else if (decoded && (decoded->width != ost->graph_w || decoded->height != ost->graph_h ||
                           decoded->format != ost->graph_fmt)) {
        Log(llQuiet, Format("Input Stream #%d.%d frame size changed to %dx%d, %s", ist->file_index, ist->index,
                         decoded->width, decoded->height,
                         ff::av_get_pix_fmt_name(AVPixelFormat(decoded->format))
                             ? ff::av_get_pix_fmt_name(AVPixelFormat(decoded->format))
                             : "none"));
        // the picture goes on at the encoder's size: the graph is built again,
        // after the pictures of the old size it holds are encoded
        DrainFilterGraph(R, ost);
        ost->graph_rebuilt = true;
        if (ConfigureFilters(ist, ost, decoded->width, decoded->height, decoded->format,
                             decoded->sample_aspect_ratio) < 0)
            throw FFmpegException("Error opening filters: " + FLastErrMsg);
    }
    int r = ff::av_buffersrc_add_frame_flags(ost->src, decoded, AV_BUFFERSRC_FLAG_KEEP_REF);
    if (r < 0)
        throw FFmpegException("Error while feeding the filter graph: " + ErrText(r));
    EncodeSinkFrames(R, ost, true);
}

void TCustomFFmpeg::EncodeSinkFrames(TRunState& R, TAVOutputStream* ost, bool RaiseErrors)
{
    for (;;) {
        int r = ff::av_buffersink_get_frame(ost->sink, R.filt);
        if (r == AVERROR(EAGAIN) || r == AVERROR_EOF)
            return;
        if (r < 0) {
            if (RaiseErrors)
                throw FFmpegException("Error while filtering: " + ErrText(r));
            return;
        }
        int64_t ptsUs = R.filt->pts != AV_NOPTS_VALUE
                            ? ff::av_rescale_q(R.filt->pts, ff::av_buffersink_get_time_base(ost->sink), AV_TIME_BASE_Q)
                            : ost->sync_ist->pts;
        try {
            EncodeVideoFrame(R, ost, R.filt, ptsUs);
        } catch (...) {
            ff::av_frame_unref(R.filt);
            throw;
        }
        ff::av_frame_unref(R.filt);
    }
}

void TCustomFFmpeg::EncodeVideoFrame(TRunState& R, TAVOutputStream* ost, AVFrame* pic, int64_t APtsUs)
{
    AVCodecContext* enc = ost->enc;
    double syncIpts = double(APtsUs - Fstart_time) / AV_TIME_BASE / av_q2d(enc->time_base);
    int nb = 1;
    int method = Fvideo_sync_method;
    if (method < 0)
        method = (ost->of->ctx->oformat->flags & AVFMT_VARIABLE_FPS) ? 2 : 1;
    if (method != 0) {
        double vdelta = syncIpts - ost->sync_opts;
        if (vdelta < -1.1)
            nb = 0;
        else if (method == 2) {
            if (vdelta <= -0.6)
                nb = 0;
            else if (vdelta > 0.6)
                ost->sync_opts = std::llround(syncIpts);
        } else if (vdelta > 1.1)
            nb = (int)std::llround(vdelta);
        if (nb == 0) {
            Fnb_frames_drop++;
            FShowDupOrDrop = true;
            if (Fverbose > 2)
                Log(llVerbose, "*** drop!");
        } else if (nb > 1) {
            Fnb_frames_dup += nb - 1;
            FShowDupOrDrop = true;
            if (Fverbose > 2)
                Log(llVerbose, Format("*** %d dup!", nb - 1));
        }
    } else {
        ost->sync_opts = std::llround(syncIpts);
    }
    nb = std::min(nb, Fmax_frames[0] - ost->frame_number);
    if (nb <= 0)
        return;
    for (int i = 0; i < nb && !FBroken; i++) {
        if (i > 0)
            WaitWhilePaused();
        AVFrame* f = ff::av_frame_clone(pic);
        if (!f)
            throw FFmpegException("Video encoding failed");
        f->pts = ost->sync_opts;
        f->pict_type = AV_PICTURE_TYPE_NONE;
        if (Ftop_field_first >= 0)
            f->top_field_first = Ftop_field_first;
        if (Fsame_quality && pic->quality > 0)
            f->quality = pic->quality;  // the source's quantizer, as the decoder gave it
        else if (ost->setup->quality > 0)
            f->quality = (int)std::lround(ost->setup->quality);
        try {
            CallPostHooks(f, enc);
            EncodeFrame(R, ost, f);
        } catch (...) {
            ff::av_frame_free(&f);
            throw;
        }
        ff::av_frame_free(&f);
        ost->sync_opts++;
        ost->frame_number++;
    }
}

// The filter graph is told that no more pictures come, and the pictures it
// still holds (filters that look ahead keep some) are encoded.
void TCustomFFmpeg::DrainFilterGraph(TRunState& R, TAVOutputStream* ost)
{
    if (!ost->src || !ost->sink || ff::av_buffersrc_add_frame_flags(ost->src, nullptr, 0) < 0)
        return;
    EncodeSinkFrames(R, ost, false);
}

// One line per written video frame into the statistics file.
void TCustomFFmpeg::WriteVideoStats(TAVOutputStream* ost, const AVPacket* pkt)
{
    if (!Fvstats_file) {
        // a relative name is taken next to the output, never in the current folder
        fs::path p = fs::u8path(Fvstats_filename);
        if (p.is_relative()) {
            fs::path dir = fs::u8path(ost->of->file_name).parent_path();
            p = fs::absolute(dir.empty() ? fs::current_path() : dir) / p;
        }
        Fvstats_file = std::fopen(p.string().c_str(), "w");
        if (!Fvstats_file)
            throw FFmpegException("fopen fail: " + Fvstats_filename);
    }
    AVCodecContext* enc = ost->enc;
    size_t sz = 0;
    const uint8_t* sd = ff::av_packet_get_side_data(pkt, AV_PKT_DATA_QUALITY_STATS, &sz);
    int quality = 0, pictType = 0;
    int64_t err0 = 0;
    if (sd && sz >= 5) {
        quality = int(sd[0] | sd[1] << 8 | sd[2] << 16 | unsigned(sd[3]) << 24);
        pictType = sd[4];
        if (sz >= 16)
            std::memcpy(&err0, sd + 8, 8);
    }
    ost->stats_frames++;
    ost->stats_bytes += pkt->size;
    std::fprintf(Fvstats_file, "frame= %5d q= %2.1f ", ost->stats_frames, quality / (float)FF_QP2LAMBDA);
    if (enc->flags & AV_CODEC_FLAG_PSNR)
        std::fprintf(Fvstats_file, "PSNR= %6.2f ",
                     err0 > 0 ? -10.0 * std::log10(err0 / (enc->width * enc->height * 255.0 * 255.0)) : 99.99);
    std::fprintf(Fvstats_file, "f_size= %6d ", pkt->size);
    double ti1 = std::max(0.01, ost->sync_opts * av_q2d(enc->time_base));
    double bitrate = pkt->size * 8 / av_q2d(enc->time_base) / 1000.0;
    double avg = ost->stats_bytes * 8.0 / ti1 / 1000.0;
    std::fprintf(Fvstats_file, "s_size= %8.0fkB time= %0.3f br= %7.1fkbits/s avg_br= %7.1fkbits/s ",
                 ost->stats_bytes / 1024.0, ti1, bitrate, avg);
    char type = pictType ? ff::av_get_picture_type_char(AVPictureType(pictType)) : '?';
    std::fprintf(Fvstats_file, "type= %c\n", type);
}
