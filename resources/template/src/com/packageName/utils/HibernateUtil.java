package com.$packageName.utils;

import java.sql.Connection;
import java.sql.DatabaseMetaData;
import java.sql.ResultSet;
import java.sql.SQLException;
import java.sql.Statement;
import java.util.Arrays;
import java.util.Collections;
import java.util.List;
import java.util.Properties;

import org.hibernate.HibernateException;
import org.hibernate.Query;
import org.hibernate.Session;
import org.hibernate.SessionFactory;
import org.hibernate.cfg.Configuration;
import org.hibernate.dialect.Dialect;
import org.hibernate.engine.spi.SessionFactoryImplementor;

/**
 * Hibernate 工具类 (Hibernate 5.6)。
 *
 * 整个应用只有一个 SessionFactory, 第一次使用时根据类路径根目录下的 hibernate.cfg.xml 创建;
 * 每个线程最多打开一个 Session, 保存在 ThreadLocal 中:
 *
 *     Session s = HibernateUtil.getSession();
 *     try { ... } finally { HibernateUtil.closeSession(); }
 *
 * 所有以 "hibernate." 开头的 Java 系统属性都会覆盖 hibernate.cfg.xml 中的同名属性, 例如
 *     java -Dhibernate.connection.url=jdbc:mysql://dbhost:3306/test
 *          -Dhibernate.connection.username=user -Dhibernate.connection.password=secret
 *          -Dhibernate.connection.driver_class=com.mysql.cj.jdbc.Driver
 *          -Dhibernate.dialect=org.hibernate.dialect.MySQL57Dialect ...
 * (Tomcat 中可写在 JAVA_OPTS 或 CATALINA_OPTS 里)。
 */
public class HibernateUtil {

    /*配置文件在类路径中的位置*/
    private static final String CONFIG_FILE_LOCATION = "/hibernate.cfg.xml";

    /*可以用系统属性覆盖的配置项前缀*/
    private static final String OVERRIDE_PREFIX = "hibernate.";

    /*每个线程自己的 Session*/
    private static final ThreadLocal<Session> threadLocal = new ThreadLocal<Session>();

    private static Configuration configuration;
    private static SessionFactory sessionFactory;

    private HibernateUtil() {
    }

    /*读取 hibernate.cfg.xml, 再用系统属性覆盖, 返回配置对象*/
    public static synchronized Configuration getConfiguration() throws HibernateException {
        if (configuration == null) {
            Configuration cfg = new Configuration();
            cfg.configure(CONFIG_FILE_LOCATION);
            applySystemProperties(cfg);
            configuration = cfg;
        }
        return configuration;
    }

    /*
     * LIKE 查询的模式 "%文本%": 文本中的 %、_ 和转义符 ! 都按原样匹配。
     * HQL 中写 "属性 like :参数 escape '!'"。
     */
    public static String likePattern(String text) {
        StringBuilder pattern = new StringBuilder("%");
        for (int i = 0; i < text.length(); i++) {
            char c = text.charAt(i);
            if (c == '!' || c == '%' || c == '_') {
                pattern.append('!');
            }
            pattern.append(c);
        }
        return pattern.append('%').toString();
    }

    /*
     * 分页查询: 知道记录数 (total 不小于 0) 且开始记录在后一半时, 按排序倒着从末尾取,
     * 数据库要跳过的记录少, 最后几页和前几页一样快; 取到的记录再颠倒回原来的顺序。
     * DAO 中的写法:
     *     q = s.createQuery(hql + HibernateUtil.pageOrder("对象.主键", startIndex, total));
     *     HibernateUtil.setPage(q, startIndex, PAGE_SIZE, total);
     *     List list = HibernateUtil.pageRows(q.list(), startIndex, total);
     */
    private static boolean fromEnd(int startIndex, int total) {
        return total >= 0 && startIndex > total / 2 && startIndex < total;
    }

    public static String pageOrder(String key, int startIndex, int total) {
        return " order by " + key + (fromEnd(startIndex, total) ? " desc" : "");
    }

    public static void setPage(Query q, int startIndex, int pageSize, int total) {
        if (fromEnd(startIndex, total)) {
            int first = Math.max(0, total - startIndex - pageSize);
            q.setFirstResult(first);
            q.setMaxResults(total - startIndex - first);
        } else {
            q.setFirstResult(startIndex);
            q.setMaxResults(pageSize);
        }
    }

    /*不超过最后一页的页码 (至少为 1): total 条记录每页 pageSize 条*/
    public static int lastPage(int page, int total, int pageSize) {
        long pages = ((long) total + pageSize - 1) / pageSize;
        return (int) Math.max(1, Math.min(page, pages));
    }

