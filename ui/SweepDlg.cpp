#include "ui/SweepDlg.h"

#include <optional>
#include <string>

#include "display/MonitorServices.h"
#include "framework/Clipboard.h"
#include "framework/DataExchange.h"
#include "framework/PaintDC.h"
#include "framework/WinApp.h"
#include "pacing/PacingJudgement.h"
#include "pacing/PacingWords.h"
#include "render/HeldKeyFilter.h"
#include "render/SweepRenderer.h"
#include "res/resource.h"
#include "ui/ControlFontDC.h"
#include "ui/DeviceEntryText.h"
#include "ui/FieldNumber.h"
#include "ui/PacingGraph.h"
#include "ui/PacingLines.h"
#include "ui/RateText.h"

typedef MessageMapFor<CSweepDlg> SweepDlgMap;

namespace
{
// The line that says the picture left part of the screen uncovered: Wine
// keeps a program's surfaces at the first mode it saw, and only a new start
// sees the new one.
std::wstring CoverageLine(SIZE shown, SIZE screen)
{
    WCHAR sz[200];
    wsprintfW(sz, L"The picture covered only %ld x %ld of the %ld x %ld screen. Start Quillaby again for a full one.",
              shown.cx, shown.cy, screen.cx, screen.cy);
    return sz;
}

// However the Run command ends, the input of the run stays with the run.
class RunInput
{
public:
    explicit RunInput(CSweepDlg& dlg) : m_dlg(dlg) {}
    ~RunInput() { m_dlg.ForgetInputOfRun(); }
    RunInput(const RunInput&) = delete;
    RunInput& operator=(const RunInput&) = delete;

private:
    CSweepDlg& m_dlg;
};

// The dialog takes no input while the frames run: enabled, a click on it (on
// another monitor, say) would take the foreground from the test window, and
// what the user typed there would act once the run returned.
class DisabledWhileRunning
{
public:
    explicit DisabledWhileRunning(HWND hDlg) : m_hDlg(hDlg), m_bDisabled(::EnableWindow(hDlg, FALSE) == FALSE) {}
    ~DisabledWhileRunning()
    {
        if (m_bDisabled)
            ::EnableWindow(m_hDlg, TRUE);
    }
    DisabledWhileRunning(const DisabledWhileRunning&) = delete;
    DisabledWhileRunning& operator=(const DisabledWhileRunning&) = delete;

private:
    HWND m_hDlg;
    bool m_bDisabled;
};
}

const MessageMapEntry CSweepDlg::s_messageEntries[] = {
    SweepDlgMap::Message<WM_PAINT, &CSweepDlg::OnPaint>(),
    SweepDlgMap::Message<WM_QUERYDRAGICON, &CSweepDlg::OnQueryDragIcon>(),
    SweepDlgMap::Command<BN_CLICKED, IDC_RUN, &CSweepDlg::OnRun>(),
    SweepDlgMap::Command<EN_KILLFOCUS, IDC_MULTIPLIER, &CSweepDlg::OnKillFocusMultiplier>(),
    SweepDlgMap::Command<EN_KILLFOCUS, IDC_DIVIDER, &CSweepDlg::OnKillFocusDivider>(),
    SweepDlgMap::Command<EN_KILLFOCUS, IDC_WIDTH, &CSweepDlg::OnKillFocusWidth>(),
    SweepDlgMap::Command<CBN_SELCHANGE, IDC_DEVICE, &CSweepDlg::OnSelChangeDevice>(),
    SweepDlgMap::Command<BN_CLICKED, IDC_COPY, &CSweepDlg::OnCopy>(),
    SweepDlgMap::Message<WM_DRAWITEM, &CSweepDlg::OnDrawItem>(),
};
const MessageMap CSweepDlg::s_messageMap = {&CDialog::s_messageMap, s_messageEntries, std::size(s_messageEntries)};

const MessageMap* CSweepDlg::GetMessageMap() const
{
    return &s_messageMap;
}

