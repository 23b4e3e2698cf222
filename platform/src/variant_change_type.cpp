// VariantChangeType for the targets this system reads values as: text, 32-bit integers and
// booleans. Text is produced the way OLE automation writes it under the US English locale.
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include "platform/win32.h"
#include "variant_types.h"

namespace {

// A numeric source value, widened without loss.
struct Number {
    enum class Kind { Signed, Unsigned, Real } kind;
    LONGLONG whole = 0;
    ULONGLONG natural = 0;
    DOUBLE real = 0;
};

Number Signed(LONGLONG value) {
    return {Number::Kind::Signed, value, 0, 0};
}
Number Unsigned(ULONGLONG value) {
    return {Number::Kind::Unsigned, 0, value, 0};
}
Number Real(DOUBLE value) {
    return {Number::Kind::Real, 0, 0, value};
}

std::optional<Number> NumberOf(const VARIANTARG& value) {
    switch (value.vt) {
        case VT_I1:
            return Signed(static_cast<signed char>(value.cVal));
        case VT_UI1:
            return Unsigned(value.bVal);
        case VT_I2:
            return Signed(value.iVal);
        case VT_UI2:
            return Unsigned(value.uiVal);
        case VT_I4:
            return Signed(value.lVal);
        case VT_UI4:
            return Unsigned(value.ulVal);
        case VT_I8:
            return Signed(value.llVal);
        case VT_UI8:
            return Unsigned(value.ullVal);
        case VT_INT:
            return Signed(value.intVal);
        case VT_UINT:
            return Unsigned(value.uintVal);
        case VT_BOOL:
            return Signed(value.boolVal);
        case VT_R4:
            return Real(static_cast<DOUBLE>(value.fltVal));
        case VT_R8:
            return Real(value.dblVal);
        default:
            return std::nullopt;
    }
}

BSTR AsciiToBstr(std::string_view text) {
    BSTR result = SysAllocStringLen(nullptr, static_cast<UINT>(text.size()));
    if (result != nullptr) {
        for (std::size_t i = 0; i < text.size(); ++i) {
            result[i] = static_cast<OLECHAR>(static_cast<unsigned char>(text[i]));
        }
    }
    return result;
}

template <class T>
std::string Decimal(T value) {
    std::array<char, 32> buffer{};
    const auto end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value).ptr;
    return std::string(buffer.data(), end);
}

// A real number as OLE automation writes it: `digits` significant digits (15 for a double, 7 for
// a float), trailing zeros dropped, an exponent from 1E+15 or below 1E-04 up (100000 is
// "100000", 0.1 + 0.2 is "0.3", 1e21 is "1E+21"), and no negative zero.
std::string RealText(DOUBLE value, int digits) {
    if (value == 0) {
        return "0";
    }
    std::array<char, 48> buffer{};
    const auto end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                   std::chars_format::general, digits)
                         .ptr;
    std::string text(buffer.data(), end);
    for (char& c : text) {
        if (c == 'e') {
            c = 'E';
        }
    }
    return text;
}

std::string NumberText(const VARIANTARG& value, const Number& number) {
    if (value.vt == VT_R4) {
        return RealText(static_cast<DOUBLE>(value.fltVal), 7);
    }
    switch (number.kind) {
        case Number::Kind::Signed:
            return Decimal(number.whole);
        case Number::Kind::Unsigned:
            return Decimal(number.natural);
        case Number::Kind::Real:
            return RealText(number.real, 15);
    }
    return {};
}

HRESULT ToBstr(const VARIANTARG& source, USHORT flags, VARIANTARG& result) {
    BSTR text = nullptr;
    if (source.vt == VT_EMPTY) {
        text = SysAllocStringLen(nullptr, 0);
    } else if (source.vt == VT_BOOL) {
        const bool set = source.boolVal != VARIANT_FALSE;
        if ((flags & VARIANT_ALPHABOOL) != 0) {
            text = AsciiToBstr(set ? "True" : "False");
        } else {
            text = AsciiToBstr(set ? "-1" : "0");
        }
    } else if (const auto number = NumberOf(source)) {
        try {
            text = AsciiToBstr(NumberText(source, *number));
        } catch (...) {
            return E_OUTOFMEMORY;
        }
    } else {
        return DISP_E_TYPEMISMATCH;
    }
    if (text == nullptr) {
        return E_OUTOFMEMORY;
    }
    result.vt = VT_BSTR;
    result.bstrVal = text;
    return S_OK;
}

// The text of a string value as ASCII with surrounding blanks removed; null for text that
// holds anything else, which no number or truth value can be spelled with.
std::optional<std::string> TrimmedAscii(BSTR text) {
    std::string narrow;
    const UINT length = SysStringLen(text);
    for (UINT i = 0; i < length; ++i) {
        if (text[i] >= 0x80 || text[i] == 0) {
            return std::nullopt;
        }
        narrow.push_back(static_cast<char>(text[i]));
    }
    const auto first = narrow.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return std::string();
    }
    const auto last = narrow.find_last_not_of(" \t");
    return narrow.substr(first, last - first + 1);
}

// Reads a decimal integer or a real number spelled in full; anything else is no number.
std::optional<Number> ParseNumber(std::string_view text) {
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
            return std::nullopt;
        }
    }
    if (text.empty()) {
        return std::nullopt;
    }
    const char* end = text.data() + text.size();
    LONGLONG whole = 0;
    const auto integer = std::from_chars(text.data(), end, whole);
    if (integer.ec == std::errc() && integer.ptr == end) {
        return Signed(whole);
    }
    DOUBLE real = 0;
    const auto floating = std::from_chars(text.data(), end, real);
    if (floating.ec == std::errc::result_out_of_range && floating.ptr == end) {
        return Real(std::numeric_limits<DOUBLE>::infinity());
    }
    if (floating.ec != std::errc() || floating.ptr != end || std::isnan(real)) {
        return std::nullopt;
    }
    return Real(real);
}

