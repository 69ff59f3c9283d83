// A dialog on the real template whose handlers only record that they ran.
#ifndef QUILLABY_TESTS_FRAMEWORK_PROBEDLG_H
#define QUILLABY_TESTS_FRAMEWORK_PROBEDLG_H

#include <windows.h>
#include <functional>
#include <string>
#include <vector>

#include "framework/DataExchange.h"
#include "framework/Dialog.h"

class CProbeDlg : public CDialog
{
public:
    CProbeDlg();

    std::vector<std::wstring> m_calls;
    std::function<void(CDataExchange*)> m_exchange;
    std::function<void()> m_afterInit;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnRunClicked();
    void OnKillFocusMultiplier();
    void OnKillFocusDivider();
    void OnThrowingCommand();
    HCURSOR OnQueryDragIcon();

    static const MessageMapEntry s_messageEntries[];
    static const MessageMap s_messageMap;
    const MessageMap* GetMessageMap() const override;
};

// Replaces one of its base's entries and chains the rest.
class CDerivedProbeDlg : public CProbeDlg
{
protected:
    void OnDerivedKillFocusMultiplier();

    static const MessageMapEntry s_messageEntries[];
    static const MessageMap s_messageMap;
    const MessageMap* GetMessageMap() const override;
};

#endif
