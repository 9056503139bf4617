#include "IncSearchTreeView.h"

#include <QApplication>

namespace {

bool RowStartsWith(const QAbstractItemModel& model, int row, const QString& text) {
    for (int column = 0; column < model.columnCount(); ++column) {
        if (model.index(row, column).data().toString().startsWith(text, Qt::CaseInsensitive)) {
            return true;
        }
    }
    return false;
}

}  // namespace

TIncSearchTreeView::TIncSearchTreeView(QWidget* parent) : QTreeView(parent) {}

void TIncSearchTreeView::keyboardSearch(const QString& search) {
    const QAbstractItemModel* source = model();
    if (source == nullptr || search.isEmpty()) {
        return;
    }
    const int rows = source->rowCount();
    if (rows == 0) {
        return;
    }
    const bool goOn = typed_.isValid() && typed_.elapsed() <= QApplication::keyboardInputInterval();
    searchText_ = goOn ? searchText_ + search : search;
    typed_.start();

    const QModelIndex current = currentIndex();
    const int first = current.isValid() ? current.row() : 0;
    for (int i = 0; i < rows; ++i) {
        const int row = (first + i) % rows;
        if (RowStartsWith(*source, row, searchText_)) {
            setCurrentIndex(source->index(row, 0));
            return;
        }
    }
}
