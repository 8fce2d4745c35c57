#include "SchemaImport.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <optional>

#include "ModelCheck.h"
#include "Printable.h"

namespace {

// A text key without a declared length becomes a string of this length.
constexpr qint64 kUndeclaredLength = 255;
// A longer text key, or enumeration, becomes a string of this length: the most a row of a key
// and this column holds in MariaDB/MySQL (utf8mb4), whatever the key.
constexpr qint64 kLongestText = 16000;
// The most characters (utf8mb4, four bytes each) MariaDB/MySQL's text types hold; 0: TEXT's own.
constexpr qint64 kTinyTextLength = 255 / 4;
constexpr qint64 kMediumTextLength = 16777215 / 4;
constexpr qint64 kLongTextLength = 4294967295LL / 4;
// The precision and scale a 小数型 holds on both database kinds.
constexpr qint64 kMostPrecision = 65;
constexpr qint64 kMostScale = 30;
// Candidates tried for a name before the column or table is left out.
constexpr int kMaxCandidates = 100;

QString BaseType(const QString& typeName) {
    static const QRegularExpression parentheses(QStringLiteral("\\(.*\\)"));
    static const QRegularExpression sign(QStringLiteral("\\b(unsigned|signed|zerofill)\\b"));
    QString base = typeName.toLower();
    base.remove(parentheses);
    base.remove(sign);
    return base.simplified();
}

bool ContainsAny(const QString& text, const QStringList& parts) {
    for (const QString& part : parts)
        if (text.contains(part))
            return true;
    return false;
}

// Type names of no listed word, as SQLite reads a declared type.
TColumnKind KindByAffinity(const QString& base) {
    if (ContainsAny(base, {"interval", "point", "time"}) && !base.contains("timestamp") &&
        !base.contains("datetime"))
        return TColumnKind::Other;
    if (base.contains("int"))
        return TColumnKind::Integer;
    if (ContainsAny(base, {"char", "clob", "text"}))
        return TColumnKind::Text;
    if (ContainsAny(base, {"real", "floa", "doub"}))
        return TColumnKind::Float;
    if (ContainsAny(base, {"decimal", "numeric"}))
        return TColumnKind::Decimal;
    if (ContainsAny(base, {"datetime", "timestamp"}))
        return TColumnKind::DateTime;
    if (base.contains("date"))
        return TColumnKind::Date;
    if (base.contains("bool"))
        return TColumnKind::Boolean;
    return TColumnKind::Other;
}

bool IsUnsigned(const QString& typeName) {
    return typeName.contains(QStringLiteral("unsigned"), Qt::CaseInsensitive);
}

// The kinds the declared size or sign decides: INT UNSIGNED holds more than an int,
// TINYINT(1) and BIT(1) are MariaDB/MySQL's yes/no; a longer BIT is no number.
TColumnKind KindBySize(const QString& typeName, const QString& base, TColumnKind kind) {
    const qint64 length = SchemaImport::DeclaredLength(typeName);
    if (base == "tinyint" && length == 1 && !IsUnsigned(typeName))
        return TColumnKind::Boolean;
    if (base == "bit")
        return length <= 1 ? TColumnKind::Boolean : TColumnKind::Other;
    if ((base == "int" || base == "integer") && IsUnsigned(typeName))
        return TColumnKind::Long;
    return kind;
}

QStringList Words(const QString& name) {
    QStringList words;
    QString word;
    for (QChar c : name) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) {
            word += c;
        } else if (!word.isEmpty()) {
            words << word;
            word.clear();
        }
    }
    if (!word.isEmpty())
        words << word;
    // A name without lower-case letters (BOOK_TYPE) is read as words of lower case.
    if (name.toUpper() == name)
        for (QString& w : words)
            w = w.toLower();
    return words;
}

QString CamelOfWords(const QStringList& words) {
    QString result;
    for (const QString& w : words)
        result += w.left(1).toUpper() + w.mid(1);
    return result;
}

bool IsEnumeration(const QString& base) {
    return base == "enum" || base == "set";
}

QStringList EnumerationValues(const QString& typeName) {
    static const QRegularExpression value(QStringLiteral("'((?:[^']|'')*)'"));
    QStringList values;
    for (const QRegularExpressionMatch& m : value.globalMatch(typeName))
        values << m.captured(1).replace("''", "'");
    return values;
}

// The longest value an ENUM column holds, or a SET column with every value chosen.
qint64 EnumerationLength(const QString& typeName) {
    qint64 longest = 0;
    qint64 all = -1; // the values and the commas between them
    for (const QString& value : EnumerationValues(typeName)) {
        longest = std::max<qint64>(longest, value.size());
        all += value.size() + 1;
    }
    return std::max<qint64>(1, BaseType(typeName) == "set" ? all : longest);
}

