#include "RandomModel.h"

#include <QFile>
#include <QStringList>

#include "ClassDAO.h"
#include "MemberDAO.h"
#include "ProjectDAO.h"
#include "TestModel.h"

namespace {

// Names chosen to meet the rules' edges: generated names, fixed classes, imported types,
// reserved words, non-identifiers, characters GBK cannot hold, and the limits of length.
const QStringList kRiskyClassNames{"Admin",     "Login",
                                   "User",      "ChangePassword",
                                   "List",      "Query",
                                   "Session",   "String",
                                   "TestUtil",  "HibernateUtil",
                                   "Integer",   "Object",
                                   "Statement", "Transaction",
                                   "Map",       "Date",
                                   "Thread",    "Override",
                                   "Exception", "ActionSupport",
                                   "Class",     "Action",
                                   "DAO",       "A",
                                   "X9",        "_Under",
                                   "$Dollar",   "Élan",
                                   "Ωmega",     "图书",
                                   "Book图书",  "9Lives",
                                   "A B",       "class",
                                   "int",       "var",
                                   "Emoji😀",    "Tab\tName",
                                   "Ǎccent",    "Ä",
                                   "Request",   "Locale",
                                   "Set",       "Or",
                                   "Select",    "S",
                                   "Ctx",       "Java",
                                   "Attr",      "Long",
                                   "Double",    "Boolean",
                                   "ArrayList", "ReferenceChoices"};
const QStringList kRiskyMemberNames{"currentPage", "totalPage",   "recordNumber",
                                    "ctx",         "e",           "s",
                                    "tx",          "hql",         "q",
                                    "startIndex",  "mod",         "PAGE_SIZE",
                                    "java",        "com",         "org",
                                    "javax",       "class",       "Class",
                                    "int",         "9lives",      "a b",
                                    "$x",          "_x",          "_",
                                    "名称",        "数量2",       "id",
                                    "list",        "session",     "query",
                                    "string",      "hashCode",    "length",
                                    "Name",        "name",        "é",
                                    "ω",           "emoji😀",      "serialVersionUID",
                                    "this",        "null",        "true",
                                    "var",         "record",      "x$",
                                    "getName",     "set",         "attr",
                                    "request",     "application", "parameters",
                                    "action",      "locale"};
const QStringList kComments{"",
                            "名称",
                            "价格(元)",
                            "*/",
                            "/* nested */",
                            "a*/b*/c",
                            "--",
                            "a--b",
                            "-",
                            "---",
                            "x-",
                            "\\u0041",
                            "\\u002a\\u002f",
                            "\\\\u0022",
                            "\\",
                            "\"quoted\"",
                            "line\nbreak",
                            "cr\r\nlf",
                            "<tag>&amp;",
                            "]]>",
                            "\x01control",
                            "tab\there",
                            "😀",
                            "$packageName",
                            "%s %d",
                            "'",
                            "\\n"};
const QStringList kPlainNames{"name",      "title",  "price", "count",   "amount", "code",
                              "createdAt", "remark", "phone", "address", "status", "owner"};

// Dice that now and then make a model the checks must refuse: a risky model uses risky names
// and breaks structural rules more often.
class TDice {
public:
    explicit TDice(unsigned seed) : engine_(seed) { risky_ = Chance(30); }
    bool Hazard(int riskyPercent) { return Chance(risky_ ? riskyPercent : riskyPercent / 8); }
    int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(engine_); }
    bool Chance(int percent) { return Below(100) < percent; }
    template <typename T> const T& Pick(const QList<T>& list) { return list[Below(list.size())]; }
    QString Letters(int length, char first) {
        QString text(1, QLatin1Char(first + Below(26)));
        for (int i = 1; i < length; ++i)
            text += QLatin1Char("abcdefghijklmnopqrstuvwxyz0123456789_"[Below(37)]);
        return text;
    }

private:
    std::mt19937 engine_;
    bool risky_ = false;
};

QString ClassName(TDice& dice, const QList<TRandomClass>& made) {
    if (dice.Hazard(8))
        return dice.Pick(kRiskyClassNames);
    if (!made.isEmpty() && dice.Hazard(4))
        return dice.Pick(made).className + (dice.Chance(50)   ? "DAO"
                                            : dice.Chance(50) ? "Action"
                                                              : "");
    if (dice.Chance(3))
        return dice.Letters(150 + dice.Below(dice.Hazard(50) ? 150 : 50), 'A');
    return dice.Letters(1 + dice.Below(12), 'A');
}

