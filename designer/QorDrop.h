#pragma once
// The fast label tool: the developer picks variables of a page from a list and drags them onto a
// band, where one label per variable is made, formatted from the variable's type or its database
// field, sized, optionally captioned by a text label and parted by dividers, laid out in a row or a
// column, and selected in the designer. The last drop can be undone.

#include "platform/ui/Forms.h"

#include <vector>

namespace qor {

class TComboBox;
class TDataSet;
class TField;
class TFieldDef;
class TKivBand;
class TKivLabel;
class TKivPage;
class TKivVar;
class TListBox;
class TPanel;
class TSpeedButton;
class TStringList;
class IDesigner;

// A database field looked up by name for formatting a label.
class TMyField : public TObject {
public:
    TMyField(const String& MyFieldName, TDataSet* MyDataSet);
    ~TMyField() override;
    TField* GetField() const;
    // The label type of the field's definition; unknown without one.
    Byte GetDataType() const;
    // Formats a variable label from the field (other labels are left alone).
    void FormatFieldLabel(TKivLabel* Label) const;

    String FieldName;
    TDataSet* DataSet = nullptr;
    TField* Field = nullptr;
    TFieldDef* FieldDef = nullptr;
    bool DeleteField = false;

private:
    void MakeField();
};

class TQorDropLabels : public TForm {
    QOR_CLASS(TQorDropLabels, TForm)
public:
    explicit TQorDropLabels(TComponent* AOwner);
    ~TQorDropLabels() override;

    void FormCreate(TObject* Sender);
    // Refills the two drop-down lists from the page (before each showing).
    void FillComboBoxes();
    void VariableSelectionChange(TObject* Sender);
    void QorVariableListClick(TObject* Sender);
    void SpeedButton1Click(TObject* Sender); // undo
    void SpeedButton2Click(TObject* Sender); // one column more
    void SpeedButton3Click(TObject* Sender); // one column fewer
    // Makes labels for the selected rows on Band at X, Y.
    void DropLabels(TKivBand* Band, Integer X, Integer Y);

    TListBox* QorVariableList = nullptr;
    TPanel* ToolPanel = nullptr;
    TSpeedButton *sbHoriz = nullptr, *sbHorizdiv = nullptr, *sbVert = nullptr;
    TSpeedButton *sbTop = nullptr, *sbLeft = nullptr;
    TSpeedButton *SpeedButton1 = nullptr, *SpeedButton2 = nullptr, *SpeedButton3 = nullptr;
    TComboBox* VariableSelection = nullptr;
    TComboBox* TextBand = nullptr;
    TPanel* UndoPanel = nullptr;

    std::vector<Integer> SelectedList; // row numbers in the order they were selected
    std::vector<TKivLabel*> TextLabelList, VarLabelList, TextDivList, VarDivList;
    TKivBand* TextLabelBand = nullptr;
    TKivBand* VarLabelBand = nullptr;
    bool DropHorz = true, TextAbove = true, Dividers = false;
    Integer xDrop = 0, yDrop = 0;
    TKivPage* Page = nullptr;
    TListBox* SList = nullptr;
    IDesigner* PageDesigner = nullptr;

    // The steps of a drop, in order.
    void CreateLabels();
    TKivLabel* CreateVarLabel(TKivVar* Variable, TKivBand* Band);
    TKivLabel* CreateLabel(TKivVar* Variable, Byte Type);
    void FormatVarLabel(TKivLabel* Label, TKivVar* Variable, Byte Type);
    void FormatTextLabel(TKivLabel* Label, TKivVar* Variable);
    void FormatLabelHW(TKivLabel* Label, TKivVar* Variable, const TMyField* Field);
    // Lays the labels out; true when they were wrapped (then no dividers are made).
    bool ArrangeLabels(bool Wrap = false);
    bool CheckWidth();
    void ShrinkLabels();
    void CreateDividers();
    void SelectComponents();
    void AdjustBandHeight();
    TKivBand* GetTextBand() const;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    TKivLabel* Adopt(TKivLabel* Label, TKivBand* Band, std::vector<TKivLabel*>& List);
    // Takes the labels of the last drop from Index on out of the lists, then frees them.
    void DeleteFrom(size_t Index);
    Integer PixelsPerInchP() const;
};

} // namespace qor
