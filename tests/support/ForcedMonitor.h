// Makes the monitor services answer for one made-up monitor with a given
// rectangle, for as long as the object lives; the earlier table comes back
// afterwards. Monitors left of or above the primary have negative coordinates.
#ifndef QUILLABY_TESTS_FORCEDMONITOR_H
#define QUILLABY_TESTS_FORCEDMONITOR_H

#include <windows.h>

#include "display/MonitorServices.h"

class ForcedMonitor
{
public:
    explicit ForcedMonitor(const RECT& rcMonitor);
    ~ForcedMonitor();
    ForcedMonitor(const ForcedMonitor&) = delete;
    ForcedMonitor& operator=(const ForcedMonitor&) = delete;

    // The handle to give a CDisplayDevice.
    HMONITOR Handle() const;
    // A new mode: the same monitor answers with another rectangle.
    void MoveTo(const RECT& rcMonitor);

private:
    MonitorFunctionTable m_saved;
};

#endif
