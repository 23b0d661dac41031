#include "Src/FFConverter.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "Src/FFmpeg/EngineUtil.h"
#include "Src/FFmpegLoader.h"
#include "Src/FFmpegLogger.h"
#include "Src/MyUtils.h"
#include "Src/Previewer.h"
#include "platform/core/MainThread.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/Threads.h"
#include "platform/sys/Processors.h"


namespace {

// The engine keys an output record's codec, preset, size and filter fields
// stand for; their text lines are kept for the stream replays.
bool IsDefaultKey(const std::string& k)
{
    static const char* const keys[] = {"acodec", "vcodec", "scodec", "apre", "vpre", "spre", "s", "vfilters", "vf"};
    for (const char* x : keys)
        if (k == x)
            return true;
    return false;
}

const std::string* FindValue(const std::vector<TOptionLine>& AList, const std::string& AName)
{
    for (auto& l : AList)
        if (l.first == AName)
            return &l.second;
    return nullptr;
}

std::string ValueOf(const std::vector<TOptionLine>& AList, const std::string& AName)
{
    const std::string* v = FindValue(AList, AName);
    return v ? *v : std::string();
}

// name=value in the list; an empty value takes the name out.
void SetValue(std::vector<TOptionLine>& AList, const std::string& AName, const std::string& AValue)
{
    auto it = std::find_if(AList.begin(), AList.end(), [&](const TOptionLine& l) { return l.first == AName; });
    if (AValue.empty()) {
        if (it != AList.end())
            AList.erase(it);
    } else if (it != AList.end()) {
        it->second = AValue;
    } else {
        AList.emplace_back(AName, AValue);
    }
}

// PostHookLock taken on the GUI thread may be held by a conversion thread
// that waits for the GUI thread (a handler of its own): keep serving the GUI
// thread's calls while waiting for the lock.
class TPostHookLockServing
{
public:
    TPostHookLockServing()
    {
        if (!IsMainThread()) {
            PostHookLock().Enter();
            return;
        }
        while (!PostHookLock().TryEnter())
            CheckSynchronize(1);
    }
    ~TPostHookLockServing() { PostHookLock().Leave(); }
};

bool OnClassLibraryThread() { return TThread::CurrentThread() != nullptr; }

// A handler of a conversion thread's own events runs here (with a relay lock
// held that other conversion threads may be waiting for).
thread_local int tlsInTaskHandler = 0;

struct TTaskHandlerScope
{
    TTaskHandlerScope() { tlsInTaskHandler++; }
    ~TTaskHandlerScope() { tlsInTaskHandler--; }
    TTaskHandlerScope(const TTaskHandlerScope&) = delete;
    TTaskHandlerScope& operator=(const TTaskHandlerScope&) = delete;
};

}  // namespace

int CodecThreadShare(int ACores, int AWorkers, int AUnfinished)
{
    const int atOnce = std::max(1, std::min(AWorkers, AUnfinished));
    return std::max(1, (ACores + atOnce / 2) / atOnce);
}

// ---- one task ------------------------------------------------------------------------------
TFFmpeg::TFFmpeg(int AMaxFiles) : TCustomFFmpeg(AMaxFiles)
{
    FAVProbes.resize(size_t(AMaxFiles));
    FInputOptions.resize(size_t(AMaxFiles));
    FOutputOptions.resize(size_t(AMaxFiles));
    FrameHookAdd = [this](TCustomFFmpeg*, const std::vector<std::string>& AWords) {
        return ::FrameHookAdd(FFirstHook, (int)AWords.size(), AWords);
    };
    FrameHookProcess = [this](TCustomFFmpeg*, AVFrame* AFrame, int64_t APTS) {
        TAVPicture pic;
        for (int i = 0; i < 4; i++) {
            pic.data[i] = AFrame->data[i];
            pic.linesize[i] = AFrame->linesize[i];
        }
        ::FrameHookProcess(FFirstHook, &pic, AFrame->format, AFrame->width, AFrame->height, APTS);
    };
}

TFFmpeg::~TFFmpeg()
{
    WaitForEnd();
    RunEnded();
    for (auto& p : FAVProbes)
        p.reset();
}

void TFFmpeg::WaitForEnd()
{
    Stop(true);
    // a terminate report still running on its own thread
    FTermEvent.WaitFor(INFINITE);
}

TAVProbe* TFFmpeg::GetAVProbe(int AIndex)
{
    auto& p = FAVProbes.at(size_t(AIndex));
    if (!p)
        p = std::make_unique<TAVProbe>(nullptr);
    return p.get();
}

TAVProbe* TFFmpeg::AVProbe(int AIndex) const
{
    if (AIndex < 0 || AIndex >= (int)FAVProbes.size())
        return nullptr;
    return FAVProbes[size_t(AIndex)].get();
}

void TFFmpeg::DetachProbes()
{
    for (auto& p : FAVProbes)
        if (p && p->FileHandle())
            p->CloseFile();
}

void TFFmpeg::SetInputOptions(int AIndex, const TInputOptions& AOptions)
{
    auto& p = FInputOptions.at(size_t(AIndex));
    if (!p)
        p = std::make_unique<TInputOptions>();
    *p = AOptions;
}

void TFFmpeg::SetOutputOptions(int AIndex, const TOutputOptions& AOptions)
{
    auto& p = FOutputOptions.at(size_t(AIndex));
    if (!p)
        p = std::make_unique<TOutputOptions>();
    *p = AOptions;
}

void TFFmpeg::ClearInputOptions(int AIndex)
{
    if (AIndex >= 0 && AIndex < (int)FInputOptions.size() && FInputOptions[size_t(AIndex)])
        InitInputOptions(*FInputOptions[size_t(AIndex)]);
}

void TFFmpeg::ClearOutputOptions(int AIndex)
{
    if (AIndex >= 0 && AIndex < (int)FOutputOptions.size() && FOutputOptions[size_t(AIndex)])
        InitOutputOptions(*FOutputOptions[size_t(AIndex)]);
}

const TInputOptions* TFFmpeg::InputOptions(int AIndex) const
{
    if (AIndex < 0 || AIndex >= (int)FInputOptions.size())
        return nullptr;
    return FInputOptions[size_t(AIndex)].get();
}

