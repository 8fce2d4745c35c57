package com.$packageName.action;

import java.util.Map;

import javax.servlet.http.HttpSession;

import org.apache.struts2.ServletActionContext;

import com.opensymphony.xwork2.ActionContext;
import com.opensymphony.xwork2.ActionSupport;

/*
 * 当前用户 Action: struts.xml 中的 user_* (bean id: userAction)。
 * user_MainView.action 显示主界面, user_Logout.action (POST, 带 CSRF 令牌) 退出登录。
 */
public class UserAction extends ActionSupport {

    private static final long serialVersionUID = 1L;

    /*当前登录的用户名, 未登录时为 null*/
    private String username;
    public void setUsername(String username) {
        this.username = username;
    }
    public String getUsername() {
        return this.username;
    }

    /*读取 Session 中的当前用户*/
    private String currentUser() {
        Map<String, Object> session = ActionContext.getContext().getSession();
        Object user = session == null ? null : session.get(LoginAction.SESSION_USER);
        return user == null ? null : user.toString();
    }

    /*显示主界面: 未登录时回到登录界面*/
    public String MainView() {
        username = currentUser();
        if (username == null) {
            return "login_view";
        }
        ActionContext.getContext().put("username", username);
        return "main_view";
    }

    /*退出登录: 作废整个 Session*/
    public String Logout() {
        HttpSession session = ServletActionContext.getRequest().getSession(false);
        if (session != null) {
            try {
                session.invalidate();
            } catch (IllegalStateException e) {
                /*已经失效*/
            }
        }
        username = null;
        return "login_view";
    }
}
