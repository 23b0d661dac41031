// The transcoding run's set-up (stream mapping, codec parameters, codec
// opening, headers), its main loop and its progress reports.
#include <cmath>
#include <cstring>
#include <filesystem>
#include <thread>

#include "Src/FFUtils.h"
#include "Src/FFmpeg.h"
#include "Src/FFmpegEngineUtil.h"
#include "Src/FFmpegLogger.h"
#include "Src/FFmpegTranscodeRun.h"
#include "Src/UnicodeProtocol.h"

using namespace ffengine;
namespace fs = std::filesystem;

namespace {

std::string TypeName(const AVStream* st) { return MediaTypeName(st->codecpar->codec_type); }
std::string TypeName(const TAVOutputStream* ost) { return MediaTypeName(ost->enc->codec_type); }

// How much a candidate source stream is worth: the largest picture for video,
// the most channels for audio.
int64_t StreamWeight(const AVStream* st)
{
    const AVCodecParameters* p = st->codecpar;
    if (p->codec_type == AVMEDIA_TYPE_VIDEO)
        return (int64_t)p->width * p->height;
    if (p->codec_type == AVMEDIA_TYPE_AUDIO)
        return p->ch_layout.nb_channels;
    return 0;
}

}  // namespace

void TCustomFFmpeg::LogStreamMapping(TRunState& R)
{
    POutputFileRec last;
    for (size_t i = 0; i < Foutput_files.size(); i++) {
        if (Foutput_files[i] == last)
            continue;
        last = Foutput_files[i];
        ff::av_dump_format(last->ctx, (int)i, last->FileName.c_str(), 1);
    }
    if (Fverbose < 0)
        return;
    Log(llVerbose, "Stream mapping:");
    for (auto* ost : R.ost) {
        if (ost->source_index < 0)
            continue;
        TAVInputStream* ist = R.ist[ost->source_index];
        std::string type = TypeName(ost);
        Log(llVerbose, Format("  Stream #%d.%d -> #%d.%d (%s)", ist->file_index, ist->index, ost->file_index,
                           ost->index, type.c_str()));
        if (ost->sync_ist != ist)
            Log(llVerbose, Format(" [sync #%d.%d (%s)]", ost->sync_ist->file_index, ost->sync_ist->index, type.c_str()));
    }
}

void TCustomFFmpeg::FailSetup(TRunState& R, const std::string& AMsg)
{
    LogStreamMapping(R);
    Log(llError, AMsg);
    throw FFmpegException(AMsg);
}

// The folder part of the two-pass log names: the option's prefix when it
// names a folder, else next to the output.
std::string TCustomFFmpeg::PassLogName(TAVOutputStream* ost, int AIndex)
{
    std::string prefix = Fpass_logfilename_prefix.empty() ? "ffmpeg2pass" : Fpass_logfilename_prefix;
    fs::path p = fs::u8path(prefix);
    if (p.is_relative()) {
        fs::path dir = fs::u8path(ost->of->FileName).parent_path();
        if (dir.empty())
            dir = fs::current_path();
        p = fs::absolute(dir) / p;
    }
    return p.string() + "-" + std::to_string(AIndex) + ".log";
}

