// Input files and output streams: each operation reads the option state the
// options before it have set, builds FFmpeg's contexts from it, appends the
// result to the engine's lists and resets the per-file and per-stream options.
#include <cmath>
#include <cstring>
#include <ctime>
#include <filesystem>

#include "Src/FFmpeg.h"
#include "Src/FFmpeg/EngineUtil.h"
#include "Src/FFmpegLoader.h"
#include "Src/FFUtils.h"
#include "Src/FFmpegLogger.h"
#include "Src/UnicodeProtocol.h"

using namespace ffengine;
namespace fs = std::filesystem;

bool TCustomFFmpeg::FindCodec(const std::string& AName, AVMediaType AType, bool AEncoder, int AStrict,
                              AVCodecID& ACodecID)
{
    if (AName.empty()) {
        ACodecID = AV_CODEC_ID_NONE;
        return true;
    }
    const char* kind = AEncoder ? "encoder" : "decoder";
    const AVCodec* c = AEncoder ? ff::avcodec_find_encoder_by_name(AName.c_str())
                                : ff::avcodec_find_decoder_by_name(AName.c_str());
    if (!c) {
        FLastErrMsg = Format("Unknown %s '%s'", kind, AName.c_str());
        return false;
    }
    if (c->type != AType) {
        FLastErrMsg = Format("Invalid %s type '%s'", kind, AName.c_str());
        return false;
    }
    if ((c->capabilities & AV_CODEC_CAP_EXPERIMENTAL) && AStrict > FF_COMPLIANCE_EXPERIMENTAL) {
        FLastErrMsg = Format("%s '%s' is experimental and might produce bad results.\r\n"
                          "Add '-strict experimental' if you want to use it.",
                          kind, c->name);
        const AVCodec* d = AEncoder ? ff::avcodec_find_encoder(c->id) : ff::avcodec_find_decoder(c->id);
        if (d && !(d->capabilities & AV_CODEC_CAP_EXPERIMENTAL))
            FLastErrMsg += Format("\r\nOr use the non experimental %s '%s'.", kind, d->name);
        return false;
    }
    ACodecID = c->id;
    return true;
}

