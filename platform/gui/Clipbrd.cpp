#include "platform/gui/Clipbrd.h"

#include "platform/os/Window.h"

TClipboard::TClipboard() = default;
TClipboard::~TClipboard() = default;

std::string TClipboard::GetAsText() const { return GetClipboardText(); }

void TClipboard::SetAsText(const std::string& s)
{
    bitmap_.reset();
    SetClipboardText(s);
}

bool TClipboard::HasFormat(UINT format) const
{
    if (format == CF_BITMAP) return bitmap_ != nullptr;
    if (format == CF_TEXT || format == CF_UNICODETEXT) return ClipboardHasText();
    return false;
}

void TClipboard::Clear()
{
    bitmap_.reset();
    SetClipboardText("");
}

void TClipboard::Assign(const TPersistent* Source)
{
    const TGraphic* g = nullptr;
    if (auto* p = dynamic_cast<const TPicture*>(Source)) g = p->GetGraphic();
    else g = dynamic_cast<const TGraphic*>(Source);
    if (!g)
    {
        TPersistent::Assign(Source);
        return;
    }
    auto b = std::make_unique<TBitmap>();
    b->Assign(g);
    SetClipboardText("");
    bitmap_ = std::move(b);
}

void TClipboard::AssignTo(TPersistent* Dest) const
{
    if (bitmap_)
    {
        if (auto* p = dynamic_cast<TPicture*>(Dest))
        {
            p->Bitmap()->Assign(bitmap_.get());
            return;
        }
        if (auto* b = dynamic_cast<TBitmap*>(Dest))
        {
            b->Assign(bitmap_.get());
            return;
        }
    }
    TPersistent::AssignTo(Dest);
}

TClipboard* Clipboard()
{
    // Never destroyed: it may hold a bitmap, and the drawing layer's own
    // objects may be gone by the time static objects are.
    static TClipboard* clip = new TClipboard;
    return clip;
}
