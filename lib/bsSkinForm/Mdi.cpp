// MDI support of the skinned form: the main form's client window (no frame of
// its own, the skin's background), the MDI work area, tile, cascade and the
// other arrangement commands, the window menu of the children; a child
// maximizes into the work area without a frame and tells the main form.
#include "lib/bsSkinForm.h"
#include "lib/bsSkinForm/Internal.h"

#include <algorithm>
#include <cmath>

#include "platform/gui/Menus.h"

namespace
{
const char* const kChildItem = "_BSFCHILDITEM";

// The component's form as an MDI child of the main form, when it is one.
bool ChildOfMain(TCustomForm* f)
{
    TCustomForm* mf = Application ? Application->MainForm() : nullptr;
    return f->GetFormStyle() == fsMDIChild && mf && mf != f && mf->GetFormStyle() == fsMDIForm;
}
}  // namespace

std::vector<TCustomForm*> bsskinform::MDIChildList(TCustomForm* main)
{
    std::vector<TCustomForm*> out;
    for (int i = 0; TCustomForm* c = main->MDIChildren(i); ++i) out.push_back(c);
    return out;
}

namespace
{
// The start of an arrangement on an MDI main form: the children restored,
// the work area's size and the children, top first.
bool StartArrangement(TbsSkinForm& sf, int& W, int& H, std::vector<TCustomForm*>& children)
{
    if (sf.Form()->GetFormStyle() != fsMDIForm) return false;
    sf.RestoreAll();
    const TRect area = sf.GetMDIWorkArea();
    W = area.Width();
    H = area.Height();
    children = bsskinform::MDIChildList(sf.Form());
    return true;
}
}  // namespace

bool TbsSkinForm::IsMDIChild() const { return ChildOfMain(FForm); }

bool TbsSkinForm::IsMaximizedMDIChild() const { return FWindowState == wsMaximized && IsMDIChild(); }

TbsSkinForm* TbsSkinForm::MainMDISkinForm() const
{
    TCustomForm* mf = Application ? Application->MainForm() : nullptr;
    return mf && mf->GetFormStyle() == fsMDIForm ? FindSkinForm(mf) : nullptr;
}

TRect TbsSkinForm::GetMDIWorkArea() const { return FForm->MDIClientRect(); }

TCustomForm* TbsSkinForm::GetMaximizedMDIChild() const
{
    TCustomForm* active = FForm->ActiveMDIChild();
    if (TbsSkinForm* sf = FindSkinForm(active); sf && sf->WindowState() == wsMaximized) return active;
    for (int i = 0; TCustomForm* c = FForm->MDIChildren(i); ++i)
        if (TbsSkinForm* sf = FindSkinForm(c); sf && sf->WindowState() == wsMaximized) return c;
    return nullptr;
}

// ---------------------------------------------------------------------------
// The client window

void TbsSkinForm::SubclassMDIClient()
{
    HWND client = FForm->ClientHandle();
    if (!client || client == FClientWnd) return;
    FClientWnd = client;
    FClientToken = SubclassWindow(client, [this](HWND h, UINT msg, WPARAM wp, LPARAM lp) {
        return MDIClientWndProc(h, msg, wp, lp);
    });
    RefreshFormSize();
}

