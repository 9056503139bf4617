// A list view whose typing search looks at every column: the typed text is
// matched against the start of each cell of a row (case ignored), from the
// focused row on, wrapping round; the first match becomes the focused row.
// Typing within the keyboard interval extends the text.
#pragma once

#include <QElapsedTimer>
#include <QTreeView>

class TIncSearchTreeView : public QTreeView {
    Q_OBJECT

  public:
    explicit TIncSearchTreeView(QWidget* parent = nullptr);

    void keyboardSearch(const QString& search) override;

  private:
    QString searchText_;
    QElapsedTimer typed_;
};
