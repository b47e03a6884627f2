// FAR help files (.hlf): finding a topic and turning its markup into plain lines with marked
// spans. "@Name" starts a topic, "$" lines are its heading, "#text#" is highlighted,
// "~text~@Topic@" is a link, "^" centres a line; "##", "~~" and "@@" stand for the characters.
#pragma once

#include <string>
#include <vector>

namespace velmora::host::tui {

enum class HelpStyle { Normal, Highlight, Link };

struct HelpSpan {
    std::string text;
    HelpStyle style = HelpStyle::Normal;
    std::string topic;  // the link's target
};

struct HelpLine {
    std::vector<HelpSpan> spans;
    bool heading = false;
    bool centred = false;
};

struct HelpTopic {
    std::string name;
    std::vector<HelpLine> lines;  // heading lines first, then the body as written
};

// Finds `topic` (letter case ignored; a "<path>" prefix is ignored) in the text of a help file.
bool FindHelpTopic(const std::string& fileText, const std::string& topic, HelpTopic* found);
// One line of markup.
HelpLine ParseHelpLine(const std::string& line);
std::string PlainText(const HelpLine& line);
// Splits a line into rows of at most `width` columns, at spaces where it can.
std::vector<HelpLine> WrapHelpLine(const HelpLine& line, int width);

}  // namespace velmora::host::tui
