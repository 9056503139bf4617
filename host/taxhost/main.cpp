// taxhost: the demo host program. It plays the host of the module: logs the
// operator in, lets him choose the current company and shows the module's
// windows.
//
//   taxhost [--app-dir DIR] [--operator CODE] [--class CLASS] [--module PATH]
//           [--tour SCREENSHOT-DIR]
//   taxhost --make-demo DIR [--companies N] [--agency]
#include <QApplication>
#include <QDir>

#include <cstdio>

#include "DemoData.h"
#include "DemoTour.h"
#include "HostServices.h"
#include "HostSetup.h"
#include "MainFrame.h"
#include "ModuleApi.h"
#include "f_DataVO.h"

namespace {

struct Options {
    QString appDir = QStringLiteral(".");
    QString operatorCode;
    QString operatorClass;
    QString module;
    QString tour;
    QString makeDemo;
    DemoOptions demo;
};

// The host's session object: it hears about companies the module adds or removes.
class HostSession : public TPSession {
  public:
    explicit HostSession(MainFrame& frame) : frame_(frame) {}
    void CompanyAdded(const QString& companyId) override {
        frame_.AppendLog(QStringLiteral("单位已新增：") + companyId);
    }
    void CompanyRemoved(const QString& companyId) override {
        frame_.AppendLog(QStringLiteral("单位已删除：") + companyId);
    }

  private:
    MainFrame& frame_;
};

bool Parse(const QStringList& arguments, Options& options, QString& error) {
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        auto value = [&]() -> QString {
            if (i + 1 >= arguments.size()) {
                error = arg + QStringLiteral(" needs a value");
                return QString();
            }
            return arguments[++i];
        };
        if (arg == QLatin1String("--app-dir")) {
            options.appDir = value();
        } else if (arg == QLatin1String("--operator")) {
            options.operatorCode = value();
        } else if (arg == QLatin1String("--class")) {
            options.operatorClass = value();
        } else if (arg == QLatin1String("--module")) {
            options.module = value();
        } else if (arg == QLatin1String("--tour")) {
            options.tour = value();
        } else if (arg == QLatin1String("--make-demo")) {
            options.makeDemo = value();
        } else if (arg == QLatin1String("--companies")) {
            bool ok = false;
            options.demo.companies = value().toInt(&ok);
            if (!ok && error.isEmpty()) {
                error = QStringLiteral("--companies takes a number");
            }
        } else if (arg == QLatin1String("--agency")) {
            options.demo.agency = true;
        } else {
            error = QStringLiteral("unknown argument ") + arg;
        }
        if (!error.isEmpty()) {
            return false;
        }
    }
    return true;
}

int MakeDemo(const Options& options) {
    QString error;
    if (!MakeDemoFolder(options.makeDemo, options.demo, error)) {
        std::fprintf(stderr, "taxhost: %s\n", error.toUtf8().constData());
        return 1;
    }
    std::printf("demo folder written: %s\n",
                QDir(options.makeDemo).absolutePath().toUtf8().constData());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    Options options;
    QString error;
    if (!Parse(QApplication::arguments(), options, error)) {
        std::fprintf(stderr, "taxhost: %s\n", error.toUtf8().constData());
        return 2;
    }
    if (!options.makeDemo.isEmpty()) {
        return MakeDemo(options);
    }

    if (!HostSetup::Start(options.appDir, error)) {
        std::fprintf(stderr, "taxhost: the host cannot start: %s\n", error.toUtf8().constData());
        return 1;
    }
    ModuleApi module;
    if (!module.Load(ModuleApi::DefaultPath(options.module), error)) {
        std::fprintf(stderr, "taxhost: %s\n", error.toUtf8().constData());
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
        user->SetObjValue("TPSession", new HostSession(frame));
        if (!options.tour.isEmpty()) {
            DemoTour tour(frame, options.tour);
            const bool ok = tour.Run();
            for (const QString& path : tour.Screenshots()) {
                std::printf("screenshot: %s\n", path.toUtf8().constData());
            }
            status = ok ? 0 : 1;
        } else {
            frame.show();
            frame.LogIn();
            status = app.exec();
        }
        user->SetStrValue("TPSession", QString());
    }
    HostSetup::Stop();
    return status;
}
