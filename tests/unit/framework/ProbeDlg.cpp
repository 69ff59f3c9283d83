#include "ProbeDlg.h"

#include "framework/Exception.h"
#include "res/resource.h"

typedef MessageMapFor<CProbeDlg> ProbeMap;

const MessageMapEntry CProbeDlg::s_messageEntries[] = {
    ProbeMap::Command<BN_CLICKED, IDC_RUN, &CProbeDlg::OnRunClicked>(),
    ProbeMap::Command<EN_KILLFOCUS, IDC_MULTIPLIER, &CProbeDlg::OnKillFocusMultiplier>(),
    ProbeMap::Command<EN_KILLFOCUS, IDC_DIVIDER, &CProbeDlg::OnKillFocusDivider>(),
    ProbeMap::Command<BN_CLICKED, IDC_WIDTH, &CProbeDlg::OnThrowingCommand>(),
    ProbeMap::Message<WM_QUERYDRAGICON, &CProbeDlg::OnQueryDragIcon>(),
};
const MessageMap CProbeDlg::s_messageMap = {&CDialog::s_messageMap, s_messageEntries, std::size(s_messageEntries)};

const MessageMap* CProbeDlg::GetMessageMap() const
{
    return &s_messageMap;
}

CProbeDlg::CProbeDlg() : CDialog(IDD_SWEEP_DIALOG) {}

void CProbeDlg::DoDataExchange(CDataExchange* pDX)
{
    if (m_exchange)
        m_exchange(pDX);
}

BOOL CProbeDlg::OnInitDialog()
{
    const BOOL bResult = CDialog::OnInitDialog();
    if (m_afterInit)
        m_afterInit();
    return bResult;
}

void CProbeDlg::OnRunClicked()
{
    m_calls.push_back(L"run");
}

void CProbeDlg::OnKillFocusMultiplier()
{
    m_calls.push_back(L"kill multiplier");
}

void CProbeDlg::OnKillFocusDivider()
{
    m_calls.push_back(L"kill divider");
}

void CProbeDlg::OnThrowingCommand()
{
    m_calls.push_back(L"throw");
    throw new CException(CString(L"The handler failed."));
}

HCURSOR CProbeDlg::OnQueryDragIcon()
{
    m_calls.push_back(L"drag icon");
    return LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
}

const MessageMapEntry CDerivedProbeDlg::s_messageEntries[] = {
    MessageMapFor<CDerivedProbeDlg>::Command<EN_KILLFOCUS, IDC_MULTIPLIER,
                                             &CDerivedProbeDlg::OnDerivedKillFocusMultiplier>(),
};
const MessageMap CDerivedProbeDlg::s_messageMap = {&CProbeDlg::s_messageMap, s_messageEntries,
                                                   std::size(s_messageEntries)};

const MessageMap* CDerivedProbeDlg::GetMessageMap() const
{
    return &s_messageMap;
}

void CDerivedProbeDlg::OnDerivedKillFocusMultiplier()
{
    m_calls.push_back(L"derived kill multiplier");
}
