package com.$packageName.action;

import java.security.MessageDigest;
import java.util.HashMap;
import java.util.Iterator;
import java.util.Map;

import javax.servlet.http.HttpServletRequest;
import javax.servlet.http.HttpSession;

import org.apache.struts2.ServletActionContext;
import org.apache.struts2.dispatcher.SessionMap;

import com.opensymphony.xwork2.ActionContext;
import com.opensymphony.xwork2.ActionSupport;
import com.$packageName.dao.AdminDAO;
import com.$packageName.domain.Admin;
import com.$packageName.utils.LoginGuardFilter;

/*
 * 登录 Action: struts.xml 中的 login_* (bean id: loginAction)。
 * login_CheckLogin.action 先由 LoginAction-login_CheckLogin-validation.xml 校验,
 * 校验失败返回 "input" (login.jsp)。
 * login_Setup.action 在还没有管理员时设置第一个管理员: 须填写服务器日志中的一次性设置口令。
 * 登录成功时作废原来的 Session, 换一个新的 Session (新的 Session 编号和 CSRF 令牌)。
 * 同一用户名或同一客户端地址连续失败 FREE_FAILURES 次后, 暂停登录一段时间 (每多失败一次加倍)。
 */
public class LoginAction extends ActionSupport {

    private static final long serialVersionUID = 1L;

    /*Session 中保存当前登录用户名的键*/
    public static final String SESSION_USER = "username";

    /*密码的最少字符数 (设置和修改密码时)*/
    public static final int MIN_PASSWORD_LENGTH = 8;

    /*允许连续失败的次数, 之后暂停登录的时间 (毫秒) 及其上限*/
    private static final int FREE_FAILURES = 5;
    private static final long LOCK_MILLIS = 30000L;
    private static final long MAX_LOCK_MILLIS = 15L * 60L * 1000L;
    private static final int MAX_ENTRIES = 10000;

    /*登录失败记录: 键为 "user:用户名" 或 "addr:客户端地址", 值为 {失败次数, 暂停到的时刻, 最后失败时刻}*/
    private static final Map<String, long[]> FAILURES = new HashMap<String, long[]>();

    /*一次性设置口令: 还没有管理员时生成并写入服务器日志, 设置成功后作废*/
    private static String setupToken;

    /*登录界面提交的管理员信息 (admin.username, admin.password)*/
    private Admin admin;
    public void setAdmin(Admin admin) {
        this.admin = admin;
    }
    public Admin getAdmin() {
        return this.admin;
    }

    /*设置第一个管理员时提交的一次性设置口令和再次输入的密码*/
    private String setupCode;
    public void setSetupCode(String setupCode) {
        this.setupCode = setupCode;
    }
    private String password2;
    public void setPassword2(String password2) {
        this.password2 = password2;
    }

    /*业务层对象*/
    AdminDAO adminDAO = new AdminDAO();

    /*显示登录界面*/
    public String LoginView() {
        return "input";
    }

    /*验证登录*/
    @SuppressWarnings("deprecation")
    public String CheckLogin() {
        ActionContext ctx = ActionContext.getContext();
        HttpServletRequest request = ServletActionContext.getRequest();
        String username = admin.getUsername().trim();
        String address = request.getRemoteAddr();
        if (IsLocked(username, address)) {
            this.addActionError("登录失败次数过多, 请稍后再试!");
            return "input";
        }
        try {
            if (!adminDAO.HasAdmins()) {
                this.addActionError("还没有管理员, 请先设置管理员!");
                return "input";
            }
            if (!adminDAO.CheckLogin(admin)) {
                RecordFailure(username, address);
                this.addActionError("用户名或密码错误!");
                return "input";
            }
        } catch (Exception e) {
            e.printStackTrace();
            ctx.put("error", java.net.URLEncoder.encode("数据库访问失败, 请检查数据库连接!"));
            return "error";
        }
        RecordSuccess(username, address);
        StartSession(request, username);
        ctx.put("username", username);
        return "main_view";
    }

