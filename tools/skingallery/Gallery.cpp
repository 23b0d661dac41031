#include "tools/skingallery/Gallery.h"

#include "lib/bsUtils.h"
#include "platform/gui/Graphics.h"
#include "platform/core/Exception.h"
#include "platform/core/Surface.h"
#include "platform/sys/Files.h"

#include <algorithm>
#include <sstream>

namespace gallery
{
namespace
{
// The page starts this tall and grows by as much again whenever a row needs it.
constexpr int kMargin = 12, kGap = 10, kLabel = 16, kPageStep = 9000;

}  // namespace

void FromPicture(const TbsSkinPicture& pic, TbsBitmap& out)
{
    out.SetSize(pic.Width(), pic.Height());
    std::copy(pic.Pixels().begin(), pic.Pixels().end(), out.Bits());
}

TbsColor Opaque(int color)
{
    return 0xFF000000u | (TbsColor(color & 0xFF) << 16) | (TbsColor(color) & 0xFF00) | ((TbsColor(color) >> 16) & 0xFF);
}

GalleryPage::GalleryPage(TbsSkinData& data, int width) : data_(data), width_(width)
{
    page_.SetSize(width, kPageStep);
    // Controls sit on forms: the page has the form colour.
    background_ = Opaque(data.FSkinColors.FcBtnFace);
    page_.Clear(background_);
    y_ = kMargin;
    x_ = kMargin;
}

void GalleryPage::Section(const std::string& entry, const std::string& title)
{
    NewRow();
    entry_ = entry;
    Grow(y_ + 20);
    const TRect r(kMargin, y_, width_ - kMargin, y_ + 20);
    TbsColor line = Opaque(data_.FSkinColors.FcBtnShadow);
    for (int x = r.Left; x < r.Right; ++x) page_.SetPixel(x, r.Bottom - 2, line);
    TRect tr = r;
    TCanvas* c = page_.GetCanvas();
    c->Font()->SetName("DejaVu Sans");
    c->Font()->SetHeight(13);
    TFontStyles bold;
    bold.Include(fsBold);
    c->Font()->SetStyle(bold);
    c->Font()->SetColor(data_.FSkinColors.FcBtnText);
    c->Brush()->SetStyle(bsClear);
    DrawTextUnicode(c, title, tr, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
    y_ = r.Bottom + 6;
    x_ = kMargin;
    rowH_ = 0;
}

void GalleryPage::NewRow()
{
    if (x_ > kMargin)
    {
        y_ += rowH_ + kGap;
        x_ = kMargin;
        rowH_ = 0;
    }
}

void GalleryPage::Mark(const TRect& r, const std::string& what)
{
    GalleryCell cell;
    cell.Entry = entry_;
    cell.What = what;
    cell.Rect = r;
    cells_.push_back(cell);
}

void GalleryPage::TextRegion(const TRect& r, TbsTextKind kind, const std::string& what)
{
    textRegions_.push_back({entry_ + ": " + what, r, kind});
}

TRect GalleryPage::Place(int w, int h, const std::string& label)
{
    int labelW = 0;
    if (!label.empty())
    {
        TCanvas* c = page_.GetCanvas();
        c->Font()->SetName("DejaVu Sans");
        c->Font()->SetHeight(10);
        c->Font()->SetStyle(TFontStyles());
        labelW = TextWidthW(c, label);
    }
    const int span = std::max(w, labelW);
    if (x_ > kMargin && x_ + span > width_ - kMargin) NewRow();
    Grow(y_ + h + kLabel);
    const TRect r(x_, y_, x_ + w, y_ + h);
    x_ += span + kGap;
    rowH_ = std::max(rowH_, h + kLabel);
    GalleryCell cell;
    cell.Entry = entry_;
    cell.What = label;
    cell.Rect = r;
    cells_.push_back(cell);
    if (!label.empty())
    {
        TRect lr(r.Left, r.Bottom + 1, r.Left + span, r.Bottom + kLabel);
        TCanvas* c = page_.GetCanvas();
        c->Font()->SetName("DejaVu Sans");
        c->Font()->SetHeight(10);
        c->Font()->SetStyle(TFontStyles());
        c->Font()->SetColor(data_.FSkinColors.FcBtnText);
        c->Brush()->SetStyle(bsClear);
        DrawTextUnicode(c, label, lr, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
    }
    return r;
}

TbsBitmap* GalleryPage::Picture(int index)
{
    const TbsSkinPicture* pic = data_.ActivePicture(index);
    if (pic == nullptr) return nullptr;
    if (pictures_.size() < static_cast<std::size_t>(data_.ActivePicturesCount())) pictures_.resize(data_.ActivePicturesCount());
    if (!pictures_[index])
    {
        pictures_[index] = std::make_unique<TbsBitmap>();
        FromPicture(*pic, *pictures_[index]);
    }
    return pictures_[index].get();
}

TbsBitmap* GalleryPage::FramePicture(bool inactive)
{
    auto& slot = inactive ? inactive_ : frame_;
    const TbsSkinPicture& pic = inactive ? data_.FInActivePicture : data_.FPicture;
    if (pic.Empty()) return nullptr;
    if (!slot)
    {
        slot = std::make_unique<TbsBitmap>();
        FromPicture(pic, *slot);
    }
    return slot.get();
}

TbsBitmap* GalleryPage::MaskPicture()
{
    if (data_.FMask.Empty()) return nullptr;
    if (!mask_)
    {
        mask_ = std::make_unique<TbsBitmap>();
        FromPicture(data_.FMask, *mask_);
    }
    return mask_.get();
}

void GalleryPage::Put(TbsBitmap& src, int x, int y)
{
    DrawToBitmapOpaque(&page_, TRect(x, y, x + src.Width(), y + src.Height()), TRect(0, 0, page_.Width(), page_.Height()),
                       &src, TRect(0, 0, src.Width(), src.Height()));
}

void GalleryPage::PutKeyed(TbsBitmap& src, const TRect& r, int x, int y, TbsColor key)
{
    for (int yy = r.Top; yy < r.Bottom; ++yy)
        for (int xx = r.Left; xx < r.Right; ++xx)
        {
            const TbsColor p = src.GetPixel(xx, yy);
            if ((p & 0xFFFFFF) != (key & 0xFFFFFF)) page_.SetPixel(x + xx - r.Left, y + yy - r.Top, p | 0xFF000000u);
        }
}

TbsColor GalleryPage::CornerKey(TbsBitmap& pic, const TRect& r) const { return pic.GetPixel(r.Left, r.Bottom - 1); }

void GalleryPage::Text(const TRect& r, const std::string& text, const std::string& font, int height, bool bold,
                       int color, UINT format)
{
    TCanvas* c = page_.GetCanvas();
    c->Font()->SetName(font);
    c->Font()->SetHeight(height);
    TFontStyles st;
    if (bold) st.Include(fsBold);
    c->Font()->SetStyle(st);
    c->Font()->SetColor(color);
    c->Brush()->SetStyle(bsClear);
    TRect tr = r;
    DrawTextUnicode(c, text, tr, format | DT_SINGLELINE | DT_NOPREFIX);
    if (!cells_.empty()) cells_.back().Texts.push_back({text, color, r});
}

void GalleryPage::Grow(int height)
{
    if (height <= page_.Height()) return;
    const int h = std::max(height, page_.Height() + kPageStep);
    TbsBitmap bigger;
    bigger.SetSize(width_, h);
    bigger.Clear(background_);
    DrawToBitmapOpaque(&bigger, TRect(0, 0, width_, page_.Height()), TRect(0, 0, width_, h), &page_,
                       TRect(0, 0, width_, page_.Height()));
    page_.Assign(bigger);
}

void GalleryPage::Finish()
{
    NewRow();
    const int h = std::min(y_ + kMargin, page_.Height());
    TbsBitmap cut;
    cut.SetSize(width_, h);
    DrawToBitmapOpaque(&cut, TRect(0, 0, width_, h), TRect(0, 0, width_, h), &page_, TRect(0, 0, width_, h));
    page_.Assign(cut);
}

void ComposeLook(TbsBitmap& out, TbsBitmap& picture, const TRect& skinRect, TPoint lt, TPoint rt, TPoint lb, TPoint rb,
                 const TRect& cl, bool leftStretch, bool topStretch, bool rightStretch, bool bottomStretch,
                 bool stretchEffect, TbsStretchType stretchType, int w, int h)
{
    const int dx = w - skinRect.Width(), dy = h - skinRect.Height();
    CreateSkinImage(lt, rt, lb, rb, cl, lt, TPoint(rt.X + dx, rt.Y), TPoint(lb.X, lb.Y + dy), TPoint(rb.X + dx, rb.Y + dy),
                    TRect(cl.Left, cl.Top, cl.Right + dx, cl.Bottom + dy), &out, &picture, skinRect, w, h, true,
                    leftStretch, topStretch, rightStretch, bottomStretch, stretchEffect, stretchType);
}

const std::vector<GalleryEntry>& GalleryEntries()
{
    static const std::vector<GalleryEntry> entries = [] {
        std::vector<GalleryEntry> list;
        // Add the gallery entries of new skinned parts here.
        AddFrameEntries(list);
        AddLookEntries(list);
        AddStaticControlEntries(list);
        AddButtonEntries(list);
        AddBoxEntries(list);
        AddViewEntries(list);
        AddMenuEntries(list);
        AddStateEntries(list);
        AddPopupMenuEntries(list);
        AddDialogEntries(list);
        return list;
    }();
    return entries;
}

void RenderPage(GalleryPage& page)
{
    for (const GalleryEntry& e : GalleryEntries()) e.Draw(page);
    page.Finish();
}

bool SavePng(TbsBitmap& b, const std::string& path)
{
    TSurface s = TSurface::Wrap(b.Bits(), b.Width(), b.Height(), b.Width() * 4, false);
    return s.SavePng(path, false);
}

namespace
{
// Fields of a cells line are separated by tabs; a field's own backslashes,
// tabs and line ends are written as \\, \t and \n.
std::string Escaped(const std::string& s)
{
    std::string out;
    for (char c : s)
    {
        if (c == '\\') out += "\\\\";
        else if (c == '\t') out += "\\t";
        else if (c == '\n') out += "\\n";
        else out += c;
    }
    return out;
}

std::string Unescaped(const std::string& s)
{
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i)
    {
        if (s[i] != '\\' || i + 1 == s.size())
        {
            out += s[i];
            continue;
        }
        const char c = s[++i];
        out += c == 't' ? '\t' : c == 'n' ? '\n' : c;
    }
    return out;
}

std::string RectText(const TRect& r)
{
    return std::to_string(r.Left) + " " + std::to_string(r.Top) + " " + std::to_string(r.Right) + " " +
           std::to_string(r.Bottom);
}

std::vector<std::string> Fields(const std::string& line)
{
    std::vector<std::string> f;
    std::size_t start = 0;
    for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
        f.push_back(line.substr(start, tab - start));
    f.push_back(line.substr(start));
    return f;
}
}  // namespace

bool SavePage(GalleryPage& page, const std::string& stem)
{
    // cell <entry> <what> <rect>, then text <colour> <rect> <string> for each of its texts.
    std::string cells;
    for (const GalleryCell& c : page.Cells())
    {
        cells += "cell\t" + Escaped(c.Entry) + "\t" + Escaped(c.What) + "\t" + RectText(c.Rect) + "\n";
        for (const GalleryCell::Text& t : c.Texts)
            cells += "text\t" + std::to_string(t.Color) + "\t" + RectText(t.Rect) + "\t" + Escaped(t.String) + "\n";
    }
    if (!SavePng(page.Bitmap(), stem + ".png")) return false;
    try
    {
        sys::WriteFileAtomic(stem + ".cells", cells);
    }
    catch (const Exception&)
    {
        return false;
    }
    return true;
}

void LoadPage(const std::string& stem, SavedPage& out)
{
    const TSurface png = TSurface::LoadPng(stem + ".png");
    out.Bitmap.SetSize(png.Width(), png.Height());
    for (int y = 0; y < png.Height(); ++y)
        std::copy(png.Row(y), png.Row(y) + png.Width(), out.Bitmap.Bits() + std::ptrdiff_t(y) * png.Width());
    out.Cells.clear();
    const std::string file = stem + ".cells";
    std::istringstream lines(sys::ReadFileToString(file));
    int number = 0;
    for (std::string line; std::getline(lines, line);)
    {
        ++number;
        const std::vector<std::string> f = Fields(line);
        TRect r;
        int color = 0;
        const bool cell = f[0] == "cell" && f.size() == 4, text = f[0] == "text" && f.size() == 4;
        std::istringstream rect(cell || text ? f[2 + cell] : ""), colorText(text ? f[1] : "0");
        if (!(rect >> r.Left >> r.Top >> r.Right >> r.Bottom) || !(colorText >> color) || (text && out.Cells.empty()))
            throw Exception(file + ": line " + std::to_string(number) + " is damaged");
        if (cell)
        {
            GalleryCell c;
            c.Entry = Unescaped(f[1]);
            c.What = Unescaped(f[2]);
            c.Rect = r;
            out.Cells.push_back(c);
        }
        else
        {
            // A text: its colour, its rectangle, its string.
            out.Cells.back().Texts.push_back({Unescaped(f[3]), color, r});
        }
    }
}
}  // namespace gallery
