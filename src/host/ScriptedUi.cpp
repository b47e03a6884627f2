#include "host/ScriptedUi.hpp"

#include "platform/HostSystem.hpp"

namespace velmora::host {
namespace {

// Redrawing more often than this only costs time; nobody reads faster.
constexpr std::uint64_t kProgressIntervalMs = 50;
// Longer lines would wrap, and "\r" only returns to the start of the last screen line.
constexpr std::size_t kProgressWidth = 79;

std::string CutAtCharacter(const std::string& text, std::size_t limit) {
    if (text.size() <= limit)
        return text;
    std::size_t end = limit;
    // Never split a UTF-8 sequence: step back over continuation bytes.
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}

}  // namespace

std::string BoxText(const char* const* lines, int count, int buttons) {
    std::string text;
    int last = count - (buttons > 0 ? buttons : 0);
    for (int i = 1; i < last; ++i) {
        if (i > 1)
            text += ": ";
        text += lines[i] ? lines[i] : "";
    }
    if (last <= 1 && count > 0 && lines[0])
        text = lines[0];  // nothing but a title: show that rather than nothing
    return text;
}

ScriptedUi::ScriptedUi(DialogAnswer answer, std::ostream& err, bool showProgress)
    : answer_(answer), err_(err), showProgress_(showProgress) {}

ScriptedUi::~ScriptedUi() {
    Finish();
}

int ScriptedUi::Dialog(int /*x1*/, int /*y1*/, int /*x2*/, int /*y2*/, const char* /*helpTopic*/,
                       far::FarDialogItem* items, int count) {
    if (answer_ != DialogAnswer::Yes)
        return -1;
    // OK is the default button: what Enter in any field would choose.
    for (int i = 0; i < count; ++i) {
        if (items[i].DefaultButton)
            return i;
    }
    for (int i = 0; i < count; ++i) {
        if (items[i].Type == far::DI_BUTTON)
            return i;
    }
    return -1;
}

int ScriptedUi::Message(std::uint32_t /*flags*/, const char* /*helpTopic*/, const char* const* lines,
                        int count, int buttons) {
    if (buttons > 0) {
        Finish();
        err_ << "velmora: " << BoxText(lines, count, buttons) << '\n';
        err_.flush();
        return 0;
    }
    if (!showProgress_)
        return 0;
    std::uint64_t now = MonotonicMilliseconds();
    if (progressShown_ && now - lastProgress_ < kProgressIntervalMs)
        return 0;
    lastProgress_ = now;
    progressShown_ = true;
    err_ << '\r' << CutAtCharacter(BoxText(lines, count, 0), kProgressWidth) << "\x1b[K";
    err_.flush();
    return 0;
}

void* ScriptedUi::SaveScreen(int /*x1*/, int /*y1*/, int /*x2*/, int /*y2*/) {
    return this;
}

void ScriptedUi::RestoreScreen(void* /*screen*/) {}

void ScriptedUi::Finish() {
    if (!progressShown_)
        return;
    progressShown_ = false;
    err_ << "\r\x1b[K";
    err_.flush();
}

}  // namespace velmora::host
