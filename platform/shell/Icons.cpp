// The shell icon set: simple flat shapes on a 16-unit grid, scaled to 16 or 32 pixels.
#include "platform/shell/Icons.h"

#include "platform/core/Utf8.h"
#include "platform/shell/Internal.h"
#include "platform/sys/Drives.h"
#include "platform/sys/Files.h"

namespace shell
{
namespace {

class TPen16
{
public:
    TPen16(TSurface& s, int scale) : s_(s), k_(scale) {}
    // Fills the grid cells [l, r) x [t, b).
    void Fill(int l, int t, int r, int b, TPixel c) { s_.FillRect(TRect(l * k_, t * k_, r * k_, b * k_), c); }
    // A filled box with a one-pixel outline.
    void Box(int l, int t, int r, int b, TPixel fill, TPixel line)
    {
        Fill(l, t, r, b, line);
        s_.FillRect(TRect(l * k_ + 1, t * k_ + 1, r * k_ - 1, b * k_ - 1), fill);
    }

private:
    TSurface& s_;
    int k_;
};

const TPixel kLine = MakePixel(60, 60, 70);
const TPixel kPaper = MakePixel(250, 250, 250);
const TPixel kFolder = MakePixel(240, 200, 90);
const TPixel kFolderDark = MakePixel(200, 150, 50);
const TPixel kScreen = MakePixel(70, 130, 200);
const TPixel kMetal = MakePixel(190, 190, 200);

void Page(TPen16& p, TPixel band)
{
    p.Box(3, 1, 13, 15, kPaper, kLine);
    if (band) p.Fill(4, 9, 12, 13, band);
}

void Drive(TPen16& p, TPixel light)
{
    p.Box(1, 5, 15, 12, kMetal, kLine);
    p.Fill(11, 8, 13, 10, light);
}

} // namespace

TSurface ShellIconImage(int index, int size)
{
    int scale = size >= 24 ? 2 : 1;
    TSurface s(16 * scale, 16 * scale);
    TPen16 p(s, scale);
    switch (index)
    {
    case siDesktop:
        p.Box(1, 2, 15, 12, kScreen, kLine);
        p.Fill(6, 12, 10, 14, kLine);
        p.Fill(4, 14, 12, 15, kLine);
        break;
    case siComputer:
        p.Box(2, 1, 14, 9, kScreen, kLine);
        p.Box(1, 10, 15, 15, kMetal, kLine);
        p.Fill(11, 12, 13, 13, MakePixel(40, 200, 60));
        break;
    case siHome:
        for (int i = 0; i < 6; ++i) p.Fill(7 - i, 1 + i, 9 + i, 2 + i, MakePixel(190, 60, 50));
        p.Box(3, 7, 13, 15, kPaper, kLine);
        p.Fill(7, 10, 9, 15, kFolderDark);
        break;
    case siFolder:
    case siDocuments:
        p.Box(1, 2, 7, 5, kFolderDark, kLine);
        p.Box(1, 4, 15, 14, kFolder, kLine);
        if (index == siDocuments) p.Box(5, 6, 11, 12, kPaper, kLine);
        break;
    case siFolderOpen:
        p.Box(1, 2, 7, 5, kFolderDark, kLine);
        p.Box(1, 4, 14, 14, kFolderDark, kLine);
        p.Box(3, 7, 15, 14, kFolder, kLine);
        break;
    case siVolumeFixed: Drive(p, MakePixel(40, 200, 60)); break;
    case siVolumeRemovable:
        Drive(p, MakePixel(230, 150, 30));
        p.Fill(3, 3, 8, 5, kLine);
        break;
    case siVolumeCdrom:
        p.Box(2, 2, 14, 14, MakePixel(200, 210, 230), kLine);
        p.Box(7, 7, 9, 9, kPaper, kLine);
        break;
    case siVolumeRemote:
        Drive(p, MakePixel(40, 120, 220));
        p.Fill(7, 12, 9, 15, kLine);
        p.Fill(3, 14, 13, 15, kLine);
        break;
    case siVolumeRam:
        p.Box(1, 5, 15, 11, MakePixel(60, 140, 80), kLine);
        for (int x = 2; x < 14; x += 3) p.Fill(x, 11, x + 1, 13, MakePixel(210, 180, 60));
        break;
    case siVideo:
        Page(p, 0);
        p.Box(4, 4, 12, 12, MakePixel(40, 40, 50), kLine);
        for (int y = 5; y < 11; y += 2) { p.Fill(4, y, 5, y + 1, kPaper); p.Fill(11, y, 12, y + 1, kPaper); }
        break;
    case siAudio:
        Page(p, 0);
        p.Fill(9, 3, 10, 11, kLine);
        p.Fill(6, 10, 10, 13, MakePixel(120, 60, 170));
        p.Fill(9, 3, 12, 5, kLine);
        break;
    case siImage:
        Page(p, MakePixel(80, 160, 80));
        p.Fill(5, 4, 8, 7, MakePixel(240, 200, 40));
        break;
    case siText:
        Page(p, 0);
        for (int y = 4; y < 13; y += 2) p.Fill(5, y, 11, y + 1, MakePixel(120, 120, 130));
        break;
    default: Page(p, 0); break;
    }
    return s;
}

namespace {

int FileIcon(const std::string& name)
{
    std::string type = FileTypeName(name, false);
    auto endsWith = [&](const char* tail) {
        std::string t = tail;
        return type.size() >= t.size() && type.compare(type.size() - t.size(), t.size(), t) == 0;
    };
    if (endsWith(" Video")) return siVideo;
    if (endsWith(" Audio")) return siAudio;
    if (endsWith(" Image")) return siImage;
    if (type == "Text Document" || type == "Subtitles" || type == "Configuration Settings") return siText;
    return siFile;
}

} // namespace

int NodeIcon(const TNode& node, bool folder, bool open)
{
    switch (node.kind)
    {
    case TNode::nkDesktop: return siDesktop;
    case TNode::nkComputer: return siComputer;
    case TNode::nkVirtual: return node.rank == 0 ? siHome : siDocuments;
    case TNode::nkVolume:
        switch (node.driveType)
        {
        case DRIVE_REMOVABLE: return siVolumeRemovable;
        case DRIVE_CDROM: return siVolumeCdrom;
        case DRIVE_REMOTE: return siVolumeRemote;
        case DRIVE_RAMDISK: return siVolumeRam;
        default: return siVolumeFixed;
        }
    case TNode::nkFile:
        if (folder) return open ? siFolderOpen : siFolder;
        return FileIcon(node.name);
    }
    return siFile;
}

int SystemImageIndex(const TItemIDList& absolute, bool /*large*/, bool open)
{
    std::optional<TNode> n = Resolve(absolute);
    if (!n) return siFile;
    const bool folder = n->kind == TNode::nkFile && (NodeAttributes(*n, SFGAO_FOLDER) & SFGAO_FOLDER);
    return NodeIcon(*n, folder, open);
}
}
