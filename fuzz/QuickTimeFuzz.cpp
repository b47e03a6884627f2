// The QuickTime reader on any bytes (MediaFuzz.hpp says what it must hold).
#include "MediaFuzz.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    velmora::fuzz::FuzzInput input(data, size);
    velmora::fuzz::FuzzMedia(velmora::MediaFormat::QuickTime, input);
    return 0;
}
