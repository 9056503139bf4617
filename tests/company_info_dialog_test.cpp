// The company information dialog: its rules called directly, and the dialog
// itself driven headless as an operator would.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QShowEvent>
#include <QTest>

#include <algorithm>
#include <vector>

#include "DialogDriver.h"
#include "HostFrame.h"
#include "HostServices.h"
#include "TestHost.h"
#include "WindowMessage.h"
#include "f_CompanyInfo.h"
#include "f_DataVO.h"

namespace {

using Kind = HostSetup::THostMessage::Kind;

class CompanyInfoDialogTest : public EngineTest {
  protected:
    // A company with a 200-character address, and the tax rows asked for.
    QString AddFull(bool localTax, bool stateTax) {
        const QString id = AddCompany("91A", "甲公司");
        EXPECT_TRUE(Exec("UPDATE XT_QYXX SET YYDZ='" + longAddress_ +
                         "', QYDHHM='010-1', EMAIL='a@b.c', YZBM='100000' where QYID=" + id));
        if (localTax) {
            EXPECT_TRUE(
                Exec("INSERT INTO XT_QYDSXX(QYID, NSRSBH, KJYWRBM, GSGBZE, GXBZ, HYMC) VALUES(" +
                     id + ", 'DS1', 'KJ1', 1234.5, 0, '农业')"));
        }
        if (stateTax) {
            EXPECT_TRUE(
                Exec("INSERT INTO XT_QYGSXX(QYID, NSRSBH, SSHY, SSHYMC, SSDLJG, JKBZ, ZDH) "
                     "VALUES(" +
                     id + ", 'GS1', '01', '农业', 'JG', '0', '2')"));
        }
        return id;
    }
    void MakeCurrent(const QString& id, bool withLocalTaxChild) {
        TDataVO* company = ModuleLib::GetCompanyInfoVO();
        company->SetStrValue("QYID", id);
        if (withLocalTaxChild) {
            auto* child = new TDataVO();
            child->SetStrValue("GSGBZE", "old");
            child->SetStrValue("DZXX", "old");
            company->SetObjValue("QYDSXX", child);
        }
    }
    static TDataVO* LocalTaxChild() {
        return dynamic_cast<TDataVO*>(ModuleLib::GetCompanyInfoVO()->GetObjValue("QYDSXX"));
    }
    static QLineEdit* Edit(QWidget* dialog, const char* name) {
        return DialogDriver::Child<QLineEdit>(dialog, name);
    }
    static void Press(QWidget* dialog, const char* name) {
        DialogDriver::Child<QAbstractButton>(dialog, name)->click();
    }
    // Opens the dialog for id, hands it to act, and returns the entry point's answer.
    bool Open(const QString& id, bool viewOnly, const DialogDriver::Action& act) {
        // A dialog the action left open is closed, so a failing case cannot hang.
        DialogDriver driver([&](QWidget* dialog) {
            act(dialog);
            if (dialog->isVisible()) {
                Answer(0, 2);  // what was typed is given up
                static_cast<QDialog*>(dialog)->reject();
            }
        });
        return ShowCompanyInfoDialog(id, viewOnly);
    }

