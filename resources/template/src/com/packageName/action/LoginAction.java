package com.$packageName.action;

import java.util.Map;

import com.opensymphony.xwork2.ActionContext;
import com.opensymphony.xwork2.ActionSupport;
import com.$packageName.dao.AdminDAO;
import com.$packageName.domain.Admin;

/*
 * 登录 Action: struts.xml 中的 login_* (bean id: loginAction)。
 * login_CheckLogin.action 先由 LoginAction-login_CheckLogin-validation.xml 校验,
 * 校验失败返回 "input" (login.jsp)。
 */
public class LoginAction extends ActionSupport {

    private static final long serialVersionUID = 1L;

    /*Session 中保存当前登录用户名的键*/
    public static final String SESSION_USER = "username";

    /*登录界面提交的管理员信息 (admin.username, admin.password)*/
    private Admin admin;
    public void setAdmin(Admin admin) {
        this.admin = admin;
    }
    public Admin getAdmin() {
        return this.admin;
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
        try {
            /*第一次使用时 (还没有任何管理员) 自动添加默认管理员 admin/admin*/
            adminDAO.EnsureDefaultAdmin();
            if (!adminDAO.CheckLogin(admin)) {
                this.addActionError("用户名或密码错误!");
                return "input";
            }
        } catch (Exception e) {
            e.printStackTrace();
            ctx.put("error", java.net.URLEncoder.encode("数据库访问失败, 请检查数据库连接!"));
            return "error";
        }
        Map<String, Object> session = ctx.getSession();
        session.put(SESSION_USER, admin.getUsername().trim());
        ctx.put("username", admin.getUsername().trim());
        return "main_view";
    }
}
