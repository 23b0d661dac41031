// The file dialogs' tool glyphs, drawn in code: 16 x 16 flat shapes on a
// magenta ground that the bottom-left pixel names as transparent.
#include "lib/bsDialogs/Internal.h"

namespace
{
constexpr TColor kKey = TColor(0xFF00FF);
constexpr TColor kFolder = TColor(0x40C0F0);
constexpr TColor kFolderLine = TColor(0x206090);
constexpr TColor kGreen = TColor(0x30A030);

void Fill(TCanvas* c, const TRect& r, TColor color)
{
    c->Brush()->SetColor(color);
    c->FillRect(r);
}

void Line(TCanvas* c, int x1, int y1, int x2, int y2, TColor color)
{
    c->Pen()->SetColor(color);
    c->MoveTo(x1, y1);
    c->LineTo(x2, y2);
}

void Folder(TCanvas* c)
{
    c->Brush()->SetColor(kFolder);
    c->Pen()->SetColor(kFolderLine);
    c->Rectangle(1, 5, 15, 14);
    c->Rectangle(1, 3, 7, 6);
}
}  // namespace

std::unique_ptr<TBitmap> bsDialogGlyph(const std::string& Name, TColor Ink)
{
    const TColor kInk = Ink;
    auto b = std::make_unique<TBitmap>(16, 16, pf24bit);
    TCanvas* c = b->Canvas();
    Fill(c, TRect(0, 0, 16, 16), kKey);
    if (Name == "BS_BACK")
    {
        // An arrow pointing left.
        for (int i = 0; i < 5; ++i) Line(c, 2 + i, 8 - i, 2 + i, 9 + i, kGreen);
        Fill(c, TRect(7, 6, 14, 11), kGreen);
    }
    else if (Name == "BS_UP")
    {
        // A folder with an arrow pointing up.
        Folder(c);
        for (int i = 0; i < 4; ++i) Line(c, 9 - i, 3 + i, 10 + i, 3 + i, kInk);
        Fill(c, TRect(9, 7, 10, 12), kInk);
    }
    else if (Name == "BS_NEWFOLDER")
    {
        // A folder with a spark at its corner.
        Folder(c);
        Line(c, 12, 0, 12, 5, TColor(0x00C0FF));
        Line(c, 10, 2, 15, 2, TColor(0x00C0FF));
        Line(c, 10, 0, 14, 4, TColor(0x00C0FF));
    }
    else if (Name == "BS_LVSTYLE")
    {
        // Rows of small squares and lines.
        for (int y = 2; y < 14; y += 4)
        {
            Fill(c, TRect(2, y, 5, y + 3), TColor(0xA06030));
            Line(c, 7, y + 1, 14, y + 1, kInk);
        }
    }
    else if (Name == "BS_STRETCH")
    {
        // A frame with arrows to its corners.
        c->Brush()->SetColor(TColor(0xF0E0C0));
        c->Pen()->SetColor(kInk);
        c->Rectangle(4, 4, 12, 12);
        Line(c, 1, 1, 4, 4, kInk);
        Line(c, 14, 1, 11, 4, kInk);
        Line(c, 1, 14, 4, 11, kInk);
        Line(c, 14, 14, 11, 11, kInk);
        Fill(c, TRect(1, 1, 4, 2), kInk);
        Fill(c, TRect(12, 1, 15, 2), kInk);
    }
    else
        return nullptr;
    return b;
}
