// Requests written to run away, sent through the real plug-in and host services on both delivery
// paths: self-feeding triggers that fan out, and conditions that would take minutes. Each ends
// with its refusal in a reply and in the trigger manager's counts.
#include <mutex>

#include "host_fixture.h"

namespace {

using testing::HasSubstr;

enum class Path { CallersThread, OwnThread };

std::string Repeat(const std::string& piece, std::size_t times) {
    std::string text;
    for (std::size_t i = 0; i < times; ++i) {
        text += piece;
    }
    return text;
}

struct Runaway {
    const char* name;
    Path path;
    int feeders;            // triggers with the empty condition whose action fires <x/> again
    std::string condition;  // else: one trigger "slow" with this condition, logging
    std::string data;       // fired inside TriggerData
    std::string refusal;    // what one of the replies shows
};

const std::string kOverBudget = "<FireResult refused=\"budget\" budget=\"256\" matched=\"0\"/>";
const std::string kExhausted = "exhausted=\"1\"><Exhausted id=\"slow\"/></FireResult>";
// 10,000 elements in chains 250 deep, and 400 KB of text in 100 elements.
const std::string kChains = Repeat(Repeat("<a>", 250) + Repeat("</a>", 250), 40);
const std::string kText = Repeat("<a>" + std::string(4000, 'x') + "</a>", 100);

const Runaway kRunaways[] = {
    {"TwoFeedersOnTheCallersThread", Path::CallersThread, 2, "", "<x/>", kOverBudget},
    {"ThreeFeedersOnTheCallersThread", Path::CallersThread, 3, "", "<x/>", kOverBudget},
    {"TwoFeedersOnTheOwnThread", Path::OwnThread, 2, "", "<x/>", kOverBudget},
    {"ThreeFeedersOnTheOwnThread", Path::OwnThread, 3, "", "<x/>", kOverBudget},
    {"NestedDescendants", Path::CallersThread, 0, "count(//*//*//*) &gt; 0", kChains, kExhausted},
    {"StringOfTheRootInAPredicate", Path::OwnThread, 0, "//a[string-length(string(/)) &lt; 0]",
     kText, kExhausted},
};

class RunawayRequests : public testing::TestWithParam<Runaway> {
  protected:
    void SetUp() override {
        ASSERT_TRUE(plugin_.loaded()) << TB_PLUGIN_PATH;
        TriggerManagerSetDeliveryThread(GetParam().path == Path::OwnThread ? TRUE : FALSE);
        ActionManagerSetObserver(&RunawayRequests::Observe, this);
        ASSERT_EQ(plugin_.RegisterActions(), S_OK);
    }
    void TearDown() override {
        TriggerManagerWaitIdle(20000);
        plugin_.StopHandler();
        ActionManagerSetObserver(nullptr, nullptr);
        TriggerManagerSetDeliveryThread(FALSE);
    }

    // Keeps the result of every fire request, the one sent here and those actions sent, with
    // the reply carried in it unescaped.
    static void Observe(const char* request, const char* result, HRESULT, void* context) {
        const std::string text = request;
        const std::size_t name = text.find(" name=\"");
        if (name == std::string::npos || text.compare(name, 12, " name=\"fire\"") != 0) {
            return;
        }
        std::string reply = result;
        for (const auto& [escaped, plain] : {std::pair<std::string, std::string>{"&lt;", "<"},
                                             {"&gt;", ">"},
                                             {"&quot;", "\""},
                                             {"&amp;", "&"}}) {
            for (std::size_t at = reply.find(escaped); at != std::string::npos;
                 at = reply.find(escaped, at + plain.size())) {
                reply.replace(at, escaped.size(), plain);
            }
        }
        auto* self = static_cast<RunawayRequests*>(context);
        std::lock_guard<std::mutex> guard(self->lock_);
        self->fireResults_.push_back(std::move(reply));
    }

    std::vector<std::string> FireResults() {
        std::lock_guard<std::mutex> guard(lock_);
        return fireResults_;
    }

    LoadedPlugin plugin_;
    std::mutex lock_;
    std::vector<std::string> fireResults_;
};

TEST_P(RunawayRequests, EndWithTheirRefusalInAReply) {
    const Runaway& row = GetParam();
    for (int i = 0; i < row.feeders; ++i) {
        ASSERT_EQ(Send(Register("feed" + std::to_string(i), "",
                                "<Action type=\"trigger\" name=\"fire\"><TriggerData><x/>"
                                "</TriggerData></Action>"))
                      .text,
                  kTrue);
    }
    if (!row.condition.empty()) {
        ASSERT_EQ(Send(Register("slow", row.condition, kLog)).text, kTrue);
    }
    const LONG overBudgetBefore = TriggerManagerRefusedOverBudget();
    const LONG exhaustedBefore = TriggerManagerExhaustedConditions();

    const Reply reply = Send(Fire(row.data));
    ASSERT_EQ(TriggerManagerWaitIdle(20000), S_OK);

    EXPECT_EQ(reply.code, S_OK);
    const std::vector<std::string> results = FireResults();
    const bool refusalShown = std::any_of(results.begin(), results.end(), [&](const auto& text) {
        return text.find(row.refusal) != std::string::npos;
    });
    EXPECT_TRUE(refusalShown) << reply.text;
    if (row.feeders > 0) {
        // The request's firing and the 255 the budget left each ran one action per feeder.
        EXPECT_EQ(results.size(), 1u + 256u * static_cast<std::size_t>(row.feeders));
        EXPECT_GT(TriggerManagerRefusedOverBudget(), overBudgetBefore);
    } else {
        EXPECT_THAT(reply.text, HasSubstr("matched=\"0\" " + kExhausted.substr(0, 13)));
        EXPECT_EQ(TriggerManagerExhaustedConditions(), exhaustedBefore + 1);
    }
}

INSTANTIATE_TEST_SUITE_P(Table, RunawayRequests, testing::ValuesIn(kRunaways),
                         [](const testing::TestParamInfo<Runaway>& named) {
                             return std::string(named.param.name);
                         });

}  // namespace