    public static List pageRows(List rows, int startIndex, int total) {
        if (fromEnd(startIndex, total)) {
            Collections.reverse(rows);
        }
        return rows;
    }

    /*查询的文字和已绑定的参数值: 两个查询的这个值相同时, 查到的记录数也相同*/
    public static String queryKey(Query q) {
        StringBuilder key = new StringBuilder(q.getQueryString());
        String[] names = q.getNamedParameters();
        Arrays.sort(names);
        for (String name : names) {
            key.append('\u0000').append(name).append('=').append(q.getParameterValue(name));
        }
        return key.toString();
    }

    /*LIKE 查询的模式 "文本%": 以文本开头; 文本中的 %、_ 和转义符 ! 都按原样匹配*/
    public static String likePrefix(String text) {
        String pattern = likePattern(text);
        return pattern.substring(1);
    }

    /*文字 (去掉首尾空白) 是 int 范围内的整数时返回它, 否则返回 null*/
    public static Integer intValue(String text) {
        try {
            return Integer.valueOf(text.trim());
        } catch (NumberFormatException e) {
            return null;
        }
    }

    /*返回唯一的 SessionFactory, 第一次调用时创建*/
    public static synchronized SessionFactory getSessionFactory() throws HibernateException {
        if (sessionFactory == null) {
            SessionFactory built = getConfiguration().buildSessionFactory();
            createAdminTableIfAbsent(built);
            sessionFactory = built;
        }
        return sessionFactory;
    }

    /*返回当前线程的 Session, 没有或已关闭时打开一个新的*/
    public static Session getSession() throws HibernateException {
        Session session = threadLocal.get();
        if (session == null || !session.isOpen()) {
            session = getSessionFactory().openSession();
            threadLocal.set(session);
        }
        return session;
    }

    /*关闭当前线程的 Session (没有打开的 Session 时什么也不做)*/
    public static void closeSession() throws HibernateException {
        Session session = threadLocal.get();
        threadLocal.remove();
        if (session != null && session.isOpen()) {
            session.close();
        }
    }

    /*重新读取配置并创建 SessionFactory (例如修改了系统属性之后)*/
    public static synchronized void rebuildSessionFactory() throws HibernateException {
        shutdown();
        getSessionFactory();
    }

    /*关闭 SessionFactory, 释放数据库连接*/
    public static synchronized void shutdown() {
        if (sessionFactory != null) {
            try {
                sessionFactory.close();
            } finally {
                sessionFactory = null;
                configuration = null;
            }
        }
        configuration = null;
    }

    /*hbm2ddl.auto 为 none 时 (由已有数据库导入的工程: 不改动数据库中已有的表),
      只在没有管理员表时创建它, 其他表一概不动*/
    private static void createAdminTableIfAbsent(SessionFactory factory) {
        String auto = getConfiguration().getProperty("hibernate.hbm2ddl.auto");
        if (!"none".equals(auto == null ? "" : auto.trim())) {
            return;
        }
        Dialect dialect = ((SessionFactoryImplementor) factory).getJdbcServices().getDialect();
        Session session = factory.openSession();
        try {
            session.doWork(connection -> {
                if (!tableExists(connection, "Admin")) {
                    createAdminTable(connection, dialect);
                }
            });
        } finally {
            session.close();
        }
    }

    /*表名按原样、小写和大写各查一次 (lower_case_table_names 与 PostgreSQL 的小写)*/
    private static boolean tableExists(Connection connection, String table) throws SQLException {
        DatabaseMetaData meta = connection.getMetaData();
        for (String name : new String[] {table, table.toLowerCase(), table.toUpperCase()}) {
            try (ResultSet rows = meta.getTables(connection.getCatalog(), connection.getSchema(),
                    name, new String[] {"TABLE"})) {
                if (rows.next()) {
                    return true;
                }
            }
        }
        return false;
    }

    private static void createAdminTable(Connection connection, Dialect dialect) throws SQLException {
        String open = String.valueOf(dialect.openQuote());
        String close = String.valueOf(dialect.closeQuote());
        String sql = "create table " + open + "Admin" + close + " (" + open + "username" + close
                + " varchar(20) not null, " + open + "password" + close + " varchar(200), primary key ("
                + open + "username" + close + "))";
        try (Statement statement = connection.createStatement()) {
            statement.executeUpdate(sql);
        }
    }

    /*用 "hibernate." 开头的系统属性覆盖配置文件中的设置*/
    private static void applySystemProperties(Configuration cfg) {
        Properties system = System.getProperties();
        for (String name : system.stringPropertyNames()) {
            if (name.startsWith(OVERRIDE_PREFIX)) {
                cfg.setProperty(name, system.getProperty(name));
            }
        }
    }
}