// The member type a column's values take, and why it holds them with a loss or the database
// refuses values the member's own checks take (empty when neither).
struct TTypeChoice {
    QString word;
    qint64 length = 0;
    qint64 scale = 0;
    QString loss;
};

TTypeChoice Choice(const QString& word, qint64 length = 0, qint64 scale = 0,
                   const QString& loss = QString()) {
    return {word, length, scale, loss};
}

QString EnumerationLoss(const QString& typeName) {
    const QString values = Printable(EnumerationValues(typeName).join(", "));
    if (BaseType(typeName) == "set")
        return "数据库只接受这些值的组合(以逗号分隔): " + values;
    return "数据库只接受这些值: " + values;
}

// A text column: a string up to its declared length, a long text when it declares none or
// more than a string holds (MariaDB/MySQL's text types by what they hold), an enumeration a
// string of its longest value.
TTypeChoice TextChoice(const TSchemaColumn& column) {
    const QString base = BaseType(column.typeName);
    if (IsEnumeration(base))
        return Choice(MemberTypes::String,
                      std::min(kLongestText, EnumerationLength(column.typeName)), 0,
                      EnumerationLoss(column.typeName));
    if (column.length >= 1 && column.length <= ModelCheck::kMaxStringLength &&
        !ContainsAny(base, {"text", "clob"}))
        return Choice(MemberTypes::String, column.length);
    static const QHash<QString, qint64> sized{{"tinytext", kTinyTextLength},
                                              {"mediumtext", kMediumTextLength},
                                              {"longtext", kLongTextLength}};
    return Choice(MemberTypes::Text, sized.value(base, std::max<qint64>(column.length, 0)));
}

// DECIMAL(p,s) within what a 小数型 holds; else a float, as before there were exact decimals.
TTypeChoice DecimalChoice(const TSchemaColumn& column) {
    const qint64 precision = column.length;
    const qint64 scale = SchemaImport::DeclaredScale(column.typeName);
    if (precision >= 1 && precision <= kMostPrecision && scale >= 0 &&
        scale <= std::min(precision, kMostScale))
        return Choice(MemberTypes::Decimal, precision, scale);
    const QString why = precision < 1 ? QStringLiteral("没有声明精度")
                                      : "精度或小数位数超出小数型的范围(精度1到" +
                                            QString::number(kMostPrecision) + ", 小数位数0到" +
                                            QString::number(kMostScale) + ")";
    return Choice(MemberTypes::Float, 0, 0, why + ", 按浮点数计算, 小数可能有舍入误差");
}

// Fractions of a second: declared ("datetime(6)") or PostgreSQL's default of six digits
// ("timestamp without time zone").
TTypeChoice DateTimeChoice(const TSchemaColumn& column) {
    const qint64 digits = column.length;
    const bool postgresDefault =
        digits < 0 && column.typeName.contains(QStringLiteral("time zone"), Qt::CaseInsensitive);
    if (digits > 0 || postgresDefault)
        return Choice(MemberTypes::DateTime, 0, 0,
                      QStringLiteral("日期时间型只精确到秒, 秒的小数部分会丢失"));
    return Choice(MemberTypes::DateTime);
}

TTypeChoice IntegerChoice(const TSchemaColumn& column) {
    if (BaseType(column.typeName) == "year")
        return Choice(MemberTypes::Integer, 0, 0,
                      QStringLiteral("数据库只接受1901到2155之间的年份和0"));
    return Choice(MemberTypes::Integer);
}

TTypeChoice LongChoice(const TSchemaColumn& column) {
    const QString base = BaseType(column.typeName);
    if (IsUnsigned(column.typeName) && (base == "bigint" || base == "int8"))
        return Choice(MemberTypes::Long, 0, 0,
                      QStringLiteral("长整型只能存放-9223372036854775808到9223372036854775807, "
                                     "超出的值不能读写"));
    return Choice(MemberTypes::Long);
}

TTypeChoice TypeChoice(const TSchemaColumn& column) {
    switch (column.kind) {
    case TColumnKind::Text:
        return TextChoice(column);
    case TColumnKind::Integer:
        return IntegerChoice(column);
    case TColumnKind::Long:
        return LongChoice(column);
    case TColumnKind::Float:
        return Choice(MemberTypes::Float);
    case TColumnKind::Decimal:
        return DecimalChoice(column);
    case TColumnKind::DateTime:
        return DateTimeChoice(column);
    case TColumnKind::Boolean:
        return Choice(MemberTypes::Boolean);
    default:
        return Choice(MemberTypes::Date);
    }
}

