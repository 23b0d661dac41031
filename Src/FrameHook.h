// Frame hooks: external libraries that see every decoded video picture of a
// conversion before it is encoded and may change it in place. A library
// exports "Process" and optionally "Configure" and "Release" (C calling
// convention):
//   int  Configure(void** ctxp, int argc, char* argv[], int highIndex);
//   void Process(void* ctx, TAVPicture* picture, int pixFmt, int width, int height, int64_t pts);
//   void Release(void* ctx);
// argv holds the library path first; highIndex is the highest index of the
// argument array (63). pixFmt is the FFmpeg pixel format number of the
// libraries in use.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct TAVPicture;

using TFrameHookConfigureFn = int (*)(void** ctxp, int argc, char* argv[], int highIndex);
using TFrameHookProcessFn = void (*)(void* ctx, TAVPicture* picture, int pixFmt, int width, int height,
                                     std::int64_t pts);
using TFrameHookReleaseFn = void (*)(void* ctx);

struct TFrameHookEntry
{
    TFrameHookEntry* next;
    TFrameHookConfigureFn Configure;
    TFrameHookProcessFn Process;
    TFrameHookReleaseFn Release;
    void* ctx;
};
using PFrameHookEntry = TFrameHookEntry*;

// Most strings a hook takes: the library path and 63 arguments.
constexpr int FRAME_HOOK_MAX_ARGS = 64;

// Loads (once per process) and configures one hook and appends it to the
// chain. 0 on success; -2 no argument, no "Process", or no "Configure" while
// arguments are given; -1 the library cannot be loaded; -12 no memory;
// -22 "Configure" failed.
int FrameHookAdd(PFrameHookEntry& AHead, int AArgCount, const std::vector<std::string>& AArgs);
// Runs every hook of the chain, in the order they were added, on one picture.
void FrameHookProcess(PFrameHookEntry AHead, TAVPicture* APicture, int APixFmt, int AWidth, int AHeight,
                      std::int64_t APTS);
// Releases every hook and empties the chain.
void FrameHookRelease(PFrameHookEntry& AHead);
