// The shell's own small icon set, drawn in code at 16 and 32 pixels, and the
// icon index of a namespace item (the "system image list" of the shell views).
#pragma once
#include "platform/core/Surface.h"
#include "platform/shell/ItemIDList.h"

namespace shell
{
enum TShellIcon
{
    siFile, siDesktop, siComputer, siHome, siDocuments, siFolder, siFolderOpen,
    siVolumeFixed, siVolumeRemovable, siVolumeCdrom, siVolumeRemote, siVolumeRam,
    siVideo, siAudio, siImage, siText,
    siIconCount
};

// The icon at 16 or 32 pixels (any other size is drawn at the nearer one's
// scale), straight 32-bit pixels with a transparent background. An index out
// of range gives siFile.
TSurface ShellIconImage(int index, int size);
// The icon index of an absolute list: the item's kind, folders open or closed,
// files by extension. Large and small share the index. siFile when the list
// names nothing.
int SystemImageIndex(const TItemIDList& absolute, bool large, bool open);
}