const TOutputOptions* TFFmpeg::OutputOptions(int AIndex) const
{
    if (AIndex < 0 || AIndex >= (int)FOutputOptions.size())
        return nullptr;
    return FOutputOptions[size_t(AIndex)].get();
}

void TFFmpeg::ParseExtOptions(const std::string& AText, bool AWithCodecs)
{
    for (auto& l : SplitOptionText(AText)) {
        std::string key = LowerCase(l.first);
        if (key == "newvideo" || key == "newaudio" || key == "newsubtitle" || key == "apre" || key == "vpre" ||
            key == "spre" || key == "vfilters" || key == "vf")
            continue;
        if ((key == "acodec" || key == "vcodec" || key == "scodec" || key == "s") && !AWithCodecs)
            continue;
        ParseOption(key, l.second);
    }
}

void TFFmpeg::ApplyInputOptions(const TInputOptions& AOptions)
{
    ParseExtOptions(AOptions.ExtOptions, true);
    ParseOption("f", AOptions.FileFormat);
    if (AOptions.TimeStart != OPTION_NO_TIME)
        SetStartTime(AOptions.TimeStart);
    if (AOptions.ProgramID >= 0)
        SetProgramID(AOptions.ProgramID);
}

void TFFmpeg::BuildOutputDefaults(const TOutputOptions& AOptions, std::vector<TOptionLine>& ADefaults)
{
    ADefaults.clear();
    SetValue(ADefaults, "def_acodec", AOptions.AudioCodec);
    SetValue(ADefaults, "def_vcodec", AOptions.VideoCodec);
    SetValue(ADefaults, "def_scodec", AOptions.SubtitleCodec);
    SetValue(ADefaults, "def_apre", AOptions.AudioPreset);
    SetValue(ADefaults, "def_vpre", AOptions.VideoPreset);
    SetValue(ADefaults, "def_spre", AOptions.SubtitlePreset);
    SetValue(ADefaults, "def_s", AOptions.FrameSize);
    SetValue(ADefaults, "def_vf", AOptions.VideoFilters);
    for (auto& l : SplitOptionText(AOptions.ExtOptions)) {
        std::string key = LowerCase(l.first);
        if (!IsDefaultKey(key) || l.second.empty())
            continue;
        if (key == "vfilters")
            key = "vf";
        if (!FindValue(ADefaults, "def_" + key))
            SetValue(ADefaults, "def_" + key, l.second);
        ADefaults.emplace_back(key, l.second);
    }
}

void TFFmpeg::ApplyTargetOptions(const TOutputOptions& AOptions)
{
    const char* target = nullptr;
    switch (AOptions.TargetType) {
    case ttVCD: target = "vcd"; break;
    case ttSVCD: target = "svcd"; break;
    case ttDVD: target = "dvd"; break;
    default: return;
    }
    const char* norm = AOptions.NormType == ntPAL ? "pal" : AOptions.NormType == ntNTSC ? "ntsc" : "auto";
    SetTarget(target, norm, AOptions.NormDefault == ntPAL ? "pal" : "ntsc");
}

void TFFmpeg::ApplyOutputOptions(const TOutputOptions& o)
{
    auto dec = [](int v) { return std::to_string(v); };
    ParseOption("f", o.FileFormat);
    if (o.PacketSize > 0) OptDefaultInt("packetsize", o.PacketSize);
    if (o.MuxRate > 0) OptDefaultInt("muxrate", o.MuxRate);
    if (o.MuxDelay > 0) SetMuxMaxDelay(o.MuxDelay);
    if (o.MuxPreload > 0) SetMuxPreload(o.MuxPreload);
    if (o.DisableAudio) Faudio_disable = true;
    if (o.AudioVolume >= 0) SetAudioVolume(o.AudioVolume);
    if (o.AudioChannels > 0) ParseOption("ac", dec(o.AudioChannels));
    if (o.AudioSampleRate > 0) ParseOption("ar", dec(o.AudioSampleRate));
    if (o.AudioBitrate > 0) OptDefaultInt("ab", o.AudioBitrate);
    if (o.AudioBitRateTolerance > 0) OptDefaultInt("abt", o.AudioBitRateTolerance);
    if (!o.AudioLanguage.empty()) Faudio_language = o.AudioLanguage;
    SetAudioSyncMethod(o.AudioSyncMethod);
    if (!o.AudioTag.empty()) ParseOption("atag", o.AudioTag);
    if (o.DisableVideo) Fvideo_disable = true;
    if (!o.FrameRate.empty()) ParseOption("r", o.FrameRate);
    if (!o.FrameAspectRatio.empty()) ParseOption("aspect", o.FrameAspectRatio);
    if (o.CropTop > 0) ParseOption("croptop", dec(o.CropTop));
    if (o.CropBottom > 0) ParseOption("cropbottom", dec(o.CropBottom));
    if (o.CropLeft > 0) ParseOption("cropleft", dec(o.CropLeft));
    if (o.CropRight > 0) ParseOption("cropright", dec(o.CropRight));
    if (o.GroupPictureSize > 0) OptDefaultInt("g", o.GroupPictureSize);
    if (o.VideoBitrate > 0) OptDefaultInt("vb", o.VideoBitrate);
    if (o.VideoMaxRate > 0) OptDefaultInt("maxrate", o.VideoMaxRate);
    if (o.VideoMinRate > 0) OptDefaultInt("minrate", o.VideoMinRate);
    if (o.VideoBitRateTolerance > 0) OptDefaultInt("bt", o.VideoBitRateTolerance);
    if (o.VideoBufSize > 0) OptDefaultInt("bufsize", o.VideoBufSize);
    SetVideoSyncMethod(o.VideoSyncMethod);
    if (!o.VideoTag.empty()) ParseOption("vtag", o.VideoTag);
    if (!o.VideoLanguage.empty()) Fvideo_language = o.VideoLanguage;
    if (o.DisableSubtitle) Fsubtitle_disable = true;
    if (!o.SubtitleLanguage.empty()) Fsubtitle_language = o.SubtitleLanguage;
    Finput_sync = o.InputSync;
    if (o.CopyTimestamp) Fcopy_ts = true;
    if (o.TimeStart != OPTION_NO_TIME) SetStartTime(o.TimeStart);
    if (o.TimeLength != OPTION_NO_TIME) SetRecordingTime(o.TimeLength);
    const TStreamInfo& i = o.Info;
    if (i.TimeStamp == 0)
        Frecording_timestamp = LocalDateTimeToUnixTime(NowLocalDateTime());
    else if (i.TimeStamp > 0)
        Frecording_timestamp = LocalDateTimeToUnixTime(i.TimeStamp);
    if (i.Year > 0) AddMetadata("year", dec(i.Year));
    if (i.Track > 0) AddMetadata("track", dec(i.Track));
    if (!i.Title.empty()) AddMetadata("title", i.Title);
    if (!i.Author.empty()) AddMetadata("author", i.Author);
    if (!i.Copyright.empty()) AddMetadata("copyright", i.Copyright);
    if (!i.Comment.empty()) AddMetadata("comment", i.Comment);
    if (!i.Album.empty()) AddMetadata("album", i.Album);
    if (!i.Genre.empty()) AddMetadata("genre", i.Genre);
}

