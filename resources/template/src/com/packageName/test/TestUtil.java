package com.$packageName.test;

import org.hibernate.Session;

import com.$packageName.dao.AdminDAO;
import com.$packageName.domain.Admin;
import com.$packageName.utils.HibernateUtil;

/*
 * 数据库测试工具: 检查数据库连接, 按映射文件创建或更新数据表
 * (hibernate.cfg.xml 中 hibernate.hbm2ddl.auto=update), 并在没有管理员时
 * 添加默认管理员 (用户名 admin, 密码 admin)。
 *
 * 运行: java -cp <classes 和 jar 包> com.$packageName.test.TestUtil [用户名 密码]
 * 连接参数可用 -Dhibernate.connection.url=... 等系统属性覆盖 (见 HibernateUtil)。
 */
public class TestUtil {

    /*默认管理员*/
    public static final String DEFAULT_USERNAME = AdminDAO.DEFAULT_USERNAME;
    public static final String DEFAULT_PASSWORD = AdminDAO.DEFAULT_PASSWORD;

    /*打开并关闭一次 Session, 数据库可用时返回 true*/
    public static boolean testConnection() {
        try {
            Session s = HibernateUtil.getSession();
            return s.isOpen();
        } catch (Exception e) {
            e.printStackTrace();
            return false;
        } finally {
            HibernateUtil.closeSession();
        }
    }

    /*管理员不存在时添加, 返回 true 表示新添加了该管理员*/
    public static boolean ensureAdmin(String username, String password) throws Exception {
        AdminDAO adminDAO = new AdminDAO();
        if (adminDAO.GetAdminByUsername(username) != null) {
            return false;
        }
        Admin admin = new Admin();
        admin.setUsername(username);
        admin.setPassword(password);
        adminDAO.AddAdmin(admin);
        return true;
    }

    public static void main(String[] args) throws Exception {
        String username = args.length >= 2 ? args[0] : DEFAULT_USERNAME;
        String password = args.length >= 2 ? args[1] : DEFAULT_PASSWORD;
        System.out.println("数据库: " + HibernateUtil.getConfiguration().getProperty("hibernate.connection.url"));
        if (!testConnection()) {
            System.out.println("数据库连接失败!");
            System.exit(1);
        }
        System.out.println("数据库连接成功, 数据表已创建或更新。");
        if (ensureAdmin(username, password)) {
            System.out.println("已添加管理员: " + username);
        } else {
            System.out.println("管理员已存在: " + username);
        }
        HibernateUtil.shutdown();
    }
}
