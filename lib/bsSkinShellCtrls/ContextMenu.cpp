// The verbs of an item (open, rename, delete to the trash, properties) and
// the skinned context menu that offers them.
#include <memory>

#include "lib/bsMessages.h"
#include "lib/bsSkinForm.h"
#include "lib/bsSkinShellCtrls/Internal.h"
#include "platform/core/Utf8.h"

namespace
{
// A skinned message box of the control's skin.
int Ask(TControl* Control, const std::string& Msg, TMsgDlgType Type, TMsgDlgButtons Buttons)
{
    TbsSkinMessage msg(nullptr);
    TbsSkinData* sd = ShellControlSkin(Control);
    msg.SetSkinData(sd);
    msg.SetCtrlSkinData(sd);
    return msg.MessageDlg(Msg, Type, Buttons, 0);
}

std::string PropertiesText(const TItemIDList& Absolute)
{
    TItemIDList parent = Absolute, last = shell::LastItemIDOf(Absolute);
    shell::RemoveLastItemID(&parent);
    const shell::TShellFolder folder(parent);
    std::string text = folder.GetDisplayNameOf(last, shell::SHGDN_NORMAL);
    const std::string path = shell::SHGetPathFromIDList(Absolute);
    if (!path.empty()) text += "\n" + Utf8Visible(path);
    for (int column = shell::scType; column <= shell::scModified; ++column)
    {
        const std::string detail = folder.GetDetailsOf(last, column);
        if (!detail.empty()) text += "\n" + detail;
    }
    const std::string size = folder.GetDetailsOf(last, shell::scSize);
    if (!size.empty()) text += "\n" + size;
    return text;
}

bool RunVerbOn(TControl* Control, const TItemIDList& Absolute, const std::string& Verb)
{
    shell::TShellVerbHooks hooks;
    hooks.ConfirmDelete = [Control](const std::string& name) {
        return Ask(Control, ShellText(Control, "SHELL_TRASH_QUESTION", "确实要把“%s”移到回收站吗？", name),
                   mtConfirmation, {mbYes, mbNo}) == mrYes;
    };
    hooks.ShowProperties = [Control](const TItemIDList& id) {
        Ask(Control, PropertiesText(id), mtInformation, {mbOK});
    };
    return shell::InvokeShellVerb(Absolute, LowerCase(Verb), hooks);
}
}  // namespace

std::string ShellText(TControl* Control, const char* Key, const char* BuiltIn, const std::string& Arg)
{
    TbsSkinData* sd = ShellControlSkin(Control);
    TbsResourceStrData* table = sd ? sd->ResourceStrData() : nullptr;
    std::string text = table ? table->GetResStr(Key) : std::string();
    if (text.empty()) text = BuiltIn;
    const std::size_t at = text.find("%s");
    if (at != std::string::npos) text.replace(at, 2, Utf8Visible(Arg));
    return text;
}

std::string ShellItemCaption(TControl* Control, const TbsShellFolder* Folder)
{
    if (!Folder) return {};
    switch (Folder->Info().Special)
    {
    case shell::snDesktop: return ShellText(Control, "SHELL_DESKTOP", "桌面");
    case shell::snComputer: return ShellText(Control, "SHELL_COMPUTER", "计算机");
    case shell::snHome: return ShellText(Control, "SHELL_HOME", "主文件夹");
    case shell::snDocuments: return ShellText(Control, "SHELL_DOCUMENTS", "文档");
    case shell::snFileSystem: return ShellText(Control, "SHELL_FILESYSTEM", "文件系统");
    case shell::snNone: break;
    }
    return Folder->DisplayName();
}

