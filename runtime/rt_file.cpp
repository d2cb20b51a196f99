// File services over stdio and Qt's file classes: line-oriented files with
// integer handles, numeric arrays as text, and the program's directory.
#include "rt_file.h"
#include "rt_core.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kMaxOpenFiles = 256;
constexpr int kPathBuf = 260;                                 // size of the callers' path buffers
std::vector<std::FILE *> g_files(kMaxOpenFiles + 1, nullptr); // index = handle, 0 unused

std::FILE *fileFor(int handle)
{
    if (handle < 1 || handle > kMaxOpenFiles)
        return nullptr;
    return g_files[static_cast<size_t>(handle)];
}

bool copyPath(const std::string &path, char *out)
{
    if (!out || path.size() >= static_cast<size_t>(kPathBuf))
        return false;
    std::memcpy(out, path.c_str(), path.size() + 1);
    return true;
}

// ---- array element access by data type -----------------------------------

size_t elementSize(int dataType)
{
    switch (dataType) {
    case VAL_CHAR: return sizeof(signed char);
    case VAL_SHORT_INTEGER: return sizeof(int16_t);
    case VAL_UNSIGNED_SHORT_INTEGER: return sizeof(uint16_t);
    case VAL_INTEGER: return sizeof(int32_t);
    case VAL_UNSIGNED_INTEGER: return sizeof(uint32_t);
    case VAL_FLOAT: return sizeof(float);
    case VAL_DOUBLE: return sizeof(double);
    default: return 0;
    }
}

void integerRange(int dataType, long long *lo, long long *hi)
{
    switch (dataType) {
    case VAL_CHAR:
        *lo = SCHAR_MIN;
        *hi = SCHAR_MAX;
        break;
    case VAL_SHORT_INTEGER:
        *lo = INT16_MIN;
        *hi = INT16_MAX;
        break;
    case VAL_UNSIGNED_SHORT_INTEGER:
        *lo = 0;
        *hi = UINT16_MAX;
        break;
    case VAL_INTEGER:
        *lo = INT32_MIN;
        *hi = INT32_MAX;
        break;
    default:
        *lo = 0;
        *hi = UINT32_MAX;
        break;
    }
}

// Appends element idx of the array as text: integers in decimal, floating
// values in the shortest form that reads back to the identical value.
void formatElement(const void *array, int dataType, size_t idx, std::string &out)
{
    char buf[64];
    std::to_chars_result r {};
    const auto *p = static_cast<const unsigned char *>(array) + idx * elementSize(dataType);
    switch (dataType) {
    case VAL_CHAR: {
        signed char v;
        std::memcpy(&v, p, sizeof v);
        r = std::to_chars(buf, buf + sizeof buf, int(v));
        break;
    }
    case VAL_SHORT_INTEGER: {
        int16_t v;
        std::memcpy(&v, p, sizeof v);
        r = std::to_chars(buf, buf + sizeof buf, v);
        break;
    }
    case VAL_UNSIGNED_SHORT_INTEGER: {
        uint16_t v;
        std::memcpy(&v, p, sizeof v);
        r = std::to_chars(buf, buf + sizeof buf, v);
        break;
    }
    case VAL_INTEGER: {
        int32_t v;
        std::memcpy(&v, p, sizeof v);
        r = std::to_chars(buf, buf + sizeof buf, v);
        break;
    }
    case VAL_UNSIGNED_INTEGER: {
        uint32_t v;
        std::memcpy(&v, p, sizeof v);
        r = std::to_chars(buf, buf + sizeof buf, v);
        break;
    }
    case VAL_FLOAT: {
        float v;
        std::memcpy(&v, p, sizeof v);
        r = std::to_chars(buf, buf + sizeof buf, v);
        break;
    }
    default: {
        double v;
        std::memcpy(&v, p, sizeof v);
        r = std::to_chars(buf, buf + sizeof buf, v);
        break;
    }
    }
    out.append(buf, r.ptr);
}

// A parsed value, kept as the widest type of its kind until it is stored.
struct Parsed {
    long long i = 0;
    double d = 0.0;
};

