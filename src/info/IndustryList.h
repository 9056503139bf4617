// The industry drop-down of the information page and dialog.
#pragma once

#include <QString>

class QComboBox;

// The industry drop-down, filled from the host's industry file. The stored
// code selects the entry with exactly that code; an unknown or empty one is
// shown as an entry of its own, so nothing is chosen for the operator.
void FillIndustries(QComboBox* list, const QString& storedCode, const QString& storedName);
// The code and the name of the selected entry.
void SelectedIndustry(const QComboBox* list, QString& code, QString& name);
