#include "support/HostRunner.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

#include "far/HostConventions.hpp"
#include "host/DescriptionIndex.hpp"
#include "host/Host.hpp"
#include "host/Options.hpp"
#include "host/PluginLoader.hpp"
#include "host/Trace.hpp"
#include "platform/Platform.hpp"
#include "plugin/Exports.hpp"

namespace velmora::test {
namespace {

#if !defined(_WIN32)
std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
#endif

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

host::PluginEntryPoints InProcessPlugin() {
    host::PluginEntryPoints entryPoints;
    entryPoints.setStartupInfo = &SetStartupInfo;
    entryPoints.getPluginInfo = &GetPluginInfo;
    entryPoints.openPlugin = &OpenPlugin;
    return entryPoints;
}

#if defined(_WIN32)
// The real registry is shared by every run: keep to the runner's own key unless the test chose
// one.
std::vector<std::string> WithRootKey(const std::vector<std::string>& args, const std::string& rootKey) {
    bool hasRootKey = false;
    for (const std::string& arg : args) {
        if (arg == "--")
            break;
        if (arg == "--root-key" || arg.compare(0, 11, "--root-key=") == 0)
            hasRootKey = true;
    }
    std::vector<std::string> all;
    if (!hasRootKey)
        all = {"--root-key", rootKey};
    all.insert(all.end(), args.begin(), args.end());
    return all;
}
#endif

#if !defined(_WIN32)
std::string ShellQuote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted.push_back(c);
    }
    return quoted + "'";
}
#endif

}  // namespace

std::string Json(const std::string& text) {
    return host::JsonString(text);
}

std::vector<std::string> DialogItems(const std::string& dialogLine) {
    std::vector<std::string> items;
    std::size_t pos = dialogLine.find("\"items\":[");
    if (pos == std::string::npos)
        return items;
    pos += 9;
    int depth = 0;
    bool inString = false;
    std::size_t start = 0;
    for (; pos < dialogLine.size(); ++pos) {
        char c = dialogLine[pos];
        if (inString) {
            if (c == '\\')
                ++pos;
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '{') {
            if (depth++ == 0)
                start = pos;
        } else if (c == '}') {
            if (--depth == 0)
                items.push_back(dialogLine.substr(start, pos - start + 1));
        } else if (c == ']' && depth == 0) {
            break;
        }
    }
    return items;
}

std::vector<std::string> HostResult::Calls(const std::string& service) const {
    std::vector<std::string> calls;
    const std::string prefix = "{\"service\":\"" + service + "\"";
    for (const std::string& line : trace) {
        if (line.compare(0, prefix.size(), prefix) == 0)
            calls.push_back(line);
    }
    return calls;
}

std::vector<std::string> HostResult::Boxes(const std::string& help) const {
    std::vector<std::string> boxes;
    const std::string key = help.empty() ? "\"help\":null" : "\"help\":" + Json(help);
    for (const std::string& line : Calls("Message")) {
        if (line.find(key) != std::string::npos)
            boxes.push_back(line);
    }
    return boxes;
}

std::vector<std::string> HostResult::WarningBoxes() const {
    std::vector<std::string> boxes;
    for (const std::string& line : Calls("Message")) {
        if (line.find("\"buttons\":0") == std::string::npos)
            boxes.push_back(line);
    }
    return boxes;
}

HostRunner::HostRunner()
    : configHome_("XDG_CONFIG_HOME", work_.PathOf("config")),
      stateHome_("XDG_STATE_HOME", work_.PathOf("state")) {
    work_.MakeDirectory("config");
}

HostRunner::~HostRunner() = default;

void HostRunner::MakeFiles(const std::vector<std::string>& names) const {
    for (const std::string& name : names)
        panel_.WriteFile(name, "content of " + name);
}

// With VELMORA_TRACE_ARCHIVE set, every run's host calls are appended to that file under the
// test's name, so that two builds can be compared call for call (scripts/compare-traces.sh).
static void ArchiveTrace(const HostResult& result) {
    const char* archive = std::getenv("VELMORA_TRACE_ARCHIVE");
    if (!archive || !*archive)
        return;
    std::ofstream out(archive, std::ios::app | std::ios::binary);
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    out << "== " << (test ? std::string(test->test_suite_name()) + "." + test->name() : "?") << " status "
        << result.status << '\n';
    for (const std::string& line : result.trace)
        out << line << '\n';
}

