// What the parts of the main window share (index of the parts: app/Unit1.h).
#pragma once
#include <array>
#include <string>
#include <type_traits>

#include "platform/gui/Controls.h"

class TComponent;
class TListItem;
class TWinControl;

namespace unit1 {

// The job table's columns: caption and width (0: a hidden column that
// carries a job's parameters).
struct TColumnSpec
{
    const char* Caption;
    int Width;
};
constexpr int kJobColumnCount = 25;
extern const std::array<TColumnSpec, kJobColumnCount> kJobColumns;

// Job table columns that the parts read and write by number.
constexpr int kColDuration = 1, kColSize = 2, kColOutput = 3, kColProgress = 4, kColTask = 8,
              kColCategory = 9, kColOptionCode = 10;

// Column c of a row (the caption is column 0); "" when the row has none.
std::string RowText(TListItem* row, int c);
// Sets column c of a row (columns up to c are made when missing).
void SetRowText(TListItem* row, int c, const std::string& text);

// The main window's client size, and the left edge of the off-screen area.
constexpr int kClientWidth = 804, kClientHeight = 537;
constexpr int kOffscreenLeft = 873;

// Makes a component of the form with its component name, on a parent.
template <class T>
T* Make(TComponent* owner, TWinControl* parent, const char* name)
{
    auto* c = new T(owner);
    c->SetName(name);
    if constexpr (std::is_base_of_v<TControl, T>)
        if (parent) c->SetParent(parent);
    return c;
}

}  // namespace unit1
