#pragma once
// Display formats: how a label turns a typed value into text (masks for text, numbers, dates,
// Booleans and hours), with letter case and suppressed nulls.

#include "platform/rtl/Persistent.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/TypeInfo.h"

#include <memory>

namespace qor {

class TControl;
class TKivData;
class TMemoryStream;
class TStream;
enum TKivDataTypes : Byte;

enum TKivTextCase : Byte { tcNone, tcUpper, tcLower };
QOR_ENUM_NAMES(TKivTextCase, "tcNone", "tcUpper", "tcLower");

QOR_ENUM_NAMES(TFloatFormat, "ffGeneral", "ffExponent", "ffFixed", "ffNumber", "ffCurrency");

class TKivRootFormat : public TPersistent {
    QOR_CLASS(TKivRootFormat, TPersistent)
public:
    TKivRootFormat();
    ~TKivRootFormat() override;

    const String& DisplayFormat() const { return FDisplayFormat; }
    void SetDisplayFormat(const String& Value);
    TKivTextCase TextCase() const { return FTextCase; }
    void SetTextCase(TKivTextCase Value);
    TFloatFormat FloatFormat() const { return FFloatFormat; }
    void SetFloatFormat(TFloatFormat Value);
    Integer Width() const { return FWidth; }
    void SetWidth(Integer Value);
    Integer Digits() const { return FDigits; }
    void SetDigits(Integer Value);
    bool SuppressNulls() const { return FSuppressNulls; }
    void SetSuppressNulls(bool Value);
    bool UseCurrencyDecimals() const { return FUseCurrencyDecimals; }
    void SetUseCurrencyDecimals(bool Value);
    // The label the format belongs to; it repaints when a property changes.
    TControl* KivLabel() const { return FKivLabel; }
    void SetKivLabel(TControl* Value) { FKivLabel = Value; }

    String FormatAsString(TKivData* Value) const;
    // Whether FormatAsString makes a text for every value of Type without fail. Only numbers in
    // the hours format refuse some values (those too large to count in minutes).
    bool FormatsEveryValue(TKivDataTypes Type) const;
    // The UTF-16 little-endian byte-order mark and FormatAsString's text; owned by the format,
    // positioned at 0.
    TStream* FormatAsStream(TKivData* Value);

protected:
    void Changed();

    String FDisplayFormat;
    TKivTextCase FTextCase = tcNone;
    TFloatFormat FFloatFormat = ffGeneral;
    Integer FWidth = 15;
    Integer FDigits = 0;
    TControl* FKivLabel = nullptr;
    std::unique_ptr<TMemoryStream> FReturnStream;
    bool FSuppressNulls = false;
    bool FUseCurrencyDecimals = false;

private:
    // FormatAsString's text before its letter case.
    String ValueText(TKivData* Value) const;
    // The decimals FloatFormat shows without a display format.
    Integer DecimalsShown() const;
    // Reads what the display format is (none, the hours format, a mask), once for each format.
    void Plan() const;
    // The display format read once, for every value a run formats with it (after Plan).
    const TNumberMask& NumberMask() const;
    const TDateTimeMask& DateTimeMask() const;
    mutable TNumberMask FNumberMask;
    mutable TDateTimeMask FDateTimeMask;
    mutable bool FPlanned = false;
    mutable bool FNoFormat = true;
    mutable bool FHoursFormat = false;
    mutable bool FNumberMaskMade = false; // for the display format Plan read
    mutable bool FDateTimeMaskMade = false;
};

// The format of text and variable labels.
class TKivFormat : public TKivRootFormat {
    QOR_CLASS(TKivFormat, TKivRootFormat)
public:
    TKivFormat() = default;
};

// The format of total labels: ffNumber with 2 digits.
class TKivFloatFormat : public TKivRootFormat {
    QOR_CLASS(TKivFloatFormat, TKivRootFormat)
public:
    TKivFloatFormat();
};

} // namespace qor
