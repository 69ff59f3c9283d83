// The test window's procedure and the key handler that ends a run.
#include "RendererTestSupport.h"

namespace
{
const RECT kScreen = {0, 0, 800, 600};
}

class WindowProcTest : public RendererTest
{
protected:
    void SetUp() override
    {
        RendererTest::SetUp();
        m_pRenderer = Construct(DeviceOn(kScreen));
        ASSERT_TRUE(m_pRenderer != nullptr);
        m_hWnd = m_pRenderer->GetTestWindow();
        TakeQueued(m_hWnd);
    }
    void TearDown() override
    {
        m_pRenderer.reset();
        RendererTest::TearDown();
    }

    std::unique_ptr<CSweepRenderer> m_pRenderer;
    HWND m_hWnd = nullptr;
};

struct KeyMessage
{
    const char* pszName;
    UINT uMsg;
    WPARAM wParam;
    LPARAM lParam;
};

class WindowProcKey : public WindowProcTest, public ::testing::WithParamInterface<KeyMessage>
{
};

TEST_P(WindowProcKey, ClearsTheFlagAndPostsOneClose)
{
    const KeyMessage& k = GetParam();
    const LRESULT lResult = SendMessageW(m_hWnd, k.uMsg, k.wParam, k.lParam);
    EXPECT_EQ(0, lResult) << k.pszName << ": DefWindowProcW's answer";
    EXPECT_FALSE(m_pRenderer->IsRunning()) << k.pszName;

    // Wine may queue messages of its own for the window meanwhile (a mouse
    // move made up for a window under the pointer): only the close counts.
    const std::vector<MSG> queued = TakeQueued(m_hWnd);
    EXPECT_EQ(1, CountMessages(queued, WM_CLOSE, 0)) << k.pszName << ": closes queued for the test window";
    for (const MSG& msg : queued)
    {
        if (msg.message == WM_CLOSE)
        {
            EXPECT_EQ(0, msg.lParam) << k.pszName;
        }
    }
    EXPECT_TRUE(IsWindow(m_hWnd)) << "the window is the destructor's to destroy";
}

// F10, and keys pressed with Alt (bit 29), come as system keys.
INSTANTIATE_TEST_SUITE_P(Keys, WindowProcKey,
                         ::testing::Values(KeyMessage{"KeyDown", WM_KEYDOWN, 'Q', 0x00100001},
                                           KeyMessage{"SysKeyDownF10", WM_SYSKEYDOWN, VK_F10, 0x00440001},
                                           KeyMessage{"SysKeyDownAltA", WM_SYSKEYDOWN, 'A', 0x201E0001},
                                           KeyMessage{"SysKeyDownAlt", WM_SYSKEYDOWN, VK_MENU, 0x20380001}),
                         [](const ::testing::TestParamInfo<KeyMessage>& info) { return info.param.pszName; });

TEST_F(WindowProcTest, AnAutoRepeatedKeyDownEndsTheRunToo)
{
    SendMessageW(m_hWnd, WM_KEYDOWN, VK_RIGHT, 0x41000001);
    EXPECT_FALSE(m_pRenderer->IsRunning());
}

struct OtherMessage
{
    const char* pszName;
    UINT uMsg;
    WPARAM wParam;
};

class WindowProcOther : public WindowProcTest, public ::testing::WithParamInterface<OtherMessage>
{
};

TEST_P(WindowProcOther, LeavesTheFlagSet)
{
    SendMessageW(m_hWnd, GetParam().uMsg, GetParam().wParam, 0);
    EXPECT_TRUE(m_pRenderer->IsRunning()) << GetParam().pszName;
    EXPECT_EQ(0, CountMessages(TakeQueued(m_hWnd), WM_CLOSE)) << GetParam().pszName;
}

INSTANTIATE_TEST_SUITE_P(Messages, WindowProcOther,
                         ::testing::Values(OtherMessage{"Char", WM_CHAR, 'a'},
                                           OtherMessage{"KeyUp", WM_KEYUP, 'A'},
                                           OtherMessage{"SysKeyUp", WM_SYSKEYUP, 'A'},
                                           OtherMessage{"MouseMove", WM_MOUSEMOVE, 0},
                                           OtherMessage{"LeftButtonDown", WM_LBUTTONDOWN, MK_LBUTTON},
                                           OtherMessage{"LeftButtonUp", WM_LBUTTONUP, 0},
                                           OtherMessage{"RightButtonDown", WM_RBUTTONDOWN, MK_RBUTTON},
                                           OtherMessage{"MouseWheel", WM_MOUSEWHEEL, 0x00780000}),
                         [](const ::testing::TestParamInfo<OtherMessage>& info) { return info.param.pszName; });

TEST_F(WindowProcTest, PassesEveryMessageOnToDefWindowProc)
{
    WCHAR sz[64] = L"";
    SendMessageW(m_hWnd, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(sz));
    EXPECT_STREQ(L"Quillaby Window", sz);
    EXPECT_EQ(DefWindowProcW(m_hWnd, WM_NCHITTEST, 0, MAKELPARAM(10, 10)),
              SendMessageW(m_hWnd, WM_NCHITTEST, 0, MAKELPARAM(10, 10)));
}

TEST_F(RendererTest, MessagesBeforeTheEndOfConstructionGoStraightToDefWindowProc)
{
    // A key-down sent while DirectDraw is set up must not reach OnKeyDown.
    HWND hDuring = nullptr;
    HWND hNamedDuring = reinterpret_cast<HWND>(1);
    g_fakeDDScript.onCall = [&](const FakeDDCall& call) {
        if (call.method == FakeDDMethod::SetCooperativeLevel)
        {
            hDuring = call.hWnd;
            hNamedDuring = g_hRendererWnd;
            SendMessageW(call.hWnd, WM_KEYDOWN, VK_SPACE, 0);
        }
    };
    TestWindowWatcher watcher;
    std::unique_ptr<CSweepRenderer> pRenderer = Construct(DeviceOn(kScreen));
    ASSERT_TRUE(pRenderer != nullptr);
    g_fakeDDScript.onCall = nullptr;

    EXPECT_EQ(pRenderer->GetTestWindow(), hDuring);
    EXPECT_EQ(nullptr, hNamedDuring) << "the window was already g_hRendererWnd while DirectDraw was set up";
    ASSERT_EQ(1u, watcher.Creations().size());
    EXPECT_EQ(nullptr, watcher.Creations()[0].hRendererWndThen);
    EXPECT_TRUE(pRenderer->IsRunning());
    EXPECT_EQ(0, CountMessages(TakeQueued(pRenderer->GetTestWindow()), WM_CLOSE));
}
