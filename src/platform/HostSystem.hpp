// What the velmora host needs from the system beyond the plug-in's file and registry access:
// reading a directory, the current directory, loading the plug-in module, terminals, the text
// of a description file in the encoding the plug-in expects, and the code page the host's text is in.
//
// The host's code page is the one its file calls speak. On Windows that is OEM, as in FAR 1.x,
// whose plug-ins and description files work in it; elsewhere names, arguments and the host's own
// texts are bytes, passed on as they are.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/PathNames.hpp"
#include "platform/Platform.hpp"

namespace velmora::host {

// How the system spells and marks names: the engine's, named here as the host always has.
using velmora::AttributesUnderName;
using velmora::IsPathSeparator;
using velmora::kEveryNameAsGiven;
using velmora::NameOnDisk;

// The program's first step, before any file is touched: on Windows the file functions take and
// give names in the OEM code page from here on.
void UseHostCodePage();

// The program's arguments after its name, in the host's code page. Windows hands them over in
// UTF-16 and they are converted as the file functions convert names, so that a name given
// matches the same name in the directory listing.
std::vector<std::string> ProgramArguments(int argc, char** argv);

// The contents of a text file we or the user wrote (a language file, a list of names) in the
// host's code page. On Windows, UTF-8 (after a byte-order mark, which goes, or valid UTF-8 with
// bytes above 0x7F) is converted; anything else is taken to be in the host's code page already.
// Elsewhere the bytes as they are.
std::string TextInHostCodePage(const std::string& contents);

// Whether standard output and error need the two functions below to show the host's text as
// the user's console does (on Windows); elsewhere the text is written as it is.
bool ConvertsConsoleText();
// Writes the host's text to standard output (1) or error (2) when that is a console window,
// straight to the console in UTF-16 so that every character shows; false, with nothing
// written, when it is no console.
bool WriteToConsole(int fd, const std::string& text);
// The host's text for a file or pipe: in the code page of the console the program runs in
// (GetConsoleOutputCP, switched with "chcp") when that is another one than the host's.
std::string ConsoleText(const std::string& text);

// The current directory in the host's code page; empty when it cannot be found.
std::string CurrentDirectory();

// A path in the host's code page as the standard library's streams take it.
std::filesystem::path StreamPath(const std::string& path);

using velmora::DirectoryEntry;

// Every entry of a directory except "." and "..", in the system's order. False with a reason
// ("opendir(DIR): reason") when the directory cannot be read.
bool ReadDirectory(const std::string& directory, std::vector<DirectoryEntry>* entries, std::string* error);

bool ChangeDirectory(const std::string& directory, std::string* error);

// The directory holding the running executable, with a trailing separator.
std::string ExecutableDirectory();

// A loaded shared module; unloaded when destroyed.
class Module {
public:
    Module() = default;
    Module(const Module&) = delete;
    Module& operator=(const Module&) = delete;
    ~Module();
    bool Load(const std::string& path, std::string* error);
    void* Symbol(const char* name) const;

private:
    void* handle_ = nullptr;
};

bool IsTerminal(int fd);  // 0 stdin, 1 stdout, 2 stderr

// Reads a whole file; false with a reason when it cannot.
bool ReadWholeFile(const std::string& path, std::string* contents, std::string* error);
// The same for a file of a folder, which must be a plain file: a FIFO or a device under that name
// is refused, never waited on (a list of names on the command line may well be a pipe; a
// description file may not).
bool ReadPlainFile(const std::string& path, std::string* contents, std::string* error);

// The environment variable's value, or empty.
std::string Environment(const char* name);

// Runs the user's editor on `file` through the system's shell, as `COMMAND FILE`, so that a
// command with its own arguments ("code -w") works; the terminal is the editor's until it ends.
// The editor's exit status (128 + the signal for one killed by a signal), or -1 with a reason
// when it could not be started.
int RunEditor(const std::string& command, const std::string& file, std::string* error);
// The editor when neither $VISUAL nor $EDITOR names one: vi on POSIX, Notepad on Windows.
const char* DefaultEditor();

// Everything on standard input, bytes as they come; false with a reason when it cannot be read.
bool ReadStandardInput(std::string* contents, std::string* error);

// One entry as ReadDirectory would list it (entry->name is left alone); false when the path names
// nothing.
bool QueryEntry(const std::string& path, DirectoryEntry* entry);

// Creates a directory and any missing parents; true when it exists afterwards.
bool MakeDirectories(const std::string& path, std::string* error);

// Where per-user state lives when $XDG_STATE_HOME is not set: ~/.local/state on POSIX,
// %LOCALAPPDATA% on Windows; empty when the system says nothing.
std::string DefaultStateDirectory();

// A description file's text as the plug-in reads it. On POSIX that is UTF-8, as far2l hands it
// over: after a UTF-8 byte-order mark, the rest of the file; without one, every line that is valid
// UTF-8 as it stands and every other line decoded from the OEM code page far2l deduces from the
// locale, bytes that code page cannot map kept as they are. On Windows the host works in OEM
// throughout and the bytes are the text. The result views `bytes` when nothing needed converting,
// else `*converted`.
std::string_view DescriptionText(std::string_view bytes, std::string* converted);

}  // namespace velmora::host
