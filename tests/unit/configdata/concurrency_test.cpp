// Many calls at once on different threads: each with its own documents, and all evaluating
// conditions against one shared document. Run under ThreadSanitizer too; bounded by iteration
// counts, never by waiting.
#include <atomic>
#include <thread>
#include <vector>

#include "companions/variant.h"
#include "dom_support.h"

namespace configdata_test {
namespace {

constexpr int kThreads = 4;
constexpr int kRounds = 150;

std::string AttributeOf(const ComPtr<IXMLDOMElement>& element, const char* name) {
    Variant value;
    if (element->getAttribute(B(name).get(), value.put()) != S_OK) {
        return {};
    }
    return ToUtf8(value.value().bstrVal);
}

// One request's worth of work, as the module and the trigger manager do it; returns whether
// every step gave what it should.
bool ServeOneRequest(int thread, int round) {
    const std::string id = "door" + std::to_string(thread) + "." + std::to_string(round);
    const std::string request = "<Request type=\"trigger\" name=\"registeraction\" id=\"" + id +
                                "\" condition=\"/TriggerData/door[@state='open']\"><Action "
                                "type=\"host\" name=\"log\"><Message>Door opened</Message>"
                                "</Action></Request>";
    const ComPtr<IXMLDOMDocument> dom = LoadedDom(request);
    const ComPtr<IXMLDOMElement> root = RootOf(dom);
    const ComPtr<IXMLDOMNode> action = Select(dom.As<IXMLDOMNode>(), "/*/Action");
    bool good = AttributeOf(root, "id") == id && AttributeOf(root, "type") == "trigger" &&
                XmlOf(action) ==
                    "<Action type=\"host\" name=\"log\"><Message>Door opened</Message></Action>";

    const ComPtr<IXMLDOMDocument> resultDom = NewDom();
    const ComPtr<IXMLDOMElement> actionResult = NewElement(resultDom, "ActionResult");
    const ComPtr<IXMLDOMElement> result = NewElement(resultDom, "Result");
    good = good && actionResult->appendChild(result.get(), nullptr) == S_OK &&
           result->put_text(B("true").get()) == S_OK &&
           XmlOf(actionResult) == "<ActionResult><Result>true</Result></ActionResult>";

    const ComPtr<IConfigDocument> fired = NewConfigDocument();
    const ComPtr<IConfigDocument> stored = NewConfigDocument();
    const bool open = round % 2 == 0;
    LONG loaded = 0;
    good = good &&
           fired->LoadXml(B(std::string("<TriggerData><door state=\"") +
                            (open ? "open" : "closed") + "\"/></TriggerData>")
                              .get(),
                          &loaded) == S_OK &&
           loaded == 1;
    LONG matched = 7;
    good = good &&
           ConfigDataEvaluate(fired.get(), B(AttributeOf(root, "condition")).get(), &matched) ==
               S_OK &&
           matched == (open ? 1 : 0);
    // A distinct expression per round keeps the per-thread caches growing and evicting.
    LONG valid = 0;
    good = good &&
           ConfigDataCheckExpression(B("/a[@n=" + std::to_string(round) + "]").get(), &valid) ==
               S_OK &&
           valid == 1;
    LONG combined = 0;
    good = good && stored->LoadXml(B(XmlOf(action)).get(), &loaded) == S_OK &&
           stored->Combine(fired.get(), &combined) == S_OK && combined == 1;
    return good;
}

TEST(Concurrency, RequestsOnFourThreadsAtOnce) {
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &failures] {
            for (int round = 0; round < kRounds; ++round) {
                if (!ServeOneRequest(t, round)) {
                    ++failures;
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(failures.load(), 0);
}

TEST(Concurrency, OneDocumentEvaluatedByFourThreadsAtOnce) {
    const ComPtr<IConfigDocument> shared = NewConfigDocument();
    LONG loaded = 0;
    ASSERT_EQ(shared->LoadXml(B("<TriggerData><door id=\"1\" state=\"open\"/><door id=\"2\" "
                                "state=\"closed\"/></TriggerData>")
                                  .get(),
                              &loaded),
              S_OK);
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&shared, &wrong] {
            const Bstr open = B("/TriggerData/door[@id='1' and @state='open']");
            const Bstr closed = B("door[@id='2' and @state='open']");
            for (int round = 0; round < kRounds * 4; ++round) {
                LONG matched = 7;
                if (ConfigDataEvaluate(shared.get(), open.get(), &matched) != S_OK ||
                    matched != 1) {
                    ++wrong;
                }
                if (ConfigDataEvaluate(shared.get(), closed.get(), &matched) != S_OK ||
                    matched != 0) {
                    ++wrong;
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(wrong.load(), 0);
}

}  // namespace
}  // namespace configdata_test
