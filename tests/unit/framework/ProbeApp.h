// The test program's one application object: it records help requests,
// commands routed to it and its ending, and its InitInstance is scriptable.
#ifndef QUILLABY_TESTS_FRAMEWORK_PROBEAPP_H
#define QUILLABY_TESTS_FRAMEWORK_PROBEAPP_H

#include <windows.h>
#include <functional>
#include <vector>

#include "framework/WinApp.h"

const UINT kAppCommand = 40001;

struct HelpCall
{
    DWORD_PTR dwData;
    UINT nCmd;
};

class CProbeApp : public CWinApp
{
public:
    BOOL InitInstance() override;
    int ExitInstance() override;
    void WinHelp(DWORD_PTR dwData, UINT nCmd = HELP_CONTEXT) override;
    void OnAppCommand();

    std::function<BOOL()> m_initInstance;
    // False hands WinHelp to the framework's own.
    bool m_bRecordHelp = true;
    std::vector<HelpCall> m_helpCalls;
    int m_nAppCommands = 0;
    int m_nExitCalls = 0;

protected:
    static const MessageMapEntry s_messageEntries[];
    static const MessageMap s_messageMap;
    const MessageMap* GetMessageMap() const override;
};

extern CProbeApp g_probeApp;

#endif
