#include "framework/UserException.h"

CUserException::CUserException() {}

CUserException::~CUserException() {}

void CUserException::ReportError(UINT) const {}
