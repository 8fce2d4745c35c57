<%@ page language="java" contentType="text/html; charset=UTF-8" pageEncoding="UTF-8"%>
<%
    /* 显示错误信息: 只显示 Action 用 ctx.put("error", URLEncoder.encode(...)) 放入的错误信息,
       不显示请求参数中的文字 (否则任何人都能发一个在本站显示假通知的链接) */
    String path = request.getContextPath();
    Object value = request.getAttribute("error");
    if (value == null) {
        com.opensymphony.xwork2.ActionContext ac = com.opensymphony.xwork2.ActionContext.getContext();
        if (ac != null) value = ac.get("error");
    }
    String error = "";
    if (value != null) {
        try {
            error = java.net.URLDecoder.decode(value.toString());
        } catch (IllegalArgumentException e) {
            error = value.toString();
        }
    }
    error = error.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;");
%>
<!DOCTYPE html>
<html>
<head>
<meta http-equiv="Content-Type" content="text/html; charset=UTF-8">
<title>出错了</title>
<style type="text/css">
body { font-family: "Microsoft YaHei", SimSun, sans-serif; font-size: 14px; }
.box { width: 420px; margin: 80px auto; padding: 24px; border: 1px solid #d99; background: #fff4f4; text-align: center; }
.err { color: #c00; font-size: 16px; margin-bottom: 16px; }
</style>
</head>
<body>
<div class="box">
  <div class="err"><%=error%></div>
  <a href="javascript:history.back();">返回</a> | <a href="<%=path%>/main.jsp">主界面</a>
</div>
</body>
</html>
