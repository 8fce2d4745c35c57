<%@ page language="java" contentType="text/html; charset=GBK" pageEncoding="GBK"%>
<%
    /* 主界面: 未登录时回到登录界面 */
    String path = request.getContextPath();
    Object username = session.getAttribute("username");
    if (username == null) {
        response.sendRedirect(path + "/login.jsp");
        return;
    }
%>
<!DOCTYPE html>
<html>
<head>
<meta http-equiv="Content-Type" content="text/html; charset=GBK">
<title>系统主界面</title>
<style type="text/css">
body { font-family: "Microsoft YaHei", SimSun, sans-serif; font-size: 14px; margin: 0; }
.top { background: #2a5885; color: #fff; padding: 12px 24px; }
.top a { color: #fff; margin-left: 16px; }
.content { padding: 16px 24px; }
code { background: #eef; padding: 1px 4px; }
</style>
</head>
<body>
<div class="top">
  欢迎您, <%=username%>
  <a href="<%=path%>/changePassword_ChangePasswordView.action">修改密码</a>
  <a href="<%=path%>/user_Logout.action">退出登录</a>
</div>
<div class="content">
  <h3>功能菜单</h3>
  <p>每个业务类 (例如 Student) 的功能地址如下 (请把下面的 Student 换成自己的类名):</p>
  <ul>
    <li>添加: <code><%=path%>/Student/Student_AddView.action</code></li>
    <li>查询: <code><%=path%>/Student/Student_QueryStudent.action</code></li>
    <li>修改: <code><%=path%>/Student/Student_ModifyStudentQuery.action?主键名=值</code></li>
    <li>删除: <code><%=path%>/Student/Student_DeleteStudent.action?主键名=值</code></li>
  </ul>
  <p>可以修改本页面, 为每个业务类加上菜单链接。</p>
</div>
</body>
</html>
