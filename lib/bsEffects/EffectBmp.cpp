// TbsEffectBmp: the 24-bit work bitmap, its transitions and image effects.
#include "lib/bsEffects.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>

namespace
{
// Rounded to the nearest integer, halves to even. Factors are not always
// limited, so the result saturates (NaN gives 0) and the sums built from it
// cannot overflow.
inline int R(double v)
{
    if (!(v == v)) return 0;
    constexpr double lim = double(1 << 30);
    return int(std::nearbyint(std::clamp(v, -lim, lim)));
}
inline BYTE Clamp255(int v) { return BYTE(std::clamp(v, 0, 255)); }

// Kf limited to 0..1; anything that is not >= 0 (NaN included) becomes 0.
double LimitKf(double kf)
{
    if (!(kf >= 0)) return 0;
    return kf > 1 ? 1 : kf;
}

// One channel blended with t: this * t + bmp * (1 - t).
inline BYTE BlendT(BYTE self, BYTE other, double t) { return Clamp255(R(self * t + other * (1 - t))); }

inline void BlendPixelT(BYTE* self, const BYTE* other, double t)
{
    for (int k = 0; k < 3; ++k) self[k] = BlendT(self[k], other[k], t);
}

inline bool IsWhite(const BYTE* p) { return p[0] == 255 && p[1] == 255 && p[2] == 255; }

std::minstd_rand& Rng()
{
    static std::minstd_rand rng(12345);
    return rng;
}

// Random(n): 0 .. n - 1, 0 when n <= 0.
int RandomN(int n)
{
    if (n <= 0) return 0;
    return int(Rng()() % unsigned(n));
}
}  // namespace

// ---------------------------------------------------------------------------
// Construction

TbsEffectBmp::TbsEffectBmp(int cx, int cy) { Allocate(cx, cy); }

TbsEffectBmp* TbsEffectBmp::CreateCopy(const TbsEffectBmp* src)
{
    auto* b = new TbsEffectBmp();
    if (src) {
        b->Allocate(src->Width, src->Height);
        if (b->Bits && src->Bits) std::memcpy(b->Bits, src->Bits, std::size_t(b->Size));
    }
    return b;
}

TbsEffectBmp* TbsEffectBmp::CreateFromBitmap(const TbsBitmap* src)
{
    auto* b = new TbsEffectBmp();
    if (!src || src->Empty()) return b;
    b->Allocate(src->Width(), src->Height());
    if (!b->Bits) return b;
    for (int y = 0; y < b->Height; ++y) {
        const TbsColor* s = src->ScanLine(y);
        BYTE* d = b->ScanLinePtr(y);
        for (int x = 0; x < b->Width; ++x) {
            d[3 * x] = BYTE(s[x]);
            d[3 * x + 1] = BYTE(s[x] >> 8);
            d[3 * x + 2] = BYTE(s[x] >> 16);
        }
    }
    return b;
}

// ---------------------------------------------------------------------------
// Pixel access

BYTE* TbsEffectBmp::ScanLinePtr(int y) const { return Bits + std::ptrdiff_t(y) * RowStride(Width); }

std::uint32_t TbsEffectBmp::GetPixel(int x, int y) const
{
    const BYTE* p = ScanLinePtr(y) + 3 * x;
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16);
}

void TbsEffectBmp::SetPixel(int x, int y, std::uint32_t v)
{
    BYTE* p = ScanLinePtr(y) + 3 * x;
    p[0] = BYTE(v);
    p[1] = BYTE(v >> 8);
    p[2] = BYTE(v >> 16);
}

void TbsEffectBmp::GetScanLine(int y, BYTE* line) const
{
    std::memcpy(line, ScanLinePtr(y), std::size_t(3 * Width));
}

void TbsEffectBmp::SetScanLine(int y, const BYTE* line)
{
    std::memcpy(ScanLinePtr(y), line, std::size_t(3 * Width));
}

bool TbsEffectBmp::SameSize(const TbsEffectBmp* bmp) const
{
    return bmp && Bits && bmp->Bits && bmp->Width == Width && bmp->Height == Height;
}

// ---------------------------------------------------------------------------
// Geometry

