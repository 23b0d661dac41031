// Plain controls of the class library that the skinned ones build on: the
// text label (a window-less control drawing its caption with the text call,
// with alignment, word wrap, accelerator underlining, vertical layout and
// auto-size) and a plain push button.
#pragma once
#include "platform/gui/Controls.h"
#include "platform/gui/Forms.h"

class TCustomLabel : public TGraphicControl
{
public:
    explicit TCustomLabel(TComponent* AOwner);

    TAlignment GetAlignment() const { return alignment_; }
    void SetAlignment(TAlignment v);
    bool GetWordWrap() const { return wordWrap_; }
    void SetWordWrap(bool v);
    bool GetShowAccelChar() const { return showAccelChar_; }
    void SetShowAccelChar(bool v);
    TTextLayout GetLayout() const { return layout_; }
    void SetLayout(TTextLayout v);
    bool GetTransparent() const { return !ControlStyle.Contains(csOpaque); }
    void SetTransparent(bool v);
    void SetAutoSize(bool v) override;
    // The control that takes the focus when the label's accelerator is pressed.
    TWinControl* FocusControl = nullptr;

protected:
    void Paint() override;
    // Draws (or with DT_CALCRECT measures) the caption in rect with the DrawText flags.
    virtual void DoDrawText(TRect& Rect, UINT Flags);
    // Sizes the control to its caption (keeping the edge its alignment holds).
    virtual void AdjustBounds();
    virtual std::string GetLabelText() { return GetText(); }
    UINT DrawTextFlags() const;
    void Dispatch(TMessage& m) override;
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

    TAlignment alignment_ = taLeftJustify;
    bool wordWrap_ = false;
    bool showAccelChar_ = true;
    TTextLayout layout_ = tlTop;
};

class TLabel : public TCustomLabel
{
public:
    using TCustomLabel::TCustomLabel;
};

// A plain push button: clicked by the mouse, Space, Enter when focused,
// Enter anywhere on the form when Default and Escape when Cancel; a
// ModalResult other than mrNone ends the form's modal loop with it.
class TButton : public TCustomControl
{
public:
    explicit TButton(TComponent* AOwner);
    TModalResult ModalResult = mrNone;
    bool GetDefault() const { return default_; }
    void SetDefault(bool v);
    bool Cancel = false;
    void Click() override;

protected:
    void Paint() override;
    void Dispatch(TMessage& m) override;

private:
    bool default_ = false;
    bool down_ = false;
    bool active_ = false;   // answers Enter: focused, or the default while no button is
};

// ---- edit controls ----

// Edit control messages (the selection and positions count characters, not bytes).
constexpr UINT EM_GETSEL = 0x00B0;          // WPARAM, LPARAM: DWORD* start / end (either null); result: start | end << 16
constexpr UINT EM_SETSEL = 0x00B1;          // WPARAM: anchor, LPARAM: caret (-1: end of text); anchor -1: selection removed
constexpr UINT EM_SCROLLCARET = 0x00B7;
constexpr UINT EM_GETMODIFY = 0x00B8;
constexpr UINT EM_SETMODIFY = 0x00B9;       // WPARAM: flag
constexpr UINT EM_REPLACESEL = 0x00C2;      // LPARAM: const char* (UTF-8); replaces the selection
constexpr UINT EM_LIMITTEXT = 0x00C5;       // WPARAM: characters, 0: no limit
constexpr UINT EM_CANUNDO = 0x00C6;
constexpr UINT EM_UNDO = 0x00C7;
constexpr UINT EM_SETPASSWORDCHAR = 0x00CC; // WPARAM: code point, 0: plain text
constexpr UINT EM_EMPTYUNDOBUFFER = 0x00CD;
constexpr UINT EM_SETREADONLY = 0x00CF;     // WPARAM: flag
constexpr UINT EM_GETLIMITTEXT = 0x00D5;
constexpr UINT EM_GETRECT = 0x00B2;         // LPARAM: TRect* (client coordinates)
constexpr UINT EM_SETRECT = 0x00B3;         // LPARAM: TRect* (null: back to the client area); repaints
constexpr UINT EM_SETRECTNP = 0x00B4;       // as EM_SETRECT, without repainting
constexpr UINT EM_SETMARGINS = 0x00D3;      // WPARAM: EC_ flags, LPARAM: MAKELPARAM(left, right)
constexpr UINT EM_GETMARGINS = 0x00D4;      // result: MAKELPARAM(left, right)
constexpr WPARAM EC_LEFTMARGIN = 0x0001;
constexpr WPARAM EC_RIGHTMARGIN = 0x0002;
constexpr WPARAM EC_USEFONTINFO = 0xFFFF;

