// Checks a skin the way the system's windows will use it: every entry the
// frame, menus, boxes and dialogs look up exists with its type word, every
// picture index and rectangle stays inside its picture, frame geometry stays
// inside its look, the format's quirks are kept (no negative coordinates,
// transparent-colour corners of auto-transparent pieces, black-and-white
// masks, grey glow masks), text stays readable against what it is drawn on,
// and a compressed skin round-trips byte for byte.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class TbsSkinData;

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

// Contrast floors the validator holds text to.
constexpr double bsBodyTextContrast = 4.5;
constexpr double bsDisabledTextContrast = 2.5;

// Problems found in the store's current skin, one line each ("entry: what");
// empty when the skin is sound. An empty store is one problem.
std::vector<std::string> bsValidateSkinData(const TbsSkinData& data);

// Loads a compressed skin container (a .skn file's bytes) into a private
// store, validates it and checks that writing the loaded skin back gives the
// same container bytes.
std::vector<std::string> bsValidateCompressedSkin(const std::vector<std::uint8_t>& container);
