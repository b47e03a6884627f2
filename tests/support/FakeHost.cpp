#include "support/FakeHost.hpp"

#include <algorithm>
#include <cstring>
#include <utility>

#include "far/HostConventions.hpp"
#include "plugin/HostServices.hpp"
#include "ports/Messages.hpp"

namespace velmora::test {
namespace {
FakeHost* g_current = nullptr;
}  // namespace

struct FakeHostServices {
    static const char* VELMORA_WINAPI GetMsg(far::INT_PTR, int id) {
        static std::vector<std::string> texts;
        if (g_current)
            ++g_current->textsAsked;
        if (id < 0 || id >= 1000) {
            return "";
        }
        if (texts.empty()) {
            for (int i = 0; i < 1000; ++i) {
                texts.push_back(FakeHost::Text(i));
            }
        }
        return texts[static_cast<std::size_t>(id)].c_str();
    }

    static int VELMORA_WINAPI Message(far::INT_PTR, far::DWORD flags, const char* helpTopic,
                                      const char* const* items, int count, int buttons) {
        RecordedBox box;
        box.flags = flags;
        box.hasHelpTopic = helpTopic != nullptr;
        box.helpTopic = helpTopic ? helpTopic : "";
        for (int i = 0; i < count; ++i) {
            box.lines.emplace_back(items[i] ? items[i] : "(null)");
        }
        box.buttons = buttons;
        g_current->boxes.push_back(box);
        return 0;
    }

    static int VELMORA_WINAPI Dialog(far::INT_PTR, int, int, int, int, const char*, far::FarDialogItem* items,
                                     int count) {
        if (g_current->dialogTemplate.empty() || count != far::kDialogItemCount)
            return -1;
        far::SetFieldText(items[far::kDialogTemplateItem].Data, g_current->dialogTemplate);
        items[far::kDialogSaveDescriptionItem].Selected = g_current->dialogDescriptions ? 1 : 0;
        return far::kDialogOkItem;
    }

    static far::HANDLE VELMORA_WINAPI SaveScreen(int, int, int, int) { return nullptr; }
    static void VELMORA_WINAPI RestoreScreen(far::HANDLE) {}

    static int VELMORA_WINAPI Control(far::HANDLE panel, int command, void* param) {
        if (panel != far::kInvalidHandle) {
            return 0;
        }
        const auto value = reinterpret_cast<std::intptr_t>(param);
        g_current->controls.push_back({command, value > 1 ? 2 : value});
        switch (command) {
            case far::FCTL_UPDATEPANEL:
                if (g_current->onUpdatePanel) {
                    g_current->onUpdatePanel();
                }
                return 1;
            case far::FCTL_REDRAWPANEL:
                return 1;
            case far::FCTL_GETPANELINFO: {
                if (!g_current->panelInfoResult) {
                    return 0;
                }
                auto* info = static_cast<far::PanelInfo*>(param);
                *info = far::PanelInfo{};
                info->PanelItems = g_current->items_.empty() ? nullptr : g_current->items_.data();
                info->ItemsNumber = static_cast<int>(g_current->items_.size());
                info->SelectedItems = info->PanelItems;
                info->SelectedItemsNumber = info->ItemsNumber;
                std::strcpy(info->ColumnTypes, "N,Z");
                far::SetFieldText(info->CurDir, g_current->directory);
                return 1;
            }
            default:
                return 0;
        }
    }
};

void SelectRadioButton(far::FarDialogItem* items, int count, int index) {
    const auto isRadio = [&](int i) { return i >= 0 && i < count && items[i].Type == far::DI_RADIOBUTTON; };
    if (!isRadio(index))
        return;
    int first = index;
    while (isRadio(first - 1))
        --first;
    for (int i = first; isRadio(i); ++i)
        items[i].Selected = i == index ? 1 : 0;
}

FakeHost::FakeHost(std::string rootKey) : rootKey_(std::move(rootKey)) {
    g_current = this;
    info_.StructSize = static_cast<int>(sizeof info_);
    info_.ModuleNumber = 7;
    info_.RootKey = rootKey_.c_str();
    info_.GetMsg = &FakeHostServices::GetMsg;
    info_.Message = &FakeHostServices::Message;
    info_.Dialog = &FakeHostServices::Dialog;
    info_.Control = &FakeHostServices::Control;
    info_.SaveScreen = &FakeHostServices::SaveScreen;
    info_.RestoreScreen = &FakeHostServices::RestoreScreen;
    SetHostServices(&info_);
}

FakeHost::~FakeHost() {
    // Leave no pointer into this object behind in the plug-in's copy of the record.
    const far::PluginStartupInfo none{};
    SetHostServices(&none);
    g_current = nullptr;
}

std::string FakeHost::Text(int id) {
    return id == MProgress ? "%#. %F" : "#" + std::to_string(id);
}

void FakeHost::AddItem(const std::string& name, const char* description, std::uint64_t size,
                       std::uint64_t writeTime) {
    far::PluginPanelItem item{};
    far::SetFindDataSize(item.FindData, size);
    const std::uint64_t listed = far::PanelFileTime(writeTime);
    item.FindData.ftLastWriteTime = {static_cast<far::DWORD>(listed & 0xFFFFFFFFu),
                                     static_cast<far::DWORD>(listed >> 32)};
    const std::size_t length = std::min(name.size(), sizeof item.FindData.cFileName - 1);
    std::memcpy(item.FindData.cFileName, name.data(), length);
    if (description) {
        descriptions_.emplace_back(description);
        item.Description = &descriptions_.back()[0];
    }
    items_.push_back(item);
}

void FakeHost::ClearItems() {
    items_.clear();
    descriptions_.clear();
}

RunContext FakeHost::Context(FileSystem& files, Registry& registry, Clock& clock) const {
    return RunContext{api_,    files,   registry, rootKey_ + "\\Velmora", rootKey_, kRecordHostText, nullptr,
                      nullptr, nullptr, clock};
}

}  // namespace velmora::test
