// program_gallery: the program's windows in every stored skin (headless).
//
//   program_gallery OUT_DIR [MEDIA...]
//       writes OUT_DIR/<skin file>.png for each skin; with media files
//       (every one a file the probe opens) the job list holds them, the
//       fourth row's rename editor open
#include <iostream>

#include "app/OptionFile.h"
#include "app/Project1.h"
#include "app/Unit1.h"
#include "platform/gui/Forms.h"
#include "platform/os/Window.h"
#include "platform/sys/Files.h"
#include "platform/testing/Driver.h"
#include "skins/bsStoredSkins.h"
#include "tools/programgallery/ProgramGallery.h"

int main(int argc, char** argv)
{
    if (argc < 2)
    {
        std::cerr << "usage: program_gallery OUT_DIR [MEDIA...]\n";
        return 2;
    }
    const std::string out = sys::ExcludeTrailingPathDelimiter(argv[1]);
    // The settings go to a folder of their own, never beside the program.
    const std::string places = out + "/.places";
    for (const char* f : {"/program", "/config", "/home"}) sys::ForceDirectories(places + f);
    TTestDriver driver({{TRect(0, 0, programgallery::kDesktopWidth, programgallery::kDesktopHeight),
                         TRect(0, 0, programgallery::kDesktopWidth, programgallery::kDesktopHeight), true}});
    UseOptionFile(std::make_unique<TOptionFile>(
        TOptionPlaces{places + "/program/", places + "/config", places + "/home"}));
    CreateProgramForms();
    if (argc > 2) programgallery::FillJobList(driver, std::vector<std::string>(argv + 2, argv + argc), 3);
    int status = 0;
    for (int skin = 0; skin < bsStoredSkinCount(); ++skin)
    {
        std::string name = bsStoredSkin(skin).FileName;
        name = out + "/" + name.substr(0, name.find('.')) + ".png";
        if (!programgallery::RenderSkin(driver, skin, name))
        {
            std::cerr << "program_gallery: cannot write " << name << "\n";
            status = 1;
        }
        else std::cout << name << "\n";
    }
    ResetApplication();
    MSG m;
    while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessage(&m);
    return status;
}
