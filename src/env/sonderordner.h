#pragma once

#include <QChar>
#include <QString>

// The special folders by their Windows CSIDL numbers, and the small text helpers that
// put the path separator on a folder path. No state.

// The folder's path ending in "/" (26 settings, 5 documents, 2 programs menu,
// 16 desktop, 9 Send To); an empty text for a number without a folder here.
QString Sonderordner(int csidl);

// text with c appended unless it already ends with c; for an empty text, c alone.
QString ZeichenAnhaengen(const QString& text, QChar c);

// Whether the last character of text is c; false for an empty text.
bool EndetMit(const QString& text, QChar c);