CSweepDlg::CSweepDlg(CWnd* pParent)
    : CDialog(IDD_SWEEP_DIALOG, pParent),
      m_strBackBlue(L"0"),
      m_strBackGreen(L"0"),
      m_strBackRed(L"0"),
      m_strBarBlue(L"255"),
      m_strBarGreen(L"255"),
      m_strBarRed(L"255"),
      m_strMultiplier(L"1"),
      m_strWidth(L"20"),
      m_strRate(L"Rendered frames/sec on last run:"),
      m_hIcon(::LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDR_MAINFRAME)))
{
}

// The icon is a shared resource icon and is not destroyed.
CSweepDlg::~CSweepDlg() {}

void CSweepDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_DEVICE, m_cbDevice);
    DDX_Text(pDX, IDC_BACK_BLUE, m_strBackBlue);
    DDX_Text(pDX, IDC_BACK_GREEN, m_strBackGreen);
    DDX_Text(pDX, IDC_BACK_RED, m_strBackRed);
    DDX_Text(pDX, IDC_BAR_BLUE, m_strBarBlue);
    DDX_Text(pDX, IDC_BAR_GREEN, m_strBarGreen);
    DDX_Text(pDX, IDC_BAR_RED, m_strBarRed);
    DDX_Text(pDX, IDC_DIVIDER, m_strDivider);
    DDX_Text(pDX, IDC_MULTIPLIER, m_strMultiplier);
    DDX_Text(pDX, IDC_WIDTH, m_strWidth);
    DDX_Text(pDX, IDC_RATE, m_strRate);
    DDX_Text(pDX, IDC_PACING, m_strPacing);
    DDX_Text(pDX, IDC_COVERAGE, m_strCoverage);
    DDX_CBString(pDX, IDC_DEVICE, m_strDevice);
}

BOOL CSweepDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    const LPARAM lIcon = reinterpret_cast<LPARAM>(m_hIcon);
    ::SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, lIcon);
    ::SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, lIcon);
    FillDeviceBox();
    // Nothing to copy before the first run.
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_COPY), FALSE);
    // The dialog manager then gives the focus to the first tab stop.
    return TRUE;
}

void CSweepDlg::FillDeviceBox()
{
    // On opening the dialog still lies at its template position, so this is
    // the primary monitor.
    const HMONITOR hDialogMonitor = CompatMonitorFromWindow(m_hWnd, MONITOR_DEFAULTTONEAREST);
    m_devices = BuildDisplayDeviceList();
    m_cbDevice.ResetContent();
    for (size_t i = 0; i < m_devices.size(); ++i)
    {
        const CDisplayDevice& device = m_devices[i];
        const std::wstring strEntry = DeviceEntryText(m_devices, i);
        const int nEntry = m_cbDevice.AddString(strEntry.c_str());
        m_cbDevice.SetItemData(nEntry, i);
        // Later matches win: the last device on the dialog's monitor stays selected.
        if (device.m_hMonitor == hDialogMonitor)
            m_cbDevice.SetCurSel(nEntry);
    }
    if (m_cbDevice.GetCurSel() == CB_ERR)
        m_cbDevice.SetCurSel(0);
}

void CSweepDlg::OnPaint()
{
    if (!IsIconic())
    {
        Default();
        return;
    }
    CPaintDC dc(this);
    const WPARAM wDC = reinterpret_cast<WPARAM>(dc.m_hDC);
    ::SendMessageW(m_hWnd, WM_ICONERASEBKGND, wDC, 0);

    const int cxIcon = CompatGetSystemMetrics(SM_CXICON);
    const int cyIcon = CompatGetSystemMetrics(SM_CYICON);
    RECT rcClient;
    GetClientRect(&rcClient);
    const int x = (rcClient.right - rcClient.left - cxIcon + 1) / 2;
    const int y = (rcClient.bottom - rcClient.top - cyIcon + 1) / 2;
    DrawIcon(dc.m_hDC, x, y, m_hIcon);
}

HCURSOR CSweepDlg::OnQueryDragIcon()
{
    return static_cast<HCURSOR>(m_hIcon);
}

