// The clipboard object: text through the system's clipboard, pictures kept
// by the program (the system clipboard here carries text only).
#pragma once
#include <memory>
#include <string>

#include "platform/gui/Graphics.h"

constexpr UINT CF_TEXT = 1;
constexpr UINT CF_BITMAP = 2;
constexpr UINT CF_UNICODETEXT = 13;

class TClipboard : public TPersistent
{
public:
    TClipboard();
    ~TClipboard() override;
    std::string GetAsText() const;
    void SetAsText(const std::string& s);
    bool HasFormat(UINT format) const;
    // Takes a copy of a bitmap, picture or other graphic (the text is cleared).
    void Assign(const TPersistent* Source) override;
    void Clear();

protected:
    // Copies the picture held into a TBitmap or TPicture.
    void AssignTo(TPersistent* Dest) const override;

private:
    std::unique_ptr<TBitmap> bitmap_;
};

// The program's clipboard object.
TClipboard* Clipboard();
