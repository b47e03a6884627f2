// Edit names: the new names as lines of text in the host's own editor, one for each selected
// item in the panel's order, read back and checked before they take the template's place.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "naming/HostText.hpp"
#include "plan/PlanCursor.hpp"
#include "ports/PluginHost.hpp"
#include "ports/RunContext.hpp"

namespace velmora {

class LivePreview;

// The longest name the systems take: 255 bytes on POSIX and of FAR 1.x's OEM text, 255 UTF-16
// units on Windows.
constexpr std::size_t kMaxEditedNameLength = 255;

enum class EditProblem {
    None,
    LineCount,         // not one line for each selected item
    EmptyLine,         // a line with no name on it
    RefusedCharacter,  // a character the system refuses in a name
    NotAName,          // "." or "..", or (on Windows) dots and spaces alone
    TooLong,           // more than kMaxEditedNameLength
    SameName,          // two lines name one file, as the system compares names
};

struct EditCheck {
    EditProblem problem = EditProblem::None;
    std::size_t line = 0;       // counted from 1
    std::size_t otherLine = 0;  // SameName: the earlier line with that name
    std::size_t lines = 0;      // LineCount: how many lines the text has
    std::string detail;         // the refused character, or the name
};

// The names as the editor's text: one a line, each line ended.
std::string EditorText(const std::vector<std::string>& names);

// The editor's text back as `count` names into *names. Lines end with LF or CR LF; the last
// line's end is optional; a UTF-8 byte-order mark (a host whose text is UTF-8) is not part of the
// first name. The first problem found, in line order, is returned; *names is then untouched.
EditCheck ReadEditedNames(std::string_view text, std::size_t count, HostText hostText,
                          std::vector<std::string>* names);

// What is wrong, in the host's language, for the box.
std::string EditProblemText(const PluginHost& host, const EditCheck& check, std::size_t count);

// What the host's editor came to.
enum class EditorResult {
    Closed,       // the user closed it: the file holds the names, saved or not
    Interrupted,  // the user gave up before it opened, or it ended in failure: nothing changes
    Failed,       // it could not open the file
};
// Opens the host's editor on `file` with `title` and waits until it is closed.
using OpenEditor = std::function<EditorResult(const std::string& file, const std::string& title)>;

// The names a dialog holds once they were edited, and the answers they were edited under.
class NameEdit {
public:
    bool Active() const { return !names_.empty(); }
    const std::vector<std::string>& Names() const { return names_; }
    // Edit names: the names as they stand (the edited ones, else the template's for the preview's
    // answers, else, where the template cannot run, the old ones) in a temporary file in the system's
    // temporary directory, the host's editor on it, the lines read back and checked; bad lines get a box that
    // offers to edit them again or drop the edit. The file is removed whatever happens. True when the names
    // changed.
    bool Edit(const RunContext& context, LivePreview& preview, const OpenEditor& open);
    // Whether `answers` make other names than the ones the names were edited under: their
    // template, start number, zero switch or steps differ.
    bool Changed(const PlanAnswers& answers) const;
    // The question once a change is made after an edit: true when the user drops the edited names
    // (they are dropped); false keeps them, and the dialog does not ask again until the next edit.
    bool AskDrop(const PluginHost& host, const PlanAnswers& answers);
    void Drop() { names_.clear(); }
    std::vector<std::string> Take() { return std::move(names_); }

private:
    std::vector<std::string> names_;
    PlanAnswers basis_;
    bool asked_ = false;
};

}  // namespace velmora
