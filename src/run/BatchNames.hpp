// A batch's new names, item by item: the template, the steps after it (find and replace, letter
// case), the cut, and for a template with "%{dup}" the number that makes each name free. The run,
// its journal, the plan and the dialog's list all take their names from here, so they agree.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

#include "naming/NameTemplate.hpp"
#include "naming/NewName.hpp"
#include "ports/PluginHost.hpp"

namespace velmora {

class BatchNames {
public:
    BatchNames(PluginHost& host, FileSystem& files, HostText text)
        : host_(host), files_(files), text_(text) {}
    BatchNames(const BatchNames&) = delete;
    BatchNames& operator=(const BatchNames&) = delete;

    // A new batch. Everything given must outlive the names made from it. `facts`: null for a
    // template without braced tokens. `keptName`: a name the run never renames (the description
    // file being rebuilt), "" for none.
    void Begin(const char* nameTemplate, const CounterParameters& counter, const NameSteps* steps,
               LengthUnit unit, TokenFacts* facts, std::string_view keptName = {});

    // Whether names are numbered: then Make asks the host for other selected items, and an item
    // the caller holds from SelectedItem must be asked for again after it.
    bool Numbers() const { return numbers_; }

    // The new name of the selected item at `index` into `out`. Numbered names are decided in batch
    // order: each index is asked for once, in order (the first of a batch may be any).
    //
    // A number is given only where the name without it is taken: by a name an earlier item of
    // the batch was given, or by a file that keeps its name (one outside the batch, the kept
    // name, or an item whose own name is one its template gives it, which keeps it). A name held
    // by an item the batch renames away is free. The smallest number that frees the name wins.
    void Make(std::uint32_t index, const PanelItemText& item, std::string& out);

private:
    // The name of item `index` with dup number `number` (0: none) into `out`.
    void Expand(std::uint32_t index, const PanelItemText& item, std::uint32_t number, std::string& out);
    // How names are compared here: the key two names share when the host takes them for one.
    void KeyOf(std::string_view name, std::string* key) const;
    bool SameName(std::string_view a, std::string_view b) const;
    // Whether `name` is one that item `index`'s template gives it, with some number or none (then
    // probe_ holds that spelling). `first`: the item's name without a number, when made already.
    bool InFamily(std::uint32_t index, const PanelItemText& item, const std::string& name,
                  const std::string* first = nullptr);
    // Whether `name` may be given to item `index` now.
    bool Free(std::uint32_t index, const std::string& name);
    // The selected item whose name is `name`, or -1; the table is made when first asked.
    std::int64_t SelectedNamed(const std::string& key);

    PluginHost& host_;
    FileSystem& files_;
    HostText text_;
    const char* template_ = nullptr;
    CounterParameters counter_;
    const NameSteps* steps_ = nullptr;
    LengthUnit unit_ = LengthUnit::Byte;
    TokenFacts* facts_ = nullptr;
    std::string keptKey_;
    bool numbers_ = false;
    bool ignoresCase_ = false;
    // By key: a name given to an earlier item; a family's first name (number 0) holds the number
    // to try first for its next item, every other name 0.
    std::unordered_map<std::string, std::uint32_t> given_;
    std::unordered_map<std::string, std::uint32_t> selected_;  // by key: the item of a selected name
    bool selectedBuilt_ = false;
    // Buffers reused from item to item.
    std::string oldName_;
    std::string first_;
    std::string candidate_;
    std::string probe_;
    std::string key_;
    std::string otherName_;
};

}  // namespace velmora
