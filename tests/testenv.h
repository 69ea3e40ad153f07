#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>
#include <ostream>
#include <string>

// A private temporary folder for one test, removed with everything in it at the end.
// Paths are byte strings: fixtures may hold names that are not UTF-8.
class TempDir
{
public:
    TempDir();
    // A folder below another one, for tests that need ancestors where nothing else
    // happens (the test home lies below /tmp, where test programs come and go).
    explicit TempDir(const QByteArray& parent);
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The folder's path, ending in "/".
    const QByteArray& path() const { return m_path; }
    QByteArray operator/(const QByteArray& name) const { return m_path + name; }

private:
    QByteArray m_path;
};

// Small fixture helpers working on raw byte paths (POSIX, no Qt file classes).
namespace fixture {
void writeFile(const QByteArray& path, const QByteArray& content);
QByteArray readFile(const QByteArray& path);
void makeDir(const QByteArray& path);
bool exists(const QByteArray& path);
// A sparse file of the given size with a few marker bytes written at its end.
void makeSparse(const QByteArray& path, long long size);
// Removes a tree (used by TempDir; permissions are restored on the way).
void removeTree(const QByteArray& path);
// Lists the names in a directory, sorted, without "." and "..".
QList<QByteArray> names(const QByteArray& dir);
// Mounts a tmpfs of the given size at dir; false when mounting is not allowed here.
bool mountTmpfs(const QByteArray& dir, const char* size);
void unmount(const QByteArray& dir);
// Names that must survive every operation byte for byte: not UTF-8, line breaks, the
// longest name allowed.
QList<QByteArray> awkwardNames();
// Runs work as the unprivileged user nobody in a child process when the tests run as
// root (root reads, writes and deletes everything, so no permission fault would be
// real), else in this process. Returns work's result (0..255), or -1 when the child
// did not end normally. Folders the work uses must be open to nobody.
int asUnprivileged(const std::function<int()>& work);
} // namespace fixture

// The home of the test run: HOME and XDG_* point below it (set up by the test main).
QByteArray testHome();

// Readable QString values in test failure messages.
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}
