package com.$packageName.utils;

import java.io.IOException;
import java.io.UnsupportedEncodingException;
import java.math.BigInteger;
import java.net.URI;
import java.net.URISyntaxException;
import java.net.URLDecoder;
import java.nio.charset.StandardCharsets;
import java.security.MessageDigest;
import java.security.SecureRandom;
import java.util.Arrays;
import java.util.Collections;
import java.util.Enumeration;
import java.util.HashSet;
import java.util.LinkedHashMap;
import java.util.Locale;
import java.util.Map;
import java.util.Set;
import java.util.regex.Pattern;

import javax.servlet.Filter;
import javax.servlet.FilterChain;
import javax.servlet.FilterConfig;
import javax.servlet.ServletException;
import javax.servlet.ServletRequest;
import javax.servlet.ServletResponse;
import javax.servlet.http.HttpServletRequest;
import javax.servlet.http.HttpServletRequestWrapper;
import javax.servlet.http.HttpServletResponse;
import javax.servlet.http.HttpSession;

import com.$packageName.action.LoginAction;
import com.$packageName.dao.AdminDAO;

/*
 * 登录检查过滤器: 没有登录 (Session 中没有 LoginAction.SESSION_USER) 时, 只放行首页、
 * 登录界面、登录请求、结果页面和静态文件, 其他请求都重定向到 login.jsp。
 * 它是 beans.xml 中的 bean loginGuard, 由 web.xml 中的 DelegatingFilterProxy 调用,
 * 映射在 struts2 过滤器之前, 所以也在这里统一检查:
 *   - 地址中带 Session 编号 (;jsessionid=...) 的请求一律拒绝 (400), Session 编号只放在 Cookie 中;
 *   - 修改数据的请求 (添加、修改、删除、修改密码、退出登录) 以及登录和设置管理员只接受 POST,
 *     其他方法返回 405;
 *   - 除登录和设置管理员以外, 每个 POST 都须带有本 Session 的 CSRF 令牌 (参数 csrfToken),
 *     Origin (没有时 Referer) 头须指向本站 (协议、主机和端口都相同), 否则返回 403;
 *   - 重定向只发相对地址 (不用请求中的 Host 头);
 *   - 每个回应都禁止被其他网页嵌入 (X-Frame-Options 和 Content-Security-Policy 的
 *     frame-ancestors), 并带有页面允许的内容安全策略 (CSP, 强制执行);
 *   - 登录之后密码修改过的 Session 作废 (LoginAction.SessionCurrent)。
 *
 * 判断依据是容器解码并规范化后的路径 (getServletPath() + getPathInfo())。下列路径一律
 * 需要登录: 含有 ";"、"%"、"\"、控制字符、空的或 "."、".." 路径段的路径, 以及与原始
 * 请求地址解码后不一致的路径。
 *
 * 工程不接收上传文件: multipart 请求 (Content-Type: multipart/...) 不经解析, 一律以
 * 415 拒绝。
 */
public class LoginGuardFilter implements Filter {

    /*Session 中保存 CSRF 令牌的键, 也是表单中令牌字段的名称*/
    public static final String CSRF_TOKEN = "csrfToken";

    /*还没有管理员时, 请求属性 firstAdmin 为 true: login.jsp 显示设置管理员的表单*/
    public static final String FIRST_ADMIN = "firstAdmin";

    /*不用登录就能访问的页面和请求*/
    private static final Set<String> PUBLIC_PATHS = new HashSet<String>(Arrays.asList(
            "/", "/index.jsp", "/login.jsp", "/error.jsp", "/message.jsp", "/failure.jsp"));

    /*显示登录界面的请求*/
    private static final Set<String> LOGIN_PAGES = new HashSet<String>(Arrays.asList(
            "/", "/index.jsp", "/login.jsp"));

    /*不带 CSRF 令牌的 POST 请求: 登录和设置管理员 (它们都换新的 Session)*/
    private static final Set<String> TOKENLESS_POSTS = new HashSet<String>(Arrays.asList(
            "/login_CheckLogin.action", "/login_Setup.action"));

