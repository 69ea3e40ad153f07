#pragma once

#include "core/messages.h"

#include <QList>
#include <QStringList>
#include <deque>

// Stands in for the message boxes during a test: records what would have been
// shown and answers from a queue (default: OK / No / Cancel). Installed for the
// lifetime of the object.
class MessageRecorder : public msg::Handler
{
public:
    struct Recorded
    {
        msg::Message message;
        bool operator==(const Recorded&) const = default;
    };

    static std::shared_ptr<MessageRecorder> install()
    {
        auto r = std::make_shared<MessageRecorder>();
        msg::setHandler(r);
        return r;
    }
    ~MessageRecorder() override = default;

    msg::Reply show(const msg::Message& m) override
    {
        shown.append(m);
        if (!answers.empty()) {
            msg::Reply r = answers.front();
            answers.pop_front();
            return r;
        }
        switch (m.buttons) {
        case msg::Buttons::Ok:
            return {msg::Answer::Ok, false};
        case msg::Buttons::YesNo:
            return {msg::Answer::No, false};
        case msg::Buttons::ReplaceSkipCancel:
            return {msg::Answer::Cancel, false};
        }
        return {};
    }

    bool input(const QString& caption, const QString& prompt, QString& value) override
    {
        inputs.append(caption + QLatin1Char('|') + prompt);
        if (inputAnswers.empty())
            return false;
        value = inputAnswers.front();
        inputAnswers.pop_front();
        return true;
    }

    void beep() override { ++beeps; }

    QStringList texts() const
    {
        QStringList t;
        for (const msg::Message& m : shown)
            t.append(m.text);
        return t;
    }

    QList<msg::Message> shown;
    std::deque<msg::Reply> answers;
    QStringList inputs;
    std::deque<QString> inputAnswers;
    int beeps = 0;
};

// Installs a recorder for one scope and restores the default handler after it.
struct ScopedRecorder
{
    std::shared_ptr<MessageRecorder> recorder = MessageRecorder::install();
    ~ScopedRecorder() { msg::setHandler(nullptr); }
    MessageRecorder* operator->() const { return recorder.get(); }
};
