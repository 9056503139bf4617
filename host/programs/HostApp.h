// What both host programs set up around their application object.
#pragma once

#include <QStringList>

class QObject;
class QTranslator;

namespace HostApp {

// The program's arguments as given, before an application object exists.
QStringList Arguments(int argc, char** argv);

// Without a display, widgets go to the offscreen platform instead of failing
// to start. Call before the QApplication is made.
void UseOffscreenWithoutDisplay();

// Drops the Qt warnings known to be harmless for these programs; everything
// else is printed as before. Call first thing in main.
void QuietKnownQtWarnings();

// Qt's own texts (standard buttons of message boxes and dialogs) in Chinese.
// The translator belongs to owner; null when the translations are not installed.
QTranslator* LoadQtTranslations(QObject* owner);

}  // namespace HostApp
