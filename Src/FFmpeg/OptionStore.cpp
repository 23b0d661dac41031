// The engine's side of the option store: generic options through TFFOptions,
// options private to an encoder or a muxer kept by the engine itself.
#include <algorithm>

#include "Src/FFmpeg.h"
#include "Src/FFmpeg/EngineUtil.h"
#include "Src/FFmpegLoader.h"
#include "Src/FFmpegLogger.h"
#include "Src/FFUtils.h"

using namespace ffengine;

void TCustomFFmpeg::InitStore()
{
    if (!GlobalLoader().Loaded(ConverterLibraries))
        return;
    FreeFFOptions(*FOptions);
    InitFFOptions(*FOptions, Fsws_flags);
}

void TCustomFFmpeg::FreeStore()
{
    if (GlobalLoader().Loaded(ConverterLibraries))
        FreeFFOptions(*FOptions);
}

bool TCustomFFmpeg::OptDefault(const std::string& AName, const std::string& AValue)
{
    return OptDefaultHinted(AName, AValue, "");
}

bool TCustomFFmpeg::OptDefaultInt(const std::string& AName, int AValue)
{
    return OptDefault(AName, std::to_string(AValue));
}

bool TCustomFFmpeg::OptDefaultHinted(const std::string& AName, const std::string& AValue, const std::string& AHint)
{
    // These rate-control options meant the video codec only; the current
    // library also marks them for audio. The audio and subtitle contexts keep
    // their values, so that "b" never becomes an audio bit rate.
    static const char* const videoOnly[] = {"b", "maxrate", "minrate", "bufsize", "bt"};
    std::string saved[2];
    const int others[2] = {AVMEDIA_TYPE_AUDIO, AVMEDIA_TYPE_SUBTITLE};
    bool isVideoOnly = false;
    for (const char* k : videoOnly)
        isVideoOnly = isVideoOnly || AName == k;
    if (isVideoOnly)
        for (int i = 0; i < 2; i++) {
            uint8_t* v = nullptr;
            if (FOptions->avcodec_opts[others[i]] &&
                ff::av_opt_get(FOptions->avcodec_opts[others[i]], AName.c_str(), 0, &v) >= 0 && v) {
                saved[i] = (const char*)v;
                ff::av_free(v);
            }
        }
    bool ok = SetFFOption(*FOptions, AName, AValue);
    if (ok && isVideoOnly)
        for (int i = 0; i < 2; i++)
            if (!saved[i].empty())
                ff::av_opt_set(FOptions->avcodec_opts[others[i]], AName.c_str(), saved[i].c_str(), 0);
    if (ok)
        return true;
    return SetPrivateOption(AName, AValue, AHint);
}

namespace {

bool ClassHas(const AVClass* c, const std::string& name)
{
    if (!c)
        return false;
    const AVClass* const* fake = &c;
    return ff::av_opt_find((void*)fake, name.c_str(), nullptr, 0, AV_OPT_SEARCH_FAKE_OBJ) != nullptr;
}

// Whether the encoder takes the value for its own option.
bool EncoderAccepts(const AVCodec* codec, const std::string& name, const std::string& value)
{
    AVCodecContext* c = ff::avcodec_alloc_context3(codec);
    if (!c)
        return false;
    bool ok = c->priv_data && ff::av_opt_set(c->priv_data, name.c_str(), value.c_str(), 0) >= 0;
    ff::avcodec_free_context(&c);
    return ok;
}

bool MuxerAccepts(const AVOutputFormat* fmt, const std::string& name, const std::string& value)
{
    AVFormatContext* oc = nullptr;
    if (ff::avformat_alloc_output_context2(&oc, fmt, nullptr, nullptr) < 0 || !oc)
        return false;
    bool ok = oc->priv_data && ff::av_opt_set(oc->priv_data, name.c_str(), value.c_str(), 0) >= 0;
    ff::avformat_free_context(oc);
    return ok;
}

}  // namespace

