// Any bytes as a language file: the reader never crashes, refuses or accepts with a message, and
// every message number it reports can be looked up.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "host/Lng.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string contents(reinterpret_cast<const char*>(data), size);
    velmora::host::Lng lng;
    std::string error;
    const bool ok = lng.Parse(contents, "fuzz.lng", &error);
    if (!ok && error.empty()) {
        std::abort();  // a refusal the user could not understand
    }
    if (ok) {
        // Each message is one quoted line, so there cannot be more messages than lines.
        std::size_t lines = 1;
        for (char c : contents) {
            lines += c == '\n';
        }
        if (lng.Count() > lines) {
            std::abort();
        }
        const int count = static_cast<int>(lng.Count());
        for (int id = -1; id <= count; ++id) {
            const char* text = lng.GetMsg(id);
            if (text == nullptr) {
                std::abort();
            }
            if ((id < 0 || id == count) && *text != '\0') {
                std::abort();
            }
        }
    }
    // Loading again must give the same result (no state kept from the previous file).
    velmora::host::Lng again;
    std::string secondError;
    if (again.Parse(contents, "fuzz.lng", &secondError) != ok || again.Count() != lng.Count()) {
        std::abort();
    }
    return 0;
}
