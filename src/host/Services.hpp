// The services the velmora host offers the plug-in through PluginStartupInfo. They are plain
// functions (the plug-in calls them through pointers), so they act on the one active session.
#pragma once

#include <functional>
#include <ostream>
#include <string>

#include "far/FarAbi.hpp"
#include "host/Lng.hpp"
#include "host/Options.hpp"
#include "host/Panel.hpp"
#include "host/Trace.hpp"
#include "host/UserInterface.hpp"

namespace velmora::host {

// Asked when a dialog closes with a button, before the plug-in learns of it: for the rename
// dialog's OK, the host's chance to work out the plan, show it, or stop there.
class DialogGate {
public:
    enum class Verdict {
        Proceed,  // the plug-in gets the OK
        Back,     // the dialog is shown again, as the user left it
        Cancel,   // the plug-in gets a cancelled dialog
    };
    virtual ~DialogGate() = default;
    // `result`: the index of the item that closed the dialog.
    virtual Verdict Confirm(const far::FarDialogItem* items, int count, int result) = 0;
};

// Everything the services touch during one run of the plug-in.
struct ServiceSession {
    const Lng* lng = nullptr;
    Panel* panel = nullptr;
    UserInterface* ui = nullptr;
    Trace* trace = nullptr;                // may be closed
    const HostOptions* answers = nullptr;  // the dialog answers of the command line
    std::ostream* err = nullptr;
    std::string currentDirectory;  // absolute, for PanelInfo.CurDir
    bool warningShown = false;     // a FMSG_WARNING box was shown
    bool panelFailed = false;      // the directory could not be read again
    // An update asked for and not yet done: the directory is read again only when the panel is
    // next asked for, so the update after the last rename of a run costs nothing.
    bool updatePending = false;
    bool updateKeepsSelection = true;  // false once any pending update asked to clear it
    DialogGate* gate = nullptr;
    // The last panel record handed out; its arrays stay valid until the panel is filled again.
    far::PanelInfo lastPanelInfo{};
    // When set, the panel is not asked until an update: the record handed out instead is this one
    // (a simulated run reads the live run's records, no copy made).
    const far::PanelInfo* sharedPanelInfo = nullptr;
    bool previewPressed = false;  // --via-preview: the dialog's Preview button was answered once
    bool answersTyped = false;    // the command line's answers went into a dialog with a procedure
    // Edit names: the command line's press of the button (--edit, --edit-from) is done; it is in
    // flight until the dialog is shown again; the lines of --edit-from were handed over.
    bool editPressed = false;
    bool editPressInFlight = false;
    bool editFromUsed = false;
    // The dialog is to be answered with Cancel when it is shown again: the editor of the command
    // line's press failed, and nothing may be renamed.
    bool cancelDialog = false;
    // The names file as the editor left it the last time, for a plan of edited names.
    std::string editorText;
    int editorRuns = 0;  // the user's editor started so far
};

// Makes `session` the one the services act on for as long as the object lives; the one before it
// is active again afterwards.
class ActiveSession {
public:
    explicit ActiveSession(ServiceSession* session);
    ~ActiveSession();
    ActiveSession(const ActiveSession&) = delete;
    ActiveSession& operator=(const ActiveSession&) = delete;

private:
    ServiceSession* previous_;
};

// The start-up record handed to SetStartupInfo. `moduleName` and `rootKey` must outlive the
// plug-in's use of them (the plug-in keeps the RootKey pointer).
void FillStartupInfo(const std::string& moduleName, const char* rootKey, far::PluginStartupInfo* info);

// Puts the command-line answers into the dialog items the plug-in built: item 2 template, 3 start
// number (edit fields), 6 without zero, 7 save descriptions (check boxes), then the steps after the
// template: find, replace (edit fields), their three switches (check boxes) and the two letter
// case groups (four radio buttons each). An item of another type, or a dialog too short for it,
// is left alone. `changed` learns each item answered, after it is.
void ApplyDialogAnswers(const HostOptions& answers, far::FarDialogItem* items, int count,
                        const std::function<void(int)>& changed = {});

}  // namespace velmora::host
