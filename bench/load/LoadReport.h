// The figures of a load run, drawn from the desks' journals.
#pragma once

#include <QString>

#include <vector>

#include "LoadJournal.h"

namespace LoadReport {

// Markdown: operations per second, p50 and p99 of every action, and the
// errors and conflicts by kind.
QString Figures(const std::vector<LoadJournal::TEntry>& entries);

}  // namespace LoadReport
