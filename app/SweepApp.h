// The application: it shows the settings dialog, and the program ends when
// the dialog closes.
#ifndef QUILLABY_APP_SWEEPAPP_H
#define QUILLABY_APP_SWEEPAPP_H

#include <windows.h>

#include "framework/WinApp.h"

class CSweepApp : public CWinApp
{
public:
    CSweepApp();

    // Runs the dialog; always FALSE, so the program then ends.
    BOOL InitInstance() override;

protected:
    static const MessageMapEntry s_messageEntries[];
    static const MessageMap s_messageMap;
    const MessageMap* GetMessageMap() const override;
};

#endif
