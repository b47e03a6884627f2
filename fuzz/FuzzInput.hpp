// Splits one fuzzer input into the pieces a target needs, so every byte string is a valid input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace velmora::fuzz {

class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size)
        : data_(reinterpret_cast<const char*>(data)), size_(size) {}

    // Four bytes as a little-endian number; missing bytes count as 0.
    std::uint32_t TakeNumber() {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            std::uint32_t byte = 0;
            if (pos_ < size_) {
                byte = static_cast<unsigned char>(data_[pos_++]);
            }
            value |= byte << (8 * i);
        }
        return value;
    }

    // The bytes up to the next zero byte (which is consumed), or the rest.
    std::string TakeUntilZero() {
        std::string piece;
        while (pos_ < size_ && data_[pos_] != '\0') {
            piece.push_back(data_[pos_++]);
        }
        if (pos_ < size_) {
            ++pos_;
        }
        return piece;
    }

    std::string Rest() {
        std::string rest(data_ + pos_, size_ - pos_);
        pos_ = size_;
        return rest;
    }

private:
    const char* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

}  // namespace velmora::fuzz
