// The description edit against a small model of the host's description list: random files, lines
// and batches of renames in each host's text, then, for every file, the description the host shows
// as the model has it and as the edited file gives it, and every line of a file the batch did not
// rename, byte for byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "descriptions/DescriptionEdit.hpp"
#include "descriptions/DescriptionLines.hpp"
#include "platform/CodePage.hpp"
#include "platform/Utf16.hpp"

namespace velmora {
namespace {

char Folded(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameFolded(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Folded(a[i]) != Folded(b[i]))
            return false;
    }
    return true;
}

// A line with its continuation lines: the name the host matches, the description it shows, and
// the bytes (in host text) of a line no rename touched.
struct Line {
    std::string name, shown, raw;
    bool moved = false;
};

// The host's list: a file's line is the first of its exact name, else the first of its name in
// another ASCII letter case. Renaming moves that line; once the batch is over, any other line of
// a new name was stale (no file of that name existed) and goes. A line a rename of the batch gave
// to its file stays that file's.
struct Model {
    std::vector<Line> lines;

    int Find(const std::string& name, bool skipMoved) const {
        for (const bool folded : {false, true}) {
            for (std::size_t i = 0; i < lines.size(); ++i) {
                if ((folded ? SameFolded(lines[i].name, name) : lines[i].name == name) &&
                    !(skipMoved && lines[i].moved))
                    return static_cast<int>(i);
            }
        }
        return -1;
    }
    const std::string* Shown(const std::string& name) const {
        const int at = Find(name, false);
        return at < 0 ? nullptr : &lines[at].shown;
    }
    void Rename(const std::string& from, const std::string& to, const std::string* panel) {
        const int own = Find(from, true);
        if (own >= 0)
            lines[own] = Line{to, lines[own].shown, "", true};
        else if (panel && !panel->empty())
            lines.push_back(Line{to, *panel, "", true});
    }
    // Once the batch is over, the lines no rename moved that the host would show for a renamed
    // file go: those of a new name, and those of a new name in another letter case unless a file
    // has their very spelling.
    void Settle(const std::vector<std::string>& files, const std::vector<std::string>& renamed) {
        for (int i = static_cast<int>(lines.size()) - 1; i >= 0; --i) {
            const std::string& name = lines[i].name;
            if (lines[i].moved)
                continue;
            const bool file = std::find(files.begin(), files.end(), name) != files.end();
            if (std::any_of(renamed.begin(), renamed.end(), [&](const std::string& to) {
                    return to == name || (!file && SameFolded(to, name));
                }))
                lines.erase(lines.begin() + i);
        }
    }
};

// The lines of a description file as the hosts read them.
std::vector<Line> Read(const std::string& text) {
    std::vector<Line> lines;
    std::size_t pos = 0, begin = 0, end = 0;
    while (NextLine(text, &pos, &begin, &end)) {
        const DescriptionLine line = ParseDescriptionLine(text, begin, end);
        if (line.kind == DescriptionLine::Named) {
            lines.push_back(Line{text.substr(line.nameBegin, line.nameEnd - line.nameBegin),
                                 text.substr(line.textBegin, end - line.textBegin), ""});
        } else if (line.kind == DescriptionLine::Continuation && !lines.empty()) {
            lines.back().shown += ' ' + text.substr(line.textBegin, end - line.textBegin);
        }
        if (!lines.empty())
            lines.back().raw += text.substr(begin, std::min(pos, text.size()) - begin);
    }
    return lines;
}

// How the file is kept: the host's OEM bytes, or for a Unicode host CP866, UTF-8 with or without
// a mark, UTF-16.
enum class Form { Oem, Cp866, Utf8, Utf8Marked, Utf16 };

struct Trial {
    HostText host;
    Form form;
    std::mt19937 random;
    const CodePage& cp866;
    // When given, every name is one of these: folders full of one name in several letter cases.
    std::vector<std::string> pool = {};

