#include "FileSteps.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>

namespace HostCall {

namespace {

QString ClassName(const QWidget* widget) {
    return QLatin1String(widget->metaObject()->className());
}

}  // namespace

TPageStep ChooseFile(const QString& path, const QString& nameFilter) {
    TPageStep step;
    step.kind = TPageStep::Custom;
    step.name = QStringLiteral("file ") + path;
    step.action = [path, nameFilter](QWidget* target, QString& error) {
        auto* dialog = qobject_cast<QFileDialog*>(target);
        if (dialog == nullptr) {
            error = QStringLiteral("a file dialog was expected, not ") + ClassName(target);
            return false;
        }
        // A script asked for this file: it is written over without asking.
        dialog->setOption(QFileDialog::DontConfirmOverwrite);
        if (!nameFilter.isEmpty()) {
            // A type the dialog does not offer would leave its default in place unnoticed.
            if (!dialog->nameFilters().contains(nameFilter)) {
                error = QStringLiteral("the file dialog offers no type ") + nameFilter;
                return false;
            }
            dialog->selectNameFilter(nameFilter);
        }
        dialog->selectFile(QFileInfo(path).absoluteFilePath());
        // accept() is the dialog's own slot, as its open button calls it.
        if (!QMetaObject::invokeMethod(dialog, "accept")) {
            error = QStringLiteral("the file dialog did not take ") + path;
            return false;
        }
        return true;
    };
    return step;
}

TPageStep WorkPreview(bool dryRun, std::function<void(const QString&)> print) {
    TPageStep step;
    step.kind = TPageStep::Custom;
    step.name = dryRun ? QStringLiteral("preview, cancel") : QStringLiteral("preview, import");
    step.action = [dryRun, print](QWidget* target, QString& error) {
        auto* list = target->findChild<QAbstractItemView*>(QStringLiteral("vstPreview"));
        auto* import = target->findChild<QAbstractButton*>(QStringLiteral("sBtnImport"));
        auto* cancel = target->findChild<QAbstractButton*>(QStringLiteral("sBtnClose"));
        if (list == nullptr || import == nullptr || cancel == nullptr) {
            error = QStringLiteral("the import preview was expected, not ") + ClassName(target);
            return false;
        }
        const QAbstractItemModel* model = list->model();
        for (int row = 0; row < model->rowCount(); ++row) {
            QStringList cells;
            for (int column = 0; column < model->columnCount(); ++column) {
                cells << model->index(row, column).data().toString();
            }
            print(QStringLiteral("preview: ") + cells.join(QLatin1Char('|')));
        }
        if (dryRun || !import->isEnabled()) {
            cancel->click();
        } else {
            import->click();
        }
        return true;
    };
    return step;
}

TPageStep PrintHistory(std::function<void(const QString&)> print) {
    TPageStep step;
    step.kind = TPageStep::Custom;
    step.name = QStringLiteral("history");
    step.action = [print](QWidget* target, QString& error) {
        auto* list = target->findChild<QAbstractItemView*>(QStringLiteral("tvHistory"));
        if (list == nullptr || !list->isVisibleTo(target)) {
            error = QStringLiteral("the list of changes was expected, not ") + ClassName(target);
            return false;
        }
        QAbstractItemModel* model = list->model();
        while (model->canFetchMore(QModelIndex())) {
            model->fetchMore(QModelIndex());
        }
        QStringList captions;
        for (int column = 0; column < model->columnCount(); ++column) {
            captions << model->headerData(column, Qt::Horizontal).toString();
        }
        print(QStringLiteral("history: ") + captions.join(QLatin1Char('|')));
        for (int row = 0; row < model->rowCount(); ++row) {
            QStringList cells;
            for (int column = 0; column < model->columnCount(); ++column) {
                cells << model->index(row, column).data().toString();
            }
            print(QStringLiteral("history: ") + cells.join(QLatin1Char('|')));
        }
        return true;
    };
    return step;
}

}  // namespace HostCall
