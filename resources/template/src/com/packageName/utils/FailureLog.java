package com.$packageName.utils;

import java.io.IOException;
import java.util.Set;
import java.util.concurrent.ConcurrentHashMap;

import javax.servlet.ServletContext;
import javax.servlet.http.HttpServletRequest;
import javax.servlet.http.HttpServletResponse;

import org.apache.struts2.dispatcher.DispatcherErrorHandler;
import org.slf4j.Logger;
import org.slf4j.LoggerFactory;

/*
 * 请求失败的记录: 每次失败在服务器日志中写一行, 说明失败的原因 (最里层的异常类和信息);
 * 同一原因 (异常类和出错位置相同) 的堆栈只在第一次写出, 日志不会因为反复出现的同一故障
 * (例如数据库连接池等待超时) 而变得很大。
 *
 * struts.xml 把它注册为 Struts 的出错处理: Action 没有处理的异常显示简短的出错页面
 * (web.xml 中的 failure.jsp), 不显示异常信息和堆栈。Action 中捕获的异常用 Log(e) 记录。
 */
public class FailureLog implements DispatcherErrorHandler {

    private static final Logger LOG = LoggerFactory.getLogger(FailureLog.class);

    /*已经写过堆栈的原因; 最多记 SEEN_LIMIT 个, 之后只写一行*/
    private static final int SEEN_LIMIT = 1000;
    private static final Set<String> SEEN = ConcurrentHashMap.newKeySet();

    public void init(ServletContext servletContext) {
    }

    public void handleError(HttpServletRequest request, HttpServletResponse response, int code,
            Exception e) {
        if (code == HttpServletResponse.SC_INTERNAL_SERVER_ERROR) {
            Log(e);
        }
        try {
            if (!response.isCommitted()) {
                response.sendError(code);
            }
        } catch (IOException ignored) {
            /*客户端已经断开*/
        } catch (IllegalStateException ignored) {
            /*回应已经开始发送*/
        }
    }

    /*记录一次失败: 一行原因, 同一原因第一次出现时另写堆栈*/
    public static void Log(Throwable e) {
        Throwable root = e;
        while (root.getCause() != null && root.getCause() != root) {
            root = root.getCause();
        }
        String cause = oneLine(root.getClass().getName() + ": " + root.getMessage());
        StackTraceElement[] frames = root.getStackTrace();
        String place = frames.length > 0 ? frames[0].toString() : "";
        boolean first = SEEN.size() < SEEN_LIMIT && SEEN.add(root.getClass().getName() + " at " + place);
        if (first) {
            LOG.error("请求失败: " + cause, e);
        } else {
            LOG.error("请求失败: " + cause + " (堆栈见此原因第一次出现时)");
        }
    }

    /*去掉换行和其他控制字符, 一次失败只占日志的一行*/
    private static String oneLine(String text) {
        StringBuilder line = new StringBuilder(text.length());
        for (int i = 0; i < text.length(); i++) {
            char c = text.charAt(i);
            line.append(Character.isISOControl(c) ? ' ' : c);
        }
        return line.toString();
    }
}
