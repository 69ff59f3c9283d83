// The device list against scripted DirectDraw enumerations.
#include <gtest/gtest.h>

#include "support/TestText.h"

#include "display/DeviceList.h"
#include "fakes/FakeEnum.h"
#include "platform/DirectDrawEnum.h"

namespace
{
const GUID kGuidA = {0x11111111, 0x2222, 0x3333, {1, 2, 3, 4, 5, 6, 7, 8}};
const GUID kGuidB = {0xAAAAAAAA, 0xBBBB, 0xCCCC, {9, 10, 11, 12, 13, 14, 15, 16}};
const GUID kGuidC = {0x01234567, 0x89AB, 0xCDEF, {0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0x80}};
const HMONITOR kMonitor1 = reinterpret_cast<HMONITOR>(0x1001);
const HMONITOR kMonitor2 = reinterpret_cast<HMONITOR>(0x1002);

std::string Describe(const CDisplayDeviceList& devices)
{
    std::string out;
    for (const CDisplayDevice& device : devices)
        out += "[" + Narrow(device.m_strDescription) + (device.m_pGuid != nullptr ? " guid" : " noguid") + "]";
    return out;
}

void ExpectOwnGuid(const CDisplayDevice& device, const GUID& guid)
{
    ASSERT_NE(nullptr, device.m_pGuid) << Narrow(device.m_strDescription) << ": expected a GUID";
    EXPECT_EQ(&device.m_guid, device.m_pGuid) << "m_pGuid must point at the object's own m_guid";
    EXPECT_TRUE(IsEqualGUID(guid, *device.m_pGuid)) << Narrow(device.m_strDescription) << ": wrong GUID";
}

class DeviceList : public ::testing::Test
{
protected:
    void SetUp() override { ResetFakeEnum(true); }
    void TearDown() override { ResetFakeEnum(false); }
};
}

TEST_F(DeviceList, SingleDeviceWithoutGuidStays)
{
    g_fakeEnumExW.devices = {MakeFakeDevice("Primary", "display")};
    const CDisplayDeviceList devices = BuildDisplayDeviceList();
    ASSERT_EQ(1u, devices.size()) << Describe(devices);
    EXPECT_EQ(nullptr, devices[0].m_pGuid);
    EXPECT_EQ(nullptr, devices[0].m_hMonitor);
    EXPECT_EQ("Primary", Narrow(devices[0].m_strDescription));
    EXPECT_EQ("display", Narrow(devices[0].m_strDriverName));
}

TEST_F(DeviceList, PrimaryDriverWithoutGuidIsDroppedFromSeveral)
{
    g_fakeEnumExW.devices = {MakeFakeDevice("Primary", "display"),
                             MakeFakeDevice("Left", "\\\\.\\DISPLAY1", &kGuidA, kMonitor1),
                             MakeFakeDevice("Right", "\\\\.\\DISPLAY2", &kGuidB, kMonitor2)};
    const CDisplayDeviceList devices = BuildDisplayDeviceList();
    ASSERT_EQ(2u, devices.size()) << Describe(devices);
    EXPECT_EQ("Left", Narrow(devices[0].m_strDescription));
    EXPECT_EQ("Right", Narrow(devices[1].m_strDescription));
    ExpectOwnGuid(devices[0], kGuidA);
    ExpectOwnGuid(devices[1], kGuidB);
    EXPECT_EQ(kMonitor1, devices[0].m_hMonitor);
    EXPECT_EQ(kMonitor2, devices[1].m_hMonitor);
    EXPECT_EQ(1, g_fakeEnumExW.nCalls);
    EXPECT_EQ(static_cast<DWORD>(DDENUM_ATTACHEDSECONDARYDEVICES), g_fakeEnumExW.dwLastFlags);
    EXPECT_EQ(0, g_fakeEnumExA.nCalls) << "the narrow enumeration runs only when the wide one fails";
}

TEST_F(DeviceList, AdjacentGuidlessEntriesAreAllRemoved)
{
    struct Case
    {
        const char* pszName;
        std::vector<FakeDevice> reported;
        const char* pszExpected;
    };
    const Case cases[] = {
        {"in the middle",
         {MakeFakeDevice("A", "a", &kGuidA), MakeFakeDevice("n1", "n"), MakeFakeDevice("n2", "n"),
          MakeFakeDevice("B", "b", &kGuidB)},
         "[A guid][B guid]"},
        {"at the end",
         {MakeFakeDevice("A", "a", &kGuidA), MakeFakeDevice("B", "b", &kGuidB), MakeFakeDevice("n1", "n"),
          MakeFakeDevice("n2", "n")},
         "[A guid][B guid]"},
        {"all without", {MakeFakeDevice("n1", "n"), MakeFakeDevice("n2", "n")}, ""},
    };
    for (const Case& c : cases)
    {
        ResetFakeEnum(true);
        g_fakeEnumExW.devices = c.reported;
        EXPECT_EQ(c.pszExpected, Describe(BuildDisplayDeviceList())) << c.pszName;
    }
}

