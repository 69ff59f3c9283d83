// The frame loop's own cost per frame, measured against the fake DirectDraw in
// its null mode, where every call only counts and answers DD_OK: nanoseconds per
// frame, and heap allocations per frame, which must be 0; and what timing a
// frame shown costs. Prints figures; the exit status is 1 only when the loop
// allocated, never because of time.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>

#include "display/DisplayDevice.h"
#include "fakes/FakeDirectDraw.h"
#include "pacing/PacingRecord.h"
#include "render/SweepRenderer.h"

namespace
{
std::atomic<long> s_nNews(0);
std::atomic<long> s_nMallocs(0);

void* CountedAlloc(std::size_t nSize)
{
    ++s_nNews;
    void* p = std::malloc(nSize != 0 ? nSize : 1);
    if (p == nullptr)
        throw std::bad_alloc();
    return p;
}

// Blocks in use in all of the process's heaps: allocations that outlive the run,
// including those made inside the platform's own DLLs.
long HeapBlocksInUse()
{
    HANDLE hHeaps[64];
    const DWORD nHeaps = GetProcessHeaps(64, hHeaps);
    long nBlocks = 0;
    for (DWORD i = 0; i < nHeaps && i < 64; ++i)
    {
        if (!HeapLock(hHeaps[i]))
            continue;
        PROCESS_HEAP_ENTRY entry = {};
        while (HeapWalk(hHeaps[i], &entry))
        {
            if ((entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) != 0)
                ++nBlocks;
        }
        HeapUnlock(hHeaps[i]);
    }
    return nBlocks;
}

double Seconds(const LARGE_INTEGER& start, const LARGE_INTEGER& end)
{
    LARGE_INTEGER freq;
    QueryPerformanceFrequency(&freq);
    return static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(freq.QuadPart);
}

struct RunFigures
{
    DWORD nFrames;
    double dSeconds;
    long nNews;
    long nMallocs;
    long nHeapBlocks;
};

// One renderer, one run of nFrames frames: the fake posts the ending key-down
// during the last frame's flip.
RunFigures MeasureRun(const CDisplayDevice& device, DWORD nFrames)
{
    ResetFakeDirectDraw(FakeDDMode::Null);
    g_fakeDDScript.nKeyDownAtFlip = static_cast<int>(nFrames);
    CSweepRenderer renderer(device, GetModuleHandleW(nullptr));

    RunFigures figures = {};
    const long nHeapBefore = HeapBlocksInUse();
    const long nNewsBefore = s_nNews;
    const long nMallocsBefore = s_nMallocs;
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    figures.nFrames = renderer.RunFrames(3, 0, 40, 0x00336699, 0x00E08020);
    QueryPerformanceCounter(&end);
    figures.nNews = s_nNews - nNewsBefore;
    figures.nMallocs = s_nMallocs - nMallocsBefore;
    figures.nHeapBlocks = HeapBlocksInUse() - nHeapBefore;
    figures.dSeconds = Seconds(start, end);
    return figures;
}

// What one empty look at the test window's queue costs, for comparison: the
// loop makes one per frame.
double PeekNanoseconds(HWND hWnd, int nTimes)
{
    MSG msg;
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    for (int i = 0; i < nTimes; ++i)
        PeekMessageW(&msg, hWnd, 0, 0, PM_REMOVE);
    QueryPerformanceCounter(&end);
    return Seconds(start, end) * 1e9 / nTimes;
}

// What timing one frame shown costs the loop: a read of the performance
// counter, and the pacing record's own work, each on its own; and what a
// mark of the record, to go back to, costs.
void PacingNanoseconds(int nTimes, double* pdCounter, double* pdRecord, double* pdCopy)
{
    static CPacingRecord pacing;
    LARGE_INTEGER freq, start, end, now;
    QueryPerformanceFrequency(&freq);
    pacing.Begin(freq.QuadPart, 60);
    QueryPerformanceCounter(&start);
    for (int i = 0; i < nTimes; ++i)
        QueryPerformanceCounter(&now);
    QueryPerformanceCounter(&end);
    *pdCounter = Seconds(start, end) * 1e9 / nTimes;
    // Intervals of about a 60 Hz frame, as the record sees them.
    const LONGLONG nStep = freq.QuadPart / 60;
    QueryPerformanceCounter(&start);
    for (int i = 0; i < nTimes; ++i)
        pacing.AddFrame(now.QuadPart + i * nStep + (i & 7));
    QueryPerformanceCounter(&end);
    *pdRecord = Seconds(start, end) * 1e9 / nTimes;
    if (pacing.Frames() != static_cast<DWORD>(nTimes))
        std::printf("the pacing record lost frames\n");
    static CPacingRecord::Mark s_mark;
    QueryPerformanceCounter(&start);
    for (int i = 0; i < nTimes; ++i)
    {
        s_mark = pacing.GetMark();
        pacing.AddFrame(now.QuadPart + (nTimes + i) * nStep);
    }
    QueryPerformanceCounter(&end);
    *pdCopy = Seconds(start, end) * 1e9 / nTimes - *pdRecord;
}
}