    /*只接受 POST 的请求 (地址的最后一段)*/
    private static final Set<String> POST_ONLY_NAMES = new HashSet<String>(Arrays.asList(
            "login_CheckLogin.action", "login_Setup.action", "user_Logout.action",
            "changePassword_ChangePassword.action"));

    /*各个业务类修改数据的请求: 类名_Add类名.action、类名_Modify类名.action、类名_Delete类名.action*/
    private static final Pattern CLASS_CHANGE = Pattern.compile(
            "([A-Za-z0-9_]+)_(Add|Modify|Delete)\\1\\.action");

    /*登录请求: /login_方法名.action*/
    private static final String LOGIN_PREFIX = "/login_";
    private static final String ACTION_SUFFIX = ".action";

    /*不用登录就能访问的静态文件*/
    private static final String[] STATIC_SUFFIXES = {".css", ".js", ".png", ".gif", ".jpg", ".ico"};

    private static final String SESSION_ID_PARAMETER = ";jsessionid";

    private static final SecureRandom RANDOM = new SecureRandom();

    /*
     * 强制执行的内容安全策略: 不许被嵌入, 不许插件和 <base>, 表单只提交到本站, 脚本、样式、
     * 图片和请求只来自本站。页面中有内联的样式和脚本 (键值查询、删除确认), 所以允许内联。
     */
    static final String CONTENT_SECURITY_POLICY = "default-src 'self'; "
            + "script-src 'self' 'unsafe-inline'; style-src 'self' 'unsafe-inline'; img-src 'self'; "
            + "object-src 'none'; base-uri 'none'; form-action 'self'; frame-ancestors 'none'";

    /*新的随机令牌: 32 个十六进制数字*/
    public static String NewToken() {
        byte[] bytes = new byte[16];
        RANDOM.nextBytes(bytes);
        StringBuilder text = new StringBuilder();
        for (byte b : bytes) {
            text.append(String.format("%02x", b & 0xff));
        }
        return text.toString();
    }

    public void init(FilterConfig filterConfig) throws ServletException {
    }

    public void destroy() {
    }

    public void doFilter(ServletRequest req, ServletResponse resp, FilterChain chain)
            throws IOException, ServletException {
        /*
         * 表单 (请求体) 中的参数按 UTF-8 解码。必须在读取任何参数之前设置: 浏览器提交表单时不写字符集,
         * Tomcat 默认按 ISO-8859-1 解码请求体。地址中的参数由容器按 UTF-8 解码 (Tomcat 8 起的默认值)。
         */
        req.setCharacterEncoding(StandardCharsets.UTF_8.name());
        if (!(req instanceof HttpServletRequest) || !(resp instanceof HttpServletResponse)) {
            throw new ServletException("LoginGuardFilter 只处理 HTTP 请求");
        }
        HttpServletRequest request = (HttpServletRequest) req;
        HttpServletResponse response = (HttpServletResponse) resp;
        if (isMultipart(request)) {
            response.sendError(HttpServletResponse.SC_UNSUPPORTED_MEDIA_TYPE);
            return;
        }
        if (hasUrlSessionId(request)) {
            response.sendError(HttpServletResponse.SC_BAD_REQUEST);
            return;
        }
        addSecurityHeaders(response);
        boolean post = "POST".equals(request.getMethod());
        if (post && !isSameOrigin(request)) {
            response.sendError(HttpServletResponse.SC_FORBIDDEN);
            return;
        }
        boolean loggedIn = isLoggedIn(request);
        if (!loggedIn && !isPublic(request)) {
            redirect(request, response, "/login.jsp");
            return;
        }
        String path = pathOf(request);
        if (!post && isPostOnly(path)) {
            response.setHeader("Allow", "POST");
            response.sendError(HttpServletResponse.SC_METHOD_NOT_ALLOWED);
            return;
        }
        if (post && !TOKENLESS_POSTS.contains(path) && !tokenMatches(request)) {
            response.sendError(HttpServletResponse.SC_FORBIDDEN);
            return;
        }
        if (loggedIn) {
            ensureToken(request.getSession(false));
        } else if (LOGIN_PAGES.contains(path) || isLoginAction(path)) {
            markFirstAdmin(request);
        }
        chain.doFilter(PageNumberRequest.of(request), response);
    }

