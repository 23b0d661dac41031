// Target presets (vcd, svcd, dvd, dv, dv50 for the PAL, NTSC and film norms)
// and codec presets (the built-in libx264 table and preset files).
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "Src/FFmpeg.h"
#include "Src/FFmpeg/EngineUtil.h"
#include "Src/FFmpegLoader.h"
#include "Src/FFmpegLogger.h"

using namespace ffengine;

// The libx264 presets, written with the option names the current encoder
// takes: partitions as a list, motion-est, direct-pred, weightp, qp, and the
// old flags2 switches as their own options ("-" switches a feature off).
static const std::vector<TOptionsPreset> kBuiltInPresets = {
    {"libx264-baseline",
     "coder=0\nbf=0\nweightb=0\n8x8dct=0\nweightp=0"},
    {"libx264-default",
     "coder=1\nflags=+loop\ncmp=+chroma\npartitions=i8x8,i4x4,p8x8,b8x8\nmotion-est=hex\nsubq=7\nme_range=16\ng=250\nkeyint_min=25\nsc_threshold=40\ni_qfactor=0.71\nb_strategy=1\nqcomp=0.6\nqmin=10\nqmax=51\nqdiff=4\nbf=3\nrefs=3\ndirect-pred=1\ntrellis=1\nmixed-refs=1\nweightb=1\n8x8dct=1\nfast-pskip=1\nweightp=2"},
    {"libx264-fast",
     "coder=1\nflags=+loop\ncmp=+chroma\npartitions=i8x8,i4x4,p8x8,b8x8\nmotion-est=hex\nsubq=6\nme_range=16\ng=250\nkeyint_min=25\nsc_threshold=40\ni_qfactor=0.71\nb_strategy=1\nqcomp=0.6\nqmin=10\nqmax=51\nqdiff=4\nbf=3\nrefs=2\ndirect-pred=1\ntrellis=1\nb-pyramid=normal\nmixed-refs=1\nweightb=1\n8x8dct=1\nfast-pskip=1\nweightp=2"},
    {"libx264-fast_firstpass",
     "coder=1\nflags=+loop\ncmp=+chroma\npartitions=none\nmotion-est=dia\nsubq=2\nme_range=16\ng=250\nkeyint_min=25\nsc_threshold=40\ni_qfactor=0.71\nb_strategy=1\nqcomp=0.6\nqmin=10\nqmax=51\nqdiff=4\nbf=3\nrefs=1\ndirect-pred=1\ntrellis=0\nb-pyramid=normal\nmixed-refs=0\nweightb=1\n8x8dct=0\nfast-pskip=1\nweightp=2"},
    {"libx264-faster",
     "coder=1\nflags=+loop\ncmp=+chroma\npartitions=i8x8,i4x4,p8x8,b8x8\nmotion-est=hex\nsubq=4\nme_range=16\ng=250\nkeyint_min=25\nsc_threshold=40\ni_qfactor=0.71\nb_strategy=1\nqcomp=0.6\nqmin=10\nqmax=51\nqdiff=4\nbf=3\nrefs=2\ndirect-pred=1\ntrellis=1\nb-pyramid=normal\nmixed-refs=0\nweightb=1\n8x8dct=1\nfast-pskip=1\nweightp=1"},
    {"libx264-faster_firstpass",
     "coder=1\nflags=+loop\ncmp=+chroma\npartitions=none\nmotion-est=dia\nsubq=2\nme_range=16\ng=250\nkeyint_min=25\nsc_threshold=40\ni_qfactor=0.71\nb_strategy=1\nqcomp=0.6\nqmin=10\nqmax=51\nqdiff=4\nbf=3\nrefs=1\ndirect-pred=1\ntrellis=0\nb-pyramid=normal\nmixed-refs=0\nweightb=1\n8x8dct=0\nfast-pskip=1\nweightp=1"},
    {"libx264-fastfirstpass",
     "coder=1\nflags=+loop\ncmp=+chroma\npartitions=none\nmotion-est=dia\nsubq=2\nme_range=16\ng=250\nkeyint_min=25\nsc_threshold=40\ni_qfactor=0.71\nb_strategy=1\nqcomp=0.6\nqmin=10\nqmax=51\nqdiff=4\nbf=3\nrefs=1\ndirect-pred=3\ntrellis=0\nb-pyramid=none\nweightb=0\nmixed-refs=0\n8x8dct=0\nfast-pskip=1\nweightp=2"},
    {"libx264-hq",
     "coder=1\nflags=+loop\ncmp=+chroma\npartitions=i8x8,i4x4,p8x8,b8x8\nmotion-est=umh\nsubq=8\nme_range=16\ng=250\nkeyint_min=25\nsc_threshold=40\ni_qfactor=0.71\nb_strategy=2\nqcomp=0.6\nqmin=10\nqmax=51\nqdiff=4\nbf=3\nrefs=4\ndirect-pred=3\ntrellis=1\nweightb=1\nmixed-refs=1\n8x8dct=1\nfast-pskip=1\nweightp=2"},
    {"libx264-ipod320",
     "coder=0\nbf=0\nweightb=0\n8x8dct=0\nlevel=13\nmaxrate=768000\nbufsize=3000000\nweightp=0"},
    {"libx264-ipod640",
     "coder=0\nbf=0\nrefs=1\nweightb=0\n8x8dct=0\nlevel=30\nmaxrate=10000000\nbufsize=10000000\nweightp=0"},
    {"libx264-lossless_fast",
     "coder=0\nflags=+loop\ncmp=+chroma\npartitions=i4x4,p8x8\nmotion-est=hex\nsubq=3\nme_range=16\ng=250\nkeyint_min=25\nsc_threshold=40\ni_qfactor=0.71\nb_strategy=1\nqcomp=0.6\nqmin=10\nqmax=51\nqdiff=4\ndirect-pred=1\nfast-pskip=1\nqp=0\nweightp=0"},
    {"libx264-lossless_max",
     "coder=1\nflags=+loop\ncmp=+chroma\npartitions=i8x8,i4x4,p8x8,p4x4\nmotion-est=esa\nsubq=8\nme_range=16\ng=250\nkeyint_min=25\nsc_threshold=40\ni_qfactor=0.71\nb_strategy=1\nqcomp=0.6\nqmin=10\nqmax=51\nqdiff=4\nrefs=16\ndirect-pred=1\nmixed-refs=1\n8x8dct=1\nfast-pskip=1\nqp=0\nweightp=2"},
    {"libx264-lossless_medium",
     "coder=1\nflags=+loop\ncmp=+chroma\npartitions=i4x4,p8x8,p4x4\nmotion-est=hex\nsubq=5\nme_range=16\ng=250\nkeyint_min=25\nsc_threshold=40\ni_qfactor=0.71\nb_strategy=1\nqcomp=0.6\nqmin=10\nqmax=51\nqdiff=4\ndirect-pred=1\nfast-pskip=1\nqp=0\nweightp=2"},
    {"libx264-lossless_slow",
     "coder=1\nflags=+loop\ncmp=+chroma\npartitions=i8x8,i4x4,p8x8,p4x4\nmotion-est=umh\nsubq=6\nme_range=16\ng=250\nkeyint_min=25\nsc_threshold=40\ni_qfactor=0.71\nb_strategy=1\nqcomp=0.6\nqmin=10\nqmax=51\nqdiff=4\nrefs=2\ndirect-pred=1\n8x8dct=1\nfast-pskip=1\nqp=0\nweightp=2"},
    {"libx264-lossless_slower",
     "coder=1\nflags=+loop\ncmp=+chroma\npartitions=i8x8,i4x4,p8x8,p4x4\nmotion-est=umh\nsubq=8\nme_range=16\ng=250\nkeyint_min=25\nsc_threshold=40\ni_qfactor=0.71\nb_strategy=1\nqcomp=0.6\nqmin=10\nqmax=51\nqdiff=4\nrefs=4\ndirect-pred=1\nmixed-refs=1\n8x8dct=1\nfast-pskip=1\nqp=0\nweightp=2"},
    {"libx264-lossless_ultrafast",
     "coder=0\nflags=+loop\ncmp=+chroma\npartitions=none\nmotion-est=dia\nsubq=0\nme_range=16\ng=250\nkeyint_min=25\nsc_threshold=40\ni_qfactor=0.71\nb_strategy=1\nqcomp=0.6\nqmin=10\nqmax=51\nqdiff=4\ndirect-pred=1\nfast-pskip=1\nqp=0"},
    {"libx264-main",
     "8x8dct=0"},
    {"libx264-max",
     "coder=1\nflags=+loop\ncmp=+chroma\npartitions=i8x8,i4x4,p8x8,p4x4,b8x8\nmotion-est=tesa\nsubq=10\nme_range=24\ng=250\nkeyint_min=25\nsc_threshold=40\ni_qfactor=0.71\nb_strategy=2\nqcomp=0.6\nqmin=10\nqmax=51\nqdiff=4\nbf=3\nrefs=16\ndirect-pred=3\ntrellis=2\nweightb=1\nmixed-refs=1\n8x8dct=1\nfast-pskip=0\nweightp=2"},
    {"libx264-medium",
     "coder=1\nflags=+loop\ncmp=+chroma\npartitions=i8x8,i4x4,p8x8,b8x8\nmotion-est=hex\nsubq=7\nme_range=16\ng=250\nkeyint_min=25\nsc_threshold=40\ni_qfactor=0.71\nb_strategy=1\nqcomp=0.6\nqmin=10\nqmax=51\nqdiff=4\nbf=3\nrefs=3\ndirect-pred=1\ntrellis=1\nb-pyramid=normal\nmixed-refs=1\nweightb=1\n8x8dct=1\nfast-pskip=1\nweightp=2"},
    {"libx264-medium_firstpass",
     "coder=1\nflags=+loop\ncmp=+chroma\npartitions=none\nmotion-est=dia\nsubq=2\nme_range=16\ng=250\nkeyint_min=25\nsc_threshold=40\ni_qfactor=0.71\nb_strategy=1\nqcomp=0.6\nqmin=10\nqmax=51\nqdiff=4\nbf=3\nrefs=1\ndirect-pred=1\ntrellis=0\nb-pyramid=normal\nmixed-refs=0\nweightb=1\n8x8dct=0\nfast-pskip=1\nweightp=2"},
    {"libx264-normal",
     "coder=1\nflags=+loop\ncmp=+chroma\npartitions=i8x8,i4x4,p8x8,b8x8\nmotion-est=hex\nsubq=6\nme_range=16\ng=250\nkeyint_min=25\nsc_threshold=40\ni_qfactor=0.71\nb_strategy=1\nqcomp=0.6\nqmin=10\nqmax=51\nqdiff=4\nbf=3\nrefs=2\ndirect-pred=3\ntrellis=0\nweightb=1\n8x8dct=1\nfast-pskip=1\nweightp=2"},
    {"libx264-placebo",
     "coder=1\nflags=+loop\ncmp=+chroma\npartitions=i8x8,i4x4,p8x8,p4x4,b8x8\nmotion-est=tesa\nsubq=10\nme_range=24\ng=250\nkeyint_min=25\nsc_threshold=40\ni_qfactor=0.71\nb_strategy=2\nqcomp=0.6\nqmin=10\nqmax=51\nqdiff=4\nbf=16\nrefs=16\ndirect-pred=3\ntrellis=2\nb-pyramid=normal\nmixed-refs=1\nweightb=1\n8x8dct=1\nfast-pskip=0\nweightp=2"},
    {"libx264-placebo_firstpass",
     "coder=1\nflags=+loop\ncmp=+chroma\npartitions=i8x8,i4x4,p8x8,p4x4,b8x8\nmotion-est=tesa\nsubq=10\nme_range=24\ng=250\nkeyint_min=25\nsc_threshold=40\ni_qfactor=0.71\nb_strategy=2\nqcomp=0.6\nqmin=10\nqmax=51\nqdiff=4\nbf=16\nrefs=16\ndirect-pred=3\ntrellis=2\nb-pyramid=normal\nmixed-refs=1\nweightb=1\n8x8dct=1\nfast-pskip=0\nweightp=2"},
    {"libx264-slow",
     "coder=1\nflags=+loop\ncmp=+chroma\npartitions=i8x8,i4x4,p8x8,b8x8\nmotion-est=umh\nsubq=8\nme_range=16\ng=250\nkeyint_min=25\nsc_threshold=40\ni_qfactor=0.71\nb_strategy=2\nqcomp=0.6\nqmin=10\nqmax=51\nqdiff=4\nbf=3\nrefs=5\ndirect-pred=3\ntrellis=1\nb-pyramid=normal\nmixed-refs=1\nweightb=1\n8x8dct=1\nfast-pskip=1\nweightp=2"},
    {"libx264-slow_firstpass",
     "coder=1\nflags=+loop\ncmp=+chroma\npartitions=none\nmotion-est=dia\nsubq=2\nme_range=16\ng=250\nkeyint_min=25\nsc_threshold=40\ni_qfactor=0.71\nb_strategy=2\nqcomp=0.6\nqmin=10\nqmax=51\nqdiff=4\nbf=3\nrefs=1\ndirect-pred=3\ntrellis=0\nb-pyramid=normal\nmixed-refs=0\nweightb=1\n8x8dct=0\nfast-pskip=1\nweightp=2"},
    {"libx264-slower",
     "coder=1\nflags=+loop\ncmp=+chroma\npartitions=i8x8,i4x4,p8x8,p4x4,b8x8\nmotion-est=umh\nsubq=9\nme_range=16\ng=250\nkeyint_min=25\nsc_threshold=40\ni_qfactor=0.71\nb_strategy=2\nqcomp=0.6\nqmin=10\nqmax=51\nqdiff=4\nbf=3\nrefs=8\ndirect-pred=3\ntrellis=2\nb-pyramid=normal\nmixed-refs=1\nweightb=1\n8x8dct=1\nfast-pskip=1\nweightp=2"},
    {"libx264-slower_firstpass",
     "coder=1\nflags=+loop\ncmp=+chroma\npartitions=none\nmotion-est=dia\nsubq=2\nme_range=16\ng=250\nkeyint_min=25\nsc_threshold=40\ni_qfactor=0.71\nb_strategy=2\nqcomp=0.6\nqmin=10\nqmax=51\nqdiff=4\nbf=3\nrefs=1\ndirect-pred=3\ntrellis=0\nb-pyramid=normal\nmixed-refs=0\nweightb=1\n8x8dct=0\nfast-pskip=1\nweightp=2"},
    {"libx264-slowfirstpass",
     "coder=1\nflags=+loop\ncmp=+chroma\npartitions=i8x8,i4x4,p8x8,b8x8\nmotion-est=hex\nsubq=6\nme_range=16\ng=250\nkeyint_min=25\nsc_threshold=40\ni_qfactor=0.71\nb_strategy=2\nqcomp=0.6\nqmin=10\nqmax=51\nqdiff=4\nbf=3\nrefs=1\ndirect-pred=3\ntrellis=0\nweightb=1\n8x8dct=1\nfast-pskip=1\nweightp=2"},
    {"libx264-superfast",
     "coder=1\nflags=+loop\ncmp=+chroma\npartitions=i8x8,i4x4\nmotion-est=dia\nsubq=1\nme_range=16\ng=250\nkeyint_min=25\nsc_threshold=40\ni_qfactor=0.71\nb_strategy=1\nqcomp=0.6\nqmin=10\nqmax=51\nqdiff=4\nbf=3\nrefs=1\ndirect-pred=1\ntrellis=0\nb-pyramid=normal\nmixed-refs=0\nweightb=1\n8x8dct=1\nfast-pskip=1\nmbtree=0\nweightp=0"},
    {"libx264-superfast_firstpass",
     "coder=1\nflags=+loop\ncmp=+chroma\npartitions=none\nmotion-est=dia\nsubq=1\nme_range=16\ng=250\nkeyint_min=25\nsc_threshold=40\ni_qfactor=0.71\nb_strategy=1\nqcomp=0.6\nqmin=10\nqmax=51\nqdiff=4\nbf=3\nrefs=1\ndirect-pred=1\ntrellis=0\nb-pyramid=normal\nmixed-refs=0\nweightb=1\n8x8dct=0\nfast-pskip=1\nmbtree=0\nweightp=0"},
    {"libx264-ultrafast",
     "coder=0\nflags=-loop\ncmp=+chroma\npartitions=none\nmotion-est=dia\nsubq=0\nme_range=16\ng=250\nkeyint_min=25\nsc_threshold=0\ni_qfactor=0.71\nb_strategy=0\nqcomp=0.6\nqmin=10\nqmax=51\nqdiff=4\nbf=0\nrefs=1\ndirect-pred=1\ntrellis=0\nb-pyramid=none\nmixed-refs=0\nweightb=0\n8x8dct=0\nfast-pskip=1\nmbtree=0\nweightp=0"},
    {"libx264-ultrafast_firstpass",
     "coder=0\nflags=-loop\ncmp=+chroma\npartitions=none\nmotion-est=dia\nsubq=0\nme_range=16\ng=250\nkeyint_min=25\nsc_threshold=0\ni_qfactor=0.71\nb_strategy=0\nqcomp=0.6\nqmin=10\nqmax=51\nqdiff=4\nbf=0\nrefs=1\ndirect-pred=1\ntrellis=0\nb-pyramid=none\nmixed-refs=0\nweightb=0\n8x8dct=0\nfast-pskip=1\nmbtree=0\nweightp=0"},
    {"libx264-veryfast",
     "coder=1\nflags=+loop\ncmp=+chroma\npartitions=i8x8,i4x4,p8x8,b8x8\nmotion-est=hex\nsubq=2\nme_range=16\ng=250\nkeyint_min=25\nsc_threshold=40\ni_qfactor=0.71\nb_strategy=1\nqcomp=0.6\nqmin=10\nqmax=51\nqdiff=4\nbf=3\nrefs=1\ndirect-pred=1\ntrellis=0\nb-pyramid=normal\nmixed-refs=0\nweightb=1\n8x8dct=1\nfast-pskip=1\nmbtree=0\nweightp=0"},
    {"libx264-veryfast_firstpass",
     "coder=1\nflags=+loop\ncmp=+chroma\npartitions=none\nmotion-est=dia\nsubq=2\nme_range=16\ng=250\nkeyint_min=25\nsc_threshold=40\ni_qfactor=0.71\nb_strategy=1\nqcomp=0.6\nqmin=10\nqmax=51\nqdiff=4\nbf=3\nrefs=1\ndirect-pred=1\ntrellis=0\nb-pyramid=normal\nmixed-refs=0\nweightb=1\n8x8dct=0\nfast-pskip=1\nmbtree=0\nweightp=0"},
    {"libx264-veryslow",
     "coder=1\nflags=+loop\ncmp=+chroma\npartitions=i8x8,i4x4,p8x8,p4x4,b8x8\nmotion-est=umh\nsubq=10\nme_range=24\ng=250\nkeyint_min=25\nsc_threshold=40\ni_qfactor=0.71\nb_strategy=2\nqcomp=0.6\nqmin=10\nqmax=51\nqdiff=4\nbf=8\nrefs=16\ndirect-pred=3\ntrellis=2\nb-pyramid=normal\nmixed-refs=1\nweightb=1\n8x8dct=1\nfast-pskip=1\nweightp=2"},
    {"libx264-veryslow_firstpass",
     "coder=1\nflags=+loop\ncmp=+chroma\npartitions=none\nmotion-est=dia\nsubq=2\nme_range=24\ng=250\nkeyint_min=25\nsc_threshold=40\ni_qfactor=0.71\nb_strategy=2\nqcomp=0.6\nqmin=10\nqmax=51\nqdiff=4\nbf=8\nrefs=1\ndirect-pred=3\ntrellis=0\nb-pyramid=normal\nmixed-refs=0\nweightb=1\n8x8dct=0\nfast-pskip=1\nweightp=2"},
};

