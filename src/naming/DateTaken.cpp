#include "naming/DateTaken.hpp"

#include <memory>
#include <utility>

#include "far/HostConventions.hpp"
#include "naming/ExifDate.hpp"

namespace velmora {
namespace {

// The dates sit in the first few KB of a camera's JPEG (APP1 comes first, and the tags' values
// before the maker note and the thumbnail) and of its raw file. Each read is one page: on a cold
// cache the time goes with the bytes read (3,000 photos: 4 KB reads took a third of 64 KB ones,
// BENCHMARKS.md). A photo whose tags lie further (a big segment before APP1, a TIFF written with
// its directories after the image) costs a read at each place they point to, within bounds that
// hostile offsets cannot stretch.
constexpr std::size_t kFirstRead = 4096;
constexpr std::size_t kLaterRead = 4096;
constexpr std::uint64_t kMostRead = 1024 * 1024;
constexpr int kMostReads = 16;

}  // namespace

bool FileDateTaken::IsPhotoName(std::string_view path) {
    const std::size_t dot = path.find_last_of("./\\");
    if (dot == std::string_view::npos || path[dot] != '.')
        return false;
    const std::string_view extension = path.substr(dot + 1);
    if (extension.size() < 3 || extension.size() > 4)
        return false;
    static constexpr std::string_view kExtensions[] = {"jpg", "jpeg", "jpe", "tif", "tiff", "dng",
                                                       "nef", "cr2",  "arw", "orf", "pef"};
    for (const std::string_view known : kExtensions) {
        if (far::EqualIgnoringAsciiCase(extension, known))
            return true;
    }
    return false;
}

const MediaFacts* FileDateTaken::Facts(const std::string& path) {
    if (!IsPhotoName(path))
        return nullptr;
    auto known = answers_.find(path);
    if (known == answers_.end())
        known = answers_.emplace(path, Read(path)).first;
    return known->second.hasTaken ? &known->second : nullptr;
}

MediaFacts FileDateTaken::Read(const std::string& path) {
    MediaFacts answer;
    std::unique_ptr<ReadableFile> file;
    if (!files_.OpenForReading(path, &file) || file == nullptr)
        return answer;
    FileBytes bytes(file->Size());
    std::string piece;
    if (!file->ReadAt(0, kFirstRead, &piece))
        return answer;
    bytes.Add(0, std::move(piece));
    for (int reads = 1;; ++reads) {
        const ExifDateRead read = ReadExifDate(bytes);
        if (read.outcome == ExifDateRead::Found) {
            answer.hasTaken = true;
            answer.taken = read.taken;
            answer.tag = read.tag;
            return answer;
        }
        if (read.outcome == ExifDateRead::Missing || reads >= kMostReads || bytes.Held() >= kMostRead)
            return answer;
        const std::size_t count = read.wantCount > kLaterRead ? read.wantCount : kLaterRead;
        // A file that shrank since it was opened gives less than asked: the bytes then never come.
        if (!file->ReadAt(read.wantOffset, count, &piece) || piece.size() < read.wantCount)
            return answer;
        bytes.Add(read.wantOffset, std::move(piece));
    }
}

}  // namespace velmora
