// The conversion component: a list of conversion tasks (one engine each) that
// runs one after another inside Start or on up to AThreadCount conversion
// threads at once, and reports progress, preview frames, custom-hook frames,
// the end of every task and, last, the end of the batch (task index -1).
#pragma once
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Src/AVProbe.h"
#include "Src/FFBaseComponent.h"
#include "Src/FFUtils.h"
#include "Src/FFmpeg.h"
#include "Src/FrameHook.h"
#include "Src/TaskOptions.h"
#include "platform/core/Sync.h"

class TBitmap;
class TPreviewer;
class TStream;

struct TProgressInfo
{
    int TaskIndex = 0;
    int FileIndex = 0;
    int FrameNumber = 0;
    int FPS = 0;
    float Quality = 0;
    float BitRate = 0;
    std::int64_t CurrentSize = 0;
    std::int64_t CurrentDuration = 0;
    std::int64_t TotalDuration = 0;
};
using PProgressInfo = TProgressInfo*;

struct TTerminateInfo
{
    int TaskIndex = 0;  // -1: the whole batch has ended
    bool Finished = false;
    bool Exception = false;
    std::string ExceptionMsg;
};

struct THookInfo
{
    int TaskIndex = 0;
    TBitmap* Bitmap = nullptr;
    int FrameNumber = 0;
    std::int64_t PTS = 0;
    bool Update = false;    // in/out: the bitmap goes back into the frame
    bool StopHook = false;  // in/out: no more hook calls in this run
};
using PHookInfo = THookInfo*;

struct TPreviewInfo
{
    int TaskIndex = 0;
    TBitmap* Bitmap = nullptr;
    int FrameNumber = 0;
    std::int64_t PTS = 0;
};

namespace FFConverter {
using TProgressEvent = std::function<void(TObject* Sender, PProgressInfo AProgressInfo)>;
using TCustomHookEvent = std::function<void(TObject* Sender, PHookInfo AHookInfo)>;
using TPreviewBitmapEvent = std::function<void(TObject* Sender, const TPreviewInfo& APreviewInfo)>;
}  // namespace FFConverter
using TTerminateEvent = std::function<void(TObject* Sender, const TTerminateInfo& ATerminateInfo)>;

// The codec threads a task gets when it starts: its share of ACores among the
// tasks that will run at once (the smaller of AWorkers and the AUnfinished
// tasks of the batch, itself among them), rounded to the nearest, at least 1.
int CodecThreadShare(int ACores, int AWorkers, int AUnfinished);

// One task: an engine with its stored option records and one probe per input.
class TFFmpeg : public TCustomFFmpeg
{
public:
    explicit TFFmpeg(int AMaxFiles);
    ~TFFmpeg() override;

    // The probe of an input, created on first use.
    TAVProbe* GetAVProbe(int AIndex);
    // The probe of an input, or nullptr when there is none.
    TAVProbe* AVProbe(int AIndex) const;
    // Lets every probe go of the input it shows (the run frees the inputs).
    void DetachProbes();

    // Stored copies of the records, by input or output number.
    void SetInputOptions(int AIndex, const TInputOptions& AOptions);
    void SetOutputOptions(int AIndex, const TOutputOptions& AOptions);
    void ClearInputOptions(int AIndex);
    void ClearOutputOptions(int AIndex);
    const TInputOptions* InputOptions(int AIndex) const;
    const TOutputOptions* OutputOptions(int AIndex) const;

    // An option text into the engine; codec and size keys only with AWithCodecs.
    void ParseExtOptions(const std::string& AText, bool AWithCodecs);

    // The input record's settings (before the input is opened).
    void ApplyInputOptions(const TInputOptions& AOptions);
    // The output record's settings (before the output is opened), in their
    // fixed order; ADefaults receives the codec, preset, size and filter
    // lines that the stream replays take after the open.
    void ApplyOutputRecord(const TOutputOptions& AOptions, std::vector<TOptionLine>& ADefaults);
    void BuildOutputDefaults(const TOutputOptions& AOptions, std::vector<TOptionLine>& ADefaults);
    void ApplyTargetOptions(const TOutputOptions& AOptions);
    void ApplyOutputOptions(const TOutputOptions& AOptions);
    void ReplayNewStreams(const TOutputOptions& AOptions, std::vector<TOptionLine>& ADefaults);
    void ReplayStreamOption(const std::string& AKey, std::vector<TOptionLine>& ADefaults);

    // The end of a run: the frame-hook chain and the preview window go.
    void RunEnded();
    PFrameHookEntry FrameHooks() const { return FFirstHook; }
    // The bitmap the custom-hook handler sees for this task (its conversion
    // thread only), kept from frame to frame.
    TBitmap& HookBitmap();

protected:
    bool PaintPreview(void* ABitmap, int AFrameNumber, int64_t APTS) override;
    bool LendPreview(void* ABitmap) override;
    void ReleasePreview() override;

private:
    void WaitForEnd();
    std::vector<std::unique_ptr<TAVProbe>> FAVProbes;
    std::vector<std::unique_ptr<TInputOptions>> FInputOptions;
    std::vector<std::unique_ptr<TOutputOptions>> FOutputOptions;
    PFrameHookEntry FFirstHook = nullptr;
    std::unique_ptr<TPreviewer> FPreviewer;  // under PostHookLock
    std::unique_ptr<TBitmap> FHookBitmap;
};