bool TCustomFFmpeg::SetPrivateOption(const std::string& AName, const std::string& AValue, const std::string& AHint)
{
    if (Trim(AName).empty() || Trim(AValue).empty())
        return false;
    struct Cand { char kind; const AVCodec* codec; };
    std::vector<Cand> cands;
    auto addCodec = [&](char kind, const std::string& name, AVMediaType type) {
        if (name.empty())
            return;
        const AVCodec* c = ff::avcodec_find_encoder_by_name(name.c_str());
        if (c && c->type == type)
            cands.push_back({kind, c});
    };
    addCodec('v', Fvideo_codec_name, AVMEDIA_TYPE_VIDEO);
    addCodec('a', Faudio_codec_name, AVMEDIA_TYPE_AUDIO);
    addCodec('s', Fsubtitle_codec_name, AVMEDIA_TYPE_SUBTITLE);
    addCodec('v', AHint, AVMEDIA_TYPE_VIDEO);
    addCodec('a', AHint, AVMEDIA_TYPE_AUDIO);
    addCodec('s', AHint, AVMEDIA_TYPE_SUBTITLE);
    for (const auto& c : cands) {
        if (!ClassHas(c.codec->priv_class, AName))
            continue;
        if (!EncoderAccepts(c.codec, AName, AValue)) {
            Log(llError, Format("Invalid value \"%s\" for option \"%s\"", AValue.c_str(), AName.c_str()));
            return false;
        }
        FPrivateOptions.push_back({c.kind, AName, AValue});
        return true;
    }
    if (!Flast_asked_format.empty()) {
        const AVOutputFormat* f = ff::av_guess_format(Flast_asked_format.c_str(), nullptr, nullptr);
        if (f && ClassHas(f->priv_class, AName)) {
            if (!MuxerAccepts(f, AName, AValue)) {
                Log(llError, Format("Invalid value \"%s\" for option \"%s\"", AValue.c_str(), AName.c_str()));
                return false;
            }
            FPrivateOptions.push_back({'f', AName, AValue});
            return true;
        }
    }
    // Known to no class yet (the encoder or the muxer is chosen later, from the
    // output name): kept, and handed to the encoder or muxer that turns out to know it.
    FPrivateOptions.push_back({'?', AName, AValue});
    return false;
}

void TCustomFFmpeg::ApplyPrivateOptionsTo(char AKind, const AVClass* APrivClass, void* APrivData)
{
    if (!APrivClass || !APrivData)
        return;
    for (const auto& o : FPrivateOptions)
        if ((o.Kind == AKind || o.Kind == '?') && ClassHas(APrivClass, o.Name))
            ff::av_opt_set(APrivData, o.Name.c_str(), o.Value.c_str(), 0);
}

void TCustomFFmpeg::StoreToDict(AVDictionary** ADict, int AMediaType, int AFlags)
{
    TFFOptions& s = *FOptions;
    void* src = s.avcodec_opts[AMediaType];
    if (!src)
        return;
    for (int i = 0; i < s.opt_name_count; i++) {
        const char* name = s.opt_names[i].c_str();
        const AVOption* o = ff::av_opt_find(src, name, nullptr, 0, 0);
        if (!o || (o->flags & AFlags) != AFlags)
            continue;
        uint8_t* val = nullptr;
        if (ff::av_opt_get(src, name, 0, &val) >= 0 && val) {
            ff::av_dict_set(ADict, name, (const char*)val, 0);
            ff::av_free(val);
        }
    }
}

bool TCustomFFmpeg::StoreNames(const std::string& AName) const
{
    const auto& n = FOptions->opt_names;
    return std::find(n.begin(), n.end(), AName) != n.end();
}

void TCustomFFmpeg::ApplyStore(void* AObj, int AMediaType, int AFlags)
{
    if (FOptions->avcodec_opts[AMediaType])
        ApplyFFOptions(*FOptions, AObj, FOptions->avcodec_opts[AMediaType], AFlags);
}

void TCustomFFmpeg::ApplyStoreToFormat(void* AObj, int AFlags)
{
    if (FOptions->avformat_opts)
        ApplyFFOptions(*FOptions, AObj, FOptions->avformat_opts, AFlags);
}

int64_t TCustomFFmpeg::StoreBitRate(bool AAudio)
{
    AVCodecContext* c = FOptions->avcodec_opts[AAudio ? AVMEDIA_TYPE_AUDIO : AVMEDIA_TYPE_VIDEO];
    return c ? c->bit_rate : 0;
}

int TCustomFFmpeg::StoreStrict(int AMediaType)
{
    AVCodecContext* c = FOptions->avcodec_opts[AMediaType];
    return c ? c->strict_std_compliance : 0;
}
