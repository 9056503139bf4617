// A walk through the host without an operator: log in through the selection
// dialog, then open what the menus offer, with a screenshot of every window.
#pragma once

#include <QString>
#include <QStringList>

class MainFrame;
class QWidget;

class DemoTour {
  public:
    DemoTour(MainFrame& frame, const QString& folder);

    // True when every step worked and every screenshot was written.
    bool Run();
    const QStringList& Screenshots() const { return screenshots_; }

  private:
    bool Save(QWidget* window, const QString& name);

    MainFrame& frame_;
    QString folder_;
    QStringList screenshots_;
    bool ok_ = true;
};