// Edit control styles (the low word of the window style).
constexpr DWORD ES_LEFT = 0x0000;
constexpr DWORD ES_CENTER = 0x0001;
constexpr DWORD ES_RIGHT = 0x0002;
constexpr DWORD ES_MULTILINE = 0x0004;
constexpr DWORD ES_UPPERCASE = 0x0008;
constexpr DWORD ES_LOWERCASE = 0x0010;
constexpr DWORD ES_PASSWORD = 0x0020;
constexpr DWORD ES_AUTOHSCROLL = 0x0080;
constexpr DWORD ES_NOHIDESEL = 0x0100;
constexpr DWORD ES_READONLY = 0x0800;

enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };

// A plain single-line edit box. The editing itself (typing, caret and
// selection, clipboard, one level of undo, painting the text) is the
// control's default handling of the window messages, so that descendants
// can filter or replace single messages and still reach it; the properties
// go through the same messages.
class TCustomEdit : public TWinControl
{
public:
    explicit TCustomEdit(TComponent* AOwner);

    int GetMaxLength() const { return maxLength_; }
    void SetMaxLength(int v);
    bool GetReadOnly() const { return readOnly_; }
    void SetReadOnly(bool v);
    // Selection in characters; SelStart is also the caret when nothing is selected.
    int GetSelStart();
    void SetSelStart(int v);
    int GetSelLength();
    void SetSelLength(int v);
    std::string GetSelText();
    void SetSelText(const std::string& v);
    void SelectAll();
    void ClearSelection();
    void CopyToClipboard();
    void CutToClipboard();
    void PasteFromClipboard();
    void Undo();
    bool CanUndo();
    void ClearUndo();
    bool GetModified();
    void SetModified(bool v);
    // Selects the whole text when the edit gets the focus other than by a click.
    bool AutoSelect = true;
    char32_t GetPasswordChar() const { return passwordChar_; }
    void SetPasswordChar(char32_t v);
    TEditCharCase GetCharCase() const { return charCase_; }
    void SetCharCase(TEditCharCase v);
    // bsSingle: a sunken two-pixel frame; bsNone: none.
    TBorderStyle GetBorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle v);
    TAlignment GetAlignment() const { return alignment_; }
    void SetAlignment(TAlignment v);
    // Fires on every change of the text, by the user or by the program.
    TNotifyEvent OnChange;

protected:
    void CreateParams(TCreateParams& Params) override;
    virtual void Change();
    void DefaultHandler(TMessage& m) override;
    void PaintWindow(HDC dc) override;
    // Paints the background under the text itself (a skinned edit); false
    // leaves it to the colour request as usual.
    virtual bool PaintEditBackground(HDC dc) { (void)dc; return false; }
    // The text colour while disabled (a skinned edit takes its skin's).
    virtual TColor DisabledTextColor() const { return clGrayText; }
    void CMEnter(TMessage& m) override;
    void CMTextChanged(TMessage& m) override;
    void CMFontChanged(TMessage& m) override;

private:
    struct Layout;
    std::u32string content();
    void store(const std::u32string& t);
    void clampSel(std::size_t len);
    bool replaceSel(std::u32string ins, bool limit, bool typing);
    void deleteChar(bool forward);
    void typeChar(char32_t c);
    void moveCaret(int to, bool extend);
    bool keyDown(int key);
    void mouseAt(int x, bool extend);
    void selectWordAt(int x);
    void undo();
    Layout layout(HDC dc);
    Layout measure();
    int hitTest(int x);
    void scrollToCaret();
    TAlignment effectiveAlignment() const;
    char32_t applyCase(char32_t c) const;

    int maxLength_ = 0;
    bool readOnly_ = false;
    char32_t passwordChar_ = 0;
    TEditCharCase charCase_ = ecNormal;
    TBorderStyle borderStyle_ = bsSingle;
    TAlignment alignment_ = taLeftJustify;
    void restartBlink();
    TRect textArea();
    int anchor_ = 0, caret_ = 0;       // selection ends (characters); caret_ is where the caret is
    TRect formatRect_;                 // set by EM_SETRECT (empty: the client area)
    int leftMargin_ = 1, rightMargin_ = 1;
    bool caretOn_ = false;             // blinking: the caret is shown now
    std::u32string composition_;       // input-method text being composed, shown at the caret
    int scroll_ = 0;                   // pixels the text is moved left to keep the caret in view
    bool modified_ = false;
    bool canUndo_ = false;
    bool typing_ = false;              // the last change was typing at the caret (undone as one)
    bool selecting_ = false;           // the left button is down, dragging a selection
    std::u32string undoText_;
    int undoAnchor_ = 0, undoCaret_ = 0;
};

class TEdit : public TCustomEdit
{
public:
    using TCustomEdit::TCustomEdit;
};

