// The program's start-up: the settings file is placed, the application is
// initialised and the windows are created in their order (main window,
// about box, options window, settings window); then the message loop runs
// until the main window closes.
#pragma once
#include <memory>

class TOptionFile;

// Creates the program's windows in order; the first becomes the main form.
// The settings file must be in place (UseOptionFile) or is made from the
// system's places.
void CreateProgramForms();

// The whole program on the current backend: returns the exit status.
int RunProgram();
