// Construction and destruction of the renderer against the fake DirectDraw.
#include "RendererTestSupport.h"

#include <cstring>

#include "support/MessageBoxCatcher.h"
#include "support/TestText.h"

namespace
{
const RECT kScreen = {0, 0, 1024, 768};

typedef FakeDDMethod M;
typedef FakeDDObject O;

// A successful construction, from DirectDrawCreate to the release of the
// IDirectDraw that only served to obtain IDirectDraw2.
const std::vector<Step> kConstruction = {
    {M::DirectDrawCreate, O::None, 0},
    {M::QueryInterface, O::DirectDraw, 0},
    {M::AddRef, O::DirectDraw2, 1},
    {M::SetCooperativeLevel, O::DirectDraw2, 0},
    {M::CreateSurface, O::DirectDraw2, 0},
    {M::GetAttachedSurface, O::Primary, 0},
    {M::AddRef, O::BackBuffer, 1},
    {M::Release, O::DirectDraw, 0},
};

}

TEST_F(RendererTest, AsksDirectDrawForExactlyWhatTheFullScreenTestNeeds)
{
    const CDisplayDevice device = DeviceOn(kScreen);
    std::unique_ptr<CSweepRenderer> pRenderer = Construct(device);
    ASSERT_TRUE(pRenderer != nullptr);
    ExpectSteps(0, kConstruction, "construction");

    const FakeDDCall create = FakeDDCallsOf(M::DirectDrawCreate).at(0);
    EXPECT_EQ(device.m_pGuid, create.pGuid) << "the device's own GUID pointer is passed on";
    EXPECT_EQ(nullptr, create.pOuter);

    const FakeDDCall query = FakeDDCallsOf(M::QueryInterface).at(0);
    EXPECT_TRUE(query.iid == IID_IDirectDraw2) << "asked for another interface than IDirectDraw2";

    const FakeDDCall level = FakeDDCallsOf(M::SetCooperativeLevel).at(0);
    EXPECT_EQ(pRenderer->GetTestWindow(), level.hWnd);
    EXPECT_EQ(Hex(0x291), Hex(level.dwFlags));

    const FakeDDCall surface = FakeDDCallsOf(M::CreateSurface).at(0);
    DDSURFACEDESC expected = {};
    expected.dwSize = 108;
    expected.dwFlags = 0x21;
    expected.dwBackBufferCount = 1;
    expected.ddsCaps.dwCaps = 0x218;
    EXPECT_EQ(108u, surface.desc.dwSize);
    EXPECT_EQ(Hex(0x21), Hex(surface.desc.dwFlags));
    EXPECT_EQ(1u, surface.desc.dwBackBufferCount);
    EXPECT_EQ(Hex(0x218), Hex(surface.desc.ddsCaps.dwCaps));
    EXPECT_EQ(0, std::memcmp(&expected, &surface.desc, sizeof(DDSURFACEDESC))) << "fields the flags do not name are set";
    EXPECT_EQ(nullptr, surface.pOuter);

    EXPECT_EQ(Hex(DDSCAPS_BACKBUFFER), Hex(FakeDDCallsOf(M::GetAttachedSurface).at(0).caps.dwCaps));

    EXPECT_TRUE(pRenderer->IsRunning());
    EXPECT_EQ(pRenderer.get(), g_pRenderer);
    EXPECT_EQ(pRenderer->GetTestWindow(), g_hRendererWnd);
    EXPECT_EQ(1024, pRenderer->GetWidth());
    EXPECT_EQ(768, pRenderer->GetHeight());
}

TEST_F(RendererTest, PassesANullGuidOnUnchanged)
{
    const CDisplayDevice device(nullptr, L"DirectDraw HAL", L"display", nullptr);
    ASSERT_EQ(nullptr, device.m_pGuid);
    std::unique_ptr<CSweepRenderer> pRenderer = Construct(device);
    ASSERT_TRUE(pRenderer != nullptr);
    EXPECT_EQ(nullptr, FakeDDCallsOf(M::DirectDrawCreate).at(0).pGuid);
}

