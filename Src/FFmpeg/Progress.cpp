// The run's reports: the progress line and event at most once per
// ReportInterval and at the end, and the post hooks (preview window and
// preview bitmaps) on encoded pictures.
#include <cmath>

#include "Src/FFUtils.h"
#include "Src/FFmpeg.h"
#include "Src/FFmpeg/EngineUtil.h"
#include "Src/FFmpeg/Run.h"
#include "Src/FFmpegLogger.h"

using namespace ffengine;

void TCustomFFmpeg::ReportProgress(TRunState& R, bool AIsLast, int AFileIndex)
{
    int64_t totalSize = 0;
    if (!Foutput_files.empty() && Foutput_files[0]->ctx->pb) {
        AVIOContext* pb = Foutput_files[0]->ctx->pb;
        totalSize = ff::avio_size(pb);
        if (totalSize < 0)
            totalSize = ff::avio_seek(pb, 0, SEEK_CUR);
        if (totalSize < 0)
            totalSize = 0;
    }
    std::string line;
    double ti1 = 1e10;
    int frameNumber = -1, fps = -1;
    float q = -1.0f;
    bool shown = false;
    for (auto* ost : R.ost) {
        if (ost->st->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) {
            float sq = ost->stream_copy ? -1.0f : ost->quality / FF_QP2LAMBDA;
            if (shown) {
                line += Format("q=%2.1f ", sq);
            } else if (ost->show_fps) {
                double t = (ff::av_gettime_relative() - Ftimer_start) / 1000000.0;
                frameNumber = ost->frame_number;
                if (frameNumber < 1)
                    return;
                fps = t > 1 ? (int)(frameNumber / t + 0.5) : 0;
                q = sq;
                line += Format("frame=%5d fps=%3d q=%3.1f ", frameNumber, fps, q);
                if (AIsLast)
                    line += "L";
                if (Fqp_hist) {
                    int qp = (int)std::lround(q);
                    if (qp >= 0 && qp < 52)
                        R.qp_histogram[qp]++;
                    for (int j = 0; j < 32; j++)
                        line += Format("%X", (int)std::lround(std::log2(R.qp_histogram[j] + 1)));
                }
                AVCodecContext* enc = ost->enc;
                if (!ost->stream_copy && (enc->flags & AV_CODEC_FLAG_PSNR)) {
                    double errSum = 0, scaleSum = 0;
                    line += "PSNR=";
                    for (int j = 0; j < 3; j++) {
                        double err = AIsLast ? (double)enc->error[j] : (double)ost->last_error[j];
                        double scale = (double)enc->width * enc->height * 255.0 * 255.0;
                        if (AIsLast)
                            scale *= frameNumber;
                        if (j)
                            scale /= 4;
                        errSum += err;
                        scaleSum += scale;
                        line += Format("%c:%2.2f ", "YUV"[j], err > 0 ? -10.0 * std::log10(err / scale) : 99.99);
                    }
                    line += Format("*:%2.2f ", errSum > 0 ? -10.0 * std::log10(errSum / scaleSum) : 99.99);
                }
                shown = true;
            }
        }
        double pos = ost->out_pos;
        int64_t end = ff::av_stream_get_end_pts(ost->st);
        if (end != AV_NOPTS_VALUE && end > 0)
            pos = std::max(pos, end * av_q2d(ost->st->time_base));
        if (pos > 0 && pos < ti1)
            ti1 = pos;
    }
    if (ti1 < 0.01)
        ti1 = 0.01;
    if (ti1 >= 1e10)
        ti1 = 0.01;
    if (OnProgress || Fverbose > 0 || AIsLast) {
        double bitrate = (double)(totalSize * 8) / ti1 / 1000.0;
        line += Format("size=%8.0fkB time=%0.2f bitrate=%6.1fkbits/s", totalSize / 1024.0, ti1, bitrate);
        if (Fnb_frames_dup || Fnb_frames_drop) {
            line += Format(" dup=%d drop=%d", Fnb_frames_dup, Fnb_frames_drop);
            if (FShowDupOrDrop && Fverbose >= 0 && OnProgress) {
                FShowDupOrDrop = false;
                Log(llVerbose, line);
            }
        }
        // the reported time never goes back, and a run that reached its end reports all of it
        int64_t cur = std::max<int64_t>((int64_t)(ti1 * 1000000), R.last_reported_time);
        if (AIsLast && !FBroken && FTotalOutputDuration > 0)
            cur = std::max(cur, FTotalOutputDuration);
        R.last_reported_time = cur;
        if (OnProgress)
            OnProgress(this, AFileIndex, frameNumber, fps, q, (float)bitrate, totalSize, cur, FTotalOutputDuration);
        else if (Fverbose >= 0)
            Log(llVerbose, line);
    }
    if (AIsLast && Fverbose >= 0) {
        int64_t raw = Faudio_size + Fvideo_size + Fextra_size;
        Log(llVerbose, Format("video:%1.0fkB audio:%1.0fkB global headers:%1.0fkB muxing overhead %f%%\r\n",
                           Fvideo_size / 1024.0, Faudio_size / 1024.0, Fextra_size / 1024.0,
                           raw ? 100.0 * (totalSize - raw) / raw : 0.0));
    }
}

