// The save-picture dialog: a save dialog whose filter offers the picture
// formats the program can write.
#pragma once
#include <string>

#include "platform/gui/Dialogs.h"

// "All (…)|…|Bitmaps (*.bmp)|*.bmp|JPEG Image File (*.jpg)|*.jpg;*.jpeg|…"
// for every picture format that can be written.
std::string GraphicFilter();

class TSavePictureDialog : public TSaveDialog
{
public:
    explicit TSavePictureDialog(TComponent* AOwner);
};
