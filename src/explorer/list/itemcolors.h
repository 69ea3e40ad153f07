#pragma once

#include <QColor>
#include <QPalette>
#include <QtGlobal>

// The text colours of a file list's entries by their attributes, used when the list's
// LItemColorByATTR is on.
class TListItemColors
{
public:
    QColor Attr_Archive = Qt::black;
    // The colour of disabled text; the palette's when the list is made.
    QColor Attr_Hidden = QPalette().color(QPalette::Disabled, QPalette::Text);
    QColor Attr_Readonly = QColor(0, 128, 128);
    QColor Attr_System = QColor(255, 0, 0);

    void Assign(const TListItemColors& source) { *this = source; }

    // The colour for entries with these attribute bits (archive 0x20, hidden 0x02,
    // read-only 0x01, system 0x04; a later bit in this order wins), or an invalid
    // colour when none of them is set: such entries keep the view's own colour.
    QColor ColorFor(quint32 attributes) const
    {
        QColor color;
        if (attributes & 0x20)
            color = Attr_Archive;
        if (attributes & 0x02)
            color = Attr_Hidden;
        if (attributes & 0x01)
            color = Attr_Readonly;
        if (attributes & 0x04)
            color = Attr_System;
        return color;
    }
};
