#include "rename/RenameRun.hpp"

#include <cstdint>
#include <string>

#include "descriptions/DescriptionFile.hpp"
#include "descriptions/DescriptionOutput.hpp"
#include "platform/Platform.hpp"
#include "plugin/HostServices.hpp"
#include "rename/NameTemplate.hpp"
#include "rename/RenameDialog.hpp"
#include "settings/Settings.hpp"

namespace velmora {
namespace {

bool ShowsDescriptions(const far::PanelInfo& panel) {
    return far::FieldText(panel.ColumnTypes).find('Z') != std::string_view::npos;
}

// A target that names an existing entry is occupied, unless it is the very file being renamed
// (a change of letter case on a file system that ignores case).
bool TargetOccupied(const std::string& oldName, const std::string& newName) {
    return FileExists(newName) && !Files().SameFile(oldName, newName);
}

bool SameAsciiFolded(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

// The description file being rebuilt is never renamed: the new one is written under its old name,
// and the host would find no descriptions under any other. The file system is asked only when
// the names differ in letter case alone.
bool IsDescriptionFile(const std::string& name, const std::string& descriptionName) {
    return name == descriptionName ||
           (SameAsciiFolded(name, descriptionName) && Files().SameFile(name, descriptionName));
}

void ShowProgress(const std::string& line) {
    const far::PluginStartupInfo& host = HostServices();
    const char* lines[] = {GetText(MTitle), line.c_str()};
    host.Message(host.ModuleNumber, 0, nullptr, lines, 2, 0);
}

}  // namespace

int RunRename() {
    DialogItems items;
    BuildDialogItems(items);

    far::PanelInfo panel{};
    if (!ControlPanel(far::FCTL_GETPANELINFO, &panel)) {
        return 0;  // no panel to work on
    }
    const bool descriptionsShown = ShowsDescriptions(panel);

    RenameOptions options = LoadOptions(SettingsKeyPath());
    FillDialogItems(items, options, descriptionsShown);
    if (ShowDialog(items) != kDialogOkItem) {
        return 0;
    }
    const bool save = ReadDialogItems(items, options);
    StoreOptions(SettingsKeyPath(), options);

    std::string chosen;
    if (save) {
        FindDescriptionFile(&chosen);
        if (!OpenDescriptionOutput(chosen)) {
            return 0;
        }
    }

    const std::uint32_t count =
        panel.SelectedItemsNumber > 0 ? static_cast<std::uint32_t>(panel.SelectedItemsNumber) : 0;
    const std::uint32_t start = StartValue(options.StartNumber);
    const std::uint32_t bound = CounterWidthBound(options.StartNumber, start, count);
    const bool withoutZero = options.WithoutZero != 0;

    int runState = 0;
    // Both names are built in buffers of the run's own, reused from item to item.
    std::string progress;
    std::string oldName;
    std::string newName;
    for (std::uint32_t i = 0; i < count; ++i) {
        const far::PluginPanelItem& item = panel.SelectedItems[i];
        oldName.assign(far::FieldText(item.FindData.cFileName));
        ExpandTemplateInto(progress, GetText(MProgress), oldName, i, count, 0, 1, withoutZero);
        ShowProgress(progress);

        ExpandTemplateInto(newName, options.Mask.c_str(), oldName, i, count, bound, start, withoutZero);
        if (newName == oldName || (save && IsDescriptionFile(oldName, chosen))) {
            continue;
        }
        if (TargetOccupied(oldName, newName)) {
            ShowWarning("FileExist", {GetText(MWarningTitle), GetText(MFileExists), newName.c_str(),
                                      GetText(MWarningButton)});
            runState = 1;
            break;
        }
        if (!Files().MoveNoReplace(oldName, newName)) {
            ShowWarning("CanNotMove", {GetText(MWarningTitle), GetText(MCannotRename), oldName.c_str(),
                                       GetText(MRenameTo), newName.c_str(), GetText(MWarningButton)});
            runState = 1;
            break;
        }
        if (save && item.Description && item.Description[0] != '\0' &&
            !WriteDescriptionLine(newName.c_str(), item.Description)) {
            ShowWarning("CanNotWrite",
                        {GetText(MWarningTitle), GetText(MCannotWriteTemp),
                         CurrentDescriptionOutput().tempName.c_str(), GetText(MWarningButton)});
            runState = 1;
            break;
        }
    }

    int completed = 1;
    if (save && CurrentDescriptionOutput().file) {
        const FinishResult finish = FinishDescriptionOutput(runState);
        runState = finish.runState;
        completed = finish.completed;
    }
    return completed == 1 && runState == 0 ? 1 : 0;
}

}  // namespace velmora
