// Static, typed message maps. Each class that handles messages defines a table
// of entries; an entry names the message, for WM_COMMAND also the notification
// code and the control or command id, and the member function that handles it.
// The base class's table is chained behind. A handler whose signature does not
// suit its message fails to compile.
//
//     const MessageMapEntry CMyDlg::s_messageEntries[] = {
//         MessageMapFor<CMyDlg>::Message<WM_PAINT, &CMyDlg::OnPaint>(),
//         MessageMapFor<CMyDlg>::Command<BN_CLICKED, IDC_GO, &CMyDlg::OnGo>(),
//     };
//     const MessageMap CMyDlg::s_messageMap = {&CDialog::s_messageMap, s_messageEntries,
//                                              std::size(s_messageEntries)};
#ifndef FRAMEWORK_MESSAGEMAP_H
#define FRAMEWORK_MESSAGEMAP_H

#include <windows.h>
#include <cstddef>
#include <iterator>
#include <type_traits>

class CCmdTarget;

struct MessageMapEntry
{
    UINT uMsg;
    UINT nCode; // WM_COMMAND only: the notification code
    UINT nId;   // WM_COMMAND only: the control or command id
    LRESULT (*pfnInvoke)(CCmdTarget& target, WPARAM wParam, LPARAM lParam);
};

struct MessageMap
{
    const MessageMap* pBaseMap;
    const MessageMapEntry* pEntries;
    size_t nEntries;
};

namespace MessageMapDetail
{
template <class Pointer>
struct MemberOf;

template <class C, class R, class... Args>
struct MemberOf<R (C::*)(Args...)>
{
    typedef C Class;
};

template <auto Handler>
using ClassOf = typename MemberOf<decltype(Handler)>::Class;

template <auto Handler, class Signature>
constexpr bool kHasSignature = std::is_same_v<decltype(Handler), Signature>;

template <UINT uMsg>
constexpr bool kHasForm = false;

// Each message that a map may name has a handler form of its own below; give
// a new message one when a class comes to need it.
template <UINT uMsg, auto Handler>
struct Invoker
{
    static_assert(kHasForm<uMsg>, "the framework has no handler form for this message");
};

// A command, or a message whose handler takes and gives nothing.
template <auto Handler>
struct VoidInvoker
{
    typedef ClassOf<Handler> C;
    static_assert(kHasSignature<Handler, void (C::*)()>, "this handler is void ()");
    static LRESULT Call(CCmdTarget& target, WPARAM, LPARAM)
    {
        (static_cast<C&>(target).*Handler)();
        return 0;
    }
};

template <auto Handler>
struct Invoker<WM_PAINT, Handler> : VoidInvoker<Handler>
{
};

template <auto Handler>
struct Invoker<WM_QUERYDRAGICON, Handler>
{
    typedef ClassOf<Handler> C;
    static_assert(kHasSignature<Handler, HCURSOR (C::*)()>, "a WM_QUERYDRAGICON handler is HCURSOR ()");
    static LRESULT Call(CCmdTarget& target, WPARAM, LPARAM)
    {
        const HCURSOR hCursor = (static_cast<C&>(target).*Handler)();
        return reinterpret_cast<LRESULT>(hCursor);
    }
};

template <auto Handler>
struct Invoker<WM_HELP, Handler>
{
    typedef ClassOf<Handler> C;
    static_assert(kHasSignature<Handler, BOOL (C::*)(HELPINFO*)>, "a WM_HELP handler is BOOL (HELPINFO*)");
    static LRESULT Call(CCmdTarget& target, WPARAM, LPARAM lParam)
    {
        HELPINFO* pInfo = reinterpret_cast<HELPINFO*>(lParam);
        return (static_cast<C&>(target).*Handler)(pInfo);
    }
};

// An owner-drawn control of the window asks to be drawn; the window has drawn it.
template <auto Handler>
struct Invoker<WM_DRAWITEM, Handler>
{
    typedef ClassOf<Handler> C;
    static_assert(kHasSignature<Handler, void (C::*)(const DRAWITEMSTRUCT&)>,
                  "a WM_DRAWITEM handler is void (const DRAWITEMSTRUCT&)");
    static LRESULT Call(CCmdTarget& target, WPARAM, LPARAM lParam)
    {
        (static_cast<C&>(target).*Handler)(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    }
};

template <auto Handler>
struct Invoker<WM_INITDIALOG, Handler>
{
    typedef ClassOf<Handler> C;
    static_assert(kHasSignature<Handler, BOOL (C::*)()>, "a WM_INITDIALOG handler is BOOL ()");
    static LRESULT Call(CCmdTarget& target, WPARAM, LPARAM)
    {
        return (static_cast<C&>(target).*Handler)();
    }
};

}

// Entries for the map of class Owner; a handler may belong to Owner or to one
// of its bases.
template <class Owner>
struct MessageMapFor
{
    template <UINT uMsg, auto Handler>
    static constexpr MessageMapEntry Message()
    {
        static_assert(uMsg != WM_COMMAND, "WM_COMMAND entries are made with Command");
        static_assert(std::is_base_of_v<MessageMapDetail::ClassOf<Handler>, Owner>,
                      "the handler belongs to another class");
        return MessageMapEntry{uMsg, 0, 0, &MessageMapDetail::Invoker<uMsg, Handler>::Call};
    }

    template <UINT nCode, UINT nId, auto Handler>
    static constexpr MessageMapEntry Command()
    {
        static_assert(std::is_base_of_v<MessageMapDetail::ClassOf<Handler>, Owner>,
                      "the handler belongs to another class");
        return MessageMapEntry{WM_COMMAND, nCode, nId, &MessageMapDetail::VoidInvoker<Handler>::Call};
    }
};

#endif
