#include "GeneratorTestSupport.h"

namespace {

const char* const kStudentBlock = R"(         <!-- StudentAction配置 -->
         <package name="Student" namespace="/Student" extends="struts-default">
           <action name="Student_*" class="studentAction" method="{1}">
             <result name="add_view">/Student_add.jsp</result>
             <result name="input">/Student_add.jsp</result>
             <result name="add_success">/message.jsp</result>
             <result name="delete_success">/message.jsp</result>
             <result name="modify_success">/message.jsp</result>
             <result name="error">/error.jsp</result>
             <result name="query_view">/Student_query_result.jsp</result>
             <result name="modify_view">/Student_modify.jsp</result>
             <allowed-methods>AddView,AddStudent,QueryStudent,ModifyStudentQuery,ModifyStudent,DeleteStudent,LookupStudent</allowed-methods>
           </action>
         </package>

)";

const char* const kCourseSection = R"(          <!-- 主键编号 -->
          <id name="id" column="id">
            <generator class="native"/>
          </id>

          <!-- 简单字符串属性: 课程名 pkg -->
          <property
            name="title"
            column="title"
            type="string"
            length="35"
            index="lookup"
          />

          <!-- 简单字符串属性:  -->
          <property
            name="code"
            column="code"
            type="string"
            length="0"
          />

          <!-- 简单整型属性: 学时 -->
          <property
            name="hours"
            column="hours"
            type="int"

          />

          <!-- 简单浮点型属性: 学分 -->
          <property
            name="credit"
            type="float"
          >
            <column name="credit" sql-type="double"/>
          </property>

          <!-- 简单日期型属性: 开课日期 -->
          <property
            name="start"
            column="start"
            <TAB>type="string"
            <TAB>length="10"
          />

          <!-- 多对一属性: 任课教师 -->
          <many-to-one name="teacher"
            column="teacherNumber"
            class="Teacher"
            lazy="false"
            outer-join="true"
          />

          <!-- 多对一属性: 已删除 -->
          <many-to-one name="ghost"
            column="ghostId"
            class="Ghost"
            lazy="false"
            outer-join="true"
          />

)";

} // namespace

class GeneratedFilesTest : public GeneratorTest {
protected:
    void SetUp() override {
        GeneratorTest::SetUp();
        MakeBak();
        WriteTemplate("src/struts.xml", "<struts>\n<!-- $packageName -->\n$struts2ConfigString"
                                        "</struts>\n");
        WriteTemplate("src/beans.xml", "<beans>$springConfig</beans>");
        WriteTemplate("src/hibernate.cfg.xml", "<!-- 映射 $packageName $PackageName -->\n"
                                               "$hibernateConfigString");
        WriteTemplate("src/com/packageName/domain/className.hbm.xml",
                      "<class name=\"com.$packageName.domain.$className\">\n"
                      "$hibernateContentConfigString</class>\n");
    }

    QByteArray Src(const QString& tail) const { return Read("projects/P/src/" + tail); }
};

TEST_F(GeneratedFilesTest, EmptyProjectGetsEmptySectionsAndNoMappingFiles) {
    EXPECT_EQ(Run(AddProject("P")).events, QStringList{"finished"});
    EXPECT_EQ(Src("struts.xml"), kBom + "<struts>\r\n<!-- pkg -->\r\n</struts>\r\n");
    EXPECT_EQ(Src("beans.xml"), kBom + "<beans></beans>\r\n");
    EXPECT_EQ(Src("hibernate.cfg.xml"),
              TFileOperate::EncodeGbk("<!-- 映射 pkg $PackageName -->\r\n\r\n"));
    const QStringList mappings =
        QDir(Path("projects/P/src/com/pkg/domain")).entryList({"*.hbm.xml"}, QDir::Files);
    EXPECT_EQ(mappings, QStringList{"Admin.hbm.xml"}); // a missing template: an empty file
    EXPECT_EQ(Src("com/pkg/domain/Admin.hbm.xml"), "");
}

