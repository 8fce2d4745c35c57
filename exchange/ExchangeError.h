#pragma once

#include <QString>
#include <stdexcept>

// A model that cannot be imported or a source that cannot be read; the message names the place
// (in a model file "projects[0].classes[1].className: ...", in an Access file
// "t_member[memberId=40].memberType: ...").
class TExchangeError : public std::runtime_error {
public:
    explicit TExchangeError(const QString& message);
    QString Message() const;
};

// A project of the import has the name of a project already in the database: another name
// (--as, or the window's question) may still import it.
class TNameTakenError : public TExchangeError {
public:
    using TExchangeError::TExchangeError;
};
