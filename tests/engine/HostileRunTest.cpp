// qor run, render and dump under faults and hostile forms: a full disk, a stopped run, a form that
// names its own output, SQL that would write. Nothing is lost, nothing passes for success.

#include "common/SoundPdf.h"
#include "engine/PrivatePostgres.h"
#include "output/OutputTestSupport.h"
#include "platform/db/SqlDataSet.h"
#include "platform/rtl/Streams.h"
#include "runtime/output/QorFile.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include <sys/wait.h>
#include <unistd.h>

using namespace qor;
using namespace qor::test;

namespace {

const std::string TallRows = std::string(QOR_TEST_DATA_DIR) + "/engine/run/tallrows.qfm";

std::string ReadForm()
{
    std::ifstream In(TallRows);
    return std::string((std::istreambuf_iterator<char>(In)), std::istreambuf_iterator<char>());
}

// The tall-rows form with Rows rows.
std::string FormWithRows(int Rows)
{
    std::string Form = ReadForm();
    const std::size_t From = Form.find("    Rows.Strings = ("), To = Form.find("  end", From);
    std::string Lines = "    Rows.Strings = (\n";
    for (int I = 1; I <= Rows; ++I)
        Lines += "      '" + std::to_string(I) + "'\n";
    Form.replace(From, To - From, Lines.substr(0, Lines.size() - 1) + ")\n");
    return Form;
}

class HostileRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        Dir = std::filesystem::temp_directory_path() /
              ("qor-hostile-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(Dir);
    }
    void TearDown() override { std::filesystem::remove_all(Dir); }
    std::string Path(const std::string& Name) const { return (Dir / Name).string(); }
    static std::string Q(const std::string& S) { return "'" + S + "'"; }
    TToolRun Qor(const std::string& Args) { return RunQorTool(Args, Dir, "QT_QPA_PLATFORM=offscreen"); }
    // With files held to Blocks of 512 bytes: past that every write fails, as on a full disk.
    TToolRun QorOnAFullDisk(const std::string& Args, int Blocks, const std::string& Env = "")
    {
        return RunQorTool(Args, Dir,
                          Env + " QT_QPA_PLATFORM=offscreen sh -c 'trap \"\" XFSZ; ulimit -f " +
                              std::to_string(Blocks) + "; exec \"$0\" \"$@\"'");
    }
    // The files of Dir but the tool's own outputs.
    int FileCount() const
    {
        int N = 0;
        for (const auto& E : std::filesystem::directory_iterator(Dir))
            N += E.path().filename() != "stdout.txt" && E.path().filename() != "stderr.txt";
        return N;
    }
    std::filesystem::path Dir;
};

TEST_F(HostileRun, AFullDiskFailsWithItsReasonAndLeavesTheEarlierFile)
{
    std::ofstream(Path("big.qfm")) << FormWithRows(2000);
    for (const char* Out : {"big.pdf", "big.qor", "big.rtf"}) {
        const std::string Earlier = "an earlier file of that name";
        std::ofstream(Path(Out)) << Earlier;
        const TToolRun R = QorOnAFullDisk("run " + Q(Path("big.qfm")) + " --to " + Q(Path(Out)), 64);
        EXPECT_EQ(R.Exit, 1) << Out << ": " << R.Out << R.Err;
        EXPECT_EQ(R.Out.find("Written"), std::string::npos) << R.Out;
        EXPECT_NE(R.Err.find("File too large"), std::string::npos) << Out << ": " << R.Err;
        EXPECT_NE(R.Err.find(Out), std::string::npos) << "the message names the file: " << R.Err;
        EXPECT_TRUE(ReadWholeFile(Path(Out)) == Earlier) << Out;
    }
    EXPECT_EQ(FileCount(), 4) << "no temporary file is left";


    // Printing to the PDF printer, and pictures: nothing cut is left, nothing passes for success.
    ASSERT_EQ(Qor("run " + Q(TallRows) + " --to " + Q(Path("rows.qor"))).Exit, 0);
    std::filesystem::create_directories(Path("pdfs"));
    const TToolRun Print =
        QorOnAFullDisk("print " + Q(Path("rows.qor")) + " --printer PDF", 8, "QOR_PDF_DIR=" + Q(Path("pdfs")));
    EXPECT_EQ(Print.Exit, 1) << Print.Out << Print.Err;
    EXPECT_NE(Print.Err.find("could not be written: File too large"), std::string::npos) << Print.Err;
    EXPECT_TRUE(std::filesystem::is_empty(Path("pdfs")));
    const TToolRun Png = QorOnAFullDisk("render " + Q(Path("rows.qor")) + " --png " + Q(Path("png")), 1);
    EXPECT_EQ(Png.Exit, 1) << Png.Err;
    EXPECT_TRUE(std::filesystem::is_empty(Path("png"))) << "a cut picture, or its temporary file, was left";

    // A full file system (ENOSPC, as /dev/full gives it) rather than a file too large: the page
    // file's writer fails with the system's reason too (the PDF's: PdfBackend).
    TQorQorFile Rows;
    Rows.LoadFromFile(Path("rows.qor"));
    TFileStream Full("/dev/full", fmOpenWrite);
    EXPECT_THROW(
        {
            Rows.SaveToStream(&Full);
            Full.Flush();
        },
        EWriteError);
    EXPECT_EQ(Full.WriteFailure(), "No space left on device");
}

