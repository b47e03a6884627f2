// Values by name for the hot paths of a batch: open addressing over 8-byte slots (a tag from the
// name's hash and an index into dense storage), at most half full. Against std::unordered_map it
// allocates nothing per name, and a look-up for a name that is not there (most of them: every
// new name of a batch) reads one slot, not a chain of nodes.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velmora::host {

template <typename Value>
class NameTable {
public:
    // Room for `count` names without growing.
    void Reserve(std::size_t count) {
        if (count * 2 > slots_.size())
            Rebuild(count);
        entries_.reserve(count);
    }

    bool Empty() const { return live_ == 0; }

    Value* Find(std::string_view name) {
        const std::size_t slot = Locate(name, Hash(name));
        return slot == kNotFound ? nullptr : &entries_[slots_[slot].index - 1].value;
    }
    const Value* Find(std::string_view name) const { return const_cast<NameTable*>(this)->Find(name); }
    bool Contains(std::string_view name) const { return Find(name) != nullptr; }

    // `name` holds `value` from now on.
    void Set(std::string_view name, Value value) {
        const std::size_t hash = Hash(name);
        if (const std::size_t slot = Locate(name, hash); slot != kNotFound) {
            entries_[slots_[slot].index - 1].value = std::move(value);
            return;
        }
        if ((used_ + 1) * 2 > slots_.size())
            Rebuild(live_ + 1);
        entries_.push_back(Entry{std::string(name), std::move(value), true});
        Place(hash, static_cast<std::uint32_t>(entries_.size()));
        ++live_;
        ++used_;
    }

    void Erase(std::string_view name) {
        const std::size_t slot = Locate(name, Hash(name));
        if (slot == kNotFound)
            return;
        Entry& entry = entries_[slots_[slot].index - 1];
        entry.live = false;
        entry.value = Value{};
        slots_[slot].index = kErased;
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
    struct Slot {
        std::uint32_t tag = 0;
        std::uint32_t index = 0;  // into entries_, plus one; 0: never used; kErased: erased
    };
    struct Entry {
        std::string name;
        Value value;
        bool live;
    };
    static constexpr std::uint32_t kErased = UINT32_MAX;
    static constexpr std::size_t kNotFound = SIZE_MAX;

    static std::size_t Hash(std::string_view name) { return std::hash<std::string_view>{}(name); }
    // Other bits of the hash than the slot's, mixed down to 32 (size_t may be 32 bits wide).
    static std::uint32_t Tag(std::size_t hash) {
        return static_cast<std::uint32_t>((static_cast<std::uint64_t>(hash) * 0x9E3779B97F4A7C15ull) >> 32);
    }

    std::size_t Locate(std::string_view name, std::size_t hash) const {
        if (slots_.empty())
            return kNotFound;
        const std::size_t mask = slots_.size() - 1;
        const std::uint32_t tag = Tag(hash);
        for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
            const Slot& s = slots_[slot];
            if (s.index == 0)
                return kNotFound;
            if (s.index != kErased && s.tag == tag && entries_[s.index - 1].name == name)
                return slot;
        }
    }

    void Place(std::size_t hash, std::uint32_t index) {
        const std::size_t mask = slots_.size() - 1;
        std::size_t slot = hash & mask;
        while (slots_[slot].index != 0)
            slot = (slot + 1) & mask;
        slots_[slot] = Slot{Tag(hash), index};
    }

    // New slots for at least `count` names, erased ones dropped from the storage too.
    void Rebuild(std::size_t count) {
        std::size_t size = 16;
        while (size < 2 * count)
            size *= 2;
        std::vector<Entry> kept;
        kept.reserve(entries_.capacity() > live_ ? entries_.capacity() : live_);
        for (Entry& entry : entries_) {
            if (entry.live)
                kept.push_back(std::move(entry));
        }
        entries_ = std::move(kept);
        slots_.assign(size, Slot{});
        for (std::size_t i = 0; i < entries_.size(); ++i)
            Place(Hash(entries_[i].name), static_cast<std::uint32_t>(i + 1));
        used_ = live_ = entries_.size();
    }

    std::vector<Slot> slots_;
    std::vector<Entry> entries_;
    std::size_t live_ = 0;
    std::size_t used_ = 0;  // slots taken, erased ones included
};

}  // namespace velmora::host