bool parseToken(const std::string &tok, int dataType, Parsed *v)
{
    const char *b = tok.data();
    const char *e = b + tok.size();
    if (b != e && *b == '+')
        ++b;
    if (b == e)
        return false;
    if (dataType == VAL_FLOAT) { // parsed as float, so that a value beyond its range is refused
        float x = 0;
        const auto r = std::from_chars(b, e, x);
        v->d = x;
        return r.ec == std::errc() && r.ptr == e;
    }
    if (dataType == VAL_DOUBLE) {
        const auto r = std::from_chars(b, e, v->d);
        return r.ec == std::errc() && r.ptr == e;
    }
    const auto r = std::from_chars(b, e, v->i);
    if (r.ec != std::errc() || r.ptr != e)
        return false;
    long long lo = 0, hi = 0;
    integerRange(dataType, &lo, &hi);
    return v->i >= lo && v->i <= hi;
}

void storeElement(void *array, int dataType, size_t idx, const Parsed &v)
{
    auto *p = static_cast<unsigned char *>(array) + idx * elementSize(dataType);
    switch (dataType) {
    case VAL_CHAR: {
        auto x = static_cast<signed char>(v.i);
        std::memcpy(p, &x, sizeof x);
        break;
    }
    case VAL_SHORT_INTEGER: {
        auto x = static_cast<int16_t>(v.i);
        std::memcpy(p, &x, sizeof x);
        break;
    }
    case VAL_UNSIGNED_SHORT_INTEGER: {
        auto x = static_cast<uint16_t>(v.i);
        std::memcpy(p, &x, sizeof x);
        break;
    }
    case VAL_INTEGER: {
        auto x = static_cast<int32_t>(v.i);
        std::memcpy(p, &x, sizeof x);
        break;
    }
    case VAL_UNSIGNED_INTEGER: {
        auto x = static_cast<uint32_t>(v.i);
        std::memcpy(p, &x, sizeof x);
        break;
    }
    case VAL_FLOAT: {
        auto x = static_cast<float>(v.d);
        std::memcpy(p, &x, sizeof x);
        break;
    }
    default: std::memcpy(p, &v.d, sizeof v.d); break;
    }
}

// Position of value k of the file (in reading order) in the array.
size_t arrayIndexOfFileValue(size_t k, size_t groups, size_t perGroup, int arrayDataOrder, int fileLayout)
{
    size_t g, i;
    if (fileLayout == VAL_GROUPS_AS_COLUMNS) { // line i holds point i of every group
        i = k / groups;
        g = k % groups;
    } else { // line g holds every point of group g
        g = k / perGroup;
        i = k % perGroup;
    }
    return arrayDataOrder == VAL_DATA_MULTIPLEXED ? i * groups + g : g * perGroup + i;
}

bool validArrayArgs(const char *fileName, const void *array, int dataType, int numElements, int numGroups,
                    int arrayDataOrder, int fileLayout)
{
    return fileName && *fileName && array && elementSize(dataType) != 0 && numElements >= 0 && numGroups >= 1 &&
           numElements % numGroups == 0 &&
           (arrayDataOrder == VAL_GROUPS_TOGETHER || arrayDataOrder == VAL_DATA_MULTIPLEXED) &&
           (fileLayout == VAL_GROUPS_AS_ROWS || fileLayout == VAL_GROUPS_AS_COLUMNS);
}

bool isSeparator(int c)
{
    return c == ' ' || c == '\t' || c == ',' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

} // namespace

int CheckFileKind(const char *path)
{
    if (!path || !*path)
        return kFileBadArgument;
    struct stat st {};
    if (::stat(path, &st) != 0)
        return 0; // nothing there yet (or unreachable: the open reports that)
    return S_ISREG(st.st_mode) ? 0 : kFileNotRegular;
}

// ---- line-oriented files ----------------------------------------------------

