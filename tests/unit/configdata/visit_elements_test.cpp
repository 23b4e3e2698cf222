// ConfigDataVisitElements: what the walk of a document tells the trigger index.
#include <list>
#include <string>

#include "dom_support.h"

namespace configdata_test {
namespace {

// Takes every element except those named "skip", wants the string value of those named "v", and
// writes down what it hears: "<name" on entering, "@name=value", "=value" for a string value.
class Recorder final : public IConfigDataElementVisitor {
  public:
    void* STDMETHODCALLTYPE EnterElement(void* parent, const char* name,
                                         std::size_t length) override {
        const std::string text(name, length);
        log += parent == nullptr ? "<" : " <";
        log += text;
        if (text == "skip") {
            return nullptr;
        }
        names_.push_back(text);
        return &names_.back();
    }
    void STDMETHODCALLTYPE Attribute(void*, const char* name, std::size_t nameLength,
                                     const char* value, std::size_t valueLength) override {
        log += " @";
        log.append(name, nameLength).append("=").append(value, valueLength);
    }
    BOOL STDMETHODCALLTYPE WantsStringValue(void* element) override {
        return *static_cast<std::string*>(element) == "v" ? TRUE : FALSE;
    }
    void STDMETHODCALLTYPE StringValue(void*, const char* value, std::size_t length) override {
        log += " =";
        log.append(value != nullptr ? std::string_view(value, length) : "?");
    }

    std::string log;

  private:
    std::list<std::string> names_;  // stable handles
};

struct WalkCase {
    const char* name;
    const char* xml;
    const char* heard;
};

class VisitElements : public testing::TestWithParam<WalkCase> {};

TEST_P(VisitElements, TellsWhatPlainChildStepsSee) {
    ComPtr<IConfigDocument> document = NewConfigDocument();
    LONG loaded = 0;
    ASSERT_EQ(document->LoadXml(B(GetParam().xml).get(), &loaded), S_OK);
    ASSERT_EQ(loaded, 1);
    Recorder recorder;
    EXPECT_EQ(ConfigDataVisitElements(document.get(), &recorder), S_OK);
    EXPECT_EQ(recorder.log, GetParam().heard);
}

INSTANTIATE_TEST_SUITE_P(
    Table, VisitElements,
    testing::Values(
        WalkCase{"DocumentOrder", "<a x='1'><b y='2'/><c/></a>", "<a @x=1 <b @y=2 <c"},
        WalkCase{"ReferencesRead", "<a x='&amp;&#x41;&lt;'/>", "<a @x=&A<"},
        WalkCase{"NamespacedPassedOver",
                 "<a xmlns:p='urn:p' p:x='1' y='2'><p:b><c/></p:b><d xmlns='urn:d'/><e/></a>",
                 "<a @y=2 <e"},
        WalkCase{"DeclinedPassedOver", "<a><skip><b/></skip><c/></a>", "<a <skip <c"},
        WalkCase{"StringValueOfAllTextInside",
                 "<v>a<!--c--><?p i?><![CDATA[<b>]]><x xmlns='urn:x'>c<v>d</v></x>e</v>",
                 "<v =a<b>cde"},
        WalkCase{"NestedStringValues", "<a><v>1<v>2</v><skip>3</skip></v><v/></a>",
                 "<a <v <v =2 <skip =123 <v ="}));

TEST(VisitElements, RefusesMissingArgumentsAndHearsNothingOfAnEmptyDocument) {
    Recorder recorder;
    EXPECT_EQ(ConfigDataVisitElements(nullptr, &recorder), E_POINTER);
    EXPECT_EQ(ConfigDataVisitElements(NewConfigDocument().get(), nullptr), E_POINTER);
    EXPECT_EQ(ConfigDataVisitElements(NewConfigDocument().get(), &recorder), S_OK);
    EXPECT_EQ(recorder.log, "");
}

}  // namespace
}  // namespace configdata_test
