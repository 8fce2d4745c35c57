#include "StrictJson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QString>
#include <algorithm>
#include <vector>

#include "ExchangeError.h"
#include "Printable.h"

namespace {

// One step of the path to a value: an object's key or an array's index.
struct TStep {
    QByteArray key;
    qsizetype index = -1;
};

// Walks the parsed text once; the syntax is known to be right, so only the two faults are
// looked for. The path is turned into text only for a message.
class TScanner {
public:
    TScanner(const QByteArray& json, qsizetype start) : json_(json), at_(start) {}

    void Value() {
        SkipSpace();
        const char c = json_[at_];
        if (c == '{')
            Object();
        else if (c == '[')
            Array();
        else if (c == '"')
            String();
        else
            SkipScalar();
    }

private:
    void Object() {
        ++at_;
        std::vector<QByteArray> keys;
        SkipSpace();
        while (json_[at_] != '}') {
            SkipSpace();
            path_.push_back({Key(String()), -1});
            keys.push_back(path_.back().key);
            SkipSpace();
            ++at_; // the colon
            Value();
            path_.pop_back();
            SkipSpace();
            if (json_[at_] == ',')
                ++at_;
        }
        ++at_;
        CheckUnique(keys);
    }

    void Array() {
        ++at_;
        SkipSpace();
        for (qsizetype i = 0; json_[at_] != ']'; ++i) {
            path_.push_back({QByteArray(), i});
            Value();
            path_.pop_back();
            SkipSpace();
            if (json_[at_] == ',')
                ++at_;
        }
        ++at_;
    }

    // The bytes between the quotes, as written; escapes are skipped whole.
    QByteArray String() {
        const qsizetype begin = ++at_;
        for (;;) {
            const auto c = static_cast<unsigned char>(json_[at_]);
            if (c == '"')
                break;
            if (c < 0x20)
                Refuse("在字节偏移量" + QString::number(at_) + "处文本中有未转义的控制字符");
            at_ += c == '\\' ? 2 : 1;
        }
        return QByteArray::fromRawData(json_.constData() + begin, at_++ - begin);
    }

    // The key's UTF-8 bytes; only a key with escapes needs decoding.
    static QByteArray Key(const QByteArray& raw) {
        if (!raw.contains('\\'))
            return raw;
        const QJsonDocument one = QJsonDocument::fromJson("[\"" + raw + "\"]");
        return one.array().at(0).toString().toUtf8();
    }

    void CheckUnique(std::vector<QByteArray>& keys) {
        std::sort(keys.begin(), keys.end());
        const auto twice = std::adjacent_find(keys.begin(), keys.end());
        if (twice == keys.end())
            return;
        path_.push_back({*twice, -1});
        Refuse(QStringLiteral("该字段出现了两次"));
    }

    void SkipSpace() {
        while (at_ < json_.size() && (json_[at_] == ' ' || json_[at_] == '\t' ||
                                      json_[at_] == '\n' || json_[at_] == '\r'))
            ++at_;
    }

    void SkipScalar() {
        while (at_ < json_.size() && !QByteArrayView(",]} \t\r\n").contains(json_[at_]))
            ++at_;
    }

    [[noreturn]] void Refuse(const QString& text) const {
        QString place;
        for (const TStep& step : path_) {
            if (step.index >= 0)
                place += '[' + QString::number(step.index) + ']';
            else
                place += (place.isEmpty() ? "" : ".") + Printable(QString::fromUtf8(step.key));
        }
        throw TExchangeError(place.isEmpty() ? text : place + ": " + text);
    }

    const QByteArray& json_;
    qsizetype at_;
    std::vector<TStep> path_;
};

} // namespace

namespace StrictJson {

void Check(const QByteArray& json, qsizetype start) {
    TScanner(json, start).Value();
}

} // namespace StrictJson
