package com.$packageName.domain;

/*系统管理员: 登录系统的用户*/
public class Admin {
    /*用户名 (主键)*/
    private String username;
    public String getUsername() {
        return username;
    }
    public void setUsername(String username) {
        this.username = username;
    }

    /*登录密码*/
    private String password;
    public String getPassword() {
        return password;
    }
    public void setPassword(String password) {
        this.password = password;
    }
}
