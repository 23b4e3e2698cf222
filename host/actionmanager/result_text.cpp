#include "actionmanager/result_text.h"

namespace {

constexpr std::u16string_view kOpen = u"<ActionResult><Result>";
constexpr std::u16string_view kClose = u"</Result></ActionResult>";

}  // namespace

std::u16string TextResult(std::u16string_view value) {
    std::u16string text;
    text.reserve(kOpen.size() + value.size() + kClose.size());
    text += kOpen;
    for (const char16_t c : value) {
        switch (c) {
            case u'<':
                text += u"&lt;";
                break;
            case u'>':
                text += u"&gt;";
                break;
            case u'&':
                text += u"&amp;";
                break;
            default:
                text += c;
        }
    }
    text += kClose;
    return text;
}

Bstr FlagResult(bool flag) {
    return Bstr::Copy(flag ? kTrueResult : kFalseResult);
}
