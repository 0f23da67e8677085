// The common dialogs on screen: Qt's file dialog, and small print and printer setup dialogs over
// our printer object.
#include "platform/ui/internal/NativeBridge.h"

#include "platform/printing/Printers.h"
#include "platform/rtl/QtHost.h"
#include "platform/rtl/StringList.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace qor {

namespace {

QString Q(const String& S) { return QString::fromUtf8(S.data(), static_cast<qsizetype>(S.size())); }
String S(const QString& Q) { return Q.toUtf8().toStdString(); }

// "Text files (*.txt)" with its masks as Qt writes a name filter: the patterns in the last
// parentheses.
QString NameFilter(const TFilterEntry& E)
{
    QString desc = Q(E.Description).trimmed();
    if (desc.endsWith(')')) {
        const qsizetype open = desc.lastIndexOf('(');
        if (open >= 0)
            desc = desc.left(open).trimmed();
    }
    QStringList masks;
    for (const String& m : E.Masks)
        masks << Q(m);
    return (desc.isEmpty() ? QStringLiteral("Files") : desc) + " (" + masks.join(' ') + ")";
}

// What both printer dialogs start with: their title, and a form whose first row chooses the
// printer.
QFormLayout* StartPrinterForm(QDialog& Dlg, const String& Title, const QString& DefaultTitle, QComboBox*& Combo)
{
    Dlg.setWindowTitle(Title.empty() ? DefaultTitle : Q(Title));
    auto* form = new QFormLayout;
    Combo = new QComboBox;
    TStrings* printers = Printer()->Printers();
    for (Integer i = 0; i < printers->Count(); ++i)
        Combo->addItem(Q(printers->Get(i)));
    Combo->setCurrentIndex(Printer()->PrinterIndex());
    form->addRow(QStringLiteral("Printer:"), Combo);
    return form;
}

// Puts OK and Cancel under the form and runs the dialog. On OK the chosen printer becomes the
// current one and true is returned.
bool RunPrinterForm(QDialog& Dlg, QFormLayout* Form, QComboBox* Combo)
{
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &Dlg, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &Dlg, &QDialog::reject);
    auto* box = new QVBoxLayout(&Dlg);
    box->addLayout(Form);
    box->addWidget(buttons);
    if (Dlg.exec() != QDialog::Accepted)
        return false;
    if (Combo->currentIndex() >= 0 && Combo->currentIndex() != Printer()->PrinterIndex())
        Printer()->SetPrinterIndex(Combo->currentIndex());
    return true;
}

} // namespace

