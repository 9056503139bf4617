// taxhost: the demo host program. It plays the host of the module: logs the
// operator in, lets him choose the current company and shows the module's
// windows.
//
//   taxhost [--app-dir DIR] [--operator CODE] [--class CLASS] [--module PATH]
//           [--tour SCREENSHOT-DIR]
//   taxhost --make-demo DIR [--companies N] [--agency]
//   taxhost --ensure-demo DIR [--companies N] [--agency]
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

#include <cstdio>

#include "DemoData.h"
#include "DemoTour.h"
#include "DialogPicker.h"
#include "HostApp.h"
#include "HostServices.h"
#include "HostSetup.h"
#include "MainFrame.h"
#include "ModuleApi.h"
#include "f_DataVO.h"

namespace {

enum class Task { Run, Help, MakeDemo, EnsureDemo };

struct Options {
    Task task = Task::Run;
    QString appDir = QStringLiteral(".");
    QString operatorCode;
    QString operatorClass;
    QString module;
    QString tour;
    QString demoDir;
    DemoOptions demo;
};

void Print(const QString& line) {
    std::printf("%s\n", line.toUtf8().constData());
}

void PrintError(const QString& text) {
    std::fprintf(stderr, "taxhost: %s\n", text.toUtf8().constData());
}

void Describe(QCommandLineParser& parser) {
    parser.setApplicationDescription(
        QStringLiteral("The demo host: logs the operator in, lets him choose the current company\n"
                       "and shows the module's windows.\n"
                       "  taxhost [--app-dir DIR] [--operator CODE] [--class CLASS] [--tour DIR]\n"
                       "  taxhost --make-demo DIR [--companies N] [--agency]\n"
                       "  taxhost --ensure-demo DIR [--companies N] [--agency]\n"
                       "\n"
                       "Exit codes: 0 done, 1 failed, 2 usage error."));
    parser.addHelpOption();
    parser.addOptions({
        {"app-dir", "Application folder to run on (default: the current folder).", "DIR"},
        {"operator", "Operator code (default: the folder's [Demo] Operator).", "CODE"},
        {"class",
         "Operator class: 0 for every company, else a role (default: [Demo] "
         "OperatorClass).",
         "CLASS"},
        {"module", "The module library (default: COMPANYMGR_MODULE, else next to the program).",
         "PATH"},
        {"tour",
         "Walk through the windows without an operator and save a screenshot of each "
         "into DIR.",
         "DIR"},
        {"make-demo",
         "Write a demo application folder into DIR, which must be missing or "
         "empty.",
         "DIR"},
        {"ensure-demo",
         "Make sure DIR is a complete demo folder written with these options: "
         "write it when missing, rewrite it when incomplete or written with "
         "other options, else keep it.",
         "DIR"},
        {"companies", "Companies in the demo folder (default 40).", "N"},
        {"agency", "The demo folder is a tax agency's installation."},
    });
}

bool Parse(QCommandLineParser& parser, const QStringList& arguments, Options& options,
           QString& error) {
    if (!parser.parse(arguments)) {
        error = parser.errorText();
        return false;
    }
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all"))) {
        options.task = Task::Help;
        return true;
    }
    if (!parser.positionalArguments().isEmpty()) {
        error = QStringLiteral("unexpected argument ") + parser.positionalArguments().first();
        return false;
    }
    const bool make = parser.isSet(QStringLiteral("make-demo"));
    const bool ensure = parser.isSet(QStringLiteral("ensure-demo"));
    if (make && ensure) {
        error = QStringLiteral("--make-demo and --ensure-demo exclude each other");
        return false;
    }
    if (make || ensure) {
        options.task = make ? Task::MakeDemo : Task::EnsureDemo;
        options.demoDir =
            parser.value(make ? QStringLiteral("make-demo") : QStringLiteral("ensure-demo"));
        if (parser.isSet(QStringLiteral("companies"))) {
            bool ok = false;
            options.demo.companies = parser.value(QStringLiteral("companies")).toInt(&ok);
            if (!ok || options.demo.companies < 0 || options.demo.companies > kMaxDemoCompanies) {
                error = QStringLiteral("--companies takes a number from 0 to %1")
                            .arg(kMaxDemoCompanies);
                return false;
            }
        }
        options.demo.agency = parser.isSet(QStringLiteral("agency"));
        return true;
    }
    if (parser.isSet(QStringLiteral("companies")) || parser.isSet(QStringLiteral("agency"))) {
        error = QStringLiteral("--companies and --agency go with --make-demo or --ensure-demo");
        return false;
    }
    if (parser.isSet(QStringLiteral("app-dir"))) {
        options.appDir = parser.value(QStringLiteral("app-dir"));
    }
    // A mistyped folder would otherwise become a fresh, empty application folder.
    if (!QFileInfo(options.appDir).isDir()) {
        error = QStringLiteral("--app-dir %1 is no folder").arg(options.appDir);
        return false;
    }
    options.operatorCode = parser.value(QStringLiteral("operator"));
    options.operatorClass = parser.value(QStringLiteral("class"));
    options.module = parser.value(QStringLiteral("module"));
    options.tour = parser.value(QStringLiteral("tour"));
    return true;
}

