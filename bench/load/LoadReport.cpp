#include "LoadReport.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <map>

namespace LoadReport {

namespace {

double Percentile(std::vector<double> sorted, double share) {
    std::sort(sorted.begin(), sorted.end());
    const auto rank =
        static_cast<std::size_t>(std::ceil(share * static_cast<double>(sorted.size())));
    return sorted[std::clamp<std::size_t>(rank, 1, sorted.size()) - 1];
}

QString Fixed(double value, int decimals) {
    return QString::number(value, 'f', decimals);
}

// Ids in messages, and the columns a conflict names, would make every
// failure a kind of its own.
QString Kind(const LoadJournal::TEntry& e) {
    static const QRegularExpression number(QStringLiteral("\\d{3,}"));
    QString message = e.message;
    message.replace(number, QStringLiteral("#"));
    if (e.outcome == QLatin1String("conflict")) {
        message = message.section(QChar(u'：'), 0, 0);
    }
    return e.action + QLatin1Char(' ') + e.outcome +
           (message.isEmpty()
                ? QString()
                : QStringLiteral(": ") + message.section(QChar(u'。'), 0, 0).left(60));
}

}  // namespace

QString Figures(const std::vector<LoadJournal::TEntry>& entries) {
    if (entries.empty()) {
        return QStringLiteral("No operation was journalled.\n");
    }
    qint64 first = entries.front().startUs, last = entries.front().endUs;
    std::map<QString, std::vector<double>> times;
    std::map<QString, int> errors, conflicts, doubts;
    for (const LoadJournal::TEntry& e : entries) {
        first = std::min(first, e.startUs);
        last = std::max(last, e.endUs);
        times[e.action].push_back(static_cast<double>(e.endUs - e.startUs) / 1000);
        if (LoadJournal::InDoubt(e)) {
            ++doubts[Kind(e)];
        } else if (LoadJournal::IsConflict(e)) {
            ++conflicts[Kind(e)];
        } else if (!LoadJournal::IsSuccess(e)) {
            ++errors[Kind(e)];
        }
    }
    const double seconds = std::max(static_cast<double>(last - first) / 1e6, 1e-3);
    QString text =
        QStringLiteral("%1 operations in %2 s: %3 operations per second.\n\n")
            .arg(entries.size())
            .arg(Fixed(seconds, 1), Fixed(static_cast<double>(entries.size()) / seconds, 1));
    text += QStringLiteral(
        "| action | operations | per second | p50 (ms) | p99 (ms) |\n|---|---:|---:|---:|---:|\n");
    for (const auto& [action, list] : times) {
        text += QStringLiteral("| %1 | %2 | %3 | %4 | %5 |\n")
                    .arg(action)
                    .arg(list.size())
                    .arg(Fixed(static_cast<double>(list.size()) / seconds, 1),
                         Fixed(Percentile(list, 0.5), 1), Fixed(Percentile(list, 0.99), 1));
    }
    const auto table = [&text](const char* title, const std::map<QString, int>& counts) {
        text += QStringLiteral("\n%1\n\n").arg(QLatin1String(title));
        if (counts.empty()) {
            text += QStringLiteral("None.\n");
            return;
        }
        text += QStringLiteral("| kind | count |\n|---|---:|\n");
        for (const auto& [kind, count] : counts) {
            text += QStringLiteral("| %1 | %2 |\n")
                        .arg(QString(kind).replace(QLatin1Char('|'), QLatin1Char('/')))
                        .arg(count);
        }
    };
    table("Errors by kind:", errors);
    table("Conflicts told truthfully to the operator (counted, no loss):", conflicts);
    table("Commits whose connection dropped during COMMIT, by what the host found:", doubts);
    return text;
}

QString FailOver(const std::vector<LoadJournal::TEntry>& entries, qint64 stopUs) {
    std::map<int, qint64> back;  // desk -> end of its first success begun after the stop
    for (const LoadJournal::TEntry& e : entries) {
        if (e.startUs >= stopUs && LoadJournal::IsSuccess(e) &&
            (back.count(e.desk) == 0 || e.endUs < back[e.desk])) {
            back[e.desk] = e.endUs;
        }
    }
    std::vector<double> seconds;
    qint64 allBack = stopUs;
    for (const auto& [desk, at] : back) {
        seconds.push_back(static_cast<double>(at - stopUs) / 1e6);
        allBack = std::max(allBack, at);
    }
    int failed = 0;
    for (const LoadJournal::TEntry& e : entries) {
        failed += e.endUs >= stopUs && e.startUs <= allBack && !LoadJournal::IsSuccess(e) &&
                          !LoadJournal::IsConflict(e)
                      ? 1
                      : 0;
    }
    if (seconds.empty()) {
        return QStringLiteral("\nNo desk succeeded after the fail-over.\n");
    }
    return QStringLiteral(
               "\nFail-over: from the primary's stop to each desk's first success begun "
               "after it, p50 %1 s, p99 %2 s, slowest %3 s (%4 desks back); %5 operations "
               "were told failed in between.\n")
        .arg(Fixed(Percentile(seconds, 0.5), 2), Fixed(Percentile(seconds, 0.99), 2),
             Fixed(*std::max_element(seconds.begin(), seconds.end()), 2))
        .arg(seconds.size())
        .arg(failed);
}

}  // namespace LoadReport
