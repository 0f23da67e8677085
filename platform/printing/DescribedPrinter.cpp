// Printers read from a description file; their jobs write a PDF and a job log.

#include "platform/printing/PrinterDriver.h"

#include "platform/rtl/Exceptions.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <set>

namespace qor {

namespace {

class EDescription : public std::exception {
public:
    explicit EDescription(String Problem) : FProblem(std::move(Problem)) {}
    const char* what() const noexcept override { return FProblem.c_str(); }

private:
    String FProblem;
};

[[noreturn]] void Fail(const String& Where, const String& Problem)
{
    throw EDescription(Where.empty() ? Problem : Where + ": " + Problem);
}

String Quoted(const String& S)
{
    return "\"" + S + "\"";
}

void CheckKeys(const QJsonObject& O, const std::set<QString>& Known, const String& Where)
{
    for (auto It = O.begin(); It != O.end(); ++It)
        if (!Known.count(It.key()))
            Fail(Where, "unknown field " + Quoted(It.key().toStdString()));
}

const QJsonValue& Require(const QJsonObject& O, const char* Key, const String& Where, QJsonValue& Holder)
{
    Holder = O.value(QLatin1String(Key));
    if (Holder.isUndefined())
        Fail(Where, "missing field " + Quoted(Key));
    return Holder;
}

Integer ToInteger(const QJsonValue& V, const String& Where, const char* Key, Integer Min, Integer Max)
{
    if (!V.isDouble())
        Fail(Where, Quoted(Key) + " must be a whole number");
    const double D = V.toDouble();
    // Whole first, range second, and neither by converting: a number like 1e300 has no integer.
    if (!std::isfinite(D) || D != std::trunc(D))
        Fail(Where, Quoted(Key) + " must be a whole number");
    if (D < Min || D > Max)
        Fail(Where, Quoted(Key) + " must be between " + std::to_string(Min) + " and " + std::to_string(Max));
    return static_cast<Integer>(D);
}

String ToString(const QJsonValue& V, const String& Where, const char* Key)
{
    if (!V.isString())
        Fail(Where, Quoted(Key) + " must be a text");
    return V.toString().toStdString();
}

bool ToBool(const QJsonValue& V, const String& Where, const char* Key)
{
    if (!V.isBool())
        Fail(Where, Quoted(Key) + " must be true or false");
    return V.toBool();
}

bool IsStandardBinCode(Integer Code)
{
    return !StandardBinDisplayName(Code).empty();
}

class TDescribedPrinterDriver : public TPrinterDriver {
public:
    TDescribedPrinterDriver(String Name, String DriverName, String Port) : TPrinterDriver(std::move(Name), std::move(DriverName), std::move(Port)) {}

    TPrinterCapabilities& Caps() { return FCaps; }
    String OutputFolder;
    bool IsDefault = false;

    std::unique_ptr<TPrintJob> CreateJob(const String& Title, const String& OutputFile,
                                         const TDeviceMode& DevMode) const override;
};

class TDescribedPrintJob : public TPrintJob {
public:
    using TPrintJob::TPrintJob;

    String LogFile() const
    {
        return std::filesystem::path(PdfFile()).replace_extension(".json").string();
    }

