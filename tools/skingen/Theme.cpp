#include "tools/skingen/Theme.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace skingen
{
namespace
{
std::string Trim(const std::string& s)
{
    const auto a = s.find_first_not_of(" \t\r");
    if (a == std::string::npos) return "";
    const auto b = s.find_last_not_of(" \t\r");
    return s.substr(a, b - a + 1);
}

class Keys
{
public:
    Keys(std::map<std::string, std::string> values, std::string file) : v_(std::move(values)), file_(std::move(file)) {}

    bool Has(const std::string& k) const { return v_.count(k) != 0; }

    const std::string& Str(const std::string& k) const
    {
        auto it = v_.find(k);
        if (it == v_.end()) throw std::runtime_error(file_ + ": missing key \"" + k + "\"");
        return it->second;
    }

    std::string Str(const std::string& k, const std::string& def) const { return Has(k) ? Str(k) : def; }

    int Int(const std::string& k, int def) const
    {
        if (!Has(k)) return def;
        try
        {
            return std::stoi(Str(k));
        }
        catch (const std::exception&)
        {
            throw std::runtime_error(file_ + ": \"" + k + "\" is not a number");
        }
    }

    float Float(const std::string& k, float def) const
    {
        if (!Has(k)) return def;
        try
        {
            return std::stof(Str(k));
        }
        catch (const std::exception&)
        {
            throw std::runtime_error(file_ + ": \"" + k + "\" is not a number");
        }
    }

    bool Flag(const std::string& k) const { return Int(k, 0) != 0; }

    Rgb Color(const std::string& k) const
    {
        try
        {
            return ParseRgb(Str(k));
        }
        catch (const std::runtime_error& e)
        {
            throw std::runtime_error(file_ + ": \"" + k + "\": " + e.what());
        }
    }

    Rgb Color(const std::string& k, Rgb def) const { return Has(k) ? Color(k) : def; }

    template <class E>
    E Word(const std::string& k, const std::map<std::string, E>& words, E def) const
    {
        if (!Has(k)) return def;
        auto it = words.find(Str(k));
        if (it == words.end()) throw std::runtime_error(file_ + ": \"" + k + "\" has an unknown value");
        return it->second;
    }

private:
    std::map<std::string, std::string> v_;
    std::string file_;
};
}  // namespace

Theme LoadTheme(const std::string& fileName)
{
    std::ifstream in(fileName, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open theme " + fileName);
    std::map<std::string, std::string> values;
    std::string line;
    while (std::getline(in, line))
    {
        line = Trim(line);
        if (line.empty() || line[0] == '#') continue;
        const auto eq = line.find('=');
        if (eq == std::string::npos) throw std::runtime_error(fileName + ": a line without \"=\": " + line);
        values[Trim(line.substr(0, eq))] = Trim(line.substr(eq + 1));
    }
    Keys k(std::move(values), fileName);

    const std::map<std::string, Surface> surfaces = {
        {"gradient", Surface::Gradient}, {"glass", Surface::Glass}, {"flat", Surface::Flat}};
    const std::map<std::string, Texture> textures = {{"none", Texture::None},
                                                     {"brushed", Texture::Brushed},
                                                     {"stripes", Texture::Stripes},
                                                     {"linen", Texture::Linen}};
    const std::map<std::string, CaptionButtons> capButtons = {
        {"square", CaptionButtons::Square}, {"circles", CaptionButtons::Circles}, {"glass", CaptionButtons::Glass}};
    const std::map<std::string, TbsInActiveEffect> effects = {
        {"brightness", ieBrightness}, {"darkness", ieDarkness}, {"grayscale", ieGrayScale}};

    Theme t;
    t.Index = k.Int("index", -1);
    t.Name = k.Str("name");
    t.File = k.Str("file");
    t.Comment = k.Str("comment", "");
    t.Font = k.Str("font", t.Font);
    t.FontHeight = k.Int("font.height", t.FontHeight);

    t.Base = k.Color("base");
    t.Surface = k.Color("surface");
    t.Accent = k.Color("accent");
    t.Text = k.Color("text");
    t.DisabledText = k.Color("text.disabled");
    t.SelectionText = k.Color("text.selection");
    t.CaptionTop = k.Color("caption.top");
    t.CaptionBottom = k.Color("caption.bottom");
    t.CaptionText = k.Color("caption.text");
    t.InactiveTop = k.Color("caption.inactive.top", Mix(t.CaptionTop, t.Base, 0.6f));
    t.InactiveBottom = k.Color("caption.inactive.bottom", Mix(t.CaptionBottom, t.Base, 0.6f));
    t.InactiveText = k.Color("caption.inactive.text", Mix(t.CaptionText, t.InactiveBottom, 0.35f));
    t.FrameColor = k.Color("frame.color", t.CaptionBottom);
    t.FrameOutline = k.Color("frame.outline", Lighten(t.FrameColor, -0.25f));
    t.ButtonTop = k.Color("button.top");
    t.ButtonBottom = k.Color("button.bottom");
    t.HasHotColors = k.Has("button.hot.top");
    // Hot: 6 % lighter; a face that is nearly white already takes a tint of
    // the accent instead, so that hot still shows at a glance.
    float h, sat, light;
    BsColorToHSL(ToBs(t.ButtonBottom), h, sat, light);
    const bool pale = light > 0.80f;
    t.HotTop = k.Color("button.hot.top", pale ? Mix(t.ButtonTop, t.Accent, 0.06f) : Lighten(t.ButtonTop, 0.06f));
    t.HotBottom = k.Color("button.hot.bottom", pale ? Mix(t.ButtonBottom, t.Accent, 0.16f) : Lighten(t.ButtonBottom, 0.06f));
    t.CloseHot = k.Color("caption.close.hot", ParseRgb("#D9403A"));

    t.CaptionHeight = k.Int("caption.height", t.CaptionHeight);
    t.Border = k.Int("frame.border", t.Border);
    t.FrameRadius = k.Int("frame.radius", t.FrameRadius);
    t.ButtonRadius = k.Int("button.radius", t.ButtonRadius);
    t.CapButtonW = k.Int("caption.button.width", t.CapButtonW);
    t.CapButtonH = k.Int("caption.button.height", t.CapButtonH);
    t.CapButtonGap = k.Int("caption.button.gap", t.CapButtonGap);

    t.CaptionStyle = k.Word("caption.style", surfaces, t.CaptionStyle);
    t.ButtonStyle = k.Word("button.style", surfaces, t.ButtonStyle);
    t.CapButtons = k.Word("caption.buttons", capButtons, t.CapButtons);
    t.ButtonsLeft = k.Flag("caption.buttons.left");
    t.CaptionCentered = k.Flag("caption.centered");
    t.CaptionShadow = k.Flag("caption.shadow");
    t.CaptionTexture = k.Word("caption.texture", textures, t.CaptionTexture);
    t.PanelTexture = k.Word("panel.texture", textures, t.PanelTexture);
    t.TexturePeriod = k.Int("texture.period", t.TexturePeriod);
    t.TextureStrength = k.Float("texture.strength", t.TextureStrength);

    t.Mask = k.Flag("frame.mask") || t.FrameRadius > 0;
    t.InactivePicture = k.Str("caption.inactive", "picture") == "picture";
    t.InactiveEffect = k.Word("caption.inactive.effect", effects, t.InactiveEffect);
    t.LayerFrame = k.Flag("effects.layerframe");
    t.Glow = k.Flag("effects.glow");
    t.Morph = k.Flag("effects.morph");
    if (t.Index < 0) throw std::runtime_error(fileName + ": missing key \"index\"");
    return t;
}
}  // namespace skingen
