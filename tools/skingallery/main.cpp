// skin_gallery: renders one PNG per stored skin (headless), with the page's
// cells beside it (the gallery tests read both).
//
//   skin_gallery SKINS_DIR OUT_DIR   every SKINS_DIR/*.skn into OUT_DIR/<name>.png and <name>.cells;
//                                    text that reads too weakly is reported
//   skin_gallery FILE.skn OUT_DIR    that skin alone
#include "lib/bsSkinData.h"
#include "platform/backend/headless/Headless.h"
#include "tools/skingallery/Gallery.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <vector>

namespace fs = std::filesystem;

int main(int argc, char** argv)
{
    // Tools draw off screen: fonts and bitmaps through the headless desktop.
    backend::UseHeadless();
    if (argc != 3)
    {
        std::cerr << "usage: skin_gallery SKINS_DIR|FILE.skn OUT_DIR\n";
        return 2;
    }
    // Tools choose their screen: the gallery draws on the headless desktop.
    backend::UseHeadless();
    try
    {
        std::vector<fs::path> files;
        if (fs::is_directory(argv[1]))
        {
            for (const auto& e : fs::directory_iterator(argv[1]))
                if (e.path().extension() == ".skn") files.push_back(e.path());
        }
        else
            files.push_back(argv[1]);
        std::sort(files.begin(), files.end());
        fs::create_directories(argv[2]);
        for (const fs::path& f : files)
        {
            std::ifstream in(f, std::ios::binary);
            std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
            TbsCompressedStoredSkin stored;
            stored.LoadFromCompressStream(bytes);
            TbsSkinData data;
            data.LoadCompressedStoredSkin(&stored);
            gallery::GalleryPage page(data, 1100);
            gallery::RenderPage(page);
            // Text as rendered, against what is behind it.
            for (const std::string& problem : bsValidateRenderedText(page.Bitmap(), page.TextRegions()))
                std::cerr << "skin_gallery: " << f.stem().string() << ": " << problem << "\n";
            const fs::path out = fs::path(argv[2]) / f.stem().string();
            if (!gallery::SavePage(page, out.string()))
            {
                std::cerr << "skin_gallery: cannot write " << out << "\n";
                return 1;
            }
        }
        return 0;
    }
    catch (const std::exception& e)
    {
        std::cerr << "skin_gallery: " << e.what() << "\n";
        return 1;
    }
}
