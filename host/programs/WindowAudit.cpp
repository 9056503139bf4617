#include "WindowAudit.h"

#include <QAccessible>
#include <QGroupBox>
#include <QLabel>
#include <QWidget>

#include <vector>

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

void CollectUnnamed(QAccessibleInterface* node, QStringList& unnamed) {
    auto* widget = qobject_cast<QWidget*>(node->object());
    if (widget == nullptr || node->state().invisible) {
        return;  // list cells and tabs speak their own text
    }
    const QString name = node->text(QAccessible::Name).trimmed();
    const auto* group = qobject_cast<QGroupBox*>(widget->parentWidget());
    const bool combo = node->role() == QAccessible::ComboBox;
    // A widget with a focus proxy hands the focus on and is never focused.
    if (node->state().focusable && widget->focusProxy() == nullptr &&
        (name.isEmpty() || (group != nullptr && name == group->title()) ||
         (combo && widget->accessibleName().isEmpty() && !HasLabel(node)))) {
        unnamed << widget->objectName();
    }
    for (int i = 0; i < node->childCount(); ++i) {
        CollectUnnamed(node->child(i), unnamed);
    }
}

}  // namespace

namespace WindowAudit {

QStringList UnnamedControls(QWidget* window) {
    QStringList unnamed;
    if (QAccessibleInterface* root = QAccessible::queryAccessibleInterface(window)) {
        CollectUnnamed(root, unnamed);
    }
    return unnamed;
}

QStringList BackwardTabSteps(QWidget* window) {
    std::vector<QWidget*> stops;
    for (QWidget* w = window->nextInFocusChain(); w != window; w = w->nextInFocusChain()) {
        if (window->isAncestorOf(w) && w->isVisible() && w->isEnabled() &&
            (w->focusPolicy() & Qt::TabFocus) != 0 && w->focusProxy() == nullptr) {
            stops.push_back(w);
        }
    }
    const auto box = [window](QWidget* w) { return QRect(w->mapTo(window, QPoint()), w->size()); };
    QStringList back;
    for (std::size_t i = 0; i < stops.size(); ++i) {
        QWidget* next = stops[(i + 1) % stops.size()];
        const QRect a = box(stops[i]);
        const QRect b = box(next);
        // Two controls whose heights overlap stand in one row.
        const bool sameRow = b.top() < a.bottom() && a.top() < b.bottom();
        if (b.bottom() < a.top() || (sameRow && b.left() < a.left())) {
            back << stops[i]->objectName() + QStringLiteral(" -> ") + next->objectName();
        }
    }
    return back;
}

QStringList Findings(QWidget* window) {
    QStringList findings;
    const QStringList unnamed = UnnamedControls(window);
    if (!unnamed.isEmpty()) {
        findings << QStringLiteral("no accessible name: ") + unnamed.join(QLatin1Char(' '));
    }
    const QStringList back = BackwardTabSteps(window);
    if (back.size() > 1) {
        findings << QStringLiteral("Tab against the reading order: ") +
                        back.join(QStringLiteral(", "));
    }
    return findings;
}

}  // namespace WindowAudit