const std::vector<TOptionsPreset>& BuiltInPresets() { return kBuiltInPresets; }

std::string FindBuiltInPreset(const std::string& AName)
{
    for (const auto& p : kBuiltInPresets)
        if (SameText(p.Name, AName))
            return p.Value;
    return "";
}

void TCustomFFmpeg::OptTarget(const std::string& AValue)
{
    std::string v = Trim(AValue), norm = "auto";
    for (const char* pre : {"pal-", "ntsc-", "film-"}) {
        size_t n = std::strlen(pre);
        if (v.compare(0, n, pre) == 0) {
            norm.assign(pre, n - 1);
            v = v.substr(n);
            break;
        }
    }
    SetTarget(v, norm, "ntsc");
}

namespace {
enum TNorm { nPAL, nNTSC, nFilm, nUnknown };

TNorm NormOfRate(int64_t milli)
{
    if (milli == 25000)
        return nPAL;
    if (milli == 29970 || milli == 23976)
        return nNTSC;
    return nUnknown;
}
}  // namespace

void TCustomFFmpeg::SetTarget(const std::string& ATarget, const std::string& ANorm, const std::string& ADefaultNorm)
{
    TNorm norm = nUnknown;
    if (ANorm == "pal") norm = nPAL;
    else if (ANorm == "ntsc") norm = nNTSC;
    else if (ANorm == "film") norm = nFilm;
    else {
        if (Fframe_rate.den == 0)
            throw FFmpegException("frame_rate is invalid.");
        norm = NormOfRate(std::llround(double(Fframe_rate.num) * 1000 / Fframe_rate.den));
        for (size_t f = 0; norm == nUnknown && f < Finput_files.size(); f++) {
            AVFormatContext* ic = Finput_files[f]->ctx;
            for (unsigned s = 0; norm == nUnknown && s < ic->nb_streams; s++) {
                AVStream* st = ic->streams[s];
                if (st->codecpar->codec_type != AVMEDIA_TYPE_VIDEO)
                    continue;
                // the stream's frame rate stands in for the old codec time base
                AVRational r = st->r_frame_rate.num ? st->r_frame_rate : st->avg_frame_rate;
                if (r.num > 0 && r.den > 0)
                    norm = NormOfRate(std::llround(double(r.num) * 1000 / r.den));
            }
        }
        if (norm == nUnknown)
            norm = ADefaultNorm == "film" ? nFilm : ADefaultNorm == "ntsc" ? nNTSC : nPAL;
        if (Fverbose > 0)
            Log(llVerbose, Format("Assuming %s for target.", norm == nPAL ? "PAL" : "NTSC"));
    }
    const bool pal = norm == nPAL;
    const char* rate = pal ? "25" : norm == nNTSC ? "30000/1001" : "24000/1001";

    if (ATarget == "vcd" || ATarget == "svcd" || ATarget == "dvd") {
        const bool vcd = ATarget == "vcd", svcd = ATarget == "svcd";
        OptVideoCodec(vcd ? "mpeg1video" : "mpeg2video");
        OptAudioCodec(ATarget == "dvd" ? "ac3" : "mp2");
        OptFormat(ATarget);
        OptFrameSize(vcd ? (pal ? "352x288" : "352x240") : svcd ? (pal ? "480x576" : "480x480")
                                                               : (pal ? "720x576" : "720x480"));
        OptFrameRate(rate);
        OptDefault("g", pal ? "15" : "18");
        OptDefault("b", vcd ? "1150000" : svcd ? "2040000" : "6000000");
        OptDefault("maxrate", vcd ? "1150000" : svcd ? "2516000" : "9000000");
        OptDefault("minrate", vcd ? "1150000" : "0");
        OptDefault("bufsize", vcd ? "327680" : "1835008");
        if (svcd)
            OptDefault("scan_offset", "1");  // the MPEG-2 encoder's own switch now
        OptDefault("ab", ATarget == "dvd" ? "448000" : "224000");
        Faudio_sample_rate = ATarget == "dvd" ? 48000 : 44100;
        if (vcd)
            Faudio_channels = 2;
        else if (Faudio_channels == 1)
            Faudio_channels = 2;
        OptDefault("packetsize", ATarget == "dvd" ? "2048" : "2324");
        if (!svcd)
            OptDefault("muxrate", vcd ? "1411200" : "10080000");
        if (vcd)
            Fmux_preload = 0.44f;
        if (Fframe_aspect_ratio == 0) {
            if (ATarget == "dvd") {
                OptFrameAspectRatio("16:9");
                Log(llInfo, "Assuming 16:9 for aspect ratio");
            } else {
                OptFrameAspectRatio("4:3");
                Log(llInfo, "Assuming 4:3 for aspect ratio");
            }
        }
    } else if (ATarget == "dv" || ATarget == "dv50") {
        OptFormat("dv");
        OptFrameSize(pal ? "720x576" : "720x480");
        OptPixelFormat(ATarget == "dv50" ? "yuv422p" : pal ? "yuv420p" : "yuv411p");
        OptFrameRate(rate);
        Faudio_sample_rate = 48000;
        Faudio_channels = 2;
    } else {
        throw FFmpegException("Unknown target type");
    }
}