void TbsEffectBmp::Resize(TbsEffectBmp* dst)
{
    if (!dst || !Bits || !dst->Bits) return;
    const double kx = double(dst->Width - 1) / Width;
    const double ky = double(dst->Height - 1) / Height;
    const int bx = R(kx), by = R(ky);
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x) {
            const std::uint32_t p = GetPixel(x, y);
            const int ox = R(x * kx), oy = R(y * ky);
            for (int dy = 0; dy <= by; ++dy)
                for (int dx = 0; dx <= bx; ++dx) {
                    const int tx = ox + dx, ty = oy + dy;
                    if (tx >= 0 && ty >= 0 && tx < dst->Width && ty < dst->Height)
                        dst->SetPixel(tx, ty, p);
                }
        }
}

void TbsEffectBmp::CopyRect(TbsEffectBmp* bmp, const TRect& rct, int startX, int startY)
{
    if (!bmp || !Bits || !bmp->Bits) return;
    const int right = std::min(rct.Right, Width - 1);
    const int bottom = std::min(rct.Bottom, Height - 1);
    for (int y = std::max(rct.Top, 0); y <= bottom; ++y)
        for (int x = std::max(rct.Left, 0); x <= right; ++x) {
            const int sx = startX + x - rct.Left, sy = startY + y - rct.Top;
            if (sx < 0 || sy < 0 || sx >= bmp->Width || sy >= bmp->Height) continue;
            SetPixel(x, y, bmp->GetPixel(sx, sy));
        }
}

// ---------------------------------------------------------------------------
// Transitions

void TbsEffectBmp::Morph(TbsEffectBmp* bmp, double kf)
{
    if (!SameSize(bmp)) return;
    kf = LimitKf(kf);
    std::vector<BYTE> line(std::size_t(3 * Width));
    for (int y = 0; y < Height; ++y) {
        GetScanLine(y, line.data());
        const BYTE* o = bmp->ScanLinePtr(y);
        for (int i = 0; i < 3 * Width; ++i) line[i] = Clamp255(R((1 - kf) * line[i] + kf * o[i]));
        SetScanLine(y, line.data());
    }
}

void TbsEffectBmp::MorphRect(TbsEffectBmp* bmp, double kf, const TRect& rct, int startX, int startY)
{
    if (!bmp || !Bits || !bmp->Bits) return;
    kf = LimitKf(kf);
    for (int y = std::max(rct.Top, 0); y < std::min(rct.Bottom, Height); ++y) {
        BYTE* row = ScanLinePtr(y);
        const int sy = startY + y - rct.Top;
        if (sy < 0 || sy >= bmp->Height) continue;
        const BYTE* o = bmp->ScanLinePtr(sy);
        for (int x = std::max(rct.Left, 0); x < std::min(rct.Right, Width); ++x) {
            const int sx = startX + x - rct.Left;
            if (sx < 0 || sx >= bmp->Width) continue;
            for (int k = 0; k < 3; ++k)
                row[3 * x + k] = Clamp255(R((1 - kf) * row[3 * x + k] + kf * o[3 * sx + k]));
        }
    }
}

void TbsEffectBmp::MorphHGrad(TbsEffectBmp* bmp, double kf)
{
    if (!SameSize(bmp)) return;
    const int n = R(Width * kf);
    const int g = (Width - n) / 2;
    const double f = g == 0 ? 1.0 : 1.0 / g;
    const int h = std::clamp(Width / 2 - n / 2, 0, Width - 1);
    const int d = std::clamp(Width / 2 + n / 2, 0, Width - 1);
    std::vector<BYTE> line(std::size_t(3 * Width));
    for (int y = 0; y < Height; ++y) {
        GetScanLine(y, line.data());
        const BYTE* o = bmp->ScanLinePtr(y);
        for (int x = h; x <= d; ++x) std::memcpy(&line[3 * x], o + 3 * x, 3);
        double t = 0;
        for (int x = h; x >= 0; --x) {
            BlendPixelT(&line[3 * x], o + 3 * x, t);
            t = std::min(1.0, t + f);
        }
        t = 0;
        for (int x = d; x < Width; ++x) {
            BlendPixelT(&line[3 * x], o + 3 * x, t);
            t = std::min(1.0, t + f);
        }
        SetScanLine(y, line.data());
    }
}

