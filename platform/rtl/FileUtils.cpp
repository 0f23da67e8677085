#include "platform/rtl/FileUtils.h"

#include "platform/rtl/Exceptions.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace qor {

namespace {

// Index just past the last delimiter, 0 when there is none.
std::size_t NameStart(std::string_view FileName)
{
    const std::size_t at = FileName.rfind(PathDelim);
    return at == std::string_view::npos ? 0 : at + 1;
}

String ToPath(std::string_view S) { return String(S); }

} // namespace

String ExtractFileName(std::string_view FileName) { return String(FileName.substr(NameStart(FileName))); }

String ExtractFilePath(std::string_view FileName) { return String(FileName.substr(0, NameStart(FileName))); }

String ExtractFileDir(std::string_view FileName)
{
    std::size_t n = NameStart(FileName);
    if (n > 1)
        --n; // drop the delimiter, but keep the root "/"
    return String(FileName.substr(0, n));
}

String ResolveFileName(std::string_view FileName, std::string_view BaseDirectory)
{
    if (FileName.empty() || FileName.front() == PathDelim || BaseDirectory.empty())
        return String(FileName);
    return IncludeTrailingPathDelimiter(BaseDirectory) + String(FileName);
}

String ExtractFileExt(std::string_view FileName)
{
    const std::size_t start = NameStart(FileName);
    const std::size_t dot = FileName.rfind('.');
    if (dot == std::string_view::npos || dot < start)
        return String();
    return String(FileName.substr(dot));
}

String ChangeFileExt(std::string_view FileName, std::string_view Extension)
{
    const std::size_t start = NameStart(FileName);
    std::size_t dot = FileName.rfind('.');
    if (dot == std::string_view::npos || dot < start)
        dot = FileName.size();
    String out(FileName.substr(0, dot));
    out += Extension;
    return out;
}

String IncludeTrailingPathDelimiter(std::string_view Path)
{
    String out(Path);
    if (out.empty() || out.back() != PathDelim)
        out += PathDelim;
    return out;
}

String ExcludeTrailingPathDelimiter(std::string_view Path)
{
    String out(Path);
    if (out.size() > 1 && out.back() == PathDelim)
        out.pop_back();
    return out;
}

bool FileExists(std::string_view FileName)
{
    struct stat st;
    return !FileName.empty() && ::stat(ToPath(FileName).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirectoryExists(std::string_view Directory)
{
    struct stat st;
    return !Directory.empty() && ::stat(ToPath(Directory).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool DeleteFile(std::string_view FileName)
{
    if (FileName.empty() || DirectoryExists(FileName))
        return false;
    return ::unlink(ToPath(FileName).c_str()) == 0;
}

String GetEnvironmentVariable(std::string_view Name)
{
    const char* v = std::getenv(ToPath(Name).c_str());
    return v ? String(v) : String();
}

String GetTempDir()
{
    String dir = GetEnvironmentVariable("TMPDIR");
    if (dir.empty())
        dir = "/tmp";
    return IncludeTrailingPathDelimiter(dir);
}

String CreateTempFile(std::string_view Prefix)
{
    if (Prefix.find(PathDelim) != std::string_view::npos)
        throw EFCreateError("Cannot create a temporary file: invalid prefix '" + String(Prefix) + "'");
    const String dir = GetTempDir();
    static thread_local std::mt19937_64 rng(std::random_device{}() ^ static_cast<unsigned>(::getpid()));
    static constexpr char Hex[] = "0123456789ABCDEF";
    int lastError = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        UInt64 r = rng();
        String name = dir;
        name += Prefix;
        for (int i = 0; i < 8; ++i, r >>= 4)
            name += Hex[r & 0xF];
        name += ".tmp";
        const int fd = ::open(name.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
        if (fd >= 0) {
            ::close(fd);
            return name;
        }
        lastError = errno;
        if (lastError != EEXIST)
            break;
    }
    throw EFCreateError("Cannot create a temporary file in " + dir + ": " + std::strerror(lastError));
}

String CreateSiblingTempFile(const String& FileName)
{
    const String pattern = ExtractFilePath(FileName) + "." + ExtractFileName(FileName) + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0)
        throw EFCreateError("Cannot create file \"" + FileName + "\". " + std::strerror(errno));
    struct stat old {};
    mode_t mode;
    if (::stat(FileName.c_str(), &old) == 0) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::fchmod(fd, mode);
    ::close(fd);
    return String(name.data());
}

} // namespace qor
