#include "media/IsoBmff.hpp"

namespace velmora {
namespace {

// More boxes side by side than any camera writes (a movie's moov holds a few tracks and a meta box).
constexpr int kMostBoxes = 512;

}  // namespace

bool BoxWalk::Next(Box* box) {
    if (at_ >= end_ || end_ - at_ < 8 || ++walked_ > kMostBoxes)
        return false;
    const unsigned char* header = bytes_.Get(at_, 8, end_);
    if (header == nullptr)
        return false;
    std::uint64_t size = Be32(header);
    std::uint64_t headerSize = 8;
    if (size == 1) {
        const unsigned char* large = bytes_.Get(at_ + 8, 8, end_);
        if (large == nullptr)
            return false;
        size = Be64(large);
        headerSize = 16;
    } else if (size == 0) {
        size = end_ - at_;
    }
    box->type = Be32(header + 4);
    if (box->type == FourCc("uuid"))
        headerSize += 16;
    if (size < headerSize || size > end_ - at_)
        return false;
    box->start = at_;
    box->body = at_ + headerSize;
    box->end = at_ + size;
    at_ = box->end;
    return true;
}

bool FindBox(ByteReader& bytes, std::uint64_t start, std::uint64_t end, std::uint32_t type, Box* found) {
    BoxWalk walk(bytes, start, end);
    Box box;
    while (walk.Next(&box)) {
        if (box.type == type) {
            *found = box;
            return true;
        }
    }
    return false;
}

bool ReadSized(ByteReader& bytes, std::uint64_t at, std::uint64_t end, int size, std::uint64_t* value) {
    if (size == 0) {
        *value = 0;
        return true;
    }
    if (size != 4 && size != 8)
        return false;
    const unsigned char* field = bytes.Get(at, static_cast<std::size_t>(size), end);
    if (field == nullptr)
        return false;
    *value = size == 4 ? Be32(field) : Be64(field);
    return true;
}

}  // namespace velmora
