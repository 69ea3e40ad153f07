#include "tmainform.h"

Tmainform::Tmainform(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("Tmainform"));
    setWindowTitle(QStringLiteral("Tobrin"));
    resize(900, 600);
}
