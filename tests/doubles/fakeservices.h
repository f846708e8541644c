#pragma once

#include "platform/application.h"
#include "platform/clipboard.h"
#include "platform/shell.h"
#include "tests/doubles/faults.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <utility>

namespace doubles {

class FakeClipboard final : public platform::IClipboard
{
public:
    explicit FakeClipboard(Faults &faults)
        : m_faults(faults)
    { }

    void Clear() override
    {
        m_faults.check(QStringLiteral("Clipboard.Clear"));
        text.reset();
        hasOtherFormats = false;
    }
    void SetText(const QString &value) override
    {
        m_faults.check(QStringLiteral("Clipboard.SetText"));
        text = value;
    }

    // Empty optional: no text on the clipboard at all.
    std::optional<QString> text;
    bool hasOtherFormats = false;

private:
    Faults &m_faults;
};

class FakeApplication final : public platform::IApplication
{
public:
    explicit FakeApplication(Faults &faults)
        : m_faults(faults)
    { }

    float TwipsPerPixelX() override
    {
        m_faults.check(QStringLiteral("App.TwipsPerPixelX"));
        return twipsPerPixel;
    }
    QString Title() override
    {
        m_faults.check(QStringLiteral("App.Title"));
        return title;
    }
    void processPendingEvents() override
    {
        m_faults.check(QStringLiteral("App.processPendingEvents"));
        ++pendingEventRuns;
        if (onProcessPendingEvents)
            onProcessPendingEvents();
    }

    void showMessage(const QString &text) override
    {
        m_faults.check(QStringLiteral("App.showMessage"));
        messages.append(text);
    }
    // Takes the answers in turn; Cancel once they are used up.
    platform::Answer ask(quint32 owner, const platform::Question &question) override
    {
        m_faults.check(QStringLiteral("App.ask"));
        questions.append({owner, question});
        return answers.isEmpty() ? platform::Answer::Cancel : answers.takeFirst();
    }

    float twipsPerPixel = 15;
    QStringList messages;
    QList<std::pair<quint32, platform::Question>> questions;
    QList<platform::Answer> answers;
    QString title = QStringLiteral("Corvanta");
    int pendingEventRuns = 0;
    std::function<void()> onProcessPendingEvents;

private:
    Faults &m_faults;
};

// Records every request with the record's bytes as sent, and answers as a notification area
// that holds at most one icon per (hWnd, uID).
class FakeShell final : public platform::IShell
{
public:
    struct Request
    {
        quint32 message;
        platform::NotifyIconBuffer bytes;
        int answer;
    };

    explicit FakeShell(Faults &faults)
        : m_faults(faults)
    { }

    int Shell_NotifyIconA(quint32 message, platform::NotifyIconBuffer &data) override
    {
        m_faults.check(QStringLiteral("Shell.Shell_NotifyIconA"));
        const auto key
            = std::make_pair(platform::notifyIconField(data, platform::NotifyIconHWndOffset),
                             platform::notifyIconField(data, platform::NotifyIconUIDOffset));
        int answer = 0;
        if (message == platform::NIM_ADD && available && !icons.contains(key)) {
            icons.append(key);
            answer = 1;
        } else if (message == platform::NIM_DELETE && icons.removeOne(key)) {
            answer = 1;
        }
        requests.append({message, data, answer});
        return answer;
    }
    int SetForegroundWindow(quint32 hWnd) override
    {
        m_faults.check(QStringLiteral("Shell.SetForegroundWindow"));
        foreground.append(hWnd);
        return 1;
    }
    bool NotificationAreaAvailable() override
    {
        m_faults.check(QStringLiteral("Shell.NotificationAreaAvailable"));
        return available;
    }

    bool available = true;
    QList<std::pair<quint32, quint32>> icons;
    QList<Request> requests;
    QList<quint32> foreground;

private:
    Faults &m_faults;
};

} // namespace doubles