TEST_F(HostileRun, AFailedOrStoppedRunKeepsTheFileAnEarlierRunWrote)
{
    // A run whose query fails does not remove the good report of an earlier run.
    ASSERT_EQ(Qor("run " + Q(TallRows) + " --to " + Q(Path("rows.pdf"))).Exit, 0);
    ASSERT_EQ(Qor("run " + Q(TallRows) + " --to " + Q(Path("rows.qor"))).Exit, 0);
    const std::string Pdf = ReadWholeFile(Path("rows.pdf")), Qor1 = ReadWholeFile(Path("rows.qor"));
    ExpectSoundPdf(Path("rows.pdf"));
    std::string Form = ReadForm();
    const std::size_t From = Form.find("  object Orders"), To = Form.find("  object OrderSource");
    Form.replace(From, To - From,
                 "  object Db: TDatabase\n    DatabaseName = 'none.db'\n  end\n"
                 "  object Orders: TQuery\n    Database = Db\n    SQL.Strings = ('SELECT 1')\n  end\n");
    std::ofstream(Path("failing.qfm")) << Form;
    for (const char* Out : {"rows.pdf", "rows.qor"})
        EXPECT_EQ(Qor("run " + Q(Path("failing.qfm")) + " --to " + Q(Path(Out))).Exit, 1);
    // Nor does a record that fails while its band prints (a variable label cannot show a total):
    // the run says why rather than passing the pages made so far off as the report.
    Form = ReadForm();
    Form.insert(Form.find("      object DLevel"),
                "      object NVar: TKivDBVar\n        DataSource = OrderSource\n        DataField = 'N'\n"
                "        UpdateLevel = DLevel\n      end\n"
                "      object Total: TKivTotalvar\n        Variable = NVar\n        UpdateLevel = DLevel\n      end\n");
    Form.insert(Form.find("        object DLabel"), "        object Wrong: TKivVarLabel\n          Left = 220\n"
                                                     "          Width = 100\n          Height = 20\n"
                                                     "          Variable = Total\n        end\n");
    std::ofstream(Path("failing-record.qfm")) << Form;
    for (const char* Out : {"rows.pdf", "rows.qor"}) {
        const TToolRun R = Qor("run " + Q(Path("failing-record.qfm")) + " --to " + Q(Path(Out)));
        EXPECT_EQ(R.Exit, 1) << R.Out;
        EXPECT_NE(R.Err.find("Invalid access to totalvar: Total"), std::string::npos) << R.Err;
    }
    EXPECT_TRUE(ReadWholeFile(Path("rows.pdf")) == Pdf);
    EXPECT_TRUE(ReadWholeFile(Path("rows.qor")) == Qor1);

    // Stopped part way by SIGINT or SIGTERM: the earlier PDF is still whole where it was.
    std::ofstream(Path("long.qfm")) << FormWithRows(30000);
    for (int Signal : {SIGINT, SIGTERM}) {
        const pid_t Child = fork();
        ASSERT_GE(Child, 0);
        if (Child == 0) {
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
            const std::string Err = Path("long.err");
            if (!freopen(Err.c_str(), "w", stderr) || !freopen("/dev/null", "w", stdout))
                _exit(126);
            const std::string Qor = std::string(QOR_BINARY_DIR) + "/tools/qor", To = Path("rows.pdf"),
                              Long = Path("long.qfm");
            execl(Qor.c_str(), "qor", "run", Long.c_str(), "--to", To.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        // Stopped once it is making pages.
        for (int I = 0; I < 600 && ReadWholeFile(Path("long.err")).find("generating page") == std::string::npos; ++I)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        kill(Child, Signal);
        int Status = 0;
        waitpid(Child, &Status, 0);
        EXPECT_TRUE(WIFSIGNALED(Status) || WEXITSTATUS(Status) != 0) << "the run was not stopped part way";
        EXPECT_TRUE(ReadWholeFile(Path("rows.pdf")) == Pdf) << "signal " << Signal;
    }
}

TEST_F(HostileRun, TheCommandLineSaysWhereTheOutputGoes)
{
    // The form asks for RTF into a folder above: the PDF named on the command line is written,
    // and nothing goes where the form said.
    std::filesystem::create_directories(Dir / "a" / "b");
    std::string Form = ReadForm();
    Form.insert(Form.find("      Head = RH"), "      OutputType = otRichText\n      RtfFile = '../../claimed.rtf'\n");
    std::ofstream(Path("a/b/rtf.qfm")) << Form;
    const TToolRun R = Qor("run " + Q(Path("a/b/rtf.qfm")) + " --to " + Q(Path("a/b/out.pdf")));
    EXPECT_EQ(R.Exit, 0) << R.Err;
    EXPECT_NE(RunCommand("pdftotext " + Q(Path("a/b/out.pdf")) + " -").find("A row"), std::string::npos);
    ExpectSoundPdf(Path("a/b/out.pdf"));
    EXPECT_FALSE(std::filesystem::exists(Path("claimed.rtf")));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::current_path() / "../../claimed.rtf"));

    // A form named .qor is not overwritten by its own default output; RTF has no pages to pick.
    std::filesystem::copy_file(TallRows, Path("rep.qor"));
    const std::string Before = ReadWholeFile(Path("rep.qor"));
    const std::filesystem::path Was = std::filesystem::current_path();
    std::filesystem::current_path(Dir);
    const TToolRun Self = Qor("run rep.qor");
    std::filesystem::current_path(Was);
    EXPECT_EQ(Self.Exit, 2);
    EXPECT_NE(Self.Err.find("would overwrite the report form"), std::string::npos) << Self.Err;
    EXPECT_TRUE(ReadWholeFile(Path("rep.qor")) == Before);
    const TToolRun Pages = Qor("run " + Q(TallRows) + " --to " + Q(Path("x.rtf")) + " --pages 2-3");
    EXPECT_EQ(Pages.Exit, 2);
    EXPECT_NE(Pages.Err.find("--pages does not apply to RTF output"), std::string::npos) << Pages.Err;
}

