// Taking a journaled run back: what each file of it needs (judged against the directory as it is
// now), and doing it. The hosts only show it: velmora -u prints it, the plug-in's menu entry asks
// and warns in boxes.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "journal/Journal.hpp"
#include "platform/Platform.hpp"

namespace velmora {

enum class UndoAction {
    Rename,   // the file goes back to its old name
    Already,  // it is there already (the run never got to it, or it was put back)
    Left,     // something changed since the run: left alone
};

enum class UndoReason {
    None,
    OldNameTaken,  // its old name is taken again
    NotTheFile,    // the name holds another file than the run renamed (changed since)
    Gone,          // neither name holds the file any more
    Changed,       // the description file: it holds something else than the run wrote
};

struct UndoStep {
    UndoAction action;
    std::string from;  // the name now
    std::string to;    // the name it gets back
    UndoReason reason = UndoReason::None;
    // It only puts a file back under the temporary name it stood aside under in the run (which a
    // later step takes it from): not a file renamed back.
    bool aside = false;
};

enum class UndoDescriptions {
    None,     // the run rewrote no description file, or it holds its old bytes already
    Restore,  // it holds exactly what the run wrote: the old bytes go back
    Left,     // changed since the run: left alone
};

// The way back, last rename first. Each step is judged after the ones before it (a chain a -> b,
// b -> c comes back c -> b only once b is free again). Only the renames the run did count when its
// .done file says how many; a run killed before it is judged by what is on disk. Names are
// relative to the run's directory, which `files` reaches as the current one.
struct UndoPlan {
    std::vector<UndoStep> steps;
    UndoDescriptions descriptions = UndoDescriptions::None;
    std::string descriptionFile;
    std::optional<std::string> descriptionsBefore;
    // The new description file's temporary file a run killed before its end left (see
    // LeftoverTemp); "" when there is none.
    std::string leftoverTemp;

    // How many files go back.
    std::size_t Renames() const;
    // Whether anything will be left alone.
    bool LeavesAnything() const;
};
UndoPlan PlanUndo(FileSystem& files, const JournalRun& run);

// The run an undo takes in `directory`, planned: the newest not yet taken back. One with nothing
// at all to do (every file back under its old name already, say by hand) counts as taken back:
// it is marked so when `mark`, and the one before it is taken. A run whose journal could not be
// written comes back unplanned (run->unavailable), as does a damaged journal (Unreadable): the
// runs before either stay out of reach, since their files are known only as it left them.
JournalLookup FindRunToUndo(FileSystem& files, const std::string& root, const std::string& directory,
                            bool mark, JournalRun* run, std::string* path, UndoPlan* plan,
                            std::string* error);

// The temporary file a run killed before its end made for the new description file, when it is
// still the run's own: the name the journal recorded before the file was made, of the form the
// run gives it (".VL<hex>.tmp"), not the description file, a plain file written no earlier than
// the run began. "" otherwise (a run that ended has put it in place, or kept it for the user).
std::string LeftoverTemp(FileSystem& files, const JournalRun& run);
// Removes that file; true when it is gone.
bool RemoveLeftoverTemp(FileSystem& files, const std::string& name);

struct UndoFailure {
    std::string name;
    std::string target;  // the name it should have got back
    std::error_code error;
};

struct UndoResult {
    std::size_t renamed = 0;
    std::vector<UndoFailure> failures;  // renames and the description file's restore refused
    bool descriptionsRestored = false;
    bool everything = false;  // nothing left alone, nothing failed: the run is marked undone
    // Nothing could come back, only what changed since was left: the run is marked undone too, so
    // that the next undo takes the run before it.
    bool passed = false;
    std::string markError;    // why the mark could not be written ("" when it was, or not tried)
};
// Does the steps in order, never replacing a file, and puts the description file's old bytes back
// (through a temporary file in `files`' temporary directory). When everything came back, or
// nothing more of the run can, the run is marked undone in its journal.
UndoResult DoUndo(FileSystem& files, const UndoPlan& plan, const std::string& journalPath);

}  // namespace velmora
