// The engine's option dispatcher: one key and one value at a time, in the
// order the ffmpeg tool would read its command line.
#include <cstring>
#include <unordered_map>

#include "Src/FFmpeg.h"
#include "Src/FFmpeg/EngineUtil.h"
#include "Src/FFmpegLoader.h"
#include "Src/FFmpegLogger.h"

using namespace ffengine;

namespace {

enum class K {
    LogOnly, Todo, Pad, TimeLimit,
    // switches
    Dump, Hex, Re, LoopInput, Shortest, Intra, Vn, Sameq, Deinterlace, Psnr, Qphist, ForceFps, An, Sn, Isync,
    // flags
    Copyts, Xerror,
    // stored as read
    Fs, Dframes, LoopOutput, V, Vsync, Async, AdriftThreshold, Vglobal, DtsDeltaThreshold, Programid,
    Copyinkf, Vframes, Vdt, MeThreshold, Passlogfile, Top, Dc, Vlang, Aframes, Aq, Vol, Alang, Slang, Vc,
    Muxdelay, Muxpreload,
    // handlers
    Loglevel, F, Map, MapMetaData, T, Ss, Itsoffset, Itsscale, Timestamp, Metadata, Target, BitRate, R, S,
    Aspect, PixFmt, Crop, Qscale, RcOverride, Vcodec, Acodec, Scodec, Pass, Vstats, VstatsFile, Vhook,
    Vfilters, IntraMatrix, InterMatrix, Vtag, Atag, Stag, NewVideo, NewAudio, NewSubtitle, Streamid, Ar, Ac,
    SampleFmt, Tvstd, Bsf, Preset,
};

const std::unordered_map<std::string, K>& KeyTable()
{
    static const std::unordered_map<std::string, K> t = {
        {"L", K::LogOnly}, {"h", K::LogOnly}, {"version", K::LogOnly}, {"formats", K::LogOnly},
        {"codecs", K::LogOnly}, {"bsfs", K::LogOnly}, {"protocols", K::LogOnly}, {"filters", K::LogOnly},
        {"i", K::LogOnly}, {"y", K::LogOnly}, {"benchmark", K::LogOnly},
        {"threads", K::Todo},
        {"padtop", K::Pad}, {"padbottom", K::Pad}, {"padleft", K::Pad}, {"padright", K::Pad}, {"padcolor", K::Pad},
        {"timelimit", K::TimeLimit},
        {"dump", K::Dump}, {"hex", K::Hex}, {"re", K::Re}, {"loop_input", K::LoopInput},
        {"shortest", K::Shortest}, {"intra", K::Intra}, {"vn", K::Vn}, {"sameq", K::Sameq},
        {"deinterlace", K::Deinterlace}, {"psnr", K::Psnr}, {"qphist", K::Qphist},
        {"force_fps", K::ForceFps}, {"an", K::An}, {"sn", K::Sn}, {"isync", K::Isync},
        {"copyts", K::Copyts}, {"xerror", K::Xerror},
        {"fs", K::Fs}, {"dframes", K::Dframes}, {"loop_output", K::LoopOutput}, {"v", K::V},
        {"vsync", K::Vsync}, {"async", K::Async}, {"adrift_threshold", K::AdriftThreshold},
        {"vglobal", K::Vglobal}, {"dts_delta_threshold", K::DtsDeltaThreshold}, {"programid", K::Programid},
        {"copyinkf", K::Copyinkf}, {"vframes", K::Vframes}, {"vdt", K::Vdt}, {"me_threshold", K::MeThreshold},
        {"passlogfile", K::Passlogfile}, {"top", K::Top}, {"dc", K::Dc}, {"vlang", K::Vlang},
        {"aframes", K::Aframes}, {"aq", K::Aq}, {"vol", K::Vol}, {"alang", K::Alang}, {"slang", K::Slang},
        {"vc", K::Vc}, {"muxdelay", K::Muxdelay}, {"muxpreload", K::Muxpreload},
        {"loglevel", K::Loglevel}, {"f", K::F}, {"map", K::Map}, {"map_meta_data", K::MapMetaData},
        {"t", K::T}, {"ss", K::Ss}, {"itsoffset", K::Itsoffset}, {"itsscale", K::Itsscale},
        {"timestamp", K::Timestamp}, {"metadata", K::Metadata}, {"target", K::Target},
        {"b", K::BitRate}, {"vb", K::BitRate}, {"ab", K::BitRate}, {"r", K::R}, {"s", K::S},
        {"aspect", K::Aspect}, {"pix_fmt", K::PixFmt},
        {"croptop", K::Crop}, {"cropbottom", K::Crop}, {"cropleft", K::Crop}, {"cropright", K::Crop},
        {"qscale", K::Qscale}, {"rc_override", K::RcOverride}, {"vcodec", K::Vcodec},
        {"acodec", K::Acodec}, {"scodec", K::Scodec}, {"pass", K::Pass}, {"vstats", K::Vstats},
        {"vstats_file", K::VstatsFile}, {"vhook", K::Vhook}, {"vfilters", K::Vfilters}, {"vf", K::Vfilters},
        {"intra_matrix", K::IntraMatrix}, {"inter_matrix", K::InterMatrix}, {"vtag", K::Vtag},
        {"atag", K::Atag}, {"stag", K::Stag}, {"newvideo", K::NewVideo}, {"newaudio", K::NewAudio},
        {"newsubtitle", K::NewSubtitle}, {"streamid", K::Streamid}, {"ar", K::Ar}, {"ac", K::Ac},
        {"sample_fmt", K::SampleFmt}, {"tvstd", K::Tvstd},
        {"absf", K::Bsf}, {"vbsf", K::Bsf}, {"sbsf", K::Bsf},
        {"apre", K::Preset}, {"vpre", K::Preset}, {"spre", K::Preset}, {"fpre", K::Preset},
    };
    return t;
}

bool Switch(const std::string& v) { return v != "0"; }

}  // namespace

