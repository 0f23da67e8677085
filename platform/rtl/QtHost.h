#pragma once
// The Qt application object behind fonts, painting, widgets and SQL drivers.

namespace qor {

// Creates the process's Qt application object on first use (a widgets application).
// With no display (neither DISPLAY nor WAYLAND_DISPLAY set) and no QT_QPA_PLATFORM chosen,
// the offscreen platform is used, so everything but showing windows works headless.
// Must be called from the thread that runs the GUI. Safe to call any number of times.
// Qt's own messages (warnings about the environment and the like) are kept off the terminal from
// then on, unless QtMessagesShown().
// Never from static initialisation: objects that need Qt (fonts, forms, hidden helper windows)
// are made on first use, once main has begun.
void EnsureQtApplication();

// True when the environment variable QORDEBUG is "YES" (any case): Qt's messages then go to stderr.
bool QtMessagesShown();

// True once a Qt application object exists.
bool QtApplicationExists();

// True when windows can really be shown (a display platform, not offscreen or minimal).
bool QtCanShowWindows();

} // namespace qor
