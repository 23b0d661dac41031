// The plain open and save dialogs.
#include <algorithm>
#include <memory>

#include "platform/core/Utf8.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/StdCtrls.h"
#include "platform/sys/Files.h"
#include "platform/sys/UserFolders.h"

#include <climits>
#include <unistd.h>

namespace
{
struct FilterPair
{
    std::string description;
    std::vector<std::string> masks;
};

// "desc|mask;mask|desc|mask" → pairs; an unpaired last description is dropped.
std::vector<FilterPair> parseFilter(const std::string& filter)
{
    std::vector<std::string> parts;
    std::size_t i = 0;
    while (i <= filter.size() && !filter.empty())
    {
        std::size_t j = filter.find('|', i);
        if (j == std::string::npos) j = filter.size();
        parts.push_back(filter.substr(i, j - i));
        i = j + 1;
    }
    std::vector<FilterPair> out;
    for (std::size_t k = 0; k + 1 < parts.size(); k += 2)
    {
        FilterPair p;
        p.description = parts[k];
        std::size_t a = 0;
        const std::string& m = parts[k + 1];
        while (a <= m.size())
        {
            std::size_t b = m.find(';', a);
            if (b == std::string::npos) b = m.size();
            const std::string mask = Trim(m.substr(a, b - a));
            if (!mask.empty()) p.masks.push_back(mask);
            a = b + 1;
        }
        out.push_back(std::move(p));
    }
    return out;
}

// The extension of a mask "*.ext" when it names one concrete extension.
std::string concreteExt(const std::string& mask)
{
    if (mask.size() < 3 || mask.compare(0, 2, "*.") != 0) return {};
    const std::string ext = mask.substr(2);
    if (ext.find_first_of("*?[]./") != std::string::npos) return {};
    return ext;
}

std::string withoutTrailingDelim(const std::string& dir)
{
    return dir == "/" ? dir : sys::ExcludeTrailingPathDelimiter(dir);
}

std::string parentOf(const std::string& dir)
{
    if (dir == "/") return dir;
    const std::string p = sys::ExtractFileDir(dir);
    return p.empty() ? std::string("/") : p;
}

class TFileDialogForm : public TForm
{
public:
    TFileDialogForm(TOpenDialog& dlg, bool save)
        : TForm(nullptr), dlg_(&dlg), save_(save), defaultExt_(dlg.DefaultExt), options_(dlg.Options)
    {
        // Told when the dialog object is freed while this form shows, so that
        // neither the form nor Execute touches it afterwards.
        FreeNotification(&dlg);
        filters_ = parseFilter(dlg.Filter);
        build();
        int fi = dlg.FilterIndex;
        if (fi < 1 || fi > int(filters_.size())) fi = 1;
        if (!filters_.empty()) filterCombo_->SetItemIndex(fi - 1);
        nameEdit_->SetText(sys::ExtractFileName(dlg.FileName));
        std::string start;
        const std::string init = dlg.InitialDir.empty() ? std::string() : sys::ExpandFileName(dlg.InitialDir);
        const std::string nameDir = sys::ExtractFileDir(dlg.FileName);
        if (!init.empty() && sys::DirectoryExists(init)) start = init;
        else if (!nameDir.empty() && sys::DirectoryExists(sys::ExpandFileName(nameDir)))
            start = sys::ExpandFileName(nameDir);
        else start = sys::GetCurrentDir();
        // An unreadable start folder (or a current folder deleted meanwhile)
        // falls back to the home folder, then to "/".
        bool entered = false;
        for (const std::string& d : {start, sys::GetCurrentDir(), sys::SpecialFolder(sys::sfHome), std::string("/")})
            if (!entered && !d.empty() && d[0] == '/') entered = enterFolder(withoutTrailingDelim(d), false);
        if (!entered)
        {
            dir_ = "/";
            pathLabel_->SetText(dir_);
        }
    }

