// An in-memory settings tree that logs every operation, for tests of what is read and written.
#pragma once

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "platform/Platform.hpp"

namespace velmora::test {

class MemoryRegistry : public Registry {
public:
    bool Read(const std::string& keyPath, const std::string& valueName, std::size_t capacity,
              std::string* bytes) override {
        log.push_back("Read(" + keyPath + "," + valueName + ")");
        auto it = values.find(keyPath + "|" + valueName);
        if (it == values.end() || it->second.size() > capacity) {
            return false;
        }
        *bytes = it->second;
        return true;
    }
    bool WriteString(const std::string& keyPath, const std::string& valueName,
                     const std::string& text) override {
        log.push_back("WriteString(" + keyPath + "," + valueName + ")");
        values[keyPath + "|" + valueName] = text + std::string(1, '\0');
        return true;
    }
    bool WriteDword(const std::string& keyPath, const std::string& valueName, std::uint32_t value) override {
        log.push_back("WriteDword(" + keyPath + "," + valueName + ")");
        std::string bytes;
        for (int i = 0; i < 4; ++i) {
            bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
        }
        values[keyPath + "|" + valueName] = bytes;
        return true;
    }
    // Keys are there while a value is: a key's names below it come from the values' keys.
    bool Subkeys(const std::string& keyPath, std::vector<std::string>* names) override {
        log.push_back("Subkeys(" + keyPath + ")");
        names->clear();
        bool found = false;
        for (const auto& [path, bytes] : values) {
            const std::string key = path.substr(0, path.find('|'));
            if (key == keyPath)
                found = true;
            if (key.size() <= keyPath.size() + 1 || key.compare(0, keyPath.size(), keyPath) != 0 ||
                key[keyPath.size()] != '\\')
                continue;
            found = true;
            const std::string below = key.substr(keyPath.size() + 1);
            const std::string name = below.substr(0, below.find('\\'));
            if (std::find(names->begin(), names->end(), name) == names->end())
                names->push_back(name);
        }
        return found;
    }
    bool DeleteKey(const std::string& keyPath) override {
        log.push_back("DeleteKey(" + keyPath + ")");
        for (auto it = values.begin(); it != values.end();) {
            const std::string key = it->first.substr(0, it->first.find('|'));
            const bool within = key == keyPath ||
                                (key.size() > keyPath.size() &&
                                 key.compare(0, keyPath.size(), keyPath) == 0 && key[keyPath.size()] == '\\');
            it = within ? values.erase(it) : std::next(it);
        }
        return true;
    }
    // Stores raw bytes, as a value of any type would hold them.
    void Put(const std::string& keyPath, const std::string& valueName, const std::string& bytes) {
        values[keyPath + "|" + valueName] = bytes;
    }
    bool Has(const std::string& keyPath, const std::string& valueName) const {
        return values.count(keyPath + "|" + valueName) != 0;
    }

    std::map<std::string, std::string> values;
    std::vector<std::string> log;
};

// Installs a registry for the lifetime of a test.
class ScopedRegistry {
public:
    explicit ScopedRegistry(Registry* registry) { SetRegistry(registry); }
    ~ScopedRegistry() { SetRegistry(nullptr); }
    ScopedRegistry(const ScopedRegistry&) = delete;
    ScopedRegistry& operator=(const ScopedRegistry&) = delete;
};

}  // namespace velmora::test
