// The renderer on Wine's own DirectDraw in Xvfb: a real key press ends the run,
// and the picture on the primary surface is the background, the white frame and
// the bar, each in its own colour.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

#include "display/DeviceList.h"
#include "render/SweepRenderer.h"
#include "support/KeyPresser.h"
#include "support/TestText.h"

namespace
{
// Every channel differs, so a swapped pair of channels shows.
const DWORD kBackground = 0x00336699; // red 0x99, green 0x66, blue 0x33
const DWORD kBar = 0x00E08020;        // red 0x20, green 0x80, blue 0xE0
const DWORD kBarWidth = 37;

std::unique_ptr<CSweepRenderer> OpenFirstDevice()
{
    const CDisplayDeviceList devices = BuildDisplayDeviceList();
    if (devices.empty())
    {
        ADD_FAILURE() << "no display device listed";
        return nullptr;
    }
    try
    {
        return std::unique_ptr<CSweepRenderer>(new CSweepRenderer(devices[0], GetModuleHandleW(nullptr)));
    }
    catch (char* psz)
    {
        ADD_FAILURE() << "construction on the first device threw \"" << psz << "\"";
    }
    return nullptr;
}

// Tallies the pixels of one region that differ from what they should be.
class RegionCheck
{
public:
    RegionCheck(const char* pszName, DWORD dwExpected) : m_pszName(pszName), m_dwExpected(dwExpected) {}

    void Pixel(int x, int y, DWORD dwGot)
    {
        ++m_nChecked;
        if (dwGot == m_dwExpected)
            return;
        if (m_nWrong == 0)
        {
            m_nFirstX = x;
            m_nFirstY = y;
            m_dwFirstGot = dwGot;
        }
        ++m_nWrong;
    }

    void Report() const
    {
        EXPECT_GT(m_nChecked, 0) << m_pszName;
        EXPECT_EQ(0, m_nWrong) << m_pszName << ": " << m_nWrong << " of " << m_nChecked << " pixels wrong; first at ("
                               << m_nFirstX << ", " << m_nFirstY << "): expected " << Hex(m_dwExpected) << ", got "
                               << Hex(m_dwFirstGot);
    }

private:
    const char* m_pszName;
    DWORD m_dwExpected;
    int m_nChecked = 0;
    int m_nWrong = 0;
    int m_nFirstX = 0;
    int m_nFirstY = 0;
    DWORD m_dwFirstGot = 0;
};
}

TEST(RealDirectDraw, ARealKeyPressEndsTheRun)
{
    std::unique_ptr<CSweepRenderer> pRenderer = OpenFirstDevice();
    ASSERT_TRUE(pRenderer != nullptr);
    const HWND hWnd = pRenderer->GetTestWindow();
    EXPECT_EQ(hWnd, GetFocus()) << "the keyboard focus is not on the test window";
    EXPECT_EQ(hWnd, GetForegroundWindow());

    DWORD nFrames = 0;
    bool bRescued = false;
    UINT nInserted = 0;
    int nRetries = 0;
    {
        KeyPresser presser(hWnd, 700);
        nFrames = pRenderer->RunFrames(2, 0, 20, kBackground, kBar);
        bRescued = presser.Rescued();
        nInserted = presser.Inserted();
        nRetries = presser.Retries();
    }
    EXPECT_FALSE(bRescued) << "the real key did not reach the test window; the run was ended by a posted key-down"
                           << " (SendInput inserted " << nInserted << " events after " << nRetries << " refusals)";
    EXPECT_GE(nFrames, 1u);
    EXPECT_FALSE(pRenderer->IsRunning());
}

TEST(RealDirectDraw, ThePrimarySurfaceShowsBackgroundFrameAndBar)
{
    std::unique_ptr<CSweepRenderer> pRenderer = OpenFirstDevice();
    ASSERT_TRUE(pRenderer != nullptr);
    DWORD nFrames = 0;
    {
        KeyPresser presser(pRenderer->GetTestWindow(), 500);
        // Both speeds 0: the bar stands at x = 1 in every frame.
        nFrames = pRenderer->RunFrames(0, 0, kBarWidth, kBackground, kBar);
        ASSERT_FALSE(presser.Rescued());
    }
    ASSERT_GE(nFrames, 1u);

    IDirectDrawSurface* pPrimary = pRenderer->GetPrimarySurface();
    DDSURFACEDESC desc = {};
    desc.dwSize = sizeof(DDSURFACEDESC);
    const HRESULT hr = pPrimary->Lock(nullptr, &desc, DDLOCK_WAIT | DDLOCK_READONLY, nullptr);
    ASSERT_EQ(Hex(DD_OK), Hex(static_cast<DWORD>(hr))) << "Lock on the primary surface";

    const int W = pRenderer->GetWidth();
    const int H = pRenderer->GetHeight();
    const DDPIXELFORMAT& format = desc.ddpfPixelFormat;
    const bool bFormat = desc.dwWidth == static_cast<DWORD>(W) && desc.dwHeight == static_cast<DWORD>(H)
        && format.dwRGBBitCount == 32 && format.dwRBitMask == 0x00FF0000 && format.dwGBitMask == 0x0000FF00
        && format.dwBBitMask == 0x000000FF;
    if (bFormat)
    {
        RegionCheck top("top row", 0x00FFFFFF), bottom("bottom row", 0x00FFFFFF), left("left column", 0x00FFFFFF),
            right("right column", 0x00FFFFFF), bar("bar", 0x002080E0), background("background", 0x00996633);
        const BYTE* pBits = static_cast<const BYTE*>(desc.lpSurface);
        for (int y = 0; y < H; ++y)
        {
            const DWORD* pRow = reinterpret_cast<const DWORD*>(pBits + static_cast<LONG>(y) * desc.lPitch);
            for (int x = 0; x < W; ++x)
            {
                const DWORD dw = pRow[x] & 0x00FFFFFF;
                if (y == 0)
                    top.Pixel(x, y, dw);
                else if (y == H - 1)
                    bottom.Pixel(x, y, dw);
                else if (x == 0)
                    left.Pixel(x, y, dw);
                else if (x == W - 1)
                    right.Pixel(x, y, dw);
                else if (x <= static_cast<int>(kBarWidth))
                    bar.Pixel(x, y, dw);
                else
                    background.Pixel(x, y, dw);
            }
        }
        top.Report();
        bottom.Report();
        left.Report();
        right.Report();
        bar.Report();
        background.Report();
    }
    pPrimary->Unlock(nullptr);
    ASSERT_TRUE(bFormat) << "surface " << desc.dwWidth << "x" << desc.dwHeight << ", " << format.dwRGBBitCount
                         << " bits, masks R " << Hex(format.dwRBitMask) << " G " << Hex(format.dwGBitMask) << " B "
                         << Hex(format.dwBBitMask) << "; expected " << W << "x" << H << " in 32 bits";
}

TEST(RealDirectDraw, ARendererCanBeMadeAgainAfterTheLastIsGone)
{
    for (int nRun = 0; nRun < 2; ++nRun)
    {
        std::unique_ptr<CSweepRenderer> pRenderer = OpenFirstDevice();
        ASSERT_TRUE(pRenderer != nullptr) << "run " << nRun;
        pRenderer.reset();
        WNDCLASSW wc;
        EXPECT_FALSE(GetClassInfoW(GetModuleHandleW(nullptr), L"Quillaby", &wc)) << "run " << nRun;
        EXPECT_EQ(nullptr, FindWindowW(L"Quillaby", nullptr)) << "run " << nRun;
    }
}