// The owning list of tasks.
class TFFmpegList
{
public:
    TFFmpegList() = default;
    ~TFFmpegList();
    TFFmpegList(const TFFmpegList&) = delete;
    TFFmpegList& operator=(const TFFmpegList&) = delete;

    int Add(TFFmpeg* ATask);
    // A bad index raises EListError.
    TFFmpeg* Items(int AIndex) const;
    int IndexOf(const TObject* ATask) const;
    int Count() const;
    void Exchange(int AIndex1, int AIndex2);
    void Delete(int AIndex);
    void Clear();

    void PauseAll();
    void ResumeAll();
    // Stops the tasks that run or ran; tasks from AFirstUnstarted on have
    // never started and report their end through their engines.
    void StopAll(bool AWaitFor, int AFirstUnstarted = 0);
    void SetPreview(bool AValue);
    void SetPreviewBitmap(bool AValue);

private:
    std::vector<TFFmpeg*> Snapshot() const;
    mutable std::mutex FLock;
    std::vector<TFFmpeg*> FList;
};

class TCustomFFConverter : public TFFBaseComponent
{
public:
    explicit TCustomFFConverter(TComponent* AOwner = nullptr);
    ~TCustomFFConverter() override;

    // Libraries: every library of the conversion set.
    bool AVLibLoaded() const;
    bool LoadAVLib(const std::string& APath);
    void UnloadAVLib();

    // Tasks. Each returns -1 or false with LastErrMsg on failure; while the
    // component is working they raise "Cannot %s while working.".
    int AddTask(const std::string& AFileName, TInputOptions* AOptions = nullptr);
    int AddTask(const std::string& AFileName, const std::string& AExtOptions);
    int AddTask(TStream* AStream, const std::string& APrivateData, TInputOptions* AOptions = nullptr);
    bool AddInputFile(int ATaskIndex, const std::string& AFileName, TInputOptions* AOptions = nullptr);
    bool AddInputFile(int ATaskIndex, const std::string& AFileName, const std::string& AExtOptions);
    bool SetOutputFile(int ATaskIndex, const std::string& AFileName, TOutputOptions* AOptions = nullptr);
    bool SetOutputFile(int ATaskIndex, const std::string& AFileName, const std::string& AExtOptions);
    bool SetOutputStream(int ATaskIndex, TStream* AStream, const std::string& APrivateData,
                         TOutputOptions* AOptions = nullptr);
    void ClearTasks();
    void RemoveTask(int ATaskIndex);
    void Exchange(int ATaskIndex1, int ATaskIndex2);
    TAVProbe* GetTaskAVProbe(int ATaskIndex, int AFileIndex);
    int TasksCount() const { return FFFmpegList.Count(); }
    // The task at an index (tests and owners that need the engine itself).
    TFFmpeg* Task(int ATaskIndex) const { return FFFmpegList.Items(ATaskIndex); }

    // Batch control. AThreadCount <= 0: every task runs inside the call, one
    // after another; otherwise up to AThreadCount tasks run at once. Each task
    // gives its codecs its share of the processors when it starts
    // (CodecThreadShare), and keeps it to its end.
    void Start(int AThreadCount);
    void Pause();
    void Resume();
    // Drops the tasks not started yet and stops the running ones; with
    // AWaitFor it returns once every task and the end of the batch have been
    // reported (serving the GUI thread's calls meanwhile when called there).
    void Stop(bool AWaitFor);

    // Properties.
    std::string About() const { return FAbout; }
    void SetAbout(const std::string& v) { FAbout = v; }
    std::string Version() const { return "3.3"; }
    TAVProbe* AVProbe() const { return FAVProbe.get(); }
    std::string LastErrMsg() const;
    int CustomMaxFiles() const { return FCustomMaxFiles; }
    void SetCustomMaxFiles(int v);
    bool Preview() const { return FPreview; }
    void SetPreview(bool v);
    bool PreviewBitmap() const { return FPreviewBitmap; }
    void SetPreviewBitmap(bool v);
    int ProgressInterval() const { return FProgressInterval; }
    void SetProgressInterval(int v) { FProgressInterval = v < 100 ? 100 : v; }
    bool Terminated() const { return FTerminated; }
    TThreadPriority ThreadPriority() const { return FThreadPriority; }
    void SetThreadPriority(TThreadPriority v) { FThreadPriority = v; }
    bool TriggerEventInMainThread() const { return FTriggerEventInMainThread; }
    void SetTriggerEventInMainThread(bool v) { FTriggerEventInMainThread = v; }
    void* UserData() const { return FData; }
    void SetUserData(void* v) { FData = v; }
    int Verbose() const { return FVerbose; }
    void SetVerbose(int v) { FVerbose = v; }
    bool Working() const { return FWorking; }

