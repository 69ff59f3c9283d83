/* A display that keeps time, for the paced test slots: a libGL.so.1 that Wine
 * loads first (LD_LIBRARY_PATH) and that hands every GLX call to the real
 * one, except that a swap with a non-zero interval waits for the next tick of
 * a fixed grid on CLOCK_MONOTONIC_RAW, the clock behind Wine's
 * QueryPerformanceCounter, as a flip waits for the vertical blank.
 *
 * Wine takes every GLX function through glXGetProcAddressARB on the library
 * it opens, the GL ones with dlsym on it (so this is linked against glvnd's
 * libGLX and libOpenGL, where dlsym finds them), and sets a swap interval
 * only where the extension string lists a swap control, which Mesa's
 * software driver doesn't: so this answers glXGetProcAddressARB, adds
 * GLX_MESA_swap_control, and keeps the interval.
 *
 *   QB_VBLANK_HZ      the clock's rate; 0 or unset: swaps don't wait
 *   QB_VBLANK_LOG     a file that gets "TICK NANOSECONDS" for every swap let
 *                     through, its tick of the grid and the clock's time
 *   QB_VBLANK_FAULTS  a file of faults, read again whenever it changes
 *                     (write it anew and mv it in place), whose words are
 *     hz=R            pace at R instead (0: no pacing at all), as frames
 *                     that keep their own time
 *     hold=K,K,...    the swaps from then on wait K ticks more than the
 *                     next one, in turn and over again: hold=0,1,1 is a
 *                     1-2-2 judder, hold=59x0,3 holds one swap in sixty for
 *                     three ticks more (NxK stands for N entries of K)
 */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>

typedef void (*proc_t)(void);
typedef struct display display_t; /* X's Display, only passed through */

static proc_t (*real_get_proc)(const unsigned char *);
static void (*real_swap)(display_t *, unsigned long);
static const char *(*real_extensions)(display_t *, int);
static int interval;

enum { MAX_HOLDS = 4096 };
static double hz;
static int holds[MAX_HOLDS], hold_count, next_hold;
static struct stat faults_seen;
static FILE *log_file;

static void load_real(void)
{
    if (real_get_proc)
        return;
    real_get_proc = (proc_t (*)(const unsigned char *))dlsym(RTLD_NEXT, "glXGetProcAddressARB");
    if (!real_get_proc) {
        fprintf(stderr, "vblank: no real glXGetProcAddressARB: %s\n", dlerror());
        abort();
    }
    real_swap = (void (*)(display_t *, unsigned long))real_get_proc((const unsigned char *)"glXSwapBuffers");
    real_extensions = (const char *(*)(display_t *, int))real_get_proc((const unsigned char *)"glXQueryExtensionsString");
    hz = getenv("QB_VBLANK_HZ") ? atof(getenv("QB_VBLANK_HZ")) : 0;
    if (getenv("QB_VBLANK_LOG") && !(log_file = fopen(getenv("QB_VBLANK_LOG"), "a")))
        perror("vblank: QB_VBLANK_LOG");
}

/* Reads the faults file again when it is another file or has changed since
 * the last look; the holds start over from their first entry. */
static void read_faults(void)
{
    const char *path = getenv("QB_VBLANK_FAULTS");
    struct stat now;
    char word[256];
    FILE *f;
    if (!path || stat(path, &now) != 0 || (now.st_ino == faults_seen.st_ino && now.st_size == faults_seen.st_size &&
        now.st_mtim.tv_sec == faults_seen.st_mtim.tv_sec && now.st_mtim.tv_nsec == faults_seen.st_mtim.tv_nsec))
        return;
    faults_seen = now;
    if (!(f = fopen(path, "r")))
        return;
    hz = getenv("QB_VBLANK_HZ") ? atof(getenv("QB_VBLANK_HZ")) : 0;
    hold_count = next_hold = 0;
    while (fscanf(f, "%255s", word) == 1) {
        if (!strncmp(word, "hz=", 3))
            hz = atof(word + 3);
        else if (!strncmp(word, "hold=", 5)) {
            char *p = word + 5, *end;
            while (*p) {
                long n = 1, k = strtol(p, &end, 10);
                if (*end == 'x') {
                    n = k;
                    k = strtol(end + 1, &end, 10);
                }
                if (end == p || k < 0 || n < 1 || (*end && *end != ','))
                    break;
                while (n-- > 0 && hold_count < MAX_HOLDS)
                    holds[hold_count++] = (int)k;
                p = *end ? end + 1 : end;
            }
        }
    }
    fclose(f);
}

static long long raw_ns(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC_RAW, &t);
    return t.tv_sec * 1000000000LL + t.tv_nsec;
}

/* Swaps, then waits for the next tick plus the hold, on a grid of whole
 * 100 ns as Wine counts: the picture is there by the tick and the call
 * returns at it, as a flip that waits for the vertical blank. A swap that
 * ends after its tick waits for the next one, as a late frame does.
 * clock_nanosleep can't sleep on the raw clock, so it sleeps the rest on
 * CLOCK_MONOTONIC until the raw clock is there. */
static void swap_buffers(display_t *display, unsigned long drawable)
{
    long long period, target, now;
    if (!interval || (read_faults(), hz <= 0)) {
        real_swap(display, drawable);
        return;
    }
    period = llround(1e7 / hz) * 100;
    target = raw_ns() / period + 1 + (hold_count ? holds[next_hold++ % hold_count] : 0);
    real_swap(display, drawable);
    if ((now = raw_ns()) / period >= target)
        target = now / period + 1;
    while ((now = raw_ns()) < target * period) {
        long long rest = target * period - now;
        struct timespec t = { rest / 1000000000LL, rest % 1000000000LL };
        clock_nanosleep(CLOCK_MONOTONIC, 0, &t, NULL);
    }
    if (log_file) {
        fprintf(log_file, "%lld %lld\n", now / period, now);
        fflush(log_file);
    }
}

static const char *query_extensions(display_t *display, int screen)
{
    static char list[8192];
    snprintf(list, sizeof list, "%s GLX_MESA_swap_control", real_extensions(display, screen));
    return list;
}

static int swap_interval(unsigned int value)
{
    interval = (int)value;
    return 0;
}

static int get_swap_interval(void)
{
    return interval;
}

proc_t glXGetProcAddressARB(const unsigned char *name)
{
    load_real();
    if (!strcmp((const char *)name, "glXSwapBuffers"))
        return (proc_t)swap_buffers;
    if (!strcmp((const char *)name, "glXQueryExtensionsString"))
        return (proc_t)query_extensions;
    if (!strcmp((const char *)name, "glXSwapIntervalMESA"))
        return (proc_t)swap_interval;
    if (!strcmp((const char *)name, "glXGetSwapIntervalMESA"))
        return (proc_t)get_swap_interval;
    return real_get_proc(name);
}

proc_t glXGetProcAddress(const unsigned char *name)
{
    return glXGetProcAddressARB(name);
}
