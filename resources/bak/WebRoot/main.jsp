<%@ page language="java" contentType="text/html; charset=UTF-8" pageEncoding="UTF-8"%>
<%
    /* 主界面: 未登录时回到登录界面 */
    String path = request.getContextPath();
    Object username = session.getAttribute("username");
    if (username == null) {
        response.setStatus(302);
        response.setHeader("Location", path + "/login.jsp");
        return;
    }
    /* 用户名按 HTML 转义后显示 */
    String shownName = username.toString().replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")
            .replace("\"", "&quot;").replace("'", "&#39;");
%>
<!DOCTYPE html>
<html>
<head>
<meta http-equiv="Content-Type" content="text/html; charset=UTF-8">
<title>系统主界面</title>
<style type="text/css">
body { font-family: "Microsoft YaHei", SimSun, sans-serif; font-size: 14px; margin: 0; }
.top { background: #2a5885; color: #fff; padding: 12px 24px; }
.top a { color: #fff; margin-left: 16px; }
.top form.logout { display: inline; margin-left: 16px; }
.content { padding: 16px 24px; }
</style>
</head>
<body>
<div class="top">
  欢迎您, <%=shownName%>
  <a href="<%=path%>/changePassword_ChangePasswordView.action">修改密码</a>
  <form class="logout" action="<%=path%>/user_Logout.action" method="post"><input type="hidden" name="csrfToken" value="${sessionScope.csrfToken}"><input type="submit" value="退出登录"></form>
</div>
<div class="content">
  <h3>功能菜单</h3>
  <jsp:include page="/menu.jsp" />
</div>
</body>
</html>