TCriticalSection& PostHookLock()
{
    static TCriticalSection lock;
    return lock;
}

void TCustomFFmpeg::SetPostHooks(TPostHooks AValue)
{
    std::lock_guard<TCriticalSection> g(PostHookLock());
    TPostHooks old = FPostHooks;
    FPostHooks = AValue;
    if ((old & PostHookBit(phPreview)) && !(AValue & PostHookBit(phPreview)))
        ReleasePreview();
}

// With every encoded picture, at most once per PreviewInterval: a bitmap for
// OnPreviewBitmap, or else a frame for the preview window. Only the time is
// checked per picture; the conversion runs on this task's own context, and
// PostHookLock (shared by every task) is held only to borrow the preview
// window's buffer and around the delivery. The window keeps one buffer for
// its pictures, so a task with a preview holds one picture, not three.
void TCustomFFmpeg::CallPostHooks(const AVFrame* APicture, AVCodecContext* ACodec)
{
    if (!FPostHooks)
        return;
    const int64_t now = ff::av_gettime_relative();
    const int64_t last = Fpreview_last_time;
    if (last != NEVER_SHOWN && now - last <= PreviewInterval)
        return;
    Fpreview_last_time = now;
    if (!FPostContext)
        FPostContext = std::make_unique<TRGBConvertContext>();
    {
        std::lock_guard<TCriticalSection> g(PostHookLock());
        const TPostHooks hooks = FPostHooks;
        if (!((hooks & PostHookBit(phBitmap)) && OnPreviewBitmap) && (hooks & PostHookBit(phPreview))) {
            if (!FPostContext->Bitmap)
                FPostContext->Bitmap = std::make_unique<TBGRBitmap>();
            if (!LendPreview(FPostContext->Bitmap.get()))
                return;
        }
    }
    const bool converted = PictureToBitmap(*FPostContext, APicture) && FPostContext->Bitmap;
    const int64_t pts = APicture->pts == AV_NOPTS_VALUE
                            ? AV_NOPTS_VALUE
                            : ff::av_rescale_q(APicture->pts, ACodec->time_base, AV_TIME_BASE_Q);
    std::lock_guard<TCriticalSection> g(PostHookLock());
    // the set may have changed while the picture was converted
    TPostHooks hooks = FPostHooks;
    const bool bitmap = (hooks & PostHookBit(phBitmap)) && OnPreviewBitmap;
    const bool preview = !bitmap && (hooks & PostHookBit(phPreview));
    if (!bitmap && !preview)
        return;
    if (!converted) {
        Log(llError, "Cannot initialize the toRGB conversion context");
        hooks &= ~PostHookBit(bitmap ? phBitmap : phPreview);
    } else if (bitmap) {
        OnPreviewBitmap(this, FPostContext->Bitmap.get(), FHookFrameNumber, pts);
    } else if (!PaintPreview(FPostContext->Bitmap.get(), FHookFrameNumber, pts)) {
        hooks &= ~PostHookBit(phPreview);
    }
    if (hooks != FPostHooks)
        SetPostHooks(hooks);
}