void* operator new(std::size_t nSize)
{
    return CountedAlloc(nSize);
}

void* operator new[](std::size_t nSize)
{
    return CountedAlloc(nSize);
}

void* operator new(std::size_t nSize, const std::nothrow_t&) noexcept
{
    ++s_nNews;
    return std::malloc(nSize != 0 ? nSize : 1);
}

void* operator new[](std::size_t nSize, const std::nothrow_t&) noexcept
{
    ++s_nNews;
    return std::malloc(nSize != 0 ? nSize : 1);
}

void operator delete(void* p) noexcept
{
    std::free(p);
}

void operator delete[](void* p) noexcept
{
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}

void operator delete[](void* p, std::size_t) noexcept
{
    std::free(p);
}

#if defined(__MINGW32__)
// With the linker's --wrap, every malloc, calloc and realloc of this program's
// own code and of the static C++ runtime passes through here.
extern "C" void* __real_malloc(std::size_t);
extern "C" void* __real_calloc(std::size_t, std::size_t);
extern "C" void* __real_realloc(void*, std::size_t);

extern "C" void* __wrap_malloc(std::size_t nSize)
{
    ++s_nMallocs;
    return __real_malloc(nSize);
}

extern "C" void* __wrap_calloc(std::size_t nCount, std::size_t nSize)
{
    ++s_nMallocs;
    return __real_calloc(nCount, nSize);
}

extern "C" void* __wrap_realloc(void* p, std::size_t nSize)
{
    ++s_nMallocs;
    return __real_realloc(p, nSize);
}
#endif

int main(int argc, char** argv)
{
    // Arguments: frames per run, runs.
    const DWORD nFrames = argc > 1 ? static_cast<DWORD>(std::atol(argv[1])) : 200000;
    const CDisplayDevice device(nullptr, L"DirectDraw HAL", L"display", nullptr);

    // The first run pays for what happens once (pages, lazy look-ups).
    MeasureRun(device, nFrames < 1000 ? nFrames : 1000);
    const int kRuns = argc > 2 ? std::atoi(argv[2]) : 5;
    RunFigures total = {};
    double dBest = 1e300;
    for (int i = 0; i < kRuns; ++i)
    {
        const RunFigures run = MeasureRun(device, nFrames);
        total.nFrames += run.nFrames;
        total.dSeconds += run.dSeconds;
        total.nNews += run.nNews;
        total.nMallocs += run.nMallocs;
        total.nHeapBlocks += run.nHeapBlocks;
        const double dPerFrame = run.dSeconds * 1e9 / run.nFrames;
        dBest = dPerFrame < dBest ? dPerFrame : dBest;
    }

    double dPeek = 1e300;
    {
        ResetFakeDirectDraw(FakeDDMode::Null);
        CSweepRenderer renderer(device, GetModuleHandleW(nullptr));
        for (int i = 0; i < kRuns; ++i)
        {
            const double d = PeekNanoseconds(renderer.GetTestWindow(), static_cast<int>(nFrames));
            dPeek = d < dPeek ? d : dPeek;
        }
    }
    ResetFakeDirectDraw();
    double dCounter = 1e300, dRecord = 1e300, dCopy = 1e300;
    for (int i = 0; i < kRuns; ++i)
    {
        double d1, d2, d3;
        PacingNanoseconds(static_cast<int>(nFrames), &d1, &d2, &d3);
        dCounter = d1 < dCounter ? d1 : dCounter;
        dRecord = d2 < dRecord ? d2 : dRecord;
        dCopy = d3 < dCopy ? d3 : dCopy;
    }

    const double dFrames = static_cast<double>(total.nFrames);
    std::printf("frame loop against the null fake DirectDraw, %d runs of %lu frames\n", kRuns, nFrames);
    std::printf("  ns per frame (mean):            %.1f\n", total.dSeconds * 1e9 / dFrames);
    std::printf("  ns per frame (best run):        %.1f\n", dBest);
    std::printf("  one empty PeekMessageW (best run): %.1f ns, the pump's look at the queue\n", dPeek);
    std::printf("  one QueryPerformanceCounter (best run): %.1f ns, per frame shown\n", dCounter);
    std::printf("  one CPacingRecord::AddFrame (best run): %.1f ns, per frame shown\n", dRecord);
    std::printf("  a mark of the pacing record (%u bytes, best run): %.1f ns\n",
                static_cast<unsigned>(sizeof(CPacingRecord::Mark)), dCopy);
    std::printf("  operator new per frame:         %.6f (%ld in all)\n", total.nNews / dFrames, total.nNews);
#if defined(__MINGW32__)
    std::printf("  malloc/calloc/realloc per frame: %.6f (%ld in all)\n", total.nMallocs / dFrames, total.nMallocs);
#endif
    std::printf("  heap blocks kept per frame:     %.6f (%ld in all, any heap of the process)\n",
                total.nHeapBlocks / dFrames, total.nHeapBlocks);
    const bool bAllocated = total.nNews != 0 || total.nMallocs != 0;
    if (bAllocated)
        std::printf("FAIL: the frame loop allocated\n");
    return bAllocated ? 1 : 0;
}
