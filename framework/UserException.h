// Raised after the user has already been told what went wrong, so nobody
// reports it again.
#ifndef FRAMEWORK_USEREXCEPTION_H
#define FRAMEWORK_USEREXCEPTION_H

#include "framework/Exception.h"

class CUserException : public CException
{
public:
    CUserException();
    ~CUserException() override;

    void ReportError(UINT nType) const override;
};

#endif
