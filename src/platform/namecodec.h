#pragma once

#include <QByteArray>
#include <QString>

// File names on Linux are bytes. These two functions carry them through QString
// without loss: valid UTF-8 decodes to its characters, and every byte that is not
// part of valid UTF-8 becomes the reserved code point U+DC00 + byte, which encodes
// back to that same byte. encodeName(decodeName(b)) == b for every byte string.
namespace platform {

QString decodeName(const char* bytes, qsizetype size);
inline QString decodeName(const QByteArray& bytes)
{
    return decodeName(bytes.constData(), bytes.size());
}
QByteArray encodeName(const QString& name);

// True when the text holds a byte that was not valid UTF-8 in the file system.
bool hasRawBytes(const QString& name);

} // namespace platform
