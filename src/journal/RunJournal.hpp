// The journal as a run of the plug-in keeps it, in whichever host: the panel's folder, the
// journal's place, and the three moments of a run (before the first rename, the renames it will
// try, after the run). Nothing here ever fails the run: a journal that cannot be written only
// means that the run cannot be undone, which the undo then says.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "journal/Journal.hpp"
#include "ports/RunContext.hpp"

namespace velmora {

class RunJournal {
public:
    explicit RunJournal(const RunContext& context);

    // Starts the journal in the panel's folder (read by the host's last ReadPanel); false when it
    // cannot be, and the rest is then not worth the work. The temporary description file a run
    // killed there before its end left goes first (see LeftoverTemp).
    bool Begin();
    // The run's name template, for the folder's list of runs, or that its names were edited by
    // hand; before Begin.
    void Template(const std::string& text, bool edited) { writer_.Template(text, edited); }
    // A rename the run will try, with the panel's size and write time of the file.
    // `aside`: the file leaves the run's temporary name (see JournalRename).
    void Add(std::string_view oldName, std::string_view newName, const PanelItemText& item,
             bool aside = false) {
        writer_.Add(oldName, newName, item.size, item.writeTime, aside);
    }
    // The description file the run rewrites and its bytes before the run, as soon as they are
    // read (before the edit takes them over).
    void Descriptions(const std::string& descriptionFile, const std::optional<std::string>& before) {
        if (begun_)
            writer_.AddDescriptions(descriptionFile, before, std::nullopt);
    }
    bool Begun() const { return begun_; }
    // The name the new description file's temporary file will be made under: recorded by Commit,
    // which comes before the file is made.
    void TempDescriptions(const std::string& name) {
        if (begun_)
            writer_.TempDescriptions(name);
    }
    // Before the first rename: the journal put in place.
    void Commit();
    // A run that ends before its first rename after all takes its journal back.
    void Retract() { writer_.Retract(); }
    // The new description file's bytes as the run writes them, in pieces.
    void DescriptionsWritten(std::string_view piece) {
        if (begun_)
            written_.Add(piece);
    }
    // All of the new description file is written and it is about to replace the old one: its
    // hash is recorded first, so that undo after a kill between the two knows the new file.
    void Replacing() {
        if (begun_)
            writer_.Replacing(written_.Text());
    }
    // After the run: how many renames were done, and whether the run put the description file it
    // wrote in place.
    void Finish(std::size_t renamed, bool descriptionsReplaced);

    // Why the journal could not be written ("" when it was, or is not done yet).
    const std::string& Error() const { return error_; }

private:
    void RemoveLeftoverTemp();

    const RunContext& context_;
    JournalWriter writer_;
    ContentHasher written_;
    bool begun_ = false;
    std::string error_;
};

}  // namespace velmora
