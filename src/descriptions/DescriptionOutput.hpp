// Rebuilding the description file: a temporary file written line by line during the run, then put
// in the place of the old one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/Platform.hpp"

namespace velmora {

struct DescriptionOutput {
    std::unique_ptr<WritableFile> file;  // open from OpenDescriptionOutput until the finish
    std::string tempName;                // last temporary name made since loading
    std::string descriptionName;         // the chosen description file, relative to the directory
    // Whether anything stood at descriptionName when it was chosen (checked as the output opens).
    // A description file that appears only later is a file of the user's and is never replaced.
    bool descriptionExisted = false;
    std::uint64_t bytesWritten = 0;  // by this run, for when the file's size cannot be queried
    bool wroteNonAscii = false;      // some written byte is 0x80 or above
    std::string line;                // each line is built here; kept so its capacity serves the next line
    // A renamed file's line whose write failed: its file is already renamed, so the line is
    // tried once more, first, before the second pass; it is never silently dropped.
    std::string unwritten;
};

DescriptionOutput& CurrentDescriptionOutput();

// Makes and creates an empty temporary file ("VL" prefix, system temporary directory) and stores
// its name; false (destination untouched) when none can be made.
bool MakeTempFileName(std::string* destination);

// One write of all bytes; a count of 0 succeeds without writing.
bool WriteAllBytes(WritableFile& file, const char* bytes, std::size_t count);

// Opens the temporary output for the chosen description file; 0 after showing a warning box.
int OpenDescriptionOutput(const std::string& chosenName);

// Appends one line: the name (quoted when it has a space, one trailing "." dropped), a space,
// the description and CR LF. 1 when written; shows no box.
int WriteDescriptionLine(const char* name, const char* description);

struct FinishResult {
    int runState;   // unchanged, or 2 when a second-pass line could not be written
    int completed;  // 0 when the new file could not be put in place
};

// Second pass over the refreshed panel, then the replace. Shows its own boxes.
FinishResult FinishDescriptionOutput(int runState);

}  // namespace velmora
