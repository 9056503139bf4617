// Another desk changes a company while the information page or dialog has it
// open: saving asks whether to overwrite, read anew or wait, and never
// overwrites unasked.
#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QToolButton>

#include <gtest/gtest.h>

#include "DialogDriver.h"
#include "TestHost.h"
#include "f_CompanyInfo.h"
#include "f_CompanyInfoInner.h"

namespace {

using Kind = HostSetup::THostMessage::Kind;

struct AnswerCase {
    const char* name;
    int answer;             // 0: no question expected
    bool otherDeskChanges;  // the e-mail, meanwhile
    QString phoneStored;    // afterwards
    QString emailStored;
    QString phoneShown;  // in the window afterwards, when it is still open
};

const std::vector<AnswerCase> kCases = {
    {"nobody else changed it", 0, false, "010-2", "a@b.cn", ""},
    {"overwrite", 1, true, "010-2", "a@b.cn", ""},
    {"read anew", 2, true, "010-1", "other@desk.cn", "010-1"},
    {"not now", 3, true, "010-1", "other@desk.cn", "010-2"},
};

class ConcurrentEdit : public EngineTest {
  protected:
    QString Add() {
        const QString id = AddCompany("911", "甲公司");
        EXPECT_TRUE(Exec("UPDATE XT_QYXX SET QYDHHM='010-1', EMAIL='a@b.cn' where QYID=" + id));
        return id;
    }
    void Check(const AnswerCase& c, const QString& id) {
        const auto messages = Messages();
        int questions = 0;
        for (const auto& m : messages) {
            // Closing with the edit kept asks about it as well.
            if (m.buttons == HostSetup::THostMessage::YesNoCancel && !m.text.contains("尚未保存")) {
                ++questions;
                EXPECT_TRUE(m.text.contains("XT_QYXX.EMAIL")) << m.text.toStdString();
            }
        }
        EXPECT_EQ(questions, c.answer == 0 ? 0 : 1) << c.name;
        EXPECT_EQ(Scalar("select QYDHHM from XT_QYXX where QYID=" + id), c.phoneStored) << c.name;
        EXPECT_EQ(Scalar("select EMAIL from XT_QYXX where QYID=" + id), c.emailStored) << c.name;
    }
};
INSTANTIATE_ON_ENGINES(ConcurrentEdit);

TEST_P(ConcurrentEdit, ThePageAsksBeforeOverwritingAnotherDesk) {
    for (const AnswerCase& c : kCases) {
        const QString id = Add();
        QPointer<Tfrm_CompanyInfoInner> page = new Tfrm_CompanyInfoInner();
        page->LoadCompany(id, false, true);
        page->show();
        if (c.otherDeskChanges) {
            ASSERT_TRUE(ExecElsewhere("UPDATE XT_QYXX SET EMAIL='other@desk.cn' where QYID=" + id));
        }
        Answer(0, c.answer);
        HostSetup::ClearRecorded();
        page->findChild<QLineEdit*>("edtDhhm")->setText("010-2");
        page->findChild<QToolButton*>("tbtnSave")->click();
        Check(c, id);
        // Saved pages close; the others stay with what they show.
        EXPECT_EQ(page->isVisible(), !c.phoneShown.isEmpty()) << c.name;
        if (!c.phoneShown.isEmpty()) {
            EXPECT_EQ(page->findChild<QLineEdit*>("edtDhhm")->text(), c.phoneShown) << c.name;
        }
        delete page.data();
    }
}

TEST_P(ConcurrentEdit, TheDialogAsksBeforeOverwritingAnotherDesk) {
    for (const AnswerCase& c : kCases) {
        const QString id = Add();
        Answer(0, c.answer);
        HostSetup::ClearRecorded();
        int opened = 0;
        QString phoneAfter;
        DialogDriver driver(
            [&](QWidget* dialog) {
                auto* phone = DialogDriver::Child<QLineEdit>(dialog, "edtDhhm");
                if (++opened == 1) {
                    if (c.otherDeskChanges) {
                        ExecElsewhere("UPDATE XT_QYXX SET EMAIL='other@desk.cn' where QYID=" + id);
                    }
                    phone->setText("010-2");
                    DialogDriver::Child<QAbstractButton>(dialog, "tbtnSave")->click();
                }
                // Still open, or opened anew: what it shows now.
                if (dialog->isVisible()) {
                    phoneAfter = phone->text();
                    Answer(0, 2);
                    DialogDriver::Child<QAbstractButton>(dialog, "tbtnClose")->click();
                }
            },
            DialogDriver::Expect::EveryDialog);
        ShowCompanyInfoDialog(id, false);
        Check(c, id);
        // Read anew, the dialog opens a second time with the stored values.
        EXPECT_EQ(opened, c.answer == 2 ? 2 : 1) << c.name;
        EXPECT_EQ(phoneAfter, c.phoneShown) << c.name;
    }
}

// A row another desk registered meanwhile is a change too.
TEST_P(ConcurrentEdit, ARowAddedElsewhereIsAskedAbout) {
    const QString id = Add();
    QPointer<Tfrm_CompanyInfoInner> page = new Tfrm_CompanyInfoInner();
    page->LoadCompany(id, false, true);
    page->show();
    ASSERT_TRUE(ExecElsewhere("INSERT INTO XT_QYDSXX(QYID, NSRSBH) VALUES(" + id + ", 'DS9')"));
    Answer(0, 3);
    HostSetup::ClearRecorded();
    page->findChild<QLineEdit*>("edtDhhm")->setText("010-2");
    page->findChild<QToolButton*>("tbtnSave")->click();
    QStringList asked;
    for (const auto& m : Messages()) {
        if (m.buttons == HostSetup::THostMessage::YesNoCancel) {
            asked << m.text;
        }
    }
    ASSERT_EQ(asked.size(), 1);
    EXPECT_TRUE(asked[0].contains("XT_QYDSXX")) << asked[0].toStdString();
    EXPECT_EQ(Scalar("select QYDHHM from XT_QYXX where QYID=" + id), "010-1");
    delete page.data();
}

// Rows that can no longer be read when saving are no licence to write.
TEST_P(ConcurrentEdit, RowsThatCannotBeReadAtTheSaveStopIt) {
    const QString id = Add();
    QPointer<Tfrm_CompanyInfoInner> page = new Tfrm_CompanyInfoInner();
    page->LoadCompany(id, false, true);
    page->show();
    int shown = 0;
    {
        DialogDriver driver([&](QWidget* dialog) {
            ++shown;
            ASSERT_TRUE(ExecElsewhere("ALTER TABLE XT_QYDSXX RENAME TO XT_QYDSXX_AWAY"));
            DialogDriver::Child<QLineEdit>(dialog, "edtDhhm")->setText("010-3");
            DialogDriver::Child<QAbstractButton>(dialog, "tbtnSave")->click();
            Answer(0, 2);
            DialogDriver::Child<QAbstractButton>(dialog, "tbtnClose")->click();
        });
        HostSetup::ClearRecorded();
        EXPECT_FALSE(ShowCompanyInfoDialog(id, false));
    }
    page->findChild<QLineEdit*>("edtDhhm")->setText("010-2");
    page->findChild<QToolButton*>("tbtnSave")->click();
    ASSERT_TRUE(Exec("ALTER TABLE XT_QYDSXX_AWAY RENAME TO XT_QYDSXX"));
    std::vector<int> codes;
    for (const auto& m : Messages()) {
        codes.push_back(m.code);
    }
    EXPECT_EQ(shown, 1);
    // Between the two failures, closing the dialog asked about its edit.
    EXPECT_EQ(codes, (std::vector<int>{106018, 0, 106018}));
    EXPECT_EQ(Scalar("select QYDHHM from XT_QYXX where QYID=" + id), "010-1");
    delete page.data();
}

}  // namespace
