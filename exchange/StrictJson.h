#pragma once

#include <QByteArray>

// What QJsonDocument reads over but RFC 8259 forbids or leaves open: a raw control character
// inside a string, and a key given twice in one object (the document keeps the last value).
namespace StrictJson {

// Checks text that QJsonDocument has parsed, from offset start on. Throws TExchangeError
// naming the place as the model reader does ("projects[0].classes[1].friendName: ...").
void Check(const QByteArray& json, qsizetype start);

} // namespace StrictJson
