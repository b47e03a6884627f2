#include "descriptions/DescriptionEncoding.hpp"

#include "platform/Utf16.hpp"

namespace velmora {
namespace {

constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";
constexpr std::size_t kUtf8MarkSize = sizeof kUtf8Mark - 1;

bool HasNonAscii(std::string_view bytes) {
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return true;
    }
    return false;
}

FileResult PrependUtf8Mark(WritableFile& file, std::uint64_t* size) {
    const FileResult marked = file.Prepend(kUtf8Mark, kUtf8MarkSize);
    if (marked)
        *size += kUtf8MarkSize;
    return marked;
}

// Everything written so far, read back, converted and written again.
template <class Conversion>
FileResult Rewrite(WritableFile& file, std::uint64_t* size, Conversion convert) {
    std::string text;
    const FileResult read = file.ReadBack(&text);
    if (!read)
        return read;
    const std::string bytes = convert(text);
    const FileResult written = file.Overwrite(bytes.data(), bytes.size());
    if (written)
        *size = bytes.size();
    return written;
}

class HostByteEncoding final : public DescriptionEncoding {
public:
    explicit HostByteEncoding(bool utf8) : utf8_(utf8) {}

    bool ReadsMark() const override { return !utf8_; }
    bool Begin(DescriptionCodePage readIn) override {
        nonAscii_ = false;
        return utf8_ || readIn == DescriptionCodePage::Plain;
    }
    void Note(std::string_view written) override { nonAscii_ = nonAscii_ || HasNonAscii(written); }
    FileResult Finish(WritableFile& file, std::uint64_t* size) override {
        // A file of pure ASCII reads the same in every code page and stays without a mark.
        if (utf8_ && nonAscii_)
            return PrependUtf8Mark(file, size);
        return FileResult::Success();
    }

private:
    bool utf8_;
    bool nonAscii_ = false;
};

class UnicodeHostEncoding final : public DescriptionEncoding {
public:
    explicit UnicodeHostEncoding(const CodePageEncoder& oem) : oem_(oem) {}

    bool ReadsMark() const override { return true; }
    bool Begin(DescriptionCodePage readIn) override {
        target_ = readIn;
        nonAscii_ = false;
        beyondOem_ = false;
        return true;
    }
    void Note(std::string_view written) override {
        if (!HasNonAscii(written))
            return;
        nonAscii_ = true;
        if (target_ == DescriptionCodePage::Plain && !beyondOem_)
            beyondOem_ = !oem_.Encode(written, &scratch_);
    }
    FileResult Finish(WritableFile& file, std::uint64_t* size) override {
        // Nothing written is nothing to describe: a mark alone must not make it a file.
        if (*size == 0)
            return FileResult::Success();
        switch (target_) {
            case DescriptionCodePage::Plain:
                if (beyondOem_)
                    return PrependUtf8Mark(file, size);
                if (!nonAscii_)
                    return FileResult::Success();
                return Rewrite(file, size, [this](const std::string& text) {
                    std::string bytes;
                    // Every line was seen to fit; a file that still does not keeps its text in UTF-8.
                    if (!oem_.Encode(text, &bytes))
                        bytes = kUtf8Mark + text;
                    return bytes;
                });
            case DescriptionCodePage::Utf8:
                return PrependUtf8Mark(file, size);
            case DescriptionCodePage::Utf16Le:
            case DescriptionCodePage::Utf16Be: {
                const bool little = target_ == DescriptionCodePage::Utf16Le;
                return Rewrite(file, size, [little](const std::string& text) {
                    const std::u16string units = u'\xFEFF' + ToUtf16<char16_t>(text);
                    std::string bytes;
                    bytes.reserve(units.size() * 2);
                    for (const char16_t unit : units) {
                        const char low = static_cast<char>(unit & 0xFF);
                        const char high = static_cast<char>(unit >> 8);
                        bytes.push_back(little ? low : high);
                        bytes.push_back(little ? high : low);
                    }
                    return bytes;
                });
            }
        }
        return FileResult::Success();
    }

private:
    const CodePageEncoder& oem_;
    DescriptionCodePage target_ = DescriptionCodePage::Plain;
    bool nonAscii_ = false;
    bool beyondOem_ = false;  // some line has a character the OEM code page lacks
    std::string scratch_;
};

}  // namespace

DescriptionCodePage CodePageOfMark(std::string_view start) {
    if (start.substr(0, kUtf8MarkSize) == kUtf8Mark)
        return DescriptionCodePage::Utf8;
    if (start.substr(0, 2) == "\xFF\xFE")
        return DescriptionCodePage::Utf16Le;
    if (start.substr(0, 2) == "\xFE\xFF")
        return DescriptionCodePage::Utf16Be;
    return DescriptionCodePage::Plain;
}

std::unique_ptr<DescriptionEncoding> MakeDescriptionEncoding(HostText text, const CodePageEncoder* oem) {
    if (text == HostText::Unicode && oem)
        return std::make_unique<UnicodeHostEncoding>(*oem);
    return std::make_unique<HostByteEncoding>(text != HostText::Oem);
}

}  // namespace velmora
