// The host container module pages are docked into. A module docks a page by
// adding it to the container's layout; here that layout is a stack: the page
// added last covers everything below it (the home widget at the bottom, for
// example a welcome text), and when a page goes away (closed pages delete
// themselves) the one below it comes back.
#pragma once

#include <QWidget>

class QStackedLayout;

class PageStack : public QWidget {
    Q_OBJECT

  public:
    // home (may be null) lies at the bottom and is shown when no page is.
    explicit PageStack(QWidget* home, QWidget* parent = nullptr);

    QWidget* Home() const { return home_; }
    // The page on top; null when only the home widget (or nothing) shows.
    QWidget* CurrentPage() const;
    // Pages above the home widget.
    int PageCount() const;
    // Moves a page that is already in the stack to the top.
    void Raise(QWidget* page);

  signals:
    // The widget on top changed: a page was docked, closed or raised.
    void CurrentChanged(QWidget* current);

  private:
    QStackedLayout* layout_;
    QWidget* home_;
};
