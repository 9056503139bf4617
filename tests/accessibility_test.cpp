// What a screen reader and the Tab key meet in each of the module's windows:
// every control the focus can reach says what it is, and Tab walks the window
// as it is read, row by row, left to right.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QTabWidget>

#include <functional>
#include <memory>

#include "CompanyInfoModel.h"
#include "CompanySelectMgr.h"
#include "TestHost.h"
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

// A label the control is the buddy of, as the screen reader's relation.
bool HasLabel(QAccessibleInterface* node) {
    for (const auto& [label, relation] : node->relations(QAccessible::Label)) {
        if (qobject_cast<QLabel*>(label->object()) != nullptr) {
            return true;
        }
    }
    return false;
}

// Qt names a group box's unlabelled field by the group's title, which says
// nothing of the field; on Linux a combo box's name is its value, and only a
// label relation or a name of its own says what it holds.
QStringList Unnamed(QAccessibleInterface* node) {
    auto* widget = qobject_cast<QWidget*>(node->object());
    if (widget == nullptr || node->state().invisible) {
        return {};  // list cells and tabs speak their own text
    }
    QStringList unnamed;
    const QString name = node->text(QAccessible::Name).trimmed();
    const auto* group = qobject_cast<QGroupBox*>(widget->parentWidget());
    const bool combo = node->role() == QAccessible::ComboBox;
    // A widget with a focus proxy hands the focus on and is never focused.
    if (node->state().focusable && widget->focusProxy() == nullptr &&
        (name.isEmpty() || (group && name == group->title()) ||
         (combo && widget->accessibleName().isEmpty() && !HasLabel(node)))) {
        unnamed << widget->objectName();
    }
    for (int i = 0; i < node->childCount(); ++i) {
        unnamed << Unnamed(node->child(i));
    }
    return unnamed;
}

// Steps of the Tab cycle that go up a row or left within one; the wrap from
// the last stop to the first is one of them.
QStringList BackwardSteps(QWidget* window) {
    std::vector<QWidget*> stops;
    for (QWidget* w = window->nextInFocusChain(); w != window; w = w->nextInFocusChain()) {
        if (w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus) &&
            !w->focusProxy()) {
            stops.push_back(w);
        }
    }
    const auto box = [window](QWidget* w) { return QRect(w->mapTo(window, QPoint()), w->size()); };
    QStringList back;
    for (size_t i = 0; i < stops.size(); ++i) {
        QWidget* next = stops[(i + 1) % stops.size()];
        const QRect a = box(stops[i]);
        const QRect b = box(next);
        const bool sameRow = b.top() < a.bottom() && a.top() < b.bottom();
        if (b.bottom() < a.top() || (sameRow && b.left() < a.left())) {
            back << stops[i]->objectName() + " -> " + next->objectName();
        }
    }
    return back;
}

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
    for (const auto& [name, open] : windows) {
        std::unique_ptr<QWidget> window(open());
        window->show();
        EXPECT_EQ(
            Unnamed(QAccessible::queryAccessibleInterface(window.get())).join(' ').toStdString(),
            "")
            << name;
        const QStringList back = BackwardSteps(window.get());
        EXPECT_LE(back.size(), 1) << name << ": " << back.join(", ").toStdString();
    }
}

}  // namespace
