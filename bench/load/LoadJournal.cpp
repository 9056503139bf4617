#include "LoadJournal.h"

#include <algorithm>
#include <iterator>

#include "HostServices.h"
#include "SqlQuery.h"

namespace LoadJournal {

namespace {

constexpr int kFields = 8;

struct TCell {
    const char* action;
    const char* table;
    const char* column;
};
// The one column each writing action leaves a value of its own in. The page
// and the basic write-back both write the e-mail, so they share a cell.
constexpr TCell kCells[] = {
    {"info", "XT_QYXX", "EMAIL"},
    {"basic", "XT_QYXX", "EMAIL"},
    {"local", "XT_QYDSXX", "KJYWRBM"},
    {"state", "XT_QYGSXX", "NSRSBH"},
};

const TCell* CellOf(const QString& action) {
    for (const TCell& cell : kCells) {
        if (action == QLatin1String(cell.action)) {
            return &cell;
        }
    }
    return nullptr;
}

QString Describe(const TEntry& e) {
    return QStringLiteral("desk %1 %2 %3 %4 %5")
        .arg(e.desk)
        .arg(e.action, e.outcome, e.companyId, e.value);
}

}  // namespace

QString Format(const TEntry& e) {
    QString message = e.message;
    message.replace(QLatin1Char('\t'), QLatin1Char(' '))
        .replace(QLatin1Char('\n'), QLatin1Char(' '));
    return QStringList{QString::number(e.desk),
                       QString::number(e.startUs),
                       QString::number(e.endUs),
                       e.action,
                       e.outcome,
                       e.companyId,
                       e.value,
                       message}
        .join(QLatin1Char('\t'));
}

bool Parse(const QString& line, TEntry& e) {
    const QStringList f = line.split(QLatin1Char('\t'));
    bool deskOk = false, startOk = false, endOk = false;
    if (f.size() != kFields) {
        return false;
    }
    e.desk = f[0].toInt(&deskOk);
    e.startUs = f[1].toLongLong(&startOk);
    e.endUs = f[2].toLongLong(&endOk);
    e.action = f[3];
    e.outcome = f[4];
    e.companyId = f[5];
    e.value = f[6];
    e.message = f[7];
    return deskOk && startOk && endOk && !e.action.isEmpty() && !e.outcome.isEmpty();
}

bool IsSuccess(const TEntry& e) {
    return e.outcome == QLatin1String("ok") || e.outcome == QLatin1String("stored") ||
           e.outcome == QLatin1String("doubt-stored");
}

bool IsUnknown(const TEntry& e) {
    return e.outcome == QLatin1String("unknown");
}

bool InDoubt(const TEntry& e) {
    return IsUnknown(e) || e.outcome.startsWith(QLatin1String("doubt-"));
}

bool IsConflict(const TEntry& e) {
    return e.outcome == QLatin1String("conflict") || e.outcome == QLatin1String("duplicate") ||
           e.outcome == QLatin1String("gone");
}

QString CellKey(const QString& action, const QString& companyId) {
    const TCell* cell = CellOf(action);
    return cell == nullptr
               ? QString()
               : QStringLiteral("%1.%2#%3")
                     .arg(QLatin1String(cell->table), QLatin1String(cell->column), companyId);
}

bool ReadDatabase(TDatabase& database, QString& errorText) {
    database = TDatabase();
    const bool companies = SqlQuery::ReadRows(
        "read the companies", QStringLiteral("select QYID, QYSBH, EMAIL from XT_QYXX"),
        [&](TADOQuery& rows) {
            for (; !rows.Eof(); rows.Next()) {
                const QString id = rows.FieldAsString(0);
                const QString taxId = rows.FieldAsString(1);
                ++database.taxIdRows[taxId];
                database.companies[id] = taxId;
                database.cells[CellKey(QStringLiteral("info"), id)] = rows.FieldAsString(2);
            }
        });
    const auto readTax = [&](const char* action, std::set<QString>& ids) {
        const TCell* cell = CellOf(QLatin1String(action));
        return SqlQuery::ReadRows("read the tax rows",
                                  QStringLiteral("select QYID, %1 from %2")
                                      .arg(QLatin1String(cell->column), QLatin1String(cell->table)),
                                  [&](TADOQuery& rows) {
                                      for (; !rows.Eof(); rows.Next()) {
                                          const QString id = rows.FieldAsString(0);
                                          ids.insert(id);
                                          database.cells[CellKey(QLatin1String(action), id)] =
                                              rows.FieldAsString(1);
                                      }
                                  });
    };
    if (!companies || !readTax("local", database.localRows) ||
        !readTax("state", database.stateRows)) {
        errorText = QStringLiteral("the database could not be read; see the host's log");
        return false;
    }
    return true;
}

QStringList Check(const std::vector<TEntry>& entries, const TDatabase& db,
                  const std::vector<TListing>& listings) {
    QStringList faults;
    std::map<QString, const TEntry*> deleted;              // QYID -> its stored delete
    std::map<QString, std::vector<const TEntry*>> writes;  // cell -> every write
    std::map<QString, int> storedAdds;                     // taxpayer id -> adds told stored
    std::map<QString, int> unknownAdds;                    // taxpayer id -> adds that may be there
    std::set<QString> maybeDeleted;  // QYID of deletes nobody knows the outcome of
    std::set<QString> journalTaxIds;
    TListing maybeListed;  // taxpayer ids a list may show or not
    for (const TEntry& e : entries) {
        if (e.outcome == QLatin1String("incomplete")) {
            faults << QStringLiteral("%1: a company the desk had stored was not listed")
                          .arg(Describe(e));
        } else if (e.action == QLatin1String("delete") && IsSuccess(e)) {
            deleted[e.companyId] = &e;
        } else if (e.action == QLatin1String("delete") && IsUnknown(e)) {
            maybeDeleted.insert(e.companyId);
        } else if (CellOf(e.action) != nullptr) {
            writes[CellKey(e.action, e.companyId)].push_back(&e);
        } else if (e.action == QLatin1String("add")) {
            journalTaxIds.insert(e.value);
            storedAdds[e.value] += IsSuccess(e) ? 1 : 0;
            if (IsUnknown(e)) {
                ++unknownAdds[e.value];
                maybeListed.insert(e.value);
            }
        }
    }

    TListing expected;
    for (const TEntry& e : entries) {
        if (e.action != QLatin1String("add") || !IsSuccess(e)) {
            continue;
        }
        const auto row = db.companies.find(e.companyId);
        if (maybeDeleted.count(e.companyId) != 0) {
            --storedAdds[e.value];
            ++unknownAdds[e.value];
            maybeListed.insert(e.value);
        } else if (deleted.count(e.companyId) != 0) {
            --storedAdds[e.value];
            if (row != db.companies.end() || db.localRows.count(e.companyId) != 0 ||
                db.stateRows.count(e.companyId) != 0) {
                faults << QStringLiteral("%1: deleted, but rows of it are still there")
                              .arg(Describe(e));
            }
        } else if (row == db.companies.end() || row->second != e.value) {
            faults << QStringLiteral("%1: stored, but no such row").arg(Describe(e));
        } else {
            expected.insert(e.value);
        }
    }
    for (const QString& taxId : journalTaxIds) {
        const auto rows = db.taxIdRows.find(taxId);
        const int held = rows == db.taxIdRows.end() ? 0 : rows->second;
        if (held < storedAdds[taxId] || held > storedAdds[taxId] + unknownAdds[taxId]) {
            faults << QStringLiteral("taxpayer id %1: %2 rows, but the desks were told %3")
                              .arg(taxId)
                              .arg(held)
                              .arg(storedAdds[taxId]) +
                          (unknownAdds[taxId] > 0
                               ? QStringLiteral(" and %1 more unknown").arg(unknownAdds[taxId])
                               : QString());
        }
    }
    for (const auto& [taxId, rows] : db.taxIdRows) {
        if (journalTaxIds.count(taxId) == 0) {
            faults << QStringLiteral("taxpayer id %1: %2 rows no desk added").arg(taxId).arg(rows);
        }
    }
    for (const std::set<QString>* rows : {&db.localRows, &db.stateRows}) {
        for (const QString& id : *rows) {
            if (db.companies.count(id) == 0) {
                faults << QStringLiteral("company %1: a tax row without its company").arg(id);
            }
        }
    }

    for (const auto& [key, list] : writes) {
        const QString& id = list.front()->companyId;
        if (maybeDeleted.count(id) != 0) {
            continue;
        }
        const auto gone = deleted.find(id);
        std::vector<const TEntry*> stored, maybe;
        for (const TEntry* w : list) {
            if (IsUnknown(*w)) {
                maybe.push_back(w);
            }
            if (!IsSuccess(*w)) {
                continue;
            }
            if (gone != deleted.end() && w->startUs > gone->second->endUs) {
                faults
                    << QStringLiteral("%1: stored after the company was deleted").arg(Describe(*w));
            }
            stored.push_back(w);
        }
        if (gone != deleted.end()) {
            continue;
        }
        const auto cell = db.cells.find(key);
        if (cell == db.cells.end()) {
            if (!stored.empty()) {
                faults << QStringLiteral("%1: stored, but the row is missing")
                              .arg(Describe(*stored.back()));
            }
            continue;
        }
        // The value left is one no stored write began after; a write nobody
        // knows the outcome of may be it.
        const auto last = [&](const TEntry* w) {
            return w->value == cell->second &&
                   std::none_of(stored.begin(), stored.end(),
                                [&](const TEntry* later) { return later->startUs > w->endUs; });
        };
        const bool fromLast = std::any_of(stored.begin(), stored.end(), last) ||
                              std::any_of(maybe.begin(), maybe.end(), last);
        const bool toldNotStored = std::any_of(list.begin(), list.end(), [&](const TEntry* w) {
            return !IsSuccess(*w) && !IsUnknown(*w) && w->value == cell->second;
        });
        if (toldNotStored) {
            faults << QStringLiteral("%1: holds %2, which a desk was told was not stored")
                          .arg(key, cell->second);
        } else if (!stored.empty() && !fromLast) {
            faults
                << QStringLiteral("%1: holds %2, not the last value stored").arg(key, cell->second);
        }
    }

    for (std::size_t desk = 0; desk < listings.size(); ++desk) {
        TListing beyond;
        std::set_difference(listings[desk].begin(), listings[desk].end(), maybeListed.begin(),
                            maybeListed.end(), std::inserter(beyond, beyond.end()));
        TListing within;
        std::set_difference(expected.begin(), expected.end(), maybeListed.begin(),
                            maybeListed.end(), std::inserter(within, within.end()));
        if (beyond != within) {
            faults << QStringLiteral(
                          "desk %1 lists %2 companies, the desks stored %3 that are left")
                          .arg(desk)
                          .arg(listings[desk].size())
                          .arg(expected.size());
        }
    }
    return faults;
}

}  // namespace LoadJournal
