#include "app/SweepApp.h"

#include "ui/SweepDlg.h"

const MessageMapEntry CSweepApp::s_messageEntries[] = {
    MessageMapFor<CSweepApp>::Command<0, ID_HELP, &CWinApp::OnHelp>(),
};
const MessageMap CSweepApp::s_messageMap = {&CWinApp::s_messageMap, s_messageEntries, std::size(s_messageEntries)};

const MessageMap* CSweepApp::GetMessageMap() const
{
    return &s_messageMap;
}

CSweepApp::CSweepApp() {}

BOOL CSweepApp::InitInstance()
{
    Enable3dControlsStatic();
    CSweepDlg dlg;
    m_pMainWnd = &dlg;
    // OK, Cancel, the close box and a dialog that could not be created all
    // end the program the same way.
    dlg.DoModal();
    return FALSE;
}