void TFFmpeg::ApplyOutputRecord(const TOutputOptions& AOptions, std::vector<TOptionLine>& ADefaults)
{
    BuildOutputDefaults(AOptions, ADefaults);
    ApplyTargetOptions(AOptions);
    ParseOption("acodec", ValueOf(ADefaults, "def_acodec"));
    ParseOption("vcodec", ValueOf(ADefaults, "def_vcodec"));
    ParseOption("scodec", ValueOf(ADefaults, "def_scodec"));
    ParseOption("apre", ValueOf(ADefaults, "def_apre"));
    ParseOption("vpre", ValueOf(ADefaults, "def_vpre"));
    ParseOption("spre", ValueOf(ADefaults, "def_spre"));
    ParseExtOptions(AOptions.ExtOptions, false);
    ApplyOutputOptions(AOptions);
    ParseOption("s", ValueOf(ADefaults, "def_s"));
    ParseOption("vf", ValueOf(ADefaults, "def_vf"));
}

void TFFmpeg::ReplayStreamOption(const std::string& AKey, std::vector<TOptionLine>& ADefaults)
{
    auto it = std::find_if(ADefaults.begin(), ADefaults.end(), [&](const TOptionLine& l) { return l.first == AKey; });
    if (it != ADefaults.end()) {
        std::string v = it->second;
        ADefaults.erase(it);
        ParseOption(AKey, v);
    } else {
        ParseOption(AKey, ValueOf(ADefaults, "def_" + AKey));
    }
}

void TFFmpeg::ReplayNewStreams(const TOutputOptions& AOptions, std::vector<TOptionLine>& ADefaults)
{
    for (auto& l : SplitOptionText(AOptions.ExtOptions)) {
        std::string key = LowerCase(l.first);
        if (key == "newaudio") {
            ReplayStreamOption("acodec", ADefaults);
            ReplayStreamOption("apre", ADefaults);
        } else if (key == "newvideo") {
            ReplayStreamOption("vcodec", ADefaults);
            ReplayStreamOption("vpre", ADefaults);
            ReplayStreamOption("s", ADefaults);
            ReplayStreamOption("vf", ADefaults);
        } else if (key == "newsubtitle") {
            ReplayStreamOption("scodec", ADefaults);
            ReplayStreamOption("spre", ADefaults);
        } else {
            continue;
        }
        ParseOption(key, l.second);
    }
}

void TFFmpeg::RunEnded()
{
    FrameHookRelease(FFirstHook);
    std::lock_guard<TCriticalSection> g(PostHookLock());
    FPreviewer.reset();
}

bool TFFmpeg::PaintPreview(void* ABitmap, int AFrameNumber, int64_t APTS)
{
    if (!ABitmap)
        return false;
    if (!FPreviewer)
        FPreviewer = std::make_unique<TPreviewer>();
    return FPreviewer->PaintFrameTaking(*static_cast<TBGRBitmap*>(ABitmap), AFrameNumber, APTS);
}

bool TFFmpeg::LendPreview(void* ABitmap)
{
    if (!ABitmap)
        return false;
    if (!FPreviewer)
        FPreviewer = std::make_unique<TPreviewer>();
    return FPreviewer->Lend(*static_cast<TBGRBitmap*>(ABitmap));
}

void TFFmpeg::ReleasePreview() { FPreviewer.reset(); }

TBitmap& TFFmpeg::HookBitmap()
{
    if (!FHookBitmap)
        FHookBitmap = std::make_unique<TBitmap>();
    return *FHookBitmap;
}

// ---- the task list ----------------------------------------------------------------------------
TFFmpegList::~TFFmpegList() { Clear(); }

int TFFmpegList::Add(TFFmpeg* ATask)
{
    std::lock_guard<std::mutex> g(FLock);
    FList.push_back(ATask);
    return (int)FList.size() - 1;
}

TFFmpeg* TFFmpegList::Items(int AIndex) const
{
    std::lock_guard<std::mutex> g(FLock);
    if (AIndex < 0 || AIndex >= (int)FList.size())
        throw EListError(Format("List index out of bounds (%d)", AIndex));
    return FList[size_t(AIndex)];
}

int TFFmpegList::IndexOf(const TObject* ATask) const
{
    std::lock_guard<std::mutex> g(FLock);
    for (size_t i = 0; i < FList.size(); i++)
        if (FList[i] == ATask)
            return (int)i;
    return -1;
}

int TFFmpegList::Count() const
{
    std::lock_guard<std::mutex> g(FLock);
    return (int)FList.size();
}

void TFFmpegList::Exchange(int AIndex1, int AIndex2)
{
    std::lock_guard<std::mutex> g(FLock);
    if (AIndex1 < 0 || AIndex1 >= (int)FList.size())
        throw EListError(Format("List index out of bounds (%d)", AIndex1));
    if (AIndex2 < 0 || AIndex2 >= (int)FList.size())
        throw EListError(Format("List index out of bounds (%d)", AIndex2));
    std::swap(FList[size_t(AIndex1)], FList[size_t(AIndex2)]);
}

