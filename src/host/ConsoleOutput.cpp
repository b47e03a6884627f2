#include "host/ConsoleOutput.hpp"

#include <iostream>
#include <streambuf>
#include <string>

#include "platform/HostSystem.hpp"

namespace velmora::host {

// Holds the text until the stream is flushed and passes it on then: every message is flushed
// whole, so a character's bytes are never converted apart.
class ConsoleOutput::Buffer : public std::streambuf {
public:
    Buffer(std::ostream& stream, int fd) : stream_(stream), fd_(fd), target_(stream.rdbuf(this)) {}
    ~Buffer() override {
        sync();
        stream_.rdbuf(target_);
    }

protected:
    int_type overflow(int_type c) override {
        if (!traits_type::eq_int_type(c, traits_type::eof()))
            pending_.push_back(traits_type::to_char_type(c));
        return traits_type::not_eof(c);
    }

    std::streamsize xsputn(const char* text, std::streamsize count) override {
        pending_.append(text, static_cast<std::size_t>(count));
        return count;
    }

    int sync() override {
        std::string text;
        text.swap(pending_);
        if (!text.empty() && !WriteToConsole(fd_, text)) {
            text = ConsoleText(text);
            const auto size = static_cast<std::streamsize>(text.size());
            if (target_->sputn(text.data(), size) != size)
                return -1;
        }
        return target_->pubsync();
    }

private:
    std::ostream& stream_;
    int fd_;
    std::streambuf* target_;
    std::string pending_;
};

ConsoleOutput::ConsoleOutput() {
    if (!ConvertsConsoleText())
        return;
    out_ = std::make_unique<Buffer>(std::cout, 1);
    err_ = std::make_unique<Buffer>(std::cerr, 2);
}

ConsoleOutput::~ConsoleOutput() = default;

}  // namespace velmora::host
