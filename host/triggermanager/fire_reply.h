// The texts Fire answers with (their forms are listed in triggermanager_host.h).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/win32.h"

// The matched ids, and those whose conditions ran out of work (none, usually).
std::string MatchedReply(const std::vector<std::string>& ids,
                         const std::vector<std::string>& outOfWork = {});
std::string SuspendedReply();
std::string RefusedReply(int depth);
std::string OverBudgetReply(LONG budget);

// Appends text as the value of a double-quoted attribute.
void AppendAttributeValue(std::string& out, std::string_view text);
