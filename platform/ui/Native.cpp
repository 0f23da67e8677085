// The native widgets behind shown forms.
//
// A shown form is a top-level window holding its menu bar and a client widget; every control on
// it gets a widget of its own inside its parent's. Buttons, check and radio buttons, edits, memos,
// combo boxes and standard list boxes are Qt's widgets mirrored from the controls; everything else
// (panels, labels, paint boxes, grids, owner-drawn lists, custom controls) is a painted widget
// whose picture the control draws through our canvas on a raster context. What the user does
// comes back as the controls' own calls and messages (Click, SetText, WM_LBUTTONDOWN, ...).
#include "platform/ui/internal/NativeBridge.h"

#include "platform/graphics/Gdi.h"
#include "platform/graphics/Screen.h"
#include "platform/rtl/QtHost.h"
#include "platform/ui/Application.h"
#include "platform/ui/Buttons.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Menus.h"
#include "platform/ui/Render.h"
#include "platform/ui/StdCtrls.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QIcon>
#include <QEventLoop>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QMoveEvent>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTimer>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QVariant>
#include <QWheelEvent>
#include <QWidget>

#include <cstdlib>
#include <memory>
#include <utility>

namespace qor {

struct TNativeWidget {
    QPointer<QWidget> Widget; // the control's widget (a form's top-level window)
    QPointer<QWidget> Client; // where the children's widgets go (a form's client widget)
};

void NativeFree(TNativeWidget* W)
{
    if (!W)
        return;
    if (W->Widget)
        delete W->Widget.data();
    delete W;
}

namespace {

// Set while the widgets are being brought up to date, so their change signals do not echo back.
int gMirroring = 0;
struct Mirroring {
    Mirroring() { ++gMirroring; }
    ~Mirroring() { --gMirroring; }
};

QString Q(const String& S) { return QString::fromUtf8(S.data(), static_cast<qsizetype>(S.size())); }
String S(const QString& Q) { return Q.toUtf8().toStdString(); }

TNativeWidget* NativeOf(TControl* C) { return C ? TControlInternals::NativeWidget(*C) : nullptr; }

QWidget* WidgetOf(TControl* C)
{
    TNativeWidget* n = NativeOf(C);
    return n ? n->Widget.data() : nullptr;
}

QWidget* ClientOf(TControl* C)
{
    TNativeWidget* n = NativeOf(C);
    if (!n)
        return nullptr;
    return n->Client ? n->Client.data() : n->Widget.data();
}

// Runs a handler of the control's world; its exceptions go to the application, never into Qt.
template <class F>
void Guard(TObject* Sender, F&& Fn)
{
    try {
        Fn();
    } catch (...) {
        Application()->HandleException(Sender);
    }
}

Qt::CursorShape CursorShape(SmallInt C)
{
    switch (C) {
    case crCross: return Qt::CrossCursor;
    case crIBeam: return Qt::IBeamCursor;
    case crSizeNESW: return Qt::SizeBDiagCursor;
    case crSizeNS: return Qt::SizeVerCursor;
    case crSizeNWSE: return Qt::SizeFDiagCursor;
    case crSizeWE: return Qt::SizeHorCursor;
    case crUpArrow: return Qt::UpArrowCursor;
    case crHourGlass:
    case crSQLWait: return Qt::WaitCursor;
    case crAppStart: return Qt::BusyCursor;
    case crDrag:
    case crMultiDrag: return Qt::DragMoveCursor;
    case crNoDrop:
    case crNo: return Qt::ForbiddenCursor;
    case crHSplit: return Qt::SplitHCursor;
    case crVSplit: return Qt::SplitVCursor;
    case crHelp: return Qt::WhatsThisCursor;
    case crHandPoint: return Qt::PointingHandCursor;
    case crSizeAll: return Qt::SizeAllCursor;
    case crNone: return Qt::BlankCursor;
    default: return Qt::ArrowCursor;
    }
}

QFont QtFont(TFont* F)
{
    QFont f(Q(ResolveFontFamily(F->Name())));
    const Integer h = F->Height();
    // a negative height is the em height; a positive one the cell height, about 1.2 em
    f.setPixelSize(std::max(1, h < 0 ? -h : h * 5 / 6));
    const TFontStyles st = F->Style();
    f.setBold(st.Contains(fsBold));
    f.setItalic(st.Contains(fsItalic));
    f.setUnderline(st.Contains(fsUnderline));
    f.setStrikeOut(st.Contains(fsStrikeOut));
    return f;
}

Word VirtualKey(int Key)
{
    if (Key >= Qt::Key_A && Key <= Qt::Key_Z)
        return static_cast<Word>('A' + (Key - Qt::Key_A));
    if (Key >= Qt::Key_0 && Key <= Qt::Key_9)
        return static_cast<Word>('0' + (Key - Qt::Key_0));
    if (Key >= Qt::Key_F1 && Key <= Qt::Key_F12)
        return static_cast<Word>(VK_F1 + (Key - Qt::Key_F1));
    switch (Key) {
    case Qt::Key_Backspace: return VK_BACK;
    case Qt::Key_Tab: return VK_TAB;
    case Qt::Key_Return:
    case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Shift: return VK_SHIFT;
    case Qt::Key_Control: return VK_CONTROL;
    case Qt::Key_Alt: return VK_MENU;
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Space: return VK_SPACE;
    case Qt::Key_PageUp: return VK_PRIOR;
    case Qt::Key_PageDown: return VK_NEXT;
    case Qt::Key_End: return VK_END;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Down: return VK_DOWN;
    case Qt::Key_Insert: return VK_INSERT;
    case Qt::Key_Delete: return VK_DELETE;
    default: return 0;
    }
}

// The Qt key VirtualKey maps to Vk; 0 when there is none.
int QtKeyOf(Word Vk)
{
    static const int Keys[] = {Qt::Key_Backspace, Qt::Key_Tab,    Qt::Key_Return,   Qt::Key_Escape, Qt::Key_Space,
                               Qt::Key_PageUp,    Qt::Key_PageDown, Qt::Key_End,    Qt::Key_Home,   Qt::Key_Left,
                               Qt::Key_Up,        Qt::Key_Right,  Qt::Key_Down,     Qt::Key_Insert, Qt::Key_Delete};
    for (int K : Keys)
        if (VirtualKey(K) == Vk)
            return K;
    if ((Vk >= 'A' && Vk <= 'Z') || (Vk >= '0' && Vk <= '9'))
        return Vk; // Qt's letter and digit keys are their upper-case characters
    if (Vk >= VK_F1 && Vk < VK_F1 + 12)
        return Qt::Key_F1 + (Vk - VK_F1);
    return 0;
}

TShiftState ShiftOf(Qt::KeyboardModifiers M)
{
    TShiftState s;
    if (M & Qt::ShiftModifier)
        s += ssShift;
    if (M & Qt::ControlModifier)
        s += ssCtrl;
    if (M & Qt::AltModifier)
        s += ssAlt;
    return s;
}

WPARAM MouseKeys(const QMouseEvent* E)
{
    WPARAM k = 0;
    if (E->buttons() & Qt::LeftButton)
        k |= MK_LBUTTON;
    if (E->buttons() & Qt::RightButton)
        k |= MK_RBUTTON;
    if (E->buttons() & Qt::MiddleButton)
        k |= MK_MBUTTON;
    if (E->modifiers() & Qt::ShiftModifier)
        k |= MK_SHIFT;
    if (E->modifiers() & Qt::ControlModifier)
        k |= MK_CONTROL;
    return k;
}

// A widget whose picture the control paints through our canvas.
class TPaintedWidget : public QWidget {
public:
    TPaintedWidget(TControl* C, QWidget* Parent) : QWidget(Parent), FControl(C)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setMouseTracking(true);
        setFocusPolicy(dynamic_cast<TWinControl*>(C) ? Qt::StrongFocus : Qt::NoFocus);
    }

