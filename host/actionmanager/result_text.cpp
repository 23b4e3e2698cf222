#include "actionmanager/result_text.h"

namespace {

constexpr OleStringView kOpen = OLESTR("<ActionResult><Result>");
constexpr OleStringView kClose = OLESTR("</Result></ActionResult>");

}  // namespace

OleString TextResult(OleStringView value) {
    OleString text;
    text.reserve(kOpen.size() + value.size() + kClose.size());
    text += kOpen;
    for (const OLECHAR c : value) {
        switch (c) {
            case u'<':
                text += OLESTR("&lt;");
                break;
            case u'>':
                text += OLESTR("&gt;");
                break;
            case u'&':
                text += OLESTR("&amp;");
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
