// Looks at Quillaby from outside, as an accessibility tool would: finds its
// windows by class and title and asks their controls for their texts. It never
// touches the program's memory. Runs in the same Wine prefix as the program.
//
//   probe wait [SECONDS]        until the settings dialog is visible
//   probe gone [SECONDS]        until no settings dialog exists
//   probe fields                "ID=text" of every control with an id
//   probe text ID               one control's text
//   probe combo                 the device box: selection and entries
//   probe center ID             screen point in the middle of a control
//   probe rect ID               left top right bottom of a control on the screen
//   probe closebox              screen point on the dialog's close box
//   probe dialog-rect           left top right bottom of the dialog
//   probe windows               top-level windows of the dialog's process
//   probe testwin [STATE SECONDS]  whether the test window exists; with a
//                               STATE (present or absent), waits for it first
//   probe find CLASS TITLE [SECONDS]  until such a window is shown ("-" = any)
//   probe gone-window CLASS TITLE [SECONDS]  until no such window is shown
//   probe focus [is|not ID SECONDS]  the id of the dialog's control that has
//                               the keyboard focus ("none" when no control
//                               has it); first waits until it is, or is not, ID
//   probe screen                the primary monitor's size as WxH
//   probe results [SECONDS]     reads the rate and pacing lines, says
//                               "ready", then waits until either changes and
//                               prints when it saw that, in milliseconds of
//                               the Unix clock (for bench/firstframe)
//   probe where CLASS TITLE     screen point in the middle of such a window
//   probe classatom NAME        whether a window class NAME is registered
//   probe testwin-rect          left top right bottom of the test window
//   probe devices               DirectDraw's devices as the device list keeps
//                               them: "INDEX|DRIVER|monitor L T R B|primary"
//   probe clip TEXT             puts TEXT on the clipboard, as a copy would
//   probe pasted                the clipboard's text, as a paste would take it
//   probe serve                 commands from stdin, one a line (see Serve)
//
// Several commands may follow each other, separated by ";" words. Results go
// to stdout as UTF-8; the exit status is 0 on success, 1 when the thing
// looked for is absent, 2 on wrong use (the highest of all commands).
#include <windows.h>
#include <ddraw.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace
{
const wchar_t kDialogTitle[] = L"Quillaby";
const wchar_t kDialogClass[] = L"#32770";
// A cross-process message to a thread that is busy (a run, a help engine)
// must not hang the probe.
const UINT kSendTimeoutMs = 5000;

std::string ToUtf8(const std::wstring& text)
{
    if (text.empty())
        return std::string();
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0], size, nullptr, nullptr);
    return out;
}

std::wstring FromUtf8(const char* text)
{
    const int size = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    if (size <= 1)
        return std::wstring();
    std::wstring out(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text, -1, &out[0], size);
    out.resize(static_cast<size_t>(size - 1));
    return out;
}

HWND FindDialog()
{
    return FindWindowW(kDialogClass, kDialogTitle);
}

HWND RequireDialog()
{
    const HWND hDlg = FindDialog();
    if (hDlg == nullptr)
        std::fprintf(stderr, "probe: no window of class #32770 titled \"Quillaby\"\n");
    return hDlg;
}

bool SendWithTimeout(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, DWORD_PTR* pResult)
{
    const LRESULT sent = SendMessageTimeoutW(hWnd, uMsg, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeoutMs, pResult);
    return sent != 0;
}

bool ReadText(HWND hWnd, std::wstring* pText)
{
    DWORD_PTR length = 0;
    if (!SendWithTimeout(hWnd, WM_GETTEXTLENGTH, 0, 0, &length))
        return false;
    std::vector<wchar_t> buffer(length + 1, L'\0');
    const WPARAM capacity = static_cast<WPARAM>(buffer.size());
    const LPARAM target = reinterpret_cast<LPARAM>(buffer.data());
    DWORD_PTR copied = 0;
    if (!SendWithTimeout(hWnd, WM_GETTEXT, capacity, target, &copied))
        return false;
    pText->assign(buffer.data(), copied);
    return true;
}

bool Visible(HWND hWnd)
{
    return hWnd != nullptr && IsWindowVisible(hWnd);
}

double ArgSeconds(int argc, char** argv, int index, double fallback)
{
    return argc > index ? std::atof(argv[index]) : fallback;
}

