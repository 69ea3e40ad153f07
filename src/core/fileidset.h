#pragma once

#include <QtGlobal>
#include <functional>
#include <unordered_set>
#include <utility>

// A set of files by device and inode: what a walk has entered, what a transfer has
// written. Insert and lookup are O(1) on average.
class FileIdSet
{
public:
    // True when the file was not in the set yet.
    bool insert(quint64 device, quint64 inode) { return m_files.insert({device, inode}).second; }
    bool contains(quint64 device, quint64 inode) const
    {
        return m_files.count({device, inode}) != 0;
    }

private:
    struct Hash
    {
        size_t operator()(const std::pair<quint64, quint64>& f) const
        {
            return std::hash<quint64>()(f.second * 0x9e3779b97f4a7c15ULL ^ f.first);
        }
    };
    std::unordered_set<std::pair<quint64, quint64>, Hash> m_files;
};
