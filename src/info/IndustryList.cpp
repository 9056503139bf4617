#include "IndustryList.h"

#include <QComboBox>

#include "HostServices.h"
#include "f_CommonUnit.h"

namespace {

// Marks an entry that carries the stored code and name rather than its text.
constexpr int kStoredIndustryRole = Qt::UserRole + 1;

QString CodeOf(const QString& entry) {
    const qsizetype bar = entry.indexOf(QLatin1Char('|'));
    return bar < 0 ? QString() : entry.left(bar);
}

}  // namespace

void FillIndustries(QComboBox* list, const QString& storedCode, const QString& storedName) {
    list->clear();
    QStringList lines;
    QString errorText;
    if (!ModuleLib::ReadDataFileLines(EnsureTrailingBackslash(ModuleLib::GetAppPath()) +
                                          QStringLiteral("AppComs/Dmzd/hy.txt"),
                                      lines, errorText)) {
        logQuery::Warn(QStringLiteral("1"), QStringLiteral("行业代码：") + errorText);
    }
    list->addItems(lines);
    int match = -1;
    for (int i = 0; i < list->count() && !storedCode.isEmpty(); ++i) {
        // The whole code before "|": "01" is not "1101".
        if (CodeOf(list->itemText(i)) == storedCode) {
            match = i;
            break;
        }
    }
    if (match < 0) {
        const bool none = storedCode.isEmpty() && storedName.isEmpty();
        list->insertItem(
            0, none ? QString()
                    : (storedName.isEmpty() ? storedCode
                                            : storedCode + QLatin1Char('|') + storedName));
        match = 0;
    }
    // Kept as stored until the operator picks another entry.
    list->setItemData(match, QStringList{storedCode, storedName}, kStoredIndustryRole);
    list->setCurrentIndex(match);
}

void SelectedIndustry(const QComboBox* list, QString& code, QString& name) {
    code.clear();
    name.clear();
    const int index = list->currentIndex();
    if (index < 0) {
        return;
    }
    const QStringList stored = list->itemData(index, kStoredIndustryRole).toStringList();
    if (stored.size() == 2) {
        code = stored[0];
        name = stored[1];
        return;
    }
    const QString entry = list->itemText(index);
    const qsizetype bar = entry.indexOf(QLatin1Char('|'));
    if (bar < 0) {
        name = entry;
    } else {
        code = entry.left(bar);
        name = entry.mid(bar + 1);
    }
}
