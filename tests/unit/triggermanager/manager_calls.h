// Calls on a trigger manager in UTF-8 terms, each giving the result code beside its out value,
// and the thread's error description.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "companions/com_ptr.h"
#include "companions/trigger_manager.h"

struct Flag {
    HRESULT code;
    LONG value;
};

struct FireReply {
    HRESULT code;
    std::string text;
    bool isNull;
};

Flag AddTrigger(ITriggerManager* manager, const std::string& id, const std::string& condition);
Flag RemoveTrigger(ITriggerManager* manager, const std::string& idOrPattern);
Flag DeleteDatabase(ITriggerManager* manager);
FireReply Fire(ITriggerManager* manager, const std::string& data);
// The ids of a reply's Trigger elements, in order (the reply is trusted to be well-formed).
std::vector<std::string> ReplyIds(const std::string& reply);

ComPtr<IConnectionPoint> EventPoint(ITriggerManager* manager);
// The cookie, or 0 with `code` (when given) set to the failure.
DWORD Advise(ITriggerManager* manager, IUnknown* sink, HRESULT* code = nullptr);
HRESULT Unadvise(ITriggerManager* manager, DWORD cookie);

// The description in the thread's error information (which it clears), in UTF-8.
std::string TakeErrorDescription();

// A fresh directory for database files, removed with everything in it at the end.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::string File(const std::string& name) const { return (path_ / name).string(); }
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};
