#include "messages.h"

#include <cstdio>

namespace msg {

namespace {
// Used until a window installs its own: nothing is shown, nothing is confirmed.
class StderrHandler : public Handler
{
public:
    Reply show(const Message& m) override
    {
        std::fprintf(stderr, "%s: %s\n", qUtf8Printable(m.title), qUtf8Printable(m.text));
        switch (m.buttons) {
        case Buttons::Ok:
            return {Answer::Ok, false};
        case Buttons::YesNo:
            return {Answer::No, false};
        case Buttons::ReplaceSkipCancel:
            return {Answer::Cancel, false};
        }
        return {};
    }
    bool input(const QString&, const QString&, QString&) override { return false; }
};

std::shared_ptr<Handler>& current()
{
    static std::shared_ptr<Handler> h = std::make_shared<StderrHandler>();
    return h;
}

void box(Kind kind, const QString& title, const QString& text)
{
    handler()->show(Message{kind, title, text});
}
} // namespace

std::shared_ptr<Handler> setHandler(std::shared_ptr<Handler> h)
{
    if (!h)
        h = std::make_shared<StderrHandler>();
    return std::exchange(current(), std::move(h));
}

Handler* handler()
{
    return current().get();
}

void ErrorBox(const QString& text)
{
    box(Kind::Error, TitleError, text);
}

void ErrorBoxWithHelp(const QString& text, const QString& helpUrl)
{
    handler()->show(Message{Kind::Error, TitleError, text, Buttons::Ok, false, helpUrl});
}

void InfoBox(const QString& text)
{
    box(Kind::Information, TitleInformation, text);
}

void WarningBox(const QString& text)
{
    box(Kind::Warning, TitleWarning, text);
}

void PlainBox(const QString& text, const QString& caption)
{
    box(Kind::Plain, caption, text);
}

bool AskYesNo(const QString& text, const QString& title)
{
    return Ask(Message{Kind::Question, title, text, Buttons::YesNo, false}).answer == Answer::Yes;
}

Reply Ask(const Message& message)
{
    return handler()->show(message);
}

bool InputBox(const QString& caption, const QString& prompt, QString& value)
{
    return handler()->input(caption, prompt, value);
}

void Beep()
{
    handler()->beep();
}

} // namespace msg