// ---- input ------------------------------------------------------------------------
bool TCustomFFmpeg::OpenInputFile(const std::string& AFileName)
{
    CheckLoaded();
    const AVInputFormat* fmt = nullptr;
    if (!Flast_asked_format.empty()) {
        fmt = ff::av_find_input_format(Flast_asked_format.c_str());
        if (!fmt)
            throw FFmpegException(Format("Unknown input format: \"%s\"", Flast_asked_format.c_str()));
        Flast_asked_format.clear();
    }
    AVFormatContext* ic = nullptr;
    AVDictionary* fopts = nullptr;
    auto fail = [&](const std::string& msg) {
        FLastErrMsg = msg;
        Fvideo_codec_name.clear();
        Faudio_codec_name.clear();
        Fsubtitle_codec_name.clear();
        Fvideo_channel = 0;
        if (ic)
            ff::avformat_close_input(&ic);
        if (fopts)
            ff::av_dict_free(&fopts);
        return false;
    };
    if ((int)Finput_files.size() >= FMaxFiles)
        return fail(Format("Too many input files (at most %d)", FMaxFiles));
    // refused before FFmpeg opens it: opening a FIFO would block the caller
    if (std::string why = InputFileKindError(AFileName); !why.empty())
        return fail(why);

    ic = ff::avformat_alloc_context();
    if (!ic)
        throw FFmpegException("avformat_alloc_context failed");
    ic->interrupt_callback = {&TCustomFFmpeg::InterruptInput, this};

    // what the old format parameters carried, for the demuxers that take it
    if (Faudio_sample_rate > 0)
        ff::av_dict_set_int(&fopts, "sample_rate", Faudio_sample_rate, 0);
    if (Faudio_channels > 0)
        ff::av_dict_set_int(&fopts, "channels", Faudio_channels, 0);
    if (Fframe_rate.num > 0 && Fframe_rate.den > 0)
        ff::av_dict_set(&fopts, "framerate", Format("%d/%d", Fframe_rate.num, Fframe_rate.den).c_str(), 0);
    if (Fframe_width > 0 && Fframe_height > 0)
        ff::av_dict_set(&fopts, "video_size", Format("%dx%d", Fframe_width, Fframe_height).c_str(), 0);
    if (Fframe_pix_fmt >= 0)
        if (const char* n = ff::av_get_pix_fmt_name(AVPixelFormat(Fframe_pix_fmt)))
            ff::av_dict_set(&fopts, "pixel_format", n, 0);
    if (Fvideo_channel)
        ff::av_dict_set_int(&fopts, "channel", Fvideo_channel, 0);
    if (!Fvideo_standard.empty())
        ff::av_dict_set(&fopts, "standard", Fvideo_standard.c_str(), 0);
    if (Floop_input)
        ff::av_dict_set(&fopts, "loop", "1", 0);

    ApplyStoreToFormat(ic, AV_OPT_FLAG_DECODING_PARAM);

    AVCodecID vid, aid, sid;
    if (!FindCodec(Fvideo_codec_name, AVMEDIA_TYPE_VIDEO, false, StoreStrict(AVMEDIA_TYPE_VIDEO), vid) ||
        !FindCodec(Faudio_codec_name, AVMEDIA_TYPE_AUDIO, false, StoreStrict(AVMEDIA_TYPE_AUDIO), aid) ||
        !FindCodec(Fsubtitle_codec_name, AVMEDIA_TYPE_SUBTITLE, false, StoreStrict(AVMEDIA_TYPE_SUBTITLE), sid))
        return fail(FLastErrMsg);
    ic->video_codec_id = vid;
    ic->audio_codec_id = aid;
    ic->subtitle_codec_id = sid;
    const AVCodec* vdec = Fvideo_codec_name.empty() ? nullptr : ff::avcodec_find_decoder_by_name(Fvideo_codec_name.c_str());
    const AVCodec* adec = Faudio_codec_name.empty() ? nullptr : ff::avcodec_find_decoder_by_name(Faudio_codec_name.c_str());
    const AVCodec* sdec =
        Fsubtitle_codec_name.empty() ? nullptr : ff::avcodec_find_decoder_by_name(Fsubtitle_codec_name.c_str());
    ic->video_codec = vdec;
    ic->audio_codec = adec;
    ic->subtitle_codec = sdec;
    ic->flags |= AVFMT_FLAG_NONBLOCK;
    if (Fpgmyuv_compatibility_hack)
        ic->video_codec_id = AV_CODEC_ID_PGMYUV;

    int err = OpenInputURL(&ic, FileNameToURL(AFileName), fmt, &fopts);
    if (err < 0) {
        ic = nullptr;  // freed by the open
        return fail(err == AVERROR_EXIT ? FileErrorText(AFileName, err) : AVErrorText(AFileName, err));
    }
    ff::av_dict_free(&fopts);

    if (Fopt_programid) {
        bool found = false;
        for (unsigned i = 0; i < ic->nb_streams; i++)
            ic->streams[i]->discard = AVDISCARD_ALL;
        for (unsigned i = 0; i < ic->nb_programs; i++) {
            AVProgram* p = ic->programs[i];
            if (p->id != Fopt_programid) {
                p->discard = AVDISCARD_ALL;
                continue;
            }
            found = true;
            for (unsigned j = 0; j < p->nb_stream_indexes; j++)
                if (p->stream_index[j] < ic->nb_streams)
                    ic->streams[p->stream_index[j]]->discard = AVDISCARD_DEFAULT;
        }
        if (!found)
            return fail("Specified program id not found");
        Fopt_programid = 0;
    }

    {
        TCodecLockGuard lock;
        err = ff::avformat_find_stream_info(ic, nullptr);
    }
    if (err < 0 && Fverbose >= 0) {
        std::string msg = Format("%s: could not find codec parameters", AFileName.c_str());
        Log(llVerbose, msg);
        return fail(msg);
    }

    int64_t timestamp = Fstart_time;
    if (ic->start_time != AV_NOPTS_VALUE)
        timestamp += ic->start_time;
    if (Fstart_time != 0) {
        if (ff::avformat_seek_file(ic, -1, INT64_MIN, timestamp, timestamp, 0) < 0 && Fverbose > 0)
            Log(llVerbose, Format("%s: could not seek to position %0.3f", AFileName.c_str(), (double)timestamp / AV_TIME_BASE));
    }
    Fstart_time = 0;

    auto rec = std::make_shared<TInputFileRec>();
    rec->file_name = AFileName;
    rec->threads_named = StoreNames("threads");
    rec->ctx = ic;
    ic = nullptr;
    AVFormatContext* c = rec->ctx;
    for (unsigned i = 0; i < c->nb_streams; i++) {
        AVStream* st = c->streams[i];
        AVCodecParameters* par = st->codecpar;
        // the run gives the decoder its count when it starts, unless an
        // option of the store names it (then the store's value goes in below)
        AVDictionary* d = nullptr;
        ff::av_dict_set_int(&d, "threads", Fthread_count, 0);
        rec->dec_opts.push_back(nullptr);
        const AVCodec* forced = nullptr;
        switch (par->codec_type) {
        case AVMEDIA_TYPE_VIDEO: {
            StoreToDict(&d, AVMEDIA_TYPE_VIDEO, AV_OPT_FLAG_VIDEO_PARAM | AV_OPT_FLAG_DECODING_PARAM);
            if (st->disposition & AV_DISPOSITION_ATTACHED_PIC) {
                // a cover picture: no frame size or rate of the output comes from it
                forced = vdec;
                if (Fvideo_disable)
                    st->discard = AVDISCARD_ALL;
                break;
            }
            Fframe_width = par->width;
            Fframe_height = par->height;
            AVRational sar = st->sample_aspect_ratio.num ? st->sample_aspect_ratio : par->sample_aspect_ratio;
            double r = sar.den ? av_q2d(sar) : 0;
            if (par->width && par->height)
                Fframe_aspect_ratio = (float)(r != 0 ? par->width * r / par->height : double(par->width) / par->height);
            else
                Fframe_aspect_ratio = 4.0f / 3.0f;
            // a decoder asked to decode at reduced resolution gives smaller pictures
            if (AVCodecContext* vc = FOptions->avcodec_opts[AVMEDIA_TYPE_VIDEO]; vc && vc->lowres > 0) {
                Fframe_width >>= vc->lowres;
                Fframe_height >>= vc->lowres;
            }
            if (par->format == -1)
                par->format = 0;
            Fframe_pix_fmt = par->format;
            AVRational cr = st->avg_frame_rate, sr = st->r_frame_rate;
            if (cr.num && cr.den && sr.num && sr.den && (cr.num != sr.num || cr.den != sr.den) && Fverbose >= 0)
                Log(llInfo, Format("Seems stream %d codec frame rate differs from container frame rate: %2.2f (%d/%d) -> "
                                "%2.2f (%d/%d)",
                                (int)i, av_q2d(cr), cr.num, cr.den, av_q2d(sr), sr.num, sr.den));
            // the stream's real rate; a variable-rate stream's tick rate is no frame rate
            Fframe_rate = ff::av_guess_frame_rate(c, st, nullptr);
            if (Fframe_rate.num <= 0 || Fframe_rate.den <= 0)
                Fframe_rate = sr;
            forced = vdec;
            if (Fvideo_disable)
                st->discard = AVDISCARD_ALL;
            else if (Fvideo_discard)
                st->discard = AVDiscard(Fvideo_discard);
            break;
        }
        case AVMEDIA_TYPE_AUDIO:
            StoreToDict(&d, AVMEDIA_TYPE_AUDIO, AV_OPT_FLAG_AUDIO_PARAM | AV_OPT_FLAG_DECODING_PARAM);
            Fchannel_layout = par->ch_layout.order == AV_CHANNEL_ORDER_NATIVE ? (int64_t)par->ch_layout.u.mask : 0;
            Faudio_channels = par->ch_layout.nb_channels;
            Faudio_sample_rate = par->sample_rate;
            Faudio_sample_fmt = par->format;
            forced = adec;
            if (Faudio_disable)
                st->discard = AVDISCARD_ALL;
            break;
        case AVMEDIA_TYPE_SUBTITLE:
            StoreToDict(&d, AVMEDIA_TYPE_SUBTITLE, AV_OPT_FLAG_SUBTITLE_PARAM | AV_OPT_FLAG_DECODING_PARAM);
            forced = sdec;
            if (Fsubtitle_disable)
                st->discard = AVDISCARD_ALL;
            break;
        case AVMEDIA_TYPE_DATA:
        case AVMEDIA_TYPE_ATTACHMENT:
        case AVMEDIA_TYPE_UNKNOWN:
            break;
        default:
            ff::av_dict_free(&d);
            fail("");
            throw FFmpegException("invalid codec_type");
        }
        rec->dec_opts.back() = d;
        Finput_codecs.push_back(forced);
    }
    Fnb_icodecs = (int)Finput_codecs.size();

    if (c->duration != AV_NOPTS_VALUE && c->duration > FTotalOutputDuration)
        FTotalOutputDuration = c->duration;

    int idx = (int)Finput_files.size();
    Finput_files.push_back(rec);
    Finput_files_ts_offset[idx] = Fcopy_ts ? Finput_ts_offset : Finput_ts_offset - timestamp;

    if (Fverbose >= 0)
        ff::av_dump_format(c, idx, AFileName.c_str(), 0);

    Fvideo_channel = 0;
    Fvideo_codec_name.clear();
    Faudio_codec_name.clear();
    Fsubtitle_codec_name.clear();
    return true;
}

