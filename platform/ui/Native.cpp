// The native widgets behind shown forms.
#include "platform/ui/NativeBridge.h"

#include "platform/rtl/QtHost.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Menus.h"

#include <QApplication>
#include <QEventLoop>
#include <QPointer>
#include <QWidget>

namespace qor {

struct TNativeWidget {
    QPointer<QWidget> Widget;
    bool Owned = true; // a top-level widget is deleted with the control
};

void NativeFree(TNativeWidget* W)
{
    if (!W)
        return;
    if (W->Owned && W->Widget)
        delete W->Widget.data();
    delete W;
}

namespace {

QWidget* WidgetOf(TControl* C) { return C && C->NativeWidget() ? C->NativeWidget()->Widget.data() : nullptr; }

void Mirror(TControl* C, QWidget* W)
{
    W->setGeometry(C->Left(), C->Top(), C->Width(), C->Height());
    W->setVisible(C->Visible());
    W->setEnabled(C->Enabled());
    if (!C->Hint().empty() && C->ShowHint())
        W->setToolTip(QString::fromStdString(C->Hint()));
}

void BuildChildren(TWinControl* Parent, QWidget* ParentWidget)
{
    for (Integer i = 0; i < Parent->ControlCount(); ++i) {
        TControl* c = Parent->Controls(i);
        QWidget* w = WidgetOf(c);
        if (!w) {
            w = new QWidget(ParentWidget);
            auto nw = TControl::TNativePtr(new TNativeWidget{w, false});
            c->SetNativeWidget(std::move(nw));
        }
        Mirror(c, w);
        if (auto* wc = dynamic_cast<TWinControl*>(c))
            BuildChildren(wc, w);
    }
}

} // namespace

void NativeControlChanged(TControl* C)
{
    if (QWidget* w = WidgetOf(C)) {
        if (dynamic_cast<TCustomForm*>(C) && !C->Parent()) {
            w->setWindowTitle(QString::fromStdString(C->Caption()));
            w->resize(C->Width(), C->Height());
        } else {
            Mirror(C, w);
        }
        if (auto* wc = dynamic_cast<TWinControl*>(C))
            BuildChildren(wc, w);
    }
}

void NativeInvalidate(TControl* C)
{
    if (QWidget* w = WidgetOf(C))
        w->update();
}

void NativeRepaint(TControl* C)
{
    if (QWidget* w = WidgetOf(C))
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
    QWidget* top = WidgetOf(Form);
    if (!top) {
        top = new QWidget(nullptr);
        Form->SetNativeWidget(TControl::TNativePtr(new TNativeWidget{top, true}));
    }
    top->setWindowTitle(QString::fromStdString(Form->Caption()));
    top->resize(Form->Width(), Form->Height());
    if (Form->FormStyle() == fsStayOnTop)
        top->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    BuildChildren(Form, top);
}

void NativeShowForm(TCustomForm* Form, bool Modal)
{
    NativeBuildForm(Form);
    QWidget* top = WidgetOf(Form);
    top->setWindowModality(Modal ? Qt::ApplicationModal : Qt::NonModal);
    top->move(Form->Left(), Form->Top());
    top->show();
}

void NativeHideForm(TCustomForm* Form)
{
    if (QWidget* w = WidgetOf(Form))
        w->hide();
}

int NativeRunModal(TCustomForm* Form)
{
    NativeShowForm(Form, true);
    QWidget* top = WidgetOf(Form);
    while (Form->ModalResult() == mrNone && top && top->isVisible()) {
        DeliverPostedMessages();
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    return Form->ModalResult() == mrNone ? mrCancel : Form->ModalResult();
}

void NativePopupMenu(TPopupMenu*, Integer, Integer) {}

} // namespace qor