void TFFmpegList::Delete(int AIndex)
{
    TFFmpeg* t = nullptr;
    {
        std::lock_guard<std::mutex> g(FLock);
        if (AIndex < 0 || AIndex >= (int)FList.size())
            throw EListError(Format("List index out of bounds (%d)", AIndex));
        t = FList[size_t(AIndex)];
        FList.erase(FList.begin() + AIndex);
    }
    delete t;
}

void TFFmpegList::Clear()
{
    std::vector<TFFmpeg*> old;
    {
        std::lock_guard<std::mutex> g(FLock);
        old.swap(FList);
    }
    for (TFFmpeg* t : old)
        delete t;
}

std::vector<TFFmpeg*> TFFmpegList::Snapshot() const
{
    std::lock_guard<std::mutex> g(FLock);
    return FList;
}

void TFFmpegList::PauseAll()
{
    for (TFFmpeg* t : Snapshot())
        t->Pause();
}

void TFFmpegList::ResumeAll()
{
    for (TFFmpeg* t : Snapshot())
        t->Resume();
}

void TFFmpegList::StopAll(bool AWaitFor, int AFirstUnstarted)
{
    auto list = Snapshot();
    // stop every running task first, so that they end side by side
    for (size_t i = 0; i < list.size() && (int)i < AFirstUnstarted; i++)
        list[i]->Stop(false);
    for (size_t i = 0; i < list.size(); i++) {
        if ((int)i < AFirstUnstarted)
            list[i]->Stop(AWaitFor);
        else
            list[i]->StopOrTerminate(AWaitFor);
    }
}

void TFFmpegList::SetPreview(bool AValue)
{
    TPostHookLockServing g;
    for (TFFmpeg* t : Snapshot()) {
        TPostHooks h = t->PostHooks();
        h = AValue ? TPostHooks(h | PostHookBit(phPreview)) : TPostHooks(h & ~PostHookBit(phPreview));
        t->SetPostHooks(h);
    }
}

void TFFmpegList::SetPreviewBitmap(bool AValue)
{
    TPostHookLockServing g;
    for (TFFmpeg* t : Snapshot()) {
        TPostHooks h = t->PostHooks();
        h = AValue ? TPostHooks(h | PostHookBit(phBitmap)) : TPostHooks(h & ~PostHookBit(phBitmap));
        t->SetPostHooks(h);
    }
}

// ---- the component ------------------------------------------------------------------------------
TCustomFFConverter::TCustomFFConverter(TComponent* AOwner)
    : TFFBaseComponent(AOwner), FAVProbe(std::make_unique<TAVProbe>(nullptr))
{
}

TCustomFFConverter::~TCustomFFConverter()
{
    // every task ends (and is reported) before the locks and the list go
    Stop(true);
    StopDeliveryThread();
    RemoveQueuedCalls(this);
    for (TCriticalSection* l : {&FHookLock, &FPreviewLock, &FProgressLock, &FTerminateLock}) {
        l->Enter();
        l->Leave();
    }
    FFFmpegList.Clear();
    FAVProbe.reset();
}

bool TCustomFFConverter::AVLibLoaded() const { return GlobalLoader().Loaded(ConverterLibraries); }

bool TCustomFFConverter::LoadAVLib(const std::string& APath)
{
    if (ComponentState() & csDesigning)
        return true;
    GlobalLoader().SetLibraryPath(APath);
    if (GlobalLoader().Load(ConverterLibraries))
        return true;
    SetError(GlobalLoader().LastErrMsg());
    return false;
}

void TCustomFFConverter::UnloadAVLib() { GlobalLoader().Unload(ConverterLibraries); }

std::string TCustomFFConverter::LastErrMsg() const
{
    std::lock_guard<std::mutex> g(FErrLock);
    return FLastErrMsg;
}

void TCustomFFConverter::SetError(const std::string& AMsg)
{
    std::lock_guard<std::mutex> g(FErrLock);
    FLastErrMsg = AMsg;
}

void TCustomFFConverter::SetTaskError(TFFmpeg* ATask, const std::string& AMsg)
{
    SetError(AMsg);
    ATask->NoteSetupFailure(AMsg);
}

void TCustomFFConverter::SetCustomMaxFiles(int v)
{
    if (v < 1 || v > MAX_ENGINE_FILES)
        throw EAssertionFailed("Assertion failure");
    FCustomMaxFiles = v;
}

void TCustomFFConverter::SetPreview(bool v)
{
    FFFmpegList.SetPreview(v);
    FPreview = v;
}

void TCustomFFConverter::SetPreviewBitmap(bool v)
{
    FFFmpegList.SetPreviewBitmap(v);
    FPreviewBitmap = v;
}

void TCustomFFConverter::CheckNotWorking(const std::string& AName)
{
    if (FWorking)
        throw Exception(Format("Cannot %s while working.", AName.c_str()));
}

TFFmpeg* TCustomFFConverter::FetchTask(int ATaskIndex) { return FFFmpegList.Items(ATaskIndex); }

void TCustomFFConverter::BindTask(TFFmpeg* ATask)
{
    ATask->OnProgress = [this](TObject* Sender, int AFileIndex, int AFrameNumber, int AFPS, float AQuality,
                               float ABitRate, int64_t ACurrentSize, int64_t ACurrentDuration,
                               int64_t ATotalDuration) {
        DoProgress(Sender, AFileIndex, AFrameNumber, AFPS, AQuality, ABitRate, ACurrentSize, ACurrentDuration,
                   ATotalDuration);
    };
    ATask->OnTerminate = [this](TObject* Sender) {
        // the run is over: its hook chain and preview window go with it
        if (auto* t = dynamic_cast<TFFmpeg*>(Sender))
            t->RunEnded();
        DoTerminate(Sender);
    };
}