// "字符串(40)", "小数型(10,2)", "日期时间型".
QString ChoiceText(const TTypeChoice& choice) {
    if (choice.word == MemberTypes::Decimal)
        return choice.word + "(" + QString::number(choice.length) + "," +
               QString::number(choice.scale) + ")";
    if (choice.length > 0)
        return choice.word + "(" + QString::number(choice.length) + ")";
    return choice.word;
}

QString ColumnPlace(const TSchemaTable& t, const TSchemaColumn& c) {
    return Printable(t.name) + "." + Printable(c.name);
}

bool IsKeyKind(TColumnKind kind) {
    return kind == TColumnKind::Integer || kind == TColumnKind::Long || kind == TColumnKind::Text;
}

TProjectModel ModelOf(const QList<TClassModel>& classes) {
    TProjectModel model;
    for (const TClassModel& c : classes)
        model.AddClass(c);
    return model;
}

// The column a single-column foreign key of the table starts from, with the key.
std::optional<TSchemaForeignKey> ForeignKeyOf(const TSchemaTable& t, const QString& column) {
    for (const TSchemaForeignKey& fk : t.foreignKeys)
        if (fk.columns == QStringList{column})
            return fk;
    return std::nullopt;
}

// Turns the tables into classes; see SchemaImport::MapSchema.
class TMapper {
public:
    explicit TMapper(const QList<TSchemaTable>& tables) : tables_(tables) {}

    TSchemaMapping Run() {
        for (qsizetype i = 0; i < tables_.size(); ++i) {
            current_ = i;
            AddSkeleton(tables_[i], i + 1);
        }
        tableNotes_ = notes_;
        // A class left out as a whole turns the references to it into plain columns.
        do
            BuildMembers();
        while (DropBrokenClasses());
        return {classes_, Report(), AssignedKeyLines() + Notices(), {}};
    }

private:
    struct TKept {
        const TSchemaTable* table;
        qsizetype keyColumn;
        qsizetype position; // in tables_
    };

    // ---- Tables and their keys

    std::optional<QString> KeyProblem(const TSchemaTable& t) const {
        if (std::optional<QString> error = ModelCheck::DatabaseNameError("表名", t.name))
            return "表" + Printable(t.name) + "未导入: " + *error;
        if (t.primaryKey.isEmpty())
            return "表" + Printable(t.name) + "没有主键, 未导入";
        if (t.primaryKey.size() > 1)
            return "表" + Printable(t.name) + "的主键由多列组成(" +
                   Printable(t.primaryKey.join(", ")) + "), 未导入";
        const qsizetype index = ColumnIndex(t, t.primaryKey.first());
        if (index < 0)
            return "表" + Printable(t.name) + "的主键列" + Printable(t.primaryKey.first()) +
                   "不在表中, 未导入";
        const TSchemaColumn& key = t.columns[index];
        if (std::optional<QString> error = ModelCheck::DatabaseNameError("列名", key.name))
            return "表" + Printable(t.name) + "未导入: " + *error;
        if (!IsKeyKind(key.kind))
            return "表" + Printable(t.name) + "的主键列" + Printable(key.name) + "的类型" +
                   Printable(key.typeName) + "不能作为主键(只能是整数或字符类型), 未导入";
        return std::nullopt;
    }

    static qsizetype ColumnIndex(const TSchemaTable& t, const QString& column) {
        for (qsizetype i = 0; i < t.columns.size(); ++i)
            if (t.columns[i].name == column)
                return i;
        return -1;
    }

    void AddSkeleton(const TSchemaTable& t, qsizetype position) {
        if (t.view) {
            Note("视图" + Printable(t.name) + "未导入: 只导入表");
            return;
        }
        if (std::optional<QString> problem = KeyProblem(t)) {
            Note(*problem);
            return;
        }
        TClassModel c;
        c.classId = classes_.size() + 1;
        c.friendName = t.comment;
        c.tableName = t.name;
        const qsizetype keyIndex = ColumnIndex(t, t.primaryKey.first());
        if (!ChooseClassName(t, position, c))
            return;
        TMember key = KeyMember(t, t.columns[keyIndex]);
        key.memberIsPri = 1;
        key.memberIsMust = 1;
        if ((key.memberType == MemberTypes::Integer || key.memberType == MemberTypes::Long) &&
            !t.columns[keyIndex].generated)
            key.keyAssigned = 1;
        if (!ChooseMemberName(t, t.columns[keyIndex], keyIndex + 1, c, key))
            return;
        c.members = {key};
        if (c.friendName.isEmpty())
            c.friendName = c.className;
        classIndex_.insert(c.className.toLower(), classes_.size());
        tableIndex_.insert(t.name, classes_.size());
        classes_ << c;
        kept_ << TKept{&t, keyIndex, position - 1};
        keys_ << key;
    }