TEST_F(RendererTest, RegistersTheWindowClassAsDescribed)
{
    std::unique_ptr<CSweepRenderer> pRenderer = Construct(DeviceOn(kScreen));
    ASSERT_TRUE(pRenderer != nullptr);
    WNDCLASSW wc = {};
    ASSERT_TRUE(GetClassInfoW(m_hInst, L"Quillaby", &wc)) << "error " << GetLastError();
    EXPECT_EQ(Hex(CS_HREDRAW | CS_VREDRAW), Hex(wc.style));
    EXPECT_TRUE(wc.lpfnWndProc == &SweepWindowProc);
    EXPECT_EQ(0, wc.cbClsExtra);
    EXPECT_EQ(0, wc.cbWndExtra);
    EXPECT_EQ(LoadIconW(nullptr, IDI_APPLICATION), wc.hIcon);
    EXPECT_EQ(LoadCursorW(nullptr, IDC_ARROW), wc.hCursor);
    EXPECT_EQ(nullptr, wc.hbrBackground);
    EXPECT_EQ(nullptr, wc.lpszMenuName);
}

struct WindowCase
{
    const char* pszName;
    RECT rcMonitor;
};

class TestWindowRect : public RendererTest, public ::testing::WithParamInterface<WindowCase>
{
};

TEST_P(TestWindowRect, CoversExactlyTheDevicesScreenRectangle)
{
    const RECT rc = GetParam().rcMonitor;
    TestWindowWatcher watcher;
    std::unique_ptr<CSweepRenderer> pRenderer = Construct(DeviceOn(rc));
    ASSERT_TRUE(pRenderer != nullptr);
    ASSERT_EQ(1u, watcher.Creations().size());

    const TestWindowWatcher::Creation& c = watcher.Creations()[0];
    EXPECT_EQ(Hex(WS_EX_TOPMOST), Hex(c.dwExStyle));
    EXPECT_EQ(L"Quillaby Window", c.strTitle);
    EXPECT_EQ(Hex(WS_POPUP), Hex(c.dwStyle)) << "WS_POPUP alone, not visible at creation";
    EXPECT_EQ(rc.left, c.x);
    EXPECT_EQ(rc.top, c.y);
    EXPECT_EQ(rc.right - rc.left, c.cx);
    EXPECT_EQ(rc.bottom - rc.top, c.cy);
    EXPECT_EQ(nullptr, c.hParent);
    EXPECT_EQ(nullptr, c.hMenu);
    EXPECT_EQ(m_hInst, c.hInstance);
    EXPECT_EQ(nullptr, c.pParam);

    RECT rcWindow = {};
    GetWindowRect(pRenderer->GetTestWindow(), &rcWindow);
    EXPECT_EQ(rc.left, rcWindow.left);
    EXPECT_EQ(rc.top, rcWindow.top);
    EXPECT_EQ(rc.right, rcWindow.right);
    EXPECT_EQ(rc.bottom, rcWindow.bottom);
    EXPECT_TRUE(IsWindowVisible(pRenderer->GetTestWindow()));
    EXPECT_EQ(rc.right - rc.left, pRenderer->GetWidth());
    EXPECT_EQ(rc.bottom - rc.top, pRenderer->GetHeight());
}

INSTANTIATE_TEST_SUITE_P(Monitors, TestWindowRect,
                         ::testing::Values(WindowCase{"Primary", {0, 0, 1024, 768}},
                                           WindowCase{"LeftOfPrimary", {-1280, 0, 0, 1024}},
                                           WindowCase{"AboveAndLeft", {-800, -600, 0, 0}},
                                           WindowCase{"RightAndAbove", {1024, -200, 2944, 880}}),
                         [](const ::testing::TestParamInfo<WindowCase>& info) { return info.param.pszName; });

TEST_F(RendererTest, KeepsLevel0x291WhereDirectDrawLeavesTheFocusAlone)
{
    g_fakeDDScript.focus = FakeFocus::Leave;
    std::unique_ptr<CSweepRenderer> pRenderer = Construct(DeviceOn(kScreen));
    ASSERT_TRUE(pRenderer != nullptr);
    const std::vector<FakeDDCall> levels = FakeDDCallsOf(M::SetCooperativeLevel);
    ASSERT_EQ(1u, levels.size()) << FakeDDDescribe(levels);
    EXPECT_EQ(Hex(0x291), Hex(levels[0].dwFlags));
    EXPECT_EQ(pRenderer->GetTestWindow(), levels[0].hFocusAfter);
    EXPECT_EQ(pRenderer->GetTestWindow(), GetFocus());
}

