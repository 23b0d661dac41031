// Checks a skin the way the system's windows will use it: every entry the
// frame, menus, boxes and dialogs look up exists with its type word, every
// picture index and rectangle stays inside its picture, frame geometry stays
// inside its look, the format's quirks are kept (no negative coordinates,
// transparent-colour corners of auto-transparent pieces, black-and-white
// masks, grey glow masks), text stays readable against what it is drawn on,
// and a compressed skin round-trips byte for byte.
#pragma once
#include "platform/core/Geometry.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class TbsSkinData;
class TbsBitmap;

// Which list of a skin an entry lives in.
enum class TbsSkinEntryList { Object, Control };

// One entry the system looks up by name, with the type word it must have.
struct TbsSkinEntrySpec
{
    const char* Name;
    TbsSkinEntryList List;
    const char* TypeWord;
};

// The entries the windows of the system look up, objects first. This is the
// one table of entry names: the generator makes every entry of it and the
// validator requires every entry of it.
const std::vector<TbsSkinEntrySpec>& bsSkinEntryTable();

// Colour of auto-transparent pieces (magenta), as a skin colour 0x00BBGGRR.
constexpr int bsSkinKeyColor = 0xFF00FF;

// WCAG contrast ratio of two colours 0x00BBGGRR (1 to 21).
double bsContrastRatio(int colorA, int colorB);

// A mix of two colours 0x00BBGGRR: `weight` (0 to 1) of a, the rest of b.
int bsMixColor(int a, int b, double weight);
// `color` moved step by step towards black or white, whichever parts it
// more from `against`, until the two reach `ratio` (or the end is reached).
int bsColorReaching(int color, int against, double ratio);

// The first of `candidates` (0x00BBGGRR, in order of preference) that reaches
// `ratio` against `background`; when none does, the one nearest to it moved
// towards black or white until it does.
int bsReadableColor(const std::vector<int>& candidates, int background, double ratio);

// A skin's text colour on `ground` (0x00BBGGRR): `preferred` where it reads
// as body text (with the margin), else the skin's button text or window
// text, else one of them made to read (system colours resolved).
int bsSkinTextColor(const TbsSkinData& data, int preferred, int ground);

// Weak (disabled, secondary) text `color` on `ground`, made to reach the
// weak-text floor with the margin.
int bsWeakTextColor(int color, int ground);

// Contrast floors the validator holds text to.
constexpr double bsBodyTextContrast = 4.5;
constexpr double bsDisabledTextContrast = 3.0;
// What drawing code aims above a floor: the smoothed edges of small glyphs
// read weaker than their colour.
constexpr double bsTextContrastMargin = 0.6;
// Floors of text measured on rendered pictures: disabled and secondary text
// visibly weaker than body text, still legible.
constexpr double bsWeakTextContrast = 3.0;

// A region of a rendered picture that holds text, and how it must read:
// body text at bsBodyTextContrast, secondary and disabled text at
// bsWeakTextContrast.
enum class TbsTextKind { Body, Secondary, Disabled };
struct TbsTextRegion
{
    std::string What;
    TRect Rect;
    TbsTextKind Kind = TbsTextKind::Body;
};

// The most frequent colour of `r` in a rendered picture (0x00BBGGRR; 0 for
// an empty rectangle): the ground of the text or the face of a control there.
int bsDominantColor(const TbsBitmap& picture, const TRect& r);

// The contrast of the text in `r` of a rendered picture against what is
// behind it: the region's most frequent colour is the background, the ink is
// the colour of its strongest few pixels (a quarter percent of the region,
// at least three: the glyphs' fully covered pixels, not a stray one). 1 when
// nothing stands out.
double bsRenderedTextContrast(const TbsBitmap& picture, const TRect& r);

// Text regions of a rendered picture that read weaker than their kind
// allows, one line each ("what: text contrast 2.1:1 is below 3:1").
std::vector<std::string> bsValidateRenderedText(const TbsBitmap& picture, const std::vector<TbsTextRegion>& regions);

// Problems found in the store's current skin, one line each ("entry: what");
// empty when the skin is sound. An empty store is one problem.
std::vector<std::string> bsValidateSkinData(const TbsSkinData& data);

// Loads a compressed skin container (a .skn file's bytes) into a private
// store, validates it and checks that writing the loaded skin back gives the
// same container bytes.
std::vector<std::string> bsValidateCompressedSkin(const std::vector<std::uint8_t>& container);