HostResult HostRunner::Collect(int status, const std::string& out, const std::string& err) const {
    HostResult result;
    result.status = status;
    result.out = out;
    result.err = err;
    result.trace = SplitLines(work_.ReadFile("trace.jsonl"));
    std::remove(work_.PathOf("trace.jsonl").c_str());
    ArchiveTrace(result);
    return result;
}

HostResult HostRunner::Run(const std::vector<std::string>& args) const {
    std::vector<std::string> all = {"-C",      panel_.Path(),
                                    "--lang",  std::string(VELMORA_BUILD_DIR) + "/VelmoraEng.lng",
                                    "--trace", work_.PathOf("trace.jsonl")};
    all.insert(all.end(), args.begin(), args.end());
    return RunRaw(all);
}

HostResult HostRunner::RunRaw(const std::vector<std::string>& args) const {
    host::PluginEntryPoints plugin = InProcessPlugin();
    std::ostringstream out;
    std::ostringstream err;
#if defined(_WIN32)
    int status = host::RunHost(WithRootKey(args, RootKey()), &plugin, out, err);
#else
    int status = host::RunHost(args, &plugin, out, err);
#endif
    return Collect(status, out.str(), err.str());
}

HostResult HostRunner::RunProgram(const std::vector<std::string>& args, const std::string& program,
                                  const std::string& input) const {
#if defined(_WIN32)
    (void)input;  // no standard input for it here
    const std::string exe = program.empty() ? std::string(VELMORA_BUILD_DIR) + "/velmora.exe" : program;
    int status = RunWindowsProgram(exe, WithRootKey(args, RootKey()), panel_.Path(), work_.PathOf("out.txt"),
                                   work_.PathOf("err.txt"));
    return Collect(status, work_.ReadFile("out.txt"), work_.ReadFile("err.txt"));
#else
    work_.WriteFile("in.txt", input);
    std::string command = "cd " + ShellQuote(panel_.Path()) + " && " +
                          ShellQuote(program.empty() ? std::string(VELMORA_BUILD_DIR) + "/velmora" : program);
    for (const std::string& arg : args)
        command += " " + ShellQuote(arg);
    command += " >" + ShellQuote(work_.PathOf("out.txt")) + " 2>" + ShellQuote(work_.PathOf("err.txt")) +
               " <" + ShellQuote(work_.PathOf("in.txt"));
    int raw = std::system(command.c_str());
    // A shell's wait status: the exit code sits in the second byte.
    int status = raw == -1 ? -1 : (raw >> 8) & 0xFF;
    return Collect(status, work_.ReadFile("out.txt"), work_.ReadFile("err.txt"));
#endif
}

std::string HostRunner::RootKey() const {
#if defined(_WIN32)
    return key_.RootKey();
#else
    return host::HostOptions().rootKey;
#endif
}

std::string HostRunner::DescriptionsKey() const {
    return far::DescriptionsKeyPath(RootKey());
}

std::optional<std::string> HostRunner::StoredString(const std::string& name) const {
    std::string bytes;
    if (!Settings().Read(PluginKey(), name, 65536, &bytes))
        return std::nullopt;
    // Stored with its terminator.
    if (!bytes.empty() && bytes.back() == '\0')
        bytes.pop_back();
    return bytes;
}

std::optional<std::uint32_t> HostRunner::StoredDword(const std::string& name) const {
    std::string bytes;
    if (!Settings().Read(PluginKey(), name, 4, &bytes) || bytes.size() != 4)
        return std::nullopt;
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[static_cast<std::size_t>(i)]);
    return value;
}

bool HostRunner::HasStoredOptions() const {
    for (const char* name : {"velmora", "number", "SaveDescription", "WithoutZero"}) {
        std::string bytes;
        if (Settings().Read(PluginKey(), name, 65536, &bytes))
            return true;
    }
    return false;
}

bool HostRunner::WriteSetting(const std::string& keyPath, const std::string& name,
                              const std::string& text) const {
    return Settings().WriteString(keyPath, name, text);
}

#if !defined(_WIN32)
std::string HostRunner::StoreText() const {
    return ReadAll(work_.PathOf("config/velmora/registry.reg"));
}

void HostRunner::WriteStore(const std::string& text) const {
    work_.MakeDirectory("config/velmora");
    work_.WriteFile("config/velmora/registry.reg", text);
}

#endif

}  // namespace velmora::test
