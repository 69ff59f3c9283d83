// What a run leaves for the tester to see and take along: the picture of the
// run drawn into a bitmap, and the report that Copy puts on the clipboard,
// each from a scripted record.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pacing/PacingJudgement.h"
#include "pacing/PacingPicture.h"
#include "pacing/PacingWords.h"
#include "support/TestText.h"
#include "ui/PacingGraph.h"
#include "ui/RunReport.h"

namespace
{
const LONGLONG kTicksPerSecond = 10000000;

// nFrames at 60 Hz, one and two refreshes in turn, each frame up to 0.5 ms
// off its time; with the display lost for 1 s after frame nLostAt.
void ScriptJudder(CPacingRecord& record, int nFrames, int nLostAt = -1)
{
    record.Begin(kTicksPerSecond, 60);
    const double dRefresh = kTicksPerSecond / 60.0;
    double dAt = 0;
    for (int i = 0; i < nFrames; ++i)
    {
        if (i == nLostAt)
        {
            record.AddLostTime(static_cast<LONGLONG>(dAt), static_cast<LONGLONG>(dAt + kTicksPerSecond));
            dAt += kTicksPerSecond;
        }
        record.AddFrame(static_cast<LONGLONG>(dAt) + (i * 7919 % 10001) - 5000);
        dAt += dRefresh * (i % 2 == 0 ? 1 : 2);
    }
}

// The picture drawn into a 32-bit bitmap of w x h, in the dialog's face.
class DrawnPicture
{
public:
    DrawnPicture(const PacingPicture* pPicture, int w, int h) : m_rc{0, 0, w, h}
    {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = w;
        info.bmiHeader.biHeight = -h;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        m_hDC = CreateCompatibleDC(nullptr);
        m_hBitmap = CreateDIBSection(m_hDC, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&m_pBits), nullptr, 0);
        m_hOldBitmap = SelectObject(m_hDC, m_hBitmap);
        m_hOldFont = SelectObject(m_hDC, GetStockObject(DEFAULT_GUI_FONT));
        DrawPacingGraph(m_hDC, m_rc, pPicture);
        GdiFlush();
    }
    ~DrawnPicture()
    {
        SelectObject(m_hDC, m_hOldFont);
        SelectObject(m_hDC, m_hOldBitmap);
        DeleteObject(m_hBitmap);
        DeleteDC(m_hDC);
    }
    COLORREF At(int x, int y) const
    {
        const DWORD dw = m_pBits[y * m_rc.right + x];
        return RGB((dw >> 16) & 0xFF, (dw >> 8) & 0xFF, dw & 0xFF);
    }
    // The rows in which pixels of that colour lie, inside the plot.
    std::vector<int> RowsOf(COLORREF cr) const
    {
        std::vector<int> rows;
        const RECT& rcPlot = Plot().rcPlot;
        for (int y = rcPlot.top; y < rcPlot.bottom; ++y)
            for (int x = rcPlot.left; x < rcPlot.right; ++x)
                if (At(x, y) == cr)
                {
                    rows.push_back(y);
                    break;
                }
        return rows;
    }
    GraphPlot Plot() const { return PlotIn(m_hDC, m_rc); }

private:
    RECT m_rc;
    HDC m_hDC;
    HBITMAP m_hBitmap;
    HGDIOBJ m_hOldBitmap;
    HGDIOBJ m_hOldFont;
    DWORD* m_pBits = nullptr;
};
}

TEST(PacingGraph, HeldFramesAreMarkedAtTheHeightOfTwoRefreshes)
{
    static CPacingRecord s_record;
    ScriptJudder(s_record, 300, 150);
    std::vector<BYTE> marks;
    const PacingSummary summary = JudgePacing(s_record, &marks);
    ASSERT_EQ(PacingVerdict::Tied, summary.aSegments[0].verdict) << FormatPacingLine(summary);
    const PacingPicture picture = PictureOf(s_record, summary, marks, 200);
    EXPECT_EQ(150u, picture.anByRefreshes[1]) << "frames that stayed one refresh";
    EXPECT_EQ(148u, picture.anByRefreshes[2]) << "frames held for two";

    const DrawnPicture drawn(&picture, 260, 120);
    const GraphPlot plot = drawn.Plot();
    // Red only for the held frames, from half way to two refreshes up to two;
    // a lone one is a mark a pixel or two about its height.
    const std::vector<int> red = drawn.RowsOf(kGraphHeld);
    ASSERT_FALSE(red.empty()) << "no held frame marked";
    EXPECT_NEAR(plot.YOf(2), red.front(), 2) << "the top of the held frames' marks, against 2 refreshes";
    EXPECT_NEAR(plot.YOf(1.5), red.back(), 1) << "their foot, against 1.5 refreshes";
    // The frames of one refresh in black down to one refresh; none early.
    const std::vector<int> black = drawn.RowsOf(kGraphFrames);
    ASSERT_FALSE(black.empty());
    EXPECT_NEAR(plot.YOf(1), black.back(), 1) << "the lowest frame, against 1 refresh";
    EXPECT_TRUE(drawn.RowsOf(kGraphEarly).empty()) << "an early frame marked where none was";
    // The second the display was lost, a band over the plot's whole height.
    const std::vector<int> lost = drawn.RowsOf(kGraphLost);
    EXPECT_EQ(plot.rcPlot.top, lost.empty() ? -1 : lost.front()) << "the lost band's top";

    // Before any run, and after one with no interval: words, no plot.
    const DrawnPicture before(nullptr, 260, 120);
    EXPECT_TRUE(before.RowsOf(kGraphHeld).empty() && before.RowsOf(kGraphLines).empty());
}

