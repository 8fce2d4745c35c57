<%@ page language="java" contentType="text/html; charset=UTF-8" pageEncoding="UTF-8"%>
<%@ taglib prefix="s" uri="/struts-tags"%>
<%
    String path = request.getContextPath();
    /* 还没有管理员时 (登录检查过滤器设置请求属性 firstAdmin), 显示设置第一个管理员的表单 */
    boolean firstAdmin = Boolean.TRUE.equals(request.getAttribute("firstAdmin"));
%>
<!DOCTYPE html>
<html>
<head>
<meta http-equiv="Content-Type" content="text/html; charset=UTF-8">
<title>用户登录</title>
<style type="text/css">
body { font-family: "Microsoft YaHei", SimSun, sans-serif; font-size: 14px; background: #f2f5f8; }
.box { width: 360px; margin: 80px auto; padding: 24px 32px; background: #fff; border: 1px solid #c8d2dc; }
.box h2 { margin-top: 0; color: #2a5885; }
.box td { padding: 6px 4px; }
.errors { color: #c00; }
.errors ul { margin: 0 0 8px 0; padding-left: 18px; }
</style>
</head>
<body>
<div class="box">
  <h2><%=firstAdmin ? "设置管理员" : "用户登录"%></h2>
  <div class="errors">
    <s:actionerror/>
    <s:fielderror/>
  </div>
<% if (firstAdmin) { %>
  <p>还没有管理员。请填写服务器日志中的一次性设置口令 (setup token), 设置第一个管理员的用户名和密码 (至少8个字符)。</p>
  <form action="<%=path%>/login_Setup.action" method="post">
    <table>
      <tr>
        <td>设置口令:</td>
        <td><input type="text" name="setupCode" maxlength="64" autocomplete="off"/></td>
      </tr>
      <tr>
        <td>用户名:</td>
        <td><input type="text" name="admin.username" value="<s:property value="admin.username"/>" maxlength="20"/></td>
      </tr>
      <tr>
        <td>密&nbsp;&nbsp;码:</td>
        <td><input type="password" name="admin.password"/></td>
      </tr>
      <tr>
        <td>确认密码:</td>
        <td><input type="password" name="password2"/></td>
      </tr>
      <tr>
        <td></td>
        <td><input type="submit" value="设置"/></td>
      </tr>
    </table>
  </form>
<% } else { %>
  <form action="<%=path%>/login_CheckLogin.action" method="post">
    <table>
      <tr>
        <td>用户名:</td>
        <td><input type="text" name="admin.username" value="<s:property value="admin.username"/>" maxlength="20"/></td>
      </tr>
      <tr>
        <td>密&nbsp;&nbsp;码:</td>
        <td><input type="password" name="admin.password"/></td>
      </tr>
      <tr>
        <td></td>
        <td><input type="submit" value="登录"/> <input type="reset" value="重填"/></td>
      </tr>
    </table>
  </form>
<% } %>
</div>
</body>
</html>
