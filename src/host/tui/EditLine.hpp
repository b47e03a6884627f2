// The text of one dialog edit field and its cursor, without any drawing: typing, deleting and
// moving by whole UTF-8 characters, and the horizontal scroll that keeps the cursor in view.
#pragma once

#include <cstddef>
#include <string>

namespace velmora::host::tui {

class EditLine {
public:
    // The host's item text holds 512 bytes with the terminator.
    static constexpr std::size_t kMaxBytes = 511;

    explicit EditLine(const std::string& text = std::string(), std::size_t maxBytes = kMaxBytes);

    const std::string& Text() const { return text_; }
    std::size_t Cursor() const { return cursor_; }
    // A field just entered shows its text as "unchanged": the first typed character replaces it,
    // any other editing key keeps it (as FAR's edit fields do).
    bool Unchanged() const { return unchanged_; }
    void SetUnchanged(bool unchanged) { unchanged_ = unchanged; }

    // Replaces the text (cut at a character boundary to the limit) and puts the cursor at its end.
    void SetText(const std::string& text);
    // Inserts one character (UTF-8); false, with nothing changed, when it would pass the limit.
    bool Insert(const std::string& character);
    void Left();
    void Right();
    void Home();
    void End();
    void Backspace();
    void Delete();
    void Clear();

    // Which bytes are visible in a field `width` columns wide and where the cursor is drawn;
    // scrolls so that the cursor stays inside the field.
    struct View {
        std::size_t begin;
        std::size_t end;
        int cursorColumn;
    };
    View Layout(int width);

private:
    void Accept() { unchanged_ = false; }

    std::string text_;
    std::size_t maxBytes_;
    std::size_t cursor_ = 0;
    std::size_t first_ = 0;  // first visible byte
    bool unchanged_ = false;
};

}  // namespace velmora::host::tui
