#include <gtest/gtest.h>

#include <string>

#include "counting_unknown.h"

namespace {

VARIANT Make(VARTYPE type) {
    VARIANT value;
    VariantInit(&value);
    value.vt = type;
    return value;
}
VARIANT I4(LONG number) {
    VARIANT value = Make(VT_I4);
    value.lVal = number;
    return value;
}
VARIANT R8(DOUBLE number) {
    VARIANT value = Make(VT_R8);
    value.dblVal = number;
    return value;
}
VARIANT Bool(bool set) {
    VARIANT value = Make(VT_BOOL);
    value.boolVal = set ? VARIANT_TRUE : VARIANT_FALSE;
    return value;
}
VARIANT Text(const char16_t* text) {
    VARIANT value = Make(VT_BSTR);
    value.bstrVal = SysAllocString(text);
    return value;
}

std::u16string TextOf(const VARIANT& value) {
    return std::u16string(value.bstrVal, SysStringLen(value.bstrVal));
}

struct ToText {
    const char* name;
    VARIANT source;
    USHORT flags;
    std::u16string expected;
};

void PrintTo(const ToText& c, std::ostream* os) {
    *os << c.name;
}

class ChangeToBstr : public testing::TestWithParam<ToText> {};

TEST_P(ChangeToBstr, WritesTheValueAsText) {
    const auto& c = GetParam();
    VARIANT result;
    VariantInit(&result);
    ASSERT_EQ(VariantChangeType(&result, &c.source, c.flags, VT_BSTR), S_OK);
    ASSERT_EQ(result.vt, VT_BSTR);
    EXPECT_EQ(TextOf(result), c.expected);
    VariantClear(&result);
}

TEST_P(ChangeToBstr, WorksInPlace) {
    const auto& c = GetParam();
    VARIANT value = c.source;
    ASSERT_EQ(VariantChangeType(&value, &value, c.flags, VT_BSTR), S_OK);
    EXPECT_EQ(TextOf(value), c.expected);
    VariantClear(&value);
}

VARIANT Scalar(VARTYPE type, LONGLONG bits) {
    VARIANT value = Make(type);
    value.llVal = bits;
    return value;
}

INSTANTIATE_TEST_SUITE_P(
    Values, ChangeToBstr,
    testing::Values(
        ToText{"I4", I4(42), 0, u"42"}, ToText{"NegativeI4", I4(-7), 0, u"-7"},
        ToText{"I4Minimum", I4(-2147483647 - 1), 0, u"-2147483648"},
        ToText{"TrueWithoutFlags", Bool(true), 0, u"-1"},
        ToText{"FalseWithoutFlags", Bool(false), 0, u"0"},
        ToText{"TrueAlphabetic", Bool(true), VARIANT_ALPHABOOL, u"True"},
        ToText{"FalseAlphabetic", Bool(false), VARIANT_ALPHABOOL, u"False"},
        ToText{"R8Fraction", R8(1.5), 0, u"1.5"}, ToText{"R8Tenth", R8(0.1), 0, u"0.1"},
        ToText{"R8Whole", R8(100.0), 0, u"100"}, ToText{"R8Negative", R8(-2.25), 0, u"-2.25"},
        ToText{"R8Large", R8(1e20), 0, u"1E+20"}, ToText{"Empty", Make(VT_EMPTY), 0, u""},
        ToText{"I1", Scalar(VT_I1, 0xFB), 0, u"-5"}, ToText{"UI1", Scalar(VT_UI1, 0xFF), 0, u"255"},
        ToText{"I2", Scalar(VT_I2, 0x8000), 0, u"-32768"},
        ToText{"UI4", Scalar(VT_UI4, 0xFFFFFFFF), 0, u"4294967295"},
        ToText{"I8", Scalar(VT_I8, -9000000000LL), 0, u"-9000000000"},
        ToText{"UI8", Scalar(VT_UI8, -1), 0, u"18446744073709551615"},
        ToText{"Int", Scalar(VT_INT, 0xFFFFFFFF), 0, u"-1"},
        ToText{"Uint", Scalar(VT_UINT, 0xFFFFFFFF), 0, u"4294967295"}),
    [](const testing::TestParamInfo<ToText>& param) { return std::string(param.param.name); });

TEST(ChangeToBstr, R4IsWrittenAtItsOwnPrecision) {
    VARIANT value = Make(VT_R4);
    value.fltVal = 0.1f;
    ASSERT_EQ(VariantChangeType(&value, &value, 0, VT_BSTR), S_OK);
    EXPECT_EQ(TextOf(value), u"0.1");
    VariantClear(&value);
}

TEST(ChangeToBstr, CopiesAStringWithItsEmbeddedZero) {
    VARIANT source = Make(VT_BSTR);
    source.bstrVal = SysAllocStringLen(u"a\0b", 3);
    VARIANT result;
    VariantInit(&result);
    ASSERT_EQ(VariantChangeType(&result, &source, 0, VT_BSTR), S_OK);
    EXPECT_NE(result.bstrVal, source.bstrVal);
    EXPECT_EQ(SysStringLen(result.bstrVal), 3u);
    VariantClear(&result);
    VariantClear(&source);
}

TEST(ChangeType, RefusedConversionsLeaveTheDestinationAlone) {
    CountingUnknown object;
    VARIANT unknown = Make(VT_UNKNOWN);
    unknown.punkVal = &object;
    const struct {
        VARIANT source;
        VARTYPE target;
        HRESULT expected;
    } cases[] = {
        {Make(VT_NULL), VT_BSTR, DISP_E_TYPEMISMATCH},
        {unknown, VT_BSTR, DISP_E_TYPEMISMATCH},
        {Make(VT_CY), VT_BSTR, DISP_E_TYPEMISMATCH},
        {Make(VT_NULL), VT_I4, DISP_E_TYPEMISMATCH},
        {I4(1), VT_DATE, DISP_E_TYPEMISMATCH},
        {Make(0x7F), VT_BSTR, DISP_E_BADVARTYPE},
        {I4(1), 0x7F, DISP_E_BADVARTYPE},
    };
    for (const auto& c : cases) {
        VARIANT destination = I4(99);
        EXPECT_EQ(VariantChangeType(&destination, &c.source, 0, c.target), c.expected)
            << "from " << c.source.vt << " to " << c.target;
        EXPECT_EQ(destination.vt, VT_I4);
        EXPECT_EQ(destination.lVal, 99);
    }
    EXPECT_EQ(object.references, 1u);
}

TEST(ChangeType, InPlaceFailureKeepsTheSource) {
    VARIANT value = Text(u"not a number");
    EXPECT_EQ(VariantChangeType(&value, &value, 0, VT_I4), DISP_E_TYPEMISMATCH);
    ASSERT_EQ(value.vt, VT_BSTR);
    EXPECT_EQ(TextOf(value), u"not a number");
    VariantClear(&value);
}

struct ToNumber {
    const char* name;
    VARIANT source;  // when no text is given
    const char16_t* text;
    VARTYPE target;
    HRESULT result;
    LONG value;  // lVal for VT_I4, boolVal for VT_BOOL
};

void PrintTo(const ToNumber& c, std::ostream* os) {
    *os << c.name;
}

class ChangeToNumber : public testing::TestWithParam<ToNumber> {};

TEST_P(ChangeToNumber, ReadsTheValue) {
    const auto& c = GetParam();
    VARIANT source = c.text != nullptr ? Text(c.text) : c.source;
    VARIANT result;
    VariantInit(&result);
    ASSERT_EQ(VariantChangeType(&result, &source, 0, c.target), c.result);
    if (SUCCEEDED(c.result)) {
        ASSERT_EQ(result.vt, c.target);
        EXPECT_EQ(c.target == VT_I4 ? result.lVal : LONG{result.boolVal}, c.value);
    } else {
        EXPECT_EQ(result.vt, VT_EMPTY);
    }
    VariantClear(&source);
}

ToNumber FromText(const char* name, const char16_t* text, VARTYPE target, HRESULT result,
                  LONG value) {
    return {name, Make(VT_EMPTY), text, target, result, value};
}
ToNumber FromValue(const char* name, VARIANT source, VARTYPE target, HRESULT result, LONG value) {
    return {name, source, nullptr, target, result, value};
}

INSTANTIATE_TEST_SUITE_P(
    Values, ChangeToNumber,
    testing::Values(FromText("TextToI4", u"42", VT_I4, S_OK, 42),
                    FromText("SignedTextWithBlanks", u" -3 ", VT_I4, S_OK, -3),
                    FromText("HalfRoundsToEvenDown", u"2.5", VT_I4, S_OK, 2),
                    FromText("HalfRoundsToEvenUp", u"3.5", VT_I4, S_OK, 4),
                    FromText("WordIsNoNumber", u"abc", VT_I4, DISP_E_TYPEMISMATCH, 0),
                    FromText("EmptyTextIsNoNumber", u"", VT_I4, DISP_E_TYPEMISMATCH, 0),
                    FromText("TextBeyondI4", u"99999999999", VT_I4, DISP_E_OVERFLOW, 0),
                    FromValue("R8BeyondI4AfterRounding", R8(2147483647.5), VT_I4, DISP_E_OVERFLOW,
                              0),
                    FromValue("R8Rounded", R8(-1.5), VT_I4, S_OK, -2),
                    FromValue("TrueToI4", Bool(true), VT_I4, S_OK, -1),
                    FromValue("EmptyToI4", Make(VT_EMPTY), VT_I4, S_OK, 0),
                    FromValue("UI4BeyondI4", Scalar(VT_UI4, 0x80000000), VT_I4, DISP_E_OVERFLOW, 0),
                    FromText("TrueWord", u"True", VT_BOOL, S_OK, -1),
                    FromText("FalseWordAnyCase", u"fALSE", VT_BOOL, S_OK, 0),
                    FromText("NonZeroText", u"2", VT_BOOL, S_OK, -1),
                    FromText("ZeroText", u"0", VT_BOOL, S_OK, 0),
                    FromText("OtherWord", u"maybe", VT_BOOL, DISP_E_TYPEMISMATCH, 0),
                    FromValue("ZeroI4", I4(0), VT_BOOL, S_OK, 0),
                    FromValue("FractionIsTrue", R8(0.5), VT_BOOL, S_OK, -1)),
    [](const testing::TestParamInfo<ToNumber>& param) { return std::string(param.param.name); });

TEST(VariantLifetime, ClearReleasesInterfacesAndFreesStrings) {
    CountingUnknown object;
    object.AddRef();
    VARIANT value = Make(VT_UNKNOWN);
    value.punkVal = &object;
    ASSERT_EQ(VariantClear(&value), S_OK);
    EXPECT_EQ(object.references, 1u);
    EXPECT_EQ(value.vt, VT_EMPTY);

    VARIANT text = Text(u"freed");  // the leak checker sees it if it is not
    ASSERT_EQ(VariantClear(&text), S_OK);
    EXPECT_EQ(text.vt, VT_EMPTY);
}

TEST(VariantLifetime, CopyTakesItsOwnReferenceAndString) {
    CountingUnknown object;
    VARIANT source = Make(VT_UNKNOWN);
    source.punkVal = &object;
    VARIANT copy = Text(u"replaced");
    ASSERT_EQ(VariantCopy(&copy, &source), S_OK);
    EXPECT_EQ(object.references, 2u);
    VariantClear(&copy);
    EXPECT_EQ(object.references, 1u);

    VARIANT text = Text(u"abc");
    ASSERT_EQ(VariantCopy(&copy, &text), S_OK);
    EXPECT_NE(copy.bstrVal, text.bstrVal);
    EXPECT_EQ(TextOf(copy), u"abc");
    VariantClear(&copy);
    VariantClear(&text);
}

TEST(VariantLifetime, CopyOntoItselfChangesNothing) {
    VARIANT text = Text(u"same");
    const BSTR before = text.bstrVal;
    ASSERT_EQ(VariantCopy(&text, &text), S_OK);
    EXPECT_EQ(text.bstrVal, before);
    VariantClear(&text);
}

TEST(VariantLifetime, ClearRefusesATypeItCannotFree) {
    VARIANT array = Make(VT_ARRAY | VT_I4);
    EXPECT_EQ(VariantClear(&array), DISP_E_BADVARTYPE);
    EXPECT_EQ(array.vt, VT_ARRAY | VT_I4);
}

}  // namespace
