// The gallery of the program's windows: the main window, the about box and
// the options window side by side in a stored skin, as one picture, drawn on
// the headless desktop (the program's windows must exist: Form1, Form2,
// Form5). The tests use it for a few skins, the program program_gallery for
// all of them.
#pragma once
#include <string>
#include <vector>

class TTestDriver;

namespace programgallery {

// The desktop the three windows fit on side by side.
constexpr int kDesktopWidth = 1800, kDesktopHeight = 600;

// Applies stored skin `skin`, places and paints the three windows and saves
// them into `png`; false when the picture could not be written.
bool RenderSkin(TTestDriver& driver, int skin, const std::string& png);

// Fills the main window's job list with `files` (media the probe opens: a
// skipped file's box would wait for an answer) and opens the rename editor
// over row `renamed`; RenderSkin then shows a full list.
void FillJobList(TTestDriver& driver, const std::vector<std::string>& files, int renamed);

}  // namespace programgallery
