#include "platform/ui/Clipboard.h"

#include "platform/rtl/QtHost.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace qor {

namespace {
bool UseSystem() { return QtApplicationExists() && QtCanShowWindows(); }
} // namespace

String TClipboard::AsText() const
{
    if (UseSystem())
        return QGuiApplication::clipboard()->text().toStdString();
    return FHasText ? FText : String();
}

void TClipboard::SetAsText(const String& Value)
{
    if (UseSystem()) {
        QGuiApplication::clipboard()->setText(QString::fromStdString(Value));
        return;
    }
    FText = Value;
    FHasText = true;
}

bool TClipboard::HasText() const
{
    if (UseSystem()) {
        const QMimeData* d = QGuiApplication::clipboard()->mimeData();
        return d && d->hasText();
    }
    return FHasText;
}

void TClipboard::Clear()
{
    if (UseSystem()) {
        QGuiApplication::clipboard()->clear();
        return;
    }
    FText.clear();
    FHasText = false;
}

TClipboard* Clipboard()
{
    static TClipboard c;
    return &c;
}

} // namespace qor
