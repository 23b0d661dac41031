// The drive and folder pictures of the file controls, drawn in code: small
// flat shapes on a magenta ground that the bottom-left pixel names as the
// transparent colour.
#include "lib/bsfilectrl.h"

#include "platform/sys/Drives.h"

namespace
{
constexpr TColor kKey = TColor(0xFF00FF);

std::unique_ptr<TBitmap> Ground(int w, int h)
{
    auto b = std::make_unique<TBitmap>(w, h, pf24bit);
    TCanvas* c = b->Canvas();
    c->Brush()->SetColor(kKey);
    c->FillRect(TRect(0, 0, w, h));
    return b;
}

void Box(TCanvas* c, const TRect& r, TColor fill, TColor line)
{
    c->Brush()->SetColor(fill);
    c->Pen()->SetColor(line);
    c->Rectangle(r.Left, r.Top, r.Right, r.Bottom);
}
}  // namespace

std::unique_ptr<TBitmap> bsDriveBitmap(unsigned DriveType)
{
    if (DriveType == DRIVE_RAMDISK)
    {
        auto b = Ground(16, 11);
        TCanvas* c = b->Canvas();
        Box(c, TRect(1, 2, 15, 9), TColor(0x3C8C3C), TColor(0x1E461E));
        for (int x = 3; x < 14; x += 3) Box(c, TRect(x, 4, x + 2, 7), TColor(0x50C8F0), TColor(0x50C8F0));
        return b;
    }
    auto b = Ground(16, 16);
    TCanvas* c = b->Canvas();
    switch (DriveType)
    {
    case DRIVE_REMOVABLE:
        Box(c, TRect(4, 1, 12, 15), TColor(0x707070), TColor(0x303030));
        Box(c, TRect(6, 2, 10, 5), TColor(0xE0E0E0), TColor(0xE0E0E0));
        break;
    case DRIVE_CDROM:
        c->Brush()->SetColor(TColor(0xE0D8C8));
        c->Pen()->SetColor(TColor(0x806850));
        c->Ellipse(1, 1, 15, 15);
        c->Brush()->SetColor(kKey);
        c->Ellipse(6, 6, 10, 10);
        break;
    case DRIVE_REMOTE:
        Box(c, TRect(1, 3, 15, 10), TColor(0xB0B0B0), TColor(0x404040));
        Box(c, TRect(7, 10, 9, 13), TColor(0x404040), TColor(0x404040));
        Box(c, TRect(3, 13, 13, 15), TColor(0xC08030), TColor(0x805020));
        break;
    default:
        Box(c, TRect(1, 5, 15, 12), TColor(0xA8A8A8), TColor(0x404040));
        Box(c, TRect(11, 8, 13, 10), TColor(0x30C030), TColor(0x30C030));
        break;
    }
    return b;
}

std::unique_ptr<TBitmap> bsFolderBitmap(TbsFolderRowKind Kind)
{
    auto b = Ground(16, 15);
    TCanvas* c = b->Canvas();
    const TColor body = TColor(0x40C8F0), line = TColor(0x206080), tab = TColor(0x30A8D8);
    Box(c, TRect(1, 2, 7, 5), tab, line);
    Box(c, TRect(1, 4, 15, 14), body, line);
    if (Kind != TbsFolderRowKind::Closed)
    {
        // An open folder: its front flap drawn lower and lighter.
        Box(c, TRect(3, 7, 15, 14), TColor(0x90E0FF), line);
        if (Kind == TbsFolderRowKind::Current) Box(c, TRect(6, 9, 12, 12), TColor(0xD07830), TColor(0xD07830));
    }
    return b;
}