QString DemoOptionsText(const DemoOptions& options) {
    return QStringLiteral("%1 companies and %2")
        .arg(options.companies)
        .arg(options.agency ? "an agency" : "no agency");
}

int WriteDemo(const Options& options) {
    const QString where = QDir(options.demoDir).absolutePath();
    QString error;
    if (options.task == Task::MakeDemo) {
        if (!MakeDemoFolder(options.demoDir, options.demo, error)) {
            PrintError(error);
            return 1;
        }
        Print(QStringLiteral("demo folder written: ") + where);
        return 0;
    }
    DemoFolderState found;
    const bool ok = EnsureDemoFolder(options.demoDir, options.demo, found, error);
    switch (found.kind) {
        case DemoFolderState::Complete:
        case DemoFolderState::Missing:
        case DemoFolderState::Foreign:
            break;
        case DemoFolderState::Incomplete:
            Print(QStringLiteral("demo folder %1 was not finished: writing it anew").arg(where));
            break;
        case DemoFolderState::OtherOptions:
            Print(QStringLiteral("demo folder %1 was written for %2: writing it anew for %3")
                      .arg(where, DemoOptionsText(found.written), DemoOptionsText(options.demo)));
            break;
    }
    if (!ok) {
        PrintError(error);
        return 1;
    }
    Print(found.kind == DemoFolderState::Complete
              ? QStringLiteral("demo folder used as it is: ") + where
              : QStringLiteral("demo folder written: ") + where);
    return 0;
}

int RunHost(const Options& options, QApplication& app) {
    QString error;
    if (!HostSetup::Start(options.appDir, error)) {
        PrintError(QStringLiteral("the host cannot start: ") + error);
        return 1;
    }
    ModuleApi module;
    if (!module.Load(ModuleApi::DefaultPath(options.module), error)) {
        PrintError(error);
        HostSetup::Stop();
        return 1;
    }

    TDataVO* user = ModuleLib::GetUserInfoVO();
    user->SetStrValue("CZY_DM", options.operatorCode.isEmpty()
                                    ? ModuleLib::GetSysConfigParam("Demo", "Operator", "0001")
                                    : options.operatorCode);
    user->SetStrValue("CZY_LB", options.operatorClass.isEmpty()
                                    ? ModuleLib::GetSysConfigParam("Demo", "OperatorClass", "0")
                                    : options.operatorClass);

    int status = 0;
    {
        MainFrame frame(module);
        if (!options.tour.isEmpty()) {
            DemoTour tour(frame, options.tour);
            const bool ok = tour.Run();
            for (const TDialogPick& pick : tour.Dialogs()) {
                Print(QStringLiteral("dialog: ") + DescribePick(pick));
            }
            for (const QString& line : tour.PageLines()) {
                Print(line);
            }
            for (const QString& path : tour.Screenshots()) {
                Print(QStringLiteral("screenshot: ") + path);
            }
            status = ok ? 0 : 1;
        } else {
            frame.show();
            frame.LogIn();
            status = app.exec();
        }
    }
    HostSetup::Stop();
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    HostApp::QuietKnownQtWarnings();
    QCommandLineParser parser;
    Describe(parser);
    Options options;
    QString error;
    if (!Parse(parser, HostApp::Arguments(argc, argv), options, error)) {
        PrintError(error + QStringLiteral(" (taxhost --help)"));
        return 2;
    }
    if (options.task != Task::Run) {
        // Neither help nor the demo writer needs a screen.
        QCoreApplication app(argc, argv);
        if (options.task == Task::Help) {
            std::printf("%s", parser.helpText().toUtf8().constData());
            return 0;
        }
        return WriteDemo(options);
    }

    HostApp::UseOffscreenWithoutDisplay();
    HostApp::UseChineseLocale();
    QApplication app(argc, argv);
    if (HostApp::LoadQtTranslations(&app) == nullptr) {
        PrintError(QStringLiteral(
            "Qt's Chinese translations are missing (qt6-translations-l10n): standard buttons "
            "stay in English"));
    }
    return RunHost(options, app);
}