    // Paints R again. Without Erase the control paints over what it showed last: pixels it leaves
    // alone keep their colours. With it, the background is laid first, as for a whole repaint.
    void InvalidatePart(const QRect& R, bool Erase)
    {
        FErase = FErase || Erase;
        update(R);
    }
    void InvalidateAll()
    {
        FErase = true;
        update();
    }

protected:
    void paintEvent(QPaintEvent* E) override
    {
        const int w = width(), h = height();
        if (w <= 0 || h <= 0)
            return;
        // a memory context over a bitmap of the widget's size, read back after the control painted
        HDC dc = CreateCompatibleDC(HDC());
        std::uint32_t* bits = nullptr;
        HBITMAP bitmap = CreateDIBSection32(w, h, &bits);
        if (!dc || !bitmap) {
            if (dc)
                DeleteDC(dc);
            return;
        }
        const bool erase = FErase || FLastSize != QSize(w, h);
        FErase = false;
        if (!erase)
            for (size_t i = 0; i < FLast.size(); ++i)
                bits[i] = FLast[i] & 0x00FFFFFFu;
        const HGDIOBJ old = SelectObject(dc, bitmap);
        const QRect part = E->rect();
        Guard(FControl, [&] {
            if (erase) {
                // what shows through controls that leave their background alone is the parent's colour
                TCanvas c;
                c.SetHandle(dc);
                c.Brush()->SetColor(FControl->Parent() ? FControl->Parent()->Color() : FControl->Color());
                c.FillRect(Rect(0, 0, w, h));
                c.SetHandle(HDC());
            }
            IntersectClipRect(dc, part.left(), part.top(), part.right() + 1, part.bottom() + 1);
            FControl->PaintTo(dc, 0, 0, false);
        });
        SelectObject(dc, old);
        DeleteDC(dc);
        TSize size;
        std::vector<std::uint32_t> pixels;
        if (GetBitmapPixels(bitmap, size, pixels) && size.cx > 0 && size.cy > 0) {
            QImage image(reinterpret_cast<const uchar*>(pixels.data()), size.cx, size.cy, size.cx * 4,
                         QImage::Format_RGB32);
            QPainter p(this);
            p.drawImage(0, 0, image);
            FLast = std::move(pixels);
            FLastSize = QSize(size.cx, size.cy);
        }
        DeleteObject(bitmap);
    }

    void Send(UINT Msg, const QMouseEvent* E)
    {
        const TPoint o = FControl->ClientOffset();
        const QPoint p = E->position().toPoint();
        SetKeyboardShiftState(ShiftOf(E->modifiers()));
        const LPARAM pos = MAKELPARAM(static_cast<Word>(p.x() - o.X), static_cast<Word>(p.y() - o.Y));
        Guard(FControl, [&] { FControl->Perform(Msg, MouseKeys(E), pos); });
    }
    void mousePressEvent(QMouseEvent* E) override
    {
        if (E->button() == Qt::LeftButton)
            Send(WM_LBUTTONDOWN, E);
        else if (E->button() == Qt::RightButton)
            Send(WM_RBUTTONDOWN, E);
    }
    void mouseReleaseEvent(QMouseEvent* E) override
    {
        if (E->button() == Qt::LeftButton)
            Send(WM_LBUTTONUP, E);
        else if (E->button() == Qt::RightButton)
            Send(WM_RBUTTONUP, E);
    }
    void mouseDoubleClickEvent(QMouseEvent* E) override
    {
        if (E->button() == Qt::LeftButton)
            Send(WM_LBUTTONDBLCLK, E);
    }
    void mouseMoveEvent(QMouseEvent* E) override { Send(WM_MOUSEMOVE, E); }
    void keyPressEvent(QKeyEvent* E) override
    {
        SetKeyboardShiftState(ShiftOf(E->modifiers()));
        const Word vk = VirtualKey(E->key());
        Guard(FControl, [&] {
            if (vk)
                FControl->Perform(WM_KEYDOWN, vk);
            const QByteArray text = E->text().toUtf8();
            if (text.size() == 1 && static_cast<unsigned char>(text[0]) >= 0x20)
                FControl->Perform(WM_CHAR, static_cast<unsigned char>(text[0]));
        });
    }
    void keyReleaseEvent(QKeyEvent* E) override
    {
        if (const Word vk = VirtualKey(E->key()))
            Guard(FControl, [&] { FControl->Perform(WM_KEYUP, vk); });
    }
    // The wheel goes to the control under it, then up its parents until one takes it (answers
    // non-zero), as WM_MOUSEWHEEL does.
    void wheelEvent(QWheelEvent* E) override
    {
        const QPoint step = E->angleDelta();
        const bool horizontal = step.y() == 0 && step.x() != 0;
        const int delta = horizontal ? step.x() : step.y();
        if (delta == 0)
            return;
        SetKeyboardShiftState(ShiftOf(E->modifiers()));
        Word keys = 0;
        if (E->modifiers() & Qt::ShiftModifier)
            keys |= MK_SHIFT;
        if (E->modifiers() & Qt::ControlModifier)
            keys |= MK_CONTROL;
        if (horizontal)
            keys |= MK_SHIFT; // a sideways wheel scrolls as Shift with the wheel does
        const QPoint g = E->globalPosition().toPoint();
        bool taken = false;
        Guard(FControl, [&] {
            for (TControl* c = FControl; c && !taken; c = c->Parent())
                taken = c->Perform(WM_MOUSEWHEEL, MAKEWPARAM(keys, static_cast<Word>(static_cast<SmallInt>(delta))),
                                   MAKELPARAM(static_cast<Word>(g.x()), static_cast<Word>(g.y())));
        });
        E->setAccepted(taken);
    }

private:
    TControl* FControl;
    std::vector<std::uint32_t> FLast; // the last picture shown, for repaints that do not erase
    QSize FLastSize;
    bool FErase = true;
};

// A form's top-level window: its menu bar above the client widget.
class TFormWindow : public QWidget {
public:
    explicit TFormWindow(TCustomForm* F) : QWidget(nullptr), FForm(F)
    {
        FClient = new TPaintedWidget(F, this);
    }
    TPaintedWidget* Client() const { return FClient; }
    QMenuBar* MenuBar() const { return FMenuBar; }