    // The outcome, valid after mrOk.
    std::string ResultName;
    int ResultFilterIndex = 1;
    // The dialog object was freed while the form showed.
    bool DialogFreed() const { return dlg_ == nullptr; }

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override
    {
        TForm::Notification(AComponent, Operation);
        if (Operation == opRemove && AComponent == dlg_)
        {
            dlg_ = nullptr;
            SetModalResult(mrCancel);
        }
    }

private:
    void build()
    {
        SetName("FileDialog");
        SetText(!dlg_->Title.empty() ? dlg_->Title : save_ ? std::string("Save As") : std::string("Open"));
        Font()->SetName("Tahoma");
        Font()->SetHeight(-12);
        const bool sizing = options_.Contains(ofEnableSizing);
        SetBorderStyle(sizing ? bsSizeable : bsDialog);
        SetBorderIcons(TBorderIcons{biSystemMenu});
        SetPosition(poMainFormCenter);
        const int W = 560, H = 360, m = 8, bh = 23, bw = 75, lx = 100;
        SetClientSize(W, H);
        if (sizing)
        {
            Constraints.MinWidth = Width() - W + 400;
            Constraints.MinHeight = Height() - H + 240;
        }
        const int row1 = H - m - bh - 6 - bh, row2 = H - m - bh;
        auto label = [&](const char* name, const std::string& text, int x, int y, TAnchors a) {
            auto* l = new TLabel(this);
            l->SetName(name);
            l->SetShowAccelChar(false);
            l->SetText(text);
            l->SetLeft(x);
            l->SetTop(y);
            l->SetAnchors(a);
            l->SetParent(this);
            return l;
        };
        label("FolderCaption", save_ ? "Save in:" : "Look in:", m, m + 4, TAnchors{akLeft, akTop});
        pathLabel_ = label("FolderPath", "", lx, m + 4, TAnchors{akLeft, akTop, akRight});
        pathLabel_->SetAutoSize(false);
        pathLabel_->SetBounds(lx, m + 4, W - lx - m - 60 - m, bh - 4);

        list_ = new TListBox(this);
        list_->SetName("FileList");
        list_->SetBounds(m, m + bh + 6, W - 2 * m, row1 - 8 - (m + bh + 6));
        list_->SetAnchors(TAnchors{akLeft, akTop, akRight, akBottom});
        list_->SetParent(this);
        list_->OnClick = [this](TObject*) { listClicked(); };
        list_->OnDblClick = [this](TObject*) { listDoubleClicked(); };

        label("FileNameLabel", "File name:", m, row1 + 4, TAnchors{akLeft, akBottom});
        nameEdit_ = new TEdit(this);
        nameEdit_->SetName("FileNameEdit");
        nameEdit_->SetBounds(lx, row1, W - lx - m - bw - m, bh);
        nameEdit_->SetAnchors(TAnchors{akLeft, akRight, akBottom});
        nameEdit_->SetParent(this);

        label("FilterLabel", save_ ? "Save as type:" : "Files of type:", m, row2 + 4, TAnchors{akLeft, akBottom});
        filterCombo_ = new TComboBox(this);
        filterCombo_->SetName("FilterCombo");
        filterCombo_->SetBounds(lx, row2, W - lx - m - bw - m, bh);
        filterCombo_->SetAnchors(TAnchors{akLeft, akRight, akBottom});
        filterCombo_->DropDownCount = 10;
        for (const FilterPair& f : filters_) filterCombo_->Items()->Add(f.description);
        filterCombo_->SetParent(this);
        filterCombo_->OnChange = [this](TObject*) {
            userMask_.clear();
            relist();
        };

        auto* ok = new TButton(this);
        ok->SetName("OkButton");
        ok->SetText(save_ ? "Save" : "Open");
        ok->SetDefault(true);
        ok->SetBounds(W - m - bw, row1, bw, bh);
        ok->SetAnchors(TAnchors{akRight, akBottom});
        ok->SetParent(this);
        ok->OnClick = [this](TObject*) { accept(); };

        auto* cancel = new TButton(this);
        cancel->SetName("CancelButton");
        cancel->SetText("Cancel");
        cancel->Cancel = true;
        cancel->ModalResult = mrCancel;
        cancel->SetBounds(W - m - bw, row2, bw, bh);
        cancel->SetAnchors(TAnchors{akRight, akBottom});
        cancel->SetParent(this);

        auto* up = new TButton(this);
        up->SetName("UpButton");
        up->SetText("Up");
        up->SetBounds(W - m - 60, m, 60, bh);
        up->SetAnchors(TAnchors{akRight, akTop});
        up->SetParent(this);
        up->OnClick = [this](TObject*) { enterFolder(parentOf(dir_), true); };

        SetActiveControl(nameEdit_);
    }