bool TCustomFFmpeg::CheckInputStreams(bool AFirstOnly, bool& AHasVideo, bool& AHasAudio, bool& AHasSubtitle)
{
    AHasVideo = AHasAudio = AHasSubtitle = false;
    for (size_t f = 0; f < Finput_files.size(); f++) {
        if (AFirstOnly && f > 0)
            break;
        AVFormatContext* ic = Finput_files[f]->ctx;
        for (unsigned i = 0; i < ic->nb_streams; i++) {
            switch (ic->streams[i]->codecpar->codec_type) {
            case AVMEDIA_TYPE_VIDEO:
                // a cover picture of an audio file is no video
                if (!(ic->streams[i]->disposition & AV_DISPOSITION_ATTACHED_PIC))
                    AHasVideo = true;
                break;
            case AVMEDIA_TYPE_AUDIO: AHasAudio = true; break;
            case AVMEDIA_TYPE_SUBTITLE: AHasSubtitle = true; break;
            case AVMEDIA_TYPE_DATA:
            case AVMEDIA_TYPE_ATTACHMENT:
            case AVMEDIA_TYPE_UNKNOWN: break;
            default: throw FFmpegException("invalid codec_type of input file");
            }
        }
    }
    return true;
}

// ---- output -------------------------------------------------------------------------
namespace {

// The reason a stream of the kind could not be made, in the user's words:
// the codec lookup's "Unknown encoder 'x'" names the kind of encoder wanted.
std::string StreamFailureText(const char* AKind, const std::string& AMsg)
{
    const std::string unknown = "Unknown encoder ", invalid = "Invalid encoder type ";
    if (AMsg.compare(0, unknown.size(), unknown) == 0)
        return Format("Unknown %s encoder %s", AKind, AMsg.c_str() + unknown.size());
    if (AMsg.compare(0, invalid.size(), invalid) == 0)
        return Format("Not a %s encoder: %s", AKind, AMsg.c_str() + invalid.size());
    return AMsg;
}

}  // namespace