    const QString longAddress_ = QString(200, QChar(0x8DEF));
};
INSTANTIATE_ON_ENGINES(CompanyInfoDialogTest);

TEST_P(CompanyInfoDialogTest, GroupsWithoutARowShrinkTheDialog) {
    struct Case {
        const char* name;
        bool localTax, stateTax;
    };
    int fullHeight = 0, localHeight = 0, stateHeight = 0;
    const std::vector<Case> cases = {{"both rows", true, true},
                                     {"local tax only", true, false},
                                     {"state tax only", false, true},
                                     {"neither", false, false}};
    for (const Case& c : cases) {
        const QString id = AddFull(c.localTax, c.stateTax);
        const bool ok = Open(id, false, [&](QWidget* dialog) {
            auto* local = DialogDriver::Child<QGroupBox>(dialog, "gbLocalTax");
            auto* state = DialogDriver::Child<QGroupBox>(dialog, "gbStateTax");
            EXPECT_EQ(local->isVisible(), c.localTax) << c.name;
            EXPECT_EQ(state->isVisible(), c.stateTax) << c.name;
            if (c.localTax && c.stateTax) {
                // The local-tax industry as the page shows it.
                EXPECT_EQ(Edit(dialog, "edtDsSSHY")->text(), "农业");
                fullHeight = dialog->height();
                localHeight = local->height();
                stateHeight = state->height();
                EXPECT_GT(localHeight, 0);
                EXPECT_GT(stateHeight, 0);
            } else {
                EXPECT_EQ(dialog->height(), fullHeight - (c.localTax ? 0 : localHeight) -
                                                (c.stateTax ? 0 : stateHeight))
                    << c.name;
            }
            QStringList shown;
            for (auto* button : dialog->findChildren<QAbstractButton*>()) {
                if (button->isVisible()) {
                    shown << button->objectName() + "=" + button->text();
                }
            }
            shown.sort();
            EXPECT_EQ(shown, (QStringList{"tbtnClose=关闭(&X)", "tbtnSave=保存"})) << c.name;
            EXPECT_EQ(dialog->focusWidget(), Edit(dialog, "edtYydz"));
            EXPECT_FALSE(Edit(dialog, "edtYydz")->hasSelectedText());
            Press(dialog, "tbtnClose");
        });
        EXPECT_FALSE(ok) << c.name;
        Exec("DELETE FROM XT_QYDSXX");
        Exec("DELETE FROM XT_QYGSXX");
    }
}

TEST_P(CompanyInfoDialogTest, EveryEditableFieldAloneIsSavedAndTheLocalTaxChildFollows) {
    struct Case {
        const char* name;
        std::vector<std::pair<const char*, QString>> edits;
        bool written;
        bool childRefreshed;
    };
    const std::vector<Case> cases = {
        {"nothing", {}, false, false},
        {"tax registration number", {{"edtDsSwdjzHm", "DS2"}}, true, false},
        {"share capital", {{"edtGsgbze", "99.9"}}, true, true},
        {"same share capital written otherwise", {{"edtGsgbze", "1234.500"}}, false, false},
        {"phone before e-mail", {{"edtDhhm", "020"}, {"edtMail", "x@y.z"}}, true, true},
        {"agency", {{"edtSsdljg", "JG2"}}, true, false},
    };
    for (const Case& c : cases) {
        const QString id = AddFull(true, true);
        MakeCurrent(id, true);
        HostSetup::ClearRecorded();
        const bool ok = Open(id, false, [&](QWidget* dialog) {
            EXPECT_EQ(Edit(dialog, "edtGsgbze")->text(), "1234.50");
            EXPECT_EQ(Edit(dialog, "edtJkbz")->text(), "否");
            EXPECT_EQ(Edit(dialog, "edtYfzdh")->text(), "2");
            for (const auto& [name, text] : c.edits) {
                Edit(dialog, name)->setText(text);
            }
            Press(dialog, "tbtnSave");
            EXPECT_FALSE(dialog->isVisible()) << c.name;
        });
        EXPECT_TRUE(ok) << c.name;
        const auto messages = HostSetup::RecordedMessages();
        EXPECT_EQ(messages.size(), c.written ? 1u : 0u) << c.name;
        if (c.written && !messages.empty()) {
            EXPECT_EQ(messages[0].code, 106019) << c.name;
        }
        EXPECT_EQ(Scalar("select GXBZ from XT_QYDSXX where QYID=" + id), c.written ? "1" : "0")
            << c.name;
        // The address longer than its field went back whole.
        EXPECT_EQ(Scalar("select YYDZ from XT_QYXX where QYID=" + id), longAddress_) << c.name;
        EXPECT_EQ(LocalTaxChild()->GetStrValue("DZXX") != "old", c.childRefreshed) << c.name;
        for (const auto& [name, text] : c.edits) {
            if (QLatin1String(name) == QLatin1String("edtDsSwdjzHm")) {
                EXPECT_EQ(Scalar("select NSRSBH from XT_QYDSXX where QYID=" + id), text);
            } else if (QLatin1String(name) == QLatin1String("edtSsdljg")) {
                EXPECT_EQ(Scalar("select SSDLJG from XT_QYGSXX where QYID=" + id), text);
                EXPECT_EQ(Scalar("select SSHY from XT_QYGSXX where QYID=" + id), "01");
            }
        }
        if (c.childRefreshed) {
            EXPECT_EQ(LocalTaxChild()->GetStrValue("GXBZ"), "1") << c.name;
            EXPECT_EQ(LocalTaxChild()->GetStrValue("GSGBZE"),
                      Scalar("select GSGBZE from XT_QYDSXX where QYID=" + id).toDouble() == 99.9
                          ? "99.90"
                          : "1234.50")
                << c.name;
        }
    }
}

TEST_P(CompanyInfoDialogTest, AFailedCheckKeepsTheDialogOpenAndWritesNothing) {
    struct Case {
        const char* name;
        const char* field;
        QString text;
        Kind kind;
        int code;
        QString plainText;
        QString after;
    };
    const std::vector<Case> cases = {
        {"phone", "edtDhhm", "010 1", Kind::Numbered, 106022, "", ""},
        {"fax", "edtCzhm", "a1", Kind::Numbered, 106023, "", ""},
        {"e-mail", "edtMail", "a@b.", Kind::Numbered, 106024, "", ""},
        {"post code", "edtYzbm", "12345", Kind::Plain, 0, "请输入的正确的邮政编码。", ""},
        {"share capital", "edtGsgbze", "inf", Kind::Plain, 0, "请输入正确的公司股本总额。", "inf"},
        {"share capital too large", "edtGsgbze", "1e20", Kind::Plain, 0,
         "请输入正确的公司股本总额。", "1e20"},
    };
    const QString id = AddFull(true, false);
    const bool ok = Open(id, false, [&](QWidget* dialog) {
        for (const Case& c : cases) {
            HostSetup::ClearRecorded();
            const QString before = Edit(dialog, c.field)->text();
            Edit(dialog, c.field)->setText(c.text);
            Press(dialog, "tbtnSave");
            EXPECT_TRUE(dialog->isVisible()) << c.name;
            const auto messages = HostSetup::RecordedMessages();
            ASSERT_EQ(messages.size(), 1u) << c.name;
            EXPECT_EQ(messages[0].kind, c.kind) << c.name;
            EXPECT_EQ(messages[0].code, c.code) << c.name;
            if (c.kind == Kind::Plain) {
                EXPECT_EQ(messages[0].text, c.plainText) << c.name;
            }
            EXPECT_EQ(Edit(dialog, c.field)->text(), c.after) << c.name;
            EXPECT_EQ(dialog->focusWidget(), Edit(dialog, c.field)) << c.name;
            EXPECT_TRUE(DialogDriver::Child<QAbstractButton>(dialog, "tbtnSave")->isEnabled());
            Edit(dialog, c.field)->setText(before);
        }
        Press(dialog, "tbtnClose");
    });
    EXPECT_FALSE(ok);
    EXPECT_EQ(Scalar("select GXBZ from XT_QYDSXX where QYID=" + id), "0");
    EXPECT_EQ(Scalar("select QYSBH from XT_QYXX where QYID=" + id), "91A");
}

TEST_P(CompanyInfoDialogTest, ACompanyWithoutALocalTaxRowLeavesTheShareCapitalEmpty) {
    const QString id = AddFull(false, true);
    MakeCurrent(id, true);
    ModuleLib::GetCompanyInfoVO()->SetStrValue("QYSBH", "old");
    EXPECT_TRUE(Open(id, false, [&](QWidget* dialog) {
        Edit(dialog, "edtMail")->setText("n@e.w");
        Press(dialog, "tbtnSave");
    }));
    EXPECT_EQ(LocalTaxChild()->GetStrValue("GSGBZE", "unset"), "");
    EXPECT_EQ(LocalTaxChild()->GetStrValue("DZXX"), "n@e.w");
    EXPECT_EQ(ModuleLib::GetCompanyInfoVO()->GetStrValue("EMAIL"), "n@e.w");
    EXPECT_EQ(ModuleLib::GetCompanyInfoVO()->GetStrValue("QYSBH"), "91A");
    EXPECT_EQ(Scalar("select EMAIL from XT_QYXX where QYID=" + id), "n@e.w");
}

TEST_P(CompanyInfoDialogTest, AnotherCompanyIsSavedWithoutTouchingTheCurrentOne) {
    const QString id = AddFull(true, false);
    MakeCurrent(AddCompany("91B", "乙"), true);
    HostSetup::ClearRecorded();
    EXPECT_TRUE(Open(id, false, [&](QWidget* dialog) {
        Edit(dialog, "edtMail")->setText("n@e.w");
        Press(dialog, "tbtnSave");
    }));
    const auto messages = HostSetup::RecordedMessages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].code, 106019);
    EXPECT_EQ(LocalTaxChild()->GetStrValue("DZXX"), "old");
    EXPECT_EQ(Scalar("select DZXX from XT_QYDSXX where QYID=" + id), "n@e.w");
}

