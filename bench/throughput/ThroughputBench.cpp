// Frame rate on the real DirectDraw: Quillaby's own frame loop (RunFrames)
// against a plain loop that makes the same six fills and one flip per frame
// directly. Both loops run on the same kind of set-up (a CSweepRenderer), in
// alternating rounds of the same length, so that both see the same machine.
// Prints every round, the medians and their ratio; asserts nothing.
//
//   bench_throughput [ROUNDS] [SECONDS]      (default 3 rounds of 3 s each)
#include <windows.h>
#include <ddraw.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "display/DeviceList.h"
#include "render/SweepRenderer.h"

namespace
{
double Now()
{
    LARGE_INTEGER count;
    LARGE_INTEGER frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

// Quillaby's loop, ended by a key-down posted to the test window, as a key
// press would arrive.
double QuillabyRound(const CDisplayDevice& device, HINSTANCE hInst, double seconds)
{
    CSweepRenderer renderer(device, hInst);
    const HWND hWnd = renderer.GetTestWindow();
    std::thread stopper([hWnd, seconds] {
        Sleep(static_cast<DWORD>(seconds * 1000.0));
        PostMessageW(hWnd, WM_KEYDOWN, VK_SPACE, 0);
    });
    const double start = Now();
    const DWORD frames = renderer.RunFrames(1, 0, 20, 0x00000000, 0x00FFFFFF);
    const double elapsed = Now() - start;
    stopper.join();
    return frames / elapsed;
}

void Fill(IDirectDrawSurface* pBack, LONG left, LONG top, LONG right, LONG bottom, DWORD dwColor)
{
    RECT rc = {left, top, right, bottom};
    DDBLTFX fx = {};
    fx.dwSize = sizeof(fx);
    fx.dwFillColor = dwColor;
    // The same requests as Quillaby's: without waiting first, then waiting.
    if (pBack->Blt(&rc, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_ASYNC, &fx) != DD_OK)
        pBack->Blt(&rc, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
}

// The plain loop: the same fills of the same rectangles and one flip, with
// the bar moving one pixel a frame, and nothing else.
double ReferenceRound(const CDisplayDevice& device, HINSTANCE hInst, double seconds)
{
    CSweepRenderer renderer(device, hInst);
    IDirectDrawSurface* pPrimary = renderer.GetPrimarySurface();
    IDirectDrawSurface* pBack = nullptr;
    DDSCAPS caps = {};
    caps.dwCaps = DDSCAPS_BACKBUFFER;
    if (pPrimary->GetAttachedSurface(&caps, &pBack) != DD_OK)
        return 0.0;
    const LONG w = renderer.GetWidth();
    const LONG h = renderer.GetHeight();
    const DWORD white = 0x00FFFFFF;
    LONG x = 1;
    DWORD frames = 0;
    const double start = Now();
    double elapsed = 0.0;
    while (elapsed < seconds)
    {
        Fill(pBack, 0, 0, w, h, 0);
        Fill(pBack, 0, 0, w, 1, white);
        Fill(pBack, w - 1, 0, w, h, white);
        Fill(pBack, 0, h - 1, w, h, white);
        Fill(pBack, 0, 0, 1, h, white);
        Fill(pBack, x, 1, x + 20, h - 1, white);
        x = x + 21 > w - 1 ? 1 : x + 1;
        pPrimary->Flip(nullptr, DDFLIP_WAIT);
        ++frames;
        elapsed = Now() - start;
    }
    pBack->Release();
    return frames / elapsed;
}
}

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 3;
    const double seconds = argc > 2 ? std::atof(argv[2]) : 3.0;
    const HINSTANCE hInst = GetModuleHandleW(nullptr);

    const CDisplayDeviceList devices = BuildDisplayDeviceList();
    if (devices.empty())
    {
        std::printf("no display device\n");
        return 1;
    }
    // The device of the primary monitor, as the dialog would choose it.
    const POINT origin = {0, 0};
    const HMONITOR hPrimary = MonitorFromPoint(origin, MONITOR_DEFAULTTOPRIMARY);
    size_t chosen = 0;
    for (size_t i = 0; i < devices.size(); ++i)
    {
        if (devices[i].m_hMonitor == hPrimary)
            chosen = i;
    }
    const CDisplayDevice& device = devices[chosen];
    std::printf("device: %ls, %d x %d, %d rounds of %.1f s\n", device.m_strDescription.c_str(),
                GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), rounds, seconds);

    std::vector<double> quillaby;
    std::vector<double> reference;
    try
    {
        for (int round = 1; round <= rounds; ++round)
        {
            quillaby.push_back(QuillabyRound(device, hInst, seconds));
            reference.push_back(ReferenceRound(device, hInst, seconds));
            std::printf("round %d: Quillaby %.1f frames/s, reference %.1f frames/s\n", round, quillaby.back(),
                        reference.back());
            std::fflush(stdout);
        }
    }
    catch (const char*)
    {
        std::printf("the renderer's set-up failed\n");
        return 1;
    }
    const double q = Median(quillaby);
    const double r = Median(reference);
    std::printf("median: Quillaby %.1f frames/s, reference %.1f frames/s, ratio %.3f\n", q, r, r > 0.0 ? q / r : 0.0);
    return 0;
}
