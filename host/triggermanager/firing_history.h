// The last firings of the process, kept for the host to look back on: what each was given, how
// deep in its chain it lay, what matched and why nothing was evaluated when nothing was. Kept only
// once the host asks for it, in a ring of the length it names, so memory stays bounded.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/win32.h"
#include "triggermanager/triggermanager_host.h"

enum class FiringOutcome : LONG {
    Evaluated = TRIGGERMANAGER_FIRING_EVALUATED,
    Suspended = TRIGGERMANAGER_FIRING_SUSPENDED,
    RefusedLoop = TRIGGERMANAGER_FIRING_REFUSED_LOOP,
    RefusedBudget = TRIGGERMANAGER_FIRING_REFUSED_BUDGET,
    NotXml = TRIGGERMANAGER_FIRING_NOT_XML,
};

struct FiringRecord {
    ULONG sequence = 0;  // counts the firings kept, from 1
    int depth = 1;
    FiringOutcome outcome = FiringOutcome::Evaluated;
    LONG budget = 0;  // for RefusedBudget: the chain's budget
    std::size_t matchedCount = 0;
    std::size_t exhaustedCount = 0;
    // The first ids of each kind, as many as fit in kKeptIdBytes together.
    std::vector<std::string> matched;
    std::vector<std::string> exhausted;
    std::string data;  // the first kKeptDataBytes bytes of the data (UTF-8)
    std::size_t dataBytes = 0;
};

inline constexpr std::size_t kKeptDataBytes = 512;
inline constexpr std::size_t kKeptIdBytes = 4096;
inline constexpr std::size_t kMaxHistoryLength = 10000;

// 0 stops keeping firings and forgets those kept; a shorter length forgets the oldest.
void SetHistoryLength(std::size_t firings);

// What one firing came to, given to RecordFiring.
struct FiringFacts {
    FiringOutcome outcome = FiringOutcome::Evaluated;
    int depth = 1;
    LONG budget = 0;
    const std::vector<std::string>* matched = nullptr;
    const std::vector<std::string>* exhausted = nullptr;
};

// Keeps the firing when a history is kept. Never fails: a firing the history cannot hold (no
// memory) is left out of it.
void RecordFiring(BSTR data, const FiringFacts& facts) noexcept;

// The last `count` firings kept, oldest first.
std::vector<FiringRecord> LastFirings(std::size_t count);
