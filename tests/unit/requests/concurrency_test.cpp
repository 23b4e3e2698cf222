// Registrations and unregistrations through RunAction on one thread while three others fire
// triggers into the bridge: every event sees a whole action or none, and nothing is lost.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "companions/utf.h"
#include "fakes/fake_action_manager.h"
#include "fakes/run_request.h"
#include "request_fixture.h"

namespace {

using fakes::RunRequest;
using requests_test::ConnectedFixture;

constexpr int kIds = 6;
constexpr int kWriterRounds = 120;
constexpr int kFiresPerReader = 120;
constexpr int kReaders = 3;
// Far beyond what the rounds take even under the thread sanitizer; a hang ends the loops here.
constexpr auto kTimeLimit = std::chrono::seconds(90);

std::string Id(int n) {
    // Appended, not "t" + ...: GCC 12 at -O3 takes that insert for an overlapping copy.
    std::string id(1, 't');
    id += std::to_string(n % kIds);
    return id;
}

class ConcurrencyTest : public ConnectedFixture {};

TEST_F(ConcurrencyTest, RegistrationsRaceWithFiredTriggers) {
    const auto deadline = std::chrono::steady_clock::now() + kTimeLimit;
    const auto inTime = [&] { return std::chrono::steady_clock::now() < deadline; };
    std::atomic<int> unexpectedResults{0};
    std::atomic<int> actionsFound{0};

    std::thread writer([&] {
        for (int i = 0; i < kWriterRounds && inTime(); ++i) {
            const std::string id = Id(i);
            const HRESULT registered =
                RunRequest(R"(<R type="trigger" name="registeraction" id=")" + id + R"(">)" +
                           R"(<Action id=")" + id + R"("/></R>)")
                    .code;
            const HRESULT unregistered =
                RunRequest(R"(<R type="trigger" name="unregisteraction" id=")" + Id(i + 3) +
                           R"("/>)")
                    .code;
            if (registered != S_OK || unregistered != S_OK) {
                ++unexpectedResults;
            }
        }
    });
    std::vector<std::thread> readers;
    for (int reader = 0; reader < kReaders; ++reader) {
        readers.emplace_back([&, reader] {
            for (int j = 0; j < kFiresPerReader && inTime(); ++j) {
                const int n = reader * kFiresPerReader + j;
                const OleString id = ToUtf16(Id(n));
                const OleString data = ToUtf16("<TriggerData n=\"" + std::to_string(n) + "\"/>");
                const HRESULT fired = manager_->RaiseTriggerFired(id, data);
                if (fired == S_OK) {
                    ++actionsFound;
                } else if (fired != S_FALSE) {
                    ++unexpectedResults;
                }
            }
        });
    }
    writer.join();
    for (std::thread& reader : readers) {
        reader.join();
    }

    ASSERT_TRUE(inTime()) << "the rounds did not finish in time";
    RecordProperty("actionsRun", actionsFound.load());
    EXPECT_EQ(unexpectedResults.load(), 0);
    // Each run carries the action stored under the id that fired, merged with that firing's data.
    const std::regex merged(R"re(<Action id="t(\d)"><TriggerData n="(\d+)"/></Action>\s*)re");
    const std::vector<std::string> runs = fakes::ActionManagerFake::Requests();
    EXPECT_EQ(runs.size(), static_cast<std::size_t>(actionsFound.load()));
    for (const std::string& run : runs) {
        std::smatch parts;
        ASSERT_TRUE(std::regex_match(run, parts, merged)) << run;
        EXPECT_EQ(std::stoi(parts[1].str()), std::stoi(parts[2].str()) % kIds) << run;
    }
    for (const auto& [id, action] : Table()) {
        EXPECT_EQ(action, R"(<Action id=")" + id + R"("/>)");
    }
}

}  // namespace
