// hostcall --app-dir DIR [--operator PARAMS] [--company QYID] [--agency] [--edition CODE]
//          [--setting SECTION/KEY=VALUE]... [--answer CODE=N]... [--pick N] [--module PATH]
//          ENTRY [ARG]...
//
// Does what a host does for one call of the module. Sets up the
// reference host services on an application folder, loads libCompanyMgr.so,
// looks the entry point up by name, calls it and prints what happened.
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>
#include <QTimer>

#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "HostServices.h"
#include "HostSetup.h"
#include "ModuleApi.h"
#include "f_DataVO.h"

namespace {

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
    QString appDir;
    QString operatorParams;
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
    std::string message;
};

QString Next(int& i, int argc, char** argv, const char* option) {
    if (i + 1 >= argc) {
        throw UsageError{std::string(option) + " needs a value"};
    }
    return QString::fromLocal8Bit(argv[++i]);
}

Options ParseArguments(int argc, char** argv) {
    Options options;
    int i = 1;
    for (; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--app-dir") {
            options.appDir = Next(i, argc, argv, "--app-dir");
        } else if (arg == "--operator") {
            options.operatorParams = Next(i, argc, argv, "--operator");
        } else if (arg == "--company") {
            options.company = Next(i, argc, argv, "--company");
        } else if (arg == "--agency") {
            options.agency = true;
        } else if (arg == "--edition") {
            options.edition = Next(i, argc, argv, "--edition");
        } else if (arg == "--module") {
            options.module = Next(i, argc, argv, "--module");
        } else if (arg == "--pick") {
            bool ok = false;
            options.pick = Next(i, argc, argv, "--pick").toInt(&ok);
            if (!ok || options.pick < 0) {
                throw UsageError{"--pick takes a row number from 1, or 0 to cancel"};
            }
        } else if (arg == "--setting") {
            const QString setting = Next(i, argc, argv, "--setting");
            const qsizetype slash = setting.indexOf(QLatin1Char('/'));
            const qsizetype mark = setting.indexOf(QLatin1Char('='));
            if (slash <= 0 || mark <= slash + 1) {
                throw UsageError{"--setting takes SECTION/KEY=VALUE"};
            }
            options.settings.push_back(
                {{setting.left(slash), setting.mid(slash + 1, mark - slash - 1)},
                 setting.mid(mark + 1)});
        } else if (arg == "--answer") {
            const QString answer = Next(i, argc, argv, "--answer");
            const QStringList parts = answer.split(QLatin1Char('='));
            bool codeOk = false;
            bool valueOk = false;
            const int code = parts.value(0).toInt(&codeOk);
            const int value = parts.value(1).toInt(&valueOk);
            if (parts.size() != 2 || !codeOk || !valueOk) {
                throw UsageError{"--answer takes CODE=N"};
            }
            options.answers[code] = value;
        } else if (arg.rfind("--", 0) == 0) {
            throw UsageError{"unknown option " + arg};
        } else {
            break;
        }
    }
    if (options.appDir.isEmpty()) {
        throw UsageError{"--app-dir is required"};
    }
    if (i >= argc) {
        throw UsageError{"no entry point named"};
    }
    options.entry = argv[i++];
    if (kEntries.count(options.entry) == 0) {
        throw UsageError{"unknown entry point " + options.entry};
    }
    for (; i < argc; ++i) {
        options.args.emplace_back(argv[i]);
    }
    const EntryKind kind = kEntries.at(options.entry);
    if (kind == EntryKind::WriteBack && options.args.size() != 2) {
        throw UsageError{options.entry + " takes a company id and a parameter string"};
    }
    if (kind == EntryKind::Buffer && options.args.size() > 1) {
        throw UsageError{options.entry + " takes one parameter string"};
    }
    if (kind == EntryKind::Buffer && !options.args.empty() &&
        options.args[0].size() >= ModuleApi::kBufferSize) {
        throw UsageError{"the parameter string must be shorter than 500 bytes"};
    }
    if (kind == EntryKind::NoArgs && !options.args.empty()) {
        throw UsageError{options.entry + " takes no arguments"};
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
            Print(QStringLiteral("message: %1 %2").arg(message.code).arg(OneLine(message.extra)));
        } else {
            Print(QStringLiteral("messagebox: ") + OneLine(message.text));
        }
    }
    for (const HostSetup::TLogLine& line : HostSetup::RecordedLog()) {
        Print(QStringLiteral("log: ") + line.level + QLatin1Char(' ') + line.text);
    }
}

