// hostcall --app-dir DIR [--operator PARAMS] [--company QYID] [--agency] [--edition CODE]
//          [--setting SECTION/KEY=VALUE]... [--answer CODE=N]... [--pick N] [--module PATH]
//          ENTRY [ARG]...
//
// Does what a host does for one call of the module. Sets up the
// reference host services on an application folder, loads libCompanyMgr.so,
// looks the entry point up by name, calls it and prints what happened.
// Exit codes: 0 the entry point returned true, 1 it returned false, 2 usage
// error (a --pick row the dialog does not have included), 3 the host or the
// module could not be started.
#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QStringList>

#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "DialogPicker.h"
#include "HostApp.h"
#include "HostParams.h"
#include "HostServices.h"
#include "HostSetup.h"
#include "ModuleApi.h"
#include "f_DataVO.h"

namespace {

constexpr int kExitTrue = 0;
constexpr int kExitFalse = 1;
constexpr int kExitUsage = 2;
constexpr int kExitCannotRun = 3;

enum class EntryKind { Buffer, NoArgs, WriteBack };

const std::map<std::string, EntryKind> kEntries = {
    {"LoadSelectCompanyForm", EntryKind::Buffer},
    {"InitGlobalCompanyInfo", EntryKind::Buffer},
    {"LoadAdvSwitchCompanyForm", EntryKind::Buffer},
    {"RefreshCurrentCompanyInfo", EntryKind::NoArgs},
    {"CallBackToWriteQYDSXX", EntryKind::WriteBack},
    {"CallBackToWriteQYGSXX", EntryKind::WriteBack},
    {"CallBackToWriteQYJCXX", EntryKind::WriteBack},
};

struct Options {
    bool help = false;
    QString appDir;
    std::string operatorParams;
    QString company;
    bool agency = false;
    std::optional<QString> edition;
    std::vector<std::pair<QStringList, QString>> settings;  // {section, key}, value
    std::map<int, int> answers;
    QString module;
    int pick = 0;  // row of a module dialog to choose, from 1; 0 cancels
    std::string entry;
    std::vector<std::string> args;
};

struct UsageError {
    QString message;
};

void Describe(QCommandLineParser& parser) {
    parser.setApplicationDescription(
        QStringLiteral("One call of one entry point of the module, as a host makes it, with\n"
                       "everything that happened printed line by line.\n"
                       "\n"
                       "Exit codes:\n"
                       "  0  the entry point returned true\n"
                       "  1  it returned false\n"
                       "  2  usage error, a --pick row the dialog does not have included\n"
                       "  3  the host or the module could not be started"));
    parser.addHelpOption();
    parser.addOptions({
        {"app-dir", "Application folder (must exist; an empty one is set up).", "DIR"},
        {"operator", "The operator as a parameter string, e.g. \"CZY_DM=0001;CZY_LB=0\".",
         "PARAMS"},
        {"company", "Load this company as the current one before the call.", "QYID"},
        {"agency", "Run as a tax agency's installation."},
        {"edition", "Edition code (10: single-company edition).", "CODE"},
        {"setting", "Override a system setting; may be repeated.", "SECTION/KEY=VALUE"},
        {"answer", "Answer host message CODE with N (default 1); may be repeated.", "CODE=N"},
        {"pick", "Row of a module dialog to choose, from 1; 0 (the default) cancels.", "N"},
        {"module", "The module library (default: COMPANYMGR_MODULE, else next to the program).",
         "PATH"},
    });
    parser.addPositionalArgument(QStringLiteral("ENTRY"), QStringLiteral("Entry point to call."));
    parser.addPositionalArgument(
        QStringLiteral("ARG"),
        QStringLiteral("Its arguments: a parameter string, or a company id and a parameter "
                       "string for the write-back entry points."),
        QStringLiteral("[ARG]..."));
    // Whatever follows the entry point is its argument, even if it starts with "-".
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
}

Options ParseArguments(QCommandLineParser& parser, const QStringList& arguments) {
    Options options;
    if (!parser.parse(arguments)) {
        throw UsageError{parser.errorText()};
    }
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all"))) {
        options.help = true;
        return options;
    }
    options.appDir = parser.value(QStringLiteral("app-dir"));
    if (options.appDir.isEmpty()) {
        throw UsageError{QStringLiteral("--app-dir is required")};
    }
    // A mistyped folder would otherwise become a fresh, empty application folder.
    if (!QFileInfo(options.appDir).isDir()) {
        throw UsageError{QStringLiteral("--app-dir %1 is no folder").arg(options.appDir)};
    }
    options.operatorParams = parser.value(QStringLiteral("operator")).toStdString();
    options.company = parser.value(QStringLiteral("company"));
    options.agency = parser.isSet(QStringLiteral("agency"));
    if (parser.isSet(QStringLiteral("edition"))) {
        options.edition = parser.value(QStringLiteral("edition"));
    }
    options.module = parser.value(QStringLiteral("module"));
    if (parser.isSet(QStringLiteral("pick"))) {
        bool ok = false;
        options.pick = parser.value(QStringLiteral("pick")).toInt(&ok);
        if (!ok || options.pick < 0) {
            throw UsageError{QStringLiteral("--pick takes a row number from 1, or 0 to cancel")};
        }
    }
    for (const QString& setting : parser.values(QStringLiteral("setting"))) {
        const qsizetype slash = setting.indexOf(QLatin1Char('/'));
        const qsizetype mark = setting.indexOf(QLatin1Char('='));
        if (slash <= 0 || mark <= slash + 1) {
            throw UsageError{QStringLiteral("--setting takes SECTION/KEY=VALUE")};
        }
        options.settings.push_back({{setting.left(slash), setting.mid(slash + 1, mark - slash - 1)},
                                    setting.mid(mark + 1)});
    }
    for (const QString& answer : parser.values(QStringLiteral("answer"))) {
        const QStringList parts = answer.split(QLatin1Char('='));
        bool codeOk = false;
        bool valueOk = false;
        const int code = parts.value(0).toInt(&codeOk);
        const int value = parts.value(1).toInt(&valueOk);
        if (parts.size() != 2 || !codeOk || !valueOk) {
            throw UsageError{QStringLiteral("--answer takes CODE=N")};
        }
        options.answers[code] = value;
    }

