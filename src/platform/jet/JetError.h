#pragma once

#include <QString>

#include <stdexcept>

namespace jet {

// Every failure of the Jet reader: a sentence a person can read. what() gives it in UTF-8.
class JetError : public std::runtime_error
{
public:
    explicit JetError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {
    }

    QString message() const { return m_message; }

private:
    QString m_message;
};

} // namespace jet
