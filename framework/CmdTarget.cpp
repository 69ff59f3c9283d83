#include "framework/CmdTarget.h"

const MessageMap CCmdTarget::s_messageMap = {nullptr, nullptr, 0};

CCmdTarget::CCmdTarget() {}

CCmdTarget::~CCmdTarget() {}

const MessageMap* CCmdTarget::GetMessageMap() const
{
    return &s_messageMap;
}

const MessageMapEntry* CCmdTarget::FindEntry(UINT uMsg, UINT nCode, UINT nId) const
{
    for (const MessageMap* pMap = GetMessageMap(); pMap != nullptr; pMap = pMap->pBaseMap)
    {
        for (size_t i = 0; i < pMap->nEntries; ++i)
        {
            const MessageMapEntry& entry = pMap->pEntries[i];
            if (entry.uMsg != uMsg)
                continue;
            if (uMsg != WM_COMMAND || (entry.nCode == nCode && entry.nId == nId))
                return &entry;
        }
    }
    return nullptr;
}

bool CCmdTarget::OnCmdMsg(UINT nCode, UINT nId)
{
    const MessageMapEntry* pEntry = FindEntry(WM_COMMAND, nCode, nId);
    if (pEntry == nullptr)
        return false;
    pEntry->pfnInvoke(*this, MAKEWPARAM(nId, nCode), 0);
    return true;
}
