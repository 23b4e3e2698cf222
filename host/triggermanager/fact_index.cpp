#include "triggermanager/fact_index.h"

#include <algorithm>
#include <iterator>
#include <limits>
#include <new>

#include "configdata/configdata_host.h"

// Hears the walk of a fired document and keeps the buckets of the facts it holds. Its handles
// are the path nodes of the elements it takes.
class FactIndex::Reader final : public IConfigDataElementVisitor {
  public:
    explicit Reader(const PathNode& root) : root_(root) {}

    void* STDMETHODCALLTYPE EnterElement(void* parent, const char* name,
                                         std::size_t nameLength) noexcept override {
        const PathNode& from = parent != nullptr ? *static_cast<const PathNode*>(parent) : root_;
        const auto child = from.children.find(std::string_view(name, nameLength));
        if (failed_ || child == from.children.end()) {
            return nullptr;
        }
        Note(child->second->facts, FactView{FactKind::Exists, {}, {}});
        return child->second.get();
    }

    void STDMETHODCALLTYPE Attribute(void* element, const char* name, std::size_t nameLength,
                                     const char* value, std::size_t valueLength) noexcept override {
        Note(static_cast<const PathNode*>(element)->facts,
             FactView{FactKind::Attribute, {name, nameLength}, {value, valueLength}});
    }

    BOOL STDMETHODCALLTYPE WantsStringValue(void* element) noexcept override {
        return static_cast<const PathNode*>(element)->textFiled != 0 ? TRUE : FALSE;
    }

    void STDMETHODCALLTYPE StringValue(void* element, const char* value,
                                       std::size_t length) noexcept override {
        const Facts& facts = static_cast<const PathNode*>(element)->facts;
        if (value != nullptr) {
            Note(facts, FactView{FactKind::Text, {}, {value, length}});
            return;
        }
        // A value that could not be read may be any of them.
        for (auto fact = facts.lower_bound(FactView{FactKind::Text, {}, {}});
             fact != facts.end() && fact->first.kind == FactKind::Text; ++fact) {
            Keep(fact->second);
        }
    }

    bool failed() const { return failed_; }

    // The buckets of the facts found, each once.
    std::vector<const Bucket*> TakeFound() {
        std::sort(found_.begin(), found_.end());
        found_.erase(std::unique(found_.begin(), found_.end()), found_.end());
        return std::move(found_);
    }

  private:
    void Note(const Facts& facts, const FactView& fact) noexcept {
        if (facts.empty()) {
            return;
        }
        const auto found = facts.find(fact);
        if (found != facts.end()) {
            Keep(found->second);
        }
    }

    void Keep(const Bucket& bucket) noexcept {
        // Repeated elements (a hundred open doors) find the same bucket one after another.
        if (!found_.empty() && found_.back() == &bucket) {
            return;
        }
        try {
            found_.push_back(&bucket);
        } catch (...) {
            failed_ = true;
        }
    }

    const PathNode& root_;
    std::vector<const Bucket*> found_;
    bool failed_ = false;
};

FactIndex::FactIndex() : root_(std::make_unique<PathNode>()) {}

namespace {

// The names of a fact's path: the condition's first steps, and perhaps a child element.
struct FactPath {
    const std::vector<std::string_view>& steps;
    std::size_t depth;
    std::string_view child;

    std::size_t size() const { return depth + (child.empty() ? 0 : 1); }
    std::string_view operator[](std::size_t at) const { return at < depth ? steps[at] : child; }
};

// The path of `fact`, or of the whole condition for null.
FactPath PathOf(const ConditionFacts& facts, const ConditionFact* fact) {
    return fact != nullptr ? FactPath{facts.steps, fact->depth, fact->child}
                           : FactPath{facts.steps, facts.steps.size(), {}};
}

}  // namespace

// The fact to file a trigger under: of the facts that compare with a literal, the one fewest
// triggers are filed under yet (an attribute before a string value, which every firing must
// then read); the existence of the path only when there is none. So conditions that share one
// literal ("kind='door'") and differ in another spread over many small buckets.
FactIndex::Key FactIndex::KeyOf(const ConditionFacts& facts) {
    const auto walk = [this](const FactPath& path) {
        PathNode* node = root_.get();
        std::size_t found = 0;
        for (; found < path.size(); ++found) {
            const auto child = node->children.find(path[found]);
            if (child == node->children.end()) {
                break;
            }
            node = child->second.get();
        }
        return std::pair<PathNode*, std::size_t>(node, found);
    };
    Key best{nullptr, nullptr, 0};
    std::size_t fewest = std::numeric_limits<std::size_t>::max();
    for (const ConditionFact& fact : facts.values) {
        const FactPath path = PathOf(facts, &fact);
        const auto [node, found] = walk(path);
        std::size_t filed = 0;
        if (found == path.size() && facts.values.size() > 1) {
            const auto bucket = node->facts.find(FactView{fact.kind, fact.name, fact.value});
            filed = bucket != node->facts.end() ? bucket->second.size() : 0;
        }
        if (filed < fewest || (filed == fewest && fact.kind == FactKind::Attribute &&
                               best.fact->kind == FactKind::Text)) {
            best = Key{&fact, node, found};
            fewest = filed;
        }
    }
    if (best.fact == nullptr) {
        const auto [node, found] = walk(PathOf(facts, nullptr));
        best = Key{nullptr, node, found};
    }
    return best;
}

