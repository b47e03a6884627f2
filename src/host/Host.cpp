#include "host/Host.hpp"

#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <system_error>

#include "far/FarAbi.hpp"
#include "far/HostConventions.hpp"
#include "host/DescriptionIndex.hpp"
#include "host/Lng.hpp"
#include "host/Options.hpp"
#include "host/Panel.hpp"
#include "host/Plan.hpp"
#include "host/PresetCommands.hpp"
#include "host/ScriptedUi.hpp"
#include "host/Services.hpp"
#include "host/Simulation.hpp"
#include "host/Trace.hpp"
#include "host/Undo.hpp"
#include "platform/HostSystem.hpp"
#include "platform/Platform.hpp"
#include "platform/TextLines.hpp"
#include "plugin/HostServices.hpp"
#include "ports/Messages.hpp"
#include "preview/NameEdit.hpp"
#include "settings/Settings.hpp"

namespace velmora::host {
namespace {

const std::string kPluginFileName = std::string("Velmora") + far::kPluginModuleSuffix;

// The longest ListNames value read from the store.
constexpr std::size_t kListNamesCapacity = 4096;

// The plug-in's item number of the menu entry at `position` (0 first), in the order the hosts
// show the menu: by text. Past the end: the plug-in's first entry, as a host without a menu opens.
int MenuEntryAt(const far::PluginInfo& info, int position) {
    std::vector<std::string_view> texts;
    for (int i = 0; i < info.PluginMenuStringsNumber; ++i)
        texts.emplace_back(info.PluginMenuStrings[i] ? info.PluginMenuStrings[i] : "");
    const std::vector<int> order = far::MenuOrder(texts);
    return position < static_cast<int>(order.size()) ? order[static_cast<std::size_t>(position)]
                                                     : far::kMenuRename;
}

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

// The names of --select-from: one a line (LF or CR LF), or each ended by a zero byte (-0, as
// find -print0 writes them, for names that hold line ends); empty ones are skipped.
bool ReadNameList(const std::string& path, bool nullSeparated, std::vector<std::string>* names,
                  std::string* error) {
    std::string contents;
    std::string reason;
    const bool stdinList = path == "-";
    if (!(stdinList ? ReadStandardInput(&contents, &reason) : ReadWholeFile(path, &contents, &reason))) {
        *error = "cannot read the list of names " + (stdinList ? std::string("on standard input") : path) +
                 ": " + reason;
        return false;
    }
    // Names as the directory listing spells them: a UTF-8 list is converted, one in the host's
    // code page taken as it is.
    contents = TextInHostCodePage(contents);
    if (nullSeparated) {
        for (std::size_t begin = 0; begin < contents.size();) {
            std::size_t end = contents.find('\0', begin);
            if (end == std::string::npos)
                end = contents.size();
            if (end > begin)
                names->push_back(contents.substr(begin, end - begin));
            begin = end + 1;
        }
        return true;
    }
    std::size_t pos = 0;
    std::size_t begin = 0;
    std::size_t end = 0;
    while (NextLine(contents, &pos, &begin, &end)) {
        if (end > begin)
            names->push_back(contents.substr(begin, end - begin));
    }
    return true;
}

// The host's own settings, beside the plug-in's: whether the terminal dialog previews.
std::string HostSettingsKey(const std::string& rootKey) {
    return rootKey + "\\Velmora\\Host";
}
constexpr const char* kPreviewValue = "Preview";

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
                                      std::size_t total, const Lng& lng, std::ostream& err,
                                      std::string* error) {
    if (options.answer != DialogAnswer::Ask) {
        // A plan renames nothing: no progress to show.
        bool progress = &err == &std::cerr && IsTerminal(2) && !options.dryRun;
        return std::make_unique<ScriptedUi>(options.answer, err, progress, total, lng.GetMsg(MProgress));
    }
#if defined(VELMORA_HAVE_TUI)
    TerminalUiConfig config;
    config.helpFile = pluginDirectory + (WantsRussian() ? "VelmoraRus.hlf" : "VelmoraEng.hlf");
    config.title = "velmora";
    config.rememberHistory = !options.dryRun;
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

// Where the run's plan is made once the dialog is confirmed: printed (--dry-run) or shown (the
// terminal preview). The plug-in keeps the undo journal itself.
class RunGate final : public DialogGate {
public:
    RunGate(const HostOptions& options, ServiceSession& session, bool preview)
        : options_(options), session_(session), preview_(preview) {}

    Verdict Confirm(const far::FarDialogItem* items, int count, int result) override {
        // A dialog of another layout (a plug-in module of another version) can have no plan made
        // for it: a dry run must then rename nothing all the same.
        // Preview closes the dialog to show the plan's list, whose Enter runs the batch as OK does.
        const bool runs = result == far::kDialogOkItem || result == far::kDialogPreviewItem;
        // Edit names is the plug-in's to answer: the dialog comes back after the editor.
        if (result == far::kDialogEditNamesItem && count >= far::kDialogItemCount)
            return Verdict::Proceed;
        if (!runs || count < far::kDialogItemCount)
            return options_.dryRun ? Verdict::Cancel : Verdict::Proceed;
        if (options_.dryRun) {
            plan_ = ComputePlan(session_, options_.rootKey, items, count, {}, EditedNames(items));
            return Verdict::Cancel;
        }
        // The Preview button's list is the plug-in's own look at the plan: the host's is not shown too.
        if (!preview_ || result != far::kDialogOkItem)
            return Verdict::Proceed;
        const Plan plan = ComputePlan(session_, options_.rootKey, items, count, {}, EditedNames(items));
        switch (session_.ui->Preview(plan)) {
            case PreviewAnswer::Rename:
                return Verdict::Proceed;
            case PreviewAnswer::Back:
                return Verdict::Back;
            case PreviewAnswer::Cancel:
                break;
        }
        return Verdict::Cancel;
    }

    const std::optional<Plan>& DryRunPlan() const { return plan_; }

private:
    // The names the plug-in took from the editor, while its dialog says they make the names.
    std::vector<std::string> EditedNames(const far::FarDialogItem* items) const {
        std::vector<std::string> names;
        if (items[far::kDialogEditNamesItem].Selected)
            ReadEditedNames(session_.editorText, session_.panel->SelectedCount(), kRecordHostText, &names);
        return names;
    }

    const HostOptions& options_;
    ServiceSession& session_;
    bool preview_;
    std::optional<Plan> plan_;
};

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
    if (IsPresetCommand(options))
        return RunPresetCommand(options, out, err);
    if (!ApplyPreset(&options, &error)) {
        err << "velmora: " << error << '\n';
        return kExitWarning;
    }

    if (options.mode == HostMode::Undo || options.mode == HostMode::UndoList) {
        // Where the plug-in beside this program keeps journals when the system names no place.
        const std::string pluginDirectory =
            options.pluginFile.empty() ? DefaultPluginDirectory() : DirectoryOf(options.pluginFile);
        if (options.mode == HostMode::UndoList) {
            DirectoryRestorer restorer;
            if (!ChangeDirectory(options.directory, &error))
                return fail(error);
            const std::string directory = CurrentDirectory();
            return ListUndo(options, directory.empty() ? options.directory : directory,
                            far::JournalFallbackRoot(pluginDirectory), out);
        }
        // The plug-in's texts, where the undo says what the plug-in's own undo says; read before
        // the panel directory becomes current. Without them the line is in English.
        Lng lng;
        std::string ignored;
        const bool texts =
            lng.Load(options.languageFile.empty()
                         ? pluginDirectory + (WantsRussian() ? "VelmoraRus.lng" : "VelmoraEng.lng")
                         : options.languageFile,
                     &ignored);
        DirectoryRestorer restorer;
        if (!ChangeDirectory(options.directory, &error))
            return fail(error);
        const std::string directory = CurrentDirectory();
        return RunUndo(options, directory.empty() ? options.directory : directory,
                       far::JournalFallbackRoot(pluginDirectory), texts ? &lng : nullptr, out, err);
    }

    // A dry run renames nothing: without a terminal its plan is made from the options and the
    // kept answers, as OK would close the dialog.
    if (options.dryRun && options.answer == DialogAnswer::Ask && !(IsTerminal(0) && IsTerminal(1)))
        options.answer = DialogAnswer::Yes;
    if (options.answer == DialogAnswer::Ask && !(IsTerminal(0) && IsTerminal(1))) {
        if (options.selectFrom == "-")
            return fail(
                "standard input holds the names (--select-from -), so there is no terminal for the "
                "dialog; pass --yes (-y) to answer it",
                true);
        return fail("no terminal for the dialog; pass --yes to rename or --cancel", true);
    }

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
    if (!options.selectFrom.empty() &&
        !ReadNameList(options.selectFrom, options.nullSeparated, &names, &error))
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
    else if ((options.menuItem == 0 || !names.empty()) && !panel.Select(names, &error))
        return fail(error);
    // The panel has the selection; a list of a million names need not stay beside it.
    std::vector<std::string>().swap(names);
    for (const std::string& name : panel.LeftOut()) {
        err << "velmora: warning: " << name << ": the name is " << name.size()
            << " bytes long; a panel item holds at most " << kMaxItemName << ", so it is left out\n";
    }
    if (!panel.DescriptionError().empty())
        err << "velmora: warning: " << panel.DescriptionError() << '\n';

    // The preview switch is kept with the host's settings; a plan stores nothing.
    bool preview = ReadRegistryDword(Settings(), HostSettingsKey(options.rootKey), kPreviewValue, 0) != 0;
    if (options.preview) {
        preview = *options.preview;
        if (!options.dryRun)
            WriteRegistryDword(Settings(), HostSettingsKey(options.rootKey), kPreviewValue, preview ? 1 : 0);
    }

    std::unique_ptr<UserInterface> ui =
        MakeUi(options, pluginDirectory, panel.SelectedCount(), lng, err, &error);
    if (!ui)
        return fail(error, true);

    ServiceSession session;
    RunGate gate(options, session, preview && options.answer == DialogAnswer::Ask);
    session.gate = &gate;
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
        result = entryPoints.openPlugin(
            far::OPEN_PLUGINSMENU, options.fromMenu ? MenuEntryAt(info, options.menuItem) : far::kMenuRename);
    }
    ui.reset();  // a terminal UI gives the terminal back before anything more is printed

    int status = session.warningShown ? kExitWarning : kExitDone;
    if (options.dryRun) {
        if (const std::optional<Plan>& plan = gate.DryRunPlan()) {
            out << (options.json ? PlanJson(*plan) : PlanTable(*plan));
            if (options.json) {
                for (const std::string& warning : plan->warnings)
                    err << "velmora: the run would warn: " << warning << '\n';
            }
            status = plan->Warns() ? kExitWarning : status;
        }
    }
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