bool TCustomFFConverter::OpenInput(TFFmpeg* ATask, const std::string& AFileName, TInputOptions* AOptions)
{
    const int n = ATask->nb_input_files();
    if (AOptions) {
        if (AOptions->FileName.empty())
            AOptions->FileName = AFileName;
        ATask->SetInputOptions(n, *AOptions);
        ATask->ApplyInputOptions(*AOptions);
    } else {
        ATask->ClearInputOptions(n);
    }
    if (!ATask->OpenInputFile(AFileName)) {
        ATask->ClearInputOptions(n);
        SetTaskError(ATask, ATask->LastErrMsg());
        return false;
    }
    const int k = ATask->nb_input_files() - 1;
    ATask->GetAVProbe(k)->SetFileHandle(ATask->InputFile(k));
    return true;
}

int TCustomFFConverter::AddTask(const std::string& AFileName, TInputOptions* AOptions)
{
    CheckNotWorking("AddTask");
    std::unique_ptr<TFFmpeg> task;
    try {
        task = std::make_unique<TFFmpeg>(FCustomMaxFiles);
        task->Reset();
        task->Fverbose = FVerbose;
        {
            TPostHookLockServing g;
            TPostHooks h = task->PostHooks();
            h = FPreview ? TPostHooks(h | PostHookBit(phPreview)) : TPostHooks(h & ~PostHookBit(phPreview));
            h = FPreviewBitmap ? TPostHooks(h | PostHookBit(phBitmap)) : TPostHooks(h & ~PostHookBit(phBitmap));
            task->SetPostHooks(h);
        }
        task->OnPreviewBitmap = [this](TObject* Sender, void* ABitmap, int AFrameNumber, int64_t APTS) {
            DoPreviewBitmap(Sender, ABitmap, AFrameNumber, APTS);
        };
        if (!OpenInput(task.get(), AFileName, AOptions))
            return -1;
        BindTask(task.get());
        return FFFmpegList.Add(task.release());
    } catch (const std::exception& e) {
        SetError(e.what());
        return -1;
    }
}

int TCustomFFConverter::AddTask(const std::string& AFileName, const std::string& AExtOptions)
{
    TInputOptions o = InputOptionsFromText(AExtOptions);
    return AddTask(AFileName, &o);
}

int TCustomFFConverter::AddTask(TStream* AStream, const std::string& APrivateData, TInputOptions* AOptions)
{
    return AddTask(Format("stream:%lld:%s", (long long)(intptr_t)AStream, APrivateData.c_str()), AOptions);
}

bool TCustomFFConverter::AddInputFile(int ATaskIndex, const std::string& AFileName, TInputOptions* AOptions)
{
    CheckNotWorking("AddInputFile");
    TFFmpeg* task = FetchTask(ATaskIndex);
    if (task->nb_input_files() >= task->MaxFiles()) {
        SetTaskError(task, Format("max input files %d reached", task->MaxFiles()));
        return false;
    }
    try {
        return OpenInput(task, AFileName, AOptions);
    } catch (const std::exception& e) {
        task->ClearInputOptions(task->nb_input_files());
        SetTaskError(task, e.what());
        return false;
    }
}

bool TCustomFFConverter::AddInputFile(int ATaskIndex, const std::string& AFileName, const std::string& AExtOptions)
{
    TInputOptions o = InputOptionsFromText(AExtOptions);
    return AddInputFile(ATaskIndex, AFileName, &o);
}

bool TCustomFFConverter::SetOutputFile(int ATaskIndex, const std::string& AFileName, TOutputOptions* AOptions)
{
    CheckNotWorking("SetOutputFile");
    TFFmpeg* task = FetchTask(ATaskIndex);
    if (task->nb_output_files() >= task->MaxFiles()) {
        SetTaskError(task, Format("max output files %d reached", task->MaxFiles()));
        return false;
    }
    const int n = task->nb_output_files();
    try {
        std::vector<TOptionLine> defaults;
        bool join = false;
        if (AOptions) {
            if (AOptions->FileName.empty())
                AOptions->FileName = AFileName;
            task->SetOutputOptions(n, *AOptions);
            task->ApplyOutputRecord(*AOptions, defaults);
            if (AOptions->CustomHook) {
                task->OnCustomHook = [this](TObject* Sender, void* ABitmap, int AFrameNumber, int64_t APTS,
                                            bool& AUpdate, bool& AStopHook) {
                    DoCustomHook(Sender, ABitmap, AFrameNumber, APTS, AUpdate, AStopHook);
                };
                task->CustomHookWanted = [this] { return bool(OnCustomHook); };
            }
            join = AOptions->Join;
        } else {
            task->ClearOutputOptions(n);
        }
        if (task->OpenOutputFile(AFileName, join) < 0) {
            SetTaskError(task, task->LastErrMsg());
            task->ClearOutputOptions(n);
            return false;
        }
        if (AOptions)
            task->ReplayNewStreams(*AOptions, defaults);
        return true;
    } catch (const std::exception& e) {
        SetTaskError(task, e.what());
        return false;
    }
}

bool TCustomFFConverter::SetOutputFile(int ATaskIndex, const std::string& AFileName, const std::string& AExtOptions)
{
    TOutputOptions o = OutputOptionsFromText(AExtOptions);
    return SetOutputFile(ATaskIndex, AFileName, &o);
}

bool TCustomFFConverter::SetOutputStream(int ATaskIndex, TStream* AStream, const std::string& APrivateData,
                                         TOutputOptions* AOptions)
{
    return SetOutputFile(ATaskIndex, Format("stream:%lld:%s", (long long)(intptr_t)AStream, APrivateData.c_str()),
                         AOptions);
}

void TCustomFFConverter::ClearTasks()
{
    if (FWorking && !FTerminated)
        throw Exception("Cannot ClearTasks while working.");
    FFFmpegList.Clear();
    {
        std::lock_guard<TCriticalSection> g(FPreviewLock);
        for (auto& p : FPendingPreviews)
            p.Full = false;
    }
    SetError("");
    std::lock_guard<TCriticalSection> g(FTerminateLock);
    FCompleteTasks = 0;
    FCurrentTask = -1;
    FPendingTasks = 0;
    FTerminated = false;
    FThreadMode = false;
    FWorking = false;
}

