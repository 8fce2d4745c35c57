#include "Guard.h"

#include <exception>

#include "DbHelper.h"
#include "UserSeam.h"

bool RunGuarded(TUserSeam& seam, const std::function<void()>& command) {
    try {
        command();
        return true;
    } catch (const TDbError& e) {
        seam.Error(e.Message());
    } catch (const std::exception& e) {
        seam.Error(QString::fromUtf8(e.what()));
    }
    return false;
}

QFont FormFont() {
    return QFont(QStringLiteral("MS Sans Serif"), 8);
}
