<%@ page language="java" contentType="text/html; charset=UTF-8" pageEncoding="UTF-8" session="false"%>
<%
    /* 出错页面 (web.xml 中的 error-page): 只显示简短的说明, 不显示异常信息 */
    String path = request.getContextPath();
    Object code = request.getAttribute("javax.servlet.error.status_code");
    int status = code instanceof Integer ? ((Integer) code).intValue() : 500;
    String text;
    if (status == 404) {
        text = "您访问的页面不存在。";
    } else if (status == 405) {
        text = "不允许用这种方式提交请求。";
    } else if (status == 403) {
        text = "请求被拒绝: 页面已过期或者来自其他网站, 请返回后重新操作。";
    } else if (status >= 400 && status < 500) {
        text = "请求无效。";
    } else {
        text = "系统出现错误, 请稍后再试。";
    }
%>
<!DOCTYPE html>
<html>
<head>
<meta http-equiv="Content-Type" content="text/html; charset=UTF-8">
<title>出错了</title>
<style type="text/css">
body { font-family: "Microsoft YaHei", SimSun, sans-serif; font-size: 14px; }
.box { width: 420px; margin: 80px auto; padding: 24px 32px; border: 1px solid #c8d2dc; }
</style>
</head>
<body>
<div class="box">
  <h3>出错了</h3>
  <p><%=text%></p>
  <p><a href="<%=path%>/main.jsp">返回主界面</a></p>
</div>
</body>
</html>