int OpenFile(const char *fileName, int readWrite, int action, int /*fileType*/)
{
    // Text and binary files are the same on this system: no translation of line ends.
    if (!fileName || !*fileName)
        return kFileError;
    if (CheckFileKind(fileName) < 0)
        return kFileNotRegular;
    const char *mode = nullptr;
    bool createIfMissing = false;
    switch (readWrite) {
    case VAL_READ_ONLY: mode = "rb"; break;
    case VAL_WRITE_ONLY:
        mode = action == VAL_APPEND ? "ab" : action == VAL_OPEN_AS_IS ? "r+b" : "wb";
        createIfMissing = action == VAL_OPEN_AS_IS;
        break;
    case VAL_READ_WRITE:
        mode = action == VAL_APPEND ? "a+b" : action == VAL_OPEN_AS_IS ? "r+b" : "w+b";
        createIfMissing = action == VAL_OPEN_AS_IS;
        break;
    default: return kFileError;
    }
    int handle = 1;
    while (handle <= kMaxOpenFiles && g_files[static_cast<size_t>(handle)])
        ++handle;
    if (handle > kMaxOpenFiles)
        return kFileError;
    std::FILE *f = std::fopen(fileName, mode);
    if (!f && createIfMissing && errno == ENOENT)
        f = std::fopen(fileName, "w+b");
    if (!f)
        return kFileError;
    g_files[static_cast<size_t>(handle)] = f;
    return handle;
}

int CloseFile(int fileHandle)
{
    std::FILE *f = fileFor(fileHandle);
    if (!f)
        return kFileError;
    g_files[static_cast<size_t>(fileHandle)] = nullptr;
    return std::fclose(f) == 0 ? 0 : kFileError;
}

int ReadLine(int fileHandle, char *buffer, int maxChars)
{
    std::FILE *f = fileFor(fileHandle);
    if (!f || !buffer || maxChars < 0)
        return kFileError;
    int n = 0;
    bool pendingCr = false; // a CR is kept only when something other than LF follows it
    int c;
    bool any = false;
    while ((c = std::getc(f)) != EOF) {
        any = true;
        if (c == '\n')
            break;
        if (pendingCr) {
            if (n < maxChars)
                buffer[n++] = '\r';
            pendingCr = false;
        }
        if (c == '\r') {
            pendingCr = true;
            continue;
        }
        if (n < maxChars)
            buffer[n++] = static_cast<char>(c); // beyond maxChars the rest of the line is skipped
    }
    if (std::ferror(f)) {
        std::clearerr(f);
        buffer[0] = '\0';
        return kFileError;
    }
    if (pendingCr && c == EOF && n < maxChars)
        buffer[n++] = '\r'; // a lone CR at the very end of the file is content
    buffer[n] = '\0';
    if (!any)
        return kFileEof;
    return n;
}

int WriteFile(int fileHandle, const char *buffer, int count)
{
    std::FILE *f = fileFor(fileHandle);
    if (!f || !buffer || count < 0)
        return kFileError;
    const size_t n = static_cast<size_t>(count);
    // Flushed at once, so that a full disk is reported to this call's caller.
    if (std::fwrite(buffer, 1, n, f) != n || std::fflush(f) != 0)
        return kFileError;
    return count;
}

int WriteLine(int fileHandle, const char *buffer, int count)
{
    std::FILE *f = fileFor(fileHandle);
    if (!f || !buffer || count < -1)
        return kFileError;
    const size_t n = count == -1 ? std::strlen(buffer) : static_cast<size_t>(count);
    if (std::fwrite(buffer, 1, n, f) != n || std::fputc('\n', f) == EOF || std::fflush(f) != 0)
        return kFileError;
    return static_cast<int>(n);
}

int ReadFile(int fileHandle, char *buffer, int count)
{
    std::FILE *f = fileFor(fileHandle);
    if (!f || !buffer || count < 0)
        return kFileError;
    const size_t got = std::fread(buffer, 1, static_cast<size_t>(count), f);
    if (got < static_cast<size_t>(count) && std::ferror(f)) {
        std::clearerr(f);
        return kFileError;
    }
    return static_cast<int>(got);
}

