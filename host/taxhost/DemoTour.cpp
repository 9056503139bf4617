#include "DemoTour.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QPixmap>
#include <QTabWidget>
#include <QTemporaryDir>

#include "HostServices.h"
#include "MainFrame.h"
#include "PageScript.h"
#include "PageStack.h"
#include "WindowAudit.h"

namespace {

void Settle() {
    for (int i = 0; i < 5; ++i) {
        QApplication::processEvents();
    }
}

TPageStep Step(TPageStep::Kind kind, const QString& name, const QString& text = QString()) {
    TPageStep step;
    step.kind = kind;
    step.name = name;
    step.text = text;
    return step;
}

}  // namespace

DemoTour::DemoTour(MainFrame& frame, const QString& folder) : frame_(frame), folder_(folder) {}

bool DemoTour::Save(QWidget* window, const QString& name) {
    Settle();
    const QString path = QDir(folder_).filePath(name);
    if (!window->grab().save(path, "PNG")) {
        ok_ = false;
        return false;
    }
    screenshots_ << path;
    // Each window shown is read as a screen reader and the Tab key meet it;
    // on the main window, the module's page.
    QWidget* audited = window == &frame_ ? frame_.ModuleArea()->CurrentPage() : window;
    for (const QString& finding :
         audited != nullptr ? WindowAudit::Findings(audited) : QStringList()) {
        pageLines_ << QStringLiteral("audit: %1: %2").arg(name, finding);
        ok_ = false;
    }
    return true;
}

bool DemoTour::Run() {
    if (!QDir().mkpath(folder_)) {
        return false;
    }
    frame_.show();
    Save(&frame_, QStringLiteral("01-main-window-before-log-in.png"));

    // The selection dialog is modal: photograph it and choose the first row
    // while the log-in waits for it.
    bool dialogSeen = false;
    bool loggedIn = false;
    {
        ModalDialogWatcher watcher([&](QWidget* dialog) {
            if (!dialogSeen) {
                dialogSeen = true;
                Save(dialog, QStringLiteral("02-company-selection.png"));
            }
            dialogs_.push_back(PickDialogRow(dialog, 1));
        });
        loggedIn = frame_.LogIn();
    }
    ok_ = ok_ && loggedIn;

    Save(&frame_, QStringLiteral("03-main-window.png"));
    ok_ = VisitCompanyManager() && ok_;
    const bool agency = ModuleLib::CheckAgencyExist();
    if (agency) {
        ok_ = VisitPage(&MainFrame::OpenAgencySettings, QStringLiteral("07-agency-settings.png")) &&
              ok_;
    }
    ok_ = VisitPage(&MainFrame::OpenTaxOfficerSettings,
                    QStringLiteral("08-tax-officer-settings.png")) &&
          ok_;
    if (agency) {
        ok_ = SwitchCompany() && ok_;
    }
    ok_ = VisitCompanyInfo() && ok_;
    ok_ = VisitLocalTaxOnlyCompany() && ok_;
    ok_ = VisitCompanyInfoDialog() && ok_;
    return ok_;
}

bool DemoTour::VisitPage(bool (MainFrame::*open)(), const QString& name) {
    if (!(frame_.*open)()) {
        return false;
    }
    QWidget* page = frame_.ModuleArea()->CurrentPage();
    pageLines_ << QStringLiteral("page: ") + QLatin1String(page->metaObject()->className());
    const bool saved = Save(&frame_, name);
    frame_.CloseCurrentPage();
    Settle();
    return saved;
}

