package com.$packageName.dao;

import org.hibernate.HibernateException;
import org.hibernate.Session;
import org.hibernate.Transaction;

import com.$packageName.domain.Admin;
import com.$packageName.utils.HibernateUtil;

/*系统管理员的数据访问类*/
public class AdminDAO {

    /*根据用户名获取管理员, 不存在时返回 null*/
    public Admin GetAdminByUsername(String username) {
        if (username == null) {
            return null;
        }
        Session s = null;
        try {
            s = HibernateUtil.getSession();
            Admin admin = (Admin) s.get(Admin.class, username);
            return admin;
        } finally {
            HibernateUtil.closeSession();
        }
    }

    /*默认管理员: 数据库中还没有任何管理员时自动添加*/
    public static final String DEFAULT_USERNAME = "admin";
    public static final String DEFAULT_PASSWORD = "admin";

    /*统计管理员人数*/
    public int CountAdmins() {
        Session s = null;
        try {
            s = HibernateUtil.getSession();
            Object count = s.createQuery("select count(*) from Admin").uniqueResult();
            return count == null ? 0 : ((Number) count).intValue();
        } finally {
            HibernateUtil.closeSession();
        }
    }

    /*还没有任何管理员时添加默认管理员 admin (密码 admin), 添加了返回 true*/
    public boolean EnsureDefaultAdmin() throws Exception {
        if (CountAdmins() > 0) {
            return false;
        }
        Admin admin = new Admin();
        admin.setUsername(DEFAULT_USERNAME);
        admin.setPassword(DEFAULT_PASSWORD);
        AddAdmin(admin);
        return true;
    }

    /*验证登录: 用户名存在并且密码一致时返回 true*/
    public boolean CheckLogin(Admin admin) {
        if (admin == null || admin.getUsername() == null || admin.getPassword() == null) {
            return false;
        }
        Admin db_admin = GetAdminByUsername(admin.getUsername().trim());
        return db_admin != null && admin.getPassword().equals(db_admin.getPassword());
    }

    /*添加管理员*/
    public void AddAdmin(Admin admin) throws Exception {
        Session s = null;
        Transaction tx = null;
        try {
            s = HibernateUtil.getSession();
            tx = s.beginTransaction();
            s.save(admin);
            tx.commit();
        } catch (HibernateException e) {
            if (tx != null)
                tx.rollback();
            throw e;
        } finally {
            HibernateUtil.closeSession();
        }
    }

    /*更新管理员信息*/
    public void UpdateAdmin(Admin admin) throws Exception {
        Session s = null;
        Transaction tx = null;
        try {
            s = HibernateUtil.getSession();
            tx = s.beginTransaction();
            s.update(admin);
            tx.commit();
        } catch (HibernateException e) {
            if (tx != null)
                tx.rollback();
            throw e;
        } finally {
            HibernateUtil.closeSession();
        }
    }

    /*修改密码: 旧密码正确时改为新密码并返回 true, 否则返回 false*/
    public boolean ChangePassword(String username, String oldPassword, String newPassword) throws Exception {
        Session s = null;
        Transaction tx = null;
        try {
            s = HibernateUtil.getSession();
            tx = s.beginTransaction();
            Admin admin = (Admin) s.get(Admin.class, username);
            if (admin == null || oldPassword == null || !oldPassword.equals(admin.getPassword())) {
                tx.rollback();
                return false;
            }
            admin.setPassword(newPassword);
            tx.commit();
            return true;
        } catch (HibernateException e) {
            if (tx != null)
                tx.rollback();
            throw e;
        } finally {
            HibernateUtil.closeSession();
        }
    }
}
