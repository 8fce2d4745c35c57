package com.$packageName.utils;

import java.io.IOException;
import java.lang.reflect.Method;
import java.util.List;

import javax.servlet.http.HttpServletRequest;
import javax.servlet.http.HttpServletResponse;

import com.opensymphony.xwork2.ActionContext;
import com.opensymphony.xwork2.conversion.impl.XWorkConverter;

/**
 * 引用字段的选项:
 *   Options 输出下拉框的 <option>, 与当前值相等的一项标为 selected; 每一项只读主键和
 *           显示值两个属性, 不再为每一项求一次页面表达式。
 *   Term、Reply 供被引用的表很大、页面改为输入主键时的提示列表使用: 读取所填的文字,
 *           把查到的对象 (最多 LOOKUP_LIMIT 个) 以 JSON 数组 [[主键, 显示值], ...] 写回。
 */
public class ReferenceChoices {

    /*提示列表最多列出的对象数*/
    public static final int LOOKUP_LIMIT = 20;

    /*提示列表请求中所填文字的参数名*/
    public static final String TERM = "term";

    /*所填文字最多取的字符数*/
    private static final int TERM_LENGTH = 100;

    /*context 中名为 listName 的列表的选项; chosen 是当前值的表达式, 只求一次*/
    public static String Options(String listName, String keyProperty, String shownProperty,
            String chosen) {
        ActionContext context = ActionContext.getContext();
        Object list = context.get(listName);
        if (!(list instanceof List)) {
            return "";
        }
        Object value = context.getValueStack().findValue(chosen);
        String chosenKey = value == null ? null : String.valueOf(value);
        StringBuilder html = new StringBuilder();
        for (Object item : (List<?>) list) {
            String key = Read(item, keyProperty);
            html.append("<option value=\"").append(Html(key)).append('"');
            if (key.equals(chosenKey)) {
                html.append(" selected");
            }
            html.append('>').append(Html(Read(item, shownProperty))).append("</option>");
        }
        return html.toString();
    }

    /*提示列表请求中所填的文字: 没有时为空串, 过长时截断*/
    public static String Term() {
        HttpServletRequest request = ActionContext.getContext().getServletRequest();
        String term = request == null ? null : request.getParameter(TERM);
        if (term == null) {
            return "";
        }
        term = term.trim();
        return term.length() > TERM_LENGTH ? term.substring(0, TERM_LENGTH) : term;
    }

    /*把对象的主键和显示值以 JSON 写回; 写回失败 (客户端已断开) 时什么也不做*/
    public static void Reply(List<?> items, String keyProperty, String shownProperty) {
        StringBuilder json = new StringBuilder("[");
        for (Object item : items) {
            if (json.length() > 1) {
                json.append(',');
            }
            json.append('[').append(Json(Read(item, keyProperty))).append(',')
                .append(Json(Read(item, shownProperty))).append(']');
        }
        json.append(']');
        HttpServletResponse response = ActionContext.getContext().getServletResponse();
        response.setContentType("application/json;charset=UTF-8");
        response.setHeader("Cache-Control", "no-store");
        response.setHeader("X-Content-Type-Options", "nosniff");
        try {
            response.getWriter().write(json.toString());
        } catch (IOException e) {
            /*客户端已断开*/
        }
    }

    /*对象的属性值 (按 get+首字母大写 的方法读取) 的文字, 与页面上 <s:property> 显示的相同;
      空值和 toString() 也可以*/
    private static String Read(Object item, String property) {
        if (item == null) {
            return "";
        }
        if ("toString()".equals(property)) {
            return String.valueOf(item);
        }
        try {
            Method getter = item.getClass().getMethod(
                "get" + Character.toUpperCase(property.charAt(0)) + property.substring(1));
            return Text(getter.invoke(item));
        } catch (ReflectiveOperationException e) {
            throw new IllegalStateException("没有属性 " + property, e);
        }
    }

    /*值的文字: 数字 (如 1234567.0) 经 Struts 的类型转换, 写法与列表页面相同 (1234567)*/
    private static String Text(Object value) {
        if (value == null) {
            return "";
        }
        if (value instanceof String) {
            return (String) value;
        }
        ActionContext context = ActionContext.getContext();
        XWorkConverter converter = context.getContainer().getInstance(XWorkConverter.class);
        Object text = converter.convertValue(context.getContextMap(), value, String.class);
        return text == null ? "" : text.toString();
    }

    /*HTML 文字和属性值中的特殊字符换成字符实体*/
    private static String Html(String text) {
        StringBuilder html = new StringBuilder(text.length() + 16);
        for (int i = 0; i < text.length(); i++) {
            char c = text.charAt(i);
            switch (c) {
                case '&': html.append("&amp;"); break;
                case '<': html.append("&lt;"); break;
                case '>': html.append("&gt;"); break;
                case '"': html.append("&quot;"); break;
                case '\'': html.append("&#39;"); break;
                default: html.append(c);
            }
        }
        return html.toString();
    }

    /*JSON 字符串: 引号、反斜线、控制字符以及 < > & 和行分隔符都转义*/
    private static String Json(String text) {
        StringBuilder json = new StringBuilder(text.length() + 2).append('"');
        for (int i = 0; i < text.length(); i++) {
            char c = text.charAt(i);
            if (c == '"' || c == '\\') {
                json.append('\\').append(c);
            } else if (c < 0x20 || c == '<' || c == '>' || c == '&' || c == '\u2028' || c == '\u2029') {
                json.append(String.format("\\u%04x", (int) c));
            } else {
                json.append(c);
            }
        }
        return json.append('"').toString();
    }
}
