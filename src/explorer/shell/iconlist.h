#pragma once

#include <QHash>
#include <QIcon>
#include <QString>
#include <vector>

// The process-wide list of small icons that trees and lists refer to by index. An icon
// is added once per key (a MIME type name, a folder state, a drive kind), so a folder
// of 100,000 files adds one icon per file type, not one per file. Indexes stay valid
// for the whole process. User-interface thread only.
class IconList
{
public:
    static IconList& instance();

    // The index of key, adding icon under it when the key is new. O(1).
    int indexFor(const QString& key, const QIcon& icon);
    // The index of key, -1 when it has not been added yet. O(1).
    int find(const QString& key) const;
    // The icon at index; a null icon for an index that was never handed out.
    QIcon icon(int index) const;
    int count() const { return static_cast<int>(m_icons.size()); }

private:
    IconList() = default;

    std::vector<QIcon> m_icons;
    QHash<QString, int> m_index;
};
