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

const FactIndex::Bucket* FactIndex::Find(const std::vector<std::string_view>& path,
                                         const FactView& fact) const {
    const PathNode* node = root_.get();
    for (const std::string_view name : path) {
        const auto child = node->children.find(name);
        if (child == node->children.end()) {
            return nullptr;
        }
        node = child->second.get();
    }
    const auto found = node->facts.find(fact);
    return found != node->facts.end() ? &found->second : nullptr;
}

// The fact to file a trigger under: of the facts that compare with a literal, the one fewest
// triggers are filed under yet (an attribute before a string value, which every firing must
// then read); the existence of the path only when there is none. So conditions that share one
// literal ("kind='door'") and differ in another spread over many small buckets.
const ConditionFact& FactIndex::KeyFact(const std::vector<ConditionFact>& facts) const {
    const ConditionFact* best = &facts.front();
    std::size_t fewest = std::numeric_limits<std::size_t>::max();
    for (auto fact = std::next(facts.begin()); fact != facts.end(); ++fact) {
        const Bucket* bucket = Find(fact->path, FactView{fact->kind, fact->name, fact->value});
        const std::size_t filed = bucket != nullptr ? bucket->size() : 0;
        if (filed < fewest || (filed == fewest && fact->kind == FactKind::Attribute &&
                               best->kind == FactKind::Text)) {
            best = &*fact;
            fewest = filed;
        }
    }
    return *best;
}

FactIndex::Staged FactIndex::Stage(Trigger trigger, std::string_view condition) const {
    Staged staged;
    Bucket member;
    member.insert(trigger);
    staged.member = member.extract(member.begin());
    const std::optional<std::vector<ConditionFact>> facts = NecessaryFacts(condition);
    if (!facts) {
        return staged;
    }
    const ConditionFact& key = KeyFact(*facts);
    staged.path.reserve(key.path.size());
    for (const std::string_view name : key.path) {
        Children step;
        step.emplace(std::string(name), std::make_unique<PathNode>());
        staged.path.push_back(step.extract(step.begin()));
    }
    Facts fact;
    fact.emplace(FactKey{key.kind, std::string(key.name), std::string(key.value)}, Bucket());
    staged.fact = fact.extract(fact.begin());
    return staged;
}

FactIndex::Place FactIndex::Insert(Staged& staged) noexcept {
    if (staged.fact.empty()) {
        unfiled_.insert(std::move(staged.member));
        return Place{};
    }
    PathNode* node = root_.get();
    for (Children::node_type& step : staged.path) {
        auto child = node->children.find(step.key());
        if (child == node->children.end()) {
            child = node->children.insert(std::move(step)).position;
            child->second->parent = node;
            child->second->self = child;
        }
        node = child->second.get();
    }
    auto fact = node->facts.find(staged.fact.key());
    if (fact == node->facts.end()) {
        fact = node->facts.insert(std::move(staged.fact)).position;
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
    PathNode* node = place.node;
    Bucket& bucket = place.fact->second;
    bucket.erase(bucket.find(id));
    if (place.fact->first.kind == FactKind::Text) {
        --node->textFiled;
    }
    if (bucket.empty()) {
        node->facts.erase(place.fact);
    }
    // Path nodes go with the last trigger filed at or below them.
    while (node != root_.get()) {
        PathNode* parent = node->parent;
        if (--node->filed == 0) {
            parent->children.erase(node->self);
        }
        node = parent;
    }
    --root_->filed;
}

void FactIndex::swap(FactIndex& other) noexcept {
    root_.swap(other.root_);
    unfiled_.swap(other.unfiled_);
}

std::optional<std::vector<FactIndex::Trigger>> FactIndex::Candidates(
    IConfigDocument* document) const {
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
    std::vector<Trigger> candidates;
    candidates.reserve(filed.size() + unfiled_.size());
    std::merge(filed.begin(), filed.end(), unfiled_.begin(), unfiled_.end(),
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