void TCustomFFmpeg::OptPreset(const std::string& AKey, const std::string& AValue)
{
    if (AKey.empty() || AValue.empty())
        return;
    std::string name = AValue, text;
    bool found = false;
    if (AKey[0] != 'f') {
        text = FindBuiltInPreset(name);
        found = !text.empty();
        if (!found) {
            std::string prefix;
            if (AKey == "vpre" && !Fvideo_codec_name.empty()) prefix = Fvideo_codec_name;
            else if (AKey == "apre" && !Faudio_codec_name.empty()) prefix = Faudio_codec_name;
            else if (!Fsubtitle_codec_name.empty()) prefix = Fsubtitle_codec_name;
            if (!prefix.empty()) {
                name = prefix + "-" + AValue;
                text = FindBuiltInPreset(name);
                found = !text.empty();
            }
        }
    }
    if (!found) {
        // a preset file
        std::error_code ec;
        if (!std::filesystem::is_regular_file(std::filesystem::u8path(AValue), ec))
            throw FFmpegException(Format("Preset \"%s\" not found", AValue.c_str()));
        std::ifstream in(std::filesystem::u8path(AValue), std::ios::binary);
        if (!in)
            throw Exception(Format("Cannot open file \"%s\"", AValue.c_str()));
        std::ostringstream ss;
        ss << in.rdbuf();
        if (in.bad())
            throw Exception(Format("Cannot read file \"%s\"", AValue.c_str()));
        text = ss.str();
    }
    ApplyPresetText(name, text);
}

