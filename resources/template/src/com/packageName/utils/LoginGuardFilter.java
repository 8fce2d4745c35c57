package com.$packageName.utils;

import java.io.IOException;
import java.io.UnsupportedEncodingException;
import java.net.URLDecoder;
import java.util.Arrays;
import java.util.HashSet;
import java.util.Locale;
import java.util.Set;

import javax.servlet.Filter;
import javax.servlet.FilterChain;
import javax.servlet.FilterConfig;
import javax.servlet.ServletException;
import javax.servlet.ServletRequest;
import javax.servlet.ServletResponse;
import javax.servlet.http.HttpServletRequest;
import javax.servlet.http.HttpServletResponse;
import javax.servlet.http.HttpSession;

import com.$packageName.action.LoginAction;

/*
 * 登录检查过滤器: 没有登录 (Session 中没有 LoginAction.SESSION_USER) 时, 只放行首页、
 * 登录界面、登录和退出请求、结果页面和静态文件, 其他请求都重定向到 login.jsp。
 * 它是 beans.xml 中的 bean loginGuard, 由 web.xml 中的 DelegatingFilterProxy 调用,
 * 映射在 struts2 过滤器之前。
 *
 * 判断依据是容器解码并规范化后的路径 (getServletPath() + getPathInfo())。下列路径一律
 * 需要登录: 含有 ";"、"%"、"\"、控制字符、空的或 "."、".." 路径段的路径, 以及与原始
 * 请求地址 (去掉末尾的 ;jsessionid=...) 解码后不一致的路径。
 *
 * 工程不接收上传文件: multipart 请求 (Content-Type: multipart/...) 不经解析, 一律以
 * 415 拒绝。
 */
public class LoginGuardFilter implements Filter {

    /*不用登录就能访问的页面和请求*/
    private static final Set<String> PUBLIC_PATHS = new HashSet<String>(Arrays.asList(
            "/", "/index.jsp", "/login.jsp", "/error.jsp", "/message.jsp", "/user_Logout.action"));

    /*登录请求: /login_方法名.action*/
    private static final String LOGIN_PREFIX = "/login_";
    private static final String ACTION_SUFFIX = ".action";

    /*不用登录就能访问的静态文件*/
    private static final String[] STATIC_SUFFIXES = {".css", ".js", ".png", ".gif", ".jpg", ".ico"};

    private static final String SESSION_ID_PARAMETER = ";jsessionid=";

    public void init(FilterConfig filterConfig) throws ServletException {
    }

    public void destroy() {
    }

    public void doFilter(ServletRequest req, ServletResponse resp, FilterChain chain)
            throws IOException, ServletException {
        if (!(req instanceof HttpServletRequest) || !(resp instanceof HttpServletResponse)) {
            throw new ServletException("LoginGuardFilter 只处理 HTTP 请求");
        }
        HttpServletRequest request = (HttpServletRequest) req;
        HttpServletResponse response = (HttpServletResponse) resp;
        if (isMultipart(request)) {
            response.sendError(HttpServletResponse.SC_UNSUPPORTED_MEDIA_TYPE);
            return;
        }
        if (isLoggedIn(request) || isPublic(request)) {
            chain.doFilter(request, response);
        } else {
            response.sendRedirect(request.getContextPath() + "/login.jsp");
        }
    }

    /*请求体是 multipart (文件上传) 时返回 true*/
    private static boolean isMultipart(HttpServletRequest request) {
        String type = request.getContentType();
        return type != null && type.trim().toLowerCase(Locale.ROOT).startsWith("multipart/");
    }

    /*Session 中有当前用户时返回 true (不创建 Session)*/
    private static boolean isLoggedIn(HttpServletRequest request) {
        HttpSession session = request.getSession(false);
        return session != null && session.getAttribute(LoginAction.SESSION_USER) != null;
    }

    /*请求的路径不用登录就能访问时返回 true*/
    private static boolean isPublic(HttpServletRequest request) {
        String path = pathOf(request);
        if (!isClean(path) || !path.equals(decodedRequestPath(request))) {
            return false;
        }
        if (PUBLIC_PATHS.contains(path) || isLoginAction(path)) {
            return true;
        }
        String lower = path.toLowerCase(Locale.ROOT);
        for (String suffix : STATIC_SUFFIXES) {
            if (lower.endsWith(suffix)) {
                return true;
            }
        }
        return false;
    }

    /*容器给出的路径 (已解码、已规范化), 上下文根目录为 "/"*/
    private static String pathOf(HttpServletRequest request) {
        String servletPath = request.getServletPath();
        String pathInfo = request.getPathInfo();
        String path = (servletPath == null ? "" : servletPath) + (pathInfo == null ? "" : pathInfo);
        return path.length() == 0 ? "/" : path;
    }

    /*以 "/" 开头, 没有 ";"、"%"、"\"、控制字符, 也没有空的或 "."、".." 路径段*/
    private static boolean isClean(String path) {
        if (!path.startsWith("/")) {
            return false;
        }
        for (int i = 0; i < path.length(); i++) {
            char c = path.charAt(i);
            if (c < 0x20 || c == 0x7f || c == ';' || c == '%' || c == '\\') {
                return false;
            }
        }
        if (path.equals("/")) {
            return true;
        }
        for (String segment : path.substring(1).split("/", -1)) {
            if (segment.length() == 0 || segment.equals(".") || segment.equals("..")) {
                return false;
            }
        }
        return true;
    }

    /*根命名空间下的 login_方法名.action, 方法名只含字母、数字和下划线*/
    private static boolean isLoginAction(String path) {
        if (!path.startsWith(LOGIN_PREFIX) || !path.endsWith(ACTION_SUFFIX)) {
            return false;
        }
        String method = path.substring(LOGIN_PREFIX.length(), path.length() - ACTION_SUFFIX.length());
        if (method.length() == 0) {
            return false;
        }
        for (int i = 0; i < method.length(); i++) {
            char c = method.charAt(i);
            if (!(c >= 'a' && c <= 'z' || c >= 'A' && c <= 'Z' || c >= '0' && c <= '9' || c == '_')) {
                return false;
            }
        }
        return true;
    }

    /*原始请求地址去掉上下文路径和末尾的 ;jsessionid=... 后按 UTF-8 解码; 不能解码时返回 null*/
    private static String decodedRequestPath(HttpServletRequest request) {
        String uri = request.getRequestURI();
        String context = request.getContextPath();
        if (uri == null || context == null || !uri.startsWith(context)) {
            return null;
        }
        uri = uri.substring(context.length());
        int semicolon = uri.indexOf(';');
        if (semicolon >= 0) {
            String tail = uri.substring(semicolon);
            if (!tail.toLowerCase(Locale.ROOT).startsWith(SESSION_ID_PARAMETER)
                    || tail.indexOf('/') >= 0 || tail.indexOf(';', 1) >= 0) {
                return null;
            }
            uri = uri.substring(0, semicolon);
        }
        if (uri.length() == 0) {
            uri = "/";
        }
        try {
            /*URLDecoder 把 "+" 当作空格, 路径中的 "+" 保持原样*/
            return URLDecoder.decode(uri.replace("+", "%2B"), "UTF-8");
        } catch (IllegalArgumentException e) {
            return null;
        } catch (UnsupportedEncodingException e) {
            return null;
        }
    }
}