    void SetMenu(TMainMenu* Menu)
    {
        // the old bar may be the one whose action is running now: it goes once that is over
        if (FMenuBar) {
            FMenuBar->hide();
            FMenuBar->deleteLater();
        }
        FMenuBar = nullptr;
        if (Menu) {
            FMenuBar = new QMenuBar(this);
            AddItems(FMenuBar, nullptr, Menu->Items());
            FMenuBar->show();
        }
        Arrange();
    }
    static void AddItems(QMenuBar* Bar, QMenu* Menu, TMenuItem* Parent)
    {
        for (Integer i = 0; i < Parent->Count(); ++i) {
            TMenuItem* item = Parent->Items(i);
            if (!item->Visible())
                continue;
            if (item->IsLine()) {
                if (Menu)
                    Menu->addSeparator();
                continue;
            }
            if (item->Count() > 0) {
                QMenu* sub = Bar ? Bar->addMenu(Q(item->Caption())) : Menu->addMenu(Q(item->Caption()));
                sub->setEnabled(item->Enabled());
                AddItems(nullptr, sub, item);
                continue;
            }
            QAction* a = Bar ? Bar->addAction(Q(item->Caption())) : Menu->addAction(Q(item->Caption()));
            a->setEnabled(item->Enabled());
            a->setCheckable(item->Checked() || item->AutoCheck() || item->RadioItem());
            a->setChecked(item->Checked());
            QObject::connect(a, &QAction::triggered, [item] { Guard(item, [item] { item->Click(); }); });
        }
    }
    Integer MenuHeight() const { return FMenuBar ? FMenuBar->sizeHint().height() : 0; }
    void Arrange()
    {
        const int m = MenuHeight();
        if (FMenuBar)
            FMenuBar->setGeometry(0, 0, width(), m);
        FClient->setGeometry(0, m, width(), std::max(0, height() - m));
    }

protected:
    void closeEvent(QCloseEvent* E) override
    {
        // the form decides (OnCloseQuery, OnClose); it hides the window itself when it closes
        E->ignore();
        Guard(FForm, [this] { FForm->Close(); });
    }
    void moveEvent(QMoveEvent*) override
    {
        if (gMirroring || !isVisible())
            return;
        const QPoint p = geometry().topLeft();
        if (p.x() != FForm->Left() || p.y() != FForm->Top())
            Guard(FForm, [&] { FForm->SetBounds(p.x(), p.y(), FForm->Width(), FForm->Height()); });
    }
    void resizeEvent(QResizeEvent*) override
    {

        Arrange();
        if (gMirroring)
            return;
        const int h = std::max(0, height() - MenuHeight());
        if (width() != FForm->Width() || h != FForm->Height())
            Guard(FForm, [&] { FForm->SetBounds(FForm->Left(), FForm->Top(), width(), h); });
    }

private:
    TCustomForm* FForm;
    TPaintedWidget* FClient;
    QMenuBar* FMenuBar = nullptr;
};

TFormWindow* FormWindowOf(TControl* C) { return dynamic_cast<TFormWindow*>(WidgetOf(C)); }

// An edit's or a combo box's widget takes the keyboard itself. Each key goes first to the
// control as WM_KEYDOWN (its OnKeyDown, then the form's dialog keys: Return, Escape, Tab); a key
// taken there goes no further, any other is typed into the widget as usual.
class TEditKeyFilter : public QObject {
public:
    TEditKeyFilter(TWinControl* C, QWidget* W) : QObject(W), FControl(C) {}

protected:
    bool eventFilter(QObject*, QEvent* E) override
    {
        if (E->type() != QEvent::KeyPress)
            return false;
        auto* k = static_cast<QKeyEvent*>(E);
        const Word vk = VirtualKey(k->key());
        if (!vk)
            return false;
        SetKeyboardShiftState(ShiftOf(k->modifiers()));
        TMessage m{WM_KEYDOWN, vk, 0, 0};
        Guard(FControl, [&] { FControl->WndProc(m); });
        return m.WParam == 0;
    }

private:
    TWinControl* FControl;
};

// A standard list box's widget takes the mouse itself. For a list that drags automatically its
// presses, moves and releases also drive the drag; while the button is held the list does not
// select by sweeping, and a press on a row already selected keeps the selection (a drag of several
// rows starts there) until the button comes up without a drag.
class TListDragFilter : public QObject {
public:
    TListDragFilter(TControl* C, QListWidget* List) : QObject(List), FControl(C), FList(List) {}

protected:
    bool eventFilter(QObject*, QEvent* E) override
    {
        if (FReplaying)
            return false;
        switch (E->type()) {
        case QEvent::MouseButtonPress: {
            auto* m = static_cast<QMouseEvent*>(E);
            if (m->button() != Qt::LeftButton || FControl->DragMode() != dmAutomatic ||
                FControl->ComponentState().Contains(csDesigning))
                return false;
            FPressed = true;
            Guard(FControl, [&] { DragMouseDown(FControl, ScreenPos(m)); });
            const QListWidgetItem* item = FList->itemAt(m->position().toPoint());
            FHeld = item && item->isSelected() && m->modifiers() == Qt::NoModifier &&
                    FList->selectionMode() == QAbstractItemView::ExtendedSelection;
            if (FHeld)
                FPress = std::make_unique<QMouseEvent>(QEvent::MouseButtonPress, m->position(), m->globalPosition(),
                                                       m->button(), m->buttons(), m->modifiers());
            return FHeld;
        }
        case QEvent::MouseMove: {
            auto* m = static_cast<QMouseEvent*>(E);
            if (!FPressed || !(m->buttons() & Qt::LeftButton))
                return false;
            Guard(FControl, [&] { DragMoveTo(ScreenPos(m)); });
            return true;
        }
        case QEvent::MouseButtonRelease: {
            auto* m = static_cast<QMouseEvent*>(E);
            if (!FPressed || m->button() != Qt::LeftButton)
                return false;
            FPressed = false;
            const bool dragged = FControl->Dragging();
            if (dragged)
                Guard(FControl, [&] { DragMoveTo(ScreenPos(m)); });
            Guard(FControl, [&] { FControl->EndDrag(true); });
            const bool held = std::exchange(FHeld, false);
            std::unique_ptr<QMouseEvent> press = std::move(FPress);
            if (dragged)
                return true; // a release far away would change the selection the drag carried
            if (held && press && FList) {
                // a click on a selected row: the list selects it now, as it would have on the press
                FReplaying = true;
                QCoreApplication::sendEvent(FList->viewport(), press.get());
                FReplaying = false;
            }
            return false;
        }
        default: return false;
        }
    }

private:
    // The mouse in the control's screen coordinates.
    TPoint ScreenPos(const QMouseEvent* M) const
    {
        const QPoint p = FList->viewport()->mapTo(FList, M->position().toPoint());
        const TPoint o = FControl->ClientOffset();
        return FControl->ClientToScreen(Point(p.x() - o.X, p.y() - o.Y));
    }

