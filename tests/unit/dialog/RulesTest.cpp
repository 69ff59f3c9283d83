// The speed and width rules, run as the user meets them: by moving the focus
// out of the field.
#include <gtest/gtest.h>
#include <windows.h>

#include <iterator>

#include "SweepTestApp.h"
#include "res/resource.h"
#include "support/ModalDriver.h"

namespace
{
struct SpeedCase
{
    const wchar_t* pszMultiplierBefore;
    const wchar_t* pszDividerBefore;
    const char* pszMultiplierAfter;
    const char* pszDividerAfter;
};

// Leaving the multiplier field.
const SpeedCase kMultiplierCases[] = {
    {L"1", L"", "1", ""},
    {L"4", L"3", "4", ""},
    {L"0", L"", "1", ""},
    {L"", L"", "1", ""},
    {L"", L"3", "", "3"},
    {L"0", L"3", "", "3"},
    {L"-2", L"", "1", ""},
    {L"5x", L"3", "5x", ""},
    {L"007", L"", "007", ""},
    {L"   ", L"3", "", "3"},      // blanks are not empty text, but count as 0
    {L"4294967295", L"", "1", ""}, // wraps to -1
    {L"+6", L"2", "+6", ""},
};

// Leaving the divider field.
const SpeedCase kDividerCases[] = {
    {L"1", L"3", "", "3"},
    {L"3", L"1", "3", ""},
    {L"", L"1", "1", ""},
    {L"", L"0", "1", ""},
    {L"2", L"", "2", ""},
    {L"", L"", "1", ""},
    {L"2", L"abc", "2", ""},
    {L"", L"  ", "1", ""},
    {L"", L"2147483648", "1", ""}, // wraps negative
    {L"", L"02", "", "02"},
};

struct WidthCase
{
    const wchar_t* pszBefore;
    const char* pszAfter;
};

const WidthCase kWidthCases[] = {
    {L"", "1"},    {L"0", "1"},     {L"-7", "1"},  {L"abc", "1"},        {L"1", "1"},
    {L"100", "100"}, {L"101", "100"}, {L"250", "100"}, {L"020", "020"},    {L"   ", "1"},
    {L"2147483648", "1"}, {L"4294967295", "1"}, {L"4294967396", "4294967396"}, // wraps to 100, so it is kept as typed
};

// Types the texts, then moves the focus from the field to the bar's red field,
// which has no rule.
void Leave(HWND hDlg, int nField)
{
    SetFocus(GetDlgItem(hDlg, nField));
    SetFocus(GetDlgItem(hDlg, IDC_BAR_RED));
}

// Counts the texts set on the dialog's controls.
int s_nSetTexts = 0;
HWND s_hWatched = nullptr;
LRESULT CALLBACK CountSetText(int nCode, WPARAM wParam, LPARAM lParam)
{
    const CWPSTRUCT* pMsg = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (nCode == HC_ACTION && pMsg->message == WM_SETTEXT && GetParent(pMsg->hwnd) == s_hWatched)
        ++s_nSetTexts;
    return CallNextHookEx(nullptr, nCode, wParam, lParam);
}
}

namespace
{
void CheckSpeedRule(int nLeftField, const SpeedCase* pCases, size_t nCases)
{
    ScriptDevices({{"Main", OriginMonitor()}});
    CSweepDlg dlg;
    const ModalRun run = RunModal(dlg, {[&] {
        for (size_t i = 0; i < nCases; ++i)
        {
            const SpeedCase& c = pCases[i];
            SetDlgItemTextW(dlg.m_hWnd, IDC_MULTIPLIER, c.pszMultiplierBefore);
            SetDlgItemTextW(dlg.m_hWnd, IDC_DIVIDER, c.pszDividerBefore);
            Leave(dlg.m_hWnd, nLeftField);
            const std::string strCase =
                "\"" + Narrow(c.pszMultiplierBefore) + "\", \"" + Narrow(c.pszDividerBefore) + "\"";
            EXPECT_EQ(c.pszMultiplierAfter, Narrow(ControlText(dlg.m_hWnd, IDC_MULTIPLIER))) << strCase;
            EXPECT_EQ(c.pszDividerAfter, Narrow(ControlText(dlg.m_hWnd, IDC_DIVIDER))) << strCase;
            EXPECT_EQ(c.pszMultiplierAfter, Narrow(dlg.m_strMultiplier)) << strCase << ": member";
        }
        CloseLater(dlg);
    }});
    EXPECT_FALSE(run.bTimedOut);
}
}

