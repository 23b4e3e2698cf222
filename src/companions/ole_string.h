// The text of BSTRs, held outside a BSTR: strings and views of OLECHAR. OLECHAR is a UTF-16 unit
// everywhere, but its type differs (wchar_t on Windows, char16_t elsewhere), so portable code
// names these instead of std::u16string or std::wstring, and writes its literals with OLESTR.
#pragma once

#include <string>
#include <string_view>

#include "platform/win32.h"

using OleString = std::basic_string<OLECHAR>;
using OleStringView = std::basic_string_view<OLECHAR>;
