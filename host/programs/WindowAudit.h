// What a screen reader and the Tab key meet in a window: the focusable
// controls a screen reader cannot name, and the Tab steps that go against
// the reading order (row by row, left to right).
#pragma once

#include <QStringList>

class QWidget;

namespace WindowAudit {

// The object names of the visible controls that take the focus and have no
// name a screen reader reads: none at all, only the title of their group
// (Qt's fallback, which says nothing of the field), or, for a combo box whose
// name is its value, neither a label nor a name of its own.
QStringList UnnamedControls(QWidget* window);
// "a -> b" for each step of the Tab cycle that goes up a row or left within
// one; the wrap from the last stop to the first is one of them.
QStringList BackwardTabSteps(QWidget* window);
// Both, as lines of a report: empty when the window passes (one backward
// step, the wrap, is allowed).
QStringList Findings(QWidget* window);

}  // namespace WindowAudit