int AppendToFile(const char *fileName, const char *data, int count)
{
    if (!fileName || !*fileName || count < 0 || (count > 0 && !data))
        return kFileError;
    if (CheckFileKind(fileName) < 0)
        return kFileNotRegular;
    const int fd = ::open(fileName, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0666);
    if (fd < 0)
        return kFileError;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0;
    if (ok && count > 0) {
        ssize_t n;
        do
            n = ::write(fd, data, static_cast<size_t>(count));
        while (n < 0 && errno == EINTR);
        ok = n == count;
        // A short write (a full disk, a file-size limit) leaves part of the
        // bytes at the end: cut them off again.
        if (!ok && n > 0 && ::ftruncate(fd, st.st_size) != 0)
            ok = false;
    }
    if (::close(fd) != 0)
        ok = false;
    return ok ? 0 : kFileError;
}

int DeleteFile(const char *fileName)
{
    if (!fileName || !*fileName)
        return kFileError;
    if (CheckFileKind(fileName) < 0)
        return kFileNotRegular;
    return ::unlink(fileName) == 0 ? 0 : kFileError;
}

int GetFileInfo(const char *fileName, long *size)
{
    if (!fileName || !*fileName)
        return kFileBadArgument;
    struct stat st {};
    if (::stat(fileName, &st) != 0) {
        if (size)
            *size = 0;
        return errno == ENOENT || errno == ENOTDIR ? 0 : kFileError;
    }
    if (size)
        *size = static_cast<long>(st.st_size);
    return 1;
}

// ---- arrays as text ---------------------------------------------------------

int ArrayToFile(const char *fileName, const void *array, int dataType, int numElements, int numGroups,
                int arrayDataOrder, int fileLayout, int colSepStyle, int fieldWidth, int fileType, int fileAction)
{
    if (!validArrayArgs(fileName, array, dataType, numElements, numGroups, arrayDataOrder, fileLayout) ||
        fieldWidth < 0 || fieldWidth > 1000 ||
        (colSepStyle != VAL_CONST_WIDTH && colSepStyle != VAL_SEP_BY_COMMA && colSepStyle != VAL_SEP_BY_TAB) ||
        (fileAction != VAL_TRUNCATE && fileAction != VAL_APPEND))
        return kFileBadArgument;
    if (fileType != VAL_ASCII)
        return kFileUnsupported;
    if (CheckFileKind(fileName) < 0)
        return kFileNotRegular;

    const auto groups = static_cast<size_t>(numGroups);
    const auto perGroup = static_cast<size_t>(numElements) / groups;
    const size_t lines = fileLayout == VAL_GROUPS_AS_COLUMNS ? perGroup : groups;
    const size_t perLine = fileLayout == VAL_GROUPS_AS_COLUMNS ? groups : perGroup;

    std::string text;
    text.reserve(static_cast<size_t>(numElements) * (static_cast<size_t>(fieldWidth) + 2) + lines * 2);
    std::string field;
    size_t k = 0; // value index in file order
    for (size_t line = 0; line < lines; ++line) {
        for (size_t col = 0; col < perLine; ++col, ++k) {
            field.clear();
            formatElement(array, dataType, arrayIndexOfFileValue(k, groups, perGroup, arrayDataOrder, fileLayout),
                          field);
            if (colSepStyle == VAL_CONST_WIDTH) {
                const size_t w = static_cast<size_t>(fieldWidth);
                if (field.size() < w)
                    text.append(w - field.size(), ' ');
                else if (col > 0)
                    text.push_back(' '); // keep a too-wide value apart from its neighbour
            } else if (col > 0) {
                text.push_back(colSepStyle == VAL_SEP_BY_TAB ? '\t' : ',');
            }
            text += field;
        }
        text += "\r\n";
    }

    if (fileAction == VAL_APPEND) {
        QFile f(QString::fromLocal8Bit(fileName));
        if (!f.open(QIODevice::WriteOnly | QIODevice::Append))
            return kFileError;
        const auto n = static_cast<qint64>(text.size());
        if (f.write(text.data(), n) != n || !f.flush())
            return kFileError;
        f.close();
        return f.error() == QFileDevice::NoError ? 0 : kFileError;
    }
    // A whole-file rewrite replaces the old file only when everything was
    // written, so a failure never leaves half a file.
    return WriteWholeFile(fileName, text.data(), static_cast<int>(text.size()));
}

