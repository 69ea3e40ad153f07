#include "explorer/shell/iconlist.h"

IconList& IconList::instance()
{
    static IconList list;
    return list;
}

int IconList::indexFor(const QString& key, const QIcon& icon)
{
    const auto it = m_index.constFind(key);
    if (it != m_index.cend())
        return it.value();
    const int index = count();
    m_icons.push_back(icon);
    m_index.insert(key, index);
    return index;
}

int IconList::find(const QString& key) const
{
    return m_index.value(key, -1);
}

QIcon IconList::icon(int index) const
{
    if (index < 0 || index >= count())
        return QIcon();
    return m_icons[static_cast<std::size_t>(index)];
}
