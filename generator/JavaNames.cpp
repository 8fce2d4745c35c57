#include "JavaNames.h"

#include <utility>

namespace {

QString SimpleName(const QString& qualified) {
    return qualified.mid(qualified.lastIndexOf(QLatin1Char('.')) + 1);
}

} // namespace

TJavaNames::TJavaNames(QString packageName, QSet<QString> classes, QSet<QString> renamed)
    : packageName_(std::move(packageName)), classes_(std::move(classes)),
      renamed_(std::move(renamed)) {}

QString TJavaNames::Type(const QString& qualified) const {
    const QString simple = SimpleName(qualified);
    return classes_.contains(simple) ? qualified : simple;
}

QString TJavaNames::OwnType(const QString& tail) const {
    return Type(Qualified(tail));
}

QString TJavaNames::Qualified(const QString& tail) const {
    return "com." + packageName_ + QLatin1Char('.') + tail;
}

bool TJavaNames::Imports(const QString& qualified) const {
    return !classes_.contains(SimpleName(qualified));
}

QString TJavaNames::Local(const QString& name) const {
    return renamed_.contains(name) ? name + QLatin1Char('$') : name;
}

QSet<QString> ClassesSeenBy(const TClassModel& c) {
    QSet<QString> classes{c.className};
    for (const TMember& m : c.ReferenceMembers())
        classes.insert(m.memberType);
    return classes;
}