FactIndex::Staged FactIndex::Stage(Trigger trigger, std::string_view condition) {
    Staged staged;
    Bucket member;
    member.insert(trigger);
    staged.member = member.extract(member.begin());
    const std::optional<ConditionFacts> facts = NecessaryFacts(condition);
    if (!facts) {
        return staged;
    }
    const Key key = KeyOf(*facts);
    const FactPath path = PathOf(*facts, key.fact);
    staged.filed = true;
    staged.parent = key.deepest;
    staged.path.reserve(path.size() - key.found);
    for (std::size_t step = key.found; step < path.size(); ++step) {
        Children made;
        made.emplace(std::string(path[step]), std::make_unique<PathNode>());
        staged.path.push_back(made.extract(made.begin()));
    }
    const FactView fact = key.fact != nullptr
                              ? FactView{key.fact->kind, key.fact->name, key.fact->value}
                              : FactView{FactKind::Exists, {}, {}};
    if (staged.path.empty()) {
        // Either the fact itself or where it goes, so that filing it takes no second search.
        staged.existing = key.deepest->facts.lower_bound(fact);
        if (staged.existing != key.deepest->facts.end() &&
            !FactOrder()(fact, staged.existing->first)) {
            return staged;
        }
    }
    Facts made;
    made.emplace(FactKey{fact.kind, std::string(fact.name), std::string(fact.value)}, Bucket());
    staged.fact = made.extract(made.begin());
    return staged;
}

FactIndex::Place FactIndex::Insert(Staged& staged) noexcept {
    if (!staged.filed) {
        unfiled_.insert(std::move(staged.member));
        return Place{};
    }
    PathNode* node = staged.parent;
    for (Children::node_type& step : staged.path) {
        const auto child = node->children.insert(std::move(step)).position;
        child->second->parent = node;
        child->second->self = child;
        node = child->second.get();
    }
    Facts::iterator fact;
    if (staged.fact.empty()) {
        fact = staged.existing;
    } else if (staged.path.empty()) {
        fact = node->facts.insert(staged.existing, std::move(staged.fact));
    } else {
        fact = node->facts.insert(std::move(staged.fact)).position;  // into a new node
    }
    fact->second.insert(std::move(staged.member));
    if (fact->first.kind == FactKind::Text) {
        ++node->textFiled;
    }
    for (PathNode* at = node; at != nullptr; at = at->parent) {
        ++at->filed;
    }
    return Place{node, fact};
}

void FactIndex::Erase(const Place& place, std::string_view id) noexcept {
    if (place.node == nullptr) {
        unfiled_.erase(unfiled_.find(id));
        return;
    }
    Bucket& bucket = place.fact->second;
    bucket.erase(bucket.find(id));
    if (place.fact->first.kind == FactKind::Text) {
        --place.node->textFiled;
    }
    for (PathNode* at = place.node; at != nullptr; at = at->parent) {
        --at->filed;
    }
}

void FactIndex::Prune(const Place& place) noexcept {
    if (place.node == nullptr) {
        return;
    }
    PathNode* node = place.node;
    if (place.fact->second.empty()) {
        node->facts.erase(place.fact);
    }
    // Path nodes go with the last trigger filed at or below them.
    while (node != root_.get() && node->filed == 0) {
        PathNode* parent = node->parent;
        parent->children.erase(node->self);
        node = parent;
    }
}

void FactIndex::swap(FactIndex& other) noexcept {
    root_.swap(other.root_);
    unfiled_.swap(other.unfiled_);
}

std::optional<std::vector<FactIndex::Trigger>> FactIndex::Filed(IConfigDocument* document) const {
    Reader reader(*root_);
    const HRESULT walked = ConfigDataVisitElements(document, &reader);
    if (walked == E_OUTOFMEMORY || reader.failed()) {
        throw std::bad_alloc();
    }
    if (FAILED(walked)) {
        return std::nullopt;
    }
    const std::vector<const Bucket*> buckets = reader.TakeFound();
    std::vector<Trigger> filed;
    for (const Bucket* bucket : buckets) {
        filed.insert(filed.end(), bucket->begin(), bucket->end());
    }
    if (buckets.size() > 1) {
        std::sort(filed.begin(), filed.end(), ById());
    }
    return filed;
}

std::optional<std::vector<FactIndex::Trigger>> FactIndex::Candidates(
    IConfigDocument* document) const {
    const std::optional<std::vector<Trigger>> filed = Filed(document);
    if (!filed) {
        return std::nullopt;
    }
    std::vector<Trigger> candidates;
    candidates.reserve(filed->size() + unfiled_.size());
    std::merge(filed->begin(), filed->end(), unfiled_.begin(), unfiled_.end(),
               std::back_inserter(candidates), ById());
    return candidates;
}

namespace {

template <class Node>
std::size_t CountBelow(const Node& node) noexcept {
    std::size_t count = node.facts.size();
    for (const auto& [name, child] : node.children) {
        count += 1 + CountBelow(*child);
    }
    return count;
}

}  // namespace

std::size_t FactIndex::NodeCount() const noexcept {
    return CountBelow(*root_);
}
