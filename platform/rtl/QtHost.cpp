#include "platform/rtl/QtHost.h"

#include <QApplication>
#include <QGuiApplication>

#include <cstdlib>

namespace qor {

namespace {

int g_argc = 1;
char g_arg0[] = "qor";
char* g_argv[] = {g_arg0, nullptr};

} // namespace

void EnsureQtApplication()
{
    if (QCoreApplication::instance())
        return;
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
