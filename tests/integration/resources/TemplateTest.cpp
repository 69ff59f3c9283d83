// Dialog template 102 and icon 128, read both from the resource bytes and from
// a live dialog that Wine's dialog manager builds from them.
#include <gtest/gtest.h>

#include "support/TestText.h"
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "pacing/PacingSummary.h"
#include "res/resource.h"
#include "ui/PacingLines.h"

namespace
{
const DWORD kEdit = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_NUMBER | ES_AUTOHSCROLL | ES_RIGHT;
const DWORD kLabel = WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT | SS_CENTERIMAGE;

struct ExpectedControl
{
    int nId;
    const wchar_t* pszClass;
    const wchar_t* pszText;
    RECT rcUnits; // x, y, then x + width, y + height
    DWORD dwStyle;
};

// In template order, which is also the tab order.
const ExpectedControl kControls[] = {
    {1011, L"ComboBox", L"", {120, 6, 220, 114}, WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWNLIST},
    {1008, L"Edit", L"", {120, 18, 138, 30}, kEdit},
    {1009, L"Edit", L"", {120, 30, 138, 42}, kEdit},
    {1001, L"Edit", L"", {120, 42, 138, 54}, kEdit},
    {1005, L"Edit", L"", {120, 54, 138, 66}, kEdit},
    {1006, L"Edit", L"", {138, 54, 156, 66}, kEdit},
    {1007, L"Edit", L"", {156, 54, 174, 66}, kEdit},
    {1002, L"Edit", L"", {120, 66, 138, 78}, kEdit},
    {1003, L"Edit", L"", {138, 66, 156, 78}, kEdit},
    {1004, L"Edit", L"", {156, 66, 174, 78}, kEdit},
    {1000, L"Button", L"Run", {81, 84, 141, 96}, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON},
    {1015, L"Button", L"Copy", {282, 100, 342, 112}, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON},
    {-1, L"Static", L"Bar width (pixels)", {6, 42, 120, 54}, kLabel},
    {-1, L"Static", L"Background color (R, G, B)", {6, 66, 120, 78}, kLabel},
    {-1, L"Static", L"Bar color (R, G, B)", {6, 54, 120, 66}, kLabel},
    {-1, L"Static", L"Bar speed multiplier (pixels/frame)", {6, 18, 120, 30}, kLabel},
    {-1, L"Static", L"Bar speed divider (frames/pixel)", {6, 30, 120, 42}, kLabel},
    {1010, L"Static", L"Rendered frames/sec on last run:", {6, 102, 168, 114}, kLabel},
    {-1, L"Static", L"Display device", {6, 6, 120, 18}, kLabel},
    // The pacing line takes up to seven lines, broken between its clauses.
    {1012, L"Static", L"", {6, 116, 342, 172}, WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT},
    {1013, L"Static", L"", {6, 174, 342, 190}, WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT},
    {1014, L"Static", L"", {226, 6, 342, 96}, WS_CHILD | WS_VISIBLE | SS_OWNERDRAW},
};
const size_t kControlCount = sizeof(kControls) / sizeof(kControls[0]);

// A reader of the extended template's bytes.
class TemplateReader
{
public:
    explicit TemplateReader(const BYTE* p) : m_p(p), m_pStart(p) {}
    WORD Word() { WORD w; memcpy(&w, m_p, 2); m_p += 2; return w; }
    DWORD Dword() { DWORD d; memcpy(&d, m_p, 4); m_p += 4; return d; }
    BYTE Byte() { return *m_p++; }
    short Short() { return static_cast<short>(Word()); }
    std::wstring Text()
    {
        std::wstring str;
        for (WORD w = Word(); w != 0; w = Word())
            str.push_back(static_cast<wchar_t>(w));
        return str;
    }
    // A string or an ordinal (0xFFFF, then the number); ordinals of the
    // predefined classes become their names.
    std::wstring TextOrOrdinal()
    {
        WORD first;
        memcpy(&first, m_p, 2);
        if (first == 0xFFFF)
        {
            Word();
            switch (Word())
            {
            case 0x80: return L"Button";
            case 0x81: return L"Edit";
            case 0x82: return L"Static";
            case 0x85: return L"ComboBox";
            default: return L"#ordinal";
            }
        }
        return Text();
    }
    void AlignDword() { while ((m_p - m_pStart) % 4 != 0) ++m_p; }
    void Skip(size_t n) { m_p += n; }

private:
    const BYTE* m_p;
    const BYTE* m_pStart;
};

const BYTE* LoadTemplate()
{
    HRSRC hRes = FindResourceW(nullptr, MAKEINTRESOURCEW(IDD_SWEEP_DIALOG), MAKEINTRESOURCEW(5) /* RT_DIALOG */);
    if (hRes == nullptr)
        return nullptr;
    return static_cast<const BYTE*>(LockResource(LoadResource(nullptr, hRes)));
}

INT_PTR CALLBACK QuietDialogProc(HWND, UINT uMsg, WPARAM, LPARAM)
{
    return uMsg == WM_INITDIALOG ? TRUE : FALSE;
}

// The widest each verdict's words can be: every count and time at its largest.
PacingSegment Widest(PacingVerdict verdict, bool bGivenFits, DWORD nGivenHz)
{
    PacingSegment segment = {};
    segment.verdict = verdict;
    segment.nGivenHz = nGivenHz;
    segment.bGivenFits = bGivenFits;
    segment.nIntervals = segment.nHeld = segment.nRepeated = segment.nEarly = segment.nLate = 4294967295u;
    segment.dRefreshHz = 388.88;
    segment.nDecimals = 2;
    segment.bAtLeast = true;
    segment.dTypicalMs = 8888.888;
    segment.dTypicalHz = 888.88;
    return segment;
}

// Runs of one refresh and of four, each part in the widest words it can have.
std::vector<PacingSummary> WidestSummaries()
{
    const PacingSegment kinds[] = {
        Widest(PacingVerdict::Tied, true, 1000),          Widest(PacingVerdict::Tied, false, 1000),
        Widest(PacingVerdict::Tied, false, 0),            Widest(PacingVerdict::NotTied, true, 1000),
        Widest(PacingVerdict::RefreshUnknown, false, 1000), Widest(PacingVerdict::RefreshUnknown, false, 0),
    };
    std::vector<PacingSummary> summaries;
    for (const PacingSegment& kind : kinds)
    {
        for (unsigned nSegments : {1u, kMaxPacingSegments})
        {
            PacingSummary summary = {};
            summary.nFrames = summary.nIntervals = 4294967295u;
            summary.nSegments = nSegments;
            for (unsigned i = 0; i < nSegments; ++i)
                summary.aSegments[i] = kind;
            summary.dLongestMs = 4294967295.0;
            summary.dLostSeconds = 4294967.29;
            summaries.push_back(summary);
        }
    }
    return summaries;
}

// How tall the text stands in the control's width, as the static control
// draws it.
LONG TextHeight(HDC hDC, const std::string& strText, LONG nWidth)
{
    RECT rc = {0, 0, nWidth, 0};
    DrawTextA(hDC, strText.c_str(), static_cast<int>(strText.size()), &rc,
              DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
    return rc.bottom;
}
}

TEST(DialogTemplate, HeaderIsTheExtendedTemplateWithCaptionFontAndStyles)
{
    const BYTE* pTemplate = LoadTemplate();
    ASSERT_NE(nullptr, pTemplate) << "dialog resource 102 not found";
    TemplateReader r(pTemplate);
    EXPECT_EQ(1, r.Word()) << "dialog version";
    EXPECT_EQ(0xFFFF, r.Word()) << "extended template signature";
    r.Dword(); // help id
    EXPECT_EQ(static_cast<DWORD>(WS_EX_APPWINDOW), r.Dword()) << "extended style";
    const DWORD dwStyle = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_MODALFRAME | DS_SETFONT;
    EXPECT_EQ(dwStyle, r.Dword()) << "style";
    EXPECT_EQ(kControlCount, r.Word()) << "control count";
    EXPECT_EQ(0, r.Short()) << "x";
    EXPECT_EQ(0, r.Short()) << "y";
    EXPECT_EQ(348, r.Short()) << "width";
    EXPECT_EQ(196, r.Short()) << "height";
    EXPECT_EQ("", Narrow(r.TextOrOrdinal())) << "menu";
    EXPECT_EQ("", Narrow(r.TextOrOrdinal())) << "window class";
    EXPECT_EQ("Quillaby", Narrow(r.Text())) << "caption";
    EXPECT_EQ(8, r.Word()) << "font size";
    EXPECT_EQ(0, r.Word()) << "font weight";
    EXPECT_EQ(0, r.Byte()) << "italic";
    EXPECT_EQ(DEFAULT_CHARSET, r.Byte()) << "character set";
    EXPECT_EQ("MS Sans Serif", Narrow(r.Text())) << "font face";
}

TEST(DialogTemplate, ControlsMatchFieldByFieldInTheResource)
{
    const BYTE* pTemplate = LoadTemplate();
    ASSERT_NE(nullptr, pTemplate);
    TemplateReader r(pTemplate);
    r.Skip(2 + 2 + 4 + 4 + 4 + 2 + 8);
    r.TextOrOrdinal();
    r.TextOrOrdinal();
    r.Text();
    r.Skip(2 + 2 + 1 + 1);
    r.Text();
    for (size_t i = 0; i < kControlCount; ++i)
    {
        const ExpectedControl& want = kControls[i];
        SCOPED_TRACE("control #" + std::to_string(i + 1) + " (" + Narrow(want.pszText) + ")");
        r.AlignDword();
        r.Dword(); // help id
        EXPECT_EQ(0u, r.Dword()) << "extended style";
        EXPECT_EQ(Hex(want.dwStyle), Hex(r.Dword())) << "style";
        RECT rc;
        rc.left = r.Short();
        rc.top = r.Short();
        rc.right = rc.left + r.Short();
        rc.bottom = rc.top + r.Short();
        EXPECT_EQ((ToText(want.rcUnits)), (ToText(rc))) << "position in dialog units";
        EXPECT_EQ(want.nId, static_cast<int>(r.Dword())) << "id";
        const std::wstring strClass = r.TextOrOrdinal();
        EXPECT_EQ(0, lstrcmpiW(want.pszClass, strClass.c_str()))
            << "class: expected " << Narrow(want.pszClass) << ", got " << Narrow(strClass);
        EXPECT_EQ(Narrow(want.pszText), Narrow(r.TextOrOrdinal())) << "text";
        r.Skip(r.Word()); // creation data
    }
}

TEST(DialogTemplate, LiveDialogHasEveryControlInOrderAtItsPixelPosition)
{
    HWND hDlg = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_SWEEP_DIALOG), nullptr,
                                   &QuietDialogProc, 0);
    ASSERT_NE(nullptr, hDlg) << "CreateDialogParamW failed, error " << GetLastError();

    WCHAR szCaption[64] = L"";
    GetWindowTextW(hDlg, szCaption, 64);
    EXPECT_EQ("Quillaby", Narrow(szCaption));

    size_t n = 0;
    for (HWND hCtl = GetWindow(hDlg, GW_CHILD); hCtl != nullptr; hCtl = GetWindow(hCtl, GW_HWNDNEXT), ++n)
    {
        ASSERT_LT(n, kControlCount) << "more controls than the template's " << kControlCount;
        const ExpectedControl& want = kControls[n];
        SCOPED_TRACE("control #" + std::to_string(n + 1) + " (" + Narrow(want.pszText) + ")");

        EXPECT_EQ(want.nId, static_cast<int>(GetWindowLongPtrW(hCtl, GWLP_ID))) << "id";
        WCHAR szClass[64] = L"";
        GetClassNameW(hCtl, szClass, 64);
        EXPECT_EQ(0, lstrcmpiW(want.pszClass, szClass)) << "class: expected " << Narrow(want.pszClass) << ", got "
                                                      << Narrow(szClass);
        WCHAR szText[128] = L"";
        GetWindowTextW(hCtl, szText, 128);
        EXPECT_EQ(Narrow(want.pszText), Narrow(szText)) << "text";

        // A control may change bits of its own: an edit trades its border for
        // a client edge, a combo box hands its scroll bar to its list. Every
        // other bit of the template must be there.
        const DWORD dwLive = static_cast<DWORD>(GetWindowLongW(hCtl, GWL_STYLE));
        const DWORD dwMustHave = want.dwStyle & ~static_cast<DWORD>(WS_BORDER | WS_VSCROLL);
        EXPECT_EQ(Hex(dwMustHave), Hex(dwLive & dwMustHave)) << "style bits, live " << Hex(dwLive);

        // The dialog manager scales a control's position and its size each on
        // its own, so their roundings add up as the control's far edges.
        RECT rcWant = {want.rcUnits.left, want.rcUnits.top, want.rcUnits.right - want.rcUnits.left,
                       want.rcUnits.bottom - want.rcUnits.top};
        MapDialogRect(hDlg, &rcWant);
        rcWant.right += rcWant.left;
        rcWant.bottom += rcWant.top;
        RECT rcLive;
        GetWindowRect(hCtl, &rcLive);
        MapWindowPoints(nullptr, hDlg, reinterpret_cast<POINT*>(&rcLive), 2);
        if (lstrcmpiW(want.pszClass, L"ComboBox") == 0)
        {
            // A closed combo box is only as tall as its edit line; the template's
            // height is the dropped-down list's, checked in the resource.
            EXPECT_EQ(rcWant.right - rcWant.left, rcLive.right - rcLive.left) << "combo box width";
            EXPECT_EQ(rcWant.left, rcLive.left) << "combo box left";
            EXPECT_EQ(rcWant.top, rcLive.top) << "combo box top";
        }
        else
        {
            EXPECT_EQ((ToText(rcWant)), (ToText(rcLive))) << "pixel position";
        }
    }
    EXPECT_EQ(kControlCount, n) << "control count";
    DestroyWindow(hDlg);
}

