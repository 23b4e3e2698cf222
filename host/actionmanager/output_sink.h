// Where host actions write: the host's callback, or standard output when it has set none.
#pragma once

#include <string>
#include <string_view>

#include "actionmanager/actionmanager_host.h"
#include "companions/callback_slot.h"
#include "companions/ole_string.h"

// The text as one line of UTF-8: leading and trailing line breaks are dropped and each run of line
// breaks inside becomes one space, so a line-oriented log keeps one line per action.
std::string OneLine(OleStringView text);

class OutputSink {
  public:
    void Set(ActionManagerOutput output, void* context) { callback_.Set(output, context); }
    void WriteLine(OleStringView text);

  private:
    CallbackSlot<ActionManagerOutput> callback_;
};
