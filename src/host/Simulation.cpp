#include "host/Simulation.hpp"

#include <ostream>
#include <streambuf>
#include <vector>

#include "far/HostConventions.hpp"
#include "host/ScriptedUi.hpp"
#include "plan/SimulatedDirectory.hpp"
#include "platform/HostSystem.hpp"
#include "plugin/HostServices.hpp"
#include "run/RenameRun.hpp"

namespace velmora::host {
namespace {

// The simulated run's face: the dialog answered exactly as the user confirmed it, boxes noted
// instead of shown.
class PlanUi final : public UserInterface {
public:
    PlanUi(const far::FarDialogItem* answers, int count) : answers_(answers), count_(count) {}

    int Dialog(int, int, int, int, const char*, far::FarDialogItem* items, int count) override {
        // Shown again after a warning box refused the answers: they cannot change, so the plan
        // ends there, with the box among its warnings.
        if (!warnings.empty())
            return -1;
        // The same code built both dialogs: item for item the same layout.
        for (int i = 0; i < count && i < count_; ++i)
            items[i] = answers_[i];
        return far::kDialogOkItem;
    }
    int Message(std::uint32_t, const char*, const char* const* lines, int count, int buttons) override {
        if (buttons > 0)
            warnings.push_back(BoxText(lines, count, buttons));
        return 0;
    }
    void* SaveScreen(int, int, int, int) override { return this; }
    void RestoreScreen(void*) override {}

    std::vector<std::string> warnings;

private:
    const far::FarDialogItem* answers_;
    int count_;
};

// The panel reads the simulated folder as it reads the current one.
class SimulatedSource final : public DirectorySource {
public:
    explicit SimulatedSource(SimulatedDirectory& directory) : directory_(directory) {}
    bool List(std::vector<DirectoryEntry>* entries, std::string*) override {
        entries->clear();
        directory_.ForEachEntry([entries](const ListedEntry& entry) {
            entries->push_back(
                DirectoryEntry{std::string(entry.name), entry.attributes, entry.size, entry.writeTime});
        });
        return true;
    }
    std::uint32_t Attributes(const std::string& name) override { return directory_.Attributes(name); }
    bool ReadFile(const std::string& name, std::string* contents, std::string* error) override {
        return directory_.ReadFile(name, contents, error);
    }

private:
    SimulatedDirectory& directory_;
};

// Where the simulated host's complaints go: nowhere (the real run makes them, if they happen).
class NullBuffer final : public std::streambuf {
protected:
    int overflow(int c) override { return c; }
};

}  // namespace

Plan ComputePlan(const ServiceSession& live, const std::string& rootKey, const far::FarDialogItem* items,
                 int count, const std::function<void(const PlanItem&)>& onItem,
                 std::vector<std::string> givenNames) {
    Plan plan;
    if (!onItem)
        plan.items.reserve(live.panel->SelectedCount());  // no second copy while it grows
    // The system's own file system, not one a test put in the plug-in's place: the plan can
    // foresee what the directory holds, not a fault injected into the run.
    SimulatedDirectory directory(live.panel, SystemFileSystem());
    SimulatedSource source(directory);
    Panel panel(live.panel->ColumnTypes(), live.panel->ListNames());
    panel.SetSource(&source);
    PlanUi ui(items, count);
    NullBuffer discard;
    std::ostream quiet(&discard);

    ServiceSession session;
    session.lng = live.lng;
    session.panel = &panel;
    session.ui = &ui;
    session.err = &quiet;
    session.currentDirectory = live.currentDirectory;
    // The plug-in's run holds the live panel's records: the simulated run reads the same ones.
    session.sharedPanelInfo = &live.lastPanelInfo;

    far::PluginStartupInfo startup;
    FillStartupInfo("velmora", rootKey.c_str(), &startup);
    ReadOnlyRegistry registry(Settings());
    PlanRecorder builder(live.panel, &plan, onItem);
    HostApi host(startup);
    // The plug-in's own text: the plan cuts names and writes descriptions as the run does.
    RunContext context{host, directory, registry, rootKey + "\\Velmora", rootKey, kRecordHostText};
    context.keepsJournal = false;
    context.oem = RecordHostOemCodePage();
    context.observer = &builder;
    context.givenNames = std::move(givenNames);
    RunReport report;
    {
        ActiveSession active(&session);
        report = RunRename(context);
    }
    plan.warnings = std::move(ui.warnings);
    if (!report.descriptions)
        return plan;
    plan.savesDescriptions = true;
    plan.descriptions = report.descriptions->outcome;
    // The description file the host reads once the run is over: the first of its list there.
    for (const std::string& listed : live.panel->ListNames()) {
        const std::uint32_t attributes = directory.Attributes(listed);
        if (!listed.empty() && attributes != kNoAttributes && attributes != kAttrDirectory) {
            plan.descriptionFile = listed;
            break;
        }
    }
    std::string bytes;
    std::string error;
    if (!plan.descriptionFile.empty() && directory.ReadFile(plan.descriptionFile, &bytes, &error))
        plan.descriptionBytes = std::move(bytes);
    // Each file's description as the host then reads it, for a plan that keeps its items.
    if (!plan.items.empty() && panel.Read(&error)) {
        for (PlanItem& item : plan.items) {
            // A renamed file is listed as the system spells its new name (Windows drops a
            // trailing dot), and so is its description line.
            const PanelEntry* entry =
                panel.FindEntry(item.action == ItemAction::Rename ? NameOnDisk(item.newName) : item.oldName);
            if (entry && entry->description)
                item.description = *entry->description;
        }
    }
    return plan;
}

}  // namespace velmora::host