    std::size_t Below(std::size_t n) { return random() % n; }
    const char* Pick(std::initializer_list<const char*> choices) {
        return choices.begin()[Below(choices.size())];
    }
    // Host text: CP866 bytes for FAR 1.x, UTF-8 for the others; wide characters only where the
    // file can hold them.
    std::string Text(const std::string& utf8) {
        std::string bytes;
        return host == HostText::Oem && cp866.Encode(utf8, &bytes) ? bytes : utf8;
    }
    bool Wide() const { return form != Form::Oem && form != Form::Cp866; }
    std::string Name() {
        if (!pool.empty())
            return Text(pool[Below(pool.size())]);
        std::string name = Wide() && Below(6) == 0
                               ? Pick({"写真", "🌅 x"})
                               : Pick({"a", "b", "n1", "n2", "my file", "Отпуск", "Летом 2"});
        name += Pick({".txt", ".jpg"});
        const std::size_t letterCase = Below(4);
        for (std::size_t i = 0; i < name.size(); ++i) {
            if (letterCase == 1 || (letterCase == 2 && i == 0))
                name[i] = static_cast<char>(name[i] >= 'a' && name[i] <= 'z' ? name[i] - 32 : name[i]);
        }
        return Text(name);
    }
    std::string Words() {
        std::string words;
        for (std::size_t i = Below(3); i < 3; ++i)
            words +=
                std::string(words.empty() ? "" : " ") +
                (Wide() && Below(5) == 0 ? "🌅" : Pick({"Alpha", "море", "Отпуск", "Київ", "\"q\"", "x"}));
        return Text(words);
    }
    // The file's bytes for its host text.
    std::string Bytes(const std::string& text) {
        std::string bytes;
        if (form == Form::Cp866) {
            EXPECT_TRUE(cp866.Encode(text, &bytes));
        }
        if (form == Form::Utf16) {
            std::u16string units;
            AppendUtf16(units, text);
            bytes = "\xFF\xFE";
            for (const char16_t unit : units)
                bytes += std::string{static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
        }
        return form == Form::Cp866 || form == Form::Utf16 ? bytes
               : form == Form::Utf8Marked                 ? "\xEF\xBB\xBF" + text
                                                          : text;
    }
    // The host text of an edited file.
    std::string HostTextOf(const std::string& bytes, bool plainUtf8) {
        std::string text;
        if (bytes.rfind("\xEF\xBB\xBF", 0) == 0)
            return bytes.substr(3);
        if (bytes.rfind("\xFF\xFE", 0) == 0) {
            const std::u16string units = [&] {
                std::u16string u;
                for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
                    u.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                                      static_cast<unsigned char>(bytes[i + 1]) << 8));
                return u;
            }();
            AppendUtf8(text, units.data(), units.size());
            return text;
        }
        if (host == HostText::Oem || plainUtf8)
            return bytes;
        cp866.Decode(bytes, &text);
        return text;
    }

    // One directory, one batch; "" when the edit agrees with the model, else what went wrong.
    std::string Run() {
        Model model;
        std::vector<std::string> files;
        const bool foldsFiles = host != HostText::Utf8;  // Windows file systems ignore letter case
        const auto occupied = [&](const std::string& name, const std::string& except) {
            for (const std::string& file : files) {
                if (file != except && (foldsFiles ? SameFolded(file, name) : file == name))
                    return true;
            }
            return false;
        };
        for (std::size_t i = 0, n = 1 + Below(6); i < n; ++i) {
            const std::string name = Name();
            if (!occupied(name, ""))
                files.push_back(name);
        }
        std::string text;
        const std::string lineEnd = Pick({"\r\n", "\n"});
        for (std::size_t i = 0, n = Below(9); i < n; ++i) {
            Line line{Below(3) == 0 ? files[Below(files.size())] : Name(), Words(), ""};
            const bool quoted = line.name.find(' ') != std::string::npos;
            line.raw = (quoted ? "\"" + line.name + "\"" : line.name) + Pick({" ", "  ", "\t"}) + line.shown +
                       lineEnd;
            if (Below(4) == 0) {
                const std::string more = Words();
                line.raw += Pick({" ", "\t"}) + more + lineEnd;
                line.shown += ' ' + more;
            }
            text += line.raw;
            model.lines.push_back(line);
        }
        if (!text.empty() && Below(5) == 0) {
            text.resize(text.size() - lineEnd.size());
            model.lines.back().raw.resize(model.lines.back().raw.size() - lineEnd.size());
        }
        // A file without a mark stays UTF-8 when it is UTF-8 with more than ASCII.
        const bool plainUtf8 = form == Form::Utf8 && std::any_of(text.begin(), text.end(), [](char c) {
                                   return static_cast<unsigned char>(c) >= 0x80;
                               });

        // The selection, in the panel's order, with each file's description as the panel showed it.
        std::vector<std::string> selected = files;
        std::shuffle(selected.begin(), selected.end(), random);
        selected.resize(1 + Below(selected.size()));
        std::vector<std::optional<std::string>> panel;
        for (const std::string& file : selected) {
            const std::string* shown = model.Shown(file);
            panel.push_back(shown ? std::optional<std::string>(*shown) : std::nullopt);
        }
        // Random names, a counter, or each to the name of the next, from the last on.
        const std::size_t kind = Below(3);
        std::vector<std::string> renamed;
        DescriptionEdit edit(host, host == HostText::Oem ? nullptr : &cp866);
        if (!edit.Load(text.empty() && Below(2) == 0 ? std::nullopt
                                                     : std::optional<std::string>(Bytes(text))))
            return "not loaded";
        // The panel's files before the batch: the edit asks it about a line's exact spelling.
        const std::vector<std::string> listed = files;
        edit.SetOtherFileQuery([&listed](std::string_view name, std::string_view) {
            return std::find(listed.begin(), listed.end(), name) != listed.end();
        });
        std::string story;
        for (std::size_t step = 0, n = selected.size(); step < n; ++step) {
            const std::size_t i = kind == 2 ? n - 1 - step : step;
            const std::string& from = selected[i];
            const std::string to = kind == 0   ? Name()
                                   : kind == 1 ? "n" + std::to_string(step + 1) + ".txt"
                                   : i + 1 < n ? selected[i + 1]
                                               : Name();
            if (to == from)
                continue;
            if (occupied(to, from))
                break;  // the run stops at an occupied name
            story += from + " -> " + to + "\n";
            files.erase(std::find(files.begin(), files.end(), from));
            files.push_back(to);
            renamed.push_back(to);
            edit.Renamed(from, to, panel[i] ? panel[i]->c_str() : nullptr);
            model.Rename(from, to, panel[i] ? &*panel[i] : nullptr);
        }
        model.Settle(files, renamed);
        const std::string after = HostTextOf(edit.Render(), plainUtf8);
        Model real{Read(after)};
        std::string wrong;
        for (const std::string& file : files) {
            const std::string* expected = model.Shown(file);
            const std::string* shown = real.Shown(file);
            if ((expected == nullptr) != (shown == nullptr) || (expected && *expected != *shown))
                wrong += file + " shows '" + (shown ? *shown : "-") + "', not '" +
                         (expected ? *expected : "-") + "'\n";
        }
        // Lines of the new names are those moved or added; every other line stays as it was.
        std::vector<std::string> kept, keptNow;
        std::size_t moved = 0, movedNow = 0;
        for (const Line& line : model.lines) {
            if (line.moved)
                ++moved;
            else
                kept.push_back(line.raw);
        }
        for (const Line& line : real.lines) {
            if (std::find(renamed.begin(), renamed.end(), line.name) != renamed.end())
                ++movedNow;
            else
                keptNow.push_back(line.raw);
        }
        // A last line without its line end gets one when lines are added after it.
        if (!kept.empty() && !keptNow.empty() && kept.back().back() != '\n' &&
            keptNow.back() == kept.back() + "\r\n")
            keptNow.back() = kept.back();
        if (kept != keptNow || moved != movedNow)
            wrong += "lines of files not renamed, or of the new names, differ\n";
        return wrong.empty() ? ""
                             : "file:\n" + text + "\nrenames:\n" + story + "after:\n" + after + "\n" + wrong;
    }
};