    TControl* FControl;
    QPointer<QListWidget> FList;
    bool FPressed = false, FHeld = false, FReplaying = false;
    std::unique_ptr<QMouseEvent> FPress;
};

bool SameItems(const TStrings* Items, QStringList Current)
{
    if (Items->Count() != Current.size())
        return false;
    for (Integer i = 0; i < Items->Count(); ++i)
        if (Q(Items->Get(i)) != Current[i])
            return false;
    return true;
}

QWidget* CreateWidget(TControl* C, QWidget* Parent)
{
    if (auto* b = dynamic_cast<TButton*>(C)) {
        auto* w = new QPushButton(Parent);
        QObject::connect(w, &QPushButton::clicked, [b] { Guard(b, [b] { b->Click(); }); });
        return w;
    }
    if (auto* b = dynamic_cast<TCheckBox*>(C)) {
        auto* w = new QCheckBox(Parent);
        QObject::connect(w, &QCheckBox::clicked, [b] { Guard(b, [b] { b->Click(); }); });
        return w;
    }
    if (auto* b = dynamic_cast<TRadioButton*>(C)) {
        auto* w = new QRadioButton(Parent);
        w->setAutoExclusive(false); // the controls keep one checked per parent themselves
        QObject::connect(w, &QRadioButton::clicked, [b] { Guard(b, [b] { b->Click(); }); });
        return w;
    }
    if (auto* m = dynamic_cast<TMemo*>(C)) {
        auto* w = new QPlainTextEdit(Parent);
        QObject::connect(w, &QPlainTextEdit::textChanged, [m, w] {
            if (!gMirroring)
                Guard(m, [&] { m->SetText(S(w->toPlainText())); });
        });
        return w;
    }
    if (auto* e = dynamic_cast<TCustomEdit*>(C)) {
        auto* w = new QLineEdit(Parent);
        w->installEventFilter(new TEditKeyFilter(e, w));
        QObject::connect(w, &QLineEdit::textChanged, [e](const QString& T) {
            if (!gMirroring)
                Guard(e, [&] { e->SetText(S(T)); });
        });
        return w;
    }
    if (auto* cb = dynamic_cast<TComboBox*>(C)) {
        auto* w = new QComboBox(Parent);
        w->installEventFilter(new TEditKeyFilter(cb, w));
        QObject::connect(w, &QComboBox::activated, [cb](int Index) {
            if (!gMirroring)
                Guard(cb, [&] { cb->UserSelect(Index); });
        });
        QObject::connect(w, &QComboBox::editTextChanged, [cb](const QString& T) {
            if (!gMirroring && cb->Style() != csDropDownList)
                Guard(cb, [&] { cb->SetText(S(T)); });
        });
        return w;
    }
    if (auto* lb = dynamic_cast<TListBox*>(C); lb && lb->Style() == lbStandard) {
        auto* w = new QListWidget(Parent);
        w->viewport()->installEventFilter(new TListDragFilter(lb, w));
        QObject::connect(w, &QListWidget::itemSelectionChanged, [lb, w] {
            if (gMirroring)
                return;
            Guard(lb, [&] {
                if (lb->MultiSelect()) {
                    // read the whole selection first: each change mirrors the control back
                    std::vector<bool> selected;
                    for (Integer i = 0; i < lb->Count() && i < w->count(); ++i)
                        selected.push_back(w->item(i)->isSelected());
                    for (size_t i = 0; i < selected.size(); ++i)
                        lb->SetSelected(static_cast<Integer>(i), selected[i]);
                }
                const int row = w->currentRow();
                if (row >= -1 && row < lb->Count() && row != lb->ItemIndex())
                    lb->SetItemIndex(row);
                lb->Click();
            });
        });
        return w;
    }
    return new TPaintedWidget(C, Parent);
}

// The first picture of a glyph strip, its bottom-left colour transparent.
QIcon GlyphIcon(TBitmap* Glyph, Integer NumGlyphs)
{
    if (!Glyph || Glyph->Empty())
        return QIcon();
    const Integer w = Glyph->Width() / std::max(1, NumGlyphs), h = Glyph->Height();
    if (w <= 0 || h <= 0)
        return QIcon();
    QImage image(w, h, QImage::Format_ARGB32);
    const TColor transparent = Glyph->Pixel(0, h - 1);
    for (Integer y = 0; y < h; ++y)
        for (Integer x = 0; x < w; ++x) {
            const TColor c = Glyph->Pixel(x, y);
            const Integer rgb = ColorToRGB(c);
            image.setPixel(x, y, c == transparent ? 0u
                                                  : 0xFF000000u | (Cardinal(rgb & 0xFF) << 16) |
                                                        (Cardinal(rgb & 0xFF00)) | Cardinal((rgb >> 16) & 0xFF));
        }
    return QIcon(QPixmap::fromImage(image));
}

void MirrorSpecific(TControl* C, QWidget* W)
{
    if (auto* b = dynamic_cast<QPushButton*>(W)) {
        b->setText(Q(C->Caption()));
        if (auto* tb = dynamic_cast<TButton*>(C))
            b->setDefault(tb->Default());
        if (auto* bb = dynamic_cast<TBitBtn*>(C))
            b->setIcon(GlyphIcon(bb->Glyph(), bb->NumGlyphs()));
    } else if (auto* b = dynamic_cast<QCheckBox*>(W)) {
        b->setText(Q(C->Caption()));
        b->setChecked(static_cast<TCheckBox*>(C)->Checked());
    } else if (auto* b = dynamic_cast<QRadioButton*>(W)) {
        b->setText(Q(C->Caption()));
        b->setChecked(static_cast<TRadioButton*>(C)->Checked());
    } else if (auto* e = dynamic_cast<QPlainTextEdit*>(W)) {
        auto* m = static_cast<TMemo*>(C);
        if (e->toPlainText() != Q(m->Text()))
            e->setPlainText(Q(m->Text()));
        e->setReadOnly(m->ReadOnly());
        e->setLineWrapMode(m->WordWrap() ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    } else if (auto* e = dynamic_cast<QLineEdit*>(W)) {
        auto* ce = static_cast<TCustomEdit*>(C);
        if (e->text() != Q(ce->Text()))
            e->setText(Q(ce->Text()));
        e->setReadOnly(ce->ReadOnly());
        e->setMaxLength(ce->MaxLength() > 0 ? ce->MaxLength() : 32767);
        e->setFrame(ce->BorderStyle() == bsSingle);
    } else if (auto* w = dynamic_cast<QComboBox*>(W)) {
        auto* cb = static_cast<TComboBox*>(C);
        QStringList current;
        for (int i = 0; i < w->count(); ++i)
            current << w->itemText(i);
        if (!SameItems(cb->Items(), current)) {
            w->clear();
            for (Integer i = 0; i < cb->Items()->Count(); ++i)
                w->addItem(Q(cb->Items()->Get(i)));
        }
        w->setEditable(cb->Style() == csDropDown || cb->Style() == csSimple);
        w->setMaxVisibleItems(std::max(1, cb->DropDownCount()));
        w->setCurrentIndex(cb->ItemIndex());
        if (w->isEditable() && w->currentText() != Q(cb->Text()))
            w->setEditText(Q(cb->Text()));
    } else if (auto* w = dynamic_cast<QListWidget*>(W)) {
        auto* lb = static_cast<TListBox*>(C);
        QStringList current;
        for (int i = 0; i < w->count(); ++i)
            current << w->item(i)->text();
        if (!SameItems(lb->Items(), current)) {
            w->clear();
            for (Integer i = 0; i < lb->Count(); ++i)
                w->addItem(Q(lb->Items()->Get(i)));
        }
        w->setSelectionMode(lb->MultiSelect() ? QAbstractItemView::ExtendedSelection
                                              : QAbstractItemView::SingleSelection);
        // columns as the control lays them out: rows ItemHeight high, filled top to bottom
        if (lb->Columns() > 0) {
            w->setFlow(QListView::TopToBottom);
            w->setWrapping(true);
            w->setGridSize(QSize(std::max(1, lb->ClientWidth() / lb->Columns()), std::max(1, lb->ItemHeight())));
        } else if (w->isWrapping()) {
            w->setWrapping(false);
            w->setGridSize(QSize());
        }
        // the current row moves without selecting: in a list of several rows that would take the
        // others' selection away
        if (lb->MultiSelect())
            w->setCurrentRow(lb->ItemIndex(), QItemSelectionModel::NoUpdate);
        else
            w->setCurrentRow(lb->ItemIndex());
        if (lb->MultiSelect())
            for (Integer i = 0; i < lb->Count() && i < w->count(); ++i)
                w->item(i)->setSelected(lb->Selected(i));
    } else if (auto* painted = dynamic_cast<TPaintedWidget*>(W)) {
        // a changed control (its text, font, colour) is painted again over its background: a
        // transparent one would otherwise draw its new text over the old
        painted->InvalidateAll();
    } else {
        W->update();
    }
}

void Mirror(TControl* C, QWidget* W)
{
    W->setGeometry(C->Left(), C->Top(), C->Width(), C->Height());
    W->setEnabled(C->Enabled());
    W->setToolTip(C->ShowHint() ? Q(C->Hint()) : QString());
    if (C->Cursor() == crDefault)
        W->unsetCursor();
    else
        W->setCursor(CursorShape(C->Cursor()));
    const QFont f = QtFont(C->Font());
    if (W->font() != f)
        W->setFont(f);
    MirrorSpecific(C, W);
    // a form being designed shows its hidden controls too, as its picture does; the mouse over a
    // standard control being designed goes to the painted control below it, whose designer takes it
    const bool designing = C->ComponentState().Contains(csDesigning);
    if (!dynamic_cast<TPaintedWidget*>(W))
        W->setAttribute(Qt::WA_TransparentForMouseEvents, designing);
    W->setVisible(C->Visible() || designing);
}

// A scroll box's scroll bars: Qt's, over its painted widget, sending WM_HSCROLL / WM_VSCROLL.
QScrollBar* ScrollBarOf(QWidget* W, bool Horizontal)
{
    return W ? W->findChild<QScrollBar*>(Horizontal ? "qorHScroll" : "qorVScroll", Qt::FindDirectChildrenOnly)
             : nullptr;
}

void MirrorScrollBars(TControl* C, QWidget* W)
{
    auto* box = dynamic_cast<TScrollBox*>(C);
    if (!box)
        return;
    bool h = false, v = false;
    box->ScrollBarsShown(h, v);
    const TPoint o = box->ClientOffset();
    const TRect client = box->ClientRect();
    auto sync = [&](bool Horizontal, bool Show) {
        QScrollBar* sb = ScrollBarOf(W, Horizontal);
        if (!sb) {
            if (!Show)
                return;
            sb = new QScrollBar(Horizontal ? Qt::Horizontal : Qt::Vertical, W);
            sb->setObjectName(Horizontal ? "qorHScroll" : "qorVScroll");
            const UINT msg = Horizontal ? WM_HSCROLL : WM_VSCROLL;
            QObject::connect(sb, &QScrollBar::valueChanged, [box, msg](int Value) {
                if (!gMirroring)
                    Guard(box, [&] { box->Perform(msg, MAKEWPARAM(SB_THUMBPOSITION, static_cast<Word>(Value))); });
            });
        }
        sb->setVisible(Show);
        if (!Show)
            return;
        TControlScrollBar* bar = Horizontal ? box->HorzScrollBar() : box->VertScrollBar();
        if (Horizontal)
            sb->setGeometry(o.X, o.Y + client.Height(), client.Width(), ScrollBarSize);
        else
            sb->setGeometry(o.X + client.Width(), o.Y, ScrollBarSize, client.Height());
        sb->setRange(0, std::min<Integer>(bar->MaxPosition(), 32767));
        sb->setPageStep(std::max(1, Horizontal ? client.Width() : client.Height()));
        sb->setSingleStep(bar->Increment());
        sb->setValue(bar->Position());
        sb->raise();
    };
    sync(true, h);
    sync(false, v);
}

// Widgets know their control, so focus moves made on screen reach the form's ActiveControl.
void MarkWidget(QWidget* W, TControl* C)
{
    W->setProperty("qorControl", QVariant::fromValue<quintptr>(reinterpret_cast<quintptr>(C)));
}

void TrackFocus()
{
    static bool connected = false;
    if (connected)
        return;
    connected = true;
    QObject::connect(qApp, &QApplication::focusChanged, [](QWidget*, QWidget* Now) {
        if (gMirroring)
            return;
        for (QWidget* w = Now; w; w = w->parentWidget()) {
            const QVariant v = w->property("qorControl");
            if (!v.isValid())
                continue;
            auto* c = dynamic_cast<TWinControl*>(reinterpret_cast<TControl*>(v.value<quintptr>()));
            TCustomForm* form = c ? c->GetParentForm() : nullptr;
            if (form && form != c && form->ActiveControl() != c)
                Guard(c, [&] { form->SetActiveControl(c); });
            return;
        }
    });
}

// A list box that changed between standard and owner-drawn needs the other kind of widget.
bool WidgetFits(TControl* C, QWidget* W)
{
    auto* lb = dynamic_cast<TListBox*>(C);
    return !lb || (lb->Style() == lbStandard) == (dynamic_cast<QListWidget*>(W) != nullptr);
}

void BuildChildren(TWinControl* Parent, QWidget* ParentWidget)
{
    for (Integer i = 0; i < Parent->ControlCount(); ++i) {
        TControl* c = Parent->Controls(i);
        QWidget* w = WidgetOf(c);
        if (w && w->parentWidget() != ParentWidget) {
            TControlInternals::SetNativeWidget(*c, TControlInternals::TNativePtr());
            w = nullptr;
        }
        if (w && !WidgetFits(c, w)) {
            TControlInternals::SetNativeWidget(*c, TControlInternals::TNativePtr());
            w = nullptr;
        }
        if (!w) {
            w = CreateWidget(c, ParentWidget);
            MarkWidget(w, c);
            TControlInternals::SetNativeWidget(*c, TControlInternals::TNativePtr(new TNativeWidget{w, nullptr}));
        }
        Mirror(c, w);
        w->raise(); // the control list's order is the stacking order
        if (auto* wc = dynamic_cast<TWinControl*>(c))
            BuildChildren(wc, w);
        MirrorScrollBars(c, w);
    }
}

// The window's stay-on-top flag from the form. Changing window flags hides a window: a shown one is
// shown again where it was, without taking the keyboard.
void ApplyTopmost(TCustomForm* Form, QWidget* Top)
{
    const bool onTop = Form->Topmost();
    if (Top->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == onTop)
        return;
    const bool shown = Top->isVisible();
    const QRect where = Top->geometry();
    const bool quiet = Top->testAttribute(Qt::WA_ShowWithoutActivating);
    Top->setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    if (shown) {
        Top->setAttribute(Qt::WA_ShowWithoutActivating, true);
        Top->setGeometry(where);
        Top->show();
        Top->setAttribute(Qt::WA_ShowWithoutActivating, quiet);
    }
}

void MirrorForm(TCustomForm* Form, TFormWindow* Top)
{
    Top->setWindowTitle(Q(Form->Caption()));
    Top->setEnabled(Form->Enabled());
    Top->setFont(QtFont(Form->Font()));
    ApplyTopmost(Form, Top);
    Top->SetMenu(Form->Menu());
    // a shown window goes where the form was moved (as its move events report it: the client
    // area's corner, without the frame)
    if (Top->isVisible() && Form->WindowState() == wsNormal && Top->geometry().topLeft() != QPoint(Form->Left(), Form->Top()))
        Top->setGeometry(Form->Left(), Form->Top(), Form->Width(), Form->Height() + Top->MenuHeight());
    else
        Top->resize(Form->Width(), Form->Height() + Top->MenuHeight());
    Top->Arrange();
    Top->Client()->update();
}

} // namespace

void NativeControlChanged(TControl* C)
{
    QWidget* w = WidgetOf(C);
    if (!w)
        return;
    Mirroring m;
    if (!WidgetFits(C, w) && C->Parent() && ClientOf(C->Parent())) {
        BuildChildren(C->Parent(), ClientOf(C->Parent()));
        return;
    }
    if (auto* top = dynamic_cast<TFormWindow*>(w)) {
        // While a form is being taken apart its window may still be there: leave it alone.
        if (auto* form = dynamic_cast<TCustomForm*>(C))
            MirrorForm(form, top);
    } else {
        Mirror(C, w);
    }
    if (auto* wc = dynamic_cast<TWinControl*>(C))
        BuildChildren(wc, ClientOf(C));
    MirrorScrollBars(C, w);
}

void NativeScrollBarsChanged(TControl* C)
{
    if (QWidget* w = WidgetOf(C)) {
        Mirroring m;
        MirrorScrollBars(C, w);
    }
}

void NativeMenuChanged(const TMenuItem* Items)
{
    for (Integer i = 0; i < FormCount(); ++i) {
        TCustomForm* f = Forms(i);
        if (!f->Menu() || f->Menu()->Items() != Items)
            continue;
        if (auto* top = FormWindowOf(f)) {
            Mirroring m;
            MirrorForm(f, top);
        }
    }
}

void NativeInvalidate(TControl* C)
{
    if (auto* painted = dynamic_cast<TPaintedWidget*>(ClientOf(C)))
        painted->InvalidateAll();
    else if (QWidget* w = ClientOf(C))
        w->update();
}

void NativeInvalidateRect(TControl* C, const TRect& R, bool Erase)
{
    const TPoint o = C->ClientOffset(); // client coordinates to the widget's, as for the mouse
    const QRect part(R.Left + o.X, R.Top + o.Y, R.Width(), R.Height());
    if (auto* painted = dynamic_cast<TPaintedWidget*>(ClientOf(C)))
        painted->InvalidatePart(part, Erase);
    else if (QWidget* w = ClientOf(C))
        w->update(part);
}

void NativeRepaint(TControl* C)
{
    if (QWidget* w = ClientOf(C))
        w->repaint();
}

void NativeSetFocus(TControl* C)
{
    if (QWidget* w = WidgetOf(C))
        w->setFocus();
}

void NativeBuildForm(TCustomForm* Form)
{
    EnsureQtApplication();
    auto* top = FormWindowOf(Form);
    if (!top) {
        top = new TFormWindow(Form);
        MarkWidget(top->Client(), Form);
        TControlInternals::SetNativeWidget(*Form, TControlInternals::TNativePtr(new TNativeWidget{top, top->Client()}));
        TrackFocus();
    }
    Mirroring m;
    MirrorForm(Form, top);
    BuildChildren(Form, top->Client());
}

void NativeShowForm(TCustomForm* Form, bool Modal)
{
    NativeBuildForm(Form);
    QWidget* top = WidgetOf(Form);
    Mirroring m;
    top->setWindowModality(Modal ? Qt::ApplicationModal : Qt::NonModal);
    if (Form->Position() == poScreenCenter || Form->Position() == poDesktopCenter) {
        const TSize screen = ScreenSizeInPixels();
        const int x = (screen.cx - top->width()) / 2, y = (screen.cy - top->height()) / 2;
        Form->SetBounds(x, y, Form->Width(), Form->Height()); // so mirroring the form keeps it there
        top->move(x, y);
    } else {
        top->move(Form->Left(), Form->Top());
    }
    if (Form->WindowState() == wsMaximized)
        top->showMaximized();
    else if (Form->WindowState() == wsMinimized)
        top->showMinimized();
    else
        top->show();
    top->raise();
    top->activateWindow();
}

void NativeSetTopmost(TCustomForm* Form)
{
    if (QWidget* w = WidgetOf(Form))
        ApplyTopmost(Form, w);
}

void NativeHideForm(TCustomForm* Form)
{
    if (QWidget* w = WidgetOf(Form))
        w->hide();
}

int NativeRunModal(TCustomForm* Form)
{
    NativeShowForm(Form, true);
    QPointer<QWidget> top = WidgetOf(Form);
    // Sleeps until Qt has an event; the tick wakes the loop for posted messages and a modal result
    // set by code.
    QTimer Tick;
    Tick.start(50);
    while (Form->ModalResult() == mrNone && top && top->isVisible()) {
        DeliverPostedMessages();
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return Form->ModalResult() == mrNone ? mrCancel : Form->ModalResult();
}

void NativePopupMenu(TPopupMenu* Menu, Integer X, Integer Y)
{
    if (!Menu || !QtCanShowWindows())
        return;
    QMenu menu;
    TFormWindow::AddItems(nullptr, &menu, Menu->Items());
    menu.exec(QPoint(X, Y));
}

namespace {
QPointer<QWidget> gDragGrab; // the source of the drag under way, which has the mouse
bool gDragCursor = false;    // the drag's cursor is on the override stack
} // namespace

void NativeSetScreenCursor(SmallInt Cursor)
{
    if (!QtApplicationExists())
        return;
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
    gDragCursor = false; // a drag's cursor went with the others
    if (Cursor != crDefault)
        QApplication::setOverrideCursor(QCursor(CursorShape(Cursor)));
}

namespace {

// The widget that has the control's mouse messages.
QWidget* MouseWidgetOf(TControl* C)
{
    QWidget* w = WidgetOf(C);
    if (auto* list = dynamic_cast<QListWidget*>(w))
        return list->viewport();
    return ClientOf(C);
}

} // namespace

bool NativeControlAt(TControl* Source, const TPoint& ScreenPos, TControl*& Target, TPoint& Local)
{
    Target = nullptr;
    QWidget* from = WidgetOf(Source);
    if (!from || !from->isVisible() || !QtCanShowWindows())
        return false;
    const TPoint o = Source->ClientOffset();
    const TPoint inSource = Source->ScreenToClient(ScreenPos);
    const QPoint global = from->mapToGlobal(QPoint(inSource.X + o.X, inSource.Y + o.Y));
    // the deepest widget of ours under the mouse, in any top-level window
    TControl* found = nullptr;
    QWidget* marked = nullptr;
    for (QWidget* w = QApplication::widgetAt(global); w && !found; w = w->parentWidget()) {
        const QVariant v = w->property("qorControl");
        if (v.isValid()) {
            found = reinterpret_cast<TControl*>(v.value<quintptr>());
            marked = w;
        }
    }
    if (!found)
        return true;
    const QPoint p = marked->mapFromGlobal(global);
    const TPoint fo = found->ClientOffset();
    Target = found;
    Local = TPoint(p.x() - fo.X, p.y() - fo.Y);
    return true;
}

void NativeDragFeedback(TControl* Source, SmallInt Cursor)
{
    if (!QtApplicationExists())
        return;
    if (Cursor == crDefault) {
        if (gDragGrab)
            gDragGrab->releaseMouse();
        gDragGrab = nullptr;
        if (gDragCursor && QApplication::overrideCursor())
            QApplication::restoreOverrideCursor();
        gDragCursor = false;
        return;
    }
    QWidget* w = MouseWidgetOf(Source);
    if (!w || !w->isVisible() || !QtCanShowWindows())
        return;
    if (gDragGrab != w) {
        if (gDragGrab)
            gDragGrab->releaseMouse();
        w->grabMouse();
        gDragGrab = w;
    }
    const QCursor shape(CursorShape(Cursor));
    if (gDragCursor && QApplication::overrideCursor())
        QApplication::changeOverrideCursor(shape);
    else
        QApplication::setOverrideCursor(shape);
    gDragCursor = true;
}

// ---- Inspection and user actions ---------------------------------------------------------------

TNativeState NativeStateOf(TControl* C)
{
    TNativeState s;
    QWidget* w = WidgetOf(C);
    if (!w)
        return s;
    s.Exists = true;
    s.Visible = w->isVisible();
    s.Enabled = w->isEnabled();
    const QRect g = w->geometry();
    s.Bounds = Bounds(g.x(), g.y(), g.width(), g.height());
    if (auto* top = dynamic_cast<TFormWindow*>(w)) {
        s.Kind = "window";
        s.Topmost = top->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        s.ActiveWindow = top->isActiveWindow();
        s.Text = S(top->windowTitle());
        if (QMenuBar* bar = top->MenuBar())
            for (QAction* a : bar->actions())
                s.MenuItems.push_back(S(a->text()));
    } else if (auto* b = dynamic_cast<QPushButton*>(w)) {
        s.Kind = "button";
        s.Text = S(b->text());
    } else if (auto* b = dynamic_cast<QCheckBox*>(w)) {
        s.Kind = "check";
        s.Text = S(b->text());
        s.Checked = b->isChecked();
    } else if (auto* b = dynamic_cast<QRadioButton*>(w)) {
        s.Kind = "radio";
        s.Text = S(b->text());
        s.Checked = b->isChecked();
    } else if (auto* e = dynamic_cast<QPlainTextEdit*>(w)) {
        s.Kind = "memo";
        s.Text = S(e->toPlainText());
    } else if (auto* e = dynamic_cast<QLineEdit*>(w)) {
        s.Kind = "edit";
        s.Text = S(e->text());
    } else if (auto* cb = dynamic_cast<QComboBox*>(w)) {
        s.Kind = "combo";
        s.Text = S(cb->currentText());
        s.ItemCount = cb->count();
        s.ItemIndex = cb->currentIndex();
    } else if (auto* lb = dynamic_cast<QListWidget*>(w)) {
        s.Kind = "list";
        s.ItemCount = lb->count();
        s.ItemIndex = lb->currentRow();
    } else {
        s.Kind = "painted";
        s.Text = C->Caption();
    }
    if (QScrollBar* sb = ScrollBarOf(w, true); sb && sb->isVisible()) {
        s.HorzBar = true;
        s.HorzPos = sb->value();
    }
    if (QScrollBar* sb = ScrollBarOf(w, false); sb && sb->isVisible()) {
        s.VertBar = true;
        s.VertPos = sb->value();
    }
    return s;
}

void NativeClick(TControl* C)
{
    QWidget* w = WidgetOf(C);
    if (auto* b = dynamic_cast<QAbstractButton*>(w)) {
        b->click();
        return;
    }
    if (auto* p = dynamic_cast<TPaintedWidget*>(w)) {
        const QPointF at(p->width() / 2.0, p->height() / 2.0);
        QMouseEvent press(QEvent::MouseButtonPress, at, p->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(p, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, at, p->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QCoreApplication::sendEvent(p, &release);
    }
}

void NativeSetText(TControl* C, const String& Text)
{
    QWidget* w = WidgetOf(C);
    if (auto* e = dynamic_cast<QLineEdit*>(w))
        e->setText(Q(Text));
    else if (auto* m = dynamic_cast<QPlainTextEdit*>(w))
        m->setPlainText(Q(Text));
    else if (auto* cb = dynamic_cast<QComboBox*>(w); cb && cb->isEditable())
        cb->setEditText(Q(Text));
}

void NativeSelectItem(TControl* C, Integer Index)
{
    QWidget* w = WidgetOf(C);
    if (auto* lb = dynamic_cast<QListWidget*>(w))
        lb->setCurrentRow(Index);
    else if (auto* cb = dynamic_cast<QComboBox*>(w)) {
        cb->setCurrentIndex(Index);
        Q_EMIT cb->activated(Index);
    }
}

void NativeScroll(TControl* C, bool Horizontal, Integer Position)
{
    if (QScrollBar* sb = ScrollBarOf(WidgetOf(C), Horizontal))
        sb->setValue(Position);
}

bool NativeGrabToPng(TCustomForm* Form, const String& FileName)
{
    QWidget* w = WidgetOf(Form);
    if (!w)
        return false;
    return w->grab().save(Q(FileName), "PNG");
}

bool NativeGrabScreen(TControl* C, const String& FileName, TRect& Part)
{
    QWidget* w = WidgetOf(C);
    if (!w || !w->isVisible())
        return false;
    const QRect visible = w->visibleRegion().boundingRect();
    QScreen* screen = w->screen();
    if (visible.isEmpty() || !screen)
        return false;
    const QPoint at = w->mapToGlobal(visible.topLeft()) - screen->geometry().topLeft();
    const QPixmap shot = screen->grabWindow(0, at.x(), at.y(), visible.width(), visible.height());
    if (shot.isNull())
        return false;
    Part = Bounds(visible.x(), visible.y(), shot.width(), shot.height());
    return shot.save(Q(FileName), "PNG");
}

void NativeKey(TCustomForm* Form, Word Key, TShiftState Shift)
{
    QWidget* top = WidgetOf(Form);
    const int qtKey = QtKeyOf(Key);
    if (!top || !qtKey)
        return;
    QWidget* target = top->focusWidget() ? top->focusWidget() : ClientOf(Form);
    Qt::KeyboardModifiers mods;
    if (Shift.Contains(ssShift))
        mods |= Qt::ShiftModifier;
    if (Shift.Contains(ssCtrl))
        mods |= Qt::ControlModifier;
    if (Shift.Contains(ssAlt))
        mods |= Qt::AltModifier;
    QKeyEvent press(QEvent::KeyPress, qtKey, mods);
    QCoreApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, qtKey, mods);
    QCoreApplication::sendEvent(target, &release);
}

void NativeWheel(TControl* C, Integer Delta)
{
    QWidget* w = WidgetOf(C);
    if (!w)
        return;
    const QPoint middle(w->width() / 2, w->height() / 2);
    QWidget* under = w->childAt(middle);
    QWidget* target = under ? under : w;
    const QPointF at = target->mapFrom(w, middle);
    QWheelEvent wheel(at, target->mapToGlobal(at), QPoint(), QPoint(0, Delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(target, &wheel);
}

} // namespace qor