TEST_F(RendererTest, SetsTheLevelAgainWhenDirectDrawTakesTheFocus)
{
    g_fakeDDScript.focus = FakeFocus::Steal;
    std::unique_ptr<CSweepRenderer> pRenderer = Construct(DeviceOn(kScreen));
    ASSERT_TRUE(pRenderer != nullptr);
    const std::vector<FakeDDCall> levels = FakeDDCallsOf(M::SetCooperativeLevel);
    ASSERT_EQ(3u, levels.size()) << FakeDDDescribe(levels);
    const DWORD kLevels[] = {0x291, DDSCL_NORMAL, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE};
    for (size_t i = 0; i < 3; ++i)
    {
        EXPECT_EQ(Hex(kLevels[i]), Hex(levels[i].dwFlags)) << "call " << i;
        EXPECT_EQ(pRenderer->GetTestWindow(), levels[i].hWnd) << "call " << i;
    }
    EXPECT_NE(pRenderer->GetTestWindow(), levels[0].hFocusAfter) << "the fake did not take the focus";
    EXPECT_EQ(nullptr, FakeDDDeviceWindow()) << "DirectDraw's own window outlived the second set-up";
    // The surfaces are made after the level is settled.
    const std::vector<FakeDDCall>& all = FakeDDCalls();
    size_t nLastLevel = 0, nSurface = 0;
    for (size_t i = 0; i < all.size(); ++i)
    {
        if (all[i].method == M::SetCooperativeLevel)
            nLastLevel = i;
        if (all[i].method == M::CreateSurface)
            nSurface = i;
    }
    EXPECT_LT(nLastLevel, nSurface);
}

// A failed step: what the script or the test does to make it fail, and the
// last error the box must describe.
struct FailureCase
{
    const char* pszName;
    void (*pfnArrange)(TestWindowWatcher& watcher);
    DWORD dwLastError;
    int nTestWindows; // test windows asked for before the failure
};

LRESULT CALLBACK OtherWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

void PreRegisterClass(TestWindowWatcher&)
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = &OtherWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"Quillaby";
    RegisterClassW(&wc);
}

void RefuseWindow(TestWindowWatcher& watcher)
{
    watcher.RefuseCreation(ERROR_NOT_ENOUGH_QUOTA);
}

void FailCreate(TestWindowWatcher&)
{
    g_fakeDDScript.hrCreate = DDERR_NODIRECTDRAWHW;
    g_fakeDDScript.dwLastErrorOnFailure = ERROR_FILE_NOT_FOUND;
}

void FailQuery(TestWindowWatcher&)
{
    g_fakeDDScript.hrQueryInterface = E_NOINTERFACE;
    g_fakeDDScript.dwLastErrorOnFailure = ERROR_ACCESS_DENIED;
}

void FailLevel(TestWindowWatcher&)
{
    g_fakeDDScript.cooperativeLevel.next = {DDERR_EXCLUSIVEMODEALREADYSET};
    g_fakeDDScript.dwLastErrorOnFailure = ERROR_INVALID_HANDLE;
}

void FailNormalLevel(TestWindowWatcher&)
{
    g_fakeDDScript.focus = FakeFocus::Steal;
    g_fakeDDScript.cooperativeLevel.next = {DD_OK, DDERR_GENERIC};
    g_fakeDDScript.dwLastErrorOnFailure = ERROR_NOT_ENOUGH_MEMORY;
}

void FailExclusiveLevel(TestWindowWatcher&)
{
    g_fakeDDScript.focus = FakeFocus::Steal;
    g_fakeDDScript.cooperativeLevel.next = {DD_OK, DD_OK, DDERR_INVALIDPARAMS};
    g_fakeDDScript.dwLastErrorOnFailure = ERROR_OUTOFMEMORY;
}

void FailSurface(TestWindowWatcher&)
{
    g_fakeDDScript.hrCreateSurface = DDERR_OUTOFVIDEOMEMORY;
    g_fakeDDScript.dwLastErrorOnFailure = ERROR_INVALID_PARAMETER;
}

void FailBackBuffer(TestWindowWatcher&)
{
    g_fakeDDScript.hrGetAttachedSurface = DDERR_NOTFOUND;
    g_fakeDDScript.dwLastErrorOnFailure = ERROR_INVALID_WINDOW_HANDLE;
}