TEST_F(HostileRun, ReportQueriesOnlyReadTheirDatabase)
{
    {
        std::ofstream(Path("rows.db")).close();
        TDatabase Db(nullptr);
        Db.SetDatabaseName(Path("rows.db"));
        Db.ExecSQL("CREATE TABLE t (n INTEGER)");
        Db.ExecSQL("INSERT INTO t VALUES (1), (2), (3)");
    }
    const auto FormWithSql = [&](const std::string& Sql, const std::string& Database = "DatabaseName = 'rows.db'") {
        std::string Form = ReadForm();
        const std::size_t From = Form.find("  object Orders"), To = Form.find("  object OrderSource");
        Form.replace(From, To - From,
                     "  object Db: TDatabase\n    " + Database + "\n  end\n"
                     "  object Orders: TQuery\n    Database = Db\n    SQL.Strings = ('" +
                         Sql + "')\n  end\n");
        std::ofstream(Path("sql.qfm")) << Form;
        return Qor("run " + Q(Path("sql.qfm")) + " --to " + Q(Path("sql.qor")));
    };
    const TToolRun Delete = FormWithSql("DELETE FROM t RETURNING n");
    EXPECT_EQ(Delete.Exit, 1);
    EXPECT_NE(Delete.Err.find("readonly"), std::string::npos) << Delete.Err;
    const TToolRun Two = FormWithSql("SELECT n FROM t; SELECT n FROM t");
    EXPECT_EQ(Two.Exit, 1);
    EXPECT_EQ(Two.Err.find("not an error"), std::string::npos) << Two.Err;
    EXPECT_NE(Two.Err.find("multiple statements"), std::string::npos) << Two.Err;
    TDatabase Db(nullptr);
    Db.SetDatabaseName(Path("rows.db"));
    TQuery Count(nullptr);
    Count.SetDatabase(&Db);
    Count.SQL()->SetText("SELECT count(*) FROM t");
    Count.Open();
    EXPECT_EQ(Count.Fields()->Fields(0)->AsInteger(), 3) << "the rows are all still there";

    // PostgreSQL: the report's statements run in read-only transactions.
    PrivatePostgres Server;
    if (const std::string Why = Server.Start(); !Why.empty()) {
        if (Server.BinariesMissing())
            QOR_SKIP_WITHOUT_TOOL(Why);
        FAIL() << "the private PostgreSQL server did not start: " << Why;
    }
    TDatabase Pg(nullptr);
    Pg.SetDriverName("QPSQL");
    Pg.SetHostName(Server.SocketDir());
    Pg.SetUserName(PrivatePostgres::User());
    Pg.SetDatabaseName("postgres");
    Pg.ExecSQL("CREATE TABLE t (n INTEGER)");
    Pg.ExecSQL("INSERT INTO t VALUES (1), (2), (3)");
    const TToolRun PgDelete =
        FormWithSql("DELETE FROM t RETURNING n", "DriverName = 'QPSQL'\n    ConnectionString = 'host=" +
                                                     Server.SocketDir() + " dbname=postgres user=" +
                                                     PrivatePostgres::User() + "'");
    EXPECT_EQ(PgDelete.Exit, 1);
    EXPECT_NE(PgDelete.Err.find("read-only transaction"), std::string::npos) << PgDelete.Err;
    TQuery PgCount(nullptr);
    PgCount.SetDatabase(&Pg);
    PgCount.SQL()->SetText("SELECT count(*) FROM t");
    PgCount.Open();
    EXPECT_EQ(PgCount.Fields()->Fields(0)->AsInteger(), 3) << "the rows are all still there";
}