// Refuses an output name the system cannot take, instead of cutting it.
std::string TCustomFFmpeg::CheckOutputName(const std::string& AFileName)
{
    if (AFileName.empty())
        return "Output file name is empty";
    if (AFileName.size() > 4095)
        return Format("Output file name is too long: %s", AFileName.c_str());
    fs::path p = fs::u8path(AFileName);
    for (const auto& part : p)
        if (part.native().size() > 255)
            return Format("Output file name is too long: %s", AFileName.c_str());
    return "";
}

// The checks of an output file that set-up can make without touching it.
std::string TCustomFFmpeg::CheckOutputFile(const std::string& AFileName)
{
    // a network or pipe address is no file of this system
    const char* proto = ff::avio_find_protocol_name(FileNameToURL(AFileName).c_str());
    if (proto && std::strcmp(proto, "file") != 0)
        return "";
    std::error_code ec;
    fs::path p = fs::u8path(AFileName);
    if (fs::is_directory(p, ec))
        return AVErrorText(AFileName, AVERROR(EISDIR));
    fs::path dir = p.parent_path();
    if (!dir.empty() && !fs::is_directory(dir, ec))
        return AVErrorText(AFileName, AVERROR(ENOENT));
    if (fs::exists(p, ec)) {
        for (const auto& in : Finput_files) {
            std::error_code e2;
            if (fs::equivalent(p, fs::u8path(in->file_name), e2) && !e2)
                return Format("Output file \"%s\" is the same file as input file \"%s\"", AFileName.c_str(),
                           in->file_name.c_str());
        }
    }
    return "";
}