TEST(DescriptionModel, EditShowsWhatTheHostShowsAfterItsOwnRename) {
    const std::unique_ptr<CodePage> cp866 = OpenCodePage(866);
    ASSERT_TRUE(cp866);
    const struct {
        HostText host;
        std::vector<Form> forms;
    } hosts[] = {{HostText::Oem, {Form::Oem}},
                 {HostText::Utf8, {Form::Cp866, Form::Utf8, Form::Utf8Marked}},
                 {HostText::Unicode, {Form::Cp866, Form::Utf16, Form::Utf8Marked}}};
    for (const auto& h : hosts) {
        Trial trial{h.host, Form::Oem, std::mt19937(20261208), *cp866};
        int failures = 0;
        std::string first;
        for (int i = 0; i < 1500; ++i) {
            trial.form = h.forms[trial.Below(h.forms.size())];
            const std::string wrong = trial.Run();
            if (!wrong.empty() && failures++ == 0)
                first = wrong;
        }
        EXPECT_EQ(failures, 0) << "host " << static_cast<int>(h.host) << ", first:\n" << first;
    }
}

// Stale lines in another letter case, with and without a file of their very spelling.
TEST(DescriptionModel, LinesOfANewNameInAnotherLetterCase) {
    const std::unique_ptr<CodePage> cp866 = OpenCodePage(866);
    ASSERT_TRUE(cp866);
    for (const HostText host : {HostText::Oem, HostText::Utf8, HostText::Unicode}) {
        Trial trial{host, host == HostText::Oem ? Form::Oem : Form::Cp866, std::mt19937(31), *cp866};
        trial.pool = {"n2.txt", "N2.TXT", "n2.TXT", "n3.txt", "N3.txt", "Отпуск.txt", "ОТПУСК.TXT"};
        int failures = 0;
        std::string first;
        for (int i = 0; i < 1500; ++i) {
            const std::string wrong = trial.Run();
            if (!wrong.empty() && failures++ == 0)
                first = wrong;
        }
        EXPECT_EQ(failures, 0) << "host " << static_cast<int>(host) << ", first:\n" << first;
    }
}

}  // namespace
}  // namespace velmora
