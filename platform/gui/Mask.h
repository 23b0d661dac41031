// The masked edit: an edit whose text follows an edit mask. With an empty
// mask it is the plain edit.
//
// Mask characters: 0 digit, 9 optional digit, # optional digit or sign,
// L letter, l optional letter, A letter or digit, a optional letter or
// digit, C any character, c optional any character; > upper case from here,
// < lower case, <> neither; \ takes the next character literally; any other
// character is a literal. After the mask, ";0" leaves the literals out of
// Text (";1", the default, keeps them) and a third field sets the blank
// character shown in empty places (default '_').
#pragma once
#include <string>
#include <vector>

#include "platform/gui/StdCtrls.h"

class TCustomMaskEdit : public TCustomEdit
{
public:
    explicit TCustomMaskEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}
    std::string GetEditMask() const { return editMask_; }
    void SetEditMask(const std::string& v);
    bool IsMasked() const { return !slots_.empty(); }
    // The text as shown, with literals and blanks.
    std::string GetEditText();
    // Whether every required place is filled.
    bool IsComplete();

protected:
    void DefaultHandler(TMessage& m) override;
    // Text: the entered characters (with the literals when the mask keeps them).
    std::string GetTextBuf() override;

private:
    struct Slot
    {
        bool literal = false;
        char32_t ch = 0;      // the literal, or the mask character
        int charCase = 0;     // 1 upper, -1 lower
    };
    bool accepts(const Slot& s, char32_t c) const;
    bool required(const Slot& s) const;
    int nextEditable(int from) const;
    int prevEditable(int from) const;
    std::u32string format(const std::u32string& text) const;
    void typeInto(char32_t c);
    void clearRange(int from, int to);
    void putAt(int at, char32_t c);

    std::string editMask_;
    std::vector<Slot> slots_;
    bool saveLiterals_ = true;
    char32_t blank_ = U'_';
};

class TMaskEdit : public TCustomMaskEdit
{
public:
    using TCustomMaskEdit::TCustomMaskEdit;
};
