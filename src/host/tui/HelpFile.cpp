#include "host/tui/HelpFile.hpp"

#include <cctype>
#include <sstream>

#include "host/tui/Utf8.hpp"

namespace velmora::host::tui {

namespace {

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// "@Name" opens a topic; "@@..." is text and "@+"/"@-" are layout switches.
bool TopicStart(const std::string& line, std::string* name) {
    if (line.size() < 2 || line[0] != '@' || line[1] == '@' || line[1] == '+' || line[1] == '-')
        return false;
    std::size_t end = line.find_first_of(" \t", 1);
    *name = line.substr(1, end == std::string::npos ? std::string::npos : end - 1);
    return !name->empty();
}

void AddSpan(HelpLine* line, std::string* text, HelpStyle style, const std::string& topic = std::string()) {
    if (text->empty())
        return;
    if (!line->spans.empty() && line->spans.back().style == style && line->spans.back().topic == topic) {
        line->spans.back().text += *text;
    } else {
        line->spans.push_back(HelpSpan{*text, style, topic});
    }
    text->clear();
}

}  // namespace

HelpLine ParseHelpLine(const std::string& raw) {
    HelpLine line;
    std::size_t pos = 0;
    if (!raw.empty() && raw[0] == '$') {
        line.heading = true;
        pos = 1;
        if (pos < raw.size() && raw[pos] == ' ')
            ++pos;
    }
    if (pos < raw.size() && raw[pos] == '^') {
        line.centred = true;
        ++pos;
    }
    bool highlight = false;
    std::string text;
    while (pos < raw.size()) {
        const char c = raw[pos];
        const char next = pos + 1 < raw.size() ? raw[pos + 1] : '\0';
        if ((c == '#' || c == '~' || c == '@') && next == c) {
            text += c;
            pos += 2;
        } else if (c == '#') {
            AddSpan(&line, &text, highlight ? HelpStyle::Highlight : HelpStyle::Normal);
            highlight = !highlight;
            ++pos;
        } else if (c == '~') {
            // ~text~@Topic@ ; a lone "~" stays as it is.
            const std::size_t close = raw.find('~', pos + 1);
            const bool link = close != std::string::npos && close + 1 < raw.size() && raw[close + 1] == '@';
            const std::size_t topicEnd = link ? raw.find('@', close + 2) : std::string::npos;
            if (topicEnd == std::string::npos) {
                text += c;
                ++pos;
                continue;
            }
            AddSpan(&line, &text, highlight ? HelpStyle::Highlight : HelpStyle::Normal);
            std::string label = raw.substr(pos + 1, close - pos - 1);
            AddSpan(&line, &label, HelpStyle::Link, raw.substr(close + 2, topicEnd - close - 2));
            pos = topicEnd + 1;
        } else {
            text += c;
            ++pos;
        }
    }
    AddSpan(&line, &text, highlight ? HelpStyle::Highlight : HelpStyle::Normal);
    return line;
}

bool FindHelpTopic(const std::string& fileText, const std::string& wanted, HelpTopic* found) {
    std::string topic = wanted;
    if (!topic.empty() && topic[0] == '<') {
        const std::size_t close = topic.find('>');
        topic = close == std::string::npos ? std::string() : topic.substr(close + 1);
    }
    if (topic.empty())
        return false;
    std::istringstream in(fileText);
    std::string raw;
    std::vector<std::string> paragraphs;
    bool inside = false;
    while (std::getline(in, raw)) {
        if (!raw.empty() && raw.back() == '\r')
            raw.pop_back();
        std::string name;
        if (TopicStart(raw, &name)) {
            if (inside)
                break;
            if (SameName(name, topic)) {
                inside = true;
                found->name = name;
                found->lines.clear();
            }
            continue;
        }
        if (!inside || (!raw.empty() && raw[0] == '.'))
            continue;  // directives such as .Language=
        if (raw == "@+" || raw == "@-")
            continue;
        // A line that starts at the margin continues the paragraph above it; a line that starts
        // with a space, an empty line or a heading starts a new one.
        if (!raw.empty() && raw[0] != ' ' && raw[0] != '$' && raw[0] != '^' && !paragraphs.empty() &&
            !paragraphs.back().empty() && paragraphs.back()[0] != '$') {
            paragraphs.back() += " " + raw;
        } else {
            paragraphs.push_back(raw);
        }
    }
    if (!inside)
        return false;
    for (const std::string& paragraph : paragraphs)
        found->lines.push_back(ParseHelpLine(paragraph));
    while (!found->lines.empty() &&
           PlainText(found->lines.back()).find_first_not_of(' ') == std::string::npos)
        found->lines.pop_back();
    return true;
}

std::string PlainText(const HelpLine& line) {
    std::string text;
    for (const HelpSpan& span : line.spans)
        text += span.text;
    return text;
}

std::vector<HelpLine> WrapHelpLine(const HelpLine& line, int width) {
    if (width < 1)
        width = 1;
    // One entry per character, so breaks never split a character or lose a span's style.
    struct Piece {
        std::string bytes;
        std::size_t span;
    };
    std::vector<Piece> pieces;
    for (std::size_t s = 0; s < line.spans.size(); ++s) {
        const std::string& text = line.spans[s].text;
        for (std::size_t pos = 0; pos < text.size();) {
            const std::size_t length = CharLength(text, pos);
            pieces.push_back(Piece{text.substr(pos, length), s});
            pos += length;
        }
    }
    std::vector<HelpLine> rows;
    auto emit = [&](std::size_t begin, std::size_t end) {
        HelpLine row;
        row.heading = line.heading;
        row.centred = line.centred;
        for (std::size_t i = begin; i < end; ++i) {
            const HelpSpan& span = line.spans[pieces[i].span];
            std::string text = pieces[i].bytes;
            AddSpan(&row, &text, span.style, span.topic);
        }
        rows.push_back(row);
    };
    std::size_t start = 0;
    while (start < pieces.size()) {
        int used = 0;
        std::size_t end = start;
        std::size_t lastSpace = std::string::npos;
        while (end < pieces.size()) {
            const int w = DisplayWidth(pieces[end].bytes);
            if (used + w > width)
                break;
            if (pieces[end].bytes == " ")
                lastSpace = end;
            used += w;
            ++end;
        }
        if (end == pieces.size()) {
            emit(start, end);
            break;
        }
        if (end == start)
            end = start + 1;  // a character wider than the row
        std::size_t next = end;
        if (lastSpace != std::string::npos && lastSpace > start && pieces[end].bytes != " ") {
            end = lastSpace;
            next = lastSpace + 1;
        }
        emit(start, end);
        start = next;
        while (start < pieces.size() && pieces[start].bytes == " ")
            ++start;  // no row starts with the gap
    }
    if (rows.empty())
        rows.push_back(HelpLine{{}, line.heading, line.centred});
    return rows;
}

}  // namespace velmora::host::tui