void TbsEffectBmp::MorphVGrad(TbsEffectBmp* bmp, double kf)
{
    if (!SameSize(bmp)) return;
    const int n = R(Height * kf);
    const int g = (Height - 1 - n) / 2;
    const double f = g == 0 ? 0.0 : 1.0 / g;
    const int h = std::clamp(Height / 2 - n / 2, 0, Height - 1);
    const int d = std::clamp(Height / 2 + n / 2, 0, Height - 1);
    const std::size_t bytes = std::size_t(3 * Width);
    for (int y = h; y <= d; ++y) std::memcpy(ScanLinePtr(y), bmp->ScanLinePtr(y), bytes);
    std::vector<BYTE> line(bytes);
    auto blendRow = [&](int y, double t) {
        GetScanLine(y, line.data());
        const BYTE* o = bmp->ScanLinePtr(y);
        for (int x = 0; x < Width; ++x) BlendPixelT(&line[3 * x], o + 3 * x, t);
        SetScanLine(y, line.data());
    };
    double t = 0;
    for (int y = h; y >= 0; --y) {
        blendRow(y, t);
        t = std::min(1.0, t + f);
    }
    t = 0;
    for (int y = d; y < Height; ++y) {
        blendRow(y, t);
        t = std::min(1.0, t + f);
    }
}

void TbsEffectBmp::MorphGrad(TbsEffectBmp* bmp, double kf)
{
    if (Width < Height)
        MorphVGrad(bmp, kf);
    else
        MorphHGrad(bmp, kf);
}

void TbsEffectBmp::MorphLeftGrad(TbsEffectBmp* bmp, double kf)
{
    if (!SameSize(bmp)) return;
    const int n = std::min(std::max(R(Width * kf), 1), Width - 1);
    const double step = n <= 0 ? 1.0 : 1.0 / n;
    std::vector<BYTE> line(std::size_t(3 * Width));
    for (int y = 0; y < Height; ++y) {
        GetScanLine(y, line.data());
        const BYTE* o = bmp->ScanLinePtr(y);
        double t = 0;
        for (int x = 0; x <= n; ++x) {
            BlendPixelT(&line[3 * x], o + 3 * x, t);
            t = std::min(1.0, t + step);
        }
        SetScanLine(y, line.data());
    }
}

void TbsEffectBmp::MorphRightGrad(TbsEffectBmp* bmp, double kf)
{
    if (!SameSize(bmp)) return;
    const int c = std::min(std::max(Width - R(Width * kf), 0), Width - 1);
    const double e = Width - c <= 0 ? 1.0 : 1.0 / (Width - c);
    std::vector<BYTE> line(std::size_t(3 * Width));
    for (int y = 0; y < Height; ++y) {
        GetScanLine(y, line.data());
        const BYTE* o = bmp->ScanLinePtr(y);
        double t = 0;
        for (int x = Width - 1; x >= c; --x) {
            BlendPixelT(&line[3 * x], o + 3 * x, t);
            t = std::min(1.0, t + e);
        }
        SetScanLine(y, line.data());
    }
}

void TbsEffectBmp::MorphPush(TbsEffectBmp* bmp, double kf)
{
    if (!SameSize(bmp)) return;
    const int n = std::min(std::max(R(Width * kf), 0), Width - 1);
    std::vector<BYTE> line(std::size_t(3 * Width));
    for (int y = 0; y < Height; ++y) {
        GetScanLine(y, line.data());
        const BYTE* o = bmp->ScanLinePtr(y);
        for (int x = Width - 1; x >= n; --x) std::memmove(&line[3 * x], &line[3 * std::max(0, x - n - 1)], 3);
        int j = Width - n - 1;
        for (int k = 0; k <= n; ++k) {
            std::memcpy(&line[3 * k], o + 3 * j, 3);
            j = std::min(Width - 1, j + 1);
        }
        SetScanLine(y, line.data());
    }
}

void TbsEffectBmp::MorphLeftSlide(TbsEffectBmp* bmp, double kf)
{
    if (!SameSize(bmp)) return;
    const int n = std::min(std::max(R(Width * kf), 1), Width - 1);
    std::vector<BYTE> line(std::size_t(3 * Width));
    for (int y = 0; y < Height; ++y) {
        GetScanLine(y, line.data());
        const BYTE* o = bmp->ScanLinePtr(y);
        int j = Width - n - 1;
        for (int k = 0; k < n; ++k) {
            j = std::min(Width - 1, j + 1);
            std::memcpy(&line[3 * k], o + 3 * j, 3);
        }
        SetScanLine(y, line.data());
    }
}

