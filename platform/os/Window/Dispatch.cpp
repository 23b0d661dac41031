// Timers; retrieving messages (PeekMessage, GetMessage, the nested loops)
// and dispatching them.
#include "platform/os/Window/Internal.h"

#include <algorithm>
#include <cctype>

#include "platform/core/Clock.h"
#include "platform/core/MainThread.h"
#include "platform/core/Utf8.h"
#include "platform/os/Gdi/Internal.h"
#include "platform/os/Input.h"
#include "platform/os/Monitor.h"
#include "platform/os/Region.h"
#include "platform/os/SysColors.h"
#include "platform/os/Text.h"

using namespace wm;

// ---------------------------------------------------------------------------
// Timers
// ---------------------------------------------------------------------------
std::uintptr_t SetTimer(HWND hwnd, std::uintptr_t id, UINT ms, TIMERPROC proc)
{
    if (hwnd && !N(hwnd)) return 0;
    UINT interval = std::max<UINT>(ms, 10);
    if (!hwnd)
    {
        // A thread timer: an existing id is reset, else a new id is chosen.
        bool found = false;
        for (auto& t : gTimers)
            if (!t.hwnd && t.id == id && id != 0) found = true;
        if (!found) id = gNextTimerId++;
    }
    for (auto& t : gTimers)
        if (t.hwnd == hwnd && t.id == id)
        {
            t.interval = interval;
            t.due = Clock::Now() + interval;
            t.proc = std::move(proc);
            return hwnd ? (id ? id : 1) : id;
        }
    gTimers.push_back({hwnd, id, interval, Clock::Now() + interval, std::move(proc), gTimerSeq++});
    return hwnd ? (id ? id : 1) : id;
}

BOOL KillTimer(HWND hwnd, std::uintptr_t id)
{
    auto before = gTimers.size();
    gTimers.erase(std::remove_if(gTimers.begin(), gTimers.end(),
                                 [&](const TimerRec& t) { return t.hwnd == hwnd && t.id == id; }),
                  gTimers.end());
    return gTimers.size() != before;
}

std::uint64_t NextTimerDue()
{
    std::uint64_t best = 0;
    for (auto& t : gTimers)
        if (!best || t.due < best) best = t.due;
    return best;
}

