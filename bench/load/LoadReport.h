// The figures of a load run, drawn from the desks' journals.
#pragma once

#include <QString>

#include <vector>

#include "LoadJournal.h"

namespace LoadReport {

// Markdown: operations per second, p50 and p99 of every action, and the
// errors and conflicts by kind.
QString Figures(const std::vector<LoadJournal::TEntry>& entries);

// Markdown on a fail-over at stopUs (wall clock): the time from it to each
// desk's first success begun after it (p50, p99, slowest), and what the
// desks were told in between.
QString FailOver(const std::vector<LoadJournal::TEntry>& entries, qint64 stopUs);

}  // namespace LoadReport
