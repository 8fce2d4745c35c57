<%@ page language="java" contentType="text/html; charset=UTF-8" pageEncoding="UTF-8"%>
<%
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
<title>修改密码</title>
<style type="text/css">
body { font-family: "Microsoft YaHei", SimSun, sans-serif; font-size: 14px; }
.box { width: 380px; margin: 80px auto; padding: 24px 32px; border: 1px solid #c8d2dc; }
.box td { padding: 6px 4px; }
</style>
</head>
<body>
<div class="box">
  <h3>修改密码 (<%=shownName%>)</h3>
  <form action="<%=path%>/changePassword_ChangePassword.action" method="post">
    <input type="hidden" name="csrfToken" value="${sessionScope.csrfToken}">
    <table>
      <tr><td>原密码:</td><td><input type="password" name="oldPassword"/></td></tr>
      <tr><td>新密码:</td><td><input type="password" name="newPassword"/></td></tr>
      <tr><td>确认新密码:</td><td><input type="password" name="newPassword2"/></td></tr>
      <tr><td></td><td><input type="submit" value="修改"/> <a href="<%=path%>/main.jsp">返回</a></td></tr>
    </table>
  </form>
</div>
</body>
</html>
