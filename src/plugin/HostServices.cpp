#include "plugin/HostServices.hpp"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "far/HostConventions.hpp"
#include "platform/CodePage.hpp"
#include "plugin/RenameDialog.hpp"

namespace velmora {
namespace {

far::PluginStartupInfo g_info{};
std::string g_settingsKeyPath;

PanelItemText TextOf(const far::PluginPanelItem& item) {
    const far::FILETIME& time = item.FindData.ftLastWriteTime;
    const far::FILETIME& created = item.FindData.ftCreationTime;
    return PanelItemText{far::FieldText(item.FindData.cFileName), item.Description,
                         far::FindDataSize(item.FindData),
                         (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime,
                         (static_cast<std::uint64_t>(created.dwHighDateTime) << 32) | created.dwLowDateTime};
}

// The folder of the plug-in module, with its separator: ModuleName is its full path.
std::string ModuleDirectory() {
    const std::string_view module = far::FieldText(g_info.ModuleName);
    const std::size_t slash = module.find_last_of("/\\");
    return slash == std::string_view::npos ? std::string() : std::string(module.substr(0, slash + 1));
}

}  // namespace

void SetHostServices(const far::PluginStartupInfo* info) {
    g_info = far::PluginStartupInfo{};
    // The host's record is temporary and may be shorter than ours past the kept part: the rest
    // is taken only as far as the host says its record goes.
    std::size_t size = far::kKeptStartupBytes;
    if (info->StructSize > 0 && static_cast<std::size_t>(info->StructSize) > size)
        size = std::min(static_cast<std::size_t>(info->StructSize), sizeof g_info);
    std::memcpy(static_cast<void*>(&g_info), info, size);
    g_settingsKeyPath = HostRootKey();
    g_settingsKeyPath += "\\Velmora";
}

const far::PluginStartupInfo& HostServices() {
    return g_info;
}

const char* HostRootKey() {
    return g_info.RootKey ? g_info.RootKey : "";
}

const std::string& SettingsKeyPath() {
    return g_settingsKeyPath;
}

const char* HostApi::GetText(int id) const {
    if (!info_->GetMsg) {
        return "";
    }
    const char* text = info_->GetMsg(info_->ModuleNumber, id);
    return text ? text : "";
}

int HostApi::ShowWarning(const char* helpTopic, std::initializer_list<const char*> lines) const {
    std::vector<const char*> items(lines.begin(), lines.end());
    return info_->Message(info_->ModuleNumber, far::FMSG_WARNING, helpTopic, items.data(),
                          static_cast<int>(items.size()), 1);
}

int HostApi::ShowBox(const char* helpTopic, const std::vector<const char*>& lines, int buttons,
                     bool warning) const {
    return info_->Message(info_->ModuleNumber, warning ? far::FMSG_WARNING : 0, helpTopic, lines.data(),
                          static_cast<int>(lines.size()), buttons);
}

int HostApi::ShowList(const char* helpTopic, const char* title, const char* bottom,
                      const std::vector<ListLine>& lines, int selected) const {
    if (!info_->Menu)
        return kNoList;
    std::vector<far::FarMenuItem> items(lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        far::FarMenuItem& item = items[i];
        std::memset(static_cast<void*>(&item), 0, sizeof item);
        // The host's record holds bytes: UTF-8 is cut before a character, never inside one.
        far::SetFieldText(item.Text,
                          OptionTextPrefix(lines[i].text, sizeof item.Text - 1, far::kHostStringsAreUtf8));
        item.Checked = lines[i].checked ? 1 : 0;
        item.Selected = static_cast<int>(i) == selected ? 1 : 0;
    }
    return info_->Menu(info_->ModuleNumber, -1, -1, 0, far::FMENU_WRAPMODE | far::FMENU_SHOWAMPERSAND, title,
                       bottom, helpTopic, nullptr, nullptr, items.data(), static_cast<int>(items.size()));
}

void HostApi::ShowProgress(const char* title, const char* line) const {
    const char* lines[] = {title, line};
    info_->Message(info_->ModuleNumber, 0, nullptr, lines, 2, 0);
}

void HostApi::SaveScreen() {
    screen_ = info_->SaveScreen(0, 0, -1, -1);
}

void HostApi::RestoreScreen() {
    info_->RestoreScreen(screen_);
    screen_ = nullptr;
}

bool HostApi::ReadPanel() {
    panel_ = far::PanelInfo{};
    return ControlPanel(far::FCTL_GETPANELINFO, &panel_) != 0;
}

bool HostApi::ShowsDescriptions() const {
    return far::FieldText(panel_.ColumnTypes).find('Z') != std::string_view::npos;
}

std::size_t HostApi::SelectedCount() const {
    return panel_.SelectedItemsNumber > 0 ? static_cast<std::size_t>(panel_.SelectedItemsNumber) : 0;
}

PanelItemText HostApi::SelectedItem(std::size_t index) {
    return TextOf(panel_.SelectedItems[index]);
}

std::size_t HostApi::ItemCount() const {
    return panel_.PanelItems && panel_.ItemsNumber > 0 ? static_cast<std::size_t>(panel_.ItemsNumber) : 0;
}

PanelItemText HostApi::Item(std::size_t index) {
    return TextOf(panel_.PanelItems[index]);
}

bool HostApi::PanelDirectory(std::string* directory) {
    *directory = std::string(far::FieldText(panel_.CurDir));
    return !directory->empty();
}

void HostApi::UpdatePanel() {
    ControlPanel(far::FCTL_UPDATEPANEL, reinterpret_cast<void*>(static_cast<std::intptr_t>(1)));
    ControlPanel(far::FCTL_REDRAWPANEL, nullptr);
}

bool HostApi::AskOptions(RenameOptions& options, bool descriptionsShown, bool* save) {
    editedNames_.clear();
    return AskRenameOptions(*this, *info_, options, descriptionsShown, save, &editedNames_);
}

int HostApi::Dialog(int x1, int y1, int x2, int y2, const char* helpTopic, far::FarDialogItem* items,
                    int count) const {
    return info_->Dialog(info_->ModuleNumber, x1, y1, x2, y2, helpTopic, items, count);
}

int HostApi::ControlPanel(int command, void* param) const {
    return info_->Control(far::kInvalidHandle, command, param);
}

const char* GetText(int id) {
    return HostApi(g_info).GetText(id);
}

// far2l reads a description file without a mark in the OEM code page it takes from the locale;
// opened again when the locale names another one.
const CodePage* RecordHostOemCodePage() {
    if (!far::kHostStringsAreUtf8)
        return nullptr;
    static std::unique_ptr<CodePage> page;
    static unsigned opened = 0;
    const unsigned number = SystemOemCodePage();
    if (!page || opened != number) {
        page = OpenCodePage(number);
        opened = number;
    }
    return page.get();
}

RunContext MakeRunContext(PluginHost& host) {
    RunContext context{host, Files(), Settings(), g_settingsKeyPath, HostRootKey(), kRecordHostText};
    context.oem = RecordHostOemCodePage();
    context.journalFallback = far::JournalFallbackRoot(ModuleDirectory());
    return context;
}

}  // namespace velmora
