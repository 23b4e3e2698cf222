// The trigger index on its own: which facts it reads from conditions, and which triggers it names
// as candidates for a fired document.
#include <gtest/gtest.h>

#include <list>
#include <string>
#include <vector>

#include "companions/utf.h"
#include "triggermanager/condition.h"
#include "triggermanager/condition_shape.h"
#include "triggermanager/fact_index.h"

namespace {

// "E /a/b" for existence, "A /a/b @id=v" for an attribute, "T /a/b=v" for a string value;
// "-" when the shape is not read.
std::string Described(std::string_view condition) {
    const std::optional<ConditionFacts> facts = NecessaryFacts(condition);
    if (!facts) {
        return "-";
    }
    const auto path = [&](std::string& text, std::size_t depth, std::string_view child) {
        for (std::size_t step = 0; step < depth; ++step) {
            text.append("/").append(facts->steps[step]);
        }
        if (!child.empty()) {
            text.append("/").append(child);
        }
    };
    std::string text = "E ";
    path(text, facts->steps.size(), {});
    for (const ConditionFact& fact : facts->values) {
        text.append(fact.kind == FactKind::Text ? "; T " : "; A ");
        path(text, fact.depth, fact.child);
        if (fact.kind == FactKind::Attribute) {
            text.append(" @").append(fact.name);
        }
        text.append("=").append(fact.value);
    }
    return text;
}

struct ShapeCase {
    const char* condition;
    const char* facts;
};

class ConditionShapes : public testing::TestWithParam<ShapeCase> {};

TEST_P(ConditionShapes, GiveTheFactsEveryMatchNeeds) {
    EXPECT_EQ(Described(GetParam().condition), GetParam().facts) << GetParam().condition;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ConditionShapes,
    testing::Values(ShapeCase{"/TriggerData/door", "E /TriggerData/door"},
                    ShapeCase{"/TriggerData/door[@id='front']",
                              "E /TriggerData/door; A /TriggerData/door @id=front"},
                    ShapeCase{" / TriggerData /door [ @ id = \"fr'nt\" ]\n",
                              "E /TriggerData/door; A /TriggerData/door @id=fr'nt"},
                    ShapeCase{"/a[@id='x' and @s='y']", "E /a; A /a @id=x; A /a @s=y"},
                    ShapeCase{"/a['x'=@id][.='t']and", "-"},
                    ShapeCase{"/a['x'=@id][.='t']", "E /a; A /a @id=x; T /a=t"},
                    ShapeCase{"/a[job='b']/s[.='f']", "E /a/s; T /a/job=b; T /a/s=f"},
                    ShapeCase{"/a[@id='x'and@s='y']", "E /a; A /a @id=x; A /a @s=y"},
                    ShapeCase{"/a[@id='&amp;']", "E /a; A /a @id=&amp;"},
                    // conjuncts of other shapes narrow further; an 'or' at the top of a predicate,
                    // even one a number runs into, leaves that predicate out
                    ShapeCase{"/a[@id='x' and @n > 3]", "E /a; A /a @id=x"},
                    ShapeCase{"/a[@id='x' or @s='y']", "E /a"},
                    ShapeCase{"/a[@id='x' and (@s='y' or @t)]", "E /a; A /a @id=x"},
                    ShapeCase{"/a[@id='x' and @n=1or @s='y']", "E /a"},
                    ShapeCase{"/a[@id='x' and door=1]", "E /a; A /a @id=x"},
                    ShapeCase{"/a[@n=5][@id!='x'][not(@id='x')][1][@p:id='x'][text()='x']", "E /a"},
                    ShapeCase{"/a[and='x']", "E /a"}, ShapeCase{"/a[.5='x']", "E /a"},
                    // not read at all
                    ShapeCase{"", "-"}, ShapeCase{"/", "-"}, ShapeCase{"a[@id='x']", "-"},
                    ShapeCase{"//a[@id='x']", "-"}, ShapeCase{"/a//b", "-"}, ShapeCase{"/*/b", "-"},
                    ShapeCase{"/p:a", "-"}, ShapeCase{"/a/@id", "-"}, ShapeCase{"/a/text()", "-"},
                    ShapeCase{"/a | /b", "-"}, ShapeCase{"/a = 'x'", "-"},
                    ShapeCase{"not(/a)", "-"}, ShapeCase{"/a/..", "-"},
                    ShapeCase{"/a/child::b", "-"}, ShapeCase{"/and", "-"},
                    ShapeCase{"/a[@id='x'", "-"}, ShapeCase{"/a[@id='x]", "-"},
                    ShapeCase{"/1a", "-"}));

// Triggers filed in this order (the second finds @id='front' taken and files under @state).
struct Filed {
    const char* id;
    const char* condition;
};
const std::vector<Filed> kFiled = {
    {"attr", "/TriggerData/door[@id='front']"},
    {"both", "/TriggerData/door[@id='front' and @state='open']"},
    {"child", "/TriggerData/job[name='backup']"},
    {"empty", ""},
    {"exists", "/TriggerData/window"},
    {"other", "//door"},
    {"self", "/TriggerData/job/status[.='failed']"},
};

class IndexFixture {
  public:
    IndexFixture() {
        for (const Filed& filed : kFiled) {
            ids_.emplace_back(filed.id);
            conditions_.push_back(ToBstr(filed.condition));
            FactIndex::Staged staged =
                index_.Stage({&ids_.back(), &conditions_.back()}, filed.condition);
            places_.push_back(index_.Insert(staged));
        }
    }