void FailWithoutSystemText(TestWindowWatcher&)
{
    g_fakeDDScript.hrCreateSurface = DDERR_GENERIC;
    g_fakeDDScript.dwLastErrorOnFailure = 0x2000ABCD; // a customer code: the system has no text
}

class FailedConstruction : public RendererTest, public ::testing::WithParamInterface<FailureCase>
{
};

TEST_P(FailedConstruction, ShowsOneErrorBoxUndoesEverythingAndThrows)
{
    const FailureCase& c = GetParam();
    const bool bPreRegistered = c.pfnArrange == &PreRegisterClass;
    const CDisplayDevice device = DeviceOn(kScreen);
    {
        MessageBoxCatcher catcher;
        TestWindowWatcher watcher;
        c.pfnArrange(watcher);

        const char* pszThrown = nullptr;
        bool bOther = false;
        try
        {
            CSweepRenderer renderer(device, m_hInst);
            ADD_FAILURE() << "construction succeeded";
        }
        catch (char* psz)
        {
            pszThrown = psz;
        }
        catch (...)
        {
            bOther = true;
        }
        EXPECT_FALSE(bOther) << "something other than a char* was thrown";
        ASSERT_TRUE(pszThrown != nullptr) << "no char* was thrown";
        EXPECT_STREQ("error", pszThrown);

        ASSERT_EQ(1u, catcher.Boxes().size()) << "message boxes shown";
        EXPECT_EQ(L"Error", catcher.Boxes()[0].strCaption);
        std::wstring strExpected = SystemText(c.dwLastError);
        if (strExpected.empty())
            strExpected = L"Error " + std::to_wstring(c.dwLastError);
        EXPECT_EQ(strExpected, catcher.Boxes()[0].strText) << "last error " << c.dwLastError;

        EXPECT_EQ(c.nTestWindows, static_cast<int>(watcher.Creations().size()));
        if (c.nTestWindows > 0 && !bPreRegistered && c.pfnArrange != &RefuseWindow)
        {
            EXPECT_TRUE(watcher.ClassRegisteredAtDestroy()) << "the class went before its window";
        }
    }

    EXPECT_EQ(nullptr, FindWindowW(nullptr, L"Quillaby Window")) << "a test window is left";
    EXPECT_EQ("", FakeDDLeaks());
    EXPECT_EQ(0, FakeDDMisuses());
    EXPECT_EQ(nullptr, FakeDDDeviceWindow());
    EXPECT_EQ(nullptr, g_pRenderer);
    EXPECT_EQ(nullptr, g_hRendererWnd);
    if (bPreRegistered)
    {
        // The class is someone else's: the failed renderer must leave it.
        EXPECT_TRUE(IsClassRegistered()) << "the failure path unregistered a class it had not registered";
        UnregisterClassW(L"Quillaby", m_hInst);
    }
    EXPECT_FALSE(IsClassRegistered()) << "the window class is left registered";

    ResetFakeDirectDraw();
    std::unique_ptr<CSweepRenderer> pNext = Construct(device);
    ASSERT_TRUE(pNext != nullptr) << "the next construction failed";
    EXPECT_TRUE(pNext->IsRunning());
}

INSTANTIATE_TEST_SUITE_P(
    Steps, FailedConstruction,
    ::testing::Values(FailureCase{"RegisterClass", &PreRegisterClass, ERROR_CLASS_ALREADY_EXISTS, 0},
                      FailureCase{"CreateWindow", &RefuseWindow, ERROR_NOT_ENOUGH_QUOTA, 1},
                      FailureCase{"DirectDrawCreate", &FailCreate, ERROR_FILE_NOT_FOUND, 1},
                      FailureCase{"QueryInterface", &FailQuery, ERROR_ACCESS_DENIED, 1},
                      FailureCase{"SetCooperativeLevel", &FailLevel, ERROR_INVALID_HANDLE, 1},
                      FailureCase{"SetCooperativeLevelNormal", &FailNormalLevel, ERROR_NOT_ENOUGH_MEMORY, 1},
                      FailureCase{"SetCooperativeLevelExclusive", &FailExclusiveLevel, ERROR_OUTOFMEMORY, 1},
                      FailureCase{"CreateSurface", &FailSurface, ERROR_INVALID_PARAMETER, 1},
                      FailureCase{"GetAttachedSurface", &FailBackBuffer, ERROR_INVALID_WINDOW_HANDLE, 1},
                      FailureCase{"NoSystemText", &FailWithoutSystemText, 0x2000ABCD, 1}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return info.param.pszName; });