// ---- list and combo boxes ----
#include "platform/gui/Strings.h"

enum TListBoxStyle { lbStandard, lbOwnerDrawFixed };
enum TOwnerDrawStateFlag {
    odSelected, odGrayed, odDisabled, odChecked, odFocused, odDefault, odHotLight, odInactive, odNoAccel,
    odNoFocusRect, odComboBoxEdit
};
using TOwnerDrawState = TEnumSet<TOwnerDrawStateFlag>;
using TDrawItemEvent = std::function<void(TWinControl* Control, int Index, TRect Rect, TOwnerDrawState State)>;

class TCustomListBox;

// The TStrings face of a list box's lines. The lines themselves live in the
// control (AddItem, InsertItem …), so every way of changing them meets the
// same storage and keeps the selection and scroll position in step.
class TListBoxStrings : public TStrings
{
public:
    explicit TListBoxStrings(TCustomListBox* box) : box_(box) {}
    int Count() const override;
    std::string Get(int Index) const override;
    void Put(int Index, const std::string& S) override;
    TObject* GetObject(int Index) const override;
    void PutObject(int Index, TObject* AObject) override;
    void Clear() override;
    void Delete(int Index) override;
    void Insert(int Index, const std::string& S) override;
    void InsertObject(int Index, const std::string& S, TObject* AObject) override;
    // Sorted boxes put the line in its place.
    int Add(const std::string& S) override { return AddObject(S, nullptr); }
    int AddObject(const std::string& S, TObject* AObject) override;

protected:
    void SetUpdateState(bool Updating) override;

private:
    TCustomListBox* box_;
};

// A plain list box: white background, the selected lines in the highlight
// colour, the window's own vertical scroll bar when the lines do not fit (a
// horizontal one in multi-column mode), so its scroll state is there for
// GetScrollInfo and it obeys WM_VSCROLL / WM_HSCROLL. Keys: Up, Down, Home,
// End, PgUp, PgDn (Left and Right across columns) and a letter (the next
// line starting with it). The mouse selects by pressing (and dragging), the
// wheel scrolls. With MultiSelect a click toggles a line; with ExtendedSelect
// as well a click selects one line, Shift a range and Ctrl toggles. OnClick
// fires when the user changes the selection, OnDblClick on a double click.
// The lines go through the LB_ messages (LB_ADDSTRING …), so a descendant
// sees every change; owner-drawn lines are drawn on CN_DRAWITEM, which the
// parent reflects from WM_DRAWITEM.
class TCustomListBox : public TWinControl
{
public:
    explicit TCustomListBox(TComponent* AOwner);
    ~TCustomListBox() override;

    TStrings* Items() { return &strings_; }
    int Count() const { return int(items_.size()); }
    void Clear();
    // -1: nothing selected. Setting it scrolls the line into view; it fires no event.
    // With MultiSelect: the line with the focus rectangle.
    int GetItemIndex() const { return itemIndex_; }
    void SetItemIndex(int v);
    bool GetMultiSelect() const { return multiSelect_; }
    void SetMultiSelect(bool v);
    bool GetExtendedSelect() const { return extendedSelect_; }
    void SetExtendedSelect(bool v);
    bool GetSelected(int Index) const;
    void SetSelected(int Index, bool v);
    // Selected lines; -1 without MultiSelect.
    int SelCount() const;
    // Lines kept in case-insensitive order (new lines go to their place).
    bool GetSorted() const { return sorted_; }
    void SetSorted(bool v);
    // More than 0: the lines flow into columns, this many in view, scrolled sideways.
    int GetColumns() const { return columns_; }
    void SetColumns(int v);
    int GetTopIndex() const { return topIndex_; }
    void SetTopIndex(int v);
    // Line height: measured from the font in lbStandard, as set in lbOwnerDrawFixed.
    int GetItemHeight();
    void SetItemHeight(int v);
    TListBoxStyle GetStyle() const { return style_; }
    void SetStyle(TListBoxStyle v);
    TBorderStyle GetBorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle v);
    // The line at a client point; with Existing -1 past the last line, else Count.
    int ItemAtPos(TPoint Pos, bool Existing);
    // The line's rectangle in client coordinates (also for lines out of view).
    TRect ItemRect(int Index);
    // Full lines that fit in the client area (in one column).
    int VisibleRows();
    // The window's own bar (vertical, or horizontal with Columns) is shown.
    bool ScrollBarShown();
    TCanvas* Canvas() { return canvas_.get(); }

    // The line storage (through LB_ADDSTRING, LB_INSERTSTRING, LB_DELETESTRING).
    int AddItem(const std::string& S, TObject* AObject);
    void InsertItem(int Index, const std::string& S, TObject* AObject);
    void DeleteItem(int Index);
    // Index of the first line starting with the text (ignoring case) after
    // the line `after` (wrapping round); -1 when none.
    int FindItemPrefix(const std::string& Prefix, int after) const;

    TDrawItemEvent OnDrawItem;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void PaintWindow(HDC dc) override;
    // Draws one line; the canvas is set up with the colours of its state.
    virtual void DrawItem(int Index, TRect Rect, TOwnerDrawState State);
    void Dispatch(TMessage& m) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;
    void KeyDown(WORD& Key, TShiftState Shift) override;
    void KeyPress(char32_t& Key) override;
    // Moves the selection for a navigation key as the user would; true when
    // the key was one. Fires OnClick (through Click) when `user` and it changed.
    bool NavigateKey(WORD Key, bool user);
    // Selects a line for the user: fires OnClick when it changed.
    void SelectByUser(int Index);
    void MakeVisible(int Index);
    // Keeps the scroll position valid and repaints after the lines changed.
    void ItemsChanged();
    TOwnerDrawState ItemState(int Index);

