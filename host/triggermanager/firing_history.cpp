#include "triggermanager/firing_history.h"

#include <algorithm>
#include <atomic>
#include <deque>
#include <mutex>
#include <utility>

#include "companions/utf.h"

namespace {

struct History {
    std::mutex lock;
    std::deque<FiringRecord> ring;
    std::size_t length = 0;
    ULONG sequence = 0;
    // Read without the lock on every firing, so a process that keeps no history pays nothing.
    std::atomic<bool> kept{false};
};

History& Shared() {
    // Never destroyed: a delivery thread may still fire while the process exits.
    static auto* const history = new History();
    return *history;
}

// Whole ids only, while they fit in what is left of `room`.
void KeepIds(const std::vector<std::string>* ids, std::vector<std::string>& kept,
             std::size_t& room) {
    if (ids == nullptr) {
        return;
    }
    for (const std::string& id : *ids) {
        if (id.size() > room) {
            return;
        }
        room -= id.size();
        kept.push_back(id);
    }
}

// The size of the text in UTF-8 (an unpaired surrogate becomes U+FFFD), without converting it.
std::size_t Utf8Bytes(OleStringView text) noexcept {
    std::size_t bytes = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const OLECHAR unit = text[i];
        if (unit < 0x80) {
            bytes += 1;
        } else if (unit < 0x800) {
            bytes += 2;
        } else if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < text.size() &&
                   text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
            bytes += 4;
            ++i;
        } else {
            bytes += 3;
        }
    }
    return bytes;
}

// The UTF-8 of at most kKeptDataBytes bytes of the data, cut on a character.
std::string DataStart(BSTR data, std::size_t& wholeBytes) {
    const OleStringView text(data != nullptr ? data : OLESTR(""), SysStringLen(data));
    // Every UTF-16 unit gives at least one byte: this start of the text fills the room.
    std::string start = ToUtf8(text.substr(0, kKeptDataBytes));
    wholeBytes = Utf8Bytes(text);
    if (start.size() > kKeptDataBytes) {
        std::size_t cut = kKeptDataBytes;
        while (cut > 0 && (static_cast<unsigned char>(start[cut]) & 0xC0) == 0x80) {
            --cut;
        }
        start.resize(cut);
    }
    return start;
}

}  // namespace

void SetHistoryLength(std::size_t firings) {
    History& history = Shared();
    std::lock_guard<std::mutex> guard(history.lock);
    history.length = std::min(firings, kMaxHistoryLength);
    while (history.ring.size() > history.length) {
        history.ring.pop_front();
    }
    history.kept = history.length != 0;
}

void RecordFiring(BSTR data, const FiringFacts& facts) noexcept {
    History& history = Shared();
    if (!history.kept.load(std::memory_order_relaxed)) {
        return;
    }
    try {
        FiringRecord record;
        record.depth = facts.depth;
        record.outcome = facts.outcome;
        record.budget = facts.budget;
        record.matchedCount = facts.matched != nullptr ? facts.matched->size() : 0;
        record.exhaustedCount = facts.exhausted != nullptr ? facts.exhausted->size() : 0;
        std::size_t room = kKeptIdBytes;
        KeepIds(facts.matched, record.matched, room);
        KeepIds(facts.exhausted, record.exhausted, room);
        record.data = DataStart(data, record.dataBytes);
        std::lock_guard<std::mutex> guard(history.lock);
        if (history.length == 0) {
            return;
        }
        record.sequence = ++history.sequence;
        if (history.ring.size() == history.length) {
            history.ring.pop_front();
        }
        history.ring.push_back(std::move(record));
    } catch (...) {
        // The history is a courtesy to the host; the firing itself goes on.
    }
}

std::vector<FiringRecord> LastFirings(std::size_t count) {
    History& history = Shared();
    std::lock_guard<std::mutex> guard(history.lock);
    const std::size_t first = history.ring.size() > count ? history.ring.size() - count : 0;
    return std::vector<FiringRecord>(history.ring.begin() + static_cast<std::ptrdiff_t>(first),
                                     history.ring.end());
}
