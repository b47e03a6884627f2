#include "host/Host.hpp"

#include <filesystem>
#include <iostream>
#include <memory>
#include <system_error>

#include "far/FarAbi.hpp"
#include "far/HostConventions.hpp"
#include "host/DescriptionIndex.hpp"
#include "host/Lng.hpp"
#include "host/Options.hpp"
#include "host/Panel.hpp"
#include "host/ScriptedUi.hpp"
#include "host/Services.hpp"
#include "host/TextLines.hpp"
#include "host/Trace.hpp"
#include "platform/HostSystem.hpp"
#include "platform/Platform.hpp"

#if defined(VELMORA_HAVE_TUI)
#include "host/tui/TerminalUi.hpp"
#endif

namespace velmora::host {
namespace {

const std::string kPluginFileName = std::string("Velmora") + far::kPluginModuleSuffix;

// The longest ListNames value read from the store.
constexpr std::size_t kListNamesCapacity = 4096;

class UsageError {
public:
    UsageError(std::ostream& err) : err_(err) {}
    int operator()(const std::string& message, bool hint = false) const {
        err_ << "velmora: " << message << '\n';
        if (hint)
            err_ << "Try 'velmora --help' for more information.\n";
        return kExitUsage;
    }

private:
    std::ostream& err_;
};

std::string DirectoryOf(const std::string& path) {
    std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The directory of the plug-in and its language and help files when no option names them: beside
// the executable (a build tree, an unpacked folder), else the installed layout relative to it.
std::string DefaultPluginDirectory() {
    const std::string beside = ExecutableDirectory();
    if (beside.empty())
        return beside;  // nothing to be relative to
    const std::string installed = beside + far::kInstalledPluginDirectory;
    FileSystem& files = SystemFileSystem();
    if (files.Attributes(beside + kPluginFileName) == kNoAttributes &&
        files.Attributes(installed + kPluginFileName) != kNoAttributes)
        return installed;
    return beside;
}

// True when the user's messages are in Russian; the locale variables in POSIX order.
bool WantsRussian() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        std::string value = Environment(name);
        if (!value.empty())
            return value.compare(0, 2, "ru") == 0;
    }
    return false;
}

bool ReadNameList(const std::string& path, std::vector<std::string>* names, std::string* error) {
    std::string contents;
    std::string reason;
    if (!ReadWholeFile(path, &contents, &reason)) {
        *error = "cannot read the list of names " + path + ": " + reason;
        return false;
    }
    // Names as the directory listing spells them: a UTF-8 list is converted, one in the host's
    // code page taken as it is.
    contents = TextInHostCodePage(contents);
    std::size_t pos = 0;
    std::size_t begin = 0;
    std::size_t end = 0;
    while (NextLine(contents, &pos, &begin, &end)) {
        if (end > begin)
            names->push_back(contents.substr(begin, end - begin));
    }
    return true;
}

std::vector<std::string> HostListNames(const std::string& rootKey) {
    std::string bytes;
    if (!Settings().Read(far::DescriptionsKeyPath(rootKey), "ListNames", kListNamesCapacity, &bytes))
        bytes = kDefaultListNames;
    return far::ListNames(bytes);
}

// Puts the current directory back when the run ends, whichever way it ends.
class DirectoryRestorer {
public:
    DirectoryRestorer() { saved_ = std::filesystem::current_path(ec_); }
    ~DirectoryRestorer() {
        if (!ec_) {
            std::error_code ignored;
            std::filesystem::current_path(saved_, ignored);
        }
    }

private:
    std::error_code ec_;
    std::filesystem::path saved_;
};

std::unique_ptr<UserInterface> MakeUi(const HostOptions& options, const std::string& pluginDirectory,
                                      std::ostream& err, std::string* error) {
    if (options.answer != DialogAnswer::Ask) {
        bool progress = &err == &std::cerr && IsTerminal(2);
        return std::make_unique<ScriptedUi>(options.answer, err, progress);
    }
#if defined(VELMORA_HAVE_TUI)
    TerminalUiConfig config;
    config.helpFile = pluginDirectory + (WantsRussian() ? "VelmoraRus.hlf" : "VelmoraEng.hlf");
    config.title = "velmora";
    std::unique_ptr<UserInterface> ui = MakeTerminalUi(config, error);
    if (!ui && error->empty())
        *error = "cannot start the terminal dialog; pass --yes to rename or --cancel";
    return ui;
#else
    (void)pluginDirectory;
    *error = "no terminal for the dialog; pass --yes to rename or --cancel";
    return nullptr;
#endif
}

int Run(const std::vector<std::string>& args, const PluginEntryPoints* inProcess, std::ostream& out,
        std::ostream& err) {
    UsageError fail(err);
    HostOptions options;
    std::string error;
    if (!ParseOptions(args, &options, &error))
        return fail(error, true);
    if (options.help) {
        out << UsageText();
        return kExitDone;
    }
    if (options.version) {
        out << "velmora " << kHostVersion << '\n';
        return kExitDone;
    }

    if (options.answer == DialogAnswer::Ask && !(IsTerminal(0) && IsTerminal(1)))
        return fail("no terminal for the dialog; pass --yes to rename or --cancel", true);

    // Everything named on the command line is found relative to the directory velmora was
    // started in, so it is all read before the panel directory becomes current.
    std::string pluginPath;
    std::string pluginDirectory;
    if (inProcess) {
        pluginDirectory = ExecutableDirectory();
    } else {
        pluginPath =
            options.pluginFile.empty() ? DefaultPluginDirectory() + kPluginFileName : options.pluginFile;
        pluginDirectory = DirectoryOf(pluginPath);
    }
    LoadedPlugin loaded;
    PluginEntryPoints entryPoints;
    if (inProcess) {
        entryPoints = *inProcess;
    } else {
        if (!loaded.Load(pluginPath, &error))
            return fail(error);
        entryPoints = loaded.EntryPoints();
    }
    std::string languagePath = options.languageFile;
    if (languagePath.empty())
        languagePath = pluginDirectory + (WantsRussian() ? "VelmoraRus.lng" : "VelmoraEng.lng");
    Lng lng;
    if (!lng.Load(languagePath, &error))
        return fail(error);

    std::vector<std::string> names = options.names;
    if (!options.selectFrom.empty() && !ReadNameList(options.selectFrom, &names, &error))
        return fail(error);

    Trace trace;
    if (!options.traceFile.empty() && !trace.Open(options.traceFile, &error))
        return fail(error);

    DirectoryRestorer restorer;
    if (!ChangeDirectory(options.directory, &error))
        return fail(error);
    std::string currentDirectory = CurrentDirectory();
    if (currentDirectory.empty())
        currentDirectory = options.directory;

    Panel panel(options.columns, HostListNames(options.rootKey));
    if (!panel.Read(&error))
        return fail(error);
    if (options.selectAll)
        panel.SelectAll();
    else if (!panel.Select(names, &error))
        return fail(error);
    // The panel has the selection; a list of a million names need not stay beside it.
    std::vector<std::string>().swap(names);
    for (const std::string& name : panel.LeftOut()) {
        err << "velmora: warning: " << name << ": the name is " << name.size()
            << " bytes long; a panel item holds at most " << kMaxItemName << ", so it is left out\n";
    }
    if (!panel.DescriptionError().empty())
        err << "velmora: warning: " << panel.DescriptionError() << '\n';

    std::unique_ptr<UserInterface> ui = MakeUi(options, pluginDirectory, err, &error);
    if (!ui)
        return fail(error, true);

    ServiceSession session;
    session.lng = &lng;
    session.panel = &panel;
    session.ui = ui.get();
    session.trace = &trace;
    session.answers = &options;
    session.err = &err;
    session.currentDirectory = currentDirectory;
    far::HANDLE result;
    {
        ActiveSession active(&session);
        // The plug-in keeps the RootKey pointer; options outlives every call into it.
        std::unique_ptr<far::PluginStartupInfo> startup = std::make_unique<far::PluginStartupInfo>();
        FillStartupInfo(pluginPath, options.rootKey.c_str(), startup.get());
        entryPoints.setStartupInfo(startup.get());
        startup.reset();  // the plug-in copies what it keeps

        far::PluginInfo info{};
        info.StructSize = static_cast<int>(sizeof(info));
        entryPoints.getPluginInfo(&info);
        result = entryPoints.openPlugin(far::OPEN_PLUGINSMENU, 0);
    }
    ui.reset();  // a terminal UI gives the terminal back before anything more is printed

    int status = session.warningShown ? kExitWarning : kExitDone;
    if (result != far::kInvalidHandle) {
        err << "velmora: the plug-in opened a panel, which velmora cannot show\n";
        status = kExitWarning;
    }
    if (!trace.Close()) {
        err << "velmora: cannot write the trace file " << options.traceFile << '\n';
        status = kExitWarning;
    }
    return status;
}

}  // namespace

int RunHost(const std::vector<std::string>& args, const PluginEntryPoints* inProcess, std::ostream& out,
            std::ostream& err) {
    try {
        return Run(args, inProcess, out, err);
    } catch (const std::exception& e) {
        err << "velmora: " << e.what() << '\n';
        return kExitUsage;
    }
}

int RunHost(const std::vector<std::string>& args, const PluginEntryPoints* inProcess, std::ostream& err) {
    return RunHost(args, inProcess, std::cout, err);
}

}  // namespace velmora::host
