// The settings dialog on the real template: what it shows on opening, and
// how it fills and preselects the device box.
#include <gtest/gtest.h>
#include <windows.h>

#include "SweepTestApp.h"
#include "display/MonitorServices.h"
#include "res/resource.h"
#include "support/ModalDriver.h"

namespace
{
struct FieldText
{
    int nId;
    const wchar_t* pszText;
};

const FieldText kInitialTexts[] = {
    {IDC_MULTIPLIER, L"1"},
    {IDC_DIVIDER, L""},
    {IDC_WIDTH, L"20"},
    {IDC_BAR_RED, L"255"},
    {IDC_BAR_GREEN, L"255"},
    {IDC_BAR_BLUE, L"255"},
    {IDC_BACK_RED, L"0"},
    {IDC_BACK_GREEN, L"0"},
    {IDC_BACK_BLUE, L"0"},
    {IDC_RATE, L"Rendered frames/sec on last run:"},
    {IDC_PACING, L""},
    {IDC_COVERAGE, L""},
};
}

TEST(SweepDlg, OpensWithDefaultTextsIconsAndFocusInTheDeviceBox)
{
    ScriptDevices({{"Primary Display", OriginMonitor()}});
    CSweepDlg dlg;
    const HICON hResourceIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
    ASSERT_NE(nullptr, hResourceIcon);
    EXPECT_EQ(hResourceIcon, dlg.m_hIcon);
    EXPECT_TRUE(dlg.m_devices.empty());

    std::vector<std::wstring> texts;
    LRESULT lBigIcon = 0;
    LRESULT lSmallIcon = 0;
    LRESULT lDragIcon = 0;
    HWND hFocus = nullptr;
    const ModalRun run = RunModal(dlg, {[&] {
        for (const FieldText& field : kInitialTexts)
            texts.push_back(ControlText(dlg.m_hWnd, field.nId));
        lBigIcon = SendMessageW(dlg.m_hWnd, WM_GETICON, ICON_BIG, 0);
        lSmallIcon = SendMessageW(dlg.m_hWnd, WM_GETICON, ICON_SMALL, 0);
        lDragIcon = SendMessageW(dlg.m_hWnd, WM_QUERYDRAGICON, 0, 0);
        hFocus = GetFocus();
        EXPECT_EQ(hFocus, GetDlgItem(dlg.m_hWnd, IDC_DEVICE)) << "the focus starts in the device box";
        CloseLater(dlg);
    }});
    EXPECT_FALSE(run.bTimedOut);
    ASSERT_EQ(std::size(kInitialTexts), texts.size());
    for (size_t i = 0; i < texts.size(); ++i)
        EXPECT_EQ(Narrow(std::wstring(kInitialTexts[i].pszText)), Narrow(texts[i])) << "control " << kInitialTexts[i].nId;
    const LRESULT lIcon = reinterpret_cast<LRESULT>(hResourceIcon);
    EXPECT_EQ(lIcon, lBigIcon);
    EXPECT_EQ(lIcon, lSmallIcon);
    EXPECT_EQ(lIcon, lDragIcon);
}

namespace
{
struct DeviceBoxCase
{
    const char* pszName;
    std::vector<std::pair<std::string, HMONITOR>> devices;
    std::vector<std::wstring> entries;
    int nSelected;
};

std::vector<DeviceBoxCase> DeviceBoxCases()
{
    const HMONITOR hDialog = OriginMonitor();
    return {
        {"the device on the dialog's monitor is selected",
         {{"Left", kOtherMonitor}, {"Main", hDialog}, {"Unplugged", nullptr}},
         {L"Left", L"Main", L"Unplugged"},
         1},
        {"no device on the dialog's monitor selects entry 0",
         {{"Left", kOtherMonitor}, {"Unplugged", nullptr}},
         {L"Left", L"Unplugged"},
         0},
        {"a single device without a monitor is selected", {{"Only", nullptr}}, {L"Only"}, 0},
        {"of two devices on the dialog's monitor the later wins",
         {{"First", hDialog}, {"Left", kOtherMonitor}, {"Second", hDialog}, {"Right", kOtherMonitor}},
         {L"First", L"Left", L"Second", L"Right"},
         2},
        {"an empty description gives an empty entry in its place",
         {{"Left", kOtherMonitor}, {"", hDialog}, {"Right", kOtherMonitor}},
         {L"Left", L"", L"Right"},
         1},
        {"devices of the same description are told apart by their driver names",
         {{"Adapter", hDialog}, {"Other", kOtherMonitor}, {"Adapter", kOtherMonitor}, {"adapter", nullptr}},
         {L"Adapter (\\\\.\\DISPLAY1)", L"Other", L"Adapter (\\\\.\\DISPLAY3)", L"adapter"},
         0},
        {"an empty list leaves the box empty and unselected", {}, {}, CB_ERR},
    };
}
}