TEST_P(CompanyInfoDialogTest, ViewOnlyOffersNothingToEdit) {
    const QString id = AddFull(true, true);
    EXPECT_FALSE(Open(id, true, [&](QWidget* dialog) {
        auto* save = DialogDriver::Child<QAbstractButton>(dialog, "tbtnSave");
        EXPECT_FALSE(save->isVisible());
        EXPECT_FALSE(save->isEnabled());
        for (const char* name : {"edtQysbh", "edtDhhm", "edtCzhm", "edtYzbm", "edtYydz",
                                 "edtDsSwdjzHm", "edtSsdljg"}) {
            EXPECT_FALSE(Edit(dialog, name)->isEnabled()) << name;
            EXPECT_TRUE(Edit(dialog, name)->isReadOnly()) << name;
        }
        EXPECT_FALSE(DialogDriver::Child<QComboBox>(dialog, "cbxGsSSHY")->isEnabled());
        Press(dialog, "tbtnClose");
    }));
}

TEST_P(CompanyInfoDialogTest, IndustryCodesMatchExactlyAndAnUnknownOneIsKept) {
    // An entry without a code matches no company, not even one without an industry.
    WriteFile("AppComs/Dmzd/hy.txt", QStringLiteral("1101|甲\r\n01|乙\r\n|未分类\r\n").toUtf8());
    struct Case {
        QString stored;
        QString storedName;
        QString shown;
        QString paid;  // JKBZ
        QString paidShown;
    };
    const std::vector<Case> cases = {
        {"01", "农业", "01|乙", "0", "否"},
        {"77", "农业", "77|农业", "1", "是"},
        {"", "农业", "|农业", "", "是"},
        {"", "", "", "0", "否"},
    };
    for (const Case& c : cases) {
        const QString id = AddFull(false, true);
        Exec("UPDATE XT_QYGSXX SET SSHY='" + c.stored + "', SSHYMC='" + c.storedName + "', JKBZ='" +
             c.paid + "' where QYID=" + id);
        EXPECT_TRUE(Open(id, false, [&](QWidget* dialog) {
            EXPECT_EQ(DialogDriver::Child<QComboBox>(dialog, "cbxGsSSHY")->currentText(), c.shown);
            EXPECT_EQ(Edit(dialog, "edtJkbz")->text(), c.paidShown) << c.stored.toStdString();
            Edit(dialog, "edtDhhm")->setText("020");
            Press(dialog, "tbtnSave");
        }));
        EXPECT_EQ(Scalar("select SSHY from XT_QYGSXX where QYID=" + id), c.stored);
        EXPECT_EQ(Scalar("select DHHM from XT_QYGSXX where QYID=" + id), "020");
        Exec("DELETE FROM XT_QYGSXX");
    }
}

