#include "shell/UserAttention.h"

UserAttention &UserAttention::Instance()
{
    static UserAttention attention;
    return attention;
}

void UserAttention::change(int commands, int questions)
{
    const bool wasAtWork = CommandAtWork();
    m_commands += commands;
    m_questions += questions;
    if (questions > 0)
        Q_EMIT QuestionOpened();
    else if (questions < 0)
        Q_EMIT QuestionClosed();
    if (wasAtWork && !CommandAtWork())
        Q_EMIT CommandSettled();
}

UserAttention::Question::Question()
{
    Instance().change(0, 1);
}

UserAttention::Question::~Question()
{
    Instance().change(0, -1);
}

UserAttention::Command::Command()
{
    Instance().change(1, 0);
}

UserAttention::Command::~Command()
{
    Instance().change(-1, 0);
}