TEST(SweepDlg, FillsTheDeviceBoxInListOrderAndPreselects)
{
    for (const DeviceBoxCase& test : DeviceBoxCases())
    {
        ScriptDevices(test.devices);
        CSweepDlg dlg;
        BoxState box = {};
        const ModalRun run = RunModal(dlg, {[&] {
            box = ReadBox(GetDlgItem(dlg.m_hWnd, IDC_DEVICE));
            CloseLater(dlg);
        }});
        EXPECT_FALSE(run.bTimedOut) << test.pszName;
        EXPECT_EQ(Joined(test.entries), Joined(box.entries)) << test.pszName;
        for (size_t i = 0; i < box.itemData.size(); ++i)
            EXPECT_EQ(i, box.itemData[i]) << test.pszName << ": item data of entry " << i;
        EXPECT_EQ(test.nSelected, box.nSelected) << test.pszName;
        EXPECT_EQ(test.entries.size(), dlg.m_devices.size()) << test.pszName << ": the dialog keeps the list";
    }
}

TEST(SweepDlg, WithoutMultipleMonitorSupportSelectsEntry0)
{
    // The one-monitor model answers with its pseudo handle, which no device carries.
    const MonitorFunctionTable saved = g_monitorFunctions;
    g_monitorFunctions = MonitorFunctionTable();
    g_monitorFunctions.bDone = true;
    ScriptDevices({{"Left", kOtherMonitor}, {"Main", OriginMonitor()}});
    CSweepDlg dlg;
    BoxState box = {};
    RunModal(dlg, {[&] {
        box = ReadBox(GetDlgItem(dlg.m_hWnd, IDC_DEVICE));
        CloseLater(dlg);
    }});
    g_monitorFunctions = saved;
    EXPECT_EQ(Joined({L"Left", L"Main"}), Joined(box.entries));
    EXPECT_EQ(0, box.nSelected);
}

TEST(SweepDlg, MapRoutesEveryControlNotificationToTheDialog)
{
    // The handlers' own behaviour is tested where they are filled in; here,
    // only that the map reaches them and leaves IDOK and IDCANCEL to the base.
    class CMapProbe : public CSweepDlg
    {
    public:
        static size_t EntryCount() { return s_messageMap.nEntries; }
        static bool HandledHere(UINT uMsg, UINT nCode, UINT nId)
        {
            for (size_t i = 0; i < s_messageMap.nEntries; ++i)
            {
                const MessageMapEntry& entry = s_messageMap.pEntries[i];
                if (entry.uMsg == uMsg && entry.nCode == nCode && entry.nId == nId)
                    return true;
            }
            return false;
        }
    };
    struct Route
    {
        UINT nCode;
        UINT nId;
        bool bHere;
    };
    const Route kRoutes[] = {
        {BN_CLICKED, IDC_RUN, true},
        {EN_KILLFOCUS, IDC_MULTIPLIER, true},
        {EN_KILLFOCUS, IDC_DIVIDER, true},
        {EN_KILLFOCUS, IDC_WIDTH, true},
        {CBN_SELCHANGE, IDC_DEVICE, true},
        {BN_CLICKED, IDC_COPY, true},
        {EN_KILLFOCUS, IDC_BAR_RED, false},
        {EN_CHANGE, IDC_MULTIPLIER, false},
        {BN_CLICKED, IDOK, false},
        {BN_CLICKED, IDCANCEL, false},
        {0, ID_HELP, false},
    };
    for (const Route& route : kRoutes)
        EXPECT_EQ(route.bHere, CMapProbe::HandledHere(WM_COMMAND, route.nCode, route.nId))
            << "code " << route.nCode << ", id " << route.nId;
    EXPECT_TRUE(CMapProbe::HandledHere(WM_PAINT, 0, 0));
    EXPECT_TRUE(CMapProbe::HandledHere(WM_QUERYDRAGICON, 0, 0));
    EXPECT_TRUE(CMapProbe::HandledHere(WM_DRAWITEM, 0, 0));
    EXPECT_EQ(9u, CMapProbe::EntryCount());
}
