// What the action-manager library offers the host program besides AddAction and DoAction: where
// host actions write, a look at every action that runs, and an orderly shutdown.
#pragma once

#include "platform/win32.h"

#define TB_ACTIONMANAGER_API TB_EXPORT

// Where host actions write: each line (UTF-8, no trailing newline) goes to the callback; null
// restores the default (standard output). Once this returns, the previous callback is no longer
// running on any other thread and will not be called again, so its context may be destroyed.
typedef void (*ActionManagerOutput)(const char* utf8Line, void* context);
extern "C" TB_ACTIONMANAGER_API HRESULT STDAPICALLTYPE
ActionManagerSetOutput(ActionManagerOutput output, void* context);

// Called after each DoAction completes, outside any lock, with the request, the result text and
// the result code (nested actions are reported before the action that ran them). Null stops the
// reports. Replacing it waits for running reports of the previous observer, as for the output.
typedef void (*ActionManagerObserver)(const char* utf8Request, const char* utf8Result, HRESULT code,
                                      void* context);
extern "C" TB_ACTIONMANAGER_API HRESULT STDAPICALLTYPE
ActionManagerSetObserver(ActionManagerObserver observer, void* context);

// Orderly shutdown: forgets every registration and unloads every module loaded (FreeLibrary).
// A module whose entry is running at that moment (on any thread, this one included) is unloaded
// as soon as its last running call returns, never under it.
extern "C" TB_ACTIONMANAGER_API HRESULT STDAPICALLTYPE ActionManagerShutdown();