    std::vector<std::string> masks() const
    {
        if (!userMask_.empty()) return {userMask_};
        const int i = filterCombo_->GetItemIndex();
        if (i >= 0 && i < int(filters_.size()) && !filters_[std::size_t(i)].masks.empty())
            return filters_[std::size_t(i)].masks;
        return {"*"};
    }

    int box(const std::string& text, UINT flags) { return PlainMessageBox(text, GetText(), flags); }

    // Lists a folder; false (and the shown folder unchanged) when it cannot be read.
    bool enterFolder(const std::string& dir, bool complain)
    {
        std::vector<sys::TSearchRec> recs;
        if (!sys::ListDirectory(dir, "", recs))
        {
            if (complain) box("The folder \"" + dir + "\" cannot be read.", MB_OK | MB_ICONWARNING);
            return false;
        }
        dir_ = dir;
        pathLabel_->SetText(dir_);
        fill(recs);
        return true;
    }

    void relist()
    {
        std::vector<sys::TSearchRec> recs;
        sys::ListDirectory(dir_, "", recs);
        fill(recs);
    }

    void fill(const std::vector<sys::TSearchRec>& recs)
    {
        const std::vector<std::string> ms = masks();
        std::vector<Entry> dirs, files;
        for (const sys::TSearchRec& r : recs)
        {
            if (r.Name.empty() || r.Name[0] == '.') continue;
            const bool isDir = (r.Attr & sys::faDirectory) != 0;
            if (isDir) dirs.push_back({r.Name, true});
            else if (std::any_of(ms.begin(), ms.end(), [&](const std::string& mk) { return sys::MatchesMask(r.Name, mk); }))
                files.push_back({r.Name, false});
        }
        auto byName = [](const Entry& a, const Entry& b) { return AnsiCompareText(a.name, b.name) < 0; };
        std::sort(dirs.begin(), dirs.end(), byName);
        std::sort(files.begin(), files.end(), byName);
        entries_.clear();
        if (dir_ != "/") entries_.push_back({"..", true});
        entries_.insert(entries_.end(), dirs.begin(), dirs.end());
        entries_.insert(entries_.end(), files.begin(), files.end());
        list_->Items()->BeginUpdate();
        list_->Items()->Clear();
        for (const Entry& e : entries_) list_->Items()->Add(e.dir ? "[" + e.name + "]" : e.name);
        list_->Items()->EndUpdate();
        list_->SetTopIndex(0);
    }

    std::string childPath(const std::string& name) const
    {
        if (name == "..") return parentOf(dir_);
        return sys::IncludeTrailingPathDelimiter(dir_) + name;
    }

    void listClicked()
    {
        const int i = list_->GetItemIndex();
        if (i >= 0 && i < int(entries_.size()) && !entries_[std::size_t(i)].dir)
            nameEdit_->SetText(entries_[std::size_t(i)].name);
    }

    void listDoubleClicked()
    {
        const int i = list_->GetItemIndex();
        if (i < 0 || i >= int(entries_.size())) return;
        const Entry e = entries_[std::size_t(i)];
        if (e.dir) enterFolder(childPath(e.name), true);
        else
        {
            nameEdit_->SetText(e.name);
            accept();
        }
    }

    // Absolute form of a typed name: as typed when it starts with "/",
    // else relative to the shown folder.
    std::string resolve(const std::string& typed) const
    {
        if (!typed.empty() && typed[0] == '/') return sys::ExpandFileName(typed);
        return sys::ExpandFileName(sys::IncludeTrailingPathDelimiter(dir_) + typed);
    }

