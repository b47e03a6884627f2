// A file that lives in memory: what is written goes to a string its owner shares. The plan's
// simulated directory keeps the files a run would write this way, and tests and fuzzers read
// back what a writer wrote.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "platform/Platform.hpp"

namespace velmora {

class MemoryFile final : public WritableFile {
public:
    explicit MemoryFile(std::shared_ptr<std::string> bytes = std::make_shared<std::string>())
        : bytes_(std::move(bytes)) {}

    std::string& Bytes() { return *bytes_; }

    FileResult Write(const char* data, std::size_t size) override {
        bytes_->append(data, size);
        return FileResult::Success();
    }
    FileResult Size(std::uint64_t* size) override {
        *size = bytes_->size();
        return FileResult::Success();
    }
    FileResult Close() override { return FileResult::Success(); }

private:
    std::shared_ptr<std::string> bytes_;
};

}  // namespace velmora
