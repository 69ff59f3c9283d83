// The settings dialog: device, bar speed, width and colours, the Run button,
// and the rate and the frame pacing of the last run.
#ifndef QUILLABY_UI_SWEEPDLG_H
#define QUILLABY_UI_SWEEPDLG_H

#include <windows.h>

#include <optional>
#include <string>

#include "display/DeviceList.h"
#include "framework/ComboBox.h"
#include "framework/Dialog.h"
#include "framework/String.h"
#include "pacing/PacingPicture.h"
#include "pacing/PacingSummary.h"
#include "render/HeldKeySet.h"
#include "ui/RunReport.h"

class CSweepDlg : public CDialog
{
public:
    explicit CSweepDlg(CWnd* pParent = nullptr);
    ~CSweepDlg() override;

    // Every setting is held as the text of its field; texts become numbers
    // only where they are used.
    CDisplayDeviceList m_devices;
    CComboBox m_cbDevice;
    CString m_strBackBlue;
    CString m_strBackGreen;
    CString m_strBackRed;
    CString m_strBarBlue;
    CString m_strBarGreen;
    CString m_strBarRed;
    CString m_strDivider;
    CString m_strMultiplier;
    CString m_strWidth;
    CString m_strRate;
    CString m_strPacing;
    CString m_strCoverage;
    CString m_strDevice;
    HICON m_hIcon;

    // After a run: drops the keyboard and mouse input queued meanwhile, and
    // notes the keys still held: until each comes up, the dialog ignores
    // their auto-repeats and every combination made with them, a window
    // manager's close among them.
    void ForgetInputOfRun();

protected:
    static const MessageMapEntry s_messageEntries[];
    static const MessageMap s_messageMap;
    const MessageMap* GetMessageMap() const override;
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;

    // Lists the devices; the one on the dialog's monitor, or else the first,
    // is selected.
    void FillDeviceBox();

    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnRun();
    void OnKillFocusMultiplier();
    void OnKillFocusDivider();
    void OnKillFocusWidth();
    void OnSelChangeDevice();
    // Puts the report of the last run on the clipboard.
    void OnCopy();
    void OnDrawItem(const DRAWITEMSTRUCT& item);

    // The speed field just left keeps its text only when its number is at
    // least nMinimum, and then empties the other; when both end up empty the
    // bar moves one pixel per frame.
    void ApplySpeedRule(CString& strLeft, CString& strOther, LONG nMinimum);

private:
    // Whether Ctrl+C is the dialog's: not where an edit field has text
    // selected, whose own copy it is.
    bool IsCopyKey(const MSG& msg) const;

    // The keys held as the last run ended.
    CHeldKeySet m_keysFromRun;
    // The last run's picture and what its report says; none before a run.
    std::optional<PacingPicture> m_picture;
    std::optional<RunFacts> m_lastRun;
};

#endif
