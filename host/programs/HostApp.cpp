#include "HostApp.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <cstdio>

namespace HostApp {

namespace {

// Seen on every run and harmless here:
// - "QStandardPaths: XDG_RUNTIME_DIR not set, ...": run as root or without a
//   login session there is no runtime folder; Qt picks one under /tmp and
//   these programs keep nothing there.
// - "This plugin does not support propagateSizeHints()": the offscreen
//   platform has no window manager to pass size limits to; windows are still
//   laid out and drawn at their sizes.
// - "This plugin does not support raise()" (and "lower()"): pages tell the
//   host their window handle, which makes them native child windows, and the
//   offscreen platform cannot stack those; the page stack shows only the top
//   page anyway and hides the others.
constexpr const char* kHarmlessWarnings[] = {
    "QStandardPaths: XDG_RUNTIME_DIR not set",
    "This plugin does not support propagateSizeHints()",
    "This plugin does not support raise()",
    "This plugin does not support lower()",
};

// The file dialog's type column, which Qt's Chinese catalogue does not have.
class QtTextsMissingInCatalogue : public QTranslator {
  public:
    using QTranslator::QTranslator;
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* sourceText, const char* /*disambiguation*/,
                      int /*n*/) const override {
        if (qstrcmp(context, "QAbstractFileIconProvider") != 0) {
            return QString();
        }
        if (qstrcmp(sourceText, "Folder") == 0) {
            return QStringLiteral("文件夹");
        }
        return qstrcmp(sourceText, "Drive") == 0 ? QStringLiteral("驱动器") : QString();
    }
};

QtMessageHandler previousHandler = nullptr;

void FilterMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtWarningMsg) {
        for (const char* harmless : kHarmlessWarnings) {
            if (message.startsWith(QLatin1String(harmless))) {
                return;
            }
        }
    }
    if (previousHandler != nullptr) {
        previousHandler(type, context, message);
    } else {
        std::fprintf(stderr, "%s\n",
                     qFormatLogMessage(type, context, message).toLocal8Bit().constData());
    }
}

}  // namespace

QStringList Arguments(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    return arguments;
}

void UseOffscreenWithoutDisplay() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
}

void UseOffscreen() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
}

void QuietKnownQtWarnings() {
    QtMessageHandler previous = qInstallMessageHandler(FilterMessage);
    if (previous != FilterMessage) {
        previousHandler = previous;
    }
}

void UseChineseLocale() {
    qputenv("LANG", "zh_CN.UTF-8");
}

QTranslator* LoadQtTranslations(QObject* owner) {
    auto* translator = new QTranslator(owner);
    if (!translator->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                          QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return nullptr;
    }
    // Goes with the catalogue, and away with it.
    QCoreApplication::installTranslator(new QtTextsMissingInCatalogue(translator));
    return translator;
}

}  // namespace HostApp
