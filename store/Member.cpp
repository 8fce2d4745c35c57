#include "Member.h"

#include <limits>
#include <utility>

#include "Printable.h"

const QStringList& MemberTypes::All() {
    static const QStringList words{String,  Integer, Float, Date,   DateTime,
                                   Decimal, Long,    Text,  Boolean};
    return words;
}

bool MemberTypes::IsSimple(const QString& typeWord) {
    return All().contains(typeWord);
}

void NormaliseTypeFlags(TMember& m) {
    m.memberIsInteger = m.memberType == MemberTypes::Integer ? 1 : 0;
    m.memberIsFloat = m.memberType == MemberTypes::Float ? 1 : 0;
}

std::optional<QString> LengthRangeError(const TMember& m, const QString& className) {
    using Limits = std::numeric_limits<int>;
    const qint64 length = m.memberLength;
    if (m.memberType == MemberTypes::Text) {
        if (length >= 0 && length <= kMaxTextLength)
            return std::nullopt;
        return "类" + Printable(className) + "的成员" + Printable(m.memberName) + "的长度" +
               QString::number(length) + "超出范围: 文本型的长度必须在0到" +
               QString::number(kMaxTextLength) + "之间";
    }
    if (std::in_range<int>(length))
        return std::nullopt;
    const QString limit = length > 0 ? "不能大于" + QString::number(Limits::max())
                                     : "不能小于" + QString::number(Limits::min());
    return "类" + Printable(className) + "的成员" + Printable(m.memberName) + "的长度" +
           QString::number(length) + "超出范围: 长度" + limit;
}
