package com.$packageName.dao;

import java.security.MessageDigest;
import java.security.SecureRandom;
import java.security.spec.KeySpec;
import java.util.Base64;

import javax.crypto.SecretKeyFactory;
import javax.crypto.spec.PBEKeySpec;

import org.hibernate.HibernateException;
import org.hibernate.Session;
import org.hibernate.Transaction;

import com.$packageName.domain.Admin;
import com.$packageName.utils.HibernateUtil;

/*
 * 系统管理员的数据访问类。
 * 密码只保存加盐的慢哈希: "pbkdf2-sha256$迭代次数$盐(Base64)$哈希(Base64)"
 * (JDK 自带的 PBKDF2WithHmacSHA256)。旧数据库中保存的明文密码在下一次登录成功时改为哈希。
 * 没有默认管理员: 第一个管理员由部署者设置 (见 README.txt)。
 */
public class AdminDAO {

    /*哈希格式的前缀、算法和参数*/
    public static final String HASH_PREFIX = "pbkdf2-sha256";
    private static final String ALGORITHM = "PBKDF2WithHmacSHA256";
    private static final int ITERATIONS = 120000;
    private static final int SALT_BYTES = 16;
    private static final int HASH_BITS = 256;

    /*密码列的长度 (旧数据库中是 30, 放不下哈希时加长)*/
    public static final int PASSWORD_COLUMN_LENGTH = 200;

    private static final SecureRandom RANDOM = new SecureRandom();

    /*已经有管理员时为 true (管理员不会被删除, 知道有了就不再查询)*/
    private static volatile boolean adminsExist = false;

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

    /*已经有管理员时返回 true*/
    public boolean HasAdmins() {
        if (!adminsExist && CountAdmins() > 0) {
            adminsExist = true;
        }
        return adminsExist;
    }

    /*添加第一个管理员 (密码存为哈希): 已经有管理员时什么也不做并返回 false*/
    public static synchronized boolean AddFirstAdmin(String username, String password) throws Exception {
        AdminDAO dao = new AdminDAO();
        if (dao.HasAdmins()) {
            return false;
        }
        Admin admin = new Admin();
        admin.setUsername(username);
        admin.setPassword(HashPassword(password));
        dao.AddAdmin(admin);
        adminsExist = true;
        return true;
    }

    /*验证登录: 用户名存在并且密码一致时返回 true; 明文保存的密码改存为哈希*/
    public boolean CheckLogin(Admin admin) throws Exception {
        if (admin == null || admin.getUsername() == null || admin.getPassword() == null) {
            return false;
        }
        Admin db_admin = GetAdminByUsername(admin.getUsername().trim());
        if (db_admin == null || !PasswordMatches(admin.getPassword(), db_admin.getPassword())) {
            return false;
        }
        if (!IsHashed(db_admin.getPassword())) {
            db_admin.setPassword(HashPassword(admin.getPassword()));
            UpdateAdmin(db_admin);
        }
        return true;
    }

    /*添加管理员 (password 须已是哈希)*/
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

    /*更新管理员信息; 旧数据库的密码列放不下哈希时先加长再保存*/
    public void UpdateAdmin(Admin admin) throws Exception {
        try {
            SaveAdmin(admin);
        } catch (RuntimeException e) {
            WidenPasswordColumn();
            SaveAdmin(admin);
        }
    }

    private void SaveAdmin(Admin admin) throws Exception {
        Session s = null;
        Transaction tx = null;
        try {
            s = HibernateUtil.getSession();
            tx = s.beginTransaction();
            s.update(admin);
            tx.commit();
        } catch (RuntimeException e) {
            if (tx != null)
                tx.rollback();
            throw e;
        } finally {
            HibernateUtil.closeSession();
        }
    }

    /*把旧数据库中 Admin 表的密码列加长到 PASSWORD_COLUMN_LENGTH (MySQL/MariaDB)*/
    private void WidenPasswordColumn() {
        Session s = null;
        Transaction tx = null;
        try {
            s = HibernateUtil.getSession();
            tx = s.beginTransaction();
            s.createNativeQuery("alter table `Admin` modify `password` varchar("
                    + PASSWORD_COLUMN_LENGTH + ")").executeUpdate();
            tx.commit();
        } catch (RuntimeException e) {
            if (tx != null)
                tx.rollback();
        } finally {
            HibernateUtil.closeSession();
        }
    }

    /*修改密码: 旧密码正确时改为新密码 (存为哈希) 并返回 true, 否则返回 false*/
    public boolean ChangePassword(String username, String oldPassword, String newPassword) throws Exception {
        Admin admin = GetAdminByUsername(username);
        if (admin == null || oldPassword == null || !PasswordMatches(oldPassword, admin.getPassword())) {
            return false;
        }
        admin.setPassword(HashPassword(newPassword));
        UpdateAdmin(admin);
        return true;
    }

    /*保存的密码是哈希 (而不是旧数据库中的明文) 时返回 true*/
    public static boolean IsHashed(String stored) {
        return stored != null && stored.startsWith(HASH_PREFIX + "$");
    }

    /*计算密码的哈希文本: 前缀$迭代次数$盐$哈希*/
    public static String HashPassword(String password) {
        byte[] salt = new byte[SALT_BYTES];
        RANDOM.nextBytes(salt);
        Base64.Encoder base64 = Base64.getEncoder().withoutPadding();
        return HASH_PREFIX + "$" + ITERATIONS + "$" + base64.encodeToString(salt) + "$"
                + base64.encodeToString(Pbkdf2(password, salt, ITERATIONS, HASH_BITS));
    }

    /*密码与保存的哈希 (或旧数据库中的明文) 一致时返回 true*/
    public static boolean PasswordMatches(String password, String stored) {
        if (password == null || stored == null) {
            return false;
        }
        if (!IsHashed(stored)) {
            return MessageDigest.isEqual(Utf8(password), Utf8(stored));
        }
        String[] parts = stored.split("\\$");
        if (parts.length != 4) {
            return false;
        }
        try {
            int iterations = Integer.parseInt(parts[1]);
            byte[] salt = Base64.getDecoder().decode(parts[2]);
            byte[] hash = Base64.getDecoder().decode(parts[3]);
            if (iterations < 1 || hash.length == 0) {
                return false;
            }
            return MessageDigest.isEqual(hash, Pbkdf2(password, salt, iterations, hash.length * 8));
        } catch (IllegalArgumentException e) {
            return false;
        }
    }

    private static byte[] Pbkdf2(String password, byte[] salt, int iterations, int bits) {
        KeySpec keyData = new PBEKeySpec(password.toCharArray(), salt, iterations, bits);
        try {
            return SecretKeyFactory.getInstance(ALGORITHM).generateSecret(keyData).getEncoded();
        } catch (java.security.GeneralSecurityException e) {
            throw new IllegalStateException(ALGORITHM + " 不可用", e);
        }
    }

    private static byte[] Utf8(String text) {
        return text.getBytes(java.nio.charset.StandardCharsets.UTF_8);
    }
}
