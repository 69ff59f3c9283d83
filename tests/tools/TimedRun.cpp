// Runs the renderer on the first listed device for about the given number of
// milliseconds, ended by a real key press, and prints the frames drawn, the
// seconds taken and the rate. Exit status 0 when the key ended the run, 2
// when it had to be rescued by a posted key-down, 1 when the set-up failed.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "display/DeviceList.h"
#include "render/SweepRenderer.h"
#include "support/KeyPresser.h"

int main(int argc, char** argv)
{
    const DWORD dwMs = argc > 1 ? static_cast<DWORD>(std::atol(argv[1])) : 5000;
    const CDisplayDeviceList devices = BuildDisplayDeviceList();
    if (devices.empty())
    {
        std::printf("no display device\n");
        return 1;
    }
    std::unique_ptr<CSweepRenderer> pRenderer;
    try
    {
        pRenderer.reset(new CSweepRenderer(devices[0], GetModuleHandleW(nullptr)));
    }
    catch (char* psz)
    {
        std::printf("set-up failed: %s\n", psz);
        return 1;
    }

    LARGE_INTEGER freq, start, end;
    QueryPerformanceFrequency(&freq);
    bool bRescued = false;
    DWORD nFrames = 0;
    {
        KeyPresser presser(pRenderer->GetTestWindow(), dwMs);
        QueryPerformanceCounter(&start);
        nFrames = pRenderer->RunFrames(4, 0, 40, 0x00336699, 0x00E08020);
        QueryPerformanceCounter(&end);
        bRescued = presser.Rescued();
    }
    DDPIXELFORMAT format = {};
    format.dwSize = sizeof(format);
    pRenderer->GetPrimarySurface()->GetPixelFormat(&format);
    const int nWidth = pRenderer->GetWidth();
    const int nHeight = pRenderer->GetHeight();
    pRenderer.reset();

    const double dSeconds = static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(freq.QuadPart);
    std::printf("screen=%dx%d bits=%lu masks=%08lX/%08lX/%08lX%s frames=%lu seconds=%.3f fps=%.2f%s\n", nWidth,
                nHeight, format.dwRGBBitCount, format.dwRBitMask, format.dwGBitMask, format.dwBBitMask,
                (format.dwFlags & DDPF_PALETTEINDEXED8) != 0 ? " palette" : "", nFrames, dSeconds,
                dSeconds > 0 ? nFrames / dSeconds : 0.0, bRescued ? " (key rescued)" : "");
    return bRescued ? 2 : 0;
}
