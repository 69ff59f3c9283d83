// The test program's one application object: the real application, with
// help requests recorded instead of starting the help engine.
#ifndef QUILLABY_TESTS_DIALOG_SWEEPTESTAPP_H
#define QUILLABY_TESTS_DIALOG_SWEEPTESTAPP_H

#include <windows.h>
#include <string>
#include <vector>

#include "app/SweepApp.h"
#include "fakes/FakeEnum.h"
#include "framework/String.h"
#include "support/TestText.h"
#include "ui/SweepDlg.h"

struct HelpRequest
{
    DWORD_PTR dwData;
    UINT nCmd;
};

class CRecordingSweepApp : public CSweepApp
{
public:
    void WinHelp(DWORD_PTR dwData, UINT nCmd = HELP_CONTEXT) override;

    std::vector<HelpRequest> m_helpRequests;
};

extern CRecordingSweepApp g_sweepApp;

// The monitor that holds a window at the screen's origin: the dialog's while
// it initialises.
HMONITOR OriginMonitor();
// A monitor handle that no real monitor has.
extern const HMONITOR kOtherMonitor;

// Scripts the extended wide enumeration with devices of these descriptions
// and monitors; each device gets a GUID of its own.
void ScriptDevices(const std::vector<std::pair<std::string, HMONITOR>>& devices);

struct BoxState
{
    std::vector<std::wstring> entries;
    std::vector<DWORD_PTR> itemData;
    int nSelected;
};

BoxState ReadBox(HWND hBox);

void CloseLater(const CDialog& dlg);

#endif
