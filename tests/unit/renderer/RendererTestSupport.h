// What the renderer's unit tests share: a fixture with a fresh fake DirectDraw
// and a made-up monitor, a WH_CBT watcher of the test window, and queue probes.
#ifndef QUILLABY_TESTS_RENDERERTESTSUPPORT_H
#define QUILLABY_TESTS_RENDERERTESTSUPPORT_H

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "display/DisplayDevice.h"
#include "fakes/FakeDirectDraw.h"
#include "pacing/PacingJudgement.h"
#include "render/SweepRenderer.h"
#include "support/ForcedMonitor.h"

extern const GUID kDeviceGuid;

// The sizes that DirectDraw expects in each structure's dwSize: 32-bit
// Windows' own in a 32-bit build, the structure's size in a 64-bit one.
constexpr DWORD kSurfaceDescSize = sizeof(void*) == 4 ? 108 : sizeof(DDSURFACEDESC);
constexpr DWORD kBltFxSize = sizeof(void*) == 4 ? 100 : sizeof(DDBLTFX);
constexpr DWORD kPixelFormatSize = sizeof(void*) == 4 ? 32 : sizeof(DDPIXELFORMAT);

// The system's message text for a last-error code, as the renderer shows it.
std::wstring SystemText(DWORD dwError);

// Takes every message queued for hWnd off the queue and returns it.
std::vector<MSG> TakeQueued(HWND hWnd);
int CountMessages(const std::vector<MSG>& messages, UINT uMsg);
// Only those posted with that wParam: Wine makes up mouse moves of its own
// for a window that appears under the pointer, and they may come at any time.
int CountMessages(const std::vector<MSG>& messages, UINT uMsg, WPARAM wParam);

bool IsClassRegistered();

// Watches the test windows ("Quillaby" class) through a thread WH_CBT hook:
// records each creation request, can refuse it, and puts markers for the
// destruction of a test window and the activation of a message box into the
// fake DirectDraw's log.
class TestWindowWatcher
{
public:
    TestWindowWatcher();
    ~TestWindowWatcher();
    TestWindowWatcher(const TestWindowWatcher&) = delete;
    TestWindowWatcher& operator=(const TestWindowWatcher&) = delete;

    // Refuse creation, leaving dwLastError as the thread's last error.
    void RefuseCreation(DWORD dwLastError);

    struct Creation
    {
        DWORD dwExStyle;
        std::wstring strClass;
        std::wstring strTitle;
        DWORD dwStyle;
        int x, y, cx, cy;
        HWND hParent;
        HMENU hMenu;
        HINSTANCE hInstance;
        LPVOID pParam;
        // What the window procedure's globals named while it was created.
        HWND hRendererWndThen;
    };
    const std::vector<Creation>& Creations() const { return m_creations; }
    // Whether the class was still registered when a test window was destroyed.
    bool ClassRegisteredAtDestroy() const { return m_bClassAtDestroy; }

private:
    static LRESULT CALLBACK HookProc(int nCode, WPARAM wParam, LPARAM lParam);

    HHOOK m_hHook;
    bool m_bRefuse;
    DWORD m_dwRefuseError;
    bool m_bClassAtDestroy;
    std::vector<Creation> m_creations;
};

class RendererTest : public ::testing::Test
{
protected:
    RendererTest();
    void SetUp() override;
    void TearDown() override;

    // A device with a GUID on a monitor of the given rectangle.
    CDisplayDevice DeviceOn(const RECT& rcMonitor);
    std::unique_ptr<CSweepRenderer> Construct(const CDisplayDevice& device);

    HINSTANCE m_hInst;
    std::unique_ptr<ForcedMonitor> m_pMonitor;
};

// Calls of one method in the log from index nFrom on.
std::vector<FakeDDCall> CallsFrom(size_t nFrom, FakeDDMethod method);

// The log from nFrom on with AddRef, Release and notes, for order checks.
struct Step
{
    FakeDDMethod method;
    FakeDDObject object;
    long nResult; // AddRef, Release: the new count; otherwise ignored
    const char* pszNote = nullptr;
};
void ExpectSteps(size_t nFrom, const std::vector<Step>& expected, const char* pszWhat);

#endif