TEST_F(RendererTest, AFailedBackBufferShowsTheBoxThenReleasesInOrderThenDestroysTheWindow)
{
    g_fakeDDScript.hrGetAttachedSurface = DDERR_NOTFOUND;
    const CDisplayDevice device = DeviceOn(kScreen);
    MessageBoxCatcher catcher;
    TestWindowWatcher watcher;
    try
    {
        CSweepRenderer renderer(device, m_hInst);
        ADD_FAILURE() << "construction succeeded";
    }
    catch (char*)
    {
    }
    ExpectSteps(5, {{M::GetAttachedSurface, O::Primary, 0},
                    {M::Note, O::None, 0, "MessageBox"},
                    {M::Release, O::Primary, 0},
                    {M::Release, O::DirectDraw2, 0},
                    {M::Release, O::DirectDraw, 0},
                    {M::Note, O::None, 0, "DestroyWindow"}},
                "failure path");
    EXPECT_TRUE(watcher.ClassRegisteredAtDestroy());
    EXPECT_FALSE(IsClassRegistered());
}

TEST_F(RendererTest, DestructionReleasesPrimaryThenDirectDrawThenDestroysWindowThenClass)
{
    TestWindowWatcher watcher;
    std::unique_ptr<CSweepRenderer> pRenderer = Construct(DeviceOn(kScreen));
    ASSERT_TRUE(pRenderer != nullptr);
    const HWND hWnd = pRenderer->GetTestWindow();
    const size_t nBefore = FakeDDCalls().size();
    pRenderer.reset();

    ExpectSteps(nBefore, {{M::Release, O::Primary, 0},
                          {M::Release, O::DirectDraw2, 0},
                          {M::Note, O::None, 0, "DestroyWindow"}},
                "destruction");
    EXPECT_EQ("", FakeDDLeaks());
    EXPECT_EQ(0, FakeDDMisuses()) << "the back buffer was released by itself, or an object was used after release";
    EXPECT_FALSE(IsWindow(hWnd));
    EXPECT_TRUE(watcher.ClassRegisteredAtDestroy());
    EXPECT_FALSE(IsClassRegistered());
    EXPECT_EQ(nullptr, g_pRenderer) << "left naming a destroyed renderer";
    EXPECT_EQ(nullptr, g_hRendererWnd);
}

TEST_F(RendererTest, ConstructsAgainAfterDestructionInTheSameProcess)
{
    const CDisplayDevice device = DeviceOn(kScreen);
    for (int nRun = 0; nRun < 3; ++nRun)
    {
        std::unique_ptr<CSweepRenderer> pRenderer = Construct(device);
        ASSERT_TRUE(pRenderer != nullptr) << "run " << nRun;
        EXPECT_TRUE(pRenderer->IsRunning()) << "run " << nRun;
    }
    EXPECT_EQ(3, FakeDDCount(M::DirectDrawCreate));
    EXPECT_EQ("", FakeDDLeaks());
    EXPECT_EQ(0, FakeDDMisuses());
}

TEST_F(RendererTest, ASecondRendererFailsAtRegistrationAndLeavesTheFirstIntact)
{
    const CDisplayDevice device = DeviceOn(kScreen);
    std::unique_ptr<CSweepRenderer> pFirst = Construct(device);
    ASSERT_TRUE(pFirst != nullptr);
    MessageBoxCatcher catcher;
    bool bThrown = false;
    try
    {
        CSweepRenderer second(device, m_hInst);
    }
    catch (char*)
    {
        bThrown = true;
    }
    EXPECT_TRUE(bThrown);
    ASSERT_EQ(1u, catcher.Boxes().size());
    EXPECT_EQ(SystemText(ERROR_CLASS_ALREADY_EXISTS), catcher.Boxes()[0].strText);
    EXPECT_EQ(1, FakeDDCount(M::DirectDrawCreate)) << "the second went on after its registration failed";
    EXPECT_EQ(pFirst.get(), g_pRenderer);
    EXPECT_EQ(pFirst->GetTestWindow(), g_hRendererWnd);
    EXPECT_TRUE(IsWindow(pFirst->GetTestWindow()));
    EXPECT_TRUE(IsClassRegistered()) << "the second unregistered the first's class";
    EXPECT_TRUE(pFirst->IsRunning());
}