    bool ChooseClassName(const TSchemaTable& t, qsizetype position, TClassModel& c) {
        QString base = SchemaImport::UpperCamel(t.name);
        std::optional<QString> firstError = BaseNameProblem(base);
        if (!firstError && TakenClass(base))
            firstError = "与表" + Printable(TableOfClass(base)) + "重名";
        if (base.isEmpty())
            base = "Table" + QString::number(position);
        else if (base[0].isDigit())
            base = "Table" + base;
        const bool baseFree = !TakenClass(base);
        for (int i = 0; i < kMaxCandidates; ++i) {
            const QString name = Candidate(base, baseFree, i);
            c.className = name;
            std::optional<QString> error = TakenClass(name)
                                               ? "与表" + Printable(TableOfClass(name)) + "重名"
                                               : ModelCheck::ClassRuleError(ModelOf({c}), c);
            if (!error) {
                if (name != SchemaImport::UpperCamel(t.name))
                    Note("表" + Printable(t.name) + "导入为类" + name +
                         (firstError ? ": " + *firstError : QString()));
                return true;
            }
            if (!firstError)
                firstError = error;
        }
        Note("表" + Printable(t.name) + "未导入: " + firstError.value_or(QString()));
        return false;
    }

    // Why a name made of the words of a table or column name cannot be used as it is.
    static std::optional<QString> BaseNameProblem(const QString& base) {
        if (base.isEmpty())
            return QStringLiteral("名称中没有英文字母或数字");
        if (base[0].isDigit())
            return QStringLiteral("名称不能以数字开头");
        return std::nullopt;
    }

    bool TakenClass(const QString& name) const {
        return classIndex_.contains(name.toLower());
    }

    QString TableOfClass(const QString& name) const {
        const auto found = classIndex_.constFind(name.toLower());
        return found == classIndex_.constEnd() ? QString() : kept_[*found].table->name;
    }

    // The look-ups of kept classes by lower-cased class name and by table name.
    void IndexClasses() {
        classIndex_.clear();
        tableIndex_.clear();
        for (qsizetype i = 0; i < classes_.size(); ++i) {
            classIndex_.insert(classes_[i].className.toLower(), i);
            tableIndex_.insert(kept_[i].table->name, i);
        }
    }

    // The names tried in turn for a base name: itself and base_ while it is free, then base2,
    // base3, ...; made one at a time, as nearly every first one is taken.
    static QString Candidate(const QString& base, bool baseFree, int index) {
        if (baseFree && index == 0)
            return base;
        if (baseFree && index == 1)
            return base + "_";
        return base + QString::number(baseFree ? index : index + 2);
    }

    // ---- Members

    TMember SimpleMember(const TSchemaTable& t, const TSchemaColumn& column) {
        const TTypeChoice choice = TypeChoice(column);
        TMember m;
        m.memberType = choice.word;
        m.memberLength = choice.length;
        m.memberScale = choice.scale;
        m.memberComment = column.comment;
        m.columnName = column.name;
        m.memberIsMust = column.notNull ? 1 : 0;
        NormaliseTypeFlags(m);
        if (!column.domain.isEmpty())
            Note("列" + ColumnPlace(t, column) + "的类型是域" + Printable(column.domain) + "(" +
                 Printable(column.typeName) + "), 作为" + ChoiceText(choice) +
                 "导入: 数据库还检查域的约束, 页面不检查");
        if (!choice.loss.isEmpty())
            Note("列" + ColumnPlace(t, column) + "的类型" + Printable(column.typeName) + "作为" +
                 ChoiceText(choice) + "导入: " + choice.loss);
        return m;
    }

    // A key: a long text one becomes a string.
    TMember KeyMember(const TSchemaTable& t, const TSchemaColumn& column) {
        TMember key = SimpleMember(t, column);
        if (key.memberType == MemberTypes::Text) {
            key.memberType = MemberTypes::String;
            key.memberLength = TextKeyLength(t, column);
        }
        return key;
    }

    qint64 TextKeyLength(const TSchemaTable& t, const TSchemaColumn& column) {
        const qint64 most = kLongestText;
        if (column.length >= 1 && column.length <= ModelCheck::kMaxStringLength)
            return column.length;
        if (column.length > most) {
            Note("列" + ColumnPlace(t, column) + "的长度" + QString::number(column.length) +
                 "超过" + QString::number(ModelCheck::kMaxStringLength) + ", 作为长度为" +
                 QString::number(most) + "的字符串导入");
            return most;
        }
        Note("列" + ColumnPlace(t, column) + "没有声明长度, 作为长度为" +
             QString::number(kUndeclaredLength) + "的字符串导入");
        return kUndeclaredLength;
    }

