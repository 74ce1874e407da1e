#pragma once

#include <QString>
#include <stdexcept>

// Thrown by a component call that cannot be carried out at once. The windows'
// error traps catch it; the number and description say what went wrong.
class ComponentError : public std::runtime_error
{
public:
    ComponentError(qint32 number, const QString &description)
        : std::runtime_error(description.toStdString()), Number(number), Description(description)
    {
    }

    qint32 Number;
    QString Description;
};

// The conventional numbers of the failures that components raise at once.
namespace ErrorNumber {
constexpr qint32 Overflow = 6;
constexpr qint32 TypeMismatch = 13;
constexpr qint32 InvalidPropertyValue = 380;
constexpr qint32 WrongProtocolOrState = 40006;
constexpr qint32 InvalidArgument = 40014;
constexpr qint32 InvalidOperationAtState = 40020;
}
