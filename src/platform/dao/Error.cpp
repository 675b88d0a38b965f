#include "Error.h"

namespace dao {

Error::Error(int number, const QString &message)
    : std::runtime_error(message.toUtf8().toStdString()), m_number(number), m_message(message)
{
}

} // namespace dao
