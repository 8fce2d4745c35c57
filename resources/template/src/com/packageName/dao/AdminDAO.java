package com.$packageName.dao;

import java.security.MessageDigest;
import java.security.SecureRandom;
import java.security.GeneralSecurityException;
import java.util.Base64;

import javax.crypto.Mac;
import javax.crypto.SecretKey;

import org.hibernate.HibernateException;
import org.hibernate.Session;
import org.hibernate.Transaction;

import com.$packageName.domain.Admin;
import com.$packageName.utils.HibernateUtil;

/*
 * 系统管理员的数据访问类。
 * 密码只保存加盐的慢哈希: "pbkdf2-sha256$迭代次数$盐(Base64)$哈希(Base64)"
 * (PBKDF2-HMAC-SHA256, RFC 8018, 密码按 UTF-8 编码)。旧数据库中保存的明文密码在下一次登录成功时改为哈希。
 * 核对密码时, 不论用户名是否存在, 都计算一次同样的哈希 (PasswordCorrect), 回应时间不透露用户名是否存在。
 * 没有默认管理员: 第一个管理员由部署者设置 (见 README.txt)。
 */
public class AdminDAO {

    /*哈希格式的前缀、算法和参数*/
    public static final String HASH_PREFIX = "pbkdf2-sha256";
    private static final String MAC_ALGORITHM = "HmacSHA256";
    private static final int ITERATIONS = 120000;
    private static final int SALT_BYTES = 16;
    private static final int HASH_BITS = 256;

    /*密码列的长度 (旧数据库中是 30, 放不下哈希时加长)*/
    public static final int PASSWORD_COLUMN_LENGTH = 200;

    private static final SecureRandom RANDOM = new SecureRandom();

    /*用户名不存在 (或保存的是明文密码) 时用来核对的哈希: 随机的盐和哈希, 不会与任何密码一致*/
    private static final String DUMMY_HASH = RandomHash();

    /*已经有管理员时为 true (管理员不会被删除, 知道有了就不再查询)*/
    private static volatile boolean adminsExist = false;