int TCustomFFmpeg::OpenOutputFile(const std::string& AFileName, bool AJoin)
{
    CheckLoaded();
    if (FJoinMode) {
        FLastErrMsg = "Cannot join more than one output file.";
        return -1;
    }
    if ((int)Foutput_files.size() >= FMaxFiles) {
        FLastErrMsg = Format("Too many output files (at most %d)", FMaxFiles);
        return -1;
    }
    FEnableFilter = !Fvfilters.empty();
    std::string msg = CheckOutputName(AFileName);
    if (!msg.empty()) {
        FLastErrMsg = msg;
        return -1;
    }

    const AVOutputFormat* ofmt = nullptr;
    std::string url = FileNameToURL(AFileName);
    if (!Flast_asked_format.empty()) {
        ofmt = ff::av_guess_format(Flast_asked_format.c_str(), nullptr, nullptr);
        if (!ofmt) {
            FLastErrMsg = Format("Requested output format '%s' is not a suitable output format", Flast_asked_format.c_str());
            return -1;
        }
        Flast_asked_format.clear();
    } else {
        ofmt = ff::av_guess_format(nullptr, AFileName.c_str(), nullptr);
        if (!ofmt) {
            FLastErrMsg = Format("Unable to find a suitable output format for '%s'", AFileName.c_str());
            return -1;
        }
    }
    auto rec = std::make_shared<TOutputFileRec>();
    rec->file_name = AFileName;
    if (ff::avformat_alloc_output_context2(&rec->ctx, ofmt, nullptr, url.c_str()) < 0 || !rec->ctx)
        throw FFmpegException("avformat_alloc_context failed");
    AVFormatContext* oc = rec->ctx;
    oc->interrupt_callback = {&TCustomFFmpeg::InterruptOutput, this};

    bool useVideo = ofmt->video_codec != AV_CODEC_ID_NONE || Fvideo_stream_copy || !Fvideo_codec_name.empty();
    bool useAudio = ofmt->audio_codec != AV_CODEC_ID_NONE || Faudio_stream_copy || !Faudio_codec_name.empty();
    bool useSubtitle =
        ofmt->subtitle_codec != AV_CODEC_ID_NONE || Fsubtitle_stream_copy || !Fsubtitle_codec_name.empty();
    if (!Finput_files.empty()) {
        bool hv = false, ha = false, hs = false;
        try {
            CheckInputStreams(AJoin && Finput_files.size() > 1, hv, ha, hs);
        } catch (const std::exception& e) {
            FLastErrMsg = Format("check_audio_video_sub_inputs fail: %s", e.what());
            return -1;
        }
        useVideo = useVideo && hv;
        useAudio = useAudio && ha;
        useSubtitle = useSubtitle && hs;
    }
    if (Faudio_disable) useAudio = false;
    if (Fvideo_disable) useVideo = false;
    if (Fsubtitle_disable) useSubtitle = false;

    const char* kind = "video";
    try {
        if (useVideo) NewVideoStream(*rec);
        kind = "audio";
        if (useAudio) NewAudioStream(*rec);
        kind = "subtitle";
        if (useSubtitle) NewSubtitleStream(*rec);
    } catch (const std::exception& e) {
        FLastErrMsg = StreamFailureText(kind, e.what());
        return -1;
    }

    if (Frecording_timestamp != 0) {
        std::time_t t = (std::time_t)Frecording_timestamp;
        std::tm tm{};
        gmtime_r(&t, &tm);
        char buf[64];
        std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%S.000000Z", &tm);
        ff::av_dict_set(&oc->metadata, "creation_time", buf, 0);
    }
    // from the last to the first, so that of two equal names the earlier stays
    for (auto it = Fmetadata.rbegin(); it != Fmetadata.rend(); ++it)
        ff::av_dict_set(&oc->metadata, it->first.c_str(), it->second.c_str(), 0);
    Fmetadata.clear();

    // image sequences need a number in the name (the current image muxer no
    // longer flags it, but still fails on the second picture without one)
    if (((ofmt->flags & AVFMT_NEEDNUMBER) || std::strcmp(ofmt->name, "image2") == 0) &&
        !ff::av_filename_number_test(AFileName.c_str())) {
        FLastErrMsg = AVErrorText(AFileName, -33);
        return -1;
    }
    if (!(ofmt->flags & AVFMT_NOFILE)) {
        msg = CheckOutputFile(AFileName);
        if (!msg.empty()) {
            FLastErrMsg = msg;
            return -1;
        }
    }

    oc->max_delay = (int)(Fmux_max_delay * 1000000);
    if (oc->priv_data) {
        const AVClass* pc = ofmt->priv_class;
        const void* fake = &pc;
        if (pc && ff::av_opt_find(const_cast<void*>(fake), "preload", nullptr, 0, AV_OPT_SEARCH_FAKE_OBJ))
            ff::av_opt_set_int(oc->priv_data, "preload", (int64_t)(Fmux_preload * 1000000), 0);
        if (pc && Floop_output != -1 && ff::av_opt_find(const_cast<void*>(fake), "loop", nullptr, 0, AV_OPT_SEARCH_FAKE_OBJ))
            ff::av_opt_set_int(oc->priv_data, "loop", Floop_output, 0);
        if (pc && Floop_output == -1 && ff::av_opt_find(const_cast<void*>(fake), "loop", nullptr, 0, AV_OPT_SEARCH_FAKE_OBJ))
            ff::av_opt_set_int(oc->priv_data, "loop", -1, 0);
    }
    oc->flags |= AVFMT_FLAG_NONBLOCK;
    ApplyStoreToFormat(oc, AV_OPT_FLAG_ENCODING_PARAM);
    ApplyPrivateOptionsTo('f', ofmt->priv_class, oc->priv_data);
    std::fill(std::begin(Fstreamid_map), std::end(Fstreamid_map), 0);

    Foutput_files.push_back(rec);
    if (AJoin && Finput_files.size() > 1) {
        FJoinMode = true;
        int64_t sum = 0;
        for (auto& in : Finput_files)
            if (in->ctx->duration != AV_NOPTS_VALUE && in->ctx->duration > 0)
                sum += in->ctx->duration;
        FTotalOutputDuration = sum == 0 ? -1 : sum;
        for (size_t i = 1; i < Finput_files.size(); i++)
            Foutput_files.push_back(rec);
    }
    return (int)Foutput_files.size();
}

