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
// Widgets go to the offscreen platform unless QT_QPA_PLATFORM names another,
// for programs that never show a window to a person.
void UseOffscreen();

// Drops the Qt warnings known to be harmless for these programs; everything
// else is printed as before. Call first thing in main.
void QuietKnownQtWarnings();

// The host speaks Chinese whatever the desktop's language: Qt's own dialogs
// write dates, sizes and file types in the language the environment names.
// A category the operator set on purpose (LC_ALL, LC_TIME, ...) keeps his
// choice. Call before the QApplication is made.
void UseChineseLocale();

// Qt's own texts (standard buttons of message boxes and dialogs, the file
// dialog's) in Chinese.
// The translator belongs to owner; null when the translations are not installed.
QTranslator* LoadQtTranslations(QObject* owner);

}  // namespace HostApp