    // The member name of the column, checked in a class of the key and this member.
    bool ChooseMemberName(const TSchemaTable& t, const TSchemaColumn& column, qsizetype position,
                          const TClassModel& c, TMember& m) {
        QString base = SchemaImport::LowerCamel(column.name);
        std::optional<QString> firstError = BaseNameProblem(base);
        if (base.isEmpty())
            base = "column" + QString::number(position);
        else if (base[0].isDigit())
            base = "column" + base;
        auto taken = [&c](const QString& n) { return TakenMember(c, n); };
        if (!firstError && taken(base))
            firstError = "与类" + c.className + "的另一个成员重名";
        const bool baseFree = !taken(base);
        for (int i = 0; i < kMaxCandidates; ++i) {
            const QString name = Candidate(base, baseFree, i);
            m.memberName = name;
            std::optional<QString> error =
                taken(name) ? "与类" + c.className + "的另一个成员重名" : MemberError(c, m);
            if (!error) {
                if (name != SchemaImport::LowerCamel(column.name))
                    Note("列" + ColumnPlace(t, column) + "导入为成员" + name +
                         (firstError ? ": " + *firstError : QString()));
                return true;
            }
            if (!firstError)
                firstError = error;
            if (!error->contains(name)) // another name would not help
                break;
        }
        Note("列" + ColumnPlace(t, column) + "未导入: " + firstError.value_or(QString()));
        return false;
    }

    static bool TakenMember(const TClassModel& c, const QString& name) {
        for (const TMember& m : c.members)
            if (m.memberName.compare(name, Qt::CaseInsensitive) == 0)
                return true;
        return false;
    }

    // The rules for the member alone beside the class's key, in a model of that class and the
    // class the member refers to (the only other class those rules read), so that the check
    // does not grow with the number of tables.
    std::optional<QString> MemberError(const TClassModel& c, const TMember& m) const {
        TClassModel trial = c;
        trial.members = c.members.isEmpty() ? QList<TMember>{m} : QList<TMember>{c.members[0], m};
        QList<TClassModel> classes{trial};
        const auto target = classIndex_.constFind(m.memberType.toLower());
        if (!MemberTypes::IsSimple(m.memberType) && target != classIndex_.constEnd() &&
            classes_[*target].classId != c.classId)
            classes << classes_[*target];
        return ModelCheck::ClassRuleError(ModelOf(classes), trial);
    }

    void BuildMembers() {
        notes_.clear();
        for (qsizetype i = 0; i < kept_.size(); ++i) {
            current_ = kept_[i].position;
            BuildClass(i);
        }
    }

    // Most tables need no name changed: their class is built with the columns' own names and
    // its search fields, and checked once; only a class that fails is built again member by
    // member, each checked beside the key (the lines it gives then replace those of the first
    // try).
    void BuildClass(qsizetype index) {
        TClassModel& c = classes_[index];
        const QStringList notesBefore = notes_.value(current_);
        if (BuildAsNamed(index))
            return;
        notes_[current_] = notesBefore;
        BuildMemberByMember(index);
        SetDisplayMember(c);
        SetQueryFlags(c);
    }

    // True when every column's member takes its camel-cased name and the class with its
    // display member and search fields passes the rules as a whole, which it does only if each
    // member (and each search flag) passes beside the key alone.
    bool BuildAsNamed(qsizetype index) {
        const TSchemaTable& t = *kept_[index].table;
        TClassModel& c = classes_[index];
        c.members = {keys_[index]};
        QSet<QString> taken{keys_[index].memberName.toLower()};
        qsizetype keyPlace = 0;
        for (qsizetype i = 0; i < t.columns.size(); ++i) {
            if (i == kept_[index].keyColumn) {
                KeyForeignKeyNote(t, t.columns[i]);
                keyPlace = c.members.size() - 1;
                continue;
            }
            std::optional<TMember> m = ColumnMember(t, t.columns[i]);
            if (!m)
                continue;
            m->memberName = SchemaImport::LowerCamel(t.columns[i].name);
            if (BaseNameProblem(m->memberName) || taken.contains(m->memberName.toLower()))
                return false;
            taken.insert(m->memberName.toLower());
            c.members << *m;
        }
        c.members.move(0, keyPlace);
        SetDisplayMember(c);
        for (TMember& m : c.members)
            m.queryFlag = MaySearch(m) ? 1 : 0;
        return !ModelCheck::ClassRuleError(ModelWithTargets(c), c);
    }