bool DemoTour::VisitCompanyInfo() {
    if (!frame_.OpenCurrentCompanyInfo(false)) {
        return false;
    }
    QWidget* page = frame_.ModuleArea()->CurrentPage();
    pageLines_ << QStringLiteral("page: ") + QLatin1String(page->metaObject()->className());
    auto* tabs = page->findChild<QTabWidget*>(QStringLiteral("pgcInfo"));
    bool saved = tabs != nullptr;
    if (tabs != nullptr) {
        const std::pair<const char*, const char*> kTabs[] = {
            {"tsBasic", "11-company-info-basic.png"},
            {"tsGs", "12-company-info-state-tax.png"},
            {"tsDs", "13-company-info-local-tax.png"},
            {"tsHistory", "17-company-info-history.png"},
        };
        for (const auto& [tabName, file] : kTabs) {
            auto* tab = tabs->findChild<QWidget*>(QLatin1String(tabName));
            const int index = tab != nullptr ? tabs->indexOf(tab) : -1;
            // A company without that tax row has the tab hidden.
            if (index < 0 || !tabs->isTabVisible(index)) {
                pageLines_ << QStringLiteral("tab hidden: ") + QLatin1String(tabName);
                continue;
            }
            tabs->setCurrentIndex(index);
            pageLines_ << QStringLiteral("tab: ") + QLatin1String(tabName);
            saved = Save(&frame_, QLatin1String(file)) && saved;
        }
    }
    frame_.CloseCurrentPage();
    Settle();
    return saved;
}

bool DemoTour::VisitLocalTaxOnlyCompany() {
    TADOQuery query;
    QString errorText;
    if (!ModuleLib::ExecADOQueryMsg(
            QStringLiteral("MainAppCon"),
            QStringLiteral("select min(QYID) from XT_QYDSXX where QYID not in "
                           "(select QYID from XT_QYGSXX)"),
            query, errorText, 1)) {
        return false;
    }
    const QString companyId = query.Eof() ? QString() : query.FieldAsString(0);
    if (companyId.isEmpty()) {
        return true;
    }
    if (!frame_.OpenCompanyInfoFor(companyId, false)) {
        return false;
    }
    pageLines_ << QStringLiteral("page: local-tax-only company ") + companyId;
    const bool saved = Save(&frame_, QStringLiteral("15-company-info-local-tax-only.png"));
    frame_.CloseCurrentPage();
    Settle();
    return saved;
}

bool DemoTour::VisitCompanyInfoDialog() {
    bool dialogSeen = false;
    bool saved = false;
    {
        ModalDialogWatcher watcher([&](QWidget* dialog) {
            if (!dialogSeen) {
                dialogSeen = true;
                saved = Save(dialog, QStringLiteral("14-company-info-dialog.png"));
            }
            dialogs_.push_back(PickDialogRow(dialog, 0));
        });
        // Closed unsaved: the dialog answers false.
        frame_.ShowCompanyInfoDialog();
    }
    return dialogSeen && saved;
}

bool DemoTour::SwitchCompany() {
    const QString before = frame_.CompanyText();
    bool dialogSeen = false;
    bool switched = false;
    {
        ModalDialogWatcher watcher([&](QWidget* dialog) {
            if (!dialogSeen) {
                dialogSeen = true;
                Save(dialog, QStringLiteral("09-company-switch.png"));
            }
            // The second row, so the company differs from the one logged in
            // with; a list of one has only the first.
            const auto* list = dialog->findChild<QAbstractItemView*>(QStringLiteral("vstCompList"));
            const int rows =
                list != nullptr && list->model() != nullptr ? list->model()->rowCount() : 0;
            dialogs_.push_back(PickDialogRow(dialog, rows >= 2 ? 2 : 1));
        });
        switched = frame_.SwitchCompany();
    }
    const QString after = frame_.CompanyText();
    pageLines_ << QStringLiteral("switch: %1 -> %2").arg(before, after);
    const bool saved = Save(&frame_, QStringLiteral("10-main-window-after-switch.png"));
    return dialogSeen && switched && saved;
}

