#include "filecollector.h"

#include "fileidset.h"
#include "mask.h"
#include "platform/filesystem.h"
#include "platform/namecodec.h"

#include <utility>
#include <vector>

namespace {

// One Durchsuche call: its mask, its target list and the directories walked so far
// (device and inode), which keep links from leading the walk in circles.
class Collector
{
public:
    Collector(const QString& maske, QStringList& liste, bool rekursiv)
        : m_mask(maske), m_liste(liste), m_rekursiv(rekursiv)
    {
    }

    bool start(const QString& pfad)
    {
        platform::FileInfo info;
        if (!platform::statPath(pfad, info) || !info.isDir())
            return false;
        m_walked.insert(info.device, info.inode);
        return DurchsucheVerzeichnis(pfad);
    }

private:
    // One level of the walk; pfad ends in "/".
    bool DurchsucheVerzeichnis(const QString& pfad)
    {
        std::vector<QString> subdirs;
        const bool read = platform::walkDirectory(pfad, [&](const QString& name,
                                                            platform::EntryKind kind) {
            if (kind == platform::EntryKind::Directory) {
                if (m_rekursiv)
                    subdirs.push_back(name);
            } else if (m_mask.matches(name)) {
                m_liste.append(pfad + name);
            }
            return true;
        });
        // The directory is closed again before descending: open descriptors stay
        // at one however deep the tree goes.
        for (const QString& name : subdirs) {
            const QString sub = pfad + name + QLatin1Char('/');
            platform::FileInfo info;
            if (!platform::statPath(sub, info) || !info.isDir() ||
                !m_walked.insert(info.device, info.inode))
                continue;
            DurchsucheVerzeichnis(sub);
        }
        return read;
    }


    const Mask m_mask;
    QStringList& m_liste;
    const bool m_rekursiv;
    FileIdSet m_walked;
};

} // namespace

bool Durchsuche(const QString& verzeichnis, const QString& maske, QStringList& liste, bool leeren,
                bool rekursiv)
{
    if (leeren)
        liste.clear();
    if (verzeichnis.isEmpty())
        return false;
    QString pfad = verzeichnis;
    if (!pfad.endsWith(QLatin1Char('/')))
        pfad += QLatin1Char('/');
    return Collector(maske, liste, rekursiv).start(pfad);
}

bool SucheDateien(const QString& verzeichnis, const QString& maske, QStringList& liste, bool leeren)
{
    return Durchsuche(verzeichnis, maske, liste, leeren, true);
}

namespace {

// The streaming walk: one path buffer that grows and shrinks with the walk.
class ByteCollector
{
public:
    ByteCollector(const QString& maske, const std::function<void(const QByteArray&)>& found)
        : m_mask(maske), m_found(found)
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
                    subdirs.emplace_back(name, length);
                } else if (matches(name, length)) {
                    m_path.append(name, length);
                    m_found(m_path);
                    m_path.truncate(end);
                }
                return true;
            });
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
    FileIdSet m_walked;
    QByteArray m_path;
};

} // namespace

bool SucheDateienStream(const QByteArray& verzeichnis, const QString& maske,
                        const std::function<void(const QByteArray& path)>& found)
{
    if (verzeichnis.isEmpty())
        return false;
    return ByteCollector(maske, found).start(verzeichnis);
}
