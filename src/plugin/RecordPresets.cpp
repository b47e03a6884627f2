#include "plugin/RecordPresets.hpp"

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "far/HostConventions.hpp"
#include "preview/DialogAnswers.hpp"
#include "preview/PresetsMenu.hpp"

namespace velmora {
namespace {

// Room for a name that is too long, so that the box can say so rather than the line cut it.
constexpr int kNameBuffer = 512;

bool HasInputBox(const far::PluginStartupInfo& info) {
    return static_cast<std::size_t>(info.StructSize) >=
               offsetof(far::PluginStartupInfo, InputBox) + sizeof(void*) &&
           info.InputBox;
}

class RecordPresetsUi final : public PresetsUi {
public:
    RecordPresetsUi(const HostApi& host, const far::PluginStartupInfo& info) : host_(host), info_(info) {}

    PresetsKey Menu(const std::vector<std::string>& names, int cursor, int* line) override {
        *line = -1;
        if (!info_.Menu)
            return PresetsKey::Escape;
        std::vector<far::FarMenuItem> items(names.size());
        for (std::size_t i = 0; i < names.size(); ++i) {
            far::FarMenuItem& item = items[i];
            std::memset(static_cast<void*>(&item), 0, sizeof item);
            // The line holds bytes: UTF-8 is cut before a character, never inside one.
            far::SetFieldText(item.Text,
                              OptionTextPrefix(names[i], sizeof item.Text - 1, far::kHostStringsAreUtf8));
            item.Selected = static_cast<int>(i) == cursor ? 1 : 0;
        }
        static const int kBreakKeys[] = {far::kVkInsert, far::kVkDelete, far::kVkF4, 0};
        int breakCode = -1;
        *line = info_.Menu(info_.ModuleNumber, -1, -1, 0, far::FMENU_WRAPMODE | far::FMENU_SHOWAMPERSAND,
                           host_.GetText(MPresetsTitle), host_.GetText(MPresetsBottom), kPresetsHelpTopic,
                           kBreakKeys, &breakCode, items.empty() ? nullptr : items.data(),
                           static_cast<int>(items.size()));
        return PresetsKeyOf(breakCode, *line);
    }

    bool AskName(int titleId, const std::string& initial, std::string* typed) override {
        if (!HasInputBox(info_))
            return false;
        char text[kNameBuffer] = {};
        if (!info_.InputBox(host_.GetText(titleId), host_.GetText(MPresetNamePrompt), nullptr,
                            initial.c_str(), text, kNameBuffer - 1, kPresetsHelpTopic,
                            far::FIB_ENABLEEMPTY | far::FIB_BUTTONS))
            return false;
        text[kNameBuffer - 1] = '\0';
        typed->assign(text);
        return true;
    }

private:
    const HostApi& host_;
    const far::PluginStartupInfo& info_;
};

}  // namespace

bool OfferPresets(HostApi& host, const far::PluginStartupInfo& info, const RunContext& context,
                  DialogItems& items, const RenameOptions& options, bool descriptionsShown) {
    RenameOptions current = options;
    ReadDialogItems(items, current);
    RecordPresetsUi ui(host, info);
    RenameOptions loaded;
    if (!RunPresetsMenu(host, context.registry, context.settingsKey, context.text, ui, far::MenuOrder,
                        current, &loaded))
        return false;
    FillDialogItems(host, items, loaded, descriptionsShown);
    return true;
}

}  // namespace velmora
