// An in-memory settings tree that logs every operation, for tests of what is read and written.
#pragma once

#include <cstdint>
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