    void BuildMemberByMember(qsizetype index) {
        const TSchemaTable& t = *kept_[index].table;
        TClassModel& c = classes_[index];
        c.members = {keys_[index]};
        qsizetype keyPlace = 0; // the key goes back to its column's place
        for (qsizetype i = 0; i < t.columns.size(); ++i) {
            if (i == kept_[index].keyColumn) {
                KeyForeignKeyNote(t, t.columns[i]);
                keyPlace = c.members.size() - 1;
                continue;
            }
            std::optional<TMember> m = ColumnMember(t, t.columns[i]);
            if (m && ChooseMemberName(t, t.columns[i], i + 1, c, *m))
                c.members << *m;
        }
        c.members.move(0, keyPlace);
    }

    // A model of the class and the classes its references name: all the rules of a class read.
    TProjectModel ModelWithTargets(const TClassModel& c) const {
        TProjectModel model;
        model.AddClass(c);
        for (const TMember& m : c.members) {
            if (MemberTypes::IsSimple(m.memberType) || model.FindClass(m.memberType))
                continue;
            const auto target = classIndex_.constFind(m.memberType.toLower());
            if (target != classIndex_.constEnd())
                model.AddClass(classes_[*target]);
        }
        return model;
    }

    static bool MaySearch(const TMember& m) {
        const bool reference = !MemberTypes::IsSimple(m.memberType);
        return m.memberIsPri != 1 && (reference || m.memberIsDisplay == 1) &&
               ModelCheck::IsQueryType(m.memberType);
    }

    // The display member (a text or date) and the references become search fields: all at
    // once when the class then passes the rules, else each where the rules allow it.
    void SetQueryFlags(TClassModel& c) const {
        for (TMember& m : c.members)
            m.queryFlag = MaySearch(m) ? 1 : 0;
        if (!ModelCheck::ClassRuleError(ModelWithTargets(c), c))
            return;
        for (TMember& m : c.members)
            m.queryFlag = 0;
        TClassModel keyOnly = c;
        keyOnly.members = {*c.KeyMember()};
        for (TMember& m : c.members) {
            if (!MaySearch(m))
                continue;
            m.queryFlag = 1;
            if (MemberError(keyOnly, m))
                m.queryFlag = 0;
        }
    }

    void KeyForeignKeyNote(const TSchemaTable& t, const TSchemaColumn& column) {
        if (ForeignKeyOf(t, column.name))
            Note("列" + ColumnPlace(t, column) + "既是主键又是外键, 作为主键导入, 不作为引用");
    }

    std::optional<TMember> ColumnMember(const TSchemaTable& t, const TSchemaColumn& column) {
        if (std::optional<QString> error = ModelCheck::DatabaseNameError("列名", column.name)) {
            Note("列" + ColumnPlace(t, column) + "未导入: " + *error);
            return std::nullopt;
        }
        if (std::optional<QString> target = ReferencedClass(t, column)) {
            TMember m;
            m.memberType = *target;
            m.memberComment = column.comment;
            m.columnName = column.name;
            m.memberIsMust = column.notNull ? 1 : 0;
            return m;
        }
        if (column.kind == TColumnKind::Other) {
            Note("列" + ColumnPlace(t, column) + "的类型" + Printable(column.typeName) +
                 "不受支持, 未导入");
            return std::nullopt;
        }
        return SimpleMember(t, column);
    }

    // The class a single-column foreign key from the column refers to, when it is imported.
    std::optional<QString> ReferencedClass(const TSchemaTable& t, const TSchemaColumn& column) {
        for (const TSchemaForeignKey& fk : t.foreignKeys)
            if (fk.columns.size() > 1 && fk.columns.first() == column.name)
                Note("表" + Printable(t.name) + "的外键(" + Printable(fk.columns.join(", ")) +
                     ")由多列组成, 各列作为普通列导入");
        const std::optional<TSchemaForeignKey> fk = ForeignKeyOf(t, column.name);
        if (!fk)
            return std::nullopt;
        const qsizetype target = KeptIndex(fk->refTable);
        if (target < 0) {
            Note("列" + ColumnPlace(t, column) + "的外键引用的表" + Printable(fk->refTable) +
                 "没有导入, 作为普通列导入");
            return std::nullopt;
        }
        const TSchemaTable& refTable = *kept_[target].table;
        if (!fk->refColumns.isEmpty() && fk->refColumns != refTable.primaryKey) {
            Note("列" + ColumnPlace(t, column) + "的外键引用的列" + Printable(fk->refTable) + "." +
                 Printable(fk->refColumns.join(", ")) + "不是主键, 作为普通列导入");
            return std::nullopt;
        }
        return classes_[target].className;
    }

