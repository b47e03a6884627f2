// The plug-in's options in FAR 3's settings store, under the plug-in's GUID: the registry the run
// reads and writes, over FAR's settings service. Key paths are "\"-separated subkeys of the
// plug-in's own key ("" is that key); strings are stored as text, numbers as FAR's 64-bit numbers.
#pragma once

#include <string>
#include <vector>

#include "far/Far3Abi.hpp"
#include "platform/Platform.hpp"

namespace velmora {

class Far3Settings final : public Registry {
public:
    explicit Far3Settings(const far3::PluginStartupInfo& info) : info_(info) {}

    // A string comes back as UTF-8 with its terminator, a number as its four low bytes (all eight
    // when it needs them), data as stored.
    bool Read(const std::string& keyPath, const std::string& valueName, std::size_t capacity,
              std::string* bytes) override;
    bool WriteString(const std::string& keyPath, const std::string& valueName,
                     const std::string& text) override;
    bool WriteDword(const std::string& keyPath, const std::string& valueName, std::uint32_t value) override;
    bool Subkeys(const std::string& keyPath, std::vector<std::string>* names) override;
    bool DeleteKey(const std::string& keyPath) override;

private:
    bool Write(const std::string& keyPath, far3::FarSettingsItem& item);

    const far3::PluginStartupInfo& info_;
};

}  // namespace velmora
