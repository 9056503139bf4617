// What a screen reader and the Tab key meet in the module's windows. The
// demo tour audits every window it shows (taxhost's tests run it); these are
// the ones it does not show, and a window the audit must fault.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QVBoxLayout>

#include <array>
#include <memory>

#include "CompanyInfoModel.h"
#include "TestHost.h"
#include "WindowAudit.h"
#include "f_CompanyInfo.h"
#include "f_Status.h"

namespace {

using Accessibility = HostTest;

TEST_F(Accessibility, WindowsOutsideTheTourAreNamedAndTabbedInReadingOrder) {
    const QString localOnly = AddCompany("91110000000000002X", "乙公司");
    Exec("INSERT INTO XT_QYDSXX(QYID, NSRSBH) VALUES(" + localOnly + ", 'DS1')");
    TCompanyInfoModel company;
    company.Load(localOnly);
    auto* dialog = new Tfrm_CompanyInfo;
    dialog->Load(company, false);
    const std::array<std::unique_ptr<QWidget>, 2> windows = {std::unique_ptr<QWidget>(dialog),
                                                             std::make_unique<Tfrm_Status>()};
    for (const auto& window : windows) {
        window->show();
        EXPECT_EQ(WindowAudit::Findings(window.get()).join('\n').toStdString(), "")
            << window->metaObject()->className();
    }
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
}

}  // namespace
