#pragma once

#include "core/messages.h"

// The real dialogs behind the message module: QMessageBox and QInputDialog with
// the German button texts. main() installs it once.
class MessageBoxes : public msg::Handler
{
public:
    msg::Reply show(const msg::Message& message) override;
    bool input(const QString& caption, const QString& prompt, QString& value) override;
    void beep() override;
};
