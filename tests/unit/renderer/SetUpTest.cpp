// Construction and destruction of the renderer against the fake DirectDraw.
#include "RendererTestSupport.h"

#include <algorithm>
#include <cstring>

#include "support/HeldKeys.h"
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
    {M::GetSurfaceDesc, O::BackBuffer, 0},
    {M::GetPixelFormat, O::BackBuffer, 0},
    {M::Release, O::DirectDraw, 0},
};

const wchar_t kFirstLine[] = L"The test could not take over the display.\n\n";

// The system's text for a last error as the box shows it, without the line
// break the system ends it with.
std::wstring SystemLine(DWORD dwError)
{
    std::wstring str = SystemText(dwError);
    while (!str.empty() && (str.back() == L'\n' || str.back() == L'\r' || str.back() == L' '))
        str.pop_back();
    return str;
}

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
    expected.dwSize = kSurfaceDescSize;
    expected.dwFlags = 0x21;
    expected.dwBackBufferCount = 1;
    expected.ddsCaps.dwCaps = 0x218;
    EXPECT_EQ(kSurfaceDescSize, surface.desc.dwSize);
    EXPECT_EQ(Hex(0x21), Hex(surface.desc.dwFlags));
    EXPECT_EQ(1u, surface.desc.dwBackBufferCount);
    EXPECT_EQ(Hex(0x218), Hex(surface.desc.ddsCaps.dwCaps));
    EXPECT_EQ(0, std::memcmp(&expected, &surface.desc, sizeof(DDSURFACEDESC))) << "fields the flags do not name are set";
    EXPECT_EQ(nullptr, surface.pOuter);

    EXPECT_EQ(Hex(DDSCAPS_BACKBUFFER), Hex(FakeDDCallsOf(M::GetAttachedSurface).at(0).caps.dwCaps));
    EXPECT_EQ(kSurfaceDescSize, FakeDDCallsOf(M::GetSurfaceDesc).at(0).dwSize);
    EXPECT_EQ(kPixelFormatSize, FakeDDCallsOf(M::GetPixelFormat).at(0).dwSize);

    EXPECT_TRUE(pRenderer->IsRunning());
    EXPECT_EQ(pRenderer.get(), g_pRenderer);
    EXPECT_EQ(pRenderer->GetTestWindow(), g_hRendererWnd);
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
    SIZE surface;
};

class TestWindowRect : public RendererTest, public ::testing::WithParamInterface<WindowCase>
{
};

TEST_P(TestWindowRect, CoversExactlyTheDevicesScreenRectangle)
{
    const RECT rc = GetParam().rcMonitor;
    g_fakeDDScript.surfaceSize = GetParam().surface;
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
    // The picture is laid out on the surface, inside the part the monitor shows.
    EXPECT_EQ(std::min(GetParam().surface.cx, rc.right - rc.left), pRenderer->GetWidth());
    EXPECT_EQ(std::min(GetParam().surface.cy, rc.bottom - rc.top), pRenderer->GetHeight());
}

INSTANTIATE_TEST_SUITE_P(Monitors, TestWindowRect,
                         ::testing::Values(WindowCase{"Primary", {0, 0, 1024, 768}, {1024, 768}},
                                           WindowCase{"LeftOfPrimary", {-1280, 0, 0, 1024}, {1280, 1024}},
                                           WindowCase{"AboveAndLeft", {-800, -600, 0, 0}, {800, 600}},
                                           WindowCase{"RightAndAbove", {1024, -200, 2944, 880}, {1920, 1080}},
                                           // Wine after a new mode: the surfaces keep the mode the process
                                           // first saw, and the monitor shows their top-left part.
                                           WindowCase{"SurfaceLargerThanRectangle", {0, 0, 1024, 768}, {1280, 960}},
                                           WindowCase{"SurfaceSmallerThanRectangle", {0, 0, 1280, 1024}, {800, 600}}),
                         [](const ::testing::TestParamInfo<WindowCase>& info) { return info.param.pszName; });

TEST_F(RendererTest, AnEmptyMonitorRectangleGivesThePrimaryScreenNeverABlankRun)
{
    // A stale monitor handle: the query answers (0, 0, 0, 0).
    const RECT kEmpty = {0, 0, 0, 0};
    g_fakeDDScript.surfaceSize = {1280, 960};
    TestWindowWatcher watcher;
    std::unique_ptr<CSweepRenderer> pRenderer = Construct(DeviceOn(kEmpty));
    ASSERT_TRUE(pRenderer != nullptr);
    ASSERT_EQ(1u, watcher.Creations().size());
    const TestWindowWatcher::Creation& c = watcher.Creations()[0];
    EXPECT_EQ(0, c.x);
    EXPECT_EQ(0, c.y);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), c.cx) << "the window covers the primary screen";
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), c.cy);
    EXPECT_EQ(std::min(1280, GetSystemMetrics(SM_CXSCREEN)), pRenderer->GetWidth());
    EXPECT_EQ(std::min(960, GetSystemMetrics(SM_CYSCREEN)), pRenderer->GetHeight());
}

