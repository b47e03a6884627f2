// Runs the velmora host for end-to-end tests: in-process against the plug-in linked into the
// test binary, or (POSIX) as the real built program. Each runner has its own panel directory and
// its own settings store (XDG_CONFIG_HOME points into a temporary directory while it lives).
#pragma once

#include <string>
#include <vector>

#include "support/TempDir.hpp"

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
    // The built velmora program with its real plug-in, run in the panel directory (POSIX only).
    HostResult RunProgram(const std::vector<std::string>& args) const;

    // Where Run writes the trace; for RunProgram pass "--trace" with it.
    std::string TracePath() const { return work_.PathOf("trace.jsonl"); }

    // The settings store's text; empty when none was written.
    std::string StoreText() const;
    // Writes the settings store's text.
    void WriteStore(const std::string& text) const;

private:
    HostResult Collect(int status, const std::string& out, const std::string& err) const;

    TempDir panel_;
    TempDir work_;
    std::string savedConfigHome_;
    bool hadConfigHome_ = false;
};

// The objects of the "items" array of a traced Dialog call, each as its JSON text.
std::vector<std::string> DialogItems(const std::string& dialogLine);

// A JSON text literal as the trace writes it (quotes included), for building expected lines.
std::string Json(const std::string& text);

}  // namespace velmora::test
