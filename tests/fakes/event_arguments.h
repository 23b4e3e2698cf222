// DISPPARAMS for an event call, built the way an event source builds them: arguments stored last
// first, each VARIANT owned here and cleared when the holder goes.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "companions/ole_string.h"

namespace fakes {

class EventArguments {
  public:
    EventArguments() = default;
    EventArguments(EventArguments&&) = default;
    EventArguments& operator=(EventArguments&&) = default;
    EventArguments(const EventArguments&) = delete;
    EventArguments& operator=(const EventArguments&) = delete;
    ~EventArguments();

    // TriggerFired(id, data): rgvarg[1] the id, rgvarg[0] the data; nullopt gives a null BSTR.
    static EventArguments TriggerFired(std::optional<OleStringView> id,
                                       std::optional<OleStringView> data);

    // Each appends the next element of rgvarg (element 0 first).
    EventArguments& String(std::optional<OleStringView> text);
    EventArguments& Long(LONG value);
    EventArguments& Null();

    DISPPARAMS* params();

  private:
    std::vector<VARIANT> values_;
    DISPPARAMS params_{};
};

}  // namespace fakes