QString MemberName(TDice& dice, const QList<TRandomClass>& classes) {
    if (dice.Hazard(6))
        return dice.Pick(kRiskyMemberNames);
    if (dice.Hazard(3)) {
        const QString other = dice.Pick(classes).className;
        const QString object = other.isEmpty() ? other : other[0].toLower() + other.mid(1);
        return object + (dice.Chance(50) ? "DAO" : dice.Chance(50) ? "List" : "");
    }
    if (dice.Chance(40))
        return dice.Pick(kPlainNames);
    if (dice.Chance(3))
        return dice.Letters(200 + dice.Below(100), 'a');
    return dice.Letters(1 + dice.Below(10), 'a');
}

// A type word: a simple type, a class of the model, or now and then a class it lacks.
QString TypeWord(TDice& dice, const QList<TRandomClass>& classes, const QString& own) {
    if (dice.Chance(25)) {
        if (dice.Hazard(5))
            return QStringLiteral("Ghost");
        const QString& other = dice.Pick(classes).className;
        return other != own || dice.Chance(30) ? other : QString(MemberTypes::String);
    }
    static const QStringList simple{MemberTypes::String, MemberTypes::Integer, MemberTypes::Float,
                                    MemberTypes::Date};
    return dice.Pick(simple);
}

TMember Member(TDice& dice, const QList<TRandomClass>& classes, const TRandomClass& owner) {
    TMember m;
    m.memberName = MemberName(dice, classes);
    for (const TMember& earlier : owner.members)
        if (earlier.memberName == m.memberName && !dice.Hazard(50))
            m.memberName += QString::number(owner.members.size());
    m.memberType = TypeWord(dice, classes, owner.className);
    // Mostly lengths a column holds; now and then one it cannot.
    static const QList<int> lengths{1,  10,  20,  20,  20,  20,  30,  40,   50,   50, 60,
                                    80, 100, 128, 200, 255, 255, 500, 1000, 2000, 20, 0};
    m.memberLength = m.memberType == MemberTypes::String ? dice.Pick(lengths) : 0;
    m.memberIsMust = dice.Below(2);
    m.memberIsInteger = m.memberType == MemberTypes::Integer ? 1 : 0;
    m.memberIsFloat = m.memberType == MemberTypes::Float ? 1 : 0;
    const bool countable = m.memberIsInteger == 1 || m.memberIsFloat == 1;
    m.queryFlag = (countable ? dice.Hazard(4) : dice.Chance(40)) ? 1 : 0;
    m.memberQueryDisplay = dice.Below(2);
    m.memberComment = dice.Chance(60) ? dice.Pick(kComments) : QString();
    return m;
}

// Usually one key of a key type and one display member; now and then not.
void MarkKeyAndDisplay(TDice& dice, TRandomClass& c) {
    QList<qsizetype> keyable, any; // any: the members that may be displayed, references too
    for (qsizetype i = 0; i < c.members.size(); ++i) {
        const QString& type = c.members[i].memberType;
        any << i;
        if (type == MemberTypes::String || type == MemberTypes::Integer || dice.Hazard(3))
            keyable << i;
    }
    if (c.members.isEmpty() || dice.Hazard(2))
        return;
    if (keyable.isEmpty()) {
        keyable << 0;
        c.members[0].memberType = MemberTypes::String;
        c.members[0].memberLength = 20;
    }
    TMember& key = c.members[dice.Pick(keyable)];
    key.memberIsPri = 1;
    key.memberIsMust = 1;
    if (!dice.Hazard(2))
        c.members[any.isEmpty() ? keyable.first() : dice.Pick(any)].memberIsDisplay = 1;
}

// Class names first, so that members can refer to any class, earlier or later.
QList<TRandomClass> Classes(TDice& dice) {
    QList<TRandomClass> classes;
    const int count = 1 + dice.Below(8);
    for (int i = 0; i < count; ++i) {
        TRandomClass c;
        c.className = ClassName(dice, classes);
        c.friendName = dice.Chance(50) ? QStringLiteral("类") + QString::number(i) : QString();
        classes << c;
    }
    return classes;
}

// Now and then a model of existing tables (its numbers may be NULL), and integer keys the user
// assigns; thrown with dice of their own, so the rest of the model stays as it was.
void MarkExistingTables(unsigned seed, int index, QList<TRandomClass>& classes) {
    TDice dice(seed * 104729u + static_cast<unsigned>(index));
    const bool existing = dice.Chance(30);
    for (qsizetype i = 0; i < classes.size(); ++i) {
        if (existing)
            classes[i].tableName = "t_" + QString::number(i);
        for (TMember& m : classes[i].members)
            if (m.memberIsPri == 1 && m.memberType == MemberTypes::Integer)
                m.keyAssigned = dice.Chance(50) ? 1 : 0;
    }
}