Integer NativeRunFileDialog(TOpenDialog* D, bool Save)
{
    EnsureQtApplication();
    QFileDialog dlg(nullptr, Q(D->Title()));
    dlg.setOption(QFileDialog::DontUseNativeDialog);
    dlg.setAcceptMode(Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    const TOpenOptions o = D->Options();
    if (Save)
        dlg.setFileMode(QFileDialog::AnyFile);
    else if (o.Contains(ofAllowMultiSelect))
        dlg.setFileMode(QFileDialog::ExistingFiles);
    else
        dlg.setFileMode(o.Contains(ofFileMustExist) ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (!o.Contains(ofOverwritePrompt))
        dlg.setOption(QFileDialog::DontConfirmOverwrite);
    QStringList filters;
    for (const TFilterEntry& e : ParseFilter(D->Filter()))
        filters << NameFilter(e);
    if (!filters.isEmpty()) {
        dlg.setNameFilters(filters);
        const Integer i = D->FilterIndex();
        dlg.selectNameFilter(filters[i >= 1 && i <= filters.size() ? i - 1 : 0]);
    }
    if (!D->DefaultExt().empty())
        dlg.setDefaultSuffix(Q(D->DefaultExt()));
    if (!D->InitialDir().empty())
        dlg.setDirectory(Q(D->InitialDir()));
    if (!D->FileName().empty())
        dlg.selectFile(Q(D->FileName()));
    D->NativeNameBox = [&dlg](const String& Name) { dlg.selectFile(Q(Name)); };
    QObject::connect(&dlg, &QFileDialog::filterSelected, [&](const QString& F) {
        const qsizetype i = filters.indexOf(F);
        if (i < 0)
            return;
        try {
            D->ChangeFilterIndex(static_cast<Integer>(i) + 1);
        } catch (...) {
            Application()->HandleException(D);
        }
    });
    const int result = dlg.exec();
    D->NativeNameBox = nullptr;
    if (result != QDialog::Accepted)
        return 0;
    const QStringList chosen = dlg.selectedFiles();
    if (chosen.isEmpty())
        return 0;
    D->SetFileName(S(chosen.front()));
    D->Files()->Clear();
    if (chosen.size() > 1)
        for (const QString& f : chosen)
            D->Files()->Add(S(f));
    return 1;
}

Integer NativeRunPrintDialog(TPrintDialog* D)
{
    EnsureQtApplication();
    QDialog dlg;
    QComboBox* printer = nullptr;
    QFormLayout* form = StartPrinterForm(dlg, D->Title(), QStringLiteral("Print"), printer);
    auto* copies = new QSpinBox;
    copies->setRange(1, 9999);
    copies->setValue(std::max(1, D->Copies()));
    form->addRow(QStringLiteral("Copies:"), copies);
    auto* collate = new QCheckBox(QStringLiteral("Collate"));
    collate->setChecked(D->Collate());
    form->addRow(QString(), collate);
    auto* all = new QRadioButton(QStringLiteral("All"));
    auto* pages = new QRadioButton(QStringLiteral("Pages"));
    auto* from = new QSpinBox;
    auto* to = new QSpinBox;
    const Integer lo = D->MinPage(), hi = D->MaxPage() > 0 ? D->MaxPage() : 9999;
    from->setRange(lo, hi);
    to->setRange(lo, hi);
    from->setValue(D->FromPage());
    to->setValue(D->ToPage());
    pages->setEnabled(D->Options().Contains(poPageNums));
    (D->PrintRange() == prPageNums ? pages : all)->setChecked(true);
    auto* range = new QHBoxLayout;
    range->addWidget(all);
    range->addWidget(pages);
    range->addWidget(from);
    range->addWidget(to);
    form->addRow(QStringLiteral("Range:"), range);
    QCheckBox* toFile = nullptr;
    if (D->Options().Contains(poPrintToFile)) {
        toFile = new QCheckBox(QStringLiteral("Print to file"));
        toFile->setChecked(D->PrintToFile());
        toFile->setEnabled(!D->Options().Contains(poDisablePrintToFile));
        form->addRow(QString(), toFile);
    }
    if (!RunPrinterForm(dlg, form, printer))
        return 0;
    D->SetCopies(copies->value());
    D->SetCollate(collate->isChecked());
    D->SetPrintRange(pages->isChecked() ? prPageNums : prAllPages);
    D->SetFromPage(from->value());
    D->SetToPage(to->value());
    if (toFile)
        D->SetPrintToFile(toFile->isChecked());
    return 1;
}

Integer NativeRunPrinterSetupDialog(TPrinterSetupDialog* D)
{
    EnsureQtApplication();
    QDialog dlg;
    QComboBox* printer = nullptr;
    QFormLayout* form = StartPrinterForm(dlg, D->Title(), QStringLiteral("Printer Setup"), printer);
    auto* portrait = new QRadioButton(QStringLiteral("Portrait"));
    auto* landscape = new QRadioButton(QStringLiteral("Landscape"));
    String device, driver, port;
    HDEVMODE mode;
    Printer()->GetPrinter(device, driver, port, mode);
    bool isLandscape = false;
    if (PDeviceMode dm = GlobalLock(mode)) {
        isLandscape = dm->dmOrientation == DMORIENT_LANDSCAPE;
        GlobalUnlock(mode);
    }
    (isLandscape ? landscape : portrait)->setChecked(true);
    auto* orientation = new QHBoxLayout;
    orientation->addWidget(portrait);
    orientation->addWidget(landscape);
    form->addRow(QStringLiteral("Orientation:"), orientation);
    if (!RunPrinterForm(dlg, form, printer))
        return 0;
    Printer()->GetPrinter(device, driver, port, mode);
    if (PDeviceMode dm = GlobalLock(mode)) {
        dm->dmOrientation = landscape->isChecked() ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
        dm->dmFields |= DM_ORIENTATION;
        GlobalUnlock(mode);
    }
    return 1;
}

} // namespace qor
