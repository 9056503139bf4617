// hostcall --app-dir DIR [--operator PARAMS] [--company QYID] [--agency] [--edition CODE]
//          [--setting SECTION/KEY=VALUE]... [--answer CODE=N]... [--close-answer N]
//          [--pick N] [--module PATH]
//          [--press NAME | --type NAME=TEXT | --select NAME=TEXT]... ENTRY [ARG]...
// hostcall --app-dir DIR [--operator PARAMS] --export FILE [--gbk]
// hostcall --app-dir DIR [--operator PARAMS] --import FILE [--dry-run]
// hostcall --app-dir DIR [--operator PARAMS] --history QYID
// hostcall --app-dir DIR --grant-desk ROLE
//
// Does what a host does for one call of the module. Sets up the
// reference host services on an application folder, loads libCompanyMgr.so,
// looks the entry point up by name, calls it and prints what happened.
// Entry points that show a page get a container of their own, offscreen; the
// steps (PageScript.h) then work the page, and the page is closed at the end.
// --export and --import work the company manager page (ShowCompanyMgrProc):
// its export or import button, the file dialog, and for an import the
// preview, whose rows are printed before it is confirmed (or, dry, cancelled).
// --grant-desk sets up a PostgreSQL server for desks instead (HostSetup.h).
// Exit codes: 0 the entry point returned true (or showed its page, or the
// role was granted), 1 it returned false (or the grant failed), 2 usage
// error (a --pick row the dialog does not have or a step that could not be
// done included), 3 the host or the module could not be started.
#include <QApplication>
#include <QCommandLineParser>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "DialogPicker.h"
#include "HostApp.h"
#include "HostParams.h"
#include "HostServices.h"
#include "HostSetup.h"
#include "ModuleApi.h"
#include "Options.h"
#include "Output.h"
#include "WindowCalls.h"
#include "f_DataVO.h"

using namespace HostCall;

namespace {

void SetUpHost(const Options& options) {
    HostSetup::SetRecording(true);
    HostSetup::SetMessageResponder(
        [&options](const HostSetup::THostMessage& message) { return AnswerFor(options, message); });
    if (options.agency) {
        HostSetup::SetAgencyExist(true);
    }
    if (options.edition) {
        HostSetup::SetEditionCode(*options.edition);
    }
    for (const auto& [where, value] : options.settings) {
        HostSetup::OverrideSysConfig(where[0], where[1], value);
    }
    for (const auto& [key, value] : HostParams::Pairs(options.operatorParams)) {
        ModuleLib::GetUserInfoVO()->SetStrValue(key, value);
    }
}

// Loads the company as the current one, the way a host does after log-in.
void Preload(const ModuleApi& module, const QString& company) {
    const TDataVO* user = ModuleLib::GetUserInfoVO();
    std::string params = HostParams::With(
        HostParams::OperatorParams(user->GetStrValue("CZY_DM"), user->GetStrValue("CZY_LB")),
        "QYID", company);
    const bool loaded = module.CallWithParams("InitGlobalCompanyInfo", params);
    Print(QStringLiteral("preload: InitGlobalCompanyInfo %1 param=%2")
              .arg(loaded ? QStringLiteral("true") : QStringLiteral("false"),
                   QString::fromStdString(params)));
    if (!loaded) {
        PrintError(QStringLiteral("company %1 could not be loaded").arg(company));
    }
    // Its messages and log lines are not part of the call asked for.
    HostSetup::ClearRecorded();
}

int Call(const Options& options) {
    ModuleApi module;
    QString error;
    if (!module.Load(ModuleApi::DefaultPath(options.module), error)) {
        PrintError(error);
        return kExitCannotRun;
    }
    if (module.Symbol(options.entry.c_str()) == nullptr) {
        PrintError(QStringLiteral("the module has no entry point %1")
                       .arg(QString::fromStdString(options.entry)));
        return kExitCannotRun;
    }
    if (!options.company.isEmpty()) {
        Preload(module, options.company);
    }
    if (kEntries.at(options.entry) == EntryKind::Page) {
        return CallPage(options, module);
    }
    if (kEntries.at(options.entry) == EntryKind::IdFlag) {
        return CallDialog(options, module);
    }

    std::vector<TDialogPick> dialogs;
    bool result = false;
    std::optional<std::string> paramAfter;
    {
        ModalDialogWatcher watcher(
            [&](QWidget* dialog) { dialogs.push_back(PickDialogRow(dialog, options.pick)); });
        switch (kEntries.at(options.entry)) {
            case EntryKind::Buffer: {
                std::string params = options.args.empty() ? std::string() : options.args[0];
                result = module.CallWithParams(options.entry.c_str(), params);
                paramAfter = params;
                break;
            }
            case EntryKind::NoArgs:
                result = module.CallNoArgs(options.entry.c_str());
                break;
            case EntryKind::Page:
            case EntryKind::IdFlag:
                break;
            case EntryKind::WriteBack: {
                TDataVO data;
                for (const auto& [key, value] : HostParams::Pairs(options.args[1])) {
                    data.SetStrValue(key, value);
                }
                result = module.CallWriteBack(options.entry.c_str(), options.args[0], &data);
                break;
            }
        }
    }

    Print(result ? QStringLiteral("result: true") : QStringLiteral("result: false"));
    if (paramAfter) {
        Print(QStringLiteral("param: ") + QString::fromStdString(*paramAfter));
    }
    for (const TDialogPick& pick : dialogs) {
        Print(QStringLiteral("dialog: ") + DescribePick(pick));
    }
    PrintRecorded();
    PrintCompany();
    std::fflush(stdout);

    if (ReportMissingRow(dialogs)) {
        return kExitUsage;
    }
    return result ? kExitTrue : kExitFalse;
}

int Run(const Options& options) {
    QString error;
    if (!HostSetup::Start(options.appDir, error)) {
        PrintError(QStringLiteral("the host cannot start: ") + error);
        return kExitCannotRun;
    }
    if (!options.deskRole.isEmpty()) {
        const bool granted = HostSetup::GrantDeskRole(options.deskRole, error);
        HostSetup::Stop();
        if (!granted) {
            PrintError(error);
            return kExitFalse;
        }
        Print(QStringLiteral("granted: ") + options.deskRole);
        return kExitTrue;
    }
    SetUpHost(options);
    const int status = Call(options);
    HostSetup::Stop();
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    HostApp::QuietKnownQtWarnings();
    QCommandLineParser parser;
    Describe(parser);
    Options options;
    try {
        options = ParseArguments(parser, HostApp::Arguments(argc, argv));
    } catch (const UsageError& error) {
        PrintError(error.message + QStringLiteral(" (hostcall --help)"));
        return kExitUsage;
    }
    if (options.help) {
        QCoreApplication app(argc, argv);
        std::printf("%s", parser.helpText().toUtf8().constData());
        return kExitTrue;
    }
    // Nothing here is for a person to look at: the module's windows stay offscreen.
    HostApp::UseOffscreen();
    QApplication app(argc, argv);
    HostApp::LoadQtTranslations(&app);
    return Run(options);
}
