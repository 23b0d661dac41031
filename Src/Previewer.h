// The conversion preview window: a small stay-on-top tool window that shows
// the frames of one conversion, captioned with the frame's time, and that
// drags from anywhere in the picture.
//
// The window keeps one picture buffer. A conversion thread borrows it
// (Lend), converts a frame into it and gives it back (PaintFrameTaking);
// the painting is handed to the GUI thread without waiting for it, so a
// conversion thread holding a lock never waits for the GUI. While the GUI
// thread paints from the buffer it is not lent, and while it is lent the
// GUI thread does not paint from it: a frame due then is simply skipped.
// The window is created, painted and destroyed on the GUI thread only.
#pragma once
#include <cstdint>
#include <memory>

struct TBGRBitmap;
class TForm;
struct TPreviewState;

class TPreviewer
{
public:
    TPreviewer();
    // Any thread; the window goes away on the GUI thread.
    ~TPreviewer();
    TPreviewer(const TPreviewer&) = delete;
    TPreviewer& operator=(const TPreviewer&) = delete;

    // Shows a copy of a frame (the first one opens the window, sized to it).
    // Returns false once the user has closed the window; nothing is painted
    // then. A frame given while the GUI thread paints from the buffer is
    // dropped (the next one shows).
    bool PaintFrame(const TBGRBitmap& ABitmap, int AFrameNumber, std::int64_t APTS);
    // Moves the window's picture buffer into ABitmap for a conversion to write
    // into; false (ABitmap untouched) while the GUI thread paints from it.
    // One conversion thread borrows from a window.
    bool Lend(TBGRBitmap& ABitmap);
    // Shows the frame in ABitmap without a copy: its buffer becomes the
    // window's and ABitmap gets what the window held (after Lend: nothing).
    bool PaintFrameTaking(TBGRBitmap& ABitmap, int AFrameNumber, std::int64_t APTS);
    bool Closed() const;
    // The window (GUI thread; nullptr before the first paint and after closing).
    TForm* Form() const;

private:
    template <class Store> bool Deliver(Store AStore, int AFrameNumber, std::int64_t APTS);
    std::shared_ptr<TPreviewState> S;
};
