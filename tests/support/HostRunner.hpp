// Runs the velmora host for end-to-end tests: in-process against the plug-in linked into the
// test binary, or (POSIX) as the real built program. Each runner has its own panel directory and
// its own settings: on POSIX XDG_CONFIG_HOME points into a temporary directory while it lives, on
// Windows every run gets a root key of the runner's own below HKEY_CURRENT_USER (deleted with it).
// The undo journal goes to a directory of the runner's own too (XDG_STATE_HOME).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "support/Env.hpp"
#include "support/TempDir.hpp"
#include "support/win32/Win32Support.hpp"

namespace velmora::test {

struct HostResult {
    int status = -1;
    std::string out;
    std::string err;
    std::vector<std::string> trace;  // one JSON object a line

    // The trace lines of one service ("Dialog", "Message" or "Control"), in order.
    std::vector<std::string> Calls(const std::string& service) const;
    // The Message lines with help topic `help` ("" for none).
    std::vector<std::string> Boxes(const std::string& help) const;
    // The boxes that wait for a button (warnings), leaving out progress boxes.
    std::vector<std::string> WarningBoxes() const;
};

class HostRunner {
public:
    HostRunner();
    ~HostRunner();
    HostRunner(const HostRunner&) = delete;
    HostRunner& operator=(const HostRunner&) = delete;

    // The panel directory.
    const TempDir& Dir() const { return panel_; }
    // Creates the files, each with a few bytes of its own.
    void MakeFiles(const std::vector<std::string>& names) const;

    // velmora -C <dir> --lang <English> --trace <file> ARGS..., in-process.
    HostResult Run(const std::vector<std::string>& args) const;
    // The same, exactly the given arguments (no -C, --lang or --trace added).
    HostResult RunRaw(const std::vector<std::string>& args) const;
    // The built velmora program with its real plug-in (or `program`, a copy of it placed elsewhere),
    // run in the panel directory, with `input` on its standard input (on POSIX).
    HostResult RunProgram(const std::vector<std::string>& args, const std::string& program = std::string(),
                          const std::string& input = std::string()) const;

    // Where Run writes the trace; for RunProgram pass "--trace" with it.
    std::string TracePath() const { return work_.PathOf("trace.jsonl"); }
    // The runner's XDG_STATE_HOME.
    std::string StateHome() const { return work_.PathOf("state"); }

    // The root key every run hands to the plug-in (--root-key), unless a test passes its own.
    std::string RootKey() const;
    // The plug-in's own key below it, and the host's description settings key beside it.
    std::string PluginKey() const { return RootKey() + "\\Velmora"; }
    std::string DescriptionsKey() const;

    // A value the plug-in stored under PluginKey(), read through the system's registry: a string
    // without its terminator, or a 32-bit number; nothing when missing or of another size.
    std::optional<std::string> StoredString(const std::string& name) const;
    std::optional<std::uint32_t> StoredDword(const std::string& name) const;
    // True when any of the plug-in's four options is stored.
    bool HasStoredOptions() const;
    // Stores a string value in the runner's settings; false on failure.
    bool WriteSetting(const std::string& keyPath, const std::string& name, const std::string& text) const;

#if !defined(_WIN32)
    // The REGEDIT4 store file's text; empty when none was written.
    std::string StoreText() const;
    // Writes the REGEDIT4 store file's text.
    void WriteStore(const std::string& text) const;
#endif

private:
    HostResult Collect(int status, const std::string& out, const std::string& err) const;

    TempDir panel_;
    TempDir work_;
    ScopedEnv configHome_;
    ScopedEnv stateHome_;  // the undo journal
#if defined(_WIN32)
    TestRegistryKey key_;
#endif
};

// The objects of the "items" array of a traced Dialog call, each as its JSON text.
std::vector<std::string> DialogItems(const std::string& dialogLine);

// A JSON text literal as the trace writes it (quotes included), for building expected lines.
std::string Json(const std::string& text);

}  // namespace velmora::test
