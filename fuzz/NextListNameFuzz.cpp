// Any list of description file names: the walk ends, every step moves forward, and every name is
// the text where the step began, up to its separator.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "far/HostConventions.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The host's list is zero-terminated text: only the part before a zero byte is the list.
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::string list = input.substr(0, input.find('\0'));
    const char* const begin = list.c_str();
    const char* const end = begin + list.size();

    std::string name = "untouched";
    const char* position = begin;
    std::size_t steps = 0;
    while (true) {
        const char* next = far::NextListName(position, &name);
        if (next == nullptr) {
            // Only the end of the list stops the walk, and the name is left as it was.
            if (position != end) {
                std::abort();
            }
            break;
        }
        if (next <= position || next > end) {
            std::abort();
        }
        // The name is the text from the step's start; only a separator and blanks are skipped.
        if (name.size() > static_cast<std::size_t>(next - position) ||
            list.compare(static_cast<std::size_t>(position - begin), name.size(), name) != 0) {
            std::abort();
        }
        if (++steps > list.size()) {
            std::abort();
        }
        position = next;
    }
    return 0;
}