// ---------------------------------------------------------------------------
// Retrieval and dispatch
// ---------------------------------------------------------------------------
namespace wm
{
bool Matches(const MSG& m, HWND hwnd, UINT lo, UINT hi)
{
    if (hwnd && m.hwnd != hwnd && !IsChild(hwnd, m.hwnd)) return false;
    if (lo == 0 && hi == 0) return true;
    return m.message >= lo && m.message <= hi;
}

void Fill(MSG* out, const MSG& m)
{
    if (out) *out = m;
}

WindowNode* FindPaint(WindowNode* n, HWND filter)
{
    if (!(n->style & WS_VISIBLE)) return nullptr;
    if (!n->parent && (n->style & WS_MINIMIZE)) return nullptr;
    bool ok = !filter || n == filter || IsChild(filter, n);
    if (ok && (NeedsPaint(n) || n->ncDirty)) return n;
    for (auto it = n->children.rbegin(); it != n->children.rend(); ++it)
        if (WindowNode* r = FindPaint(*it, filter)) return r;
    return nullptr;
}

bool PeekCore(MSG* out, HWND hwnd, UINT lo, UINT hi, bool remove)
{
    // Posted messages first.
    {
        std::unique_lock<std::mutex> g(gQueueMx);
        for (auto it = gPosted.begin(); it != gPosted.end(); ++it)
            if (Matches(*it, hwnd, lo, hi))
            {
                MSG m = *it;
                m.pt = gCursor;
                if (remove) gPosted.erase(it);
                g.unlock();
                Fill(out, m);
                return true;
            }
        if (gQuit)
        {
            MSG m;
            m.message = WM_QUIT;
            m.wParam = WPARAM(gQuitCode);
            m.time = DWORD(Clock::Now());
            if (remove) gQuit = false;
            g.unlock();
            Fill(out, m);
            return true;
        }
    }
    // Input, in order.
    for (;;)
    {
        for (auto it = gCooked.begin(); it != gCooked.end(); ++it)
            if (Matches(*it, hwnd, lo, hi))
            {
                MSG m = *it;
                if (remove) gCooked.erase(it);
                Fill(out, m);
                return true;
            }
        RawEvent e;
        if (!TakeRaw(e)) break;
        Cook(e);
    }
    // Paint.
    bool paintInRange = (lo == 0 && hi == 0) || (WM_PAINT >= lo && WM_PAINT <= hi);
    if (paintInRange)
    {
        for (int guard = 0; guard < 10000; ++guard)
        {
            WindowNode* p = nullptr;
            std::vector<WindowNode*> tops = gTop;
            for (WindowNode* t : tops)
                if ((p = FindPaint(t, hwnd))) break;
            if (!p) break;
            if (!NeedsPaint(p))
            {
                // Only the frame is stale: repaint it now.
                p->ncDirty = false;
                SendMessage(p, WM_NCPAINT, 1, 0);
                continue;
            }
            MSG m;
            m.hwnd = p;
            m.message = WM_PAINT;
            m.time = DWORD(Clock::Now());
            m.pt = gCursor;
            Fill(out, m);
            return true;
        }
    }
    // Timers that are due.
    bool timerInRange = (lo == 0 && hi == 0) || (WM_TIMER >= lo && WM_TIMER <= hi);
    if (timerInRange)
    {
        std::uint64_t now = Clock::Now();
        TimerRec* best = nullptr;
        for (auto& t : gTimers)
        {
            if (t.due > now) continue;
            if (hwnd && t.hwnd != hwnd && !IsChild(hwnd, t.hwnd)) continue;
            if (!best || t.due < best->due || (t.due == best->due && t.seq < best->seq)) best = &t;
        }
        if (best)
        {
            MSG m;
            m.hwnd = best->hwnd;
            m.message = WM_TIMER;
            m.wParam = best->id;
            m.lParam = best->proc ? 1 : 0;
            m.time = DWORD(now);
            m.pt = gCursor;
            if (remove) best->due = now + best->interval;
            Fill(out, m);
            return true;
        }
    }
    return false;
}

bool QueuesBusy()
{
    {
        std::lock_guard<std::mutex> g(gQueueMx);
        if (!gPosted.empty() || gQuit || !gRaw.empty()) return true;
    }
    return !gCooked.empty() || HasPendingSynchronize();
}

// Waits for something to do (the GUI thread has nothing pending).
void WaitForWork()
{
    if (gIdleHook && gIdleHook()) return;
    std::uint64_t due = NextTimerDue();
    if (Clock::IsVirtual())
    {
        if (due)
        {
            BE().WaitForEvents(0);
            if (!QueuesBusy()) Clock::AdvanceTo(due);
            return;
        }
        BE().WaitForEvents(50);
        return;
    }
    std::uint64_t now = Clock::Now();
    unsigned t = 1000;
    if (due) t = due > now ? unsigned(std::min<std::uint64_t>(due - now, 1000)) : 0;
    BE().WaitForEvents(t);
}
} // namespace wm

BOOL PeekMessage(MSG* msg, HWND hwnd, UINT lo, UINT hi, UINT flags)
{
    EnsureInit();
    Sweep();
    CheckSynchronize(0);
    BE().WaitForEvents(0);
    MSG m;
    if (!PeekCore(&m, hwnd, lo, hi, (flags & PM_REMOVE) != 0)) return FALSE;
    if (flags & PM_REMOVE)
    {
        gMsgTime = m.time;
        gMsgPos = m.pt;
    }
    Fill(msg, m);
    return TRUE;
}

int GetMessage(MSG* msg, HWND hwnd, UINT lo, UINT hi)
{
    EnsureInit();
    if (hwnd && !N(hwnd)) return -1;
    for (;;)
    {
        Sweep();
        CheckSynchronize(0);
        BE().WaitForEvents(0);
        MSG m;
        if (PeekCore(&m, hwnd, lo, hi, true))
        {
            gMsgTime = m.time;
            gMsgPos = m.pt;
            Fill(msg, m);
            return m.message == WM_QUIT ? 0 : 1;
        }
        WaitForWork();
    }
}

LRESULT DispatchMessage(const MSG* msg)
{
    if (!msg) return 0;
    if (msg->message == WM_TIMER && msg->lParam)
    {
        for (auto& t : gTimers)
            if (t.hwnd == msg->hwnd && t.id == msg->wParam && t.proc)
            {
                TIMERPROC p = t.proc;
                p(msg->hwnd, WM_TIMER, msg->wParam, msg->time);
                return 0;
            }
        return 0;
    }
    if (!msg->hwnd) return 0;
    WindowNode* n = N(msg->hwnd);
    if (!n) return 0;
    if (msg->message == WM_PAINT)
    {
        LRESULT r = CallWindowProcChain(n, WM_PAINT, msg->wParam, msg->lParam);
        return r;
    }
    return CallWindowProcChain(n, msg->message, msg->wParam, msg->lParam);
}