TEST_P(CompanyInfoDialogTest, AnIdWithoutARowOpensEmptyAndAnEmptyIdOpensNothing) {
    for (const char* id : {"999"}) {
        HostSetup::ClearRecorded();
        EXPECT_FALSE(Open(id, false, [&](QWidget* dialog) {
            EXPECT_EQ(Edit(dialog, "edtQysbh")->text(), "");
            Press(dialog, "tbtnSave");
            const auto messages = HostSetup::RecordedMessages();
            ASSERT_EQ(messages.size(), 1u) << id;
            EXPECT_EQ(messages[0].code, 106021) << id;
            // The code's field is read-only: nothing typed there counts.
            Edit(dialog, "edtQysbh")->setText("9111B");
            HostSetup::ClearRecorded();
            Press(dialog, "tbtnSave");
            EXPECT_TRUE(dialog->isVisible()) << id;
            ASSERT_EQ(HostSetup::RecordedMessages().size(), 1u) << id;
            EXPECT_EQ(HostSetup::RecordedMessages()[0].code, 106021) << id;
            Answer(0, 2);
            Press(dialog, "tbtnClose");
        })) << id;
    }
    EXPECT_EQ(Count("select count(*) from XT_QYXX where QYSBH='9111B'"), 0);
    DialogDriver none([](QWidget*) {}, DialogDriver::Expect::NoDialog);
    for (const QString& id : {QString(" "), QString(), QString("1 or 1=1"), QString("x1")}) {
        EXPECT_FALSE(ShowCompanyInfoDialog(id, false)) << id.toStdString();
    }
    // Nor does a company that cannot be read.
    const QString id = AddFull(true, true);
    ASSERT_TRUE(Exec("ALTER TABLE XT_QYXX RENAME TO XT_QYXX_AWAY"));
    EXPECT_FALSE(ShowCompanyInfoDialog(id, false));
    ASSERT_TRUE(Exec("ALTER TABLE XT_QYXX_AWAY RENAME TO XT_QYXX"));
}