TEST_F(HostileRun, DumpAndRenderRefuseAlikeWhatIsNotThere)
{
    ASSERT_EQ(Qor("run " + Q(TallRows) + " --to " + Q(Path("rows.qor"))).Exit, 0);
    const std::string Whole = ReadWholeFile(Path("rows.qor"));
    // Cut exactly after the last page's last record but its end.
    WriteWholeFile(Path("cut.qor"), Whole.substr(0, Whole.size() - 2));
    const TToolRun Dump = Qor("dump " + Q(Path("cut.qor")));
    const TToolRun Render = Qor("render " + Q(Path("cut.qor")) + " --png " + Q(Path("png")));
    EXPECT_EQ(Dump.Exit, 1);
    EXPECT_EQ(Render.Exit, 1);
    EXPECT_NE(Dump.Err.find("has no end"), std::string::npos) << Dump.Err;
    EXPECT_EQ(Dump.Err.substr(Dump.Err.find(": The page")), Render.Err.substr(Render.Err.find(": The page")));

    const TToolRun Past = Qor("dump " + Q(Path("rows.qor")) + " --pages 7-9");
    EXPECT_EQ(Past.Exit, 1);
    EXPECT_EQ(Past.Out, "");
    EXPECT_NE(Past.Err.find("the page file has 4 pages, there is no page 7"), std::string::npos) << Past.Err;
}

} // namespace
