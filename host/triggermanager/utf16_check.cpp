#include "triggermanager/utf16_check.h"

namespace {

bool IsHighSurrogate(OLECHAR unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLowSurrogate(OLECHAR unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

bool IsXmlUnit(OLECHAR unit) {
    if (unit < 0x20) {
        return unit == u'\t' || unit == u'\n' || unit == u'\r';
    }
    return unit != 0xFFFE && unit != 0xFFFF;
}

}  // namespace

bool IsWellFormedUtf16(OleStringView text) noexcept {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (IsHighSurrogate(text[i])) {
            if (i + 1 == text.size() || !IsLowSurrogate(text[i + 1])) {
                return false;
            }
            ++i;
        } else if (IsLowSurrogate(text[i])) {
            return false;
        }
    }
    return true;
}

bool IsXmlText(OleStringView text) noexcept {
    if (!IsWellFormedUtf16(text)) {
        return false;
    }
    for (OLECHAR unit : text) {
        if (!IsXmlUnit(unit)) {
            return false;
        }
    }
    return true;
}
