// The operator's most recently chosen companies, most recent first, kept in
// his own settings through the host so a real host may store them anywhere.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace RecentCompanies {

inline constexpr int kMaxCount = 10;

// Whether a stored id is still one the operator may choose. Asked of at most
// kMaxCount ids, so a caller need not gather every company's id.
using IsVisible = std::function<bool(const QString& id)>;

// The stored text "12,7,3" as ids; blanks, non-numbers and repeats dropped,
// at most kMaxCount kept.
QStringList Parse(const QString& text);
// list with id put first (moved when already there), cut to kMaxCount, and
// without the ids that are not visible (companies gone or no longer the
// operator's). An id that is not a number leaves the list as it was.
QStringList Update(const QStringList& list, const QString& id, const IsVisible& visible);

// The host keeps the settings of the operator it has logged in. A window
// working for another operator (operatorCode given and different) neither
// reads nor writes them, so one operator's list never lands in another's.
// The operator's stored list; empty when the host holds none.
QStringList Read(const QString& operatorCode = QString());
// Stores the choice of id among the visible companies; false when the host
// could not write it or the settings are not the operator's.
bool Remember(const QString& id, const IsVisible& visible, const QString& operatorCode = QString());

// A choice made in a dialog counts only once it has taken effect: the host
// may not take it (a switch is given up when a page keeps its edits). Propose
// keeps the choice, with the ids visible decides against now; Confirm, called
// when the host loads a company, stores the kept choice if it is that company
// and drops it either way. False when the store failed.
void Propose(const QString& id, const IsVisible& visible, const QString& operatorCode);
bool Confirm(const QString& loadedId);

}  // namespace RecentCompanies