TEST_F(RendererTest, WithoutASurfaceDescriptionTheRectangleGivesTheSize)
{
    g_fakeDDScript.surfaceSize = {1280, 960};
    g_fakeDDScript.hrGetSurfaceDesc = DDERR_GENERIC;
    std::unique_ptr<CSweepRenderer> pRenderer = Construct(DeviceOn(kScreen));
    ASSERT_TRUE(pRenderer != nullptr);
    EXPECT_EQ(1024, pRenderer->GetWidth());
    EXPECT_EQ(768, pRenderer->GetHeight());
}

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

// A failed step: what the script or the test does to make it fail, the line
// that names it in the box, and the last error whose text must follow (0: none).
struct FailureCase
{
    const char* pszName;
    void (*pfnArrange)(TestWindowWatcher& watcher);
    const wchar_t* pszStepLine;
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
}

void FailQuery(TestWindowWatcher&)
{
    g_fakeDDScript.hrQueryInterface = E_NOINTERFACE;
}

void FailLevel(TestWindowWatcher&)
{
    g_fakeDDScript.cooperativeLevel.next = {DDERR_EXCLUSIVEMODEALREADYSET};
}

void FailNormalLevel(TestWindowWatcher&)
{
    g_fakeDDScript.focus = FakeFocus::Steal;
    g_fakeDDScript.cooperativeLevel.next = {DD_OK, DDERR_GENERIC};
}

void FailExclusiveLevel(TestWindowWatcher&)
{
    g_fakeDDScript.focus = FakeFocus::Steal;
    g_fakeDDScript.cooperativeLevel.next = {DD_OK, DD_OK, DDERR_INVALIDPARAMS};
}

void FailSurface(TestWindowWatcher&)
{
    g_fakeDDScript.hrCreateSurface = DDERR_OUTOFVIDEOMEMORY;
}

void FailBackBuffer(TestWindowWatcher&)
{
    g_fakeDDScript.hrGetAttachedSurface = DDERR_NOTFOUND;
}

void FailPalette(TestWindowWatcher&)
{
    g_fakeDDScript.pixelFormat = FakeFormatPalette8();
    g_fakeDDScript.hrCreatePalette = DDERR_OUTOFMEMORY;
}

void FailAttachPalette(TestWindowWatcher&)
{
    g_fakeDDScript.pixelFormat = FakeFormatPalette8();
    g_fakeDDScript.hrSetPalette = DDERR_NOPALETTEHW;
}

void FailWithUnknownResult(TestWindowWatcher&)
{
    g_fakeDDScript.hrCreateSurface = static_cast<HRESULT>(0x88760999);
}

// A successful call leaves a last error behind; it says nothing about the
// failure that follows.
void LeaveStaleLastError(TestWindowWatcher&)
{
    g_fakeDDScript.hrCreateSurface = DDERR_OUTOFVIDEOMEMORY;
    g_fakeDDScript.onCall = [](const FakeDDCall& call) {
        if (call.method == M::SetCooperativeLevel)
            SetLastError(ERROR_ACCESS_DENIED);
    };
}

// A failing DirectDraw call that does set a last error.
void SetLastErrorOnFailure(DWORD dwError)
{
    g_fakeDDScript.hrCreateSurface = DDERR_GENERIC;
    static DWORD s_dwError;
    s_dwError = dwError;
    g_fakeDDScript.onCall = [](const FakeDDCall& call) {
        if (call.method == M::CreateSurface)
            SetLastError(s_dwError);
    };
}

void FailWithLastError(TestWindowWatcher&)
{
    SetLastErrorOnFailure(ERROR_NOT_ENOUGH_MEMORY);
}

void FailWithoutSystemText(TestWindowWatcher&)
{
    SetLastErrorOnFailure(0x2000ABCD); // a customer code: the system has no text
}

// A window of the test's own that is active when construction starts, as the
// dialog is when Run is pressed.
class OwnerWindow
{
public:
    OwnerWindow()
        : m_hWnd(CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE, 10, 10, 200, 100, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr))
    {
        SetForegroundWindow(m_hWnd);
        SetActiveWindow(m_hWnd);
    }
    ~OwnerWindow() { DestroyWindow(m_hWnd); }
    OwnerWindow(const OwnerWindow&) = delete;
    OwnerWindow& operator=(const OwnerWindow&) = delete;
    HWND Handle() const { return m_hWnd; }

