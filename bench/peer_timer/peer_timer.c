/* Preloaded into a peer program (LD_PRELOAD) to time its work from inside,
 * as the benchmark driver times ours: the clock starts when the program first
 * opens an input (avformat_open_input) and stops when the process exits; the
 * time goes to stderr as "work=<seconds>". Everything before the first open
 * (process start, loading ~215 libraries, option parsing) is left out. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <time.h>

struct AVFormatContext;
struct AVInputFormat;
struct AVDictionary;

static struct timespec start;
static int started;

int avformat_open_input(struct AVFormatContext** ps, const char* url, const struct AVInputFormat* fmt,
                        struct AVDictionary** options)
{
    typedef int (*open_fn)(struct AVFormatContext**, const char*, const struct AVInputFormat*,
                           struct AVDictionary**);
    static open_fn real;
    if (!started)
    {
        clock_gettime(CLOCK_MONOTONIC, &start);
        started = 1;
    }
    if (!real) real = (open_fn)dlsym(RTLD_NEXT, "avformat_open_input");
    return real(ps, url, fmt, options);
}

__attribute__((destructor)) static void report(void)
{
    struct timespec end;
    if (!started) return;
    clock_gettime(CLOCK_MONOTONIC, &end);
    fprintf(stderr, "work=%.6f\n", (double)(end.tv_sec - start.tv_sec) + (end.tv_nsec - start.tv_nsec) / 1e9);
}
