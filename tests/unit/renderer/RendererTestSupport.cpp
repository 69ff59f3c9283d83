#include "RendererTestSupport.h"

#include <algorithm>
#include <cstring>

const GUID kDeviceGuid = {0x1a2b3c4d, 0x5e6f, 0x7081, {0x92, 0xa3, 0xb4, 0xc5, 0xd6, 0xe7, 0xf8, 0x09}};

namespace
{
TestWindowWatcher* s_pWatcher = nullptr;

std::wstring ClassOf(HWND hWnd)
{
    WCHAR sz[64] = L"";
    GetClassNameW(hWnd, sz, 64);
    return sz;
}
}

std::wstring SystemText(DWORD dwError)
{
    LPWSTR psz = nullptr;
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER, nullptr, dwError, 0,
                   reinterpret_cast<LPWSTR>(&psz), 0, nullptr);
    std::wstring str = psz != nullptr ? psz : L"";
    LocalFree(psz);
    return str;
}

std::vector<MSG> TakeQueued(HWND hWnd)
{
    std::vector<MSG> messages;
    MSG msg;
    while (PeekMessageW(&msg, hWnd, 0, 0, PM_REMOVE))
        messages.push_back(msg);
    return messages;
}

int CountMessages(const std::vector<MSG>& messages, UINT uMsg)
{
    int n = 0;
    for (const MSG& msg : messages)
        n += msg.message == uMsg ? 1 : 0;
    return n;
}

int CountMessages(const std::vector<MSG>& messages, UINT uMsg, WPARAM wParam)
{
    int n = 0;
    for (const MSG& msg : messages)
        n += msg.message == uMsg && msg.wParam == wParam ? 1 : 0;
    return n;
}

bool IsClassRegistered()
{
    WNDCLASSW wc;
    return GetClassInfoW(GetModuleHandleW(nullptr), L"Quillaby", &wc) != FALSE;
}

TestWindowWatcher::TestWindowWatcher()
    : m_hHook(SetWindowsHookExW(WH_CBT, &HookProc, nullptr, GetCurrentThreadId())), m_bRefuse(false),
      m_dwRefuseError(0), m_bClassAtDestroy(false)
{
    s_pWatcher = this;
}

TestWindowWatcher::~TestWindowWatcher()
{
    UnhookWindowsHookEx(m_hHook);
    s_pWatcher = nullptr;
}

void TestWindowWatcher::RefuseCreation(DWORD dwLastError)
{
    m_bRefuse = true;
    m_dwRefuseError = dwLastError;
}

LRESULT CALLBACK TestWindowWatcher::HookProc(int nCode, WPARAM wParam, LPARAM lParam)
{
    TestWindowWatcher* pThis = s_pWatcher;
    HWND hWnd = reinterpret_cast<HWND>(wParam);
    if (pThis != nullptr && nCode == HCBT_CREATEWND)
    {
        const CREATESTRUCTW* pcs = reinterpret_cast<CBT_CREATEWNDW*>(lParam)->lpcs;
        const std::wstring strClass = IS_INTRESOURCE(pcs->lpszClass) ? ClassOf(hWnd) : pcs->lpszClass;
        if (strClass == L"Quillaby")
        {
            const std::wstring strTitle = pcs->lpszName != nullptr ? pcs->lpszName : L"";
            pThis->m_creations.push_back(Creation{pcs->dwExStyle, strClass, strTitle, static_cast<DWORD>(pcs->style),
                                                  pcs->x, pcs->y, pcs->cx, pcs->cy, pcs->hwndParent, pcs->hMenu,
                                                  pcs->hInstance, pcs->lpCreateParams, g_hRendererWnd});
            if (pThis->m_bRefuse)
            {
                SetLastError(pThis->m_dwRefuseError);
                return 1;
            }
        }
    }
    else if (pThis != nullptr && nCode == HCBT_DESTROYWND && ClassOf(hWnd) == L"Quillaby")
    {
        pThis->m_bClassAtDestroy = IsClassRegistered();
        FakeDDNote("DestroyWindow");
    }
    else if (pThis != nullptr && nCode == HCBT_ACTIVATE && ClassOf(hWnd) == L"#32770")
    {
        FakeDDNote("MessageBox");
    }
    return CallNextHookEx(nullptr, nCode, wParam, lParam);
}

RendererTest::RendererTest() : m_hInst(GetModuleHandleW(nullptr))
{
}

void RendererTest::SetUp()
{
    ResetFakeDirectDraw();
    g_pRenderer = nullptr;
    g_hRendererWnd = nullptr;
}

void RendererTest::TearDown()
{
    TakeQueued(nullptr);
    m_pMonitor.reset();
    ResetFakeDirectDraw();
}

CDisplayDevice RendererTest::DeviceOn(const RECT& rcMonitor)
{
    m_pMonitor.reset();
    m_pMonitor.reset(new ForcedMonitor(rcMonitor));
    return CDisplayDevice(&kDeviceGuid, L"Fake display", L"\\\\.\\DISPLAY1", m_pMonitor->Handle());
}

std::unique_ptr<CSweepRenderer> RendererTest::Construct(const CDisplayDevice& device)
{
    try
    {
        return std::unique_ptr<CSweepRenderer>(new CSweepRenderer(device, m_hInst));
    }
    catch (char* psz)
    {
        ADD_FAILURE() << "construction threw \"" << psz << "\"";
    }
    return nullptr;
}

std::vector<FakeDDCall> CallsFrom(size_t nFrom, FakeDDMethod method)
{
    std::vector<FakeDDCall> calls;
    const std::vector<FakeDDCall>& all = FakeDDCalls();
    for (size_t i = nFrom; i < all.size(); ++i)
    {
        if (all[i].method == method)
            calls.push_back(all[i]);
    }
    return calls;
}

void ExpectSteps(size_t nFrom, const std::vector<Step>& expected, const char* pszWhat)
{
    const std::vector<FakeDDCall>& all = FakeDDCalls();
    const std::vector<FakeDDCall> got(all.begin() + static_cast<std::ptrdiff_t>(std::min(nFrom, all.size())), all.end());
    const std::string strGot = FakeDDDescribe(got);
    ASSERT_EQ(expected.size(), got.size()) << pszWhat << ": calls were\n" << strGot;
    for (size_t i = 0; i < expected.size(); ++i)
    {
        EXPECT_EQ(FakeDDMethodName(expected[i].method), std::string(FakeDDMethodName(got[i].method)))
            << pszWhat << ", step " << i << "; calls were\n" << strGot;
        EXPECT_EQ(FakeDDObjectName(expected[i].object), std::string(FakeDDObjectName(got[i].object)))
            << pszWhat << ", step " << i << "; calls were\n" << strGot;
        if (expected[i].method == FakeDDMethod::AddRef || expected[i].method == FakeDDMethod::Release)
        {
            EXPECT_EQ(expected[i].nResult, static_cast<long>(got[i].hr))
                << pszWhat << ", count after step " << i << "; calls were\n" << strGot;
        }
        if (expected[i].pszNote != nullptr)
        {
            EXPECT_STREQ(expected[i].pszNote, got[i].pszName) << pszWhat << ", step " << i;
        }
    }
}
