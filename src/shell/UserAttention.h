#pragma once

#include <QObject>

// Whether the program is asking the user something (a message box, the proxy's login
// question, a command's dialog) and whether a command is at work, that is running and
// not waiting for such an answer. The windows that come up by themselves keep out of
// the way of both: "通信中" stands aside while a question is open, and the report of
// documents that could not be opened waits until no command is at work.
class UserAttention : public QObject {
    Q_OBJECT

public:
    static UserAttention &instance();

    bool commandAtWork() const { return m_commands > m_questions; }

    // Held while a question is open.
    class Question {
    public:
        Question();
        ~Question();
        Question(const Question &) = delete;
        Question &operator=(const Question &) = delete;
    };

    // Held while a command runs (CommandGuard holds one).
    class Command {
    public:
        Command();
        ~Command();
        Command(const Command &) = delete;
        Command &operator=(const Command &) = delete;
    };

Q_SIGNALS:
    void questionOpened();
    void questionClosed();
    void commandSettled(); // no command is at work any more

private:
    UserAttention() = default;
    void change(int commands, int questions);

    int m_commands = 0;
    int m_questions = 0;
};