LRESULT TbsSkinForm::MDIClientWndProc(HWND h, UINT msg, WPARAM wp, LPARAM lp)
{
    const TSubclassToken self = FClientToken;
    switch (msg)
    {
    case WM_SIZE:
    {
        const LRESULT r = CallPreviousWindowProc(h, self, msg, wp, lp);
        AdjustMDIChilds();
        // A background that depends on the size is painted anew.
        const bool skinned = FSkinSupport && FSD;
        const bool mdiPicture = skinned && FSD->MDIBGPictureIndex != -1;
        if (!LogoBitMap->Empty() || (skinned && FSD->StretchEffect && !mdiPicture) ||
            (mdiPicture && FSD->MDIBGStretchEffect))
            RedrawWindow(h, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE);
        return r;
    }
    case WM_NCCALCSIZE:
    case WM_NCPAINT: return 0;  // the client has no frame of its own
    case WM_NCACTIVATE: return 1;
    case WM_ERASEBKGND:
    {
        // The store's MDI background first, else the form's own background.
        HDC dc = reinterpret_cast<HDC>(wp);
        if (!FSD || FSD->Empty) PaintMDIBGDefault(dc);
        else if (FSD->MDIBGPictureIndex != -1) PaintBG3(dc);
        else if (FSD->BGPictureIndex == -1) PaintBG(dc);
        else PaintBG2(dc);
        return 1;
    }
    default: return CallPreviousWindowProc(h, self, msg, wp, lp);
    }
}

void TbsSkinForm::AdjustMDIChilds()
{
    for (int i = 0; TCustomForm* c = FForm->MDIChildren(i); ++i)
        if (c->HandleAllocated()) SendMessage(c->Handle(), BSM_MDICHILD_ADJUST, 0, 0);
    ArrangeMinimizedChilds();
}

void TbsSkinForm::ArrangeMinimizedChilds()
{
    for (int i = 0; TCustomForm* c = FForm->MDIChildren(i); ++i)
        if (TbsSkinForm* sf = FindSkinForm(c); sf && sf->WindowState() == wsMinimized)
        {
            TPoint p;
            sf->GetMinimizedPosition(p);
            c->SetBounds(p.X, p.Y, c->Width(), c->Height());
        }
}

// ---------------------------------------------------------------------------
// Arrangement

void TbsSkinForm::RestoreAll()
{
    for (int i = 0; TCustomForm* c = FForm->MDIChildren(i); ++i)
        if (TbsSkinForm* sf = FindSkinForm(c))
        {
            if (sf->WindowState() != wsNormal) sf->ChangeWindowState(wsNormal);
            if (sf->RollUpState() && sf->WindowState() == wsNormal) sf->ChangeRollUpState(false);
        }
}

void TbsSkinForm::MinimizeAll()
{
    for (int i = 0; TCustomForm* c = FForm->MDIChildren(i); ++i)
        if (TbsSkinForm* sf = FindSkinForm(c)) sf->ChangeWindowState(wsMinimized);
}

void TbsSkinForm::MaximizeAll()
{
    for (int i = 0; TCustomForm* c = FForm->MDIChildren(i); ++i)
        if (TbsSkinForm* sf = FindSkinForm(c)) sf->ChangeWindowState(wsMaximized);
}

void TbsSkinForm::CloseAll()
{
    const std::vector<TCustomForm*> children = bsskinform::MDIChildList(FForm);
    for (auto it = children.rbegin(); it != children.rend(); ++it) (*it)->Close();
}

void TbsSkinForm::Tile()
{
    int W = 0, H = 0;
    std::vector<TCustomForm*> children;
    if (!StartArrangement(*this, W, H, children)) return;
    const int n = int(children.size());
    int cols = int(std::trunc(std::sqrt(double(n))));
    if (cols < 1) return;
    int rows = n / cols;
    if (n > rows * cols) ++rows;
    const int colW = W / cols;
    int rowH = H / rows;
    int x = W, y = H;
    // From the last child to the first, column by column from the right,
    // each column filled from the bottom.
    for (int i = n; i >= 1; --i)
    {
        children[std::size_t(i - 1)]->SetBounds(std::max(0, x - colW), std::max(0, y - rowH), colW, rowH);
        y -= rowH;
        if (y - rowH < 0 && i > 1)
        {
            y = H;
            x -= colW;
            cols = std::max(1, cols - 1);
            const int left = i - 1;
            rows = std::max(1, left / cols + (left % cols ? 1 : 0));
            rowH = H / rows;
        }
    }
}

