// A theme description: the small text file under skins/ from which the
// generator draws one stored skin (palette, frame style, geometry, fonts,
// textures, effects).
#pragma once
#include "tools/skingen/Paint.h"

#include <map>
#include <string>

namespace skingen
{
enum class CaptionButtons { Square, Circles, Glass };
enum class Surface { Gradient, Glass, Flat };

struct Theme
{
    // Identity.
    int Index = 0;
    std::string Name, File, Comment;

    // Text.
    std::string Font = "DejaVu Sans";
    // Stored as the skin stores it: positive, the whole cell (about a 10 px
    // em in DejaVu Sans). A 12 px em does not fit the file dialogs' fixed
    // layout: "File name:" would run under the name box beside it.
    int FontHeight = 12;

    // Palette.
    Rgb Base, Surface, Accent, Text, DisabledText, SelectionText;
    Rgb CaptionTop, CaptionBottom, CaptionText;
    Rgb InactiveTop, InactiveBottom, InactiveText;
    Rgb FrameColor, FrameOutline;
    Rgb ButtonTop, ButtonBottom;
    // Hot buttons: derived from the face (+6 % lightness) unless given.
    bool HasHotColors = false;
    Rgb HotTop, HotBottom;
    // Hot close button of the caption.
    Rgb CloseHot;

    // Geometry.
    int CaptionHeight = 28;
    int Border = 5;
    int FrameRadius = 0;
    int ButtonRadius = 3;
    int CapButtonW = 28, CapButtonH = 20, CapButtonGap = 2;

    // Style.
    skingen::Surface CaptionStyle = skingen::Surface::Gradient;
    skingen::Surface ButtonStyle = skingen::Surface::Gradient;
    CaptionButtons CapButtons = CaptionButtons::Square;
    bool ButtonsLeft = false;
    bool CaptionCentered = false;
    bool CaptionShadow = false;
    Texture CaptionTexture = Texture::None;
    Texture PanelTexture = Texture::None;
    int TexturePeriod = 8;
    float TextureStrength = 0.03f;

    // Frame options. A frame with rounded corners always has a mask.
    bool Mask = false;
    bool InactivePicture = true;   // else autorenderinginactiveimage
    TbsInActiveEffect InactiveEffect = ieBrightness;
    bool LayerFrame = false;
    bool Glow = false;
    bool Morph = false;
};

// Reads a theme file: "key = value" lines, "#" comments. Raises
// std::runtime_error naming the file and key for anything missing or wrong.
Theme LoadTheme(const std::string& fileName);
}  // namespace skingen