void CSweepDlg::OnRun()
{
    UpdateData(TRUE);
    // With an empty device list nothing is selected and there is nothing to test.
    const int nSelected = m_cbDevice.GetCurSel();
    if (nSelected == CB_ERR)
        return;
    const DWORD_PTR nDevice = m_cbDevice.GetItemData(nSelected);
    if (nDevice >= m_devices.size())
        return;

    const RunInput input(*this);
    DWORD dwFrames = 0;
    DWORD dwTick0 = 0;
    DWORD dwTick1 = 0;
    PacingSummary pacing = {};
    std::optional<PacingPicture> picture;
    RunFacts facts = {};
    std::optional<CSweepRenderer::RunFailure> failure;
    SIZE shown = {};
    SIZE screen = {};
    bool bCoveredLess = false;
    try
    {
        CSweepRenderer renderer(m_devices[nDevice], AfxGetApp()->m_hInstance);
        // Only once the set-up has worked: its failure box belongs to the
        // dialog, which takes the activation back when the box goes only if
        // it is enabled. Declared after the renderer, so that the dialog is
        // enabled before the test window goes, for the same reason. By then
        // the test window has the activation, so disabling takes no focus
        // away: the dialog manager gives it back to the control that had it.
        const DisabledWhileRunning disabled(m_hWnd);
        dwTick0 = GetTickCount();
        const DWORD nMultiplier = static_cast<DWORD>(FieldNumber(m_strMultiplier));
        const DWORD nDivider = static_cast<DWORD>(FieldNumber(m_strDivider));
        const DWORD nWidth = static_cast<DWORD>(FieldNumber(m_strWidth));
        const LONG nBackRed = FieldNumber(m_strBackRed);
        const LONG nBackGreen = FieldNumber(m_strBackGreen);
        const LONG nBackBlue = FieldNumber(m_strBackBlue);
        const LONG nBarRed = FieldNumber(m_strBarRed);
        const LONG nBarGreen = FieldNumber(m_strBarGreen);
        const LONG nBarBlue = FieldNumber(m_strBarBlue);
        const COLORREF crBar = PackColour(nBarRed, nBarGreen, nBarBlue);
        const COLORREF crBackground = PackColour(nBackRed, nBackGreen, nBackBlue);
        dwFrames = renderer.RunFrames(nMultiplier, nDivider, nWidth, crBackground, crBar);
        dwTick1 = GetTickCount();
        std::vector<BYTE> marks;
        pacing = JudgePacing(renderer.GetPacing(), &marks);
        picture = PictureOf(renderer.GetPacing(), pacing, marks, GraphColumns(::GetDlgItem(m_hWnd, IDC_GRAPH)));
        const CDisplayDevice& device = m_devices[nDevice];
        const CSweepRenderer::MonitorMode& mode = renderer.GetMode();
        facts.strDevice = device.m_strDescription;
        facts.strDriver = device.m_strDriverName;
        facts.rcMonitor = device.GetMonitorRect();
        facts.nWidth = mode.nWidth;
        facts.nHeight = mode.nHeight;
        facts.nBits = mode.nBits;
        facts.nMultiplier = nMultiplier;
        facts.nDivider = nDivider;
        facts.nBarWidth = nWidth;
        facts.crBar = crBar;
        facts.crBackground = crBackground;
        // A run that the display ended: the lines tell of the part shown.
        failure = renderer.GetFailure();
        bCoveredLess = renderer.CoveredLess(shown, screen);
        if (failure.has_value())
            dwTick1 = failure->dwShownUntil;
    } // the renderer is torn down here, outside the timed interval
    catch (char*)
    {
        // The renderer has shown its error and undone its set-up; the dialog
        // stays as it was, ready for another try.
        return;
    }

    const DWORD dwElapsed = ElapsedTicks(dwTick0, dwTick1);
    const std::string strLine = FormatRateLine(dwFrames, dwElapsed);
    m_strRate = strLine.c_str();
    m_strPacing = PacingLinesFor(::GetDlgItem(m_hWnd, IDC_PACING), pacing).c_str();
    const std::wstring strCoverage = bCoveredLess ? CoverageLine(shown, screen) : std::wstring();
    m_strCoverage = strCoverage.c_str();
    UpdateData(FALSE);
    GetLocalTime(&facts.when);
    facts.dwElapsedMs = dwElapsed;
    facts.dwFrames = dwFrames;
    facts.strRateLine = strLine;
    facts.strPacingLine = FormatPacingLine(pacing);
    facts.pacing = pacing;
    facts.strCoverage = strCoverage;
    m_lastRun = facts;
    m_picture = std::move(picture);
    ::InvalidateRect(::GetDlgItem(m_hWnd, IDC_GRAPH), nullptr, TRUE);
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_COPY), TRUE);
    if (failure.has_value())
    {
        // Over the lines, which stay; the keys of the run are no answer to it.
        ForgetInputOfRun();
        const CHeldKeyFilter heldKeys;
        ::MessageBoxW(m_hWnd, failure->strText.c_str(), L"Error", MB_OK);
    }
}

