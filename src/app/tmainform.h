#pragma once

#include <QMainWindow>

// The main window: source pane on the left, target pane on the right.
class Tmainform : public QMainWindow
{
    Q_OBJECT
public:
    explicit Tmainform(QWidget* parent = nullptr);
};
