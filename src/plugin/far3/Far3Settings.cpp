#include "plugin/far3/Far3Settings.hpp"

#include <cstring>
#include <vector>

#include "platform/Utf16.hpp"
#include "plugin/far3/Far3Guids.hpp"

namespace velmora {
namespace {

// The plug-in's settings from SCTL_CREATE to SCTL_FREE: one opening for each read or write, so
// nothing is held between runs and every value is on disk once the call returns.
class SettingsHandle {
public:
    explicit SettingsHandle(const far3::PluginStartupInfo& info) : info_(info) {
        far3::FarSettingsCreate create{sizeof create, kPluginGuid, far3::kInvalidHandle};
        if (info_.SettingsControl &&
            info_.SettingsControl(far3::kInvalidHandle, far3::SCTL_CREATE, far3::PSL_ROAMING, &create))
            handle_ = create.Handle;
    }
    SettingsHandle(const SettingsHandle&) = delete;
    SettingsHandle& operator=(const SettingsHandle&) = delete;
    ~SettingsHandle() {
        if (IsOpen())
            info_.SettingsControl(handle_, far3::SCTL_FREE, 0, nullptr);
    }

    bool IsOpen() const { return handle_ != far3::kInvalidHandle && handle_ != nullptr; }
    std::intptr_t Call(int command, void* param) const {
        return info_.SettingsControl(handle_, command, 0, param);
    }

    // The root index of a key path below the plug-in's key; 0 is that key, and also what a key
    // that cannot be opened (or made, with `create`) gives, so `*found` tells them apart.
    std::size_t Key(const std::string& keyPath, bool create, bool* found) const {
        std::size_t root = 0;
        *found = true;
        std::size_t start = 0;
        while (start < keyPath.size()) {
            std::size_t end = keyPath.find('\\', start);
            if (end == std::string::npos)
                end = keyPath.size();
            if (end > start) {
                const std::wstring name = ToUtf16<wchar_t>(keyPath.substr(start, end - start));
                far3::FarSettingsValue value{sizeof value, root, name.c_str()};
                root = static_cast<std::size_t>(
                    Call(create ? far3::SCTL_CREATESUBKEY : far3::SCTL_OPENSUBKEY, &value));
                if (root == 0) {
                    *found = false;
                    return 0;
                }
            }
            start = end + 1;
        }
        return root;
    }

private:
    const far3::PluginStartupInfo& info_;
    far3::HANDLE handle_ = far3::kInvalidHandle;
};

}  // namespace

bool Far3Settings::Read(const std::string& keyPath, const std::string& valueName, std::size_t capacity,
                        std::string* bytes) {
    const SettingsHandle settings(info_);
    if (!settings.IsOpen())
        return false;
    bool found = false;
    const std::size_t root = settings.Key(keyPath, false, &found);
    if (!found)
        return false;
    const std::wstring name = ToUtf16<wchar_t>(valueName);
    // The store answers for a value of the type asked for; the value's own type is not known here.
    for (const int type : {far3::FST_STRING, far3::FST_QWORD, far3::FST_DATA}) {
        far3::FarSettingsItem item{};
        item.StructSize = sizeof item;
        item.Root = root;
        item.Name = name.c_str();
        item.Type = type;
        if (!settings.Call(far3::SCTL_GET, &item))
            continue;
        std::string stored;
        switch (item.Type) {
            case far3::FST_STRING:
                stored = ToUtf8(item.Value.String);
                stored.push_back('\0');
                break;
            case far3::FST_QWORD: {
                const far3::UINT64 number = item.Value.Number;
                const std::size_t size = number > 0xFFFFFFFFu ? 8 : 4;
                for (std::size_t i = 0; i < size; ++i)
                    stored.push_back(static_cast<char>((number >> (8 * i)) & 0xFF));
                break;
            }
            case far3::FST_DATA:
                if (item.Value.Data.Size > 0 && item.Value.Data.Data)
                    stored.assign(static_cast<const char*>(item.Value.Data.Data), item.Value.Data.Size);
                break;
            default:
                continue;
        }
        if (stored.size() > capacity)
            return false;
        *bytes = std::move(stored);
        return true;
    }
    return false;
}

bool Far3Settings::Write(const std::string& keyPath, far3::FarSettingsItem& item) {
    const SettingsHandle settings(info_);
    if (!settings.IsOpen())
        return false;
    bool found = false;
    item.Root = settings.Key(keyPath, true, &found);
    return found && settings.Call(far3::SCTL_SET, &item) != 0;
}

bool Far3Settings::WriteString(const std::string& keyPath, const std::string& valueName,
                               const std::string& text) {
    const std::wstring name = ToUtf16<wchar_t>(valueName);
    const std::wstring value = ToUtf16<wchar_t>(text);
    far3::FarSettingsItem item{};
    item.StructSize = sizeof item;
    item.Name = name.c_str();
    item.Type = far3::FST_STRING;
    item.Value.String = value.c_str();
    return Write(keyPath, item);
}

bool Far3Settings::WriteDword(const std::string& keyPath, const std::string& valueName, std::uint32_t value) {
    const std::wstring name = ToUtf16<wchar_t>(valueName);
    far3::FarSettingsItem item{};
    item.StructSize = sizeof item;
    item.Name = name.c_str();
    item.Type = far3::FST_QWORD;
    item.Value.Number = value;
    return Write(keyPath, item);
}

bool Far3Settings::Subkeys(const std::string& keyPath, std::vector<std::string>* names) {
    names->clear();
    const SettingsHandle settings(info_);
    if (!settings.IsOpen())
        return false;
    bool found = false;
    const std::size_t root = settings.Key(keyPath, false, &found);
    if (!found)
        return false;
    far3::FarSettingsEnum listing{sizeof listing, root, 0, nullptr};
    if (!settings.Call(far3::SCTL_ENUM, &listing))
        return true;
    for (std::size_t i = 0; i < listing.Count && listing.Items; ++i) {
        if (listing.Items[i].Type == far3::FST_SUBKEY && listing.Items[i].Name)
            names->push_back(ToUtf8(listing.Items[i].Name));
    }
    return true;
}

bool Far3Settings::DeleteKey(const std::string& keyPath) {
    const SettingsHandle settings(info_);
    if (!settings.IsOpen())
        return false;
    bool found = false;
    const std::size_t root = settings.Key(keyPath, false, &found);
    if (!found)
        return true;
    // The plug-in's own key is never removed: it holds everything the plug-in stores.
    if (root == 0)
        return false;
    // No name: the key opened as `root` goes, with what it holds.
    far3::FarSettingsValue value{sizeof value, root, nullptr};
    return settings.Call(far3::SCTL_DELETE, &value) != 0;
}

}  // namespace velmora