    /*设置第一个管理员 (只在 Admin 表为空时可用), 设置成功后直接登录*/
    @SuppressWarnings("deprecation")
    public String Setup() {
        ActionContext ctx = ActionContext.getContext();
        HttpServletRequest request = ServletActionContext.getRequest();
        String address = request.getRemoteAddr();
        String username = admin == null || admin.getUsername() == null ? "" : admin.getUsername().trim();
        String password = admin == null || admin.getPassword() == null ? "" : admin.getPassword();
        try {
            if (adminDAO.HasAdmins()) {
                this.addActionError("管理员已经设置, 请登录!");
                return "input";
            }
            if (IsLocked(null, address)) {
                this.addActionError("失败次数过多, 请稍后再试!");
                return "input";
            }
            if (!SetupCodeMatches(setupCode)) {
                RecordFailure(null, address);
                this.addActionError("设置口令不正确, 请查看服务器日志!");
                return "input";
            }
            if (username.length() == 0 || username.length() > 20) {
                this.addActionError("用户名须为1到20个字符!");
                return "input";
            }
            if (password.length() < MIN_PASSWORD_LENGTH) {
                this.addActionError("密码至少需要" + MIN_PASSWORD_LENGTH + "个字符!");
                return "input";
            }
            if (!password.equals(password2)) {
                this.addActionError("两次输入的密码不一致!");
                return "input";
            }
            if (!AdminDAO.AddFirstAdmin(username, password)) {
                this.addActionError("管理员已经设置, 请登录!");
                return "input";
            }
        } catch (Exception e) {
            e.printStackTrace();
            ctx.put("error", java.net.URLEncoder.encode("数据库访问失败, 请检查数据库连接!"));
            return "error";
        }
        ClearSetupCode();
        RecordSuccess(null, address);
        StartSession(request, username);
        ctx.put("username", username);
        return "main_view";
    }

    /*作废原来的 Session, 为登录的用户建立新的 Session (新编号, 新的 CSRF 令牌)*/
    private static void StartSession(HttpServletRequest request, String username) {
        HttpSession old = request.getSession(false);
        if (old != null) {
            try {
                old.invalidate();
            } catch (IllegalStateException e) {
                /*已经失效*/
            }
        }
        HttpSession session = request.getSession(true);
        session.setAttribute(SESSION_USER, username);
        session.setAttribute(LoginGuardFilter.CSRF_TOKEN, LoginGuardFilter.NewToken());
        ActionContext.getContext().withSession(new SessionMap(request));
    }

    /*一次性设置口令: 第一次需要时生成并写入服务器日志*/
    public static synchronized String SetupCode() {
        if (setupToken == null) {
            setupToken = LoginGuardFilter.NewToken();
            System.out.println("[管理员设置] 还没有管理员。请在登录页面设置第一个管理员, 一次性设置口令 (setup token): "
                    + setupToken);
            System.out.flush();
        }
        return setupToken;
    }

    private static synchronized boolean SetupCodeMatches(String code) {
        return setupToken != null && code != null
                && MessageDigest.isEqual(setupToken.getBytes(), code.trim().getBytes());
    }

    private static synchronized void ClearSetupCode() {
        setupToken = null;
    }

    /*用户名或客户端地址正在暂停登录时返回 true*/
    private static synchronized boolean IsLocked(String username, String address) {
        long now = System.currentTimeMillis();
        return LockedUntil("addr:" + address) > now || (username != null && LockedUntil("user:" + username) > now);
    }

    private static long LockedUntil(String key) {
        long[] entry = FAILURES.get(key);
        return entry == null ? 0L : entry[1];
    }

    /*记录一次失败: 超过允许的次数后暂停登录, 每多失败一次暂停时间加倍*/
    private static synchronized void RecordFailure(String username, String address) {
        long now = System.currentTimeMillis();
        if (FAILURES.size() >= MAX_ENTRIES) {
            Prune(now);
        }
        for (String key : new String[] {username == null ? null : "user:" + username, "addr:" + address}) {
            if (key == null) {
                continue;
            }
            long[] entry = FAILURES.get(key);
            if (entry == null) {
                entry = new long[3];
                FAILURES.put(key, entry);
            }
            entry[0]++;
            entry[2] = now;
            if (entry[0] >= FREE_FAILURES) {
                long extra = Math.min(entry[0] - FREE_FAILURES, 10L);
                entry[1] = now + Math.min(LOCK_MILLIS << extra, MAX_LOCK_MILLIS);
            }
        }
    }

    /*登录成功: 清除该用户名和地址的失败记录*/
    private static synchronized void RecordSuccess(String username, String address) {
        if (username != null) {
            FAILURES.remove("user:" + username);
        }
        FAILURES.remove("addr:" + address);
    }

    /*删除已经过期的失败记录*/
    private static void Prune(long now) {
        for (Iterator<long[]> it = FAILURES.values().iterator(); it.hasNext();) {
            long[] entry = it.next();
            if (entry[1] < now && entry[2] + MAX_LOCK_MILLIS < now) {
                it.remove();
            }
        }
        if (FAILURES.size() >= MAX_ENTRIES) {
            FAILURES.clear();
        }
    }
}
