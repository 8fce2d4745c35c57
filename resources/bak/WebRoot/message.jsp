<%@ page language="java" contentType="text/html; charset=UTF-8" pageEncoding="UTF-8"%>
<%
    /* 显示操作结果: 只显示 Action 用 ctx.put("message", URLEncoder.encode(...)) 放入的提示信息,
       不显示请求参数中的文字 (否则任何人都能发一个在本站显示假通知的链接) */
    String path = request.getContextPath();
    Object value = request.getAttribute("message");
    if (value == null) {
        com.opensymphony.xwork2.ActionContext ac = com.opensymphony.xwork2.ActionContext.getContext();
        if (ac != null) value = ac.get("message");
    }
    String message = "";
    if (value != null) {
        try {
            message = java.net.URLDecoder.decode(value.toString());
        } catch (IllegalArgumentException e) {
            message = value.toString();
        }
    }
    message = message.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;");
%>
<!DOCTYPE html>
<html>
<head>
<meta http-equiv="Content-Type" content="text/html; charset=UTF-8">
<title>操作结果</title>
<style type="text/css">
body { font-family: "Microsoft YaHei", SimSun, sans-serif; font-size: 14px; }
.box { width: 420px; margin: 80px auto; padding: 24px; border: 1px solid #9c9; background: #f4fff4; text-align: center; }
.msg { color: #060; font-size: 16px; margin-bottom: 16px; }
</style>
</head>
<body>
<div class="box">
  <div class="msg"><%=message%></div>
  <a href="javascript:history.back();">返回</a> | <a href="<%=path%>/main.jsp">主界面</a>
</div>
</body>
</html>