void TbsSkinForm::Cascade()
{
    int W = 0, H = 0;
    std::vector<TCustomForm*> children;
    if (!StartArrangement(*this, W, H, children)) return;
    const int n = int(children.size());
    if (n == 0) return;
    const int step = FSkinSupport ? std::max(1, NewClRect.Top) : GetDefCaptionHeight() + 3;
    // 80 % of the width, rounded half to even.
    const int r = int(std::nearbyint(W * 0.8));
    const int k = (W - r) / step;
    int w = k > n ? W - (n - 1) * step : W - k * step;
    int h = k > n ? H - (n - 1) * step : H - k * step;
    w = std::max(w, GetMinWidth());
    h = std::max(h, GetMinHeight());
    int o = 0;
    for (int i = n - 1; i >= 0; --i)
    {
        TCustomForm* c = children[std::size_t(i)];
        const bool keep = c->GetBorderStyle() == bsSingle;
        const int cw = keep ? c->Width() : w, ch = keep ? c->Height() : h;
        if (o + cw > W || o + ch > H) o = 0;
        c->SetBounds(o, o, cw, ch);
        o += step;
    }
}

// ---------------------------------------------------------------------------
// The window menu

void TbsSkinForm::AddChildToMenu(TCustomForm* Child)
{
    TMenuItem* wm = FForm->WindowMenu;
    if (!wm || !Child) return;
    auto* item = new TMenuItem(FindSkinForm(Child) ? static_cast<TComponent*>(FindSkinForm(Child)) : this);
    item->SetName(Child->Name() + kChildItem);
    item->SetCaption(Child->GetText());
    item->OnClick = [this](TObject* s) { MDIItemClick(s); };
    wm->Add(item);
}

void TbsSkinForm::MDIItemClick(TObject* Sender)
{
    auto* item = dynamic_cast<TMenuItem*>(Sender);
    if (!item) return;
    std::string name = item->Name();
    if (auto at = name.find(kChildItem); at != std::string::npos) name.erase(at, std::string(kChildItem).size());
    for (int i = 0; TCustomForm* c = FForm->MDIChildren(i); ++i)
        if (c->Name() == name)
        {
            if (TbsSkinForm* sf = FindSkinForm(c); sf && sf->WindowState() == wsMinimized)
                sf->ChangeWindowState(wsNormal);
            c->Show();
            UpDateChildActiveInMenu();
            UpdateMDITabsBar();
            return;
        }
}

void TbsSkinForm::UpDateChildCaptionInMenu(TCustomForm* Child)
{
    TMenuItem* wm = FForm->WindowMenu;
    if (!wm || !Child) return;
    for (int i = 0; i < wm->Count(); ++i)
        if (wm->Items(i)->Name() == Child->Name() + kChildItem)
        {
            wm->Items(i)->SetCaption(Child->GetText());
            return;
        }
}

void TbsSkinForm::UpDateChildActiveInMenu()
{
    TMenuItem* wm = FForm->WindowMenu;
    if (!wm) return;
    TCustomForm* active = FForm->ActiveMDIChild();
    for (int i = 0; i < wm->Count(); ++i)
    {
        TMenuItem* it = wm->Items(i);
        if (it->Name().find(kChildItem) == std::string::npos) continue;
        it->SetChecked(active && it->Name() == active->Name() + kChildItem);
    }
}

void TbsSkinForm::DeleteChildFromMenu(TCustomForm* Child)
{
    TMenuItem* wm = FForm->WindowMenu;
    if (!wm || !Child) return;
    for (int i = 0; i < wm->Count(); ++i)
        if (wm->Items(i)->Name() == Child->Name() + kChildItem)
        {
            TMenuItem* it = wm->Items(i);
            wm->Remove(it);
            delete it;
            break;
        }
    // The last child gone: a stale child item goes too.
    bool others = false;
    for (int i = 0; TCustomForm* c = FForm->MDIChildren(i); ++i)
        if (c != Child && c->GetVisible()) others = true;
    if (others) return;
    for (int i = 0; i < wm->Count(); ++i)
        if (wm->Items(i)->Name().find(kChildItem) != std::string::npos)
        {
            TMenuItem* it = wm->Items(i);
            wm->Remove(it);
            delete it;
            break;
        }
}