void TbsEffectBmp::MorphRightSlide(TbsEffectBmp* bmp, double kf)
{
    if (!SameSize(bmp)) return;
    const int n = std::min(std::max(R(Width * kf), 1), Width - 1);
    std::vector<BYTE> line(std::size_t(3 * Width));
    for (int y = 0; y < Height; ++y) {
        GetScanLine(y, line.data());
        const BYTE* o = bmp->ScanLinePtr(y);
        int j = Width - n - 1;
        for (int k = 0; k < n; ++k) {
            j = std::min(Width - 1, j + 1);
            std::memcpy(&line[3 * j], o + 3 * k, 3);
        }
        SetScanLine(y, line.data());
    }
}

// ---------------------------------------------------------------------------
// Image effects

void TbsEffectBmp::ChangeBrightness(double kf)
{
    if (!Bits) return;
    kf = LimitKf(kf);
    for (int y = 0; y < Height; ++y) {
        BYTE* p = ScanLinePtr(y);
        for (int i = 0; i < 3 * Width; ++i) p[i] = Clamp255(R((1 - kf) * p[i] + kf * 255));
    }
}

void TbsEffectBmp::ChangeDarkness(double kf)
{
    if (!Bits) return;
    kf = LimitKf(kf);
    for (int y = 0; y < Height; ++y) {
        BYTE* p = ScanLinePtr(y);
        for (int i = 0; i < 3 * Width; ++i) p[i] = Clamp255(R((1 - kf) * p[i]));
    }
}

void TbsEffectBmp::Invert()
{
    if (!Bits) return;
    for (int y = 0; y < Height; ++y) {
        BYTE* p = ScanLinePtr(y);
        for (int i = 0; i < 3 * Width; ++i) p[i] = BYTE(255 - p[i]);
    }
}

void TbsEffectBmp::GrayScale()
{
    if (!Bits) return;
    for (int y = 0; y < Height; ++y) {
        BYTE* p = ScanLinePtr(y);
        for (int x = 0; x < Width; ++x, p += 3) {
            const BYTE g = Clamp255(R(0.3 * p[2] + 0.59 * p[1] + 0.11 * p[0]));
            p[0] = p[1] = p[2] = g;
        }
    }
}

namespace
{
// Sample rows and columns of the four-sample blurs, kept inside 0 .. n - 1.
inline long long msk_h(const TbsEffectBmp* m) { return m ? m->Height : 0; }
// Worked in 64 bits so that any amount is safe.
inline int LowSample(int i, int amount, int n)
{
    const long long v = (long long)i - amount >= 0 ? (long long)i - amount : i;
    return int(std::clamp<long long>(v, 0, n - 1));
}
inline int HighSample(int i, int amount, int n)
{
    const long long v = (long long)i + amount < n ? (long long)i + amount : (long long)n - i;
    return int(std::clamp<long long>(v, 0, n - 1));
}
}  // namespace

template <class Op>
void TbsEffectBmp::SampledBlur(TbsEffectBmp* msk, int amount, Op op)
{
    for (int y = 0; y < Height; ++y) {
        const int up = LowSample(y, amount, Height), lo = HighSample(y, amount, Height);
        // The mask's lower row: y + amount when inside the mask, else Height - y.
        const long long mv = (long long)y + amount < msk_h(msk) ? (long long)y + amount : (long long)Height - y;
        const int mlo = msk ? int(std::clamp<long long>(mv, 0, msk->Height - 1)) : lo;
        for (int x = 0; x < Width; ++x) {
            const int l = LowSample(x, amount, Width), r = HighSample(x, amount, Width);
            if (!op(x, y, up, lo, mlo, l, r)) continue;
            BYTE* p = ScanLinePtr(y) + 3 * x;
            const BYTE* ul = ScanLinePtr(up) + 3 * l;
            const BYTE* ll = ScanLinePtr(lo) + 3 * l;
            const BYTE* ur = ScanLinePtr(up) + 3 * r;
            const BYTE* lr = ScanLinePtr(lo) + 3 * r;
            for (int k = 0; k < 3; ++k) p[k] = BYTE((ul[k] + ll[k] + ur[k] + lr[k]) >> 2);
        }
    }
}

