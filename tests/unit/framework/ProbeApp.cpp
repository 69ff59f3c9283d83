#include "ProbeApp.h"

CProbeApp g_probeApp;

const MessageMapEntry CProbeApp::s_messageEntries[] = {
    MessageMapFor<CProbeApp>::Command<0, ID_HELP, &CWinApp::OnHelp>(),
    MessageMapFor<CProbeApp>::Command<0, kAppCommand, &CProbeApp::OnAppCommand>(),
};
const MessageMap CProbeApp::s_messageMap = {&CWinApp::s_messageMap, s_messageEntries, std::size(s_messageEntries)};

const MessageMap* CProbeApp::GetMessageMap() const
{
    return &s_messageMap;
}

BOOL CProbeApp::InitInstance()
{
    return m_initInstance ? m_initInstance() : FALSE;
}

int CProbeApp::ExitInstance()
{
    ++m_nExitCalls;
    return 7;
}

void CProbeApp::WinHelp(DWORD_PTR dwData, UINT nCmd)
{
    if (!m_bRecordHelp)
    {
        CWinApp::WinHelp(dwData, nCmd);
        return;
    }
    m_helpCalls.push_back(HelpCall{dwData, nCmd});
}

void CProbeApp::OnAppCommand()
{
    ++m_nAppCommands;
}
