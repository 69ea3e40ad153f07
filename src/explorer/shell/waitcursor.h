#pragma once

#include <QApplication>
#include <QWidget>

// Shows the hourglass for the lifetime of the object and restores the earlier
// cursor on every way out.
class WaitCursor
{
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// Suspends painting of a widget while a batch of changes is made.
class UpdatesBracket
{
public:
    explicit UpdatesBracket(QWidget* widget) : m_widget(widget), m_was(widget->updatesEnabled())
    {
        m_widget->setUpdatesEnabled(false);
    }
    ~UpdatesBracket() { m_widget->setUpdatesEnabled(m_was); }
    UpdatesBracket(const UpdatesBracket&) = delete;
    UpdatesBracket& operator=(const UpdatesBracket&) = delete;

private:
    QWidget* m_widget;
    bool m_was;
};