namespace wm
{
unsigned CharForKey(int vk)
{
    bool shift = (gKeys[VK_SHIFT] & 0x80) != 0;
    bool caps = (gKeys[VK_CAPITAL] & 1) != 0;
    bool ctrl = (gKeys[VK_CONTROL] & 0x80) != 0;
    if (vk >= 'A' && vk <= 'Z')
    {
        if (ctrl) return unsigned(vk - 'A' + 1);
        return (shift != caps) ? unsigned(vk) : unsigned(vk - 'A' + 'a');
    }
    if (ctrl) return 0;
    if (vk >= '0' && vk <= '9') return shift ? unsigned(")!@#$%^&*("[vk - '0']) : unsigned(vk);
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD0 + 9) return unsigned('0' + vk - VK_NUMPAD0);
    switch (vk)
    {
    case VK_SPACE: return ' ';
    case VK_RETURN: return '\r';
    case VK_BACK: return 8;
    case VK_TAB: return 9;
    case VK_ESCAPE: return 27;
    case VK_MULTIPLY: return '*';
    case VK_ADD: return '+';
    case VK_SUBTRACT: return '-';
    case VK_DECIMAL: return '.';
    case VK_DIVIDE: return '/';
    case VK_OEM_1: return shift ? ':' : ';';
    case VK_OEM_PLUS: return shift ? '+' : '=';
    case VK_OEM_COMMA: return shift ? '<' : ',';
    case VK_OEM_MINUS: return shift ? '_' : '-';
    case VK_OEM_PERIOD: return shift ? '>' : '.';
    case VK_OEM_2: return shift ? '?' : '/';
    case VK_OEM_3: return shift ? '~' : '`';
    case VK_OEM_4: return shift ? '{' : '[';
    case VK_OEM_5: return shift ? '|' : '\\';
    case VK_OEM_6: return shift ? '}' : ']';
    case VK_OEM_7: return shift ? '"' : '\'';
    }
    return 0;
}
} // namespace wm

BOOL TranslateMessage(const MSG* msg)
{
    if (!msg || (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN)) return FALSE;
    unsigned ch = CharForKey(int(msg->wParam));
    if (!ch) return FALSE;
    MSG m = *msg;
    m.message = msg->message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR;
    m.wParam = ch;
    {
        std::lock_guard<std::mutex> g(gQueueMx);
        gPosted.push_front(m);
    }
    return TRUE;
}

bool HasPendingMessages()
{
    // Input the backend has ready counts as pending.
    if (backend::HasCurrent()) BE().WaitForEvents(0);
    if (QueuesBusy()) return true;
    for (WindowNode* t : gTop)
        if (FindPaint(t, nullptr)) return true;
    std::uint64_t due = NextTimerDue();
    return due && due <= Clock::Now();
}

bool ProcessPendingMessages()
{
    bool any = false;
    MSG m;
    bool sawQuit = false;
    int quitCode = 0;
    for (int guard = 0; guard < 100000; ++guard)
    {
        if (CheckSynchronize(0)) any = true;
        if (!PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) break;
        any = true;
        if (m.message == WM_QUIT)
        {
            sawQuit = true;
            quitCode = int(m.wParam);
            break;
        }
        TranslateMessage(&m);
        DispatchMessage(&m);
    }
    if (sawQuit) PostQuitMessage(quitCode);
    return any;
}

void RunNestedLoop(const std::function<bool()>& done)
{
    MSG m;
    while (!done())
    {
        if (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE))
        {
            if (m.message == WM_QUIT)
            {
                PostQuitMessage(int(m.wParam));
                return;
            }
            TranslateMessage(&m);
            DispatchMessage(&m);
            continue;
        }
        if (done()) return;
        WaitForWork();
    }
}

BOOL WaitMessage()
{
    EnsureInit();
    Sweep();
    CheckSynchronize(0);
    BE().WaitForEvents(0);
    if (HasPendingMessages()) return TRUE;
    WaitForWork();
    return TRUE;
}

void SetIdleHook(std::function<bool()> hook) { gIdleHook = std::move(hook); }
