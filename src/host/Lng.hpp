// A FAR language file (.lng): a ".Language=" header line, then one double-quoted text per message,
// numbered from 0 in file order.
#pragma once

#include <string>
#include <vector>

namespace velmora::host {

class Lng {
public:
    // Reads the file; false with a message fit for the user when it is missing or not a
    // language file.
    bool Load(const std::string& path, std::string* error);
    // Parses the contents of a language file; `name` is only used in messages.
    bool Parse(const std::string& contents, const std::string& name, std::string* error);

    // The text of message `id`, or "" for a number the file does not have. The pointer stays
    // valid as long as the object lives and is not loaded again.
    const char* GetMsg(int id) const;
    std::size_t Count() const { return messages_.size(); }
    const std::string& Language() const { return language_; }

private:
    std::string language_;
    std::vector<std::string> messages_;
};

}  // namespace velmora::host
