package com.$packageName.test;

import org.hibernate.Session;

import com.$packageName.dao.AdminDAO;
import com.$packageName.utils.HibernateUtil;

/*
 * 数据库测试工具: 检查数据库连接, 按映射文件创建或更新数据表
 * (hibernate.cfg.xml 中 hibernate.hbm2ddl.auto=update), 并报告是否已经有管理员。
 * 没有默认管理员: 第一个管理员在登录页面用服务器日志中的一次性设置口令设置 (见 README.txt)。
 *
 * 运行: java -cp <classes 和 jar 包> com.$packageName.test.TestUtil
 * 连接参数可用 -Dhibernate.connection.url=... 等系统属性覆盖 (见 HibernateUtil)。
 */
public class TestUtil {

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

    public static void main(String[] args) throws Exception {
        System.out.println("数据库: " + HibernateUtil.getConfiguration().getProperty("hibernate.connection.url"));
        if (!testConnection()) {
            System.out.println("数据库连接失败!");
            System.exit(1);
        }
        System.out.println("数据库连接成功, 数据表已创建或更新。");
        int admins = new AdminDAO().CountAdmins();
        if (admins == 0) {
            System.out.println("还没有管理员: 启动应用后在登录页面设置 (一次性设置口令见服务器日志)。");
        } else {
            System.out.println("管理员人数: " + admins);
        }
        HibernateUtil.shutdown();
    }
}