    FFConverter::TCustomHookEvent OnCustomHook;
    FFConverter::TPreviewBitmapEvent OnPreviewBitmap;
    FFConverter::TProgressEvent OnProgress;
    TTerminateEvent OnTerminate;

    // Relays of the engines' callbacks.
    virtual void DoCustomHook(TObject* Sender, void* ABitmap, int AFrameNumber, int64_t APTS, bool& AUpdate,
                              bool& AStopHook);
    virtual void DoPreviewBitmap(TObject* Sender, void* ABitmap, int AFrameNumber, int64_t APTS);
    virtual void DoProgress(TObject* Sender, int AFileIndex, int AFrameNumber, int AFPS, float AQuality,
                            float ABitRate, int64_t ACurrentSize, int64_t ACurrentDuration,
                            int64_t ATotalDuration);
    virtual void DoTerminate(TObject* Sender);

protected:
    void CheckNotWorking(const std::string& AName);
    void StartNextTask();
    void DoAllTerminated();
    void Deliver(const TTerminateInfo& AInfo);
    void CallProgress();
    void CallPreviewBitmap();
    void DeliverPreviews();
    void SetError(const std::string& AMsg);
    // A failed set-up step of a task: LastErrMsg, and the task keeps it as
    // the reason its terminate event gives when it cannot run.
    void SetTaskError(TFFmpeg* ATask, const std::string& AMsg);

private:
    TFFmpeg* FetchTask(int ATaskIndex);
    void BindTask(TFFmpeg* ATask);
    bool OpenInput(TFFmpeg* ATask, const std::string& AFileName, TInputOptions* AOptions);
    // Claims the next task under FTerminateLock; nullptr when none is pending.
    TFFmpeg* ClaimNextTask();
    void RunTask(TFFmpeg* ATask);
    void WaitForDeliveries();
    void StartDeliveryThread();
    void StopDeliveryThread();
    void DeliveryLoop();

    std::string FAbout;
    mutable std::mutex FErrLock;
    std::string FLastErrMsg;
    void* FData = nullptr;
    int FCustomMaxFiles = 20;
    bool FPreview = false;
    bool FPreviewBitmap = false;
    int FProgressInterval = 500;
    TThreadPriority FThreadPriority = tpNormal;
    bool FTriggerEventInMainThread = true;
    int FVerbose = 1;
    THookInfo FHookInfo;
    TProgressInfo FProgressInfo;
    TTerminateInfo FTerminateInfo;
    TPreviewInfo FPreviewInfo;
    TCriticalSection FHookLock, FPreviewLock, FProgressLock, FTerminateLock;
    std::unique_ptr<TAVProbe> FAVProbe;
    TFFmpegList FFFmpegList;
    int FCompleteTasks = 0;
    int FCurrentTask = -1;
    int FPendingTasks = 0;
    int FWorkers = 1;  // tasks that run at once
    std::atomic<bool> FTerminated{false};
    bool FThreadMode = false;
    std::atomic<bool> FWorking{false};
    std::atomic<bool> FStopRequested{false};
    std::atomic<bool> FPaused{false};
    bool FInStart = false;  // the loop of Start (mode without threads) runs
    int FInRelayedProgress = 0;  // GUI thread: a relayed progress handler runs

    // Bitmaps handed to the preview handlers.
    std::unique_ptr<TBitmap> FPreviewBmp;       // delivered on the calling thread
    std::unique_ptr<TBitmap> FMainPreviewBmp;   // delivered on the GUI thread
    // Preview frames waiting for the GUI thread: one slot per task, newest frame wins.
    struct TPendingPreview
    {
        const TObject* Task = nullptr;
        TBGRBitmap Bitmap;
        int FrameNumber = 0;
        int64_t PTS = 0;
        bool Full = false;
    };
    std::vector<TPendingPreview> FPendingPreviews;  // under FPreviewLock
    bool FPreviewQueued = false;                     // under FPreviewLock
    TBGRBitmap FDelivering;                          // GUI thread

    // The serial queue that delivers terminate events in thread mode.
    std::mutex FQueueLock;
    std::condition_variable FQueueCond;
    std::deque<std::pair<TTerminateEvent, TTerminateInfo>> FQueue;
    bool FQueueBusy = false;
    bool FQueueQuit = false;
    std::thread FQueueThread;
};

class TFFConverter : public TCustomFFConverter
{
public:
    explicit TFFConverter(TComponent* AOwner = nullptr) : TCustomFFConverter(AOwner) {}
    // The tasks end while the object is still whole: their threads call the
    // virtual relays until then. (A descendant that is destroyed while
    // working does the same in its own destructor.)
    ~TFFConverter() override { Stop(true); }
};