// ---- streams ----------------------------------------------------------------------------
namespace {

AVRational AspectToSAR(double ar, int w, int h)
{
    if (ar == 0)
        return {0, 1};
    double x = (w && h) ? ar * h / w : ar * 3 / 4;
    if (!std::isfinite(x))
        return {0, 1};
    // beyond the largest fraction of terms up to 255 the reduction gives that fraction
    if (std::fabs(x) >= 255)
        return {x < 0 ? -255 : 255, 1};
    int e = (int)std::log2(std::fabs(x));
    if (e < 0)
        e = 0;
    int shift = 61 - e;
    int64_t num = (int64_t)std::floor(x * std::ldexp(1.0, shift) + 0.5);
    int64_t den = int64_t(1) << shift;
    int n = 0, d = 1;
    ff::av_reduce(&n, &d, num, den, 255);
    return {n, d};
}

}  // namespace

AVStream* TCustomFFmpeg::AddOutputStream(TOutputFileRec& AOutput)
{
    if (AOutput.streams.size() >= (size_t)MAX_STREAMS)
        return nullptr;
    AVStream* st = ff::avformat_new_stream(AOutput.ctx, nullptr);
    if (!st)
        return nullptr;
    st->id = Fstreamid_map[st->index];
    AOutput.streams.emplace_back();
    return st;
}

void TCustomFFmpeg::SetStreamLanguage(AVStream* st, std::string& ALanguage)
{
    if (!ALanguage.empty())
        ff::av_dict_set(&st->metadata, "language", ALanguage.c_str(), 0);
    ALanguage.clear();
}

const AVCodec* TCustomFFmpeg::ChooseEncoder(TOutputFileRec& AOutput, std::string& AName, AVMediaType AType)
{
    AVCodecID id = AV_CODEC_ID_NONE;
    FGuessedCodecId = AV_CODEC_ID_NONE;
    if (!AName.empty()) {
        if (!FindCodec(AName, AType, true, StoreStrict(AType), id)) {
            AName.clear();
            throw FFmpegException(FLastErrMsg);
        }
        return ff::avcodec_find_encoder_by_name(AName.c_str());
    }
    id = ff::av_guess_codec(AOutput.ctx->oformat, nullptr, AOutput.ctx->url, nullptr, AType);
    FGuessedCodecId = id;
    return id == AV_CODEC_ID_NONE ? nullptr : ff::avcodec_find_encoder(id);
}

// Adds the stream after everything that can refuse it has been decided, so
// that a refused stream leaves no half-made stream in the output.
AVStream* TCustomFFmpeg::AddPreparedStream(TOutputFileRec& AOutput, const AVCodec* ACodec, std::string& AName,
                                           std::string* ALanguage)
{
    AVCodecContext* enc = ff::avcodec_alloc_context3(ACodec);
    AVStream* st = enc ? AddOutputStream(AOutput) : nullptr;
    if (!st) {
        if (enc)
            ff::avcodec_free_context(&enc);
        AName.clear();
        if (ALanguage)
            ALanguage->clear();
        throw FFmpegException("Could not alloc stream");
    }
    AOutput.streams.back().enc = enc;
    return st;
}