void TCustomFFmpeg::TranscodeSetup(TRunState& R)
{
    // a stop request ends the set-up between its steps (opening codecs takes a while)
    auto StopPoint = [this] {
        if (FBroken)
            throw FFmpegException("Stopped");
    };
    // 1. input tables
    int flat = 0;
    for (size_t f = 0; f < Finput_files.size(); f++) {
        AVFormatContext* ic = Finput_files[f]->ctx;
        TAVInputFile file;
        file.ist_index = (int)R.ist.size();
        file.nb_streams = (int)ic->nb_streams;
        R.files.push_back(file);
        for (unsigned i = 0; i < ic->nb_streams; i++, flat++) {
            auto* ist = new TAVInputStream;
            R.ist.push_back(ist);
            ist->file_index = (int)f;
            ist->index = (int)i;
            ist->st = ic->streams[i];
            ist->dec_opts = i < Finput_files[f]->dec_opts.size() ? Finput_files[f]->dec_opts[i] : nullptr;
            ist->decoder = flat < (int)Finput_codecs.size() ? Finput_codecs[flat] : nullptr;
            if (Frate_emu)
                ist->start = ff::av_gettime_relative();
        }
    }
    R.no_packet.assign(Finput_files.size(), false);

    // 2. output stream table
    R.nb_segments = FJoinMode ? (int)Foutput_files.size() : 1;
    int entries = FJoinMode ? 1 : (int)Foutput_files.size();
    int totalStreams = 0;
    for (size_t j = 0; j < Foutput_files.size(); j++) {
        auto& o = *Foutput_files[j];
        if (o.ctx->nb_streams == 0) {
            ff::av_dump_format(o.ctx, (int)j, o.FileName.c_str(), 1);
            throw FFmpegException(Format("Output file #%d does not contain any stream", (int)j));
        }
        totalStreams += (int)o.ctx->nb_streams;
    }
    if (!Fstream_maps.empty()) {
        if ((int)Fstream_maps.size() != totalStreams)
            throw FFmpegException("Number of stream maps must match number of output streams");
        for (auto& m : Fstream_maps) {
            if (m.file_index < 0 || m.file_index >= (int)R.files.size() || m.stream_index < 0 ||
                m.stream_index >= R.files[m.file_index].nb_streams)
                throw FFmpegException(Format("Could not find input stream #%d.%d", m.file_index, m.stream_index));
            if (m.sync_file_index < 0 || m.sync_file_index >= (int)R.files.size() || m.sync_stream_index < 0 ||
                m.sync_stream_index >= R.files[m.sync_file_index].nb_streams)
                throw FFmpegException(
                    Format("Could not find sync stream #%d.%d", m.sync_file_index, m.sync_stream_index));
        }
    }
    int mapIndex = 0;
    for (int j = 0; j < entries; j++) {
        TOutputFileRec& o = *Foutput_files[j];
        for (unsigned k = 0; k < o.ctx->nb_streams; k++) {
            auto* ost = new TAVOutputStream;
            R.ost.push_back(ost);
            ost->file_index = j;
            ost->index = (int)k;
            ost->st = o.ctx->streams[k];
            ost->of = &o;
            ost->setup = &o.streams[k];
            ost->enc = ost->setup->enc;
            ost->stream_copy = ost->setup->stream_copy;
            AVMediaType type = ost->enc->codec_type;
            for (int seg = 0; seg < R.nb_segments; seg++) {
                int src = -1;
                TAVInputStream* sync = nullptr;
                if (!Fstream_maps.empty()) {
                    const TAVStreamMap& m = Fstream_maps[(size_t)mapIndex + (size_t)seg * o.ctx->nb_streams + k];
                    src = R.files[m.file_index].ist_index + m.stream_index;
                    sync = R.ist[R.files[m.sync_file_index].ist_index + m.sync_stream_index];
                    if (R.ist[src]->st->codecpar->codec_type != type) {
                        ff::av_dump_format(o.ctx, j, o.FileName.c_str(), 1);
                        throw FFmpegException(Format("Codec type mismatch for mapping #%d.%d (%s) -> #%d.%d (%s)",
                                                  m.file_index, m.stream_index,
                                                  TypeName(R.ist[src]->st).c_str(), j + seg, (int)k,
                                                  MediaTypeName(type).c_str()));
                    }
                } else {
                    int64_t best = -1;
                    for (size_t i = 0; i < R.ist.size(); i++) {
                        TAVInputStream* c = R.ist[i];
                        if (!c->discard || c->st->discard == AVDISCARD_ALL ||
                            c->st->codecpar->codec_type != type ||
                            (c->st->disposition & AV_DISPOSITION_ATTACHED_PIC))
                            continue;
                        if (FJoinMode && c->file_index != seg)
                            continue;
                        if (StreamWeight(c->st) > best) {
                            best = StreamWeight(c->st);
                            src = (int)i;
                        }
                    }
                    if (src < 0 && !FJoinMode)
                        for (size_t i = 0; i < R.ist.size(); i++)
                            if (R.ist[i]->st->codecpar->codec_type == type &&
                                R.ist[i]->st->discard != AVDISCARD_ALL)
                                src = (int)i;
                    if (src < 0) {
                        ff::av_dump_format(o.ctx, j, o.FileName.c_str(), 1);
                        throw FFmpegException(Format("Could not find input stream matching output stream #%d.%d (%s)",
                                                  j + seg, (int)k, MediaTypeName(type).c_str()));
                    }
                    sync = R.ist[src];
                }
                R.ist[src]->discard = 0;
                ost->segment_sources.push_back(src);
                if (seg == 0) {
                    ost->source_index = src;
                    ost->sync_ist = sync;
                }
            }
        }
        mapIndex += (int)o.ctx->nb_streams;
    }

    StopPoint();
    // 3. codec parameters
    for (size_t n = 0; n < R.ost.size(); n++) {
        TAVOutputStream* ost = R.ost[n];
        TAVInputStream* ist = R.ist[ost->source_index];
        AVCodecParameters* ipar = ist->st->codecpar;
        AVCodecContext* enc = ost->enc;
        ff::av_dict_copy(&ost->st->metadata, ist->st->metadata, AV_DICT_DONT_OVERWRITE);
        ost->st->disposition = ist->st->disposition;
        if (ost->stream_copy) {
            if ((int64_t)ipar->extradata_size + AV_INPUT_BUFFER_PADDING_SIZE > INT32_MAX)
                throw FFmpegException("icodec.extradata_size is invalid (too large)");
            AVCodecParameters* opar = ost->st->codecpar;
            uint32_t tag = enc->codec_tag;
            if (ff::avcodec_parameters_copy(opar, ipar) < 0)
                throw FFmpegException("av_mallocz fail");
            const AVOutputFormat* of = ost->of->ctx->oformat;
            if (tag)
                opar->codec_tag = tag;
            else if (!of->codec_tag || ff::av_codec_get_id(of->codec_tag, ipar->codec_tag) == ipar->codec_id ||
                     !ff::av_codec_get_tag(of->codec_tag, ipar->codec_id))
                opar->codec_tag = ipar->codec_tag;
            else
                opar->codec_tag = 0;
            ost->st->time_base = ist->st->time_base;
            switch (ipar->codec_type) {
            case AVMEDIA_TYPE_AUDIO:
                if (Faudio_volume != 256)
                    throw FFmpegException("-acodec copy and -vol are incompatible (frames are not decoded)");
                if ((opar->block_align == 1 && opar->codec_id == AV_CODEC_ID_MP3) || opar->codec_id == AV_CODEC_ID_AC3)
                    opar->block_align = 0;
                break;
            case AVMEDIA_TYPE_VIDEO:
                if (OnCustomHook)
                    throw FFmpegException("-vcodec copy and CustomHook are incompatible (frames are not decoded)");
                if (Fusing_vhook)
                    throw FFmpegException("-vcodec copy and -vhook are incompatible (frames are not decoded)");
                if (HasPostHooks())
                    throw FFmpegException("-vcodec copy and PostHooks are incompatible (frames are not decoded)");
                if (enc->sample_aspect_ratio.num > 0)
                    opar->sample_aspect_ratio = enc->sample_aspect_ratio;
                ost->st->sample_aspect_ratio = opar->sample_aspect_ratio;
                ost->st->avg_frame_rate = ist->st->avg_frame_rate;
                ost->st->r_frame_rate = ist->st->r_frame_rate;
                break;
            case AVMEDIA_TYPE_SUBTITLE:
                break;
            default:
                throw FFmpegException("invalid codec_type of output stream");
            }
        } else {
            enc->bits_per_raw_sample = 0;
            enc->chroma_sample_location = ipar->chroma_location;
            switch (enc->codec_type) {
            case AVMEDIA_TYPE_AUDIO:
                ost->fifo = ff::av_audio_fifo_alloc(enc->sample_fmt, enc->ch_layout.nb_channels, 1024);
                if (!ost->fifo)
                    throw FFmpegException("av_fifo_alloc fail");
                break;
            case AVMEDIA_TYPE_VIDEO: {
                if (enc->pix_fmt == AV_PIX_FMT_NONE && ost->setup->codec && !ost->setup->codec->pix_fmts &&
                    ipar->format < 0)
                    throw FFmpegException("Video pixel format is unknown, stream cannot be encoded");
                ost->topBand = Fframe_topBand;
                ost->bottomBand = Fframe_bottomBand;
                ost->leftBand = Fframe_leftBand;
                ost->rightBand = Fframe_rightBand;
                FLastErrMsg.clear();
                if (ConfigureFilters(ist, ost, ipar->width, ipar->height, ipar->format, ipar->sample_aspect_ratio) < 0)
                    throw FFmpegException(FLastErrMsg.empty() ? std::string("Error opening filters!")
                                                              : "Error opening filters: " + FLastErrMsg);
                enc->width = ff::av_buffersink_get_w(ost->sink);
                enc->height = ff::av_buffersink_get_h(ost->sink);
                enc->pix_fmt = AVPixelFormat(ff::av_buffersink_get_format(ost->sink));
                if (enc->sample_aspect_ratio.num == 0)
                    enc->sample_aspect_ratio = ff::av_buffersink_get_sample_aspect_ratio(ost->sink);
                ost->st->sample_aspect_ratio = enc->sample_aspect_ratio;
                break;
            }
            case AVMEDIA_TYPE_SUBTITLE:
                enc->time_base = AV_TIME_BASE_Q;
                break;
            default:
                throw FFmpegException("invalid codec_type of output stream");
            }
            ost->encoding_needed = 1;
            ist->decoding_needed = 1;
            for (int src : ost->segment_sources)
                R.ist[src]->decoding_needed = 1;
            // two-pass log files
            if (enc->flags & (AV_CODEC_FLAG_PASS1 | AV_CODEC_FLAG_PASS2)) {
                std::string name = PassLogName(ost, (int)n);
                if (enc->flags & AV_CODEC_FLAG_PASS1) {
                    ost->logfile = std::fopen(name.c_str(), "wb");
                    if (!ost->logfile)
                        throw FFmpegException(Format("Cannot write log file %s for pass-1 encoding", name.c_str()));
                } else {
                    uint8_t* buf = nullptr;
                    int size = 0;
                    int r = ReadFileToBuffer(name, &buf, &size);
                    if (r == -12)
                        throw FFmpegException(Format(
                            "Could not allocate file buffer: Error reading log file \"%s\" for pass-2 encoding",
                            name.c_str()));
                    if (r < 0)
                        throw FFmpegException(
                            Format("Cannot read file: Error reading log file \"%s\" for pass-2 encoding", name.c_str()));
                    ost->stats_in = (char*)buf;
                    enc->stats_in = ost->stats_in;
                }
            }
        }
    }

    StopPoint();
    // 4. decoders (before the encoders, so that a subtitle encoder can take the decoder's header)
    for (auto* ist : R.ist) {
        if (!ist->decoding_needed)
            continue;
        const AVCodec* codec = ist->decoder ? ist->decoder : ff::avcodec_find_decoder(ist->st->codecpar->codec_id);
        if (!codec)
            FailSetup(R, Format("Decoder (codec id %d) not found for input stream #%d.%d (%s)",
                             (int)ist->st->codecpar->codec_id, ist->file_index, ist->index, TypeName(ist->st).c_str()));
        ist->dec = ff::avcodec_alloc_context3(codec);
        if (!ist->dec || ff::avcodec_parameters_to_context(ist->dec, ist->st->codecpar) < 0)
            throw FFmpegException("av_mallocz fail");
        ist->dec->pkt_timebase = ist->st->time_base;
        if (ist->st->codecpar->codec_type == AVMEDIA_TYPE_VIDEO)
            ist->dec->framerate = ist->st->avg_frame_rate;
        AVDictionary* opts = nullptr;
        ff::av_dict_copy(&opts, ist->dec_opts, 0);
        int r;
        {
            TCodecLockGuard lock;
            r = ff::avcodec_open2(ist->dec, codec, &opts);
            if (r >= 0)
                AddCodecItem(FDecoderList, ist->dec);
        }
        ff::av_dict_free(&opts);
        if (r < 0)
            FailSetup(R, Format("Error while opening decoder for input stream #%d.%d (%s)", ist->file_index, ist->index,
                             TypeName(ist->st).c_str()));
    }

    StopPoint();
    // 5. encoders, and the bit-stream filters behind them
    for (auto* ost : R.ost) {
        AVCodecContext* enc = ost->enc;
        if (ost->encoding_needed) {
            const AVCodec* codec = ost->setup->codec ? ost->setup->codec : ff::avcodec_find_encoder(enc->codec_id);
            if (!codec)
                FailSetup(R, Format("Encoder (codec id %d) not found for output stream #%d.%d (%s)", (int)enc->codec_id,
                                 ost->file_index, ost->index, TypeName(ost).c_str()));
            TAVInputStream* ist = R.ist[ost->source_index];
            if (enc->codec_type == AVMEDIA_TYPE_SUBTITLE && ist->dec && ist->dec->subtitle_header &&
                !enc->subtitle_header) {
                enc->subtitle_header = (uint8_t*)ff::av_mallocz(ist->dec->subtitle_header_size + 1);
                if (enc->subtitle_header) {
                    std::memcpy(enc->subtitle_header, ist->dec->subtitle_header, ist->dec->subtitle_header_size);
                    enc->subtitle_header_size = ist->dec->subtitle_header_size;
                }
            }
            AVDictionary* opts = nullptr;
            ff::av_dict_copy(&opts, ost->setup->enc_opts, 0);
            int r;
            {
                TCodecLockGuard lock;
                r = ff::avcodec_open2(enc, codec, &opts);
                if (r >= 0) {
                    ost->encoder_open = true;
                    AddCodecItem(FEncoderList, enc);
                }
            }
            ff::av_dict_free(&opts);
            if (r < 0)
                FailSetup(R, Format("Error while opening encoder for output stream #%d.%d (%s) - maybe incorrect "
                                 "parameters such as bit_rate, rate, width or height. Please check error log "
                                 "message to find out more detail information.",
                                 ost->file_index, ost->index, TypeName(ost).c_str()));
            ff::avcodec_parameters_from_context(ost->st->codecpar, enc);
            ost->st->time_base = enc->time_base;
            if (enc->codec_type == AVMEDIA_TYPE_VIDEO)
                ost->st->avg_frame_rate = enc->framerate;
            if (enc->codec_type == AVMEDIA_TYPE_AUDIO && enc->frame_size > 0 && ost->fifo == nullptr)
                throw FFmpegException("av_fifo_alloc fail");
            Fextra_size += enc->extradata_size;
        }
        for (const auto& b : ost->setup->bsfs) {
            const AVBitStreamFilter* f = ff::av_bsf_get_by_name(b.Name.c_str());
            AVBSFContext* bc = nullptr;
            if (!f || ff::av_bsf_alloc(f, &bc) < 0)
                throw FFmpegException(Format("Unknown bitstream filter %s", b.Name.c_str()));
            ost->bsfs.push_back(bc);
            // the text after "=" holds the filter's own options, "name=value" pairs separated by ":"
            for (size_t p = 0; p < b.Args.size();) {
                size_t e = b.Args.find(':', p);
                std::string pair = b.Args.substr(p, e == std::string::npos ? std::string::npos : e - p);
                size_t eq = pair.find('=');
                if (eq != std::string::npos && bc->priv_data &&
                    ff::av_opt_set(bc->priv_data, pair.substr(0, eq).c_str(), pair.substr(eq + 1).c_str(), 0) < 0)
                    Log(llError, Format("Invalid option \"%s\" for bitstream filter %s", pair.c_str(), b.Name.c_str()));
                p = e == std::string::npos ? b.Args.size() : e + 1;
            }
            ff::avcodec_parameters_copy(bc->par_in, ost->st->codecpar);
            bc->time_base_in = ost->st->time_base;
            int r = ff::av_bsf_init(bc);
            if (r < 0)
                throw FFmpegException(Format("Error initializing bitstream filter: %s", b.Name.c_str()));
        }
        if (!ost->bsfs.empty())
            ff::avcodec_parameters_copy(ost->st->codecpar, ost->bsfs.back()->par_out);
    }

    // 6. input time stamps
    for (auto* ist : R.ist) {
        AVRational fr = ist->st->avg_frame_rate;
        ist->pts = fr.num ? -std::llround(ist->st->codecpar->video_delay * (double)AV_TIME_BASE * fr.den / fr.num) : 0;
        ist->next_pts = AV_NOPTS_VALUE;
        ist->is_start = 1;
    }

    // 7. metadata maps
    for (auto& m : Fmeta_data_maps) {
        if (m.out_file < 0 || m.out_file >= (int)Foutput_files.size())
            FailSetup(R, Format("Invalid output file index %d map_meta_data(%d,%d)", m.out_file, m.out_file, m.in_file));
        if (m.in_file < 0 || m.in_file >= (int)Finput_files.size())
            FailSetup(R, Format("Invalid input file index %d map_meta_data(%d,%d)", m.in_file, m.out_file, m.in_file));
        ff::av_dict_copy(&Foutput_files[m.out_file]->ctx->metadata, Finput_files[m.in_file]->ctx->metadata,
                         AV_DICT_DONT_OVERWRITE);
    }

    // 8. chapters
    for (size_t f = 0; f < Finput_files.size(); f++) {
        AVFormatContext* ic = Finput_files[f]->ctx;
        if (!ic->nb_chapters)
            continue;
        POutputFileRec prev;
        for (auto& orec : Foutput_files) {
            if (orec == prev)
                continue;
            prev = orec;
            AVFormatContext* oc = orec->ctx;
            for (unsigned c = 0; c < ic->nb_chapters; c++) {
                AVChapter* in = ic->chapters[c];
                int64_t ts_off = ff::av_rescale_q(Fstart_time - Finput_files_ts_offset[f], AV_TIME_BASE_Q, in->time_base);
                int64_t rt = Frecording_time == INT64_MAX
                                 ? INT64_MAX
                                 : ff::av_rescale_q(Frecording_time, AV_TIME_BASE_Q, in->time_base);
                if (in->end < ts_off)
                    continue;
                if (rt != INT64_MAX && in->start > rt + ts_off)
                    break;
                auto* out = (AVChapter*)ff::av_mallocz(sizeof(AVChapter));
                if (!out)
                    throw FFmpegException("av_mallocz fail");
                out->id = in->id;
                out->time_base = in->time_base;
                out->start = std::max<int64_t>(0, in->start - ts_off);
                out->end = std::min(rt, in->end - ts_off);
                ff::av_dict_copy(&out->metadata, in->metadata, 0);
                auto* list = (AVChapter**)ff::av_realloc(oc->chapters, sizeof(AVChapter*) * (oc->nb_chapters + 1));
                if (!list) {
                    ff::av_dict_free(&out->metadata);
                    ff::av_free(out);
                    throw FFmpegException("av_realloc fail");
                }
                oc->chapters = list;
                oc->chapters[oc->nb_chapters++] = out;
            }
        }
    }

    StopPoint();
    // 9. the output files are opened now, not when the task was set up; then the headers
    POutputFileRec prev;
    for (size_t j = 0; j < Foutput_files.size(); j++) {
        auto& o = Foutput_files[j];
        if (o == prev)
            continue;
        prev = o;
        OpenOutputForWriting(*o);
        AVDictionary* opts = nullptr;
        ff::av_dict_copy(&opts, o->mux_opts, 0);
        int r = ff::avformat_write_header(o->ctx, &opts);
        ff::av_dict_free(&opts);
        if (r < 0)
            FailSetup(R, Format("Could not write header for output file #%d (incorrect codec parameters ?)", (int)j));
        o->HeaderWritten = true;
        o->HeaderDone = true;
    }
    // the session description, when every output is an RTP stream
    bool allRtp = !Foutput_files.empty();
    for (auto& o : Foutput_files)
        allRtp = allRtp && std::strcmp(o->ctx->oformat->name, "rtp") == 0;
    if (allRtp) {
        std::vector<AVFormatContext*> ctxs;
        POutputFileRec last;
        for (auto& o : Foutput_files)
            if (o != last)
                ctxs.push_back((last = o)->ctx);
        char sdp[2048] = {0};
        if (ff::av_sdp_create(ctxs.data(), (int)ctxs.size(), sdp, sizeof sdp) >= 0)
            Log(llInfo, "SDP:\r\n" + Trim(sdp));
    }
    // 10. the stream mapping
    LogStreamMapping(R);
}

