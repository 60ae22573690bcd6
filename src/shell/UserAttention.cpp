#include "shell/UserAttention.h"

UserAttention &UserAttention::instance()
{
    static UserAttention attention;
    return attention;
}

void UserAttention::change(int commands, int questions)
{
    const bool wasAtWork = commandAtWork();
    m_commands += commands;
    m_questions += questions;
    if (questions > 0)
        Q_EMIT questionOpened();
    else if (questions < 0)
        Q_EMIT questionClosed();
    if (wasAtWork && !commandAtWork())
        Q_EMIT commandSettled();
}

UserAttention::Question::Question()
{
    instance().change(0, 1);
}

UserAttention::Question::~Question()
{
    instance().change(0, -1);
}

UserAttention::Command::Command()
{
    instance().change(1, 0);
}

UserAttention::Command::~Command()
{
    instance().change(-1, 0);
}
