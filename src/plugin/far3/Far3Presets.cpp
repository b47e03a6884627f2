// The dialog's Presets button in FAR 3: the presets menu through FAR's Menu and InputBox, in the
// order FAR sorts its own lists.
#include <string>
#include <vector>

#include "far/HostConventions.hpp"
#include "platform/Utf16.hpp"
#include "plugin/far3/Far3Guids.hpp"
#include "plugin/far3/Far3Host.hpp"
#include "ports/Messages.hpp"
#include "preview/PresetsMenu.hpp"

namespace velmora {
namespace {

// Room for a name that is too long, so that the box can say so rather than the line cut it.
constexpr std::size_t kNameBuffer = 512;

class Far3PresetsUi final : public PresetsUi {
public:
    Far3PresetsUi(const Far3Host& host, const far3::PluginStartupInfo& info) : host_(host), info_(info) {}

    PresetsKey Menu(const std::vector<std::string>& names, int cursor, int* line) override {
        *line = -1;
        if (!info_.Menu)
            return PresetsKey::Escape;
        std::vector<std::wstring> texts;
        texts.reserve(names.size());
        std::vector<far3::FarMenuItem> items(names.size());
        for (std::size_t i = 0; i < names.size(); ++i) {
            texts.push_back(ToUtf16<wchar_t>(names[i]));
            items[i].Text = texts.back().c_str();
            if (static_cast<int>(i) == cursor)
                items[i].Flags |= far3::MIF_SELECTED;
        }
        static const far3::FarKey kBreakKeys[] = {
            {far3::kVkInsert, 0}, {far3::kVkDelete, 0}, {far3::kVkF4, 0}, {0, 0}};
        const std::wstring title = ToUtf16<wchar_t>(host_.GetText(MPresetsTitle));
        const std::wstring bottom = ToUtf16<wchar_t>(host_.GetText(MPresetsBottom));
        const std::wstring topic = ToUtf16<wchar_t>(kPresetsHelpTopic);
        std::intptr_t breakCode = -1;
        *line = static_cast<int>(info_.Menu(&kPluginGuid, &kPresetsMenuGuid, -1, -1, 0,
                                            far3::FMENU_WRAPMODE | far3::FMENU_SHOWAMPERSAND, title.c_str(),
                                            bottom.c_str(), topic.c_str(), kBreakKeys, &breakCode,
                                            items.empty() ? nullptr : items.data(), items.size()));
        return PresetsKeyOf(breakCode, *line);
    }

    bool AskName(int titleId, const std::string& initial, std::string* typed) override {
        if (!info_.InputBox)
            return false;
        const std::wstring title = ToUtf16<wchar_t>(host_.GetText(titleId));
        const std::wstring prompt = ToUtf16<wchar_t>(host_.GetText(MPresetNamePrompt));
        const std::wstring source = ToUtf16<wchar_t>(initial);
        const std::wstring topic = ToUtf16<wchar_t>(kPresetsHelpTopic);
        std::vector<wchar_t> text(kNameBuffer, L'\0');
        if (!info_.InputBox(&kPluginGuid, &kPresetNameGuid, title.c_str(), prompt.c_str(), nullptr,
                            source.c_str(), text.data(), text.size(), topic.c_str(),
                            far3::FIB_ENABLEEMPTY | far3::FIB_BUTTONS))
            return false;
        text.back() = L'\0';
        *typed = ToUtf8(text.data());
        return true;
    }

private:
    const Far3Host& host_;
    const far3::PluginStartupInfo& info_;
};

}  // namespace

void Far3Host::OfferPresets(RenameOptions& options, bool descriptionsShown) {
    if (!context_)
        return;
    Far3PresetsUi ui(*this, info_);
    RenameOptions loaded;
    // FAR 3 sorts its lists as Windows compares text, which far2l's collation follows too.
    if (!RunPresetsMenu(*this, context_->registry, context_->settingsKey, context_->text, ui,
                        far::MenuOrderFar2l, options, &loaded))
        return;
    if (!descriptionsShown)
        loaded.SaveDescription = options.SaveDescription;
    options = loaded;
}

}  // namespace velmora