bool DemoTour::VisitCompanyManager() {
    if (!frame_.OpenCompanyManager()) {
        return false;
    }
    // A screenshot as a step, so it is taken of what is up at that point.
    auto shot = [this](QWidget* window, const QString& name) {
        TPageStep step;
        step.kind = TPageStep::Custom;
        step.name = name;
        step.action = [this, window, name](QWidget* target, QString& error) {
            if (!Save(window != nullptr ? window : target, name)) {
                error = QStringLiteral("screenshot %1 not written").arg(name);
                return false;
            }
            return true;
        };
        return step;
    };
    // Written when the file dialog is up, from the listed companies, so it
    // holds a duplicate and a similar number of the demo data.
    QTemporaryDir importDir;
    TPageStep chooseImportFile;
    chooseImportFile.kind = TPageStep::Custom;
    chooseImportFile.name = QStringLiteral("choose the import file");
    chooseImportFile.action = [this, &importDir](QWidget* target, QString& error) {
        auto* dialog = qobject_cast<QFileDialog*>(target);
        auto* list = frame_.ModuleArea()->CurrentPage()->findChild<QAbstractItemView*>(
            QStringLiteral("vstCompList"));
        if (dialog == nullptr || list == nullptr || list->model()->rowCount() < 2) {
            error = QStringLiteral("no file dialog over a listed company manager");
            return false;
        }
        const QString taken = list->model()->index(0, 0).data().toString();
        QString similar = list->model()->index(1, 0).data().toString().toLower();
        similar.insert(similar.size() / 2, QLatin1Char('-'));
        const QString path = importDir.filePath(QStringLiteral("companies.csv"));
        QFile file(path);
        if (!importDir.isValid() || !file.open(QIODevice::WriteOnly)) {
            error = QStringLiteral("the import file cannot be written");
            return false;
        }
        file.write(QStringLiteral("纳税人识别号,单位名称,联系电话\r\n"
                                  "91110108MA00DEM02H,北京演示导入有限公司,010-62345679\r\n"
                                  "%1,重复的企业,\r\n"
                                  "%2,相似的企业,\r\n"
                                  ",没有识别号的企业,\r\n"
                                  "91110108MA00DEM03L,电话有误的企业,010 6234\r\n"
                                  "91110108MA00DEM04P,\"上海演示导入有限公司,分公司\",021-5555\r\n")
                       .arg(taken, similar)
                       .toUtf8());
        file.close();
        dialog->selectFile(path);
        return QMetaObject::invokeMethod(dialog, "accept");
    };
    const std::vector<TPageStep> steps = {
        shot(&frame_, QStringLiteral("04-company-manager.png")),
        Step(TPageStep::Press, QStringLiteral("tbtQuery")),
        shot(&frame_, QStringLiteral("05-company-manager-search.png")),
        // The add dialog opens; the steps after it go into the dialog.
        Step(TPageStep::Press, QStringLiteral("actCompanyAdd")),
        Step(TPageStep::Type, QStringLiteral("edtQysbh"), QStringLiteral("91110108MA00DEM01E")),
        Step(TPageStep::Type, QStringLiteral("edtQymc"), QStringLiteral("北京演示新增有限公司")),
        Step(TPageStep::Type, QStringLiteral("edtlxdh"), QStringLiteral("010-62345678")),
        shot(nullptr, QStringLiteral("06-company-add.png")),
        Step(TPageStep::Press, QStringLiteral("sBtnClose")),
        // The import preview of a file with one row of each kind; cancelled.
        Step(TPageStep::Press, QStringLiteral("tbtImport")),
        chooseImportFile,
        shot(nullptr, QStringLiteral("16-company-import-preview.png")),
        Step(TPageStep::Press, QStringLiteral("sBtnClose")),
    };
    PageScript script(
        steps, [this] { return frame_.ModuleArea()->CurrentPage(); },
        [this](const QString& line) { pageLines_ << line; });
    QEventLoop loop;
    script.onFinished = [&loop] { loop.quit(); };
    script.Start();
    if (!script.Finished()) {
        loop.exec();
    }
    frame_.CloseCurrentPage();
    Settle();
    return !script.Failed();
}
