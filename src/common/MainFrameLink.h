// The host's main window as the module's windows reach it.
#pragma once

#include <QString>

class QWidget;

namespace MainFrameLink {

// The window the host names with GetMainFrameHandle; when it names none we
// know of, the top-level widget called "Tfrm_MainFrame" (object or class
// name). Null when there is neither, or no widget application.
QWidget* MainWindow();

// Sends a plain message to the main window. True when the main window took
// it; false when there is none or it ignored the message. Never throws.
bool Send(int code, qintptr wParam = 0, qintptr lParam = 0) noexcept;
// Sends a copy-data text message to the main window, with the module's
// application handle in wParam. Results as for Send.
bool SendText(int code, const QString& text) noexcept;

}  // namespace MainFrameLink
