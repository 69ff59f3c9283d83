// The modal dialog: how it ends, how its exchange reports failures, where it
// opens, and what it leaves behind.
#include <gtest/gtest.h>
#include <windows.h>

#include "ProbeApp.h"
#include "ProbeDlg.h"
#include "support/TestText.h"
#include "framework/ComboBox.h"
#include "framework/UserException.h"
#include "framework/WorkArea.h"
#include "res/resource.h"
#include "support/MessageBoxCatcher.h"
#include "support/ModalDriver.h"
#include "support/Placement.h"

namespace
{
HWND Item(const CDialog& dlg, int nId)
{
    return GetDlgItem(dlg.m_hWnd, nId);
}

struct ClosingCase
{
    const char* pszName;
    // Run as one step each; the last one is expected to end the dialog.
    std::vector<void (*)(CProbeDlg&)> actions;
    INT_PTR nResult;
    std::vector<std::wstring> calls;
};

void EnterInEdit(CProbeDlg& dlg)
{
    SetFocus(Item(dlg, IDC_WIDTH));
    PostKey(Item(dlg, IDC_WIDTH), VK_RETURN);
}

void EnterOnClickedRun(CProbeDlg& dlg)
{
    // As a click leaves it: focused, but not made the default by the dialog manager.
    SetFocus(Item(dlg, IDC_RUN));
    PostKey(Item(dlg, IDC_RUN), VK_RETURN);
}

void EnterOnTabbedRun(CProbeDlg& dlg)
{
    SetFocus(Item(dlg, IDC_BACK_BLUE));
    PostKey(Item(dlg, IDC_BACK_BLUE), VK_TAB);
    PostKey(Item(dlg, IDC_BACK_BLUE), VK_RETURN);
}

void Escape(CProbeDlg& dlg)
{
    PostKey(GetFocus(), VK_ESCAPE);
    (void)dlg;
}

void CloseBox(CProbeDlg& dlg)
{
    PostMessageW(dlg.m_hWnd, WM_SYSCOMMAND, SC_CLOSE, 0);
}

void RefuseExchange(CProbeDlg& dlg)
{
    dlg.m_exchange = [](CDataExchange* pDX) {
        if (pDX->m_bSaveAndValidate)
            throw new CUserException();
    };
}

const ClosingCase kClosingCases[] = {
    {"Enter in an edit field", {&EnterInEdit}, IDOK, {}},
    {"Escape", {&Escape}, IDCANCEL, {}},
    {"the close box", {&CloseBox}, IDCANCEL, {}},
    {"Enter on a clicked Run presses it", {&EnterOnClickedRun, &Escape}, IDCANCEL, {L"run"}},
    {"Enter on Run reached by Tab presses it", {&EnterOnTabbedRun, &Escape}, IDCANCEL, {L"run"}},
    {"a refused exchange keeps the dialog open on Enter", {&RefuseExchange, &EnterInEdit, &Escape}, IDCANCEL, {}},
};
}

TEST(Dialog, EndsByKeyboardAndCloseBox)
{
    for (const ClosingCase& test : kClosingCases)
    {
        CProbeDlg dlg;
        std::vector<ModalDriver::Step> steps;
        for (void (*pfnAction)(CProbeDlg&) : test.actions)
            steps.push_back([&dlg, pfnAction] { pfnAction(dlg); });

        const ModalRun run = RunModal(dlg, steps);
        EXPECT_FALSE(run.bTimedOut) << test.pszName;
        EXPECT_EQ(test.actions.size(), run.nStepsRun) << test.pszName << ": ended before its last step";
        EXPECT_EQ(test.nResult, run.nResult) << test.pszName;
        EXPECT_EQ(Joined(test.calls), Joined(dlg.m_calls)) << test.pszName;
        EXPECT_EQ(nullptr, dlg.m_hWnd) << test.pszName << ": the window outlived DoModal";
    }
}

