// The benchmark driver: a small program that loads our libraries and does one
// job, so the benchmarks can time our side as a whole process, as they time
// ffmpeg and ffprobe. On stdout it reports "work=<seconds>": the time from
// after the libraries were loaded to the end of the job.
//
//   quorvel_bench_driver convert CASE IN OUT
//       one conversion by the engine (the case's options of bench_cases.h);
//       "work" starts once the input and output are open, where ffmpeg's own
//       -benchmark time starts
//   quorvel_bench_driver batch WORKERS MODE OUTDIR IN...
//       the conversion component converts every IN into OUTDIR on WORKERS
//       threads; MODE is plain, preview (live preview on), hook-option (every
//       output asks for the custom hook, no handler) or hook-handler (the same
//       with an empty handler)
//   quorvel_bench_driver tasks CASE WORKERS OUTDIR IN...
//       the same with the case's options of bench_cases.h (given as each
//       output's option text): OUTDIR/out<i>.<ext> from the i-th IN
//   quorvel_bench_driver probe [-each] [-warm FILE]... FILE...
//       probes every -warm file untimed, then every FILE (open, stream
//       information, information text); "work" covers the FILEs only, and
//       -each adds one line "probe=<seconds> cpu=<seconds>" per FILE (the
//       wall time and the CPU time of the whole process for that probe)
//   quorvel_bench_driver window program|label [idle]
//       on the X display: the program's windows made as its start-up makes
//       them (settings in the current folder), the main window shown; or a
//       form with one label shown. Adds "painted=<seconds>", the monotonic
//       clock when the shown window is active and every paint is done (no
//       message left to serve); with idle, also "idle_cpu=<seconds>", the
//       process's CPU time over the next 10 s of its message loop
//   quorvel_bench_driver gui-batch WORKERS MODE OUTDIR IN...
//       on the X display, the program as its start-up runs it (settings in
//       the current folder, Application->Run): once its loop serves, the
//       INs are added as jobs, each row set to the batch's settings (those
//       of "batch", output OUTDIR/out<i>.avi), the options window set to
//       WORKERS threads and no after-batch action, live preview set by MODE
//       (plain or preview), and "开始" clicked; the program quits when the
//       batch has ended. Adds "batch=<s> gui_cpu=<s> batch_cpu=<s>": the
//       wall time, the GUI thread's and the whole process's CPU time from
//       the click to the end
//   quorvel_bench_driver add FOLDER
//       the program's windows on the headless desktop (the settings file and
//       the output folder in the current folder), the main window shown and
//       the conversion libraries loaded, then the main window's add-folder
//       operation on FOLDER; "work" covers that operation, and it adds one
//       line "row=<seconds>" per row, from the row before (or the start of
//       the operation) to this row's appearing in the table; the operation
//       ends by selecting the last row, which opens it in the preview panel
//   quorvel_bench_driver play IN WIDTH HEIGHT
//       the preview player plays IN to its end into a WIDTH x HEIGHT host
//       panel on the headless desktop, sound to SDL's dummy driver; adds a
//       line "gap=<seconds>", the largest gap between a picture shown and
//       the audio clock
//   quorvel_bench_driver preview IN
//       the program's windows on the headless desktop (settings in the
//       current folder), the main window shown; IN added as a job, which
//       opens it paused in the preview panel (Panel6), then "播放" plays it
//       to its end, sound to SDL's dummy driver; adds "gap=<seconds>" as play
//       does
//   quorvel_bench_driver shell-list DIR
//       the file pane of the open dialog (a skinned shell list view in a
//       form on the headless desktop) lists DIR and is painted; "work" is
//       from making the pane to the end of that paint; adds "sort=<seconds>",
//       one header click on the size column and the paint after it
//   quorvel_bench_driver open-dialog DIR
//       the open dialog runs with InitialDir DIR; "work" is from Execute to
//       the end of the dialog's first paint; adds "filter=<seconds>", the
//       choice of the second filter entry and the paint after it
#include <time.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/OptionFile.h"
#include "app/Project1.h"
#include "app/Unit1.h"
#include "app/Unit5.h"
#include "bench/bench_cases.h"
#include "bench/bench_util.h"
#include "Src/AVProbe.h"
#include "Src/DAVezi.h"
#include "Src/FFConverter.h"
#include "Src/FFmpeg.h"
#include "Src/FFmpegLoader.h"
#include "Src/FFmpegLogger.h"
#include "Src/MyUtils.h"
#include "app/OptionFile.h"
#include "app/Project1.h"
#include "app/Product.h"
#include "app/Unit1.h"
#include "lib/bsDialogs.h"
#include "lib/bsSkinShellCtrls.h"
#include "platform/backend/headless/Headless.h"
#include "platform/backend/x11/X11Backend.h"
#include "platform/gui/StdCtrls.h"
#include "platform/sys/Files.h"
#include "platform/sys/Process.h"
#include "platform/core/MainThread.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/os/Window.h"

