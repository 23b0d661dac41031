#include "app/Project1.h"

#include "app/Glyphs.h"
#include "app/OptionFile.h"
#include "app/Product.h"
#include "app/Unit1.h"
#include "app/Unit2.h"
#include "app/Unit5.h"
#include "lib/bsSkinData.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Graphics.h"
#include "platform/os/Window.h"
#include "skins/bsStoredSkins.h"

namespace {

TStartupAhead* gAhead = nullptr;  // GUI thread only

}  // namespace

TStartupAhead::TStartupAhead(const TOptionPlaces& places)
{
    // A guess from the file as it is: the create handler decides.
    int index = 0;
    if (!TForm1::StoredSkinIndex(PeekOption(places, "Skin", "SetSkin"), bsStoredSkinCount(), index)) index = 0;
    const TbsStoredSkinInfo& stored = bsStoredSkin(index);
    // Two threads, as the fonts are wanted first and the skin later. Without
    // a thread the work is simply done in its place.
    try
    {
        FSkin = std::async(std::launch::async, [data = stored.Data, size = stored.Size] {
            return TbsCompressedStoredSkin::DecodeCompressStream(data, size);
        });
        FSkinIndex = index;
        FWorker = std::thread([] {
            // Work ahead only saves time; a failure shows where it is done again.
            try
            {
                StartFonts();
                TForm1::DrawGlyphsAhead();
            }
            catch (...)
            {
            }
        });
    }
    catch (const std::system_error&)
    {
    }
    gAhead = this;
}

TStartupAhead::~TStartupAhead()
{
    if (gAhead == this) gAhead = nullptr;
    if (FWorker.joinable()) FWorker.join();
}

std::future<TbsSkinContent> TakeSkinDecodedAhead(int index)
{
    if (gAhead == nullptr || gAhead->FSkinIndex != index) return {};
    return std::move(gAhead->FSkin);
}

void CreateProgramForms()
{
    Application->CreateForm(Form1);
    Application->CreateForm(Form2);
    Application->CreateForm(Form5);
    // The settings window (Form6) is created here, after the options window,
    // once it exists.
}

int RunProgram()
{
    // The settings file's place is decided once, here.
    OptionFile();
    Application->Initialize();
    Application->Title = product::kTitle;
    Application->HelpFile = product::kHelpIndex;
    CreateProgramForms();
    Application->Run();
    // Every window goes (the conversion component stops and waits in its own
    // clean-up) before the process ends.
    ResetApplication();
    UseOptionFile(nullptr);
    // Serving what is left lets the window layer reclaim the windows.
    MSG m;
    while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessage(&m);
    return 0;
}