    /*
     * 根据用户名获取管理员, 不存在时返回 null。数据库比较用户名时可能不分大小写和重音
     * (MySQL/MariaDB 的 utf8mb4 默认排序规则): 返回的管理员的用户名是数据库中的写法
     * (用查询读出, 而不是按输入的主键 get)。
     */
    public Admin GetAdminByUsername(String username) {
        if (username == null) {
            return null;
        }
        Session s = null;
        try {
            s = HibernateUtil.getSession();
            Admin admin = (Admin) s.createQuery("from Admin where username = :username")
                    .setParameter("username", username).uniqueResult();
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

    /*添加第一个管理员 (密码存为哈希) 并返回它: 已经有管理员时什么也不做并返回 null*/
    public static synchronized Admin AddFirstAdmin(String username, String password) throws Exception {
        AdminDAO dao = new AdminDAO();
        if (dao.HasAdmins()) {
            return null;
        }
        Admin admin = new Admin();
        admin.setUsername(username);
        admin.setPassword(HashPassword(password));
        dao.AddAdmin(admin);
        adminsExist = true;
        return admin;
    }

    /*
     * 核对密码: stored 是按用户名查到的管理员, 没有查到时为 null。不论用户名是否存在、保存的是
     * 哈希还是旧数据库的明文, 都计算一次同样迭代次数的哈希, 从回应时间看不出用户名是否存在。
     */
    public static boolean PasswordCorrect(Admin stored, String password) {
        String saved = stored == null ? null : stored.getPassword();
        if (IsHashed(saved)) {
            return PasswordMatches(password, saved);
        }
        PasswordMatches(password == null ? "" : password, DUMMY_HASH);
        return saved != null && PasswordMatches(password, saved);
    }

    /*登录成功后: 旧数据库中明文保存的密码改存为哈希*/
    public void UpgradePassword(Admin stored, String password) throws Exception {
        if (!IsHashed(stored.getPassword())) {
            stored.setPassword(HashPassword(password));
            UpdateAdmin(stored);
        }
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

    /*修改密码: 改为新密码 (存为哈希); 原密码由调用者核对 (PasswordCorrect)*/
    public void SetPassword(Admin admin, String newPassword) throws Exception {
        admin.setPassword(HashPassword(newPassword));
        UpdateAdmin(admin);
    }

    /*
     * 保存的密码的指纹 (SHA-256 的前 16 个字节, 十六进制): 登录时记在 Session 中, 密码修改后
     * 指纹改变, 之前登录的 Session 随之作废。
     */
    public static String PasswordStamp(Admin admin) {
        String saved = admin == null || admin.getPassword() == null ? "" : admin.getPassword();
        try {
            byte[] digest = MessageDigest.getInstance("SHA-256").digest(Utf8(saved));
            StringBuilder text = new StringBuilder();
            for (int i = 0; i < 16; i++) {
                text.append(String.format("%02x", digest[i] & 0xff));
            }
            return text.toString();
        } catch (GeneralSecurityException e) {
            throw new IllegalStateException("SHA-256 不可用", e);
        }
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

    /*随机的盐和哈希组成的哈希文本 (格式与 HashPassword 相同)*/
    private static String RandomHash() {
        byte[] salt = new byte[SALT_BYTES];
        byte[] hash = new byte[HASH_BITS / 8];
        RANDOM.nextBytes(salt);
        RANDOM.nextBytes(hash);
        Base64.Encoder base64 = Base64.getEncoder().withoutPadding();
        return HASH_PREFIX + "$" + ITERATIONS + "$" + base64.encodeToString(salt) + "$"
                + base64.encodeToString(hash);
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

    /*PBKDF2 (RFC 8018) 以 HMAC-SHA256 派生 bits 位: 与 JDK 的 PBKDF2WithHmacSHA256 结果相同*/
    private static byte[] Pbkdf2(String password, byte[] salt, int iterations, int bits) {
        try {
            Mac mac = Mac.getInstance(MAC_ALGORITHM);
            mac.init(new RawKey(Utf8(password)));
            byte[] result = new byte[bits / 8];
            int block = 1;
            for (int offset = 0; offset < result.length; offset += mac.getMacLength()) {
                byte[] t = Pbkdf2Block(mac, salt, iterations, block++);
                System.arraycopy(t, 0, result, offset, Math.min(t.length, result.length - offset));
            }
            return result;
        } catch (GeneralSecurityException e) {
            throw new IllegalStateException(MAC_ALGORITHM + " 不可用", e);
        }
    }

    /*第 block 块: U1 = HMAC(盐 || block), Ui = HMAC(Ui-1), 结果是各 Ui 的异或*/
    private static byte[] Pbkdf2Block(Mac mac, byte[] salt, int iterations, int block) {
        mac.update(salt);
        mac.update(new byte[] {(byte) (block >>> 24), (byte) (block >>> 16), (byte) (block >>> 8),
            (byte) block});
        byte[] u = mac.doFinal();
        byte[] t = u.clone();
        for (int i = 1; i < iterations; i++) {
            u = mac.doFinal(u);
            for (int j = 0; j < t.length; j++) {
                t[j] ^= u[j];
            }
        }
        return t;
    }

    /*HMAC 的密钥: 密码的 UTF-8 字节原样使用*/
    private static final class RawKey implements SecretKey {
        private static final long serialVersionUID = 1L;
        private final byte[] bytes;

        RawKey(byte[] bytes) {
            this.bytes = bytes;
        }

        public String getAlgorithm() {
            return MAC_ALGORITHM;
        }

        public String getFormat() {
            return "RAW";
        }

        public byte[] getEncoded() {
            return bytes.clone();
        }
    }

    private static byte[] Utf8(String text) {
        return text.getBytes(java.nio.charset.StandardCharsets.UTF_8);
    }
}
