#include "platform/rtl/QtHost.h"

#include <QApplication>
#include <QGuiApplication>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>
#include <strings.h>

namespace qor {

namespace {

int g_argc = 1;
char g_arg0[] = "qor";
char* g_argv[] = {g_arg0, nullptr};

bool g_qtMessagesShown = false;

// Qt's own diagnostics are for whoever debugs the platform, not for the user of a program: they
// reach stderr only when QORDEBUG is "YES". A fatal message is always shown, since Qt ends the
// process after it.
void QtMessage(QtMsgType Type, const QMessageLogContext&, const QString& Message)
{
    if (!g_qtMessagesShown && Type != QtFatalMsg)
        return;
    std::fprintf(stderr, "Qt: %s\n", Message.toLocal8Bit().constData());
    std::fflush(stderr);
}

} // namespace

bool QtMessagesShown()
{
    const char* debug = std::getenv("QORDEBUG");
    return debug && strcasecmp(debug, "YES") == 0;
}

void EnsureQtApplication()
{
    if (QCoreApplication::instance())
        return;
    g_qtMessagesShown = QtMessagesShown();
    qInstallMessageHandler(QtMessage);
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    const bool hasDisplay = std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY");
    if ((!platform || !*platform) && !hasDisplay)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    new QApplication(g_argc, g_argv); // lives for the rest of the process
}

bool QtApplicationExists() { return QCoreApplication::instance() != nullptr; }

bool QtCanShowWindows()
{
    EnsureQtApplication();
    const QString name = QGuiApplication::platformName();
    return name != QLatin1String("offscreen") && name != QLatin1String("minimal");
}

} // namespace qor