    std::string CandidatesFor(const std::string& data) const {
        const Bstr text = ToBstr(data);
        const ComPtr<IConfigDocument> document = ParseTriggerData(text.get());
        const std::optional<std::vector<FactIndex::Trigger>> candidates =
            index_.Candidates(document.get());
        std::string names;
        for (const FactIndex::Trigger& trigger : candidates.value()) {
            names.append(names.empty() ? "" : " ").append(*trigger.id);
        }
        return names;
    }

    FactIndex index_;
    std::list<std::string> ids_;
    std::list<Bstr> conditions_;
    std::vector<FactIndex::Place> places_;
};

struct CandidateCase {
    const char* data;
    const char* candidates;
};

class Candidates : public testing::TestWithParam<CandidateCase> {};

TEST_P(Candidates, AreTheTriggersFiledUnderFactsTheDocumentHolds) {
    EXPECT_EQ(IndexFixture().CandidatesFor(GetParam().data), GetParam().candidates)
        << GetParam().data;
}

INSTANTIATE_TEST_SUITE_P(
    Table, Candidates,
    testing::Values(
        CandidateCase{"<TriggerData/>", "empty other"},
        CandidateCase{"<TriggerData><door id='front'/><window/></TriggerData>",
                      "attr empty exists other"},
        CandidateCase{"<TriggerData><door state='open' id='fr&#x6F;nt'/></TriggerData>",
                      "attr both empty other"},
        CandidateCase{"<TriggerData><door id='back'/><door id='front'/></TriggerData>",
                      "attr empty other"},
        // namespaces: neither an element nor an attribute in one is what a plain name selects
        CandidateCase{"<TriggerData xmlns='urn:x'><door id='front'/><window/></TriggerData>",
                      "empty other"},
        CandidateCase{"<TriggerData xmlns:p='urn:p'><door p:id='front'/></TriggerData>",
                      "empty other"},
        CandidateCase{"<TriggerData><window xmlns=''/></TriggerData>", "empty exists other"},
        // string values: all the text inside, CDATA too, comments not
        CandidateCase{"<TriggerData><job><status>fai<![CDATA[le]]>d<!--x--></status></job>"
                      "</TriggerData>",
                      "empty other self"},
        CandidateCase{"<TriggerData><job><status><b xmlns='urn:x'>fail</b>ed</status></job>"
                      "</TriggerData>",
                      "empty other self"},
        CandidateCase{"<TriggerData><job><status>failed </status></job></TriggerData>",
                      "empty other"},
        CandidateCase{"<TriggerData><job><name>back</name><name>backup</name></job>"
                      "</TriggerData>",
                      "child empty other"},
        CandidateCase{"<TriggerData><job><x><name>backup</name></x></job></TriggerData>",
                      "empty other"},
        CandidateCase{"<Other><door id='front'/><window/></Other>", "empty other"}));

TEST(FactIndex, KeepsNothingOfTriggersTakenOutInAnyOrder) {
    for (std::size_t first = 0; first < kFiled.size(); ++first) {
        IndexFixture fixture;
        EXPECT_GT(fixture.index_.NodeCount(), 0u);
        const std::vector<std::string> ids(fixture.ids_.begin(), fixture.ids_.end());
        for (std::size_t n = 0; n < kFiled.size(); ++n) {
            const std::size_t which = (first + n) % kFiled.size();
            fixture.index_.Erase(fixture.places_[which], ids[which]);
            fixture.index_.Prune(fixture.places_[which]);
        }
        EXPECT_EQ(fixture.index_.NodeCount(), 0u);
        EXPECT_EQ(fixture.CandidatesFor("<TriggerData><door id='front'/></TriggerData>"), "");
    }
}

}  // namespace