int FileToArray(const char *fileName, void *array, int dataType, int numElements, int numGroups, int arrayDataOrder,
                int fileLayout, int fileType)
{
    if (!validArrayArgs(fileName, array, dataType, numElements, numGroups, arrayDataOrder, fileLayout))
        return kFileBadArgument;
    if (fileType != VAL_ASCII)
        return kFileUnsupported;
    if (CheckFileKind(fileName) < 0)
        return kFileNotRegular;
    std::FILE *f = std::fopen(fileName, "rb");
    if (!f)
        return kFileError;

    // Everything is parsed before the array is touched, so that a file with
    // text that is not a number leaves the caller's data as it was.
    constexpr size_t kMaxToken = 64;
    std::vector<Parsed> values;
    values.reserve(static_cast<size_t>(std::min(numElements, 1 << 16)));
    std::string tok;
    bool bad = false;
    int c;
    while (values.size() < static_cast<size_t>(numElements)) {
        c = std::getc(f);
        if (c == EOF || isSeparator(c)) {
            if (!tok.empty()) {
                Parsed v;
                if (!parseToken(tok, dataType, &v)) {
                    bad = true;
                    break;
                }
                values.push_back(v);
                tok.clear();
            }
            if (c == EOF)
                break;
            continue;
        }
        if (tok.size() >= kMaxToken) {
            bad = true;
            break;
        }
        tok.push_back(static_cast<char>(c));
    }
    const bool readError = std::ferror(f) != 0;
    std::fclose(f);
    if (readError)
        return kFileError;
    if (bad)
        return kFileNotNumeric;

    const auto groups = static_cast<size_t>(numGroups);
    const auto perGroup = static_cast<size_t>(numElements) / groups;
    for (size_t k = 0; k < values.size(); ++k)
        storeElement(array, dataType, arrayIndexOfFileValue(k, groups, perGroup, arrayDataOrder, fileLayout),
                     values[k]);
    return static_cast<int>(values.size());
}

// ---- directories ------------------------------------------------------------

std::string rt::projectDirFor(const std::string &exeDir)
{
    if (!exeDir.empty() && ::access(exeDir.c_str(), W_OK) == 0)
        return exeDir;
    std::string base;
    const char *xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && xdg[0] == '/') {
        base = xdg;
    } else {
        const char *home = std::getenv("HOME");
        if (!home || home[0] != '/')
            return {};
        base = std::string(home) + "/.local/share";
    }
    const std::string dir = base + "/veltra";
    if (!QDir().mkpath(QString::fromLocal8Bit(dir.c_str())) || ::access(dir.c_str(), W_OK) != 0)
        return {};
    return dir;
}

int GetProjectDir(char *dir)
{
    if (!dir)
        return kFileBadArgument;
    std::string exeDir;
    char exe[4096];
    const ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n > 0) {
        exe[n] = '\0';
        exeDir = exe;
        const size_t slash = exeDir.rfind('/');
        exeDir = slash == 0 ? std::string("/") : exeDir.substr(0, slash);
    }
    const std::string chosen = rt::projectDirFor(exeDir);
    if (chosen.empty() || !copyPath(chosen, dir)) {
        dir[0] = '\0';
        return kFileError;
    }
    return 0;
}

int SetDir(const char *dir)
{
    if (!dir || !*dir)
        return kFileBadArgument;
    return ::chdir(dir) == 0 ? 0 : kFileError;
}

int GetDir(char *dir)
{
    if (!dir)
        return kFileBadArgument;
    char buf[kPathBuf];
    if (!::getcwd(buf, sizeof buf)) {
        dir[0] = '\0';
        return kFileError;
    }
    std::memcpy(dir, buf, std::strlen(buf) + 1);
    return 0;
}
