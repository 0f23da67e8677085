#include "platform/graphics/Screen.h"

#include "platform/graphics/Gdi.h"
#include "platform/rtl/QtHost.h"
#include "platform/rtl/StringList.h"

#include <QGuiApplication>
#include <QScreen>

#include <atomic>
#include <cstdlib>

namespace qor {

namespace {

Integer InitialPpi()
{
    if (const char* v = std::getenv("QOR_SCREEN_PPI")) {
        char* end = nullptr;
        long n = std::strtol(v, &end, 10);
        if (end != v && *end == 0 && n >= 24 && n <= 2400)
            return Integer(n);
    }
    return 96;
}

std::atomic<Integer>& Ppi()
{
    static std::atomic<Integer> ppi{InitialPpi()};
    return ppi;
}

} // namespace

Integer ScreenPixelsPerInch() { return Ppi().load(); }

void SetScreenPixelsPerInch(Integer Value)
{
    if (Value > 0)
        Ppi().store(Value);
}

TSize ScreenSizeInPixels()
{
    if (QtApplicationExists() && QtCanShowWindows())
        if (QScreen* s = QGuiApplication::primaryScreen()) {
            QSize sz = s->size();
            if (sz.width() > 0 && sz.height() > 0)
                return {sz.width(), sz.height()};
        }
    return {1920, 1080};
}

TScreen::TScreen(TComponent* AOwner) : TComponent(AOwner) {}

TScreen::~TScreen() = default;

TStrings* TScreen::Fonts()
{
    if (!FFonts) {
        FFonts = std::make_unique<TStringList>();
        for (const String& f : GetFontFamilies())
            FFonts->Add(f);
    }
    return FFonts.get();
}

TScreen* Screen()
{
    static TScreen* screen = new TScreen(nullptr); // lives for the process
    return screen;
}

QOR_PUBLISH(TScreen) {}

} // namespace qor