void TCustomFFmpeg::NewVideoStream(TOutputFileRec& AOutput)
{
    if (AOutput.streams.size() >= (size_t)MAX_STREAMS) {
        Fvideo_codec_name.clear();
        throw FFmpegException("Could not alloc stream");
    }
    const bool copy = Fvideo_stream_copy != 0;
    const AVCodec* codec = copy ? nullptr : ChooseEncoder(AOutput, Fvideo_codec_name, AVMEDIA_TYPE_VIDEO);
    std::vector<RcOverride> rcOverride;
    if (!copy && !Fvideo_rc_override_string.empty())
        rcOverride = ParseRcOverride();
    AVStream* st = AddPreparedStream(AOutput, codec, Fvideo_codec_name, nullptr);
    TOutputStreamSetup& s = AOutput.streams.back();
    AVCodecContext* enc = s.enc;
    s.codec = codec;
    enc->codec_type = AVMEDIA_TYPE_VIDEO;
    s.bsfs = std::move(Fvideo_bitstream_filters);
    Fvideo_bitstream_filters.clear();
    if (Fvideo_codec_tag)
        enc->codec_tag = Fvideo_codec_tag;
    const bool videoGlobalHeader = (Fvideo_global_header & 1) ||
        (Fvideo_global_header == 0 && (AOutput.ctx->oformat->flags & AVFMT_GLOBALHEADER));
    if (videoGlobalHeader)
        enc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (Fvideo_global_header & 2)
        enc->flags2 |= AV_CODEC_FLAG2_LOCAL_HEADER;

    if (copy) {
        s.stream_copy = true;
        enc->sample_aspect_ratio = st->sample_aspect_ratio =
            AspectToSAR(Fframe_aspect_ratio, Fframe_width, Fframe_height);
    } else {
        AVRational fr = Fframe_rate.num ? Fframe_rate : AVRational{25, 1};
        enc->codec_id = codec ? codec->id : FGuessedCodecId;
        ApplyStore(enc, AVMEDIA_TYPE_VIDEO, AV_OPT_FLAG_VIDEO_PARAM | AV_OPT_FLAG_ENCODING_PARAM);
        s.threads_named = StoreNames("threads");
        // A stored "flags" value (a codec preset's "flags=+loop") replaces the
        // whole field: keep the global header the container needs.
        if (videoGlobalHeader)
            enc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        if (codec)
            ApplyPrivateOptionsTo('v', codec->priv_class, enc->priv_data);
        if (codec && codec->supported_framerates && !Fforce_fps)
            fr = codec->supported_framerates[ff::av_find_nearest_q_idx(fr, codec->supported_framerates)];
        // MPEG-4 part 2 takes time bases up to 65535 only
        if (codec && codec->id == AV_CODEC_ID_MPEG4 && (fr.num > 65535 || fr.den > 65535))
            ff::av_reduce(&fr.num, &fr.den, fr.num, fr.den, 65535);
        enc->time_base = {fr.den, fr.num};
        enc->framerate = fr;
        enc->width = Fframe_width;
        enc->height = Fframe_height;
        enc->sample_aspect_ratio = st->sample_aspect_ratio =
            AspectToSAR(Fframe_aspect_ratio, Fframe_width, Fframe_height);
        enc->pix_fmt = AVPixelFormat(Fframe_pix_fmt);
        ChoosePixelFmt(enc, codec);
        if (Fintra_only)
            enc->gop_size = 0;
        if (Fvideo_qscale != 0 || Fsame_quality) {
            enc->flags |= AV_CODEC_FLAG_QSCALE;
            s.quality = FF_QP2LAMBDA * Fvideo_qscale;
            enc->global_quality = (int)s.quality;
        }
        auto setMatrix = [](uint16_t*& dst, const std::vector<uint16_t>& m) {
            if (m.size() != 64)
                return;
            dst = (uint16_t*)ff::av_mallocz(64 * sizeof(uint16_t));
            if (dst)
                std::copy(m.begin(), m.end(), dst);
        };
        setMatrix(enc->intra_matrix, Fintra_matrix);
        setMatrix(enc->inter_matrix, Finter_matrix);
        if (!rcOverride.empty()) {
            enc->rc_override = (RcOverride*)ff::av_mallocz(sizeof(RcOverride) * rcOverride.size());
            if (!enc->rc_override)
                throw FFmpegException("error parsing rc_override");
            std::copy(rcOverride.begin(), rcOverride.end(), enc->rc_override);
            enc->rc_override_count = (int)rcOverride.size();
        }
        if (enc->rc_initial_buffer_occupancy == 0)
            enc->rc_initial_buffer_occupancy = enc->rc_buffer_size * 3 / 4;
        enc->intra_dc_precision = Fintra_dc_precision - 8;
        if (Fdo_psnr)
            enc->flags |= AV_CODEC_FLAG_PSNR;
        if (Fdo_pass == 1)
            enc->flags |= AV_CODEC_FLAG_PASS1;
        else if (Fdo_pass == 2)
            enc->flags |= AV_CODEC_FLAG_PASS2;
    }
    Foutput_codecs.push_back(codec);
    Fnb_ocodecs = (int)Foutput_codecs.size();
    SetStreamLanguage(st, Fvideo_language);
    Fvideo_disable = false;
    Fvideo_codec_name.clear();
    Fvideo_stream_copy = 0;
    Fframe_pix_fmt = -1;
}

std::vector<RcOverride> TCustomFFmpeg::ParseRcOverride()
{
    std::vector<RcOverride> list;
    const char* p = Fvideo_rc_override_string.c_str();
    for (int i = 0; p; i++) {
        int start = 0, end = 0, q = 0;
        if (std::sscanf(p, "%d,%d,%d", &start, &end, &q) != 3) {
            Fvideo_codec_name.clear();
            throw FFmpegException("error parsing rc_override");
        }
        RcOverride o{};
        o.start_frame = start;
        o.end_frame = end;
        if (q > 0) {
            o.qscale = q;
            o.quality_factor = 1.0f;
        } else {
            o.qscale = 0;
            o.quality_factor = -q / 100.0f;
        }
        list.push_back(o);
        p = std::strchr(p, '/');
        if (p)
            p++;
    }
    return list;
}