// Polls a condition every 50 ms until it holds or the time is up.
template <class Condition> bool WaitFor(double seconds, Condition condition)
{
    const DWORD start = GetTickCount();
    const DWORD limit = static_cast<DWORD>(seconds * 1000.0);
    for (;;)
    {
        if (condition())
            return true;
        if (GetTickCount() - start > limit)
            return false;
        Sleep(50);
    }
}

int CmdWait(double seconds)
{
    const bool shown = WaitFor(seconds, [] { return Visible(FindDialog()); });
    if (!shown)
        std::fprintf(stderr, "probe: the dialog did not appear within %.1f s\n", seconds);
    return shown ? 0 : 1;
}

int CmdGone(double seconds)
{
    const bool gone = WaitFor(seconds, [] { return FindDialog() == nullptr; });
    if (!gone)
        std::fprintf(stderr, "probe: the dialog still exists after %.1f s\n", seconds);
    return gone ? 0 : 1;
}

// The text of one of the dialog's controls; says so when it doesn't answer.
bool ReadControlText(HWND hDlg, int id, std::wstring* pText)
{
    const HWND hCtl = GetDlgItem(hDlg, id);
    if (hCtl != nullptr && ReadText(hCtl, pText))
        return true;
    std::fprintf(stderr, "probe: control %d did not answer\n", id);
    return false;
}

int CmdFields()
{
    const HWND hDlg = RequireDialog();
    if (hDlg == nullptr)
        return 1;
    // The dialog's controls with an id of their own, Run to device box.
    for (int id = 1000; id <= 1011; ++id)
    {
        std::wstring text;
        if (!ReadControlText(hDlg, id, &text))
            return 1;
        std::printf("%d=%s\n", id, ToUtf8(text).c_str());
    }
    return 0;
}

int CmdText(int id)
{
    const HWND hDlg = RequireDialog();
    std::wstring text;
    if (hDlg == nullptr || !ReadControlText(hDlg, id, &text))
        return 1;
    std::printf("%s\n", ToUtf8(text).c_str());
    return 0;
}

int CmdCombo()
{
    const HWND hDlg = RequireDialog();
    if (hDlg == nullptr)
        return 1;
    const HWND hBox = GetDlgItem(hDlg, 1011);
    DWORD_PTR count = 0;
    DWORD_PTR selection = 0;
    if (hBox == nullptr || !SendWithTimeout(hBox, CB_GETCOUNT, 0, 0, &count) ||
        !SendWithTimeout(hBox, CB_GETCURSEL, 0, 0, &selection))
    {
        std::fprintf(stderr, "probe: the device box did not answer\n");
        return 1;
    }
    std::printf("count=%d\n", static_cast<int>(count));
    std::printf("selected=%d\n", static_cast<int>(selection));
    std::wstring current;
    ReadText(hBox, &current);
    std::printf("text=%s\n", ToUtf8(current).c_str());
    for (int i = 0; i < static_cast<int>(count); ++i)
    {
        DWORD_PTR length = 0;
        DWORD_PTR data = 0;
        SendWithTimeout(hBox, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0, &length);
        SendWithTimeout(hBox, CB_GETITEMDATA, static_cast<WPARAM>(i), 0, &data);
        std::vector<wchar_t> buffer(length + 1, L'\0');
        const LPARAM target = reinterpret_cast<LPARAM>(buffer.data());
        DWORD_PTR copied = 0;
        SendWithTimeout(hBox, CB_GETLBTEXT, static_cast<WPARAM>(i), target, &copied);
        std::printf("entry%d=%d|%s\n", i, static_cast<int>(data), ToUtf8(buffer.data()).c_str());
    }
    return 0;
}