    qsizetype KeptIndex(const QString& table) const {
        return tableIndex_.value(table, -1);
    }

    // The first string or long text member whose column names a name or title, else the
    // first string member, else the key.
    static void SetDisplayMember(TClassModel& c) {
        std::optional<qsizetype> first;
        std::optional<qsizetype> named;
        for (qsizetype i = 0; i < c.members.size(); ++i) {
            const TMember& m = c.members[i];
            const bool string = m.memberType == MemberTypes::String;
            if (m.memberIsPri == 1 || (!string && m.memberType != MemberTypes::Text))
                continue;
            if (!first && string)
                first = i;
            const QString lower = m.memberName.toLower();
            if (!named && (lower.contains("name") || lower.contains("title")))
                named = i;
        }
        qsizetype display = named.value_or(first.value_or(-1));
        if (display < 0)
            for (qsizetype i = 0; i < c.members.size(); ++i)
                if (c.members[i].memberIsPri == 1)
                    display = i;
        c.members[display].memberIsDisplay = 1;
    }

    // ---- The whole class

    // Leaves out every class that breaks a rule as a whole (a row too large), all in one pass
    // so that the members are built again once, not once per class left out; true then.
    bool DropBrokenClasses() {
        const TProjectModel model = ModelOf(classes_);
        QList<qsizetype> broken;
        for (qsizetype i = 0; i < classes_.size(); ++i) {
            std::optional<QString> error = ModelCheck::ClassRuleError(model, model.Classes()[i]);
            if (error && KeepWithFewerSearchFields(model, classes_[i]))
                error.reset();
            if (error) {
                tableNotes_[kept_[i].position]
                    << "表" + Printable(kept_[i].table->name) + "未导入: " + *error;
                broken << i;
            }
        }
        for (qsizetype k = broken.size() - 1; k >= 0; --k) {
            classes_.removeAt(broken[k]);
            kept_.removeAt(broken[k]);
            keys_.removeAt(broken[k]);
        }
        if (!broken.isEmpty())
            IndexClasses();
        return !broken.isEmpty();
    }

    // A search field can break a rule only the whole model shows (its Action property named
    // like another class's object, "bookList" beside a class Book): such fields are turned off,
    // and the class is kept when that is all that broke it.
    static bool KeepWithFewerSearchFields(const TProjectModel& model, TClassModel& c) {
        TClassModel trial = c;
        for (TMember& m : trial.members)
            m.queryFlag = 0;
        if (ModelCheck::ClassRuleError(model, trial))
            return false;
        for (qsizetype i = 0; i < trial.members.size(); ++i) {
            if (c.members[i].queryFlag != 1)
                continue;
            trial.members[i].queryFlag = 1;
            if (ModelCheck::ClassRuleError(model, trial))
                trial.members[i].queryFlag = 0;
        }
        c = trial;
        return true;
    }

    void Note(const QString& line) {
        if (!notes_[current_].contains(line))
            notes_[current_] << line;
    }

    // A line for each kept class whose integer key the user gives, in table order.
    QStringList AssignedKeyLines() const {
        QStringList lines;
        for (qsizetype i = 0; i < kept_.size(); ++i)
            if (keys_[i].keyAssigned == 1)
                lines << "表" + Printable(kept_[i].table->name) + "的主键列" +
                             Printable(kept_[i].table->columns[kept_[i].keyColumn].name) +
                             "不由数据库生成, 添加页面要求填写主键";
        return lines;
    }

    // The search fields the import chose.
    QStringList Notices() const {
        qsizetype fields = 0;
        for (const TClassModel& c : classes_)
            for (const TMember& m : c.members)
                fields += m.queryFlag == 1 ? 1 : 0;
        if (fields == 0)
            return {};
        return {"已把各类的显示成员和引用成员设为查询条件(共" + QString::number(fields) +
                "个), 查询页面可按它们搜索"};
    }

    // The lines of each table together, in table order.
    QStringList Report() const {
        QStringList lines;
        for (qsizetype i = 0; i < tables_.size(); ++i)
            lines << tableNotes_.value(i) << notes_.value(i);
        return lines;
    }

    QList<TSchemaTable> tables_;
    QList<TClassModel> classes_;
    QList<TKept> kept_;
    QList<TMember> keys_;
    QHash<QString, qsizetype> classIndex_; // lower-cased class name -> index in classes_
    QHash<QString, qsizetype> tableIndex_; // table name -> index in kept_
    qsizetype current_ = 0;                    // the table the notes are about
    QHash<qsizetype, QStringList> tableNotes_; // tables left out or renamed, keys renamed
    QHash<qsizetype, QStringList> notes_;      // the latest pass's lines by table
};

} // namespace

