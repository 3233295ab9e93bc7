// Whole-file reads and atomic writes with POSIX calls, so that every step's
// result is seen: open, each write, fsync, close, link, rename.
#include "FileIO.h"

#include "BufferPool.h"
#include "PendingTemporaries.h"
#include "Reasons.h"

#include <QtGlobal>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tintwell {

namespace {

// The C library's English descriptions of the errors a read or a write of a
// picture meets, listed for translation; errnoText looks them up by their
// text, and any other description stays as it is.
const char *const commonErrorTexts[] = {
    QT_TRANSLATE_NOOP("tintwell", "Permission denied"),
    QT_TRANSLATE_NOOP("tintwell", "Operation not permitted"),
    QT_TRANSLATE_NOOP("tintwell", "No such file or directory"),
    QT_TRANSLATE_NOOP("tintwell", "No space left on device"),
    QT_TRANSLATE_NOOP("tintwell", "Disk quota exceeded"),
    QT_TRANSLATE_NOOP("tintwell", "Read-only file system"),
    QT_TRANSLATE_NOOP("tintwell", "Input/output error"),
    QT_TRANSLATE_NOOP("tintwell", "Not a directory"),
    QT_TRANSLATE_NOOP("tintwell", "Is a directory"),
    QT_TRANSLATE_NOOP("tintwell", "File name too long"),
    QT_TRANSLATE_NOOP("tintwell", "Too many levels of symbolic links"),
    QT_TRANSLATE_NOOP("tintwell", "File too large"),
    QT_TRANSLATE_NOOP("tintwell", "Too many open files"),
    QT_TRANSLATE_NOOP("tintwell", "Cannot allocate memory"),
    QT_TRANSLATE_NOOP("tintwell", "Device or resource busy"),
    QT_TRANSLATE_NOOP("tintwell", "Stale file handle"),
    QT_TRANSLATE_NOOP("tintwell", "Broken pipe"),
};

// strerrordesc_np: the description in English whatever the locale, so that
// only the program's own translation decides the language.
QString errnoText(int code)
{
    const char *text = strerrordesc_np(code);
    return text ? Reasons::marked(text) : Reasons::tr("error %1").arg(code);
}

// For inputs: a missing file is "File not found", as the decoders say.
QString readErrnoText(int code)
{
    return code == ENOENT ? Reasons::tr("File not found") : errnoText(code);
}

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

// "a named pipe" and so on, for anything that is not a regular file.
QString kindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return Reasons::tr("a folder");
    if (S_ISFIFO(mode))
        return Reasons::tr("a named pipe");
    if (S_ISCHR(mode))
        return Reasons::tr("a character device");
    if (S_ISBLK(mode))
        return Reasons::tr("a block device");
    if (S_ISSOCK(mode))
        return Reasons::tr("a socket");
    return Reasons::tr("not a regular file");
}

class FileDescriptor
{
public:
    explicit FileDescriptor(int fd = -1) : m_fd(fd) {}
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    int get() const { return m_fd; }
    void reset(int fd)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }
    // Closes now and says whether the close succeeded (errno set when not).
    bool close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0 || errno == EINTR; // EINTR: Linux closed it anyway
    }

private:
    int m_fd;
};

// Reads `fd` to its end; false (with `error`) when more than `maxBytes` come.
bool readToEnd(int fd, qint64 maxBytes, QByteArray &bytes, QString *error)
{
    constexpr qint64 minimumRead = 1 << 16;
    qint64 size = 0;
    for (;;) {
        // Room grows geometrically (a pipe says nothing of its length); a
        // file's reserved size plus one byte is read in one go.
        if (bytes.capacity() - size < minimumRead)
            bytes.reserve(qsizetype(std::max<qint64>(2 * bytes.capacity(), size + minimumRead)));
        const qint64 room = std::min<qint64>(bytes.capacity() - size, maxBytes + 1 - size);
        bytes.resize(qsizetype(size + room));
        const ssize_t got = ::read(fd, bytes.data() + size, size_t(room));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            setError(error, readErrnoText(errno));
            return false;
        }
        if (got == 0)
            break;
        size += got;
        if (size > maxBytes) {
            setError(error, Reasons::tr("more than %1 bytes of input").arg(maxBytes));
            return false;
        }
    }
    bytes.truncate(qsizetype(size));
    return true;
}