void CSweepDlg::ForgetInputOfRun()
{
    // Typed or clicked while the test window was up, or on the way back: not
    // for the dialog, where a held Escape would close it and a held Enter, or
    // a click on Run, run again.
    MSG msg;
    while (TakeQueuedInput(msg))
    {
    }
    m_keysFromRun.Note();
}

BOOL CSweepDlg::PreTranslateMessage(MSG* pMsg)
{
    if (m_keysFromRun.Drops(*pMsg))
        return TRUE;
    if (IsCopyKey(*pMsg))
    {
        OnCopy();
        return TRUE;
    }
    return CDialog::PreTranslateMessage(pMsg);
}

bool CSweepDlg::IsCopyKey(const MSG& msg) const
{
    if (msg.message != WM_KEYDOWN || msg.wParam != 'C' || (GetKeyState(VK_CONTROL) & 0x8000) == 0
        || (GetKeyState(VK_MENU) & 0x8000) != 0 || (GetKeyState(VK_SHIFT) & 0x8000) != 0)
        return false;
    wchar_t szClass[16] = L"";
    ::GetClassNameW(msg.hwnd, szClass, 16);
    DWORD dwStart = 0, dwEnd = 0;
    if (lstrcmpiW(szClass, L"Edit") == 0)
        ::SendMessageW(msg.hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&dwStart), reinterpret_cast<LPARAM>(&dwEnd));
    return dwStart == dwEnd;
}

void CSweepDlg::OnCopy()
{
    // Before the first run there is nothing to copy.
    if (!m_lastRun.has_value() || !SetClipboardText(m_hWnd, RunReportText(*m_lastRun)))
        ::MessageBeep(MB_ICONWARNING);
}

void CSweepDlg::OnDrawItem(const DRAWITEMSTRUCT& item)
{
    if (item.CtlID != IDC_GRAPH)
        return;
    const CControlFontDC dc(item.hwndItem, item.hDC);
    DrawPacingGraph(dc.Get(), item.rcItem, m_picture.has_value() ? &*m_picture : nullptr);
}

void CSweepDlg::OnKillFocusMultiplier()
{
    UpdateData(TRUE);
    ApplySpeedRule(m_strMultiplier, m_strDivider, 1);
    UpdateData(FALSE);
}

void CSweepDlg::OnKillFocusDivider()
{
    UpdateData(TRUE);
    // A divider of 1 would be a multiplier of 1: at least 2 frames per pixel.
    ApplySpeedRule(m_strDivider, m_strMultiplier, 2);
    UpdateData(FALSE);
}

void CSweepDlg::OnKillFocusWidth()
{
    UpdateData(TRUE);
    if (FieldNumber(m_strWidth) <= 0)
        m_strWidth = L"1";
    if (FieldNumber(m_strWidth) > 100)
        m_strWidth = L"100";
    UpdateData(FALSE);
}

// The Run command takes the device from the box itself; this only keeps the
// device text current.
void CSweepDlg::OnSelChangeDevice()
{
    UpdateData(TRUE);
}

void CSweepDlg::ApplySpeedRule(CString& strLeft, CString& strOther, LONG nMinimum)
{
    if (FieldNumber(strLeft) < nMinimum)
        strLeft.Empty();
    if (!strLeft.IsEmpty())
        strOther.Empty();
    // The fallback always goes to the multiplier, never to the divider.
    if (m_strMultiplier.IsEmpty() && m_strDivider.IsEmpty())
        m_strMultiplier = L"1";
}
