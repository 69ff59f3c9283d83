// A pen, brush or font of its own, selected into a device context for the
// object's life: on destruction the one before is selected again and this
// one deleted.
#ifndef FRAMEWORK_SELECTEDOBJECT_H
#define FRAMEWORK_SELECTEDOBJECT_H

#include <windows.h>

class CSelectedObject
{
public:
    CSelectedObject(HDC hDC, HGDIOBJ hObject);
    ~CSelectedObject();
    CSelectedObject(const CSelectedObject&) = delete;
    CSelectedObject& operator=(const CSelectedObject&) = delete;

private:
    HDC m_hDC;
    HGDIOBJ m_hObject;
    HGDIOBJ m_hOld;
};

#endif