void TCustomFFConverter::RemoveTask(int ATaskIndex)
{
    CheckNotWorking("RemoveTask");
    FFFmpegList.Delete(ATaskIndex);
}

void TCustomFFConverter::Exchange(int ATaskIndex1, int ATaskIndex2)
{
    CheckNotWorking("Exchange");
    FFFmpegList.Exchange(ATaskIndex1, ATaskIndex2);
}

TAVProbe* TCustomFFConverter::GetTaskAVProbe(int ATaskIndex, int AFileIndex)
{
    return FetchTask(ATaskIndex)->AVProbe(AFileIndex);
}

// ---- batch ---------------------------------------------------------------------------------------
TFFmpeg* TCustomFFConverter::ClaimNextTask()
{
    std::lock_guard<TCriticalSection> g(FTerminateLock);
    if (FPendingTasks <= 0)
        return nullptr;
    FPendingTasks--;
    TFFmpeg* t = FFFmpegList.Items(FCurrentTask++);
    t->Fthread_count = CodecThreadShare(sys::ProcessorCount(), FWorkers, TasksCount() - FCompleteTasks);
    return t;
}

void TCustomFFConverter::RunTask(TFFmpeg* ATask)
{
    ATask->Fverbose = FVerbose;
    ATask->ReportInterval = int64_t(FProgressInterval) * 1000;
    // the run frees the inputs the probes show
    ATask->DetachProbes();
    // an engine that has already reported its end (stopped before the batch)
    // refuses to start without a word: it still counts as ended
    const bool reported = ATask->Terminated();
    if (FThreadMode) {
        TThread* th = ATask->StartConvert(true, FThreadPriority);
        if (th) {
            // a task that starts while the batch is paused waits for Resume
            if (FPaused)
                ATask->Pause();
            th->Start();
        } else if (reported) {
            DoTerminate(ATask);
        }
    } else {
        ATask->StartConvert(false, FThreadPriority);
        if (reported)
            DoTerminate(ATask);
    }
}

void TCustomFFConverter::StartNextTask()
{
    std::lock_guard<TCriticalSection> g(FTerminateLock);
    if (TFFmpeg* t = ClaimNextTask())
        RunTask(t);
}