TEST(SpeedRules, LeavingTheMultiplierField)
{
    CheckSpeedRule(IDC_MULTIPLIER, kMultiplierCases, std::size(kMultiplierCases));
}

TEST(SpeedRules, LeavingTheDividerField)
{
    CheckSpeedRule(IDC_DIVIDER, kDividerCases, std::size(kDividerCases));
}

TEST(WidthRule, LeavingTheWidthField)
{
    ScriptDevices({{"Main", OriginMonitor()}});
    CSweepDlg dlg;
    const ModalRun run = RunModal(dlg, {[&] {
        for (const WidthCase& c : kWidthCases)
        {
            SetDlgItemTextW(dlg.m_hWnd, IDC_WIDTH, c.pszBefore);
            Leave(dlg.m_hWnd, IDC_WIDTH);
            EXPECT_EQ(c.pszAfter, Narrow(ControlText(dlg.m_hWnd, IDC_WIDTH))) << "\"" << Narrow(c.pszBefore) << "\"";
        }
        CloseLater(dlg);
    }});
    EXPECT_FALSE(run.bTimedOut);
}

TEST(Rules, LeavingValidFieldsReplacesNoText)
{
    ScriptDevices({{"Main", OriginMonitor()}, {"Second", kOtherMonitor}});
    CSweepDlg dlg;
    int nSetTexts = -1;
    std::string strDevice;
    RunModal(dlg, {[&] {
        SetDlgItemTextW(dlg.m_hWnd, IDC_DIVIDER, L"");
        SetDlgItemTextW(dlg.m_hWnd, IDC_MULTIPLIER, L"3");
        SendMessageW(GetDlgItem(dlg.m_hWnd, IDC_DEVICE), CB_SETCURSEL, 1, 0);
        s_hWatched = dlg.m_hWnd;
        s_nSetTexts = 0;
        HHOOK hHook = SetWindowsHookExW(WH_CALLWNDPROC, &CountSetText, nullptr, GetCurrentThreadId());
        Leave(dlg.m_hWnd, IDC_MULTIPLIER);
        Leave(dlg.m_hWnd, IDC_DIVIDER);
        Leave(dlg.m_hWnd, IDC_WIDTH);
        UnhookWindowsHookEx(hHook);
        nSetTexts = s_nSetTexts;
        strDevice = Narrow(ControlText(dlg.m_hWnd, IDC_DEVICE));
        CloseLater(dlg);
    }});
    EXPECT_EQ(0, nSetTexts) << "texts replaced on leaving unchanged, valid fields";
    EXPECT_EQ("Second", strDevice) << "the chosen device stays chosen";
}

TEST(Rules, NewDeviceSelectionOnlyReadsTheFields)
{
    ScriptDevices({{"Main", OriginMonitor()}, {"Second", kOtherMonitor}});
    CSweepDlg dlg;
    RunModal(dlg, {[&] {
        SetDlgItemTextW(dlg.m_hWnd, IDC_MULTIPLIER, L"0"); // left alone: no rule runs
        HWND hBox = GetDlgItem(dlg.m_hWnd, IDC_DEVICE);
        SendMessageW(hBox, CB_SETCURSEL, 1, 0);
        const WPARAM wCommand = MAKEWPARAM(IDC_DEVICE, CBN_SELCHANGE);
        SendMessageW(dlg.m_hWnd, WM_COMMAND, wCommand, reinterpret_cast<LPARAM>(hBox));
        EXPECT_EQ("Second", Narrow(dlg.m_strDevice));
        EXPECT_EQ("0", Narrow(dlg.m_strMultiplier)) << "read, not corrected";
        EXPECT_EQ("0", Narrow(ControlText(dlg.m_hWnd, IDC_MULTIPLIER)));
        CloseLater(dlg);
    }});
}
