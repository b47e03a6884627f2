// The run's host in FAR 3: the adapter converts at its boundary, UTF-16 from FAR to the run's
// UTF-8 and back, and speaks FAR 3's services (panel items fetched one at a time into a buffer of
// its own, the dialog through DialogInit/DialogRun, GUIDs on every box).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "plan/PlanCursor.hpp"
#include "far/Far3Abi.hpp"
#include "ports/PluginHost.hpp"
#include "ports/RunContext.hpp"

namespace velmora {

class Far3Host final : public PluginHost {
public:
    explicit Far3Host(const far3::PluginStartupInfo& info) : info_(info) {}

    const char* GetText(int id) const override;
    int ShowWarning(const char* helpTopic, std::initializer_list<const char*> lines) const override;
    int ShowBox(const char* helpTopic, const std::vector<const char*>& lines, int buttons,
                bool warning) const override;
    void ShowProgress(const char* title, const char* line) const override;
    int ShowList(const char* helpTopic, const char* title, const char* bottom,
                 const std::vector<ListLine>& lines, int selected) const override;
    void SaveScreen() override;
    void RestoreScreen() override;

    // A file panel with real names only: anything else is no panel to rename in.
    bool ReadPanel() override;
    bool ShowsDescriptions() const override { return showsDescriptions_; }
    std::size_t SelectedCount() const override { return panel_.SelectedItemsNumber; }
    PanelItemText SelectedItem(std::size_t index) override;
    std::size_t ItemCount() const override { return panel_.ItemsNumber; }
    PanelItemText Item(std::size_t index) override;
    // The folder of the active panel (FCTL_GETPANELDIRECTORY); false when the host gives none.
    bool PanelDirectory(std::string* directory) override;
    void UpdatePanel() override;

    // The dialog keeps its preview live for the run of `context`, which must outlive the dialog;
    // without one it is a plain dialog.
    void SetRunContext(const RunContext* context) { context_ = context; }
    bool AskOptions(RenameOptions& options, bool descriptionsShown, bool* save) override;
    std::vector<std::string> TakeEditedNames() override { return std::move(editedNames_); }

private:
    std::intptr_t Control(int command, std::intptr_t param1, void* param2) const;
    PanelItemText FetchItem(int command, std::size_t index);
    // The whole plan in FAR's menu; true when the user chose to run it.
    bool ShowPlanMenu(const PlanAnswers& answers, DateTakenSource* dateTaken);
    // The Presets button: the menu of the stored presets for the answers in `options`, which a
    // preset loaded replaces (the descriptions switch only where the dialog offers it).
    void OfferPresets(RenameOptions& options, bool descriptionsShown);
    bool ShowPlanMenu(const PlanAnswers& answers, DateTakenSource* dateTaken,
                      const std::vector<std::string>& names);

    const far3::PluginStartupInfo& info_;
    const RunContext* context_ = nullptr;
    far3::PanelInfo panel_{};
    bool showsDescriptions_ = false;
    far3::HANDLE screen_ = nullptr;
    std::vector<std::uint64_t> itemBuffer_;  // FAR writes an item and its strings here, 8-aligned
    std::string name_;                       // the last item fetched, in UTF-8
    std::string description_;
    mutable std::map<int, std::string> texts_;  // the host's texts in UTF-8, by message number
    std::vector<std::string> editedNames_;      // the names written by hand, after OK
};

}  // namespace velmora
