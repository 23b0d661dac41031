// The broadcast's default receivers: the screen's forms, first to last.
#include "lib/bsSkinData.h"
#include "platform/gui/Forms.h"
#include "platform/os/Window.h"

std::vector<TbsSkinFormTarget> bsScreenForms()
{
    std::vector<TbsSkinFormTarget> out;
    if (Screen == nullptr) return out;
    for (int i = 0; i < Screen->FormCount(); ++i)
    {
        TCustomForm* form = Screen->Forms(i);
        TbsSkinFormTarget t;
        t.Form = form;
        t.ClassName = ClassNameOf(form);
        // Layered border windows receive nothing, so their windows are not
        // made; every other form's window is made when it has none yet.
        if (t.ClassName != "TbsFormLayerWindow")
        {
            HWND h = form->Handle();
            t.Send = [h](UINT msg, WPARAM wp, LPARAM lp) -> LRESULT {
                return IsWindow(h) ? SendMessage(h, msg, wp, lp) : 0;
            };
        }
        out.push_back(std::move(t));
    }
    return out;
}
