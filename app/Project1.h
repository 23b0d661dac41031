// The program's start-up: the settings file is placed, the application is
// initialised and the windows are created in their order (main window,
// about box, options window, settings window); then the message loop runs
// until the main window closes.
#pragma once
#include <future>
#include <memory>
#include <thread>

#include "lib/bsSkinData.h"

class TOptionFile;
struct TOptionPlaces;

// Start-up work that needs neither the display nor a window, done on
// threads of their own while the display is opened and the windows are
// made: the stored skin the settings file names is decoded, the fonts are
// started and the glyphs' pictures drawn. The main window's create handler still applies the
// skin in its place, taking the decoded one when it is the skin it applies
// (waiting for it if need be). Made before the display is opened; the
// thread is joined when it goes.
class TStartupAhead
{
public:
    explicit TStartupAhead(const TOptionPlaces& places);
    ~TStartupAhead();
    TStartupAhead(const TStartupAhead&) = delete;
    TStartupAhead& operator=(const TStartupAhead&) = delete;

private:
    friend std::future<TbsSkinContent> TakeSkinDecodedAhead(int index);
    int FSkinIndex = -1;
    std::future<TbsSkinContent> FSkin;  // its thread is joined when it goes
    std::thread FWorker;
};

// Stored skin `index` as the start-up's thread decodes it, once; not valid
// when the start-up decodes no skin or another one.
std::future<TbsSkinContent> TakeSkinDecodedAhead(int index);

// Creates the program's windows in order; the first becomes the main form.
// The settings file must be in place (UseOptionFile) or is made from the
// system's places.
void CreateProgramForms();

// The whole program on the current backend: returns the exit status.
int RunProgram();
