#include "naming/DateTaken.hpp"

#include <memory>
#include <utility>

#include "media/MediaFile.hpp"
#include "naming/NameTemplate.hpp"

namespace velmora {
namespace {

// The dates sit in the first few KB of a camera's JPEG (APP1 comes first, and the tags' values
// before the maker note and the thumbnail) and of its raw file. Each read is one page: on a cold
// cache the time goes with the bytes read (3,000 photos: 4 KB reads took a third of 64 KB ones,
// BENCHMARKS.md). A file whose facts lie further (a big segment before APP1, a TIFF written with
// its directories after the image, a clip's moov after its media, an HEIC's EXIF item at the end)
// costs a read at each place its structures point to, within bounds that hostile offsets cannot
// stretch. A clip's moov after its mdat takes a read for moov and one for each track stepped over.
constexpr std::size_t kFirstRead = 4096;
constexpr std::size_t kLaterRead = 4096;
constexpr std::uint64_t kMostRead = 1024 * 1024;
constexpr int kMostReads = 16;

}  // namespace

bool FileDateTaken::IsPhotoName(std::string_view path) {
    return MediaFormatOfName(path) != MediaFormat::None;
}

const MediaFacts* FileDateTaken::Facts(const std::string& path) {
    if (!IsPhotoName(path))
        return nullptr;
    auto known = answers_.find(path);
    if (known == answers_.end())
        known = answers_.emplace(path, Read(path)).first;
    return known->second.Any() ? &known->second : nullptr;
}

MediaFacts FileDateTaken::Read(const std::string& path) {
    const MediaFormat format = MediaFormatOfName(path);
    std::unique_ptr<ReadableFile> file;
    // The file system opens only a plain file, and without waiting: a FIFO or a device with a
    // photo's name is refused here.
    if (!files_.OpenForReading(path, &file) || file == nullptr)
        return MediaFacts();
    FileBytes bytes(file->Size());
    std::string piece;
    if (!file->ReadAt(0, kFirstRead, &piece))
        return MediaFacts();
    bytes.Add(0, std::move(piece));
    for (int reads = 1;; ++reads) {
        MediaRead read = ReadMedia(format, bytes);
        if (read.outcome == MediaRead::Found) {
            // A movie header's moment, shown as the panel shows times (1601-01-01 when the system
            // cannot say, which is no date).
            if (read.facts.hasTaken && read.facts.tag == ExifDateTag::MovieHeader) {
                read.facts.taken = LocalCivilTime(read.utcTicks);
                read.facts.hasTaken = read.facts.taken.year > 1601;
            }
            return read.facts;
        }
        if (read.outcome == MediaRead::Missing || reads >= kMostReads || bytes.Held() >= kMostRead)
            return MediaFacts();
        const std::size_t count = read.wantCount > kLaterRead ? read.wantCount : kLaterRead;
        // A file that shrank since it was opened gives less than asked: the bytes then never come.
        if (read.wantCount > kMostRead || !file->ReadAt(read.wantOffset, count, &piece) ||
            piece.size() < read.wantCount)
            return MediaFacts();
        bytes.Add(read.wantOffset, std::move(piece));
    }
}

}  // namespace velmora
