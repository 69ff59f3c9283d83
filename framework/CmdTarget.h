// Anything that has a message map: windows and the application.
#ifndef FRAMEWORK_CMDTARGET_H
#define FRAMEWORK_CMDTARGET_H

#include <windows.h>

#include "framework/MessageMap.h"

class CCmdTarget
{
public:
    CCmdTarget();
    virtual ~CCmdTarget();
    CCmdTarget(const CCmdTarget&) = delete;
    CCmdTarget& operator=(const CCmdTarget&) = delete;

    // Runs the handler of command nId with notification nCode; false when no
    // map entry matches.
    virtual bool OnCmdMsg(UINT nCode, UINT nId);

protected:
    virtual const MessageMap* GetMessageMap() const;
    // Searches this object's map, then its bases' maps, in that order.
    const MessageMapEntry* FindEntry(UINT uMsg, UINT nCode, UINT nId) const;

    static const MessageMap s_messageMap;
};

#endif
