// The conversion preview window: a small stay-on-top tool window that shows
// the frames of one conversion, captioned with the frame's time, and that
// drags from anywhere in the picture.
//
// PaintFrame may be called from any thread: it copies the frame and hands
// the painting to the GUI thread without waiting for it, so a conversion
// thread holding a lock never waits for the GUI. The window is created,
// painted and destroyed on the GUI thread only.
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

    // Shows a frame (the first one opens the window, sized to it). Returns
    // false once the user has closed the window; nothing is painted then.
    bool PaintFrame(const TBGRBitmap& ABitmap, int AFrameNumber, std::int64_t APTS);
    // The same without a copy: the frame's buffer is taken over and ABitmap
    // gets an older buffer back (of any size) for the next conversion.
    bool PaintFrameTaking(TBGRBitmap& ABitmap, int AFrameNumber, std::int64_t APTS);
    bool Closed() const;
    // The window (GUI thread; nullptr before the first paint and after closing).
    TForm* Form() const;

private:
    template <class Store> bool Deliver(Store AStore, int AFrameNumber, std::int64_t APTS);
    std::shared_ptr<TPreviewState> S;
};
