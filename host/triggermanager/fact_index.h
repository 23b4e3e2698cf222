// The index that lets a firing evaluate only the triggers that may match. Each trigger whose
// condition has a recognised shape (condition_shape.h) is filed under one fact its condition
// needs: an attribute or string value equal to a literal, preferred, else the existence of its
// path. A fired document is walked once, down the paths the index knows, and the candidates are
// the triggers filed under the facts it holds, with every trigger that is not filed (conditions
// of other shapes, and the empty condition). The index only narrows: the candidates are still
// evaluated, so a trigger left out is one whose condition could not have held.
//
// Threads: Stage and the reads run together with other reads; Insert, Erase and swap need the
// index to themselves (the registry's locks see to both).
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "companions/bstr.h"
#include "companions/config_document.h"
#include "triggermanager/condition_shape.h"

class FactIndex {
  public:
    // A trigger as the registry holds it; both point into the registry's entry, which outlives
    // its place in the index.
    struct Trigger {
        const std::string* id;
        const Bstr* condition;
    };

  private:
    struct ById {
        using is_transparent = void;
        static std::string_view Key(const Trigger& trigger) { return *trigger.id; }
        static std::string_view Key(std::string_view id) { return id; }
        template <class A, class B>
        bool operator()(const A& a, const B& b) const {
            return Key(a) < Key(b);
        }
    };
    using Bucket = std::set<Trigger, ById>;

    struct FactKey {
        FactKind kind;
        std::string name;
        std::string value;
    };
    struct FactView {
        FactKind kind;
        std::string_view name;
        std::string_view value;
    };
    struct FactOrder {
        using is_transparent = void;
        template <class A, class B>
        bool operator()(const A& a, const B& b) const {
            if (a.kind != b.kind) {
                return a.kind < b.kind;
            }
            const int names = std::string_view(a.name).compare(b.name);
            return names != 0 ? names < 0 : std::string_view(a.value) < std::string_view(b.value);
        }
    };
    using Facts = std::map<FactKey, Bucket, FactOrder>;

    struct PathNode;
    using Children = std::map<std::string, std::unique_ptr<PathNode>, std::less<>>;
    struct PathNode {
        PathNode* parent = nullptr;
        Children::iterator self;  // in the parent's children
        Children children;
        Facts facts;
        std::size_t filed = 0;      // triggers filed here or below
        std::size_t textFiled = 0;  // triggers filed here under a string value
    };

  public:
    // Where a trigger is filed.
    struct Place {
        PathNode* node = nullptr;  // null: not filed under a fact, always a candidate
        Facts::iterator fact;

        bool filed() const noexcept { return node != nullptr; }
    };

    // Everything filing one trigger takes, made before anything changes.
    class Staged {
      public:
        Staged() = default;
        Staged(Staged&&) noexcept = default;
        Staged& operator=(Staged&&) noexcept = default;

      private:
        friend class FactIndex;
        bool filed = false;
        PathNode* parent = nullptr;             // the deepest node of the fact's path there is
        std::vector<Children::node_type> path;  // new nodes for the steps below it
        Facts::node_type fact;                  // the fact, when it is new
        Facts::iterator existing;               // the fact when it is not, else where it goes
        Bucket::node_type member;
    };

    FactIndex();
    FactIndex(const FactIndex&) = delete;
    FactIndex& operator=(const FactIndex&) = delete;

    // Prepares the filing of `trigger` by its UTF-8 condition (one of no shape the index reads,
    // the empty one included, is always a candidate). Only reads the index, but what it prepares
    // holds only until the next change other than Erase. Raises std::bad_alloc.
    Staged Stage(Trigger trigger, std::string_view condition);
    // Files a staged trigger, taking from `staged` what it uses (the caller frees the rest):
    // allocates nothing and cannot fail.
    Place Insert(Staged& staged) noexcept;
    // Takes the trigger `id` out of its place; Prune then lets go of what nothing needs any more
    // (apart, so that a trigger can be filed anew in between without losing its path).
    void Erase(const Place& place, std::string_view id) noexcept;
    void Prune(const Place& place) noexcept;
    void swap(FactIndex& other) noexcept;

    // The triggers that may match the document, in id order; nothing when the document cannot be
    // read (every trigger is then a candidate). Raises std::bad_alloc.
    std::optional<std::vector<Trigger>> Candidates(IConfigDocument* document) const;
    // Of those, the ones filed under a fact the document holds, in id order. The others are the
    // triggers not filed (UnfiledCount), candidates whatever the data. Raises std::bad_alloc.
    std::optional<std::vector<Trigger>> Filed(IConfigDocument* document) const;
    std::size_t UnfiledCount() const noexcept { return unfiled_.size(); }

    // Path nodes and facts held, for checking that the index keeps no more than its triggers.
    std::size_t NodeCount() const noexcept;

  private:
    class Reader;

    // The fact a trigger is filed under, and the deepest node of its path the index has.
    struct Key {
        const ConditionFact* fact;  // null: the existence of the whole path
        PathNode* deepest;
        std::size_t found;  // steps of the path the index has
    };
    Key KeyOf(const ConditionFacts& facts);

    std::unique_ptr<PathNode> root_;  // the document; its children are root elements
    Bucket unfiled_;
};