TEST(Dialog, OkTakesTheFieldsBeforeItEnds)
{
    CProbeDlg dlg;
    CString strWidth(L"unread");
    dlg.m_exchange = [&strWidth](CDataExchange* pDX) { DDX_Text(pDX, IDC_WIDTH, strWidth); };
    const ModalRun run = RunModal(dlg, {[&dlg] {
        SetDlgItemTextW(dlg.m_hWnd, IDC_WIDTH, L"42");
        EnterInEdit(dlg);
    }});
    EXPECT_EQ(IDOK, run.nResult);
    EXPECT_EQ("42", Narrow(strWidth));
}

namespace
{
enum class Failure
{
    None,
    User,
    WithText,
    WithoutText,
    MissingControl
};

struct ExchangeFailureCase
{
    const char* pszName;
    Failure failure;
    BOOL bResult;
    std::vector<std::wstring> boxTexts;
};

const ExchangeFailureCase kExchangeFailures[] = {
    {"no failure", Failure::None, TRUE, {}},
    {"a user exception is silent", Failure::User, FALSE, {}},
    {"an exception with text shows it", Failure::WithText, FALSE, {L"The disk is full."}},
    {"an exception without text", Failure::WithoutText, FALSE, {L"Internal application error."}},
    {"a control the dialog lacks", Failure::MissingControl, FALSE, {L"Internal application error."}},
};

void Fail(CDataExchange* pDX, Failure failure)
{
    CString strText;
    switch (failure)
    {
    case Failure::None:
        DDX_Text(pDX, IDC_WIDTH, strText);
        break;
    case Failure::User:
        throw new CUserException();
    case Failure::WithText:
        throw new CException(CString(L"The disk is full."));
    case Failure::WithoutText:
        throw new CException();
    case Failure::MissingControl:
        DDX_Text(pDX, 4242, strText);
        break;
    }
}
}

TEST(Dialog, UpdateDataCatchesExchangeFailures)
{
    CProbeDlg dlg;
    std::vector<ModalDriver::Step> steps;
    for (const ExchangeFailureCase& test : kExchangeFailures)
    {
        for (BOOL bSave : {TRUE, FALSE})
        {
            steps.push_back([&dlg, &test, bSave] {
                MessageBoxCatcher catcher;
                dlg.m_exchange = [&test](CDataExchange* pDX) { Fail(pDX, test.failure); };
                const BOOL bResult = dlg.UpdateData(bSave);
                dlg.m_exchange = nullptr;

                EXPECT_EQ(test.bResult, bResult) << test.pszName << ", direction " << bSave;
                std::vector<std::wstring> texts;
                for (const CaughtBox& box : catcher.Boxes())
                {
                    texts.push_back(box.strText);
                    EXPECT_EQ(Narrow(g_probeApp.m_strAppName), Narrow(box.strCaption)) << test.pszName;
                }
                EXPECT_EQ(Joined(test.boxTexts), Joined(texts)) << test.pszName << ", direction " << bSave;
            });
        }
    }
    steps.push_back([&dlg] { PostMessageW(dlg.m_hWnd, WM_COMMAND, IDCANCEL, 0); });
    const ModalRun run = RunModal(dlg, steps);
    EXPECT_FALSE(run.bTimedOut);
    EXPECT_EQ(steps.size(), run.nStepsRun);
}

TEST(Dialog, FailingHandlerIsReportedAndTheDialogGoesOn)
{
    CProbeDlg dlg;
    std::vector<CaughtBox> boxes;
    bool bAlive = false;
    const ModalRun run = RunModal(dlg, {
        [&] {
            MessageBoxCatcher catcher;
            const WPARAM wCommand = MAKEWPARAM(IDC_WIDTH, BN_CLICKED);
            SendMessageW(dlg.m_hWnd, WM_COMMAND, wCommand, 0);
            boxes = catcher.Boxes();
        },
        [&] {
            bAlive = IsWindowVisible(dlg.m_hWnd) != FALSE;
            PostMessageW(dlg.m_hWnd, WM_COMMAND, IDCANCEL, 0);
        },
    });
    EXPECT_EQ(IDCANCEL, run.nResult);
    EXPECT_TRUE(bAlive);
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ("The handler failed.", Narrow(boxes[0].strText));
}

