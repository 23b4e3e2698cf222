// Companions that do nothing, so the benchmark measures the module and the configuration library
// alone: a trigger manager that accepts everything and a DoAction that runs nothing.
#pragma once

namespace bench {

// The reply the no-op manager gives to every Fire.
inline constexpr char16_t kFireReply[] = u"<FireResult><Matched>door</Matched></FireResult>";

}  // namespace bench
