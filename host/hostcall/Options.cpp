#include "Options.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QRegularExpression>

#include "CsvFileTypes.h"
#include "FileSteps.h"
#include "ModuleApi.h"

namespace HostCall {

namespace {

// The step options, in the order given; each becomes one step of PageScript.
const std::pair<const char*, TPageStep::Kind> kStepOptions[] = {
    {"press", TPageStep::Press},
    {"type", TPageStep::Type},
    {"select", TPageStep::Select},
};

constexpr const char* kManagerEntry = "ShowCompanyMgrProc";

}  // namespace

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
        {"history",
         "Print the changes of company QYID, newest first, from its information page "
         "(ShowComapnayInfoInnerProc).",
         "QYID"},
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
    if (parser.isSet(QStringLiteral("history"))) {
        if (!options.steps.empty() || !positional.isEmpty() ||
            parser.isSet(QStringLiteral("export")) || parser.isSet(QStringLiteral("import"))) {
            throw UsageError{QStringLiteral("--history takes no entry point and no other steps")};
        }
        options.historyOf = parser.value(QStringLiteral("history"));
        positional << QStringLiteral("ShowComapnayInfoInnerProc");
        options.steps.push_back(TPageStep());  // PrintHistory, once its output has a place
    }
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

int AnswerFor(const Options& options, const HostSetup::THostMessage& message, bool closing) {
    if (closing) {
        // Closing what the steps left open saves nothing they did not save,
        // unless told otherwise; an answer meant for the steps could keep the
        // window open for ever.
        return message.buttons != HostSetup::THostMessage::Ok ? options.closeAnswer : 1;
    }
    const auto found = options.answers.find(message.code);
    return found != options.answers.end() ? found->second : 1;
}

}  // namespace HostCall