bool writeAll(int fd, QByteArrayView bytes, int &code)
{
    const char *data = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, size_t(std::min<qsizetype>(left, 1 << 30)));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            code = errno;
            return false;
        }
        if (written == 0) {
            code = ENOSPC;
            return false;
        }
        data += written;
        left -= written;
    }
    return true;
}

QString writeToStandardOutput(QByteArrayView bytes)
{
    int code = 0;
    if (!writeAll(STDOUT_FILENO, bytes, code))
        return errnoText(code);
    struct stat status {};
    if (::fstat(STDOUT_FILENO, &status) == 0 && S_ISREG(status.st_mode) && ::fsync(STDOUT_FILENO) != 0
        && errno != EINVAL)
        return errnoText(errno);
    return QString();
}

// Where a write of `path` lands, or why it must not happen.
struct WriteTarget {
    QByteArray path;           // the file to replace or create
    bool exists = false;
    struct stat status {};     // of the existing file
    QString refusal;           // non-empty: do not write
};

WriteTarget resolveTarget(const QByteArray &path)
{
    WriteTarget target;
    target.path = path;
    struct stat link {};
    if (::lstat(path.constData(), &link) != 0) {
        if (errno != ENOENT)
            target.refusal = errnoText(errno);
        return target; // a new name (a missing folder shows when the temporary is made)
    }
    if (S_ISLNK(link.st_mode)) {
        struct stat pointed {};
        if (::stat(path.constData(), &pointed) != 0) {
            if (errno == ENOENT)
                target.refusal = Reasons::tr("it is a symbolic link to a file that does not exist");
            else if (errno == ELOOP)
                target.refusal = Reasons::tr("it is a symbolic link that loops");
            else
                target.refusal = errnoText(errno);
            return target;
        }
        if (!S_ISREG(pointed.st_mode)) {
            target.refusal = Reasons::tr("it is a symbolic link to %1, not to a regular file")
                                 .arg(kindOf(pointed.st_mode));
            return target;
        }
        char *resolved = ::realpath(path.constData(), nullptr);
        if (!resolved) {
            target.refusal = errnoText(errno);
            return target;
        }
        target.path = QByteArray(resolved);
        ::free(resolved);
        target.exists = true;
        target.status = pointed;
        return target;
    }
    if (!S_ISREG(link.st_mode)) {
        target.refusal = Reasons::tr("it is %1, not a regular file").arg(kindOf(link.st_mode));
        return target;
    }
    target.exists = true;
    target.status = link;
    return target;
}

QByteArray folderOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    if (slash == 0)
        return QByteArrayLiteral("/");
    return path.left(slash);
}

QByteArray fileNameOf(const QByteArray &path)
{
    return path.mid(path.lastIndexOf('/') + 1);
}

// A name for the temporary beside the target: hidden, and unlikely to be
// taken; O_EXCL settles the rest.
QByteArray temporaryName(const QByteArray &folder, const QByteArray &name)
{
    static std::atomic<quint64> counter{0};
    const quint64 number = counter.fetch_add(1) ^ (quint64(::getpid()) << 32)
                           ^ quint64(std::hash<std::thread::id>{}(std::this_thread::get_id()));
    return folder + '/' + '.' + name.left(200) + '.' + QByteArray::number(number, 36) + ".part";
}

// Milliseconds to wait with the named temporary in place before the rename;
// tests set this to interrupt a save at that point. Forces a named temporary.
int holdTemporaryMs()
{
    static const int ms = qEnvironmentVariableIntValue("TINTWELL_TEST_HOLD_TEMPORARY_MS");
    return ms;
}

// The named temporary: unlinked (and forgotten by the signal handler) unless
// it was renamed.
class NamedTemporary
{
public:
    ~NamedTemporary() { discard(); }
    // Makes the file at `path` with `make` (true when it made it). The signal
    // handler knows the path from before the file exists, so a signal at any
    // moment leaves no temporary behind; a path not made is forgotten.
    bool create(const QByteArray &path, const std::function<bool()> &make)
    {
        m_slot = rememberTemporary(path.constData());
        if (make()) {
            m_path = path;
            return true;
        }
        const int error = errno;
        forgetTemporary(m_slot);
        m_slot = -1;
        errno = error;
        return false;
    }
    const QByteArray &path() const { return m_path; }
    void renamed()
    {
        forgetTemporary(m_slot);
        m_slot = -1;
        m_path.clear();
    }
    void discard()
    {
        if (m_path.isEmpty())
            return;
        ::unlink(m_path.constData());
        renamed();
    }

private:
    QByteArray m_path;
    int m_slot = -1;
};

