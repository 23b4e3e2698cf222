// Triggers and fired data made at random from pieces that meet one another often (the same
// few names and values on both sides), for checking the trigger index against evaluating every
// condition: the differential test draws from a seeded engine, the fuzz target from its input.
#pragma once

#include <cstddef>
#include <string>

#include "companions/config_document.h"
#include "triggermanager/trigger_registry.h"

// Chooses one of `count` (at least 1) possibilities.
class Choices {
  public:
    virtual ~Choices() = default;
    virtual std::size_t Pick(std::size_t count) = 0;
};

// A condition: most often a path of the shapes the index reads, with equalities, 'and', 'or',
// not(), numbers, functions, namespaces, '//' and white space mixed in; sometimes any other.
std::string RandomCondition(Choices& choose);
// The trigger data: a small tree of the same names and values, written with character and entity
// references, CDATA sections, comments, white space and namespaces.
std::string RandomDocument(Choices& choose);

// How the indexed answer differs from evaluating every trigger, or empty when it does not: the
// matches must be the same, in the same order; the conditions out of work may be fewer (one the
// index rules out is not evaluated) but never others.
std::string DifferenceOfMatching(const TriggerRegistry& registry, IConfigDocument* document);