TEST(Dialog, OpensCentredInTheWorkAreaOfItsMonitor)
{
    CProbeDlg dlg;
    WorkAreaMargins margins = {};
    RunModal(dlg, {[&] {
        margins = MarginsInWorkArea(dlg.m_hWnd);
        PostMessageW(dlg.m_hWnd, WM_COMMAND, IDCANCEL, 0);
    }});
    EXPECT_TRUE(IsCentred(margins));
}

namespace
{
// A made-up monitor whose work area lies inside the real screen, away from
// the centre of the primary screen's work area.
const HMONITOR kStandInMonitor = reinterpret_cast<HMONITOR>(static_cast<UINT_PTR>(0x5E5E0002));
const RECT kStandInWork = {40, 30, 640, 450};

HMONITOR WINAPI StandInMonitorFromWindow(HWND, DWORD)
{
    return kStandInMonitor;
}

BOOL WINAPI StandInGetMonitorInfoW(HMONITOR hMonitor, LPMONITORINFO pInfo)
{
    if (hMonitor != kStandInMonitor)
        return FALSE;
    pInfo->rcMonitor = kStandInWork;
    pInfo->rcWork = kStandInWork;
    pInfo->dwFlags = 0;
    return TRUE;
}

RECT PrimaryWorkArea()
{
    RECT rcWork = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &rcWork, 0);
    return rcWork;
}

// The framework's monitor functions as a case gives them, for as long as it lives.
class MonitorFunctionsAs
{
public:
    explicit MonitorFunctionsAs(const AfxMonitorFunctions& table) : m_saved(g_afxMonitorFunctions)
    {
        g_afxMonitorFunctions = table;
    }
    ~MonitorFunctionsAs() { g_afxMonitorFunctions = m_saved; }

private:
    AfxMonitorFunctions m_saved;
};
}

TEST(Dialog, CentresOnThePrimaryWorkAreaWithoutTheMonitorFunctions)
{
    struct Case
    {
        const char* pszName;
        AfxMonitorFunctions table;
        RECT rcExpected;
    };
    const Case kCases[] = {
        {"both missing", {nullptr, nullptr, true}, PrimaryWorkArea()},
        {"only MonitorFromWindow", {&StandInMonitorFromWindow, nullptr, true}, PrimaryWorkArea()},
        {"only GetMonitorInfoW", {nullptr, &StandInGetMonitorInfoW, true}, PrimaryWorkArea()},
        {"both there", {&StandInMonitorFromWindow, &StandInGetMonitorInfoW, true}, kStandInWork},
    };
    for (const Case& test : kCases)
    {
        MonitorFunctionsAs functions(test.table);
        CProbeDlg dlg;
        WorkAreaMargins margins = {};
        const ModalRun run = RunModal(dlg, {[&] {
            margins = MarginsInRect(dlg.m_hWnd, test.rcExpected);
            PostMessageW(dlg.m_hWnd, WM_COMMAND, IDCANCEL, 0);
        }});
        EXPECT_FALSE(run.bTimedOut) << test.pszName;
        EXPECT_TRUE(IsCentred(margins)) << test.pszName;
    }
}

TEST(Dialog, KeepsThePlaceItChoseWhileInitialising)
{
    CProbeDlg dlg;
    dlg.m_afterInit = [&dlg] { SetWindowPos(dlg.m_hWnd, nullptr, 10, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER); };
    RECT rcWindow = {};
    RunModal(dlg, {[&] {
        GetWindowRect(dlg.m_hWnd, &rcWindow);
        PostMessageW(dlg.m_hWnd, WM_COMMAND, IDCANCEL, 0);
    }});
    EXPECT_EQ(10, rcWindow.left);
    EXPECT_EQ(20, rcWindow.top);
}

