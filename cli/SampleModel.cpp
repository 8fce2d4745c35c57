#include "SampleModel.h"

#include <vector>

#include "ClassDAO.h"
#include "DbHelper.h"
#include "MemberDAO.h"
#include "ProjectDAO.h"

namespace {

struct TSampleMember {
    const char* name;
    const char* type;
    int length; // used by strings only
    const char* comment;
    int isPri;
    int isMust;
    int queryFlag;
    int isDisplay;
};

struct TSampleClass {
    const char* name;
    const char* friendName;
    std::vector<TSampleMember> members;
};

// Every class has one key and one display member; members that are no strings are required,
// keys are integers or strings, and integers and floats are no search criteria.
const TSampleClass kClasses[] = {
    {"BookType",
     "图书类别",
     {{"typeId", "整型", 0, "类别编号", 1, 1, 0, 0},
      {"typeName", "字符串", 20, "类别名称", 0, 1, 1, 1},
      {"description", "字符串", 100, "类别说明", 0, 0, 0, 0}}},
    {"Book",
     "图书",
     {{"barcode", "字符串", 20, "图书条形码", 1, 1, 1, 0},
      {"bookName", "字符串", 50, "图书名称", 0, 1, 1, 1},
      {"bookType", "BookType", 0, "图书类别", 0, 1, 1, 0},
      {"author", "字符串", 20, "作者", 0, 0, 1, 0},
      {"price", "浮点型", 0, "价格", 0, 1, 0, 0},
      {"publishDate", "日期型", 0, "出版日期", 0, 1, 1, 0},
      {"stock", "整型", 0, "库存数量", 0, 1, 0, 0}}},
    {"Reader",
     "读者",
     {{"readerNo", "字符串", 20, "读者编号", 1, 1, 1, 0},
      {"readerName", "字符串", 20, "读者姓名", 0, 1, 1, 1},
      {"age", "整型", 0, "年龄", 0, 1, 0, 0},
      {"telephone", "字符串", 20, "联系电话", 0, 0, 0, 0}}},
    {"Loan",
     "借阅",
     {{"loanId", "整型", 0, "借阅编号", 1, 1, 0, 1},
      {"book", "Book", 0, "借阅图书", 0, 1, 1, 0},
      {"reader", "Reader", 0, "借阅读者", 0, 1, 1, 0},
      {"loanDate", "日期型", 0, "借阅日期", 0, 1, 1, 0},
      {"returnDate", "日期型", 0, "应还日期", 0, 1, 0, 0},
      {"fine", "浮点型", 0, "罚款金额", 0, 1, 0, 0}}},
};

TMember MakeMember(qint64 projectId, qint64 classId, const TSampleMember& sample) {
    TMember m;
    m.projectId = projectId;
    m.classId = classId;
    m.memberName = QString::fromUtf8(sample.name);
    m.memberType = QString::fromUtf8(sample.type);
    m.memberLength = m.memberType == MemberTypes::String ? sample.length : 0;
    m.memberIsPri = sample.isPri;
    m.memberComment = QString::fromUtf8(sample.comment);
    m.memberIsMust = sample.isMust;
    m.memberIsInteger = m.memberType == MemberTypes::Integer ? 1 : 0;
    m.memberIsFloat = m.memberType == MemberTypes::Float ? 1 : 0;
    m.queryFlag = sample.queryFlag;
    m.memberIsDisplay = sample.isDisplay;
    return m;
}

void AddClasses(qint64 projectId) {
    TClassDAO classes;
    TMemberDAO members;
    for (const TSampleClass& sample : kClasses) {
        const QString name = QString::fromUtf8(sample.name);
        const qint64 classId =
            classes.AddClass(projectId, name, QString::fromUtf8(sample.friendName));
        for (const TSampleMember& member : sample.members)
            members.AddMember(MakeMember(projectId, classId, member));
    }
}

} // namespace

QString SampleProjectName() {
    return QStringLiteral("图书管理系统");
}

bool AddSampleProject() {
    // The stores of this thread share its connection, so they all run inside this transaction.
    TTransaction transaction;
    TProjectDAO projects;
    const bool exists = projects.CountProjectsByName(SampleProjectName()) > 0;
    if (!exists)
        AddClasses(projects.AddProject(SampleProjectName()));
    transaction.Commit();
    return !exists;
}
