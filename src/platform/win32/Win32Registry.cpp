// Settings in the real registry under HKEY_CURRENT_USER. Every key is opened for one read or
// one write and closed right after it.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/Platform.hpp"
#include "platform/win32/Win32Handle.hpp"
#include "platform/win32/WindowsPrelude.hpp"

namespace velmora {
namespace {

using win32::HasEmbeddedZero;

class RegistryKey {
public:
    RegistryKey() = default;
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    ~RegistryKey() {
        if (key_)
            RegCloseKey(key_);
    }

    bool OpenForQuery(const std::string& path) {
        return RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, &key_) == ERROR_SUCCESS;
    }
    bool OpenForEnumeration(const std::string& path) {
        return RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_ENUMERATE_SUB_KEYS, &key_) ==
               ERROR_SUCCESS;
    }
    bool CreateForWrite(const std::string& path) {
        // KEY_WRITE (0x20006): set values and create subkeys, nothing more.
        return RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key_,
                               nullptr) == ERROR_SUCCESS;
    }
    HKEY Get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

class Win32Registry final : public Registry {
public:
    bool Read(const std::string& keyPath, const std::string& valueName, std::size_t capacity,
              std::string* bytes) override {
        if (HasEmbeddedZero(keyPath) || HasEmbeddedZero(valueName) || capacity > MAXDWORD)
            return false;
        RegistryKey key;
        if (!key.OpenForQuery(keyPath))
            return false;
        // Never a null buffer: with one the query would succeed and only report the size.
        std::string buffer(capacity, '\0');
        DWORD size = static_cast<DWORD>(capacity);
        if (RegQueryValueExA(key.Get(), valueName.c_str(), nullptr, nullptr,
                             reinterpret_cast<BYTE*>(&buffer[0]), &size) != ERROR_SUCCESS)
            return false;
        buffer.resize(size);
        *bytes = std::move(buffer);
        return true;
    }

    bool WriteString(const std::string& keyPath, const std::string& valueName,
                     const std::string& text) override {
        if (HasEmbeddedZero(keyPath) || HasEmbeddedZero(valueName) || text.size() >= MAXDWORD)
            return false;
        RegistryKey key;
        if (!key.CreateForWrite(keyPath))
            return false;
        return RegSetValueExA(key.Get(), valueName.c_str(), 0, REG_SZ,
                              reinterpret_cast<const BYTE*>(text.c_str()),
                              static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
    }

    bool WriteDword(const std::string& keyPath, const std::string& valueName, std::uint32_t value) override {
        if (HasEmbeddedZero(keyPath) || HasEmbeddedZero(valueName))
            return false;
        RegistryKey key;
        if (!key.CreateForWrite(keyPath))
            return false;
        const DWORD data = value;
        return RegSetValueExA(key.Get(), valueName.c_str(), 0, REG_DWORD,
                              reinterpret_cast<const BYTE*>(&data), sizeof data) == ERROR_SUCCESS;
    }

    bool Subkeys(const std::string& keyPath, std::vector<std::string>* names) override {
        names->clear();
        if (HasEmbeddedZero(keyPath))
            return false;
        RegistryKey key;
        if (!key.OpenForEnumeration(keyPath))
            return false;
        // A key's name holds at most 255 characters.
        char name[256];
        for (DWORD index = 0;; ++index) {
            DWORD size = sizeof name;
            const LONG status =
                RegEnumKeyExA(key.Get(), index, name, &size, nullptr, nullptr, nullptr, nullptr);
            if (status == ERROR_NO_MORE_ITEMS)
                break;
            if (status == ERROR_SUCCESS)
                names->emplace_back(name, size);
            else if (status != ERROR_MORE_DATA)
                break;
        }
        return true;
    }

    bool DeleteKey(const std::string& keyPath) override {
        if (HasEmbeddedZero(keyPath) || keyPath.empty())
            return false;
        // The keys below go first: the system removes only a key that has none.
        std::vector<std::string> below;
        if (!Subkeys(keyPath, &below))
            return true;
        for (const std::string& name : below)
            DeleteKey(keyPath + "\\" + name);
        const LONG status = RegDeleteKeyA(HKEY_CURRENT_USER, keyPath.c_str());
        return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
    }
};

}  // namespace

Registry& SystemRegistry() {
    static Win32Registry registry;
    return registry;
}

}  // namespace velmora
