// One desk of the load run: an operator's mix of lists, searches, the
// selection, the information page, adds, deletes and write-backs, against the
// database the host has open, for a given time. Every operation's outcome, as
// the module told it, goes to the desk's journal.
#pragma once

#include <QString>

#include "LoadJournal.h"

namespace LoadDesk {

// False when the journal cannot be written.
bool Run(int desk, int seconds, const QString& journalPath);

// The taxpayer ids the company manager lists; false when it could not.
bool List(LoadJournal::TListing& taxIds);

}  // namespace LoadDesk
