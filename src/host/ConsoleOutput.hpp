// The program's standard output and error as the user's console shows them: the host's text is
// in its own code page (OEM on Windows), which a console switched with "chcp" does not show.
#pragma once

#include <memory>

namespace velmora::host {

// While it lives, what is written to std::cout and std::cerr goes through WriteToConsole and
// ConsoleText where the system needs it; elsewhere the streams are left alone.
class ConsoleOutput {
public:
    ConsoleOutput();
    ~ConsoleOutput();
    ConsoleOutput(const ConsoleOutput&) = delete;
    ConsoleOutput& operator=(const ConsoleOutput&) = delete;

private:
    class Buffer;
    std::unique_ptr<Buffer> out_;
    std::unique_ptr<Buffer> err_;
};

}  // namespace velmora::host