private:
    HWND m_hWnd;
};

class FailedConstruction : public RendererTest, public ::testing::WithParamInterface<FailureCase>
{
};

TEST_P(FailedConstruction, UndoesEverythingThenShowsOneOwnedErrorBoxAndThrows)
{
    const FailureCase& c = GetParam();
    const bool bPreRegistered = c.pfnArrange == &PreRegisterClass;
    const CDisplayDevice device = DeviceOn(kScreen);
    {
        OwnerWindow owner;
        ASSERT_EQ(owner.Handle(), GetActiveWindow()) << "the owner could not be made active";
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
        g_fakeDDScript.onCall = nullptr;
        EXPECT_FALSE(bOther) << "something other than a char* was thrown";
        ASSERT_TRUE(pszThrown != nullptr) << "no char* was thrown";
        EXPECT_STREQ("error", pszThrown);

        ASSERT_EQ(1u, catcher.Boxes().size()) << "message boxes shown";
        const CaughtBox& box = catcher.Boxes()[0];
        EXPECT_EQ(L"Error", box.strCaption);
        std::wstring strExpected = std::wstring(kFirstLine) + c.pszStepLine;
        if (c.dwLastError != 0)
        {
            const std::wstring strSystem = SystemLine(c.dwLastError);
            strExpected += L"\n\n" + (strSystem.empty() ? L"Last error 536914893 (0x2000ABCD)." : strSystem);
        }
        EXPECT_EQ(Narrow(strExpected), Narrow(box.strText));
        EXPECT_EQ(owner.Handle(), box.hOwner) << "the box belongs to the window that was active";
        EXPECT_FALSE(box.bOwnerEnabled) << "the owner took input while the box was up";
        EXPECT_TRUE(IsWindowEnabled(owner.Handle())) << "the owner stayed disabled after the box";

        // The box comes last, once nothing of the test is left over the screen.
        ASSERT_FALSE(FakeDDCalls().empty());
        EXPECT_STREQ("MessageBox", FakeDDCalls().back().pszName) << "after the box:\n"
                                                                  << FakeDDDescribe(FakeDDCalls());
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
    ::testing::Values(
        FailureCase{"RegisterClass", &PreRegisterClass, L"Registering the window class failed.",
                    ERROR_CLASS_ALREADY_EXISTS, 0},
        FailureCase{"CreateWindow", &RefuseWindow, L"Creating the test window failed.", ERROR_NOT_ENOUGH_QUOTA, 1},
        FailureCase{"DirectDrawCreate", &FailCreate,
                    L"Creating the DirectDraw object failed: DDERR_NODIRECTDRAWHW (0x88760233).", 0, 1},
        FailureCase{"QueryInterface", &FailQuery, L"Asking for IDirectDraw2 failed: E_NOINTERFACE (0x80004002).", 0,
                    1},
        FailureCase{"SetCooperativeLevel", &FailLevel,
                    L"Taking exclusive full-screen control failed: DDERR_EXCLUSIVEMODEALREADYSET (0x88760245).", 0, 1},
        FailureCase{"SetCooperativeLevelNormal", &FailNormalLevel,
                    L"Taking exclusive full-screen control failed: DDERR_GENERIC/E_FAIL (0x80004005).", 0, 1},
        FailureCase{"SetCooperativeLevelExclusive", &FailExclusiveLevel,
                    L"Taking exclusive full-screen control failed: DDERR_INVALIDPARAMS/E_INVALIDARG (0x80070057).", 0,
                    1},
        FailureCase{"CreateSurface", &FailSurface,
                    L"Creating the primary surface failed: DDERR_OUTOFVIDEOMEMORY (0x8876017C).", 0, 1},
        FailureCase{"GetAttachedSurface", &FailBackBuffer,
                    L"Getting the back buffer failed: DDERR_NOTFOUND (0x887600FF).", 0, 1},
        FailureCase{"CreatePalette", &FailPalette,
                    L"Creating the palette failed: DDERR_OUTOFMEMORY/E_OUTOFMEMORY (0x8007000E).", 0, 1},
        FailureCase{"SetPalette", &FailAttachPalette,
                    L"Attaching the palette to the primary surface failed: DDERR_NOPALETTEHW (0x8876023D).", 0, 1},
        FailureCase{"UnknownResult", &FailWithUnknownResult, L"Creating the primary surface failed: 0x88760999.", 0,
                    1},
        FailureCase{"StaleLastError", &LeaveStaleLastError,
                    L"Creating the primary surface failed: DDERR_OUTOFVIDEOMEMORY (0x8876017C).", 0, 1},
        FailureCase{"LastErrorSet", &FailWithLastError,
                    L"Creating the primary surface failed: DDERR_GENERIC/E_FAIL (0x80004005).",
                    ERROR_NOT_ENOUGH_MEMORY, 1},
        FailureCase{"NoSystemText", &FailWithoutSystemText,
                    L"Creating the primary surface failed: DDERR_GENERIC/E_FAIL (0x80004005).", 0x2000ABCD, 1}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return info.param.pszName; });

TEST_F(RendererTest, AFailedPaletteReleasesPaletteThenPrimaryThenDirectDrawThenTheWindowThenShowsTheBox)
{
    g_fakeDDScript.pixelFormat = FakeFormatPalette8();
    g_fakeDDScript.hrSetPalette = DDERR_NOPALETTEHW;
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
                    {M::AddRef, O::BackBuffer, 1},
                    {M::GetSurfaceDesc, O::BackBuffer, 0},
                    {M::GetPixelFormat, O::BackBuffer, 0},
                    {M::CreatePalette, O::DirectDraw2, 0},
                    {M::SetPalette, O::Primary, 0},
                    {M::Release, O::Palette, 0},
                    {M::Release, O::Primary, 0},
                    {M::Release, O::DirectDraw2, 0},
                    {M::Release, O::DirectDraw, 0},
                    {M::Note, O::None, 0, "DestroyWindow"},
                    {M::Note, O::None, 0, "MessageBox"}},
                "failure path");
    EXPECT_TRUE(watcher.ClassRegisteredAtDestroy());
    EXPECT_FALSE(IsClassRegistered());
    EXPECT_EQ("", FakeDDLeaks());
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
    EXPECT_EQ(Narrow(kFirstLine + std::wstring(L"Registering the window class failed.\n\n")
                     + SystemLine(ERROR_CLASS_ALREADY_EXISTS)),
              Narrow(catcher.Boxes()[0].strText));
    EXPECT_EQ(pFirst->GetTestWindow(), catcher.Boxes()[0].hOwner) << "the box belongs to the active window";
    EXPECT_EQ(1, FakeDDCount(M::DirectDrawCreate)) << "the second went on after its registration failed";
    EXPECT_EQ(pFirst.get(), g_pRenderer);
    EXPECT_EQ(pFirst->GetTestWindow(), g_hRendererWnd);
    EXPECT_TRUE(IsWindow(pFirst->GetTestWindow()));
    EXPECT_TRUE(IsClassRegistered()) << "the second unregistered the first's class";
    EXPECT_TRUE(pFirst->IsRunning());
}

