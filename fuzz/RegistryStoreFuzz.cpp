// Any bytes as the settings file: reading never crashes; what is read survives being written and
// read again (every value found before is found after, byte for byte); and a value set on top of
// any store reads back exactly.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "FuzzInput.hpp"
#include "platform/RegistryStore.hpp"

namespace {

bool Same(const velmora::RegistryValue* a, const velmora::RegistryValue* b) {
    if (a == nullptr || b == nullptr) {
        return a == b;
    }
    return a->type == b->type && a->bytes == b->bytes;
}

// Key paths and value names the text seems to hold: what a lookup of them gives must not change
// across a write and a read.
std::vector<std::pair<std::string, std::string>> Candidates(const std::string& text) {
    static const std::string kRoot = "[HKEY_CURRENT_USER\\";
    std::vector<std::pair<std::string, std::string>> found;
    std::string key;
    for (std::size_t pos = 0; pos < text.size() && found.size() < 64;) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string::npos) {
            end = text.size();
        }
        const std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        if (line.compare(0, kRoot.size(), kRoot) == 0) {
            const std::size_t close = line.rfind(']');
            key = close != std::string::npos && close >= kRoot.size()
                      ? line.substr(kRoot.size(), close - kRoot.size())
                      : line.substr(kRoot.size());
        } else if (!line.empty() && line[0] == '"') {
            const std::size_t close = line.find('"', 1);
            found.emplace_back(key,
                               line.substr(1, close == std::string::npos ? std::string::npos : close - 1));
        } else if (!line.empty() && line[0] == '@') {
            found.emplace_back(key, "");
        }
    }
    return found;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    velmora::fuzz::FuzzInput input(data, size);
    const std::uint32_t type = input.TakeNumber();
    const std::string setKey = input.TakeUntilZero();
    const std::string setName = input.TakeUntilZero();
    const std::string setBytes = input.TakeUntilZero();
    const std::string text(reinterpret_cast<const char*>(data), size);

    const velmora::RegistryStore first(text);
    const std::string written = first.Text();
    if (written.compare(0, 8, "REGEDIT4") != 0) {
        std::abort();
    }
    const velmora::RegistryStore second(written);
    if (!second.HasHeader()) {
        std::abort();
    }
    for (const auto& [key, name] : Candidates(text)) {
        if (!Same(first.Find(key, name), second.Find(key, name))) {
            std::abort();
        }
    }
    // Writing is a fixed point: a store written twice reads the same.
    if (second.Text() != written) {
        std::abort();
    }

    // A value set on top of whatever the file held reads back exactly, and nothing else moves.
    velmora::RegistryStore changed(text);
    velmora::RegistryValue value;
    static const std::uint32_t kTypes[] = {velmora::kRegistryString, velmora::kRegistryDword,
                                           velmora::kRegistryBinary, 7};
    value.type = kTypes[type % 4];
    value.bytes = setBytes;
    if (value.type == velmora::kRegistryString) {
        value.bytes.push_back('\0');
    } else if (value.type == velmora::kRegistryDword) {
        value.bytes.resize(4);
    }
    if (changed.Set(setKey, setName, value)) {
        const velmora::RegistryStore reread(changed.Text());
        const velmora::RegistryValue* back = reread.Find(setKey, setName);
        if (back == nullptr || back->type != value.type || back->bytes != value.bytes) {
            std::abort();
        }
        const std::string foldedSet = velmora::FoldRegistryKeyPath(setKey);
        for (const auto& [key, name] : Candidates(text)) {
            if (velmora::FoldRegistryKeyPath(key) == foldedSet) {
                continue;  // the same key: the name comparison rules are the store's business
            }
            if (!Same(first.Find(key, name), reread.Find(key, name))) {
                std::abort();
            }
        }
    }
    return 0;
}