void TCustomFFmpeg::OpenOutputForWriting(TOutputFileRec& AOutput)
{
    AVFormatContext* oc = AOutput.ctx;
    if (oc->oformat->flags & AVFMT_NOFILE) {
        AOutput.Opened = false;
        return;
    }
    std::string msg = CheckOutputFile(AOutput.FileName);
    if (!msg.empty())
        throw FFmpegException(msg);
    int r = OpenOutputIO(&oc->pb, FileNameToURL(AOutput.FileName), AVIO_FLAG_WRITE, &oc->interrupt_callback, nullptr);
    if (r < 0)
        throw FFmpegException(AVErrorText(AOutput.FileName, r));
    AOutput.Opened = true;
    InstallUnicodeIO(oc);
}

// ---- the run -------------------------------------------------------------------------------
void TCustomFFmpeg::Transcode()
{
    TRunState R;
    R.owner = this;
    R.frame = ff::av_frame_alloc();
    R.filt = ff::av_frame_alloc();
    R.pkt = ff::av_packet_alloc();
    R.opkt = ff::av_packet_alloc();
    if (!R.frame || !R.filt || !R.pkt || !R.opkt)
        throw FFmpegException("av_mallocz fail");
    Fvideo_size = Faudio_size = Fextra_size = 0;
    Fnb_frames_dup = Fnb_frames_drop = 0;
    FShowDupOrDrop = false;

    // a stop during the set-up ends the run quietly, with nothing written
    FInSetup = true;
    try {
        TranscodeSetup(R);
    } catch (...) {
        FInSetup = false;
        if (FBroken)
            return;
        throw;
    }
    FInSetup = false;

    Ftimer_start = ff::av_gettime_relative();
    int64_t lastReport = Ftimer_start;
    R.current_file = 0;
    bool stopByLimit = false;

    while (!FBroken) {
        WaitWhilePaused();
        if (FBroken)
            break;
        // choose the input to read
        int fileIndex = -1;
        if (!FJoinMode) {
            double ipts_min = 1e100, opts_min = 1e100;
            for (auto* ost : R.ost) {
                TAVInputStream* ist = R.ist[ost->source_index];
                if (ist->is_past_recording_time || R.no_packet[ist->file_index])
                    continue;
                double opts = ost->out_pos;
                double ipts = (double)ist->pts;
                if (!R.files[ist->file_index].eof_reached) {
                    if (ipts < ipts_min) {
                        ipts_min = ipts;
                        if (Finput_sync)
                            fileIndex = ist->file_index;
                    }
                    if (opts < opts_min) {
                        opts_min = opts;
                        if (!Finput_sync)
                            fileIndex = ist->file_index;
                    }
                }
                if (ost->frame_number >= Fmax_frames[std::min<int>(MaxFramesIndex(ost), 3)]) {
                    fileIndex = -1;
                    stopByLimit = true;
                    break;
                }
            }
            if (fileIndex < 0) {
                if (R.no_packet_count > 0 && !stopByLimit) {
                    R.no_packet.assign(R.no_packet.size(), false);
                    R.no_packet_count = 0;
                    std::this_thread::sleep_for(std::chrono::milliseconds(10));
                    continue;
                }
                break;
            }
        } else {
            fileIndex = R.current_file;
            bool limit = false;
            for (auto* ost : R.ost)
                if (ost->frame_number >= Fmax_frames[std::min<int>(MaxFramesIndex(ost), 3)])
                    limit = true;
            if (limit)
                break;
        }

        if (Flimit_filesize != 0) {
            AVIOContext* pb = Foutput_files[0]->ctx->pb;
            if (pb && ff::avio_seek(pb, 0, SEEK_CUR) > Flimit_filesize)
                break;
        }

        AVFormatContext* ic = Finput_files[fileIndex]->ctx;
        AVPacket* pkt = R.pkt;
        int r = ff::av_read_frame(ic, pkt);
        if (r == AVERROR(EAGAIN)) {
            R.no_packet[fileIndex] = true;
            R.no_packet_count++;
            continue;
        }
        if (r < 0) {
            R.files[fileIndex].eof_reached = 1;
            if (!FJoinMode) {
                if (Fopt_shortest)
                    break;
                continue;
            }
            if (!EndJoinSegment(R, fileIndex))
                break;
            continue;
        }
        R.no_packet.assign(R.no_packet.size(), false);
        R.no_packet_count = 0;
        if (Fdo_pkt_dump)
            ff::av_pkt_dump_log2(nullptr, AV_LOG_DEBUG, pkt, Fdo_hex_dump, ic->streams[pkt->stream_index]);

        // a packet of a stream that came after the start, or of a discarded stream, is dropped
        if (pkt->stream_index < R.files[fileIndex].nb_streams) {
            TAVInputStream* ist = R.ist[R.files[fileIndex].ist_index + pkt->stream_index];
            if (!ist->discard) {
                AVRational tb = ist->st->time_base;
                int64_t off = Finput_files_ts_offset[fileIndex];
                if (pkt->dts != AV_NOPTS_VALUE)
                    pkt->dts += ff::av_rescale_q(off, AV_TIME_BASE_Q, tb);
                if (pkt->pts != AV_NOPTS_VALUE)
                    pkt->pts += ff::av_rescale_q(off, AV_TIME_BASE_Q, tb);
                double scale = pkt->stream_index < MAX_STREAMS ? Finput_files_ts_scale[fileIndex][pkt->stream_index] : 0;
                if (scale != 0.0) {
                    if (pkt->pts != AV_NOPTS_VALUE)
                        pkt->pts = std::llround(pkt->pts * scale);
                    if (pkt->dts != AV_NOPTS_VALUE)
                        pkt->dts = std::llround(pkt->dts * scale);
                }
                if (pkt->dts != AV_NOPTS_VALUE && ist->next_pts != AV_NOPTS_VALUE && (ic->iformat->flags & AVFMT_TS_DISCONT)) {
                    int64_t pktTime = ff::av_rescale_q(pkt->dts, tb, AV_TIME_BASE_Q);
                    int64_t delta = pktTime - ist->next_pts;
                    if ((std::llabs(delta) > (int64_t)(Fdts_delta_threshold * AV_TIME_BASE) || pktTime + 1 < ist->pts) &&
                        !Fcopy_ts) {
                        Finput_files_ts_offset[fileIndex] -= delta;
                        if (Fverbose > 2)
                            Log(llVerbose, Format("timestamp discontinuity %lld, new offset= %lld", (long long)delta,
                                               (long long)Finput_files_ts_offset[fileIndex]));
                        pkt->dts -= ff::av_rescale_q(delta, AV_TIME_BASE_Q, tb);
                        if (pkt->pts != AV_NOPTS_VALUE)
                            pkt->pts -= ff::av_rescale_q(delta, AV_TIME_BASE_Q, tb);
                    }
                }
                if (Frecording_time != INT64_MAX && pkt->pts != AV_NOPTS_VALUE &&
                    ff::av_compare_ts(pkt->pts, tb, RecordingEnd(), AV_TIME_BASE_Q) >= 0) {
                    ist->is_past_recording_time = true;
                } else if (OutputPacket(R, ist, R.files[fileIndex].ist_index + pkt->stream_index, pkt) < 0) {
                    std::string msg = Format("Error while decoding stream #%d.%d (%s)", ist->file_index, ist->index,
                                          TypeName(ist->st).c_str());
                    ff::av_packet_unref(pkt);
                    if (Fexit_on_error)
                        throw FFmpegException(msg);
                    if (Fverbose >= 0)
                        Log(llVerbose, msg);
                    continue;
                }
            }
        }
        ff::av_packet_unref(pkt);
        int64_t now = ff::av_gettime_relative();
        if (now - lastReport > ReportInterval) {
            lastReport = now;
            ReportProgress(R, false, R.current_file);
        }
    }

    // end of the run: decoders, then encoders give what they hold
    for (auto* ist : R.ist)
        DrainDecoder(R, ist);
    for (auto* ost : R.ost)
        FlushEncoder(R, ost);
    POutputFileRec prev;
    for (auto& o : Foutput_files) {
        if (o == prev)
            continue;
        prev = o;
        if (o->HeaderWritten) {
            int r = ff::av_write_trailer(o->ctx);
            o->HeaderWritten = false;
            if (r < 0)
                throw FFmpegException(FileErrorText(o->FileName, r));
        }
    }
    ReportProgress(R, true, -1);
    CloseCodecs(R);
    FFinished = !FBroken;
}

