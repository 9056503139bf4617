// What a screen reader and the Tab key meet in each of the module's windows:
// every control the focus can reach says what it is, and Tab walks the window
// as it is read, row by row, left to right.
#include <gtest/gtest.h>

#include <QAction>
#include <QLineEdit>
#include <QTabWidget>
#include <QVBoxLayout>

#include <array>
#include <functional>
#include <memory>

#include "CompanyInfoModel.h"
#include "CompanySelectMgr.h"
#include "TestHost.h"
#include "WindowAudit.h"
#include "f_AdvSwitchCompay.h"
#include "f_Bsyxxsz.h"
#include "f_CompanyAdd.h"
#include "f_CompanyImport.h"
#include "f_CompanyInfo.h"
#include "f_CompanyInfoInner.h"
#include "f_CompanyManage.h"
#include "f_CompanySelect.h"
#include "f_Dljgsz.h"
#include "f_Status.h"

namespace {

class Accessibility : public HostTest {};

TEST_F(Accessibility, EveryFocusableControlIsNamedAndTabFollowsTheLayout) {
    const QString both = AddCompany("91110000000000001X", "甲公司");
    const QString localOnly = AddCompany("91110000000000002X", "乙公司");
    Exec("INSERT INTO XT_QYGSXX(QYID, NSRSBH) VALUES(" + both + ", 'GS1')");
    for (const QString& id : {both, localOnly}) {
        Exec("INSERT INTO XT_QYDSXX(QYID, NSRSBH) VALUES(" + id + ", 'DS1')");
    }
    TCompanySelectMgr selector("", "");
    const auto page = [](const QString& id, const char* tab) {
        return [id, tab]() -> QWidget* {
            auto* inner = new Tfrm_CompanyInfoInner;
            inner->LoadCompany(id, false, true);
            inner->show();  // showing picks the first tab
            auto* tabs = inner->findChild<QTabWidget*>("pgcInfo");
            tabs->setCurrentWidget(tabs->findChild<QWidget*>(tab));
            return inner;
        };
    };
    const auto dialog = [](const QString& id) {
        return [id]() -> QWidget* {
            TCompanyInfoModel company;
            company.Load(id);
            auto* info = new Tfrm_CompanyInfo;
            info->Load(company, false);
            return info;
        };
    };
    const std::pair<const char*, std::function<QWidget*()>> windows[] = {
        {"manager", [] { return new Tfrm_CompanyManage; }},
        {"manager, searching",
         [] {
             auto* manager = new Tfrm_CompanyManage;
             manager->findChild<QAction*>("actQuery")->setChecked(true);
             return manager;
         }},
        {"add", [] { return new Tfrm_CompanyAdd; }},
        {"page, basic", page(both, "tsBasic")},
        {"page, state tax", page(both, "tsGs")},
        {"page, local tax", page(both, "tsDs")},
        {"page, local tax only", page(localOnly, "tsBasic")},
        {"dialog", dialog(both)},
        {"dialog, local tax only", dialog(localOnly)},
        {"selection", [&] { return new Tfrm_CompanySelect(selector); }},
        {"switch", [] { return new TfrmAdvSwitchCompay; }},
        {"agency", [] { return new TfrmGljgsz; }},
        {"officer", [] { return new Tfrm_Bsyxxsz; }},
        {"import", [] { return new Tfrm_CompanyImport(std::vector<CompanyImport::Row>(2)); }},
        {"status", [] { return new Tfrm_Status; }},
    };
    // Unlabelled fields, and Tab going up twice, are found.
    QWidget bad;
    auto* column = new QVBoxLayout(&bad);
    const std::array fields = {new QLineEdit, new QLineEdit, new QLineEdit};
    for (QLineEdit* field : fields) {
        column->addWidget(field);
    }
    QWidget::setTabOrder(fields[0], fields[2]);
    QWidget::setTabOrder(fields[2], fields[1]);
    bad.show();
    EXPECT_EQ(WindowAudit::Findings(&bad).size(), 2);
    for (const auto& [name, open] : windows) {
        std::unique_ptr<QWidget> window(open());
        window->show();
        EXPECT_EQ(WindowAudit::Findings(window.get()).join('\n').toStdString(), "") << name;
    }
}

}  // namespace