void TCustomFFConverter::Start(int AThreadCount)
{
    CheckNotWorking("StartTask");
    {
        std::lock_guard<TCriticalSection> g(FTerminateLock);
        FCompleteTasks = 0;
        FCurrentTask = 0;
        FPendingTasks = TasksCount();
        FTerminated = false;
        FThreadMode = AThreadCount > 0;
        FWorkers = FThreadMode ? AThreadCount : 1;
        FStopRequested = false;
        FPaused = false;
        FInStart = !FThreadMode;
        FWorking = true;
    }
    if (FThreadMode) {
        StartDeliveryThread();
        // one lock with the ends of tasks: no task starts twice, none is left out
        std::lock_guard<TCriticalSection> g(FTerminateLock);
        if (TasksCount() == 0) {
            DoAllTerminated();
            return;
        }
        int n = AThreadCount;
        while (FPendingTasks > 0) {
            StartNextTask();
            if (--n <= 0)
                break;
        }
        return;
    }
    while (TFFmpeg* t = ClaimNextTask())
        RunTask(t);
    // tasks that a stop ended before they ran report from their own threads
    for (;;) {
        {
            std::lock_guard<TCriticalSection> g(FTerminateLock);
            if (FCompleteTasks >= TasksCount()) {
                FInStart = false;
                break;
            }
        }
        if (IsMainThread())
            CheckSynchronize(5);
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    TTerminateEvent handler;
    TTerminateInfo info;
    {
        std::lock_guard<TCriticalSection> g(FTerminateLock);
        if (FTerminated)
            return;
        FTerminated = true;
        info.TaskIndex = -1;
        info.Finished = true;
        FTerminateInfo = info;
        handler = OnTerminate;
    }
    if (handler)
        handler(this, info);
}

void TCustomFFConverter::Pause()
{
    std::lock_guard<TCriticalSection> g(FTerminateLock);
    // only conversion threads pause: a task run inside Start is not held
    // (from its own handler nothing could resume it)
    if (!FWorking || !FThreadMode)
        return;
    FPaused = true;
    FFFmpegList.PauseAll();
}

void TCustomFFConverter::Resume()
{
    std::lock_guard<TCriticalSection> g(FTerminateLock);
    FPaused = false;
    FFFmpegList.ResumeAll();
}

void TCustomFFConverter::Stop(bool AWaitFor)
{
    if (!FWorking)
        return;
    int firstUnstarted = 0;
    {
        std::lock_guard<TCriticalSection> g(FTerminateLock);
        FPendingTasks = 0;
        FStopRequested = true;
        firstUnstarted = std::max(0, FCurrentTask);
    }
    // a progress handler on the GUI thread holds up the conversion thread that
    // reported it: stopping from there cannot wait for that thread
    if (IsMainThread() && FInRelayedProgress > 0)
        AWaitFor = false;
    // likewise a handler on a conversion thread: the other tasks may wait for
    // the relay lock it holds
    if (tlsInTaskHandler > 0)
        AWaitFor = false;
    FFFmpegList.StopAll(AWaitFor, firstUnstarted);
    if (AWaitFor)
        WaitForDeliveries();
}

void TCustomFFConverter::DoTerminate(TObject* Sender)
{
    if (!Sender) {
        std::lock_guard<TCriticalSection> g(FTerminateLock);
        DoAllTerminated();
        return;
    }
    auto* task = static_cast<TCustomFFmpeg*>(Sender);
    TTerminateInfo info;
    info.TaskIndex = FFFmpegList.IndexOf(Sender);
    info.Finished = task->Finished();
    info.Exception = task->FatalException();
    info.ExceptionMsg = task->FatalMessage();
    if (FThreadMode) {
        // events go out through one serial queue, in the order they happened
        std::lock_guard<TCriticalSection> g(FTerminateLock);
        if (OnTerminate)
            Deliver(info);
        FCompleteTasks++;
        if (FPendingTasks >= 1)
            StartNextTask();
        else if (FCompleteTasks >= TasksCount())
            DoAllTerminated();
        return;
    }
    // one after another inside Start: the handler runs on the thread that
    // ended the task, without the lock (it may stop the batch)
    TTerminateEvent handler;
    {
        std::lock_guard<TCriticalSection> g(FTerminateLock);
        FTerminateInfo = info;
        handler = OnTerminate;
    }
    // a handler that raises still leaves the task counted as ended, as the
    // delivery thread does in thread mode
    try {
        if (handler)
            handler(this, info);
    } catch (const std::exception& e) {
        GetFFLogger()->Log(this, llError, std::string("OnTerminate: ") + e.what());
    } catch (...) {
        GetFFLogger()->Log(this, llError, "OnTerminate: unknown exception");
    }
    std::lock_guard<TCriticalSection> g(FTerminateLock);
    FCompleteTasks++;
    if (!FInStart && FPendingTasks < 1 && FCompleteTasks >= TasksCount())
        DoAllTerminated();
}

// Under FTerminateLock.
void TCustomFFConverter::DoAllTerminated()
{
    if (FTerminated)
        return;
    FTerminated = true;
    TTerminateInfo info;
    info.TaskIndex = -1;
    info.Finished = true;
    if (OnTerminate)
        Deliver(info);
}

void TCustomFFConverter::Deliver(const TTerminateInfo& AInfo)
{
    FTerminateInfo = AInfo;
    if (!FThreadMode) {
        if (OnTerminate)
            OnTerminate(this, AInfo);
        return;
    }
    // the delivery thread was started by Start
    std::lock_guard<std::mutex> g(FQueueLock);
    FQueue.emplace_back(OnTerminate, AInfo);
    FQueueCond.notify_all();
}

void TCustomFFConverter::StartDeliveryThread()
{
    std::lock_guard<std::mutex> g(FQueueLock);
    if (FQueueThread.joinable())
        return;
    FQueueQuit = false;
    FQueueThread = std::thread([this] { DeliveryLoop(); });
}

void TCustomFFConverter::DeliveryLoop()
{
    std::unique_lock<std::mutex> g(FQueueLock);
    for (;;) {
        FQueueCond.wait(g, [this] { return FQueueQuit || !FQueue.empty(); });
        if (FQueue.empty())
            return;
        auto item = std::move(FQueue.front());
        FQueue.pop_front();
        FQueueBusy = true;
        g.unlock();
        try {
            if (item.first)
                item.first(this, item.second);
        } catch (const std::exception& e) {
            GetFFLogger()->Log(this, llError, std::string("OnTerminate: ") + e.what());
        } catch (...) {
        }
        g.lock();
        FQueueBusy = false;
        FQueueCond.notify_all();
    }
}

void TCustomFFConverter::WaitForDeliveries()
{
    // a handler of the queue or of a task's own thread cannot wait for itself
    if (std::this_thread::get_id() == FQueueThread.get_id() || OnClassLibraryThread())
        return;
    for (;;) {
        {
            std::lock_guard<std::mutex> g(FQueueLock);
            if (FQueue.empty() && !FQueueBusy && (FTerminated || !FWorking || !FThreadMode))
                return;
        }
        if (IsMainThread())
            CheckSynchronize(5);
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

void TCustomFFConverter::StopDeliveryThread()
{
    if (!FQueueThread.joinable())
        return;
    if (std::this_thread::get_id() == FQueueThread.get_id()) {
        // destroyed by one of its own handlers: the loop ends after it
        {
            std::lock_guard<std::mutex> g(FQueueLock);
            FQueueQuit = true;
            FQueue.clear();
        }
        FQueueThread.detach();
        return;
    }
    // events already queued are delivered first
    for (;;) {
        {
            std::lock_guard<std::mutex> g(FQueueLock);
            if (FQueue.empty() && !FQueueBusy) {
                FQueueQuit = true;
                FQueueCond.notify_all();
                break;
            }
        }
        if (IsMainThread())
            CheckSynchronize(5);
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    FQueueThread.join();
}

// ---- relays ---------------------------------------------------------------------------------------
void TCustomFFConverter::CallProgress()
{
    if (OnProgress)
        OnProgress(this, &FProgressInfo);
}

void TCustomFFConverter::DoProgress(TObject* Sender, int AFileIndex, int AFrameNumber, int AFPS, float AQuality,
                                    float ABitRate, int64_t ACurrentSize, int64_t ACurrentDuration,
                                    int64_t ATotalDuration)
{
    // a stop that came while the task was being started
    if (FStopRequested)
        static_cast<TCustomFFmpeg*>(Sender)->Stop(false);
    if (!OnProgress)
        return;
    TProgressInfo info;
    info.TaskIndex = FFFmpegList.IndexOf(Sender);
    info.FileIndex = AFileIndex;
    info.FrameNumber = AFrameNumber;
    info.FPS = AFPS;
    info.Quality = AQuality;
    info.BitRate = ABitRate;
    info.CurrentSize = ACurrentSize;
    info.CurrentDuration = ACurrentDuration;
    info.TotalDuration = ATotalDuration;
    if (FTriggerEventInMainThread && !IsMainThread()) {
        // the conversion thread waits for the GUI thread holding no lock;
        // the GUI thread runs one handler at a time
        CallInMainThread([this, info] {
            std::lock_guard<TCriticalSection> g(FProgressLock);
            FProgressInfo = info;
            FInRelayedProgress++;
            try {
                CallProgress();
            } catch (...) {
                FInRelayedProgress--;
                throw;
            }
            FInRelayedProgress--;
        });
        return;
    }
    std::lock_guard<TCriticalSection> g(FProgressLock);
    TTaskHandlerScope scope;
    FProgressInfo = info;
    CallProgress();
}

void TCustomFFConverter::CallPreviewBitmap()
{
    if (OnPreviewBitmap)
        OnPreviewBitmap(this, FPreviewInfo);
}

// Runs with PostHookLock held by the conversion thread (all post hooks do):
// either the handler is called right here, or the frame is copied and the
// GUI thread is asked to deliver it later, without waiting for it.
void TCustomFFConverter::DoPreviewBitmap(TObject* Sender, void* ABitmap, int AFrameNumber, int64_t APTS)
{
    if (!OnPreviewBitmap || !ABitmap)
        return;
    const TBGRBitmap& bmp = *static_cast<TBGRBitmap*>(ABitmap);
    if (!FTriggerEventInMainThread || IsMainThread()) {
        std::lock_guard<TCriticalSection> g(FPreviewLock);
        if (!FPreviewBmp)
            FPreviewBmp = std::make_unique<TBitmap>();
        BGRBitmapToBitmap(bmp, *FPreviewBmp);
        FPreviewInfo.TaskIndex = FFFmpegList.IndexOf(Sender);
        FPreviewInfo.Bitmap = FPreviewBmp.get();
        FPreviewInfo.FrameNumber = AFrameNumber;
        FPreviewInfo.PTS = APTS;
        TTaskHandlerScope scope;
        CallPreviewBitmap();
        return;
    }
    bool queue = false;
    {
        std::lock_guard<TCriticalSection> g(FPreviewLock);
        // one slot per task: a newer frame replaces one not delivered yet
        TPendingPreview* slot = nullptr;
        for (auto& p : FPendingPreviews)
            if (p.Full && p.Task == Sender)
                slot = &p;
        for (size_t i = 0; !slot && i < FPendingPreviews.size(); i++)
            if (!FPendingPreviews[i].Full)
                slot = &FPendingPreviews[i];
        if (!slot) {
            FPendingPreviews.emplace_back();
            slot = &FPendingPreviews.back();
        }
        slot->Task = Sender;
        slot->Bitmap.Width = bmp.Width;
        slot->Bitmap.Height = bmp.Height;
        slot->Bitmap.Bits.assign(bmp.Bits.begin(), bmp.Bits.end());
        slot->FrameNumber = AFrameNumber;
        slot->PTS = APTS;
        slot->Full = true;
        if (!FPreviewQueued)
            queue = FPreviewQueued = true;
    }
    if (queue)
        RunOnMainThread([this] { DeliverPreviews(); }, false, this);
}

// GUI thread: hands every waiting frame to OnPreviewBitmap, no lock held
// while the handler runs.
void TCustomFFConverter::DeliverPreviews()
{
    for (;;) {
        const TObject* task = nullptr;
        int frame = 0;
        int64_t pts = 0;
        {
            std::lock_guard<TCriticalSection> g(FPreviewLock);
            TPendingPreview* slot = nullptr;
            for (auto& p : FPendingPreviews)
                if (p.Full) {
                    slot = &p;
                    break;
                }
            if (!slot) {
                FPreviewQueued = false;
                return;
            }
            std::swap(FDelivering, slot->Bitmap);
            slot->Full = false;
            task = slot->Task;
            frame = slot->FrameNumber;
            pts = slot->PTS;
        }
        int index = FFFmpegList.IndexOf(task);
        if (index < 0 || !OnPreviewBitmap)
            continue;
        if (!FMainPreviewBmp)
            FMainPreviewBmp = std::make_unique<TBitmap>();
        BGRBitmapToBitmap(FDelivering, *FMainPreviewBmp);
        FPreviewInfo.TaskIndex = index;
        FPreviewInfo.Bitmap = FMainPreviewBmp.get();
        FPreviewInfo.FrameNumber = frame;
        FPreviewInfo.PTS = pts;
        try {
            CallPreviewBitmap();
        } catch (...) {
            // the handler's error goes on to the GUI loop; later frames are
            // handed over again rather than waiting for this delivery
            std::lock_guard<TCriticalSection> g(FPreviewLock);
            FPreviewQueued = false;
            throw;
        }
    }
}

void TCustomFFConverter::DoCustomHook(TObject* Sender, void* ABitmap, int AFrameNumber, int64_t APTS,
                                      bool& AUpdate, bool& AStopHook)
{
    if (!OnCustomHook || !ABitmap) {
        // nobody looked at the picture: the frame stays as decoded rather
        // than going back through RGB
        AUpdate = false;
        return;
    }
    TBGRBitmap& bmp = *static_cast<TBGRBitmap*>(ABitmap);
    // The picture is copied in and out of the task's own bitmap outside the
    // lock: only the handler calls are serialised, not the tasks' copying.
    auto* task = dynamic_cast<TFFmpeg*>(Sender);
    std::unique_ptr<TBitmap> own;
    TBitmap& b = task ? task->HookBitmap() : *(own = std::make_unique<TBitmap>());
    BGRBitmapToBitmap(bmp, b);
    {
        std::lock_guard<TCriticalSection> g(FHookLock);
        FHookInfo.TaskIndex = FFFmpegList.IndexOf(Sender);
        FHookInfo.Bitmap = &b;
        FHookInfo.FrameNumber = AFrameNumber;
        FHookInfo.PTS = APTS;
        FHookInfo.Update = AUpdate;
        FHookInfo.StopHook = AStopHook;
        TCanvas* canvas = b.Canvas();
        canvas->Lock();
        try {
            TTaskHandlerScope scope;
            OnCustomHook(this, &FHookInfo);
        } catch (...) {
            canvas->Unlock();
            throw;
        }
        canvas->Unlock();
        AUpdate = FHookInfo.Update;
        AStopHook = FHookInfo.StopHook;
        FHookInfo.Bitmap = nullptr;
    }
    if (AUpdate) {
        // The handler's picture goes back into the frame's bitmap. A picture
        // the handler left as it was keeps the frame exactly as decoded: the
        // way back through RGB would only cost time and lose precision.
        if (b.GetPixelFormat() != pf24bit)
            b.SetPixelFormat(pf24bit);
        const int h = std::min(bmp.Height, b.GetHeight());
        const size_t row = size_t(std::min(bmp.Width, b.GetWidth())) * 3;
        bool changed = b.GetWidth() != bmp.Width || b.GetHeight() != bmp.Height;
        for (int y = 0; y < h; y++) {
            const void* from = b.ScanLine(y);
            if (std::memcmp(bmp.ScanLine(y), from, row) != 0) {
                changed = true;
                std::memcpy(bmp.ScanLine(y), from, row);
            }
        }
        AUpdate = changed;
    }
}
