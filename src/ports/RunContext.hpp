// Everything one run of the plug-in works with, handed to it by the entry point.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "naming/FileDates.hpp"
#include "platform/Platform.hpp"
#include "ports/PluginHost.hpp"

namespace velmora {

class CodePage;

// What the rename loop did with one selected item.
enum class ItemAction {
    Rename,     // renamed to the new name
    Keep,       // left under its name: the new name equals it, or it is the description file being rebuilt
    Stop,       // not renamed, and the loop stopped here with a warning box
    Unreached,  // after the stop: never tried
};

// Told about every selected item, in order, by a run that has one: how a host learns the run's
// plan without a second implementation of it. `newName` is the template's expansion (for Keep, the
// name the item keeps); `reason` is the warning box's help topic for Stop, else "".
class RunObserver {
public:
    virtual ~RunObserver() = default;
    virtual void Item(std::uint32_t index, std::string_view oldName, std::string_view newName,
                      ItemAction action, const char* reason) = 0;
    // Before Item, when the template reads a date taken: whether the item had one (else its
    // modified time stood in).
    virtual void TakenDate(std::uint32_t /*index*/, bool /*found*/) {}
};

struct RunContext {
    PluginHost& host;
    FileSystem& files;
    Registry& registry;
    std::string settingsKey;  // the plug-in's options: RootKey + "\Velmora"
    std::string rootKey;      // the host's RootKey, beside which it keeps its description settings
    HostText text = HostText::Oem;
    // The host's list of description file names when the plug-in cannot read the host's own
    // setting (FAR 3); null: read from the registry beside the root key.
    const char* listNames = nullptr;
    // The code page in which a host whose text is Unicode (far2l, FAR 3) reads a description file
    // without a mark: its OEM code page. Null for FAR 1.x, whose text is OEM already.
    const CodePage* oem = nullptr;
    RunObserver* observer = nullptr;  // none in the plug-in's own runs
    Clock& clock = MonotonicClock();  // paces the progress boxes
    // A description file the run creates gets the hidden attribute, as the host's own writes give it
    // (FAR 3, whose SetHidden is on unless the user turned it off).
    bool hideNewDescriptionFile = false;
    // Whether the run writes the undo journal: not when it is a plan, run against a simulation.
    bool keepsJournal = true;
    // Where the undo journal goes when the system names no per-user state directory; "" for none.
    std::string journalFallback = std::string();
    // Where a template's dates taken come from, kept by a dialog so that each file is read once
    // while the user types; null: the run reads them through `files` itself.
    DateTakenSource* dateTaken = nullptr;
    // The new names, one for each selected item in order, written by hand; empty: the template
    // makes the names.
    std::vector<std::string> givenNames = {};
};

}  // namespace velmora