int64_t TCustomFFmpeg::RecordingEnd() const
{
    int64_t end = 0;
    if (__builtin_add_overflow(Frecording_time, Fstart_time, &end))
        return Frecording_time > 0 ? INT64_MAX : INT64_MIN;
    return end;
}

int TCustomFFmpeg::MaxFramesIndex(TAVOutputStream* ost)
{
    switch (ost->st->codecpar->codec_type) {
    case AVMEDIA_TYPE_VIDEO: return 0;
    case AVMEDIA_TYPE_AUDIO: return 1;
    case AVMEDIA_TYPE_DATA: return 2;
    default: return 3;
    }
}

// The end of one input in join mode: its decoders are drained, the encoders
// go on with the next input, whose time stamps follow this segment's end.
bool TCustomFFmpeg::EndJoinSegment(TRunState& R, int f)
{
    for (auto* ist : R.ist)
        if (ist->file_index == f)
            DrainDecoder(R, ist);
    // the pictures a filter graph still holds belong to this segment too
    for (auto* ost : R.ost)
        if (ost->encoding_needed && ost->enc->codec_type == AVMEDIA_TYPE_VIDEO)
            DrainFilterGraph(R, ost);
    // The segment ends where its last written packet ends; a video encoder
    // that still holds pictures (look-ahead, B-frames) counts with all the
    // pictures it was given, else the next input would start too early and
    // its first pictures be dropped as late.
    double segEnd = 0;
    for (auto* ost : R.ost) {
        double pos = ost->out_pos;
        if (ost->encoding_needed && ost->enc->codec_type == AVMEDIA_TYPE_VIDEO)
            pos = std::max(pos, ost->sync_opts * av_q2d(ost->enc->time_base));
        segEnd = std::max(segEnd, pos);
    }
    for (auto* ost : R.ost)
        if (f + 1 >= R.nb_segments)
            ost->show_fps = 1;
    if (f + 1 >= (int)Finput_files.size())
        return false;
    Finput_files_ts_offset[f + 1] += std::llround(segEnd * AV_TIME_BASE);
    for (auto* ost : R.ost) {
        if (f + 1 < (int)ost->segment_sources.size()) {
            ost->source_index = ost->segment_sources[f + 1];
            ost->sync_ist = R.ist[ost->source_index];
            ost->copy_started = false;
        }
    }
    R.current_file = f + 1;
    return true;
}

// ---- progress ------------------------------------------------------------------------------
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
