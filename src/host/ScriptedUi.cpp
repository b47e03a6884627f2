#include "host/ScriptedUi.hpp"

#include <cstdio>
#include <utility>

namespace velmora::host {
namespace {

// Ten redraws a second at most: more only costs time, nobody reads faster. A run that is over
// sooner shows no line at all.
constexpr std::uint64_t kProgressIntervalMs = 100;

std::string Duration(std::uint64_t seconds) {
    char text[32];
    if (seconds >= 3600)
        std::snprintf(text, sizeof text, "%llu:%02llu:%02llu",
                      static_cast<unsigned long long>(seconds / 3600),
                      static_cast<unsigned long long>(seconds / 60 % 60),
                      static_cast<unsigned long long>(seconds % 60));
    else
        std::snprintf(text, sizeof text, "%llu:%02llu", static_cast<unsigned long long>(seconds / 60),
                      static_cast<unsigned long long>(seconds % 60));
    return text;
}

}  // namespace

std::string ProgressText(std::size_t done, std::size_t total, std::uint64_t elapsedMs) {
    std::string text = std::to_string(done) + "/" + std::to_string(total) + " files";
    if (elapsedMs == 0 || done == 0)
        return text;
    const std::uint64_t rate = static_cast<std::uint64_t>(done) * 1000 / elapsedMs;
    text += ", " + std::to_string(rate) + " files/s";
    if (total > done) {
        // Rounded up: "0:00 left" while files are left would be a lie.
        const std::uint64_t left = (static_cast<std::uint64_t>(total - done) * elapsedMs + done * 1000 - 1) /
                                   (static_cast<std::uint64_t>(done) * 1000);
        text += ", " + Duration(left) + " left";
    }
    return text;
}

std::size_t ProgressPlace(std::string_view progressText, std::string_view line) {
    std::size_t at = 0;
    for (std::size_t i = 0; i < progressText.size(); ++i) {
        if (progressText[i] == '%') {
            const char token = i + 1 < progressText.size() ? progressText[i + 1] : '\0';
            if (token == '#') {
                // A counter fits 32 bits: ten digits at most.
                std::size_t place = 0;
                for (int digits = 0; digits < 10 && at < line.size() && line[at] >= '0' && line[at] <= '9';
                     ++digits, ++at)
                    place = place * 10 + static_cast<std::size_t>(line[at] - '0');
                return place;
            }
            // Any other token's text cannot be told from what follows it; a "%" before no token
            // is dropped, as the template does.
            if (token != '%') {
                if (std::string_view("FfNnEehHTt").find(token) != std::string_view::npos || token == '\0')
                    return 0;
                continue;
            }
            ++i;
        }
        if (at >= line.size() || line[at] != progressText[i])
            return 0;
        ++at;
    }
    return 0;
}

std::string BoxText(const char* const* lines, int count, int buttons) {
    std::string text;
    int last = count - (buttons > 0 ? buttons : 0);
    for (int i = 1; i < last; ++i) {
        // A line that ends in its own colon ("... is not valid:") takes only the space.
        if (i > 1)
            text += !text.empty() && text.back() == ':' ? " " : ": ";
        text += lines[i] ? lines[i] : "";
    }
    if (last <= 1 && count > 0 && lines[0])
        text = lines[0];  // nothing but a title: show that rather than nothing
    return text;
}

ScriptedUi::ScriptedUi(DialogAnswer answer, std::ostream& err, bool showProgress, std::size_t total,
                       std::string progressText, Clock* clock)
    : answer_(answer),
      err_(err),
      showProgress_(showProgress),
      total_(total),
      progressText_(std::move(progressText)),
      clock_(clock ? *clock : SystemClock()) {}

ScriptedUi::~ScriptedUi() {
    Finish();
}

int ScriptedUi::Dialog(int /*x1*/, int /*y1*/, int /*x2*/, int /*y2*/, const char* /*helpTopic*/,
                       far::FarDialogItem* items, int count) {
    // A dialog shown again after a warning box refused its answers: the answers on the command
    // line cannot change, so the user gives up rather than answer the same for ever.
    if (answer_ != DialogAnswer::Yes || warnedSinceDialog_)
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

int ScriptedUi::Message(std::uint32_t flags, const char* /*helpTopic*/, const char* const* lines,
                        int count, int buttons) {
    if (buttons > 0) {
        warnedSinceDialog_ = warnedSinceDialog_ || (flags & far::FMSG_WARNING) != 0;
        Finish();
        err_ << "velmora: " << BoxText(lines, count, buttons) << '\n';
        err_.flush();
        // A question (Yes/No, the undo's) is answered as the dialog is: --yes takes the first
        // button, --cancel the last.
        return buttons > 1 && answer_ == DialogAnswer::Cancel ? buttons - 1 : 0;
    }
    if (!showProgress_)
        return 0;
    // The box for a file comes before its rename: the files before it are done. The plug-in
    // draws a box for some of the files only, so the line says which file it is for; a language
    // whose text cannot tell leaves the count of boxes, right while there is one a file.
    const std::size_t place = count > 1 && lines[1] ? ProgressPlace(progressText_, lines[1]) : 0;
    const std::size_t done = place > 0 ? place - 1 : boxes_;
    ++boxes_;
    const std::uint64_t now = clock_.Milliseconds();
    if (done == 0) {
        start_ = now;
        lastProgress_ = now;
        return 0;
    }
    if (now - lastProgress_ < kProgressIntervalMs)
        return 0;
    lastProgress_ = now;
    progressShown_ = true;
    err_ << '\r' << ProgressText(done, total_ > done ? total_ : done, now - start_) << "\x1b[K";
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
