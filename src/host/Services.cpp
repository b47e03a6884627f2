#include "host/Services.hpp"

#include <cstring>

#include "far/HostConventions.hpp"

namespace velmora::host {
namespace {

ServiceSession* g_session = nullptr;

// The host's number for the plug-in; it only has one.
constexpr far::INT_PTR kModuleNumber = 0;

// Dialog items the command line can answer.
constexpr int kMaskItem = far::kDialogTemplateItem;
constexpr int kStartItem = far::kDialogStartNumberItem;
constexpr int kWithoutZeroItem = far::kDialogWithoutZeroItem;
constexpr int kSaveDescriptionsItem = far::kDialogSaveDescriptionItem;

bool IsEditField(const far::FarDialogItem& item) {
    return item.Type == far::DI_EDIT || item.Type == far::DI_FIXEDIT;
}

int VELMORA_WINAPI DialogService(far::INT_PTR /*pluginNumber*/, int x1, int y1, int x2, int y2,
                                 const char* helpTopic, far::FarDialogItem* items, int count) {
    ServiceSession* session = g_session;
    if (!session || !items || count <= 0)
        return -1;
    std::string itemsJson;
    if (session->trace && session->trace->IsOpen())
        itemsJson = DialogItemsJson(items, count);
    if (session->answers)
        ApplyDialogAnswers(*session->answers, items, count);
    int result = -1;
    for (;;) {
        result = session->ui->Dialog(x1, y1, x2, y2, helpTopic, items, count);
        if (!session->gate || result < 0)
            break;
        const DialogGate::Verdict verdict = session->gate->Confirm(items, count, result);
        if (verdict == DialogGate::Verdict::Proceed)
            break;
        if (verdict == DialogGate::Verdict::Cancel) {
            result = -1;
            break;
        }
    }
    if (session->trace)
        session->trace->Dialog(helpTopic, itemsJson, result);
    return result;
}

int VELMORA_WINAPI MessageService(far::INT_PTR /*pluginNumber*/, far::DWORD flags, const char* helpTopic,
                                  const char* const* items, int count, int buttons) {
    ServiceSession* session = g_session;
    if (!session)
        return -1;
    if (!items || count < 0)
        count = 0;
    if (buttons < 0)
        buttons = 0;
    if (buttons > count)
        buttons = count;
    if (session->trace)
        session->trace->Message(flags, helpTopic, items, count, buttons);
    if (flags & far::FMSG_WARNING)
        session->warningShown = true;
    return session->ui->Message(flags, helpTopic, items, count, buttons);
}

const char* VELMORA_WINAPI GetMsgService(far::INT_PTR /*pluginNumber*/, int id) {
    ServiceSession* session = g_session;
    return session && session->lng ? session->lng->GetMsg(id) : "";
}

int VELMORA_WINAPI ControlService(far::HANDLE /*plugin*/, int command, void* param) {
    ServiceSession* session = g_session;
    if (!session)
        return 0;
    if (session->trace)
        session->trace->Control(command);
    switch (command) {
        case far::FCTL_GETPANELINFO:
            if (!param)
                return 0;
            if (session->sharedPanelInfo && !session->updatePending) {
                *static_cast<far::PanelInfo*>(param) = *session->sharedPanelInfo;
                return 1;
            }
            if (session->updatePending) {
                session->sharedPanelInfo = nullptr;
                session->updatePending = false;
                const bool keep = session->updateKeepsSelection;
                session->updateKeepsSelection = true;
                std::string error;
                if (!session->panel->Update(keep, &error)) {
                    *session->err << "velmora: " << error << '\n';
                    session->panelFailed = true;
                    // A panel from before the update would hand out names that may be gone.
                    return 0;
                }
                if (!session->panel->DescriptionError().empty())
                    *session->err << "velmora: " << session->panel->DescriptionError() << '\n';
            }
            session->panel->Fill(session->currentDirectory, static_cast<far::PanelInfo*>(param));
            session->lastPanelInfo = *static_cast<far::PanelInfo*>(param);
            return 1;
        case far::FCTL_UPDATEPANEL:
            // As in FAR: a non-null parameter keeps the selection. The directory is read when the
            // panel is next asked for (a 100,000-file run ends with an update nobody reads).
            session->updatePending = true;
            if (!param)
                session->updateKeepsSelection = false;
            return 1;
        case far::FCTL_REDRAWPANEL:
            return 1;
        default:
            // There is no other panel and no plug-in panel to close.
            return 0;
    }
}

far::HANDLE VELMORA_WINAPI SaveScreenService(int x1, int y1, int x2, int y2) {
    ServiceSession* session = g_session;
    return session ? session->ui->SaveScreen(x1, y1, x2, y2) : nullptr;
}

void VELMORA_WINAPI RestoreScreenService(far::HANDLE screen) {
    ServiceSession* session = g_session;
    if (session)
        session->ui->RestoreScreen(screen);
}

}  // namespace

ActiveSession::ActiveSession(ServiceSession* session) : previous_(g_session) {
    g_session = session;
}

ActiveSession::~ActiveSession() {
    g_session = previous_;
}

void FillStartupInfo(const std::string& moduleName, const char* rootKey, far::PluginStartupInfo* info) {
    std::memset(info, 0, sizeof(*info));
    info->StructSize = static_cast<int>(sizeof(*info));
    far::SetFieldText(info->ModuleName, moduleName);
    info->ModuleNumber = kModuleNumber;
    info->RootKey = rootKey;
    info->Dialog = DialogService;
    info->Message = MessageService;
    info->GetMsg = GetMsgService;
    info->Control = ControlService;
    info->SaveScreen = SaveScreenService;
    info->RestoreScreen = RestoreScreenService;
}

void ApplyDialogAnswers(const HostOptions& answers, far::FarDialogItem* items, int count) {
    if (answers.mask && count > kMaskItem && IsEditField(items[kMaskItem]))
        far::SetFieldText(items[kMaskItem].Data, *answers.mask);
    if (answers.start && count > kStartItem && IsEditField(items[kStartItem]))
        far::SetFieldText(items[kStartItem].Data, *answers.start);
    if (answers.withoutZero && count > kWithoutZeroItem && items[kWithoutZeroItem].Type == far::DI_CHECKBOX)
        items[kWithoutZeroItem].Selected = *answers.withoutZero;
    if (answers.saveDescriptions && count > kSaveDescriptionsItem &&
        items[kSaveDescriptionsItem].Type == far::DI_CHECKBOX)
        items[kSaveDescriptionsItem].Selected = *answers.saveDescriptions;
}

}  // namespace velmora::host
