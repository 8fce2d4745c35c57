// GBK text: encoding and decoding, the template reader and the marker replacement.
#include <QFile>
#include <algorithm>
#include <iconv.h>
#include <memory>
#include <type_traits>

#include "FileSupport.h"

using namespace FileSupport;

namespace {

// One direction of an iconv conversion and what stands in for input it cannot convert.
struct TConversion {
    const char* to;
    const char* from;
    QByteArray replacement;
    bool fromUtf8; // skip a whole UTF-8 sequence rather than one byte
};

const TConversion kToGbk{"GBK", "UTF-8", QByteArray("?"), true};
const TConversion kFromGbk{"UTF-8", "GBK", QByteArray("\xEF\xBF\xBD"), false};

struct TIconvCloser {
    void operator()(iconv_t cd) const { iconv_close(cd); }
};
using TIconv = std::unique_ptr<std::remove_pointer_t<iconv_t>, TIconvCloser>;

size_t SkipLength(const TConversion& conversion, const char* in, size_t left) {
    if (!conversion.fromUtf8)
        return 1;
    const auto lead = static_cast<unsigned char>(*in);
    const size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    return std::min(length, left);
}

TIconv OpenConversion(const TConversion& conversion) {
    const iconv_t cd = iconv_open(conversion.to, conversion.from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        throw TFileError(QStringLiteral("系统不支持GBK编码转换"));
    return TIconv(cd);
}

QByteArray Convert(const TConversion& conversion, const QByteArray& input, int* failures) {
    const TIconv cd = OpenConversion(conversion);
    QByteArray source = input;
    char* in = source.data();
    size_t inLeft = size_t(source.size());
    QByteArray result;
    char buffer[4096];
    while (inLeft > 0) {
        char* out = buffer;
        size_t outLeft = sizeof buffer;
        const size_t done = iconv(cd.get(), &in, &inLeft, &out, &outLeft);
        result.append(buffer, out - buffer);
        if (done != size_t(-1) || errno == E2BIG)
            continue;
        const size_t skip = SkipLength(conversion, in, inLeft);
        in += skip;
        inLeft -= skip;
        result.append(conversion.replacement);
        if (failures != nullptr)
            ++*failures;
    }
    return result;
}

// The GBK bytes of one character of the basic plane.
struct TGbkChar {
    char bytes[2];
    quint8 length = 0; // 0: not converted yet
    bool failed = false;
};

// Converts each character once per thread; later look-ups keep iconv off the path of long
// generated texts.
const TGbkChar& GbkOf(char16_t c) {
    thread_local std::vector<TGbkChar> table(0x10000);
    TGbkChar& entry = table[c];
    if (entry.length == 0) {
        int failed = 0;
        const QByteArray bytes = Convert(kToGbk, QString(QChar(c)).toUtf8(), &failed);
        entry.length = quint8(std::min<qsizetype>(bytes.size(), 2));
        std::copy_n(bytes.constData(), entry.length, entry.bytes);
        entry.failed = failed > 0;
    }
    return entry;
}

} // namespace

QString TFileOperate::ReadTextFile(const QString& fileName) {
    std::optional<QByteArray> read = ReadRegular(ToPath(fileName));
    if (!read)
        return QString();
    QByteArray& bytes = *read;
    // A line ends at LF or CR LF, and a lone CR is dropped: so every CR goes.
    bytes.removeIf([](char c) { return c == '\r'; });
    if (bytes.isEmpty())
        return QString();
    if (!bytes.endsWith('\n'))
        bytes.append('\n');
    return DecodeGbk(bytes.replace("\n", "\r\n"));
}

QString TFileOperate::ReplaceMarker(const QString& text, const QString& marker,
                                    const QString& value) {
    if (marker.isEmpty())
        return text;
    QString result = text;
    return result.replace(marker, value, Qt::CaseSensitive);
}

// ASCII is the same in GBK; other characters of the basic plane come from GbkOf, and a
// surrogate pair is converted each time.
QByteArray TFileOperate::EncodeGbk(const QString& text, int* replaced) {
    // A UTF-16 unit never takes more than two bytes in GBK.
    QByteArray result(text.size() * 2, Qt::Uninitialized);
    char* out = result.data();
    int failures = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0x80) {
            *out++ = char(c);
        } else if (QChar::isSurrogate(c)) {
            const qsizetype units =
                QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()
                    ? 2
                    : 1;
            const QByteArray bytes = Convert(kToGbk, text.mid(i, units).toUtf8(), &failures);
            out = std::copy_n(bytes.constData(), std::min(bytes.size(), 2 * units), out);
            i += units - 1;
        } else {
            const TGbkChar& gbk = GbkOf(c);
            out = std::copy_n(gbk.bytes, gbk.length, out);
            failures += gbk.failed ? 1 : 0;
        }
    }
    result.truncate(out - result.constData());
    if (replaced != nullptr)
        *replaced += failures;
    return result;
}

QString TFileOperate::DecodeGbk(const QByteArray& bytes) {
    return QString::fromUtf8(Convert(kFromGbk, bytes, nullptr));
}

