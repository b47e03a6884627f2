// The date reader on any bytes, in every format it reads: the first byte picks the format (the
// JPEG and TIFF one when it is 0), and MediaFuzz.hpp says what each must hold. A date EXIF gives
// is written back as EXIF's text and parsed again to itself.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>
#include <string_view>

#include "MediaFuzz.hpp"
#include "media/Exif.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using velmora::MediaFormat;
    static constexpr MediaFormat kFormats[] = {MediaFormat::Exif,      MediaFormat::Heif, MediaFormat::Cr3,
                                               MediaFormat::QuickTime, MediaFormat::Raf,  MediaFormat::Png,
                                               MediaFormat::WebP,      MediaFormat::Avi};
    const MediaFormat format = size == 0 ? MediaFormat::Exif : kFormats[data[0] % std::size(kFormats)];
    velmora::fuzz::FuzzInput input(size == 0 ? data : data + 1, size == 0 ? 0 : size - 1);
    if (format == MediaFormat::Exif) {
        velmora::fuzz::FuzzInput copy = input;
        copy.TakeNumber();
        const std::string file = copy.Rest();
        velmora::CivilTime taken;
        velmora::ExifDateTag tag = velmora::ExifDateTag::DateTime;
        if (velmora::ReadExifDate(file, &taken, &tag)) {
            char text[20];
            std::snprintf(text, sizeof text, "%04d:%02d:%02d %02d:%02d:%02d", taken.year, taken.month,
                          taken.day, taken.hour, taken.minute, taken.second);
            velmora::CivilTime again;
            if (!velmora::ParseExifDateTime(std::string_view(text, 19), &again) || again.year != taken.year ||
                again.month != taken.month || again.day != taken.day || again.hour != taken.hour ||
                again.minute != taken.minute || again.second != taken.second)
                std::abort();
        }
    }
    velmora::fuzz::FuzzMedia(format, input);
    return 0;
}