namespace SchemaImport {

TColumnKind KindOfType(const QString& typeName) {
    static const QHash<QString, TColumnKind> known{
        {"char", TColumnKind::Text},
        {"varchar", TColumnKind::Text},
        {"character", TColumnKind::Text},
        {"character varying", TColumnKind::Text},
        {"nchar", TColumnKind::Text},
        {"nvarchar", TColumnKind::Text},
        {"bpchar", TColumnKind::Text},
        {"text", TColumnKind::Text},
        {"tinytext", TColumnKind::Text},
        {"mediumtext", TColumnKind::Text},
        {"longtext", TColumnKind::Text},
        {"clob", TColumnKind::Text},
        {"enum", TColumnKind::Text},
        {"set", TColumnKind::Text},
        {"tinyint", TColumnKind::Integer},
        {"smallint", TColumnKind::Integer},
        {"mediumint", TColumnKind::Integer},
        {"int", TColumnKind::Integer},
        {"integer", TColumnKind::Integer},
        {"int2", TColumnKind::Integer},
        {"int4", TColumnKind::Integer},
        {"serial", TColumnKind::Integer},
        {"smallserial", TColumnKind::Integer},
        {"year", TColumnKind::Integer},
        {"bigint", TColumnKind::Long},
        {"int8", TColumnKind::Long},
        {"big int", TColumnKind::Long},
        {"bigserial", TColumnKind::Long},
        {"decimal", TColumnKind::Decimal},
        {"dec", TColumnKind::Decimal},
        {"fixed", TColumnKind::Decimal},
        {"numeric", TColumnKind::Decimal},
        {"float", TColumnKind::Float},
        {"double", TColumnKind::Float},
        {"double precision", TColumnKind::Float},
        {"real", TColumnKind::Float},
        {"float4", TColumnKind::Float},
        {"float8", TColumnKind::Float},
        {"date", TColumnKind::Date},
        {"datetime", TColumnKind::DateTime},
        {"timestamp", TColumnKind::DateTime},
        {"timestamp without time zone", TColumnKind::DateTime},
        {"timestamp with time zone", TColumnKind::DateTime},
        {"timestamptz", TColumnKind::DateTime},
        {"boolean", TColumnKind::Boolean},
        {"bool", TColumnKind::Boolean},
        {"bit", TColumnKind::Boolean}};
    const QString base = BaseType(typeName);
    if (base.endsWith("[]") || base.contains("array"))
        return TColumnKind::Other;
    const auto found = known.constFind(base);
    return KindBySize(typeName, base, found != known.constEnd() ? *found : KindByAffinity(base));
}

qint64 DeclaredScale(const QString& typeName) {
    static const QRegularExpression scale(QStringLiteral("\\(\\s*\\d+\\s*,\\s*(-?\\d+)"));
    const QRegularExpressionMatch match = scale.match(typeName);
    return match.hasMatch() ? match.captured(1).toLongLong() : 0;
}

qint64 DeclaredLength(const QString& typeName) {
    static const QRegularExpression length(QStringLiteral("\\(\\s*(\\d+)"));
    const QRegularExpressionMatch match = length.match(typeName);
    bool ok = false;
    const qint64 value = match.hasMatch() ? match.captured(1).toLongLong(&ok) : -1;
    return ok ? value : -1;
}

QString UpperCamel(const QString& name) {
    return CamelOfWords(Words(name));
}

QString LowerCamel(const QString& name) {
    const QString upper = CamelOfWords(Words(name));
    return upper.left(1).toLower() + upper.mid(1);
}

QList<TSchemaTable> FilterTables(const QList<TSchemaTable>& tables, const QString& pattern) {
    QList<QRegularExpression> patterns;
    for (const QString& part : pattern.split(QLatin1Char(','), Qt::SkipEmptyParts))
        patterns << QRegularExpression(
            QRegularExpression::wildcardToRegularExpression(part.trimmed()),
            QRegularExpression::CaseInsensitiveOption);
    if (patterns.isEmpty())
        return tables;
    QList<TSchemaTable> kept;
    for (const TSchemaTable& t : tables)
        for (const QRegularExpression& p : patterns)
            if (p.match(t.name).hasMatch()) {
                kept << t;
                break;
            }
    return kept;
}

TSchemaMapping MapSchema(const QList<TSchemaTable>& tables) {
    return TMapper(tables).Run();
}

} // namespace SchemaImport