QString writeThroughTemporary(const WriteTarget &target, const std::function<QString(const ByteSink &)> &produce)
{
    const QByteArray folder = folderOf(target.path);
    const QByteArray name = fileNameOf(target.path);
    // Private until it has the existing file's owner and mode; a new file gets
    // the usual 0666 less the umask.
    const mode_t createMode = target.exists ? 0600 : 0666;

    FileDescriptor folderFd(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folderFd.get() < 0)
        return errnoText(errno);

    NamedTemporary temporary;
    bool anonymous = false;
    int fd = -1;
    if (holdTemporaryMs() <= 0 && ::access("/proc/self/fd", X_OK) == 0) {
        fd = ::openat(folderFd.get(), ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, createMode);
        anonymous = fd >= 0;
    }
    if (!anonymous) {
        for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
            const QByteArray path = temporaryName(folder, name);
            const bool made = temporary.create(path, [&] {
                fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, createMode);
                return fd >= 0;
            });
            if (!made && errno != EEXIST)
                return errnoText(errno);
        }
        if (fd < 0)
            return errnoText(EEXIST);
    }
    FileDescriptor file(fd);

    if (target.exists) {
        // Owner first: changing it clears set-user-ID bits the mode sets.
        if (::fchown(file.get(), target.status.st_uid, target.status.st_gid) != 0)
            (void)::fchown(file.get(), uid_t(-1), target.status.st_gid); // may still keep the group
        if (::fchmod(file.get(), target.status.st_mode & 07777) != 0)
            return errnoText(errno);
    }

    int code = 0;
    off_t written = 0;
    const ByteSink sink = [&](QByteArrayView piece) {
        if (code != 0 || !writeAll(file.get(), piece, code))
            return false;
        // Only a head start for the sync below, which checks the outcome.
        if (!piece.isEmpty())
            (void)::sync_file_range(file.get(), written, off_t(piece.size()), SYNC_FILE_RANGE_WRITE);
        written += off_t(piece.size());
        return true;
    };
    const QString produced = produce(sink);
    if (code != 0)
        return errnoText(code);
    if (!produced.isEmpty())
        return produced;
    if (::fsync(file.get()) != 0)
        return errnoText(errno);

    if (anonymous) {
        // Give the finished file a name only now, for the rename.
        const QByteArray procPath = "/proc/self/fd/" + QByteArray::number(file.get());
        for (int attempt = 0; attempt < 100 && temporary.path().isEmpty(); ++attempt) {
            const QByteArray path = temporaryName(folder, name);
            const bool made = temporary.create(path, [&] {
                return ::linkat(AT_FDCWD, procPath.constData(), AT_FDCWD, path.constData(), AT_SYMLINK_FOLLOW) == 0;
            });
            if (!made && errno != EEXIST)
                return errnoText(errno);
        }
        if (temporary.path().isEmpty())
            return errnoText(EEXIST);
    }
    if (!file.close())
        return errnoText(errno);

    if (const int ms = holdTemporaryMs(); ms > 0)
        ::usleep(useconds_t(ms) * 1000);

    // The target may have changed since it was checked: never rename over
    // anything but a regular file.
    struct stat now {};
    if (::lstat(target.path.constData(), &now) == 0 && !S_ISREG(now.st_mode))
        return Reasons::tr("it became %1 while being written").arg(kindOf(now.st_mode));
    if (::rename(temporary.path().constData(), target.path.constData()) != 0)
        return errnoText(errno);
    temporary.renamed();

    // The rename is durable once the folder is synced; some file systems
    // cannot sync a folder and say so with EINVAL.
    if (::fsync(folderFd.get()) != 0 && errno != EINVAL)
        return errnoText(errno);
    return QString();
}

} // namespace