TEST_F(DeviceList, PlainEnumerationGivesNoMonitorsAndTakesNoFlags)
{
    ResetFakeEnum(false); // no extended entry points, and DDRAW is not loaded here
    g_fakeEnumW.devices = {MakeFakeDevice("Primary", "display"),
                           MakeFakeDevice("Adapter", "\\\\.\\DISPLAY1", &kGuidA, kMonitor1)};
    const CDisplayDeviceList devices = BuildDisplayDeviceList();
    ASSERT_EQ(1u, devices.size()) << Describe(devices);
    EXPECT_EQ("Adapter", Narrow(devices[0].m_strDescription));
    EXPECT_EQ(nullptr, devices[0].m_hMonitor) << "a plain enumeration reports no monitor";
    EXPECT_EQ(1, g_fakeEnumW.nCalls);
    EXPECT_EQ(0, g_fakeEnumA.nCalls);
    EXPECT_EQ(nullptr, g_pfnDirectDrawEnumerateExW) << "nothing to find without DDRAW";
}

TEST_F(DeviceList, NarrowTextIsWidenedByteForByte)
{
    g_fakeEnumExW.hrResult = E_NOTIMPL;
    g_fakeEnumExA.devices = {MakeFakeDevice("Caf\xE9 \x80\xFF", "drv\xE9", &kGuidA, kMonitor1)};
    const CDisplayDeviceList devices = BuildDisplayDeviceList();
    ASSERT_EQ(1u, devices.size());
    EXPECT_EQ(std::wstring(L"Caf\u00E9 \u0080\u00FF"), devices[0].m_strDescription);
    EXPECT_EQ(std::wstring(L"drv\u00E9"), devices[0].m_strDriverName);
    EXPECT_EQ(kMonitor1, devices[0].m_hMonitor);
    EXPECT_EQ(static_cast<DWORD>(DDENUM_ATTACHEDSECONDARYDEVICES), g_fakeEnumExA.dwLastFlags);
}

TEST_F(DeviceList, WideFailureAfterOneDeviceKeepsItBeforeTheNarrowOnes)
{
    g_fakeEnumExW.devices = {MakeFakeDevice("Adapter", "\\\\.\\DISPLAY1", &kGuidA, kMonitor1)};
    g_fakeEnumExW.hrResult = DDERR_GENERIC;
    g_fakeEnumExA.devices = {MakeFakeDevice("Primary", "display"),
                             MakeFakeDevice("Adapter", "\\\\.\\DISPLAY1", &kGuidA, kMonitor1)};
    const CDisplayDeviceList devices = BuildDisplayDeviceList();
    EXPECT_EQ("[Adapter guid][Adapter guid]", Describe(devices));
    EXPECT_EQ(1, g_fakeEnumExA.nCalls);
}

TEST_F(DeviceList, FailedNarrowEnumerationLeavesWhatWasAdded)
{
    g_fakeEnumExW.hrResult = E_NOTIMPL;
    g_fakeEnumExA.hrResult = DDERR_GENERIC;
    EXPECT_EQ("", Describe(BuildDisplayDeviceList())) << "nothing reported, nothing listed";

    ResetFakeEnum(true);
    g_fakeEnumExW.hrResult = E_NOTIMPL;
    g_fakeEnumExA.devices = {MakeFakeDevice("Only", "display")};
    g_fakeEnumExA.hrResult = DDERR_GENERIC;
    EXPECT_EQ("[Only noguid]", Describe(BuildDisplayDeviceList()));
}

TEST(DisplayDevice, CopiesOutliveTheirSource)
{
    CDisplayDevice* pSource = new CDisplayDevice(&kGuidC, L"With", L"drv", kMonitor1);
    CDisplayDevice copy(*pSource);
    CDisplayDevice assigned(nullptr, L"", L"", nullptr);
    assigned = *pSource;
    delete pSource;
    ExpectOwnGuid(copy, kGuidC);
    ExpectOwnGuid(assigned, kGuidC);
    EXPECT_EQ(kMonitor1, copy.m_hMonitor);

    CDisplayDevice* pNoGuid = new CDisplayDevice(nullptr, L"Without", L"drv", nullptr);
    CDisplayDevice copyNoGuid(*pNoGuid);
    assigned = *pNoGuid;
    delete pNoGuid;
    EXPECT_EQ(nullptr, copyNoGuid.m_pGuid);
    EXPECT_EQ(nullptr, assigned.m_pGuid) << "assigning a GUID-less device clears the target's GUID";
    EXPECT_EQ(L"Without", assigned.m_strDescription);
}

TEST(DisplayDevice, ListGrowthKeepsEveryGuidPointerAtHome)
{
    CDisplayDeviceList devices;
    for (int i = 0; i < 40; ++i)
        devices.push_back(CDisplayDevice(&kGuidA, L"d", L"n", nullptr));
    for (const CDisplayDevice& device : devices)
        ASSERT_EQ(&device.m_guid, device.m_pGuid);
}

TEST(WidenText, EachByteBecomesTheSameCharacter)
{
    EXPECT_EQ(std::wstring(L""), WidenText(""));
    EXPECT_EQ(std::wstring(L"\u00E9\u0001\u007F\u0080\u00FF"), WidenText("\xE9\x01\x7F\x80\xFF"));
}
