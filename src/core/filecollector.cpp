#include "filecollector.h"

#include "fileidset.h"
#include "mask.h"
#include "platform/filesystem.h"
#include "platform/namecodec.h"

#include <utility>
#include <vector>

namespace {

// One search: its mask, one path buffer that grows and shrinks with the walk, and the
// directories walked so far (device and inode), which keep links from leading the walk
// in circles.
class ByteCollector
{
public:
    ByteCollector(const QString& maske, const std::function<void(const QByteArray&)>& found,
                  bool rekursiv = true)
        : m_mask(maske), m_found(found), m_rekursiv(rekursiv)
    {
    }

    bool start(QByteArray dir)
    {
        if (!dir.endsWith('/'))
            dir += '/';
        quint64 device = 0, inode = 0;
        if (!platform::directoryIdentity(dir, device, inode))
            return false;
        m_walked.insert(device, inode);
        m_path = dir;
        return walk();
    }

private:
    bool matches(const char* name, qsizetype length) const
    {
        for (qsizetype i = 0; i < length; ++i)
            if (static_cast<unsigned char>(name[i]) >= 0x80)
                return m_mask.matches(platform::decodeName(name, length));
        return m_mask.matchesAscii(name, length);
    }

    // Walks the directory m_path names (ending in "/") and every folder below it.
    bool walk()
    {
        const qsizetype end = m_path.size();
        std::vector<QByteArray> subdirs;
        const bool read = platform::walkDirectoryBytes(
            m_path, [&](const char* name, qsizetype length, platform::EntryKind kind) {
                if (kind == platform::EntryKind::Directory) {
                    if (m_rekursiv)
                        subdirs.emplace_back(name, length);
                } else if (matches(name, length)) {
                    m_path.append(name, length);
                    m_found(m_path);
                    m_path.truncate(end);
                }
                return true;
            });
        // The directory is closed again before descending: open descriptors stay at one
        // however deep the tree goes.
        for (const QByteArray& name : subdirs) {
            m_path.append(name);
            m_path.append('/');
            quint64 device = 0, inode = 0;
            if (platform::directoryIdentity(m_path, device, inode) &&
                m_walked.insert(device, inode))
                walk();
            m_path.truncate(end);
        }
        return read;
    }

    const Mask m_mask;
    const std::function<void(const QByteArray&)>& m_found;
    const bool m_rekursiv;
    FileIdSet m_walked;
    QByteArray m_path;
};

} // namespace

bool Durchsuche(const QString& verzeichnis, const QString& maske, QStringList& liste, bool leeren,
                bool rekursiv)
{
    if (leeren)
        liste.clear();
    if (verzeichnis.isEmpty())
        return false;
    const std::function<void(const QByteArray&)> append = [&liste](const QByteArray& path) {
        liste.append(platform::decodeName(path));
    };
    return ByteCollector(maske, append, rekursiv).start(platform::encodeName(verzeichnis));
}

bool SucheDateien(const QString& verzeichnis, const QString& maske, QStringList& liste, bool leeren)
{
    return Durchsuche(verzeichnis, maske, liste, leeren, true);
}


bool SucheDateienStream(const QByteArray& verzeichnis, const QString& maske,
                        const std::function<void(const QByteArray& path)>& found)
{
    if (verzeichnis.isEmpty())
        return false;
    return ByteCollector(maske, found).start(verzeichnis);
}
