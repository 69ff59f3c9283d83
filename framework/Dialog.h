// A modal dialog built from a dialog template resource. The framework runs
// its own modal loop, which hands keyboard input to the dialog manager.
#ifndef FRAMEWORK_DIALOG_H
#define FRAMEWORK_DIALOG_H

#include <windows.h>

#include "framework/Wnd.h"

class CDialog : public CWnd
{
public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    ~CDialog() override;

    // Creates the dialog, runs it until EndDialog and destroys it; the value
    // given to EndDialog, or -1 when the dialog could not be created.
    virtual INT_PTR DoModal();
    void EndDialog(int nResult);

    // Commands the dialog's maps leave alone go on to the application's map.
    bool OnCmdMsg(UINT nCode, UINT nId) override;

protected:
    // Puts the members into the controls.
    virtual BOOL OnInitDialog();
    // Takes the controls into the members and ends with IDOK.
    virtual void OnOK();
    // Ends with IDCANCEL.
    virtual void OnCancel();
    virtual BOOL PreTranslateMessage(MSG* pMsg);

    static const MessageMapEntry s_messageEntries[];
    static const MessageMap s_messageMap;
    const MessageMap* GetMessageMap() const override;

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    BOOL HandleInitDialog();
    void CenterInWorkArea();
    void MakeFocusedButtonDefault();
    void RunModalLoop();

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;
    bool m_bEndModal;
    INT_PTR m_nModalResult;
};

#endif
