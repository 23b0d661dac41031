#include "platform/gui/ExtDlgs.h"

#include "platform/gui/Graphics.h"

std::string GraphicFilter()
{
    struct Format
    {
        const char* description;
        std::vector<const char*> extensions;
    };
    // The formats TPicture can write (TIFF and metafiles are not supported here).
    static const Format formats[] = {
        {"Bitmaps", {"bmp"}},
        {"JPEG Image File", {"jpg", "jpeg"}},
        {"Portable Network Graphics", {"png"}},
        {"GIF Image", {"gif"}},
        {"Icons", {"ico"}},
    };
    std::string all, pairs;
    for (const Format& f : formats)
    {
        std::string masks;
        for (const char* e : f.extensions)
        {
            if (!TPicture::SupportsExtension(e)) continue;
            masks += std::string(masks.empty() ? "" : ";") + "*." + e;
        }
        if (masks.empty()) continue;
        all += std::string(all.empty() ? "" : ";") + masks;
        pairs += std::string("|") + f.description + " (*." + f.extensions[0] + ")|" + masks;
    }
    return "All (" + all + ")|" + all + pairs;
}

TSavePictureDialog::TSavePictureDialog(TComponent* AOwner) : TSaveDialog(AOwner) { Filter = GraphicFilter(); }