QByteArray readFileBytes(const QString &path, qint64 maxBytes, QString *error)
{
    QByteArray bytes;
    if (path == QLatin1String("-")) {
        if (!readToEnd(STDIN_FILENO, maxBytes, bytes, error))
            return {};
        return bytes;
    }
    const QByteArray native = pathToBytes(path);
    // The type is checked before opening (a socket cannot be opened at all)
    // and again on the open file, in case the name changed in between. The
    // open does not block: a named pipe must not wait for a writer.
    struct stat status {};
    if (::stat(native.constData(), &status) != 0) {
        setError(error, readErrnoText(errno));
        return {};
    }
    FileDescriptor file;
    if (S_ISREG(status.st_mode)) {
        file.reset(::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
        if (file.get() < 0 || ::fstat(file.get(), &status) != 0) {
            setError(error, readErrnoText(errno));
            return {};
        }
    }
    if (S_ISDIR(status.st_mode)) {
        setError(error, Reasons::tr("it is a folder, not a picture file"));
        return {};
    }
    if (!S_ISREG(status.st_mode)) {
        setError(error, Reasons::tr("it is %1, not a regular file").arg(kindOf(status.st_mode)));
        return {};
    }
    if (status.st_size > maxBytes) {
        setError(error, Reasons::tr("the file is larger than %1 bytes").arg(maxBytes));
        return {};
    }
    bytes.reserve(qsizetype(status.st_size) + 1);
    adviseHugePages(bytes.data(), bytes.capacity()); // read once, front to back
    if (!readToEnd(file.get(), maxBytes, bytes, error))
        return {};
    return bytes;
}

QString writeFileAtomically(const QString &path, QByteArrayView bytes)
{
    if (path == QLatin1String("-"))
        return writeToStandardOutput(bytes);
    return writeFileAtomically(path, [bytes](const ByteSink &sink) {
        return sink(bytes) ? QString() : QStringLiteral("write failed");
    });
}

QString writeFileAtomically(const QString &path, const std::function<QString(const ByteSink &)> &produce)
{
    if (path == QLatin1String("-")) {
        QByteArray bytes;
        const QString produced = produce([&bytes](QByteArrayView piece) {
            bytes.append(piece);
            return true;
        });
        return produced.isEmpty() ? writeToStandardOutput(bytes) : produced;
    }
    const WriteTarget target = resolveTarget(pathToBytes(path));
    if (!target.refusal.isEmpty())
        return target.refusal;
    // A file the user may not write is not replaced either, although the
    // folder would allow the rename.
    if (target.exists && ::faccessat(AT_FDCWD, target.path.constData(), W_OK, AT_EACCESS) != 0)
        return errnoText(errno);
    return writeThroughTemporary(target, produce);
}

QString pathFromBytes(QByteArrayView bytes)
{
    QString path;
    path.reserve(bytes.size());
    const auto *data = reinterpret_cast<const uchar *>(bytes.data());
    const qsizetype size = bytes.size();
    qsizetype i = 0;
    while (i < size) {
        const uchar lead = data[i];
        if (lead < 0x80) {
            path.append(QChar(lead));
            ++i;
            continue;
        }
        int length = 0;
        char32_t code = 0;
        char32_t minimum = 0;
        if ((lead & 0xe0) == 0xc0) {
            length = 2, code = lead & 0x1f, minimum = 0x80;
        } else if ((lead & 0xf0) == 0xe0) {
            length = 3, code = lead & 0x0f, minimum = 0x800;
        } else if ((lead & 0xf8) == 0xf0) {
            length = 4, code = lead & 0x07, minimum = 0x10000;
        }
        bool valid = length > 0 && i + length <= size;
        for (int k = 1; valid && k < length; ++k) {
            const uchar next = data[i + k];
            valid = (next & 0xc0) == 0x80;
            code = (code << 6) | (next & 0x3f);
        }
        valid = valid && code >= minimum && code <= 0x10ffff && !(code >= 0xd800 && code <= 0xdfff);
        if (!valid) {
            path.append(QChar(char16_t(0xdc00 + lead)));
            ++i;
            continue;
        }
        path.append(QString::fromUcs4(&code, 1));
        i += length;
    }
    return path;
}

QByteArray pathToBytes(const QString &path)
{
    QByteArray bytes;
    bytes.reserve(path.size());
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < path.size(); ++i) {
        const char16_t unit = path.at(i).unicode();
        const bool escaped = unit >= 0xdc80 && unit <= 0xdcff
                             && !(i > 0 && QChar::isHighSurrogate(path.at(i - 1).unicode()));
        if (!escaped)
            continue;
        bytes.append(QStringView(path).mid(runStart, i - runStart).toUtf8());
        bytes.append(char(unit - 0xdc00));
        runStart = i + 1;
    }
    bytes.append(QStringView(path).mid(runStart).toUtf8());
    return bytes;
}

} // namespace tintwell