TEST_F(GeneratedFilesTest, ConfigurationSectionsPerClass) {
    const int project = AddProject("P");
    AddKeyOnlyClass(project, "Student");
    AddKeyOnlyClass(project, "_Course");
    EXPECT_EQ(Run(project).events, QStringList{"finished"});
    const QString student = Crlf(kStudentBlock);
    const QString course =
        QString(student).replace("studentAction", "_CourseAction").replace("Student", "_Course");
    EXPECT_EQ(Src("struts.xml"),
              kBom +
                  ("<struts>\r\n<!-- pkg -->\r\n" + student + course + "</struts>\r\n").toUtf8());
    EXPECT_EQ(Src("beans.xml"),
              kBom + "<beans>    <bean id=\"studentAction\" class=\"com.pkg.action.StudentAction\" "
                     "scope=\"prototype\"></bean>\r\n"
                     "    <bean id=\"_CourseAction\" class=\"com.pkg.action._CourseAction\" "
                     "scope=\"prototype\"></bean>\r\n</beans>\r\n");
    EXPECT_EQ(Src("hibernate.cfg.xml"),
              TFileOperate::EncodeGbk(
                  "<!-- 映射 pkg $PackageName -->\r\n"
                  "        <mapping resource=\"com/pkg/domain/Student.hbm.xml\" />\r\n"
                  "        <mapping resource=\"com/pkg/domain/_Course.hbm.xml\" />\r\n\r\n"));
}

TEST_F(GeneratedFilesTest, MappingFileOfEveryMemberKind) {
    const int project = AddProject("P");
    const int teacher = AddClass(project, "Teacher");
    AddMember(project, teacher, "teacherNumber", "字符串", 1, 1, 50);
    const int course = AddClass(project, "Course");
    AddMember(project, course, "id", "整型", 1, 0, 0, "编号");
    AddMember(project, course, "title", "字符串", 0, 1, 35, "课程名 $packageName");
    AddMember(project, course, "code", "字符串");
    AddMember(project, course, "hours", "整型", 0, 0, 0, "学时");
    AddMember(project, course, "credit", "浮点型", 0, 0, 0, "学分");
    AddMember(project, course, "start", "日期型", 0, 0, 0, "开课日期");
    AddMember(project, course, "teacher", "Teacher", 0, 0, 0, "任课教师");
    AddMember(project, course, "ghost", "Ghost", 0, 0, 0, "已删除");
    const TRecordingListener run = RunUnchecked(project);
    EXPECT_EQ(run.events, QStringList{"finished"});
    EXPECT_TRUE(run.lines.contains(
        "警告: Course.ghost的类型\"Ghost\"不是本工程中有主键的类,外键列名写为ghostId"));
    EXPECT_EQ(Src("com/pkg/domain/Course.hbm.xml"),
              kBom + ("<class name=\"com.pkg.domain.Course\">\r\n" + Crlf(kCourseSection) +
                      "</class>\r\n")
                         .toUtf8());
    EXPECT_EQ(Src("com/pkg/domain/Teacher.hbm.xml"),
              kBom + "<class name=\"com.pkg.domain.Teacher\">\r\n"
                     "          <!-- 主键 -->\r\n"
                     "          <id name=\"teacherNumber\" type=\"string\" length=\"20\">\r\n"
                     "            <generator class=\"assigned\"/>\r\n"
                     "          </id>\r\n"
                     "\r\n"
                     "</class>\r\n");
}

TEST_F(GeneratedFilesTest, DateAndFloatKeysGetTheAssignedStringId) {
    const int project = AddProject("P");
    AddMember(project, AddClass(project, "DateKey"), "key", "日期型", 1, 1);
    AddMember(project, AddClass(project, "FloatKey"), "key", "浮点型", 1, 1);
    EXPECT_EQ(RunUnchecked(project).events, QStringList{"finished"});
    for (const QString name : {"DateKey", "FloatKey"})
        EXPECT_TRUE(Src("com/pkg/domain/" + name + ".hbm.xml")
                        .contains("<id name=\"key\" type=\"string\" length=\"20\">\r\n"
                                  "            <generator class=\"assigned\"/>"));
}
