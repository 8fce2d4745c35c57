package com.$packageName.action;

import java.security.MessageDigest;
import java.util.Map;
import java.util.concurrent.ConcurrentHashMap;

import javax.servlet.http.HttpServletRequest;
import javax.servlet.http.HttpSession;

import org.apache.struts2.ServletActionContext;
import org.apache.struts2.dispatcher.SessionMap;

import com.opensymphony.xwork2.ActionContext;
import com.opensymphony.xwork2.ActionSupport;
import com.$packageName.dao.AdminDAO;
import com.$packageName.domain.Admin;
import com.$packageName.utils.LoginGuardFilter;
import com.$packageName.utils.LoginThrottle;

/*
 * 登录 Action: struts.xml 中的 login_* (bean id: loginAction)。
 * login_CheckLogin.action 先由 LoginAction-login_CheckLogin-validation.xml 校验,
 * 校验失败返回 "input" (login.jsp)。
 * login_Setup.action 在还没有管理员时设置第一个管理员: 须填写服务器日志中的一次性设置口令。
 * 登录成功时作废原来的 Session, 换一个新的 Session (新的 Session 编号和 CSRF 令牌);
 * Session 中记下数据库中的用户名和密码的指纹, 密码修改后其他 Session 作废 (SessionCurrent)。
 * 失败次数由 utils.LoginThrottle 限制: 按 (账号, 客户端地址)、客户端地址和账号计数。
 */
public class LoginAction extends ActionSupport {

    private static final long serialVersionUID = 1L;

    /*Session 中保存当前登录用户名 (数据库中的写法) 的键*/
    public static final String SESSION_USER = "username";

    /*Session 中保存登录时密码指纹 (AdminDAO.PasswordStamp) 的键*/
    public static final String SESSION_STAMP = "passwordStamp";

    /*密码的最少字符数 (设置和修改密码时)*/
    public static final int MIN_PASSWORD_LENGTH = 8;

    /*各账号当前的密码指纹 (按需从数据库读取, 修改密码时更新)*/
    private static final Map<String, String> STAMPS = new ConcurrentHashMap<String, String>();

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
        LoginThrottle.Attempt attempt = null;
        try {
            if (!adminDAO.HasAdmins()) {
                this.addActionError("还没有管理员, 请先设置管理员!");
                return "input";
            }
            /*数据库比较用户名时不分大小写和重音: 按查到的管理员计数*/
            Admin stored = adminDAO.GetAdminByUsername(username);
            attempt = LoginThrottle.Begin(
                    LoginThrottle.Account(stored == null ? null : stored.getUsername(), username), address);
            if (attempt == null) {
                this.addActionError("登录失败次数过多, 请稍后再试!");
                return "input";
            }
            attempt.Pause();
            if (!AdminDAO.PasswordCorrect(stored, admin.getPassword())) {
                attempt.Failed();
                this.addActionError("用户名或密码错误!");
                return "input";
            }
            attempt.Succeeded();
            adminDAO.UpgradePassword(stored, admin.getPassword());
            StartSession(request, stored);
            ctx.put("username", stored.getUsername());
            return "main_view";
        } catch (Exception e) {
            e.printStackTrace();
            ctx.put("error", java.net.URLEncoder.encode("数据库访问失败, 请检查数据库连接!"));
            return "error";
        } finally {
            if (attempt != null) {
                attempt.End();
            }
        }
    }

    /*设置第一个管理员 (只在 Admin 表为空时可用), 设置成功后直接登录*/
    @SuppressWarnings("deprecation")
    public String Setup() {
        ActionContext ctx = ActionContext.getContext();
        HttpServletRequest request = ServletActionContext.getRequest();
        String address = request.getRemoteAddr();
        String username = admin == null || admin.getUsername() == null ? "" : admin.getUsername().trim();
        String password = admin == null || admin.getPassword() == null ? "" : admin.getPassword();
        LoginThrottle.Attempt attempt = null;
        Admin added;
        try {
            if (adminDAO.HasAdmins()) {
                this.addActionError("管理员已经设置, 请登录!");
                return "input";
            }
            attempt = LoginThrottle.Begin(null, address);
            if (attempt == null) {
                this.addActionError("失败次数过多, 请稍后再试!");
                return "input";
            }
            if (!SetupCodeMatches(setupCode)) {
                attempt.Failed();
                this.addActionError("设置口令不正确, 请查看服务器日志!");
                return "input";
            }
            attempt.Succeeded();
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
            added = AdminDAO.AddFirstAdmin(username, password);
            if (added == null) {
                this.addActionError("管理员已经设置, 请登录!");
                return "input";
            }
        } catch (Exception e) {
            e.printStackTrace();
            ctx.put("error", java.net.URLEncoder.encode("数据库访问失败, 请检查数据库连接!"));
            return "error";
        } finally {
            if (attempt != null) {
                attempt.End();
            }
        }
        ClearSetupCode();
        StartSession(request, added);
        ctx.put("username", username);
        return "main_view";
    }

    /*作废原来的 Session, 为登录的管理员建立新的 Session (新编号, 新的 CSRF 令牌, 密码指纹)*/
    private static void StartSession(HttpServletRequest request, Admin admin) {
        HttpSession old = request.getSession(false);
        if (old != null) {
            try {
                old.invalidate();
            } catch (IllegalStateException e) {
                /*已经失效*/
            }
        }
        String stamp = AdminDAO.PasswordStamp(admin);
        STAMPS.put(admin.getUsername(), stamp);
        HttpSession session = request.getSession(true);
        session.setAttribute(SESSION_USER, admin.getUsername());
        session.setAttribute(SESSION_STAMP, stamp);
        session.setAttribute(LoginGuardFilter.CSRF_TOKEN, LoginGuardFilter.NewToken());
        ActionContext.getContext().withSession(new SessionMap(request));
    }

    /*
     * 密码已修改 (admin 是修改后的管理员): 记下新的指纹, 当前 Session 随之更新;
     * 这个账号的其他 Session 在下一次请求时由 SessionCurrent 作废。
     */
    public static void PasswordChanged(Admin admin, HttpSession current) {
        String stamp = AdminDAO.PasswordStamp(admin);
        STAMPS.put(admin.getUsername(), stamp);
        if (current != null) {
            current.setAttribute(SESSION_STAMP, stamp);
        }
    }

    /*
     * Session 的登录仍然有效时返回 true: 记下的密码指纹与账号当前的指纹相同 (登录之后密码没有
     * 修改过, 账号也还在)。账号的指纹第一次需要时从数据库读取。
     */
    public static boolean SessionCurrent(HttpSession session) {
        Object user = session.getAttribute(SESSION_USER);
        Object stamp = session.getAttribute(SESSION_STAMP);
        if (user == null || stamp == null) {
            return false;
        }
        String current = STAMPS.get(user.toString());
        if (current == null) {
            Admin admin = new AdminDAO().GetAdminByUsername(user.toString());
            if (admin == null || !user.toString().equals(admin.getUsername())) {
                return false;
            }
            current = AdminDAO.PasswordStamp(admin);
            STAMPS.putIfAbsent(admin.getUsername(), current);
            current = STAMPS.get(admin.getUsername());
        }
        return MessageDigest.isEqual(current.getBytes(), stamp.toString().getBytes());
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
}
