// The transcoding run's set-up: the input and output stream tables (stream
// mapping), codec parameters, decoder and encoder opening with their
// bit-stream filters, input time stamps, metadata maps, chapters, the output
// files' opening and headers, and the logged stream mapping.
#include <cmath>
#include <cstring>
#include <filesystem>

#include "Src/FFUtils.h"
#include "Src/FFmpeg.h"
#include "Src/FFmpeg/EngineUtil.h"
#include "Src/FFmpeg/Run.h"
#include "Src/FFmpegLogger.h"
#include "Src/UnicodeProtocol.h"

using namespace ffengine;
namespace fs = std::filesystem;

namespace {

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
        ff::av_dump_format(last->ctx, (int)i, last->file_name.c_str(), 1);
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

namespace {

// Library encoders that need the picture to be whole chroma blocks.
bool NeedsWholeChromaBlocks(const char* name)
{
    const std::string n = name ? name : "";
    return n == "libx264" || n == "libx265" || n == "libxvid";
}

}  // namespace

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
        fs::path dir = fs::u8path(ost->of->file_name).parent_path();
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
            ff::av_dump_format(o.ctx, (int)j, o.file_name.c_str(), 1);
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
                        ff::av_dump_format(o.ctx, j, o.file_name.c_str(), 1);
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
                        ff::av_dump_format(o.ctx, j, o.file_name.c_str(), 1);
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
            // the run's codec threads, unless an option of the store named the count
            if (!ost->setup->threads_named)
                enc->thread_count = Fthread_count;
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

    // 4. decoders (before the encoders, so that a subtitle encoder can take the decoder's header)
    for (auto* ist : R.ist) {
        StopPoint();  // each codec takes a while to open
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
        // the run's codec threads, unless an option of the store named the count
        if (!Finput_files[ist->file_index]->threads_named)
            ff::av_dict_set_int(&opts, "threads", Fthread_count, 0);
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

    // 5. encoders, and the bit-stream filters behind them
    for (auto* ost : R.ost) {
        StopPoint();
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
            // x264 and Xvid refuse a picture whose chroma planes would not
            // cover it whole (an odd size in 4:2:0), and x264 leaks on that
            // refusal: it is said here, before the encoder sees it.
            if (enc->codec_type == AVMEDIA_TYPE_VIDEO && NeedsWholeChromaBlocks(codec->name)) {
                const AVPixFmtDescriptor* d = ff::av_pix_fmt_desc_get(enc->pix_fmt);
                if (d && ((enc->width & ((1 << d->log2_chroma_w) - 1)) || (enc->height & ((1 << d->log2_chroma_h) - 1))))
                    FailSetup(R, Format("The encoder %s cannot encode a frame size of %dx%d in %s: width and height "
                                        "must be multiples of %d and %d. Choose another frame size.",
                                        codec->name, enc->width, enc->height, d->name, 1 << d->log2_chroma_w,
                                        1 << d->log2_chroma_h));
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
        o->header_written = true;
        o->header_done = true;
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
        AOutput.opened = false;
        return;
    }
    std::string msg = CheckOutputFile(AOutput.file_name);
    if (!msg.empty())
        throw FFmpegException(msg);
    int r = OpenOutputIO(&oc->pb, FileNameToURL(AOutput.file_name), AVIO_FLAG_WRITE, &oc->interrupt_callback, nullptr);
    if (r < 0)
        throw FFmpegException(AVErrorText(AOutput.file_name, r));
    AOutput.opened = true;
    InstallUnicodeIO(oc);
}
