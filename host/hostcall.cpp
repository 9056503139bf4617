// hostcall --app-dir DIR [--operator PARAMS] [--company QYID] [--agency] [--edition CODE]
//          [--setting SECTION/KEY=VALUE]... [--answer CODE=N]... [--close-answer N]
//          [--pick N] [--module PATH]
//          [--press NAME | --type NAME=TEXT | --select NAME=TEXT]... ENTRY [ARG]...
// hostcall --app-dir DIR [--operator PARAMS] --export FILE [--gbk]
// hostcall --app-dir DIR [--operator PARAMS] --import FILE [--dry-run]
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
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QCommandLineParser>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QPointer>
#include <QRegularExpression>
#include <QStringList>

#include <cstdio>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "CsvFileTypes.h"
#include "DialogPicker.h"
#include "HostApp.h"
#include "HostParams.h"
#include "HostServices.h"
#include "HostSetup.h"
#include "ModuleApi.h"
#include "PageScript.h"
#include "PageStack.h"
#include "TableColumns.h"
#include "WindowMessage.h"
#include "f_DataVO.h"

namespace {

constexpr int kExitTrue = 0;
constexpr int kExitFalse = 1;
constexpr int kExitUsage = 2;
constexpr int kExitCannotRun = 3;

enum class EntryKind { Buffer, NoArgs, WriteBack, Page, IdFlag };

const std::map<std::string, EntryKind> kEntries = {
    {"LoadSelectCompanyForm", EntryKind::Buffer},
    {"InitGlobalCompanyInfo", EntryKind::Buffer},
    {"LoadAdvSwitchCompanyForm", EntryKind::Buffer},
    {"RefreshCurrentCompanyInfo", EntryKind::NoArgs},
    {"CallBackToWriteQYDSXX", EntryKind::WriteBack},
    {"CallBackToWriteQYGSXX", EntryKind::WriteBack},
    {"CallBackToWriteQYJCXX", EntryKind::WriteBack},
    {"ShowCompanyMgrProc", EntryKind::Page},
    {"ShowComapnayInfoInnerProc", EntryKind::Page},
    {"ShowGljgszProc", EntryKind::Page},
    {"ShowBsyxxszProc", EntryKind::Page},
    {"ShowComapnayInfoProc", EntryKind::IdFlag},
};

// The step options, in the order given; each becomes one step of PageScript.
const std::pair<const char*, TPageStep::Kind> kStepOptions[] = {
    {"press", TPageStep::Press},
    {"type", TPageStep::Type},
    {"select", TPageStep::Select},
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
    // The answer to a question asked while closing what the steps left open;
    // the answers of --answer apply to the steps only.
    int closeAnswer = 2;
    QString module;
    int pick = 0;  // row of a module dialog to choose, from 1; 0 cancels
    std::vector<TPageStep> steps;
    // --import: the step that works the preview, set once its output has a place.
    std::optional<std::size_t> previewStep;
    bool dryRun = false;
    std::string entry;
    std::vector<std::string> args;
    QString deskRole;  // --grant-desk: no entry point is called
};

struct UsageError {
    QString message;
};

constexpr const char* kManagerEntry = "ShowCompanyMgrProc";

QString ClassName(const QWidget* widget) {
    return QLatin1String(widget->metaObject()->className());
}

// A step that chooses path in the file dialog that is up.
TPageStep ChooseFile(const QString& path, const QString& nameFilter) {
    TPageStep step;
    step.kind = TPageStep::Custom;
    step.name = QStringLiteral("file ") + path;
    step.action = [path, nameFilter](QWidget* target, QString& error) {
        auto* dialog = qobject_cast<QFileDialog*>(target);
        if (dialog == nullptr) {
            error = QStringLiteral("a file dialog was expected, not ") + ClassName(target);
            return false;
        }
        // A script asked for this file: it is written over without asking.
        dialog->setOption(QFileDialog::DontConfirmOverwrite);
        if (!nameFilter.isEmpty()) {
            // A type the dialog does not offer would leave its default in place unnoticed.
            if (!dialog->nameFilters().contains(nameFilter)) {
                error = QStringLiteral("the file dialog offers no type ") + nameFilter;
                return false;
            }
            dialog->selectNameFilter(nameFilter);
        }
        dialog->selectFile(QFileInfo(path).absoluteFilePath());
        // accept() is the dialog's own slot, as its open button calls it.
        if (!QMetaObject::invokeMethod(dialog, "accept")) {
            error = QStringLiteral("the file dialog did not take ") + path;
            return false;
        }
        return true;
    };
    return step;
}

// A step that prints the import preview's rows, then imports or cancels.
TPageStep WorkPreview(bool dryRun, std::function<void(const QString&)> print) {
    TPageStep step;
    step.kind = TPageStep::Custom;
    step.name = dryRun ? QStringLiteral("preview, cancel") : QStringLiteral("preview, import");
    step.action = [dryRun, print](QWidget* target, QString& error) {
        auto* list = target->findChild<QAbstractItemView*>(QStringLiteral("vstPreview"));
        auto* import = target->findChild<QAbstractButton*>(QStringLiteral("sBtnImport"));
        auto* cancel = target->findChild<QAbstractButton*>(QStringLiteral("sBtnClose"));
        if (list == nullptr || import == nullptr || cancel == nullptr) {
            error = QStringLiteral("the import preview was expected, not ") + ClassName(target);
            return false;
        }
        const QAbstractItemModel* model = list->model();
        for (int row = 0; row < model->rowCount(); ++row) {
            QStringList cells;
            for (int column = 0; column < model->columnCount(); ++column) {
                cells << model->index(row, column).data().toString();
            }
            print(QStringLiteral("preview: ") + cells.join(QLatin1Char('|')));
        }
        if (dryRun || !import->isEnabled()) {
            cancel->click();
        } else {
            import->click();
        }
        return true;
    };
    return step;
}

void Describe(QCommandLineParser& parser) {
    parser.setApplicationDescription(
        QStringLiteral("One call of one entry point of the module, as a host makes it, with\n"
                       "everything that happened printed line by line.\n"
                       "\n"
                       "Entry points that show a page (Show...Proc) show it offscreen in a\n"
                       "container of their own; --press, --type and --select then work it in\n"
                       "the order given. Each step works on the modal dialog that is up, else\n"
                       "on the page: after a step that opens a dialog the steps go into it\n"
                       "until it closes. At the end the page is closed and the companies are\n"
                       "printed as \"row: QYID|QYSBH|QYMC|LBDM\".\n"
                       "\n"
                       "Exit codes:\n"
                       "  0  the entry point returned true, or showed its page, or --grant-desk\n"
                       "     granted the role\n"
                       "  1  it returned false, or the grant failed\n"
                       "  2  usage error, a --pick row the dialog does not have or a step that\n"
                       "     could not be done included\n"
                       "  3  the host or the module could not be started"));
    parser.addHelpOption();
    parser.addOptions({
        {"app-dir", "Application folder (must exist; an empty one is set up).", "DIR"},
        {"operator",
         "The operator as a parameter string; default \"CZY_DM=0001;CZY_LB=0\", the demo's "
         "operator of an all-company class. \"\" logs nobody in.",
         "PARAMS"},
        {"company", "Load this company as the current one before the call.", "QYID"},
        {"agency", "Run as a tax agency's installation."},
        {"edition", "Edition code (10: single-company edition).", "CODE"},
        {"setting", "Override a system setting; may be repeated.", "SECTION/KEY=VALUE"},
        {"answer",
         "Answer host message CODE (0: plain message boxes) with N while the steps run; "
         "may be repeated. Default 1.",
         "CODE=N"},
        {"close-answer",
         "Answer a question asked while closing what the steps left open with N (default 2: "
         "close unsaved). A window that still stays open is closed unsaved.",
         "N"},
        {"pick", "Row of a module dialog to choose, from 1; 0 (the default) cancels.", "N"},
        {"press", "Step: click the button, or the action's toolbar button, NAME.", "NAME"},
        {"type", "Step: replace the text of the edit field NAME by TEXT.", "NAME=TEXT"},
        {"select", "Step: focus and select the first row of list NAME with a cell TEXT.",
         "NAME=TEXT"},
        {"export", "Export the companies listed by the company manager to FILE (UTF-8 CSV).",
         "FILE"},
        {"gbk", "With --export: write the file in GBK."},
        {"import",
         "Import companies from the CSV file FILE through the company manager, "
         "printing the preview's rows.",
         "FILE"},
        {"dry-run", "With --import: print the preview and cancel it; nothing is added."},
        {"grant-desk",
         "With the folder's settings naming the PostgreSQL role that owns the schema: bring "
         "the schema up to date and let ROLE read and write the module's rows, nothing more.",
         "ROLE"},
        {"module", "The module library (default: COMPANYMGR_MODULE, else next to the program).",
         "PATH"},
    });
    parser.addPositionalArgument(QStringLiteral("ENTRY"), QStringLiteral("Entry point to call."));
    parser.addPositionalArgument(
        QStringLiteral("ARG"),
        QStringLiteral("Its arguments: a parameter string (for a page by default the operator "
                       "and ModalFormMsg=ENTRY), a company id and a parameter string for the "
                       "write-back entry points, or a company id and optionally \"view\" for "
                       "the company dialog (ShowComapnayInfoProc), whose steps work the dialog."),
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
    if (parser.isSet(QStringLiteral("grant-desk"))) {
        const QStringList others = parser.optionNames().filter(
            QRegularExpression(QStringLiteral("^(?!app-dir$|grant-desk$)")));
        if (!others.isEmpty() || !parser.positionalArguments().isEmpty()) {
            throw UsageError{QStringLiteral("--grant-desk takes only --app-dir")};
        }
        options.deskRole = parser.value(QStringLiteral("grant-desk"));
        return options;
    }
    // The demo's operator, as taxhost logs him in: an empty class would
    // reach no company.
    options.operatorParams = parser.isSet(QStringLiteral("operator"))
                                 ? parser.value(QStringLiteral("operator")).toStdString()
                                 : std::string("CZY_DM=0001;CZY_LB=0");
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
    if (parser.isSet(QStringLiteral("close-answer"))) {
        bool ok = false;
        options.closeAnswer = parser.value(QStringLiteral("close-answer")).toInt(&ok);
        if (!ok) {
            throw UsageError{QStringLiteral("--close-answer takes a number")};
        }
    }
    // The parser keeps the values of each option in order, and the names of
    // all options in the order met: together they give the steps' order.
    std::map<QString, qsizetype> used;
    for (const QString& name : parser.optionNames()) {
        for (const auto& [option, kind] : kStepOptions) {
            if (name != QLatin1String(option)) {
                continue;
            }
            const QStringList values = parser.values(name);
            const qsizetype at = used[name]++;
            TPageStep step;
            QString error;
            if (at >= values.size() || !ParsePageStep(kind, values[at], step, error)) {
                throw UsageError{error.isEmpty() ? QStringLiteral("--%1 lost its value").arg(name)
                                                 : error};
            }
            options.steps.push_back(std::move(step));
        }
    }

    QStringList positional = parser.positionalArguments();
    const bool exporting = parser.isSet(QStringLiteral("export"));
    const bool importing = parser.isSet(QStringLiteral("import"));
    if (parser.isSet(QStringLiteral("gbk")) && !exporting) {
        throw UsageError{QStringLiteral("--gbk goes with --export")};
    }
    if (parser.isSet(QStringLiteral("dry-run")) && !importing) {
        throw UsageError{QStringLiteral("--dry-run goes with --import")};
    }
    if (exporting || importing) {
        if (exporting && importing) {
            throw UsageError{QStringLiteral("--export and --import go one at a time")};
        }
        if (!options.steps.empty()) {
            throw UsageError{QStringLiteral("--export and --import take no other steps")};
        }
        if (positional.isEmpty()) {
            positional << QLatin1String(kManagerEntry);
        } else if (positional.first() != QLatin1String(kManagerEntry)) {
            throw UsageError{QStringLiteral("--export and --import work the company manager (%1)")
                                 .arg(QLatin1String(kManagerEntry))};
        }
        TPageStep press;
        press.kind = TPageStep::Press;
        press.name = exporting ? QStringLiteral("tbtExport") : QStringLiteral("tbtImport");
        options.steps.push_back(press);
        if (exporting) {
            options.steps.push_back(ChooseFile(parser.value(QStringLiteral("export")),
                                               parser.isSet(QStringLiteral("gbk"))
                                                   ? QLatin1String(CsvFileTypes::kGbk)
                                                   : QLatin1String(CsvFileTypes::kUtf8)));
        } else {
            options.steps.push_back(ChooseFile(parser.value(QStringLiteral("import")), QString()));
            options.dryRun = parser.isSet(QStringLiteral("dry-run"));
            options.previewStep = options.steps.size();
            options.steps.push_back(TPageStep());
        }
    }
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
    if (!options.steps.empty() && found->second != EntryKind::Page &&
        found->second != EntryKind::IdFlag) {
        throw UsageError{
            QStringLiteral("--press, --type and --select go with an entry point "
                           "that shows a page or a dialog")};
    }
    switch (found->second) {
        case EntryKind::WriteBack:
            if (options.args.size() != 2) {
                throw UsageError{entry + " takes a company id and a parameter string"};
            }
            break;
        case EntryKind::Buffer:
        case EntryKind::Page:
            if (options.args.size() > 1) {
                throw UsageError{entry + " takes one parameter string"};
            }
            if (!options.args.empty() && options.args[0].size() >= ModuleApi::kBufferSize) {
                throw UsageError{
                    QStringLiteral("the parameter string must be shorter than %1 bytes")
                        .arg(ModuleApi::kBufferSize)};
            }
            break;
        case EntryKind::IdFlag:
            if (options.args.empty() || options.args.size() > 2 ||
                (options.args.size() == 2 && options.args[1] != "view")) {
                throw UsageError{entry + " takes a company id and optionally \"view\""};
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

QString MessageLine(const HostSetup::THostMessage& message) {
    if (message.kind == HostSetup::THostMessage::Numbered) {
        // The text as the operator would read it: the host's text for the
        // code with the extra text filled in.
        return QStringLiteral("message: %1 %2").arg(message.code).arg(OneLine(message.text));
    }
    return QStringLiteral("messagebox: ") + OneLine(message.text);
}

void PrintLog() {
    for (const HostSetup::TLogLine& line : HostSetup::RecordedLog()) {
        Print(QStringLiteral("log: ") + line.level + QLatin1Char(' ') + line.text);
    }
}

// The agency name the module last handed the host: on loading the agency and
// after its settings are saved.
void PrintAgency() {
    const QString agency = HostSetup::AgencyInfo();
    if (!agency.isEmpty()) {
        Print(QStringLiteral("agency: ") + OneLine(agency));
    }
}

void PrintRecorded() {
    for (const HostSetup::THostMessage& message : HostSetup::RecordedMessages()) {
        Print(MessageLine(message));
    }
    PrintLog();
    PrintAgency();
}

int AnswerFor(const Options& options, const HostSetup::THostMessage& message,
              bool closing = false) {
    if (closing) {
        // Closing what the steps left open saves nothing they did not save,
        // unless told otherwise; an answer meant for the steps could keep the
        // window open for ever.
        return message.buttons != HostSetup::THostMessage::Ok ? options.closeAnswer : 1;
    }
    const auto found = options.answers.find(message.code);
    return found != options.answers.end() ? found->second : 1;
}

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

// What happened during a page call, in order.
using Trace = QStringList;

// The host's session object: the module tells it about companies it added or
// removed.
class TraceSession : public TPSession {
  public:
    explicit TraceSession(Trace& trace) : trace_(trace) {}
    void CompanyAdded(const QString& companyId) override {
        trace_ << QStringLiteral("session: company added ") + companyId;
    }
    void CompanyRemoved(const QString& companyId) override {
        trace_ << QStringLiteral("session: company removed ") + companyId;
    }

  private:
    Trace& trace_;
};

// The host's main window for a page call: it holds the page container and
// notes the texts the module's windows send it.
class HostWindow : public QWidget {
  public:
    explicit HostWindow(Trace& trace) : trace_(trace), stack_(new PageStack(nullptr, this)) {
        // The module finds the host's main window by this name as well.
        setObjectName(QStringLiteral("Tfrm_MainFrame"));
        resize(1024, 700);
        stack_->setGeometry(rect());
    }
    PageStack* Stack() const { return stack_; }

  protected:
    bool event(QEvent* event) override {
        if (const THostMessageEvent* message = THostMessageEvent::Cast(event)) {
            if (message->IsCopyData()) {
                trace_ << QStringLiteral("window: %1 %2").arg(message->Code()).arg(message->Text());
            }
            event->accept();
            return true;
        }
        if (event->type() == QEvent::Resize) {
            stack_->setGeometry(rect());
        }
        return QWidget::event(event);
    }

  private:
    Trace& trace_;
    PageStack* stack_;
};

void PrintRows() {
    TADOQuery query;
    QString error;
    if (!query.Open(kMainConnection,
                    QStringLiteral("select QYID, QYSBH, QYMC, LBDM from XT_QYXX order by QYID"),
                    error)) {
        PrintError(QStringLiteral("the companies cannot be read: ") + error);
        return;
    }
    for (; !query.Eof(); query.Next()) {
        QStringList cells;
        for (int column = 0; column < 4; ++column) {
            cells << OneLine(query.FieldAsString(column));
        }
        Print(QStringLiteral("row: ") + cells.join(QLatin1Char('|')));
    }
}

// The company's rows in its own table and its two tax tables, for the entry
// points that edit them: the non-empty columns as "NAME=VALUE" joined by "|".
void PrintCompanyTables(const QString& companyId) {
    bool number = false;
    const qlonglong id = companyId.trimmed().toLongLong(&number);
    if (!number) {
        return;
    }
    const std::pair<const char*, TableColumns::ColumnList> kTables[] = {
        {"XT_QYXX", TableColumns::kCompany},
        {"XT_QYGSXX", TableColumns::kStateTax},
        {"XT_QYDSXX", TableColumns::kLocalTax},
    };
    for (const auto& [table, columns] : kTables) {
        QStringList names;
        for (const TableColumns::Column& column : columns) {
            names << QString::fromLatin1(column.name.data(), column.name.size());
        }
        TADOQuery query;
        QString error;
        if (!query.Open(kMainConnection,
                        QStringLiteral("select %1 from %2 where QYID=%3")
                            .arg(names.join(QStringLiteral(", ")), QLatin1String(table))
                            .arg(id),
                        error)) {
            PrintError(QStringLiteral("%1 cannot be read: %2").arg(QLatin1String(table), error));
            continue;
        }
        for (; !query.Eof(); query.Next()) {
            QStringList cells;
            for (int column = 0; column < names.size(); ++column) {
                const QString value = query.FieldAsString(column);
                if (!value.isEmpty()) {
                    cells << names[column] + QLatin1Char('=') + OneLine(value);
                }
            }
            Print(QStringLiteral("%1: ").arg(QLatin1String(table)) + cells.join(QLatin1Char('|')));
        }
    }
}

// Shows the page in a container of our own, works it with the steps, closes
// it as a host does (1280) and prints what happened.
int CallPage(const Options& options, const ModuleApi& module) {
    Trace trace;
    bool closing = false;
    const PageScript* running = nullptr;
    HostSetup::SetMessageResponder([&](const HostSetup::THostMessage& message) {
        trace << MessageLine(message);
        return AnswerFor(options, message, closing || (running != nullptr && running->Closing()));
    });
    TDataVO* user = ModuleLib::GetUserInfoVO();
    user->SetObjValue("TPSession", new TraceSession(trace));

    std::string params;
    if (!options.args.empty()) {
        params = options.args[0];
    } else {
        params = HostParams::With(
            HostParams::OperatorParams(user->GetStrValue("CZY_DM"), user->GetStrValue("CZY_LB")),
            "ModalFormMsg", QString::fromStdString(options.entry));
    }

    // The page takes the current function code as its own and names it when it goes.
    HostSetup::SetCurFuncCode(QString::fromStdString(options.entry));
    auto* window = new HostWindow(trace);
    HostSetup::SetMainFrame(window);
    HostSetup::SetMainFrameParentForm(window->Stack());
    HostSetup::SetCurParentForm(window->Stack());
    window->show();

    PageStack* stack = window->Stack();
    std::vector<TPageStep> steps = options.steps;
    if (options.previewStep) {
        steps[*options.previewStep] =
            WorkPreview(options.dryRun, [&trace](const QString& line) { trace << line; });
    }
    PageScript script(
        steps, [stack] { return stack->CurrentPage(); },
        [&trace](const QString& line) { trace << line; }, options.pick);
    running = &script;
    QEventLoop loop;
    script.onFinished = [&loop] { loop.quit(); };
    script.Start();
    script.Hold();
    module.ShowPage(options.entry.c_str(), ModuleLib::GetAppHandle(),
                    static_cast<std::uintptr_t>(stack->winId()), params);
    script.Release();
    QPointer<QWidget> page = stack->CurrentPage();
    const QString pageClass = page ? QLatin1String(page->metaObject()->className()) : QString();
    if (!script.Finished()) {
        loop.exec();
    }

    closing = true;
    if (page) {
        SendHostMessage(page, HostMsg::kClosePage);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (page) {
            trace << QStringLiteral("window: the page stayed open after 1280");
        }
    }
    delete window;
    HostSetup::SetMainFrame(nullptr);
    HostSetup::SetMainFrameParentForm(nullptr);
    HostSetup::SetCurParentForm(nullptr);
    user->SetStrValue("TPSession", QString());
    HostSetup::SetMessageResponder(
        [&options](const HostSetup::THostMessage& message) { return AnswerFor(options, message); });

    Print(pageClass.isEmpty() ? QStringLiteral("result: no page")
                              : QStringLiteral("result: page ") + pageClass);
    for (const QString& line : trace) {
        Print(line);
    }
    PrintLog();
    PrintAgency();
    PrintCompany();
    PrintRows();
    if (options.entry == "ShowComapnayInfoInnerProc") {
        // The page edits the company named in its parameters, else the current one.
        QString companyId = HostParams::Value(params, "QYID");
        if (companyId.isEmpty()) {
            companyId = ModuleLib::GetCompanyInfoVO()->GetStrValue("QYID");
        }
        PrintCompanyTables(companyId);
    }
    std::fflush(stdout);

    if (script.Failed()) {
        PrintError(script.Error());
        return kExitUsage;
    }
    for (const TDialogPick& pick : script.Picks()) {
        if (pick.outcome == TDialogPick::NoSuchRow) {
            PrintError(QStringLiteral("--pick %1, but the dialog %2 has %3 rows")
                           .arg(pick.row)
                           .arg(pick.dialog)
                           .arg(pick.rows));
            return kExitUsage;
        }
    }
    return kExitTrue;
}

// Calls the modal company dialog; the steps work the dialog while it is up,
// and it is closed unsaved if still open when they have run out.
int CallDialog(const Options& options, const ModuleApi& module) {
    Trace trace;
    const PageScript* running = nullptr;
    HostSetup::SetMessageResponder([&](const HostSetup::THostMessage& message) {
        trace << MessageLine(message);
        return AnswerFor(options, message, running != nullptr && running->Closing());
    });
    PageScript script(
        options.steps, [] { return static_cast<QWidget*>(nullptr); },
        [&trace](const QString& line) { trace << line; }, options.pick);
    running = &script;
    QEventLoop loop;
    script.onFinished = [&loop] { loop.quit(); };
    script.Start();
    script.Hold();
    const bool result =
        module.CallIdFlag(options.entry.c_str(), options.args[0], options.args.size() == 2);
    script.Release();
    if (!script.Finished()) {
        loop.exec();
    }
    HostSetup::SetMessageResponder(
        [&options](const HostSetup::THostMessage& message) { return AnswerFor(options, message); });

    Print(result ? QStringLiteral("result: true") : QStringLiteral("result: false"));
    for (const QString& line : trace) {
        Print(line);
    }
    PrintLog();
    PrintCompany();
    PrintCompanyTables(QString::fromStdString(options.args[0]));
    std::fflush(stdout);
    if (script.Failed()) {
        PrintError(script.Error());
        return kExitUsage;
    }
    return result ? kExitTrue : kExitFalse;
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
