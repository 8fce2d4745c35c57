#include "ExchangeError.h"

TExchangeError::TExchangeError(const QString& message)
    : std::runtime_error(message.toStdString()) {}

QString TExchangeError::Message() const {
    return QString::fromUtf8(what());
}