TEST(DialogTemplate, EveryLabelAndButtonTextFitsItsControl)
{
    HWND hDlg = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_SWEEP_DIALOG), nullptr,
                                   &QuietDialogProc, 0);
    ASSERT_NE(nullptr, hDlg) << "CreateDialogParamW failed, error " << GetLastError();
    for (HWND hCtl = GetWindow(hDlg, GW_CHILD); hCtl != nullptr; hCtl = GetWindow(hCtl, GW_HWNDNEXT))
    {
        WCHAR szText[128] = L"";
        GetWindowTextW(hCtl, szText, 128);
        if (szText[0] == 0)
            continue;
        HDC hDC = GetDC(hCtl);
        const HGDIOBJ hOld = SelectObject(hDC, reinterpret_cast<HGDIOBJ>(SendMessageW(hCtl, WM_GETFONT, 0, 0)));
        SIZE size = {};
        GetTextExtentPoint32W(hDC, szText, lstrlenW(szText), &size);
        const int nDpi = GetDeviceCaps(hDC, LOGPIXELSX);
        SelectObject(hDC, hOld);
        ReleaseDC(hCtl, hDC);
        RECT rc = {};
        GetClientRect(hCtl, &rc);
        EXPECT_LE(size.cx, rc.right) << "\"" << Narrow(szText) << "\" at " << nDpi << " DPI";
    }
    DestroyWindow(hDlg);
}