std::string OperatorParam(const Options& options, const char* name) {
    return ParamValue(options.operatorParams, QLatin1String(name)).toStdString();
}

// Answers the module's modal dialogs as an operator would: chooses the row
// asked for and confirms, or cancels.
void AnswerDialogs(int pick) {
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, [pick] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (dialog == nullptr || !dialog->isVisible()) {
            return;
        }
        auto* list = dialog->findChild<QAbstractItemView*>(QStringLiteral("vstCompList"));
        QAbstractButton* confirm = nullptr;
        for (const char* name : {"sBtnConfirm", "btnSwitch"}) {
            if (confirm == nullptr) {
                confirm = dialog->findChild<QAbstractButton*>(QLatin1String(name));
            }
        }
        auto* cancel = dialog->findChild<QAbstractButton*>(QStringLiteral("sBtnClose"));
        const bool rowExists = list != nullptr && list->model() != nullptr && pick >= 1 &&
                               pick <= list->model()->rowCount();
        if (rowExists && confirm != nullptr) {
            list->setCurrentIndex(list->model()->index(pick - 1, 0));
            confirm->click();
        } else if (cancel != nullptr) {
            cancel->click();
        } else {
            dialog->close();
        }
    });
    timer->start(50);
}

int Run(const Options& options) {
    QString error;
    if (!HostSetup::Start(options.appDir, error)) {
        std::fprintf(stderr, "hostcall: the host cannot start: %s\n", error.toUtf8().constData());
        return 1;
    }
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
    for (const auto& [key, value] : ParamPairs(options.operatorParams)) {
        ModuleLib::GetUserInfoVO()->SetStrValue(key, value);
    }

    ModuleApi module;
    if (!module.Load(ModuleApi::DefaultPath(options.module), error)) {
        std::fprintf(stderr, "hostcall: %s\n", error.toUtf8().constData());
        HostSetup::Stop();
        return 1;
    }
    if (module.Symbol(options.entry.c_str()) == nullptr) {
        std::fprintf(stderr, "hostcall: the module has no entry point %s\n", options.entry.c_str());
        HostSetup::Stop();
        return 1;
    }

    if (!options.company.isEmpty()) {
        std::string params = "CZY_DM=" + OperatorParam(options, "CZY_DM") +
                             ";CZY_LB=" + OperatorParam(options, "CZY_LB") +
                             ";QYID=" + options.company.toStdString();
        if (!module.CallWithParams("InitGlobalCompanyInfo", params)) {
            std::fprintf(stderr, "hostcall: company %s could not be loaded\n",
                         options.company.toUtf8().constData());
        }
        HostSetup::ClearRecorded();
    }

    AnswerDialogs(options.pick);
    bool result = false;
    std::optional<std::string> paramAfter;
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
            for (const auto& [key, value] : ParamPairs(QString::fromStdString(options.args[1]))) {
                data.SetStrValue(key, value);
            }
            result = module.CallWriteBack(options.entry.c_str(), options.args[0], &data);
            break;
        }
    }

    Print(result ? QStringLiteral("result: true") : QStringLiteral("result: false"));
    if (paramAfter) {
        Print(QStringLiteral("param: ") + QString::fromStdString(*paramAfter));
    }
    PrintRecorded();
    PrintCompany();
    std::fflush(stdout);
    HostSetup::Stop();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    try {
        options = ParseArguments(argc, argv);
    } catch (const UsageError& error) {
        std::fprintf(stderr, "hostcall: %s\n", error.message.c_str());
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    return Run(options);
}