void TCustomFFmpeg::CheckLoaded()
{
    if (!GlobalLoader().Loaded(ConverterLibraries))
        throw FFmpegException("FFmpeg libraries are not loaded");
}

void TCustomFFmpeg::ParseOption(const std::string& AName, const std::string& AValue)
{
    CheckLoaded();
    auto& table = KeyTable();
    auto it = table.find(AName);
    if (it == table.end()) {
        OptDefault(AName, AValue);
        return;
    }
    const std::string& v = AValue;
    switch (it->second) {
    case K::LogOnly: Log(llInfo, "Do nothing: option - " + AName); break;
    case K::Todo: throw FFmpegException("TODO: option - " + AName);
    case K::Pad: throw FFmpegException("Please use vfilters=pad");
    case K::TimeLimit: Log(llWarning, "Warning: -timelimit not implemented on Windows"); break;

    case K::Dump: Fdo_pkt_dump = Switch(v); break;
    case K::Hex: Fdo_hex_dump = Switch(v); break;
    case K::Re: Frate_emu = Switch(v); break;
    case K::LoopInput: Floop_input = Switch(v); break;
    case K::Shortest: Fopt_shortest = Switch(v); break;
    case K::Intra: Fintra_only = Switch(v); break;
    case K::Vn: Fvideo_disable = Switch(v); break;
    case K::Sameq: Fsame_quality = Switch(v); break;
    case K::Deinterlace: Fdo_deinterlace = Switch(v); break;
    case K::Psnr: Fdo_psnr = Switch(v); break;
    case K::Qphist: Fqp_hist = Switch(v); break;
    case K::ForceFps: Fforce_fps = Switch(v); break;
    case K::An: Faudio_disable = Switch(v); break;
    case K::Sn: Fsubtitle_disable = Switch(v); break;
    case K::Isync: Finput_sync = Switch(v); break;

    case K::Copyts: Fcopy_ts = true; break;
    case K::Xerror: Fexit_on_error = true; break;

    case K::Fs: Flimit_filesize = StrToInt64(v); break;
    case K::Dframes: Fmax_frames[2] = StrToInt(v); break;
    case K::LoopOutput: Floop_output = StrToInt(v); break;
    case K::V: Fverbose = StrToInt(v); break;
    case K::Vsync: Fvideo_sync_method = StrToInt(v); break;
    case K::Async: Faudio_sync_method = StrToInt(v); break;
    case K::AdriftThreshold: Faudio_drift_threshold = (float)StrToFloat(v); break;
    case K::Vglobal: Fvideo_global_header = StrToInt(v); break;
    case K::DtsDeltaThreshold: Fdts_delta_threshold = (float)StrToFloat(v); break;
    case K::Programid: Fopt_programid = StrToInt(v); break;
    case K::Copyinkf: Fcopy_initial_nonkeyframes = StrToInt(v); break;
    case K::Vframes: Fmax_frames[0] = StrToInt(v); break;
    case K::Vdt: Fvideo_discard = StrToInt(v); break;
    case K::MeThreshold: Fme_threshold = StrToInt(v); break;
    case K::Passlogfile: Fpass_logfilename_prefix = v; break;
    case K::Top: Ftop_field_first = StrToInt(v); break;
    case K::Dc: Fintra_dc_precision = StrToInt(v); break;
    case K::Vlang: Fvideo_language = v; break;
    case K::Aframes: Fmax_frames[1] = StrToInt(v); break;
    case K::Aq: Faudio_qscale = (float)StrToFloat(v); break;
    case K::Vol: Faudio_volume = StrToInt(v); break;
    case K::Alang: Faudio_language = v; break;
    case K::Slang: Fsubtitle_language = v; break;
    case K::Vc: Fvideo_channel = StrToInt(v); break;
    case K::Muxdelay: Fmux_max_delay = (float)StrToFloat(v); break;
    case K::Muxpreload: Fmux_preload = (float)StrToFloat(v); break;

    case K::Loglevel: OptLogLevel(v); break;
    case K::F: OptFormat(v); break;
    case K::Map: OptMap(v); break;
    case K::MapMetaData: OptMapMetaData(v); break;
    case K::T: case K::Ss: case K::Itsoffset: case K::Timestamp: OptTime(AName, v); break;
    case K::Itsscale: OptInputTsScale(v); break;
    case K::Metadata: OptMetadata(v); break;
    case K::Target: OptTarget(v); break;
    case K::BitRate: OptBitRate(AName, v); break;
    case K::R: OptFrameRate(v); break;
    case K::S: OptFrameSize(v); break;
    case K::Aspect: OptFrameAspectRatio(v); break;
    case K::PixFmt: OptPixelFormat(v); break;
    case K::Crop: OptCrop(AName, StrToInt(v)); break;
    case K::Qscale: OptQScale(StrToFloat(v)); break;
    case K::RcOverride: Fvideo_rc_override_string = v; break;
    case K::Vcodec: OptVideoCodec(v); break;
    case K::Acodec: OptAudioCodec(v); break;
    case K::Scodec: OptSubtitleCodec(v); break;
    case K::Pass: OptPass(StrToInt(v)); break;
    case K::Vstats: OptVStats(); break;
    case K::VstatsFile: Fvstats_filename = v; break;
    case K::Vhook: OptVHook(v); break;
    case K::Vfilters: OptVideoFilters(v); break;
    case K::IntraMatrix: OptMatrix(Fintra_matrix, v); break;
    case K::InterMatrix: OptMatrix(Finter_matrix, v); break;
    case K::Vtag: OptCodecTag(Fvideo_codec_tag, v, "video"); break;
    case K::Atag: OptCodecTag(Faudio_codec_tag, v, "audio"); break;
    case K::Stag: OptCodecTag(Fsubtitle_codec_tag, v, "subtitle"); break;
    case K::NewVideo: case K::NewAudio: case K::NewSubtitle: {
        if (Foutput_files.empty())
            throw FFmpegException("At least one output file must be specified");
        TOutputFileRec& last = *Foutput_files.back();
        if (it->second == K::NewVideo) NewVideoStream(last);
        else if (it->second == K::NewAudio) NewAudioStream(last);
        else NewSubtitleStream(last);
        break;
    }
    case K::Streamid: OptStreamId(AName, v); break;
    case K::Ar: { int n = StrToInt(v); if (n > 0) Faudio_sample_rate = n; break; }
    case K::Ac: { int n = StrToInt(v); if (n > 0) Faudio_channels = n; break; }
    case K::SampleFmt: OptSampleFormat(v); break;
    case K::Tvstd: Fvideo_standard = v; break;
    case K::Bsf: OptBitStreamFilter(AName, v); break;
    case K::Preset: OptPreset(AName, v); break;
    }
}