namespace
{
// The person still holds the Enter that pressed Run: its repeats reach the
// error box first; a moment later, if the box is still up, a fresh press; and
// if even that leaves it up, the OK command.
int s_nBoxTicks = 0;

void CALLBACK PressEnterAgain(HWND hBox, UINT, UINT_PTR, DWORD)
{
    if (++s_nBoxTicks == 1)
        PostMessageW(GetDlgItem(hBox, IDOK), WM_KEYDOWN, VK_RETURN, kKeyPressed);
    else
        PostMessageW(hBox, WM_COMMAND, IDOK, 0);
}

LRESULT CALLBACK RepeatEnterAtTheBox(int nCode, WPARAM wParam, LPARAM lParam)
{
    HWND hWnd = reinterpret_cast<HWND>(wParam);
    WCHAR szClass[16] = L"";
    if (nCode == HCBT_ACTIVATE && GetClassNameW(hWnd, szClass, 16) != 0 && lstrcmpW(szClass, L"#32770") == 0)
    {
        for (int i = 0; i < 3; ++i)
            PostMessageW(GetDlgItem(hWnd, IDOK), WM_KEYDOWN, VK_RETURN, kKeyRepeated);
        SetTimer(hWnd, 1, 200, &PressEnterAgain);
    }
    return CallNextHookEx(nullptr, nCode, wParam, lParam);
}
}

TEST_F(RendererTest, AKeyHeldSinceBeforeTheRunLeavesTheErrorBoxUp)
{
    g_fakeDDScript.hrCreate = DDERR_NODIRECTDRAWHW;
    const CDisplayDevice device = DeviceOn(kScreen);
    const HeldKeys held({VK_RETURN});
    s_nBoxTicks = 0;
    HHOOK hHook = SetWindowsHookExW(WH_CBT, &RepeatEnterAtTheBox, nullptr, GetCurrentThreadId());
    EXPECT_THROW(CSweepRenderer renderer(device, m_hInst), char*);
    UnhookWindowsHookEx(hHook);
    EXPECT_EQ(1, s_nBoxTicks) << "0: the repeats of the held Enter closed the box; 2: a fresh press left it up";
}
