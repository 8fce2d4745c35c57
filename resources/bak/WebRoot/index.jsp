<%@ page language="java" contentType="text/html; charset=UTF-8" pageEncoding="UTF-8"%>
<%
    /* 首页: 已登录时进入主界面, 否则进入登录界面 (相对地址, 不用请求中的主机名) */
    String path = request.getContextPath();
    response.setStatus(302);
    response.setHeader("Location", path + (session.getAttribute("username") != null ? "/main.jsp" : "/login.jsp"));
%>
<!DOCTYPE html>
<html>
<head>
<meta http-equiv="Content-Type" content="text/html; charset=UTF-8">
<title>首页</title>
</head>
<body>
<a href="<%=request.getContextPath()%>/login.jsp">进入系统</a>
</body>
</html>
