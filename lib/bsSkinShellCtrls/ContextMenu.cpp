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
    if (!path.empty()) text += "\n" + path;
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
        return Ask(Control, "Move \"" + name + "\" to the trash?", mtConfirmation, {mbYes, mbNo}) == mrYes;
    };
    hooks.ShowProperties = [Control](const TItemIDList& id) {
        Ask(Control, PropertiesText(id), mtInformation, {mbOK});
    };
    return shell::InvokeShellVerb(Absolute, LowerCase(Verb), hooks);
}
}  // namespace

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
    add("Open", "open", !shell::SHGetPathFromIDList(absolute).empty() && !isFolder);
    add("Rename", "rename", caps.Contains(fcCanRename));
    add("Delete", "delete", caps.Contains(fcCanDelete));
    add("Properties", "properties", true);
    const TPoint p = Control->ClientToScreen(TPoint(X, Y));
    Menu->Popup(p.X, p.Y);
}