TEST(PacingGraph, FramesThatKeptTheirOwnTimeAreNotCountedInRefreshes)
{
    // 50 frames a second on a display that says 60: lines at its refreshes,
    // labelled with their times, and no count that would read as no frame.
    static CPacingRecord s_record;
    s_record.Begin(kTicksPerSecond, 60);
    for (int i = 0; i < 200; ++i)
        s_record.AddFrame(static_cast<LONGLONG>(i) * kTicksPerSecond / 50);
    std::vector<BYTE> marks;
    const PacingSummary summary = JudgePacing(s_record, &marks);
    ASSERT_EQ(PacingVerdict::NotTied, summary.aSegments[0].verdict) << FormatPacingLine(summary);
    const PacingPicture picture = PictureOf(s_record, summary, marks, 200);
    EXPECT_TRUE(picture.bInRefreshes);
    EXPECT_FALSE(picture.bCounted);
    EXPECT_NEAR(1000.0 / 60, picture.dLineMs, 1e-9) << "the unit, a refresh, in ms";
    EXPECT_NEAR(1.2, picture.columns[100].fHigh, 1e-3) << "an interval of 20 ms in refreshes of 60 Hz";
}

TEST(RunReport, SaysWhatRanWhereWithWhatAndWhatItShowed)
{
    static CPacingRecord s_record;
    ScriptJudder(s_record, 301);
    RunFacts facts = {};
    facts.when = SYSTEMTIME{2026, 12, 4, 10, 14, 5, 9, 0};
    facts.strDevice = L"Wine Display";
    facts.strDriver = L"\\\\.\\DISPLAY1";
    facts.rcMonitor = RECT{-1024, 0, 0, 768};
    facts.nWidth = 1024;
    facts.nHeight = 768;
    facts.nBits = 32;
    facts.nDivider = 3;
    facts.nBarWidth = 40;
    facts.crBar = RGB(255, 128, 0);
    facts.crBackground = RGB(0, 0, 96);
    facts.dwElapsedMs = 7500;
    facts.dwFrames = 301;
    facts.strRateLine = "Rendered frames/sec on last run: 40.13";
    facts.pacing = JudgePacing(s_record);
    facts.strPacingLine = FormatPacingLine(facts.pacing);
    const std::string strReport = Narrow(RunReportText(facts));
    EXPECT_EQ("Quillaby 1.0.0, run of 2026-12-10 14:05:09\r\n"
              "Device: Wine Display (driver \\\\.\\DISPLAY1)\r\n"
              "Monitor: (-1024, 0)-(0, 768)\r\n"
              "Display mode: 1024 x 768, 32 bits per pixel\r\n"
              "Refresh: DirectDraw gave 60 Hz; measured 60.000 Hz, within 0.001 Hz, from 300 intervals scattered by "
              "0.290 ms about its grid\r\n"
              "Settings: bar speed 1 pixel every 3 frames, bar 40 pixels wide, bar colour 255, 128, 0, "
              "background 0, 0, 96\r\n"
              "Run: 7.500 s, 301 frames shown\r\n"
              "Rendered frames/sec on last run: 40.13\r\n"
              "Frame pacing: display 60.00 Hz, 150 of 300 frames held for 2+ refreshes (150 refreshes repeated), "
              "longest 34.1 ms\r\n"
              "Frames by the refreshes they stayed: 0 (early) 0, 1 150, 2 150, 3 0, 4 or more 0\r\n"
              "Longest interval: 34.1 ms\r\n"
              "Display lost: 0.00 s\r\n"
              "Coverage: the picture covered the whole screen\r\n",
              strReport);
}