HRESULT NumberFromText(BSTR text, Number& number) {
    const auto trimmed = TrimmedAscii(text);
    if (!trimmed) {
        return DISP_E_TYPEMISMATCH;
    }
    const auto parsed = ParseNumber(*trimmed);
    if (!parsed) {
        return DISP_E_TYPEMISMATCH;
    }
    number = *parsed;
    return S_OK;
}

// Rounds half to even, as automation does, and refuses what a LONG cannot hold.
HRESULT ToLong(const Number& number, LONG& value) {
    constexpr auto kMin = std::numeric_limits<LONG>::min();
    constexpr auto kMax = std::numeric_limits<LONG>::max();
    switch (number.kind) {
        case Number::Kind::Signed:
            if (number.whole < kMin || number.whole > kMax) {
                return DISP_E_OVERFLOW;
            }
            value = static_cast<LONG>(number.whole);
            return S_OK;
        case Number::Kind::Unsigned:
            if (number.natural > static_cast<ULONGLONG>(kMax)) {
                return DISP_E_OVERFLOW;
            }
            value = static_cast<LONG>(number.natural);
            return S_OK;
        case Number::Kind::Real: {
            const DOUBLE rounded = std::nearbyint(number.real);
            if (!(rounded >= static_cast<DOUBLE>(kMin) && rounded <= static_cast<DOUBLE>(kMax))) {
                return DISP_E_OVERFLOW;
            }
            value = static_cast<LONG>(rounded);
            return S_OK;
        }
    }
    return DISP_E_TYPEMISMATCH;
}

bool IsNonZero(const Number& number) {
    switch (number.kind) {
        case Number::Kind::Signed:
            return number.whole != 0;
        case Number::Kind::Unsigned:
            return number.natural != 0;
        case Number::Kind::Real:
            return number.real != 0;
    }
    return false;
}

HRESULT ToI4(const VARIANTARG& source, VARIANTARG& result) {
    Number number = Signed(0);
    if (source.vt == VT_BSTR) {
        const HRESULT parsed = NumberFromText(source.bstrVal, number);
        if (FAILED(parsed)) {
            return parsed;
        }
    } else if (source.vt != VT_EMPTY) {
        const auto read = NumberOf(source);
        if (!read) {
            return DISP_E_TYPEMISMATCH;
        }
        number = *read;
    }
    LONG value = 0;
    const HRESULT converted = ToLong(number, value);
    if (FAILED(converted)) {
        return converted;
    }
    result.vt = VT_I4;
    result.lVal = value;
    return S_OK;
}

bool EqualsIgnoringAsciiCase(std::string_view text, std::string_view word) {
    if (text.size() != word.size()) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c =
            text[i] >= 'A' && text[i] <= 'Z' ? static_cast<char>(text[i] - 'A' + 'a') : text[i];
        if (c != word[i]) {
            return false;
        }
    }
    return true;
}

HRESULT ToBool(const VARIANTARG& source, VARIANTARG& result) {
    bool set = false;
    if (source.vt == VT_BSTR) {
        const auto trimmed = TrimmedAscii(source.bstrVal);
        if (!trimmed) {
            return DISP_E_TYPEMISMATCH;
        }
        if (EqualsIgnoringAsciiCase(*trimmed, "true")) {
            set = true;
        } else if (EqualsIgnoringAsciiCase(*trimmed, "false")) {
            set = false;
        } else if (const auto number = ParseNumber(*trimmed)) {
            set = IsNonZero(*number);
        } else {
            return DISP_E_TYPEMISMATCH;
        }
    } else if (source.vt != VT_EMPTY) {
        const auto number = NumberOf(source);
        if (!number) {
            return DISP_E_TYPEMISMATCH;
        }
        set = IsNonZero(*number);
    }
    result.vt = VT_BOOL;
    result.boolVal = set ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

}  // namespace

extern "C" {

HRESULT VariantChangeType(VARIANTARG* destination, const VARIANTARG* source, USHORT flags,
                          VARTYPE type) {
    if (destination == nullptr || source == nullptr) {
        return E_INVALIDARG;
    }
    if (!platform_detail::IsValidVariantType(source->vt) ||
        !platform_detail::IsValidVariantType(type) || (type & VT_BYREF) != 0) {
        return DISP_E_BADVARTYPE;
    }
    if (source->vt == type) {
        return VariantCopy(destination, source);
    }
    VARIANTARG result;
    VariantInit(&result);
    HRESULT converted = DISP_E_TYPEMISMATCH;
    switch (type) {
        case VT_BSTR:
            converted = ToBstr(*source, flags, result);
            break;
        case VT_I4:
            converted = ToI4(*source, result);
            break;
        case VT_BOOL:
            converted = ToBool(*source, result);
            break;
        default:
            break;
    }
    if (FAILED(converted)) {
        return converted;
    }
    // Only now is the destination given up; in place, that frees the source the result was
    // made from, which is why the result is built apart first.
    const HRESULT cleared = VariantClear(destination);
    if (FAILED(cleared)) {
        VariantClear(&result);
        return cleared;
    }
    *destination = result;
    return S_OK;
}

}  // extern "C"