    /*
     * 分页参数 currentPage 不是整数时去掉 (显示第一页), 超出 int 范围时取最接近的 int 值, 这样页码
     * 不会因为类型转换失败而显示添加页面; 其他参数原样不变。
     */
    static final class PageNumberRequest extends HttpServletRequestWrapper {
        private static final String PAGE = "currentPage";
        private static final Pattern INTEGER = Pattern.compile("[+-]?[0-9]+");
        private final String page;

        private PageNumberRequest(HttpServletRequest request, String page) {
            super(request);
            this.page = page;
        }

        static HttpServletRequest of(HttpServletRequest request) {
            String[] values = request.getParameterValues(PAGE);
            if (values == null) {
                return request;
            }
            String page = pageOf(values[0]);
            if (values.length == 1 && values[0].equals(page)) {
                return request;
            }
            return new PageNumberRequest(request, page);
        }

        private static String pageOf(String text) {
            String trimmed = text.trim();
            if (!INTEGER.matcher(trimmed).matches()) {
                return null;
            }
            BigInteger value = new BigInteger(trimmed);
            BigInteger low = BigInteger.valueOf(Integer.MIN_VALUE);
            BigInteger high = BigInteger.valueOf(Integer.MAX_VALUE);
            return value.max(low).min(high).toString();
        }

        @Override
        public String getParameter(String name) {
            return PAGE.equals(name) ? page : super.getParameter(name);
        }

        @Override
        public String[] getParameterValues(String name) {
            if (!PAGE.equals(name)) {
                return super.getParameterValues(name);
            }
            return page == null ? null : new String[] {page};
        }

        @Override
        public Map<String, String[]> getParameterMap() {
            Map<String, String[]> map = new LinkedHashMap<String, String[]>(super.getParameterMap());
            map.remove(PAGE);
            if (page != null) {
                map.put(PAGE, new String[] {page});
            }
            return Collections.unmodifiableMap(map);
        }

        @Override
        public Enumeration<String> getParameterNames() {
            return Collections.enumeration(getParameterMap().keySet());
        }
    }

    /*重定向到本应用中的地址: Location 是不带主机名的相对地址*/
    private static void redirect(HttpServletRequest request, HttpServletResponse response, String target) {
        response.setStatus(HttpServletResponse.SC_FOUND);
        response.setHeader("Location", request.getContextPath() + target);
    }

    /*地址中带有 Session 编号时返回 true*/
    private static boolean hasUrlSessionId(HttpServletRequest request) {
        String uri = request.getRequestURI();
        return request.isRequestedSessionIdFromURL()
                || uri != null && uri.toLowerCase(Locale.ROOT).contains(SESSION_ID_PARAMETER);
    }

    /*禁止嵌入的头和内容安全策略*/
    private static void addSecurityHeaders(HttpServletResponse response) {
        response.setHeader("X-Frame-Options", "DENY");
        response.setHeader("Content-Security-Policy", CONTENT_SECURITY_POLICY);
        response.setHeader("X-Content-Type-Options", "nosniff");
    }

    /*
     * POST 的 Origin (没有时 Referer) 头指向本站 (协议、主机和端口都与请求相同; 没写端口时按
     * 协议的默认端口), 或者两者都没有时返回 true。在反向代理之后, 请求的协议、主机和端口
     * 由容器按代理的头设置 (见 README.txt)。
     */
    private static boolean isSameOrigin(HttpServletRequest request) {
        String source = request.getHeader("Origin");
        if (source == null) {
            source = request.getHeader("Referer");
        }
        if (source == null) {
            return true;
        }
        try {
            URI uri = new URI(source.trim());
            String scheme = uri.getScheme();
            String host = uri.getHost();
            if (scheme == null || host == null || uri.getRawUserInfo() != null) {
                return false;
            }
            int port = uri.getPort() >= 0 ? uri.getPort() : defaultPort(scheme);
            return scheme.equalsIgnoreCase(request.getScheme())
                    && unbracketed(host).equalsIgnoreCase(unbracketed(request.getServerName()))
                    && port == request.getServerPort();
        } catch (URISyntaxException e) {
            return false;
        }
    }

