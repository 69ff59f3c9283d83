// The renderer on Wine's own DirectDraw in Xvfb: a real key press ends the run,
// and the picture on the primary surface is the background, the white frame and
// the bar, each in its own colour, at 32, 16 and 8 bits (through the palette).
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
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

    // Whether the pixel is right.
    bool Pixel(int x, int y, DWORD dwGot)
    {
        ++m_nChecked;
        if (dwGot == m_dwExpected)
            return true;
        if (m_nWrong == 0)
        {
            m_nFirstX = x;
            m_nFirstY = y;
            m_dwFirstGot = dwGot;
        }
        ++m_nWrong;
        return false;
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

// What the locked primary surface holds, read pixel by pixel in its own
// format: 32 bits as 0x00RRGGBB, 16 bits (565) as the raw value, and 8-bit
// palette indices as the 0x00RRGGBB of the palette entry they name.
class SurfaceReader
{
public:
    SurfaceReader(IDirectDrawSurface* pSurface, const DDSURFACEDESC& desc) : m_desc(desc), m_bPalette(false)
    {
        const DDPIXELFORMAT& format = desc.ddpfPixelFormat;
        m_bPalette = (format.dwFlags & DDPF_PALETTEINDEXED8) != 0;
        if (!m_bPalette)
            return;
        IDirectDrawPalette* pPalette = nullptr;
        m_hrPalette = pSurface->GetPalette(&pPalette);
        if (m_hrPalette == DD_OK)
        {
            m_hrPalette = pPalette->GetEntries(0, 0, 256, m_entries);
            pPalette->Release();
        }
    }

    // The format is one of the three and, on a palette display, the palette
    // could be read; otherwise says what it found.
    std::string Problem() const
    {
        const DDPIXELFORMAT& format = m_desc.ddpfPixelFormat;
        if (m_bPalette)
            return m_hrPalette == DD_OK ? "" : "the palette could not be read: " + Hex(static_cast<DWORD>(m_hrPalette));
        if (format.dwRGBBitCount == 32 && format.dwRBitMask == 0x00FF0000 && format.dwGBitMask == 0x0000FF00
            && format.dwBBitMask == 0x000000FF)
            return "";
        if (format.dwRGBBitCount == 16 && format.dwRBitMask == 0xF800 && format.dwGBitMask == 0x07E0
            && format.dwBBitMask == 0x001F)
            return "";
        return std::to_string(format.dwRGBBitCount) + " bits, masks R " + Hex(format.dwRBitMask) + " G "
            + Hex(format.dwGBitMask) + " B " + Hex(format.dwBBitMask) + ", flags " + Hex(format.dwFlags);
    }

    // The value a colour must read as.
    DWORD Expected(DWORD crColor) const
    {
        const DWORD dwRgb = (crColor & 0xFF) << 16 | (crColor & 0xFF00) | (crColor >> 16 & 0xFF);
        if (m_bPalette || m_desc.ddpfPixelFormat.dwRGBBitCount == 32)
            return dwRgb;
        return (GetRValue(crColor) >> 3) << 11 | (GetGValue(crColor) >> 2) << 5 | GetBValue(crColor) >> 3;
    }

    DWORD Pixel(int x, int y) const
    {
        const BYTE* pRow = static_cast<const BYTE*>(m_desc.lpSurface) + static_cast<LONG>(y) * m_desc.lPitch;
        if (m_bPalette)
        {
            const PALETTEENTRY& entry = m_entries[pRow[x]];
            return static_cast<DWORD>(entry.peRed) << 16 | static_cast<DWORD>(entry.peGreen) << 8 | entry.peBlue;
        }
        if (m_desc.ddpfPixelFormat.dwRGBBitCount == 16)
            return reinterpret_cast<const WORD*>(pRow)[x];
        return reinterpret_cast<const DWORD*>(pRow)[x] & 0x00FFFFFF;
    }

    // For a failure message: the index behind a pixel on a palette display.
    std::string Index(int x, int y) const
    {
        if (!m_bPalette)
            return "";
        const BYTE* pRow = static_cast<const BYTE*>(m_desc.lpSurface) + static_cast<LONG>(y) * m_desc.lPitch;
        return " (index " + std::to_string(pRow[x]) + ")";
    }

private:
    const DDSURFACEDESC& m_desc;
    bool m_bPalette;
    HRESULT m_hrPalette = DD_OK;
    PALETTEENTRY m_entries[256] = {};
};

// The depth the display slot promises, 0 when the test runs outside one; a
// 24-bit X screen gives DirectDraw 32-bit pixels.
DWORD SlotBits()
{
    char sz[8] = "";
    GetEnvironmentVariableA("QB_SLOT_DEPTH", sz, sizeof(sz));
    const DWORD nDepth = static_cast<DWORD>(atoi(sz));
    return nDepth == 24 ? 32 : nDepth;
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
    const SurfaceReader reader(pPrimary, desc);
    const std::string strProblem = reader.Problem();
    const bool bSize = desc.dwWidth == static_cast<DWORD>(W) && desc.dwHeight == static_cast<DWORD>(H);
    const DWORD nBits = desc.ddpfPixelFormat.dwRGBBitCount;
    if (strProblem.empty() && bSize)
    {
        const DWORD dwWhite = reader.Expected(0x00FFFFFF);
        RegionCheck top("top row", dwWhite), bottom("bottom row", dwWhite), left("left column", dwWhite),
            right("right column", dwWhite), bar("bar", reader.Expected(kBar)),
            background("background", reader.Expected(kBackground));
        std::string strFirstIndex;
        for (int y = 0; y < H; ++y)
        {
            for (int x = 0; x < W; ++x)
            {
                const DWORD dw = reader.Pixel(x, y);
                RegionCheck& region = y == 0 ? top
                    : y == H - 1             ? bottom
                    : x == 0                 ? left
                    : x == W - 1             ? right
                    : x <= static_cast<int>(kBarWidth) ? bar
                                                       : background;
                if (!region.Pixel(x, y, dw) && strFirstIndex.empty())
                    strFirstIndex = reader.Index(x, y);
            }
        }
        top.Report();
        bottom.Report();
        left.Report();
        right.Report();
        bar.Report();
        background.Report();
        EXPECT_EQ("", strFirstIndex) << "the first wrong pixel's palette index";
    }
    pPrimary->Unlock(nullptr);
    ASSERT_EQ("", strProblem) << "a format this test can't read";
    ASSERT_TRUE(bSize) << "surface " << desc.dwWidth << "x" << desc.dwHeight << "; the renderer laid out " << W << "x"
                       << H;
    if (SlotBits() != 0)
    {
        EXPECT_EQ(SlotBits(), nBits) << "the display slot's depth";
    }
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
