// Failures the managers report, handed to the host's observer as well as left in the thread's
// error information: a caller in between (the plug-in) may read and discard that information, and
// the host would otherwise never learn why a request it sent was refused.
#pragma once

#include <string_view>

#include "companions/ole_string.h"
#include "triggermanager/triggermanager_host.h"

void SetFailureObserver(TriggerManagerFailureObserver observer, void* context);

// Tells the observer, if one is set, on this thread and outside every lock of the manager.
void ReportFailureToHost(HRESULT code, OleStringView description) noexcept;
