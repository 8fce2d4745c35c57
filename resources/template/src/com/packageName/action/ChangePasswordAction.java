package com.$packageName.action;

import java.util.Map;

import javax.servlet.http.HttpServletRequest;

import org.apache.struts2.ServletActionContext;

import com.opensymphony.xwork2.ActionContext;
import com.opensymphony.xwork2.ActionSupport;
import com.$packageName.dao.AdminDAO;
import com.$packageName.domain.Admin;
import com.$packageName.utils.LoginThrottle;

/*
 * 修改密码 Action: struts.xml 中的 changePassword_* (bean id: changePasswordAction)。
 * changePassword_ChangePasswordView.action 显示修改密码界面,
 * changePassword_ChangePassword.action (POST, 带 CSRF 令牌) 修改当前登录用户的密码 (存为哈希)。
 * 原密码错误与登录失败一样由 utils.LoginThrottle 计数和限制; 修改成功后, 这个账号的其他
 * Session 作废 (LoginAction.PasswordChanged)。
 */
public class ChangePasswordAction extends ActionSupport {

    private static final long serialVersionUID = 1L;

    /*原密码*/
    private String oldPassword;
    public void setOldPassword(String oldPassword) {
        this.oldPassword = oldPassword;
    }
    public String getOldPassword() {
        return this.oldPassword;
    }

    /*新密码*/
    private String newPassword;
    public void setNewPassword(String newPassword) {
        this.newPassword = newPassword;
    }
    public String getNewPassword() {
        return this.newPassword;
    }

    /*再次输入的新密码*/
    private String newPassword2;
    public void setNewPassword2(String newPassword2) {
        this.newPassword2 = newPassword2;
    }
    public String getNewPassword2() {
        return this.newPassword2;
    }

    /*业务层对象*/
    AdminDAO adminDAO = new AdminDAO();

    /*读取 Session 中的当前用户*/
    private String currentUser() {
        Map<String, Object> session = ActionContext.getContext().getSession();
        Object user = session == null ? null : session.get(LoginAction.SESSION_USER);
        return user == null ? null : user.toString();
    }

    /*显示修改密码界面*/
    public String ChangePasswordView() {
        if (currentUser() == null) {
            return "login_view";
        }
        return "change_view";
    }

    /*修改密码*/
    @SuppressWarnings("deprecation")
    public String ChangePassword() {
        ActionContext ctx = ActionContext.getContext();
        String username = currentUser();
        if (username == null) {
            return "login_view";
        }
        if (newPassword == null || newPassword.length() == 0) {
            ctx.put("error", java.net.URLEncoder.encode("请输入新密码!"));
            return "error";
        }
        if (newPassword.length() < LoginAction.MIN_PASSWORD_LENGTH) {
            ctx.put("error", java.net.URLEncoder.encode("新密码至少需要" + LoginAction.MIN_PASSWORD_LENGTH + "个字符!"));
            return "error";
        }
        if (!newPassword.equals(newPassword2)) {
            ctx.put("error", java.net.URLEncoder.encode("两次输入的新密码不一致!"));
            return "error";
        }
        HttpServletRequest request = ServletActionContext.getRequest();
        LoginThrottle.Attempt attempt = null;
        try {
            Admin stored = adminDAO.GetAdminByUsername(username);
            attempt = LoginThrottle.Begin(
                    LoginThrottle.Account(stored == null ? null : stored.getUsername(), username),
                    request.getRemoteAddr());
            if (attempt == null) {
                ctx.put("error", java.net.URLEncoder.encode("原密码错误次数过多, 请稍后再试!"));
                return "error";
            }
            attempt.Pause();
            if (oldPassword == null || !AdminDAO.PasswordCorrect(stored, oldPassword)) {
                attempt.Failed();
                ctx.put("error", java.net.URLEncoder.encode("原密码不正确!"));
                return "error";
            }
            attempt.Succeeded();
            adminDAO.SetPassword(stored, newPassword);
            LoginAction.PasswordChanged(stored, request.getSession(false));
            ctx.put("message", java.net.URLEncoder.encode("密码修改成功!"));
            return "modify_success";
        } catch (Exception e) {
            e.printStackTrace();
            ctx.put("error", java.net.URLEncoder.encode("密码修改失败!"));
            return "error";
        } finally {
            if (attempt != null) {
                attempt.End();
            }
        }
    }
}
