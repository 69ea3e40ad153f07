#include "explorer/shell/messageboxes.h"

#include "platform/desktop.h"

#include <QApplication>
#include <QCheckBox>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

namespace {
QMessageBox::Icon iconFor(msg::Kind kind)
{
    switch (kind) {
    case msg::Kind::Error:
        return QMessageBox::Critical;
    case msg::Kind::Information:
        return QMessageBox::Information;
    case msg::Kind::Warning:
        return QMessageBox::Warning;
    case msg::Kind::Question:
        return QMessageBox::Question;
    case msg::Kind::Plain:
        return QMessageBox::NoIcon;
    }
    return QMessageBox::NoIcon;
}
} // namespace

msg::Reply MessageBoxes::show(const msg::Message& m)
{
    // Texts may break their lines with a bare carriage return.
    QString text = m.text;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
        .replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QMessageBox box(iconFor(m.kind), m.title, text, QMessageBox::NoButton,
                    QApplication::activeWindow());
    QCheckBox* forAll = nullptr;
    QPushButton *ok = nullptr, *yes = nullptr, *no = nullptr, *replace = nullptr, *skip = nullptr,
                *cancel = nullptr;
    switch (m.buttons) {
    case msg::Buttons::Ok:
        ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
        break;
    case msg::Buttons::YesNo:
        yes = box.addButton(QStringLiteral("&Ja"), QMessageBox::YesRole);
        no = box.addButton(QStringLiteral("&Nein"), QMessageBox::NoRole);
        box.setDefaultButton(yes);
        break;
    case msg::Buttons::ReplaceSkipCancel:
        replace = box.addButton(QStringLiteral("&Ersetzen"), QMessageBox::AcceptRole);
        skip = box.addButton(QStringLiteral("Ü&berspringen"), QMessageBox::RejectRole);
        cancel = box.addButton(QStringLiteral("Abbrechen"), QMessageBox::RejectRole);
        box.setEscapeButton(cancel);
        break;
    }
    QPushButton* help = nullptr;
    if (!m.helpUrl.isEmpty())
        help = box.addButton(QStringLiteral("&Hilfe"), QMessageBox::HelpRole);
    if (m.offerForAll) {
        forAll = new QCheckBox(QStringLiteral("Für &alle weiteren Konflikte übernehmen"), &box);
        box.setCheckBox(forAll);
    }
    box.exec();
    const QAbstractButton* clicked = box.clickedButton();
    QString helpError;
    if (help && clicked == help && !platform::openHelpPage(m.helpUrl, &helpError))
        msg::ErrorBox(helpError);
    msg::Reply reply;
    reply.forAll = forAll && forAll->isChecked();
    if (clicked == ok)
        reply.answer = msg::Answer::Ok;
    else if (clicked == yes)
        reply.answer = msg::Answer::Yes;
    else if (clicked == no)
        reply.answer = msg::Answer::No;
    else if (clicked == replace)
        reply.answer = msg::Answer::Replace;
    else if (clicked == skip)
        reply.answer = msg::Answer::Skip;
    else
        reply.answer = m.buttons == msg::Buttons::YesNo ? msg::Answer::No : msg::Answer::Cancel;
    return reply;
}

bool MessageBoxes::input(const QString& caption, const QString& prompt, QString& value)
{
    QInputDialog dialog(QApplication::activeWindow());
    dialog.setWindowTitle(caption);
    dialog.setLabelText(prompt);
    dialog.setTextValue(value);
    dialog.setOkButtonText(QStringLiteral("OK"));
    dialog.setCancelButtonText(QStringLiteral("Abbrechen"));
    if (dialog.exec() != QDialog::Accepted)
        return false;
    value = dialog.textValue();
    return true;
}

void MessageBoxes::beep()
{
    QApplication::beep();
}