void TCustomFFmpeg::NewAudioStream(TOutputFileRec& AOutput)
{
    if (AOutput.streams.size() >= (size_t)MAX_STREAMS) {
        Faudio_codec_name.clear();
        Faudio_language.clear();
        throw FFmpegException("Could not alloc stream");
    }
    const bool copy = Faudio_stream_copy != 0;
    const AVCodec* codec = copy ? nullptr : ChooseEncoder(AOutput, Faudio_codec_name, AVMEDIA_TYPE_AUDIO);
    AVStream* st = AddPreparedStream(AOutput, codec, Faudio_codec_name, &Faudio_language);
    TOutputStreamSetup& s = AOutput.streams.back();
    AVCodecContext* enc = s.enc;
    s.codec = codec;
    s.bsfs = std::move(Faudio_bitstream_filters);
    Faudio_bitstream_filters.clear();
    enc->codec_type = AVMEDIA_TYPE_AUDIO;
    if (Faudio_codec_tag)
        enc->codec_tag = Faudio_codec_tag;
    if (AOutput.ctx->oformat->flags & AVFMT_GLOBALHEADER)
        enc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (copy) {
        s.stream_copy = true;
        ff::av_channel_layout_uninit(&enc->ch_layout);
        ff::av_channel_layout_default(&enc->ch_layout, Faudio_channels);
        enc->sample_rate = Faudio_sample_rate;
    } else {
        enc->codec_id = codec ? codec->id : FGuessedCodecId;
        ApplyStore(enc, AVMEDIA_TYPE_AUDIO, AV_OPT_FLAG_AUDIO_PARAM | AV_OPT_FLAG_ENCODING_PARAM);
        s.threads_named = StoreNames("threads");
        if (AOutput.ctx->oformat->flags & AVFMT_GLOBALHEADER)
            enc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        if (codec)
            ApplyPrivateOptionsTo('a', codec->priv_class, enc->priv_data);
        if (Faudio_qscale > -99999.0f) {
            enc->flags |= AV_CODEC_FLAG_QSCALE;
            s.quality = FF_QP2LAMBDA * Faudio_qscale;
            enc->global_quality = (int)s.quality;
        }
        ff::av_channel_layout_uninit(&enc->ch_layout);
        if (Fchannel_layout && __builtin_popcountll((uint64_t)Fchannel_layout) == Faudio_channels)
            ff::av_channel_layout_from_mask(&enc->ch_layout, (uint64_t)Fchannel_layout);
        else
            ff::av_channel_layout_default(&enc->ch_layout, Faudio_channels);
        enc->sample_fmt = AVSampleFormat(Faudio_sample_fmt);
        ChooseSampleFmt(enc, codec);
        enc->sample_rate = Faudio_sample_rate;
        ChooseSampleRate(enc, codec);
    }
    Foutput_codecs.push_back(codec);
    Fnb_ocodecs = (int)Foutput_codecs.size();
    enc->time_base = {1, enc->sample_rate > 0 ? enc->sample_rate : Faudio_sample_rate};
    SetStreamLanguage(st, Faudio_language);
    Faudio_disable = false;
    Faudio_codec_name.clear();
    Faudio_stream_copy = 0;
}

void TCustomFFmpeg::NewSubtitleStream(TOutputFileRec& AOutput)
{
    if (AOutput.streams.size() >= (size_t)MAX_STREAMS) {
        Fsubtitle_codec_name.clear();
        Fsubtitle_language.clear();
        throw FFmpegException("Could not alloc stream");
    }
    const bool copy = Fsubtitle_stream_copy != 0;
    // without a name the format's own subtitle encoder is taken, as for video and audio
    const AVCodec* codec = copy ? nullptr : ChooseEncoder(AOutput, Fsubtitle_codec_name, AVMEDIA_TYPE_SUBTITLE);
    AVStream* st = AddPreparedStream(AOutput, codec, Fsubtitle_codec_name, &Fsubtitle_language);
    TOutputStreamSetup& s = AOutput.streams.back();
    AVCodecContext* enc = s.enc;
    s.codec = codec;
    s.bsfs = std::move(Fsubtitle_bitstream_filters);
    Fsubtitle_bitstream_filters.clear();
    enc->codec_type = AVMEDIA_TYPE_SUBTITLE;
    if (Fsubtitle_codec_tag)
        enc->codec_tag = Fsubtitle_codec_tag;
    if (copy) {
        s.stream_copy = true;
    } else {
        ApplyStore(enc, AVMEDIA_TYPE_SUBTITLE, AV_OPT_FLAG_SUBTITLE_PARAM | AV_OPT_FLAG_ENCODING_PARAM);
        enc->codec_id = codec ? codec->id : FGuessedCodecId;
        if (codec)
            ApplyPrivateOptionsTo('s', codec->priv_class, enc->priv_data);
    }
    Foutput_codecs.push_back(codec);
    Fnb_ocodecs = (int)Foutput_codecs.size();
    SetStreamLanguage(st, Fsubtitle_language);
    Fsubtitle_disable = false;
    Fsubtitle_codec_name.clear();
    Fsubtitle_stream_copy = 0;
}