    void Finish() override
    {
        const TDeviceMode& J = JobDevMode();
        const TPrinterCapabilities& Caps = FDriver.Capabilities();
        Integer Copies = (J.dmFields & DM_COPIES) ? J.dmCopies : 1;
        Copies = std::clamp<Integer>(Copies, 1, std::max<Integer>(1, Caps.MaxCopies));
        const bool Collate = (J.dmFields & DM_COLLATE) && J.dmCollate == DMCOLLATE_TRUE;

        QJsonArray Pages;
        int Number = 0;
        for (const TJobPage& P : this->Pages()) {
            const TDeviceMode& D = P.DevMode;
            QJsonObject Page;
            Page["number"] = ++Number;
            const Integer Paper = (D.dmFields & DM_PAPERSIZE) ? D.dmPaperSize : 0;
            Page["paper"] = Paper;
            const TPaperInfo* Info = FDriver.FindPaper(Paper);
            Page["paperName"] = QString::fromStdString(Info ? Info->Name : StandardPaperDisplayName(Paper));
            Page["width"] = P.Geometry.SheetWidth;
            Page["length"] = P.Geometry.SheetLength;
            Page["orientation"] = P.Geometry.Landscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
            const Integer Source = (D.dmFields & DM_DEFAULTSOURCE) ? D.dmDefaultSource
                                   : Caps.Bins.empty()             ? 0
                                                                   : Caps.Bins.front().Code;
            Page["source"] = Source;
            const TBinInfo* Bin = FDriver.FindBin(Source);
            Page["sourceName"] = QString::fromStdString(Bin ? Bin->Name : String());
            Page["duplex"] = (D.dmFields & DM_DUPLEX) && Caps.Duplex ? D.dmDuplex : DMDUP_SIMPLEX;
            Page["resolution"] = QJsonArray{P.Geometry.DpiX, P.Geometry.DpiY};
            Page["color"] = Caps.Color && !((D.dmFields & DM_COLOR) && D.dmColor == DMCOLOR_MONOCHROME);
            Pages.append(Page);
        }
        QJsonObject Log;
        Log["printer"] = QString::fromStdString(FDriver.Name());
        Log["title"] = QString::fromStdString(Title());
        Log["pdf"] = QString::fromStdString(PdfFile());
        Log["copies"] = Copies;
        Log["collate"] = Collate;
        Log["pageCount"] = Number;
        Log["pages"] = Pages;

        QSaveFile F(QString::fromStdString(LogFile()));
        if (!F.open(QIODevice::WriteOnly))
            throw EPrinter("Cannot write the job log " + LogFile() + ": " + F.errorString().toStdString());
        F.write(QJsonDocument(Log).toJson(QJsonDocument::Indented));
        if (!F.commit())
            throw EPrinter("Cannot write the job log " + LogFile() + ": " + F.errorString().toStdString());
        FDelivery.File = PdfFile();
    }
};

std::unique_ptr<TPrintJob> TDescribedPrinterDriver::CreateJob(const String& Title, const String& OutputFile,
                                                              const TDeviceMode& DevMode) const
{
    String File = OutputFile;
    if (File.empty()) {
        String Folder = OutputFolder;
        if (Folder.empty()) {
            Folder = PdfOutputFolder();
        } else {
            std::error_code Ec;
            std::filesystem::create_directories(Folder, Ec);
            if (!std::filesystem::is_directory(Folder, Ec))
                throw EPrinter("Cannot create the output folder " + Folder + " of printer " + Name());
        }
        File = UniqueOutputFile(Folder, Title, ".pdf");
    }
    return std::make_unique<TDescribedPrintJob>(*this, Title, File, DevMode);
}

TPaperInfo ParsePaper(const QJsonValue& V, const String& Where)
{
    if (!V.isObject())
        Fail(Where, "must be an object");
    const QJsonObject O = V.toObject();
    CheckKeys(O, {"code", "name", "width", "length"}, Where);
    QJsonValue H;
    TPaperInfo P;
    P.Code = ToInteger(Require(O, "code", Where, H), Where, "code", -32768, 32767);
    const bool Standard = P.Code != DMPAPER_USER && IsStandardPaperCode(P.Code);
    if (!Standard && P.Code < DMPAPER_USER)
        Fail(Where, "unknown paper code " + std::to_string(P.Code));
    const bool HasWidth = O.contains("width");
    const bool HasLength = O.contains("length");
    if (Standard) {
        P.Name = O.contains("name") ? ToString(O.value("name"), Where, "name") : StandardPaperDisplayName(P.Code);
        const TPaperSizeTenthsMM S = *StandardPaperSize(P.Code);
        P.Width = S.Width;
        P.Length = S.Length;
        if (HasWidth != HasLength)
            Fail(Where, HasWidth ? "missing field \"length\"" : "missing field \"width\"");
    } else {
        P.Name = ToString(Require(O, "name", Where, H), Where, "name");
        Require(O, "width", Where, H);
        Require(O, "length", Where, H);
    }
    if (HasWidth) {
        P.Width = ToInteger(O.value("width"), Where, "width", 1, 32767);
        P.Length = ToInteger(O.value("length"), Where, "length", 1, 32767);
    }
    if (P.Name.empty())
        Fail(Where, "\"name\" must not be empty");
    return P;
}

TBinInfo ParseBin(const QJsonValue& V, const String& Where)
{
    if (!V.isObject())
        Fail(Where, "must be an object");
    const QJsonObject O = V.toObject();
    CheckKeys(O, {"code", "name"}, Where);
    QJsonValue H;
    TBinInfo B;
    B.Code = ToInteger(Require(O, "code", Where, H), Where, "code", -32768, 32767);
    if (IsStandardBinCode(B.Code)) {
        B.Name = O.contains("name") ? ToString(O.value("name"), Where, "name") : StandardBinDisplayName(B.Code);
    } else if (B.Code >= DMBIN_USER) {
        B.Name = ToString(Require(O, "name", Where, H), Where, "name");
    } else {
        Fail(Where, "unknown bin code " + std::to_string(B.Code));
    }
    if (B.Name.empty())
        Fail(Where, "\"name\" must not be empty");
    return B;
}

TResolutionInfo ParseResolution(const QJsonValue& V, const String& Where)
{
    if (V.isDouble()) {
        const Integer D = ToInteger(V, Where, "resolution", 1, 32767);
        return {D, D};
    }
    if (!V.isArray() || V.toArray().size() != 2)
        Fail(Where, "must be a number of dots per inch or a pair [x, y]");
    const QJsonArray A = V.toArray();
    return {ToInteger(A[0], Where, "x", 1, 32767), ToInteger(A[1], Where, "y", 1, 32767)};
}

QJsonArray RequireArray(const QJsonObject& O, const char* Key, const String& Where, bool NonEmpty)
{
    QJsonValue H;
    const QJsonValue& V = Require(O, Key, Where, H);
    if (!V.isArray())
        Fail(Where, Quoted(Key) + " must be a list");
    if (NonEmpty && V.toArray().isEmpty())
        Fail(Where, Quoted(Key) + " must not be empty");
    return V.toArray();
}

std::unique_ptr<TDescribedPrinterDriver> ParsePrinter(const QJsonValue& V, int Index)
{
    String Where = "printer " + std::to_string(Index);
    if (!V.isObject())
        Fail(Where, "must be an object");
    const QJsonObject O = V.toObject();
    QJsonValue H;
    const String Name = ToString(Require(O, "name", Where, H), Where, "name");
    if (Name.empty())
        Fail(Where, "\"name\" must not be empty");
    Where += " (" + Quoted(Name) + ")";
    CheckKeys(O, {"name", "driver", "port", "papers", "bins", "resolutions", "copies", "duplex", "color",
                  "margins", "output", "default"},
              Where);

    auto D = std::make_unique<TDescribedPrinterDriver>(
        Name, O.contains("driver") ? ToString(O.value("driver"), Where, "driver") : String("qor-described"),
        O.contains("port") ? ToString(O.value("port"), Where, "port") : String("FILE:"));
    TPrinterCapabilities& C = D->Caps();

    // Codes seen so far, for the duplicate checks (a list may hold every one of the 65536 codes).
    std::set<Integer> Codes;
    const QJsonArray Papers = RequireArray(O, "papers", Where, true);
    for (int I = 0; I < Papers.size(); ++I) {
        TPaperInfo P = ParsePaper(Papers[I], Where + ", paper " + std::to_string(I + 1));
        if (!Codes.insert(P.Code).second)
            Fail(Where + ", paper " + std::to_string(I + 1), "paper code " + std::to_string(P.Code) + " listed twice");
        C.Papers.push_back(std::move(P));
    }
    Codes.clear();
    const QJsonArray Bins = RequireArray(O, "bins", Where, false);
    for (int I = 0; I < Bins.size(); ++I) {
        TBinInfo B = ParseBin(Bins[I], Where + ", bin " + std::to_string(I + 1));
        if (!Codes.insert(B.Code).second)
            Fail(Where + ", bin " + std::to_string(I + 1), "bin code " + std::to_string(B.Code) + " listed twice");
        C.Bins.push_back(std::move(B));
    }
    const QJsonArray Resolutions = RequireArray(O, "resolutions", Where, true);
    for (int I = 0; I < Resolutions.size(); ++I)
        C.Resolutions.push_back(ParseResolution(Resolutions[I], Where + ", resolution " + std::to_string(I + 1)));
    C.MaxCopies = ToInteger(Require(O, "copies", Where, H), Where, "copies", 1, 32767);
    C.Duplex = O.contains("duplex") ? ToBool(O.value("duplex"), Where, "duplex") : false;
    C.Color = O.contains("color") ? ToBool(O.value("color"), Where, "color") : true;
    if (O.contains("margins")) {
        const String W = Where + ", margins";
        if (!O.value("margins").isObject())
            Fail(W, "must be an object");
        const QJsonObject M = O.value("margins").toObject();
        CheckKeys(M, {"left", "top", "right", "bottom"}, W);
        auto Get = [&](const char* Key) { return M.contains(Key) ? ToInteger(M.value(Key), W, Key, 0, 10000) : 0; };
        C.Margins = {Get("left"), Get("top"), Get("right"), Get("bottom")};
        for (const TPaperInfo& P : C.Papers)
            if (C.Margins.Left + C.Margins.Right >= P.Width || C.Margins.Top + C.Margins.Bottom >= P.Length)
                Fail(W, "leave nothing printable on paper " + Quoted(P.Name));
    }
    if (O.contains("output")) {
        D->OutputFolder = ToString(O.value("output"), Where, "output");
        if (D->OutputFolder.empty())
            Fail(Where, "\"output\" must not be empty");
    }
    D->IsDefault = O.contains("default") ? ToBool(O.value("default"), Where, "default") : false;
    return D;
}

// Far beyond any real description: every paper and bin code with a long name fits many times.
constexpr qint64 MaxDescriptionBytes = 16 * 1024 * 1024;

} // namespace

std::vector<std::unique_ptr<TPrinterDriver>> ParseDescribedPrinters(const String& Json, const String& FileName)
{
    const String Prefix = "Printer description " + FileName + ": ";
    try {
        QJsonParseError Err;
        const QJsonDocument Doc = QJsonDocument::fromJson(QByteArray::fromStdString(Json), &Err);
        if (Err.error != QJsonParseError::NoError)
            Fail("", "not valid JSON at offset " + std::to_string(Err.offset) + " (" + Err.errorString().toStdString() + ")");
        if (!Doc.isObject())
            Fail("", "the top level must be an object with a \"printers\" list");
        const QJsonObject Top = Doc.object();
        CheckKeys(Top, {"printers"}, "");
        const QJsonArray List = RequireArray(Top, "printers", "", true);
        std::vector<std::unique_ptr<TPrinterDriver>> Result;
        std::set<String> Names{"PDF"};
        for (int I = 0; I < List.size(); ++I) {
            auto D = ParsePrinter(List[I], I + 1);
            if (!Names.insert(D->Name()).second)
                Fail("printer " + std::to_string(I + 1), "the name " + Quoted(D->Name()) + " is already taken");
            Result.push_back(std::move(D));
        }
        return Result;
    } catch (const EDescription& E) {
        throw EPrinter(Prefix + E.what());
    }
}

std::vector<std::unique_ptr<TPrinterDriver>> LoadDescribedPrinters(const String& FileName)
{
    QFile F(QString::fromStdString(FileName));
    if (!F.open(QIODevice::ReadOnly))
        throw EPrinter("Printer description " + FileName + ": cannot be read (" + F.errorString().toStdString() + ")");
    // Read at most one byte past the limit, so that an endless source (a device, a pipe) ends.
    const QByteArray Bytes = F.read(MaxDescriptionBytes + 1);
    if (Bytes.size() > MaxDescriptionBytes)
        throw EPrinter("Printer description " + FileName + ": is larger than " +
                       std::to_string(MaxDescriptionBytes / (1024 * 1024)) + " MB");
    if (F.error() != QFileDevice::NoError)
        throw EPrinter("Printer description " + FileName + ": cannot be read (" + F.errorString().toStdString() + ")");
    return ParseDescribedPrinters(Bytes.toStdString(), FileName);
}

bool IsDescribedDefault(const TPrinterDriver& Driver)
{
    const auto* D = dynamic_cast<const TDescribedPrinterDriver*>(&Driver);
    return D && D->IsDefault;
}

} // namespace qor