void TCustomFFmpeg::ApplyPresetText(const std::string& APresetName, const std::string& AText)
{
    std::string t = Trim(AText);
    std::string norm;
    for (size_t i = 0; i < t.size(); i++) {
        if (t[i] == '\r') {
            norm += '\n';
            if (i + 1 < t.size() && t[i + 1] == '\n')
                i++;
        } else {
            norm += t[i];
        }
    }
    // the codec a preset's private options belong to, from its name ("libx264-...")
    std::string hint;
    auto dash = APresetName.find('-');
    if (dash != std::string::npos)
        hint = APresetName.substr(0, dash);
    std::istringstream lines(norm);
    std::string line;
    while (std::getline(lines, line)) {
        line = Trim(line);
        if (line.empty())
            continue;
        auto eq = line.find('=');
        std::string k = eq == std::string::npos ? line : line.substr(0, eq);
        std::string v = eq == std::string::npos ? "" : line.substr(eq + 1);
        if (k.empty() || v.empty())
            throw FFmpegException(Format("%s: Invalid syntax: \"%s\"", APresetName.c_str(), line.c_str()));
        if (SameText(k, "acodec"))
            OptAudioCodec(v);
        else if (SameText(k, "vcodec"))
            OptVideoCodec(v);
        else if (SameText(k, "scodec"))
            OptSubtitleCodec(v);
        else if (!OptDefaultHinted(k, v, hint))
            throw FFmpegException(Format("%s: Invalid option or argument: \"%s\", parsed as \"%s\" = \"%s\"",
                                      APresetName.c_str(), line.c_str(), k.c_str(), v.c_str()));
    }
}