using bench::Fail;
using Clock = std::chrono::steady_clock;

namespace
{
void Load(TLibraries libs)
{
    if (!GlobalLoader().Load(libs)) Fail(GlobalLoader().LastErrMsg());
    GetFFLogger()->SetLogLevel(llQuiet);
}

double Convert(const std::string& caseName, const std::string& in, const std::string& out)
{
    const bench::ConversionCase* c = bench::FindConversionCase(caseName);
    if (!c) Fail("unknown case " + caseName);
    Load(ConverterLibraries);
    TCustomFFmpeg e(2);
    e.Fverbose = -1;
    if (!e.OpenInputFile(in)) Fail("open failed: " + e.LastErrMsg());
    for (const auto& o : c->Options) e.ParseOption(o.first, o.second);
    if (e.OpenOutputFile(out) < 0) Fail("output failed: " + e.LastErrMsg());
    // from here on as ffmpeg's -benchmark time: the input and output are open
    const auto t0 = Clock::now();
    e.StartConvert(false);
    const auto t1 = Clock::now();
    if (e.FatalException() || !e.Finished()) Fail("conversion failed: " + e.FatalMessage());
    return bench::Seconds(t0, t1);
}

// A batch of MODE, or (with a case) of the case's options in plain mode.
double Batch(int workers, const std::string& mode, const std::string& outDir, const std::vector<std::string>& ins,
             const bench::ConversionCase* conversion = nullptr)
{
    if (mode != "plain" && mode != "preview" && mode != "hook-option" && mode != "hook-handler")
        Fail("unknown batch mode " + mode);
    std::string caseText;
    if (conversion)
        for (const auto& o : conversion->Options) caseText += o.first + "=" + o.second + "\n";
    Load(ConverterLibraries);
    const auto t0 = Clock::now();
    TFFConverter c;
    c.SetVerbose(-1);
    std::atomic<bool> done{false};
    std::atomic<int> failed{0};
    c.OnTerminate = [&](TObject*, const TTerminateInfo& info) {
        if (info.TaskIndex < 0)
        {
            done = true;
            // wakes the main thread's wait below (the end comes on the delivery thread)
            RunOnMainThread([] {}, false);
        }
        else if (!info.Finished) failed++;
    };
    if (mode == "hook-handler") c.OnCustomHook = [](TObject*, PHookInfo) {};
    c.SetPreview(mode == "preview");
    for (size_t i = 0; i < ins.size(); ++i)
    {
        TOutputOptions o;
        o.VideoCodec = "mpeg4";
        o.VideoBitrate = 2000000;
        o.AudioCodec = "libmp3lame";
        o.AudioBitrate = 128000;
        o.AudioSampleRate = 44100;
        o.AudioChannels = 2;
        o.CustomHook = mode == "hook-option" || mode == "hook-handler";
        const int t = c.AddTask(ins[i]);
        if (t < 0) Fail("task failed: " + c.LastErrMsg());
        const bool set = conversion
            ? c.SetOutputFile(t, outDir + "/out" + std::to_string(i) + "." + conversion->Ext, caseText)
            : c.SetOutputFile(t, outDir + "/out" + std::to_string(i) + ".avi", &o);
        if (!set) Fail("task failed: " + c.LastErrMsg());
    }
    c.Start(workers);
    // The main thread runs as a program's message loop would: it serves the
    // calls handed to it and the windows' messages (the preview windows are
    // painted, as a user would see them) and otherwise sleeps: a wait that
    // woke every few milliseconds would charge our side with CPU time (about
    // 0.1 ms a wake-up here) that no conversion needs.
    while (!done)
    {
        ProcessPendingMessages();
        if (!done) WaitMessage();
    }
    const auto t1 = Clock::now();
    if (failed) Fail(std::to_string(failed.load()) + " conversions failed");
    return bench::Seconds(t0, t1);
}

double CpuSeconds(clockid_t clock)
{
    timespec t{};
    ::clock_gettime(clock, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

double ProcessCpuSeconds()
{
    return CpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
}

void ProbeOne(TAVProbe& p, const std::string& file)
{
    if (!p.LoadFile(file)) Fail("probe failed: " + p.LastErrMsg());
    if (p.FileInfoText().empty()) Fail("no information text for " + file);
    p.CloseFile();
}

double Probe(const std::vector<std::string>& warm, const std::vector<std::string>& files, bool each)
{
    Load(ProbeLibraries);
    for (const std::string& f : warm)
    {
        TAVProbe p;
        ProbeOne(p, f);
    }
    std::vector<std::pair<double, double>> times;
    times.reserve(files.size());
    const auto t0 = Clock::now();
    for (const std::string& f : files)
    {
        const auto a = Clock::now();
        const double c = ProcessCpuSeconds();
        {
            TAVProbe p;
            ProbeOne(p, f);
        }
        times.emplace_back(bench::Seconds(a, Clock::now()), ProcessCpuSeconds() - c);
    }
    const double work = bench::Seconds(t0, Clock::now());
    if (each)
        for (const auto& t : times) std::printf("probe=%.6f cpu=%.6f\n", t.first, t.second);
    return work;
}
// The batch of "batch" (plain or preview) started through the program's main
// window under its own message loop.
double GuiBatch(int workers, const std::string& mode, const std::string& outDir,
                const std::vector<std::string>& ins)
{
    if (mode != "plain" && mode != "preview") Fail("unknown batch mode " + mode);
    const auto t0 = Clock::now();
    if (!backend::UseX11()) Fail(backend::kNoDisplayMessage);
    const std::string here = sys::GetCurrentDir();
    for (const char* d : {"/program", "/config", "/home"})
        sys::ForceDirectories(here + d);
    UseOptionFile(
        std::make_unique<TOptionFile>(TOptionPlaces{here + "/program/", here + "/config", here + "/home"}));
    Application->Initialize();
    Application->Title = product::kTitle;
    CreateProgramForms();
    double gui0 = 0, cpu0 = 0, gui = 0, cpu = 0;
    Clock::time_point clicked, ended;
    std::atomic<bool> failed{false}; // set on the conversion threads
    RunOnMainThread(
        [&]
        {
            if (Form1->AddFiles(ins) != int(ins.size())) Fail("the files were not all added");
            // Every row converts as the component's "batch" does: mpeg4 + mp3 in AVI.
            static const std::vector<std::pair<int, std::string>> settings = {
                {11, "mpeg4"},  {12, "libmp3lame"}, {13, "2"},       {14, ""},
                {15, ".avi"},   {16, "1280*720"},   {17, "2000000"}, {18, "25"},
                {19, "128000"}, {20, "44100"},      {22, "False"},   {23, ""}};
            for (int r = 0; r < int(ins.size()); ++r)
            {
                TListItem* row = Form1->lvFiles->Items()->Item(r);
                Form1->SetRowOutputName(row, "out" + std::to_string(r) + ".avi");
                TStrings* columns = row->SubItems();  // column c is sub item c - 1
                for (const auto& c : settings)
                {
                    while (columns->Count() < c.first) columns->Add("");
                    columns->Put(c.first - 1, c.second);
                }
            }
            Form1->Video_OutPut_Folder_Edit->SetText(outDir);
            Form1->FileOutPutPath = outDir;
            Form5->bsSkinCheckRadioBox7->SetChecked(true);
            Form5->bsSkinComboBox2->SetItemIndex(workers - 1);
            Form5->AfterDoneRadios()[3]->SetChecked(true);
            Form1->chkPreview->SetChecked(mode == "preview");
            Form1->FFConv->SetPreview(mode == "preview");
            // The end reaches the window as a call queued on this thread; the
            // quit is queued after it.
            const TTerminateEvent shown = Form1->FFConv->OnTerminate;
            Form1->FFConv->OnTerminate = [&, shown](TObject* sender, const TTerminateInfo& info)
            {
                shown(sender, info);
                if (info.TaskIndex >= 0)
                {
                    if (!info.Finished) failed = true;
                    return;
                }
                RunOnMainThread(
                    [&]
                    {
                        ended = Clock::now();
                        gui = CpuSeconds(CLOCK_THREAD_CPUTIME_ID) - gui0;
                        cpu = ProcessCpuSeconds() - cpu0;
                        Application->Terminate();
                    },
                    false);
            };
            gui0 = CpuSeconds(CLOCK_THREAD_CPUTIME_ID);
            cpu0 = ProcessCpuSeconds();
            clicked = Clock::now();
            Form1->bsSkinButton2->OnClick(Form1->bsSkinButton2);
            if (!Form1->BatchRunning()) Fail("the batch did not start");
        },
        false);
    Application->Run();
    const double work = bench::Seconds(t0, Clock::now());
    ResetApplication();
    if (failed) Fail("conversions failed");
    std::printf("batch=%.6f gui_cpu=%.6f batch_cpu=%.6f\n", bench::Seconds(clicked, ended), gui, cpu);
    return work;
}

double AddFolder(const std::string& folder)
{
    const std::string here = std::filesystem::current_path().string();
    UseOptionFile(std::make_unique<TOptionFile>(TOptionPlaces{here + "/", here + "/config", here + "/home"}));
    Application->Initialize();
    CreateProgramForms();
    Form1->Show();
    ProcessPendingMessages();
    if (!Form1->FFConv->LoadAVLib(OptionFile().Places().ProgramFolder + "LibAV"))
        Fail("cannot load the libraries: " + Form1->FFConv->LastErrMsg());
    std::vector<Clock::time_point> rows;
    Form1->lvFiles->OnChange = [&rows](TObject*, TListItem* item, TItemChange change) {
        if (change == ctText && item && item->Index() == int(rows.size())) rows.push_back(Clock::now());
    };
    const auto t0 = Clock::now();
    const int added = Form1->AddFolderContents(folder);
    const double work = bench::Seconds(t0, Clock::now());
    if (added != int(rows.size()) || added == 0) Fail("rows added: " + std::to_string(added));
    for (std::size_t i = 0; i < rows.size(); ++i)
        std::printf("row=%.6f\n", bench::Seconds(i == 0 ? t0 : rows[i - 1], rows[i]));
    ResetApplication();
    return work;
}

double Play(const std::string& in, int width, int height)
{
    Load(PlayerLibraries);
    const auto t0 = Clock::now();
    TForm form(nullptr);
    form.SetClientSize(width, height);
    auto* panel = new TPanel(&form);
    panel->SetParent(&form);
    panel->SetBounds(0, 0, width, height);
    form.Show();
    TDEDideve player;
    player.SetAudioDriver(adDummy);
    std::atomic<bool> ended{false};
    player.OnState = [&](TObject*, TPlayState st) {
        if (st == psEnd) ended = true;
    };
    if (!player.Open(in, panel->Handle(), false)) Fail("open failed: " + player.LastErrMsg());
    while (!ended) {
        CheckSynchronize(5);
        PumpPendingMessages();
    }
    const double gap = player.MaxSyncGap();
    player.Stop(true);
    const double work = bench::Seconds(t0, Clock::now());
    std::printf("gap=%.6f\n", gap);
    return work;
}
double Preview(const std::string& in)
{
    const auto t0 = Clock::now();
    const std::string here = std::filesystem::current_path().string();
    UseOptionFile(std::make_unique<TOptionFile>(TOptionPlaces{here + "/", here + "/config", here + "/home"}));
    Application->Initialize();
    CreateProgramForms();
    Form1->Show();
    ProcessPendingMessages();
    // The end, seen before the window's own handler takes the file back to its start.
    std::atomic<bool> ended{false};
    double gap = 0;
    const TPlayStateEvent shown = Form1->DEDideve->OnState;
    Form1->DEDideve->OnState = [&](TObject* sender, TPlayState st) {
        if (st == psEnd && !ended)
        {
            gap = Form1->DEDideve->MaxSyncGap();
            ended = true;
        }
        shown(sender, st);
    };
    if (Form1->AddFiles({in}) != 1) Fail("the file was not added");
    if (!Form1->DEDideve->Playback()) Fail("the preview did not open: " + Form1->DEDideve->LastErrMsg());
    Form1->PreviewPlay();
    while (!ended)
    {
        CheckSynchronize(5);
        PumpPendingMessages();
    }
    Form1->DEDideve->Stop(true);
    ResetApplication();
    std::printf("gap=%.6f\n", gap);
    return bench::Seconds(t0, Clock::now());
}

// The window's first complete paint: shown, active (the window manager has
// mapped it), and nothing left to serve (no paint pending).
double Window(const std::string& which, bool idle)
{
    const auto t0 = Clock::now();
    // The program's order: its work ahead starts before the display opens.
    std::optional<TStartupAhead> ahead;
    TOptionPlaces places;
    if (which == "program")
    {
        const std::string here = sys::GetCurrentDir();
        for (const char* d : {"/program", "/config", "/home"}) sys::ForceDirectories(here + d);
        places = TOptionPlaces{here + "/program/", here + "/config", here + "/home"};
        ahead.emplace(places);
    }
    if (!backend::UseX11()) Fail(backend::kNoDisplayMessage);
    TForm* shown = nullptr;
    std::unique_ptr<TForm> plain;
    if (which == "program")
    {
        UseOptionFile(std::make_unique<TOptionFile>(places));
        Application->Initialize();
        Application->Title = product::kTitle;
        CreateProgramForms();
        shown = Form1;
    }
    else if (which == "label")
    {
        plain = std::make_unique<TForm>(nullptr);
        plain->SetCaption("Quorvel");
        plain->SetPosition(poDesktopCenter);
        plain->SetClientSize(300, 120);
        auto* l = new TLabel(plain.get());
        l->SetParent(plain.get());
        l->SetBounds(20, 40, 260, 20);
        l->SetCaption("Quorvel MTS");
        shown = plain.get();
    }
    else Fail("window program|label");
    shown->Show();
    for (;;)
    {
        MSG m;
        bool any = false;
        while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE))
        {
            any = true;
            TranslateMessage(&m);
            DispatchMessage(&m);
        }
        if (!any && GetActiveWindow() == shown->Handle() && !PeekMessage(&m, nullptr, 0, 0, PM_NOREMOVE)) break;
        backend::Current().WaitForEvents(any ? 0 : 5);
    }
    const double painted = std::chrono::duration<double>(Clock::now().time_since_epoch()).count();
    std::printf("painted=%.6f\n", painted);
    if (idle)
    {
        // The shown window left alone: what its message loop costs.
        const double c0 = ProcessCpuSeconds();
        const auto end = Clock::now() + std::chrono::seconds(10);
        while (Clock::now() < end)
        {
            MSG m;
            while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessage(&m);
            CheckSynchronize(0);
            backend::Current().WaitForEvents(unsigned(
                std::max<long>(1, std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count())));
        }
        std::printf("idle_cpu=%.6f\n", ProcessCpuSeconds() - c0);
    }
    const double work = bench::Seconds(t0, Clock::now());
    plain.reset();
    ResetApplication();
    return work;
}

// Paints whatever is due and serves what is pending.
void Settle()
{
    while (ProcessPendingMessages()) {}
}

double ShellList(const std::string& dir, double& sort)
{
    const auto t0 = Clock::now();
    TForm form(nullptr);
    form.SetClientSize(640, 480);
    auto* list = new TbsSkinFileListView(&form);
    list->SetParent(&form);
    list->SetAlign(alClient);
    list->SetViewStyle(vsReport);
    list->SetPath(dir);
    form.Show();
    Settle();
    const auto t1 = Clock::now();
    if (list->FolderCount() == 0) Fail("the pane listed nothing in " + dir);
    list->SortByColumn(1);
    Settle();
    sort = bench::Seconds(t1, Clock::now());
    return bench::Seconds(t0, t1);
}

double OpenDialog(const std::string& dir, double& filter)
{
    TbsSkinOpenDialog dlg(nullptr);
    dlg.InitialDir = dir;
    dlg.Filter = "All files (*.*)|*.*|Video (*.mp4;*.mkv)|*.mp4;*.mkv";
    Clock::time_point t0, shown, filtered;
    int step = 0;
    // Played from the modal loop when it is about to wait: the dialog is shown
    // and painted by then.
    SetIdleHook([&]() -> bool {
        TbsOpenDlgForm* f = dlg.Form();
        if (!f || !f->HandleAllocated() || !IsWindowVisible(f->Handle())) return false;
        if (step == 0)
        {
            shown = Clock::now();
            if (f->FileListView->FolderCount() == 0) Fail("the dialog listed nothing in " + dir);
            f->FilterComboBox->SetItemIndex(1);
            step = 1;
            return true;
        }
        if (step == 1)
        {
            filtered = Clock::now();
            f->SetModalResult(mrCancel);
            step = 2;
            return true;
        }
        return false;
    });
    t0 = Clock::now();
    dlg.Execute();
    SetIdleHook(nullptr);
    if (step != 2) Fail("the dialog did not show");
    filter = bench::Seconds(shown, filtered);
    return bench::Seconds(t0, shown);
}
}  // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> a(argv + 1, argv + argc);
    // The preview window opens on the headless desktop (the window job takes
    // the X display itself).
    if (a.empty() || (a[0] != "window" && a[0] != "gui-batch")) backend::UseHeadless();
    // The program's preview (a selected row opens in it) sounds on SDL's
    // dummy driver: no sound card needed, no messages about the lack of one.
    sys::SetEnvironmentVariable("SDL_AUDIODRIVER", "dummy");
    double work = -1;
    if (a.size() == 4 && a[0] == "convert") work = Convert(a[1], a[2], a[3]);
    else if (a.size() >= 5 && a[0] == "batch")
        work = Batch(std::atoi(a[1].c_str()), a[2], a[3], std::vector<std::string>(a.begin() + 4, a.end()));
    else if (a.size() >= 5 && a[0] == "gui-batch")
        work =
            GuiBatch(std::atoi(a[1].c_str()), a[2], a[3], std::vector<std::string>(a.begin() + 4, a.end()));
    else if (a.size() >= 5 && a[0] == "tasks")
    {
        const bench::ConversionCase* c = bench::FindConversionCase(a[1]);
        if (!c) Fail("unknown case " + a[1]);
        work = Batch(std::atoi(a[2].c_str()), "plain", a[3], std::vector<std::string>(a.begin() + 4, a.end()), c);
    }
    else if (a.size() >= 2 && a[0] == "probe")
    {
        std::vector<std::string> warm, files;
        bool each = false;
        for (size_t i = 1; i < a.size(); ++i)
        {
            if (a[i] == "-warm" && i + 1 < a.size()) warm.push_back(a[++i]);
            else if (a[i] == "-each") each = true;
            else files.push_back(a[i]);
        }
        work = Probe(warm, files, each);
    }
    else if ((a.size() == 2 || a.size() == 3) && a[0] == "window")
        work = Window(a[1], a.size() == 3 && a[2] == "idle");
    else if (a.size() == 2 && a[0] == "add") work = AddFolder(a[1]);
    else if (a.size() == 4 && a[0] == "play")
        work = Play(a[1], std::atoi(a[2].c_str()), std::atoi(a[3].c_str()));
    else if (a.size() == 2 && a[0] == "preview") work = Preview(a[1]);
    else if (a.size() == 2 && a[0] == "shell-list")
    {
        double sort = 0;
        work = ShellList(a[1], sort);
        std::printf("sort=%.6f\n", sort);
    }
    else if (a.size() == 2 && a[0] == "open-dialog")
    {
        double filter = 0;
        work = OpenDialog(a[1], filter);
        std::printf("filter=%.6f\n", filter);
    }
    else
        Fail("usage: quorvel_bench_driver convert CASE IN OUT | batch WORKERS MODE OUTDIR IN... | "
             "tasks CASE WORKERS OUTDIR IN... | gui-batch WORKERS MODE OUTDIR IN... | "
             "probe [-each] [-warm FILE]... FILE... | window program|label [idle] | add FOLDER | play IN "
             "WIDTH HEIGHT | preview IN | shell-list DIR | open-dialog DIR");
    std::printf("work=%.6f\n", work);
    return 0;
}