TEST(Dialog, MainWindowIsClearedWhenTheWindowGoes)
{
    CProbeDlg dlg;
    g_probeApp.m_pMainWnd = &dlg;
    CWnd* pMainDuringRun = nullptr;
    RunModal(dlg, {[&] {
        pMainDuringRun = g_probeApp.m_pMainWnd;
        PostMessageW(dlg.m_hWnd, WM_COMMAND, IDCANCEL, 0);
    }});
    EXPECT_EQ(&dlg, pMainDuringRun);
    EXPECT_EQ(nullptr, g_probeApp.m_pMainWnd);
}

TEST(Dialog, MissingTemplateGivesMinusOne)
{
    class CMissingDlg : public CDialog
    {
    public:
        CMissingDlg() : CDialog(4711) {}
    } dlg;
    g_probeApp.m_pMainWnd = &dlg;
    EXPECT_EQ(-1, dlg.DoModal());
    EXPECT_EQ(nullptr, dlg.m_hWnd);
    g_probeApp.m_pMainWnd = nullptr;
}

TEST(DataExchange, ComboBoxTextFollowsTheSelection)
{
    CProbeDlg dlg;
    CComboBox box;
    CString strDevice(L"stale");
    std::vector<int> selections;
    CString strWithoutSelection;
    dlg.m_exchange = [&](CDataExchange* pDX) {
        DDX_Control(pDX, IDC_DEVICE, box);
        DDX_CBString(pDX, IDC_DEVICE, strDevice);
    };
    RunModal(dlg, {[&] {
        EXPECT_EQ(Item(dlg, IDC_DEVICE), box.m_hWnd) << "DDX_Control attaches the wrapper";
        for (const wchar_t* psz : {L"Primary", L"Secondary Adapter", L"secondary"})
            box.AddString(psz);
        dlg.UpdateData(TRUE);
        strWithoutSelection = strDevice;

        // Prefix, whatever the case, from the first entry; no match keeps the selection.
        for (const wchar_t* psz : {L"SECONDARY", L"prim", L"nothing like it"})
        {
            strDevice = psz;
            dlg.UpdateData(FALSE);
            selections.push_back(box.GetCurSel());
        }
        box.SetCurSel(2);
        dlg.UpdateData(TRUE);
        PostMessageW(dlg.m_hWnd, WM_COMMAND, IDCANCEL, 0);
    }});
    EXPECT_EQ("", Narrow(strWithoutSelection)) << "no selection reads as empty text";
    ASSERT_EQ(3u, selections.size());
    EXPECT_EQ(1, selections[0]) << "SECONDARY";
    EXPECT_EQ(0, selections[1]) << "prim";
    EXPECT_EQ(0, selections[2]) << "no match keeps the selection";
    EXPECT_EQ("secondary", Narrow(strDevice));
}

TEST(DataExchange, ComboBoxKeepsTheChosenOfEntriesWithTheSameText)
{
    CProbeDlg dlg;
    CComboBox box;
    CString strDevice;
    std::vector<int> selections;
    dlg.m_exchange = [&](CDataExchange* pDX) { DDX_CBString(pDX, IDC_DEVICE, strDevice); };
    RunModal(dlg, {[&] {
        box.m_hWnd = Item(dlg, IDC_DEVICE);
        // The second of two, then the third of three.
        for (int nCount : {2, 3})
        {
            box.ResetContent();
            for (int i = 0; i < nCount; ++i)
                box.AddString(L"Same");
            box.SetCurSel(nCount - 1);
            dlg.UpdateData(TRUE);
            dlg.UpdateData(FALSE);
            selections.push_back(box.GetCurSel());
            dlg.UpdateData(FALSE);
            selections.push_back(box.GetCurSel());
        }
        PostMessageW(dlg.m_hWnd, WM_COMMAND, IDCANCEL, 0);
    }});
    EXPECT_EQ((std::vector<int>{1, 1, 2, 2}), selections) << "the chosen entry after each exchange";
    EXPECT_EQ("Same", Narrow(strDevice));
}