    const QStringList positional = parser.positionalArguments();
    if (positional.isEmpty()) {
        throw UsageError{QStringLiteral("no entry point named")};
    }
    options.entry = positional.first().toStdString();
    const auto found = kEntries.find(options.entry);
    if (found == kEntries.end()) {
        throw UsageError{QStringLiteral("unknown entry point ") + positional.first()};
    }
    for (qsizetype i = 1; i < positional.size(); ++i) {
        options.args.push_back(positional[i].toStdString());
    }
    const QString entry = positional.first();
    switch (found->second) {
        case EntryKind::WriteBack:
            if (options.args.size() != 2) {
                throw UsageError{entry + " takes a company id and a parameter string"};
            }
            break;
        case EntryKind::Buffer:
            if (options.args.size() > 1) {
                throw UsageError{entry + " takes one parameter string"};
            }
            if (!options.args.empty() && options.args[0].size() >= ModuleApi::kBufferSize) {
                throw UsageError{
                    QStringLiteral("the parameter string must be shorter than %1 bytes")
                        .arg(ModuleApi::kBufferSize)};
            }
            break;
        case EntryKind::NoArgs:
            if (!options.args.empty()) {
                throw UsageError{entry + " takes no arguments"};
            }
            break;
    }
    return options;
}

QString OneLine(QString text) {
    text.replace(QLatin1Char('\r'), QLatin1String("\\r"));
    text.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    return text;
}

void Print(const QString& line) {
    std::printf("%s\n", line.toUtf8().constData());
}

void PrintError(const QString& text) {
    std::fprintf(stderr, "hostcall: %s\n", text.toUtf8().constData());
}

void PrintTexts(const QString& prefix, const TDataVO& vo) {
    vo.ForEachItem([&](const TParamItem& item) {
        if (item.Kind == pkText && item.Value) {
            Print(prefix + item.Name + QLatin1Char('=') + OneLine(item.Value->Text));
        }
    });
}

void PrintCompany() {
    const TDataVO* company = ModuleLib::GetCompanyInfoVO();
    PrintTexts(QStringLiteral("company: "), *company);
    for (const char* child : {"QYDSXX", "QYGSXX"}) {
        if (const auto* vo = dynamic_cast<const TDataVO*>(company->GetObjValue(child))) {
            PrintTexts(QStringLiteral("company.%1: ").arg(QLatin1String(child)), *vo);
        }
    }
}

void PrintRecorded() {
    for (const HostSetup::THostMessage& message : HostSetup::RecordedMessages()) {
        if (message.kind == HostSetup::THostMessage::Numbered) {
            // The text as the operator would read it: the host's text for the
            // code with the extra text filled in.
            Print(QStringLiteral("message: %1 %2").arg(message.code).arg(OneLine(message.text)));
        } else {
            Print(QStringLiteral("messagebox: ") + OneLine(message.text));
        }
    }
    for (const HostSetup::TLogLine& line : HostSetup::RecordedLog()) {
        Print(QStringLiteral("log: ") + line.level + QLatin1Char(' ') + line.text);
    }
}

void SetUpHost(const Options& options) {
    HostSetup::SetRecording(true);
    HostSetup::SetMessageResponder([&options](const HostSetup::THostMessage& message) {
        const auto found = options.answers.find(message.code);
        return found == options.answers.end() ? 1 : found->second;
    });
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

    for (const TDialogPick& pick : dialogs) {
        if (pick.outcome == TDialogPick::NoSuchRow) {
            PrintError(QStringLiteral("--pick %1, but the dialog %2 has %3 rows")
                           .arg(pick.row)
                           .arg(pick.dialog)
                           .arg(pick.rows));
            return kExitUsage;
        }
    }
    return result ? kExitTrue : kExitFalse;
}

int Run(const Options& options) {
    QString error;
    if (!HostSetup::Start(options.appDir, error)) {
        PrintError(QStringLiteral("the host cannot start: ") + error);
        return kExitCannotRun;
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
    HostApp::UseOffscreenWithoutDisplay();
    QApplication app(argc, argv);
    HostApp::LoadQtTranslations(&app);
    return Run(options);
}
