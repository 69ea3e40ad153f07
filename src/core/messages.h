#pragma once

#include <QString>
#include <memory>

// Every message and input box of the program goes through here. The windows
// install a handler that shows real dialogs; tests install one that records the
// texts and answers in their place. Without a handler, messages go to standard
// error and questions are answered "no" / "cancel".
namespace msg {

enum class Kind
{
    Error,
    Information,
    Warning,
    Question,
    Plain
};

enum class Buttons
{
    Ok,
    YesNo,
    ReplaceSkipCancel
};

enum class Answer
{
    Ok,
    Yes,
    No,
    Replace,
    Skip,
    Cancel
};

struct Message
{
    Message(Kind kind = Kind::Plain, QString title = {}, QString text = {},
            Buttons buttons = Buttons::Ok, bool offerForAll = false, QString helpUrl = {})
        : kind(kind), title(std::move(title)), text(std::move(text)), buttons(buttons),
          offerForAll(offerForAll), helpUrl(std::move(helpUrl))
    {
    }

    Kind kind;
    QString title;
    QString text;
    Buttons buttons;
    bool offerForAll; // show an "apply to all" choice (ReplaceSkipCancel)
    QString helpUrl;  // when set, a "Hilfe" button opens this page
};

struct Reply
{
    Answer answer = Answer::Ok;
    bool forAll = false;
};

class Handler
{
public:
    virtual ~Handler() = default;
    virtual Reply show(const Message& message) = 0;
    // An input box; true and the new value on OK, false (value untouched) on cancel.
    virtual bool input(const QString& caption, const QString& prompt, QString& value) = 0;
    virtual void beep() {}
};

// Installs the handler for the whole process (the previous one is returned).
std::shared_ptr<Handler> setHandler(std::shared_ptr<Handler> handler);
Handler* handler();

// The usual boxes with the toolkit's German titles.
inline const QString TitleError = QStringLiteral("Fehler");
inline const QString TitleInformation = QStringLiteral("Informationen");
inline const QString TitleWarning = QStringLiteral("Warnung");
inline const QString TitleConfirm = QStringLiteral("Bestätigen");

void ErrorBox(const QString& text);
// An error box with a "Hilfe" button that opens the help page at helpUrl.
void ErrorBoxWithHelp(const QString& text, const QString& helpUrl);
void InfoBox(const QString& text);
void WarningBox(const QString& text);
// A plain box with its own caption and an OK button.
void PlainBox(const QString& text, const QString& caption);
// A question with Yes and No; true for Yes.
bool AskYesNo(const QString& text, const QString& title = TitleConfirm);
Reply Ask(const Message& message);
// An input box with "OK" and "Abbrechen"; changes value only on OK.
bool InputBox(const QString& caption, const QString& prompt, QString& value);
void Beep();

} // namespace msg