TEST(DialogTemplate, ThePacingLineFitsItsControlAtTheWidestTheWordsMake)
{
    HWND hDlg = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_SWEEP_DIALOG), nullptr,
                                   &QuietDialogProc, 0);
    ASSERT_NE(nullptr, hDlg) << "CreateDialogParamW failed, error " << GetLastError();
    const HWND hPacing = GetDlgItem(hDlg, IDC_PACING);
    RECT rcPacing = {};
    GetClientRect(hPacing, &rcPacing);
    HDC hDC = GetDC(hPacing);
    const HGDIOBJ hOld = SelectObject(hDC, reinterpret_cast<HGDIOBJ>(SendMessageW(hPacing, WM_GETFONT, 0, 0)));

    std::string strWidest;
    for (const PacingSummary& summary : WidestSummaries())
    {
        const std::string strText = PacingLinesFor(hPacing, summary);
        if (strText.size() > strWidest.size())
            strWidest = strText;
        EXPECT_LE(TextHeight(hDC, strText, rcPacing.right), rcPacing.bottom)
            << "at " << GetDeviceCaps(hDC, LOGPIXELSY) << " DPI, in a control of " << rcPacing.right << " x "
            << rcPacing.bottom << ":\n" << strText;
    }
    // QB_SHOW_WIDEST=seconds leaves the dialog up with the widest line, to be
    // captured.
    if (const char* pszShow = std::getenv("QB_SHOW_WIDEST"))
    {
        SetWindowTextA(hPacing, strWidest.c_str());
        const DWORD dwUntil = GetTickCount() + 1000 * static_cast<DWORD>(std::atoi(pszShow));
        MSG msg;
        while (GetTickCount() < dwUntil)
        {
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageW(&msg);
            Sleep(20);
        }
    }
    SelectObject(hDC, hOld);
    ReleaseDC(hPacing, hDC);
    DestroyWindow(hDlg);
}

TEST(Icon, ResourceHasA32And16PixelImageOf16Colours)
{
    HRSRC hGroup = FindResourceW(nullptr, MAKEINTRESOURCEW(IDR_MAINFRAME), MAKEINTRESOURCEW(14) /* RT_GROUP_ICON */);
    ASSERT_NE(nullptr, hGroup) << "icon group 128 not found";
    const BYTE* p = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, hGroup)));
    ASSERT_NE(nullptr, p);
    WORD wCount;
    memcpy(&wCount, p + 4, 2);
    ASSERT_EQ(2, wCount) << "images in the group";
    std::vector<int> sizes;
    for (WORD i = 0; i < wCount; ++i)
    {
        const BYTE* pEntry = p + 6 + 14 * i; // GRPICONDIRENTRY
        sizes.push_back(pEntry[0]);
        EXPECT_EQ(16, pEntry[2]) << "colours of image " << i;
        WORD wBits;
        memcpy(&wBits, pEntry + 6, 2);
        EXPECT_EQ(4, wBits) << "bits per pixel of image " << i;
    }
    EXPECT_EQ((std::vector<int>{32, 16}), sizes);

    HICON hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
    EXPECT_NE(nullptr, hIcon) << "LoadIconW of 128";
}
