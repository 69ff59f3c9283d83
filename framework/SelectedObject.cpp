#include "framework/SelectedObject.h"

CSelectedObject::CSelectedObject(HDC hDC, HGDIOBJ hObject)
    : m_hDC(hDC), m_hObject(hObject), m_hOld(hObject != nullptr ? SelectObject(hDC, hObject) : nullptr)
{
}

CSelectedObject::~CSelectedObject()
{
    if (m_hOld != nullptr)
        SelectObject(m_hDC, m_hOld);
    if (m_hObject != nullptr)
        DeleteObject(m_hObject);
}
