/* A frame-hook library for the tests: blanks every picture (black in YUV
 * 4:2:0, zero bytes otherwise) and counts the calls it gets. Built three
 * ways: complete, without "Configure" and without "Process". */
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#define EXPORT __attribute__((visibility("default")))

typedef struct
{
    uint8_t* data[4];
    int linesize[4];
} Picture;

typedef struct
{
    int argc;
} HookContext;

/* Two conversions may call the hook at once: the counters are atomic. */
static int g_configured, g_last_argc, g_processed, g_released;
#define BUMP(x) __atomic_fetch_add(&(x), 1, __ATOMIC_SEQ_CST)
#define READ(x) __atomic_load_n(&(x), __ATOMIC_SEQ_CST)

#ifndef NO_CONFIGURE
EXPORT int Configure(void** ctxp, int argc, char* argv[], int high)
{
    (void)high;
    BUMP(g_configured);
    __atomic_store_n(&g_last_argc, argc, __ATOMIC_SEQ_CST);
    if (argc > 1 && strcmp(argv[1], "fail") == 0)
        return 1;
    HookContext* c = calloc(1, sizeof *c);
    c->argc = argc;
    *ctxp = c;
    return 0;
}
#endif

#ifndef NO_PROCESS
EXPORT void Process(void* ctx, Picture* p, int pix_fmt, int width, int height, int64_t pts)
{
    (void)ctx;
    (void)pts;
    BUMP(g_processed);
    if (pix_fmt == 0) { /* YUV 4:2:0 planar */
        for (int y = 0; y < height; y++)
            memset(p->data[0] + (size_t)y * p->linesize[0], 16, (size_t)width);
        for (int y = 0; y < (height + 1) / 2; y++) {
            memset(p->data[1] + (size_t)y * p->linesize[1], 128, (size_t)(width + 1) / 2);
            memset(p->data[2] + (size_t)y * p->linesize[2], 128, (size_t)(width + 1) / 2);
        }
    } else {
        for (int y = 0; y < height; y++)
            memset(p->data[0] + (size_t)y * p->linesize[0], 0, (size_t)p->linesize[0]);
    }
}
#endif

EXPORT void Release(void* ctx)
{
    BUMP(g_released);
    free(ctx);
}

/* 0 Configure calls, 1 argument count of the last one, 2 Process calls, 3 Release calls. */
EXPORT int HookCount(int which)
{
    switch (which) {
    case 0: return READ(g_configured);
    case 1: return READ(g_last_argc);
    case 2: return READ(g_processed);
    case 3: return READ(g_released);
    default: return -1;
    }
}
