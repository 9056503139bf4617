// The module's entry points timed as a host calls them, through the exported
// symbols, each next to a floor that runs the very statements they sent.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <string>
#include <vector>

#include "BenchCase.h"

namespace EntryPoints {

// Runs recorded statements through the engine's own library, keeping what
// they return; the count run, or -1 with the reason.
using Replay = std::function<long long(const QStringList& statements, QString& errorText)>;

// Runs call with the statements it sends kept, which are then the floor's:
// their count, or -1 when call failed.
long long Recorded(QStringList& statements, const std::function<bool()>& call);

// The import's case, held to 5 s at 100,000 rows.
std::string ImportCaseName(long long rows);

std::vector<TCase> Cases(const Replay& replay, long long rows);

}  // namespace EntryPoints