void TbsEffectBmp::SplitBlur(int amount)
{
    if (amount == 0 || !Bits) return;
    SampledBlur(nullptr, amount, [](int, int, int, int, int, int, int) { return true; });
}

void TbsEffectBmp::Mosaic(int aSize)
{
    if (aSize <= 1 || !Bits) return;
    for (int by = 0; by < Height; by += aSize)
        for (int bx = 0; bx < Width; bx += aSize) {
            const std::uint32_t c = GetPixel(bx, by);
            for (int y = by; y < std::min(by + aSize, Height); ++y)
                for (int x = bx; x < std::min(bx + aSize, Width); ++x) SetPixel(x, y, c);
        }
}

void TbsEffectBmp::AddMonoNoise(int amount)
{
    if (!Bits) return;
    for (int y = 0; y < Height; ++y) {
        BYTE* p = ScanLinePtr(y);
        for (int x = 0; x < Width; ++x, p += 3) {
            const int v = RandomN(amount) - amount / 2;
            for (int k = 0; k < 3; ++k) p[k] = Clamp255(p[k] + v);
        }
    }
}

void TbsEffectBmp::AddColorNoise(int amount)
{
    if (!Bits) return;
    for (int y = 0; y < Height; ++y) {
        BYTE* p = ScanLinePtr(y);
        for (int x = 0; x < Width; ++x, p += 3) {
            const int vr = RandomN(amount) - amount / 2;
            const int vg = RandomN(amount) - amount / 2;
            const int vb = RandomN(amount) - amount / 2;
            p[2] = Clamp255(p[2] + vr);
            p[1] = Clamp255(p[1] + vg);
            p[0] = Clamp255(p[0] + vb);
        }
    }
}

void TbsEffectBmp::Rotate90_1(TbsEffectBmp* dst)
{
    if (!dst || !Bits || !dst->Bits || dst->Width != Height || dst->Height != Width) return;
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x) dst->SetPixel(y, Width - 1 - x, GetPixel(x, y));
}

void TbsEffectBmp::Rotate90_2(TbsEffectBmp* dst)
{
    if (!dst || !Bits || !dst->Bits || dst->Width != Height || dst->Height != Width) return;
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x) dst->SetPixel(Height - 1 - y, x, GetPixel(x, y));
}

void TbsEffectBmp::FlipVert(TbsEffectBmp* dst)
{
    if (!SameSize(dst)) return;
    for (int y = 0; y < Height; ++y)
        std::memmove(dst->ScanLinePtr(Height - 1 - y), ScanLinePtr(y), std::size_t(3 * Width));
}

void TbsEffectBmp::Wave(int xDiv, int yDiv, int ratioVal)
{
    if (xDiv == 0 || yDiv == 0 || !Bits) return;
    TbsEffectBmp* copy = CreateCopy(this);
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x) {
            const int sx = std::clamp(R(std::sin(double(y) / yDiv) * ratioVal + x), 0, Width - 1);
            const int sy = std::clamp(R(std::sin(double(x) / xDiv) * ratioVal + y), 0, Height - 1);
            SetPixel(x, y, copy->GetPixel(sx, sy));
        }
    delete copy;
}

void TbsEffectBmp::MaskBlur(TbsEffectBmp* msk, int amount)
{
    if (amount == 0 || !Bits || !msk || !msk->Bits || msk->Width != Width || msk->Height < Height)
        return;
    SampledBlur(msk, amount, [msk](int x, int y, int, int, int, int, int) {
        return !IsWhite(msk->ScanLinePtr(y) + 3 * x);
    });
}

void TbsEffectBmp::MaskAntialiasing(TbsEffectBmp* msk, int amount)
{
    if (amount == 0 || !Bits || !msk || !msk->Bits || msk->Width != Width || msk->Height < Height)
        return;
    SampledBlur(msk, amount, [msk](int x, int y, int up, int, int mlo, int l, int r) {
        if (IsWhite(msk->ScanLinePtr(y) + 3 * x)) return false;
        return IsWhite(msk->ScanLinePtr(up) + 3 * l) || IsWhite(msk->ScanLinePtr(mlo) + 3 * l) ||
               IsWhite(msk->ScanLinePtr(up) + 3 * r) || IsWhite(msk->ScanLinePtr(mlo) + 3 * r);
    });
}
