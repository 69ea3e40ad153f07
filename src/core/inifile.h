#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// An INI file edited in place: sections "[Name]", lines "Key=Value", comments starting
// with ";" or "#". Section and key names are matched without regard to case, and
// blanks around names, around "=" and around the value do not count. Only the lines
// that setValue changes or adds differ when the file is saved; every other byte
// (comments, blank lines, order, line endings, the byte-order mark, bytes that are not
// valid UTF-8) is written back as it was read.
//
// Encodings: UTF-8 with a BOM, UTF-16 LE or BE with a BOM, and otherwise UTF-8 without
// a BOM, in which bytes that are not valid UTF-8 are carried losslessly (namecodec.h).
// A new file is UTF-8 without a BOM with "\n" line endings; added lines take the line
// ending the file already uses.
//
// Where a section or key occurs twice, the first occurrence is read and written.
// value() and setValue() scan the lines, O(lines): these files hold a few dozen.
class IniFile
{
public:
    enum class Encoding
    {
        Utf8,
        Utf8Bom,
        Utf16Le,
        Utf16Be
    };

    // Reads the file at path and remembers the path for save(). A file that does not
    // exist counts as empty and gives true. A file that exists but cannot be read gives
    // false, leaves the content empty and makes save() refuse, so that it is never
    // replaced by what little we know of it.
    bool load(const QString& path);

    // Takes the content from bytes (encoding detected as by load); the path stays.
    void setContent(const QByteArray& bytes);
    // The bytes save() writes.
    QByteArray content() const;

    QString value(const QString& section, const QString& key,
                  const QString& defaultValue = QString()) const;

    // Sets the key's value. An existing key keeps its line, its spelling and the blanks
    // before the value; a new key goes after the last entry of its section; a missing
    // section is added at the end under the name as given here. False, and nothing
    // changed, for names or a value that a line cannot hold: a line break anywhere, an
    // empty name, "=" in a key or a key starting with "[", ";" or "#", "]" in a section.
    bool setValue(const QString& section, const QString& key, const QString& value);

    // Writes the content back to the loaded path through a temporary file and a rename
    // (platform/wholefile.h), in the encoding it was read in. Nothing is written when
    // nothing changed since an existing file was loaded. False when it cannot be written
    // (errno tells why); the file on disk is then untouched.
    bool save();

    const QString& path() const { return m_path; }
    Encoding encoding() const { return m_encoding; }

private:
    struct Line
    {
        QString text; // without the line ending
        QString eol;  // "\n", "\r\n", or empty for a last line without one
    };

    int findSection(const QString& section) const;
    // The key's line in the section starting at header, or -1.
    int findKey(int header, const QString& key) const;
    void insertLine(int pos, const QString& text);

    QString m_path;
    QList<Line> m_lines;
    Encoding m_encoding = Encoding::Utf8;
    QByteArray m_tail; // an odd last byte of a UTF-16 file, kept as it was
    QString m_eol = QStringLiteral("\n");
    bool m_onDisk = false; // loaded from an existing file
    int m_loadError = 0;   // errno of a file that exists but could not be read
    bool m_changed = false;
};
