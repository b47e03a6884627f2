// The plug-in's copy of the host's start-up record, and the host's services as a run uses them:
// the adapter for the FAR 1.x-style records of FAR 1.x and far2l.
#pragma once

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "far/FarAbi.hpp"
#include "ports/Messages.hpp"
#include "ports/PluginHost.hpp"
#include "ports/RunContext.hpp"

namespace velmora {

// What SetStartupInfo keeps for the plug-in's lifetime: the part of the host's record the
// plug-in uses, and the settings key path built from its RootKey. This is the plug-in's only
// module-level state; everything a run needs is handed to the run.
void SetHostServices(const far::PluginStartupInfo* info);
const far::PluginStartupInfo& HostServices();
// The host's RootKey ("" when the host gave none).
const char* HostRootKey();
// RootKey followed by "\Velmora".
const std::string& SettingsKeyPath();

// The host's services for one run, through the host's record. The panel is the host's own
// record: items are read where the host keeps them, never copied.
class HostApi final : public PluginHost {
public:
    explicit HostApi(const far::PluginStartupInfo& info) : info_(&info) {}

    const char* GetText(int id) const override;
    // A warning box (FMSG_WARNING) whose last line is its one button.
    int ShowWarning(const char* helpTopic, std::initializer_list<const char*> lines) const override;
    int ShowBox(const char* helpTopic, const std::vector<const char*>& lines, int buttons,
                bool warning) const override;
    void ShowProgress(const char* title, const char* line) const override;
    // The host's Menu; each line cut to what its record holds.
    int ShowList(const char* helpTopic, const char* title, const char* bottom,
                 const std::vector<ListLine>& lines, int selected) const override;
    void SaveScreen() override;
    void RestoreScreen() override;

    bool ReadPanel() override;
    bool ShowsDescriptions() const override;
    std::size_t SelectedCount() const override;
    PanelItemText SelectedItem(std::size_t index) override;
    std::size_t ItemCount() const override;
    PanelItemText Item(std::size_t index) override;
    // The panel's CurDir.
    bool PanelDirectory(std::string* directory) override;
    void UpdatePanel() override;

    bool AskOptions(RenameOptions& options, bool descriptionsShown, bool* save) override;
    std::vector<std::string> TakeEditedNames() override { return std::move(editedNames_); }

    int Dialog(int x1, int y1, int x2, int y2, const char* helpTopic, far::FarDialogItem* items,
               int count) const;
    // Control on the active panel.
    int ControlPanel(int command, void* param) const;

private:
    const far::PluginStartupInfo* info_;
    far::PanelInfo panel_{};
    far::HANDLE screen_ = nullptr;
    std::vector<std::string> editedNames_;
};

// The text of a host that speaks FAR 1.x's records: UTF-8 in far2l, OEM bytes in FAR 1.x.
constexpr HostText kRecordHostText = far::kHostStringsAreUtf8 ? HostText::Utf8 : HostText::Oem;
// The code page in which such a host reads a description file without a mark: far2l's OEM code
// page of the locale; null for FAR 1.x, whose text is OEM already.
const CodePage* RecordHostOemCodePage();

// GetText through the record SetStartupInfo kept (for the menu entry, asked outside any run).
const char* GetText(int id);

// The context for a run in the host that called SetStartupInfo, through the given adapter, with
// the system's file system and registry (or those a test installed in their place).
RunContext MakeRunContext(PluginHost& host);

}  // namespace velmora
