#include "app/Project1.h"

#include "app/Glyphs.h"
#include "app/OptionFile.h"
#include "app/Product.h"
#include "app/Unit1.h"
#include "app/Unit2.h"
#include "app/Unit5.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Graphics.h"
#include "platform/os/Window.h"

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