// The middle of a control on the screen, or (bWhole) its rectangle.
int CmdCenter(int id, bool bWhole = false)
{
    const HWND hDlg = RequireDialog();
    if (hDlg == nullptr)
        return 1;
    const HWND hCtl = GetDlgItem(hDlg, id);
    RECT rc = {};
    if (hCtl == nullptr || !GetWindowRect(hCtl, &rc))
    {
        std::fprintf(stderr, "probe: no control %d\n", id);
        return 1;
    }
    if (bWhole)
        std::printf("%ld %ld %ld %ld\n", rc.left, rc.top, rc.right, rc.bottom);
    else
        std::printf("%ld %ld\n", (rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    return 0;
}

int CmdDialogRect()
{
    const HWND hDlg = RequireDialog();
    RECT rc = {};
    if (hDlg == nullptr || !GetWindowRect(hDlg, &rc))
        return 1;
    std::printf("%ld %ld %ld %ld\n", rc.left, rc.top, rc.right, rc.bottom);
    return 0;
}

// Asks the dialog itself where its close box is, so the click lands where a
// person would see it, whatever the theme's sizes: the middle of the run of
// HTCLOSE points across the caption's middle row.
int CmdCloseBox()
{
    const HWND hDlg = RequireDialog();
    RECT rc = {};
    if (hDlg == nullptr || !GetWindowRect(hDlg, &rc))
        return 1;
    const LONG y = rc.top + GetSystemMetrics(SM_CYFIXEDFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2;
    LONG first = -1;
    LONG last = -1;
    for (LONG x = rc.left; x < rc.right; ++x)
    {
        const LPARAM point = MAKELPARAM(static_cast<SHORT>(x), static_cast<SHORT>(y));
        DWORD_PTR hit = 0;
        if (!SendWithTimeout(hDlg, WM_NCHITTEST, 0, point, &hit))
            return 1;
        if (hit == HTCLOSE)
        {
            if (first < 0)
                first = x;
            last = x;
        }
    }
    if (first < 0)
    {
        std::fprintf(stderr, "probe: no close box found on the caption\n");
        return 1;
    }
    std::printf("%ld %ld\n", (first + last) / 2, y);
    return 0;
}

struct WindowCount
{
    DWORD processId;
    int count;
};

BOOL CALLBACK CountWindow(HWND hWnd, LPARAM lParam)
{
    WindowCount* pCount = reinterpret_cast<WindowCount*>(lParam);
    DWORD processId = 0;
    GetWindowThreadProcessId(hWnd, &processId);
    if (processId != pCount->processId)
        return TRUE;
    ++pCount->count;
    wchar_t className[128] = L"";
    wchar_t title[128] = L"";
    GetClassNameW(hWnd, className, 128);
    GetWindowTextW(hWnd, title, 128);
    std::fprintf(stderr, "window %p class=%s title=%s visible=%d\n", static_cast<void*>(hWnd),
                 ToUtf8(className).c_str(), ToUtf8(title).c_str(), IsWindowVisible(hWnd) ? 1 : 0);
    return TRUE;
}

int CmdWindows()
{
    const HWND hDlg = RequireDialog();
    if (hDlg == nullptr)
        return 1;
    WindowCount windows = {0, 0};
    GetWindowThreadProcessId(hDlg, &windows.processId);
    EnumWindows(&CountWindow, reinterpret_cast<LPARAM>(&windows));
    std::printf("%d\n", windows.count);
    return 0;
}

// The test window is the only window of class "Quillaby"; the dialog's
// class is #32770. Whether the class itself is still registered is
// classatom's question.
bool TestWindowExists()
{
    return FindWindowW(L"Quillaby", nullptr) != nullptr || FindWindowW(nullptr, L"Quillaby Window") != nullptr;
}

// Waiting in here costs one Wine start instead of one per look.
int CmdTestWin(const char* pszWant, double seconds)
{
    if (pszWant != nullptr)
    {
        const bool bWantPresent = std::strcmp(pszWant, "present") == 0;
        WaitFor(seconds, [&] { return TestWindowExists() == bWantPresent; });
    }
    const HWND byClass = FindWindowW(L"Quillaby", nullptr);
    const bool present = TestWindowExists();
    std::printf("%s\n", present ? "present" : "absent");
    if (byClass != nullptr)
    {
        RECT rc = {};
        GetWindowRect(byClass, &rc);
        std::fprintf(stderr, "test window %ld %ld %ld %ld visible=%d\n", rc.left, rc.top, rc.right, rc.bottom,
                     IsWindowVisible(byClass) ? 1 : 0);
    }
    return 0;
}

int CmdTestWinRect()
{
    const HWND hWnd = FindWindowW(L"Quillaby", nullptr);
    RECT rc = {};
    if (hWnd == nullptr || !GetWindowRect(hWnd, &rc))
    {
        std::fprintf(stderr, "probe: no test window\n");
        return 1;
    }
    std::printf("%ld %ld %ld %ld\n", rc.left, rc.top, rc.right, rc.bottom);
    return 0;
}

struct ReportedDevice
{
    bool bGuid;
    std::string driver;
    HMONITOR hMonitor;
};

BOOL WINAPI CollectDevice(GUID* pGuid, LPSTR, LPSTR pszDriver, LPVOID pContext, HMONITOR hMonitor)
{
    std::vector<ReportedDevice>* pDevices = static_cast<std::vector<ReportedDevice>*>(pContext);
    pDevices->push_back(ReportedDevice{pGuid != nullptr, pszDriver != nullptr ? pszDriver : "", hMonitor});
    return TRUE;
}

// The same devices, in the same order, as the program's list: with more than
// one reported, the GUID-less primary driver is left out. So INDEX is the
// device box's item data.
int CmdDevices()
{
    std::vector<ReportedDevice> reported;
    const HRESULT hr = DirectDrawEnumerateExA(&CollectDevice, &reported, DDENUM_ATTACHEDSECONDARYDEVICES);
    if (hr != DD_OK)
    {
        std::fprintf(stderr, "probe: DirectDrawEnumerateExA gave 0x%08lX\n", static_cast<unsigned long>(hr));
        return 1;
    }
    int index = 0;
    for (const ReportedDevice& device : reported)
    {
        if (reported.size() > 1 && !device.bGuid)
            continue;
        MONITORINFO info = {};
        info.cbSize = sizeof(info);
        const bool bKnown = device.hMonitor != nullptr && GetMonitorInfoW(device.hMonitor, &info);
        const bool bPrimary = bKnown && (info.dwFlags & MONITORINFOF_PRIMARY) != 0;
        std::printf("%d|%s|monitor %ld %ld %ld %ld|%s\n", index, device.driver.c_str(), info.rcMonitor.left,
                    info.rcMonitor.top, info.rcMonitor.right, info.rcMonitor.bottom,
                    bPrimary ? "primary" : "secondary");
        ++index;
    }
    return 0;
}

HWND FindByArgs(const char* className, const char* title)
{
    const std::wstring wideClass = FromUtf8(className);
    const std::wstring wideTitle = FromUtf8(title);
    const wchar_t* pClass = std::strcmp(className, "-") == 0 ? nullptr : wideClass.c_str();
    const wchar_t* pTitle = std::strcmp(title, "-") == 0 ? nullptr : wideTitle.c_str();
    return FindWindowW(pClass, pTitle);
}

int CmdFind(const char* className, const char* title, double seconds)
{
    // A dialog exists a moment before it is shown and can take keys.
    const bool found = WaitFor(seconds, [&] { return Visible(FindByArgs(className, title)); });
    std::printf("%s\n", found ? "present" : "absent");
    return found ? 0 : 1;
}

int CmdGoneWindow(const char* className, const char* title, double seconds)
{
    const bool gone = WaitFor(seconds, [&] { return !Visible(FindByArgs(className, title)); });
    std::printf("%s\n", gone ? "absent" : "present");
    return gone ? 0 : 1;
}

// The dialog's control that has the focus, or 0. A control's inner window
// (the edit box of a combo box) counts as the control.
int FocusedControl()
{
    const HWND hDlg = FindDialog();
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    if (hDlg == nullptr || !GetGUIThreadInfo(GetWindowThreadProcessId(hDlg, nullptr), &info))
        return 0;
    for (HWND hWnd = info.hwndFocus; hWnd != nullptr; hWnd = GetParent(hWnd))
    {
        if (GetParent(hWnd) == hDlg)
            return GetDlgCtrlID(hWnd);
    }
    return 0;
}

// A click or a key is taken in once the focus has moved: the checks that
// follow then see its effect.
int CmdFocus(int argc, char** argv)
{
    if (argc > 2)
    {
        const bool bWantIs = std::strcmp(argv[1], "is") == 0;
        const int id = std::atoi(argv[2]);
        WaitFor(ArgSeconds(argc, argv, 3, 10.0), [&] { return (FocusedControl() == id) == bWantIs; });
    }
    const int id = FocusedControl();
    if (id == 0)
        std::printf("none\n");
    else
        std::printf("%d\n", id);
    return 0;
}

int CmdScreen()
{
    std::printf("%dx%d\n", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    return 0;
}

long long UnixMilliseconds()
{
    FILETIME ft = {};
    GetSystemTimeAsFileTime(&ft);
    const unsigned long long ticks = (static_cast<unsigned long long>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    return static_cast<long long>((ticks - 116444736000000000ULL) / 10000ULL);
}

int CmdResults(double seconds)
{
    const HWND hDlg = RequireDialog();
    std::wstring rate;
    std::wstring pacing;
    if (hDlg == nullptr || !ReadControlText(hDlg, 1010, &rate) || !ReadControlText(hDlg, 1012, &pacing))
        return 1;
    std::printf("ready\n");
    std::fflush(stdout);
    const DWORD start = GetTickCount();
    const DWORD limit = static_cast<DWORD>(seconds * 1000.0);
    for (;;)
    {
        std::wstring nowRate;
        std::wstring nowPacing;
        // A run in progress may keep the dialog from answering; ask again.
        if (ReadText(GetDlgItem(hDlg, 1010), &nowRate) && ReadText(GetDlgItem(hDlg, 1012), &nowPacing) &&
            (nowRate != rate || nowPacing != pacing))
        {
            std::printf("%lld\n", UnixMilliseconds());
            return 0;
        }
        if (GetTickCount() - start > limit)
        {
            std::fprintf(stderr, "probe: the result lines did not change within %.1f s\n", seconds);
            return 1;
        }
        Sleep(5);
    }
}

int CmdWhere(const char* className, const char* title)
{
    const HWND hWnd = FindByArgs(className, title);
    RECT rc = {};
    if (hWnd == nullptr || !GetWindowRect(hWnd, &rc))
    {
        std::fprintf(stderr, "probe: no window of class %s titled %s\n", className, title);
        return 1;
    }
    std::printf("%ld %ld\n", (rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    return 0;
}

// A window class registered by another process can't be asked for with
// GetClassInfoW from here, but Wine keeps every registered class's name in
// the window station's global atom table until the class is unregistered.
int CmdClassAtom(const char* name)
{
    const std::wstring wide = FromUtf8(name);
    const bool present = GlobalFindAtomW(wide.c_str()) != 0;
    std::printf("%s\n", present ? "present" : "absent");
    return 0;
}

int CmdClip(const char* text)
{
    const std::wstring wide = FromUtf8(text);
    const SIZE_T bytes = (wide.size() + 1) * sizeof(wchar_t);
    const HGLOBAL hMem = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (hMem == nullptr)
        return 1;
    void* pMem = GlobalLock(hMem);
    std::memcpy(pMem, wide.c_str(), bytes);
    GlobalUnlock(hMem);
    if (!OpenClipboard(nullptr))
    {
        GlobalFree(hMem);
        std::fprintf(stderr, "probe: the clipboard is busy\n");
        return 1;
    }
    EmptyClipboard();
    const bool placed = SetClipboardData(CF_UNICODETEXT, hMem) != nullptr;
    CloseClipboard();
    if (!placed)
    {
        GlobalFree(hMem);
        std::fprintf(stderr, "probe: SetClipboardData failed, error %lu\n", GetLastError());
        return 1;
    }
    return 0;
}

int CmdPasted()
{
    if (!OpenClipboard(nullptr))
    {
        std::fprintf(stderr, "probe: the clipboard is busy\n");
        return 1;
    }
    const HANDLE hText = GetClipboardData(CF_UNICODETEXT);
    const wchar_t* pText = hText != nullptr ? static_cast<const wchar_t*>(GlobalLock(hText)) : nullptr;
    if (pText != nullptr)
    {
        std::printf("%s\n", ToUtf8(pText).c_str());
        GlobalUnlock(hText);
    }
    CloseClipboard();
    return pText != nullptr ? 0 : 1;
}

int Usage()
{
    std::fprintf(stderr, "usage: probe wait|gone|fields|text|combo|center|closebox|dialog-rect|windows|testwin|"
                         "find|gone-window|focus|screen|results|where|classatom|clip|pasted|rect|testwin-rect|devices ...\n");
    return 2;
}

// Runs one command, given as its words; returns its status.
int RunCommand(int argc, char** argv)
{
    if (argc < 1)
        return Usage();
    const std::string command = argv[0];
    if (command == "wait")
        return CmdWait(ArgSeconds(argc, argv, 1, 30.0));
    if (command == "gone")
        return CmdGone(ArgSeconds(argc, argv, 1, 10.0));
    if (command == "fields")
        return CmdFields();
    if (command == "text" && argc > 1)
        return CmdText(std::atoi(argv[1]));
    if (command == "combo")
        return CmdCombo();
    if (command == "center" && argc > 1)
        return CmdCenter(std::atoi(argv[1]));
    if (command == "rect" && argc > 1)
        return CmdCenter(std::atoi(argv[1]), true);
    if (command == "closebox")
        return CmdCloseBox();
    if (command == "dialog-rect")
        return CmdDialogRect();
    if (command == "windows")
        return CmdWindows();
    if (command == "testwin")
        return CmdTestWin(argc > 1 ? argv[1] : nullptr, ArgSeconds(argc, argv, 2, 10.0));
    if (command == "find" && argc > 2)
        return CmdFind(argv[1], argv[2], ArgSeconds(argc, argv, 3, 0.0));
    if (command == "gone-window" && argc > 2)
        return CmdGoneWindow(argv[1], argv[2], ArgSeconds(argc, argv, 3, 0.0));
    if (command == "focus")
        return CmdFocus(argc, argv);
    if (command == "screen")
        return CmdScreen();
    if (command == "results")
        return CmdResults(ArgSeconds(argc, argv, 1, 60.0));
    if (command == "where" && argc > 2)
        return CmdWhere(argv[1], argv[2]);
    if (command == "classatom" && argc > 1)
        return CmdClassAtom(argv[1]);
    if (command == "clip" && argc > 1)
        return CmdClip(argv[1]);
    if (command == "pasted")
        return CmdPasted();
    if (command == "testwin-rect")
        return CmdTestWinRect();
    if (command == "devices")
        return CmdDevices();
    return Usage();
}

// Runs commands separated by ";" words; returns the highest status.
int RunCommands(int argc, char** argv)
{
    int status = 0;
    int first = 0;
    while (first < argc || first == 0)
    {
        int end = first;
        while (end < argc && std::strcmp(argv[end], ";") != 0)
            ++end;
        const int commandStatus = RunCommand(end - first, argv + first);
        std::fflush(stdout);
        if (commandStatus > status)
            status = commandStatus;
        first = end + 1;
    }
    return status;
}

// Takes commands from stdin, one a line, its words ended by 0x1F each, until
// an empty line or the end of the input; after each line's output, a line of
// 0x04 and the status. One probe then serves a whole test: a start of Wine
// costs far more than the commands. The end of the input may never come:
// the Wine processes that this one starts, such as the desktop's, inherit
// the pipe.
void Serve()
{
    _setmode(_fileno(stdin), _O_BINARY);
    std::string line;
    int c;
    while ((c = std::getchar()) != EOF)
    {
        if (c != '\n')
        {
            line += static_cast<char>(c);
            continue;
        }
        if (line.empty())
            break;
        std::vector<std::string> words;
        size_t start = 0;
        for (size_t end; (end = line.find('\x1f', start)) != std::string::npos; start = end + 1)
            words.push_back(line.substr(start, end - start));
        line.clear();
        std::vector<char*> argv;
        for (std::string& word : words)
            argv.push_back(&word[0]);
        const int status = RunCommands(static_cast<int>(argv.size()), argv.data());
        std::fflush(stderr);
        std::printf("\x04%d\n", status);
        std::fflush(stdout);
    }
}
}

// Several commands separated by ";" words run in one start of the probe,
// which under Wine costs more than the commands themselves; "serve" runs a
// whole test's.
int main(int argc, char** argv)
{
    // Plain line ends for the shell scripts that read the output.
    _setmode(_fileno(stdout), _O_BINARY);
    int status = 0;
    if (argc == 2 && std::strcmp(argv[1], "serve") == 0)
        Serve();
    else
        status = RunCommands(argc - 1, argv + 1);
    std::fflush(stderr);
    // Without the exit handlers of Wine's Linux libraries, which on a loaded
    // machine outlast the half second that wineserver gives a process after
    // its last thread before it kills it (the shell would see 137, not the
    // status).
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(status));
    return status;
}