private:
    friend class TListBoxStrings;
    struct Item
    {
        std::string text;
        TObject* object = nullptr;
        bool selected = false;     // MultiSelect only
    };
    int maxTop();
    void scrollTo(int top);
    void updateScrollBars();
    void scrollCommand(int bar, WORD code, int pos);
    int insertString(int Index, const std::string& S);
    int deleteString(int Index);
    int sortedPlace(const std::string& S) const;
    // MultiSelect: selects a line for the user by mouse or key; true when the selection changed.
    bool multiSelectTo(int Index, TShiftState Shift, bool mouse);
    bool setSel(int Index, bool v);
    void drawItemThroughParent(HDC dc, int Index, const TRect& r, TOwnerDrawState st);

    std::vector<Item> items_;
    TListBoxStrings strings_;
    std::unique_ptr<TControlCanvas> canvas_;
    TListBoxStyle style_ = lbStandard;
    TBorderStyle borderStyle_ = bsSingle;
    int itemIndex_ = -1;
    int topIndex_ = 0;
    int itemHeight_ = 16;
    int fontHeight_ = 0;      // measured line height of the font (0: not yet)
    bool updating_ = false;
    bool multiSelect_ = false, extendedSelect_ = true, sorted_ = false;
    int columns_ = 0;
    int anchor_ = -1;         // MultiSelect: where Shift ranges start
    bool inScrollUpdate_ = false;
    enum class Drag { None, Select } drag_ = Drag::None;
};

class TListBox : public TCustomListBox
{
public:
    using TCustomListBox::TCustomListBox;
};

enum TComboBoxStyle { csDropDownList };

class TComboDropList;

// A drop-down list box (csDropDownList: the box shows the chosen line and
// cannot be typed in). A click, Alt+Down or F4 opens the list below the
// box: a top-level popup that never takes the focus from the form; it
// closes with a choice (click, Enter), Escape, a click elsewhere or when the
// box loses the focus. On the closed box Up, Down, Home, End, PgUp, PgDn
// and a letter change the selection. OnChange fires for the user's changes.
class TComboBox : public TCustomControl
{
public:
    explicit TComboBox(TComponent* AOwner);
    ~TComboBox() override;

    TStrings* Items() { return items_.get(); }
    int GetItemIndex() const { return itemIndex_; }
    void SetItemIndex(int v);
    TComboBoxStyle Style = csDropDownList;
    // Lines the open list shows at most before it scrolls.
    int DropDownCount = 8;
    bool GetDroppedDown() const;
    void SetDroppedDown(bool v);
    // The open list (null until first opened), for tests and descendants.
    TCustomListBox* DropList() const;

    TNotifyEvent OnChange;
    TNotifyEvent OnDropDown;
    TNotifyEvent OnCloseUp;

protected:
    void CreateParams(TCreateParams& Params) override;
    void Paint() override;
    void Dispatch(TMessage& m) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;
    void KeyDown(WORD& Key, TShiftState Shift) override;
    void KeyPress(char32_t& Key) override;
    std::string GetTextBuf() override;
    void SetTextBuf(const std::string& s) override;
    virtual void Change();

private:
    friend class TComboDropList;
    void dropDown();
    // Closes the list; with `choose` its selection becomes the box's.
    void closeUp(bool choose);
    void selectByUser(int index);
    void itemsChanged(TObject*);
    void unhook();

    std::unique_ptr<TStringList> items_;
    TComboDropList* list_ = nullptr;
    int itemIndex_ = -1;
    // While open: the application's message hook that closes the list on a
    // press anywhere else (the form's frame included).
    TApplication* hookApp_ = nullptr;
    TMessageHookToken hook_ = 0;
};
