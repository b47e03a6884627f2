// Names found by hashing on the hot paths of a batch: the panel's listing and the plan's
// simulated directory look up every name of a batch several times.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velmora {

// Names to indices of storage kept elsewhere: open addressing over 8-byte slots (a tag from the
// name's hash and the index), at most half full. A look-up for a name that is not there (most of
// them: every new name of a batch) reads one slot; one that is there reads one slot and one
// name. Against a binary search over 100,000 names (17 comparisons, most of them cache misses)
// or std::unordered_map (a chain of nodes) that is one or two cache misses. Indices fit 32 bits:
// a panel record counts its items in an int.
class NameIndex {
public:
    static constexpr std::size_t kNone = SIZE_MAX;

    static std::size_t Hash(std::string_view name) { return std::hash<std::string_view>{}(name); }

    // Empty, with room for `count` names.
    void Reset(std::size_t count) {
        std::size_t size = 16;
        while (size < 2 * count)
            size *= 2;
        slots_.assign(size, Slot{});
        used_ = 0;
    }

    // Whether one more name would leave it more than half full (erased names count).
    bool Full() const { return (used_ + 1) * 2 > slots_.size(); }

    // The index of `name`, or kNone; `nameAt(index)` is the name stored at an index.
    template <typename NameAt>
    std::size_t Find(std::string_view name, std::size_t hash, const NameAt& nameAt) const {
        const std::size_t slot = Locate(name, hash, nameAt);
        return slot == kNone ? kNone : slots_[slot].index - 1;
    }
    template <typename NameAt>
    std::size_t Find(std::string_view name, const NameAt& nameAt) const {
        return Find(name, Hash(name), nameAt);
    }

    // Adds a name that is not there yet, stored at `index`. Not when Full().
    void Add(std::size_t hash, std::size_t index) {
        const std::size_t mask = slots_.size() - 1;
        std::size_t slot = hash & mask;
        while (slots_[slot].index != 0)
            slot = (slot + 1) & mask;
        slots_[slot] = Slot{Tag(hash), static_cast<std::uint32_t>(index + 1)};
        ++used_;
    }

    // Forgets `name`; returns the index it had, or kNone.
    template <typename NameAt>
    std::size_t Remove(std::string_view name, const NameAt& nameAt) {
        const std::size_t slot = Locate(name, Hash(name), nameAt);
        if (slot == kNone)
            return kNone;
        const std::size_t index = slots_[slot].index - 1;
        slots_[slot].index = kErased;
        return index;
    }

private:
    struct Slot {
        std::uint32_t tag = 0;    // more bits of the name's hash
        std::uint32_t index = 0;  // the index plus one; 0: never used; kErased: erased
    };
    static constexpr std::uint32_t kErased = UINT32_MAX;

    // Other bits of the hash than the slot's, mixed down to 32 (size_t may be 32 bits wide).
    static std::uint32_t Tag(std::size_t hash) {
        return static_cast<std::uint32_t>((static_cast<std::uint64_t>(hash) * 0x9E3779B97F4A7C15ull) >> 32);
    }

    template <typename NameAt>
    std::size_t Locate(std::string_view name, std::size_t hash, const NameAt& nameAt) const {
        if (used_ == 0)
            return kNone;
        const std::size_t mask = slots_.size() - 1;
        const std::uint32_t tag = Tag(hash);
        for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
            const Slot& s = slots_[slot];
            if (s.index == 0)
                return kNone;
            if (s.index != kErased && s.tag == tag && nameAt(s.index - 1) == name)
                return slot;
        }
    }

    std::vector<Slot> slots_;
    std::size_t used_ = 0;  // slots taken, erased ones included
};

// Values by name, held here: a NameIndex over dense storage that allocates nothing per name.
template <typename Value>
class NameTable {
public:
    // Room for `count` names without growing.
    void Reserve(std::size_t count) {
        Rebuild(count);
        entries_.reserve(count);
    }

    Value* Find(std::string_view name) {
        const std::size_t index = index_.Find(name, NameAt());
        return index == NameIndex::kNone ? nullptr : &entries_[index].value;
    }
    const Value* Find(std::string_view name) const { return const_cast<NameTable*>(this)->Find(name); }
    bool Contains(std::string_view name) const { return Find(name) != nullptr; }

    // `name` holds `value` from now on.
    void Set(std::string_view name, Value value) {
        const std::size_t hash = NameIndex::Hash(name);
        if (const std::size_t index = index_.Find(name, hash, NameAt()); index != NameIndex::kNone) {
            entries_[index].value = std::move(value);
            return;
        }
        if (index_.Full())
            Rebuild(live_ + 1);
        entries_.push_back(Entry{std::string(name), std::move(value), true});
        index_.Add(hash, entries_.size() - 1);
        ++live_;
    }

    void Erase(std::string_view name) {
        const std::size_t index = index_.Remove(name, NameAt());
        if (index == NameIndex::kNone)
            return;
        entries_[index].live = false;
        entries_[index].value = Value{};
        --live_;
    }

    // f(name, value) for every name held, in no particular order.
    template <typename F>
    void ForEach(F&& f) const {
        for (const Entry& entry : entries_) {
            if (entry.live)
                f(entry.name, entry.value);
        }
    }

private:
    struct Entry {
        std::string name;
        Value value;
        bool live;
    };

    auto NameAt() const {
        return [this](std::size_t index) -> const std::string& { return entries_[index].name; };
    }

    // An index with room for at least `count` names, erased ones dropped from the storage too.
    void Rebuild(std::size_t count) {
        std::vector<Entry> kept;
        kept.reserve(entries_.capacity() > live_ ? entries_.capacity() : live_);
        for (Entry& entry : entries_) {
            if (entry.live)
                kept.push_back(std::move(entry));
        }
        entries_ = std::move(kept);
        index_.Reset(count > live_ ? count : live_);
        for (std::size_t i = 0; i < entries_.size(); ++i)
            index_.Add(NameIndex::Hash(entries_[i].name), i);
    }

    NameIndex index_;
    std::vector<Entry> entries_;
    std::size_t live_ = 0;
};

}  // namespace velmora
