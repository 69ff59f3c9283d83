// The settings dialog's exchange between members and controls.
#include <gtest/gtest.h>
#include <windows.h>

#include "SweepTestApp.h"
#include "res/resource.h"
#include "support/ModalDriver.h"

namespace
{
struct Field
{
    int nId;
    CString CSweepDlg::*pMember;
};

const Field kEditFields[] = {
    {IDC_MULTIPLIER, &CSweepDlg::m_strMultiplier}, {IDC_DIVIDER, &CSweepDlg::m_strDivider},
    {IDC_WIDTH, &CSweepDlg::m_strWidth},           {IDC_BAR_RED, &CSweepDlg::m_strBarRed},
    {IDC_BAR_GREEN, &CSweepDlg::m_strBarGreen},    {IDC_BAR_BLUE, &CSweepDlg::m_strBarBlue},
    {IDC_BACK_RED, &CSweepDlg::m_strBackRed},      {IDC_BACK_GREEN, &CSweepDlg::m_strBackGreen},
    {IDC_BACK_BLUE, &CSweepDlg::m_strBackBlue},
};

std::wstring Sample(const char* pszDirection, int nId)
{
    return std::wstring(pszDirection, pszDirection + strlen(pszDirection)) + std::to_wstring(nId);
}
}

TEST(SweepDlgExchange, EveryFieldMakesTheRoundTrip)
{
    ScriptDevices({{"Left", kOtherMonitor}, {"Main", OriginMonitor()}, {"Right", kOtherMonitor}});
    CSweepDlg dlg;
    const ModalRun run = RunModal(dlg, {[&] {
        // Members into controls.
        for (const Field& field : kEditFields)
            dlg.*field.pMember = Sample("to", field.nId).c_str();
        dlg.m_strRate = L"Rendered frames/sec on last run: 59.94";
        dlg.m_strPacing = L"Frame pacing: to";
        dlg.m_strDevice = L"Right";
        dlg.UpdateData(FALSE);
        for (const Field& field : kEditFields)
            EXPECT_EQ(Narrow(Sample("to", field.nId)), Narrow(ControlText(dlg.m_hWnd, field.nId)));
        EXPECT_EQ("Rendered frames/sec on last run: 59.94", Narrow(ControlText(dlg.m_hWnd, IDC_RATE)));
        EXPECT_EQ("Frame pacing: to", Narrow(ControlText(dlg.m_hWnd, IDC_PACING)));
        EXPECT_EQ(2, dlg.m_cbDevice.GetCurSel());

        // Controls into members.
        for (const Field& field : kEditFields)
            SetDlgItemTextW(dlg.m_hWnd, field.nId, Sample("from", field.nId).c_str());
        SetDlgItemTextW(dlg.m_hWnd, IDC_RATE, L"Rendered frames/sec on last run: 60.00");
        SetDlgItemTextW(dlg.m_hWnd, IDC_PACING, L"Frame pacing: from");
        dlg.m_cbDevice.SetCurSel(0);
        dlg.UpdateData(TRUE);
        for (const Field& field : kEditFields)
            EXPECT_EQ(Narrow(Sample("from", field.nId)), Narrow(dlg.*field.pMember)) << "control " << field.nId;
        EXPECT_EQ("Rendered frames/sec on last run: 60.00", Narrow(dlg.m_strRate));
        EXPECT_EQ("Frame pacing: from", Narrow(dlg.m_strPacing));
        EXPECT_EQ("Left", Narrow(dlg.m_strDevice));
        CloseLater(dlg);
    }});
    EXPECT_FALSE(run.bTimedOut);
    EXPECT_EQ(1u, run.nStepsRun);
}

TEST(SweepDlgExchange, UnchangedFieldsKeepCaretAndSelection)
{
    ScriptDevices({{"Main", OriginMonitor()}});
    CSweepDlg dlg;
    RunModal(dlg, {[&] {
        for (const Field& field : kEditFields)
        {
            HWND hEdit = GetDlgItem(dlg.m_hWnd, field.nId);
            SetWindowTextW(hEdit, L"12345");
            SendMessageW(hEdit, EM_SETSEL, 1, 3);
            // Replacing the text would clear the modified flag.
            SendMessageW(hEdit, EM_SETMODIFY, TRUE, 0);
        }
        dlg.UpdateData(TRUE);
        dlg.m_strWidth = L"77";
        dlg.UpdateData(FALSE);

        for (const Field& field : kEditFields)
        {
            HWND hEdit = GetDlgItem(dlg.m_hWnd, field.nId);
            DWORD dwStart = 0;
            DWORD dwEnd = 0;
            const WPARAM wStart = reinterpret_cast<WPARAM>(&dwStart);
            const LPARAM lEnd = reinterpret_cast<LPARAM>(&dwEnd);
            SendMessageW(hEdit, EM_GETSEL, wStart, lEnd);
            const LRESULT lModified = SendMessageW(hEdit, EM_GETMODIFY, 0, 0);
            if (field.nId == IDC_WIDTH)
            {
                EXPECT_EQ("77", Narrow(ControlText(dlg.m_hWnd, field.nId))) << "a changed member is written";
                EXPECT_EQ(0, lModified) << "the changed field's text was not replaced";
                continue;
            }
            EXPECT_EQ(1u, dwStart) << "control " << field.nId;
            EXPECT_EQ(3u, dwEnd) << "control " << field.nId;
            EXPECT_NE(0, lModified) << "control " << field.nId << ": an unchanged text was replaced";
        }
        CloseLater(dlg);
    }});
}

namespace
{
struct ReselectCase
{
    const char* pszRemembered;
    int nSelectedBefore;
    int nSelectedAfter;
};

// Entries: "Alpha One (\\.\DISPLAY1)", "alpha", "Beta", "Alpha One (\\.\DISPLAY4)".
const ReselectCase kReselectCases[] = {
    {"ALPHA", 2, 0},     // a prefix, whatever the case, from the first entry
    {"beta", 0, 2},
    {"alpha one", 3, 3}, // the selected entry still answers to the text: it stays
    {"alpha", 1, 1},     // even when an earlier entry answers too
    {"Gamma", 1, 1},     // no match keeps the selection
    {"Alpha Ones", 2, 2},
};
}

TEST(SweepDlgExchange, DeviceStaysSelectedWhileItsTextAnswersElseByCaseInsensitivePrefix)
{
    ScriptDevices({{"Alpha One", kOtherMonitor},
                   {"alpha", kOtherMonitor},
                   {"Beta", OriginMonitor()},
                   {"Alpha One", kOtherMonitor}});
    CSweepDlg dlg;
    RunModal(dlg, {[&] {
        for (const ReselectCase& test : kReselectCases)
        {
            dlg.m_cbDevice.SetCurSel(test.nSelectedBefore);
            dlg.m_strDevice = test.pszRemembered;
            dlg.UpdateData(FALSE);
            EXPECT_EQ(test.nSelectedAfter, dlg.m_cbDevice.GetCurSel()) << test.pszRemembered;
        }

        // A round trip from the later of two equal descriptions stays on it.
        dlg.m_cbDevice.SetCurSel(3);
        dlg.UpdateData(TRUE);
        dlg.UpdateData(FALSE);
        EXPECT_EQ(3, dlg.m_cbDevice.GetCurSel());
        EXPECT_EQ(3u, dlg.m_cbDevice.GetItemData(dlg.m_cbDevice.GetCurSel()));
        CloseLater(dlg);
    }});
}