    void accept()
    {
        // Enter on a folder in the list opens it.
        const int sel = list_->GetItemIndex();
        if (list_->Focused() && sel >= 0 && sel < int(entries_.size()) && entries_[std::size_t(sel)].dir)
        {
            enterFolder(childPath(entries_[std::size_t(sel)].name), true);
            return;
        }
        const std::string typed = nameEdit_->GetText();
        if (Trim(typed).empty()) return;
        if (typed.find_first_of("*?") != std::string::npos)
        {
            // A mask: shown folder's files through it (a folder part moves there first).
            const std::size_t slash = typed.rfind('/');
            if (slash != std::string::npos)
            {
                const std::string folder = withoutTrailingDelim(resolve(typed.substr(0, slash + 1)));
                if (!sys::DirectoryExists(folder))
                {
                    box("The folder \"" + folder + "\" does not exist.", MB_OK | MB_ICONWARNING);
                    return;
                }
                if (!enterFolder(folder, true)) return;
            }
            userMask_ = typed.substr(slash == std::string::npos ? 0 : slash + 1);
            relist();
            return;
        }
        std::string full = resolve(typed);
        if (sys::DirectoryExists(full))
        {
            if (enterFolder(withoutTrailingDelim(full), true)) nameEdit_->SetText("");
            return;
        }
        std::string folder = sys::ExtractFileDir(full);
        if (folder.empty()) folder = "/";
        if (!sys::DirectoryExists(folder) || full.back() == '/')
        {
            box("The folder \"" + withoutTrailingDelim(full.back() == '/' ? full : folder) + "\" does not exist.",
                MB_OK | MB_ICONWARNING);
            return;
        }
        if (sys::ExtractFileExt(sys::ExtractFileName(full)).empty())
        {
            const std::vector<std::string> ms = masks();
            std::string ext = concreteExt(ms.front());
            if (ext.empty())
            {
                ext = defaultExt_;
                if (!ext.empty() && ext[0] == '.') ext.erase(0, 1);
            }
            if (!ext.empty()) full += "." + ext;
        }
        // A name the file system cannot hold could never be written.
        long nameMax = ::pathconf(folder.c_str(), _PC_NAME_MAX);
        if (nameMax <= 0) nameMax = NAME_MAX;
        if (long(sys::ExtractFileName(full).size()) > nameMax || full.size() >= PATH_MAX)
        {
            box("The file name \"" + sys::ExtractFileName(full) + "\" is too long.", MB_OK | MB_ICONWARNING);
            return;
        }
        if (!save_ && options_.Contains(ofFileMustExist) && !sys::FileExists(full))
        {
            box("The file \"" + full + "\" does not exist.", MB_OK | MB_ICONWARNING);
            return;
        }
        if (save_ && options_.Contains(ofOverwritePrompt) && sys::FileExists(full) &&
            box("\"" + full + "\" already exists.\nDo you want to replace it?", MB_YESNO | MB_ICONWARNING) != IDYES)
            return;
        ResultName = full;
        ResultFilterIndex = filters_.empty() ? 1 : filterCombo_->GetItemIndex() + 1;
        SetModalResult(mrOk);
    }

    struct Entry
    {
        std::string name;
        bool dir;
    };
    TOpenDialog* dlg_;
    const bool save_;
    const std::string defaultExt_;
    const TOpenOptions options_;
    std::vector<FilterPair> filters_;
    std::vector<Entry> entries_;
    std::string dir_;
    std::string userMask_;     // a mask typed into the name box, until the filter changes
    TLabel* pathLabel_ = nullptr;
    TListBox* list_ = nullptr;
    TEdit* nameEdit_ = nullptr;
    TComboBox* filterCombo_ = nullptr;
};
} // namespace

bool TOpenDialog::Execute()
{
    auto form = std::make_unique<TFileDialogForm>(*this, IsSaveDialog());
    form->OnShow = [this](TObject*) {
        if (OnShow) OnShow(this);
    };
    const bool ok = form->ShowModal() == mrOk;
    if (form->DialogFreed()) return false;   // this object is gone: touch nothing of it
    if (ok)
    {
        FileName = form->ResultName;
        FilterIndex = form->ResultFilterIndex;
        std::string ext = sys::ExtractFileExt(FileName);
        if (!ext.empty()) ext.erase(0, 1);
        std::string def = DefaultExt;
        if (!def.empty() && def[0] == '.') def.erase(0, 1);
        const bool differs = def.empty() ? !ext.empty() : !AnsiSameText(ext, def);
        if (differs) Options.Include(ofExtensionDifferent);
        else Options.Exclude(ofExtensionDifferent);
    }
    form.reset();
    if (OnClose) OnClose(this);
    return ok;
}