    /*IPv6 地址去掉方括号 ([::1] 与 ::1 相同)*/
    private static String unbracketed(String host) {
        if (host != null && host.startsWith("[") && host.endsWith("]")) {
            return host.substring(1, host.length() - 1);
        }
        return host == null ? "" : host;
    }

    private static int defaultPort(String scheme) {
        if ("http".equalsIgnoreCase(scheme)) {
            return 80;
        }
        return "https".equalsIgnoreCase(scheme) ? 443 : -1;
    }

    /*只接受 POST 的请求: 按地址的最后一段判断*/
    private static boolean isPostOnly(String path) {
        String name = path.substring(path.lastIndexOf('/') + 1);
        return POST_ONLY_NAMES.contains(name) || CLASS_CHANGE.matcher(name).matches();
    }

    /*请求参数 csrfToken 与 Session 中的令牌一致时返回 true*/
    private static boolean tokenMatches(HttpServletRequest request) {
        HttpSession session = request.getSession(false);
        Object expected = session == null ? null : session.getAttribute(CSRF_TOKEN);
        String given = request.getParameter(CSRF_TOKEN);
        return expected != null && given != null && MessageDigest.isEqual(
                expected.toString().getBytes(StandardCharsets.UTF_8), given.getBytes(StandardCharsets.UTF_8));
    }

    /*已登录的 Session 还没有 CSRF 令牌时生成一个*/
    private static void ensureToken(HttpSession session) {
        if (session != null && session.getAttribute(CSRF_TOKEN) == null) {
            session.setAttribute(CSRF_TOKEN, NewToken());
        }
    }

    /*还没有管理员时标记请求 (login.jsp 显示设置表单), 并把一次性设置口令写入服务器日志*/
    private static void markFirstAdmin(HttpServletRequest request) {
        try {
            if (!new AdminDAO().HasAdmins()) {
                request.setAttribute(FIRST_ADMIN, Boolean.TRUE);
                LoginAction.SetupCode();
            }
        } catch (RuntimeException e) {
            /*数据库不可用: 显示登录表单, 登录时报告错误*/
        }
    }

    /*请求体是 multipart (文件上传) 时返回 true*/
    private static boolean isMultipart(HttpServletRequest request) {
        String type = request.getContentType();
        return type != null && type.trim().toLowerCase(Locale.ROOT).startsWith("multipart/");
    }

    /*
     * Session 中有当前用户, 并且登录之后密码没有修改过时返回 true (不创建 Session);
     * 密码已修改 (或账号已不在) 的 Session 作废。
     */
    private static boolean isLoggedIn(HttpServletRequest request) {
        HttpSession session = request.getSession(false);
        if (session == null || session.getAttribute(LoginAction.SESSION_USER) == null) {
            return false;
        }
        try {
            if (LoginAction.SessionCurrent(session)) {
                return true;
            }
        } catch (RuntimeException e) {
            /*数据库不可用: 这次当作没有登录, Session 保留*/
            return false;
        }
        try {
            session.invalidate();
        } catch (IllegalStateException e) {
            /*已经失效*/
        }
        return false;
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

    /*原始请求地址去掉上下文路径后按 UTF-8 解码; 不能解码时返回 null*/
    private static String decodedRequestPath(HttpServletRequest request) {
        String uri = request.getRequestURI();
        String context = request.getContextPath();
        if (uri == null || context == null || !uri.startsWith(context)) {
            return null;
        }
        uri = uri.substring(context.length());
        if (uri.indexOf(';') >= 0) {
            return null;
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