// The bar shows the active child's menu merged into the main menu: it follows
// the activation and the children's coming and going.
void TbsSkinForm::UpdateMainMenuBarItems()
{
    if (FMainMenuBar && (FMainMenuBar->GetChildMainMenu() || FMainMenuBar->ChildMenuIn)) FMainMenuBar->UpDateItems();
}

// ---------------------------------------------------------------------------
// Messages

bool TbsSkinForm::MdiWindowProc(TMessage& m)
{
    const bool child = IsMDIChild();
    if (!child && FForm->GetFormStyle() != fsMDIForm) return false;
    if (child)
    {
        TbsSkinForm* main = MainMDISkinForm();
        switch (m.Msg)
        {
        case BSM_MDICHILD_ADJUST:
            if (FWindowState == wsMaximized && main)
            {
                const TRect a = main->GetMDIWorkArea();
                FForm->SetBounds(0, 0, a.Width(), a.Height());
            }
            return true;
        // A maximized child has no frame.
        case WM_NCCALCSIZE:
            if (!IsMaximizedMDIChild()) return false;
            m.Result = 0;
            return true;
        case WM_NCPAINT:
            if (!IsMaximizedMDIChild()) return false;
            m.Result = 0;
            return true;
        case WM_NCHITTEST:
            if (!IsMaximizedMDIChild()) return false;
            m.Result = HTCLIENT;
            return true;
        case WM_SHOWWINDOW:
            if (main)
            {
                if (m.WParam)
                {
                    main->AddChildToMenu(FForm);
                    main->AddChildToBar(FForm);
                }
                else
                {
                    main->DeleteChildFromMenu(FForm);
                    main->DeleteChildFromBar(FForm);
                }
            }
            return false;
        // Child windows take no activation of their own here: the child on
        // top of the client is the active one, and the main form's bar
        // follows it when it changes.
        case WM_WINDOWPOSCHANGED:
            if (main && main->FForm->ActiveMDIChild() != main->FBarChild)
            {
                main->FBarChild = main->FForm->ActiveMDIChild();
                main->UpdateMainMenuBarItems();
            }
            return false;
        case WM_SETTEXT:
            PassOn(m);
            if (main)
            {
                main->UpDateChildCaptionInMenu(FForm);
                main->RefreshMDIBarTab(FForm);
            }
            NCPaint();
            return true;
        case WM_DESTROY:
            FWindowState = wsNormal;
            if (main && Application->MainForm()->HandleAllocated())
                SendMessage(Application->MainForm()->Handle(), BSM_MDICHILD_RESTORED, 0, 0);
            if (main)
            {
                main->UpdateMainMenuBarItems();
                main->DeleteChildFromBar(FForm);
                main->UpdateMDITabsBar();
            }
            return false;
        // The main form's bar, tabs and window menu follow the activation
        // (the frame's own work follows in the main dispatch).
        case WM_NCACTIVATE:
            if (main)
            {
                main->UpdateMainMenuBarItems();
                main->UpdateMDITabsBar();
                main->UpDateChildActiveInMenu();
                if (IsMaximizedMDIChild()) main->NCPaint();
            }
            return false;
        default: return false;
        }
    }
    switch (m.Msg)
    {
    case WM_SHOWWINDOW:
        if (m.WParam) SubclassMDIClient();
        return false;
    case BSM_MDICHILD_MAXIMIZED:
        FMDIChildMaximized = true;
        NCPaint();
        if (FMainMenuBar) FMainMenuBar->MDIChildMaximize();
        return true;
    case BSM_MDICHILD_RESTORED:
        FMDIChildMaximized = GetMaximizedMDIChild() != nullptr;
        NCPaint();
        if (FMainMenuBar) FMainMenuBar->MDIChildRestore();
        return true;
    default: return false;
    }
}