void CheckListable(TControl* Control, const TItemIDList& ID, const std::string& Shown)
{
    switch (shell::FolderState(ID))
    {
    case shell::fsListable: return;
    case shell::fsMissing: throw EInvalidPath(ShellText(Control, "SHELL_ERR_MISSING", "“%s”不存在。", Shown));
    case shell::fsNotFolder:
        throw EInvalidPath(ShellText(Control, "SHELL_ERR_NOTFOLDER", "“%s”不是文件夹，无法打开。", Shown));
    case shell::fsBrokenLink:
        throw EInvalidPath(ShellText(Control, "SHELL_ERR_BROKENLINK", "链接“%s”指向的位置不存在。", Shown));
    case shell::fsLinkLoop:
        throw EInvalidPath(ShellText(Control, "SHELL_ERR_LINKLOOP", "链接“%s”循环指向自己，无法打开。", Shown));
    case shell::fsUnreadable:
        throw EInvalidPath(ShellText(Control, "SHELL_ERR_UNREADABLE", "无法打开文件夹“%s”：没有读取权限。", Shown));
    }
}

void ShowShellError(TControl* Control, const std::string& Text)
{
    TbsSkinMessage msg(nullptr);
    TbsSkinData* sd = ShellControlSkin(Control);
    msg.SetSkinData(sd);
    msg.SetCtrlSkinData(sd);
    msg.MessageDlg2(Text, ShellText(Control, "SHELL_CAP_NOTICE", "提示"), mtWarning, {mbOK}, 0);
}

std::string ShellItemPath(TControl* Control, const TbsShellFolder* Folder)
{
    if (!Folder) return {};
    return Folder->Info().Special == shell::snComputer ? ShellItemCaption(Control, Folder) : Folder->PathName();
}

TbsSkinData* ShellControlSkin(TControl* Control)
{
    if (auto* target = dynamic_cast<TbsSkinChangeTarget*>(Control))
        if (target->SkinStore()) return const_cast<TbsSkinData*>(target->SkinStore());
    if (auto* c = dynamic_cast<TbsSkinControl*>(Control))
        if (c->SkinData()) return c->SkinData();
    if (TCustomForm* f = Control ? GetParentForm(Control) : nullptr)
        if (TbsSkinForm* sf = FindSkinForm(f)) return sf->MenusSkinData() ? sf->MenusSkinData() : sf->SkinData();
    return nullptr;
}

bool RunShellVerb(TControl* Control, TbsShellFolder* Folder, const std::string& Verb)
{
    return Folder && RunVerbOn(Control, Folder->AbsoluteID(), Verb);
}

void ShowShellContextMenu(TWinControl* Control, TbsShellFolder* Folder, int X, int Y,
                          std::unique_ptr<TbsSkinPopupMenu>& Menu)
{
    if (!Folder || !Control) return;
    const TItemIDList absolute = Folder->AbsoluteID();
    const TbsShellFolderCapabilities caps = Folder->Capabilities();
    const bool isFolder = Folder->IsFolder();
    Menu = std::make_unique<TbsSkinPopupMenu>(nullptr);
    Menu->ComponentForm = GetParentForm(Control);
    Menu->SetSkinData(ShellControlSkin(Control));
    TbsSkinPopupMenu* menu = Menu.get();
    auto add = [&](const std::string& caption, const std::string& verb, bool enabled) {
        auto* item = new TMenuItem(menu);
        item->SetCaption(caption);
        item->SetEnabled(enabled);
        // The menu is the control's and goes with it, so the control is there
        // when an entry runs.
        item->OnClick = [Control, absolute, verb](TObject*) {
            auto* handler = dynamic_cast<IbsShellVerbHandler*>(Control);
            bool handled = false;
            if (handler) handler->ExecuteCommand(verb, handled);
            const bool ok = handled || RunVerbOn(Control, absolute, verb);
            if (handler) handler->CommandCompleted(verb, ok);
        };
        menu->Items()->Add(item);
    };
    add(ShellText(Control, "SHELL_MENU_OPEN", "打开"), "open", !shell::SHGetPathFromIDList(absolute).empty() && !isFolder);
    add(ShellText(Control, "SHELL_MENU_RENAME", "重命名"), "rename", caps.Contains(fcCanRename));
    add(ShellText(Control, "SHELL_MENU_DELETE", "删除"), "delete", caps.Contains(fcCanDelete));
    add(ShellText(Control, "SHELL_MENU_PROPERTIES", "属性"), "properties", true);
    const TPoint p = Control->ClientToScreen(TPoint(X, Y));
    Menu->Popup(p.X, p.Y);
}