// The newer type words the random models use, listed in tests/random-type-words.txt.
QStringList ReadNewWords() {
    QFile file(QStringLiteral(BRENNOQUILL_TYPE_WORDS));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList words;
    for (const QString& line : QString::fromUtf8(file.readAll()).split('\n')) {
        const QString word = line.trimmed();
        if (!word.isEmpty() && !word.startsWith('#'))
            words << word;
    }
    return words;
}

const QStringList& NewWords() {
    static const QStringList words = ReadNewWords();
    return words;
}

// A 小数型's precision and scale, now and then at the edges.
void DecimalSize(TDice& dice, TMember& m) {
    static const QList<int> precisions{1, 5, 10, 12, 18, 18, 19, 30, 38, 65};
    m.memberLength = dice.Pick(precisions);
    m.memberScale = dice.Chance(20) ? 0 : dice.Below(int(qMin<qint64>(m.memberLength, 10)) + 1);
}

// A 文本型's declared length: 0 (the column's own), or one that needs a longer column.
qint64 TextLength(TDice& dice) {
    static const QList<qint64> lengths{0, 0, 500, 5000, 65535, 100000, 20000000};
    return dice.Pick(lengths);
}

// Gives simple members a newer word as often as each of the four, and integer keys now and
// then 长整型; thrown with dice of their own, so the rest of the model stays as it was.
void MarkNewWords(unsigned seed, int index, QList<TRandomClass>& classes) {
    const QStringList& words = NewWords();
    if (words.isEmpty())
        return;
    TDice dice(seed * 15485863u + static_cast<unsigned>(index));
    const int odds = int(100 * words.size() / (words.size() + 4));
    for (TRandomClass& c : classes)
        for (TMember& m : c.members) {
            const bool key = m.memberIsPri == 1;
            if (key && m.memberType == MemberTypes::Integer && words.contains(MemberTypes::Long) &&
                dice.Chance(40))
                m.memberType = MemberTypes::Long;
            if (key || !MemberTypes::IsSimple(m.memberType) || !dice.Chance(odds))
                continue;
            m.memberType = dice.Pick(words);
            m.memberIsInteger = m.memberIsFloat = 0;
            m.memberLength = 0;
            if (m.memberType == MemberTypes::Decimal)
                DecimalSize(dice, m);
            if (m.memberType == MemberTypes::Text)
                m.memberLength = TextLength(dice);
        }
}

} // namespace

TRandomModel MakeRandomModel(unsigned seed, int index) {
    TDice dice(seed * 7919u + static_cast<unsigned>(index));
    TRandomModel model;
    model.classes = Classes(dice);
    for (TRandomClass& c : model.classes) {
        const int count = dice.Hazard(10) ? dice.Below(13) : 1 + dice.Below(12);
        for (int i = 0; i < count; ++i)
            c.members << Member(dice, model.classes, c);
        MarkKeyAndDisplay(dice, c);
    }
    MarkExistingTables(seed, index, model.classes);
    MarkNewWords(seed, index, model.classes);
    return model;
}

int TRandomModel::Store(const QString& projectName) const {
    const int projectId = TestModel::AddProject(projectName);
    for (const TRandomClass& c : classes) {
        const int classId =
            int(TClassDAO().AddClass(projectId, c.className, c.friendName, c.tableName));
        for (TMember m : c.members) {
            m.projectId = projectId;
            m.classId = classId;
            TestModel::AddMember(m);
        }
    }
    return projectId;
}

QString TRandomModel::Describe() const {
    QStringList lines;
    for (const TRandomClass& c : classes) {
        QStringList members;
        for (const TMember& m : c.members)
            members << QString("%1:%2%3%4%5%6%7")
                           .arg(m.memberName, m.memberType,
                                m.memberType == MemberTypes::Decimal
                                    ? QString("(%1,%2)").arg(m.memberLength).arg(m.memberScale)
                                    : QString(),
                                m.memberIsPri ? "*" : "", m.keyAssigned ? "=" : "",
                                m.memberIsDisplay ? "!" : "", m.queryFlag ? "?" : "");
        lines << c.className + (c.tableName.isEmpty() ? "" : " (" + c.tableName + ")") + " {" +
                     members.join(", ") + "}";
    }
    return lines.join('\n');
}