// A tax row that cannot be read leaves its group out, the other one shown,
// and the log names the table.
TEST_P(CompanyInfoDialogTest, ATaxRowThatCannotBeReadLeavesItsGroupOut) {
    const QString id = AddFull(true, true);
    const struct {
        const char* table;
        QStringList shown;
    } cases[] = {{"XT_QYGSXX", {"gbLocalTax", "", "KJ1"}},
                 {"XT_QYDSXX", {"gbStateTax", "GS1", ""}}};
    for (const auto& [table, expected] : cases) {
        ASSERT_TRUE(Exec(QStringLiteral("ALTER TABLE %1 RENAME TO AWAY").arg(table)));
        HostSetup::ClearRecorded();
        QStringList shown;
        Open(id, false, [&](QWidget* dialog) {
            for (const char* group : {"gbStateTax", "gbLocalTax"}) {
                if (DialogDriver::Child<QGroupBox>(dialog, group)->isVisible()) {
                    shown << group;
                }
            }
            shown << Edit(dialog, "edtGsNsrsbh")->text() << Edit(dialog, "edtKjywrbm")->text();
        });
        ASSERT_TRUE(Exec(QStringLiteral("ALTER TABLE AWAY RENAME TO %1").arg(table)));
        EXPECT_EQ(shown, expected) << table;
        bool named = false;
        for (const auto& line : LogLines()) {
            named = named || line.text.contains(QLatin1String(table));
        }
        EXPECT_TRUE(named) << table;
    }
}

TEST_P(CompanyInfoDialogTest, ThePostCodeTakesDigitsAndEditingKeysOnly) {
    const QString id = AddFull(true, true);
    QString typed;
    Open(id, false, [&](QWidget* dialog) {
        QLineEdit* code = Edit(dialog, "edtYzbm");
        code->clear();
        QTest::keyClicks(code, "1a2 -");
        QKeyEvent fullWidthDigit(QEvent::KeyPress, 0, Qt::NoModifier, QStringLiteral("３"));
        QApplication::sendEvent(code, &fullWidthDigit);
        QTest::keyClicks(code, "3");
        QTest::keyClick(code, Qt::Key_4, Qt::ControlModifier);
        QTest::keyClick(code, Qt::Key_Backspace);
        typed = code->text();
    });
    // A full-width digit comes in as its ASCII digit.
    EXPECT_EQ(typed, "123");
}

// Shown again (the host restored after a minimise), the dialog stays where
// the operator left it and keeps the field being edited; F1 in a field asks
// the host for help.
TEST_P(CompanyInfoDialogTest, ShowingAgainKeepsThePlaceAndTheFocus) {
    const QString id = AddFull(true, true);
    THostFrame frame;
    Open(id, false, [&](QWidget* dialog) {
        ASSERT_EQ(dialog->focusWidget(), Edit(dialog, "edtYydz"));
        Edit(dialog, "edtDhhm")->setFocus();
        const QPoint place = dialog->pos() + QPoint(30, 20);
        dialog->move(place);
        // As the window system shows a restored window.
        QShowEvent shown;
        QApplication::sendEvent(dialog, &shown);
        EXPECT_EQ(dialog->pos(), place);
        EXPECT_EQ(dialog->focusWidget(), Edit(dialog, "edtDhhm"));
        QTest::keyClick(Edit(dialog, "edtDhhm"), Qt::Key_F1);
        EXPECT_EQ(frame.Count(HostMsg::kHelp), 1);
    });
}

// An operator who typed a post code and stays in its field: Esc asks before
// the edit is lost ("取消" keeps it), and Ctrl+S saves it and closes.
TEST_P(CompanyInfoDialogTest, FromThePostCodeEscAsksAndCtrlSSaves) {
    const QString id = AddFull(true, true);
    Answer(0, 3);
    bool stayed = false;
    const bool saved = Open(id, false, [&](QWidget* dialog) {
        // The operator's window is the active one: its shortcuts work there.
        dialog->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
        QLineEdit* code = Edit(dialog, "edtYzbm");
        code->setFocus();
        code->selectAll();
        QTest::keyClicks(code, "100080");
        HostSetup::ClearRecorded();
        QTest::keyClick(code, Qt::Key_Escape);
        stayed = dialog->isVisible() && code->text() == "100080";
        QTest::keyClick(code, Qt::Key_S, Qt::ControlModifier);
        // A shortcut clicks its button as a press of it does, a moment later.
        EXPECT_TRUE(QTest::qWaitFor([dialog] { return !dialog->isVisible(); }, 2000));
    });
    EXPECT_TRUE(stayed);
    EXPECT_TRUE(saved);
    const auto asked = HostSetup::RecordedMessages();
    EXPECT_EQ(std::count_if(asked.begin(), asked.end(),
                            [](const auto& m) { return m.text.contains("尚未保存"); }),
              1);
    EXPECT_EQ(Scalar("select YZBM from XT_QYXX where QYID=" + id), "100080");
}

}  // namespace
